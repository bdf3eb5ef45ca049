// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Analyser for Ogg Vorbis files, and for the comments of Opus and Ogg FLAC
// streams: the identification header decides the format; the comment
// header holds the tags, which Save rewrites.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class TOggVorbis {
public:
    void Clear();
    // True when an Ogg page with a Vorbis identification header starts the
    // stream (after any ID3v2 tag). Throws TagError
    // when the file cannot be opened.
    bool Load(const std::filesystem::path& path);
    // Writes Title, Artist, Album, Track, Date, Genre and Comment into the
    // comment header; every other comment stays. False, with the file
    // untouched, when the comment header cannot be rebuilt safely.
    bool Save(const std::filesystem::path& path);
    // Writes exactly these comments, each as stored bytes, the same way.
    bool SaveComments(const std::filesystem::path& path, const std::vector<std::string>& items);
    // The release name of the library that wrote the stream.
    std::string EncoderName() const;

    std::uint32_t ID3v2Size = 0;
    std::string Title;
    std::string Artist;   // ARTIST, or PERFORMER when ARTIST is empty
    std::string Album;
    std::uint16_t Track = 0;
    std::string Date;
    std::string Genre;
    std::string Comment;  // COMMENT, or DESCRIPTION when COMMENT is empty
    std::string Vendor;
    // Every comment as stored.
    std::vector<std::string> RawComments;

private:
    using NewItems = std::function<std::vector<std::string>(const std::vector<std::string>&)>;
    bool Rewrite(const std::filesystem::path& path, const NewItems& newItems);
    // The comments to write: the owned fields, then the others as they were;
    // an owned field whose value did not change keeps its stored comments.
    std::vector<std::string> CommentItems(const std::vector<std::string>& old) const;
};
