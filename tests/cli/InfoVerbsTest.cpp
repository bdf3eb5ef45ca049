#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/CliRunner.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

TEST(InfoVerbs, FormatsListsTheElevenNamesInListOrder)
{
    const CliResult result = RunCli({"formats"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output.rfind("AAC (MPEG-2)\nAPE (Monkey's Audio)\n", 0), 0u);
    EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 11);
    EXPECT_NE(result.output.find("Ogg vorbis\nWAV (Standard)\nWMA (Windows media audio)\n"), std::string::npos);
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
