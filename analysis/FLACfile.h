// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Analyser for FLAC files: STREAMINFO decides whether the file is valid,
// the VORBIS_COMMENT block holds the tags, and Save writes them back, in
// place when the padding gives room, else through a rebuilt file.

#include "tags/classes/ID3v2.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace analysis {
class FileReader;
}

struct TMetaDataBlock {
    std::array<std::uint8_t, 4> Header{};  // last-block flag and type, 24-bit length
    std::vector<std::uint8_t> Data;
};

class TFLACfile {
public:
    void Clear();
    // True when the stream is valid. Throws TagError
    // when the file cannot be opened.
    bool Load(const std::filesystem::path& path);
    // Writes the comment fields into the file; with commonOnly the full-set
    // fields and the extra fields are left out of it.
    bool Save(const std::filesystem::path& path, bool commonOnly);
    // Writes exactly these comments, each as stored bytes.
    bool SaveComments(const std::filesystem::path& path, const std::vector<std::string>& items);
    bool IsValid() const;

    // A tag value: the field, or when it is empty the comment other taggers
    // keep that value in (DESCRIPTION for COMMENT and the like). Setting one
    // writes to the comment it was read from, so a value keeps its place;
    // clearing such a comment removes it.
    std::string TagValue(std::string TFLACfile::*field) const;
    void SetTagValue(std::string TFLACfile::*field, const std::string& value);

    std::array<std::uint8_t, 42> StreamHeader{};  // "fLaC" and the STREAMINFO block
    std::filesystem::path FileName;
    std::uint32_t PaddingIndex = 0;   // blocks after STREAMINFO count from 1
    bool PaddingLast = false;
    bool PaddingSplit = false;
    std::uint32_t CommentIndex = 0;   // 0 when there is no comment block
    std::uint32_t PaddingSize = 0;
    std::uint64_t StreamOffset = 0;   // where "fLaC" starts: after any ID3v2 tag
    std::uint64_t CommentOffset = 0;  // of the comment block's data
    std::uint64_t AudioOffset = 0;    // first audio frame
    std::uint8_t Channels = 0;
    std::uint32_t SampleRate = 0;
    std::uint8_t BitsPerSample = 0;
    std::uint64_t FileSize = 0;
    std::uint64_t SampleCount = 0;  // 0 when unknown (written to a pipe)
    bool BlocksWhole = false;       // every metadata block lies within the file
    // Every block but STREAMINFO, the comment block and the first padding.
    std::vector<TMetaDataBlock> OtherBlocks;

    std::string Vendor;  // bytes as stored
    std::uint32_t CommentSize = 0;
    bool HasComments = false;
    TID3v2 ID3v2;

    // Written in this order; the common set ends with Type.
    std::string TrackNumber, Artist, Album, Title, Date, Genre, Comment, Composer, Language,
        Copyright, URL, Encoder, Tones, Styles, Mood, Situation, Rating, Quality, Tempo, Type;
    std::string Performer, License, Organization, Description, Location, Contact, ISRC, Lyrics;
    // Comments kept beside the fields above: later duplicates and other names.
    std::vector<std::pair<std::string, std::string>> ExtraFields;
    // Every comment as stored, entries without "=" and bytes that are not
    // UTF-8 included.
    std::vector<std::string> RawComments;

private:
    void ClearFileHalf();
    void ClearCommentHalf();
    const std::string* StandIn(std::string TFLACfile::*field) const;
    bool ReadFile(const std::filesystem::path& path, bool withComments);
    bool WalkBlocks(const analysis::FileReader& file, bool withComments);
    void ReadComments(const std::vector<std::uint8_t>& data, bool withComments);
    std::vector<std::uint8_t> BuildCommentData(bool commonOnly) const;
    bool SaveCommentData(const std::filesystem::path& path, const std::function<std::vector<std::uint8_t>()>& build);
    bool Rewrite(const std::filesystem::path& path, const std::vector<std::uint8_t>& comments);
};
