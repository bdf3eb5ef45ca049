// SPDX-License-Identifier: GPL-3.0-or-later
// Jobs that stream the decoded audio into the encoder, and the part file
// every job writes before its output appears.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <chrono>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/ConversionJob.h"
#include "engine/PartFile.h"
#include "engine/Unzipfile.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "FakeEncoder.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint8_t Mp3 = 0, Ogg = 1, Ape = 2, Flac = 3, Aac = 4, M4a = 5, Mpc = 7, Wav = 8;

class StreamingJob : public ::testing::Test {
protected:
    void Run(TConversionJob& job)
    {
        const auto start = Clock::now();
        job.Start();
        while (!job.Done && Clock::now() - start < std::chrono::seconds(120))
            job.WaitForDone(50);
        ASSERT_TRUE(job.Done);
    }

    fs::path Program(std::uint8_t format)
    {
        fs::path program;
        EXPECT_TRUE(engine::ExtractFromPackage(testaudio::BuildProgramFolder() / "EncodeDLL.dll",
                                               engine::Row(format).program, program, programs_.path()));
        return program;
    }

    // The output of the same job made through a temporary WAV file.
    fs::path ThroughWav(const TConversionJob& like, const fs::path& output)
    {
        TConversionJob job;
        job.InputFile = like.InputFile;
        job.OutputFile = output;
        job.OutputFormat = like.OutputFormat;
        job.Options = like.Options;
        job.ProgramPath = like.ProgramPath;
        job.TempWavFile = out_ / "decoded.wav";
        EXPECT_TRUE(job.DecodeToWav(job.TempWavFile)) << job.ErrorText;
        EXPECT_TRUE(job.RunEncoder(job.BuildCommandLine(job.OutputFormat))) << job.ErrorText;
        return output;
    }

    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(out_.path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    testsupport::TempFolder out_;
    testsupport::TempFolder programs_;
};

}  // namespace

TEST_F(StreamingJob, OutputsEqualThoseMadeThroughATemporaryWav)
{
    struct Case {
        std::uint8_t format;
        const char* options;
        bool sameBytes;  // the encoder is deterministic and writes no length of its own
    };
    const Case cases[] = {{Mp3, "-b 128", true},       {Flac, "-5", false},
                          {Ogg, "-q 3", false},        {Mpc, "--standard", false},
                          {Ape, "-c2000", true},       {Aac, "-q 100 --mpeg-vers 2", true},
                          {M4a, "-q 100 -w --mpeg-vers 4", true}, {Wav, "", true}};
    for (const Case& c : cases) {
        const std::string extension = engine::Row(c.format).extension;
        TConversionJob job;
        job.InputFile = testaudio::Get("tone.flac");
        job.OutputFile = out_ / ("streamed" + extension);
        job.OutputFormat = c.format;
        job.Options = c.options;
        job.ProgramPath = Program(c.format);
        Run(job);
        ASSERT_TRUE(job.Succeeded) << extension << ": " << job.ErrorText;
        EXPECT_EQ(job.TempWavFile, "-");
        EXPECT_EQ(job.Percent, 100);
        const fs::path reference = ThroughWav(job, out_ / ("file" + extension));
        EXPECT_EQ(testaudio::DecodeS16(job.OutputFile), testaudio::DecodeS16(reference)) << extension;
        if (c.sameBytes) {
            EXPECT_EQ(testaudio::ReadBytes(job.OutputFile), testaudio::ReadBytes(reference)) << extension;
        }
        if (c.format == Flac) {
            EXPECT_EQ(testaudio::DecodeS16(job.OutputFile), testaudio::DecodeS16(job.InputFile));
        }
    }
}

TEST_F(StreamingJob, CancelEndsTheEncoderAndLeavesNoOutput)
{
    const fs::path pidFile = out_ / "pid";
    TConversionJob job;
    job.InputFile = testaudio::Get("tone.flac");
    job.OutputFile = out_ / "out.mp3";
    job.OutputFormat = Mp3;
    // Reads nothing, so the feed blocks on a full pipe.
    job.ProgramPath = fakeencoder::Write(out_ / "sleeper", "echo $$ > '" + pidFile.string() + "'\nexec sleep 30");
    job.Start();
    const pid_t child = std::stoi(fakeencoder::WaitForLine(pidFile));
    job.Cancel();
    const auto start = Clock::now();
    while (!job.Done && Clock::now() - start < std::chrono::seconds(20))
        job.WaitForDone(50);
    EXPECT_TRUE(job.Done);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(job.ErrorText, "Operation is cancelled");
    EXPECT_TRUE(fakeencoder::Gone(child));
    EXPECT_EQ(Names(), std::set<std::string>({"pid", "sleeper"}));
}

