// SPDX-License-Identifier: GPL-3.0-or-later
// WMA and MP4 tags as other programs store them: read right, and a write
// changes what it set and nothing else, checked with mutagen and FFmpeg.

#include <gtest/gtest.h>

#include "TagTestFiles.h"
#include "analysis/WMAReader.h"
#include "support/TestAudio.h"
#include "tags/InputTags.h"
#include "tags/TagInfo.h"
#include "tags/Mp4TagBridge.h"

using namespace tagtest;
namespace fs = std::filesystem;

namespace {

// Runs python3 with mutagen's ASF or MP4 module on the file.
std::string Python(const std::string& script, const fs::path& file)
{
    std::string output;
    const std::string program = "import sys, mutagen.asf as asf, mutagen.mp4 as mp4\nf = sys.argv[1]\n" + script;
    EXPECT_EQ(RunProgram({"/usr/bin/python3", "-c", program, file.string()}, &output), 0) << output;
    return output;
}

std::string AudioDigest(const fs::path& file)
{
    std::string output;
    EXPECT_EQ(RunProgram({"ffmpeg", "-v", "error", "-i", file.string(), "-map", "0:a", "-f", "md5", "-"}, &output), 0);
    return output.substr(output.find("MD5="));
}

fs::path FfmpegWma(const testsupport::TempFolder& folder)
{
    const fs::path file = folder / "ff.wma";
    EXPECT_EQ(RunProgram({"ffmpeg", "-v", "error", "-i", testaudio::Get("stereo.wav").string(), "-metadata",
                          "title=Old title", "-metadata", "artist=Old artist", "-c:a", "wmav2", file.string()}),
              0);
    return file;
}

TTagsData ReadWma(const fs::path& file)
{
    TTagsData data;
    ReadWmaTags(file, data);
    return data;
}

}  // namespace

TEST(WmaTags, ReadsWhatMutagenStores)
{
    testsupport::TempFolder folder;
    const fs::path file = FfmpegWma(folder);
    Python("t = asf.ASF(f)\n"
           "t['WM/TrackNumber'] = [asf.ASFDWordAttribute(7)]\n"
           "t['WM/AuthorURL'] = ['http://example.org/']\n"
           "t.save()\n",
           file);
    const TTagsData data = ReadWma(file);
    EXPECT_EQ(data.TrackNumber, "7");
    EXPECT_EQ(data.URL, "http://example.org/");
    EXPECT_EQ(data.Title, "Old title");
    EXPECT_EQ(data.Author, "Old artist");
}

