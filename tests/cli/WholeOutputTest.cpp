// SPDX-License-Identifier: GPL-3.0-or-later
// Runs of tremolix-cli convert where an output could appear less than
// whole or a file not ours could go: a kill during the tag copy, look-alike
// user files, a growing input, names too long, a truncated input.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <csignal>
#include <fstream>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <thread>

#include "cli/CliProcess.h"
#include "cli/CliRunner.h"
#include "cli/RunFolders.h"
#include "support/DeadPid.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// Tags a FLAC file with a title and a front cover of the given file's bytes.
constexpr const char* TagWithCover = R"PY(
import sys
from mutagen.flac import FLAC, Picture
f = FLAC(sys.argv[1])
f['title'] = 'Covered'
pic = Picture(); pic.type, pic.mime, pic.desc = 3, 'image/jpeg', 'Front'
pic.data = open(sys.argv[2], 'rb').read()
f.add_picture(pic)
f.save()
)PY";

// Prints the title and the size of the front cover of an MP3 file.
constexpr const char* ReadCover = R"PY(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1])
print(t['TIT2'].text[0], len(t.getall('APIC')[0].data))
)PY";

// Prints the title of any tagged file, as mutagen reads it; ADTS files
// carry an ID3v2 tag that mutagen reads on its own.
constexpr const char* ReadTitle = R"PY(
import sys, mutagen
from mutagen.easyid3 import EasyID3
path = sys.argv[1]
tags = EasyID3(path) if path.endswith('.aac') else mutagen.File(path, easy=True).tags
for key in ('title', 'Title', 'TITLE'):
    if tags is not None and key in tags:
        print(str(tags[key][0]))
        break
)PY";

