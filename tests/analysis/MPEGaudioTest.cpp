// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnalysisFiles.h"
#include "analysis/MPEGaudio.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace analysistest;

namespace {

// MPEG 1 Layer III, 128 kbit/s, 44100 Hz: 417 bytes a frame unpadded.
const ByteString Header128("\xFF\xFB\x90\x00", 4);
const ByteString FreeFormat("\xFF\xFB\x00\x00", 4);

ByteString Frames(const ByteString& header, std::size_t length, int count)
{
    ByteString frame = header;
    frame.resize(length, '\0');
    ByteString out;
    for (int i = 0; i < count; ++i)
        out += frame;
    return out;
}

analysis::Bytes Block(const ByteString& bytes)
{
    return analysis::Bytes(bytes.begin(), bytes.end());
}

}  // namespace

TEST(MPEGaudio, EncodedFileReportsItsTags)
{
    testsupport::TempFolder folder;
    const fs::path path = CopyAudio(folder, "tone.mp3", "--odd name.mp3");
    Tool({"id3v2", "-t", "Title", "-a", "Artist", path.string()});
    TMPEGaudio mpeg;
    ASSERT_TRUE(mpeg.Load(path));
    EXPECT_TRUE(mpeg.Frame.Found);
    EXPECT_EQ(analysis::FrameSampleRate(mpeg.Frame), 44100);
    EXPECT_EQ(mpeg.Frame.VersionCode, 3);
    EXPECT_EQ(mpeg.Frame.LayerCode, 1);
    EXPECT_TRUE(mpeg.ID3v2.Exists());
    EXPECT_EQ(mpeg.ID3v2.Title(), "Title");
    EXPECT_TRUE(mpeg.ID3v1.Exists());
    EXPECT_EQ(mpeg.ID3v1.Artist(), "Artist");
    EXPECT_FALSE(mpeg.APEtag.Exists());
}

TEST(MPEGaudio, FrameTablesAndLength)
{
    TMPEGframe frame = analysis::DecodeFrameHeader(reinterpret_cast<const std::uint8_t*>(Header128.data()));
    EXPECT_EQ(analysis::FrameBitRate(frame), 128);
    EXPECT_EQ(analysis::FrameLength(frame), 417);
    frame.Padded = true;
    EXPECT_EQ(analysis::FrameLength(frame), 418);
    // MPEG 2 Layer I, 32 kbit/s, 22050 Hz, padded: 24 * 32000 / 22050 + 4.
    const ByteString layerI("\xFF\xF7\x12\x00", 4);
    frame = analysis::DecodeFrameHeader(reinterpret_cast<const std::uint8_t*>(layerI.data()));
    EXPECT_EQ(analysis::FrameLength(frame), 34 + 4);
    // MPEG 2.5 Layer III, 8 kbit/s, 8000 Hz.
    const ByteString low("\xFF\xE3\x18\x00", 4);
    frame = analysis::DecodeFrameHeader(reinterpret_cast<const std::uint8_t*>(low.data()));
    EXPECT_EQ(analysis::FrameSampleRate(frame), 8000);
    EXPECT_EQ(analysis::FrameLength(frame), 72);
}

TEST(MPEGaudio, SearchNeedsAConfirmingSuccessorWithinTheFirstPositions)
{
    // A header whose successor is no header is passed over.
    ByteString bytes = Header128 + ByteString(100, '\0') + Frames(Header128, 417, 2);
    TMPEGframe frame = analysis::FindFrame(Block(bytes));
    EXPECT_TRUE(frame.Found);
    EXPECT_EQ(frame.Position, 104u);

    bytes = ByteString(1729, '\0') + Frames(Header128, 417, 3);
    EXPECT_EQ(analysis::FindFrame(Block(bytes)).Position, 1729u);
    bytes = ByteString(1730, '\0') + Frames(Header128, 417, 3);
    EXPECT_FALSE(analysis::FindFrame(Block(bytes)).Found);
    // The successor must start inside the block; unread bytes are zero.
    bytes = ByteString(1729, '\0') + Frames(Header128, 417, 1);
    bytes += Header128.substr(0, 2);
    EXPECT_FALSE(analysis::FindFrame(Block(bytes)).Found);
}

TEST(MPEGaudio, WithoutFramesNoTagIsReported)
{
    testsupport::TempFolder folder;
    const fs::path text = folder / "text.mp3";
    WriteAll(text, Id3v2Tag("v2") + ByteString(5000, 'x') + Id3v1Tag("v1"));
    const fs::path free = folder / "free.mp3";
    WriteAll(free, Id3v2Tag("v2") + Frames(FreeFormat, 500, 20) + Id3v1Tag("v1"));
    for (const fs::path& path : {text, free}) {
        TMPEGaudio mpeg;
        EXPECT_TRUE(mpeg.Load(path));
        EXPECT_FALSE(mpeg.Frame.Found);
        EXPECT_FALSE(mpeg.ID3v1.Exists());
        EXPECT_FALSE(mpeg.ID3v2.Exists());
        EXPECT_EQ(mpeg.Frame.VersionCode, 1);
    }
    // A frame in a later block is found when it starts early in that block.
    const fs::path late = folder / "late.mp3";
    WriteAll(late, ByteString(3458 + 10, 'x') + Frames(Header128, 417, 3) + Id3v1Tag("v1"));
    TMPEGaudio mpeg;
    EXPECT_TRUE(mpeg.Load(late));
    EXPECT_EQ(mpeg.Frame.Position, 10u);
    EXPECT_EQ(mpeg.ID3v1.Title(), "v1");
    EXPECT_FALSE(mpeg.Load(folder / "missing.mp3"));
    EXPECT_FALSE(mpeg.Load(folder.path()));
}
