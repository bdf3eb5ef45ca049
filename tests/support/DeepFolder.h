// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A chain of folders below a parent, so deep that its last folders' paths
// are longer than the system takes: listing them fails with "File name too
// long" for every user, root included (root ignores permission bits).

#include <filesystem>

namespace testsupport {

class DeepFolder {
public:
    explicit DeepFolder(const std::filesystem::path& top);
    ~DeepFolder();
    DeepFolder(const DeepFolder&) = delete;
    DeepFolder& operator=(const DeepFolder&) = delete;

    // The first folder of the chain that cannot be listed by its path.
    const std::filesystem::path& Unlistable() const { return unlistable_; }

private:
    std::filesystem::path top_;
    std::filesystem::path unlistable_;
};

}  // namespace testsupport
