// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QSignalSpy>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>

#include "engine/ConversionJob.h"
#include "engine/Unzipfile.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "FakeEncoder.h"
#include "MediaProbe.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint8_t Mp3 = 0, Ogg = 1, Ape = 2, Flac = 3, Aac = 4, M4a = 5, Mpc = 7, Wav = 8, Ofr = 9;

// Jobs here write their temporary WAV files into a private temporary
// folder, so that a file left behind is seen.
class ConvertJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("TMPDIR");
        oldTmp_ = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("TMPDIR", temp_.path().c_str(), 1);
    }

    void TearDown() override
    {
        if (oldTmp_)
            setenv("TMPDIR", oldTmp_->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

    // Starts the job and polls it as the window does; `pass` runs on every
    // pass. Returns how long the job took.
    static Clock::duration RunJob(TConversionJob& encoder, const std::function<void()>& pass = {})
    {
        const auto start = Clock::now();
        encoder.Start();
        while (!encoder.Done && Clock::now() - start < std::chrono::seconds(120)) {
            if (pass)
                pass();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        EXPECT_TRUE(encoder.Done);
        return Clock::now() - start;
    }

    std::set<std::string> OutputFolderNames() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(out_.path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    // Files left in the temporary folder, the extracted programs aside.
    std::vector<fs::path> LeftInTemp() const
    {
        std::vector<fs::path> left;
        for (const auto& entry : fs::directory_iterator(temp_.path()))
            if (entry.path().extension() != ".exe")
                left.push_back(entry.path());
        return left;
    }

    fs::path Extract(const std::string& member) const
    {
        fs::path program;
        EXPECT_TRUE(engine::ExtractFromPackage(testaudio::BuildProgramFolder() / "EncodeDLL.dll", member, program))
            << member;
        return program;
    }

    testsupport::TempFolder temp_;
    testsupport::TempFolder out_;

private:
    std::optional<std::string> oldTmp_;
};

// A fake encoder that writes its pid, then stays silent.
fs::path Sleeper(const fs::path& folder, const fs::path& pidFile)
{
    return fakeencoder::Write(folder / "sleeper", "echo $$ > '" + pidFile.string() + "'\nexec sleep 30");
}

}  // namespace

TEST_F(ConvertJob, CancelWhileDecodingStartsNoEncoder)
{
    const fs::path started = out_ / "started";
    // Long enough that the decode is still running at the next poll pass.
    const fs::path input = out_ / "long.wav";
    testaudio::MakeToneWav(input, 44100, 2, 60.0);
    TConversionJob encoder;
    encoder.InputFile = input;
    encoder.OutputFile = out_ / "out.ofr";
    encoder.OutputFormat = Ofr;  // the row that goes through a temporary WAV file
    encoder.ProgramPath = fakeencoder::Write(out_ / "enc", "touch '" + started.string() + "'");
    RunJob(encoder, [&] { encoder.Cancel(); });
    EXPECT_FALSE(encoder.Succeeded);
    EXPECT_FALSE(encoder.Decoded);
    EXPECT_TRUE(encoder.Finished);
    EXPECT_EQ(encoder.ErrorText, "Operation is cancelled");
    EXPECT_FALSE(fs::exists(started));
    EXPECT_TRUE(LeftInTemp().empty());
}

TEST_F(ConvertJob, CancelWhileEncodingEndsPromptlyAndLeavesNothing)
{
    const fs::path pidFile = out_ / "pid";
    TConversionJob encoder;
    encoder.InputFile = testaudio::Get("tone.mp3");
    encoder.OutputFile = out_ / "out.ofr";
    encoder.OutputFormat = Ofr;  // the row that goes through a temporary WAV file
    encoder.ProgramPath = Sleeper(out_.path(), pidFile);
    const auto took = RunJob(encoder, [&] {
        if (fs::exists(pidFile))
            encoder.Cancel();
    });
    EXPECT_LT(took, std::chrono::seconds(20));
    EXPECT_TRUE(encoder.Decoded);
    EXPECT_TRUE(encoder.Finished);
    EXPECT_FALSE(encoder.Succeeded);
    EXPECT_EQ(encoder.ErrorText, "Operation is cancelled");
    EXPECT_TRUE(fakeencoder::Gone(std::stoi(fakeencoder::WaitForLine(pidFile))));
    EXPECT_TRUE(LeftInTemp().empty());
    EXPECT_EQ(OutputFolderNames(), std::set<std::string>({"pid", "sleeper"}));
}

TEST_F(ConvertJob, FailedJobsKeepTheirOwnTexts)
{
    const fs::path notAudio = out_ / "notes.mp3";
    std::ofstream(notAudio) << "not audio at all";
    TConversionJob encoder;
    QSignalSpy done(&encoder, &TConversionJob::JobDone);
    encoder.InputFile = notAudio;
    encoder.OutputFile = out_ / "out.mp3";
    encoder.OutputFormat = Mp3;
    encoder.ProgramPath = fakeencoder::Write(out_ / "fails", "echo 'cannot write output' >&2; exit 2");
    RunJob(encoder);
    EXPECT_TRUE(encoder.Finished);
    EXPECT_FALSE(encoder.Decoded);
    EXPECT_FALSE(encoder.Succeeded);
    EXPECT_EQ(encoder.ErrorText, "Open file failed!");

    encoder.InputFile = testaudio::Get("tone.flac");
    RunJob(encoder);
    EXPECT_FALSE(encoder.Succeeded);
    EXPECT_EQ(encoder.ErrorText, "The encoder failed with exit code 2: cannot write output");
    EXPECT_EQ(done.count(), 2);
    EXPECT_TRUE(LeftInTemp().empty());
}

TEST_F(ConvertJob, DestroyingTheJobStopsItsWorkerAndEncoder)
{
    const fs::path pidFile = out_ / "pid";
    auto encoder = std::make_unique<TConversionJob>();
    encoder->InputFile = testaudio::Get("tone.flac");
    encoder->OutputFile = out_ / "out.mp3";
    encoder->OutputFormat = Mp3;
    encoder->ProgramPath = Sleeper(out_.path(), pidFile);
    encoder->Start();
    const pid_t child = std::stoi(fakeencoder::WaitForLine(pidFile));
    const auto start = Clock::now();
    encoder.reset();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    QCoreApplication::processEvents();
    EXPECT_TRUE(fakeencoder::Gone(child));
    EXPECT_TRUE(LeftInTemp().empty());
}

// What FFmpeg decodes from a file: its samples and their shape.
struct Decoded {
    std::vector<short> samples;
    std::string channels;
    double seconds;
};

Decoded DecodeWithFfmpeg(const fs::path& path)
{
    const mediaprobe::Media media = mediaprobe::Probe(path);
    Decoded decoded{testaudio::DecodeS16(path), media["channels"], 0};
    const double frames = double(decoded.samples.size()) / std::max(1, std::atoi(decoded.channels.c_str()));
    decoded.seconds = frames / std::max(1, std::atoi(media["sample_rate"].c_str()));
    return decoded;
}

TEST_F(ConvertJob, OutputsOfEveryWorkingFormatDecodeWithTheInputsShape)
{
    struct Output {
        std::uint8_t format;
        const char* options;
    };
    const std::vector<Output> common = {
        {Mp3, " -b 128"}, {Ogg, "-q 3"}, {Flac, "-5"}, {Mpc, "--standard"}, {engine::FormatWma, ""}};
    const std::vector<Output> more = {
        {Ape, "-c2000"}, {Aac, "-q 100 --mpeg-vers 2"}, {M4a, "-q 100 -w --mpeg-vers 4"}, {Wav, ""}};
    for (const std::string inputName : {"tone.flac", "tone.mp3"}) {
        const fs::path input = testaudio::Get(inputName);
        const Decoded source = DecodeWithFfmpeg(input);
        std::vector<Output> outputs = common;
        if (inputName == "tone.flac")
            outputs.insert(outputs.end(), more.begin(), more.end());
        for (const Output& output : outputs) {
            const std::string what = inputName + " to " + engine::Row(output.format).extension;
            TConversionJob encoder;
            encoder.InputFile = input;
            encoder.OutputFile = out_ / ("-my out 'x' " + inputName + engine::Row(output.format).extension);
            encoder.OutputFormat = output.format;
            encoder.Options = output.options;
            if (output.format != engine::FormatWma)
                encoder.ProgramPath = Extract(engine::Row(output.format).program);
            RunJob(encoder);
            ASSERT_TRUE(encoder.Succeeded) << what << ": " << encoder.ErrorText;
            EXPECT_EQ(encoder.Percent, 100) << what;
            const Decoded result = DecodeWithFfmpeg(encoder.OutputFile);
            EXPECT_EQ(result.channels, source.channels) << what;
            EXPECT_NEAR(result.seconds, source.seconds, 2048.0 / 44100) << what;
            if (output.format == Flac && inputName == "tone.flac") {
                EXPECT_TRUE(result.samples == source.samples) << what;
            }
        }
    }
    EXPECT_TRUE(LeftInTemp().empty());
}
