// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What tells, without reading it, that a file changed: which file the name
// leads to, its size and its modification time.

#include <ctime>
#include <filesystem>
#include <optional>
#include <sys/types.h>

namespace platform {

struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    bool operator==(const FileStamp& other) const;
};

// The file's stamp now; nullopt when it cannot be read.
std::optional<FileStamp> StampOf(const std::filesystem::path& path);

}  // namespace platform
