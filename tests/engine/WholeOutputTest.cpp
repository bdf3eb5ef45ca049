// SPDX-License-Identifier: GPL-3.0-or-later
// Jobs whose output must be whole before it gets its name: a short output
// fails, a name that cannot fit fails before decoding, a cancel at once
// stops the job, and an input that ends early is noted.

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "engine/ConversionJob.h"
#include "engine/Unzipfile.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "FakeEncoder.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint8_t Mp3 = 0, Flac = 3;

class WholeOutput : public ::testing::Test {
protected:
    static void Run(TConversionJob& job)
    {
        job.Start();
        for (int pass = 0; pass < 2400 && !job.Done; ++pass)
            job.WaitForDone(50);
        ASSERT_TRUE(job.Done);
    }

    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(out_.path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path Program(std::uint8_t format)
    {
        fs::path program;
        EXPECT_TRUE(engine::ExtractFromPackage(testaudio::BuildProgramFolder() / "EncodeDLL.dll",
                                               engine::Row(format).program, program, programs_.path()));
        return program;
    }

    // A job to FLAC by the real encoder.
    void ToFlac(TConversionJob& job, const fs::path& input)
    {
        job.InputFile = input;
        job.OutputFile = out_ / "out.flac";
        job.OutputFormat = Flac;
        job.Options = "-5";
        job.ProgramPath = Program(Flac);
    }

    testsupport::TempFolder out_;
    testsupport::TempFolder programs_;
};

}  // namespace

TEST_F(WholeOutput, AnEncoderThatExitsZeroWithAShortFileFailsAndTheEarlierOutputStays)
{
    const fs::path input = out_ / "ten.wav";
    testaudio::MakeToneWav(input, 44100, 2, 10.0);
    const fs::path output = out_ / "out.mp3";
    std::ofstream(output) << "a complete earlier output";
    TConversionJob job;
    job.InputFile = input;
    job.OutputFile = output;
    job.OutputFormat = Mp3;
    // Reads all of its input, then writes a two-second file and says OK.
    job.ProgramPath = fakeencoder::Write(
        out_ / "short", "cat > /dev/null; cp '" + testaudio::Get("tone.mp3").string() + "' \"$2\"");
    Run(job);
    EXPECT_FALSE(job.Succeeded);
    EXPECT_EQ(job.ErrorText.rfind("The output holds 2.0", 0), 0u) << job.ErrorText;
    EXPECT_NE(job.ErrorText.find(" of 10.00 s"), std::string::npos) << job.ErrorText;
    EXPECT_EQ(testaudio::ReadBytes(output), "a complete earlier output");
    EXPECT_EQ(Names(), std::set<std::string>({"ten.wav", "out.mp3", "short"}));
}

TEST_F(WholeOutput, ANameThatCannotFitFailsBeforeAnythingIsDecoded)
{
    const fs::path started = out_ / "started";
    TConversionJob job;
    job.InputFile = testaudio::Get("tone.flac");
    job.OutputFile = out_ / (std::string(252, 'n') + ".mp3");
    job.OutputFormat = Mp3;
    job.ProgramPath = fakeencoder::Write(out_ / "enc", "touch '" + started.string() + "'");
    Run(job);
    EXPECT_FALSE(job.Succeeded);
    EXPECT_EQ(job.ErrorText, "File name too long: \"" + job.OutputFile.filename().string() + "\"");
    EXPECT_FALSE(job.Decoded);
    EXPECT_EQ(Names(), std::set<std::string>({"enc"}));
}

// The worker once cleared the request when it began, losing a Cancel that
// came between Start and its run.
TEST_F(WholeOutput, ACancelRightAfterStartStopsTheJob)
{
    const fs::path started = out_ / "started";
    TConversionJob job;
    job.InputFile = testaudio::Get("tone.flac");
    job.OutputFile = out_ / "out.mp3";
    job.OutputFormat = Mp3;
    job.ProgramPath = fakeencoder::Write(out_ / "enc", "touch '" + started.string() + "'; cat > /dev/null");
    for (int attempt = 0; attempt < 20; ++attempt) {
        job.Start();
        job.Cancel();
        for (int pass = 0; pass < 2400 && !job.Done; ++pass)
            job.WaitForDone(50);
        ASSERT_TRUE(job.Done);
        EXPECT_FALSE(job.Succeeded) << attempt;
        EXPECT_EQ(job.ErrorText, "Operation is cancelled") << attempt;
    }
    EXPECT_EQ(Names(), std::set<std::string>({"enc"}));
    // A later Start runs again.
    job.ProgramPath = Program(Mp3);
    job.Options = "-b 128";
    Run(job);
    EXPECT_TRUE(job.Succeeded) << job.ErrorText;
}

TEST_F(WholeOutput, AnInputThatEndsBeforeItsStatedLengthIsNotedAndStillConverted)
{
    // A WAV header that promises 1:14 over 1.6 s of samples.
    const fs::path wav = out_ / "cut.wav";
    testaudio::MakeToneWav(wav, 44100, 2, 74.0);
    fs::resize_file(wav, 44 + 70560 * 4);
    TConversionJob job;
    ToFlac(job, wav);
    Run(job);
    ASSERT_TRUE(job.Succeeded) << job.ErrorText;
    EXPECT_EQ(job.EndedEarly, "the input ended after 1.6 s of 1:14");
    EXPECT_NEAR(std::stod(testaudio::Probe(job.OutputFile, "duration")), 1.6, 0.01);

    // A FLAC file whose STREAMINFO promises more than its frames hold.
    const fs::path flac = out_ / "cut.flac";
    testaudio::MakeToneWav(out_ / "long.wav", 44100, 2, 74.0);
    ASSERT_EQ(testaudio::Run({"flac", "-s", "-f", "-o", flac.string(), (out_ / "long.wav").string()}), 0);
    fs::resize_file(flac, fs::file_size(flac) / 10);
    ToFlac(job, flac);
    job.OutputFile = out_ / "out2.flac";
    Run(job);
    ASSERT_TRUE(job.Succeeded) << job.ErrorText;
    EXPECT_EQ(job.EndedEarly.rfind("the input ended after ", 0), 0u) << job.EndedEarly;
    EXPECT_EQ(job.EndedEarly.substr(job.EndedEarly.size() - 8), " of 1:14") << job.EndedEarly;

    // Whole inputs, with stated lengths or guessed ones, get no note.
    for (const char* whole : {"tone.flac", "tone.mp3", "tone.aac", "tone.ogg"}) {
        ToFlac(job, testaudio::Get(whole));
        Run(job);
        EXPECT_TRUE(job.Succeeded) << whole << ": " << job.ErrorText;
        EXPECT_EQ(job.EndedEarly, "") << whole;
    }
}
