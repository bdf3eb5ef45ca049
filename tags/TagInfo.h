#pragma once

// One record for the tags of any supported file, read and written by the
// file's extension. The only tag entry points of the main window, the tag
// editor and the command line.

#include <array>
#include <filesystem>
#include <string>

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

    bool operator==(const TTAGInfo&) const = default;
};

// Field names in record order, for the command line and the editor.
constexpr std::array<const char*, 12> TagFieldNames = {
    "Track", "Title", "Artist", "Album", "Year", "Comment",
    "Genre", "Composer", "EncodedBy", "Copyright", "Language", "URL"};
std::string& TagField(TTAGInfo& info, std::size_t index);
const std::string& TagField(const TTAGInfo& info, std::size_t index);

// Fills the fields the file's tags provide; others keep their value.
// Throws TagError where the reader passes the open error on.
void ReadTagInfo(const std::filesystem::path& file, TTAGInfo& info);
// Writes the record into the file's tags; outcomes are not reported.
void WriteTagInfo(const std::filesystem::path& file, TTAGInfo info);
