// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's fields as texts over an edited file: several values, track
// and disc numbers with their totals, and which kinds store what.

#include <gtest/gtest.h>

#include "tags/EditorFields.h"

namespace {

std::string Get(const TEditedFile& file, EditorFieldId id)
{
    return EditorField(id).get(file);
}

void Set(TEditedFile& file, EditorFieldId id, const std::string& text)
{
    EditorField(id).set(file, text);
}

}  // namespace

TEST(EditorFields, SeveralValuesSplitAtSemicolonsTrimmedWithoutEmptyOnes)
{
    EXPECT_EQ(SplitEditorValues(" A ;B;; ;C d "), (std::vector<std::string>{"A", "B", "C d"}));
    EXPECT_EQ(SplitEditorValues(""), std::vector<std::string>{});
    EXPECT_EQ(SplitEditorValues(";"), std::vector<std::string>{});
    EXPECT_EQ(JoinEditorValues({"A", "B"}), "A; B");

    TEditedFile file;
    Set(file, EditorFieldId::Artist, "Erste; Zweite");
    EXPECT_EQ(TagValues(file.record, TagFieldIndex(&TTAGInfo::Artist)), (std::vector<std::string>{"Erste", "Zweite"}));
    EXPECT_EQ(Get(file, EditorFieldId::Artist), "Erste; Zweite");
    // A title is one value, semicolons and all.
    Set(file, EditorFieldId::Title, "Part 1; Part 2");
    EXPECT_EQ(file.record.Title, "Part 1; Part 2");
}

TEST(EditorFields, TrackNumberAndTotalShareOneTextAndKeepEachOther)
{
    TEditedFile file;
    file.record.Track = "2/5";
    EXPECT_EQ(Get(file, EditorFieldId::Track), "2");
    EXPECT_EQ(Get(file, EditorFieldId::TrackTotal), "5");
    Set(file, EditorFieldId::Track, "300");
    EXPECT_EQ(file.record.Track, "300/5");
    Set(file, EditorFieldId::TrackTotal, " 312 ");
    EXPECT_EQ(file.record.Track, "300/312");
    Set(file, EditorFieldId::TrackTotal, "");
    EXPECT_EQ(file.record.Track, "300");
    // A total alone has no form to be stored in.
    Set(file, EditorFieldId::Track, "");
    Set(file, EditorFieldId::TrackTotal, "9");
    EXPECT_EQ(file.record.Track, "");
    // A number that is no plain number is shown and kept as it is.
    file.record.Track = "A1";
    EXPECT_EQ(Get(file, EditorFieldId::Track), "A1");
    Set(file, EditorFieldId::TrackTotal, "4");
    EXPECT_EQ(file.record.Track, "A1/4");

    Set(file, EditorFieldId::Disc, " 2 ");
    Set(file, EditorFieldId::DiscTotal, "3");
    EXPECT_EQ(file.extras.disc, "2");
    EXPECT_EQ(file.extras.discTotal, "3");
}

TEST(EditorFields, FilesAgreeOnAFieldOnlyWhenEveryTextIsTheSame)
{
    std::vector<TEditedFile> files(3);
    for (TEditedFile& file : files)
        file.record.Album = "Same";
    files[1].record.Comment = "first\r\nsecond\r\n";
    files[0].record.Comment = files[2].record.Comment = "first\nsecond";
    std::string text;
    EXPECT_TRUE(SameFieldText(files, EditorFieldId::Album, text));
    EXPECT_EQ(text, "Same");
    EXPECT_TRUE(SameFieldText(files, EditorFieldId::Comment, text)) << "line ends do not make a difference";
    EXPECT_EQ(text, "first\nsecond");
    files[2].extras.albumArtist = "Other";
    EXPECT_FALSE(SameFieldText(files, EditorFieldId::AlbumArtist, text));

    NumberTracks(files);
    EXPECT_EQ(files[0].record.Track, "1/3");
    EXPECT_EQ(files[2].record.Track, "3/3");
    EXPECT_FALSE(SameFieldText(files, EditorFieldId::Track, text));
    EXPECT_TRUE(SameFieldText(files, EditorFieldId::TrackTotal, text));
    EXPECT_EQ(text, "3");
}

TEST(EditorFields, KindsStoreWhatTheirWritersTake)
{
    const auto writable = [](EditorFieldId id, const char* file) { return EditorField(id).writable(file); };
    EXPECT_TRUE(writable(EditorFieldId::AlbumArtist, "a.mp3"));
    EXPECT_TRUE(writable(EditorFieldId::Disc, "a.wma"));
    EXPECT_FALSE(writable(EditorFieldId::AlbumArtist, "a.aac"));
    EXPECT_FALSE(writable(EditorFieldId::EncodedBy, "a.ogg"));
    EXPECT_FALSE(writable(EditorFieldId::Copyright, "a.m4a"));
    EXPECT_TRUE(writable(EditorFieldId::TrackTotal, "a.flac"));
}
