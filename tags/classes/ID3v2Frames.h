// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Frames of an ID3v2 tag: parsing the frames of versions 2.2 to 2.4 and
// building ID3v2.3 and 2.4 frames.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace id3v2 {

constexpr int FrameCount = 16;  // known frames, index 1 to 16
constexpr int OwnedCount = 12;  // frames 1 to 12 are written from the values

// Index of a known frame ID for the tag version, 0 when unknown.
int FrameIndex(std::string_view id, std::uint8_t version);
// ID of a known frame in a tag of version 3 or 4.
const char* FrameID(int index, std::uint8_t version);

struct Frame {
    std::string id;
    std::string data;          // payload without group byte or length indicator, resynchronised, inflated
    bool readable = false;     // data is the content: not encrypted, and inflated when compressed
    std::string whole;         // a version 2.3 or 2.4 frame as stored, in a tag without tag-wide flags
    std::uint8_t status = 0;   // first flag byte
    std::uint8_t format = 0;   // second flag byte
};

// Frames of a tag body (the bytes after the 10-byte header).
std::vector<Frame> ParseFrames(std::string body, std::uint8_t version, std::uint8_t flags);

// True when the frame sizes of a version 2.4 body (from its first frame on)
// are plain 32-bit numbers rather than synchsafe ones, as older iTunes
// writes them: the synchsafe reading does not end on the body's end or its
// padding while the plain one does, or finds fewer frames.
bool HasPlainFrameSizes(std::string_view frames);

// Seven bits a byte, as a 2.4 frame size and every tag size are stored.
std::string SynchsafeBytes(std::uint32_t value);

// A whole frame of a version 3 or 4 tag.
std::string MakeFrame(std::uint8_t version, std::string_view id, std::string_view data, std::uint8_t status = 0);

// Frames of a version 3 or 4 tag, ISO-8859-1 when the text fits, else
// UTF-16 with BOM.
std::string TextFrame(std::uint8_t version, const char* id, std::string_view text);
std::string CommentFrame(std::uint8_t version, std::string_view text);
std::string LinkFrame(std::uint8_t version, std::string_view url);

// Genre name of a TCON text: "(17)", "(17)Rock" and "17" read as "Rock",
// "(RX)" and "(CR)" as "Remix" and "Cover"; a refinement after the numbers wins.
std::string GenreName(std::string_view text);

}  // namespace id3v2
