// SPDX-License-Identifier: GPL-3.0-or-later
// Values in the forms other tools store them: bytes that are not UTF-8,
// comments without "=", FLAC streams of unknown length, Ogg track numbers
// and totals, long WMA texts, APE items, and empty values that clear.
#include <gtest/gtest.h>

#include "InteropTools.h"
#include "TagTestFiles.h"
#include "support/TestAudio.h"

using namespace tagtest;
namespace fs = std::filesystem;

namespace {

fs::path Tone(const testsupport::TempFolder& folder, const std::string& tone, const std::string& name)
{
    const fs::path file = folder / name;
    fs::copy_file(testaudio::Get(tone), file);
    return file;
}

bool Holds(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Swaps equal-length bytes in the file: mutagen writes only valid comments.
void Patch(const fs::path& file, const std::string& from, const std::string& to)
{
    std::string bytes = testaudio::ReadBytes(file);
    const std::size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, from.size(), to);
    WriteFile(file, bytes);
}

// A Latin-1 value and an entry without "=" survive a write of another field
// byte for byte; the value reads with its "ö".
TEST(StoredForm, FlacKeepsCommentsItCannotRead)
{
    testsupport::TempFolder folder;
    const fs::path file = Tone(folder, "tone.flac", "a.flac");
    interop::Mutagen("f = mutagen.flac.FLAC(sys.argv[1])\nf['ARTIST'] = 'BjXrk'\nf['ZZ'] = 'abc'\n"
                     "f['ENCODEDBY'] = 'Kodierer'\nf.save()\n",
                     file);
    Patch(file, "ARTIST=BjXrk", "ARTIST=Bj\xF6rk");
    Patch(file, "ZZ=abc", "ZZ_abc");
    const std::string shown = interop::CliTags(file);
    EXPECT_TRUE(Holds(shown, "\nArtist=Bj\xC3\xB6rk\n")) << shown;
    EXPECT_TRUE(Holds(shown, "\nEncodedBy=Kodierer\n")) << shown;
    const std::string audio = interop::AudioMd5(file);
    ASSERT_EQ(interop::CliSet(file, "Title=Neu"), 0);
    const std::string bytes = testaudio::ReadBytes(file);
    EXPECT_TRUE(Holds(bytes, "ARTIST=Bj\xF6rk") && Holds(bytes, "ZZ_abc") && Holds(bytes, "TITLE=Neu"));
    EXPECT_EQ(interop::AudioMd5(file), audio);
}

// FFmpeg writing to a pipe cannot go back to store the sample count.
TEST(StoredForm, FlacWithoutSampleCountShowsAndTakesTags)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "piped.flac";
    ASSERT_EQ(RunProgram({"sh", "-c",
                          "ffmpeg -v error -i \"$0\" -metadata title=Gepipt -f flac pipe:1 > \"$1\"",
                          testaudio::Get("stereo.wav").string(), file.string()}),
              0);
    EXPECT_TRUE(Holds(interop::CliTags(file), "\nTitle=Gepipt\n"));
    const std::string audio = interop::AudioMd5(file);
    ASSERT_EQ(interop::CliSet(file, "Artist=Neu"), 0);
    EXPECT_EQ(interop::MutagenValues(file, "ARTIST"), "ARTIST 'Neu'");
    EXPECT_TRUE(Holds(interop::MutagenValues(file, "TITLE"), "Gepipt"));
    EXPECT_EQ(interop::AudioMd5(file), audio);
}

struct TrackCase {
    const char* stored;   // mutagen's assignments, or none
    const char* shown;    // the Track line
    const char* set;      // a --set Track= value, or none
    const char* number;   // TRACKNUMBER then TRACKTOTAL after it, as mutagen lists them
    const char* total;
};

