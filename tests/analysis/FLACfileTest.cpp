// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnalysisFiles.h"
#include "analysis/FLACfile.h"
#include "support/TestAudio.h"
#include "tags/classes/TagError.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace analysistest;

namespace {

fs::path TaggedFlac(const testsupport::TempFolder& folder, const std::vector<std::string>& tags)
{
    const fs::path path = CopyAudio(folder, "tone.flac", "song one.flac");
    std::vector<std::string> args = {"metaflac", "--remove-all-tags"};
    for (const std::string& tag : tags)
        args.push_back("--set-tag=" + tag);
    args.push_back(path.string());
    Tool(args);
    return path;
}

std::vector<std::string> Tags(const fs::path& path)
{
    return ToolLines({"metaflac", "--export-tags-to=-", path.string()});
}

// Lengths of the file's blocks of one type, as metaflac lists them.
std::vector<int> BlockLengths(const fs::path& path, const std::string& type)
{
    std::vector<int> out;
    for (const std::string& line : ToolLines({"metaflac", "--list", "--block-type=" + type, path.string()}))
        if (line.starts_with("  length: "))
            out.push_back(std::stoi(line.substr(10)));
    return out;
}

const std::string Clef = "\xF0\x9D\x84\x9E";

}  // namespace

TEST(FLACfile, ReadsWhatMetaflacWrote)
{
    testsupport::TempFolder folder;
    const std::string lyrics(1000, 'l');
    const fs::path path = TaggedFlac(folder, {"title=First", "TITLE=Second", "ARTIST=Caf\xC3\xA9 " + Clef,
                                              "TRACKNUMBER=3/9", "LYRICS=" + lyrics, "MY_OWN=x"});
    TFLACfile flac;
    ASSERT_TRUE(flac.Load(path));
    EXPECT_EQ(flac.Title, "First");
    EXPECT_EQ(flac.Artist, "Caf\xC3\xA9 " + Clef);
    EXPECT_EQ(flac.TrackNumber, "3/9");
    EXPECT_EQ(flac.Lyrics, lyrics);
    const std::vector<std::pair<std::string, std::string>> extras = {{"TITLE", "Second"}, {"MY_OWN", "x"}};
    EXPECT_EQ(flac.ExtraFields, extras);
    EXPECT_TRUE(flac.HasComments);
    EXPECT_EQ(flac.Channels, 2);
    EXPECT_EQ(flac.SampleRate, 44100u);
    EXPECT_EQ(flac.BitsPerSample, 16);
    EXPECT_EQ(flac.SampleCount, 88200u);
}

TEST(FLACfile, EditInPlaceKeepsSizeAudioOffsetAndOtherComments)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedFlac(folder, {"TITLE=Old", "title=Dup", "PERFORMER=P", "MY_OWN=x"});
    const auto samples = testaudio::DecodeS16(path);
    const auto size = fs::file_size(path);
    TFLACfile flac;
    ASSERT_TRUE(flac.Load(path));
    const auto audioOffset = flac.AudioOffset;
    const int padding = BlockLengths(path, "PADDING").at(0);
    const int comments = BlockLengths(path, "VORBIS_COMMENT").at(0);
    flac.Title = "New " + Clef;
    flac.Composer = "Writer";
    ASSERT_TRUE(flac.Save(path, false));

    EXPECT_EQ(fs::file_size(path), size);
    const auto tags = Tags(path);
    const std::vector<std::string> expected = {"TITLE=New " + Clef, "COMPOSER=Writer", "PERFORMER=P",
                                               "TITLE=Dup", "MY_OWN=x"};
    EXPECT_EQ(tags, expected);
    EXPECT_EQ(BlockLengths(path, "PADDING").at(0), padding - (BlockLengths(path, "VORBIS_COMMENT").at(0) - comments));
    EXPECT_EQ(testaudio::DecodeS16(path), samples);
    TFLACfile again;
    ASSERT_TRUE(again.Load(path));
    EXPECT_EQ(again.AudioOffset, audioOffset);

    // Saving unchanged fields gives the same file.
    const ByteString first = ReadAll(path);
    ASSERT_TRUE(again.Save(path, false));
    EXPECT_EQ(ReadAll(path), first);
}

TEST(FLACfile, CommentsOutgrowingThePaddingRebuildTheFile)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedFlac(folder, {"TITLE=t"});
    const auto samples = testaudio::DecodeS16(path);
    TFLACfile flac;
    ASSERT_TRUE(flac.Load(path));
    flac.Lyrics = std::string(20000, 'l');
    ASSERT_TRUE(flac.Save(path, false));
    EXPECT_EQ(BlockLengths(path, "PADDING"), std::vector<int>{4096});
    EXPECT_TRUE(Contains(Tags(path), "LYRICS=" + flac.Lyrics));
    EXPECT_EQ(testaudio::DecodeS16(path), samples);
    EXPECT_FALSE(fs::exists(path.string() + "~"));

    // Then the comments shrink again: in place, into the new padding.
    const auto size = fs::file_size(path);
    flac.Lyrics.clear();
    ASSERT_TRUE(flac.Save(path, false));
    EXPECT_EQ(fs::file_size(path), size);
    EXPECT_EQ(Tags(path), std::vector<std::string>{"TITLE=t"});
    EXPECT_EQ(testaudio::DecodeS16(path), samples);
}

