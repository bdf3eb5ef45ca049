// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnalysisFiles.h"
#include "analysis/AACfile.h"
#include "analysis/FLACfile.h"
#include "analysis/MPEGaudio.h"
#include "analysis/Monkey.h"
#include "analysis/Musepack.h"
#include "analysis/OggVorbis.h"
#include "analysis/OptimFROG.h"
#include "support/TestAudio.h"
#include "tags/classes/TagError.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace analysistest;

namespace {

// mutagen drops an ID3v1 tag it finds, so that one is added after it.
void AddApeTitle(const fs::path& path, const std::string& title)
{
    Tool({"/usr/bin/python3", "-c",
          "import sys, mutagen.apev2 as a\nt = a.APEv2()\nt['Title'] = sys.argv[2]\nt.save(sys.argv[1])",
          path.string(), title});
}

// A file of the three tags around stream bytes.
fs::path Tagged(const testsupport::TempFolder& folder, const std::string& name, const ByteString& stream)
{
    const fs::path path = folder / name;
    WriteAll(path, Id3v2Tag("v2 title") + stream);
    AddApeTitle(path, "ape title");
    WriteAll(path, ReadAll(path) + Id3v1Tag("v1 title"));
    return path;
}

ByteString LE(std::uint32_t value, int bytes)
{
    ByteString out;
    for (int i = 0; i < bytes; ++i, value >>= 8)
        out += char(value & 0xFF);
    return out;
}

ByteString MonkeyHeader3990(std::uint32_t totalFrames)
{
    ByteString descriptor = "MAC " + LE(3990, 2) + LE(0, 2) + LE(52, 4) + LE(24, 4);
    descriptor.resize(52, '\0');
    return descriptor + LE(2000, 2) + LE(0, 2) + LE(73728, 4) + LE(1000, 4) + LE(totalFrames, 4) + LE(16, 2) +
           LE(2, 2) + LE(44100, 4) + ByteString(200, '\0');
}

ByteString MonkeyHeaderOld(std::uint32_t version, std::uint16_t flags, std::uint32_t totalFrames)
{
    return "MAC " + LE(version, 2) + LE(1000, 2) + LE(flags, 2) + LE(2, 2) + LE(44100, 4) + LE(0, 4) + LE(0, 4) +
           LE(totalFrames, 4) + LE(500, 4) + LE(0, 4) + ByteString(200, '\0');
}

template <typename Analyser>
void ExpectAllTags(const Analyser& analyser)
{
    EXPECT_EQ(analyser.ID3v2.Title(), "v2 title");
    EXPECT_EQ(analyser.ID3v1.Title(), "v1 title");
    EXPECT_EQ(analyser.APEtag.GetItem("title"), "ape title");
}

}  // namespace

TEST(Monkey, ValidHeadersReportTheTags)
{
    testsupport::TempFolder folder;
    TMonkey monkey;
    ASSERT_TRUE(monkey.Load(Tagged(folder, "new.ape", MonkeyHeader3990(3))));
    EXPECT_EQ(monkey.Version, 3990u);
    EXPECT_EQ(monkey.SampleCount, 2u * 73728 + 1000);
    EXPECT_EQ(monkey.Channels, 2u);
    EXPECT_EQ(monkey.SampleRate, 44100u);
    ExpectAllTags(monkey);

    ASSERT_TRUE(monkey.Load(Tagged(folder, "old.ape", MonkeyHeaderOld(3950, 0x09, 2))));
    EXPECT_EQ(monkey.BitsPerSample, 24u);
    EXPECT_EQ(monkey.SampleCount, 294912u + 500);
}

TEST(Monkey, IncompleteHeadersAreNotValid)
{
    testsupport::TempFolder folder;
    TMonkey monkey;
    EXPECT_FALSE(monkey.Load(Tagged(folder, "empty.ape", MonkeyHeaderOld(3970, 0, 0))));
    EXPECT_EQ(monkey.SampleCount, 0u);
    EXPECT_FALSE(monkey.Valid);
    EXPECT_FALSE(monkey.Load(Tagged(folder, "cut.ape", MonkeyHeader3990(3).substr(0, 60))));
    EXPECT_FALSE(monkey.Load(Tagged(folder, "none.ape", "no header")));
    EXPECT_FALSE(monkey.Load(folder / "missing.ape"));
}