// Read in both layouts, written as TRACKNUMBER and TRACKTOTAL; no track is
// shown as none, not "0".
TEST(StoredForm, OggTrackNumbersAndTotals)
{
    const std::vector<TrackCase> cases = {
        {"f['TRACKNUMBER'] = '300'\n", "300", nullptr, "TRACKNUMBER '300'", ""},
        {"f['TRACKNUMBER'] = '5/12'\n", "5/12", nullptr, "TRACKNUMBER '5/12'", ""},
        {"f['TRACKNUMBER'] = '5'\nf['TRACKTOTAL'] = '12'\n", "5/12", nullptr, "TRACKNUMBER '5'", "TRACKTOTAL '12'"},
        {"", "", nullptr, "", ""},
        {"", "5/12", "5/12", "TRACKNUMBER '5'", "TRACKTOTAL '12'"},
        {"f['TRACKNUMBER'] = '5'\nf['TRACKTOTAL'] = '12'\n", "7", "7", "TRACKNUMBER '7'", ""},
        {"f['TRACKNUMBER'] = '5'\n", "300", "300", "TRACKNUMBER '300'", ""},
    };
    for (const TrackCase& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + (c.set ? c.set : ""));
        testsupport::TempFolder folder;
        const fs::path file = Tone(folder, "tone.ogg", "a.ogg");
        interop::Mutagen(std::string("f = mutagen.oggvorbis.OggVorbis(sys.argv[1])\n") + c.stored + "f.save()\n",
                         file);
        if (c.set) {
            ASSERT_EQ(interop::CliSet(file, std::string("Track=") + c.set), 0);
        }
        EXPECT_TRUE(Holds(interop::CliTags(file), std::string("Track=") + c.shown + "\n"));
        EXPECT_EQ(interop::MutagenValues(file, "TRACKNUMBER"), c.number);
        EXPECT_EQ(interop::MutagenValues(file, "TRACKTOTAL"), c.total);
    }
}

// The record as tag copy passes it on: an Ogg track 300 reaches a FLAC
// file whole, and a file without a track gives it none.
TEST(StoredForm, TrackCopiedWhole)
{
    testsupport::TempFolder folder;
    const fs::path ogg = Tone(folder, "tone.ogg", "a.ogg");
    const fs::path flac = Tone(folder, "tone.flac", "b.flac");
    const fs::path plain = Tone(folder, "tone.flac", "c.flac");
    interop::Mutagen("f = mutagen.oggvorbis.OggVorbis(sys.argv[1])\nf['TRACKNUMBER'] = '300'\nf.save()\n", ogg);
    TTAGInfo info;
    ReadTagInfo(ogg, info);
    EXPECT_EQ(WriteTagInfo(flac, info), "");
    EXPECT_EQ(interop::MutagenValues(flac, "TRACKNUMBER"), "TRACKNUMBER '300'");
    TTAGInfo none;
    ReadTagInfo(Tone(folder, "tone.ogg", "d.ogg"), none);
    none.Title = "T";
    EXPECT_EQ(WriteTagInfo(plain, none), "");
    EXPECT_EQ(interop::MutagenValues(plain, "TRACKNUMBER"), "");
}

TEST(StoredForm, WmaTextsAreNotCut)
{
    testsupport::TempFolder folder;
    const fs::path file = Tone(folder, "tone.wma", "a.wma");
    const std::string title(300, 't'), album = std::string(280, 'a') + "\xC3\xA4";
    ASSERT_EQ(interop::CliSet(file, std::vector<std::string>{"Title=" + title, "Album=" + album}), 0);
    const std::string shown = interop::CliTags(file);
    EXPECT_TRUE(Holds(shown, "\nTitle=" + title + "\n") && Holds(shown, "\nAlbum=" + album + "\n"));
    EXPECT_TRUE(Holds(interop::MutagenValues(file, "Title"), title + "]"));
    EXPECT_TRUE(Holds(interop::MutagenValues(file, "WM/AlbumTitle"), album + "]"));
}

