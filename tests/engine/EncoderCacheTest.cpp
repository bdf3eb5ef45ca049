// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user folder the encoder programs run from: unpacked once per
// archive, kept between runs, never half there, cleaned of our own
// leftovers only, and one sentence when no folder can take the programs.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sys/stat.h>
#include <thread>

#include "engine/EncoderCache.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"
#include "support/TmpfsMount.h"
#include "DecodeTestSupport.h"
#include "TestArchive.h"

namespace fs = std::filesystem;

namespace {

const std::string Script = "#!/bin/sh\necho \"lame $1\"\n";

struct stat Stat(const fs::path& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

class EncoderCacheTest : public ::testing::Test {
protected:
    void SetUp() override { WriteArchive(Script); }

    void WriteArchive(const std::string& lame)
    {
        fs::remove(archive);
        testarchive::Write(archive, {{"lame.exe", lame, 0755}, {"flac.exe", "#!/bin/sh\necho flac\n", 0755},
                                     {"doc/readme.txt", "text", 0644}});
    }

    std::string RunProgram(const fs::path& program)
    {
        std::string output;
        EXPECT_EQ(testaudio::Run({program.string(), "x"}, &output), 0) << output;
        return output;
    }

    testsupport::TempFolder root;
    const fs::path archive = root / "EncodeDLL.dll";
    const fs::path place = root / "cache" / "tremolix" / "encoders";
};

}  // namespace

TEST_F(EncoderCacheTest, TheArchiveIsUnpackedOnceAndKeptWhileItStaysTheSame)
{
    engine::EncoderCache first;
    ASSERT_TRUE(first.Open(archive, {place})) << first.Error();
    EXPECT_EQ(first.Folder().parent_path(), place);
    EXPECT_EQ(first.Folder().filename().string().rfind("archive-", 0), 0u);
    const fs::path lame = first.Program("lame.exe");
    EXPECT_EQ(lame, first.Folder() / "lame.exe");
    EXPECT_EQ(RunProgram(lame), "lame x\n");
    EXPECT_EQ(decodetest::ReadFile(first.Folder() / "doc/readme.txt"), "text");
    EXPECT_EQ(Stat(first.Folder() / "doc/readme.txt").st_mode & 0777, 0644u);
    const struct stat before = Stat(lame);

    // Packed again with the same members, the archive is the same archive.
    WriteArchive(Script);
    engine::EncoderCache second;
    ASSERT_TRUE(second.Open(archive, {place})) << second.Error();
    EXPECT_EQ(second.Folder(), first.Folder());
    const struct stat after = Stat(second.Program("lame.exe"));
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

    WriteArchive("#!/bin/sh\necho \"lame 2 $1\"\n");
    engine::EncoderCache changed;
    ASSERT_TRUE(changed.Open(archive, {place})) << changed.Error();
    EXPECT_NE(changed.Folder(), first.Folder());
    EXPECT_EQ(RunProgram(changed.Program("lame.exe")), "lame 2 x\n");
}

TEST_F(EncoderCacheTest, AMissingProgramIsUnpackedAgainAndAnUnknownOneIsNone)
{
    engine::EncoderCache cache;
    ASSERT_TRUE(cache.Open(archive, {place})) << cache.Error();
    fs::remove(cache.Folder() / "flac.exe");
    EXPECT_EQ(RunProgram(cache.Program("flac.exe")), "flac\n");
    EXPECT_TRUE(cache.Program("ofr.exe").empty());
    EXPECT_TRUE(engine::EncoderCache().Program("lame.exe").empty());
}

TEST_F(EncoderCacheTest, LeftoversOfEarlierRunsGoButFoldersInUseAndOtherFilesStay)
{
    WriteArchive("#!/bin/sh\necho old\n");
    auto oldRun = std::make_unique<engine::EncoderCache>();
    ASSERT_TRUE(oldRun->Open(archive, {place})) << oldRun->Error();
    const fs::path inUse = oldRun->Folder();
    const fs::path outdated = place / "archive-0123456789abcdef";
    const fs::path killed = place / ".unpacking-Ab12Cd";
    for (const fs::path& folder : {outdated, killed, place / "archive-mine", place / ".unpacking-of-my-own"}) {
        fs::create_directories(folder);
        decodetest::WriteFile(folder / "lame.exe", "half");
    }
    decodetest::WriteFile(place / "notes.txt", "the user's");

    WriteArchive(Script);
    engine::EncoderCache newRun;
    ASSERT_TRUE(newRun.Open(archive, {place})) << newRun.Error();
    std::vector<std::string> expected = {".lock", ".unpacking-of-my-own", "archive-mine", "notes.txt",
                                         inUse.filename().string(), newRun.Folder().filename().string()};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(testsupport::SortedFileNames(place), expected);
    EXPECT_EQ(RunProgram(oldRun->Program("lame.exe")), "old\n");

    // Once the older run has ended, its folder goes too.
    oldRun.reset();
    engine::EncoderCache later;
    ASSERT_TRUE(later.Open(archive, {place})) << later.Error();
    EXPECT_FALSE(fs::exists(inUse));
    EXPECT_TRUE(fs::exists(newRun.Folder()));
    EXPECT_EQ(decodetest::ReadFile(place / "notes.txt"), "the user's");
}

TEST_F(EncoderCacheTest, ProcessesStartingTogetherShareOneWholeFolder)
{
    std::string big(4 << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 7919 % 251);
    testarchive::Write(archive, {{"lame.exe", Script, 0755}, {"big.bin", big, 0644}});
    std::vector<fs::path> folders(4);
    std::vector<std::thread> starts;
    for (fs::path& folder : folders)
        starts.emplace_back([&] {
            engine::EncoderCache cache;
            if (cache.Open(archive, {place}) && decodetest::ReadFile(cache.Folder() / "big.bin") == big)
                folder = cache.Folder();
        });
    for (std::thread& start : starts)
        start.join();
    for (const fs::path& folder : folders)
        EXPECT_EQ(folder, folders[0]);
    EXPECT_FALSE(folders[0].empty());
    EXPECT_EQ(testsupport::SortedFileNames(place).size(), 2u) << "the lock and one folder";
}

TEST_F(EncoderCacheTest, AnUnreadableArchiveLeavesNothingAndNamesNoFolder)
{
    decodetest::WriteFile(root / "not a zip.dll", "PK not an archive");
    std::string damaged = decodetest::ReadFile(archive);
    damaged[60] = char(damaged[60] ^ 0x55);  // inside the compressed bytes
    decodetest::WriteFile(root / "damaged.dll", damaged);
    for (const char* name : {"missing.dll", "not a zip.dll", "damaged.dll"}) {
        engine::EncoderCache cache;
        EXPECT_FALSE(cache.Open(root / name, {place, root / "second"})) << name;
        EXPECT_EQ(cache.Error(), "") << name;
        EXPECT_TRUE(cache.Folder().empty());
    }
    EXPECT_EQ(testsupport::SortedFileNames(place), std::vector<std::string>{".lock"});
    EXPECT_FALSE(fs::exists(root / "second"));
}

TEST_F(EncoderCacheTest, AFolderThatCannotTakeTheProgramsGivesOneSentenceOrTheNextPlace)
{
    decodetest::WriteFile(root / "file", "");
    const fs::path blocked = root / "file" / "encoders";
    engine::EncoderCache cache;
    EXPECT_FALSE(cache.Open(archive, {blocked}));
    EXPECT_EQ(cache.Error(), "Cannot unpack the encoders into \"" + blocked.string() + "\": Not a directory");

    ASSERT_TRUE(cache.Open(archive, {blocked, place})) << cache.Error();
    EXPECT_EQ(cache.Folder().parent_path(), place);
    EXPECT_EQ(cache.Error(), "");

    EXPECT_FALSE(cache.Open(archive, {}));
    EXPECT_NE(cache.Error().find("Cannot unpack the encoders"), std::string::npos) << cache.Error();
}

TEST_F(EncoderCacheTest, AFullOrReadOnlyFileSystemIsNamedWithTheReason)
{
    const testsupport::TmpfsMount full(root / "full", 0, "size=8k");
    const testsupport::TmpfsMount readOnly(root / "read-only", MS_RDONLY);
    if (!full.Mounted() || !readOnly.Mounted())
        GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    testarchive::Write(archive, {{"lame.exe", std::string(256 << 10, 'x'), 0755}});
    engine::EncoderCache cache;
    EXPECT_FALSE(cache.Open(archive, {root / "full"}));
    EXPECT_EQ(cache.Error(), "Cannot unpack the encoders into \"" + (root / "full").string() +
                                 "\": No space left on device");
    EXPECT_EQ(testsupport::SortedFileNames(root / "full"), std::vector<std::string>{".lock"}) << "the half folder is gone";
    EXPECT_FALSE(cache.Open(archive, {root / "read-only" / "encoders"}));
    EXPECT_EQ(cache.Error(), "Cannot unpack the encoders into \"" + (root / "read-only" / "encoders").string() +
                                 "\": Read-only file system");
}

TEST_F(EncoderCacheTest, ANoexecFolderIsPassedOverForTheNextPlace)
{
    const testsupport::TmpfsMount noexec(root / "noexec", MS_NOEXEC);
    if (!noexec.Mounted())
        GTEST_SKIP() << "cannot mount a noexec file system here (needs root)";
    const fs::path runtime = root / "runtime";
    engine::EncoderCache cache;
    ASSERT_TRUE(cache.Open(archive, {root / "noexec" / "encoders", runtime})) << cache.Error();
    EXPECT_EQ(cache.Folder().parent_path(), runtime);
    EXPECT_EQ(RunProgram(cache.Program("lame.exe")), "lame x\n");
    EXPECT_FALSE(fs::exists(root / "noexec" / "encoders" / cache.Folder().filename()));

    EXPECT_FALSE(cache.Open(archive, {root / "noexec" / "encoders"}));
    EXPECT_EQ(cache.Error(), "Cannot run the encoders from \"" + (root / "noexec" / "encoders").string() +
                                 "\": its file system is mounted noexec");
}

TEST(EncoderCachePlaces, TheUserCacheFolderComesFirstThenTheRuntimeFolder)
{
    const testsupport::ScopedEnv home("HOME", "/home/someone");
    {
        const testsupport::ScopedEnv cache("XDG_CACHE_HOME", "/var/cache/someone");
        const testsupport::ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(engine::EncoderCache::Places(),
                  (std::vector<fs::path>{"/var/cache/someone/tremolix/encoders", "/run/user/1000/tremolix/encoders"}));
    }
    const testsupport::ScopedEnv relative("XDG_CACHE_HOME", "relative");
    const testsupport::ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(engine::EncoderCache::Places(), std::vector<fs::path>{"/home/someone/.cache/tremolix/encoders"});
}
