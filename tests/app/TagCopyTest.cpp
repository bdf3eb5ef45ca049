// SPDX-License-Identifier: GPL-3.0-or-later
// The tag copy of a batch run between the tagged output kinds, with inputs
// tagged and outputs read by mutagen, and the outputs made by the real
// encoders.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "TagCopyScripts.h"
#include "app/TagSteps.h"
#include "engine/FormatTable.h"
#include "tags/TagInfo.h"
#include "tags/classes/TagError.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::map<std::string, std::string>;

// The values every tagged input of these tests holds (see TagScript).
const Lines TestValues = {
    {"title", "A Song"},
    {"artist", "The Artist"},
    {"albumartist", "Die Älbum Artistin ✓"},
    {"tracknumber", "3"},
    {"tracktotal", "12"},
    {"discnumber", "1"},
    {"disctotal", "2"},
    {"lyrics", "First line\\nSecond line"},
    {"bpm", "120"},
    {"replaygain_track_gain", "-6.50 dB"},
    {"replaygain_track_peak", "0.988770"},
    {"replaygain_album_gain", "-7.25 dB"},
    {"replaygain_album_peak", "0.999969"},
    {"musicbrainz_trackid", "c5b4f1d2-0000-4000-8000-000000000001"},
    {"musicbrainz_albumid", "c5b4f1d2-0000-4000-8000-000000000002"},
    {"musicbrainz_artistid", "c5b4f1d2-0000-4000-8000-000000000003"},
    {"artistsort", "Artist, The"},
    {"albumsort", "Album, An"},
    {"titlesort", "Song, A"},
    {"albumartistsort", "Album Artist, The"},
};

struct Dump {
    Lines values;
    std::vector<std::string> pictures;  // "type|mime|description|md5", in file order
};

void Python(const char* script, const std::vector<std::string>& arguments, std::string* output = nullptr)
{
    std::vector<std::string> argv = {"/usr/bin/python3", "-c", script};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::string printed;
    ASSERT_EQ(testaudio::Run(argv, &printed), 0) << printed;
    if (output)
        *output = printed;
}

Dump Read(const fs::path& file)
{
    std::string printed;
    Python(tagcopytest::DumpScript, {file.string()}, &printed);
    Dump dump;
    std::istringstream lines(printed);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "picture")
            dump.pictures.push_back(value);
        else
            dump.values[key] = value;
    }
    return dump;
}

// The test set's values of a dump, without the kind's own extras.
Lines TestSetOf(const Dump& dump)
{
    Lines values;
    for (const auto& [key, value] : dump.values)
        if (TestValues.count(key))
            values[key] = value;
    return values;
}

class TagCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        wav_ = folder_ / "tone.wav";
        testaudio::MakeToneWav(wav_, 44100, 2, 1.0);
        // Noise, so the cover is larger than one WMA attribute may be (64 KB).
        ASSERT_EQ(testaudio::Run({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                  "nullsrc=s=256x256,geq=lum='random(1)*255':cb=128:cr=128", "-frames:v", "1",
                                  front_.string()}),
                  0);
        ASSERT_GT(fs::file_size(front_), 65536u);
        ASSERT_EQ(testaudio::Run({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "color=blue:s=64x64",
                                  "-frames:v", "1", back_.string()}),
                  0);
    }

    // A file of the kind its name says, encoded from the tone by the real encoder.
    fs::path Encode(const std::string& name)
    {
        const fs::path file = folder_ / name;
        const std::string out = file.string(), in = wav_.string();
        const std::string kind = file.extension().string();
        std::vector<std::string> argv;
        if (kind == ".flac")
            argv = {"flac", "-s", "-f", "-o", out, in};
        else if (kind == ".mp3")
            argv = {"lame", "--silent", in, out};
        else if (kind == ".ogg")
            argv = {"oggenc", "-Q", "-o", out, in};
        else if (kind == ".wav")
            argv = {"cp", in, out};
        else if (kind == ".mpc")
            argv = {"mpcenc", "--silent", "--overwrite", in, out};
        else if (kind == ".ape")
            argv = {"env", "-C", folder_.path().string(), (fs::path(TREMOLIX_TOOLS_BIN) / "tremolix-mac").string(),
                    in, out, "-c1000"};
        else if (kind == ".opus")
            argv = {"opusenc", "--quiet", in, out};
        else if (kind == ".wv")
            argv = {"wavpack", "-q", "-y", in, "-o", out};
        else if (kind == ".wma")
            argv = {"ffmpeg", "-v", "error", "-y", "-i", in, "-c:a", "wmav2", "-map_metadata", "-1", out};
        else
            argv = {"ffmpeg", "-v", "error", "-y", "-i", in, "-c:a", "aac", "-map_metadata", "-1", out};
        std::string printed;
        EXPECT_EQ(testaudio::Run(argv, &printed), 0) << printed;
        return file;
    }

    fs::path TaggedInput(const std::string& name, bool twoFronts = false)
    {
        const fs::path file = Encode(name);
        std::vector<std::string> arguments = {file.string(), front_.string(), back_.string()};
        if (twoFronts)
            arguments.push_back("twofront");
        Python(tagcopytest::TagScript, arguments);
        return file;
    }

    testsupport::TempFolder folder_;
    fs::path wav_;
    fs::path front_ = folder_ / "front.png";
    fs::path back_ = folder_ / "back.jpg";
};

struct Route {
    const char* input;
    const char* output;
};

class TagCopyRoute : public TagCopy, public ::testing::WithParamInterface<Route> {};

bool IsFrontCover(const std::string& picture)
{
    return picture.rfind("3|", 0) == 0;
}

// What of the input's pictures an output of this kind keeps, front covers
// first: MP4 holds front covers only, without a description.
std::vector<std::string> KeptPictures(std::vector<std::string> pictures, const fs::path& output)
{
    std::stable_partition(pictures.begin(), pictures.end(), IsFrontCover);
    if (output.extension() != ".m4a")
        return pictures;
    std::vector<std::string> kept;
    for (const std::string& picture : pictures)
        if (IsFrontCover(picture)) {
            std::vector<std::string> parts;
            std::istringstream fields(picture);
            for (std::string part; std::getline(fields, part, '|');)
                parts.push_back(part);
            kept.push_back("3|" + parts[1] + "||" + parts[3]);
        }
    return kept;
}

TEST_P(TagCopyRoute, ValuesAndPicturesArrive)
{
    const fs::path input = TaggedInput(std::string("in") + GetParam().input);
    const fs::path output = Encode(std::string("out") + GetParam().output);
    const Dump source = Read(input);
    ASSERT_EQ(TestSetOf(source), TestValues) << "the input was not tagged as meant";
    ASSERT_FALSE(source.pictures.empty());

    const std::vector<std::string> lost = app::CopyTags(input, output);

    const Dump copied = Read(output);
    EXPECT_EQ(TestSetOf(copied), TestValues);
    std::vector<std::string> pictures = copied.pictures;
    // WMA keeps pictures above 64 KB apart from the small ones, so readers
    // meet them in another order; the type still marks the front cover.
    if (output.extension() == ".wma")
        std::stable_partition(pictures.begin(), pictures.end(), IsFrontCover);
    EXPECT_EQ(pictures, KeptPictures(source.pictures, output));
    const bool backCoverLost = output.extension() == ".m4a" && source.pictures.size() > 1;
    EXPECT_EQ(lost, backCoverLost ? std::vector<std::string>{"picture (Back cover)"} : std::vector<std::string>{});
    if (output.extension() == ".mp3" || output.extension() == ".wav") {
        EXPECT_EQ(copied.values.at("id3version"), "2.3");
    }
    // Players look ReplayGain up in lower case in these kinds.
    if (output.extension() == ".m4a") {
        EXPECT_EQ(copied.values.at("gain_name"), "----:com.apple.iTunes:replaygain_track_gain");
    }
    if (output.extension() == ".wma") {
        EXPECT_EQ(copied.values.at("gain_name"), "replaygain_track_gain");
    }
    EXPECT_EQ(testaudio::Probe(output, "channels"), "2") << "the output no longer decodes";
}

