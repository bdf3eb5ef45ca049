// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "tags/ExtraTagValues.h"
#include "tags/TagPictures.h"

using namespace extratags;
using TagLib::PropertyMap;
using TagLib::StringList;

namespace {

PropertyMap Map(std::initializer_list<std::pair<const char*, const char*>> values)
{
    PropertyMap map;
    for (const auto& [key, value] : values)
        map.insert(key, StringList(TagLib::String(value, TagLib::String::UTF8)));
    return map;
}

std::string Value(const PropertyMap& map, const char* key)
{
    return map.contains(key) ? map[key].toString(";").to8Bit(true) : "<none>";
}

}  // namespace

TEST(ExtraTagValues, NumbersAndTotalsMoveBetweenStyles)
{
    const PropertyMap split = SplitNumbers(Map({{"TRACKNUMBER", "3/12"}, {"DISCNUMBER", " 1 / 2 "}}));
    EXPECT_EQ(Value(split, "TRACKNUMBER"), "3");
    EXPECT_EQ(Value(split, "TRACKTOTAL"), "12");
    EXPECT_EQ(Value(split, "DISCNUMBER"), "1");
    EXPECT_EQ(Value(split, "DISCTOTAL"), "2");

    // The other spelling of the totals counts; a total of its own wins over the one in the number.
    const PropertyMap aliases = SplitNumbers(Map({{"TRACKNUMBER", "3/99"}, {"TRACKTOTAL", "12"}, {"TOTALDISCS", "2"}}));
    EXPECT_EQ(Value(aliases, "TRACKTOTAL"), "12");
    EXPECT_EQ(Value(aliases, "DISCTOTAL"), "2");
    EXPECT_EQ(Value(aliases, "TOTALDISCS"), "<none>");

    const PropertyMap joined = JoinNumbers(split, {true, false});
    EXPECT_EQ(Value(joined, "TRACKNUMBER"), "3/12");
    EXPECT_EQ(Value(joined, "TRACKTOTAL"), "<none>");
    EXPECT_EQ(Value(joined, "DISCNUMBER"), "1");
    EXPECT_EQ(Value(joined, "DISCTOTAL"), "2");

    // "/12" would help no reader: a total without a number stays apart.
    const PropertyMap alone = JoinNumbers(Map({{"TRACKTOTAL", "12"}}), {true, true});
    EXPECT_EQ(Value(alone, "TRACKNUMBER"), "<none>");
    EXPECT_EQ(Value(alone, "TRACKTOTAL"), "12");
}

TEST(ExtraTagValues, InputFillsOnlyWhatTheOutputLacks)
{
    const PropertyMap output = Map({{"TITLE", "Record title"}, {"TRACKNUMBER", "3"}, {"ALBUMARTIST", ""}});
    const PropertyMap input = Map({{"TITLE", "Other title"},
                                   {"TRACKNUMBER", "3/12"},
                                   {"ALBUMARTIST", "Band"},
                                   {"LYRICS", "la la"},
                                   {"ENCODER", "some encoder 1.0"},
                                   {"ENCODEDBY", "someone"},
                                   {"LENGTH", "1000"},
                                   {"COMMENT:ITUNSMPB", "gapless"}});

    const MergedValues merged = FillMissing(output, input, {true, true});

    EXPECT_EQ(Value(merged.values, "TITLE"), "Record title");
    EXPECT_EQ(Value(merged.values, "TRACKNUMBER"), "3/12");
    EXPECT_EQ(Value(merged.values, "ALBUMARTIST"), "Band");
    EXPECT_EQ(Value(merged.values, "LYRICS"), "la la");
    EXPECT_EQ(Value(merged.values, "ENCODER"), "<none>");
    EXPECT_EQ(Value(merged.values, "ENCODEDBY"), "<none>");
    EXPECT_EQ(Value(merged.values, "LENGTH"), "<none>");
    EXPECT_EQ(Value(merged.values, "COMMENT:ITUNSMPB"), "<none>");
    // The total went into the number, so the number is what came from the input.
    EXPECT_EQ(merged.added, (std::set<std::string>{"ALBUMARTIST", "LYRICS", "TRACKNUMBER"}));
}

TEST(ExtraTagValues, TrackNumberZeroIsNoNumber)
{
    const MergedValues merged = FillMissing(Map({{"TRACKNUMBER", "0"}}), Map({{"TRACKNUMBER", "5"}}), {});
    EXPECT_EQ(Value(merged.values, "TRACKNUMBER"), "5");
    EXPECT_EQ(merged.added, std::set<std::string>{"TRACKNUMBER"});
}

