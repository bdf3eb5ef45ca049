// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <utility>

#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "tags/TagInfo.h"
#include "tags/classes/APETag.h"
#include "tags/classes/ID3v1.h"
#include "tags/classes/ID3v2.h"

namespace fs = std::filesystem;

namespace {

fs::path CopyOf(const testsupport::TempFolder& folder, const std::string& audio, const std::string& name)
{
    const fs::path target = folder / name;
    fs::copy_file(testaudio::Get(audio), target);
    return target;
}

TTAGInfo Read(const fs::path& file)
{
    TTAGInfo info;
    ReadTagInfo(file, info);
    return info;
}

TTAGInfo FullRecord()
{
    TTAGInfo info;
    info.Track = "7";
    info.Title = "Über Straße — 東京";
    info.Artist = "Björk";
    info.Album = "Album";
    info.Year = "2004";
    info.Comment = "A comment";
    info.Genre = "Rock";
    return info;
}

std::string FfprobeTag(const fs::path& file, const std::string& key)
{
    std::string output;
    testaudio::Run({"ffprobe", "-v", "error", "-show_entries", "format_tags=" + key + ":stream_tags=" + key, "-of",
                    "default=noprint_wrappers=1:nokey=1", file.string()},
                   &output);
    // Ogg keeps its comments with the stream, the others with the file.
    while (!output.empty() && output.back() == '\n')
        output.pop_back();
    return output.substr(output.find_last_of('\n') + 1);
}

void GiveID3v1(const fs::path& file, const std::string& title, const std::string& genre = "")
{
    TID3v1 tag;
    ASSERT_TRUE(tag.Load(file));
    tag.SetTitle(title);
    if (!genre.empty())
        tag.SetGenre(genre);
    ASSERT_TRUE(tag.Save(file));
}

}  // namespace

TEST(TagInfo, LaterTagsWinFieldByField)
{
    testsupport::TempFolder folder;
    const fs::path mp3 = CopyOf(folder, "tone.mp3", "song.mp3");
    GiveID3v1(mp3, "Old title", "Rock");
    EXPECT_EQ(Read(mp3).Title, "Old title");
    EXPECT_EQ(Read(mp3).Genre, "Rock");

    TID3v2 id3v2;
    ASSERT_TRUE(id3v2.Load(mp3));
    id3v2.SetTitle("New title");
    ASSERT_TRUE(id3v2.Save(mp3));
    EXPECT_EQ(Read(mp3).Title, "New title");
    EXPECT_EQ(Read(mp3).Genre, "Rock");

    TAPETag ape;
    ASSERT_TRUE(ape.Load(mp3));
    ape.SetItem("TITLE", "APE title");
    ASSERT_TRUE(ape.Save(mp3));
    EXPECT_EQ(Read(mp3).Title, "New title");  // in an MP3 file ID3v2 wins over APE
}

TEST(TagInfo, AnMp3WithoutTagsGetsID3v2AndApeButNoID3v1)
{
    testsupport::TempFolder folder;
    const fs::path mp3 = CopyOf(folder, "tone.mp3", "SONG.MP3");
    EXPECT_EQ(WriteTagInfo(mp3, FullRecord()), "");
    TID3v1 id3v1;
    TID3v2 id3v2;
    TAPETag ape;
    ASSERT_TRUE(id3v1.Load(mp3) && id3v2.Load(mp3) && ape.Load(mp3));
    EXPECT_FALSE(id3v1.Exists());
    EXPECT_TRUE(id3v2.Exists());
    EXPECT_EQ(id3v2.Version(), 3);
    EXPECT_TRUE(ape.Exists());
    EXPECT_EQ(Read(mp3), FullRecord());
}

TEST(TagInfo, TrackTextsIntoID3v1KeepTheLowByteOfTheirNumber)
{
    testsupport::TempFolder folder;
    const fs::path mp3 = CopyOf(folder, "tone.mp3", "song.mp3");
    GiveID3v1(mp3, "x");
    TTAGInfo info;
    info.Track = "5/12";
    EXPECT_EQ(WriteTagInfo(mp3, info), "");
    TID3v1 id3v1;
    TAPETag ape;
    ASSERT_TRUE(id3v1.Load(mp3) && ape.Load(mp3));
    EXPECT_EQ(id3v1.Track(), 5);
    EXPECT_EQ(ape.GetItem("Track"), "5/12");
    info.Track = "300";
    EXPECT_EQ(WriteTagInfo(mp3, info), "");
    ASSERT_TRUE(id3v1.Load(mp3));
    EXPECT_EQ(id3v1.Track(), 44);
}

