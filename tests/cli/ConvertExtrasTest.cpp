// SPDX-License-Identifier: GPL-3.0-or-later
// What a converter user expects beyond the fields: rates every encoder
// takes, one normalising gain, folders with subfolder naming.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "cli/CliRunner.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

fs::path ToneAt(const fs::path& path, int rate, double volume = 1.0, double seconds = 2.0)
{
    const std::string tone = "sine=frequency=440:sample_rate=" + std::to_string(rate) + ":duration=" +
                             std::to_string(seconds);
    EXPECT_EQ(testaudio::Run({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i", tone, "-af",
                              "volume=" + std::to_string(volume), "-ac", "2", "-c:a", "pcm_s16le", path.string()}),
              0);
    return path;
}

// The highest absolute sample as a share of 16-bit full scale.
double Peak(const fs::path& path)
{
    int peak = 0;
    for (const short sample : testaudio::DecodeS16(path))
        peak = std::max(peak, std::abs(int(sample)));
    return peak / 32768.0;
}

std::vector<std::string> Convert(const std::string& format, const std::string& preset, const fs::path& target,
                                 std::vector<std::string> more)
{
    std::vector<std::string> args = {"convert", "--format", format, "--preset", preset, "--target", target.string()};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

}  // namespace

TEST(ConvertExtras, InputRatesAnEncoderRefusesAreResampledAndSaidSo)
{
    testsupport::TempFolder folder;
    struct Case {
        int rate;
        const char* format;
        const char* preset;
        const char* extension;
        const char* expected;
    };
    const Case cases[] = {{96000, "MPC (Musepack)", "Standard (about 180 kbps)", ".mpc", "96000"},
                          {22050, "MPC (Musepack)", "Standard (about 180 kbps)", ".mpc", "32000"},
                          {192000, "AAC (MPEG-2)", "Quality 100 (standard)", ".aac", "96000"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        const fs::path input = ToneAt(folder / ("in" + std::to_string(c.rate) + ".wav"), c.rate);
        const CliResult result = RunCli(Convert(c.format, c.preset, folder / "out", {"--verbose", "--", input.string()}));
        ASSERT_EQ(result.exitCode, 0) << result.output;
        const fs::path output = folder / "out" / (input.stem().string() + c.extension);
        const std::string rate = c.rate == 96000 ? "48000" : c.expected;
        EXPECT_EQ(testaudio::Probe(output, "sample_rate"), rate);
        EXPECT_NE(result.output.find("NOTE\t" + input.string() + "\tresampled from " + std::to_string(c.rate) +
                                     " Hz to " + rate + " Hz"),
                  std::string::npos)
            << result.output;
        const double frames = double(testaudio::DecodeS16(output).size()) / 2;
        EXPECT_NEAR(frames / std::stod(rate), 2.0, 0.1);
    }
}

TEST(ConvertExtras, NormalizeBringsQuietAndLoudInputsToTheChosenPeak)
{
    testsupport::TempFolder folder;
    const fs::path quiet = ToneAt(folder / "quiet.wav", 44100, 0.25);  // about -12 dBFS
    const fs::path loud = ToneAt(folder / "loud.wav", 44100, 1.0);
    for (const auto& [format, preset, extension, tolerance] :
         {std::tuple{"FLAC (Free Lossless Audio Codec)", "Level 5 (default)", ".flac", 1.0 / 32768},
          std::tuple{"MP3", "CBR 128 kbps", ".mp3", 0.0}}) {
        SCOPED_TRACE(extension);
        const CliResult result = RunCli(Convert(format, preset, folder / extension,
                                                {"--normalize", "95", "--", quiet.string(), loud.string()}));
        ASSERT_EQ(result.exitCode, 0) << result.output;
        for (const char* name : {"quiet", "loud"}) {
            const double peak = Peak(folder / extension / (std::string(name) + extension));
            if (tolerance > 0)
                EXPECT_NEAR(peak, 0.95, tolerance) << name;
            else
                EXPECT_NEAR(20 * std::log10(peak / 0.95), 0.0, 0.5) << name;
        }
    }
}

TEST(ConvertExtras, AFolderTreeConvertsIntoTagNamedSubfolders)
{
    testsupport::TempFolder folder;
    const fs::path deep = folder / "in" / "one" / "two";
    fs::create_directories(deep);
    ToneAt(folder / "in" / "top.wav", 44100, 0.5, 1.0);
    ToneAt(folder / "in" / "one" / "middle.wav", 44100, 0.5, 1.0);
    const fs::path flac = deep / "deep.flac";
    fs::copy_file(testaudio::Get("tone.flac"), flac);
    ASSERT_EQ(testaudio::Run({"metaflac", "--set-tag=ARTIST=Band", "--set-tag=ALBUM=../Record", flac.string()}), 0);
    const CliResult result = RunCli(Convert("MP3", "CBR 128 kbps", folder / "out",
                                            {"--prefix", "%Artist%/%Album%/", "--", (folder / "in").string()}));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    // A value can neither climb out of nor add folders: "../" stays in its component.
    EXPECT_TRUE(fs::exists(folder / "out" / "Band" / ".._Record" / "deep.mp3")) << result.output;
    EXPECT_TRUE(fs::exists(folder / "out" / "Unknown Artist" / "Unknown Album" / "top.mp3"))
        << "untagged inputs get folders too: " << result.output;
    int outputs = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder / "out"))
        outputs += entry.path().extension() == ".mp3" ? 1 : 0;
    EXPECT_EQ(outputs, 3) << result.output;

    ASSERT_EQ(testaudio::Run({"metaflac", "--set-tag=TRACKNUMBER=3", "--set-tag=TITLE=Song", flac.string()}), 0);
    const CliResult named = RunCli(Convert("MP3", "CBR 128 kbps", folder / "named",
                                           {"--prefix", "%Track% - %Title% ", "--", flac.string()}));
    ASSERT_EQ(named.exitCode, 0) << named.output;
    EXPECT_TRUE(fs::exists(folder / "named" / "03 - Song.mp3")) << "a title makes the whole name: " << named.output;
}
