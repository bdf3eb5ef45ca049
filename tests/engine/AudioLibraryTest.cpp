// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/AudioLibrary.h"
#include "engine/Encoder.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "DecodeTestSupport.h"

namespace fs = std::filesystem;
using namespace AudioLibrary;

namespace {

struct Expected {
    std::uint32_t rate;
    std::uint32_t chans;
};

Expected ExpectationOf(const std::string& name)
{
    if (name == "mono22050.wav")
        return {22050, 1};
    if (name == "96k.wav")
        return {96000, 2};
    if (name == "6ch.wav")
        return {48000, 2};
    if (name == "tone.mp1")
        return {std::uint32_t(std::stoi(testaudio::Probe(testaudio::Get(name), "sample_rate"))), 2};
    return {44100, 2};
}

class EveryInputKind : public ::testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(EveryInputKind, OpensAndDeliversItsWholeLength)
{
    const fs::path path = testaudio::Get(GetParam());
    const Handle handle = StreamCreateFile(path, FlagDecodeOnly);
    ASSERT_NE(handle, 0u) << path;
    const Expected expected = ExpectationOf(GetParam());
    ChannelInfo info;
    ASSERT_TRUE(ChannelGetInfo(handle, info));
    EXPECT_EQ(info.freq, expected.rate);
    EXPECT_EQ(info.chans, expected.chans);
    EXPECT_EQ(info.flags, expected.chans == 1 ? InfoFlagMono : 0u);
    EXPECT_EQ(ChannelGetRate(handle), expected.rate);
    EXPECT_EQ(StreamGetFileSize(handle), fs::file_size(path));

