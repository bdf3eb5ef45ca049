// SPDX-License-Identifier: GPL-3.0-or-later
// The encoder programs reading a WAV stream on standard input ("-"), as the
// converter runs them when it pipes decoded audio in: whatever lengths the
// stream's header claims, the output must be the one made from the file.

#include "FaacSsrcTestSupport.h"
#include "PipedRun.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace fs = std::filesystem;
using toolstest::Le;

namespace {

// Four and a bit frames of the APE encoder at -c1000, noisy enough that its
// output passes a megabyte, so moving it behind a grown seek table takes
// more than one block.
constexpr std::size_t Blocks = 4 * 73728 + 45000;
constexpr std::size_t HeaderBytes = 44;

struct ToolCase {
    std::string name;
    std::string tool;
    // "IN", "OUT" and "OPTS" stand for the input, the output and the extra switches.
    std::vector<std::string> args;
    std::string extension;
    bool lossless;  // decodes to exactly the input samples
};

void PrintTo(const ToolCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::string> Command(const ToolCase& c, const std::string& in, const fs::path& out,
                                 const std::vector<std::string>& extra)
{
    std::vector<std::string> words;
    for (const std::string& word : c.args) {
        if (word == "OPTS")
            words.insert(words.end(), extra.begin(), extra.end());
        else
            words.push_back(word == "IN" ? in : word == "OUT" ? out.string() : word);
    }
    return words;
}

// Two tones in different channels over loud noise.
std::vector<short> Signal()
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-8192, 8192);
    std::vector<short> samples;
    samples.reserve(Blocks * 2);
    for (std::size_t i = 0; i < Blocks; ++i) {
        samples.push_back(short(9000 * std::sin(double(i) * 0.031) + noise(random)));
        samples.push_back(short(9000 * std::sin(double(i) * 0.0123) + noise(random)));
    }
    return samples;
}

std::string StereoFormat() { return toolstest::FmtBody(1, 2, 44100, 16); }

// The canonical image with other sizes declared: riff for the RIFF chunk,
// data for the data chunk.
std::string WithSizes(std::string wav, std::uint32_t riff, std::uint32_t data)
{
    wav.replace(4, 4, Le(riff, 4));
    wav.replace(40, 4, Le(data, 4));
    return wav;
}

enum class Percent { None, Rising };

struct Variant {
    std::string label;
    std::string bytes;
    std::vector<std::string> extra;
    bool piped;
    Percent percent;
};

std::vector<Variant> Variants(const std::string& wav, const std::string& pcm)
{
    const auto size = std::uint32_t(pcm.size());
    const std::string chunksAround = toolstest::WavImage(
        {{"junk", "odd"}, {"fmt ", StereoFormat()}, {"LIST", std::string(5000, 'x')}, {"data", pcm}});
    return {
        {"exact header", wav, {}, true, Percent::Rising},
        {"unknown sizes", WithSizes(wav, 0xFFFFFFFF, 0xFFFFFFFF), {}, true, Percent::None},
        {"zero sizes", WithSizes(wav, 0, 0), {}, true, Percent::None},
        {"too short, ignored", WithSizes(wav, size / 2 + 36, size / 2), {"--ignore-length"}, true, Percent::Rising},
        {"too long", WithSizes(wav, 2 * size + 36, 2 * size), {}, true, Percent::Rising},
        {"chunks to skip", chunksAround, {}, true, Percent::Rising},
        {"file too short, ignored", WithSizes(wav, size / 3 + 36, size / 3), {"--ignore-length"}, false,
         Percent::Rising},
        {"file of zero sizes", WithSizes(wav, 0, 0), {}, false, Percent::Rising},
    };
}

void ExpectPercentages(const std::string& output, Percent expected)
{
    const auto percentages = toolstest::Percentages(output);
    if (expected == Percent::None) {
        EXPECT_TRUE(percentages.empty()) << output;
        return;
    }
    ASSERT_FALSE(percentages.empty());
    EXPECT_TRUE(std::is_sorted(percentages.begin(), percentages.end()));
    EXPECT_EQ(std::count(percentages.begin(), percentages.end(), 100), 1) << "100 only once complete";
    EXPECT_EQ(percentages.back(), 100);
}

class StdinInput : public ::testing::TestWithParam<ToolCase> {
protected:
    // Runs the tool on bytes given as a file, or piped in as "-".
    toolstest::ToolRun Run(const std::string& bytes, const fs::path& out, const std::vector<std::string>& extra,
                           bool piped)
    {
        if (piped)
            return toolstest::RunPiped(GetParam().tool, Command(GetParam(), "-", out, extra), bytes);
        const fs::path in = folder_ / "given.wav";
        toolstest::WriteBytes(in, bytes);
        auto run = toolstest::RunTool(GetParam().tool, Command(GetParam(), in.string(), out, extra));
        fs::remove(in);
        return run;
    }

    // The output made from the bytes as a WAV file.
    std::string Reference(const std::string& bytes)
    {
        const fs::path out = folder_ / ("reference" + GetParam().extension);
        const auto run = Run(bytes, out, {}, false);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return toolstest::ReadBytes(out);
    }

