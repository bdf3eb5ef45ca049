// SPDX-License-Identifier: GPL-3.0-or-later
// Runs of tremolix-cli convert that are stopped, killed, short of disk or
// handed awkward lists: no output is ever partial, no original is lost.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/mount.h>

#include "cli/CliProcess.h"
#include "cli/CliRunner.h"
#include "cli/RunFolders.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

bool IsPart(const fs::path& path) { return path.filename().string().front() == '.'; }

// Unmounts the small file system a test mounted, on every way out.
struct SmallDisk {
    fs::path folder;
    ~SmallDisk() { umount(folder.c_str()); }
};

// A folder with an input folder, a target, a private temporary folder and a
// long input, so that a job is surely still running when signalled.
class BatchSafety : public RunFolders {
protected:

    fs::path LongInput(const std::string& name, double seconds = 120)
    {
        const fs::path path = in() / name;
        testaudio::MakeToneWav(path, 44100, 2, seconds);
        return path;
    }

    fs::path Tone(const std::string& name, const std::string& source = "tone.flac")
    {
        const fs::path path = in() / name;
        fs::copy_file(testaudio::Get(source), path, fs::copy_options::overwrite_existing);
        return path;
    }

    std::vector<std::string> Convert(const std::string& format, const std::string& preset,
                                     std::vector<std::string> more)
    {
        std::vector<std::string> args = {"convert", "--format", format, "--preset", preset,
                                         "--target", target().string()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

};

struct StopCase {
    const char* format;
    const char* preset;
    const char* extension;
    int signal;
};

}  // namespace

TEST_F(BatchSafety, AStopSignalEndsTheRunAndLeavesTheEarlierOutputWhole)
{
    const StopCase cases[] = {{"MP3", "CBR 128 kbps", ".mp3", SIGTERM},
                              {"FLAC (Free Lossless Audio Codec)", "Level 8 verified", ".flac", SIGINT},
                              {"WMA (Windows media audio)", "CBR 128 kbps 44100 Hz stereo", ".wma", SIGHUP}};
    const fs::path input = LongInput("long.wav");
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.extension);
        const fs::path output = target() / (std::string("long") + c.extension);
        std::ofstream(output) << "a complete earlier output";
        CliProcess cli(Convert(c.format, c.preset, {"--when-exists", "overwrite", "--", input.string()}), tmp(),
                       root_.path(), root_ / "log");
        ASSERT_TRUE(WaitForFile(target(), IsPart));
        cli.Signal(c.signal);
        EXPECT_EQ(cli.Wait(), 128 + c.signal) << cli.Output();
        EXPECT_EQ(testaudio::ReadBytes(output), "a complete earlier output");
        EXPECT_EQ(testsupport::SortedFileNames(target()), std::vector<std::string>{output.filename().string()});
        EXPECT_TRUE(fs::is_empty(tmp())) << testsupport::SortedFileNames(tmp()).front();
        fs::remove(output);
    }
}

TEST_F(BatchSafety, AKilledRunLeavesNoOutputAndTheNextRunConvertsTheFile)
{
    const fs::path input = LongInput("long.wav", 60);
    const auto args = Convert("MP3", "CBR 128 kbps", {"--", input.string()});
    {
        CliProcess cli(args, tmp(), root_.path(), root_ / "log");
        ASSERT_TRUE(WaitForFile(target(), IsPart));
        cli.Signal(SIGKILL);
        cli.Wait();
    }
    EXPECT_FALSE(fs::exists(target() / "long.mp3"));
    const CliResult again = RunCli(args);
    EXPECT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(again.output.rfind("OK\t", 0), 0u) << again.output;
    EXPECT_NEAR(std::stod(testaudio::Probe(target() / "long.mp3", "duration")), 60.0, 0.1);
    // The killed run's part is gone too.
    EXPECT_EQ(testsupport::SortedFileNames(target()), std::vector<std::string>{"long.mp3"});
}

