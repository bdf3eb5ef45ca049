// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <sys/mount.h>

namespace testsupport {

// A tmpfs mounted on a folder (made when missing) with mount flags
// (MS_NOEXEC, MS_RDONLY) and options ("size=8k"), unmounted at the end of
// the scope. Mounting
// needs root and a kernel that allows it; Mounted() says whether it worked,
// so a test can skip with the reason.
class TmpfsMount {
public:
    TmpfsMount(const std::filesystem::path& folder, unsigned long flags, const std::string& options = "size=4m")
        : folder_(folder)
    {
        std::filesystem::create_directories(folder_);
        mounted_ = ::mount("tremolix-test", folder_.c_str(), "tmpfs", flags, options.c_str()) == 0;
    }
    ~TmpfsMount()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool Mounted() const { return mounted_; }

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
};

}  // namespace testsupport
