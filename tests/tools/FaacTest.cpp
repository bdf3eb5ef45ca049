// SPDX-License-Identifier: GPL-3.0-or-later
// The AAC encoder program, run as the engine runs it: "faac OPTIONS -o OUT IN".

#include "FaacSsrcTestSupport.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;
using toolstest::RunTool;

namespace {

constexpr long AacFrame = 1024;

long DecodedFrames(const fs::path& file, int channels)
{
    return long(testaudio::DecodeS16(file).size()) / channels;
}

struct ContainerCase {
    std::string name;
    std::vector<std::string> options;
    std::string formatName;  // as ffprobe names the container
    long extraFrames;        // priming and end padding the decoder keeps
};

void PrintTo(const ContainerCase& c, std::ostream* os) { *os << c.name; }

class FaacContainer : public ::testing::TestWithParam<ContainerCase> {};

TEST_P(FaacContainer, EncodesDecodableAacOfTheRightShape)
{
    const ContainerCase& c = GetParam();
    testsupport::TempFolder folder;
    const fs::path out = folder / c.name;
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-o", out.string(), testaudio::Get("stereo.wav").string()});
    const auto run = RunTool("faac", args);
    ASSERT_EQ(run.exitCode, 0) << run.output;

    std::string format;
    testaudio::Run({"ffprobe", "-v", "error", "-show_entries", "format=format_name", "-of",
                    "default=noprint_wrappers=1:nokey=1", out.string()},
                   &format);
    EXPECT_EQ(format.substr(0, format.find('\n')), c.formatName);
    EXPECT_EQ(testaudio::Probe(out, "codec_name"), "aac");
    EXPECT_EQ(testaudio::Probe(out, "channels"), "2");
    EXPECT_EQ(testaudio::Probe(out, "sample_rate"), "44100");
    const long frames = DecodedFrames(out, 2) - c.extraFrames;
    EXPECT_GE(frames, 88200);
    EXPECT_LT(frames, 88200 + AacFrame);

    const auto percentages = toolstest::Percentages(run.output);
    ASSERT_FALSE(percentages.empty());
    EXPECT_TRUE(std::is_sorted(percentages.begin(), percentages.end()));
    EXPECT_EQ(percentages.back(), 100);
    EXPECT_EQ(toolstest::Listing(folder.path()), std::vector<std::string> {c.name});
}

INSTANTIATE_TEST_SUITE_P(
    Containers, FaacContainer,
    ::testing::Values(ContainerCase {"adts.aac", {"-q", "100"}, "aac", AacFrame},
                      ContainerCase {"ipod.M4A", {"-b", "64"}, "mov,mp4,m4a,3gp,3g2,mj2", 0},
                      ContainerCase {"movie.mp4", {"-c", "16000"}, "mov,mp4,m4a,3gp,3g2,mj2", 0},
                      ContainerCase {"forced.aac", {"-w", "--mpeg-vers", "4"}, "mov,mp4,m4a,3gp,3g2,mj2", 0}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(Faac, KeepsMonoAndTheSourceRate)
{
    testsupport::TempFolder folder;
    const fs::path out = folder / "mono.m4a";
    ASSERT_EQ(RunTool("faac", {"-o", out.string(), testaudio::Get("mono22050.wav").string()}).exitCode, 0);
    EXPECT_EQ(testaudio::Probe(out, "channels"), "1");
    EXPECT_EQ(testaudio::Probe(out, "sample_rate"), "22050");
    const long frames = DecodedFrames(out, 1);
    EXPECT_GE(frames, 22050);
    EXPECT_LT(frames, 22050 + AacFrame);
}

TEST(Faac, MarksTheMpegVersionInAdtsHeaders)
{
    testsupport::TempFolder folder;
    for (const std::string version : {"2", "4"}) {
        const fs::path out = folder / ("v" + version + ".aac");
        ASSERT_EQ(RunTool("faac", {"--mpeg-vers", version, "-o", out.string(),
                                   testaudio::Get("stereo.wav").string()}).exitCode, 0);
        const std::string bytes = toolstest::ReadBytes(out);
        ASSERT_GE(bytes.size(), 2u);
        EXPECT_EQ(std::uint8_t(bytes[0]), 0xFF);
        EXPECT_EQ((std::uint8_t(bytes[1]) & 0x08) != 0, version == "2");  // the id bit
    }
}

TEST(Faac, SpendsMoreBitsForHigherQualityAndBitRate)
{
    testsupport::TempFolder folder;
    const auto sizeFor = [&](const std::vector<std::string>& options) {
        const fs::path out = folder / "sized.aac";
        std::vector<std::string> args = options;
        args.insert(args.end(), {"-o", out.string(), testaudio::Get("stereo.wav").string()});
        EXPECT_EQ(RunTool("faac", args).exitCode, 0);
        return fs::file_size(out);
    };
    EXPECT_LT(sizeFor({"-q", "50"}), sizeFor({"-q", "300"}));
    EXPECT_LT(sizeFor({"-b", "32"}), sizeFor({"-b", "128"}));
}

TEST(Faac, AcceptsEveryShippedPreset)
{
    testsupport::TempFolder folder;
    for (const std::string format : {"AAC", "M4A", "MP4"}) {
        const auto presets = toolstest::ShippedPresets(format);
        EXPECT_FALSE(presets.empty()) << format;
        for (const auto& [name, options] : presets) {
            const fs::path out = folder / ("out." + format);
            std::vector<std::string> args = options;
            args.insert(args.end(), {"-o", out.string(), testaudio::Get("mono22050.wav").string()});
            const auto run = RunTool("faac", args);
            EXPECT_EQ(run.exitCode, 0) << format << " " << name << ": " << run.output;
            EXPECT_TRUE(fs::exists(out) && fs::file_size(out) > 0) << format << " " << name;
            fs::remove(out);
        }
    }
}

TEST(Faac, RefusesBadCommandLinesWithUsage)
{
    testsupport::TempFolder folder;
    const std::string in = testaudio::Get("stereo.wav").string();
    const std::string out = (folder / "out.aac").string();
    const std::vector<std::vector<std::string>> lines = {
        {"--bogus", "-o", out, in}, {"-q", "5000", "-o", out, in}, {"-q", "high", "-o", out, in},
        {"--mpeg-vers", "3", "-o", out, in}, {in}, {"-o", out}, {},
    };
    for (const auto& line : lines) {
        const auto run = RunTool("faac", line);
        EXPECT_EQ(run.exitCode, 2) << run.output;
        EXPECT_NE(run.output.find("usage: faac"), std::string::npos);
    }
    EXPECT_TRUE(toolstest::Listing(folder.path()).empty());
}

TEST(Faac, FailsOnInputItCannotReadAndKeepsAnExistingOutput)
{
    testsupport::TempFolder folder;
    toolstest::WriteBytes(folder / "text.wav", "just some words, no audio at all");
    toolstest::WriteBytes(folder / "empty.wav", "");
    toolstest::WriteBytes(folder / "cut.wav", toolstest::ReadBytes(testaudio::Get("stereo.wav")).substr(0, 30));
    toolstest::WriteBytes(folder / "float.wav",
                          toolstest::WavImage({{"fmt ", toolstest::FmtBody(3, 2, 44100, 32)}, {"data", "12345678"}}));
    fs::copy(testaudio::Get("24bit.wav"), folder / "24bit.wav");
    toolstest::WriteBytes(folder / "out.m4a", "keep me");
    const auto before = toolstest::Listing(folder.path());
    for (const std::string input : {"missing.wav", "text.wav", "empty.wav", "cut.wav", "float.wav", "24bit.wav"}) {
        const auto run = RunTool("faac", {"-o", (folder / "out.m4a").string(), (folder / input).string()});
        EXPECT_EQ(run.exitCode, 1) << input << ": " << run.output;
        EXPECT_NE(run.output.find("faac: cannot read"), std::string::npos) << run.output;
    }
    EXPECT_EQ(toolstest::Listing(folder.path()), before);
    EXPECT_EQ(toolstest::ReadBytes(folder / "out.m4a"), "keep me");
}

TEST(Faac, FailsOnARateTheEncoderLacksAndLeavesNothing)
{
    testsupport::TempFolder folder;
    testaudio::MakeToneWav(folder / "odd.wav", 37800, 2, 0.2);
    const auto run = RunTool("faac", {"-o", (folder / "odd.aac").string(), (folder / "odd.wav").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("37800 Hz"), std::string::npos) << run.output;
    EXPECT_EQ(toolstest::Listing(folder.path()), std::vector<std::string> {"odd.wav"});
}

TEST(Faac, TakesAwkwardNamesAndReplacesAnExistingOutput)
{
    testsupport::TempFolder folder;
    const fs::path in = folder / "-in 'it' \"q\" été.wav";
    const fs::path out = folder / "-out: ünï \"x\".m4a";
    fs::copy(testaudio::Get("stereo.wav"), in);
    toolstest::WriteBytes(out, "old");
    auto run = RunTool("faac", {"-o", out.string(), in.string()});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(testaudio::Probe(out, "codec_name"), "aac");
    run = RunTool("faac", {"-q", "80", "-o", out.string(), "--", in.string()});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(toolstest::Listing(folder.path()).size(), 2u);
}

// A killed run (the converter's cancel) must not leave a partial file.
TEST(Faac, LeavesNothingWhenKilledMidway)
{
    testsupport::TempFolder folder;
    testaudio::MakeToneWav(folder / "long.wav", 44100, 2, 40.0);
    const std::string tool = std::string(TREMOLIX_TOOLS_BIN) + "/tremolix-faac";
    const std::string out = (folder / "long.m4a").string();
    const std::string in = (folder / "long.wav").string();
    std::vector<char*> argv = {const_cast<char*>(tool.c_str()), const_cast<char*>("-o"),
                               const_cast<char*>(out.c_str()), const_cast<char*>(in.c_str()), nullptr};
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string seen;
    char buffer[64];
    ssize_t n;
    while (seen.find("3%") == std::string::npos && (n = read(fds[0], buffer, sizeof buffer)) > 0)
        seen.append(buffer, std::size_t(n));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(fds[0]);
    EXPECT_TRUE(WIFSIGNALED(status)) << "finished before it could be killed: " << seen;
    EXPECT_EQ(toolstest::Listing(folder.path()), std::vector<std::string> {"long.wav"});
}

}  // namespace
