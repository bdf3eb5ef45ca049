// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One record for the tags of any supported file, read and written by the
// file's extension. The only tag entry points of the main window, the tag
// editor and the command line.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "tags/classes/TagError.h"

struct TTAGInfo {
    std::string Track;
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Year;
    std::string Comment;
    std::string Genre;
    std::string Composer;
    std::string EncodedBy;
    std::string Copyright;
    std::string Language;
    std::string URL;

    // Every value of a field that holds several (two artists), by field
    // index; the field's text above is the first. A list whose first value
    // is no longer the field's text is stale, so setting the text replaces
    // all values and callers that know one value per field keep working.
    std::array<std::vector<std::string>, 12> Lists;

    // Equal when every field holds the same values.
    bool operator==(const TTAGInfo& other) const;
};

using TagFieldPointer = std::string TTAGInfo::*;

// Field names in record order, for the command line and the editor.
constexpr std::array<const char*, 12> TagFieldNames = {
    "Track", "Title", "Artist", "Album", "Year", "Comment",
    "Genre", "Composer", "EncodedBy", "Copyright", "Language", "URL"};
constexpr std::array<TagFieldPointer, 12> TagFields = {
    &TTAGInfo::Track,   &TTAGInfo::Title,    &TTAGInfo::Artist,    &TTAGInfo::Album,
    &TTAGInfo::Year,    &TTAGInfo::Comment,  &TTAGInfo::Genre,     &TTAGInfo::Composer,
    &TTAGInfo::EncodedBy, &TTAGInfo::Copyright, &TTAGInfo::Language, &TTAGInfo::URL};
std::string& TagField(TTAGInfo& info, std::size_t index);
const std::string& TagField(const TTAGInfo& info, std::size_t index);

// All values of the field; none when it is empty.
std::vector<std::string> TagValues(const TTAGInfo& info, std::size_t index);
// Replaces the field's values; empty ones are left out.
void SetTagValues(TTAGInfo& info, std::size_t index, std::vector<std::string> values);
// The values as one text, NUL between them, as APE items hold them and as
// the WMA and MP4 steps pass them on; and back.
std::string JoinedTagValues(const TTAGInfo& info, std::size_t index);
void SetJoinedTagValues(TTAGInfo& info, std::size_t index, const std::string& joined);
std::size_t TagFieldIndex(TagFieldPointer field);

// Why the path cannot hold tags at all (missing, a folder, a FIFO), naming
// it; empty for a regular file.
std::string TagFileProblem(const std::filesystem::path& file);

// Whether a write of this kind of file stores the field (Ogg's EncodedBy is
// the stream's vendor, a ".wav" stores nothing).
bool TagFieldWritable(const std::filesystem::path& file, std::size_t index);

// Fills the fields the file's tags provide; others keep their value. A
// folder, FIFO or device is left alone. Throws TagError where the reader
// passes the open error on.
void ReadTagInfo(const std::filesystem::path& file, TTAGInfo& info);
// As ReadTagInfo, but only what the tags store about the music: an Ogg
// stream's vendor string and an ENCODER comment name the encoding program,
// not who encoded it, and are not copied.
void ReadStoredTagInfo(const std::filesystem::path& file, TTAGInfo& info);

// Writes into the file's tags only the fields whose values differ from what
// the file holds now, so every other field keeps its stored form; a field
// left empty is removed. Empty when
// the write succeeded or nothing needed writing; otherwise why nothing (or
// not everything) was written, naming the file.
[[nodiscard]] std::string WriteTagInfo(const std::filesystem::path& file, const TTAGInfo& info);
