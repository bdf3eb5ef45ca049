// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist after a run of tremolix-cli: a whole new file each time,
// never written through a link, and a write that fails is an error.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/CliRunner.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

class CliPlaylist : public ::testing::Test {
protected:
    // Copies of the two-second tone under these names.
    std::vector<std::string> Tones(const std::vector<std::string>& names) const
    {
        std::vector<std::string> paths;
        for (const std::string& name : names) {
            paths.push_back((folder / name).string());
            fs::copy_file(testaudio::Get("tone.flac"), paths.back(), fs::copy_options::overwrite_existing);
        }
        return paths;
    }

    CliResult ConvertWithPlaylist(const std::vector<std::string>& inputs) const
    {
        std::vector<std::string> args = {"convert", "--format", "WAV (Standard)", "--preset", "Keep as is",
                                         "--target", target.string(), "--playlist", "--"};
        args.insert(args.end(), inputs.begin(), inputs.end());
        return RunCli(args);
    }

    std::string Playlist() const { return testaudio::ReadBytes(target / "untitled.pls"); }

    // The whole text of a playlist of outputs in the target folder.
    std::string Expected(const std::vector<std::string>& outputs) const
    {
        std::string text = "[playlist]\n";
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            const std::string n = std::to_string(i + 1);
            text += "File" + n + "=" + (target / outputs[i]).string() + "\nTitle" + n + "=" + outputs[i] +
                    "\nLength" + n + "=0\n";
        }
        return text + "NumberOfEntries=" + std::to_string(outputs.size()) + "\nVersion=2\n";
    }

    testsupport::TempFolder folder;
    fs::path target = folder / "out";
};

}  // namespace

TEST_F(CliPlaylist, EachRunWritesTheWholeListAndReplacesALinkInsteadOfFollowingIt)
{
    ASSERT_EQ(ConvertWithPlaylist(Tones({"a.flac", "b.flac", "c.flac"})).exitCode, 0);
    EXPECT_EQ(Playlist(), Expected({"a.wav", "b.wav", "c.wav"}));

    // A shorter run leaves nothing of the longer one behind.
    const CliResult shorter = ConvertWithPlaylist(Tones({"d.flac"}));
    ASSERT_EQ(shorter.exitCode, 0) << shorter.output;
    EXPECT_EQ(Playlist(), Expected({"d.wav"}));

    const fs::path outside = folder / "outside.txt";
    std::ofstream(outside) << "precious";
    fs::remove(target / "untitled.pls");
    fs::create_symlink(outside, target / "untitled.pls");
    const CliResult linked = ConvertWithPlaylist(Tones({"e.flac"}));
    ASSERT_EQ(linked.exitCode, 0) << linked.output;
    EXPECT_EQ(testaudio::ReadBytes(outside), "precious");
    EXPECT_FALSE(fs::is_symlink(target / "untitled.pls"));
    EXPECT_EQ(Playlist(), Expected({"e.wav"}));
    for (const auto& entry : fs::directory_iterator(target))
        EXPECT_TRUE(entry.path().extension() == ".wav" || entry.path().filename() == "untitled.pls") << entry.path();
}

TEST_F(CliPlaylist, ControlCharactersGoInAsTheyAreAndALineBreakLeavesTheEntryOutWithANote)
{
    const CliResult result = ConvertWithPlaylist(Tones({"tab\there.flac", "line\nbreak.flac", "bell\a.flac"}));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(fs::exists(target / "line\nbreak.wav"));
    EXPECT_EQ(Playlist(), Expected({"tab\there.wav", "bell\a.wav"}));
    // The name is escaped on the line, so the line stays one line.
    EXPECT_NE(result.output.find("NOTE\t" + (target / "line\\nbreak.wav").string() +
                                 "\tleft out of the playlist: its name holds a line break"),
              std::string::npos)
        << result.output;
}

TEST_F(CliPlaylist, APlaylistThatCannotBeWrittenIsAnErrorAndTheOutputsStay)
{
    fs::create_directories(target / "untitled.pls" / "inside");
    const CliResult result = ConvertWithPlaylist(Tones({"a.flac"}));
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("OK\t" + (folder / "a.flac").string()), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("The playlist \"" + (target / "untitled.pls").string() +
                                 "\" could not be written: cannot replace the file: Is a directory"),
              std::string::npos)
        << result.output;
    EXPECT_TRUE(fs::exists(target / "a.wav"));
    EXPECT_TRUE(fs::is_directory(target / "untitled.pls" / "inside"));
}
