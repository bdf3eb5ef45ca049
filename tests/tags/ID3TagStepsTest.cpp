// SPDX-License-Identifier: GPL-3.0-or-later
// The record's reading and writing of files with ID3 and APE tags, checked
// with mutagen and the id3v2 program.

#include <gtest/gtest.h>

#include "TagTestFiles.h"
#include "tags/TagInfo.h"
#include "tags/classes/APETag.h"
#include "tags/classes/ID3v1.h"
#include "tags/classes/ID3v2.h"

using namespace tagtest;
namespace fs = std::filesystem;

namespace {

TTAGInfo Read(const fs::path& file)
{
    TTAGInfo info;
    ReadTagInfo(file, info);
    return info;
}

TEST(ID3TagSteps, Mp3ID3v2WinsOverApeWhichOnlyFillsGaps)
{
    testsupport::TempFolder folder;
    const fs::path file = CopyTone(folder);
    TAPETag ape;
    ape.SetItem("Title", "Stale APE title");
    ape.SetItem("Copyright", "From APE");
    ASSERT_TRUE(ape.Save(file));
    Mutagen("t = id3.ID3(); t.add(id3.TIT2(encoding=3, text='Edited later')); t.save(sys.argv[1])", file);
    const TTAGInfo info = Read(file);
    EXPECT_EQ(info.Title, "Edited later");
    EXPECT_EQ(info.Copyright, "From APE");
}

TEST(ID3TagSteps, TrackWithTotalIsWrittenAsItStands)
{
    testsupport::TempFolder folder;
    const fs::path file = CopyTone(folder);
    ASSERT_EQ(RunProgram({"id3v2", "-t", "Song", "-T", "3", file.string()}), 0);
    TTAGInfo info = Read(file);
    info.Track = "5/12";
    EXPECT_EQ(WriteTagInfo(file, info), "");
    EXPECT_EQ(Mutagen("print(id3.ID3(sys.argv[1])['TRCK'].text[0])", file), "5/12\n");
    TID3v1 v1;
    ASSERT_TRUE(v1.Load(file));
    EXPECT_EQ(v1.Track(), 5);
    EXPECT_EQ(Read(file).Track, "5/12");
}

TEST(ID3TagSteps, FormatsWithoutID3v2NeverGetOne)
{
    testsupport::TempFolder folder;
    const std::string stream = "MAC " + std::string(2000, '\x11');
    TTAGInfo info;
    info.Title = "T";
    for (const char* name : {"a.ape", "a.mpc", "a.ofr"}) {
        const fs::path file = folder / name;
        WriteFile(file, stream);
        EXPECT_EQ(WriteTagInfo(file, info), "");
        const std::string saved = ReadFile(file);
        EXPECT_EQ(saved.substr(0, stream.size()), stream) << name;
        TAPETag ape;
        ASSERT_TRUE(ape.Load(file));
        EXPECT_EQ(ape.GetItem("Title"), "T") << name;

        // One that is there already is kept up to date.
        TID3v2 v2;
        v2.SetArtist("A");
        ASSERT_TRUE(v2.Save(file));
        info.Artist = "A";
        info.Title = "U";
        EXPECT_EQ(WriteTagInfo(file, info), "");
        ASSERT_TRUE(v2.Load(file));
        EXPECT_EQ(v2.Title(), "U") << name;
        EXPECT_EQ(v2.Artist(), "A") << name;
        info.Title = "T";
        info.Artist.clear();
    }
}

}  // namespace
