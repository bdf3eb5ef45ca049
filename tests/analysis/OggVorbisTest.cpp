// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnalysisFiles.h"
#include "analysis/OggVorbis.h"
#include "analysis/VorbisVendor.h"
#include "support/TestAudio.h"
#include "tags/classes/TagError.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace analysistest;

namespace {

fs::path TaggedOgg(const testsupport::TempFolder& folder, const std::vector<std::string>& comments)
{
    const fs::path path = CopyAudio(folder, "tone.ogg", "song one.ogg");
    std::vector<std::string> args = {"vorbiscomment", "-w"};
    for (const std::string& comment : comments) {
        args.push_back("-t");
        args.push_back(comment);
    }
    args.push_back(path.string());
    Tool(args);
    return path;
}

std::vector<std::string> Comments(const fs::path& path)
{
    return ToolLines({"vorbiscomment", "-l", path.string()});
}

const std::string Clef = "\xF0\x9D\x84\x9E";  // four bytes in UTF-8

}  // namespace

TEST(OggVorbis, ReadsWhatVorbiscommentWrote)
{
    testsupport::TempFolder folder;
    const std::string longAlbum(300, 'a');
    const fs::path path = TaggedOgg(folder, {"TITLE=Caf\xC3\xA9 " + Clef, "PERFORMER=Player", "ALBUM=" + longAlbum,
                                             "tracknumber=5/12", "DATE=2004", "GENRE=Jazz",
                                             "DESCRIPTION=About it"});
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Load(path));
    EXPECT_EQ(ogg.Title, "Caf\xC3\xA9 " + Clef);
    EXPECT_EQ(ogg.Artist, "Player");
    EXPECT_EQ(ogg.Album, longAlbum);
    EXPECT_EQ(ogg.Track, 5);
    EXPECT_EQ(ogg.Date, "2004");
    EXPECT_EQ(ogg.Genre, "Jazz");
    EXPECT_EQ(ogg.Comment, "About it");
    EXPECT_EQ(ogg.ID3v2Size, 0u);
    EXPECT_EQ(ogg.EncoderName(), ogg.Vendor);
    EXPECT_NE(ogg.Vendor.find("libVorbis"), std::string::npos);
}

TEST(OggVorbis, SaveWritesItsFieldsAndKeepsEveryOtherComment)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedOgg(folder, {"TITLE=Old", "ARTIST=Old artist", "PERFORMER=Player",
                                             "COMMENT=Old comment", "DESCRIPTION=About it",
                                             "REPLAYGAIN_TRACK_GAIN=-3.2 dB", "TITLE=Second title"});
    const auto samples = testaudio::DecodeS16(path);
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Load(path));
    EXPECT_EQ(ogg.Title, "Second title");  // a later comment of a name wins
    ogg.Title = "  New " + Clef + " ";
    ogg.Artist = "Someone";
    ogg.Track = 7;
    ogg.Comment.clear();
    ogg.Date = "1999";
    ASSERT_TRUE(ogg.Save(path));

    const auto comments = Comments(path);
    EXPECT_EQ(comments[0], "TITLE=New " + Clef);
    EXPECT_EQ(comments[1], "ARTIST=Someone");
    EXPECT_EQ(comments[2], "TRACKNUMBER=7");
    EXPECT_EQ(comments[3], "DATE=1999");
    EXPECT_TRUE(Contains(comments, "PERFORMER=Player"));
    EXPECT_TRUE(Contains(comments, "DESCRIPTION=About it"));
    EXPECT_TRUE(Contains(comments, "REPLAYGAIN_TRACK_GAIN=-3.2 dB"));
    EXPECT_EQ(std::count_if(comments.begin(), comments.end(),
                            [](const std::string& c) { return c.starts_with("TITLE=") || c.starts_with("COMMENT="); }),
              1);
    EXPECT_EQ(testaudio::DecodeS16(path), samples);
    EXPECT_FALSE(fs::exists(path.string() + "~"));

    TOggVorbis again;
    ASSERT_TRUE(again.Load(path));
    EXPECT_EQ(again.Title, "New " + Clef);
    EXPECT_EQ(again.Comment, "About it");  // DESCRIPTION stands in for the cleared COMMENT
}

