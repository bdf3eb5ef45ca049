// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/ReplayGainTags.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "platform/SafeRewrite.h"
#include "tags/OutputTags.h"
#include "tags/StoredNames.h"

namespace fs = std::filesystem;

namespace replaygain {
namespace {

using TagLib::PropertyMap;
using TagLib::StringList;

bool IsOpus(const fs::path& kind)
{
    std::string extension = kind.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension == ".opus";
}

void SetText(PropertyMap& values, const char* key, const std::string& text)
{
    values.replace(key, StringList(TagLib::String(text, TagLib::String::UTF8)));
}

void SetLevel(PropertyMap& values, const std::optional<Level>& level, bool drop, const char* gainKey,
              const char* peakKey)
{
    if (!level && drop) {
        values.erase(gainKey);
        values.erase(peakKey);
    }
    if (!level)
        return;
    SetText(values, gainKey, GainText(level->loudness));
    SetText(values, peakKey, PeakText(level->peak));
}

// Opus players read only the R128 values; ReplayGain ones there would be
// taken on top of the output gain by some, so they go.
void SetOpusLevels(PropertyMap& values, const GainTags& tags)
{
    for (const char* key : {"REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_TRACK_PEAK", "REPLAYGAIN_ALBUM_GAIN",
                            "REPLAYGAIN_ALBUM_PEAK"})
        values.erase(key);
    if (tags.track)
        SetText(values, "R128_TRACK_GAIN", std::to_string(R128Gain(tags.track->loudness)));
    else if (tags.dropOthers)
        values.erase("R128_TRACK_GAIN");
    if (tags.album)
        SetText(values, "R128_ALBUM_GAIN", std::to_string(R128Gain(tags.album->loudness)));
    else if (tags.dropOthers)
        values.erase("R128_ALBUM_GAIN");
}

}  // namespace

std::string GainText(double loudness)
{
    char text[32];
    // Rounded first, so that a gain of almost nothing is no "-0.00".
    std::snprintf(text, sizeof text, "%.2f dB", std::round((ReferenceLufs - loudness) * 100) / 100 + 0.0);
    // snprintf follows LC_NUMERIC; readers expect ".".
    std::replace(text, text + sizeof text, ',', '.');
    return text;
}

std::string PeakText(double peak)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", peak);
    std::replace(text, text + sizeof text, ',', '.');
    return text;
}

int R128Gain(double loudness)
{
    return int(std::clamp(std::lround((OpusReferenceLufs - loudness) * 256.0), -32768L, 32767L));
}

bool HoldsGainTags(const fs::path& file)
{
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension != ".wav" && extratags::HoldsExtraTags(file);
}

std::string WriteGainTags(const fs::path& file, const GainTags& tags, const fs::path& kind)
{
    const fs::path named = kind.empty() ? file : kind;
    if (!HoldsGainTags(named))
        return "its kind holds no gain values";
    const extratags::StoredNames names = extratags::ReadStoredNames(file);
    bool unchanged = false;
    const bool written = platform::EditThroughCopy(file, [&](int copy) {
        // TagLib opens the copy by the name of the descriptor: the same file.
        const fs::path copyName = "/proc/self/fd/" + std::to_string(copy);
        auto output = extratags::OpenOutputTags(copyName, named);
        if (!output)
            return false;
        const PropertyMap stored = output->Values();
        PropertyMap values = stored;
        if (IsOpus(named)) {
            SetOpusLevels(values, tags);
        } else {
            SetLevel(values, tags.track, tags.dropOthers, "REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_TRACK_PEAK");
            SetLevel(values, tags.album, tags.dropOthers, "REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_ALBUM_PEAK");
        }
        if (values == stored) {
            unchanged = true;
            return false;
        }
        output->SetValues(values);
        const bool saved = output->Save();
        output.reset();
        return saved && extratags::RestoreStoredNames(copyName, named, names);
    },
        [&](const fs::path& copy) { return extratags::OpenOutputTags(copy, named) != nullptr; });
    return written || unchanged ? std::string() : "its tags could not be rewritten";
}

}  // namespace replaygain
