// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/CommentText.h"
#include "analysis/VorbisComments.h"

#include <gtest/gtest.h>

using namespace analysis;

TEST(CommentText, DecodingKeepsWholeCharactersAndStopsAtTheFirstMalformedOne)
{
    EXPECT_EQ(DecodeCommentText("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5z"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5z");
    EXPECT_EQ(DecodeCommentText("ok\xE9 rest"), "ok");           // a Latin-1 byte
    EXPECT_EQ(DecodeCommentText("ok\xF0\x9F\x8E"), "ok");        // cut four-byte sequence
    EXPECT_EQ(DecodeCommentText("ok\xC0\xAF"), "ok");            // overlong
    EXPECT_EQ(DecodeCommentText("ok\xED\xA0\x80"), "ok");        // surrogate half
    EXPECT_EQ(DecodeCommentText("ok\xF4\x90\x80\x80"), "ok");    // past U+10FFFF
}

TEST(CommentText, EncodingWritesOnlyWellFormedText)
{
    EXPECT_EQ(EncodeCommentText("\xF0\x9D\x84\x9E"), "\xF0\x9D\x84\x9E");
    EXPECT_EQ(EncodeCommentText("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(TrimControls(" \t x y\r\n"), "x y");
}

TEST(VorbisComments, CountsBeyondTheDataEndTheWalk)
{
    Bytes data = BuildVorbisComments("vendor", {"A=1", "B=2"});
    data[10] = 0xFF;  // the count's low byte: 255 items announced
    const VorbisCommentList list = ParseVorbisComments(data);
    EXPECT_EQ(list.vendor, "vendor");
    EXPECT_EQ(list.items, (std::vector<std::string>{"A=1", "B=2"}));
    EXPECT_FALSE(list.complete);
    data.resize(25);  // the second item's length passes the end
    EXPECT_EQ(ParseVorbisComments(data).items.size(), 1u);
    EXPECT_FALSE(SplitCommentItem("=value"));
    EXPECT_EQ(SplitCommentItem("tItle=a=b")->name, "TITLE");
    EXPECT_EQ(SplitCommentItem("tItle=a=b")->value, "a=b");
}
