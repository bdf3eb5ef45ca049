// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "TagTestFiles.h"
#include "support/TestAudio.h"
#include "tags/TagInfo.h"
#include "tags/classes/APETag.h"
#include "tags/classes/ID3v1.h"
#include "tags/classes/TagLayout.h"

using namespace tagtest;

namespace {

const std::string Audio(500, '\x42');

std::string Le32(std::uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

std::string Item(const std::string& key, const std::string& value, std::uint32_t flags = 0)
{
    return Le32(static_cast<std::uint32_t>(value.size())) + Le32(flags) + key + '\0' + value;
}

std::string Footer(std::uint32_t version, std::uint32_t size, std::uint32_t count, std::uint32_t flags)
{
    return "APETAGEX" + Le32(version) + Le32(size) + Le32(count) + Le32(flags) + std::string(8, '\0');
}

// A version 2000 tag with header, or version 1000 with only a footer.
std::string Tag(const std::string& items, std::uint32_t count, bool withHeader)
{
    const auto size = static_cast<std::uint32_t>(items.size() + 32);
    if (!withHeader)
        return items + Footer(1000, size, count, 0);
    return Footer(2000, size, count, 0xA0000000) + items + Footer(2000, size, count, 0x80000000);
}

class APETagTest : public ::testing::Test {
protected:
    testsupport::TempFolder folder;
    std::filesystem::path file = folder / "a.ape";

    TAPETag LoadBytes(const std::string& bytes)
    {
        WriteFile(file, bytes);
        TAPETag tag;
        EXPECT_TRUE(tag.Load(file));
        return tag;
    }
};

TEST_F(APETagTest, ShortFiles)
{
    WriteFile(file, std::string(100, 'x'));
    TAPETag tag;
    EXPECT_TRUE(tag.Load(file));
    EXPECT_FALSE(tag.Exists());
    WriteFile(file, std::string(20, 'x'));
    EXPECT_FALSE(tag.Load(file));
    EXPECT_FALSE(tag.Load(folder / "missing.ape"));
    EXPECT_FALSE(tag.Save(folder / "missing.ape"));
}

TEST_F(APETagTest, Version1000WithoutHeaderIsReplacedWithoutTouchingAudio)
{
    TAPETag tag = LoadBytes(Audio + Tag(Item("Title", "Old"), 1, false));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.Version(), 1000u);
    EXPECT_EQ(tag.GetItem("title"), "Old");
    tag.SetItem("Title", "New");
    ASSERT_TRUE(tag.Save(file));
    EXPECT_EQ(ReadFile(file), Audio + Tag(Item("Title", "New"), 1, true));
}

TEST_F(APETagTest, HeaderFlagWithoutHeaderCutsOnlyTheTag)
{
    const std::string items = Item("Title", "Old");
    const auto size = static_cast<std::uint32_t>(items.size() + 32);
    TAPETag tag = LoadBytes(Audio + items + Footer(2000, size, 1, 0x80000000));
    ASSERT_TRUE(tag.RemoveFromFile(file));
    EXPECT_EQ(ReadFile(file), Audio);
}

TEST_F(APETagTest, LongValuesAreReadWhole)
{
    const std::string value(300, 'v');
    const TAPETag tag = LoadBytes(Audio + Tag(Item("Lyrics", value) + Item("Artist", "Band"), 2, true));
    ASSERT_EQ(tag.Fields().size(), 2u);
    EXPECT_EQ(tag.GetItem("LYRICS"), value);
    EXPECT_EQ(tag.GetItem("artist"), "Band");
}

TEST_F(APETagTest, KeysIgnoreCase)
{
    TAPETag tag = LoadBytes(Audio + Tag(Item("TITLE", "Old"), 1, true));
    EXPECT_EQ(tag.GetItem("Title"), "Old");
    tag.SetItem("Title", "New");
    ASSERT_EQ(tag.Fields().size(), 1u);
    EXPECT_EQ(tag.Fields()[0].Name, "TITLE");
    EXPECT_EQ(tag.GetItem("title"), "New");
    EXPECT_EQ(tag.GetItem("Album"), "");
}

TEST_F(APETagTest, SizeOfTwoItemsAndID3v1KeptBehind)
{
    const std::string id3v1 = ID3v1("Song", "", 0, 0, 17);
    WriteFile(file, Audio + id3v1);
    TAPETag tag;
    ASSERT_TRUE(tag.Load(file));
    tag.SetItem("Title", "Song");
    tag.SetItem("Artist", "Band");
    ASSERT_TRUE(tag.Save(file));
    const std::string saved = ReadFile(file);
    EXPECT_EQ(saved.size(), Audio.size() + 32 + 69 + 128);
    EXPECT_EQ(saved.substr(saved.size() - 128), id3v1);
    EXPECT_EQ(saved.substr(0, Audio.size()), Audio);
    const std::string footer = saved.substr(saved.size() - 128 - 32, 32);
    EXPECT_EQ(footer.substr(12, 8), Le32(69) + Le32(2));

    // Replacing the tag again: the old one goes, ID3v1 and audio stay.
    TAPETag again;
    ASSERT_TRUE(again.Load(file));
    EXPECT_EQ(again.Size(), 69);
    again.SetItem("Album", "Record");
    ASSERT_TRUE(again.Save(file));
    const std::string resaved = ReadFile(file);
    EXPECT_EQ(resaved.substr(0, Audio.size()), Audio);
    EXPECT_EQ(resaved.substr(resaved.size() - 128), id3v1);
    TTagLayout layout;
    ASSERT_TRUE(ReadTagLayout(file, layout));
    EXPECT_EQ(layout.AudioEnd(), Audio.size());
    EXPECT_EQ(layout.APESize, resaved.size() - 128 - Audio.size());
}

TEST_F(APETagTest, Utf8AndBinaryValuesSurviveASave)
{
    const std::string cover = std::string("  \0\1\2 png ", 11);
    TAPETag tag = LoadBytes(Audio + Tag(Item("Cover Art (Front)", cover, 2) + Item("Title", "Ключ"), 2, true));
    EXPECT_EQ(tag.GetItem("Cover Art (Front)"), cover);
    ASSERT_TRUE(tag.Save(file));
    TAPETag again;
    ASSERT_TRUE(again.Load(file));
    EXPECT_EQ(again.GetItem("cover art (front)"), cover);
    EXPECT_EQ(again.Fields()[0].Flags, 2u);
    EXPECT_EQ(again.GetItem("Title"), "Ключ");
}

TEST_F(APETagTest, MalformedFootersNeverCutAudio)
{
    const std::string cases[] = {
        Audio + Footer(2000, 0xFFFFFFF0, 3, 0x80000000),       // size beyond the file
        Audio + Footer(2000, 10, 3, 0x80000000),               // size below a footer
        Audio + Item("Title", "x") + Footer(2000, 47, 0xFFFFFFFF, 0),  // huge item count
        Audio + Le32(999999) + Le32(0) + "Key" + '\0' + Footer(2000, 44, 1, 0),  // value beyond the tag
    };
    for (const std::string& bytes : cases) {
        TAPETag tag = LoadBytes(bytes);
        EXPECT_TRUE(tag.Exists());
        tag.SetItem("Title", "New");
        ASSERT_TRUE(tag.Save(file));
        EXPECT_EQ(ReadFile(file).substr(0, Audio.size()), Audio);
        TAPETag again;
        ASSERT_TRUE(again.Load(file));
        EXPECT_EQ(again.GetItem("Title"), "New");
    }
}

}  // namespace

