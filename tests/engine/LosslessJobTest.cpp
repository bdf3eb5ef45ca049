// SPDX-License-Identifier: GPL-3.0-or-later
// Whole jobs from sources beyond 16-bit stereo through the real encoders:
// lossless outputs hold every sample, formats that cannot get the
// reduction with a note, and surround stays surround where a lossy format
// holds it.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "engine/ConversionJob.h"
#include "engine/Unzipfile.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "support/HiResSources.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint8_t Mp3 = 0, Ogg = 1, Ape = 2, Flac = 3, M4a = 5, Wav = 8, Opus = engine::FormatOpus,
                       WavPack = engine::FormatWavPack, Alac = engine::FormatAlac;

// Each lossless output with a preset of its own that keeps the source's
// layout, and the ffprobe field that tells its depth.
struct Lossless {
    std::uint8_t format;
    const char* options;
    const char* depthField;
};
const Lossless LosslessOutputs[] = {{Flac, "-5", "bits_per_raw_sample"},
                                    {Wav, "--nodither", "bits_per_sample"},
                                    {WavPack, "-g", "bits_per_raw_sample"},
                                    {Alac, "-compression_level 2", "bits_per_raw_sample"}};

struct Output {
    fs::path file;
    std::string note;
};

class LosslessJob : public ::testing::Test {
protected:
    Output Convert(const fs::path& input, std::uint8_t format, const std::string& options)
    {
        TConversionJob job;
        job.InputFile = input;
        job.OutputFile = out_ / ("out" + std::to_string(++count_) + engine::Row(format).extension);
        job.OutputFormat = format;
        job.Options = options;
        if (*engine::Row(format).program)
            job.ProgramPath = Program(format);
        job.Start();
        const auto start = std::chrono::steady_clock::now();
        while (!job.Done && std::chrono::steady_clock::now() - start < std::chrono::seconds(120))
            job.WaitForDone(50);
        EXPECT_TRUE(job.Succeeded) << job.ErrorText;
        return {job.OutputFile, job.Note};
    }

    fs::path Program(std::uint8_t format)
    {
        fs::path program;
        EXPECT_TRUE(engine::ExtractFromPackage(testaudio::BuildProgramFolder() / "EncodeDLL.dll",
                                               engine::Row(format).program, program, programs_.path()));
        return program;
    }

    testsupport::TempFolder in_;
    testsupport::TempFolder out_;
    testsupport::TempFolder programs_;
    int count_ = 0;
};

// Root mean square of each channel of interleaved samples.
std::vector<double> ChannelLevels(const std::vector<std::int32_t>& samples, int channels)
{
    std::vector<double> levels(std::size_t(channels), 0);
    for (std::size_t i = 0; i < samples.size(); ++i)
        levels[i % std::size_t(channels)] += std::pow(samples[i] / 2147483648.0, 2);
    for (double& level : levels)
        level = std::sqrt(level * channels / double(samples.size()));
    return levels;
}

}  // namespace

TEST_F(LosslessJob, LosslessOutputsKeepEverySampleOfHighResolutionAndSurroundSources)
{
    const std::vector<std::pair<fs::path, std::string>> sources = {
        {hires::Make(in_ / "hires.wav", "stereo", 2, 96000, "pcm_s24le"), "24"},
        {hires::Make(in_ / "surround.wav", "5.1", 6, 48000, "pcm_s24le"), "24"},
        {hires::Make(in_ / "octo.wav", "7.1", 8, 44100, "pcm_s16le"), "16"},
    };
    for (const auto& [source, bits] : sources) {
        const std::vector<std::int32_t> expected = hires::Samples32(source);
        for (const Lossless& lossless : LosslessOutputs) {
            const Output output = Convert(source, lossless.format, lossless.options);
            SCOPED_TRACE(source.filename().string() + " to " + engine::Row(lossless.format).shortName);
            EXPECT_TRUE(hires::Samples32(output.file) == expected);
            EXPECT_EQ(testaudio::Probe(output.file, "channels"), testaudio::Probe(source, "channels"));
            EXPECT_EQ(testaudio::Probe(output.file, "sample_rate"), testaudio::Probe(source, "sample_rate"));
            EXPECT_EQ(testaudio::Probe(output.file, lossless.depthField), bits);
            // Apple Lossless places eight channels its own way.
            if (lossless.format == Alac && source.filename() == "octo.wav") {
                EXPECT_EQ(testaudio::Probe(output.file, "channel_layout"), "7.1(wide)");
                EXPECT_EQ(output.note, "channel layout 7.1 stored as 7.1(wide)");
                continue;
            }
            EXPECT_EQ(testaudio::Probe(output.file, "channel_layout"), testaudio::Probe(source, "channel_layout"));
            EXPECT_EQ(output.note, "");
        }
    }
}

