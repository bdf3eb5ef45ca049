// SPDX-License-Identifier: GPL-3.0-or-later
// Every tag writer under faults: a full file system, planted twin names,
// links, and crafted headers. A write that cannot be done says so and
// leaves the original byte for byte, with no temporary file behind.

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TagTestFiles.h"
#include "analysis/FLACfile.h"
#include "analysis/OggVorbis.h"
#include "analysis/WMAReader.h"
#include "support/TestAudio.h"
#include "tags/Mp4TagBridge.h"
#include "tags/classes/ID3v2.h"
#include "tags/classes/TagError.h"

using namespace tagtest;
namespace fs = std::filesystem;

namespace {

// Each writer adds tens of kilobytes, so it must rewrite the whole file.
struct Writer {
    const char* audio;
    const char* name;
    std::function<bool(const fs::path&)> write;
};

const std::string Long(60000, 'x');

const std::vector<Writer>& Writers()
{
    static const std::vector<Writer> writers = {
        {"tone.mp3", "song.mp3", [](const fs::path& f) { TID3v2 t; t.Load(f); t.SetComment(Long); return t.Save(f); }},
        {"tone.flac", "song.flac",
         [](const fs::path& f) { TFLACfile t; return t.Load(f) && (t.Lyrics = Long, t.Save(f, false)); }},
        {"tone.ogg", "song.ogg", [](const fs::path& f) { TOggVorbis t; return t.Load(f) && (t.Comment = Long, t.Save(f)); }},
        {"tone.wma", "song.wma",
         [](const fs::path& f) {
             TTagsData data;
             ReadWmaTags(f, data);
             data.Description = Long;
             try {
                 return WriteWmaTags(data);
             } catch (const TagError&) {
                 return false;
             }
         }},
        {"tone.m4a", "song.m4a",
         [](const fs::path& f) { TMp4TagBridge t; return t.Load(f) && t.SetValue("COMMENT", Long) && t.Write(); }},
    };
    return writers;
}

fs::path CopyInto(const fs::path& folder, const Writer& writer)
{
    const fs::path file = folder / writer.name;
    fs::copy_file(testaudio::Get(writer.audio), file);
    return file;
}

std::size_t Entries(const fs::path& folder)
{
    return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

std::string AudioDigest(const fs::path& file)
{
    std::string output;
    EXPECT_EQ(RunProgram({"ffmpeg", "-v", "error", "-i", file.string(), "-map", "0:a", "-f", "md5", "-"}, &output), 0);
    return output.substr(output.find("MD5="));
}

// A small file system of its own where the process may mount one.
class SmallFileSystem {
public:
    SmallFileSystem(const fs::path& where, std::uint64_t bytes) : path_(where)
    {
        fs::create_directory(path_);
        const std::string options = "size=" + std::to_string(bytes);
        mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallFileSystem()
    {
        if (mounted_)
            ::umount2(path_.c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool Mounted() const { return mounted_; }

private:
    fs::path path_;
    bool mounted_ = false;
};

std::uint64_t Pages(std::uint64_t bytes)
{
    return (bytes + 4095) / 4096 * 4096;
}

// Runs the writer in a child that may write no file beyond limit bytes.
bool WriteUnderSizeLimit(const Writer& writer, const fs::path& file, rlim_t limit)
{
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit rl{limit, limit};
        setrlimit(RLIMIT_FSIZE, &rl);
        _exit(writer.write(file) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A full disk: no room for the copy at all, or room for the copy but not
// for what the writer adds to it.
TEST(WriterFaults, FullFileSystemLeavesEveryFormatByteForByte)
{
    for (const Writer& writer : Writers()) {
        const std::uint64_t size = fs::file_size(testaudio::Get(writer.audio));
        for (const std::uint64_t room : {Pages(size) + 8192, 2 * Pages(size) + 8192}) {
            SCOPED_TRACE(std::string(writer.name) + " room " + std::to_string(room));
            testsupport::TempFolder outer;
            const fs::path folder = outer / "disk";
            const SmallFileSystem disk(folder, room);
            const fs::path file = CopyInto(folder, writer);
            const std::string before = ReadFile(file);
            const bool written = disk.Mounted() ? writer.write(file)
                                                : WriteUnderSizeLimit(writer, file, room - Pages(size));
            EXPECT_FALSE(written);
            EXPECT_EQ(ReadFile(file), before);
            EXPECT_EQ(Entries(folder), 1u) << "a temporary file was left";
        }
    }
}

// A link planted under the names a careless writer would use points at a
// file that must not change; the writer succeeds and leaves both alone.
TEST(WriterFaults, PlantedTwinLinksAreNeverFollowed)
{
    for (const Writer& writer : Writers()) {
        SCOPED_TRACE(writer.name);
        testsupport::TempFolder folder;
        const fs::path file = CopyInto(folder.path(), writer);
        const fs::path victim = folder / "victim";
        WriteFile(victim, "precious");
        for (const char* suffix : {"~", "~0", ".tmp", "~~"})
            fs::create_symlink(victim, file.string() + suffix);
        EXPECT_TRUE(writer.write(file));
        EXPECT_EQ(ReadFile(victim), "precious");
        for (const char* suffix : {"~", "~0", ".tmp", "~~"})
            EXPECT_TRUE(fs::is_symlink(file.string() + suffix)) << suffix;
        EXPECT_EQ(Entries(folder.path()), 6u);
    }
}

// Written through a link, the target is replaced and the link stays; the
// target keeps its mode (plus owner write), owner and group.
TEST(WriterFaults, LinkModeAndOwnerSurviveTheRewrite)
{
    const bool root = geteuid() == 0;
    for (const Writer& writer : Writers()) {
        SCOPED_TRACE(writer.name);
        testsupport::TempFolder folder;
        const fs::path file = CopyInto(folder.path(), writer);
        const fs::path link = folder / (std::string("link-") + writer.name);
        fs::create_symlink(file, link);
        ASSERT_EQ(::chmod(file.c_str(), 0440), 0);
        if (root) {
            ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
        }
        const std::string audio = AudioDigest(file);
        EXPECT_TRUE(writer.write(link));
        EXPECT_TRUE(fs::is_symlink(link));
        struct stat info {};
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
        if (root) {
            EXPECT_EQ(info.st_uid, 65534u);
            EXPECT_EQ(info.st_gid, 65534u);
        }
        EXPECT_EQ(AudioDigest(file), audio);
        EXPECT_EQ(Entries(folder.path()), 2u);
    }
}

void Store64(std::string& bytes, std::size_t at, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        bytes[at + std::size_t(i)] = char(value >> (8 * i));
}

// Object sizes that would make a reader or a copy run on: a header object
// past the end, an object inside it of size 0 or 2^64-1, and more objects
// announced than the header holds.
TEST(WriterFaults, CraftedAsfHeadersAreRefusedWithoutDamage)
{
    const std::string tone = ReadFile(testaudio::Get("tone.wma"));
    const std::vector<std::pair<const char*, std::function<void(std::string&)>>> crafts = {
        {"header size 2^64-1", [](std::string& b) { Store64(b, 16, ~std::uint64_t(0)); }},
        {"object size 0", [](std::string& b) { Store64(b, 30 + 16, 0); }},
        {"object size 2^64-1", [](std::string& b) { Store64(b, 30 + 16, ~std::uint64_t(0)); }},
        {"object count", [](std::string& b) { b[24] = char(0x7F); }},
    };
    for (const auto& [name, craft] : crafts) {
        SCOPED_TRACE(name);
        testsupport::TempFolder folder;
        const fs::path file = folder / "crafted.wma";
        std::string bytes = tone;
        craft(bytes);
        WriteFile(file, bytes);
        TTagsData data;
        ReadWmaTags(file, data);
        EXPECT_EQ(data, TTagsData{});
        data.Title = "T";
        EXPECT_THROW(WriteWmaTags(data), TagError);
        EXPECT_EQ(ReadFile(file), bytes);
        EXPECT_EQ(Entries(folder.path()), 1u);
    }
}

std::uint32_t BoxSize(const std::string& bytes, std::size_t at)
{
    return std::uint32_t(std::uint8_t(bytes[at])) << 24 | std::uint32_t(std::uint8_t(bytes[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(bytes[at + 2])) << 8 | std::uint8_t(bytes[at + 3]);
}

// The offset of the last top-level box.
std::size_t LastBox(const std::string& bytes)
{
    std::size_t at = 0;
    while (at + BoxSize(bytes, at) < bytes.size())
        at += BoxSize(bytes, at);
    return at;
}

// A last box of size 0 runs to the end of the file, which is legal: the
// write succeeds whether that box is the media data or the movie header.
TEST(WriterFaults, Mp4WhoseLastBoxRunsToTheEndIsHandled)
{
    testsupport::TempFolder folder;
    const fs::path moovLast = folder / "moov-last.m4a";
    const fs::path mdatLast = folder / "mdat-last.m4a";
    fs::copy_file(testaudio::Get("tone.m4a"), moovLast);
    ASSERT_EQ(RunProgram({"ffmpeg", "-v", "error", "-i", moovLast.string(), "-c", "copy", "-movflags", "+faststart",
                          mdatLast.string()}),
              0);
    for (const fs::path& file : {moovLast, mdatLast}) {
        SCOPED_TRACE(file.filename().string());
        std::string bytes = ReadFile(file);
        const std::size_t last = LastBox(bytes);
        bytes.replace(last, 4, std::string(4, '\0'));
        WriteFile(file, bytes);
        const std::string audio = AudioDigest(file);
        TMp4TagBridge bridge;
        ASSERT_TRUE(bridge.Load(file));
        bridge.SetValue("TITLE", "New title");
        bridge.SetValue("COMMENT", Long);
        ASSERT_TRUE(bridge.Write());
        EXPECT_EQ(Mutagen("import mutagen.mp4 as mp4\nprint(mp4.MP4(sys.argv[1])['\\xa9nam'][0])", file),
                  "New title\n");
        EXPECT_EQ(AudioDigest(file), audio);
    }
}

TEST(WriterFaults, Mp4WithABoxPastTheEndIsRefused)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "a.m4a";
    std::string bytes = ReadFile(testaudio::Get("tone.m4a"));
    const std::size_t last = LastBox(bytes);
    const std::uint32_t size = BoxSize(bytes, last) + 1000;
    for (int i = 0; i < 4; ++i)
        bytes[last + std::size_t(i)] = char(size >> (24 - 8 * i));
    WriteFile(file, bytes);
    TMp4TagBridge bridge;
    EXPECT_FALSE(bridge.Load(file));
    EXPECT_FALSE(bridge.SetValue("TITLE", "T"));
    EXPECT_FALSE(bridge.Write());
    EXPECT_EQ(ReadFile(file), bytes);
    EXPECT_EQ(Entries(folder.path()), 1u);
}

}  // namespace