TEST_F(StreamingJob, AnEncoderThatStopsReadingFailsAndKeepsTheEarlierOutput)
{
    const fs::path output = out_ / "out.mp3";
    std::ofstream(output) << "a complete earlier output";
    TConversionJob job;
    job.InputFile = testaudio::Get("tone.flac");
    job.OutputFile = output;
    job.OutputFormat = Mp3;
    job.ProgramPath = fakeencoder::Write(out_ / "quits", "head -c 100 > /dev/null; exit 0");
    Run(job);
    EXPECT_FALSE(job.Succeeded);
    EXPECT_EQ(job.ErrorText, "The encoder ended before it had read all of the audio");
    EXPECT_EQ(testaudio::ReadBytes(output), "a complete earlier output");

    job.ProgramPath = fakeencoder::Write(out_ / "crashes", "head -c 100 > /dev/null; echo 'bad input' >&2; kill -SEGV $$");
    Run(job);
    EXPECT_FALSE(job.Succeeded);
    EXPECT_EQ(job.ErrorText, "The encoder was ended by signal 11: bad input");
    EXPECT_EQ(testaudio::ReadBytes(output), "a complete earlier output");
    EXPECT_EQ(Names(), std::set<std::string>({"out.mp3", "quits", "crashes"}));
}

TEST_F(StreamingJob, AnInputWithoutSamplesGivesNoOutput)
{
    const fs::path empty = out_ / "empty.wav";
    // A 16-bit stereo 44.1 kHz header with no data.
    const unsigned char header[44] = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                      16, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0,
                                      4, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
    std::ofstream(empty, std::ios::binary).write(reinterpret_cast<const char*>(header), sizeof header);
    TConversionJob job;
    job.InputFile = empty;
    job.OutputFile = out_ / "out.mp3";
    job.OutputFormat = Mp3;
    job.Options = "-b 128";
    job.ProgramPath = Program(Mp3);
    Run(job);
    EXPECT_FALSE(job.Succeeded);
    EXPECT_EQ(job.ErrorText, "The input holds no audio");
    EXPECT_FALSE(fs::exists(job.OutputFile));
    EXPECT_EQ(Names(), std::set<std::string>({"empty.wav"}));
}

TEST_F(StreamingJob, OutputsGetTheModeOfANewFile)
{
    const mode_t old = umask(027);
    TConversionJob job;
    job.InputFile = testaudio::Get("tone.mp3");
    job.OutputFile = out_ / "out.flac";
    job.OutputFormat = Flac;
    job.Options = "-5";
    job.ProgramPath = Program(Flac);
    Run(job);
    umask(old);
    ASSERT_TRUE(job.Succeeded) << job.ErrorText;
    struct stat info {};
    ASSERT_EQ(stat(job.OutputFile.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(PartFiles, PartNamesFitAndKeepTheExtensionTargetsThatCannotFitAreRefused)
{
    testsupport::TempFolder folder;
    std::string error;
    engine::PartFile part;
    ASSERT_TRUE(part.Create(folder / (std::string(250, 'n') + ".flac"), error)) << error;
    const std::string name = part.Path().filename().string();
    EXPECT_LE(name.size(), 255u);
    EXPECT_EQ(part.Path().extension(), ".flac");
    EXPECT_NE(name.find(".tremolix-part."), std::string::npos) << name;
    EXPECT_TRUE(fs::exists(part.Path()));

    const fs::path tooLong = folder / (std::string(252, 'n') + ".flac");
    EXPECT_FALSE(part.Create(tooLong, error));
    EXPECT_EQ(error, "File name too long: \"" + tooLong.filename().string() + "\"");
    // The earlier part went with the second Create.
    EXPECT_TRUE(fs::is_empty(folder.path()));
}
