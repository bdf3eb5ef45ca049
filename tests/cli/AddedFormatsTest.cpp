// SPDX-License-Identifier: GPL-3.0-or-later
// Opus, WavPack and Apple Lossless through tremolix-cli convert, each output
// read back by the format's own tools, by ffmpeg and by mutagen.

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <fstream>
#include <sstream>

#include "cli/CliProcess.h"
#include "cli/CliRunner.h"
#include "cli/RunFolders.h"

namespace fs = std::filesystem;

namespace {

struct Added {
    const char* format;
    const char* defaultPreset;
    const char* extension;
    bool lossless;
};

const Added Opus = {"Opus", "128 kbps VBR (default)", ".opus", false};
const Added WavPack = {"WavPack", "Lossless normal", ".wv", true};
const Added Alac = {"ALAC (Apple Lossless)", "Normal (level 2, default)", ".m4a", true};
const Added All[] = {Opus, WavPack, Alac};

// Title, artist and the size of the front cover, as mutagen reads them from
// any of the three kinds.
constexpr const char* ReadTags = R"PY(
import sys, base64, mutagen
from mutagen.flac import Picture
f = mutagen.File(sys.argv[1])
t = f.tags
def first(*keys):
    for k in keys:
        if k in t:
            v = t[k]
            return str(v[0]) if isinstance(v, list) else str(v)
    return '-'
if sys.argv[1].endswith('.opus'):
    cover = len(Picture(base64.b64decode(t['metadata_block_picture'][0])).data)
elif sys.argv[1].endswith('.wv'):
    cover = len(t['Cover Art (Front)'].value.split(b'\0', 1)[1])
else:
    cover = len(bytes(t['covr'][0]))
print(first('title', 'Title', '\xa9nam'), first('artist', 'Artist', '\xa9ART'), cover)
)PY";

constexpr const char* TagWithCover = R"PY(
import sys
from mutagen.flac import FLAC, Picture
f = FLAC(sys.argv[1])
f['title'] = 'Sunrise'
f['artist'] = 'The Testers'
pic = Picture(); pic.type, pic.mime, pic.desc = 3, 'image/png', 'Front'
pic.data = b'\x89PNG\r\n\x1a\n' + bytes(range(256)) * 8
f.add_picture(pic)
f.save()
)PY";

double Rms(const std::vector<short>& samples)
{
    double sum = 0;
    for (const short s : samples)
        sum += double(s) * s;
    return samples.empty() ? 0 : std::sqrt(sum / double(samples.size()));
}

double Decibels(double ratio) { return 20 * std::log10(ratio); }

class AddedFormats : public RunFolders {
protected:
    CliResult Convert(const Added& added, const std::string& preset, const fs::path& input,
                      std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"convert", "--format", added.format, "--preset", preset,
                                         "--target", target().string()};
        args.insert(args.end(), more.begin(), more.end());
        args.push_back("--");
        args.push_back(input.string());
        return RunCli(args);
    }

    fs::path Output(const fs::path& input, const Added& added) const
    {
        return target() / (input.stem().string() + added.extension);
    }

    // Pink noise in both channels, apart, so that bit rates and stereo
    // coding behave as with music.
    fs::path Noise(const std::string& name, double seconds)
    {
        const fs::path path = in() / name;
        const std::string filter = "anoisesrc=c=pink:a=0.25:d=" + std::to_string(seconds) + ":r=44100:s=1";
        const std::string other = "anoisesrc=c=pink:a=0.25:d=" + std::to_string(seconds) + ":r=44100:s=2";
        std::string output;
        EXPECT_EQ(testaudio::Run({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", filter, "-f", "lavfi", "-i", other,
                                  "-filter_complex", "amerge", "-c:a", "pcm_s16le", path.string()},
                                 &output),
                  0)
            << output;
        return path;
    }

    std::vector<std::string> Presets(const Added& added)
    {
        const CliResult listed = RunCli({"presets", added.format});
        EXPECT_EQ(listed.exitCode, 0) << listed.output;
        std::vector<std::string> names;
        std::istringstream lines(listed.output);
        for (std::string line; std::getline(lines, line);)
            names.push_back(line);
        return names;
    }

    // Accepted by the format's own tool, with its verdict's text.
    static void ExpectOwnToolAccepts(const Added& added, const fs::path& output)
    {
        std::string said;
        if (added.extension == std::string(".opus")) {
            EXPECT_EQ(testaudio::Run({"opusinfo", output.string()}, &said), 0) << said;
            EXPECT_NE(said.find("Original sample rate: 48000 Hz"), std::string::npos) << said;
            EXPECT_EQ(said.find("WARNING"), std::string::npos) << said;
        } else if (added.extension == std::string(".wv")) {
            EXPECT_EQ(testaudio::Run({"wvunpack", "-vv", output.string()}, &said), 0) << said;
        } else {
            EXPECT_EQ(testaudio::Probe(output, "codec_name"), "alac");
        }
    }
};

}  // namespace

