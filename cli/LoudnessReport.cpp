// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/LoudnessReport.h"

#include <QJsonValue>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "tags/ReplayGainTags.h"

namespace cli {
namespace {

std::string Decibels(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

double PeakDb(double peak)
{
    return 20 * std::log10(peak);
}

QString Key(const std::string& prefix, const char* name)
{
    if (prefix.empty())
        return name;
    std::string key = prefix + name;
    key[prefix.size()] = char(std::toupper(static_cast<unsigned char>(key[prefix.size()])));
    return QString::fromStdString(key);
}

}  // namespace

std::string LoudnessText(const engine::Loudness& level, const std::string& prefix)
{
    if (level.Silent())
        return prefix + "silent: no gain";
    const bool truePeak = level.kind == engine::PeakKind::True;
    return prefix + "loudness " + Decibels(level.integrated) + " LUFS\t" + prefix +
           (truePeak ? "true peak " : "peak ") + (level.peak > 0 ? Decibels(PeakDb(level.peak)) : std::string("-inf")) +
           (truePeak ? " dBTP\t" : " dBFS\t") + prefix + "gain " + replaygain::GainText(level.integrated);
}

void AddLoudnessJson(QJsonObject& object, const engine::Loudness& level, const std::string& prefix)
{
    const bool silent = level.Silent();
    object.insert(Key(prefix, "loudness"), silent ? QJsonValue() : QJsonValue(level.integrated));
    const bool truePeak = level.kind == engine::PeakKind::True;
    object.insert(Key(prefix, truePeak ? "truePeak" : "peak"), level.peak);
    object.insert(Key(prefix, truePeak ? "truePeakDb" : "peakDb"),
                  level.peak > 0 ? QJsonValue(PeakDb(level.peak)) : QJsonValue());
    object.insert(Key(prefix, "gain"),
                  silent ? QJsonValue() : QJsonValue(replaygain::ReferenceLufs - level.integrated));
}

}  // namespace cli
