// SPDX-License-Identifier: GPL-3.0-or-later
// The window's run around its edges: the playlist that follows it, and a
// preset file spoilt after it was chosen.

#include <QComboBox>
#include <QLineEdit>
#include <fstream>
#include <unistd.h>

#include "BatchRunWindowFixture.h"

namespace fs = std::filesystem;

namespace {

class PlaylistWindowTest : public BatchRunWindowTest {
protected:
    void SetUp() override
    {
        BatchRunWindowTest::SetUp();
        Choose(Wav, "Keep as is");
        WhenFinished(CreatePlayList);
    }

    std::string Playlist() const { return Bytes(target / "untitled.pls"); }
};

class PresetWindowTest : public BatchRunWindowTest {
protected:
    fs::path PresetFile() const { return home / "Preset" / "MP3" / "CBR 320 kbps.ini"; }

    void ExpectRefused(const std::string& reason)
    {
        messages.clear();
        window->actConvertion->trigger();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].icon, platform::BoxIcon::Warning);
        EXPECT_EQ(messages[0].text,
                  "The preset \"CBR 320 kbps\" can't be used: \"" + PresetFile().string() + "\": " + reason);
        EXPECT_TRUE(fs::is_empty(target));
        EXPECT_EQ(window->EntryCount(), 1);
        EXPECT_TRUE(window->ConvertedFiles.empty());
    }
};

}  // namespace

TEST_F(PlaylistWindowTest, EachRunWritesTheWholeListAndALinkIsReplacedNotFollowed)
{
    AddTones({"a.flac", "b.flac", "c.flac"});
    window->actConvertion->trigger();
    EXPECT_NE(Playlist().find("NumberOfEntries=3\n"), std::string::npos) << Playlist();

    AddTones({"d.flac"});
    window->actConvertion->trigger();
    EXPECT_EQ(Playlist(), "[playlist]\nFile1=" + (target / "d.wav").string() +
                              "\nTitle1=d.wav\nLength1=0\nNumberOfEntries=1\nVersion=2\n");

    const fs::path outside = home / "outside.txt";
    std::ofstream(outside) << "precious";
    fs::remove(target / "untitled.pls");
    fs::create_symlink(outside, target / "untitled.pls");
    AddTones({"e.flac"});
    window->actConvertion->trigger();
    EXPECT_EQ(Bytes(outside), "precious");
    EXPECT_FALSE(fs::is_symlink(target / "untitled.pls"));
    EXPECT_NE(Playlist().find("File1=" + (target / "e.wav").string() + "\n"), std::string::npos) << Playlist();
    EXPECT_TRUE(messages.empty()) << messages.front().text;
}

TEST_F(PlaylistWindowTest, AFailedWriteAndAnEntryLeftOutAreBothSaid)
{
    fs::create_directories(target / "untitled.pls" / "inside");
    AddTones({"a.flac", "line\nbreak.flac"});
    window->actConvertion->trigger();

    EXPECT_TRUE(fs::exists(target / "a.wav"));
    EXPECT_TRUE(fs::exists(target / "line\nbreak.wav"));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].icon, platform::BoxIcon::Error);
    EXPECT_EQ(messages[0].text, "The playlist \"" + (target / "untitled.pls").string() +
                                    "\" could not be written: cannot replace the file: Is a directory");
    EXPECT_EQ(messages[1].icon, platform::BoxIcon::Warning);
    EXPECT_EQ(messages[1].text,
              "Left out of the playlist, as their names hold a line break:\n" + (target / "line\nbreak.wav").string());
    EXPECT_TRUE(fs::is_directory(target / "untitled.pls" / "inside"));
}

TEST_F(PresetWindowTest, APresetSpoiltAfterItWasChosenRefusesTheRunNamingIt)
{
    Choose("MP3", "CBR 320 kbps");
    AddTones({"one.flac"});
    ASSERT_TRUE(messages.empty());
    const std::string good = Bytes(PresetFile());

    std::ofstream(PresetFile(), std::ios::binary | std::ios::trunc) << std::string("\x7f" "ELF\x02\x01\x01\0\0", 9);
    ExpectRefused("it is not a text file");

    // Permissions do not bind root; a file whose every read fails does.
    fs::remove(PresetFile());
    if (::geteuid() == 0) {
        fs::create_symlink("/proc/self/mem", PresetFile());
        ExpectRefused("it can't be read: Input/output error");
    } else {
        std::ofstream(PresetFile()) << good;
        fs::permissions(PresetFile(), fs::perms::none);
        ExpectRefused("it can't be read: Permission denied");
    }

    fs::remove(PresetFile());
    std::ofstream(PresetFile()) << good;
    messages.clear();
    window->actConvertion->trigger();
    EXPECT_TRUE(messages.empty()) << messages.front().text;
    EXPECT_EQ(testaudio::Probe(target / "one.mp3", "bit_rate"), "320000");
}
