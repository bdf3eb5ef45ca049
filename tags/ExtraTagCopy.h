// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The part of a tag copy that the unified record leaves out: album artist,
// disc and track totals, lyrics, BPM, ReplayGain, MusicBrainz identifiers,
// sort names, every other value both kinds share, and the embedded pictures.

#include <filesystem>
#include <string>
#include <vector>

#include "tags/TagInfo.h"

namespace extratags {

// Copies the input's values into the output where the output has none (so
// what the record wrote stays), and replaces the output's pictures by the
// input's, front cover first; the output is rewritten once. Returns what the
// output could not take: value keys such as "LYRICS", pictures as
// "picture (Back cover)", and items of the input known only by name.
// record is what the unified record's writers were given.
std::vector<std::string> CopyExtraTags(const std::filesystem::path& input, const std::filesystem::path& output,
                                       const TTAGInfo& record);

}  // namespace extratags