    const std::uint64_t stated = ChannelGetLength(handle);
    const std::vector<short> samples = decodetest::ReadAll(handle);
    const std::uint64_t delivered = samples.size() * 2;
    EXPECT_GT(delivered, 0u);
    EXPECT_EQ(ChannelGetPosition(handle), delivered);
    EXPECT_EQ(ChannelGetLength(handle), delivered);
    // What the container states is near the truth (priming and padding aside);
    // Musepack's container counts in steps of 1.67 seconds.
    const double slack = GetParam() == "tone.mpc" ? 1.7 : 0.1;
    EXPECT_NEAR(double(stated), double(delivered), double(expected.rate) * 4 * slack) << path;
    EXPECT_FALSE(ChannelIsActive(handle));
    EXPECT_EQ(ChannelGetData(handle, nullptr, 0), -1);
    EXPECT_TRUE(StreamFree(handle));
    EXPECT_FALSE(StreamFree(handle));
    EXPECT_FALSE(ChannelIsActive(handle));
}

INSTANTIATE_TEST_SUITE_P(Inputs, EveryInputKind,
                         ::testing::Values("stereo.wav", "8bit.wav", "24bit.wav", "mono22050.wav",
                                           "96k.wav", "6ch.wav", "tone.mp3", "tone.mp2", "tone.mp1",
                                           "tone.ogg", "tone.flac", "tone.aac", "tone.m4a",
                                           "alac.m4a", "tone.ac3", "tone.wma", "tone.mpc"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST(AudioLibrary, SamplesArriveUnchanged)
{
    // A 16-bit WAV and its lossless FLAC give the source's samples exactly;
    // a lossy file gives what FFmpeg's own decoder gives.
    const std::vector<short> source = testaudio::DecodeS16(testaudio::Get("stereo.wav"));
    for (const char* name : {"stereo.wav", "tone.flac"}) {
        const Handle handle = StreamCreateFile(testaudio::Get(name), 0);
        ASSERT_NE(handle, 0u);
        EXPECT_EQ(decodetest::ReadAll(handle), source) << name;
        StreamFree(handle);
    }
    const fs::path mp3 = testaudio::Get("tone.mp3");
    const Handle handle = StreamCreateFile(mp3, 0);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(decodetest::ReadAll(handle), testaudio::DecodeS16(mp3));
    StreamFree(handle);
}

TEST(AudioLibrary, ContentDecidesNotTheExtension)
{
    const testsupport::TempFolder folder;
    const fs::path disguised = folder / "really flac.mp3";
    fs::copy_file(testaudio::Get("tone.flac"), disguised);
    const fs::path nameless = folder / "-no extension";
    fs::copy_file(testaudio::Get("tone.ogg"), nameless);
    const fs::path odd = folder / "a:b \"quoted\" ünïcödé.wma";
    fs::copy_file(testaudio::Get("tone.wma"), odd);
    for (const fs::path& path : {disguised, nameless, odd}) {
        const Handle handle = StreamCreateFile(path, 0);
        EXPECT_NE(handle, 0u) << path;
        StreamFree(handle);
    }
}

TEST(AudioLibrary, BadInputsGiveNoHandle)
{
    const testsupport::TempFolder folder;
    decodetest::WriteFile(folder / "notes.txt", "Not audio at all.\nJust some words.\n");
    decodetest::WriteFile(folder / "empty.mp3", "");
    std::string noise(200000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 2654435761u) >> 13);
    decodetest::WriteFile(folder / "noise.flac", noise);
    fs::create_directory(folder / "folder.wav");
    const fs::path fifo = folder / "pipe.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const char* name : {"notes.txt", "empty.mp3", "noise.flac", "folder.wav", "pipe.wav", "missing.ogg"})
        EXPECT_EQ(StreamCreateFile(folder / name, 0), 0u) << name;
    EXPECT_EQ(ErrorGetCode(), ErrorFileOpen);

    const fs::path locked = folder / "locked.wav";
    fs::copy_file(testaudio::Get("stereo.wav"), locked);
    fs::permissions(locked, fs::perms::none);
    if (geteuid() != 0) {
        EXPECT_EQ(StreamCreateFile(locked, 0), 0u);
    }

    ChannelInfo info;
    EXPECT_FALSE(ChannelGetInfo(0, info));
    EXPECT_EQ(ErrorGetCode(), ErrorHandle);
    EXPECT_EQ(ChannelGetData(12345678, info.flags ? nullptr : &info, 4), -1);
}

TEST(AudioLibrary, TruncatedFilesDecodeWhatTheyHold)
{
    const testsupport::TempFolder folder;
    for (const char* name : {"tone.flac", "tone.mp3", "tone.m4a", "stereo.wav"}) {
        const std::string whole = decodetest::ReadFile(testaudio::Get(name));
        const fs::path cut = folder / (std::string("cut-") + name);
        decodetest::WriteFile(cut, whole.substr(0, whole.size() / 2));
        const Handle handle = StreamCreateFile(cut, 0);
        if (handle == 0)  // a container whose index sits at the end may refuse
            continue;
        const std::vector<short> samples = decodetest::ReadAll(handle);
        EXPECT_LE(ChannelGetPosition(handle), ChannelGetLength(handle)) << name;
        EXPECT_FALSE(ChannelIsActive(handle));
        StreamFree(handle);
        EXPECT_GT(samples.size(), 0u) << name;
    }
}

TEST(AudioLibrary, EstimatedLengthNeverFallsBehindThePosition)
{
    const testsupport::TempFolder folder;
    const fs::path mp3 = decodetest::MakeMp3WithoutInfoFrame(folder.path());
    const Handle handle = StreamCreateFile(mp3, FlagDecodeOnly);
    ASSERT_NE(handle, 0u);
    std::vector<char> block(10240);
    while (ChannelIsActive(handle)) {
        ASSERT_GE(ChannelGetData(handle, block.data(), 10240), 0);
        ASSERT_LE(ChannelGetPosition(handle), ChannelGetLength(handle));
    }
    EXPECT_EQ(ChannelGetPosition(handle), ChannelGetLength(handle));
    StreamFree(handle);
}

TEST(AudioLibrary, AShapeChangeMidStreamKeepsTheOpeningRateAndChannels)
{
    const testsupport::TempFolder folder;
    const fs::path joined = decodetest::MakeShapeChangingMp3(folder.path());
    const Handle handle = StreamCreateFile(joined, 0);
    ASSERT_NE(handle, 0u);
    ChannelInfo info;
    ChannelGetInfo(handle, info);
    const std::vector<short> samples = decodetest::ReadAll(handle);
    StreamFree(handle);
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_NEAR(double(samples.size()) / (2 * 44100), 3.0, 0.1);
    int peak = 0;
    for (std::size_t i = samples.size() * 3 / 4; i < samples.size(); ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    EXPECT_GT(peak, 1000);  // the second part is heard, not dropped
}

TEST(AudioLibrary, SixChannelsArriveAsAStereoMixThatDoesNotClip)
{
    const Handle handle = StreamCreateFile(testaudio::Get("6ch.wav"), 0);
    ASSERT_NE(handle, 0u);
    const std::vector<short> samples = decodetest::ReadAll(handle);
    StreamFree(handle);
    ASSERT_EQ(samples.size() % 2, 0u);
    int peak = 0;
    for (short s : samples)
        peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 1000);
    EXPECT_LT(peak, 32767);
}

TEST(EncoderOpenInput, FillsTheFileListProperties)
{
    TEncoder encoder;
    TAudioProperty property;
    const Handle handle = encoder.OpenInput(testaudio::Get("tone.mp3"), 0, true, &property);
    EXPECT_NE(handle, 0u);
    EXPECT_FALSE(ChannelIsActive(handle));  // released
    EXPECT_EQ(property.Channels, 2);
    EXPECT_EQ(property.SampleRate, 44100);
    EXPECT_NEAR(property.Bitrate, 128, 8);
    EXPECT_EQ(property.Duration.substr(0, 6), "00:02.");
    EXPECT_EQ(property.Size, engine::FormatSize(std::int64_t(fs::file_size(testaudio::Get("tone.mp3")))));

    TAudioProperty mono;
    encoder.FreeChannel(encoder.OpenInput(testaudio::Get("mono22050.wav"), FlagDecodeOnly, false, &mono));
    EXPECT_EQ(mono.Channels, 1);
    EXPECT_EQ(mono.SampleRate, 22050);
    EXPECT_NEAR(mono.Bitrate, 353, 1);  // 22050 Hz x 16 bit, plus the header

    TAudioProperty untouched;
    untouched.Size = "kept";
    EXPECT_EQ(encoder.OpenInput("/nonexistent/file.mp3", 0, true, &untouched), 0u);
    EXPECT_EQ(untouched.Size, "kept");
}

TEST(EncoderOpenInput, AnEmptyStreamHasNoDurationAndNoBitrate)
{
    const testsupport::TempFolder folder;
    // RIFF, 36 bytes follow; fmt: PCM, 2 channels, 44100 Hz, 16 bit; data: 0 bytes.
    const std::string header("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xac\0\0"
                             "\x10\xb1\x02\0\x04\0\x10\0data\0\0\0\0",
                             44);
    decodetest::WriteFile(folder / "empty.wav", header);
    TEncoder encoder;
    TAudioProperty property;
    ASSERT_NE(encoder.OpenInput(folder / "empty.wav", 0, true, &property), 0u);
    EXPECT_EQ(property.Duration, "00:00.00");
    EXPECT_EQ(property.Bitrate, 0);
    EXPECT_EQ(property.SampleRate, 44100);
}