TEST(OggVorbis, CommentGrowingAcrossLacingBoundariesStaysPlayable)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedOgg(folder, {"TITLE=t"});
    const auto samples = testaudio::DecodeS16(path);
    for (const std::size_t length : {200u, 254u, 255u, 256u, 509u, 510u, 765u, 3000u, 120u}) {
        TOggVorbis ogg;
        ASSERT_TRUE(ogg.Load(path));
        ogg.Comment = std::string(length, 'c');
        ASSERT_TRUE(ogg.Save(path)) << length;
        EXPECT_TRUE(Contains(Comments(path), "COMMENT=" + ogg.Comment)) << length;
        EXPECT_EQ(testaudio::DecodeS16(path), samples) << length;
    }
}

TEST(OggVorbis, SavingTwiceOrUnchangedGivesTheSameFile)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedOgg(folder, {"ARTIST=A", "X-CUSTOM=kept", "GENRE=Rock"});
    const auto samples = testaudio::DecodeS16(path);
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Load(path));
    ASSERT_TRUE(ogg.Save(path));
    const ByteString first = ReadAll(path);
    ASSERT_TRUE(ogg.Load(path));
    EXPECT_EQ(ogg.Artist, "A");
    EXPECT_EQ(ogg.Genre, "Rock");
    ASSERT_TRUE(ogg.Save(path));
    EXPECT_EQ(ReadAll(path), first);
    EXPECT_TRUE(Contains(Comments(path), "X-CUSTOM=kept"));
    EXPECT_EQ(testaudio::DecodeS16(path), samples);
}

// The header pages are laid out anew however the comments grow or shrink;
// the pages behind them are renumbered and the audio stays.
TEST(OggVorbis, CommentPacketSpanningPagesIsRewrittenAcrossThem)
{
    testsupport::TempFolder folder;
    const std::string big(70000, 'b');
    const fs::path path = TaggedOgg(folder, {"COMMENT=" + big, "TITLE=t", "REPLAYGAIN_TRACK_GAIN=-1 dB"});
    const std::string audio = Tool({"ffmpeg", "-v", "error", "-i", path.string(), "-f", "md5", "-"});
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Load(path));
    EXPECT_EQ(ogg.Comment, big);
    EXPECT_EQ(ogg.Title, "t");
    for (const std::string& comment : {std::string("short"), std::string(200000, 'c'), big}) {
        ogg.Title = "changed";
        ogg.Comment = comment;
        ASSERT_TRUE(ogg.Save(path)) << comment.size();
        const auto lines = Comments(path);
        EXPECT_TRUE(Contains(lines, "TITLE=changed"));
        EXPECT_TRUE(Contains(lines, "COMMENT=" + comment));
        EXPECT_TRUE(Contains(lines, "REPLAYGAIN_TRACK_GAIN=-1 dB"));
        EXPECT_EQ(Tool({"ffmpeg", "-v", "error", "-i", path.string(), "-f", "md5", "-"}), audio);
        // ogginfo checks page order, sequence numbers and checksums.
        EXPECT_EQ(Tool({"ogginfo", path.string()}).find("WARNING"), std::string::npos);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1)
        << "a temporary file was left";
}

TEST(OggVorbis, Id3v2TagInFrontIsSkippedAndKept)
{
    testsupport::TempFolder folder;
    const fs::path path = TaggedOgg(folder, {"TITLE=t"});
    const ByteString tag = Id3v2Tag("id3 title", 300);
    const ByteString stream = ReadAll(path);
    WriteAll(path, tag + stream);
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Load(path));
    EXPECT_EQ(ogg.ID3v2Size, 300u);
    EXPECT_EQ(ogg.Title, "t");
    ogg.Title = "new";
    ASSERT_TRUE(ogg.Save(path));
    const ByteString saved = ReadAll(path);
    EXPECT_EQ(saved.substr(0, tag.size()), tag);
    const fs::path plain = folder / "plain.ogg";
    WriteAll(plain, saved.substr(tag.size()));
    EXPECT_TRUE(Contains(Comments(plain), "TITLE=new"));
    EXPECT_EQ(testaudio::DecodeS16(plain), testaudio::DecodeS16(testaudio::Get("tone.ogg")));
}

