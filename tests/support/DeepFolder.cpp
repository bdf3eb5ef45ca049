// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DeepFolder.h"

#include <climits>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace testsupport {

DeepFolder::DeepFolder(const fs::path& top) : top_(top)
{
    // Made one step at a time relative to its parent, as no whole path
    // this long would be taken.
    const std::string name(200, 'd');
    fs::create_directories(top);
    int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    fs::path path = top;
    while (fd >= 0 && path.string().size() < PATH_MAX) {
        path /= name;
        const int parent = fd;
        fd = -1;
        if (::mkdirat(parent, name.c_str(), 0755) == 0)
            fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(parent);
    }
    if (fd < 0)
        throw std::runtime_error("cannot make a deep folder chain below " + top.string());
    ::close(fd);
    unlistable_ = path;
}

DeepFolder::~DeepFolder()
{
    // std::filesystem cannot remove what it cannot name; rm walks relative to each folder.
    testaudio::Run({"rm", "-rf", top_.string()});
}

}  // namespace testsupport
