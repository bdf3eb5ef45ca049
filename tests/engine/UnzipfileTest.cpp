// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include "engine/Unzipfile.h"
#include "support/TempFolder.h"
#include "DecodeTestSupport.h"

namespace fs = std::filesystem;

namespace {

struct Member {
    std::string name;
    std::string bytes;
    unsigned mode;
};

// An archive as the build writes it: Unix modes in the external attributes.
void WriteArchive(const fs::path& path, const std::vector<Member>& members)
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

// Member names unique to this run, as the temporary folder is shared.
std::string Unique(const std::string& name)
{
    return "tremolix-unzip-" + std::to_string(getpid()) + "-" + name;
}

class Extraction : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const fs::path& path : made)
            fs::remove_all(path);
    }
    testsupport::TempFolder folder;
    std::vector<fs::path> made;
};

}  // namespace

TEST_F(Extraction, UnpacksTheMemberWithItsModeOverAnyOldFile)
{
    const std::string program = Unique("lame.exe");
    const std::string text = Unique("readme.txt");
    const fs::path archive = folder / "EncodeDLL.dll";
    WriteArchive(archive, {{program, "#!/bin/sh\necho ok\n", 0755}, {text, "plain", 0640}});
    made = {engine::TempFolder() / program, engine::TempFolder() / text};
    decodetest::WriteFile(made[0], "an old, longer file of the same name");

    fs::path extracted;
    ASSERT_TRUE(engine::ExtractFromPackage(archive, program, extracted));
    EXPECT_EQ(extracted, engine::TempFolder() / program);
    EXPECT_EQ(decodetest::ReadFile(extracted), "#!/bin/sh\necho ok\n");
    EXPECT_EQ(fs::status(extracted).permissions() & fs::perms::all, fs::perms(0755));

    ASSERT_TRUE(engine::ExtractFromPackage(archive, text, extracted));
    EXPECT_EQ(fs::status(extracted).permissions() & fs::perms::all, fs::perms(0640));
}

TEST_F(Extraction, FailuresGiveFalseAndAnEmptyPath)
{
    const fs::path archive = folder / "EncodeDLL.dll";
    const std::string present = Unique("flac.exe");
    WriteArchive(archive, {{present, std::string(5000, 'x'), 0755}});
    decodetest::WriteFile(folder / "not a zip.dll", "PK but not really an archive");
    std::string damaged = decodetest::ReadFile(archive);
    damaged[60] = char(damaged[60] ^ 0x55);  // inside the compressed bytes
    decodetest::WriteFile(folder / "damaged.dll", damaged);
    made = {engine::TempFolder() / present};

    fs::path extracted = "stale";
    EXPECT_FALSE(engine::ExtractFromPackage(archive, Unique("oggenc2.exe"), extracted));
    EXPECT_TRUE(extracted.empty());
    EXPECT_FALSE(engine::ExtractFromPackage(folder / "missing.dll", present, extracted));
    EXPECT_FALSE(engine::ExtractFromPackage(folder / "not a zip.dll", present, extracted));
    EXPECT_FALSE(engine::ExtractFromPackage(folder / "damaged.dll", present, extracted));
    EXPECT_FALSE(fs::exists(engine::TempFolder() / present));
    EXPECT_FALSE(engine::ExtractFromPackage(archive, "../" + present, extracted));
    EXPECT_TRUE(extracted.empty());
}
