// SPDX-License-Identifier: GPL-3.0-or-later
// Our temporary files' names: marked, fitting, and removed as leftovers only
// when provably ours.

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/TemporaryNames.h"
#include "support/DeadPid.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using platform::TemporaryKind;

namespace {

void Touch(const fs::path& path)
{
    std::ofstream(path) << "x";
}

bool ValidUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : 4;
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

}  // namespace

TEST(TemporaryNames, OnlyProvablyOurLeftoversAreRemoved)
{
    testsupport::TempFolder folder;
    const std::string dead = std::to_string(testsupport::DeadPid());
    const std::string live = std::to_string(getpid());
    const std::vector<std::string> stale = {
        ".song.tremolix-part." + dead + "-AbCd1234.mp3",
        "..song.tremolix-part." + live + "-AbCd1234.tremolix-twin." + dead + "-XyZ98765.mp3",
        ".notes.tremolix-twin." + dead + "-AbCd1234",
        ".song.tremolix-part." + dead + "-AbCd1234.ape~",   // our encoder's own twin of a part file
        ".song.tremolix-part." + dead + "-AbCd1234.ape~2",
    };
    const std::vector<std::string> kept = {
        ".notes.2024-backup.txt",
        ".song.mp3." + dead + "-AbC123.mp3",                  // an older program's pattern
        "song.mp3~AbCd1234",
        ".song.tremolix-part." + live + "-AbCd1234.mp3",      // its program still runs
        ".song.tremolix-part." + dead + "-AbCd123.mp3",       // unique part too short
        "song.tremolix-part." + dead + "-AbCd1234.mp3",       // not hidden
        ".song.tremolix-part." + dead + "-AbCd1234.mp3.bak",  // more after the extension
        ".song.tremolix-copy." + dead + "-AbCd1234.mp3",
        ".song.tremolix-part." + dead + "-AbCd1234.mp3~x",
    };
    for (const std::string& name : stale)
        Touch(folder / name);
    for (const std::string& name : kept)
        Touch(folder / name);
    // Our pattern on what is no regular file of ours stays too.
    Touch(folder / "victim");
    const fs::path link = folder / (".link.tremolix-part." + dead + "-AbCd1234.mp3");
    fs::create_symlink(folder / "victim", link);
    const fs::path directory = folder / (".dir.tremolix-part." + dead + "-AbCd1234.mp3");
    fs::create_directory(directory);
    const fs::path foreign = folder / (".foreign.tremolix-part." + dead + "-AbCd1234.mp3");
    Touch(foreign);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
    }

    platform::RemoveStaleTemporaries(folder.path());
    for (const std::string& name : stale)
        EXPECT_FALSE(fs::exists(folder / name)) << name;
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(folder / name)) << name;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::exists(folder / "victim"));
    EXPECT_TRUE(fs::is_directory(directory));
    EXPECT_EQ(fs::exists(foreign), root);
}

TEST(TemporaryNames, NamesAreMarkedPrivateAndFitTheFolder)
{
    testsupport::TempFolder folder;
    const std::string marks[] = {".tremolix-part." + std::to_string(getpid()) + "-",
                                 ".tremolix-twin." + std::to_string(getpid()) + "-"};
    // A long ASCII name, a long name of two-byte characters, a hidden one.
    std::string accented;
    for (int i = 0; i < 120; ++i)
        accented += "\xC3\xA9";
    for (const std::string& name : {std::string(250, 'n') + ".mp3", accented + ".flac", std::string(".hidden")}) {
        const fs::path target = folder / name;
        for (const TemporaryKind kind : {TemporaryKind::Part, TemporaryKind::Twin}) {
            SCOPED_TRACE(name.substr(0, 12) + (kind == TemporaryKind::Part ? " part" : " twin"));
            fs::path created;
            const int fd = platform::CreateTemporaryBeside(target, kind, created);
            ASSERT_GE(fd, 0);
            close(fd);
            const std::string made = created.filename().string();
            EXPECT_EQ(created.parent_path(), folder.path());
            EXPECT_LE(made.size(), 255u);
            EXPECT_EQ(made.front(), '.');
            EXPECT_TRUE(made.ends_with(target.extension().string())) << made;
            EXPECT_NE(made.find(marks[kind == TemporaryKind::Part ? 0 : 1]), std::string::npos) << made;
            EXPECT_TRUE(ValidUtf8(made));
            struct stat info {};
            ASSERT_EQ(lstat(created.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0600u);
            // Ours, and its program runs: no leftover.
            EXPECT_FALSE(platform::IsStaleTemporary(created));
            // A twin of that file fits as well.
            fs::path twin;
            const int twinFd = platform::CreateTemporaryBeside(created, TemporaryKind::Twin, twin);
            ASSERT_GE(twinFd, 0);
            close(twinFd);
            EXPECT_LE(twin.filename().string().size(), 255u);
            EXPECT_TRUE(twin.string().ends_with(target.extension().string())) << twin;
        }
    }
}

TEST(TemporaryNames, NamesThatCannotFitAreNamed)
{
    testsupport::TempFolder folder;
    EXPECT_EQ(platform::NameFitProblem(folder / (std::string(251, 'n') + ".mp3")), "");
    const std::string tooLong = std::string(252, 'n') + ".mp3";
    EXPECT_EQ(platform::NameFitProblem(folder / tooLong), "File name too long: \"" + tooLong + "\"");
    // A folder of the path, even one that does not exist yet.
    const std::string longFolder(256, 'f');
    EXPECT_EQ(platform::NameFitProblem(folder / "a" / longFolder / "song.mp3"),
              "File name too long: \"" + longFolder + "\"");
    // No room for a temporary's marker beside so long an extension.
    const std::string longExtension = "a." + std::string(240, 'x');
    EXPECT_EQ(platform::NameFitProblem(folder / longExtension), "File name too long: \"" + longExtension + "\"");
    // The whole path, with a temporary's name, within PATH_MAX.
    fs::path deep = folder.path();
    while (deep.string().size() < PATH_MAX - 300)
        deep /= std::string(200, 'd');
    EXPECT_EQ(platform::NameFitProblem(deep / "song.mp3"), "");
    const fs::path deeper = deep / std::string(200, 'd') / "song.mp3";
    EXPECT_EQ(platform::NameFitProblem(deeper), "File name too long: \"" + deeper.string() + "\"");
}
