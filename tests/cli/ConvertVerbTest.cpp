// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/CliRunner.h"
#include "support/TempFolder.h"
#include "tags/TagInfo.h"

namespace fs = std::filesystem;

namespace {

struct FormatCase {
    const char* format;
    const char* preset;
    const char* extension;
};

// One preset of every format that has a working encoder.
const FormatCase WorkingFormats[] = {
    {"MP3", "CBR 128 kbps", ".mp3"},
    {"Ogg vorbis", "Quality 4 (about 128 kbps)", ".ogg"},
    {"FLAC (Free Lossless Audio Codec)", "Level 5 (default)", ".flac"},
    {"MPC (Musepack)", "Standard (about 180 kbps)", ".mpc"},
    {"AAC (MPEG-2)", "Quality 100 (standard)", ".aac"},
    {"M4A (MPEG-4 AAC)", "128 kbps per channel", ".m4a"},
    {"MP4 (MPEG-4 AAC)", "Quality 100 (standard)", ".mp4"},
    {"WAV (Standard)", "Keep as is", ".wav"},
    {"WMA (Windows media audio)", "CBR 128 kbps 44100 Hz stereo", ".wma"},
    {"APE (Monkey's Audio)", "Normal (-c2000)", ".ape"},
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Mixed inputs, one with an awkward name.
std::vector<std::string> MixedInputs(const testsupport::TempFolder& folder)
{
    fs::create_directories(folder / "in");
    const fs::path flac = folder / "in" / "-tone 'quoted' é.flac";
    const fs::path mp3 = folder / "in" / "tone.mp3";
    fs::copy_file(testaudio::Get("tone.flac"), flac);
    fs::copy_file(testaudio::Get("tone.mp3"), mp3);
    return {"--", flac.string(), mp3.string()};
}

}  // namespace

TEST(ConvertVerb, EveryWorkingFormatGivesDecodableOutputs)
{
    for (const auto& format : WorkingFormats) {
        SCOPED_TRACE(format.format);
        testsupport::TempFolder folder;
        std::vector<std::string> args = {"convert", "--format", format.format, "--preset", format.preset,
                                         "--target", (folder / "out").string()};
        for (const auto& input : MixedInputs(folder))
            args.push_back(input);
        const CliResult result = RunCli(args);
        ASSERT_EQ(result.exitCode, 0) << result.output;
        int converted = 0;
        for (const auto& entry : fs::directory_iterator(folder / "out")) {
            EXPECT_EQ(entry.path().extension(), format.extension);
            // Decoded length: some containers only estimate theirs.
            const double seconds = double(testaudio::DecodeS16(entry.path()).size()) / 2 / 44100;
            EXPECT_NEAR(seconds, 2.0, 0.1);
            EXPECT_EQ(testaudio::Probe(entry.path(), "channels"), "2");
            ++converted;
        }
        EXPECT_EQ(converted, 2);
    }
}

TEST(ConvertVerb, ReportsEachFileSkipsExistingOutputsAndNeverConvertsOverItsInput)
{
    testsupport::TempFolder folder;
    fs::create_directories(folder / "in");
    const fs::path song = folder / "in" / "song.flac";
    const fs::path bad = folder / "in" / "bad.flac";
    const fs::path self = folder / "self.mp3";
    fs::copy_file(testaudio::Get("tone.flac"), song);
    std::ofstream(bad) << "not audio";
    fs::copy_file(testaudio::Get("tone.mp3"), self);
    const std::string target = folder.path().string();
    const std::vector<std::string> args = {"convert", "--format", "MP3", "--preset", "CBR 128 kbps", "--target",
                                           target, song.string(), bad.string(), self.string()};

    const CliResult first = RunCli(args);
    EXPECT_EQ(first.exitCode, 1);
    const auto lines = Lines(first.output);
    ASSERT_EQ(lines.size(), 3u) << first.output;
    EXPECT_EQ(lines[0], "OK\t" + song.string() + "\t" + target + "/song.mp3");
    EXPECT_EQ(lines[1], "FAILED\t" + bad.string() + "\tOpen file failed!");
    EXPECT_EQ(lines[2].rfind("FAILED\t" + self.string() + "\t", 0), 0u);
    EXPECT_EQ(fs::file_size(self), fs::file_size(testaudio::Get("tone.mp3")));

    const CliResult second = RunCli({"convert", "--format", "MP3", "--preset", "CBR 128 kbps", "--target", target,
                                     song.string()});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.output, "SKIPPED\t" + song.string() + "\t" + target + "/song.mp3\n");
}

TEST(ConvertVerb, RefusesBadStartsWithUsageStatus)
{
    testsupport::TempFolder folder;
    const std::string input = testaudio::Get("tone.flac").string();
    EXPECT_EQ(RunCli({"convert", "--format", "MP3"}).exitCode, 2);
    EXPECT_EQ(RunCli({"convert", "--format", "MP3", "--preset", "CBR 128 kbps", "--target", folder.path().string(),
                      "--when-exists", "sometimes", input}).exitCode, 2);
    const CliResult unknownPreset = RunCli({"convert", "--format", "Ogg vorbis", "--preset", "No such preset",
                                            "--target", folder.path().string(), input});
    EXPECT_EQ(unknownPreset.exitCode, 2);
    EXPECT_NE(unknownPreset.output.find("is invalid!"), std::string::npos) << unknownPreset.output;
    const CliResult noFormat = RunCli({"convert", "--format", "Vinyl", "--preset", "x", "--target",
                                       folder.path().string(), input});
    EXPECT_EQ(noFormat.exitCode, 2);
}

TEST(ConvertVerb, PrefixPlaceholdersCopyTagsAndPlaylist)
{
    testsupport::TempFolder folder;
    const fs::path input = folder / "song.mp3";
    fs::copy_file(testaudio::Get("tone.mp3"), input);
    TTAGInfo tags;
    tags.Track = "10";
    tags.Title = "Title";
    tags.Artist = "AC/DC";
    tags.Album = "Album";
    EXPECT_EQ(WriteTagInfo(input, tags), "");
    const fs::path out = folder / "out";
    const CliResult result = RunCli({"convert", "--format", "FLAC (Free Lossless Audio Codec)", "--preset",
                                     "Level 5 (default)", "--target", out.string(), "--prefix", "%TrackNum%_%Artist%_",
                                     "--copy-tags", "--playlist", input.string()});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    const fs::path output = out / "10_AC_DC_song.flac";
    ASSERT_TRUE(fs::exists(output)) << result.output;
    TTAGInfo copied;
    ReadTagInfo(output, copied);
    EXPECT_EQ(copied.Title, "Title");
    EXPECT_EQ(copied.Artist, "AC/DC");
    EXPECT_EQ(copied.Album, "Album");
    std::ifstream playlist(out / "untitled.pls");
    const std::string text((std::istreambuf_iterator<char>(playlist)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("File1=" + output.string()), std::string::npos) << text;
    EXPECT_NE(text.find("NumberOfEntries=1"), std::string::npos) << text;
}
