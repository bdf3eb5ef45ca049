#include "analysis/FileRewrite.h"

#include "platform/SafeRewrite.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace analysis {
namespace {

bool WriteTemporary(const fs::path& temporary, const std::function<bool(std::ostream&)>& write)
{
    // A fresh file: whatever stood under the name (a link too) goes first.
    std::error_code ec;
    fs::remove(temporary, ec);
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out || !write(out))
        return false;
    out.close();
    return !out.fail();
}

}  // namespace

bool WriteBytes(std::ostream& out, const Bytes& bytes)
{
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

bool ReplaceThroughTemporary(const fs::path& path, const std::function<bool(std::ostream&)>& write,
                             const std::function<bool(const fs::path&)>& check)
{
    const fs::path temporary = path.string() + "~";
    std::error_code ec;
    bool written = false;
    try {
        written = WriteTemporary(temporary, write) && check(temporary);
    } catch (...) {
        fs::remove(temporary, ec);
        throw;
    }
    if (!written) {
        fs::remove(temporary, ec);
        return false;
    }
    // The replaced file keeps the original's mode.
    fs::permissions(temporary, fs::status(path, ec).permissions(), ec);
    return platform::ReplaceWith(temporary, path);
}

bool WriteInPlace(const fs::path& path, std::uint64_t offset, const Bytes& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    const bool synced = done == bytes.size() && ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

}  // namespace analysis
