// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavio/OutputFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace wavio {
namespace {

constexpr int TwinAttempts = 100;
constexpr std::size_t MoveBlock = 1 << 20;

// The twin's name for the signal handler, which may only use plain memory.
std::array<char, 4096> g_twinName {};
volatile std::sig_atomic_t g_haveTwin = 0;

void RemoveTwinAndDie(int signal)
{
    if (g_haveTwin)
        unlink(g_twinName.data());
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void RegisterTwin(const fs::path& twin)
{
    const std::string& name = twin.native();
    if (name.size() >= g_twinName.size())
        return;
    std::memcpy(g_twinName.data(), name.c_str(), name.size() + 1);
    g_haveTwin = 1;
    for (int signal : {SIGHUP, SIGINT, SIGTERM, SIGPIPE})
        std::signal(signal, RemoveTwinAndDie);
}

void UnregisterTwin() { g_haveTwin = 0; }

fs::path TwinName(const fs::path& target, int attempt)
{
    fs::path twin = target;
    twin += attempt == 0 ? std::string("~") : "~" + std::to_string(attempt);
    return twin;
}

// Repeats step(data, size, offset), a write, pread or pwrite, until the
// whole size is done, retrying after interruptions.
template <typename Buffer, typename Step>
bool TransferAll(Buffer* data, std::size_t size, std::uint64_t offset, Step step)
{
    while (size > 0) {
        const ssize_t n = step(data, size, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
        offset += std::uint64_t(n);
    }
    return true;
}

}  // namespace

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Create(const fs::path& target, std::string& error)
{
    target_ = target;
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    if (!CreateUnnamed(folder) && !CreateTwin()) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

bool OutputFile::CreateUnnamed(const fs::path& folder)
{
    // Linking an unnamed file needs its /proc entry.
    if (access("/proc/self/fd", X_OK) != 0)
        return false;
    fd_ = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    unnamed_ = fd_ >= 0;
    return unnamed_;
}

bool OutputFile::CreateTwin()
{
    for (int attempt = 0; attempt < TwinAttempts; ++attempt) {
        const fs::path twin = TwinName(target_, attempt);
        fd_ = open(twin.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            twin_ = twin;
            RegisterTwin(twin_);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool OutputFile::Write(const void* data, std::size_t size)
{
    return TransferAll(static_cast<const char*>(data), size, 0,
                       [this](const char* bytes, std::size_t n, std::uint64_t) { return write(fd_, bytes, n); });
}

bool OutputFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size)
{
    return TransferAll(static_cast<const char*>(data), size, offset,
                       [this](const char* bytes, std::size_t n, std::uint64_t at) {
                           return pwrite(fd_, bytes, n, off_t(at));
                       });
}

bool OutputFile::ReadAt(std::uint64_t offset, void* data, std::size_t size)
{
    return TransferAll(static_cast<char*>(data), size, offset, [this](char* bytes, std::size_t n, std::uint64_t at) {
        return pread(fd_, bytes, n, off_t(at));
    });
}

// Block by block, from the far end first when moving up, so that no byte is
// overwritten before it was copied.
bool OutputFile::MoveTail(std::uint64_t from, std::uint64_t to)
{
    const std::int64_t size = Size();
    if (size < 0 || std::uint64_t(size) < from)
        return false;
    const std::uint64_t length = std::uint64_t(size) - from;
    std::vector<char> buffer(std::size_t(std::min<std::uint64_t>(MoveBlock, length)));
    for (std::uint64_t done = 0; done < length;) {
        const std::size_t n = std::size_t(std::min<std::uint64_t>(buffer.size(), length - done));
        const std::uint64_t offset = to > from ? length - done - n : done;
        if (!ReadAt(from + offset, buffer.data(), n) || !WriteAt(to + offset, buffer.data(), n))
            return false;
        done += n;
    }
    if (to < from && ftruncate(fd_, off_t(to + length)) != 0)
        return false;
    return Seek(0, SEEK_END) >= 0;
}

std::int64_t OutputFile::Seek(std::int64_t offset, int whence) { return lseek(fd_, off_t(offset), whence); }

std::int64_t OutputFile::Size() const
{
    struct stat info {};
    return fstat(fd_, &info) == 0 ? std::int64_t(info.st_size) : -1;
}

bool OutputFile::LinkUnnamed(fs::path& linked)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < TwinAttempts; ++attempt) {
        const fs::path twin = TwinName(target_, attempt);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, twin.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            linked = twin;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool OutputFile::Commit(std::string& error)
{
    fs::path written = twin_;
    bool ok = fd_ >= 0 && fsync(fd_) == 0 && (!unnamed_ || LinkUnnamed(written));
    ok = ok && rename(written.c_str(), target_.c_str()) == 0;
    if (!ok) {
        error = std::strerror(errno);
        if (unnamed_ && !written.empty())
            unlink(written.c_str());
        Discard();
        return false;
    }
    twin_.clear();
    UnregisterTwin();
    close(fd_);
    fd_ = -1;
    return true;
}

void OutputFile::Discard()
{
    if (!twin_.empty()) {
        unlink(twin_.c_str());
        twin_.clear();
        UnregisterTwin();
    }
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

}  // namespace wavio
