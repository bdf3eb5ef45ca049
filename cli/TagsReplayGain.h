// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// tremolix-cli tags --replaygain track|album FOLDER|FILE...: measures each
// file and writes its gain values into it, without converting.

#include <string>
#include <vector>

namespace cli {

// True when the arguments ask for gain values (before any "--").
bool AsksForGainTags(const std::vector<std::string>& args);
// Runs it; the exit status.
int WriteGainTagsVerb(const std::vector<std::string>& args);

}  // namespace cli