// FFmpeg keeps title and artist both in the content description and as
// attributes; after a write every copy holds the new value, the unchanged
// number-typed track keeps its type, and no empty attribute appears.
TEST(WmaTags, WriteUpdatesEveryCopyAndAddsNothingEmpty)
{
    testsupport::TempFolder folder;
    const fs::path file = FfmpegWma(folder);
    Python("t = asf.ASF(f)\nt['WM/TrackNumber'] = [asf.ASFDWordAttribute(7)]\nt.save()\n", file);
    const std::string audio = AudioDigest(file);
    TTagsData data = ReadWma(file);
    data.Title = "New title";
    data.Author = "New artist";
    ASSERT_TRUE(WriteWmaTags(data));

    const std::string dump = Python("for k, v in sorted(asf.ASF(f).tags.items()):\n"
                                    "    print(k.lower(), [str(x) for x in v], [type(x).__name__ for x in v])\n",
                                    file);
    EXPECT_EQ(dump.find("Old"), std::string::npos) << dump;
    EXPECT_NE(dump.find("title ['New title']"), std::string::npos) << dump;
    EXPECT_NE(dump.find("author ['New artist', 'New artist']"), std::string::npos) << dump;
    EXPECT_NE(dump.find("wm/tracknumber ['7'] ['ASFDWordAttribute']"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("['']"), std::string::npos) << "an empty attribute: " << dump;
    EXPECT_EQ(AudioDigest(file), audio);
    std::string title;
    RunProgram({"ffprobe", "-v", "error", "-show_entries", "format_tags=title", "-of", "csv=p=0", file.string()},
               &title);
    EXPECT_EQ(title, "New title\n");
}

// The same FFmpeg file through the record and the tag copy's reading: the
// artist stored twice is one value; a write keeps both copies equal.
TEST(WmaTags, AuthorStoredTwiceIsOneArtist)
{
    testsupport::TempFolder folder;
    const fs::path file = FfmpegWma(folder);
    ASSERT_EQ(Python("print([str(x) for x in asf.ASF(f).tags['Author']])\n", file),
              "['Old artist', 'Old artist']\n");
    TTAGInfo info;
    ReadTagInfo(file, info);
    EXPECT_EQ(TagValues(info, TagFieldIndex(&TTAGInfo::Artist)), std::vector<std::string>{"Old artist"});
    EXPECT_EQ(extratags::ReadInputTags(file).values["ARTIST"], TagLib::StringList("Old artist"));

    info.Artist = "New artist";
    ASSERT_EQ(WriteTagInfo(file, info), "");
    TTAGInfo back;
    ReadTagInfo(file, back);
    EXPECT_EQ(TagValues(back, TagFieldIndex(&TTAGInfo::Artist)), std::vector<std::string>{"New artist"});
    EXPECT_EQ(Python("print([str(x) for x in asf.ASF(f).tags['Author']])\n", file),
              "['New artist', 'New artist']\n");
}

TEST(Mp4Tags, NumericGenreReadsAsItsName)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "a.m4a";
    fs::copy_file(testaudio::Get("tone.m4a"), file);
    // An ID3v1 genre number plus one, as older taggers store it (18 is
    // Rock): a two-letter text genre turned into a "gnre" atom of one size.
    Python("t = mp4.MP4(f)\nt['\\xa9gen'] = ['XY']\nt.save()\n"
           "b = open(f, 'rb').read()\n"
           "b = b.replace(b'\\xa9gen\\x00\\x00\\x00\\x12data\\x00\\x00\\x00\\x01\\x00\\x00\\x00\\x00XY',\n"
           "              b'gnre\\x00\\x00\\x00\\x12data\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x12')\n"
           "open(f, 'wb').write(b)\n",
           file);
    ASSERT_EQ(Python("print(mp4.MP4(f).get('\\xa9gen'))", file), "['Rock']\n");
    std::string probed;
    RunProgram({"ffprobe", "-v", "error", "-show_entries", "format_tags=genre", "-of", "csv=p=0", file.string()},
               &probed);
    EXPECT_EQ(probed, "Rock\n");
    TMp4TagBridge bridge;
    ASSERT_TRUE(bridge.Load(file));
    std::string genre;
    EXPECT_TRUE(bridge.GetValue("GENRE", genre));
    EXPECT_EQ(genre, "Rock");

    const auto writeGenre = [&](const std::string& value) {
        TMp4TagBridge writer;
        ASSERT_TRUE(writer.Load(file));
        writer.SetValue("GENRE", value);
        writer.SetValue("TITLE", "T " + value);
        ASSERT_TRUE(writer.Write());
    };
    writeGenre("Rock");
    EXPECT_EQ(Python("print(mp4.MP4(f).get('\\xa9gen'))", file), "['Rock']\n");
    writeGenre("Jazz");
    EXPECT_EQ(Python("print(mp4.MP4(f).get('\\xa9gen'))", file), "['Jazz']\n");
}

TEST(Mp4Tags, WriteChangesOnlyTheSetItems)
{
    testsupport::TempFolder folder;
    const fs::path file = folder / "a.m4a";
    fs::copy_file(testaudio::Get("tone.m4a"), file);
    Python("t = mp4.MP4(f)\n"
           "t['trkn'] = [(5, 12)]\n"
           "t['\\xa9lyr'] = ['Lyrics ' * 3000]\n"
           "t['covr'] = [mp4.MP4Cover(b'\\x89PNG' + bytes(5000), mp4.MP4Cover.FORMAT_PNG)]\n"
           "t.save()\n",
           file);
    const std::string audio = AudioDigest(file);
    const std::string before = Python("t = mp4.MP4(f)\nprint(sorted((k, repr(v)) for k, v in t.items() if k != '\\xa9nam'))", file);
    TMp4TagBridge bridge;
    ASSERT_TRUE(bridge.Load(file));
    std::string track;
    EXPECT_TRUE(bridge.GetValue("TRACK", track));
    EXPECT_EQ(track, "5/12");
    bridge.SetValue("TRACK", track);
    bridge.SetValue("TITLE", "New title");
    ASSERT_TRUE(bridge.Write());
    EXPECT_EQ(Python("print(mp4.MP4(f)['\\xa9nam'][0])", file), "New title\n");
    EXPECT_EQ(Python("t = mp4.MP4(f)\nprint(sorted((k, repr(v)) for k, v in t.items() if k != '\\xa9nam'))", file),
              before);
    EXPECT_EQ(AudioDigest(file), audio);
}
