// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes that keep a source's depth and channels, the dithered cut to 16
// bits, and the plan a job makes from a format's limits and its preset.

#include <gtest/gtest.h>

#include <cmath>

#include "engine/AudioLibrary.h"
#include "engine/FormatTable.h"
#include "engine/SampleCapabilities.h"
#include "engine/SampleGain.h"
#include "engine/SamplePacking.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "DecodeTestSupport.h"
#include "support/HiResSources.h"

namespace fs = std::filesystem;
using namespace AudioLibrary;

namespace {

constexpr std::uint8_t Mp3 = 0, Ape = 2, Flac = 3, Wav = 8, Wma = 10;

// Everything a stream delivers, widened to 32 bits like hires::Samples32.
std::vector<std::int32_t> ReadAll32(Handle handle)
{
    ChannelInfo info;
    ChannelGetInfo(handle, info);
    const int width = int(info.bits / 8);
    std::vector<std::int32_t> samples;
    std::vector<std::uint8_t> block(6 * 8 * 1024);
    while (ChannelIsActive(handle)) {
        const std::int32_t got = ChannelGetData(handle, block.data(), std::uint32_t(block.size()));
        if (got <= 0)
            break;
        for (std::int32_t i = 0; i < got; i += width)
            samples.push_back(engine::LoadSample(block.data() + i, width) << (32 - 8 * width));
    }
    return samples;
}

class SampleFormat : public ::testing::Test {
protected:
    testsupport::TempFolder folder_;
};

}  // namespace

TEST_F(SampleFormat, SourcesReportTheirOwnDepthAndChannels)
{
    struct Case {
        fs::path file;
        SourceFormat expected;
    };
    const fs::path s24 = hires::Make(folder_ / "s24.wav", "stereo", 2, 96000, "pcm_s24le");
    const fs::path flac = folder_ / "s24.flac";
    testaudio::Run({"flac", "--silent", "-o", flac.string(), s24.string()});
    const fs::path wavpack = folder_ / "s24.wv";
    testaudio::Run({"wavpack", "-q", "-y", s24.string(), "-o", wavpack.string()});
    const fs::path alac = folder_ / "s24.m4a";
    testaudio::Run({"ffmpeg", "-nostdin", "-v", "error", "-i", s24.string(), "-c:a", "alac", alac.string()});
    for (const Case& c : {Case{s24, {2, 24, false}}, Case{flac, {2, 24, false}}, Case{wavpack, {2, 24, false}},
                          Case{alac, {2, 24, false}},
                          Case{hires::Make(folder_ / "s32.wav", "stereo", 2, 48000, "pcm_s32le"), {2, 32, false}},
                          Case{hires::Make(folder_ / "f32.wav", "stereo", 2, 48000, "pcm_f32le"), {2, 32, true}},
                          Case{hires::Make(folder_ / "six.wav", "5.1", 6, 48000, "pcm_s16le"), {6, 16, false}},
                          // A lossy codec's float samples are no depth to keep.
                          Case{testaudio::Get("tone.mp3"), {2, 16, false}}}) {
        const Handle handle = StreamCreateFile(c.file, FlagDecodeOnly);
        ASSERT_NE(handle, 0u) << c.file;
        SourceFormat source;
        ASSERT_TRUE(ChannelGetSourceFormat(handle, source));
        EXPECT_EQ(source.chans, c.expected.chans) << c.file;
        EXPECT_EQ(source.bits, c.expected.bits) << c.file;
        EXPECT_EQ(source.isFloat, c.expected.isFloat) << c.file;
        // Until asked otherwise a stream delivers 16-bit stereo at most.
        ChannelInfo info;
        ChannelGetInfo(handle, info);
        EXPECT_EQ(info.bits, 16u);
        EXPECT_EQ(info.chans, 2u);
        StreamFree(handle);
    }
}

