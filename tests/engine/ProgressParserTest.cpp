// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "engine/ProgressParser.h"

using engine::ParseProgress;
using engine::TrimChunk;

namespace {

constexpr std::uint8_t Mp3 = 0, Ogg = 1, Flac = 3, Mpc = 7, Ofr = 9;

}  // namespace

TEST(ProgressParser, PatternFormatsTakeTheLastMatch)
{
    EXPECT_EQ(ParseProgress(Mp3, "12%", 0), 56);
    EXPECT_EQ(ParseProgress(Mp3, "12% then 37%", 0), 68);
    EXPECT_EQ(ParseProgress(Mp3, "frame 12 of 40 (30%)", 0), 65);
    EXPECT_EQ(ParseProgress(Flac, "tone.wav: 45% complete, ratio=0.5", 50), 72);
    // A match of 0 counts, unlike MPC and OFR.
    EXPECT_EQ(ParseProgress(Mp3, "0%", 80), 50);
    EXPECT_EQ(ParseProgress(Mp3, "no figure here", 61), 61);
    EXPECT_EQ(ParseProgress(Mp3, "", 61), 61);
    EXPECT_EQ(ParseProgress(Mp3, "100%", 60), 100);
}

TEST(ProgressParser, OggNeedsTenths)
{
    EXPECT_EQ(ParseProgress(Ogg, "[ 45.3%] [ 0m01s remaining]", 50), 72);
    EXPECT_EQ(ParseProgress(Ogg, "45%", 55), 55);
    EXPECT_EQ(ParseProgress(Ogg, "[ 10.0%] [ 20.5%]", 50), 60);
    EXPECT_EQ(ParseProgress(Ogg, "45\n3%", 55), 55);
    // Any character stands between the two parts, a digit too; the number
    // is the whole match, held to 100.
    EXPECT_EQ(ParseProgress(Ogg, "[ 4513%]", 55), 100);
}

TEST(ProgressParser, GarbageNeverLeavesTheRange)
{
    EXPECT_EQ(ParseProgress(Mp3, "99999999999999999999%", 50), 100);
    EXPECT_EQ(ParseProgress(Mpc, "-40  kbps", 63), 50);
}

TEST(ProgressParser, MpcReadsTheNumberBeforeTheFirstDoubleSpace)
{
    EXPECT_EQ(ParseProgress(Mpc, "45.6  167.3 kbps  9.23x", 50), 72);
    EXPECT_EQ(ParseProgress(Mpc, "0.0  167.3 kbps", 63), 63);
    EXPECT_EQ(ParseProgress(Mpc, "%|avg.bitrate|  speed", 63), 63);
    EXPECT_EQ(ParseProgress(Mpc, "12.5 no double space", 63), 63);
}

TEST(ProgressParser, OfrCountsOnlyCompressingChunksEndingInPercent)
{
    EXPECT_EQ(ParseProgress(Ofr, "Compressing 45.6%", 50), 72);
    EXPECT_EQ(ParseProgress(Ofr, "Compressing 45.6% done", 50), 50);
    EXPECT_EQ(ParseProgress(Ofr, "Decoding 45.6%", 50), 50);
    EXPECT_EQ(ParseProgress(Ofr, "Compressing 0%", 70), 70);
    EXPECT_EQ(ParseProgress(Ofr, "Compressing%", 70), 70);
}

TEST(ProgressParser, ChunksAreCutAtZeroAndTrimmed)
{
    using namespace std::string_literals;
    EXPECT_EQ(TrimChunk("\r\n\t 12% \x1b\0garbage 99%"s), "12%");
    EXPECT_EQ(TrimChunk(" \r\n"), "");
    EXPECT_EQ(TrimChunk("caf\xc3\xa9"), "caf\xc3\xa9");
}

TEST(ProgressParser, FlacAndOfrReadSmallChunks)
{
    EXPECT_EQ(engine::ProgressReadSize(Flac), 32u);
    EXPECT_EQ(engine::ProgressReadSize(Ofr), 32u);
    EXPECT_EQ(engine::ProgressReadSize(Mp3), 128u);
    EXPECT_EQ(engine::ProgressReadSize(Mpc), 128u);
}