// Files created in a folder, watched from construction on.
class CreationWatch {
public:
    explicit CreationWatch(const fs::path& folder) : fd_(inotify_init1(IN_CLOEXEC))
    {
        if (fd_ >= 0 && inotify_add_watch(fd_, folder.c_str(), IN_CREATE) < 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~CreationWatch()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    CreationWatch(const CreationWatch&) = delete;
    CreationWatch& operator=(const CreationWatch&) = delete;

    // Kills the process at once when a file whose name holds marker is
    // created; true when that happened within a minute.
    bool KillOnCreate(const std::string& marker, CliProcess& process) const
    {
        alignas(inotify_event) char buffer[4096];
        pollfd wait{fd_, POLLIN, 0};
        while (fd_ >= 0 && poll(&wait, 1, 60000) == 1) {
            const ssize_t got = read(fd_, buffer, sizeof buffer);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && std::string(event->name).find(marker) != std::string::npos) {
                    process.Signal(SIGKILL);
                    return true;
                }
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return false;
    }

private:
    int fd_;
};

class WholeOutputRun : public RunFolders {
protected:

    std::vector<std::string> ToFlac(std::vector<std::string> more) const
    {
        std::vector<std::string> args = {"convert", "--format", "FLAC (Free Lossless Audio Codec)", "--preset",
                                         "Level 5 (default)", "--target", target().string()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    // A WAV file whose header promises 1:14 over 1.6 s of samples.
    fs::path TruncatedWav() const
    {
        const fs::path wav = in() / "cut.wav";
        testaudio::MakeToneWav(wav, 44100, 2, 74.0);
        fs::resize_file(wav, 44 + 70560 * 4);
        return wav;
    }

};

}  // namespace

TEST_F(WholeOutputRun, AKillDuringTheTagCopyLeavesNoOutputAndTheRerunLeavesNoTwin)
{
    const fs::path input = in() / "song.flac";
    fs::copy_file(testaudio::Get("tone.flac"), input);
    const fs::path cover = root_ / "cover.jpg";
    ASSERT_EQ(testaudio::Run({"sh", "-c", "head -c 5000000 /dev/urandom > '" + cover.string() + "'"}), 0);
    std::string printed;
    ASSERT_EQ(testaudio::Run({"/usr/bin/python3", "-c", TagWithCover, input.string(), cover.string()}, &printed), 0)
        << printed;
    const std::vector<std::string> args = {"convert", "--format", "MP3", "--preset", "CBR 128 kbps", "--target",
                                           target().string(), "--copy-tags", "--", input.string()};
    {
        const CreationWatch watch(target());
        CliProcess cli(args, tmp(), root_.path(), root_ / "log");
        ASSERT_TRUE(watch.KillOnCreate(".tremolix-twin.", cli));
        EXPECT_EQ(cli.Wait(), 128 + SIGKILL);
    }
    EXPECT_FALSE(fs::exists(target() / "song.mp3"));
    EXPECT_FALSE(testsupport::SortedFileNames(target()).empty()) << "the killed run left its part and twin";

    const CliResult again = RunCli(args);
    EXPECT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(again.output, "OK\t" + input.string() + "\t" + (target() / "song.mp3").string() + "\n");
    EXPECT_EQ(testsupport::SortedFileNames(target()), std::vector<std::string>{"song.mp3"});
    ASSERT_EQ(testaudio::Run({"/usr/bin/python3", "-c", ReadCover, (target() / "song.mp3").string()}, &printed), 0)
        << printed;
    EXPECT_EQ(printed, "Covered 5000000\n");
}

// The tags are written into the part file: its name keeps the output's
// extension, by which the tag writers know the kind.
TEST_F(WholeOutputRun, TagsReachEveryTaggedKindThroughItsPartFile)
{
    const fs::path input = in() / "song.flac";
    fs::copy_file(testaudio::Get("tone.flac"), input);
    const fs::path cover = root_ / "cover.jpg";
    ASSERT_EQ(testaudio::Run({"sh", "-c", "head -c 1000 /dev/urandom > '" + cover.string() + "'"}), 0);
    ASSERT_EQ(testaudio::Run({"/usr/bin/python3", "-c", TagWithCover, input.string(), cover.string()}), 0);
    const std::vector<std::array<const char*, 3>> kinds = {
        {"MP3", "CBR 128 kbps", "mp3"},
        {"Ogg vorbis", "Quality 0 (about 64 kbps)", "ogg"},
        {"FLAC (Free Lossless Audio Codec)", "Level 5 (default)", "flac"},
        {"APE (Monkey's Audio)", "Fast (-c1000)", "ape"},
        {"MPC (Musepack)", "Standard (about 180 kbps)", "mpc"},
        {"M4A (MPEG-4 AAC)", "Quality 100 (standard)", "m4a"},
        {"AAC (MPEG-2)", "Quality 100 (standard)", "aac"},
        {"WMA (Windows media audio)", "CBR 128 kbps 44100 Hz stereo", "wma"}};
    for (const auto& [format, preset, extension] : kinds) {
        SCOPED_TRACE(format);
        const CliResult result = RunCli({"convert", "--format", format, "--preset", preset, "--target",
                                         target().string(), "--copy-tags", "--", input.string()});
        EXPECT_EQ(result.exitCode, 0) << result.output;
        const fs::path output = target() / (std::string("song.") + extension);
        std::string title;
        EXPECT_EQ(testaudio::Run({"/usr/bin/python3", "-c", ReadTitle, output.string()}, &title), 0) << title;
        EXPECT_EQ(title, "Covered\n");
    }
    EXPECT_EQ(testsupport::SortedFileNames(target()).size(), kinds.size());
}

TEST_F(WholeOutputRun, OnlyOurOwnLeftoversInTheTargetAreRemoved)
{
    const std::string dead = std::to_string(testsupport::DeadPid());
    const std::vector<std::string> userFiles = {".notes.2024-backup.txt", ".song.mp3." + dead + "-AbC123.flac",
                                                "song.flac~AbCd1234", ".song.tremolix-part." + dead + "-AbCd12.flac"};
    for (const std::string& name : userFiles)
        std::ofstream(target() / name) << "the user's " << name;
    const std::string stale = ".song.tremolix-part." + dead + "-AbCd1234.flac";
    std::ofstream(target() / stale) << "left by a killed run";
    const fs::path input = in() / "song.flac";
    fs::copy_file(testaudio::Get("tone.flac"), input);
    const CliResult result = RunCli(ToFlac({"--", input.string()}));
    EXPECT_EQ(result.exitCode, 0) << result.output;
    for (const std::string& name : userFiles)
        EXPECT_EQ(testaudio::ReadBytes(target() / name), "the user's " + name);
    EXPECT_FALSE(fs::exists(target() / stale));
    EXPECT_TRUE(fs::exists(target() / "song.flac"));
}

TEST_F(WholeOutputRun, AnInputStillBeingWrittenIsNotDeleted)
{
    const fs::path input = in() / "recording.wav";
    testaudio::MakeToneWav(input, 44100, 2, 30.0);
    // A recorder appending to the file all through the run.
    std::atomic<bool> recording{true};
    std::thread recorder([&] {
        std::ofstream file(input, std::ios::binary | std::ios::app);
        const std::string block(4096, '\x11');
        while (recording) {
            file << block << std::flush;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    const CliResult result = RunCli(ToFlac({"--delete-original", "--", input.string()}));
    recording = false;
    recorder.join();
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_EQ(result.output, "OK\t" + input.string() + "\t" + (target() / "recording.flac").string() +
                                 "\toriginal kept: the input changed during conversion\n");
    EXPECT_TRUE(fs::exists(input));
}

TEST_F(WholeOutputRun, ANameTooLongFailsBeforeDecoding)
{
    const fs::path input = in() / "song.flac";
    fs::copy_file(testaudio::Get("tone.flac"), input);
    const std::string prefix(250, 'p');
    const CliResult result = RunCli(ToFlac({"--prefix", prefix, "--", input.string()}));
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_EQ(result.output, "FAILED\t" + input.string() + "\tFile name too long: \"" + prefix + "song.flac\"\n");
    EXPECT_TRUE(fs::is_empty(target()));
    EXPECT_TRUE(fs::is_empty(tmp()));
}

TEST_F(WholeOutputRun, ATruncatedInputIsConvertedWithANoteAndNeverDeleted)
{
    const fs::path input = TruncatedWav();
    const std::string ok = "OK\t" + input.string() + "\t" + (target() / "cut.flac").string();
    const std::string note = "the input ended after 1.6 s of 1:14";
    const CliResult verbose = RunCli(ToFlac({"--verbose", "--", input.string()}));
    EXPECT_EQ(verbose.exitCode, 0) << verbose.output;
    EXPECT_EQ(verbose.output, ok + "\nNOTE\t" + input.string() + "\t" + note + "\n");
    EXPECT_NEAR(std::stod(testaudio::Probe(target() / "cut.flac", "duration")), 1.6, 0.01);

    const CliResult deleting =
        RunCli(ToFlac({"--when-exists", "overwrite", "--delete-original", "--", input.string()}));
    EXPECT_EQ(deleting.exitCode, 1) << deleting.output;
    EXPECT_EQ(deleting.output, ok + "\toriginal kept: " + note + "\n");
    EXPECT_TRUE(fs::exists(input));
}
