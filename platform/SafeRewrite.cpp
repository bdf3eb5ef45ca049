// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SafeRewrite.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "platform/Descriptor.h"
#include "platform/TemporaryNames.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr std::size_t ChunkSize = 1 << 16;

thread_local std::string lastError;

bool Fail(const std::string& why)
{
    lastError = why;
    return false;
}

bool FailWithErrno(const std::string& what, int error)
{
    return Fail(what + ": " + std::strerror(error));
}

bool WriteFully(int fd, const std::uint8_t* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return FailWithErrno("cannot write the new file", errno);
        if (n == 0)
            return Fail("cannot write the new file");
        data += n;
        length -= std::size_t(n);
    }
    return true;
}

// A new file beside target that nobody else can have prepared. A twin that
// a killed rewrite left in the folder goes first, when it provably is ours.
int CreateTemporary(const fs::path& target, fs::path& temporary)
{
    RemoveStaleTemporariesOnce(target.parent_path());
    const int fd = CreateTemporaryBeside(target, TemporaryKind::Twin, temporary);
    if (fd < 0)
        FailWithErrno("cannot create a temporary file in " + target.parent_path().string(), errno);
    return fd;
}

// The original: a regular file, reached through any links.
bool OpenOriginal(const fs::path& path, fs::path& target, Descriptor& fd, struct stat& info)
{
    std::error_code ec;
    target = fs::canonical(path, ec);
    if (ec)
        return Fail("cannot find the file: " + ec.message());
    fd.Reset(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return FailWithErrno("cannot open the file", errno);
    if (::fstat(fd.get(), &info) != 0)
        return FailWithErrno("cannot read the file's attributes", errno);
    if (!S_ISREG(info.st_mode))
        return Fail("not a regular file");
    return true;
}

// Owner and group where permitted (others may not give a file away), then
// the mode, which a change of owner may have cut.
bool KeepOwnerAndMode(int fd, const struct stat& original)
{
    if (::fchown(fd, original.st_uid, original.st_gid) != 0 && ::fchown(fd, uid_t(-1), original.st_gid) != 0) {
        // Not permitted: the new file stays ours, in our group.
    }
    if (::fchmod(fd, (original.st_mode & 07777) | S_IWUSR) != 0)
        return FailWithErrno("cannot set the new file's mode", errno);
    return true;
}

bool Flush(Descriptor& fd, const struct stat& original)
{
    if (!KeepOwnerAndMode(fd.get(), original))
        return false;
    if (::fsync(fd.get()) != 0)
        return FailWithErrno("cannot flush the new file to disk", errno);
    if (!fd.Close())
        return FailWithErrno("cannot close the new file", errno);
    return true;
}

bool Checked(const RewriteCheck& check, const fs::path& temporary)
{
    try {
        if (check && !check(temporary))
            return Fail("the new file did not read back as written");
    } catch (const std::exception& error) {
        return Fail(std::string("the new file did not read back: ") + error.what());
    }
    return true;
}

void SyncFolder(const fs::path& folder)
{
    const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

// Writes a fresh temporary file beside target, checks it and renames it
// over target; on any failure the temporary file is removed.
bool ReplaceThroughTemporary(const fs::path& target, int original, const struct stat& info,
                             const std::function<bool(RewriteOutput&)>& produce, const RewriteCheck& check)
{
    fs::path temporary;
    Descriptor fd(CreateTemporary(target, temporary));
    if (fd.get() < 0)
        return false;
    bool done = false;
    try {
        RewriteOutput output(original, std::uint64_t(info.st_size), fd.get());
        lastError = "cannot write the new file";
        done = produce(output) && Flush(fd, info) && Checked(check, temporary);
    } catch (...) {
        std::error_code ec;
        fs::remove(temporary, ec);
        throw;
    }
    if (done && std::rename(temporary.c_str(), target.c_str()) != 0)
        done = FailWithErrno("cannot replace the file", errno);
    if (!done) {
        std::error_code ec;
        fs::remove(temporary, ec);
        return false;
    }
    SyncFolder(target.parent_path());
    lastError.clear();
    return true;
}

}  // namespace

bool RewriteFile(const fs::path& path, const std::function<bool(RewriteOutput&)>& produce,
                 const RewriteCheck& check)
{
    fs::path target;
    Descriptor original;
    struct stat info {};
    if (!OpenOriginal(path, target, original, info))
        return false;
    return ReplaceThroughTemporary(target, original.get(), info, produce, check);
}

bool ReplaceFile(const fs::path& path, const std::function<bool(RewriteOutput&)>& produce,
                 const RewriteCheck& check)
{
    struct stat existing {};
    struct stat info {};
    const bool regular = ::lstat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    info.st_mode = regular ? existing.st_mode : S_IFREG | NewFileMode();
    info.st_uid = regular ? existing.st_uid : ::geteuid();
    info.st_gid = regular ? existing.st_gid : ::getegid();
    return ReplaceThroughTemporary(path, -1, info, produce, check);
}

bool RewriteOutput::Write(std::span<const std::uint8_t> bytes)
{
    if (!WriteFully(target_, bytes.data(), bytes.size()))
        return false;
    written_ += bytes.size();
    return true;
}

bool RewriteOutput::Write(std::string_view bytes)
{
    return Write(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

bool RewriteOutput::CopyOriginal(std::uint64_t offset, std::uint64_t length)
{
    if (offset > originalSize_ || length > originalSize_ - offset)
        return Fail("the file is shorter than its headers say");
    std::vector<std::uint8_t> chunk(ChunkSize);
    while (length > 0) {
        const std::size_t part = std::size_t(std::min<std::uint64_t>(length, ChunkSize));
        if (!ReadAt(original_, chunk.data(), part, offset))
            return FailWithErrno("cannot read the file", errno);
        if (!Write(std::span(chunk.data(), part)))
            return false;
        offset += part;
        length -= part;
    }
    return true;
}

bool MakeWritable(const fs::path& path)
{
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
    return !ec || Fail("cannot make the file writable: " + ec.message());
}

bool EditThroughCopy(const fs::path& path, const std::function<bool(int copy)>& edit, const RewriteCheck& check)
{
    return RewriteFile(
        path,
        [&](RewriteOutput& output) {
            if (!output.CopyOriginal(0, output.OriginalSize()))
                return false;
            if (::lseek(output.Descriptor(), 0, SEEK_SET) != 0)
                return FailWithErrno("cannot read the copy", errno);
            return edit(output.Descriptor()) || Fail("the file could not be edited");
        },
        check);
}

bool OverwriteInPlace(const fs::path& path, std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return FailWithErrno("cannot open the file for writing", errno);
    if (!WriteAt(fd.get(), bytes.data(), bytes.size(), offset))
        return FailWithErrno("cannot write the file", errno);
    if (::fsync(fd.get()) != 0)
        return FailWithErrno("cannot flush the file to disk", errno);
    return fd.Close() || FailWithErrno("cannot close the file", errno);
}

bool SameBytes(const fs::path& a, std::uint64_t aOffset, const fs::path& b, std::uint64_t bOffset,
               std::uint64_t length)
{
    const Descriptor first(::open(a.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    const Descriptor second(::open(b.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (first.get() < 0 || second.get() < 0)
        return false;
    std::vector<std::uint8_t> left(ChunkSize), right(ChunkSize);
    for (std::uint64_t done = 0; done < length;) {
        const std::size_t part = std::size_t(std::min<std::uint64_t>(length - done, ChunkSize));
        if (!ReadAt(first.get(), left.data(), part, aOffset + done) ||
            !ReadAt(second.get(), right.data(), part, bOffset + done) ||
            std::memcmp(left.data(), right.data(), part) != 0)
            return false;
        done += part;
    }
    return true;
}

bool ReadAt(int fd, void* data, std::size_t length, std::uint64_t offset)
{
    auto* bytes = static_cast<std::uint8_t*>(data);
    for (std::size_t done = 0; done < length;) {
        const ssize_t n = ::pread(fd, bytes + done, length - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

bool WriteAt(int fd, const void* data, std::size_t length, std::uint64_t offset)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t done = 0; done < length;) {
        const ssize_t n = ::pwrite(fd, bytes + done, length - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            errno = n < 0 ? errno : EIO;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

bool RefuseRewrite(const std::string& why)
{
    return Fail(why);
}

const std::string& LastRewriteError()
{
    return lastError;
}

}  // namespace platform
