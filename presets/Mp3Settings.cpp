// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/Mp3Settings.h"

#include <QLocale>
#include <QString>
#include <charconv>
#include <cmath>
#include <optional>

#include "platform/IniFile.h"
#include "presets/PresetCheck.h"

using platform::IniFile;

const std::array<std::int32_t, 18> BitrateTable = {
    8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320};

TMP3Settings& SharedMp3Settings()
{
    static TMP3Settings settings;
    return settings;
}

std::int32_t BitrateOfPosition(int position)
{
    if (position < BitrateFirstPosition || position > BitrateLastPosition)
        return 0;
    return BitrateTable[size_t(position - BitrateFirstPosition)];
}

int PositionOfBitrate(std::int32_t kbps)
{
    for (size_t i = 0; i < BitrateTable.size(); ++i)
        if (BitrateTable[i] == kbps)
            return int(i) + BitrateFirstPosition;
    return 0;
}

std::string FormatPresetReal(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

double ParsePresetReal(const std::string& text)
{
    std::string normal = QString::fromStdString(text)
                             .trimmed()
                             .replace(QLocale().decimalPoint(), ".")
                             .toStdString();
    double value = 0;
    const char* end = normal.data() + normal.size();
    const auto result = std::from_chars(normal.data(), end, value);
    if (normal.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value))
        throw PresetError("'" + text + "' is not a valid floating point value");
    return value;
}

std::int32_t ParsePresetInteger(const std::string& text)
{
    std::int32_t value = 0;
    if (!IniFile::ParseInteger(text, value))
        throw PresetError("'" + text + "' is not a valid integer value");
    return value;
}

namespace {

// Reading and writing share one key list, so the two can never disagree.
template <typename Visitor>
void VisitKeys(TMP3Settings& s, Visitor&& visit)
{
    visit("General", "Description", s.Description);
    visit("General", "Bitrate", s.Bitrate);
    visit("General", "OutDir", s.OutDir);
    visit("General", "UseInputDir", s.UseInputDir);
    visit("Options", "Mode", s.Mode);
    visit("Options", "Optimization", s.Optimization);
    visit("Options", "Crc", s.Crc);
    visit("Options", "Delete", s.Delete);
    visit("Flags", "Copy", s.Copy);
    visit("Flags", "Copyright", s.Copyright);
    visit("VBR", "Enabled", s.VbrEnabled);
    visit("VBR", "Quality", s.VbrQuality);
    visit("VBR", "MaxBitrate", s.MaxBitrate);
    visit("VBR", "DisableTag", s.DisableTag);
    visit("VBR", "StrictMin", s.StrictMin);
    visit("VBR", "UseABR", s.UseABR);
    visit("VBR", "ABRTargetBitrate", s.ABRTargetBitrate);
    visit("Expert", "ATHControl", s.ATHControl);
    visit("Expert", "DifferentBlockTypes", s.DifferentBlockTypes);
    visit("Expert", "DisableFiltering", s.DisableFiltering);
    visit("Expert", "NoRes", s.NoRes);
    visit("Expert", "NoShort", s.NoShort);
    visit("Expert", "ISO", s.ISO);
    visit("Expert", "CustomOptions", s.CustomOptions);
    visit("Expert", "OnlyCustomOptions", s.OnlyCustomOptions);
    visit("Expert", "qLevel", s.qLevel);
    visit("Audio", "Resampling", s.Resampling);
    visit("Audio", "HighpassEnabled", s.HighpassEnabled);
    visit("Audio", "HighpassFreq", s.HighpassFreq);
    visit("Audio", "HighWidthEnabled", s.HighWidthEnabled);
    visit("Audio", "HighpassWidth", s.HighpassWidth);
    visit("Audio", "LowpassEnabled", s.LowpassEnabled);
    visit("Audio", "LowpassFreq", s.LowpassFreq);
    visit("Audio", "LowWidthEnabled", s.LowWidthEnabled);
    visit("Audio", "LowpassWidth", s.LowpassWidth);
}

// Counts the keys the file sets, so a file setting none is told apart.
struct KeyReader {
    const IniFile& ini;
    int& found;
    template <typename T>
    void Take(const std::optional<T>& read, T& value) const
    {
        if (read) {
            value = *read;
            ++found;
        }
    }
    void operator()(const char* section, const char* key, std::string& value) const
    {
        Take(presets::PresetText(ini, section, key), value);
    }
    void operator()(const char* section, const char* key, std::int32_t& value) const
    {
        Take(presets::PresetInteger(ini, section, key), value);
    }
    void operator()(const char* section, const char* key, bool& value) const
    {
        std::int32_t number = value ? 1 : 0;
        Take(presets::PresetInteger(ini, section, key), number);
        value = number != 0;
    }
    void operator()(const char* section, const char* key, double& value) const
    {
        Take(presets::PresetReal(ini, section, key), value);
    }
};

struct KeyWriter {
    IniFile& ini;
    void operator()(const char* section, const char* key, const std::string& value) const
    {
        ini.WriteString(section, key, value);
    }
    void operator()(const char* section, const char* key, std::int32_t value) const
    {
        ini.WriteInteger(section, key, value);
    }
    void operator()(const char* section, const char* key, bool value) const
    {
        ini.WriteBool(section, key, value);
    }
    void operator()(const char* section, const char* key, double value) const
    {
        ini.WriteString(section, key, FormatPresetReal(value));
    }
};

}  // namespace

void ReadMp3Preset(const std::filesystem::path& path, TMP3Settings& settings)
{
    presets::ReadPresetFile(path, [&](const IniFile& ini) {
        TMP3Settings read = settings;
        read.Copy = false;
        read.Copyright = false;
        int found = 0;
        VisitKeys(read, KeyReader{ini, found});
        if (found == 0)
            throw PresetError("it sets none of the MP3 settings");
        settings = read;
    });
}

bool WriteMp3Preset(const std::filesystem::path& path, const TMP3Settings& settings)
{
    IniFile ini(path);
    TMP3Settings copy = settings;
    VisitKeys(copy, KeyWriter{ini});
    return ini.Save();
}