TEST(MPEGplus, EncodedStreamReportsAllTags)
{
    testsupport::TempFolder folder;
    const fs::path path = Tagged(folder, "song.mpc", ReadAll(testaudio::Get("tone.mpc")));
    TMPEGplus mpc;
    ASSERT_TRUE(mpc.Load(path));
    EXPECT_TRUE(mpc.Valid);
    EXPECT_EQ(mpc.StreamVersion, 8);
    ExpectAllTags(mpc);
}

TEST(MPEGplus, StreamVersions)
{
    const auto version = [](const ByteString& header) {
        ByteString bytes = header;
        bytes.resize(32, '\0');
        return analysis::MusepackStreamVersion(reinterpret_cast<const std::uint8_t*>(bytes.data()));
    };
    EXPECT_EQ(version(ByteString("MP+\x07", 4)), 7);
    EXPECT_EQ(version(ByteString("MP+\x17", 4)), 71);
    EXPECT_EQ(version("MPCK"), 8);
    EXPECT_EQ(version(ByteString("\0\x06", 2)), 4);
    EXPECT_EQ(version(ByteString("\0\x0E", 2)), 5);
    EXPECT_EQ(version(ByteString("\0\x16", 2)), 6);
    EXPECT_EQ(version(ByteString("\0\x08", 2)), 0);
}

TEST(MPEGplus, UnknownHeaderReportsOnlyTheId3v2Tag)
{
    testsupport::TempFolder folder;
    TMPEGplus mpc;
    EXPECT_TRUE(mpc.Load(Tagged(folder, "odd.mpc", ByteString(64, 'z'))));
    EXPECT_FALSE(mpc.Valid);
    EXPECT_EQ(mpc.ID3v2.Title(), "v2 title");
    EXPECT_FALSE(mpc.ID3v1.Exists());
    EXPECT_FALSE(mpc.APEtag.Exists());
    const fs::path tiny = folder / "tiny.mpc";
    WriteAll(tiny, "MP+");
    EXPECT_FALSE(mpc.Load(tiny));
    EXPECT_FALSE(mpc.Load(folder / "missing.mpc"));
}

TEST(OptimFrog, HeaderDecidesAndOpenErrorsEscape)
{
    testsupport::TempFolder folder;
    TOptimFrog ofr;
    EXPECT_TRUE(ofr.Load(Tagged(folder, "good.ofr", "OFR " + ByteString(40, '\x01'))));
    ExpectAllTags(ofr);
    EXPECT_FALSE(ofr.Load(Tagged(folder, "bad.ofr", ByteString(40, 'x'))));
    const fs::path tiny = folder / "tiny.ofr";
    WriteAll(tiny, "OF");
    EXPECT_FALSE(ofr.Load(tiny));
    EXPECT_THROW(ofr.Load(folder / "missing.ofr"), TagError);
}

TEST(AACfile, TagsAreReportedWhateverTheStreamHolds)
{
    testsupport::TempFolder folder;
    const fs::path path = Tagged(folder, "song.aac", ReadAll(testaudio::Get("tone.aac")));
    TAACfile aac;
    ASSERT_TRUE(aac.Load(path));
    ExpectAllTags(aac);
    EXPECT_TRUE(aac.Load(Tagged(folder, "text.aac", "not a stream at all")));
    ExpectAllTags(aac);
    EXPECT_FALSE(aac.Load(folder / "missing.aac"));
}

TEST(Analysers, PathsThatAreNoFilesAreRefusedWithoutWaiting)
{
    testsupport::TempFolder folder;
    const fs::path fifo = folder / "pipe.mp3";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& path : {fifo, folder.path()}) {
        EXPECT_FALSE(TMPEGaudio().Load(path));
        EXPECT_FALSE(TMonkey().Load(path));
        EXPECT_FALSE(TMPEGplus().Load(path));
        EXPECT_FALSE(TAACfile().Load(path));
        EXPECT_THROW(TOptimFrog().Load(path), TagError);
        EXPECT_THROW(TOggVorbis().Load(path), TagError);
        EXPECT_THROW(TFLACfile().Load(path), TagError);
    }
}
