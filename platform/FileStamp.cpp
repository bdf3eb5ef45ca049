// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileStamp.h"

#include <sys/stat.h>

namespace platform {

bool FileStamp::operator==(const FileStamp& other) const
{
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

std::optional<FileStamp> StampOf(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileStamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

}  // namespace platform
