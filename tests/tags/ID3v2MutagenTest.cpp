// SPDX-License-Identifier: GPL-3.0-or-later
// ID3v2 tags written by mutagen (2.4 in UTF-8, 2.3 in UTF-16) and by hand in
// version 2.2: what they hold reads back, and a save that changes one value
// leaves every other frame, the picture and the audio as mutagen saw them.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "TagTestFiles.h"
#include "tags/classes/ID3v2.h"
#include "tags/classes/TagLayout.h"

using namespace tagtest;
namespace fs = std::filesystem;

namespace {

// Every frame as mutagen reads it, one a line, sorted; pictures with a digest.
const char* const DumpFrames =
    "import hashlib\n"
    "t = id3.ID3(sys.argv[1])\n"
    "lines = []\n"
    "for k in t.keys():\n"
    "    f = t[k]\n"
    "    extra = ' ' + f.mime + ' ' + hashlib.md5(f.data).hexdigest() if k.startswith('APIC') else ''\n"
    "    lines.append(k + ' ' + f.pprint().replace('\\n', '|') + extra)\n"
    "sys.stdout.buffer.write(('\\n'.join(sorted(lines)) + '\\n').encode('utf-8'))\n"
    "print('version %d' % t.version[1])\n";

// Every frame of a 2.3 tag as stored: its ID and the hex of flags and data.
const char* const RawFrames =
    "d = open(sys.argv[1], 'rb').read()\n"
    "end = 10 + ((d[6] << 21) | (d[7] << 14) | (d[8] << 7) | d[9])\n"
    "pos = 10\n"
    "while pos + 10 <= end and 65 <= d[pos] <= 90:\n"
    "    n = int.from_bytes(d[pos + 4:pos + 8], 'big')\n"
    "    print(d[pos:pos + 4].decode(), d[pos + 8:pos + 10 + n].hex())\n"
    "    pos += 10 + n\n";

const char* const MutagenV24 =
    "t = id3.ID3()\n"
    "t.add(id3.TIT2(encoding=3, text='T\\u00eftle \\u6771\\u4eac'))\n"
    "t.add(id3.TPE1(encoding=3, text=['One', '\\u0411']))\n"
    "t.add(id3.TALB(encoding=3, text='Album'))\n"
    "t.add(id3.TRCK(encoding=3, text='5/12'))\n"
    "t.add(id3.TDRC(encoding=3, text='2004-05-01T10:20'))\n"
    "t.add(id3.TCON(encoding=3, text='17'))\n"
    "t.add(id3.TCOM(encoding=3, text='Composer'))\n"
    "t.add(id3.COMM(encoding=3, lang='eng', desc='iTunNORM', text=' 0000031C 00000327'))\n"
    "t.add(id3.COMM(encoding=3, lang='eng', desc='', text='Plain \\u00e9'))\n"
    "t.add(id3.USLT(encoding=3, lang='eng', desc='', text='la la\\nla'))\n"
    "t.add(id3.TXXX(encoding=3, desc='replaygain_track_gain', text='-6.50 dB'))\n"
    "t.add(id3.WOAR(url='http://artist.example/'))\n"
    "t.add(id3.APIC(encoding=3, mime='image/png', type=3, desc='Cov\\u00e9r', data=bytes(range(256)) * 40))\n"
    "t.save(sys.argv[1], v2_version=4)\n";

std::string AudioOf(const fs::path& file)
{
    TTagLayout layout;
    EXPECT_TRUE(ReadTagLayout(file, layout));
    return ReadFile(file).substr(layout.AudioStart(), layout.AudioEnd() - layout.AudioStart());
}

class ID3v2MutagenTest : public ::testing::Test {
protected:
    testsupport::TempFolder folder;
    fs::path file = CopyTone(folder);
};

TEST_F(ID3v2MutagenTest, Version24InUtf8ReadsAndSurvivesAnEdit)
{
    Mutagen(MutagenV24, file);
    TID3v2 tag;
    ASSERT_TRUE(tag.Load(file));
    EXPECT_EQ(tag.Version(), 4);
    EXPECT_EQ(tag.Title(), "Tïtle 東京");
    EXPECT_EQ(tag.Artist(), std::string("One\0\xD0\x91", 6));
    EXPECT_EQ(tag.Album(), "Album");
    EXPECT_EQ(tag.TrackText(), "5/12");
    EXPECT_EQ(tag.Year(), "2004-05-01T10:20");
    EXPECT_EQ(tag.Genre(), "Rock");
    EXPECT_EQ(tag.Composer(), "Composer");
    EXPECT_EQ(tag.Comment(), "Plain é");
    EXPECT_EQ(tag.URL(), "http://artist.example/");

    const std::vector<std::string> before = Lines(Mutagen(DumpFrames, file));
    tag.SetAlbum("Ålbum");
    ASSERT_TRUE(tag.Save(file));
    const std::vector<std::string> after = Lines(Mutagen(DumpFrames, file));
    // The tag stays 2.4: the recording time keeps its form, UTF-8 stays UTF-8.
    EXPECT_EQ(Missing(before, after), std::vector<std::string>{"TALB TALB=Album"});
    EXPECT_EQ(Missing(after, before), std::vector<std::string>{"TALB TALB=Ålbum"});
    EXPECT_EQ(AudioOf(file), ToneBytes());
    EXPECT_EQ(ReadFile(file)[3], 4);
}

TEST_F(ID3v2MutagenTest, NewYearLeavesNoStaleRecordingTime)
{
    Mutagen(MutagenV24, file);
    TID3v2 tag;
    ASSERT_TRUE(tag.Load(file));
    tag.SetYear("2005");
    ASSERT_TRUE(tag.Save(file));
    const std::string dump = Mutagen(DumpFrames, file);
    EXPECT_NE(dump.find("TDRC TDRC=2005\n"), std::string::npos);
    EXPECT_EQ(dump.find("2004"), std::string::npos);
    EXPECT_NE(dump.find("version 4"), std::string::npos);
    ASSERT_TRUE(tag.Load(file));
    EXPECT_EQ(tag.Year(), "2005");

    // A 2.3 tag has the recording time in three frames; a new year removes them all.
    const auto text = [](const char* value) { return std::string(1, '\0') + value; };
    WriteFile(file, ID3v2(3, Frame23("TYER", text("2004")) + Frame23("TDAT", text("0105")) +
                                 Frame23("TIME", text("1020")) + Frame23("TDRC", text("2004-05-01T10:20"))) +
                        ToneBytes());
    ASSERT_TRUE(tag.Load(file));
    tag.SetYear("2006");
    ASSERT_TRUE(tag.Save(file));
    const std::string raw = Mutagen(RawFrames, file);
    EXPECT_EQ(raw.find("TDRC"), std::string::npos);
    EXPECT_EQ(raw.find("TDAT"), std::string::npos);
    EXPECT_EQ(raw.find("TIME"), std::string::npos);
    EXPECT_NE(Mutagen(DumpFrames, file).find("TDRC TDRC=2006\n"), std::string::npos);
}

// ID3v2.3 splits a recording time into TYER, TDAT ("DDMM") and TIME
// ("HHMM"): it reads as one date, and a new date is split the same way, so
// mutagen reads it whole; a text that is no date goes whole into TYER.
TEST_F(ID3v2MutagenTest, Version23DateReadsWholeAndIsWrittenInItsThreeFrames)
{
    const auto text = [](const char* value) { return std::string(1, '\0') + value; };
    WriteFile(file, ID3v2(3, Frame23("TYER", text("2004")) + Frame23("TDAT", text("0105")) +
                                 Frame23("TIME", text("1020"))) +
                        ToneBytes());
    TID3v2 tag;
    ASSERT_TRUE(tag.Load(file));
    EXPECT_EQ(tag.Year(), "2004-05-01T10:20");

    const char* const Date = "print(id3.ID3(sys.argv[1])['TDRC'])\n";
    for (const auto& [written, read] : std::vector<std::pair<const char*, const char*>>{
             {"2021-12-31T23:59", "2021-12-31 23:59:00\n"}, {"2022-06-07", "2022-06-07\n"}, {"1999", "1999\n"}}) {
        tag.SetYear(written);
        ASSERT_TRUE(tag.Save(file));
        EXPECT_EQ(Mutagen(Date, file), read);
        ASSERT_TRUE(tag.Load(file));
        EXPECT_EQ(tag.Year(), written);
    }
    tag.SetYear("circa 1970");
    ASSERT_TRUE(tag.Save(file));
    EXPECT_EQ(Mutagen(RawFrames, file).find("TDAT"), std::string::npos);
    ASSERT_TRUE(tag.Load(file));
    EXPECT_EQ(tag.Year(), "circa 1970");
}

TEST_F(ID3v2MutagenTest, Version23FramesStayByteForByte)
{
    Mutagen(std::string(MutagenV24).replace(std::string(MutagenV24).find("v2_version=4"), 12, "v2_version=3"), file);
    const std::vector<std::string> before = Lines(Mutagen(RawFrames, file));
    TID3v2 tag;
    ASSERT_TRUE(tag.Load(file));
    EXPECT_EQ(tag.Version(), 3);
    EXPECT_EQ(tag.Title(), "Tïtle 東京");
    EXPECT_EQ(tag.Comment(), "Plain é");
    tag.SetTitle("New");
    ASSERT_TRUE(tag.Save(file));
    const std::vector<std::string> after = Lines(Mutagen(RawFrames, file));
    const std::vector<std::string> lost = Missing(before, after);
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].substr(0, 4), "TIT2");
    EXPECT_EQ(Missing(after, before), (std::vector<std::string>{"TIT2 0000" "004e6577"}));
    EXPECT_EQ(AudioOf(file), ToneBytes());
}

