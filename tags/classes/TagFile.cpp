#include "tags/classes/TagFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SafeRewrite.h"

namespace fs = std::filesystem;

namespace tagfile {
namespace {

constexpr std::uint64_t ChunkSize = 1 << 20;

bool WriteAll(int fd, const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CopyRange(const Reader& source, std::uint64_t offset, std::uint64_t length, int target)
{
    std::string chunk;
    while (length > 0) {
        const std::uint64_t part = length < ChunkSize ? length : ChunkSize;
        if (!source.ReadAt(offset, part, chunk) || !WriteAll(target, chunk.data(), chunk.size()))
            return false;
        offset += part;
        length -= part;
    }
    return true;
}

bool WritePieces(const Reader& source, const std::vector<Piece>& pieces, int target)
{
    for (const Piece& piece : pieces) {
        const bool ok = piece.fromFile ? CopyRange(source, piece.offset, piece.length, target)
                                       : WriteAll(target, piece.bytes.data(), piece.bytes.size());
        if (!ok)
            return false;
    }
    return true;
}

// A fresh twin: an old one is removed first, so a link there is never followed.
int CreateTwin(const fs::path& twin, mode_t mode)
{
    if (::unlink(twin.c_str()) != 0 && errno != ENOENT)
        return -1;
    const int fd = ::open(twin.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 && ::fchmod(fd, mode) != 0) {
        ::close(fd);
        ::unlink(twin.c_str());
        return -1;
    }
    return fd;
}

}  // namespace

Reader::~Reader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool Reader::Open(const fs::path& path)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        return false;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool Reader::ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const
{
    out.clear();
    if (fd_ < 0 || offset > size_ || length > size_ - offset)
        return false;
    out.resize(length);
    std::uint64_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd_, out.data() + done, length - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            out.clear();
            return false;
        }
        done += static_cast<std::uint64_t>(got);
    }
    return true;
}

bool Rewrite(const fs::path& link, const std::vector<Piece>& pieces)
{
    // A link is left a link: its target is what gets rewritten.
    std::error_code ec;
    const fs::path path = fs::canonical(link, ec);
    Reader source;
    struct stat info {};
    if (ec || !platform::MakeWritable(path) || !source.Open(path) || ::fstat(source.Descriptor(), &info) != 0)
        return false;
    const fs::path twin = path.string() + "~";
    const int target = CreateTwin(twin, (info.st_mode & 07777) | S_IWUSR);
    if (target < 0)
        return false;
    const bool written = WritePieces(source, pieces, target);
    const bool closed = ::close(target) == 0;
    if (!written || !closed) {
        ::unlink(twin.c_str());
        return false;
    }
    return platform::ReplaceWith(twin, path);
}

}  // namespace tagfile