namespace {

const std::string Lyrics = std::string("LYRICSBEGIN" "IND0000200" "AUT00003Bob") + "000032LYRICS200";

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Every writer, one after another, on a file with Lyrics3 and APE in the
// given order before ID3v1: each tag is updated where it stands.
TEST_F(APETagTest, LyricsAndApeInEitherOrderStayWhole)
{
    const std::string id3v1 = ID3v1("Song", "", 0, 3, 17);
    const std::string ape = Tag(Item("Title", "Old"), 1, true);
    for (const bool apeFirst : {true, false}) {
        const std::string back = apeFirst ? ape + Lyrics : Lyrics + ape;
        TAPETag tag = LoadBytes(Audio + back + id3v1);
        EXPECT_EQ(tag.GetItem("Title"), "Old") << apeFirst;
        tag.SetItem("Title", "New");
        ASSERT_TRUE(tag.Save(file));
        const std::string newApe = Tag(Item("Title", "New"), 1, true);
        EXPECT_EQ(ReadFile(file), Audio + (apeFirst ? newApe + Lyrics : Lyrics + newApe) + id3v1) << apeFirst;

        TID3v1 v1;
        ASSERT_TRUE(v1.Load(file));
        EXPECT_EQ(v1.Author(), "Bob") << apeFirst;
        v1.SetTitle("Other");
        ASSERT_TRUE(v1.Save(file));
        const std::string saved = ReadFile(file);
        EXPECT_EQ(Count(saved, "APETAGEX"), 2u) << apeFirst;
        EXPECT_EQ(Count(saved, "LYRICSBEGIN"), 1u) << apeFirst;
        EXPECT_EQ(saved.substr(0, Audio.size() + newApe.size()), Audio + newApe) << apeFirst;
        TAPETag again;
        ASSERT_TRUE(again.Load(file));
        EXPECT_EQ(again.GetItem("Title"), "New") << apeFirst;
    }
}

TEST_F(APETagTest, NewTagGoesInFrontOfLyricsAndID3v1)
{
    const std::string id3v1 = ID3v1("Song", "", 0, 3, 17);
    WriteFile(file, Audio + Lyrics + id3v1);
    TAPETag tag;
    ASSERT_TRUE(tag.Load(file));
    EXPECT_FALSE(tag.Exists());
    tag.SetItem("Title", "T");
    ASSERT_TRUE(tag.Save(file));
    EXPECT_EQ(ReadFile(file), Audio + Tag(Item("Title", "T"), 1, true) + Lyrics + id3v1);
    ASSERT_TRUE(tag.RemoveFromFile(file));
    EXPECT_EQ(ReadFile(file), Audio + Lyrics + id3v1);
}

// A 131-byte tag puts the "TAG" of its header's "APETAGEX" 128 bytes before
// the end; mutagen writes such tags for ordinary values.
TEST_F(APETagTest, TagWhoseHeaderLooksLikeID3v1)
{
    const std::string items = Item("Title", std::string(53, 't'));
    ASSERT_EQ(items.size(), 67u);
    const std::string tag131 = Tag(items, 1, true);
    ASSERT_EQ(tag131.size(), 131u);
    TAPETag tag = LoadBytes(Audio + tag131);
    EXPECT_EQ(tag.GetItem("Title"), std::string(53, 't'));
    TID3v1 v1;
    ASSERT_TRUE(v1.Load(file));
    EXPECT_FALSE(v1.Exists());
    tag.SetItem("Artist", "A");
    ASSERT_TRUE(tag.Save(file));
    TAPETag again;
    ASSERT_TRUE(again.Load(file));
    EXPECT_EQ(again.GetItem("Title"), std::string(53, 't'));
    EXPECT_EQ(again.GetItem("Artist"), "A");
    EXPECT_EQ(ReadFile(file).substr(0, Audio.size() + 1), Audio + "A");

    // The same with mutagen's own writer, read back by mutagen after our save.
    const std::filesystem::path mp3 = CopyTone(folder);
    std::string out;
    ASSERT_EQ(RunProgram({"/usr/bin/python3", "-c",
                          "import sys, mutagen.apev2 as a\nt = a.APEv2(); t['Title'] = 'x' * 53; t.save(sys.argv[1])",
                          mp3.string()}),
              0);
    ASSERT_EQ(ReadFile(mp3).size(), ToneBytes().size() + 131);
    TAPETag ours;
    ASSERT_TRUE(ours.Load(mp3));
    ours.SetItem("Album", "B");
    ASSERT_TRUE(ours.Save(mp3));
    ASSERT_EQ(RunProgram({"/usr/bin/python3", "-c",
                          "import sys, mutagen.apev2 as a\nt = a.APEv2(sys.argv[1])\n"
                          "print(str(t['Title']), str(t['Album']), len(t.keys()))",
                          mp3.string()},
                         &out),
              0);
    EXPECT_EQ(out, std::string(53, 'x') + " B 2\n");
    EXPECT_EQ(ReadFile(mp3).substr(0, ToneBytes().size()), ToneBytes());
}

}  // namespace

