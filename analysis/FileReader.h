// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Read access to a file at fixed or computed positions, the way the
// analysers look into stream headers.

#include "analysis/Bytes.h"

#include <cstdint>
#include <filesystem>

namespace analysis {

class FileReader {
public:
    // Throws TagError when the path cannot be opened or is not a regular file
    // (a FIFO or a device would block or never end).
    explicit FileReader(const std::filesystem::path& path);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    std::uint64_t Size() const { return size_; }

    // Up to count bytes at offset; fewer at the end of the file, none past it.
    // Throws TagError when the read fails.
    Bytes Read(std::uint64_t offset, std::size_t count) const;

private:
    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace analysis