TEST(OggVorbis, FilesItCannotRewriteAreLeftAlone)
{
    testsupport::TempFolder folder;
    TOggVorbis ogg;
    EXPECT_THROW(ogg.Load(folder / "missing.ogg"), TagError);
    EXPECT_FALSE(ogg.Save(folder / "missing.ogg"));

    const fs::path text = folder / "-notes 'x'.ogg";
    WriteAll(text, "just some text, not a stream");
    EXPECT_FALSE(ogg.Load(text));
    EXPECT_FALSE(ogg.Save(text));

    // Only the first page: no comment header to rebuild from.
    const fs::path cut = folder / "cut.ogg";
    const ByteString whole = ReadAll(testaudio::Get("tone.ogg"));
    WriteAll(cut, whole.substr(0, 100));
    EXPECT_TRUE(ogg.Load(cut));
    EXPECT_TRUE(ogg.Title.empty());
    EXPECT_FALSE(ogg.Save(cut));
    EXPECT_EQ(ReadAll(cut), whole.substr(0, 100));
    EXPECT_THROW(ogg.Load(folder.path()), TagError);
}

TEST(OggVorbis, ReleaseNamesOfKnownVendors)
{
    using analysis::VorbisReleaseName;
    EXPECT_EQ(VorbisReleaseName("Xiphophorus libVorbis I 20000508"), "1.0 beta 1 or beta 2");
    EXPECT_EQ(VorbisReleaseName("Xiphophorus libVorbis I 20011014 (GTune 2)"), "1.0 RC2 GT2");
    EXPECT_EQ(VorbisReleaseName("Xiph.Org libVorbis I 20030909"), "1.0.1");
    EXPECT_EQ(VorbisReleaseName("AO; aoTuV b3 [20041120] (based on Xiph.Org's libVorbis)"), "1.1 aoTuV beta 3");
    EXPECT_EQ(VorbisReleaseName("xiph.org libVorbis I 20040629"), "xiph.org libVorbis I 20040629");
}

// Mutagen lays a long comment header (lyrics, cover art) over several pages
// of about 4 KB; an edit keeps every other comment and the audio.
TEST(OggVorbis, MutagenMultiPageHeaderIsEditedFaithfully)
{
    testsupport::TempFolder folder;
    const fs::path path = CopyAudio(folder, "tone.ogg", "mutagen.ogg");
    const std::string python = "/usr/bin/python3";
    Tool({python, "-c",
          "import sys, base64\n"
          "from mutagen.oggvorbis import OggVorbis\n"
          "from mutagen.flac import Picture\n"
          "f = OggVorbis(sys.argv[1])\n"
          "p = Picture(); p.type = 3; p.mime = 'image/png'; p.data = bytes(range(256)) * 120\n"
          "f['METADATA_BLOCK_PICTURE'] = [base64.b64encode(p.write()).decode()]\n"
          "f['LYRICS'] = ['la ' * 7000]\n"
          "f['TITLE'] = ['Old']\n"
          "f['ARTIST'] = ['A', 'B']\n"
          "f.save()\n",
          path.string()});
    const std::string pages = Tool({python, "-c",
                                    "import sys\nfrom mutagen.ogg import OggPage\n"
                                    "f = open(sys.argv[1], 'rb'); OggPage(f); print(OggPage(f).complete)\n",
                                    path.string()});
    ASSERT_EQ(pages, "False\n") << "the comment header should go on past its first page";
    const std::string dump = "import sys\nfrom mutagen.oggvorbis import OggVorbis\n"
                             "for k, v in sorted(OggVorbis(sys.argv[1]).tags.as_dict().items()):\n"
                             "    print(k, v if k != 'title' else '')\n";
    const std::string before = Tool({python, "-c", dump, path.string()});
    const std::vector<std::string> digest = {"ffmpeg", "-v", "quiet", "-i", path.string(), "-map", "0:a", "-f", "md5", "-"};
    const std::string audio = Tool(digest);

    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Load(path));
    EXPECT_EQ(ogg.Title, "Old");
    ogg.Title = "New";
    ASSERT_TRUE(ogg.Save(path));

    EXPECT_TRUE(Tool({python, "-c", dump, path.string()}) == before) << "a comment other than TITLE changed";
    EXPECT_TRUE(Contains(Comments(path), "TITLE=New"));
    EXPECT_EQ(Tool(digest), audio);
    EXPECT_EQ(Tool({"ogginfo", path.string()}).find("WARNING"), std::string::npos);
}
