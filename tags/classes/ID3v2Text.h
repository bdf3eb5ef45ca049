// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The texts inside ID3v2 frames: an encoding byte (0 ISO-8859-1, 1 UTF-16
// with byte-order mark, 2 UTF-16 big-endian, 3 UTF-8) governs the strings
// that follow, each ended by a terminator of one or two zero bytes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace id3v2 {

constexpr char Latin1 = 0, Utf16 = 1, Utf16BE = 2, Utf8 = 3;

bool IsKnownEncoding(char encoding);
std::string Terminator(char encoding);

// The string at from up to its terminator, or to the end when there is
// none, as UTF-8; next is set past the terminator.
std::string ReadString(std::string_view data, std::size_t from, char encoding, std::size_t& next);

// The encoding a frame written as ID3v2.3 needs for these texts.
char EncodingFor(const std::vector<std::string>& texts);
// UTF-8 text in ISO-8859-1, or UTF-16 with byte-order mark; no terminator.
std::string EncodeString(std::string_view text, char encoding);

// Plain text of a text frame (encoding byte first): its first value, trimmed.
std::string DecodeText(std::string_view data);
// Every value of a text frame, trimmed, NUL between them (ID3v2.4 keeps
// several values so, and other taggers write 2.3 frames so too).
std::string DecodeTexts(std::string_view data);
// Text of a comment frame after language and description; the description
// goes to *description.
std::string DecodeComment(std::string_view data, std::string* description = nullptr);
// Link of a user link frame after its description.
std::string DecodeLink(std::string_view data);

}  // namespace id3v2
