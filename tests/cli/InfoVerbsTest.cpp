// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <utility>

#include "cli/CliRunner.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

// The eleven keep their order; formats added later follow them.
TEST(InfoVerbs, FormatsListsTheNamesInListOrder)
{
    const CliResult result = RunCli({"formats"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output,
              "AAC (MPEG-2)\nAPE (Monkey's Audio)\nFLAC (Free Lossless Audio Codec)\nM4A (MPEG-4 AAC)\nMP3\n"
              "MP4 (MPEG-4 AAC)\nMPC (Musepack)\nOFR (OptimFROG Lossless Audio)\nOgg vorbis\nWAV (Standard)\n"
              "WMA (Windows media audio)\nOpus\nWavPack\nALAC (Apple Lossless)\n");
}

TEST(InfoVerbs, UnknownVerbIsAUsageError)
{
    EXPECT_EQ(RunCli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(RunCli({}).exitCode, 2);
}

TEST(InfoVerbs, TagsPrintsAndSetsTheRecord)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "song.mp3";
    fs::copy_file(testaudio::Get("tone.mp3"), file);
    EXPECT_EQ(RunCli({"tags", file.string(), "--set", "Title=Zwölf Boxkämpfer", "Track=5/12"}).exitCode, 0);
    const CliResult shown = RunCli({"tags", file.string()});
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_EQ(shown.output,
              "Track=5/12\nTitle=Zwölf Boxkämpfer\nArtist=\nAlbum=\nYear=\nComment=\nGenre=\nComposer=\n"
              "EncodedBy=\nCopyright=\nLanguage=\nURL=\n");
    EXPECT_EQ(RunCli({"tags", file.string(), "--set", "Mood=happy"}).exitCode, 2);
    EXPECT_EQ(RunCli({"tags", (folder / "missing.ogg").string()}).exitCode, 1);
}

namespace {

std::string BytesOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One line naming the path and an exit status of 1.
void ExpectRefused(const CliResult& result, const fs::path& path, const std::string& why)
{
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find(path.string() + ": "), std::string::npos) << result.output;
    EXPECT_NE(result.output.find(why), std::string::npos) << result.output;
    EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << result.output;
}

}  // namespace

TEST(InfoVerbs, TagsOnPathsThatHoldNoTagsSaysWhy)
{
    testsupport::TempFolder folder;
    const fs::path missing = folder / "missing.mp3";
    ExpectRefused(RunCli({"tags", missing.string()}), missing, "no such file");
    ExpectRefused(RunCli({"tags", missing.string(), "--set", "Title=x"}), missing, "no such file");
    const fs::path dir = folder / "album.flac";
    fs::create_directory(dir);
    ExpectRefused(RunCli({"tags", dir.string()}), dir, "folder");
    const fs::path fifo = folder / "pipe.mp3";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectRefused(RunCli({"tags", fifo.string()}), fifo, "not a regular file");
    ExpectRefused(RunCli({"tags", fifo.string(), "--set", "Title=x"}), fifo, "not a regular file");
}

TEST(InfoVerbs, TagsSetThatWritesNothingFailsAndKeepsTheFile)
{
    testsupport::TempFolder folder;
    const fs::path wav = folder / "song.wav";
    fs::copy_file(testaudio::Get("stereo.wav"), wav);
    const fs::path fakeM4a = folder / "song.m4a";
    fs::copy_file(testaudio::Get("tone.mp3"), fakeM4a);
    const fs::path fakeOgg = folder / "song.ogg";
    fs::copy_file(testaudio::Get("tone.flac"), fakeOgg);
    for (const auto& [file, why] : {std::pair{wav, "cannot be written"}, std::pair{fakeM4a, "not an MP4 file"},
                                    std::pair{fakeOgg, "not an Ogg Vorbis file"}}) {
        SCOPED_TRACE(file.string());
        const std::string before = BytesOf(file);
        ExpectRefused(RunCli({"tags", file.string(), "--set", "Title=x"}), file, why);
        EXPECT_EQ(BytesOf(file), before);
    }
}

// The file size limit stands in for a full disk: the rebuilt copy cannot be
// written whole, so the original must stay and the exit status be 1.
TEST(InfoVerbs, TagsSetOnAFullDiskFailsAndKeepsTheFile)
{
    testsupport::TempFolder folder;
    const fs::path flac = folder / "song.flac";
    fs::copy_file(testaudio::Get("tone.flac"), flac);
    const std::string before = BytesOf(flac);
    const std::string cli = (testaudio::BuildProgramFolder() / "tremolix-cli").string();
    const std::string blocks = std::to_string(before.size() / 512);  // sh counts 512-byte blocks
    std::string output;
    const int status = testaudio::Run(
        {"sh", "-c", "trap '' XFSZ; ulimit -f " + blocks + "; exec \"$0\" tags \"$1\" --set \"Comment=$2\"", cli,
         flac.string(), std::string(20000, 'x')},
        &output);
    EXPECT_EQ(status, 1) << output;
    EXPECT_NE(output.find(flac.string() + ": "), std::string::npos) << output;
    EXPECT_EQ(BytesOf(flac), before);
}

TEST(InfoVerbs, TagsSetOfTheValuesAlreadyThereWritesNothing)
{
    testsupport::TempFolder folder;
    const fs::path flac = folder / "song.flac";
    fs::copy_file(testaudio::Get("tone.flac"), flac);
    ASSERT_EQ(RunCli({"tags", flac.string(), "--set", "Title=Same", "Artist=A"}).exitCode, 0);
    const auto stamp = fs::last_write_time(flac);
    const std::string before = BytesOf(flac);
    fs::last_write_time(flac, stamp - std::chrono::hours(1));
    EXPECT_EQ(RunCli({"tags", flac.string(), "--set", "Title=Same"}).exitCode, 0);
    EXPECT_EQ(BytesOf(flac), before);
    EXPECT_EQ(fs::last_write_time(flac), stamp - std::chrono::hours(1));
}
