// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLocale>
#include <gtest/gtest.h>

#include "PresetTestFiles.h"
#include "presets/LameOptions.h"
#include "support/TempFolder.h"

using presettest::ReadText;
using presettest::WriteText;

TEST(LameOptions, BuildsTheSwitchesInTheirOrder)
{
    TMP3Settings s;
    s.Bitrate = 128;
    s.Mode = 1;
    s.Optimization = 2;
    s.qLevel = -1;
    EXPECT_EQ(BuildLameOptions(s), " -b 128 -m j -h");

    s.Mode = 4;
    s.Crc = s.Copy = s.Copyright = true;
    s.VbrEnabled = true;
    s.VbrQuality = 2;
    s.MaxBitrate = 256;
    s.StrictMin = s.DisableTag = true;
    s.Resampling = 128 + 2;  // only the low 7 bits count
    s.HighpassEnabled = true;
    s.HighpassFreq = 0.5;
    s.LowpassEnabled = s.LowWidthEnabled = true;
    s.LowpassFreq = 16.5;
    s.LowpassWidth = 1;
    s.qLevel = 3;
    s.NoRes = s.ISO = true;
    s.CustomOptions = " --nogap";
    EXPECT_EQ(BuildLameOptions(s),
              " -b 128 -h -p -o -c -V 2 -B 256 -F -t --resample 22.05 --highpass 0.5 --lowpass 16.5"
              " --lowpass-width 1 -q 3 --nores --strictly-enforce-ISO  --nogap");
    s.UseABR = true;
    s.ABRTargetBitrate = 160;
    EXPECT_NE(BuildLameOptions(s).find(" --abr 160 -B 256"), std::string::npos);
}

TEST(LameOptions, CustomTextAloneAndFiltersWithoutFrequency)
{
    TMP3Settings s;
    s.OnlyCustomOptions = true;
    s.CustomOptions = "  ";
    EXPECT_EQ(BuildLameOptions(s), " ");
    s.CustomOptions = "  -V 3  ";
    EXPECT_EQ(BuildLameOptions(s), " -V 3");

    TMP3Settings widthOnly;
    widthOnly.Bitrate = 64;
    widthOnly.Mode = 4;
    widthOnly.qLevel = -1;
    widthOnly.HighWidthEnabled = true;
    widthOnly.HighpassWidth = 2;
    EXPECT_EQ(BuildLameOptions(widthOnly), " -b 64");
}

TEST(Mp3Preset, MissingKeysKeepTheRecordAndQLevelDefaultsToZero)
{
    testsupport::TempFolder folder;
    WriteText(folder / "a.ini", "[General]\nBitrate=192\n[Flags]\nCopy=1\n[Audio]\nLowpassFreq=17.5\n");
    WriteText(folder / "b.ini", "[general]\nbitrate=96\n");
    TMP3Settings s;
    ReadMp3Preset(folder / "a.ini", s);
    EXPECT_EQ(s.Bitrate, 192);
    EXPECT_TRUE(s.Copy);
    EXPECT_DOUBLE_EQ(s.LowpassFreq, 17.5);
    EXPECT_NE(BuildLameOptions(s).find(" -q 0"), std::string::npos);

    ReadMp3Preset(folder / "b.ini", s);
    EXPECT_EQ(s.Bitrate, 96);
    EXPECT_FALSE(s.Copy);                  // the flag byte is cleared before reading
    EXPECT_DOUBLE_EQ(s.LowpassFreq, 17.5);  // kept from the previous preset
}

TEST(Mp3Preset, MalformedRealStopsTheReading)
{
    testsupport::TempFolder folder;
    WriteText(folder / "bad.ini", "[Audio]\nHighpassFreq=1.2.3\n");
    TMP3Settings s;
    EXPECT_THROW(ReadMp3Preset(folder / "bad.ini", s), PresetError);
    for (const char* text : {"", "abc", "nan", "inf", "1e999"})
        EXPECT_THROW(ParsePresetReal(text), PresetError) << text;
    EXPECT_DOUBLE_EQ(ParsePresetReal(" 22.05 "), 22.05);
}

TEST(Mp3Preset, WritesSectionsInOrderWithPointRealsInAnyLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    testsupport::TempFolder folder;
    WriteText(folder / "p.ini", "; mine\n[Other]\nKeep=yes\n[General]\nBitrate=8\n");
    TMP3Settings s;
    s.Bitrate = 320;
    s.HighpassFreq = 16.5;
    s.LowpassWidth = 22.05;
    s.Description = "Süß";
    ASSERT_TRUE(WriteMp3Preset(folder / "p.ini", s));
    QLocale::setDefault(previous);

    const std::string text = ReadText(folder / "p.ini");
    EXPECT_NE(text.find("; mine\n[Other]\nKeep=yes\n[General]\nBitrate=320\nDescription=Süß\n"), std::string::npos);
    EXPECT_NE(text.find("HighpassFreq=16.5\n"), std::string::npos);
    EXPECT_NE(text.find("LowpassWidth=22.05\n"), std::string::npos);
    size_t last = 0;
    for (const char* section : {"[Options]", "[Flags]", "[VBR]", "[Expert]", "[Audio]"}) {
        const size_t at = text.find(section);
        ASSERT_NE(at, std::string::npos) << section;
        EXPECT_GT(at, last) << section;
        last = at;
    }
    TMP3Settings back;
    ReadMp3Preset(folder / "p.ini", back);
    EXPECT_DOUBLE_EQ(back.LowpassWidth, 22.05);
    EXPECT_EQ(back.Description, "Süß");
}