TEST_F(SampleFormat, TwentyFourBitsAndAllChannelsComeOutAsFfmpegDecodesThem)
{
    for (const auto& [layout, channels] : {std::pair{"stereo", 2u}, std::pair{"5.1", 6u}, std::pair{"7.1", 8u}}) {
        const fs::path source = hires::Make(folder_ / "source.wav", layout, int(channels), 96000, "pcm_s24le");
        // The speakers the source's own extensible header names.
        const std::uint32_t mask = decodetest::Le(testaudio::ReadBytes(source), 40, 4);
        const Handle handle = StreamCreateFile(source, FlagDecodeOnly);
        ASSERT_NE(handle, 0u);
        ASSERT_TRUE(ChannelSetSampleFormat(handle, 24, true));
        ChannelInfo info;
        ChannelGetInfo(handle, info);
        EXPECT_EQ(info.bits, 24u);
        EXPECT_EQ(info.chans, channels);
        EXPECT_EQ(info.channelMask, mask) << layout;
        EXPECT_EQ(ChannelBytes2Seconds(handle, 96000ull * channels * 3), 1.0);
        const std::vector<std::int32_t> samples = ReadAll32(handle);
        EXPECT_EQ(ChannelGetPosition(handle), samples.size() * 3);
        EXPECT_TRUE(samples == hires::Samples32(source)) << layout;
        StreamFree(handle);
    }
}

TEST_F(SampleFormat, TheFormatIsFixedBeforeTheFirstReadAndOnlyToWhatCanBeDelivered)
{
    const fs::path source = hires::Make(folder_ / "source.wav", "stereo", 2, 48000, "pcm_s24le");
    const Handle handle = StreamCreateFile(source, FlagDecodeOnly);
    ASSERT_NE(handle, 0u);
    EXPECT_FALSE(ChannelSetSampleFormat(handle, 20, false));
    EXPECT_EQ(ErrorGetCode(), ErrorIllegalParam);
    std::uint8_t block[600];
    ASSERT_TRUE(ChannelSetSampleFormat(handle, 24, false));
    EXPECT_EQ(ChannelGetData(handle, block, sizeof block), 600);
    EXPECT_FALSE(ChannelSetSampleFormat(handle, 16, false));
    EXPECT_EQ(ErrorGetCode(), ErrorAlready);
    StreamFree(handle);

    const fs::path many = hires::Make(folder_ / "many.wav", "", 9, 48000, "pcm_s16le");
    const Handle wide = StreamCreateFile(many, FlagDecodeOnly);
    ASSERT_NE(wide, 0u);
    EXPECT_FALSE(ChannelSetSampleFormat(wide, 16, true));
    EXPECT_EQ(ErrorGetCode(), ErrorIllegalParam);
    StreamFree(wide);
}

// A quiet 24-bit tone cut to 16 bits: truncation would floor every sample
// and plain rounding would leave an error of at most half a step; TPDF
// dither spreads the error over about +-1.5 steps with no bias.
TEST_F(SampleFormat, ACutTo16BitsIsDitheredNotTruncated)
{
    const fs::path source = folder_ / "quiet.wav";
    testaudio::Run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                    "aevalsrc=0.0003*sin(2*PI*440*t)|0.0002*sin(2*PI*660*t):s=48000:d=2", "-c:a", "pcm_s24le",
                    source.string()});
    const std::vector<std::int32_t> exact = hires::Samples32(source);
    const Handle handle = StreamCreateFile(source, FlagDecodeOnly);
    ASSERT_NE(handle, 0u);
    const std::vector<std::int32_t> cut = ReadAll32(handle);
    StreamFree(handle);
    ASSERT_EQ(cut.size(), exact.size());
    double sum = 0, squares = 0;
    std::size_t truncated = 0, worst = 0;
    for (std::size_t i = 0; i < cut.size(); ++i) {
        const double error = (double(cut[i]) - double(exact[i])) / 65536.0;
        sum += error;
        squares += error * error;
        truncated += cut[i] == (exact[i] & ~0xFFFF);
        worst = std::max(worst, std::size_t(std::ceil(std::fabs(error))));
    }
    const double mean = sum / double(cut.size());
    const double variance = squares / double(cut.size()) - mean * mean;
    EXPECT_LT(double(truncated), 0.6 * double(cut.size()));
    EXPECT_LE(worst, 2u);
    EXPECT_LT(std::fabs(mean), 0.1);
    // Rounding gives 1/12, rectangular dither 1/6, triangular 1/4 of a step squared.
    EXPECT_GT(variance, 0.2);
    EXPECT_LT(variance, 0.32);
}