TEST(TagInfo, OggWithoutTrackGivesNoneAndOverwritesWithEmptyValues)
{
    testsupport::TempFolder folder;
    const fs::path ogg = CopyOf(folder, "tone.ogg", "song.ogg");
    TTAGInfo info;
    info.Title = "kept?";
    ReadTagInfo(ogg, info);
    EXPECT_EQ(info.Track, "");
    EXPECT_EQ(info.Title, "");
}

TEST(TagInfo, WavAndUnknownKindsAreLeftAloneAndSaySo)
{
    testsupport::TempFolder folder;
    const fs::path wav = CopyOf(folder, "stereo.wav", "song.wav");
    const auto before = fs::file_size(wav);
    EXPECT_EQ(WriteTagInfo(wav, FullRecord()), wav.string() + ": tags cannot be written to this kind of file");
    EXPECT_EQ(fs::file_size(wav), before);
    EXPECT_EQ(Read(wav), TTAGInfo{});
}

TEST(TagInfo, OpenErrorsReachTheCallerForOggAndFlac)
{
    testsupport::TempFolder folder;
    TTAGInfo info;
    EXPECT_THROW(ReadTagInfo(folder / "missing.ogg", info), std::exception);
    EXPECT_THROW(ReadTagInfo(folder / "missing.flac", info), std::exception);
    EXPECT_NO_THROW(ReadTagInfo(folder / "missing.mp3", info));
    EXPECT_EQ(info, TTAGInfo{});
}

// Every tagged kind: what is written is read back, other tools see it, and
// the audio is untouched.
TEST(TagInfo, RoundTripsForEveryTaggedKind)
{
    const std::pair<const char*, const char*> kinds[] = {
        {"tone.mp3", "a.mp3"}, {"tone.aac", "a.aac"}, {"tone.mpc", "a.mpc"},  {"tone.ogg", "a.ogg"},
        {"tone.flac", "a.flac"}, {"tone.wma", "a.wma"}, {"tone.m4a", "a.m4a"}, {"tone.m4a", "a.mp4"},
    };
    for (const auto& [audio, name] : kinds) {
        SCOPED_TRACE(name);
        testsupport::TempFolder folder;
        const fs::path file = CopyOf(folder, audio, name);
        const auto samples = testaudio::DecodeS16(file);
        EXPECT_EQ(WriteTagInfo(file, FullRecord()), "");
        TTAGInfo back = Read(file);
        back.EncodedBy.clear();  // Ogg reports its encoder
        EXPECT_EQ(back, FullRecord());
        EXPECT_EQ(testaudio::DecodeS16(file), samples);
        const std::string ext = fs::path(name).extension();
        if (ext == ".aac" || ext == ".mpc")
            continue;  // FFmpeg reads no tags from these
        EXPECT_EQ(FfprobeTag(file, "album"), "Album");
        EXPECT_EQ(FfprobeTag(file, "title"), FullRecord().Title) << "title as other tools see it";
    }
}

TEST(TagInfo, WmaKeepsAttributesItDoesNotWrite)
{
    testsupport::TempFolder folder;
    const fs::path wma = CopyOf(folder, "tone.wma", "a.wma");
    const std::string encoder = FfprobeTag(wma, "WMFSDKVersion");
    TTAGInfo info;
    info.Title = "T";
    EXPECT_EQ(WriteTagInfo(wma, info), "");
    EXPECT_EQ(FfprobeTag(wma, "WMFSDKVersion"), encoder);
    EXPECT_EQ(Read(wma).Title, "T");
}

TEST(TagInfo, M4aKeepsItsCoverArt)
{
    testsupport::TempFolder folder;
    const fs::path plain = CopyOf(folder, "tone.m4a", "plain.m4a");
    const fs::path cover = folder / "cover.png";
    const fs::path m4a = folder / "a.m4a";
    ASSERT_EQ(testaudio::Run({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "color=red:s=16x16", "-frames:v",
                              "1", cover.string()}),
              0);
    ASSERT_EQ(testaudio::Run({"ffmpeg", "-v", "error", "-i", plain.string(), "-i", cover.string(), "-map", "0",
                              "-map", "1", "-c", "copy", "-disposition:v", "attached_pic", m4a.string()}),
              0);
    EXPECT_EQ(WriteTagInfo(m4a, FullRecord()), "");
    EXPECT_EQ(Read(m4a).Title, FullRecord().Title);
    std::string streams;
    testaudio::Run({"ffprobe", "-v", "error", "-show_entries", "stream=codec_type", "-of", "csv=p=0",
                    m4a.string()},
                   &streams);
    EXPECT_NE(streams.find("video"), std::string::npos) << streams;
}

