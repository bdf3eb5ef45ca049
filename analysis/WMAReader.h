// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Descriptive attributes of a ".wma" (ASF) file. String attributes are read
// (a track number stored as a number too) and written; every other
// attribute, and every field whose value did not change, stays as it is.
// A field holds every value of its attribute, NUL between them; no text is
// cut.

#include <filesystem>
#include <string>

namespace TagLib::ASF {
class Tag;
}

struct TTagsData {
    std::string EncodedBy;
    std::string Genre;
    std::string Author;
    std::string Title;
    std::string AlbumTitle;
    std::string Composer;
    std::string URL;
    std::string TrackNumber;
    std::string Year;
    std::string Copyright;
    std::string Description;
    std::string Lyrics;

    bool operator==(const TTagsData&) const = default;
};

// Remembers the path as the file a later write goes to and fills the record;
// reports "Could Not Load Tags!" when the file cannot be read. A missing
// file does nothing.
void ReadWmaTags(const std::filesystem::path& path, TTagsData& data);

// Writes the record into the file last read; reports "Could not save Tags!"
// and returns false when it cannot (platform::LastRewriteError says why).
// Throws TagError when the file is missing or not readable as WMA. The file
// is unchanged whenever the write does not succeed.
bool WriteWmaTags(const TTagsData& data);

// Puts first in each attribute's values the one other readers see first:
// the one in the extended content description of the file at path. TagLib
// reads the header extension's values (an attribute's others) before it.
void OrderAsOtherReaders(TagLib::ASF::Tag& tag, const std::filesystem::path& path);