namespace {

TEST_F(APETagTest, ID3v2ReachingIntoTheBackTagsMovesNothing)
{
    const std::string id3v1 = ID3v1("Song", "", 0, 3, 17);
    // The ID3v2 size covers the whole file but the ID3v1 tag.
    std::string bytes = "ID3\3\0\0" + std::string("\0\0\x03\x7F", 4) + std::string(600, '\0');
    bytes.resize(bytes.size() - 100);
    bytes += id3v1;
    TAPETag tag = LoadBytes(bytes);
    tag.SetItem("Title", "T");
    ASSERT_TRUE(tag.Save(file));
    const std::string saved = ReadFile(file);
    EXPECT_EQ(saved.substr(saved.size() - 128), id3v1);
    EXPECT_EQ(saved.substr(0, bytes.size() - 128), bytes.substr(0, bytes.size() - 128));
    TAPETag again;
    ASSERT_TRUE(again.Load(file));
    EXPECT_EQ(again.GetItem("Title"), "T");
}

}  // namespace

namespace {

TEST_F(APETagTest, ID3v1EndingInFooterLikeBytesStaysID3v1)
{
    // The comment and genre bytes spell a footer, but not as any writer makes
    // one: reserved bytes in use, or items that do not fill the tag.
    for (const std::string& lookalike : {Footer(2000, 40, 1, 0x80000000).substr(0, 24) + "reserved",
                                         Footer(2000, 40, 1, 0x80000000)}) {
        std::string id3v1 = ID3v1("Song", "", 0, 3, 17);
        id3v1.replace(96, 32, lookalike);
        TAPETag tag = LoadBytes(Audio + id3v1);
        EXPECT_FALSE(tag.Exists());
        TID3v1 v1;
        ASSERT_TRUE(v1.Load(file));
        EXPECT_TRUE(v1.Exists());
        tag.SetItem("Title", "T");
        ASSERT_TRUE(tag.Save(file));
        EXPECT_EQ(ReadFile(file), Audio + Tag(Item("Title", "T"), 1, true) + id3v1);
    }
}

}  // namespace

