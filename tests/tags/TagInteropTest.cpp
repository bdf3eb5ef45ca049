#include <gtest/gtest.h>

#include "TagTestFiles.h"
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
