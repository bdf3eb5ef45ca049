// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

#include "engine/AudioLibrary.h"
#include "engine/Loudness.h"
#include "support/LoudnessTools.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "DecodeTestSupport.h"

namespace fs = std::filesystem;
using namespace AudioLibrary;

namespace {

const std::atomic<bool> never{false};

engine::Loudness Measure(const fs::path& file)
{
    const auto meter = engine::MeasureFileLoudness(file, never, engine::PeakKind::True);
    EXPECT_TRUE(meter) << file;
    const auto level = meter ? meter->Result() : std::nullopt;
    EXPECT_TRUE(level) << file;
    return level.value_or(engine::Loudness{});
}

void ExpectAgreesWithFfmpeg(const fs::path& file)
{
    const engine::Loudness ours = Measure(file);
    const testaudio::MeasuredLevel theirs = testaudio::FfmpegLoudness(file);
    EXPECT_NEAR(ours.integrated, theirs.integrated, 0.1) << file;
    // ffmpeg rounds its peak to 0.1 dB.
    EXPECT_NEAR(20 * std::log10(ours.peak), theirs.truePeakDb, 0.3) << file;
}

}  // namespace

// Music-like material in the shapes the decoder meets: lossless and lossy,
// mono, high rate, quiet passages the gate must drop.
TEST(Loudness, AgreesWithAnIndependentMeasure)
{
    const testsupport::TempFolder folder;
    testaudio::MakeMusic(folder / "music.flac", 12, 0);
    testaudio::MakeMusic(folder / "quiet.flac", 8, -20, 2);
    testaudio::MakeMusic(folder / "mono.wav", 8, -3, 3, 22050, 1);
    testaudio::MakeMusic(folder / "hirate.flac", 6, -6, 4, 96000);
    for (const char* name : {"music.flac", "quiet.flac", "mono.wav", "hirate.flac"})
        ExpectAgreesWithFfmpeg(folder / name);
    for (const char* name : {"tone.mp3", "tone.ogg", "tone.m4a", "stereo.wav"})
        ExpectAgreesWithFfmpeg(testaudio::Get(name));
}

// The sample peak, which gain values carry, is the highest decoded sample;
// the true peak between the samples is never below it.
TEST(Loudness, SamplePeakIsTheHighestSample)
{
    const testsupport::TempFolder folder;
    const fs::path music = folder / "music.flac";
    testaudio::MakeMusic(music, 5, 3, 9);
    int highest = 0;
    for (const short sample : testaudio::DecodeS16(music))
        highest = std::max(highest, std::abs(int(sample)));
    const auto meter = engine::MeasureFileLoudness(music, never, engine::PeakKind::Sample);
    ASSERT_TRUE(meter && meter->Result());
    const engine::Loudness sampled = *meter->Result();
    EXPECT_EQ(sampled.kind, engine::PeakKind::Sample);
    EXPECT_NEAR(sampled.peak, highest / 32768.0, 1e-6);
    const engine::Loudness truePeak = Measure(music);
    EXPECT_GE(truePeak.peak, sampled.peak);
    EXPECT_DOUBLE_EQ(truePeak.integrated, sampled.integrated);
}

TEST(Loudness, SilenceHasNoLoudness)
{
    const testsupport::TempFolder folder;
    const fs::path silence = folder / "silence.flac";
    testaudio::Run({"ffmpeg", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i", "anullsrc=r=44100:cl=stereo",
                    "-t", "3", silence.string()});
    const engine::Loudness level = Measure(silence);
    EXPECT_TRUE(level.Silent());
    EXPECT_EQ(level.peak, 0);
    EXPECT_EQ(engine::LoudnessGainDb(level, -18), 0);
    EXPECT_LE(testaudio::FfmpegLoudness(silence).integrated, -70);
}

// An album is one programme: its loudness is that of its tracks played one
// after the other, not an average of their loudness values.
TEST(Loudness, AlbumIsItsTracksConcatenated)
{
    const testsupport::TempFolder folder;
    testaudio::MakeMusic(folder / "a.flac", 6, -2, 5);
    testaudio::MakeMusic(folder / "b.flac", 10, -14, 6);
    testaudio::MakeMusic(folder / "c.flac", 4, 0, 7);
    const fs::path whole = folder / "whole.flac";
    testaudio::Run({"ffmpeg", "-nostdin", "-loglevel", "error", "-i", (folder / "a.flac").string(), "-i",
                    (folder / "b.flac").string(), "-i", (folder / "c.flac").string(), "-filter_complex",
                    "[0][1][2]concat=n=3:v=0:a=1", whole.string()});
    std::vector<std::shared_ptr<engine::LoudnessMeter>> meters;
    std::vector<const engine::LoudnessMeter*> album;
    for (const char* name : {"a.flac", "b.flac", "c.flac"}) {
        meters.push_back(engine::MeasureFileLoudness(folder / name, never, engine::PeakKind::True));
        album.push_back(meters.back().get());
    }
    const auto combined = engine::CombinedLoudness(album);
    ASSERT_TRUE(combined);
    EXPECT_NEAR(combined->integrated, Measure(whole).integrated, 0.1);
    EXPECT_NEAR(combined->integrated, testaudio::FfmpegLoudness(whole).integrated, 0.1);
    EXPECT_DOUBLE_EQ(combined->peak, std::max({meters[0]->Result()->peak, meters[1]->Result()->peak,
                                               meters[2]->Result()->peak}));
    // An album with a member that could not be measured has no value.
    album.push_back(nullptr);
    EXPECT_FALSE(engine::CombinedLoudness(album));
}

// The measure is of the decoded frames: a decode that resamples and scales
// what it delivers still measures the source as it is.
TEST(Loudness, MeasuredWhileDecodingBeforeResamplingAndGain)
{
    const testsupport::TempFolder folder;
    const fs::path music = folder / "music.flac";
    testaudio::MakeMusic(music, 8, -4, 8);
    const engine::Loudness alone = Measure(music);

    const Handle stream = StreamCreateFile(music, FlagDecodeOnly);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(ChannelSetOutputRate(stream, 32000));
    ASSERT_TRUE(ChannelSetGain(stream, 0.5));
    auto meter = std::make_shared<engine::LoudnessMeter>(2, engine::PeakKind::True);
    ASSERT_TRUE(engine::MeasureWhileDecoding(stream, meter));
    const std::vector<short> samples = decodetest::ReadAll(stream);
    // Once started, the decode cannot take a meter: it would miss the start.
    EXPECT_FALSE(engine::MeasureWhileDecoding(stream, std::make_shared<engine::LoudnessMeter>(2, engine::PeakKind::True)));
    StreamFree(stream);
    EXPECT_FALSE(samples.empty());
    const auto during = meter->Result();
    ASSERT_TRUE(during);
    EXPECT_NEAR(during->integrated, alone.integrated, 0.001);
    EXPECT_DOUBLE_EQ(during->peak, alone.peak);
}

TEST(Loudness, GainReachesTheTargetUnlessThePeakLimitsIt)
{
    EXPECT_NEAR(engine::LoudnessGainDb({-23.0, 0.1}, -18), 5.0, 1e-9);
    EXPECT_NEAR(engine::LoudnessGainDb({-10.0, 0.9}, -18), -8.0, 1e-9);
    // -6 dBTP may rise only to just below -1 dBTP: not the 10 dB the target asks.
    const double limited = engine::LoudnessGainDb({-28.0, std::pow(10.0, -6.0 / 20)}, -18);
    EXPECT_LT(limited, 5.0);
    EXPECT_GT(limited, 4.8);
}