// A tagger may mark an item read-only (bit 0 of its flags): a write that
// would change it fails naming it and leaves the file as it was; a write of
// other items goes through and keeps the item and its mark.
TEST_F(APETagTest, ReadOnlyItemIsReportedNotCleared)
{
    const std::filesystem::path song = folder / "locked.mpc";
    WriteFile(song, testaudio::ReadBytes(testaudio::Get("tone.mpc")) +
                        Tag(Item("Title", "Locked", 1) + Item("Artist", "Band"), 2, true));
    TTAGInfo read;
    ReadTagInfo(song, read);
    ASSERT_EQ(read.Title, "Locked");
    const std::string before = testaudio::ReadBytes(song);

    // A new value, and none.
    for (const char* title : {"Other", ""}) {
        TTAGInfo edit = read;
        edit.Title = title;
        const std::string problem = WriteTagInfo(song, edit);
        EXPECT_NE(problem.find("\"Title\" is read-only"), std::string::npos) << problem;
        EXPECT_NE(problem.find(song.string()), std::string::npos) << problem;
        EXPECT_EQ(testaudio::ReadBytes(song), before) << "a refused write changed the file";
    }

    TTAGInfo edit = read;
    edit.Artist = "New Band";
    EXPECT_EQ(WriteTagInfo(song, edit), "");
    TAPETag tag;
    ASSERT_TRUE(tag.Load(song));
    ASSERT_NE(tag.FindItem("Title"), nullptr);
    EXPECT_EQ(tag.FindItem("Title")->Value, "Locked");
    EXPECT_TRUE(tag.FindItem("Title")->ReadOnly());
    EXPECT_EQ(tag.GetItem("Artist"), "New Band");
}
