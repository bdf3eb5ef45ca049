// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Encoder archives made at test time, as the build writes them: Unix modes
// in the external attributes.

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>
#include <zip.h>

namespace testarchive {

struct Member {
    std::string name;
    std::string bytes;
    unsigned mode;
};

inline void Write(const std::filesystem::path& path, const std::vector<Member>& members)
{
    zipFile archive = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(archive, nullptr);
    for (const Member& member : members) {
        zip_fileinfo info{};
        info.external_fa = uLong(member.mode | S_IFREG) << 16;
        ASSERT_EQ(zipOpenNewFileInZip4_64(archive, member.name.c_str(), &info, nullptr, 0, nullptr, 0,
                                          nullptr, Z_DEFLATED, 9, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY,
                                          nullptr, 0, (3 << 8) | 20, 0, 0),
                  ZIP_OK);
        zipWriteInFileInZip(archive, member.bytes.data(), unsigned(member.bytes.size()));
        zipCloseFileInZip(archive);
    }
    zipClose(archive, nullptr);
}

}  // namespace testarchive