TEST_F(LosslessJob, FloatAnd32BitSourcesBecomeDithered24BitWithANote)
{
    for (const auto& [codec, note] : {std::pair{"pcm_f32le", "32-bit float samples dithered to 24 bits"},
                                      std::pair{"pcm_s32le", "32-bit samples dithered to 24 bits"}}) {
        const fs::path source = hires::Make(in_ / (std::string(codec) + ".wav"), "stereo", 2, 48000, codec);
        const std::vector<std::int32_t> exact = hires::Samples32(source);
        for (const Lossless& lossless : LosslessOutputs) {
            const Output output = Convert(source, lossless.format, lossless.options);
            SCOPED_TRACE(std::string(codec) + " to " + engine::Row(lossless.format).shortName);
            EXPECT_EQ(output.note, note);
            EXPECT_EQ(testaudio::Probe(output.file, lossless.depthField), "24");
            const std::vector<std::int32_t> stored = hires::Samples32(output.file);
            ASSERT_EQ(stored.size(), exact.size());
            std::int64_t worst = 0;
            for (std::size_t i = 0; i < stored.size(); ++i)
                worst = std::max(worst, std::abs(std::int64_t(stored[i]) - exact[i]));
            EXPECT_LE(worst, 2 * 256);
            EXPECT_GT(worst, 0);
        }
    }
}

TEST_F(LosslessJob, TheWav24BitPresetsKeepTheLowByte)
{
    const fs::path source = hires::Make(in_ / "hires.wav", "stereo", 2, 96000, "pcm_s24le");
    const std::vector<std::int32_t> expected = hires::Samples32(source);
    for (const char* options : {"--bits 24", "--rate 96000 --bits 24"}) {
        const Output output = Convert(source, Wav, options);
        const std::vector<std::int32_t> stored = hires::Samples32(output.file);
        EXPECT_TRUE(stored == expected) << options;
        EXPECT_TRUE(std::any_of(stored.begin(), stored.end(), [](std::int32_t s) { return (s & 0xFF00) != 0; }))
            << options;
        EXPECT_EQ(output.note, "") << options;
    }
}

TEST_F(LosslessJob, FormatsAndPresetsThatCannotHoldTheSourceReduceItAndSaySo)
{
    const fs::path source = hires::Make(in_ / "surround.wav", "5.1", 6, 96000, "pcm_s24le");
    struct Case {
        std::uint8_t format;
        const char* options;
        const char* note;
        const char* rate;
    };
    for (const Case& c : {Case{Ape, "-c2000", "down-mixed from 6 to 2 channels; 24-bit samples dithered to 16 bits", "96000"},
                          Case{Mp3, "-b 128", "resampled from 96000 Hz to 48000 Hz; down-mixed from 6 to 2 channels", "48000"},
                          Case{Wav, "--rate 44100 --bits 16 --stereo --dither",
                               "down-mixed from 6 to 2 channels; 24-bit samples dithered to 16 bits; "
                               "resampled from 96000 Hz to 44100 Hz",
                               "44100"}}) {
        const Output output = Convert(source, c.format, c.options);
        SCOPED_TRACE(output.file.extension().string());
        EXPECT_EQ(output.note, c.note);
        EXPECT_EQ(testaudio::Probe(output.file, "channels"), "2");
        EXPECT_EQ(testaudio::Probe(output.file, "sample_rate"), c.rate);
    }
}

TEST_F(LosslessJob, OggAacAndOpusKeepSurroundChannelsInTheirPlaces)
{
    const fs::path source = hires::Make(in_ / "surround.wav", "5.1", 6, 48000, "pcm_s24le", 2.0);
    const std::vector<double> expected = ChannelLevels(hires::Samples32(source), 6);
    for (const auto& [format, options] :
         {std::pair{Ogg, "-q 6"}, std::pair{M4a, "-q 150"}, std::pair{Opus, "--bitrate 256 --vbr"}}) {
        const Output output = Convert(source, format, options);
        SCOPED_TRACE(output.file.extension().string());
        EXPECT_EQ(output.note, "");
        ASSERT_EQ(testaudio::Probe(output.file, "channels"), "6");
        const std::vector<double> levels = ChannelLevels(hires::Samples32(output.file), 6);
        // The low-frequency channel is band-limited by both encoders.
        for (const std::size_t channel : {0, 1, 2, 4, 5})
            EXPECT_NEAR(levels[channel], expected[channel], expected[channel] * 0.03) << "channel " << channel;
    }
}