TEST_F(AddedFormats, EachHoldsTheSourcesLengthAndLevelAndTheLosslessOnesItsSamples)
{
    const fs::path input = Noise("song.wav", 3.0);
    const std::vector<short> source = testaudio::DecodeS16(input);
    ASSERT_EQ(source.size(), 3u * 44100 * 2);
    for (const Added& added : All) {
        SCOPED_TRACE(added.format);
        const CliResult result = Convert(added, added.defaultPreset, input);
        ASSERT_EQ(result.exitCode, 0) << result.output;
        const fs::path output = Output(input, added);
        ExpectOwnToolAccepts(added, output);
        EXPECT_NEAR(std::stod(testaudio::Probe(output, "duration")), 3.0, 0.03);
        const std::vector<short> decoded = testaudio::DecodeS16(output);
        if (added.lossless) {
            EXPECT_EQ(decoded, source);
        } else {
            EXPECT_EQ(testaudio::Probe(output, "sample_rate"), "48000");
            EXPECT_NEAR(double(decoded.size()) / 2 / 48000, 3.0, 0.002);
            EXPECT_NEAR(Decibels(Rms(decoded) / Rms(source)), 0.0, 0.5);
        }
    }
}

TEST_F(AddedFormats, AnAppleLosslessOutputIsAnInputAgainAndComesBackWhole)
{
    const fs::path input = Noise("round.wav", 1.0);
    ASSERT_EQ(Convert(Alac, Alac.defaultPreset, input).exitCode, 0);
    const fs::path alac = Output(input, Alac);
    const CliResult back = Convert(WavPack, WavPack.defaultPreset, alac);
    ASSERT_EQ(back.exitCode, 0) << back.output;
    EXPECT_EQ(testaudio::DecodeS16(Output(alac, WavPack)), testaudio::DecodeS16(input));
}

TEST_F(AddedFormats, EveryPresetGivesAFileItsOwnToolAccepts)
{
    const fs::path input = Noise("short.wav", 2.0);
    const std::vector<short> source = testaudio::DecodeS16(input);
    double lastRate = 0;
    for (const Added& added : All) {
        const std::vector<std::string> presets = Presets(added);
        EXPECT_GE(presets.size(), 3u);
        for (const std::string& preset : presets) {
            SCOPED_TRACE(std::string(added.format) + ": " + preset);
            const CliResult result = Convert(added, preset, input, {"--when-exists", "overwrite"});
            ASSERT_EQ(result.exitCode, 0) << result.output;
            const fs::path output = Output(input, added);
            ExpectOwnToolAccepts(added, output);
            const std::vector<short> decoded = testaudio::DecodeS16(output);
            if (added.lossless && preset.find("ybrid") == std::string::npos)
                EXPECT_EQ(decoded, source);
            else  // the low rates give up the top octave
                EXPECT_NEAR(Decibels(Rms(decoded) / Rms(source)), 0.0, 2.0);
            if (added.extension != std::string(Opus.extension))
                continue;
            // Each Opus preset is near the rate it is named after, above the one before.
            const double named = std::stod(preset);
            const double rate = double(fs::file_size(output)) * 8 / 2.0 / 1000;
            EXPECT_GT(rate, lastRate);
            EXPECT_GT(rate, named * 0.6);
            EXPECT_LT(rate, named * 1.3);
            lastRate = rate;
        }
    }
}

TEST_F(AddedFormats, CopiedTagsAndTheCoverReadBackWithMutagen)
{
    const fs::path input = in() / "tagged.flac";
    fs::copy_file(testaudio::Get("tone.flac"), input);
    std::string said;
    ASSERT_EQ(testaudio::Run({"/usr/bin/python3", "-c", TagWithCover, input.string()}, &said), 0) << said;
    for (const Added& added : All) {
        SCOPED_TRACE(added.format);
        const CliResult result = Convert(added, added.defaultPreset, input, {"--copy-tags", "--verbose"});
        ASSERT_EQ(result.exitCode, 0) << result.output;
        EXPECT_EQ(result.output.find("not copied"), std::string::npos) << result.output;
        ASSERT_EQ(testaudio::Run({"/usr/bin/python3", "-c", ReadTags, Output(input, added).string()}, &said), 0)
            << said;
        EXPECT_EQ(said, "Sunrise The Testers " + std::to_string(8 + 256 * 8) + "\n");
    }
}

TEST_F(AddedFormats, AStopSignalMidFileLeavesOnlyTheEarlierOutput)
{
    const fs::path input = in() / "long.wav";
    testaudio::MakeToneWav(input, 44100, 2, 120);
    for (const Added& added : All) {
        SCOPED_TRACE(added.format);
        const fs::path output = Output(input, added);
        std::ofstream(output) << "a complete earlier output";
        CliProcess cli({"convert", "--format", added.format, "--preset", added.defaultPreset, "--target",
                        target().string(), "--when-exists", "overwrite", "--", input.string()},
                       tmp(), root_.path(), root_ / "log");
        ASSERT_TRUE(WaitForFile(target(), [](const fs::path& path) { return path.filename().string()[0] == '.'; }));
        cli.Signal(SIGTERM);
        EXPECT_EQ(cli.Wait(), 128 + SIGTERM) << cli.Output();
        EXPECT_EQ(testaudio::ReadBytes(output), "a complete earlier output");
        EXPECT_EQ(testsupport::SortedFileNames(target()), std::vector<std::string>{output.filename().string()});
        EXPECT_TRUE(fs::is_empty(tmp()));
        fs::remove(output);
    }
}
