// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/classes/TagFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tagfile {
namespace {

bool WritePieces(platform::RewriteOutput& output, const std::vector<Piece>& pieces)
{
    for (const Piece& piece : pieces) {
        const bool ok = piece.fromFile ? output.CopyOriginal(piece.offset, piece.length) : output.Write(piece.bytes);
        if (!ok)
            return false;
    }
    return true;
}

// The ranges kept from the old file stand unchanged in the new one.
bool KeptRangesAreIntact(const fs::path& original, const fs::path& written, const std::vector<Piece>& pieces)
{
    std::uint64_t at = 0;
    for (const Piece& piece : pieces) {
        if (piece.fromFile && !platform::SameBytes(original, piece.offset, written, at, piece.length))
            return false;
        at += piece.fromFile ? piece.length : piece.bytes.size();
    }
    std::error_code ec;
    return fs::file_size(written, ec) == at && !ec;
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

bool Rewrite(const fs::path& path, const std::vector<Piece>& pieces, const platform::RewriteCheck& check)
{
    std::error_code ec;
    const fs::path original = fs::canonical(path, ec);
    return platform::RewriteFile(
        path, [&](platform::RewriteOutput& output) { return WritePieces(output, pieces); },
        [&](const fs::path& written) {
            return KeptRangesAreIntact(original, written, pieces) && (!check || check(written));
        });
}

}  // namespace tagfile
