// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "InteropTools.h"
#include "TagTestFiles.h"
#include "support/TestAudio.h"
#include "tags/classes/ID3v1.h"
#include "tags/classes/ID3v2.h"
#include "tags/classes/TagLayout.h"

using namespace tagtest;
namespace fs = std::filesystem;

namespace {

std::string AudioOf(const fs::path& file)
{
    TTagLayout layout;
    EXPECT_TRUE(ReadTagLayout(file, layout));
    return ReadFile(file).substr(layout.AudioStart(), layout.AudioEnd() - layout.AudioStart());
}

// Prints the named frames' first texts, one a line, as UTF-8.
const char* const PrintFrames =
    "t = id3.ID3(sys.argv[1])\n"
    "for k in ['TIT2', 'TPE1', 'TALB', 'TRCK', 'TCON', 'COMM::eng', 'TIT1']:\n"
    "    v = t.get(k)\n"
    "    sys.stdout.buffer.write((k + '=' + (str(v.text[0]) if v else '') + '\\n').encode('utf-8'))\n"
    "sys.stdout.buffer.write(b'version=%d\\n' % t.version[1])\n";

TEST(TagInterop, ReadsWhatId3v2ToolWrites)
{
    testsupport::TempFolder folder;
    const fs::path file = CopyTone(folder);
    ASSERT_EQ(RunProgram({"id3v2", "-t", "Song Title", "-a", "The Artist", "-A", "An Album", "-y", "2003", "-T", "4/10",
                   "-g", "17", "-c", "Nice", file.string()}),
              0);
    TID3v2 v2;
    ASSERT_TRUE(v2.Load(file));
    EXPECT_EQ(v2.Title(), "Song Title");
    EXPECT_EQ(v2.Artist(), "The Artist");
    EXPECT_EQ(v2.Album(), "An Album");
    EXPECT_EQ(v2.Year(), "2003");
    EXPECT_EQ(v2.Track(), 4);
    EXPECT_EQ(v2.TrackText(), "4/10");
    EXPECT_EQ(v2.Genre(), "Rock");  // the tool writes "(17)"
    EXPECT_EQ(v2.Comment(), "Nice");
    TID3v1 v1;
    ASSERT_TRUE(v1.Load(file));
    EXPECT_TRUE(v1.Exists());
    EXPECT_EQ(v1.Title(), "Song Title");
    EXPECT_EQ(v1.Track(), 4);
    EXPECT_EQ(v1.GenreID(), 17);
    EXPECT_EQ(AudioOf(file), ToneBytes());
}

TEST(TagInterop, Id3v2ToolReadsWhatWeWrite)
{
    testsupport::TempFolder folder;
    const fs::path file = CopyTone(folder);
    TID3v2 v2;
    v2.SetTitle("Our Title");
    v2.SetArtist("Our Artist");
    v2.SetTrack(7);
    v2.SetComment("Our comment");
    ASSERT_TRUE(v2.Save(file));
    TID3v1 v1;
    v1.SetTitle("Short");
    v1.SetGenre("Jazz");
    ASSERT_TRUE(v1.Save(file));
    std::string listing;
    ASSERT_EQ(RunProgram({"id3v2", "-l", file.string()}, &listing), 0);
    EXPECT_NE(listing.find("TIT2 (Title/songname/content description): Our Title"), std::string::npos) << listing;
    EXPECT_NE(listing.find("TPE1 (Lead performer(s)/Soloist(s)): Our Artist"), std::string::npos) << listing;
    EXPECT_NE(listing.find("TRCK (Track number/Position in set): 7"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Our comment"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Title  : Short"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Jazz"), std::string::npos) << listing;
}

TEST(TagInterop, ReadsWhatMutagenWrites)
{
    testsupport::TempFolder folder;
    for (const int version : {3, 4}) {
        const fs::path file = CopyTone(folder, "m" + std::to_string(version) + ".mp3");
        Mutagen("t = id3.ID3()\n"
                "t.add(id3.TIT2(encoding=1, text='Ключ к песне'))\n"
                "t.add(id3.TPE1(encoding=0, text='Café'))\n"
                "t.add(id3.TRCK(encoding=0, text='5/12'))\n"
                "t.add(id3.COMM(encoding=1, lang='eng', desc='', text='Über'))\n"
                "t.add(id3.TCON(encoding=0, text='Jazz'))\n"
                "t.save(sys.argv[1], v2_version=" + std::to_string(version) + ")\n",
                file);
        TID3v2 v2;
        ASSERT_TRUE(v2.Load(file));
        EXPECT_EQ(v2.Version(), version);
        EXPECT_EQ(v2.Title(), "Ключ к песне");
        EXPECT_EQ(v2.Artist(), "Café");
        EXPECT_EQ(v2.TrackText(), "5/12");
        EXPECT_EQ(v2.Comment(), "Über");
        EXPECT_EQ(v2.Genre(), "Jazz");
        EXPECT_EQ(AudioOf(file), ToneBytes());
    }
}

TEST(TagInterop, MutagenReadsWhatWeWrite)
{
    testsupport::TempFolder folder;
    const fs::path file = CopyTone(folder);
    TID3v2 v2;
    v2.SetTitle("Ключ к песне");
    v2.SetArtist("Café");
    v2.SetAlbum("Plain");
    v2.SetTrack(12);
    v2.SetGenre("Rock");
    v2.SetComment("日本語のコメント");
    ASSERT_TRUE(v2.Save(file));
    const std::string out = Mutagen(PrintFrames, file);
    EXPECT_NE(out.find("TIT2=Ключ к песне\n"), std::string::npos) << out;
    EXPECT_NE(out.find("TPE1=Café\n"), std::string::npos) << out;
    EXPECT_NE(out.find("TALB=Plain\n"), std::string::npos) << out;
    EXPECT_NE(out.find("TRCK=12\n"), std::string::npos) << out;
    EXPECT_NE(out.find("COMM::eng=日本語のコメント\n"), std::string::npos) << out;
    EXPECT_NE(out.find("version=3\n"), std::string::npos) << out;
    EXPECT_EQ(AudioOf(file), ToneBytes());
}

TEST(TagInterop, CoverPictureSurvivesOurSave)
{
    testsupport::TempFolder folder;
    for (const int version : {3, 4}) {
        const fs::path file = CopyTone(folder, "c" + std::to_string(version) + ".mp3");
        Mutagen("t = id3.ID3()\n"
                "t.add(id3.TIT2(encoding=0, text='Old'))\n"
                "t.add(id3.APIC(encoding=0, mime='image/png', type=3, desc='front', data=bytes(range(256)) * 40))\n"
                "t.add(id3.USLT(encoding=1, lang='eng', desc='', text='la la'))\n"
                "t.add(id3.TIT1(encoding=0, text='Group'))\n"
                "t.save(sys.argv[1], v2_version=" + std::to_string(version) + ")\n",
                file);
        TID3v2 v2;
        ASSERT_TRUE(v2.Load(file));
        v2.SetTitle("New");
        ASSERT_TRUE(v2.Save(file));
        const std::string out = Mutagen(
            "t = id3.ID3(sys.argv[1])\n"
            "p = t.getall('APIC')[0]\n"
            "ok = p.data == bytes(range(256)) * 40 and p.mime == 'image/png' and p.desc == 'front'\n"
            "print('picture', ok, t['TIT2'].text[0], t['TIT1'].text[0], t.getall('USLT')[0].text)\n",
            file);
        EXPECT_NE(out.find("picture True New Group la la"), std::string::npos) << out;
        EXPECT_EQ(AudioOf(file), ToneBytes());
    }
}

}  // namespace

// Files tagged by other taggers, read and written through the command line:
// every field reads as the tool wrote it, and setting the title changes
// nothing else the tool can see, nor the audio.
namespace {

const std::string NewTitle = "Neuer Titel ✓";

fs::path Tone(const testsupport::TempFolder& folder, const std::string& audio, const std::string& name)
{
    const fs::path target = folder / name;
    fs::copy_file(testaudio::Get(audio), target);
    return target;
}

// A field named twice holds both values.
TTAGInfo Record(std::initializer_list<std::pair<TagFieldPointer, std::string>> values)
{
    TTAGInfo info;
    for (const auto& [field, value] : values) {
        std::vector<std::string> list = TagValues(info, TagFieldIndex(field));
        list.push_back(value);
        SetTagValues(info, TagFieldIndex(field), list);
    }
    return info;
}

// titleKey: the tool's name of the title, left out of the comparison.
void ExpectFaithful(const fs::path& file, const TTAGInfo& written, const std::string& titleKey)
{
    EXPECT_EQ(interop::CliTags(file), interop::Lines(written));
    const std::string before = interop::MutagenDump(file, titleKey);
    const std::string audio = interop::AudioMd5(file);
    ASSERT_EQ(interop::CliSet(file, "Title=" + NewTitle), 0);
    EXPECT_EQ(interop::MutagenDump(file, titleKey), before);
    EXPECT_NE(interop::MutagenValues(file, titleKey).find(NewTitle), std::string::npos);
    TTAGInfo expected = written;
    expected.Title = NewTitle;
    EXPECT_EQ(interop::CliTags(file), interop::Lines(expected));
    EXPECT_EQ(interop::AudioMd5(file), audio);
}

// The frames of a full ID3v2 tag as taggers write them; enc is the text
// encoding of every text frame.
std::string Id3Frames(int enc)
{
    const std::string e = "encoding=" + std::to_string(enc);
    return "t = id3.ID3()\n"
           "t.add(id3.TIT2(" + e + ", text='Ein Titel'))\n"
           "t.add(id3.TPE1(" + e + ", text='Café Ensemble'))\n"
           "t.add(id3.TALB(" + e + ", text='Das Album'))\n"
           "t.add(id3.TRCK(" + e + ", text='5/12'))\n"
           "t.add(id3.TCOM(" + e + ", text='Komponist'))\n"
           "t.add(id3.TENC(" + e + ", text='Kodierer'))\n"
           "t.add(id3.TCOP(" + e + ", text='2003 Firma'))\n"
           "t.add(id3.TLAN(" + e + ", text='deu'))\n"
           "t.add(id3.COMM(" + e + ", lang='eng', desc='', text='Kommentar'))\n"
           "t.add(id3.COMM(" + e + ", lang='eng', desc='iTunNORM', text=' 00000A1B 00000C2D'))\n"
           "t.add(id3.WXXX(encoding=0, desc='', url='http://example.org/'))\n"
           "t.add(id3.TXXX(" + e + ", desc='REPLAYGAIN_TRACK_GAIN', text='-6.5 dB'))\n"
           "t.add(id3.USLT(" + e + ", lang='eng', desc='', text='la la\\nla'))\n"
           "t.add(id3.APIC(encoding=0, mime='image/png', type=3, desc='front', data=bytes(range(256)) * 40))\n";
}

const TTAGInfo Id3Record = Record({{&TTAGInfo::Track, "5/12"},
                                   {&TTAGInfo::Title, "Ein Titel"},
                                   {&TTAGInfo::Artist, "Café Ensemble"},
                                   {&TTAGInfo::Album, "Das Album"},
                                   {&TTAGInfo::Year, "2003"},
                                   {&TTAGInfo::Comment, "Kommentar"},
                                   {&TTAGInfo::Genre, "Rock"},
                                   {&TTAGInfo::Composer, "Komponist"},
                                   {&TTAGInfo::EncodedBy, "Kodierer"},
                                   {&TTAGInfo::Copyright, "2003 Firma"},
                                   {&TTAGInfo::Language, "deu"},
                                   {&TTAGInfo::URL, "http://example.org/"}});

}  // namespace

TEST(TagInterop, MutagenId3v23ThroughTheCommandLine)
{
    testsupport::TempFolder folder;
    const fs::path file = CopyTone(folder);
    interop::Mutagen(Id3Frames(1) +
                         "t.add(id3.TCON(encoding=0, text='Rock'))\n"
                         "t.add(id3.TDRC(encoding=0, text='2003'))\n"
                         "t.save(sys.argv[1], v2_version=3)\n",
                     file);
    ExpectFaithful(file, Id3Record, "TIT2");
}

TEST(TagInterop, MutagenId3v24Utf8ThroughTheCommandLine)
{
    testsupport::TempFolder folder;
    const fs::path file = CopyTone(folder);
    interop::Mutagen(Id3Frames(3) +
                         "t.add(id3.TCON(encoding=3, text='17'))\n"
                         "t.add(id3.TDRC(encoding=3, text='2003'))\n"
                         "t.save(sys.argv[1], v2_version=4)\n",
                     file);
    ExpectFaithful(file, Id3Record, "TIT2");
}

// Mutagen writes no ID3v2.2; the tag is built here as old taggers wrote it.
TEST(TagInterop, Id3v22WithPictureThroughTheCommandLine)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "old.mp3";
    const std::string picture = std::string("\0PNG\x03\0", 6) + std::string(3000, '\x7f');
    const std::string body = Frame22("TT2", std::string("\0Alt", 4)) + Frame22("TP1", std::string("\0Band", 5)) +
                             Frame22("TRK", std::string("\0" "3/9", 4)) +
                             Frame22("ULT", std::string("\0eng\0Text", 9)) +
                             Frame22("TXX", std::string("\0REPLAYGAIN_TRACK_GAIN\0-3 dB", 28)) +
                             Frame22("PIC", picture);
    WriteFile(file, ID3v2(2, body) + ToneBytes());
    const std::string pictureDigest = "p = t.getall('APIC')[0]\nprint(p.type, len(p.data), p.data[:3])\n";
    const std::string before = interop::Mutagen("t = id3.ID3(sys.argv[1])\n" + pictureDigest, file);
    ExpectFaithful(file,
                   Record({{&TTAGInfo::Track, "3/9"}, {&TTAGInfo::Title, "Alt"}, {&TTAGInfo::Artist, "Band"}}),
                   "TIT2");
    EXPECT_EQ(interop::Mutagen("t = id3.ID3(sys.argv[1])\nassert t.version[1] == 3\n" + pictureDigest, file),
              before);
}

TEST(TagInterop, MutagenFlacThroughTheCommandLine)
{
    testsupport::TempFolder folder;
    const fs::path file = Tone(folder, "tone.flac", "a.flac");
    interop::Mutagen("f = mutagen.flac.FLAC(sys.argv[1])\n"
                     "f['TITLE'] = 'Ein Titel'\n"
                     "f['ARTIST'] = ['Erste', 'Zweite']\n"
                     "f['ALBUM'] = 'Das Album'\n"
                     "f['TRACKNUMBER'] = '5/12'\n"
                     "f['DATE'] = '2003-04-05'\n"
                     "f['GENRE'] = 'Jazz'\n"
                     "f['DESCRIPTION'] = 'Zeile eins\\nZeile zwei'\n"
                     "f['COMPOSER'] = 'Komponist'\n"
                     "f['ENCODED-BY'] = 'Kodierer'\n"
                     "f['COPYRIGHT'] = '2003 Firma'\n"
                     "f['LANGUAGE'] = 'deu'\n"
                     "f['WEBSITE'] = 'http://example.org/'\n"
                     "f['REPLAYGAIN_TRACK_GAIN'] = '-6.5 dB'\n"
                     "p = mutagen.flac.Picture()\n"
                     "p.type, p.mime, p.desc, p.data = 3, 'image/png', 'front', bytes(range(256)) * 40\n"
                     "f.add_picture(p)\n"
                     "f.save()\n",
                     file);
    ExpectFaithful(file,
                   Record({{&TTAGInfo::Track, "5/12"},
                           {&TTAGInfo::Title, "Ein Titel"},
                           {&TTAGInfo::Artist, "Erste"},
                           {&TTAGInfo::Artist, "Zweite"},
                           {&TTAGInfo::Album, "Das Album"},
                           {&TTAGInfo::Year, "2003-04-05"},
                           {&TTAGInfo::Comment, "Zeile eins\nZeile zwei"},
                           {&TTAGInfo::Genre, "Jazz"},
                           {&TTAGInfo::Composer, "Komponist"},
                           {&TTAGInfo::EncodedBy, "Kodierer"},
                           {&TTAGInfo::Copyright, "2003 Firma"},
                           {&TTAGInfo::Language, "deu"},
                           {&TTAGInfo::URL, "http://example.org/"}}),
                   "TITLE");
}

TEST(TagInterop, MutagenM4aThroughTheCommandLine)
{
    testsupport::TempFolder folder;
    const fs::path file = Tone(folder, "tone.m4a", "a.m4a");
    interop::Mutagen("f = mutagen.mp4.MP4(sys.argv[1])\n"
                     "f['\\xa9nam'] = 'Ein Titel'\n"
                     "f['\\xa9ART'] = 'Café Ensemble'\n"
                     "f['\\xa9alb'] = 'Das Album'\n"
                     "f['trkn'] = [(5, 12)]\n"
                     "f['\\xa9day'] = '2003'\n"
                     "f['\\xa9gen'] = 'Jazz'\n"
                     "f['\\xa9cmt'] = 'Kommentar'\n"
                     "f['\\xa9wrt'] = 'Komponist'\n"
                     "f['covr'] = [mutagen.mp4.MP4Cover(bytes(range(256)) * 40, mutagen.mp4.MP4Cover.FORMAT_PNG)]\n"
                     "f['----:com.apple.iTunes:MOOD'] = [b'calm']\n"
                     "f.save()\n",
                     file);
    ExpectFaithful(file,
                   Record({{&TTAGInfo::Track, "5/12"},
                           {&TTAGInfo::Title, "Ein Titel"},
                           {&TTAGInfo::Artist, "Café Ensemble"},
                           {&TTAGInfo::Album, "Das Album"},
                           {&TTAGInfo::Year, "2003"},
                           {&TTAGInfo::Comment, "Kommentar"},
                           {&TTAGInfo::Genre, "Jazz"}}),
                   "\xC2\xA9nam");
}

TEST(TagInterop, MutagenWmaWithDwordTrackThroughTheCommandLine)
{
    testsupport::TempFolder folder;
    const fs::path file = Tone(folder, "tone.wma", "a.wma");
    interop::Mutagen("f = mutagen.asf.ASF(sys.argv[1])\n"
                     "f['Title'] = ['Ein Titel']\n"
                     "f['Author'] = ['Café Ensemble']\n"
                     "f['WM/AlbumTitle'] = ['Das Album']\n"
                     "f['WM/TrackNumber'] = [mutagen.asf.ASFDWordAttribute(5)]\n"
                     "f['WM/Year'] = ['2003']\n"
                     "f['WM/Genre'] = ['Jazz']\n"
                     "f['WM/Composer'] = ['Komponist']\n"
                     "f['WM/Mood'] = ['calm']\n"
                     "f.save()\n",
                     file);
    ExpectFaithful(file,
                   Record({{&TTAGInfo::Track, "5"},
                           {&TTAGInfo::Title, "Ein Titel"},
                           {&TTAGInfo::Artist, "Café Ensemble"},
                           {&TTAGInfo::Album, "Das Album"},
                           {&TTAGInfo::Year, "2003"},
                           {&TTAGInfo::Genre, "Jazz"},
                           {&TTAGInfo::Composer, "Komponist"}}),
                   "Title");
}

namespace {

const char* const OggFields = "f = mutagen.oggvorbis.OggVorbis(sys.argv[1])\n"
                              "f['TITLE'] = 'Ein Titel'\n"
                              "f['ARTIST'] = 'Café Ensemble'\n"
                              "f['ALBUM'] = 'Das Album'\n"
                              "f['TRACKNUMBER'] = '5'\n"
                              "f['DATE'] = '2003'\n"
                              "f['GENRE'] = 'Jazz'\n"
                              "f['COMMENT'] = 'Kommentar'\n"
                              "f['REPLAYGAIN_TRACK_GAIN'] = '-6.5 dB'\n";

TTAGInfo OggRecord(const fs::path& file)
{
    TTAGInfo info = Record({{&TTAGInfo::Track, "5"},
                            {&TTAGInfo::Title, "Ein Titel"},
                            {&TTAGInfo::Artist, "Café Ensemble"},
                            {&TTAGInfo::Album, "Das Album"},
                            {&TTAGInfo::Year, "2003"},
                            {&TTAGInfo::Comment, "Kommentar"},
                            {&TTAGInfo::Genre, "Jazz"}});
    TTAGInfo read;
    ReadTagInfo(file, read);
    info.EncodedBy = read.EncodedBy;  // the stream's vendor
    return info;
}

}  // namespace

TEST(TagInterop, MutagenOggThroughTheCommandLine)
{
    testsupport::TempFolder folder;
    const fs::path file = Tone(folder, "tone.ogg", "a.ogg");
    interop::Mutagen(std::string(OggFields) + "f.save()\n", file);
    ExpectFaithful(file, OggRecord(file), "TITLE");
}

// Long lyrics and a picture make the comment header span several pages.
TEST(TagInterop, MutagenOggOverSeveralPagesThroughTheCommandLine)
{
    testsupport::TempFolder folder;
    const fs::path file = Tone(folder, "tone.ogg", "a.ogg");
    interop::Mutagen(std::string(OggFields) +
                         "import base64\n"
                         "f['LYRICS'] = ('la la la ' * 2300)[:20480]\n"
                         "p = mutagen.flac.Picture()\n"
                         "p.type, p.mime, p.desc, p.data = 3, 'image/png', 'front', bytes(range(256)) * 100\n"
                         "f['METADATA_BLOCK_PICTURE'] = base64.b64encode(p.write()).decode('ascii')\n"
                         "f.save()\n",
                     file);
    ExpectFaithful(file, OggRecord(file), "TITLE");
}

TEST(TagInterop, Id3v2ToolThroughTheCommandLine)
{
    testsupport::TempFolder folder;
    const fs::path file = CopyTone(folder);
    ASSERT_EQ(RunProgram({"id3v2", "-t", "Song Title", "-a", "The Artist", "-A", "An Album", "-y", "2003", "-T",
                          "4/10", "-c", "Nice", file.string()}),
              0);
    const TTAGInfo written = Record({{&TTAGInfo::Track, "4/10"},
                                     {&TTAGInfo::Title, "Song Title"},
                                     {&TTAGInfo::Artist, "The Artist"},
                                     {&TTAGInfo::Album, "An Album"},
                                     {&TTAGInfo::Year, "2003"},
                                     {&TTAGInfo::Comment, "Nice"}});
    EXPECT_EQ(interop::CliTags(file), interop::Lines(written));
    const std::string before = interop::ToolListing({"id3v2", "-l", file.string()}, "Title");
    const std::string audio = interop::AudioMd5(file);
    ASSERT_EQ(interop::CliSet(file, "Title=New"), 0);
    EXPECT_EQ(interop::ToolListing({"id3v2", "-l", file.string()}, "Title"), before);
    EXPECT_NE(interop::CliTags(file).find("\nTitle=New\n"), std::string::npos);
    EXPECT_EQ(interop::AudioMd5(file), audio);
}

TEST(TagInterop, MetaflacThroughTheCommandLine)
{
    testsupport::TempFolder folder;
    const fs::path file = Tone(folder, "tone.flac", "a.flac");
    const fs::path cover = folder / "cover.png";
    ASSERT_EQ(RunProgram({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "color=red:s=16x16", "-frames:v", "1",
                          cover.string()}),
              0);
    ASSERT_EQ(RunProgram({"metaflac", "--set-tag=TITLE=Ein Titel", "--set-tag=ARTIST=Erste",
                          "--set-tag=ARTIST=Zweite", "--set-tag=TRACKNUMBER=07", "--set-tag=GENRE=Jazz",
                          "--set-tag=COMMENT=Kommentar", "--set-tag=MOOD=calm",
                          "--import-picture-from=" + cover.string(), file.string()}),
              0);
    const TTAGInfo written = Record({{&TTAGInfo::Track, "07"},
                                     {&TTAGInfo::Title, "Ein Titel"},
                                     {&TTAGInfo::Artist, "Erste"},
                                     {&TTAGInfo::Artist, "Zweite"},
                                     {&TTAGInfo::Comment, "Kommentar"},
                                     {&TTAGInfo::Genre, "Jazz"}});
    EXPECT_EQ(interop::CliTags(file), interop::Lines(written));
    const std::vector<std::string> tags = {"metaflac", "--export-tags-to=-", file.string()};
    const std::string before = interop::ToolListing(tags, "TITLE=");
    const std::string audio = interop::AudioMd5(file);
    ASSERT_EQ(interop::CliSet(file, "Title=New"), 0);
    EXPECT_EQ(interop::ToolListing(tags, "TITLE="), before);
    EXPECT_NE(interop::ToolListing(tags, "ARTIST=").find("TITLE=New\n"), std::string::npos);
    const fs::path exported = folder / "exported.png";
    ASSERT_EQ(RunProgram({"metaflac", "--export-picture-to=" + exported.string(), file.string()}), 0);
    EXPECT_EQ(ReadFile(exported), ReadFile(cover));
    EXPECT_EQ(interop::AudioMd5(file), audio);
}

namespace {

void ExpectVorbiscommentFaithful(const std::vector<std::string>& artists)
{
    testsupport::TempFolder folder;
    const fs::path file = Tone(folder, "tone.ogg", "a.ogg");
    std::vector<std::string> command = {"vorbiscomment", "-w", "-t", "TITLE=Ein Titel"};
    for (const std::string& artist : artists)
        command.insert(command.end(), {"-t", "ARTIST=" + artist});
    command.insert(command.end(), {"-t", "ALBUM=Das Album", "-t", "TRACKNUMBER=3", "-t", "MOOD=calm", file.string()});
    ASSERT_EQ(RunProgram(command), 0);
    TTAGInfo written = OggRecord(file);
    written.Track = "3";
    written.Title = "Ein Titel";
    SetTagValues(written, TagFieldIndex(&TTAGInfo::Artist), artists);  // the first is shown
    written.Year = written.Comment = written.Genre = "";
    EXPECT_EQ(interop::CliTags(file), interop::Lines(written));
    const std::vector<std::string> list = {"vorbiscomment", "-l", file.string()};
    const std::string before = interop::ToolListing(list, "TITLE=");
    const std::string audio = interop::AudioMd5(file);
    ASSERT_EQ(interop::CliSet(file, "Title=New"), 0);
    EXPECT_EQ(interop::ToolListing(list, "TITLE="), before);
    EXPECT_NE(interop::CliTags(file).find("\nTitle=New\n"), std::string::npos);
    EXPECT_EQ(interop::AudioMd5(file), audio);
}

}  // namespace

TEST(TagInterop, VorbiscommentThroughTheCommandLine)
{
    ExpectVorbiscommentFaithful({"Erste"});
}

TEST(TagInterop, VorbiscommentSeveralArtistsThroughTheCommandLine)
{
    ExpectVorbiscommentFaithful({"Erste", "Zweite"});
}
