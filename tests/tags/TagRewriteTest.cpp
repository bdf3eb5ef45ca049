// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <functional>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TagTestFiles.h"
#include "tags/classes/APETag.h"
#include "tags/classes/ID3v1.h"
#include "tags/classes/ID3v2.h"
#include "tags/classes/TagLayout.h"

using namespace tagtest;
namespace fs = std::filesystem;

namespace {

// Every writer of the tag classes, each with a value that makes it rewrite.
const std::vector<std::pair<const char*, std::function<bool(const fs::path&)>>>& Writers()
{
    static const std::vector<std::pair<const char*, std::function<bool(const fs::path&)>>> writers = {
        {"ID3v2", [](const fs::path& f) { TID3v2 t; t.Load(f); t.SetTitle("Title"); return t.Save(f); }},
        {"ID3v1", [](const fs::path& f) { TID3v1 t; t.Load(f); t.SetTitle("Title"); return t.Save(f); }},
        {"ID3v1 strip", [](const fs::path& f) { TID3v1 t; return t.Strip(f); }},
        {"APE", [](const fs::path& f) { TAPETag t; t.Load(f); t.SetItem("Title", "T"); return t.Save(f); }},
        {"APE remove", [](const fs::path& f) { TAPETag t; return t.RemoveFromFile(f); }},
    };
    return writers;
}

// A tone with all three tags, so every writer has something to change.
fs::path TaggedTone(const testsupport::TempFolder& folder)
{
    const fs::path file = CopyTone(folder);
    TID3v2 v2;
    v2.SetArtist("Artist");
    TAPETag ape;
    ape.SetItem("Artist", "Artist");
    TID3v1 v1;
    v1.SetArtist("Artist");
    EXPECT_TRUE(v2.Save(file) && ape.Save(file) && v1.Save(file));
    return file;
}

// Runs the writer in a child process prepared by setup; true when it succeeded.
bool SaveInChild(const std::function<bool(const fs::path&)>& writer, const fs::path& file,
                 const std::function<void()>& setup)
{
    const pid_t child = fork();
    if (child == 0) {
        setup();
        _exit(writer(file) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A child that may not write files beyond limit bytes.
bool SaveUnderSizeLimit(const std::function<bool(const fs::path&)>& writer, const fs::path& file, rlim_t limit)
{
    return SaveInChild(writer, file, [limit] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit rl{limit, limit};
        setrlimit(RLIMIT_FSIZE, &rl);
    });
}

TEST(TagRewrite, FailedSaveLeavesTheOriginalByteForByte)
{
    testsupport::TempFolder folder;
    const fs::path file = TaggedTone(folder);
    const std::string before = ReadFile(file);
    for (const auto& [name, writer] : Writers()) {
        EXPECT_FALSE(SaveUnderSizeLimit(writer, file, before.size() / 2)) << name;
        EXPECT_EQ(ReadFile(file), before) << name;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1) << name;
    }
}

// Names planted where a temporary file could be expected are never used:
// neither a folder nor a link to another file is touched.
TEST(TagRewrite, PlantedTwinNamesAreNeverUsed)
{
    testsupport::TempFolder folder;
    const fs::path file = TaggedTone(folder);
    const fs::path victim = folder / "victim";
    WriteFile(victim, "not to be overwritten");
    fs::create_directory(file.string() + "~");
    fs::create_symlink(victim, file.string() + "~0");
    for (const auto& [name, writer] : Writers()) {
        EXPECT_TRUE(writer(file)) << name;
        EXPECT_EQ(ReadFile(victim), "not to be overwritten") << name;
    }
    EXPECT_TRUE(fs::is_directory(file.string() + "~"));
    EXPECT_TRUE(fs::is_symlink(file.string() + "~0"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 4)
        << "a temporary file was left";
}

TEST(TagRewrite, ReadOnlyFolderLeavesTheOriginal)
{
    testsupport::TempFolder folder;
    const fs::path file = TaggedTone(folder);
    const std::string before = ReadFile(file);
    // Permissions do not bind the superuser: the writer then runs as nobody,
    // who owns the file and the folder.
    const uid_t nobody = 65534;
    const bool drop = geteuid() == 0;
    if (drop) {
        ASSERT_EQ(chown(folder.path().c_str(), nobody, nobody), 0);
        ASSERT_EQ(chown(file.c_str(), nobody, nobody), 0);
    }
    const auto asOwner = [drop] {
        if (drop && (setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(2);
    };
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    for (const auto& [name, writer] : Writers()) {
        EXPECT_FALSE(SaveInChild(writer, file, asOwner)) << name;
        EXPECT_EQ(ReadFile(file), before) << name;
    }
    // The same writer succeeds once the folder may be written.
    fs::permissions(folder.path(), fs::perms::owner_all);
    EXPECT_TRUE(SaveInChild(Writers()[0].second, file, asOwner));
}

TEST(TagRewrite, ReadOnlyFileAndLeftoverTwinAreHandled)
{
    testsupport::TempFolder folder;
    const fs::path file = TaggedTone(folder);
    WriteFile(file.string() + "~", "left over from a crash");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
    for (const auto& [name, writer] : Writers())
        EXPECT_TRUE(writer(file)) << name;
    EXPECT_EQ(ReadFile(file.string() + "~"), "left over from a crash");
    EXPECT_TRUE((fs::status(file).permissions() & fs::perms::owner_write) != fs::perms::none);
    EXPECT_TRUE((fs::status(file).permissions() & fs::perms::group_read) != fs::perms::none);
}

TEST(TagRewrite, LinkedFileIsRewrittenThroughTheLink)
{
    testsupport::TempFolder folder;
    const fs::path file = TaggedTone(folder);
    const fs::path link = folder / "link.mp3";
    fs::create_symlink(file, link);
    for (const auto& [name, writer] : Writers())
        EXPECT_TRUE(writer(link)) << name;
    EXPECT_TRUE(fs::is_symlink(link));
    TID3v2 v2;
    ASSERT_TRUE(v2.Load(file));
    EXPECT_EQ(v2.Title(), "Title");
}

TEST(TagRewrite, SavingTwiceKeepsTheAudioAndTheBytes)
{
    testsupport::TempFolder folder;
    const fs::path file = TaggedTone(folder);
    TTagLayout layout;
    ASSERT_TRUE(ReadTagLayout(file, layout));
    EXPECT_GT(layout.ID3v2Size, 0u);
    EXPECT_EQ(layout.ID3v1Size, 128u);
    EXPECT_GT(layout.APESize, 0u);
    const std::string bytes = ReadFile(file);
    EXPECT_EQ(bytes.substr(layout.AudioStart(), layout.AudioEnd() - layout.AudioStart()), ToneBytes());

    const auto resave = [&] {
        TID3v2 v2;
        TAPETag ape;
        TID3v1 v1;
        return v2.Load(file) && v2.Save(file) && ape.Load(file) && ape.Save(file) && v1.Load(file) && v1.Save(file);
    };
    ASSERT_TRUE(resave());
    EXPECT_EQ(ReadFile(file), bytes);
    ASSERT_TRUE(resave());
    EXPECT_EQ(ReadFile(file), bytes);
}

TEST(TagRewrite, LayoutFindsLyricsAndApeInEitherOrder)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "a.mp3";
    const std::string lyrics = std::string("LYRICSBEGIN" "IND0000200" "AUT00003Bob") + "000032LYRICS200";
    TAPETag ape;
    ape.SetItem("Title", "T");
    for (const bool apeFirst : {true, false}) {
        WriteFile(file, "audio");
        if (apeFirst) {
            ASSERT_TRUE(ape.Save(file));
            WriteFile(file, ReadFile(file) + lyrics + ID3v1("S", "", 0, 0, 1));
        } else {
            WriteFile(file, "audio" + lyrics);
            ASSERT_TRUE(ape.Save(file));
        }
        TTagLayout layout;
        ASSERT_TRUE(ReadTagLayout(file, layout));
        EXPECT_EQ(layout.AudioEnd(), 5u) << apeFirst;
        EXPECT_EQ(layout.Lyrics3Size, lyrics.size());
    }
}

}  // namespace
