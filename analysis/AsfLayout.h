// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The object tree of an ASF (".wma") file, checked before TagLib sees it:
// a crafted object size (0, or one past the end) would make it read or copy
// without end.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "analysis/Bytes.h"

namespace analysis {

// The size of the header object when it lies within the file and every
// object inside it and its extension lies within its parent and is at least
// as long as its own header; nothing otherwise. What follows the header is
// TagLib's to copy as it stands.
std::optional<std::uint64_t> SoundAsfHeaderSize(const std::filesystem::path& path);

// The text descriptors of the extended content description as stored
// (UTF-16LE name and value, terminators included), in file order: the
// object other readers take the first value of a name from.
std::vector<std::pair<Bytes, Bytes>> ExtendedDescriptionTexts(const std::filesystem::path& path);

// In the file open as fd: texts of the content description that hold only
// their terminator are stored with length 0, so other readers see no empty
// attribute (TagLib writes all five texts). False when a write fails.
bool DropEmptyDescriptionTexts(int fd);

}  // namespace analysis
