// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Vorbis and FLAC comment values are UTF-8 in the file and in memory.
// Reading checks the bytes character by character (one to four bytes);
// writing makes sure only well-formed UTF-8 reaches a file.

#include <string>
#include <string_view>

namespace analysis {

// The value up to its first malformed sequence; the rest is dropped.
std::string DecodeCommentText(std::string_view bytes);

// The value as stored when it is well-formed UTF-8, else read as Latin-1
// (older taggers wrote "Bj\xf6rk"), so no byte is lost to a reader.
std::string ReadableCommentText(std::string_view bytes);

// The text as UTF-8, every malformed byte replaced by U+FFFD.
std::string EncodeCommentText(std::string_view text);

// Bytes of value 0x20 or less removed from both ends.
std::string_view TrimControls(std::string_view text);

// ASCII letters in upper case (comment names are ASCII).
std::string UpperAscii(std::string_view text);

}  // namespace analysis
