// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The top-level boxes of an MP4 file, checked before TagLib sees it: a size
// past the end would make it read or copy beyond the file, and a last box
// of size 0 ("to the end of the file") would be grown into a broken size.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mp4boxes {

struct Box {
    std::string type;
    std::uint64_t offset = 0;
    std::uint64_t headerSize = 0;  // 8, or 16 with a 64-bit size
    std::uint64_t size = 0;        // the whole box; a size-0 box reaches the end
    bool toEnd = false;            // stored with size 0
};

// The boxes when they fill the file exactly; nothing otherwise.
std::optional<std::vector<Box>> TopLevelBoxes(const std::filesystem::path& path);

// Gives a size-0 last box its real 32-bit size in the file open as fd;
// false when it cannot be (it is too large).
bool StoreEndBoxSize(int fd, const std::vector<Box>& boxes);

// True when the two files hold the same media data ("mdat" boxes' content).
bool SameMediaData(const std::filesystem::path& a, const std::vector<Box>& aBoxes,
                   const std::filesystem::path& b, const std::vector<Box>& bBoxes);

}  // namespace mp4boxes
