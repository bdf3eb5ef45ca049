// SPDX-License-Identifier: GPL-3.0-or-later
// The Monkey's Audio encoder program, checked end to end: every output is
// decoded by FFmpeg with CRC checking and compared with the input samples.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

using Samples = std::vector<std::int16_t>;
using Bytes = std::string;

constexpr std::size_t kShortFrame = 73728;  // blocks per frame at 1000 to 3000

std::size_t BlocksPerFrame(int level)
{
    return level == 5000 ? kShortFrame * 16 : level == 4000 ? kShortFrame * 4 : kShortFrame;
}

// --- WAV files written byte by byte --------------------------------------

void PutLe(Bytes& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}

Bytes Chunk(const std::string& id, const Bytes& body)
{
    Bytes out = id;
    PutLe(out, static_cast<std::uint32_t>(body.size()), 4);
    out += body;
    if (body.size() % 2)
        out.push_back('\0');
    return out;
}

Bytes FormatBody(int channels, int rate, int bits = 16, int tag = 1)
{
    Bytes out;
    const int align = channels * bits / 8;
    PutLe(out, tag, 2);
    PutLe(out, channels, 2);
    PutLe(out, rate, 4);
    PutLe(out, rate * align, 4);
    PutLe(out, align, 2);
    PutLe(out, bits, 2);
    return out;
}

Bytes Pcm(const Samples& samples)
{
    Bytes out;
    for (const std::int16_t s : samples)
        PutLe(out, static_cast<std::uint16_t>(s), 2);
    return out;
}

Bytes Riff(const std::vector<Bytes>& chunks)
{
    Bytes body = "WAVE";
    for (const Bytes& chunk : chunks)
        body += chunk;
    Bytes out = "RIFF";
    PutLe(out, static_cast<std::uint32_t>(body.size()), 4);
    return out + body;
}

void WriteFile(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

Bytes ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWav(const fs::path& path, int channels, const Samples& samples, int rate = 44100)
{
    WriteFile(path, Riff({Chunk("fmt ", FormatBody(channels, rate)), Chunk("data", Pcm(samples))}));
}

// --- Signals --------------------------------------------------------------

std::int16_t Clip(double value)
{
    return static_cast<std::int16_t>(std::clamp(value, -32768.0, 32767.0));
}

// Tones, a slow swell and a little noise; the channels differ.
Samples Music(std::size_t blocks, int channels, unsigned seed = 1)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> noise(-200, 200);
    Samples out;
    out.reserve(blocks * channels);
    for (std::size_t i = 0; i < blocks; ++i)
        for (int c = 0; c < channels; ++c) {
            const double t = static_cast<double>(i);
            out.push_back(Clip(9000 * std::sin(t * (0.031 + 0.004 * c)) + 7000 * std::sin(t * 0.0071 + c) *
                               std::sin(t * 0.00013) + noise(random)));
        }
    return out;
}

Samples Noise(std::size_t blocks, int channels, unsigned seed = 2)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(-32768, 32767);
    Samples out(blocks * channels);
    for (auto& s : out)
        s = static_cast<std::int16_t>(value(random));
    return out;
}

