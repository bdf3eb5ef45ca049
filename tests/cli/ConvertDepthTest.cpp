// SPDX-License-Identifier: GPL-3.0-or-later
// Sources beyond 16-bit stereo through the command line: reductions are
// said in NOTE lines, and normalising a 24-bit source
// keeps its 24 bits.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "cli/CliRunner.h"
#include "support/TempFolder.h"
#include "support/HiResSources.h"

namespace fs = std::filesystem;

TEST(ConvertDepth, ReductionsAreSaidInNoteLines)
{
    testsupport::TempFolder folder;
    const fs::path input = hires::Make(folder / "surround.wav", "5.1", 6, 48000, "pcm_s24le");
    const CliResult ape = RunCli({"convert", "--format", "APE (Monkey's Audio)", "--preset", "Normal (-c2000)",
                                  "--target", (folder / "ape").string(), "--verbose", "--", input.string()});
    ASSERT_EQ(ape.exitCode, 0) << ape.output;
    EXPECT_NE(ape.output.find("NOTE\t" + input.string() +
                              "\tdown-mixed from 6 to 2 channels; 24-bit samples dithered to 16 bits"),
              std::string::npos)
        << ape.output;

    const CliResult flac = RunCli({"convert", "--format", "FLAC (Free Lossless Audio Codec)", "--preset",
                                   "Level 5 (default)", "--target", (folder / "flac").string(), "--verbose", "--",
                                   input.string()});
    ASSERT_EQ(flac.exitCode, 0) << flac.output;
    // Nothing was reduced, so there is nothing to say.
    EXPECT_EQ(flac.output.find("NOTE"), std::string::npos) << flac.output;
}

TEST(ConvertDepth, FloatIntoWavPackAndAppleLosslessBecomes24BitWithANote)
{
    testsupport::TempFolder folder;
    const fs::path input = hires::Make(folder / "float.wav", "stereo", 2, 48000, "pcm_f32le");
    struct Case {
        const char* format;
        const char* preset;
        const char* extension;
    };
    for (const Case& c : {Case{"WavPack", "Lossless normal", ".wv"},
                          Case{"ALAC (Apple Lossless)", "Normal (level 2, default)", ".m4a"}}) {
        SCOPED_TRACE(c.format);
        const fs::path target = folder / c.format;
        const CliResult result = RunCli({"convert", "--format", c.format, "--preset", c.preset, "--target",
                                         target.string(), "--verbose", "--", input.string()});
        ASSERT_EQ(result.exitCode, 0) << result.output;
        EXPECT_NE(result.output.find("NOTE\t" + input.string() + "\t32-bit float samples dithered to 24 bits"),
                  std::string::npos)
            << result.output;
        EXPECT_EQ(testaudio::Probe(target / ("float" + std::string(c.extension)), "bits_per_raw_sample"), "24");
    }
}

TEST(ConvertDepth, SurroundIntoOpusKeepsItsChannels)
{
    testsupport::TempFolder folder;
    for (const auto& [layout, channels] : {std::pair{"5.1", 6}, std::pair{"7.1", 8}}) {
        SCOPED_TRACE(layout);
        const fs::path input = hires::Make(folder / (std::string(layout) + ".wav"), layout, channels, 48000, "pcm_s24le");
        const CliResult result = RunCli({"convert", "--format", "Opus", "--preset", "128 kbps VBR (default)",
                                         "--target", (folder / "out").string(), "--verbose", "--", input.string()});
        ASSERT_EQ(result.exitCode, 0) << result.output;
        EXPECT_EQ(result.output.find("NOTE"), std::string::npos) << result.output;
        const fs::path output = folder / "out" / (std::string(layout) + ".opus");
        std::string said;
        EXPECT_EQ(testaudio::Run({"opusinfo", output.string()}, &said), 0) << said;
        EXPECT_NE(said.find("Channels: " + std::to_string(channels)), std::string::npos) << said;
        EXPECT_NE(said.find("Channel Mapping Family: 1"), std::string::npos) << said;
        EXPECT_EQ(testaudio::Probe(output, "channel_layout"), layout);
    }
}

TEST(ConvertDepth, NormalisingA24BitSourceKeepsItsDepth)
{
    testsupport::TempFolder folder;
    const fs::path input = hires::Make(folder / "hires.wav", "stereo", 2, 96000, "pcm_s24le");
    const CliResult result =
        RunCli({"convert", "--format", "FLAC (Free Lossless Audio Codec)", "--preset", "Level 5 (default)", "--target",
                (folder / "out").string(), "--normalize", "50", "--", input.string()});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    const fs::path output = folder / "out" / "hires.flac";
    EXPECT_EQ(testaudio::Probe(output, "bits_per_raw_sample"), "24");
    const std::vector<std::int32_t> samples = hires::Samples32(output);
    ASSERT_FALSE(samples.empty());
    std::int64_t peak = 0;
    for (const std::int32_t sample : samples)
        peak = std::max(peak, std::abs(std::int64_t(sample)));
    // Half of full scale to within a 24-bit step.
    EXPECT_NEAR(double(peak) / 2147483648.0, 0.5, 2.0 / 8388608);
    EXPECT_TRUE(std::any_of(samples.begin(), samples.end(), [](std::int32_t s) { return (s & 0xFF00) != 0; }));
}
