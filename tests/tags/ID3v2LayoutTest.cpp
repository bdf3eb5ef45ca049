// SPDX-License-Identifier: GPL-3.0-or-later
// ID3v2 layouts other taggers write (2.4 with plain frame sizes, 2.2 with
// iTunes' frames, 2.4 chapters and full recording times): they read whole,
// and a save of one value leaves mutagen's reading of every other frame as
// it was, in a tag that a strict walk of its frames accepts.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "TagTestFiles.h"
#include "tags/classes/ID3v2.h"

using namespace tagtest;
namespace fs = std::filesystem;

namespace {

// Every frame as mutagen reads it, one a line, sorted; chapters with their sub-frames.
const char* const DumpFrames =
    "t = id3.ID3(sys.argv[1])\n"
    "lines = sorted(k + ' ' + t[k].pprint().replace('\\n', '|') for k in t.keys())\n"
    "print('\\n'.join(lines))\n"
    "print('version %d' % t.version[1])\n";

// Walks the frames and chapter sub-frames with the sizes the version's
// standard says, refusing any frame that does not end on the next one, and
// compares the count with what mutagen loads. Prints the version.
const char* const StrictWalk = R"PY(
d = open(sys.argv[1], 'rb').read()
assert d[:3] == b'ID3' and d[5] == 0, 'header'
v = d[3]
def synchsafe(b):
    assert all(x < 128 for x in b), 'not synchsafe'
    return (b[0] << 21) | (b[1] << 14) | (b[2] << 7) | b[3]
def size(b): return synchsafe(b) if v == 4 else int.from_bytes(b, 'big')
def walk(body):
    pos, ids = 0, []
    while pos < len(body) and body[pos] != 0:
        fid = body[pos:pos + 4].decode('ascii')
        assert fid.isalnum() and fid.upper() == fid, fid
        n = size(body[pos + 4:pos + 8])
        data = body[pos + 10:pos + 10 + n]
        assert len(data) == n, fid + ' runs past its tag'
        if fid in ('CHAP', 'CTOC'):
            e = data.index(b'\0') + 1
            if fid == 'CHAP':
                e += 16
            else:
                count, e = data[e + 1], e + 2
                for _ in range(count): e = data.index(b'\0', e) + 1
            walk(data[e:])
        ids.append(fid)
        pos += 10 + n
    assert not any(body[pos:]), 'bytes after the frames'
    return ids
ids = walk(d[10:10 + synchsafe(d[6:10])])
t = id3.ID3(sys.argv[1])
assert not t.unknown_frames
assert len(ids) == len(t.values()), (ids, list(t.keys()))
print(v)
)PY";

const std::string Audio = ToneBytes();

std::string BigEndian32(std::size_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

// A 2.4 frame whose size is a plain 32-bit number, as older iTunes writes it.
std::string PlainFrame24(const std::string& id, const std::string& data)
{
    return id + BigEndian32(data.size()) + std::string(2, '\0') + data;
}

std::string Latin1(const std::string& text)
{
    return std::string(1, '\0') + text;
}

// Lengths whose plain size has a byte of 128 or more, read otherwise as synchsafe.
const std::string LongArtist = "Artist " + std::string(193, 'a');
const std::string LongComment = "Comment " + std::string(292, 'c');

std::string PlainSizeTag()
{
    const std::string body = PlainFrame24("TIT2", Latin1("Old")) + PlainFrame24("TPE1", Latin1(LongArtist)) +
                             PlainFrame24("COMM", Latin1("eng") + '\0' + LongComment) +
                             PlainFrame24("TALB", Latin1("Album"));
    return ID3v2(4, body, 40) + Audio;
}

// Chapters whose own frames have plain sizes too.
std::string PlainSizeChaptersTag()
{
    const std::string times = BigEndian32(0) + BigEndian32(1000) + std::string(8, '\xFF');
    const std::string chapter =
        PlainFrame24("CHAP", std::string("ch0\0", 4) + times + PlainFrame24("TIT2", Latin1(LongArtist)));
    const std::string contents =
        PlainFrame24("CTOC", std::string("toc\0\3\1ch0\0", 10) + PlainFrame24("TIT2", Latin1(LongComment)));
    return ID3v2(4, PlainFrame24("TIT2", Latin1("Old")) + chapter + contents, 30) + Audio;
}

std::string Version22Tag()
{
    const std::string body = Frame22("TT2", Latin1("Old")) + Frame22("TP1", Latin1("Artist")) +
                             Frame22("TCP", Latin1("1")) + Frame22("TS2", Latin1("Album Artist, The")) +
                             Frame22("TSA", Latin1("Album, An")) + Frame22("TSP", Latin1("Artist, The")) +
                             Frame22("TST", Latin1("Song, A")) + Frame22("TSC", Latin1("Composer, The")) +
                             Frame22("TYE", Latin1("2001"));
    return ID3v2(2, body, 20) + Audio;
}

// Chapters with sub-frames, a recording time with seconds, and frames only 2.4 has.
const char* const ChaptersV24 = R"PY(
t = id3.ID3()
t.add(id3.TIT2(encoding=3, text='Old'))
t.add(id3.TDRC(encoding=3, text='2021-05-03T10:20:30'))
t.add(id3.TDOR(encoding=3, text='1999-02-01'))
t.add(id3.TDRL(encoding=3, text='2021-06-01'))
t.add(id3.TMOO(encoding=3, text='Calm'))
t.add(id3.TPE1(encoding=3, text=['One', 'Two']))
t.add(id3.CHAP(element_id='ch0', start_time=0, end_time=1000,
               sub_frames=[id3.TIT2(encoding=3, text='Intro ' + 'x' * 200)]))
t.add(id3.CHAP(element_id='ch1', start_time=1000, end_time=2000, sub_frames=[id3.TIT2(encoding=3, text='Outro')]))
t.add(id3.CTOC(element_id='toc', flags=3, child_element_ids=['ch0', 'ch1'],
               sub_frames=[id3.TIT2(encoding=3, text='Contents')]))
t.save(sys.argv[1], v2_version=4)
)PY";

