// SPDX-License-Identifier: GPL-3.0-or-later
// probe and tags over many files in one process, and names that hold
// control characters in the plain output.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "cli/CliRunner.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// A newline, a tab, an ESC and a backslash: each would break a line or a column.
const std::string OddName = "odd\nname\twith\033and\\.flac";
const std::string OddNameEscaped = "odd\\nname\\twith\\x1band\\\\.flac";

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

fs::path Copy(const std::string& sample, const fs::path& to)
{
    fs::copy_file(testaudio::Get(sample), to);
    return to;
}

fs::path Junk(const fs::path& path)
{
    std::ofstream(path) << "not audio at all";
    return path;
}

// "title|artist" of each file as mutagen reads it.
std::string TitlesAndArtists(const std::vector<fs::path>& files)
{
    std::vector<std::string> args = {"/usr/bin/python3", "-c",
                                     "import sys, mutagen\n"
                                     "for f in sys.argv[1:]:\n"
                                     "    m = mutagen.File(f, easy=True)\n"
                                     "    print(m['title'][0], m['artist'][0], sep='|')\n"};
    for (const fs::path& file : files)
        args.push_back(file.string());
    std::string output;
    EXPECT_EQ(testaudio::Run(args, &output), 0) << output;
    return output;
}

}  // namespace

TEST(ManyFiles, ProbeShowsEveryReadableFileAndNamesTheOthers)
{
    testsupport::TempFolder folder;
    const fs::path mp3 = Copy("tone.mp3", folder / "song.mp3");
    const fs::path odd = Copy("tone.flac", folder / OddName);
    const fs::path junk = Junk(folder / "junk.mp3");
    const fs::path missing = folder / "gone.ogg";
    const CliStreams result = RunCliStreams({"probe", mp3.string(), junk.string(), odd.string(), missing.string()});
    EXPECT_EQ(result.exitCode, 1);
    const auto lines = LinesOf(result.out);
    ASSERT_EQ(lines.size(), 2u) << result.out;
    EXPECT_EQ(lines[0].rfind(mp3.string() + "\tBitrate: ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind((folder / OddNameEscaped).string() + "\tBitrate: ", 0), 0u) << lines[1];
    for (const std::string& line : lines)
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
    EXPECT_EQ(result.err, "Files open failed:\n" + junk.string() + "\n" + missing.string() + "\n");
}

TEST(ManyFiles, TagsShowsEachFilesBlockUnderItsName)
{
    testsupport::TempFolder folder;
    const fs::path mp3 = Copy("tone.mp3", folder / "song.mp3");
    const fs::path odd = Copy("tone.flac", folder / OddName);
    const fs::path missing = folder / "gone.ogg";
    ASSERT_EQ(RunCli({"tags", mp3.string(), odd.string(), "--set", "Title=One", "Comment=Two"}).exitCode, 0);

    const CliStreams result = RunCliStreams({"tags", mp3.string(), missing.string(), odd.string()});
    EXPECT_EQ(result.exitCode, 1);
    const auto lines = LinesOf(result.out);
    ASSERT_EQ(lines.size(), 26u) << result.out;
    EXPECT_EQ(lines[0], "File=" + mp3.string());
    EXPECT_EQ(lines[13], "File=" + (folder / OddNameEscaped).string());
    for (const std::size_t block : {1u, 14u}) {
        EXPECT_EQ(lines[block], "Track=");
        EXPECT_EQ(lines[block + 1], "Title=One");
        EXPECT_EQ(lines[block + 5], "Comment=Two");
        EXPECT_EQ(lines[block + 11], "URL=");
    }
    EXPECT_EQ(result.err, missing.string() + ": no such file\n");
}

TEST(ManyFiles, TagsSetWritesTheSameValuesIntoEveryFile)
{
    testsupport::TempFolder folder;
    const std::vector<fs::path> files = {Copy("tone.mp3", folder / "a.mp3"), Copy("tone.flac", folder / "b.flac"),
                                         Copy("tone.ogg", folder / "c.ogg")};
    const CliStreams result = RunCliStreams(
        {"tags", files[0].string(), files[1].string(), files[2].string(), "--set", "Title=Zwölf", "Artist=Band"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out + result.err, "");
    EXPECT_EQ(TitlesAndArtists(files), "Zwölf|Band\nZwölf|Band\nZwölf|Band\n");

    // A file that cannot take them among the others: they are still written.
    const fs::path wav = Copy("stereo.wav", folder / "d.wav");
    const CliStreams mixed =
        RunCliStreams({"tags", files[0].string(), wav.string(), files[2].string(), "--set", "Artist=Other"});
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_EQ(mixed.err.rfind(wav.string() + ": ", 0), 0u) << mixed.err;
    EXPECT_EQ(LinesOf(mixed.err).size(), 1u) << mixed.err;
    EXPECT_EQ(TitlesAndArtists({files[0], files[2]}), "Zwölf|Other\nZwölf|Other\n");
}

TEST(ManyFiles, ConvertLinesEscapeTheNames)
{
    testsupport::TempFolder folder;
    const fs::path odd = Copy("stereo.wav", folder / "odd\nname\t1.wav");
    const CliStreams result = RunCliStreams({"convert", "--format", "WAV (Standard)", "--preset", "Keep as is",
                                             "--target", (folder / "out").string(), odd.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "OK\t" + (folder / "odd\\nname\\t1.wav").string() + '\t' +
                              (folder / "out" / "odd\\nname\\t1.wav").string() + '\n');
    EXPECT_TRUE(fs::exists(folder / "out" / "odd\nname\t1.wav"));
}
