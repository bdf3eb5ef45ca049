// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The names of ID3v2 values as taggers write them. TagLib's property keys
// are upper case, so a copy through them writes TXXX:"MY NAME" and
// COMM:"NOTIZ" in the language "XXX"; mutagen-based tools look TXXX names up
// case-sensitively ("MusicBrainz Album Id"). These put the names back.

#include <filesystem>
#include <map>
#include <string>
#include <utility>

#include <taglib/id3v2tag.h>

namespace extratags {

struct Id3v2Names {
    std::map<std::string, std::string> descriptions;  // TXXX, by upper-case name
    // COMM description and language, by upper-case description.
    std::map<std::string, std::pair<std::string, std::string>> comments;
};

// The names of the input's TXXX and COMM frames (MP3, WAV) or free-form
// atoms (MP4), over the conventional ones (MusicBrainz, AcoustID).
Id3v2Names ReadId3v2Names(const std::filesystem::path& input);

// Renames the tag's TXXX and COMM frames; false when none needed it.
bool RestoreId3v2Names(TagLib::ID3v2::Tag& tag, const Id3v2Names& names);

// Opens an MP3 or WAV file and restores its names; saved in the tag's own
// version only when a name changed. False when it could not be saved.
bool RestoreId3v2NamesInFile(const std::filesystem::path& file, const std::filesystem::path& output,
                             const Id3v2Names& names);

}  // namespace extratags