// Every APE field is stored, and a text item keeps its trailing newline.
TEST(StoredForm, ApeStoresEveryFieldUntrimmed)
{
    testsupport::TempFolder folder;
    const fs::path file = Tone(folder, "tone.mpc", "a.mpc");
    interop::Mutagen("import mutagen.musepack\nf = mutagen.musepack.Musepack(sys.argv[1])\nf.add_tags()\n"
                     "f['Lyrics'] = 'eine Zeile\\n'\nf.save()\n",
                     file);
    ASSERT_EQ(interop::CliSet(file, std::vector<std::string>{"Composer=K", "URL=http://example.org/",
                                                             "EncodedBy=E", "Language=deu"}),
              0);
    const std::string shown = interop::CliTags(file);
    for (const char* line : {"\nComposer=K\n", "\nURL=http://example.org/\n", "\nEncodedBy=E\n", "\nLanguage=deu\n"})
        EXPECT_TRUE(Holds(shown, line)) << line << shown;
    EXPECT_TRUE(Holds(interop::MutagenValues(file, "Lyrics"), "value=eine Zeile\n")) << interop::MutagenValues(file, "Lyrics");
    EXPECT_TRUE(Holds(interop::MutagenValues(file, "Composer"), "K"));
}

// "Title=" removes the title wherever it is stored.
TEST(StoredForm, EmptyValueClearsInEveryFormat)
{
    const std::vector<std::pair<const char*, const char*>> tones = {
        {"tone.mp3", "TIT2"}, {"tone.mpc", "Title"}, {"tone.wma", "Title"}, {"tone.flac", "TITLE"},
        {"tone.ogg", "TITLE"}, {"tone.m4a", "\xC2\xA9nam"}};
    for (const auto& [tone, key] : tones) {
        SCOPED_TRACE(tone);
        testsupport::TempFolder folder;
        const fs::path file = Tone(folder, tone, std::string("a") + fs::path(tone).extension().string());
        ASSERT_EQ(interop::CliSet(file, std::vector<std::string>{"Title=Weg", "Artist=Bleibt"}), 0);
        ASSERT_TRUE(Holds(interop::MutagenValues(file, key), "Weg"));
        ASSERT_EQ(interop::CliSet(file, "Title="), 0);
        EXPECT_EQ(interop::MutagenValues(file, key), "");
        const std::string shown = interop::CliTags(file);
        EXPECT_TRUE(Holds(shown, "\nTitle=\n") && Holds(shown, "\nArtist=Bleibt\n")) << shown;
    }
}

}  // namespace

namespace {

// ID3v2.4 keeps several values NUL-separated; a write of another field
// keeps them all, and several new values reach a 2.3 frame joined by "/".
TEST(StoredForm, Id3SeveralValues)
{
    testsupport::TempFolder folder;
    const fs::path file = Tone(folder, "tone.mp3", "a.mp3");
    interop::Mutagen("t = id3.ID3()\nt.add(id3.TPE1(encoding=3, text=['Erste', 'Zweite']))\n"
                     "t.add(id3.TCON(encoding=3, text=['Jazz', '(17)']))\nt.save(sys.argv[1])\n",
                     file);
    std::string shown = interop::CliTags(file);
    EXPECT_TRUE(Holds(shown, "\nArtist=Erste\nArtist=Zweite\n")) << shown;
    EXPECT_TRUE(Holds(shown, "\nGenre=Jazz\nGenre=Rock\n")) << shown;
    const std::string audio = interop::AudioMd5(file);
    ASSERT_EQ(interop::CliSet(file, "Title=Neu"), 0);
    shown = interop::CliTags(file);
    EXPECT_TRUE(Holds(shown, "\nTitle=Neu\nArtist=Erste\nArtist=Zweite\n")) << shown;
    ASSERT_EQ(interop::CliSet(file, std::vector<std::string>{"Artist=Eins", "Artist=Zwei"}), 0);
    EXPECT_TRUE(Holds(interop::MutagenValues(file, "TPE1"), "Eins/Zwei"));
    EXPECT_EQ(interop::AudioMd5(file), audio);
}

}  // namespace