TEST_F(SampleFormat, GainAndPeakWorkOnPacked24BitSamples)
{
    std::uint8_t packed[9];
    const std::int32_t wide[] = {0x7FFFFF80, std::int32_t(0x80000000), 0x00012300};
    engine::PackTo24(wide, 3, packed);
    // Rounding the top sample up would wrap; it saturates instead.
    EXPECT_EQ(engine::LoadSample(packed, 3), 0x7FFFFF);
    EXPECT_EQ(engine::LoadSample(packed + 3, 3), -0x800000);
    EXPECT_EQ(engine::LoadSample(packed + 6, 3), 0x123);
    EXPECT_DOUBLE_EQ(engine::PeakOf(packed, sizeof packed, 3), 1.0);
    engine::ApplyGain(packed, sizeof packed, 0.5, 3);
    EXPECT_EQ(engine::LoadSample(packed + 3, 3), -0x400000);
    EXPECT_EQ(engine::LoadSample(packed + 6, 3), 0x92);  // 145.5 rounds to even
    EXPECT_DOUBLE_EQ(engine::PeakOf(packed, sizeof packed, 3), 0.5);
}

TEST(DecodePlan, LosslessFormatsKeepWhatTheyHoldAndNameEveryReduction)
{
    using engine::PlanDecode;
    const SourceFormat surround24{6, 24, false};
    for (const std::uint8_t format : {Flac, Wav, std::uint8_t(engine::FormatWavPack), std::uint8_t(engine::FormatAlac)}) {
        const engine::DecodePlan kept = PlanDecode(format, {}, surround24, 96000);
        EXPECT_EQ(kept.bits, 24u) << int(format);
        EXPECT_TRUE(kept.keepChannels) << int(format);
        EXPECT_TRUE(kept.notes.empty()) << int(format);
        EXPECT_EQ(PlanDecode(format, {}, {2, 32, true}, 48000).notes,
                  std::vector<std::string>{"32-bit float samples dithered to 24 bits"});
    }
    // Opus holds the channels but no depth, and says nothing of it.
    const engine::DecodePlan opus = PlanDecode(engine::FormatOpus, {}, {8, 24, false}, 48000);
    EXPECT_EQ(opus.bits, 16u);
    EXPECT_TRUE(opus.keepChannels);
    EXPECT_TRUE(opus.notes.empty());

    const engine::DecodePlan ape = PlanDecode(Ape, {}, surround24, 96000);
    EXPECT_EQ(ape.bits, 16u);
    EXPECT_FALSE(ape.keepChannels);
    EXPECT_EQ(ape.notes, (std::vector<std::string>{"down-mixed from 6 to 2 channels", "24-bit samples dithered to 16 bits"}));

    EXPECT_EQ(PlanDecode(Flac, {}, {2, 32, false}, 48000).notes,
              std::vector<std::string>{"32-bit samples dithered to 24 bits"});
    const engine::DecodePlan octo = PlanDecode(Flac, {}, {8, 16, false}, 48000);
    EXPECT_EQ(octo.bits, 16u);
    EXPECT_TRUE(octo.keepChannels);
    EXPECT_EQ(PlanDecode(Flac, {}, {9, 16, false}, 48000).notes,
              std::vector<std::string>{"down-mixed from 9 to 2 channels"});
    // Lossy formats have no depth to note; a mono WMA preset mixes further.
    EXPECT_TRUE(PlanDecode(Mp3, {}, {2, 24, false}, 48000).notes.empty());
    EXPECT_EQ(PlanDecode(Wma, {0, 1, 0}, {2, 16, false}, 44100).notes,
              std::vector<std::string>{"down-mixed from 2 to 1 channel"});
}

TEST(DecodePlan, TheWavPresetsFixWhatTheirSwitchesSay)
{
    const engine::PresetFixes keep = engine::FixedByOptions(Wav, "--nodither");
    EXPECT_EQ(keep.bits + keep.channels + keep.rate, 0u);
    const engine::PresetFixes cd = engine::FixedByOptions(Wav, "--rate 44100 --bits 16 --stereo --dither");
    EXPECT_EQ(cd.bits, 16u);
    EXPECT_EQ(cd.channels, 2u);
    EXPECT_EQ(cd.rate, 44100u);
    EXPECT_EQ(engine::FixedByOptions(Wav, "--rate 22050 --bits 16 --mono").channels, 1u);
    // Another format's options are its encoder's own business.
    EXPECT_EQ(engine::FixedByOptions(Flac, "--bits 16").bits, 0u);
}