TEST_F(ID3v2MutagenTest, Version22FramesBecomeTheir23Forms)
{
    const std::string png = "\x89PNG\r\n\x1a\n" + std::string(3000, 'p');
    const std::string body =
        Frame22("TT2", std::string("\0Old", 4)) + Frame22("TP1", std::string("\x01\xFF\xFE" "A\0\xE9\0", 7)) +
        Frame22("TCO", std::string("\0(17)", 5)) + Frame22("TYE", std::string("\0" "2001", 5)) +
        Frame22("COM", std::string("\0eng\0Said", 9)) + Frame22("ULT", std::string("\0eng\0Words", 10)) +
        Frame22("TXX", std::string("\0replaygain_track_gain\0-3.20 dB", 31)) +
        Frame22("PIC", std::string("\0PNG\3Front\0", 11) + png) + Frame22("CRM", "secret");
    WriteFile(file, ID3v2(2, body, 20) + ToneBytes());
    TID3v2 tag;
    ASSERT_TRUE(tag.Load(file));
    EXPECT_EQ(tag.Title(), "Old");
    EXPECT_EQ(tag.Artist(), "Aé");
    EXPECT_EQ(tag.Genre(), "Rock");
    EXPECT_EQ(tag.Comment(), "Said");
    tag.SetTitle("New");
    ASSERT_TRUE(tag.Save(file));
    EXPECT_EQ(Mutagen(DumpFrames, file),
              "APIC:Front APIC=cover front, Front (image/png, 3008 bytes) image/png " +
                  Mutagen("import hashlib\nprint(hashlib.md5(open(sys.argv[1], 'rb').read()).hexdigest())",
                          [&] {
                              const fs::path image = folder / "front.png";
                              WriteFile(image, png);
                              return image;
                          }()) +
                  "COMM::eng COMM==eng=Said\n"
                  "TCON TCON=Rock\n"
                  "TDRC TDRC=2001\n"
                  "TIT2 TIT2=New\n"
                  "TPE1 TPE1=Aé\n"
                  "TXXX:replaygain_track_gain TXXX=replaygain_track_gain=-3.20 dB\n"
                  "USLT::eng USLT==eng=Words\n"
                  "version 3\n");
    EXPECT_EQ(AudioOf(file), ToneBytes());
}

}  // namespace
