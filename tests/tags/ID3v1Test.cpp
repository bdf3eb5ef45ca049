// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "TagTestFiles.h"
#include "tags/classes/ID3v1.h"

using namespace tagtest;

namespace {

class ID3v1Test : public ::testing::Test {
protected:
    testsupport::TempFolder folder;
    std::filesystem::path file = folder / "a.mp3";

    TID3v1 LoadBytes(const std::string& bytes)
    {
        WriteFile(file, bytes);
        TID3v1 tag;
        EXPECT_TRUE(tag.Load(file));
        return tag;
    }
};

TEST_F(ID3v1Test, VersionFromCommentTail)
{
    struct Case {
        unsigned char b125, b126;
        int version, track;
        std::string comment;
    } cases[] = {
        {0, 7, 2, 7, "Note"}, {32, 7, 2, 7, "Note"}, {32, 32, 1, 0, "Note"}, {0, 0, 1, 0, "Note"},
        {'x', 'y', 1, 0, "Note" + std::string(24, ' ') + "xy"},
    };
    for (const Case& c : cases) {
        const TID3v1 tag = LoadBytes("audio" + ID3v1("Song", "Note", c.b125, c.b126, 12, ' '));
        EXPECT_TRUE(tag.Exists());
        EXPECT_EQ(tag.Version(), c.version) << int(c.b125) << "/" << int(c.b126);
        EXPECT_EQ(tag.Track(), c.track);
        EXPECT_EQ(tag.Comment(), c.comment);
    }
}

TEST_F(ID3v1Test, ZeroAndSpacePaddingReadTheSame)
{
    for (const char pad : {'\0', ' '}) {
        const TID3v1 tag = LoadBytes(ID3v1("Song", "", 0, 0, 17, pad));
        EXPECT_EQ(tag.Title(), "Song");
        EXPECT_EQ(tag.Artist(), "Artist");
        EXPECT_EQ(tag.Year(), "1999");
        EXPECT_EQ(tag.Genre(), "Rock");
    }
}

TEST_F(ID3v1Test, UnknownGenreByteSurvivesSave)
{
    TID3v1 tag = LoadBytes("audio" + ID3v1("Song", "", 0, 0, 200));
    EXPECT_EQ(tag.GenreID(), 200);
    EXPECT_EQ(tag.Genre(), "");
    ASSERT_TRUE(tag.Save(file));
    EXPECT_EQ(static_cast<unsigned char>(ReadFile(file).back()), 200);
}

TEST_F(ID3v1Test, GenreLookupIgnoresCase)
{
    TID3v1 tag;
    tag.SetGenre("rock");
    EXPECT_EQ(tag.GenreID(), 17);
    tag.SetGenre("SYNTHPOP ");
    EXPECT_EQ(tag.GenreID(), 147);
    tag.SetGenre("Alternative Rock");
    EXPECT_EQ(tag.GenreID(), 255);
    tag.SetGenre("");
    EXPECT_EQ(tag.GenreID(), 255);
    EXPECT_STREQ(GenreNames[40], "AlternRock");
}

TEST_F(ID3v1Test, LongTitleWithoutLyricsIsCutToThirty)
{
    WriteFile(file, "audio");
    TID3v1 tag;
    const std::string title(40, 'T');
    tag.SetTitle(title);
    EXPECT_EQ(tag.ExtTitle(), title);
    ASSERT_TRUE(tag.Save(file));
    EXPECT_EQ(ReadFile(file).size(), 5u + 128u);
    TID3v1 again;
    ASSERT_TRUE(again.Load(file));
    EXPECT_EQ(again.Title(), title.substr(0, 30));
    EXPECT_FALSE(again.Lyrics3Exists());
}

TEST_F(ID3v1Test, TextOutsideLatin1BecomesQuestionMarks)
{
    WriteFile(file, "audio");
    TID3v1 tag;
    tag.SetTitle("Café Ω");
    tag.SetArtist(std::string(29, 'a') + "é");  // 30 characters, 31 bytes: no long form
    EXPECT_EQ(tag.ExtArtist(), "");
    ASSERT_TRUE(tag.Save(file));
    const std::string bytes = ReadFile(file);
    EXPECT_EQ(bytes.substr(bytes.size() - 125, 6), "Caf\xE9 ?");
    TID3v1 again;
    ASSERT_TRUE(again.Load(file));
    EXPECT_EQ(again.Title(), "Café ?");
    EXPECT_EQ(again.Artist(), std::string(29, 'a') + "é");
}

TEST_F(ID3v1Test, Lyrics3RoundTripKeepsLongTitleAndLineEnds)
{
    WriteFile(file, "audio");
    TID3v1 tag;
    const std::string title = "A title that is longer than thirty characters";
    tag.SetTitle(title);
    tag.SetLyrics("one\rtwo\r\nthree");
    tag.SetTrack(3);
    ASSERT_TRUE(tag.Save(file));
    const std::string bytes = ReadFile(file);
    EXPECT_NE(bytes.find("LYRICSBEGININD0000210ETT00045" + title + "LYR00014one\rtwo\r\nthree"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 128 - 9, 9), "LYRICS200");
    EXPECT_EQ(bytes.substr(bytes.size() - 125, 30), title.substr(0, 30));

    TID3v1 again;
    ASSERT_TRUE(again.Load(file));
    EXPECT_TRUE(again.Lyrics3Exists());
    EXPECT_EQ(again.Title(), title);
    EXPECT_EQ(again.Lyrics(), "one\r\ntwo\r\nthree");
    EXPECT_EQ(again.Track(), 3);
    // Saving what was loaded gives the same bytes but the normalised line end.
    ASSERT_TRUE(again.Save(file));
    TID3v1 third;
    ASSERT_TRUE(third.Load(file));
    EXPECT_EQ(third.Lyrics(), again.Lyrics());
    EXPECT_EQ(ReadFile(file).substr(0, 5), "audio");
}

TEST_F(ID3v1Test, Lyrics3BlockWithoutID3v1IsFoundAndStripped)
{
    const std::string block = "LYRICSBEGIN" "IND0000200" "AUT00003Bob";
    WriteFile(file, "audio" + block + "000032LYRICS200");
    TID3v1 tag;
    ASSERT_TRUE(tag.Load(file));
    EXPECT_FALSE(tag.Exists());
    EXPECT_TRUE(tag.Lyrics3Exists());
    EXPECT_EQ(tag.Lyrics3Size(), 32);
    EXPECT_EQ(tag.Author(), "Bob");
    ASSERT_TRUE(tag.Strip(file));
    EXPECT_EQ(ReadFile(file), "audio");
}

TEST_F(ID3v1Test, OversizeLyricsFieldIsLeftOut)
{
    WriteFile(file, "audio");
    TID3v1 tag;
    tag.SetAuthor("Bob");
    tag.SetLyrics(std::string(100000, 'l'));
    ASSERT_TRUE(tag.Save(file));
    TID3v1 again;
    ASSERT_TRUE(again.Load(file));
    EXPECT_TRUE(again.Lyrics3Exists());
    EXPECT_EQ(again.Author(), "Bob");
    EXPECT_EQ(again.Lyrics(), "");
}

TEST_F(ID3v1Test, ShortAndBrokenFilesReportNoTag)
{
    for (const std::string& bytes : {std::string(), std::string("TAG"), std::string(100, 'x'),
                                     std::string("audio999999LYRICS200") + ID3v1("S", "", 0, 0, 1),
                                     std::string("LYRICSBEGIN") + "000010LYRICS200"}) {
        const TID3v1 tag = LoadBytes(bytes);
        EXPECT_FALSE(tag.Lyrics3Exists());
        EXPECT_EQ(tag.Lyrics3Size(), 0);
        EXPECT_EQ(tag.ExtTitle(), "");
    }
    // A field longer than its block ends the field list, nothing is read past it.
    const TID3v1 cut = LoadBytes(std::string("LYRICSBEGIN") + "ETT99999abc" + "000022LYRICS200");
    EXPECT_TRUE(cut.Lyrics3Exists());
    EXPECT_EQ(cut.Title(), "");
    TID3v1 tag;
    EXPECT_FALSE(tag.Load(folder / "missing.mp3"));
    EXPECT_FALSE(tag.Save(folder / "missing.mp3"));
    EXPECT_FALSE(std::filesystem::exists(folder / "missing.mp3"));
}

TEST_F(ID3v1Test, StripLeavesOtherTagsAndAudio)
{
    const std::string ape = "APETAGEX";  // not a tag of ours: kept as audio bytes
    WriteFile(file, "audio" + ape + ID3v1("S", "", 0, 0, 1));
    TID3v1 tag;
    ASSERT_TRUE(tag.Strip(file));
    EXPECT_EQ(ReadFile(file), "audio" + ape);
    ASSERT_TRUE(tag.Strip(file));
    EXPECT_EQ(ReadFile(file), "audio" + ape);
}

}  // namespace