// mpcenc exits 0 after failed writes, with a file that stops early.
TEST_F(BatchSafety, AFullDiskFailsTheEntryWithItsReasonAndKeepsTheEarlierOutput)
{
    // A file system too small for the output: as root the test mounts one.
    if (mount("tremolix-test", target().c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    const SmallDisk unmount{target()};
    const fs::path input = LongInput("long.wav", 30);
    const fs::path output = target() / "long.mpc";
    const std::string failed = "FAILED\t" + input.string() + "\tCan't write the output file \"" + output.string() +
                               "\": No space left on device (The output holds ";
    const auto args = [&](const char* policy) {
        return Convert("MPC (Musepack)", "Standard (about 180 kbps)",
                       {"--when-exists", policy, "--delete-original", "--", input.string()});
    };
    const CliResult fresh = RunCli(args("ignore"));
    EXPECT_EQ(fresh.exitCode, 1);
    EXPECT_EQ(fresh.output.rfind(failed, 0), 0u) << fresh.output;
    EXPECT_TRUE(fs::exists(input));
    EXPECT_TRUE(fs::is_empty(target())) << testsupport::SortedFileNames(target()).front();

    const std::string earlier(20000, 'e');
    std::ofstream(output) << earlier;
    const CliResult over = RunCli(args("overwrite"));
    EXPECT_EQ(over.exitCode, 1);
    EXPECT_EQ(over.output.rfind(failed, 0), 0u) << over.output;
    EXPECT_TRUE(fs::exists(input));
    EXPECT_EQ(testaudio::ReadBytes(output), earlier);
    EXPECT_EQ(testsupport::SortedFileNames(target()), std::vector<std::string>{"long.mpc"});
}

TEST_F(BatchSafety, PathsBeginningWithADashNeverReachAnEncoderAsOptions)
{
    const fs::path input = Tone("-dash.flac");
    const CliResult result = RunCli({"convert", "--format", "MP3", "--preset", "CBR 128 kbps", "--target", "-X",
                                     "--delete-original", "--", input.string()});
    // RunCli's working folder is the test's; the target is relative to it.
    const fs::path output = fs::current_path() / "-X" / "-dash.mp3";
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(fs::exists(output)) << result.output;
    EXPECT_FALSE(fs::exists(input));
    fs::remove_all(fs::current_path() / "-X");
}

TEST_F(BatchSafety, ALaterEntryNeverOverwritesAnOutputOfTheSameRun)
{
    const fs::path wav = in() / "song.wav";
    testaudio::MakeToneWav(wav, 44100, 2, 1.0);
    const fs::path flac = Tone("song.flac");
    const std::string flacBytes = testaudio::ReadBytes(flac);
    const CliResult result = RunCli(Convert("FLAC (Free Lossless Audio Codec)", "Level 5 (default)",
                                            {"--when-exists", "overwrite", "--delete-original", "--jobs", "2", "--",
                                             wav.string(), flac.string()}));
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_EQ(result.output.rfind("OK\t" + wav.string(), 0), 0u) << result.output;
    EXPECT_NE(result.output.find("FAILED\t" + flac.string() +
                                 "\tThe output file was already written in this run from \"" + wav.string()),
              std::string::npos)
        << result.output;
    EXPECT_FALSE(fs::exists(wav));
    EXPECT_EQ(testaudio::ReadBytes(flac), flacBytes);
    EXPECT_NEAR(std::stod(testaudio::Probe(target() / "song.flac", "duration")), 1.0, 0.01);
}

TEST_F(BatchSafety, AMissingInputFailsOnlyItsOwnEntry)
{
    const fs::path first = Tone("a.flac");
    const fs::path last = Tone("c.flac");
    const fs::path missing = in() / "b gone.flac";
    const CliResult result =
        RunCli(Convert("MP3", "CBR 128 kbps", {"--jobs", "1", "--", first.string(), missing.string(), last.string()}));
    EXPECT_EQ(result.exitCode, 1);
    const std::string expected = "OK\t" + first.string() + "\t" + (target() / "a.mp3").string() + "\n" +
                                 "FAILED\t" + missing.string() + "\tThe file \"" + missing.string() +
                                 "\" does not exist\n" + "OK\t" + last.string() + "\t" +
                                 (target() / "c.mp3").string() + "\n";
    EXPECT_EQ(result.output, expected);
}

TEST_F(BatchSafety, OptimFrogOutputIsRefusedOnceBeforeAnyDecoding)
{
    const CliResult result = RunCli(Convert("OFR (OptimFROG Lossless Audio)", "Preset 2 (default)",
                                            {"--", Tone("a.flac").string(), Tone("b.flac").string()}));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.output, "No OptimFROG encoder is available on this platform\n");
    EXPECT_TRUE(fs::is_empty(target()));
}

TEST_F(BatchSafety, SeveralJobsAtOnceGiveWhatOneAtATimeGives)
{
    const std::vector<std::pair<std::string, std::string>> sources = {
        {"1 first.flac", "tone.flac"}, {"2 second.mp3", "tone.mp3"}, {"3 third.ogg", "tone.ogg"},
        {"4 fourth.wav", "stereo.wav"}, {"5 fifth.wma", "tone.wma"}, {"6 sixth.m4a", "tone.m4a"}};
    std::map<int, std::string> lines;
    std::map<int, std::map<std::string, std::string>> outputs;
    for (const int jobs : {1, 3}) {
        std::vector<std::string> args = {"--jobs", std::to_string(jobs), "--playlist", "--delete-original", "--"};
        for (const auto& [name, source] : sources)
            args.push_back(Tone(name, source).string());
        const CliResult result = RunCli(Convert("FLAC (Free Lossless Audio Codec)", "Level 5 (default)", args));
        EXPECT_EQ(result.exitCode, 0) << result.output;
        lines[jobs] = result.output;
        for (const std::string& name : testsupport::SortedFileNames(target()))
            outputs[jobs][name] = testaudio::ReadBytes(target() / name);
        EXPECT_TRUE(fs::is_empty(in()));
        EXPECT_TRUE(fs::is_empty(tmp()));
        fs::remove_all(target());
        fs::create_directories(target());
    }
    EXPECT_EQ(lines[1], lines[3]);
    EXPECT_EQ(outputs[1], outputs[3]);
    EXPECT_EQ(outputs[1].size(), sources.size() + 1);  // and the playlist
}

TEST_F(BatchSafety, StoppingAParallelRunLeavesNoProcessNoPartAndNoTemporaryFile)
{
    std::vector<std::string> args = {"--jobs", "2", "--"};
    for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"})
        args.push_back(LongInput(name, 60).string());
    CliProcess cli(Convert("MP3", "CBR 128 kbps", args), tmp(), root_.path(), root_ / "log");
    int parts = 0;
    ASSERT_TRUE(WaitForFile(target(), [&](const fs::path& path) { return IsPart(path) && ++parts >= 2; }));
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.Wait(), 130);
    EXPECT_TRUE(fs::is_empty(target())) << testsupport::SortedFileNames(target()).front();
    EXPECT_TRUE(fs::is_empty(tmp()));
    std::string encoders;
    EXPECT_NE(testaudio::Run({"pgrep", "-f", target().string()}, &encoders), 0) << encoders;
}

TEST_F(BatchSafety, TwoRunsIntoOneFolderGiveOnlyWholeOutputs)
{
    std::vector<std::string> args = {"--when-exists", "overwrite", "--jobs", "1", "--"};
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
        args.push_back(LongInput(name, 20).string());
    CliProcess first(Convert("MP3", "CBR 128 kbps", args), tmp(), root_.path(), root_ / "log1");
    CliProcess second(Convert("MP3", "CBR 128 kbps", args), tmp(), root_.path(), root_ / "log2");
    EXPECT_EQ(first.Wait(), 0) << first.Output();
    EXPECT_EQ(second.Wait(), 0) << second.Output();
    EXPECT_EQ(testsupport::SortedFileNames(target()), (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3"}));
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        EXPECT_EQ(testaudio::DecodeS16(target() / name).size(), 20u * 44100 * 2) << name;
}
