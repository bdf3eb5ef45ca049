// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/LoudnessArguments.h"

#include <charconv>

namespace cli {
namespace {

// Quieter than the absolute gate leaves nothing to measure against.
constexpr double LowestTarget = -70.0;

}  // namespace

app::LoudnessChoice LoudnessArguments::Choice() const
{
    app::LoudnessChoice choice;
    choice.tags = tags;
    if (target) {
        choice.apply = byAlbum ? app::LoudnessApply::Album : app::LoudnessApply::Track;
        choice.target = *target;
    }
    return choice;
}

bool IsLoudnessOption(const std::string& option)
{
    return option == "--replaygain" || option == "--normalize-loudness" || option == "--normalize-by";
}

bool ParseGainTagMode(const std::string& value, app::GainTagMode& mode)
{
    if (value == "track")
        mode = app::GainTagMode::Track;
    else if (value == "album")
        mode = app::GainTagMode::TrackAndAlbum;
    else
        return false;
    return true;
}

bool ParseLoudnessOption(const std::string& option, const std::string& value, LoudnessArguments& arguments,
                         std::string& usage)
{
    if (option == "--replaygain") {
        if (!ParseGainTagMode(value, arguments.tags))
            usage = "--replaygain takes track or album, not \"" + value + "\"";
    } else if (option == "--normalize-by") {
        if (value != "track" && value != "album")
            usage = "--normalize-by takes track or album, not \"" + value + "\"";
        arguments.byAlbum = value == "album";
    } else {
        double target = 0;
        const char* end = value.data() + value.size();
        const auto [at, error] = std::from_chars(value.data(), end, target);
        if (error != std::errc() || at != end || !(target >= LowestTarget && target <= 0))
            usage = "--normalize-loudness takes a level from -70 to 0 LUFS, not \"" + value + "\"";
        arguments.target = target;
    }
    return usage.empty();
}

}  // namespace cli