INSTANTIATE_TEST_SUITE_P(Kinds, TagCopyRoute,
                         ::testing::Values(Route{".flac", ".mp3"}, Route{".mp3", ".flac"}, Route{".flac", ".ogg"},
                                           Route{".flac", ".m4a"}, Route{".m4a", ".mp3"}, Route{".mp3", ".wma"},
                                           Route{".flac", ".ape"}, Route{".ogg", ".mpc"},
                                           Route{".mp3", ".wav"}, Route{".flac", ".opus"},
                                           Route{".m4a", ".wv"}),
                         [](const ::testing::TestParamInfo<Route>& info) {
                             return std::string(info.param.input + 1) + "To" + (info.param.output + 1);
                         });

TEST_F(TagCopy, SecondCopyChangesNothing)
{
    const fs::path input = TaggedInput("in.flac");
    const fs::path output = Encode("out.mp3");
    app::CopyTags(input, output);
    const Dump once = Read(output);
    EXPECT_TRUE(app::CopyTags(input, output).empty());
    const Dump twice = Read(output);
    EXPECT_EQ(twice.values, once.values);
    EXPECT_EQ(twice.pictures, once.pictures);
}

TEST_F(TagCopy, ApeKeepsOneCoverOfEachType)
{
    const fs::path input = TaggedInput("in.flac", true);
    const fs::path output = Encode("out.ape");
    const Dump source = Read(input);
    ASSERT_EQ(source.pictures.size(), 3u);

    EXPECT_EQ(app::CopyTags(input, output), std::vector<std::string>{"picture (Front cover)"});
    // The first front cover is the one kept.
    EXPECT_EQ(Read(output).pictures, (std::vector<std::string>{source.pictures[0], source.pictures[2]}));
}

TEST_F(TagCopy, OutputKindWithoutExtraTagsListsEverythingTheRecordDoesNotWrite)
{
    const fs::path input = TaggedInput("in.flac");
    const fs::path output = Encode("out.aac");

    const std::vector<std::string> lost = app::CopyTags(input, output);

    for (const char* value : {"ALBUMARTIST", "LYRICS", "DISCNUMBER", "DISCTOTAL", "BPM",
                              "MUSICBRAINZ_TRACKID", "picture (Front cover)", "picture (Back cover)"})
        EXPECT_NE(std::find(lost.begin(), lost.end(), value), lost.end()) << value;
    // The record's track text carries the total: "3/12".
    for (const char* recordValue : {"TITLE", "ARTIST", "TRACKNUMBER", "TRACKTOTAL"})
        EXPECT_EQ(std::find(lost.begin(), lost.end(), recordValue), lost.end()) << recordValue;
}

TEST_F(TagCopy, WavOutputCarriesTagsBothReadersSee)
{
    const fs::path input = TaggedInput("in.flac");
    const fs::path output = Encode("out.wav");

    EXPECT_TRUE(app::CopyTags(input, output).empty());

    EXPECT_EQ(TestSetOf(Read(output)), TestValues);
    // ffprobe reads the LIST/INFO chunk.
    std::string printed;
    ASSERT_EQ(testaudio::Run({"ffprobe", "-v", "error", "-show_entries", "format_tags=title,artist", "-of",
                              "default=noprint_wrappers=1", output.string()},
                             &printed),
              0);
    EXPECT_EQ(printed, "TAG:artist=The Artist\nTAG:title=A Song\n");
    EXPECT_EQ(testaudio::Probe(output, "channels"), "2");
}

