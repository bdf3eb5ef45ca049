// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/FileReader.h"

#include "tags/classes/TagError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace analysis {
namespace {

[[noreturn]] void Fail(const char* what, const std::filesystem::path& path, int error)
{
    throw TagError(std::string(what) + " \"" + path.string() + "\": " + std::strerror(error));
}

}  // namespace

FileReader::FileReader(const std::filesystem::path& path) : path_(path)
{
    // Non-blocking, so that opening a FIFO cannot wait for a writer.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        Fail("Cannot open file", path, errno);
    struct stat info {};
    const bool statted = ::fstat(fd_, &info) == 0;
    const int error = statted ? EINVAL : errno;
    if (!statted || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        Fail("Not a regular file", path, error);
    }
    size_ = std::uint64_t(info.st_size);
}

FileReader::~FileReader()
{
    ::close(fd_);
}

Bytes FileReader::Read(std::uint64_t offset, std::size_t count) const
{
    if (offset >= size_)
        return {};
    Bytes bytes(std::size_t(std::min<std::uint64_t>(count, size_ - offset)));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd_, bytes.data() + done, bytes.size() - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail("Cannot read file", path_, errno);
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    bytes.resize(done);
    return bytes;
}

}  // namespace analysis
