#pragma once

// Frames of an ID3v2 tag: parsing the frames of versions 2.2 to 2.4,
// decoding their texts, and building ID3v2.3 frames.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace id3v2 {

constexpr int FrameCount = 16;  // known frames, index 1 to 16
constexpr int OwnedCount = 12;  // frames 1 to 12 are written from the values

// Index of a known frame ID for the tag version, 0 when unknown.
int FrameIndex(std::string_view id, std::uint8_t version);
const char* FrameID(int index);  // ID3v2.3 ID of a known frame

struct Frame {
    std::string id;
    std::string data;      // payload without group byte or length indicator, resynchronised
    bool readable = false; // not compressed nor encrypted
    std::string asV23;     // the whole frame as ID3v2.3, empty when it cannot be carried over
};

// Frames of a tag body (the bytes after the 10-byte header).
std::vector<Frame> ParseFrames(std::string body, std::uint8_t version, std::uint8_t flags);

// True for text encodings this class decodes: ISO-8859-1 and UTF-16 with BOM.
bool HasReadableEncoding(std::string_view data);
// Plain text of a frame (encoding byte first).
std::string DecodeText(std::string_view data);
// Comment text after language and description.
std::string DecodeComment(std::string_view data);
// Link of a user link frame after its description.
std::string DecodeLink(std::string_view data);

// ID3v2.3 frames, ISO-8859-1 when the text fits, else UTF-16 with BOM.
std::string TextFrame(const char* id, std::string_view text);
std::string CommentFrame(std::string_view text);
std::string LinkFrame(std::string_view url);

}  // namespace id3v2