struct Layout {
    const char* name;
    std::function<void(const fs::path&)> make;
    int savedVersion;
    std::vector<std::string> lostLines;  // what mutagen showed before and no longer shows
    std::vector<std::string> gainedLines;
};

class ID3v2Layout : public ::testing::TestWithParam<Layout> {
protected:
    testsupport::TempFolder folder;
    fs::path file = folder / "song.mp3";
};

TEST_P(ID3v2Layout, TitleSaveChangesOnlyTheTitle)
{
    GetParam().make(file);
    const std::vector<std::string> before = Lines(Mutagen(DumpFrames, file));
    TID3v2 tag;
    ASSERT_TRUE(tag.Load(file));
    EXPECT_EQ(tag.Title(), "Old");
    tag.SetTitle("New");
    ASSERT_TRUE(tag.Save(file));

    const std::vector<std::string> after = Lines(Mutagen(DumpFrames, file));
    EXPECT_EQ(Missing(before, after), GetParam().lostLines);
    EXPECT_EQ(Missing(after, before), GetParam().gainedLines);
    EXPECT_EQ(Mutagen(StrictWalk, file), std::to_string(GetParam().savedVersion) + "\n");
    const std::string saved = ReadFile(file);
    EXPECT_EQ(saved.substr(saved.size() - Audio.size()), Audio);
}

INSTANTIATE_TEST_SUITE_P(
    Taggers, ID3v2Layout,
    ::testing::Values(
        Layout{"PlainSizes", [](const fs::path& file) { WriteFile(file, PlainSizeTag()); }, 4, {"TIT2 TIT2=Old"},
               {"TIT2 TIT2=New"}},
        Layout{"PlainSizeChapters", [](const fs::path& file) { WriteFile(file, PlainSizeChaptersTag()); }, 4,
               {"TIT2 TIT2=Old"}, {"TIT2 TIT2=New"}},
        Layout{"Version22", [](const fs::path& file) { WriteFile(file, Version22Tag()); }, 3,
               {"TIT2 TIT2=Old", "version 2"}, {"TIT2 TIT2=New", "version 3"}},
        Layout{"Chapters",
               [](const fs::path& file) {
                   WriteFile(file, Audio);
                   Mutagen(ChaptersV24, file);
               },
               4, {"TIT2 TIT2=Old"}, {"TIT2 TIT2=New"}},
        Layout{"ChaptersVersion23",
               [](const fs::path& file) {
                   WriteFile(file, Audio);
                   Mutagen(std::string(ChaptersV24).replace(std::string(ChaptersV24).find("v2_version=4"), 12,
                                                            "v2_version=3"),
                           file);
               },
               3, {"TIT2 TIT2=Old"}, {"TIT2 TIT2=New"}}),
    [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

TEST(ID3v2PlainSizes, ReadWholeAndKeptByASave)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "song.mp3";
    WriteFile(file, PlainSizeTag());
    TID3v2 tag;
    ASSERT_TRUE(tag.Load(file));
    EXPECT_EQ(tag.Artist(), LongArtist);
    EXPECT_EQ(tag.Comment(), LongComment);
    EXPECT_EQ(tag.Album(), "Album");
    tag.SetAlbum("Other");
    ASSERT_TRUE(tag.Save(file));
    ASSERT_TRUE(tag.Load(file));
    EXPECT_EQ(tag.Artist(), LongArtist);
    EXPECT_EQ(tag.Comment(), LongComment);
    EXPECT_EQ(tag.Album(), "Other");
}

TEST(ID3v2PlainSizes, SynchsafeSizesThatLookPlainStaySynchsafe)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "song.mp3";
    // 200 bytes synchsafe are 01 48; read plain they would be 328 and run
    // past the tag, so the synchsafe reading that ends on the padding wins.
    WriteFile(file, ID3v2(4, Frame24("TPE1", Latin1(LongArtist)) + Frame24("TIT2", Latin1("Old")), 10) + Audio);
    TID3v2 tag;
    ASSERT_TRUE(tag.Load(file));
    EXPECT_EQ(tag.Artist(), LongArtist);
    EXPECT_EQ(tag.Title(), "Old");
}

}  // namespace
