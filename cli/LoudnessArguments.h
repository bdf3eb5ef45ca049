// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The loudness options of convert: --replaygain track|album,
// --normalize-loudness LUFS and --normalize-by track|album.

#include <optional>
#include <string>

#include "app/RunLoudness.h"

namespace cli {

struct LoudnessArguments {
    app::GainTagMode tags = app::GainTagMode::Off;
    std::optional<double> target;  // LUFS
    bool byAlbum = false;

    app::LoudnessChoice Choice() const;
};

bool IsLoudnessOption(const std::string& option);
// Takes the option's value; false with the reason in usage.
bool ParseLoudnessOption(const std::string& option, const std::string& value, LoudnessArguments& arguments,
                         std::string& usage);
// "track" or "album" as a gain-tag mode; false for anything else.
bool ParseGainTagMode(const std::string& value, app::GainTagMode& mode);

}  // namespace cli