    testsupport::TempFolder folder_;
};

TEST_P(StdinInput, MatchesTheOutputMadeFromTheFileWhateverTheHeaderClaims)
{
    const std::vector<short> samples = Signal();
    const std::string pcm = toolstest::Pcm16(samples);
    const std::string wav = toolstest::WavImage({{"fmt ", StereoFormat()}, {"data", pcm}});
    ASSERT_EQ(wav.size(), HeaderBytes + pcm.size());
    const std::string reference = Reference(wav);
    ASSERT_FALSE(reference.empty());
    if (GetParam().lossless) {
        EXPECT_EQ(testaudio::DecodeS16(folder_ / ("reference" + GetParam().extension)), samples);
    }
    if (GetParam().tool == "mac") {
        EXPECT_GT(reference.size(), 1u << 20);
    }

    const fs::path out = folder_ / ("out" + GetParam().extension);
    for (const Variant& variant : Variants(wav, pcm)) {
        SCOPED_TRACE(variant.label);
        const auto run = Run(variant.bytes, out, variant.extra, variant.piped);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_TRUE(toolstest::ReadBytes(out) == reference) << "the output differs from the one made from the file";
        ExpectPercentages(run.output, variant.percent);
        fs::remove(out);
    }
    EXPECT_EQ(toolstest::Listing(folder_.path()), std::vector<std::string> {"reference" + GetParam().extension});
}

// A stream that ends inside a sample frame, and so inside the encoder's
// frame too: the whole sample frames that came, as from a cut file.
TEST_P(StdinInput, KeepsTheWholeFramesOfAStreamCutShort)
{
    const std::size_t kept = 100000;
    std::vector<short> samples = Signal();
    const std::string wav =
        toolstest::WavImage({{"fmt ", StereoFormat()}, {"data", toolstest::Pcm16(samples)}}).substr(0, HeaderBytes + 4 * kept + 3);
    const std::string reference = Reference(wav);
    samples.resize(2 * kept);
    if (GetParam().lossless) {
        EXPECT_EQ(testaudio::DecodeS16(folder_ / ("reference" + GetParam().extension)), samples);
    }

    const fs::path out = folder_ / ("out" + GetParam().extension);
    for (const std::vector<std::string>& extra : {std::vector<std::string> {}, {"--ignore-length"}}) {
        const auto run = Run(wav, out, extra, true);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_TRUE(toolstest::ReadBytes(out) == reference) << ::testing::PrintToString(extra);
        fs::remove(out);
    }
}

TEST_P(StdinInput, RefusesAnEmptyOrBrokenStreamAndKeepsAnExistingOutput)
{
    const std::string wav =
        toolstest::WavImage({{"fmt ", StereoFormat()}, {"data", toolstest::Pcm16(std::vector<short>(200, 5))}});
    const std::vector<std::pair<std::string, std::string>> streams = {
        {"", "the input is empty"},
        {"just some words, no audio at all", "not a RIFF WAVE file"},
        {wav.substr(0, 30), "damaged format chunk"},
        {wav.substr(0, 16), "no format chunk"},
        {"RIFF" + Le(0xFFFFFFFF, 4) + "WAVE" + "JUNK" + Le(0xFFFFFFF0, 4) + std::string(70000, 'j'), "no format chunk"},
        {toolstest::WavImage({{"fmt ", toolstest::FmtBody(1, 2, 44100, 12)}, {"data", "1234"}}), "unsupported layout"},
    };
    const fs::path out = folder_ / ("out" + GetParam().extension);
    toolstest::WriteBytes(out, "keep me");
    for (const auto& [bytes, reason] : streams) {
        for (const std::vector<std::string>& extra : {std::vector<std::string> {}, {"--ignore-length"}}) {
            const auto run = toolstest::RunPiped(GetParam().tool, Command(GetParam(), "-", out, extra), bytes);
            EXPECT_EQ(run.exitCode, 1) << reason << ": " << run.output;
            EXPECT_NE(run.output.find("cannot read standard input: " + reason), std::string::npos) << run.output;
        }
    }
    EXPECT_EQ(toolstest::Listing(folder_.path()), std::vector<std::string> {out.filename().string()});
    EXPECT_EQ(toolstest::ReadBytes(out), "keep me");
}

INSTANTIATE_TEST_SUITE_P(
    Tools, StdinInput,
    ::testing::Values(ToolCase {"faac_adts", "faac", {"-q", "100", "OPTS", "-o", "OUT", "IN"}, ".aac", false},
                      ToolCase {"faac_m4a", "faac", {"OPTS", "-o", "OUT", "IN"}, ".m4a", false},
                      ToolCase {"ssrc_copy", "ssrc", {"OPTS", "IN", "OUT"}, ".wav", true},
                      ToolCase {"ssrc_resample", "ssrc", {"--rate", "48000", "--bits", "24", "OPTS", "IN", "OUT"},
                                ".wav", false},
                      ToolCase {"mac", "mac", {"IN", "OUT", "-c1000", "OPTS"}, ".ape", true}),
    [](const auto& info) { return info.param.name; });

}  // namespace
