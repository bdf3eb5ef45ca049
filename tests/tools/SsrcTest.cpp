// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV converter program, run as the engine runs it: "ssrc OPTIONS IN OUT".

#include "FaacSsrcTestSupport.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace fs = std::filesystem;
using toolstest::RunTool;

namespace {

// The bytes of the "data" chunk; empty when there is none.
std::string DataPayload(const std::string& wav)
{
    for (std::size_t at = 12; at + 8 <= wav.size();) {
        const std::uint32_t size = std::uint8_t(wav[at + 4]) | std::uint8_t(wav[at + 5]) << 8 |
                                   std::uint8_t(wav[at + 6]) << 16 | std::uint32_t(std::uint8_t(wav[at + 7])) << 24;
        if (wav.compare(at, 4, "data") == 0)
            return wav.substr(at + 8, size);
        at += 8 + size + (size & 1);
    }
    return {};
}

// A header whose sizes agree with the file: the canonical 44 bytes for up
// to 16 bits and two channels, the 68-byte extensible one beyond.
void ExpectWholeHeader(const fs::path& file)
{
    const std::string bytes = toolstest::ReadBytes(file);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(4, 4), toolstest::Le(std::uint32_t(bytes.size() - 8), 4));
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    const bool extensible = std::uint8_t(bytes[34]) > 16 || std::uint8_t(bytes[22]) > 2;
    const std::size_t header = extensible ? 68 : 44;
    EXPECT_EQ(bytes.substr(16, 4), toolstest::Le(extensible ? 40 : 16, 4));
    if (extensible) {
        EXPECT_EQ(bytes.substr(20, 2), toolstest::Le(0xFFFE, 2));
    }
    EXPECT_EQ(bytes.substr(header - 8, 4), "data");
    const std::size_t data = DataPayload(bytes).size();
    EXPECT_EQ(header + data + (data & 1), bytes.size());
}

double Rms(const std::vector<short>& samples, int channels, int channel)
{
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t i = std::size_t(channel); i < samples.size(); i += std::size_t(channels), ++count)
        sum += double(samples[i]) * samples[i];
    return count ? std::sqrt(sum / double(count)) : 0;
}

int SignChanges(const std::vector<short>& samples, int channels)
{
    int changes = 0;
    for (std::size_t i = std::size_t(channels); i < samples.size(); i += std::size_t(channels))
        changes += (samples[i] >= 0) != (samples[i - std::size_t(channels)] >= 0);
    return changes;
}

struct Conversion {
    std::string input;
    std::vector<std::string> options;
    int rate;
    int channels;
    std::string codec;
    double seconds;
    double level = 1.0;  // of the tone, against the source's loudest channel
};

void PrintTo(const Conversion& c, std::ostream* os)
{
    *os << c.input;
    for (const auto& option : c.options)
        *os << ' ' << option;
}

class SsrcConversion : public ::testing::TestWithParam<Conversion> {};