// Each tag of an MP3 keeps its own value of a field the write left alone:
// setting that field anyway would copy the winning tag's value into all.
TEST(TagInfo, AWriteSetsOnlyTheChangedFieldsInEveryTag)
{
    testsupport::TempFolder folder;
    const fs::path mp3 = CopyOf(folder, "tone.mp3", "song.mp3");
    GiveID3v1(mp3, "Short v1 title", "Jazz");
    TID3v2 id3v2;
    ASSERT_TRUE(id3v2.Load(mp3));
    id3v2.SetTitle("The whole title as ID3v2 holds it");
    id3v2.SetComposer("Composer");
    ASSERT_TRUE(id3v2.Save(mp3));
    TTAGInfo info = Read(mp3);
    ASSERT_EQ(info.Title, "The whole title as ID3v2 holds it");
    info.Artist = "New artist";
    EXPECT_EQ(WriteTagInfo(mp3, info), "");

    TID3v1 id3v1;
    TAPETag ape;
    ASSERT_TRUE(id3v1.Load(mp3) && id3v2.Load(mp3) && ape.Load(mp3));
    EXPECT_EQ(id3v1.Title(), "Short v1 title");
    EXPECT_EQ(id3v1.Artist(), "New artist");
    EXPECT_EQ(id3v1.Genre(), "Jazz");
    EXPECT_EQ(id3v2.Artist(), "New artist");
    EXPECT_EQ(id3v2.Composer(), "Composer");
    EXPECT_EQ(ape.GetItem("Artist"), "New artist");
    EXPECT_EQ(ape.GetItem("Title"), "");
    EXPECT_EQ(ape.GetItem("Genre"), "");
    EXPECT_EQ(Read(mp3), info);
}

TEST(TagInfo, AnUnchangedRecordLeavesTheFileAlone)
{
    testsupport::TempFolder folder;
    for (const auto& [audio, name] : {std::pair{"tone.mp3", "a.mp3"}, std::pair{"tone.flac", "a.flac"},
                                      std::pair{"tone.ogg", "a.ogg"}, std::pair{"tone.wma", "a.wma"}}) {
        SCOPED_TRACE(name);
        const fs::path file = CopyOf(folder, audio, name);
        EXPECT_EQ(WriteTagInfo(file, FullRecord()), "");
        std::ifstream in(file, std::ios::binary);
        const std::string before{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const auto stamp = fs::last_write_time(file) - std::chrono::hours(1);
        fs::last_write_time(file, stamp);
        EXPECT_EQ(WriteTagInfo(file, Read(file)), "");
        EXPECT_EQ(fs::last_write_time(file), stamp);
        std::ifstream again(file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), std::istreambuf_iterator<char>()), before);
    }
}

// Other taggers keep the comment in DESCRIPTION, the encoder in ENCODED-BY
// and the link in WEBSITE; an edit goes back where the value came from.
TEST(TagInfo, FlacReadsTheNamesOtherTaggersUse)
{
    testsupport::TempFolder folder;
    const fs::path flac = CopyOf(folder, "tone.flac", "a.flac");
    ASSERT_EQ(testaudio::Run({"metaflac", "--set-tag=DESCRIPTION=Described", "--set-tag=ENCODED-BY=Someone",
                              "--set-tag=WEBSITE=http://example.org/", "--set-tag=URL=http://own.example/",
                              flac.string()}),
              0);
    TTAGInfo info = Read(flac);
    EXPECT_EQ(info.Comment, "Described");
    EXPECT_EQ(info.EncodedBy, "Someone");
    EXPECT_EQ(info.URL, "http://own.example/");  // the own name wins

    info.Comment = "Changed";
    info.EncodedBy.clear();
    EXPECT_EQ(WriteTagInfo(flac, info), "");
    std::string tags;
    ASSERT_EQ(testaudio::Run({"metaflac", "--export-tags-to=-", flac.string()}, &tags), 0);
    EXPECT_NE(tags.find("DESCRIPTION=Changed\n"), std::string::npos) << tags;
    EXPECT_EQ(tags.find("COMMENT="), std::string::npos) << tags;
    EXPECT_EQ(tags.find("ENCODED-BY="), std::string::npos) << tags;
    EXPECT_NE(tags.find("WEBSITE=http://example.org/\n"), std::string::npos) << tags;
    EXPECT_EQ(Read(flac), info);
}