TEST(FLACfile, CommentsFillingThePaddingExactlyRebuildTheFile)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedFlac(folder, {"TITLE=t"});
    TFLACfile flac;
    ASSERT_TRUE(flac.Load(path));
    // Vendor, count, then "TITLE=t" and "COMMENT=..." with their lengths.
    const std::size_t fixed = 4 + flac.Vendor.size() + 4 + 4 + 7 + 4 + 8;
    flac.Comment = std::string(flac.CommentSize + flac.PaddingSize - fixed, 'c');
    ASSERT_TRUE(flac.Save(path, false));
    EXPECT_EQ(BlockLengths(path, "PADDING"), std::vector<int>{4096});
    EXPECT_TRUE(Contains(Tags(path), "COMMENT=" + flac.Comment));
}

TEST(FLACfile, SplitPaddingIsGatheredInPlaceBehindTheComments)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedFlac(folder, {"TITLE=t"});
    const auto samples = testaudio::DecodeS16(path);
    TFLACfile flac;
    ASSERT_TRUE(flac.Load(path));
    const ByteString bytes = ReadAll(path);
    const auto block = [](char type, std::size_t length) {
        return ByteString{type, char(length >> 16), char(length >> 8), char(length)};
    };
    // Padding, comments, other blocks, padding flagged last.
    ByteString split = bytes.substr(0, 42) + block(1, 3000) + ByteString(3000, '\0') +
                       block(4, flac.CommentSize) + bytes.substr(flac.CommentOffset, flac.CommentSize);
    for (const TMetaDataBlock& other : flac.OtherBlocks)
        split += block(char(other.Header[0] & 0x7F), other.Data.size()) + ByteString(other.Data.begin(), other.Data.end());
    split += block(char(0x81), 500) + ByteString(500, '\0') + bytes.substr(flac.AudioOffset);
    WriteAll(path, split);

    ASSERT_TRUE(flac.Load(path));
    EXPECT_TRUE(flac.PaddingSplit);
    flac.Artist = "a";
    ASSERT_TRUE(flac.Save(path, false));
    EXPECT_EQ(fs::file_size(path), split.size());
    EXPECT_EQ(BlockLengths(path, "PADDING").size(), 1u);
    EXPECT_EQ(Tags(path), (std::vector<std::string>{"ARTIST=a", "TITLE=t"}));
    EXPECT_EQ(testaudio::DecodeS16(path), samples);
}

TEST(FLACfile, BlocksAfterThePaddingStayWhereTheyAre)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedFlac(folder, {"TITLE=t"});
    const auto samples = testaudio::DecodeS16(path);
    TFLACfile flac;
    ASSERT_TRUE(flac.Load(path));
    ASSERT_TRUE(flac.PaddingLast);
    // An application block behind the padding takes over the last-block flag.
    ByteString bytes = ReadAll(path);
    const std::size_t paddingHeader = flac.CommentOffset + flac.CommentSize;
    bytes[paddingHeader] = char(0x01);
    const ByteString application = ByteString("\x82\0\0\x08", 4) + "TEST1234";
    bytes.insert(flac.AudioOffset, application);
    WriteAll(path, bytes);

    ASSERT_TRUE(flac.Load(path));
    flac.Title = "longer title";
    ASSERT_TRUE(flac.Save(path, false));
    const ByteString saved = ReadAll(path);
    EXPECT_EQ(saved.size(), bytes.size());
    EXPECT_EQ(saved.substr(flac.AudioOffset - application.size(), application.size()), application);
    EXPECT_TRUE(Contains(Tags(path), "TITLE=longer title"));
    EXPECT_EQ(testaudio::DecodeS16(path), samples);
}

TEST(FLACfile, PictureBlockIsKeptInPlaceAndThroughARebuild)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedFlac(folder, {"TITLE=t"});
    const fs::path picture = folder / "cover.png";
    Tool({"ffmpeg", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i", "color=red:s=16x16", "-frames:v", "1",
          picture.string()});
    Tool({"metaflac", "--import-picture-from=" + picture.string(), path.string()});
    const auto pictureLength = BlockLengths(path, "PICTURE");
    ASSERT_EQ(pictureLength.size(), 1u);
    const auto samples = testaudio::DecodeS16(path);

    TFLACfile flac;
    ASSERT_TRUE(flac.Load(path));
    EXPECT_EQ(flac.Title, "t");
    flac.Artist = "a";
    ASSERT_TRUE(flac.Save(path, false));
    EXPECT_EQ(BlockLengths(path, "PICTURE"), pictureLength);
    flac.Lyrics = std::string(20000, 'l');
    ASSERT_TRUE(flac.Save(path, false));
    EXPECT_EQ(BlockLengths(path, "PICTURE"), pictureLength);
    EXPECT_TRUE(Contains(Tags(path), "ARTIST=a"));
    EXPECT_EQ(testaudio::DecodeS16(path), samples);
}