TEST_P(SsrcConversion, WritesTheAskedLayoutWithTheSameTone)
{
    const Conversion& c = GetParam();
    testsupport::TempFolder folder;
    const fs::path out = folder / "out.wav";
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {testaudio::Get(c.input).string(), out.string()});
    const auto run = RunTool("ssrc", args);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ExpectWholeHeader(out);
    EXPECT_EQ(testaudio::Probe(out, "codec_name"), c.codec);
    EXPECT_EQ(testaudio::Probe(out, "sample_rate"), std::to_string(c.rate));
    EXPECT_EQ(testaudio::Probe(out, "channels"), std::to_string(c.channels));

    const auto source = testaudio::DecodeS16(testaudio::Get(c.input));
    const int sourceChannels = std::stoi(testaudio::Probe(testaudio::Get(c.input), "channels"));
    double toneRms = 0;
    for (int channel = 0; channel < sourceChannels; ++channel)
        toneRms = std::max(toneRms, c.level * Rms(source, sourceChannels, channel));
    const auto samples = testaudio::DecodeS16(out);
    const double frames = double(samples.size()) / c.channels;
    EXPECT_NEAR(frames, c.seconds * c.rate, 2);
    for (int channel = 0; channel < c.channels; ++channel)
        EXPECT_NEAR(Rms(samples, c.channels, channel), toneRms, toneRms * 0.05) << "channel " << channel;
    EXPECT_NEAR(SignChanges(samples, c.channels), 2 * 440 * c.seconds, 2 * 440 * c.seconds * 0.01);
    EXPECT_EQ(toolstest::Percentages(run.output).back(), 100);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SsrcConversion,
    ::testing::Values(Conversion {"stereo.wav", {"--rate", "22050", "--mono"}, 22050, 1, "pcm_s16le", 2.0},
                      Conversion {"stereo.wav", {"--rate=48000"}, 48000, 2, "pcm_s16le", 2.0},
                      Conversion {"stereo.wav", {"--bits", "24"}, 44100, 2, "pcm_s24le", 2.0},
                      Conversion {"stereo.wav", {"--bits", "8", "--nodither"}, 44100, 2, "pcm_u8", 2.0},
                      Conversion {"24bit.wav", {"--bits", "16", "--dither"}, 44100, 2, "pcm_s16le", 1.0},
                      Conversion {"mono22050.wav", {"--stereo", "--rate", "44100"}, 44100, 2, "pcm_s16le", 1.0},
                      // The tone is on the centre channel only: -3 dB to each side, scaled
                      // by the sum of the left side's weights (1 + 2 x 0.7071).
                      Conversion {"6ch.wav", {"--stereo"}, 48000, 2, "pcm_s16le", 1.0, 0.7071 / 2.4142},
                      Conversion {"6ch.wav", {"--mono", "--rate", "44100"}, 44100, 1, "pcm_s16le", 1.0, 0.7071 / 2.4142},
                      Conversion {"96k.wav", {"--rate", "44100", "--bits", "24"}, 44100, 2, "pcm_s24le", 1.0}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(Ssrc, CopiesSamplesAsTheyAreWithoutOptions)
{
    testsupport::TempFolder folder;
    for (const std::string name : {"stereo.wav", "8bit.wav", "24bit.wav", "mono22050.wav"}) {
        const fs::path out = folder / name;
        const auto run = RunTool("ssrc", {testaudio::Get(name).string(), out.string()});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        ExpectWholeHeader(out);
        EXPECT_EQ(DataPayload(toolstest::ReadBytes(out)), DataPayload(toolstest::ReadBytes(testaudio::Get(name))))
            << name;
    }
}

TEST(Ssrc, AcceptsEveryShippedPreset)
{
    testsupport::TempFolder folder;
    const auto presets = toolstest::ShippedPresets("WAV");
    EXPECT_FALSE(presets.empty());
    for (const auto& [name, options] : presets) {
        std::vector<std::string> args = options;
        args.insert(args.end(), {testaudio::Get("mono22050.wav").string(), (folder / "out.wav").string()});
        const auto run = RunTool("ssrc", args);
        EXPECT_EQ(run.exitCode, 0) << name << ": " << run.output;
        ExpectWholeHeader(folder / "out.wav");
    }
}

TEST(Ssrc, WidensExactlyAndDithersOnlyWhenAsked)
{
    testsupport::TempFolder folder;
    const fs::path wide = folder / "wide.wav";
    ASSERT_EQ(RunTool("ssrc", {"--bits", "24", testaudio::Get("stereo.wav").string(), wide.string()}).exitCode, 0);
    EXPECT_EQ(testaudio::DecodeS16(wide), testaudio::DecodeS16(testaudio::Get("stereo.wav")));

    const fs::path plain = folder / "plain.wav";
    const fs::path dithered = folder / "dithered.wav";
    const std::string source = testaudio::Get("24bit.wav").string();
    ASSERT_EQ(RunTool("ssrc", {"--bits", "16", "--nodither", source, plain.string()}).exitCode, 0);
    ASSERT_EQ(RunTool("ssrc", {"--bits", "16", source, dithered.string()}).exitCode, 0);
    const auto a = testaudio::DecodeS16(plain);
    const auto b = testaudio::DecodeS16(dithered);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_NE(a, b);
    for (std::size_t i = 0; i < a.size(); ++i)
        ASSERT_LE(std::abs(a[i] - b[i]), 1) << "at " << i;
}

TEST(Ssrc, ReadsHeadersBeyondTheCanonicalOne)
{
    using toolstest::FmtBody;
    using toolstest::Le;
    const std::vector<short> samples = {0, 1000, -1000, 32767, -32768, 5, 7, -7};
    const std::string pcm = toolstest::Pcm16(samples);
    const std::string guid("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
    const std::string extensible = FmtBody(0xFFFE, 2, 44100, 16) + Le(22, 2) + Le(16, 2) + Le(3, 4) + guid;
    std::string floats;
    for (const short s : samples) {
        const float f = float(s) / 32768.0f;
        floats.append(reinterpret_cast<const char*>(&f), sizeof f);
    }
    const std::vector<std::string> images = {
        toolstest::WavImage({{"junk", "odd"}, {"fmt ", FmtBody(1, 2, 44100, 16)}, {"LIST", "INFOabcd"}, {"data", pcm}}),
        toolstest::WavImage({{"fmt ", extensible}, {"data", pcm}}),
        toolstest::WavImage({{"fmt ", FmtBody(1, 2, 44100, 16)}, {"data", pcm}}, 0xFFFFFFFF),
        toolstest::WavImage({{"fmt ", FmtBody(3, 2, 44100, 32)}, {"data", floats}}),
    };
    testsupport::TempFolder folder;
    for (std::size_t i = 0; i < images.size(); ++i) {
        toolstest::WriteBytes(folder / "in.wav", images[i]);
        const auto run =
            RunTool("ssrc", {"--nodither", (folder / "in.wav").string(), (folder / "out.wav").string()});
        ASSERT_EQ(run.exitCode, 0) << "image " << i << ": " << run.output;
        EXPECT_EQ(DataPayload(toolstest::ReadBytes(folder / "out.wav")), pcm) << "image " << i;
    }
}

TEST(Ssrc, RefusesBadCommandLinesWithUsage)
{
    testsupport::TempFolder folder;
    const std::string in = testaudio::Get("stereo.wav").string();
    const std::string out = (folder / "out.wav").string();
    const std::vector<std::vector<std::string>> lines = {
        {"--bogus", in, out}, {"--rate", "fast", in, out}, {"--rate", "10", in, out}, {"--bits", "12", in, out},
        {"--mono=yes", in, out}, {"--rate", in, out}, {in}, {}, {in, in, out},
    };
    for (const auto& line : lines) {
        const auto run = RunTool("ssrc", line);
        EXPECT_EQ(run.exitCode, 2) << run.output;
        EXPECT_NE(run.output.find("usage: ssrc"), std::string::npos);
    }
    EXPECT_TRUE(toolstest::Listing(folder.path()).empty());
}

TEST(Ssrc, FailsOnInputItCannotReadAndKeepsAnExistingOutput)
{
    using toolstest::FmtBody;
    using toolstest::WavImage;
    testsupport::TempFolder folder;
    const std::map<std::string, std::string> inputs = {
        {"text.wav", "RIFF? no, only words"},
        {"empty.wav", ""},
        {"cut.wav", toolstest::ReadBytes(testaudio::Get("stereo.wav")).substr(0, 30)},
        {"nochannels.wav", WavImage({{"fmt ", FmtBody(1, 0, 44100, 16)}, {"data", "1234"}})},
        {"adpcm.wav", WavImage({{"fmt ", FmtBody(2, 2, 44100, 4)}, {"data", "1234"}})},
        {"order.wav", WavImage({{"data", "1234"}, {"fmt ", FmtBody(1, 2, 44100, 16)}})},
        {"nodata.wav", WavImage({{"fmt ", FmtBody(1, 2, 44100, 16)}})},
        {"badalign.wav", WavImage({{"fmt ", FmtBody(1, 2, 44100, 16).replace(12, 2, toolstest::Le(3, 2))},
                                   {"data", "1234"}})},
    };
    for (const auto& [name, bytes] : inputs)
        toolstest::WriteBytes(folder / name, bytes);
    fs::create_directory(folder / "folder.wav");
    toolstest::WriteBytes(folder / "out.wav", "keep me");
    const auto before = toolstest::Listing(folder.path());
    std::vector<std::string> names = {"missing.wav", "folder.wav"};
    for (const auto& entry : inputs)
        names.push_back(entry.first);
    for (const auto& name : names) {
        const auto run = RunTool("ssrc", {(folder / name).string(), (folder / "out.wav").string()});
        EXPECT_EQ(run.exitCode, 1) << name << ": " << run.output;
        EXPECT_NE(run.output.find("ssrc: cannot read"), std::string::npos) << run.output;
    }
    const auto run = RunTool("ssrc", {testaudio::Get("stereo.wav").string(), (folder / "no/such/out.wav").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("ssrc: cannot write"), std::string::npos) << run.output;
    EXPECT_EQ(toolstest::Listing(folder.path()), before);
    EXPECT_EQ(toolstest::ReadBytes(folder / "out.wav"), "keep me");
}

TEST(Ssrc, RefusesRatesTooFarApartAndLeavesNothing)
{
    testsupport::TempFolder folder;
    toolstest::WriteBytes(folder / "slow.wav", toolstest::WavImage({{"fmt ", toolstest::FmtBody(1, 1, 1000, 16)},
                                                                    {"data", toolstest::Pcm16({1, 2, 3, 4})}}));
    const auto run = RunTool("ssrc", {"--rate", "768000", (folder / "slow.wav").string(), (folder / "o.wav").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("1000 Hz to 768000 Hz"), std::string::npos) << run.output;
    EXPECT_EQ(toolstest::Listing(folder.path()), std::vector<std::string> {"slow.wav"});
}

TEST(Ssrc, PrintsRisingPercentagesUnlessQuiet)
{
    testsupport::TempFolder folder;
    const std::string in = testaudio::Get("stereo.wav").string();
    const auto loud = RunTool("ssrc", {"--rate", "48000", in, (folder / "a.wav").string()});
    const auto percentages = toolstest::Percentages(loud.output);
    ASSERT_GE(percentages.size(), 10u) << loud.output;
    EXPECT_TRUE(std::is_sorted(percentages.begin(), percentages.end()));
    EXPECT_EQ(std::count(percentages.begin(), percentages.end(), 100), 1);
    EXPECT_EQ(percentages.back(), 100);
    const auto quiet = RunTool("ssrc", {"--quiet", in, (folder / "b.wav").string()});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.output, "");
}

TEST(Ssrc, TakesAwkwardNamesAndConvertsAFileOntoItself)
{
    testsupport::TempFolder folder;
    const fs::path in = folder / "-in \"q\" 'it' été.wav";
    const fs::path out = folder / "--out ü*?.wav";
    fs::copy(testaudio::Get("stereo.wav"), in);
    auto run = RunTool("ssrc", {"--mono", in.string(), out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(testaudio::Probe(out, "channels"), "1");
    run = RunTool("ssrc", {"--bits", "24", "--", in.string(), in.string()});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(testaudio::Probe(in, "codec_name"), "pcm_s24le");
    EXPECT_EQ(testaudio::DecodeS16(in), testaudio::DecodeS16(testaudio::Get("stereo.wav")));
    EXPECT_EQ(toolstest::Listing(folder.path()).size(), 2u);
}

}  // namespace

// Surround kept as it is names its speakers as the input did, or the usual
// ones for the count when the input named none.
TEST(Ssrc, KeepsTheSpeakersOfSurroundInput)
{
    using toolstest::FmtBody;
    using toolstest::Le;
    const std::string guid("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
    const std::string pcm = toolstest::Pcm16({1, 2, 3, 4, 5, 6, -1, -2, -3, -4, -5, -6});
    testsupport::TempFolder folder;
    for (const auto& [inputMask, outputMask] : {std::pair{0x60Fu, 0x60Fu}, std::pair{0x3Fu, 0x3Fu}, std::pair{0u, 0x3Fu}}) {
        const std::string fmt = FmtBody(0xFFFE, 6, 48000, 16) + Le(22, 2) + Le(16, 2) + Le(inputMask, 4) + guid;
        toolstest::WriteBytes(folder / "in.wav", toolstest::WavImage({{"fmt ", fmt}, {"data", pcm}}));
        const auto run = RunTool("ssrc", {"--nodither", (folder / "in.wav").string(), (folder / "out.wav").string()});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        ExpectWholeHeader(folder / "out.wav");
        const std::string bytes = toolstest::ReadBytes(folder / "out.wav");
        EXPECT_EQ(bytes.substr(40, 4), Le(outputMask, 4)) << inputMask;
        EXPECT_EQ(DataPayload(bytes), pcm);
    }
}
