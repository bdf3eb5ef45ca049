// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Text conversions of the tag classes: UTF-8 in memory, ISO-8859-1 or
// UTF-16 on disk.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tagtext {

// Codes 0 to 32 removed from the end, or from both ends.
std::string TrimRight(std::string_view text);
std::string Trim(std::string_view text);

std::string Latin1ToUtf8(std::string_view bytes);
// "?" for every character outside ISO-8859-1.
std::string Utf8ToLatin1(std::string_view text);
bool FitsLatin1(std::string_view text);

bool IsValidUtf8(std::string_view bytes);
// Valid UTF-8 is taken as it is, anything else as ISO-8859-1.
std::string BytesToUtf8(std::string_view bytes);

// UTF-16 code units with the given byte order; a unit 0 ends the text.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);
// Little-endian UTF-16, no byte-order mark.
std::string Utf8ToUtf16LE(std::string_view text);

// Several values in one text, NUL between them, as APE items hold them and
// as the record passes them to one-text setters; empty values are dropped.
std::vector<std::string> SplitAtNul(std::string_view joined);
std::string JoinWithNul(const std::vector<std::string>& values);

std::size_t CharacterCount(std::string_view text);
// The first count characters.
std::string FirstCharacters(std::string_view text, std::size_t count);

}  // namespace tagtext
