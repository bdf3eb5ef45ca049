// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The names of values as taggers store them. TagLib's property keys are
// upper case, so a copy through them writes TXXX:"MY NAME", COMM:"NOTIZ" in
// the language "XXX" and the MP4 atom "----:com.apple.iTunes:MY NAME";
// mutagen-based tools look such names up case-sensitively ("MusicBrainz
// Album Id"). These put the names back.

#include <filesystem>
#include <map>
#include <string>
#include <utility>

#include <taglib/id3v2tag.h>

namespace extratags {

struct StoredNames {
    std::map<std::string, std::string> descriptions;  // TXXX and free-form atoms, by upper-case name
    // COMM description and language, by upper-case description.
    std::map<std::string, std::pair<std::string, std::string>> comments;
};

// The names of the input's TXXX and COMM frames (MP3, WAV) or free-form
// atoms (MP4), over the conventional ones (MusicBrainz, AcoustID).
StoredNames ReadStoredNames(const std::filesystem::path& input);

// Renames the tag's TXXX and COMM frames; false when none needed it.
bool RestoreId3v2Names(TagLib::ID3v2::Tag& tag, const StoredNames& names);

// Opens an MP3, WAV or MP4 file as the kind output's extension names and
// restores its names; saved (an ID3v2 tag in its own version) only when a
// name changed. False when it could not be saved.
bool RestoreStoredNames(const std::filesystem::path& file, const std::filesystem::path& output,
                        const StoredNames& names);

}  // namespace extratags