TEST(FLACfile, Id3v2TagInFrontIsKeptThroughBothWrites)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedFlac(folder, {"TITLE=t"});
    const auto samples = testaudio::DecodeS16(path);
    const ByteString tag = Id3v2Tag("id3 title", 500);
    WriteAll(path, tag + ReadAll(path));
    const auto size = fs::file_size(path);
    const fs::path plain = folder / "plain.flac";
    for (const std::size_t lyrics : {10u, 20000u}) {
        TFLACfile flac;
        ASSERT_TRUE(flac.Load(path));
        EXPECT_EQ(flac.StreamOffset, 500u);
        flac.Lyrics = std::string(lyrics, 'l');
        ASSERT_TRUE(flac.Save(path, false));
        const ByteString saved = ReadAll(path);
        EXPECT_EQ(saved.substr(0, tag.size()), tag);
        if (lyrics == 10) {
            EXPECT_EQ(saved.size(), size);
        }
        WriteAll(plain, saved.substr(tag.size()));
        EXPECT_TRUE(Contains(Tags(plain), "LYRICS=" + flac.Lyrics));
        EXPECT_EQ(testaudio::DecodeS16(plain), samples);
    }
}

TEST(FLACfile, FileWithoutCommentBlockIsRebuilt)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedFlac(folder, {"TITLE=t"});
    Tool({"metaflac", "--remove", "--block-type=VORBIS_COMMENT", path.string()});
    const auto samples = testaudio::DecodeS16(path);
    TFLACfile flac;
    ASSERT_TRUE(flac.Load(path));
    EXPECT_EQ(flac.CommentIndex, 0u);
    flac.Title = "new";
    ASSERT_TRUE(flac.Save(path, false));
    EXPECT_TRUE(Contains(Tags(path), "TITLE=new"));
    EXPECT_EQ(BlockLengths(path, "PADDING"), std::vector<int>{4096});
    EXPECT_EQ(testaudio::DecodeS16(path), samples);
    ASSERT_TRUE(flac.Load(path));
    EXPECT_EQ(flac.Vendor, "reference libFLAC 1.1.0 20030126");
}

TEST(FLACfile, ZeroLengthBlockDoesNotCutTheWalkShort)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedFlac(folder, {"TITLE=t"});
    const auto samples = testaudio::DecodeS16(path);
    const ByteString bytes = ReadAll(path);
    WriteAll(path, bytes.substr(0, 42) + ByteString("\x01\0\0\0", 4) + bytes.substr(42));
    for (const std::size_t lyrics : {0u, 20000u}) {
        TFLACfile flac;
        ASSERT_TRUE(flac.Load(path));
        EXPECT_EQ(flac.Title, "t");
        flac.Lyrics = std::string(lyrics, 'l');
        ASSERT_TRUE(flac.Save(path, false));
        EXPECT_EQ(testaudio::DecodeS16(path), samples);
        EXPECT_TRUE(Contains(Tags(path), "TITLE=t"));
    }
}

TEST(FLACfile, ClearingTheTagFieldsKeepsTheOtherComments)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedFlac(folder, {"TITLE=t", "ARTIST=a", "URL=u", "MOOD=calm", "PERFORMER=p", "X=y"});
    TFLACfile flac;
    ASSERT_TRUE(flac.Load(path));
    flac.Title.clear();
    flac.Artist.clear();
    flac.URL.clear();
    ASSERT_TRUE(flac.Save(path, false));
    EXPECT_EQ(Tags(path), (std::vector<std::string>{"MOOD=calm", "PERFORMER=p", "X=y"}));
    ASSERT_TRUE(flac.Save(path, true));
    EXPECT_EQ(Tags(path), std::vector<std::string>{"MOOD=calm"});
}

TEST(FLACfile, InvalidFilesAreNeitherReadNorWritten)
{
    testsupport::TempFolder folder;
    TFLACfile flac;
    EXPECT_THROW(flac.Load(folder / "missing.flac"), TagError);
    EXPECT_FALSE(flac.Save(folder / "missing.flac", false));

    const fs::path text = folder / "\xC3\xA4 text.flac";
    WriteAll(text, "fLaC but nothing else");
    EXPECT_FALSE(flac.Load(text));
    EXPECT_FALSE(flac.Save(text, false));

    // A block type the format reserves makes the file invalid.
    const fs::path path = TaggedFlac(folder, {"TITLE=t"});
    const ByteString bytes = ReadAll(path);
    const ByteString reserved = bytes.substr(0, 42) + ByteString("\x07\0\0\x02xy", 6) + bytes.substr(42);
    WriteAll(path, reserved);
    EXPECT_FALSE(flac.Load(path));
    EXPECT_FALSE(flac.Save(path, false));
    EXPECT_EQ(ReadAll(path), reserved);

    // Cut inside the metadata: the blocks pass the end of the file.
    WriteAll(path, bytes.substr(0, 60));
    EXPECT_FALSE(flac.Load(path));
    EXPECT_FALSE(flac.Save(path, false));
}
