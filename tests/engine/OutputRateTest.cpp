// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "engine/AudioLibrary.h"
#include "engine/FormatTable.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "DecodeTestSupport.h"

namespace fs = std::filesystem;
using namespace AudioLibrary;

namespace {

constexpr std::uint8_t Mp3 = 0, Ogg = 1, Flac = 3, Aac = 4, M4a = 5, Mpc = 7, Wav = 8;

// Sign changes from negative to not negative per second of the first channel.
double ToneFrequency(const std::vector<short>& samples, int channels, std::uint32_t rate)
{
    int rises = 0;
    for (std::size_t i = std::size_t(channels); i < samples.size(); i += std::size_t(channels))
        rises += samples[i - std::size_t(channels)] < 0 && samples[i] >= 0;
    return rises * double(rate) * channels / double(samples.size());
}

int PeakOf(const std::vector<short>& samples)
{
    int peak = 0;
    for (short s : samples)
        peak = std::max(peak, std::abs(int(s)));
    return peak;
}

bool Encodes(const std::vector<std::string>& argv) { return testaudio::Run(argv) == 0; }

}  // namespace

TEST(OutputRate, KeepsAnAcceptedRateElseTakesTheNearestAboveElseTheHighest)
{
    struct Case {
        std::uint8_t format;
        std::uint32_t input;
        std::uint32_t output;
    };
    const Case cases[] = {
        {Mpc, 44100, 44100},  {Mpc, 37800, 37800},  {Mpc, 22050, 32000},
        {Mpc, 44101, 48000},  {Mpc, 96000, 48000},  {Aac, 192000, 96000},
        {M4a, 37800, 44100},  {Aac, 7350, 7350},    {Aac, 4000, 7350},
        {Mp3, 96000, 48000},  {Mp3, 37800, 44100},  {engine::FormatWma, 12000, 16000},
        {engine::FormatWma, 88200, 48000},          {Ogg, 192000, 192000},
        {Ogg, 384000, 200000},                      {Flac, 384000, 384000},
        {Flac, 705600, 655350},                     {Wav, 1000, 1000},
        {engine::NoFormat, 5, 5},                   {200, 5, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(engine::OutputRateFor(c.format, c.input), c.output)
            << int(c.format) << " at " << c.input;
    for (const engine::Format format : engine::AllFormats) {
        const engine::AcceptedRates& accepted = engine::Row(format).rates;
        EXPECT_TRUE(std::is_sorted(accepted.only.begin(), accepted.only.end())) << int(format);
    }
}

TEST(OutputRate, TheTableMatchesWhatTheRealEncodersTake)
{
    const testsupport::TempFolder folder;
    const auto tone = [&](std::uint32_t rate) {
        const fs::path wav = folder / ("tone" + std::to_string(rate) + ".wav");
        if (!fs::exists(wav))
            testaudio::MakeToneWav(wav, int(rate), 2, 0.2);
        return wav.string();
    };
    const std::string out = (folder / "out").string();
    for (const std::uint32_t rate : engine::Row(Mpc).rates.only)
        EXPECT_TRUE(Encodes({"mpcenc", "--silent", "--overwrite", tone(rate), out + ".mpc"})) << rate;
    for (const std::uint32_t rate : {22050u, 96000u})
        EXPECT_FALSE(Encodes({"mpcenc", "--silent", "--overwrite", tone(rate), out + ".mpc"})) << rate;

    const std::uint32_t oggHighest = engine::Row(Ogg).rates.highest;
    EXPECT_TRUE(Encodes({"oggenc", "-Q", tone(oggHighest), "-o", out + ".ogg"}));
    EXPECT_FALSE(Encodes({"oggenc", "-Q", tone(oggHighest + 50000), "-o", out + ".ogg"}));
    const std::uint32_t flacHighest = engine::Row(Flac).rates.highest;
    EXPECT_TRUE(Encodes({"flac", "-s", "-f", tone(flacHighest), "-o", out + ".flac"}));
    EXPECT_FALSE(Encodes({"flac", "-s", "-f", tone(flacHighest + 10), "-o", out + ".flac"}));

    // The AAC tool takes exactly the rates libavcodec's aac encoder lists.
    std::string help;
    ASSERT_EQ(testaudio::Run({"ffmpeg", "-hide_banner", "-h", "encoder=aac"}, &help), 0);
    const std::size_t listed = help.find("Supported sample rates:");
    ASSERT_NE(listed, std::string::npos);
    std::istringstream rates(help.substr(listed + 23, help.find('\n', listed) - listed - 23));
    std::vector<std::uint32_t> aac;
    for (std::uint32_t rate; rates >> rate;)
        aac.insert(aac.begin(), rate);
    EXPECT_EQ(aac, std::vector<std::uint32_t>(engine::Row(Aac).rates.only.begin(),
                                              engine::Row(Aac).rates.only.end()));

    for (const std::uint32_t rate : engine::Row(engine::FormatWma).rates.only) {
        const Handle encoder = WmaEncodeOpenFile(rate, 2, WmaFlagTags, 32000, out + ".wma");
        EXPECT_NE(encoder, 0u) << rate;
        WmaEncodeClose(encoder);
    }
    EXPECT_EQ(WmaEncodeOpenFile(64000, 2, WmaFlagTags, 128000, out + ".wma"), 0u);
}

namespace {

struct RateCase {
    const char* input;
    std::uint32_t sourceRate;
    std::uint32_t channels;
    std::uint32_t outputRate;
    // What the container states before decoding: exact for WAV; an MP3's
    // counts the encoder's padding too.
    double statedSlackSeconds = 0;
};

class ResampledStream : public ::testing::TestWithParam<RateCase> {};

}  // namespace

TEST_P(ResampledStream, SpeaksOfTheNewRateAndKeepsDurationPitchAndLevel)
{
    const RateCase c = GetParam();
    const fs::path path = testaudio::Get(c.input);
    const Handle handle = StreamCreateFile(path, FlagDecodeOnly);
    ASSERT_NE(handle, 0u);
    ASSERT_EQ(ChannelGetRate(handle), c.sourceRate);
    ASSERT_TRUE(ChannelSetOutputRate(handle, c.outputRate));
    EXPECT_EQ(ErrorGetCode(), ErrorOk);
    ChannelInfo info;
    ASSERT_TRUE(ChannelGetInfo(handle, info));
    EXPECT_EQ(info.freq, c.outputRate);
    EXPECT_EQ(info.chans, c.channels);
    EXPECT_EQ(ChannelGetRate(handle), c.outputRate);

    const std::vector<short> source = testaudio::DecodeS16(path);
    const double seconds = double(source.size()) / c.channels / c.sourceRate;
    const double frameBytes = 2.0 * c.channels;
    const double expected = seconds * c.outputRate * frameBytes;
    EXPECT_NEAR(double(ChannelGetLength(handle)), expected,
                std::max(frameBytes, c.statedSlackSeconds * c.outputRate * frameBytes));

    const std::vector<short> samples = decodetest::ReadAll(handle);
    const std::uint64_t delivered = samples.size() * 2;
    EXPECT_NEAR(double(delivered), expected, frameBytes);
    EXPECT_EQ(ChannelGetPosition(handle), delivered);
    EXPECT_EQ(ChannelGetLength(handle), delivered);
    EXPECT_NEAR(ChannelBytes2Seconds(handle, delivered), seconds, 1.0 / c.outputRate);
    StreamFree(handle);

    EXPECT_NEAR(ToneFrequency(samples, int(c.channels), c.outputRate), 440.0, 2.0);
    const int sourcePeak = PeakOf(source);
    EXPECT_NEAR(PeakOf(samples), sourcePeak, sourcePeak * 0.01);
}

INSTANTIATE_TEST_SUITE_P(Rates, ResampledStream,
                         ::testing::Values(RateCase{"96k.wav", 96000, 2, 44100},
                                           RateCase{"96k.wav", 96000, 2, 48000},
                                           RateCase{"mono22050.wav", 22050, 1, 44100},
                                           RateCase{"mono22050.wav", 22050, 1, 48000},
                                           RateCase{"tone.mp3", 44100, 2, 32000, 0.1}),
                         [](const auto& info) {
                             std::string name = info.param.input;
                             name = name.substr(0, name.find('.'));
                             return name + "_to_" + std::to_string(info.param.outputRate);
                         });

TEST(OutputRate, IsChosenBeforeTheFirstReadAndWithinBounds)
{
    const Handle handle = StreamCreateFile(testaudio::Get("stereo.wav"), 0);
    ASSERT_NE(handle, 0u);
    EXPECT_FALSE(ChannelSetOutputRate(handle, 0));
    EXPECT_EQ(ErrorGetCode(), ErrorIllegalParam);
    EXPECT_FALSE(ChannelSetOutputRate(handle, 44100 * 65));
    EXPECT_EQ(ErrorGetCode(), ErrorIllegalParam);
    EXPECT_FALSE(ChannelSetOutputRate(handle, 44100 / 65));
    EXPECT_EQ(ChannelGetRate(handle), 44100u);
    // Bounds stay those of the source's rate whatever was chosen before, and
    // going back to that rate leaves the samples exact.
    EXPECT_TRUE(ChannelSetOutputRate(handle, 8000));
    EXPECT_TRUE(ChannelSetOutputRate(handle, 44100 * 64));
    EXPECT_EQ(ChannelGetRate(handle), 44100u * 64);
    EXPECT_TRUE(ChannelSetOutputRate(handle, 44100));
    EXPECT_EQ(decodetest::ReadAll(handle), testaudio::DecodeS16(testaudio::Get("stereo.wav")));
    EXPECT_FALSE(ChannelSetOutputRate(handle, 48000));
    EXPECT_EQ(ErrorGetCode(), ErrorAlready);
    EXPECT_EQ(ChannelGetRate(handle), 44100u);
    StreamFree(handle);
    EXPECT_FALSE(ChannelSetOutputRate(handle, 48000));
    EXPECT_EQ(ErrorGetCode(), ErrorHandle);

    const Handle started = StreamCreateFile(testaudio::Get("96k.wav"), 0);
    std::vector<char> block(4);
    ASSERT_EQ(ChannelGetData(started, block.data(), 4), 4);
    EXPECT_FALSE(ChannelSetOutputRate(started, 48000));
    EXPECT_EQ(ChannelGetRate(started), 96000u);
    StreamFree(started);
}

TEST(OutputRate, AShapeChangeMidStreamIsResampledToTheChosenRate)
{
    const testsupport::TempFolder folder;
    const fs::path joined = decodetest::MakeShapeChangingMp3(folder.path());
    const Handle handle = StreamCreateFile(joined, 0);
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(ChannelSetOutputRate(handle, 48000));
    const std::vector<short> samples = decodetest::ReadAll(handle);
    StreamFree(handle);
    EXPECT_NEAR(double(samples.size()) / (2 * 48000), 3.0, 0.1);
    // Well inside the second part, away from the joint and the closing padding.
    ASSERT_GT(samples.size(), 2u * 48000 * 29 / 10);
    const std::vector<short> mono(samples.begin() + 2 * 48000 * 255 / 100,
                                    samples.begin() + 2 * 48000 * 29 / 10);
    EXPECT_NEAR(ToneFrequency(mono, 2, 48000), 440.0, 4.0);
}

TEST(OutputRate, ResamplingKeepsThePassbandAndStopsAliases)
{
    // At 96000 Hz to 44100 Hz: 18 kHz is kept at its level; 25 kHz, above the
    // new Nyquist frequency, must not fold back to 19.1 kHz.
    const testsupport::TempFolder folder;
    const auto tone = [&](int frequency) {
        const fs::path wav = folder / (std::to_string(frequency) + ".wav");
        EXPECT_EQ(testaudio::Run({"ffmpeg", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                                  "aevalsrc=0.5*sin(2*PI*" + std::to_string(frequency) + "*t):s=96000:d=1",
                                  "-c:a", "pcm_s16le", wav.string()}),
                  0);
        const Handle handle = StreamCreateFile(wav, 0);
        EXPECT_TRUE(ChannelSetOutputRate(handle, 44100));
        const std::vector<short> samples = decodetest::ReadAll(handle);
        StreamFree(handle);
        // The resampler's settling at both ends is left out.
        return PeakOf(std::vector<short>(samples.begin() + 4410, samples.end() - 4410));
    };
    EXPECT_NEAR(tone(18000), 16384, 16384 * 0.012);  // within 0.1 dB
    EXPECT_LE(tone(25000), 2);
}