TEST(ExtraTagValues, EmptyInputAddsNothing)
{
    const MergedValues merged = FillMissing(Map({{"TITLE", "x"}}), PropertyMap(), {true, true});
    EXPECT_TRUE(merged.added.empty());
    EXPECT_EQ(Value(merged.values, "TITLE"), "x");
}

TEST(ExtraTagValues, TimesCutShortByTheRecordComeWhole)
{
    struct Case {
        const char* output;
        const char* input;
        const char* merged;
    };
    for (const Case& c : {Case{"2021", "2021-05-03 10:20:30", "2021-05-03T10:20:30"},
                          Case{"2021", "2021-05-03", "2021-05-03"},
                          // A value of the output's own that the input does not extend stays.
                          Case{"2020", "2021-05-03", "2020"}, Case{"2021-05-03", "2021", "2021-05-03"}}) {
        const MergedValues merged = FillMissing(Map({{"DATE", c.output}}), Map({{"DATE", c.input}}), {});
        EXPECT_EQ(Value(merged.values, "DATE"), c.merged) << c.output << " " << c.input;
    }
    const MergedValues original = FillMissing({}, Map({{"ORIGINALDATE", "1999-02-01 08:00"}}), {});
    EXPECT_EQ(Value(original.values, "ORIGINALDATE"), "1999-02-01T08:00");
}

TEST(ExtraTagValues, Id3v24OnlyWhenVersion23WouldLoseAValue)
{
    for (const auto& [values, needed] : std::initializer_list<std::pair<PropertyMap, bool>>{
             {Map({{"DATE", "2021-05-03T10:20"}, {"ORIGINALDATE", "1999"}, {"TITLE", "x"}}), false},
             {Map({{"DATE", "2021-05-03T10:20:30"}}), true},
             {Map({{"ORIGINALDATE", "1999-02-01"}}), true},
             {Map({{"MOOD", "Calm"}}), true},
             {Map({{"RELEASEDATE", "2021"}}), true},
             {Map({{"MOOD", " "}}), false}})
        EXPECT_EQ(NeedsId3v24(values), needed) << values.toString().to8Bit(true);
}

TEST(TagPictures, ApeCoverItems)
{
    EXPECT_EQ(ApeCoverKey(FrontCover), "Cover Art (Front)");
    EXPECT_EQ(ApeCoverKey(4), "Cover Art (Back)");
    EXPECT_EQ(ApeCoverKey(99), "Cover Art (Other)");
    EXPECT_EQ(ApeCoverType("COVER ART (FRONT)"), FrontCover);
    EXPECT_EQ(ApeCoverType("Cover Art (Publisher Logotype)"), 20);
    EXPECT_EQ(ApeCoverType("Cover Art"), -1);
    EXPECT_EQ(ApeCoverType("Title"), -1);

    TagPicture picture{4, "image/png", "back.png", TagLib::ByteVector("\x89PNG\r\n\x1a\n\0data", 13)};
    const TagPicture back = PictureFromApeItem(4, ApeItemFromPicture(picture));
    EXPECT_EQ(back.type, 4);
    EXPECT_EQ(back.description, "back.png");
    EXPECT_EQ(back.mime, "image/png");
    EXPECT_EQ(back.data, picture.data);

    // An item without the name part is all image.
    const TagPicture bare = PictureFromApeItem(FrontCover, TagLib::ByteVector("\xFF\xD8\xFF\xE0", 4));
    EXPECT_EQ(bare.description, "");
    EXPECT_EQ(bare.mime, "image/jpeg");
    EXPECT_EQ(bare.data.size(), 4u);
}

TEST(TagPictures, LossTextsAndOrder)
{
    EXPECT_EQ(PictureLoss({4, "", "", {}}), "picture (Back cover)");
    EXPECT_EQ(PictureLoss({-1, "", "", {}}), "picture (Other)");
    EXPECT_EQ(SniffMime(TagLib::ByteVector("GIF89a", 6)), "image/gif");
    EXPECT_EQ(SniffMime(TagLib::ByteVector("RIFF", 4)), "");

    std::vector<TagPicture> pictures = {{4, "", "back", {}}, {3, "", "front", {}}, {0, "", "other", {}},
                                        {3, "", "front 2", {}}};
    FrontCoversFirst(pictures);
    std::vector<std::string> order;
    for (const TagPicture& picture : pictures)
        order.push_back(picture.description);
    EXPECT_EQ(order, (std::vector<std::string>{"front", "front 2", "back", "other"}));
}
