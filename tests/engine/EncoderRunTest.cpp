// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <fstream>
#include <set>
#include <thread>

#include "engine/ConversionJob.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "FakeEncoder.h"

namespace fs = std::filesystem;
using Line = std::vector<std::string>;

namespace {

constexpr std::uint8_t Mp3 = 0, Ogg = 1, Flac = 3, Mpc = 7;

const fs::path OddIn = "/tmp/odd dir/~in \"q\" $OUTFILE -x.wav";
const fs::path OddOut = "/tmp/-out $INFILE 'caf\xc3\xa9'.mp3";
const fs::path Program = "/opt/my tools/lame.exe";

void SetOddJob(TConversionJob& encoder, const std::string& options)
{
    encoder.TempWavFile = OddIn;
    encoder.OutputFile = OddOut;
    encoder.ProgramPath = Program;
    encoder.Options = options;
}

struct Watched {
    bool ok;
    std::set<std::int32_t> seen;
};

// Runs the encoder on a thread while this one records every progress value.
Watched RunWatched(TConversionJob& encoder, const Line& line)
{
    std::atomic<bool> running{true};
    bool ok = false;
    std::thread worker([&] {
        ok = encoder.RunEncoder(line);
        running = false;
    });
    std::set<std::int32_t> seen;
    while (running) {
        seen.insert(encoder.Percent.load());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    seen.insert(encoder.Percent.load());
    return {ok, seen};
}

bool HasIntermediate(const std::set<std::int32_t>& seen)
{
    return std::any_of(seen.begin(), seen.end(), [](std::int32_t p) { return p > 50 && p < 100; });
}

std::vector<std::string> ReadLines(const fs::path& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace

TEST(BuildCommandLine, OddPathsStayWholeInEveryFormat)
{
    TConversionJob encoder;
    SetOddJob(encoder, " -b 128  --tt \"two words\"");
    for (const engine::Format format : engine::AllFormats) {
        if (*engine::Row(format).program == '\0')
            continue;
        const Line line = encoder.BuildCommandLine(format);
        ASSERT_FALSE(line.empty()) << int(format);
        EXPECT_EQ(line.front(), Program.string());
        EXPECT_EQ(std::count(line.begin(), line.end(), OddIn.string()), 1) << int(format);
        EXPECT_EQ(std::count(line.begin(), line.end(), OddOut.string()), 1) << int(format);
        EXPECT_EQ(std::count(line.begin(), line.end(), "two words"), 1) << int(format);
        EXPECT_EQ(std::count(line.begin(), line.end(), ""), 0) << int(format);
    }
    EXPECT_EQ(encoder.BuildCommandLine(Mp3),
              (Line{Program, "-b", "128", "--tt", "two words", OddIn, OddOut}));
    EXPECT_EQ(encoder.BuildCommandLine(2),
              (Line{Program, OddIn, OddOut, "-b", "128", "--tt", "two words"}));
    EXPECT_TRUE(encoder.BuildCommandLine(engine::FormatWma).empty());
    EXPECT_TRUE(encoder.BuildCommandLine(engine::NoFormat).empty());
}

TEST(BuildCommandLine, FlacOrderAndPlaceholdersInsideOptions)
{
    TConversionJob encoder;
    SetOddJob(encoder, "-8");
    EXPECT_EQ(encoder.BuildCommandLine(Flac), (Line{Program, "-8", "-f", "-o", OddOut, OddIn}));
    SetOddJob(encoder, "--out=$OUTFILE \"$INFILE\" $PATH");
    EXPECT_EQ(encoder.BuildCommandLine(Ogg),
              (Line{Program, "--out=" + OddOut.string(), OddIn, "$PATH", OddIn, "-o", OddOut}));
}

TEST(RunEncoder, ArgumentsArriveWholeAndProgressIsRead)
{
    const testsupport::TempFolder folder;
    const fs::path args = folder / "args";
    const fs::path script = fakeencoder::Write(folder / "enc ü.exe",
        "printf '%s\\n' \"$@\" > '" + args.string() + "'\n"
        "for p in 10 30 60; do echo \"frame $p%\"; sleep 0.05; done");
    TConversionJob encoder;
    SetOddJob(encoder, "-q 5");
    encoder.ProgramPath = script;
    encoder.OutputFormat = Mp3;
    Line line = encoder.BuildCommandLine(Mp3);
    const Watched run = RunWatched(encoder, line);
    EXPECT_TRUE(run.ok) << encoder.ErrorText;
    EXPECT_EQ(encoder.Percent, 100);
    EXPECT_TRUE(run.seen.count(65) && run.seen.count(80)) << run.seen.size();
    line.erase(line.begin());
    EXPECT_EQ(ReadLines(args), line);
}

TEST(RunEncoder, ExitZeroWithoutOutputEndsAt100)
{
    const testsupport::TempFolder folder;
    TConversionJob encoder;
    encoder.Percent = 50;
    EXPECT_TRUE(encoder.RunEncoder({fakeencoder::Write(folder / "quiet", "exit 0")}));
    EXPECT_EQ(encoder.Percent, 100);
}

TEST(RunEncoder, FailuresNameTheExitAndTheLastLine)
{
    const testsupport::TempFolder folder;
    TConversionJob encoder;
    EXPECT_FALSE(encoder.RunEncoder({fakeencoder::Write(folder / "fails",
        "echo '40%'; printf 'boom: cannot open\\r\\n\\n  \\r\\n'; exit 3")}));
    EXPECT_EQ(encoder.ErrorText, "The encoder failed with exit code 3: boom: cannot open");
    EXPECT_EQ(encoder.Percent, 70);

    EXPECT_FALSE(encoder.RunEncoder({fakeencoder::Write(folder / "crashes", "kill -SEGV $$")}));
    EXPECT_EQ(encoder.ErrorText, "The encoder was ended by signal 11");
}

TEST(RunEncoder, ProgramsThatCannotStart)
{
    const testsupport::TempFolder folder;
    std::ofstream(folder / "not-executable") << "#!/bin/sh\n";
    for (const Line& line : {Line{}, Line{(folder / "missing").string()}, Line{(folder / "not-executable").string()},
                             Line{"no-such-program-anywhere"}, Line{folder.path().string()}}) {
        TConversionJob encoder;
        EXPECT_FALSE(encoder.RunEncoder(line));
        EXPECT_EQ(encoder.ErrorText, "Occurs when the encoded file failed");
    }
    TConversionJob encoder;
    EXPECT_TRUE(encoder.RunEncoder({"true"}));
}

TEST(RunEncoder, CancelKillsASilentProgramAndItsHelpers)
{
    const testsupport::TempFolder folder;
    const fs::path pids = folder / "pids";
    const fs::path script = fakeencoder::Write(folder / "sleeper",
        "sleep 30 & echo $$ $! > '" + pids.string() + "'\nexec sleep 30");
    TConversionJob encoder;
    bool ok = true;
    std::thread worker([&] { ok = encoder.RunEncoder({script}); });
    const std::string line = fakeencoder::WaitForLine(pids);
    encoder.Cancel();
    worker.join();
    EXPECT_FALSE(ok);
    EXPECT_EQ(encoder.ErrorText, "Operation is cancelled");
    const pid_t child = std::stoi(line);
    const pid_t helper = std::stoi(line.substr(line.find(' ')));
    EXPECT_TRUE(fakeencoder::Gone(child));
    EXPECT_TRUE(fakeencoder::Gone(helper));
}

TEST(RunEncoder, EndsWhenTheProgramEndsThoughAHelperKeepsTheTerminal)
{
    const testsupport::TempFolder folder;
    const fs::path pid = folder / "pid";
    const fs::path script =
        fakeencoder::Write(folder / "leaves", "sleep 20 & echo $! > '" + pid.string() + "'\necho '90%'; exit 0");
    TConversionJob encoder;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(encoder.RunEncoder({script}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(fakeencoder::Gone(std::stoi(fakeencoder::WaitForLine(pid))));
}

TEST(RunEncoder, IdlePriorityRunsTheProgramAtNice19)
{
    const testsupport::TempFolder folder;
    const fs::path out = folder / "nice";
    TConversionJob encoder;
    encoder.Priority = PriorityIdle;
    ASSERT_TRUE(encoder.RunEncoder({fakeencoder::Write(folder / "nice.sh", "nice > '" + out.string() + "'")}));
    EXPECT_EQ(fakeencoder::WaitForLine(out), "19");
    // Raising the priority is refused without privilege; the run goes on.
    encoder.Priority = PriorityRealtime;
    EXPECT_TRUE(encoder.RunEncoder({"true"}));
}

TEST(RunEncoder, RealEncodersReportIntermediateProgress)
{
    const testsupport::TempFolder folder;
    // flac and mpcenc print their progress only every quarter second or so of
    // their own time: flac's slowest mode and a longer tone for the fast
    // mpcenc give them time to.
    const fs::path shortWav = folder / "short tone.wav";
    const fs::path longWav = folder / "long tone.wav";
    testaudio::MakeToneWav(shortWav, 44100, 2, 24.0);
    testaudio::MakeToneWav(longWav, 44100, 2, 300.0);
    struct Case {
        std::uint8_t format;
        const char* program;
        const char* options;
        const fs::path& wav;
    };
    for (const Case& c : {Case{Mp3, "lame", "-b 128", shortWav}, Case{Ogg, "oggenc", "-q 2", shortWav},
                          Case{Flac, "flac", "-8 -e -p", shortWav}, Case{Mpc, "mpcenc", "--standard", longWav}}) {
        TConversionJob encoder;
        encoder.OutputFormat = c.format;
        encoder.ProgramPath = c.program;
        encoder.Options = c.options;
        encoder.TempWavFile = c.wav;
        encoder.OutputFile = folder / (std::string("-out ") + engine::Row(c.format).extension);
        encoder.Percent = 50;
        const Watched run = RunWatched(encoder, encoder.BuildCommandLine(c.format));
        EXPECT_TRUE(run.ok) << c.program << ": " << encoder.ErrorText;
        EXPECT_TRUE(HasIntermediate(run.seen)) << c.program;
        EXPECT_TRUE(fs::file_size(encoder.OutputFile) > 0) << c.program;
    }
}
