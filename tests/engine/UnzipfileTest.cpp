// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "engine/Unzipfile.h"
#include "support/TempFolder.h"
#include "DecodeTestSupport.h"
#include "TestArchive.h"

namespace fs = std::filesystem;

namespace {

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
    testarchive::Write(archive, {{program, "#!/bin/sh\necho ok\n", 0755}, {text, "plain", 0640}});
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
    testarchive::Write(archive, {{present, std::string(5000, 'x'), 0755}});
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

TEST_F(Extraction, EveryMemberIsUnpackedAndAFolderThatRefusesSaysWhy)
{
    const fs::path archive = folder / "EncodeDLL.dll";
    testarchive::Write(archive, {{"lame.exe", "#!/bin/sh\n", 0755}, {"doc/notes.txt", "notes", 0600}});
    std::error_code folderError;
    ASSERT_TRUE(engine::ExtractAllFromPackage(archive, folder / "out", folderError));
    EXPECT_FALSE(folderError);
    EXPECT_EQ(decodetest::ReadFile(folder / "out/doc/notes.txt"), "notes");
    EXPECT_EQ(fs::status(folder / "out/lame.exe").permissions() & fs::perms::all, fs::perms(0755));
    EXPECT_EQ(fs::status(folder / "out/doc/notes.txt").permissions() & fs::perms::all, fs::perms(0600));

    decodetest::WriteFile(folder / "a file", "");
    EXPECT_FALSE(engine::ExtractAllFromPackage(archive, folder / "a file", folderError));
    EXPECT_EQ(folderError, std::errc::not_a_directory);

    decodetest::WriteFile(folder / "not a zip.dll", "PK but not really an archive");
    EXPECT_FALSE(engine::ExtractAllFromPackage(folder / "not a zip.dll", folder / "out2", folderError));
    EXPECT_FALSE(folderError) << "the archive's fault, not the folder's";
    testarchive::Write(folder / "escaping.dll", {{"../outside.exe", "x", 0755}});
    EXPECT_FALSE(engine::ExtractAllFromPackage(folder / "escaping.dll", folder / "out3", folderError));
    EXPECT_FALSE(fs::exists(folder / "outside.exe"));
}

TEST_F(Extraction, TheFingerprintFollowsTheMembersNotTheArchiveFile)
{
    const std::vector<testarchive::Member> members = {{"lame.exe", "#!/bin/sh\n", 0755}, {"flac.exe", "x", 0755}};
    testarchive::Write(folder / "a.dll", members);
    testarchive::Write(folder / "b.dll", members);
    std::string a, b;
    ASSERT_TRUE(engine::ArchiveFingerprint(folder / "a.dll", a));
    ASSERT_TRUE(engine::ArchiveFingerprint(folder / "b.dll", b));
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.size(), 16u);

    std::vector<std::vector<testarchive::Member>> changes(3, members);
    changes[0][1].bytes = "y";     // content
    changes[1][1].mode = 0644;     // mode
    changes[2][1].name = "ogg.exe";  // name
    for (const auto& changed : changes) {
        fs::remove(folder / "c.dll");
        testarchive::Write(folder / "c.dll", changed);
        std::string c;
        ASSERT_TRUE(engine::ArchiveFingerprint(folder / "c.dll", c));
        EXPECT_NE(c, a) << changed[1].name;
    }
    decodetest::WriteFile(folder / "not a zip.dll", "PK but not really an archive");
    EXPECT_FALSE(engine::ArchiveFingerprint(folder / "not a zip.dll", a));
    EXPECT_FALSE(engine::ArchiveFingerprint(folder / "missing.dll", a));
}
