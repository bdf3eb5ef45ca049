// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "engine/FormatTable.h"

using namespace engine;

TEST(FormatTable, SizesShowBytesKilobytesAndMegabytes)
{
    EXPECT_EQ(FormatSize(1000), "1000 Bytes");
    EXPECT_EQ(FormatSize(1023), "1023 Bytes");
    EXPECT_EQ(FormatSize(1048576), "1024.00 KB");
    EXPECT_EQ(FormatSize(1048577), "1.00 MB");
    EXPECT_EQ(FormatSize(std::int64_t(3.456789 * 1048576)), "3.46 MB");
    EXPECT_EQ(FormatSize(std::int64_t(123.456 * 1048576)), "123.50 MB");
}

TEST(FormatTable, DurationsDropAnEmptyHourPart)
{
    EXPECT_EQ(FormatDuration(185250), "03:05.25");
    EXPECT_EQ(FormatDuration(3723456), "01.02:03.45");
    EXPECT_EQ(FormatDuration(59999), "00:59.99");
    EXPECT_EQ(FormatDuration(4294967295u), "00:00.00");
    EXPECT_EQ(FormatDuration(0), "00:00.00");
}

TEST(FormatTable, ListPositionsMapToIndexesBothWays)
{
    EXPECT_EQ(FormatIndexOfListPosition(8), 1);   // Ogg vorbis
    EXPECT_EQ(FormatIndexOfListPosition(9), 8);   // WAV (Standard)
    EXPECT_EQ(FormatIndexOfListPosition(FormatCount), NoFormat);
    for (int position = 0; position < FormatCount; ++position)
        EXPECT_EQ(ListPositionOfFormatIndex(FormatIndexOfListPosition(position)), position);
}

TEST(FormatTable, KindNamesComeFromTheExtensionIgnoringCase)
{
    EXPECT_EQ(KindNameOfFile("a/b.M4A"), "MPEG-4/AAC");
    EXPECT_EQ(KindNameOfFile("x.mp2"), "");
    EXPECT_EQ(KindNameOfFile("noextension"), "");
    EXPECT_EQ(FormatIndexOfFile("song.FLAC"), 3);
    EXPECT_STREQ(Row(NoFormat).extension, "");
    EXPECT_STREQ(Row(NoFormat).kindName, "");
}

TEST(FormatTable, TheCodecTellsApartFormatsThatShareAnExtension)
{
    EXPECT_EQ(KindNameOfFile("a.m4a", "alac"), "Apple Lossless");
    EXPECT_EQ(FormatIndexOfFile("a.M4A", "alac"), FormatAlac);
    EXPECT_EQ(KindNameOfFile("a.m4a", "aac"), "MPEG-4/AAC");
    // A codec no row of the extension makes leaves the name to decide.
    EXPECT_EQ(KindNameOfFile("a.flac", "alac"), "Free Lossless Audio");
    EXPECT_EQ(KindNameOfFile("a.mp2", "mp2"), "");
}
