// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "PresetTestFiles.h"
#include "presets/PresetCatalogue.h"
#include "presets/PresetCheck.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using presettest::WriteText;

TEST(PresetCheck, OnlyTextOfSectionsAndSettingsIsAPresetFile)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "p.ini";
    WriteText(file, "; comment\r\n\r\n[General]\r\n  Bitrate = 320 \r\n# more\r\nOutDir=\r\n\t\r\n[Other]");
    EXPECT_EQ(presets::PresetFileProblem(file), "");
    WriteText(file, "[General]\nBitrate=320\nstray words\n");
    EXPECT_EQ(presets::PresetFileProblem(file), "line 3 is neither a [section] nor a key=value setting");
    WriteText(file, "[General\nBitrate=320\n");
    EXPECT_EQ(presets::PresetFileProblem(file), "line 1 is neither a [section] nor a key=value setting");
    WriteText(file, " =320\n");
    EXPECT_EQ(presets::PresetFileProblem(file), "line 1 is neither a [section] nor a key=value setting");
    WriteText(file, std::string("[General]\nBitrate=3") + '\0' + "20\n");
    EXPECT_EQ(presets::PresetFileProblem(file), "it is not a text file");
    WriteText(file, "[General]\nDescription=\x1b[31m\n");
    EXPECT_EQ(presets::PresetFileProblem(file), "it is not a text file");
    WriteText(file, "[General]\nDescription=" + std::string(2 << 20, 'x') + "\n");
    EXPECT_EQ(presets::PresetFileProblem(file), "it is too large for a preset file");
    EXPECT_EQ(presets::PresetFileProblem(folder / "missing.ini"), "it can't be read: No such file or directory");
    EXPECT_EQ(presets::PresetFileProblem(folder.path()), "it can't be read: Is a directory");
}

TEST(PresetCheck, ReadersRefuseWhatTheyCannotUseNamingTheFileAndKeepTheRecord)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "p.ini";
    TMP3Settings mp3;
    mp3.Bitrate = 192;
    mp3.Copy = true;
    const auto mp3Error = [&](const std::string& text) -> std::string {
        WriteText(file, text);
        try {
            ReadMp3Preset(file, mp3);
        } catch (const PresetError& error) {
            return error.what();
        }
        return "read";
    };
    const std::string at = "\"" + file.string() + "\": ";
    EXPECT_EQ(mp3Error("[Other]\nBitrate=320\n"), at + "it sets none of the MP3 settings");
    EXPECT_EQ(mp3Error("[General]\nBitrate=320k\n"), at + "[General] Bitrate: '320k' is not a valid integer value");
    EXPECT_EQ(mp3Error("[VBR]\nEnabled=yes\n"), at + "[VBR] Enabled: 'yes' is not a valid integer value");
    EXPECT_EQ(mp3Error("[Audio]\nLowpassFreq=1,5.2\n"),
              at + "[Audio] LowpassFreq: '1,5.2' is not a valid floating point value");
    EXPECT_EQ(mp3.Bitrate, 192);
    EXPECT_TRUE(mp3.Copy) << "a refused file changes nothing";
    EXPECT_EQ(mp3Error("[Expert]\nCustomOptions=--nores\n"), "read");
    EXPECT_EQ(mp3.CustomOptions, "--nores");
    EXPECT_EQ(mp3.Bitrate, 192);

    WriteText(file, "[Audio]\nDescription=only words\n");
    EXPECT_THROW(presets::ReadWmaPreset(file), PresetError);
    WriteText(file, "[Audio]\nBitrate=0x\n");
    try {
        presets::ReadWmaPreset(file);
        ADD_FAILURE() << "a malformed bit rate was read";
    } catch (const PresetError& error) {
        EXPECT_EQ(error.what(), at + "[Audio] Bitrate: '0x' is not a valid integer value");
    }
    WriteText(file, "[Audio]\nBitrate=0x40\n");
    EXPECT_EQ(presets::ReadWmaPreset(file).Bitrate, 64);
}
