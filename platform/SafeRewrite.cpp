#include "platform/SafeRewrite.h"

#include <cstdio>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {
namespace {

bool SyncFile(const fs::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

bool MakeWritable(const fs::path& path)
{
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
    return !ec;
}

bool ReplaceWith(const fs::path& written, const fs::path& target)
{
    std::error_code ec;
    if (!SyncFile(written) || std::rename(written.c_str(), target.c_str()) != 0) {
        fs::remove(written, ec);
        return false;
    }
    return true;
}

bool EditThroughCopy(const fs::path& path, const std::function<bool(const fs::path&)>& edit)
{
    std::error_code ec;
    const fs::path copy = path.string() + "~";
    if (!MakeWritable(path) ||
        !fs::copy_file(path, copy, fs::copy_options::overwrite_existing, ec)) {
        fs::remove(copy, ec);
        return false;
    }
    // The copy carries the original's mode, so the replaced file keeps it.
    fs::permissions(copy, fs::status(path, ec).permissions(), ec);
    bool edited = false;
    try {
        edited = edit(copy);
    } catch (...) {
        fs::remove(copy, ec);
        throw;
    }
    if (!edited) {
        fs::remove(copy, ec);
        return false;
    }
    return ReplaceWith(copy, path);
}

}  // namespace platform