// Full-scale square waves, the channels in opposite phase.
Samples Square(std::size_t blocks, int channels)
{
    Samples out;
    for (std::size_t i = 0; i < blocks; ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(((i / 37) + c) % 2 ? 32767 : -32768);
    return out;
}

Samples Impulses(std::size_t blocks, int channels)
{
    Samples out(blocks * channels, 0);
    for (std::size_t i = 0; i < out.size(); i += 997)
        out[i] = (i / 997) % 2 ? -32768 : 32767;
    return out;
}

// Stereo from a mono signal: the same, or opposite, in both channels.
Samples Paired(const Samples& mono, bool opposite)
{
    Samples out;
    for (const std::int16_t s : mono) {
        out.push_back(s);
        out.push_back(opposite ? Clip(-double(s)) : s);
    }
    return out;
}

// --- Running the encoder and FFmpeg ---------------------------------------

std::string MacProgram()
{
    return (fs::path(TREMOLIX_TOOLS_BIN) / "tremolix-mac").string();
}

int RunMac(const std::vector<std::string>& args, std::string* output = nullptr)
{
    std::vector<std::string> argv = {MacProgram()};
    argv.insert(argv.end(), args.begin(), args.end());
    return testaudio::Run(argv, output);
}

// The decoded samples, or nothing when FFmpeg rejects the file or its CRC.
std::optional<Samples> DecodeApe(const fs::path& ape)
{
    const fs::path raw = fs::path(ape).replace_extension(".raw");
    std::string log;
    if (testaudio::Run({"ffmpeg", "-nostdin", "-v", "error", "-err_detect", "crccheck+explode", "-i", ape.string(),
                        "-f", "s16le", "-y", raw.string()},
                       &log) != 0 ||
        !log.empty())
        return std::nullopt;
    const Bytes bytes = ReadFile(raw);
    Samples out(bytes.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::int16_t>(std::uint8_t(bytes[2 * i]) | std::uint8_t(bytes[2 * i + 1]) << 8);
    return out;
}

std::string Probe(const fs::path& file, const std::string& entries)
{
    std::string out;
    testaudio::Run({"ffprobe", "-v", "error", "-show_entries", entries, "-of", "csv=p=0", file.string()}, &out);
    return out;
}

::testing::AssertionResult SameSamples(const Samples& expected, const std::optional<Samples>& decoded)
{
    if (!decoded)
        return ::testing::AssertionFailure() << "FFmpeg rejected the file";
    if (decoded->size() != expected.size())
        return ::testing::AssertionFailure() << decoded->size() << " values decoded, " << expected.size() << " given";
    const auto diff = std::mismatch(expected.begin(), expected.end(), decoded->begin());
    if (diff.first != expected.end())
        return ::testing::AssertionFailure() << "value " << (diff.first - expected.begin()) << " is " << *diff.second
                                             << " instead of " << *diff.first;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult RoundTrips(const Samples& samples, int channels, int level, int rate = 44100)
{
    testsupport::TempFolder folder;
    WriteWav(folder / "in.wav", channels, samples, rate);
    std::string output;
    if (const int code = RunMac({(folder / "in.wav").string(), (folder / "out.ape").string(),
                                 "-c" + std::to_string(level)},
                                &output);
        code != 0)
        return ::testing::AssertionFailure() << "exit code " << code << ": " << output;
    return SameSamples(samples, DecodeApe(folder / "out.ape"));
}

// --- Hand-built reference files -------------------------------------------

// A frame's logical bytes as stored: each 32-bit word reversed.
Bytes Stored(std::vector<int> logical)
{
    Bytes out;
    for (std::size_t i = 0; i < logical.size(); i += 4)
        for (int k = 3; k >= 0; --k)
            out.push_back(static_cast<char>(logical[i + k]));
    return out;
}

Bytes EncodedFrame(const Samples& samples, int channels, int level)
{
    testsupport::TempFolder folder;
    WriteWav(folder / "in.wav", channels, samples);
    EXPECT_EQ(RunMac({(folder / "in.wav").string(), (folder / "out.ape").string(), "-c" + std::to_string(level)}), 0);
    return ReadFile(folder / "out.ape").substr(80);
}

TEST(MacEncoder, WritesTheHandBuiltReferenceFiles)
{
    testsupport::TempFolder folder;
    WriteWav(folder / "one.wav", 1, {1});
    ASSERT_EQ(RunMac({(folder / "one.wav").string(), (folder / "one.ape").string(), "-c2000"}), 0);
    const std::vector<int> file = {
        0x4D, 0x41, 0x43, 0x20, 0x96, 0x0F, 0x00, 0x00, 0x34, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00, 0x04, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0xD0, 0x07,
        0x20, 0x00, 0x00, 0x20, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10, 0x00, 0x01, 0x00,
        0x44, 0xAC, 0x00, 0x00, 0x50, 0x00, 0x00, 0x00, 0xDF, 0x11, 0x61, 0x2C, 0x00, 0x27, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00};
    Bytes written = ReadFile(folder / "one.ape");
    ASSERT_EQ(written.size(), file.size());
    std::fill(written.begin() + 36, written.begin() + 52, '\0');  // the MD5
    EXPECT_EQ(written, Bytes(file.begin(), file.end()));

    EXPECT_EQ(EncodedFrame({32767}, 1, 1000),
              Stored({0x09, 0x23, 0xC1, 0x90, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x7F, 0xFE, 0x81, 0x00, 0x00, 0x00}));
    const std::vector<std::pair<int, int>> thirdByLevel = {
        {1000, 0x49C8}, {2000, 0x465D}, {3000, 0x465D}, {4000, 0x4243}, {5000, 0x4556}};
    for (const auto& [level, tail] : thirdByLevel)
        EXPECT_EQ(EncodedFrame({1000, 1000, 1000}, 1, level),
                  Stored({0x09, 0x2B, 0x5E, 0xA6, 0x00, 0xD9, 0x18, 0x02, tail >> 8, tail & 0xFF, 0, 0, 0, 0, 0, 0}))
            << level;
    EXPECT_EQ(EncodedFrame({1000, 0, 1000, 0, 1000, 0}, 2, 1000),
              Stored({0x6E, 0x7F, 0x13, 0x5F, 0x00, 0xD9, 0x26, 0x24, 0xEF, 0x94, 0x32, 0x43, 0x52, 0xB3, 0x00, 0x00,
                      0x00, 0x00, 0x00, 0x00}));
}

// --- Round trips at every level -------------------------------------------

class MacLevel : public ::testing::TestWithParam<int> {};

INSTANTIATE_TEST_SUITE_P(Levels, MacLevel, ::testing::Values(1000, 2000, 3000, 4000, 5000));

// One file per channel count, the signals back to back, so that each
// level's state also carries from one kind of signal into the next.
TEST_P(MacLevel, RoundTripsEveryKindOfSignal)
{
    const std::size_t n = 15000;
    for (int channels : {1, 2}) {
        std::vector<Samples> parts = {Music(n, channels), Samples(n * channels, 0), Square(n, channels),
                                      Noise(n, channels), Impulses(n, channels)};
        if (channels == 2)
            parts.insert(parts.end(), {Paired(Music(n, 1), false), Paired(Music(n, 1), true),
                                       Paired(Square(n, 1), true)});
        Samples samples;
        for (const Samples& part : parts)
            samples.insert(samples.end(), part.begin(), part.end());
        EXPECT_TRUE(RoundTrips(samples, channels, GetParam())) << channels << " channels";
    }
}

TEST_P(MacLevel, RoundTripsAtFrameEdges)
{
    const int level = GetParam();
    const std::size_t frame = BlocksPerFrame(level);
    std::vector<std::pair<int, std::size_t>> cases = {{1, 1}, {2, 1}};
    // The longer frames of the two top levels stay mono or partial here;
    // bench/ape.sh runs every edge of those.
    std::vector<int> edgeChannels = {1, 2};
    if (level == 4000)
        edgeChannels = {1};
    if (level == 5000)
        edgeChannels.clear();
    for (int channels : edgeChannels)
        for (std::size_t blocks : {frame - 1, frame, frame + 1})
            cases.emplace_back(channels, blocks);
    if (level == 5000)
        cases.emplace_back(2, 100000);
    for (const auto& [channels, blocks] : cases)
        EXPECT_TRUE(RoundTrips(Music(blocks, channels), channels, level)) << channels << " x " << blocks;
}

// --- Stream layout ----------------------------------------------------------

TEST(MacEncoder, StatesRateLengthAndFramesAsFfmpegReadsThem)
{
    for (int rate : {8000, 11025, 22050, 32000, 44100, 48000, 96000}) {
        testsupport::TempFolder folder;
        const std::size_t blocks = 3000 + rate / 10;
        WriteWav(folder / "in.wav", 2, Music(blocks, 2), rate);
        ASSERT_EQ(RunMac({(folder / "in.wav").string(), (folder / "out.ape").string()}), 0);
        EXPECT_EQ(Probe(folder / "out.ape", "stream=sample_rate,channels,duration_ts"),
                  std::to_string(rate) + ",2," + std::to_string(blocks) + "\n");
    }

    // Three frames: silent, the same in both channels, then ordinary audio.
    testsupport::TempFolder folder;
    Samples samples(kShortFrame * 2, 0);
    const Samples same = Paired(Music(kShortFrame, 1), false);
    const Samples tail = Music(500, 2);
    samples.insert(samples.end(), same.begin(), same.end());
    samples.insert(samples.end(), tail.begin(), tail.end());
    WriteWav(folder / "in.wav", 2, samples);
    ASSERT_EQ(RunMac({(folder / "in.wav").string(), (folder / "out.ape").string(), "-c1000"}), 0);
    EXPECT_TRUE(SameSamples(samples, DecodeApe(folder / "out.ape")));

    const Bytes file = ReadFile(folder / "out.ape");
    auto le32 = [&](std::size_t at) {
        return std::uint32_t(std::uint8_t(file[at])) | std::uint32_t(std::uint8_t(file[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(file[at + 2])) << 16 | std::uint32_t(std::uint8_t(file[at + 3])) << 24;
    };
    ASSERT_EQ(le32(16), 12u);  // three seek entries
    const std::uint32_t ends[] = {le32(80), le32(84), static_cast<std::uint32_t>(file.size())};
    EXPECT_EQ(le32(76), 88u);
    std::ostringstream sizes;
    for (int i = 0; i < 3; ++i)
        sizes << ends[i] - (i == 0 ? le32(76) : ends[i - 1]) + 8 << '\n';
    EXPECT_EQ(Probe(folder / "out.ape", "packet=size"), sizes.str());
    EXPECT_LT(ends[0] - le32(76), 32u) << "a silent frame carries no values";
}

// --- Random input -----------------------------------------------------------

TEST(MacEncoder, RoundTripsRandomInput)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        const int channels = 1 + static_cast<int>(random() % 2);
        const int level = 1000 * (1 + static_cast<int>(random() % 5));
        const std::size_t blocks = 1 + random() % 40000;
        const int step = 1 << (random() % 16);
        Samples samples;
        int walk = 0;
        for (std::size_t i = 0; i < blocks * channels; ++i) {
            // A random walk with random jumps and runs of repeated values.
            if (random() % 64 == 0)
                walk = static_cast<int>(random() % 65536) - 32768;
            else if (random() % 4 != 0)
                walk = std::clamp(walk + static_cast<int>(random() % (2 * step + 1)) - step, -32768, 32767);
            samples.push_back(static_cast<std::int16_t>(walk));
        }
        EXPECT_TRUE(RoundTrips(samples, channels, level))
            << "seed " << seed << ": " << channels << " x " << blocks << " at " << level;
    }
}

// --- Command line and input checks ----------------------------------------

TEST(MacEncoder, PrintsRisingPercentagesEndingAtHundred)
{
    testsupport::TempFolder folder;
    WriteWav(folder / "in.wav", 2, Music(kShortFrame * 2, 2));
    std::string output;
    ASSERT_EQ(RunMac({(folder / "in.wav").string(), (folder / "out.ape").string(), "-c3000"}, &output), 0);
    std::istringstream lines(output);
    std::vector<int> percents;
    for (std::string line; std::getline(lines, line);) {
        ASSERT_TRUE(std::regex_match(line, std::regex("\\d+%"))) << line;
        percents.push_back(std::stoi(line));
    }
    ASSERT_GT(percents.size(), 10u);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);
}

TEST(MacEncoder, RefusesUnknownOptionsWithUsage)
{
    testsupport::TempFolder folder;
    WriteWav(folder / "in.wav", 1, Music(100, 1));
    const std::string in = (folder / "in.wav").string();
    const std::string out = (folder / "out.ape").string();
    const std::vector<std::vector<std::string>> commands = {
        {}, {in}, {in, out, "-c1234"}, {in, out, "-c"}, {in, out, "-c20000"}, {in, out, "-c2000x"},
        {in, out, "-x"}, {in, out, "c2000"}, {in, out, "-c2000", "extra"}, {in, out, "-c0000"}};
    for (const auto& command : commands) {
        std::string output;
        EXPECT_EQ(RunMac(command, &output), 2) << ::testing::PrintToString(command);
        EXPECT_NE(output.find("usage"), std::string::npos);
    }
    EXPECT_EQ(testsupport::SortedFileNames(folder.path()), std::vector<std::string> {"in.wav"});

    ASSERT_EQ(RunMac({in, out}), 0);
    const Bytes file = ReadFile(out);
    EXPECT_EQ(file.substr(52, 2), Bytes("\xD0\x07", 2)) << "level 2000 by default";
}

TEST(MacEncoder, RefusesInputsItCannotCompressAndLeavesNothing)
{
    testsupport::TempFolder folder;
    const Samples some = Music(100, 2);
    const Bytes stereo = Pcm(some);
    const std::vector<std::pair<std::string, Bytes>> inputs = {
        {"empty.wav", ""},
        {"text.wav", "this is not audio at all, just some words\n"},
        {"riff only.wav", "RIFF\x04\0\0\0WAVE"},
        {"no data.wav", Riff({Chunk("fmt ", FormatBody(2, 44100))})},
        {"no samples.wav", Riff({Chunk("fmt ", FormatBody(2, 44100)), Chunk("data", "")})},
        {"no format.wav", Riff({Chunk("data", stereo)})},
        {"short format.wav", Riff({Chunk("fmt ", FormatBody(2, 44100).substr(0, 10)), Chunk("data", stereo)})},
        {"8bit.wav", Riff({Chunk("fmt ", FormatBody(2, 44100, 8)), Chunk("data", stereo)})},
        {"24bit.wav", Riff({Chunk("fmt ", FormatBody(2, 44100, 24)), Chunk("data", stereo + "xx")})},
        {"float.wav", Riff({Chunk("fmt ", FormatBody(2, 44100, 16, 3)), Chunk("data", stereo)})},
        {"six channels.wav", Riff({Chunk("fmt ", FormatBody(6, 44100)), Chunk("data", stereo)})},
        {"zero rate.wav", Riff({Chunk("fmt ", FormatBody(2, 0)), Chunk("data", stereo)})},
        {"huge chunk.wav", Riff({Bytes("JUNK\xFF\xFF\xFF\xFF", 8)})},
    };
    for (const auto& [name, bytes] : inputs) {
        WriteFile(folder / name, bytes);
        std::string output;
        EXPECT_EQ(RunMac({(folder / name).string(), (folder / "out.ape").string()}, &output), 1) << name;
        EXPECT_FALSE(output.empty()) << name;
    }
    EXPECT_EQ(RunMac({(folder / "missing.wav").string(), (folder / "out.ape").string()}), 1);
    EXPECT_EQ(RunMac({folder.path().string(), (folder / "out.ape").string()}), 1);
    fs::create_directory(folder / "taken.ape");
    WriteWav(folder / "good.wav", 2, some);
    EXPECT_EQ(RunMac({(folder / "good.wav").string(), (folder / "taken.ape").string()}), 1);
    EXPECT_EQ(RunMac({(folder / "good.wav").string(), (folder / "no such folder" / "out.ape").string()}), 1);

    EXPECT_FALSE(fs::exists(folder / "out.ape"));
    EXPECT_TRUE(fs::is_empty(folder / "taken.ape"));
    EXPECT_EQ(testsupport::SortedFileNames(folder.path()).size(), inputs.size() + 2) << "no partial output is left";
}

TEST(MacEncoder, ReadsWavLayoutsBeyondTheCanonicalOne)
{
    testsupport::TempFolder folder;
    const Samples samples = Music(3001, 2);
    Bytes extensible = FormatBody(2, 44100, 16, 0xFFFE);
    PutLe(extensible, 22, 2);
    PutLe(extensible, 16, 2);
    PutLe(extensible, 3, 4);
    extensible += Bytes("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
    const Bytes data = Chunk("data", Pcm(samples));
    const std::vector<std::pair<std::string, Bytes>> layouts = {
        {"chunks first", Riff({Chunk("LIST", "INFOISFT\x05\0\0\0test\0"), Chunk("odd ", "abc"),
                               Chunk("fmt ", FormatBody(2, 44100)), Chunk("fact", "1234"), data})},
        {"extensible", Riff({Chunk("fmt ", extensible), data})},
        {"trailing chunk", Riff({Chunk("fmt ", FormatBody(2, 44100)), data, Chunk("LIST", "INFO")})},
    };
    for (const auto& [name, bytes] : layouts) {
        WriteFile(folder / "in.wav", bytes);
        ASSERT_EQ(RunMac({(folder / "in.wav").string(), (folder / "out.ape").string()}), 0) << name;
        EXPECT_TRUE(SameSamples(samples, DecodeApe(folder / "out.ape"))) << name;
    }

    // A data chunk cut short: the whole blocks that are there.
    Bytes cut = Riff({Chunk("fmt ", FormatBody(2, 44100)), data});
    cut.resize(cut.size() - 4 * 1000 - 3);
    WriteFile(folder / "in.wav", cut);
    ASSERT_EQ(RunMac({(folder / "in.wav").string(), (folder / "out.ape").string()}), 0);
    EXPECT_TRUE(SameSamples(Samples(samples.begin(), samples.end() - 2 * 1001), DecodeApe(folder / "out.ape")));
}

TEST(MacEncoder, HandlesAwkwardNamesAndReplacesAnExistingOutput)
{
    testsupport::TempFolder folder;
    const Samples samples = Music(5000, 2);
    const std::vector<std::pair<std::string, std::string>> names = {
        {"with space.wav", "out with space.ape"},
        {"quote\"s 'and' more.wav", "\"quoted\".ape"},
        {"Mötley Ünïcødé 日本.wav", "Ça va 音楽.ape"},
        {"-c1000.wav", "-c2000.ape"},
    };
    for (const auto& [in, out] : names) {
        WriteWav(folder / in, 2, samples);
        // Relative names, so that a leading "-" reaches the program as typed.
        ASSERT_EQ(testaudio::Run({"env", "-C", folder.path().string(), MacProgram(), in, out, "-c1000"}), 0) << in;
        EXPECT_TRUE(SameSamples(samples, DecodeApe(folder / out))) << out;
    }

    WriteFile(folder / "old.ape", "old contents");
    ASSERT_EQ(RunMac({(folder / "with space.wav").string(), (folder / "old.ape").string()}), 0);
    EXPECT_TRUE(SameSamples(samples, DecodeApe(folder / "old.ape")));
}

}  // namespace
