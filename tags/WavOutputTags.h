// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The tags of a WAV output: an "id3 " chunk, which mutagen, ffprobe and
// TagLib read with every value and the pictures, and a LIST/INFO chunk with
// the values it has fields for, for players that read only that.

#include <filesystem>
#include <memory>

#include "tags/OutputTags.h"

namespace extratags {

// Null when the file is not a WAV file.
std::unique_ptr<OutputTags> OpenWavOutputTags(const std::filesystem::path& file);

}  // namespace extratags
