// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/LameOptions.h"

#include <QString>

namespace {

std::string Number(std::int32_t value) { return std::to_string(value); }

std::string ModeSwitch(std::int32_t mode)
{
    switch (mode) {
    case 0: return " -m s";
    case 1: return " -m j";
    case 2: return " -m f";
    case 3: return " -m m";
    default: return "";
    }
}

std::string OptimizationSwitch(std::int32_t optimization)
{
    switch (optimization) {
    case 1: return " -f";
    case 2: return " -h";
    default: return "";
    }
}

std::string VbrSwitches(const TMP3Settings& s)
{
    if (!s.VbrEnabled)
        return "";
    std::string text = s.UseABR ? " --abr " + Number(s.ABRTargetBitrate) : " -V " + Number(s.VbrQuality);
    text += " -B " + Number(s.MaxBitrate);
    if (s.StrictMin)
        text += " -F";
    if (s.DisableTag)
        text += " -t";
    return text;
}

std::string ResampleSwitch(std::int32_t resampling)
{
    static const char* const rates[] = {"", "16", "22.05", "24", "32", "44.1", "48", "8", "11.025", "12"};
    const int value = resampling & 0x7F;
    if (value < 1 || value > 9)
        return "";
    return std::string(" --resample ") + rates[value];
}

std::string FilterSwitches(const char* name, bool enabled, double freq, bool widthEnabled, double width)
{
    if (!enabled)
        return "";
    std::string text = std::string(" --") + name + " " + FormatPresetReal(freq);
    if (widthEnabled)
        text += std::string(" --") + name + "-width " + FormatPresetReal(width);
    return text;
}

// lame 3.100 ignores its developer-only ATH switches and the obsolete -d
// and -k; only the filter switch has a working equivalent.
std::string ExpertSwitches(const TMP3Settings& s)
{
    std::string text;
    if (s.DisableFiltering)
        text += " --lowpass -1 --highpass -1";
    if (s.NoRes)
        text += " --nores";
    if (s.ISO)
        text += " --strictly-enforce-ISO";
    return text;
}

}  // namespace

std::string BuildLameOptions(const TMP3Settings& s)
{
    if (s.OnlyCustomOptions)
        return " " + QString::fromStdString(s.CustomOptions).trimmed().toStdString();
    std::string text = " -b " + Number(s.Bitrate);
    text += ModeSwitch(s.Mode) + OptimizationSwitch(s.Optimization);
    if (s.Crc)
        text += " -p";
    if (s.Copy)
        text += " -o";
    if (s.Copyright)
        text += " -c";
    text += VbrSwitches(s);
    text += ResampleSwitch(s.Resampling);
    text += FilterSwitches("highpass", s.HighpassEnabled, s.HighpassFreq, s.HighWidthEnabled, s.HighpassWidth);
    text += FilterSwitches("lowpass", s.LowpassEnabled, s.LowpassFreq, s.LowWidthEnabled, s.LowpassWidth);
    if (s.qLevel >= 0)
        text += " -q " + Number(s.qLevel);
    text += ExpertSwitches(s);
    if (!QString::fromStdString(s.CustomOptions).trimmed().isEmpty())
        text += " " + s.CustomOptions;
    return text;
}
