// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/SafeRewrite.h"
#include "support/DeadPid.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::size_t Entries(const fs::path& folder)
{
    return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// The content becomes "<kept middle>!" of the original "0123456789".
bool Middle(platform::RewriteOutput& out)
{
    return out.CopyOriginal(2, 5) && out.Write(std::string_view("!"));
}

}  // namespace

TEST(SafeRewrite, NewContentReplacesTheFileOnlyWhenTheCheckPasses)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "song.m4a";
    Write(file, "0123456789");
    std::string seen;
    EXPECT_FALSE(platform::RewriteFile(file, Middle, [&](const fs::path& written) {
        seen = Read(written);
        return false;
    }));
    EXPECT_EQ(seen, "23456!") << "the check reads the complete, flushed file";
    EXPECT_EQ(Read(file), "0123456789");
    EXPECT_EQ(Entries(folder.path()), 1u);
    EXPECT_FALSE(platform::LastRewriteError().empty());

    EXPECT_TRUE(platform::RewriteFile(file, Middle, [](const fs::path&) { return true; }));
    EXPECT_EQ(Read(file), "23456!");
    EXPECT_EQ(Entries(folder.path()), 1u);
    EXPECT_TRUE(platform::LastRewriteError().empty());
}

TEST(SafeRewrite, FailuresInsideTheWriterLeaveNothingBehind)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "a.ogg";
    Write(file, "0123456789");
    // A range past the end of the original is refused, not padded.
    EXPECT_FALSE(platform::RewriteFile(file, [](platform::RewriteOutput& out) { return out.CopyOriginal(5, 6); }, {}));
    EXPECT_THROW(platform::RewriteFile(
                     file, [](platform::RewriteOutput&) -> bool { throw std::runtime_error("broken"); }, {}),
                 std::runtime_error);
    EXPECT_FALSE(platform::RewriteFile(file, Middle, [](const fs::path&) -> bool { throw std::runtime_error("x"); }));
    EXPECT_EQ(Read(file), "0123456789");
    EXPECT_EQ(Entries(folder.path()), 1u);
}

// The temporary file is fresh, private while written, beside the link's
// target, and named after it with our marker, our pid and a unique part.
TEST(SafeRewrite, TemporaryFileIsFreshAndBesideTheTarget)
{
    testsupport::TempFolder folder;
    fs::create_directory(folder / "music");
    const fs::path target = folder / "music" / "song.wma";
    const fs::path link = folder / "song.wma";
    Write(target, "0123456789");
    fs::create_symlink(target, link);
    Write(target.string() + "~", "planted");
    fs::path temporary;
    const auto write = [&](platform::RewriteOutput& out) {
        for (const auto& entry : fs::directory_iterator(target.parent_path()))
            if (entry.path() != target && entry.path().string() != target.string() + "~")
                temporary = entry.path();
        struct stat info {};
        EXPECT_EQ(::fstat(out.Descriptor(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        return Middle(out);
    };
    ASSERT_TRUE(platform::RewriteFile(link, write, {}));
    const std::string prefix = ".song.tremolix-twin." + std::to_string(getpid()) + "-";
    EXPECT_EQ(temporary.filename().string().rfind(prefix, 0), 0u) << temporary;
    EXPECT_EQ(temporary.filename().string().size(), prefix.size() + 8 + 4) << temporary;
    EXPECT_EQ(temporary.extension(), ".wma");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(target), "23456!");
    EXPECT_EQ(Read(target.string() + "~"), "planted");
    EXPECT_EQ(Entries(folder / "music"), 2u);
}

TEST(SafeRewrite, EditThroughCopyHandsOverTheWholeFileFromItsStart)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "a.m4a";
    Write(file, "0123456789");
    ASSERT_EQ(::chmod(file.c_str(), 0604), 0);
    const bool edited = platform::EditThroughCopy(
        file,
        [](int copy) {
            char bytes[10] = {};
            return ::read(copy, bytes, sizeof bytes) == 10 && std::string(bytes, 10) == "0123456789" &&
                   platform::WriteAt(copy, "AB", 2, 4);
        },
        [](const fs::path& written) { return Read(written) == "0123AB6789"; });
    EXPECT_TRUE(edited);
    EXPECT_EQ(Read(file), "0123AB6789");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);

    EXPECT_FALSE(platform::EditThroughCopy(file, [](int) { return false; }, {}));
    EXPECT_EQ(Read(file), "0123AB6789");
    EXPECT_EQ(Entries(folder.path()), 1u);
}

TEST(SafeRewrite, PathsThatAreNoRegularFilesAreRefused)
{
    testsupport::TempFolder folder;
    const fs::path fifo = folder / "pipe.ogg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(folder / "dir.ogg");
    for (const fs::path& path : {fifo, folder / "dir.ogg", folder / "missing.ogg"}) {
        EXPECT_FALSE(platform::RewriteFile(path, Middle, {})) << path;
        EXPECT_FALSE(platform::LastRewriteError().empty()) << path;
    }
    EXPECT_EQ(Entries(folder.path()), 2u);
}

// A whole new content: a missing file is made, a link is replaced by a file
// of its own while what it pointed to stays, a folder in the way is a failure.
TEST(SafeRewrite, ReplaceFileNeverWritesThroughALink)
{
    testsupport::TempFolder folder;
    const auto content = [](platform::RewriteOutput& out) { return out.Write(std::string_view("new")); };
    const fs::path fresh = folder / "fresh.pls";
    ASSERT_TRUE(platform::ReplaceFile(fresh, content, {}));
    EXPECT_EQ(Read(fresh), "new");
    struct stat info {};
    ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);

    const fs::path outside = folder / "outside.txt";
    const fs::path link = folder / "link.pls";
    Write(outside, "precious");
    fs::create_symlink(outside, link);
    ASSERT_TRUE(platform::ReplaceFile(link, content, {}));
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(Read(link), "new");
    EXPECT_EQ(Read(outside), "precious");

    ASSERT_EQ(::chmod(fresh.c_str(), 0600), 0);
    ASSERT_TRUE(platform::ReplaceFile(fresh, [](platform::RewriteOutput& out) { return out.Write("newer"); }, {}));
    EXPECT_EQ(Read(fresh), "newer");
    ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    fs::create_directories(folder / "dir.pls" / "inside");
    EXPECT_FALSE(platform::ReplaceFile(folder / "dir.pls", content, {}));
    EXPECT_NE(platform::LastRewriteError().find("Is a directory"), std::string::npos) << platform::LastRewriteError();
    EXPECT_EQ(Entries(folder.path()), 4u);
}

// A twin left by a killed rewrite goes with the next rewrite in its folder
// when it provably is ours; a user's look-alike stays. A name at the limit
// still gets a twin that fits.
TEST(SafeRewrite, TheNextRewriteRemovesOurStaleTwinsOnlyAndLongNamesWork)
{
    testsupport::TempFolder folder;
    const pid_t dead = testsupport::DeadPid();
    const fs::path stale = folder / (".song.tremolix-twin." + std::to_string(dead) + "-AbCd1234.mp3");
    const fs::path lookAlike = folder / "song.mp3~AbCd1234";
    Write(stale, "a killed rewrite's twin");
    Write(lookAlike, "a user's file");
    const fs::path file = folder / (std::string(241, 'n') + ".mp3");
    Write(file, "0123456789");
    EXPECT_TRUE(platform::RewriteFile(file, Middle, {})) << platform::LastRewriteError();
    EXPECT_EQ(Read(file), "23456!");
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_EQ(Read(lookAlike), "a user's file");
    EXPECT_EQ(Entries(folder.path()), 2u);
}
