// SPDX-License-Identifier: GPL-3.0-or-later
// What a convert run is set up from, when it is not as expected: a target
// relative to the working folder, a preset file that cannot be used, a
// folder below a given one that cannot be read.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/CliProcess.h"
#include "cli/CliRunner.h"
#include "support/DeepFolder.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* Wav = "WAV (Standard)";

fs::path Tone(const fs::path& path)
{
    fs::create_directories(path.parent_path());
    fs::copy_file(testaudio::Get("tone.flac"), path, fs::copy_options::overwrite_existing);
    return path;
}

// A program folder of the test's own, so its presets may be spoilt.
class OwnProgramFolder {
public:
    OwnProgramFolder()
    {
        fs::copy(testaudio::BuildProgramFolder() / "Preset", home / "Preset", fs::copy_options::recursive);
        fs::copy_file(testaudio::BuildProgramFolder() / "EncodeDLL.dll", home / "EncodeDLL.dll");
        ::setenv("TREMOLIX_HOME", home.path().c_str(), 1);
    }
    ~OwnProgramFolder() { ::unsetenv("TREMOLIX_HOME"); }
    OwnProgramFolder(const OwnProgramFolder&) = delete;
    OwnProgramFolder& operator=(const OwnProgramFolder&) = delete;

    fs::path Preset(const fs::path& relative) const { return home / "Preset" / relative; }

private:
    testsupport::TempFolder home;
};

}  // namespace

TEST(ConvertSetup, RelativeTargetsAreTakenFromTheWorkingFolder)
{
    testsupport::TempFolder folder;
    const fs::path input = Tone(folder / "in" / "tone.flac");
    const fs::path work = folder / "work" / "here";
    fs::create_directories(work);
    const std::vector<std::pair<std::string, fs::path>> cases = {
        {".", work},
        {"./", work},
        {"out", work / "out"},
        {"./out/sub/", work / "out" / "sub"},
        {"../up", folder / "work" / "up"}};
    for (const auto& [target, expected] : cases) {
        SCOPED_TRACE(target);
        CliProcess cli({"convert", "--format", Wav, "--preset", "Keep as is", "--target", target, "--playlist",
                        "--when-exists", "overwrite", input.string()},
                       folder.path(), work, folder / "output.txt");
        ASSERT_EQ(cli.Wait(), 0) << cli.Output();
        EXPECT_EQ(testaudio::Probe(expected / "tone.wav", "codec_name"), "pcm_s16le") << cli.Output();
        const std::string playlist = testaudio::ReadBytes(expected / "untitled.pls");
        EXPECT_NE(playlist.find("File1=" + (expected / "tone.wav").lexically_normal().string() + "\n"),
                  std::string::npos)
            << playlist;
    }
}

TEST(ConvertSetup, APresetFileThatCannotBeUsedRefusesTheRunAndNamesThePreset)
{
    const OwnProgramFolder program;
    testsupport::TempFolder folder;
    const fs::path input = Tone(folder / "tone.flac");
    const fs::path mp3Preset = program.Preset("MP3/CBR 320 kbps.ini");
    const fs::path flacPresets = program.Preset("FLAC/presets.ini");
    const std::string mp3Good = testaudio::ReadBytes(mp3Preset);
    const std::string flacGood = testaudio::ReadBytes(flacPresets);
    const auto convert = [&](const char* format, const char* preset) {
        return RunCli({"convert", "--format", format, "--preset", preset, "--target", (folder / "out").string(),
                       input.string()});
    };
    const auto expectRefused = [&](const CliResult& result, const std::string& text) {
        EXPECT_EQ(result.exitCode, 2) << result.output;
        EXPECT_NE(result.output.find(text), std::string::npos) << result.output;
        EXPECT_FALSE(fs::exists(folder / "out")) << result.output;
    };

    std::string garbage(3000, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919 + 13) % 256);
    std::ofstream(mp3Preset, std::ios::binary | std::ios::trunc) << garbage;
    expectRefused(convert("MP3", "CBR 320 kbps"), "The preset \"CBR 320 kbps\" can't be used: \"" +
                                                      mp3Preset.string() + "\": it is not a text file");

    std::ofstream(mp3Preset, std::ios::trunc) << "Bitrate 320\nlike a preset, but not one\n";
    expectRefused(convert("MP3", "CBR 320 kbps"),
                  "\": line 1 is neither a [section] nor a key=value setting");

    std::ofstream(mp3Preset, std::ios::trunc) << "[General]\nBitrate=three hundred and twenty\n";
    expectRefused(convert("MP3", "CBR 320 kbps"),
                  "\": [General] Bitrate: 'three hundred and twenty' is not a valid integer value");

    std::ofstream(flacPresets, std::ios::trunc) << "[Audio]\nLevel 5 (default)=-5\n\x01\x02 broken\n";
    expectRefused(convert("FLAC (Free Lossless Audio Codec)", "Level 5 (default)"),
                  "The preset \"Level 5 (default)\" can't be used: \"" + flacPresets.string() +
                      "\": it is not a text file");
    std::ofstream(flacPresets, std::ios::trunc) << flacGood;

    // Permissions do not bind root; a file whose every read fails does (the
    // reading process's own memory at address 0).
    fs::remove(mp3Preset);
    if (::geteuid() == 0) {
        fs::create_symlink("/proc/self/mem", mp3Preset);
    } else {
        std::ofstream(mp3Preset) << mp3Good;
        fs::permissions(mp3Preset, fs::perms::none);
    }
    const std::string why = ::geteuid() == 0 ? "Input/output error" : "Permission denied";
    expectRefused(convert("MP3", "CBR 320 kbps"), "\": it can't be read: " + why);

    // The same preset, whole again, is what the output is made with.
    fs::remove(mp3Preset);
    std::ofstream(mp3Preset) << mp3Good;
    const CliResult good = convert("MP3", "CBR 320 kbps");
    ASSERT_EQ(good.exitCode, 0) << good.output;
    EXPECT_EQ(testaudio::Probe(folder / "out" / "tone.mp3", "bit_rate"), "320000");
}

TEST(ConvertSetup, AFolderThatCannotBeReadIsReportedAndTheOthersConvert)
{
    testsupport::TempFolder folder;
    const fs::path in = folder / "in";
    Tone(in / "a.flac");
    Tone(in / "sub" / "b.flac");
    const testsupport::DeepFolder deep(in / "deep");
    // Where permissions bind, a folder without them is one more.
    const bool locked = ::geteuid() != 0;
    if (locked) {
        Tone(in / "locked" / "c.flac");
        fs::permissions(in / "locked", fs::perms::none);
    }

    const CliResult result = RunCli(
        {"convert", "--format", Wav, "--preset", "Keep as is", "--target", (folder / "out").string(), in.string()});

    if (locked)
        fs::permissions(in / "locked", fs::perms::owner_all);
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("FAILED\t" + deep.Unlistable().string() +
                                 "\tthe folder can't be read: File name too long\n"),
              std::string::npos)
        << result.output;
    if (locked) {
        EXPECT_NE(result.output.find("FAILED\t" + (in / "locked").string() +
                                     "\tthe folder can't be read: Permission denied\n"),
                  std::string::npos)
            << result.output;
    }
    EXPECT_TRUE(fs::exists(folder / "out" / "a.wav")) << result.output;
    EXPECT_TRUE(fs::exists(folder / "out" / "b.wav")) << result.output;
}
