// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The comment list shared by Ogg Vorbis and FLAC: a vendor string, then
// items "NAME=value", each behind a 32-bit little-endian length.

#include "analysis/Bytes.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace analysis {

struct VorbisCommentList {
    std::string vendor;               // bytes as stored
    std::vector<std::string> items;   // bytes as stored
    std::size_t end = 0;              // bytes taken from the data by the list
    bool complete = false;            // every announced item lay within the data
};

// Reads the list at the start of data. Lengths and the item count are
// bounded by the data, so a corrupt count cannot make the walk run on.
VorbisCommentList ParseVorbisComments(std::span<const std::uint8_t> data);

Bytes BuildVorbisComments(const std::string& vendor, const std::vector<std::string>& items);

struct CommentItem {
    std::string name;   // upper case
    std::string value;  // decoded, as stored otherwise
};

// Splits an item at its first "="; nothing when the name part is empty.
std::optional<CommentItem> SplitCommentItem(std::string_view item);

// The name other taggers use for the value of the named comment
// (DESCRIPTION for COMMENT, ENCODED-BY for ENCODER, WEBSITE for URL); empty
// when there is none. Read only when the named comment is absent.
std::string_view FallbackCommentName(std::string_view name);

// The stored form of a comment: NAME=value with the value encoded.
std::string JoinCommentItem(std::string_view name, std::string_view value);

}  // namespace analysis