TEST_F(TagCopy, VorbisNamesBecomeTheTxxxNamesTaggersUse)
{
    const fs::path input = TaggedInput("in.flac");
    const fs::path output = Encode("out.mp3");
    app::CopyTags(input, output);
    std::string printed;
    Python(tagcopytest::StoredNamesScript, {output.string()}, &printed);
    for (const char* line : {"id3:TXXX:MusicBrainz Album Id=c5b4f1d2-0000-4000-8000-000000000002",
                             "id3:TXXX:MusicBrainz Artist Id=c5b4f1d2-0000-4000-8000-000000000003"})
        EXPECT_NE(printed.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << printed;
}

// What a copy from an ID3v2.4 source must show in each kind: names as
// stored, times whole, a comment's description and language.
struct StoredNames {
    const char* output;
    std::vector<std::string> lines;
};

class TagCopyNames : public TagCopy, public ::testing::WithParamInterface<StoredNames> {};

const std::vector<std::string> Id3Lines = {
    "id3:COMM::eng=Plain",
    "id3:COMM:Notiz:deu=Hallo",
    "id3:TDOR=1999-02-01",
    "id3:TDRC=2021-05-03T10:20:30",
    "id3:TDRL=2021-06-01",
    "id3:TIT2=A Song",
    "id3:TMOO=Calm",
    "id3:TXXX:MusicBrainz Album Id=c5b4f1d2-0000-4000-8000-000000000002",
    "id3:TXXX:My Custom=custom value",
    "id3version=2.4",
};

const std::vector<std::string> VorbisLines = {
    "vc:COMMENT:NOTIZ=Hallo",
    "vc:COMMENT=Plain",
    "vc:DATE=2021-05-03T10:20:30",
    "vc:MOOD=Calm",
    "vc:MUSICBRAINZ_ALBUMID=c5b4f1d2-0000-4000-8000-000000000002",
    "vc:MY CUSTOM=custom value",
    "vc:ORIGINALDATE=1999-02-01",
    "vc:RELEASEDATE=2021-06-01",
    "vc:TITLE=A Song",
};

TEST_P(TagCopyNames, NamesTimesAndLanguagesArrive)
{
    const fs::path input = Encode("in.mp3");
    Python(tagcopytest::Id3v24Script, {input.string()});
    const fs::path output = Encode(std::string("out") + GetParam().output);

    EXPECT_EQ(app::CopyTags(input, output), std::vector<std::string>{});

    std::string printed;
    Python(tagcopytest::StoredNamesScript, {output.string()}, &printed);
    std::vector<std::string> lines;
    std::istringstream stream(printed);
    for (std::string line; std::getline(stream, line);)
        if (std::find(GetParam().lines.begin(), GetParam().lines.end(), line) != GetParam().lines.end() ||
            line.rfind("id3:TXXX", 0) == 0 || line.rfind("id3:COMM", 0) == 0)
            lines.push_back(line);
    EXPECT_EQ(lines, GetParam().lines) << printed;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TagCopyNames,
    ::testing::Values(StoredNames{".mp3", Id3Lines}, StoredNames{".wav", Id3Lines}, StoredNames{".flac", VorbisLines},
                      StoredNames{".ogg", VorbisLines},
                      StoredNames{".m4a",
                                  {"mp4:----:com.apple.iTunes:MOOD=Calm",
                                   "mp4:----:com.apple.iTunes:MusicBrainz Album Id="
                                   "c5b4f1d2-0000-4000-8000-000000000002",
                                   "mp4:----:com.apple.iTunes:My Custom=custom value",
                                   "mp4:----:com.apple.iTunes:RELEASEDATE=2021-06-01",
                                   "mp4:\xC2\xA9" "day=2021-05-03T10:20:30"}}),
    [](const ::testing::TestParamInfo<StoredNames>& info) { return std::string(info.param.output + 1); });

TEST_F(TagCopy, ItemsKnownOnlyByNameAreListed)
{
    const fs::path input = TaggedInput("in.mp3");
    Python("import sys, mutagen.id3 as id3\n"
           "t = id3.ID3(sys.argv[1]); t.add(id3.PRIV(owner='example.org', data=b'x')); t.save(v2_version=3)\n",
           {input.string()});
    const fs::path output = Encode("out.flac");

    const std::vector<std::string> lost = app::CopyTags(input, output);

    EXPECT_EQ(lost, std::vector<std::string>{"PRIV"});
    EXPECT_EQ(TestSetOf(Read(output)), TestValues);
}

TEST_F(TagCopy, BrokenFilesLoseNothing)
{
    const fs::path input = TaggedInput("in.flac");
    const std::string inputBytes = testaudio::ReadBytes(input);

    const fs::path empty = folder_ / "empty.mp3";
    std::ofstream(empty).close();
    // A file that is not of its kind refuses the tags and says so.
    EXPECT_THROW(app::CopyTags(input, empty), TagError);
    EXPECT_EQ(fs::file_size(empty), 0u);

    const fs::path notAudio = folder_ / "text.m4a";
    std::ofstream(notAudio) << "this is no audio file at all";
    EXPECT_THROW(app::CopyTags(input, notAudio), TagError);
    EXPECT_EQ(testaudio::ReadBytes(notAudio), "this is no audio file at all");

    const fs::path output = Encode("out.ogg");
    const fs::path truncated = folder_ / "cut.mp3";
    std::ofstream(truncated, std::ios::binary) << testaudio::ReadBytes(TaggedInput("whole.mp3")).substr(0, 3000);
    EXPECT_NO_THROW(app::CopyTags(truncated, output));
    EXPECT_EQ(testaudio::Probe(output, "channels"), "2");
    EXPECT_TRUE(app::CopyTags(folder_ / "missing.mp3", output).empty());

    EXPECT_EQ(testaudio::ReadBytes(input), inputBytes) << "the input was changed";
    for (const auto& entry : fs::directory_iterator(folder_.path()))
        EXPECT_EQ(entry.path().string().find('~'), std::string::npos) << entry.path();
}

}  // namespace

// An Ogg stream's vendor string names the library, not who encoded it: it is
// not copied, while an ENCODEDBY comment is.
TEST_F(TagCopy, OggVendorIsNoEncodedByButTheCommentIs)
{
    const char* frames = "import sys, mutagen.id3 as i\n"
                         "t = i.ID3(sys.argv[1])\n"
                         "print('TENC=' + ';'.join(str(f) for f in t.getall('TENC')))\n"
                         "print('TIT2=' + ';'.join(str(f) for f in t.getall('TIT2')))\n";
    const fs::path plain = TaggedInput("plain.ogg");
    const fs::path output = Encode("plain.mp3");
    app::CopyTags(plain, output);
    std::string printed;
    Python(frames, {output.string()}, &printed);
    EXPECT_EQ(printed, "TENC=\nTIT2=A Song\n");

    const fs::path credited = TaggedInput("credited.ogg");
    Python("import sys, mutagen\nf = mutagen.File(sys.argv[1]); f['ENCODEDBY'] = ['Studio'];  f.save()",
           {credited.string()});
    const fs::path second = Encode("credited.mp3");
    app::CopyTags(credited, second);
    Python(frames, {second.string()}, &printed);
    EXPECT_EQ(printed, "TENC=Studio\nTIT2=A Song\n");
}

// A format row that promises tags needs a writer for its extension, or the
// run's tag copy would skip every output of it.
TEST(FormatRows, EveryTaggedOutputHasAWriterForItsExtension)
{
    for (const engine::Format format : engine::AllFormats) {
        const engine::FormatRow& row = engine::Row(format);
        const bool writable = TagFieldWritable(fs::path("out") += row.extension, TagFieldIndex(&TTAGInfo::Title));
        EXPECT_EQ(writable, row.tags != engine::TagWriter::None) << row.displayName;
    }
}
