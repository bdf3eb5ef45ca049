// SPDX-License-Identifier: GPL-3.0-or-later
// Several values in one field, in every format that stores them: files
// tagged by mutagen, written through the command line, read back by mutagen.
#include <gtest/gtest.h>

#include "InteropTools.h"
#include "TagTestFiles.h"
#include "support/TestAudio.h"

using namespace tagtest;
namespace fs = std::filesystem;

namespace {

struct Format {
    const char* name;
    const char* file;                 // the extension decides the kind
    std::vector<std::string> encode;  // ffmpeg arguments between input and output; none: a test tone
    const char* tone;
    const char* tag;                  // mutagen: opens f, sets a title, two artists and two genres
    const char* titleKey;
    const char* artistKey;
};

const char* const VorbisTagging = "f['TITLE'] = 'Titel'\nf['ARTIST'] = ['Erste', 'Zweite']\n"
                                  "f['GENRE'] = ['Jazz', 'Rock']\nf['MOOD'] = 'calm'\nf.save()\n";

std::string OpenWith(const std::string& opener, const std::string& tagging)
{
    return "import mutagen.oggopus, mutagen.oggflac, mutagen.musepack, mutagen.wavpack\nf = " + opener + "(sys.argv[1])\n" + tagging;
}

const std::vector<Format>& Formats()
{
    static const std::vector<Format> formats = {
        {"flac", "a.flac", {}, "tone.flac", "mutagen.flac.FLAC", "TITLE", "ARTIST"},
        {"ogg", "a.ogg", {}, "tone.ogg", "mutagen.oggvorbis.OggVorbis", "TITLE", "ARTIST"},
        {"opus", "a.opus", {"-c:a", "libopus", "-b:a", "64k"}, nullptr, "mutagen.oggopus.OggOpus", "TITLE", "ARTIST"},
        {"oggflac", "a.oga", {"-c:a", "flac", "-f", "ogg"}, nullptr, "mutagen.oggflac.OggFLAC", "TITLE", "ARTIST"},
        {"wma", "a.wma", {}, "tone.wma", "mutagen.asf.ASF", "Title", "Author"},
        {"m4a", "a.m4a", {}, "tone.m4a", "mutagen.mp4.MP4", "\xC2\xA9nam", "\xC2\xA9" "ART"},
        {"m4b", "a.m4b", {}, "tone.m4a", "mutagen.mp4.MP4", "\xC2\xA9nam", "\xC2\xA9" "ART"},
        {"mpc", "a.mpc", {}, "tone.mpc", "mutagen.musepack.Musepack", "Title", "Artist"},
        {"wv", "a.wv", {"-c:a", "wavpack"}, nullptr, "mutagen.wavpack.WavPack", "Title", "Artist"},
    };
    return formats;
}

std::string Tagging(const Format& format)
{
    const std::string opener = format.tag;
    if (opener == "mutagen.asf.ASF")
        return OpenWith(opener, "f['Title'] = 'Titel'\nf['Author'] = ['Erste', 'Zweite']\n"
                                "f['WM/Genre'] = ['Jazz', 'Rock']\nf['WM/Mood'] = 'calm'\nf.save()\n");
    if (opener == "mutagen.mp4.MP4")
        return OpenWith(opener, "f['\\xa9nam'] = 'Titel'\nf['\\xa9ART'] = ['Erste', 'Zweite']\n"
                                "f['\\xa9gen'] = ['Jazz', 'Rock']\nf['----:com.apple.iTunes:MOOD'] = b'calm'\n"
                                "f.save()\n");
    if (opener == "mutagen.musepack.Musepack" || opener == "mutagen.wavpack.WavPack")
        return OpenWith(opener, "if f.tags is None:\n    f.add_tags()\nf['Title'] = 'Titel'\nf['Artist'] = ['Erste', 'Zweite']\n"
                                "f['Genre'] = ['Jazz', 'Rock']\nf['Lyrics'] = 'eine Zeile\\n'\nf.save()\n");
    return OpenWith(opener, VorbisTagging);
}

fs::path MakeFile(const testsupport::TempFolder& folder, const Format& format)
{
    const fs::path file = folder / format.file;
    if (format.tone) {
        fs::copy_file(testaudio::Get(format.tone), file);
    } else {
        std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-i", testaudio::Get("stereo.wav").string()};
        argv.insert(argv.end(), format.encode.begin(), format.encode.end());
        argv.push_back(file.string());
        EXPECT_EQ(RunProgram(argv), 0);
    }
    interop::Mutagen(Tagging(format), file);
    return file;
}

bool Holds(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class MultiValue : public testing::TestWithParam<Format> {};

// Both values read; a title write keeps every other value; an artist write
// replaces both old artists with exactly the new ones; an empty value
// removes the field.
TEST_P(MultiValue, EveryValueIsReadKeptAndReplaced)
{
    const Format& format = GetParam();
    testsupport::TempFolder folder;
    const fs::path file = MakeFile(folder, format);
    const std::string shown = interop::CliTags(file);
    EXPECT_TRUE(Holds(shown, "\nArtist=Erste\nArtist=Zweite\n")) << shown;
    EXPECT_TRUE(Holds(shown, "\nGenre=Jazz\nGenre=Rock\n")) << shown;

    const std::string audio = interop::AudioMd5(file);
    const std::string others = interop::MutagenDump(file, format.titleKey);
    ASSERT_EQ(interop::CliSet(file, "Title=Neu"), 0);
    EXPECT_EQ(interop::MutagenDump(file, format.titleKey), others);
    EXPECT_TRUE(Holds(interop::MutagenValues(file, format.titleKey), "Neu"));

    const std::string withoutArtist = interop::MutagenDump(file, format.artistKey);
    ASSERT_EQ(interop::CliSet(file, std::vector<std::string>{"Artist=Eins", "Artist=Zwei", "Artist=Drei"}), 0);
    EXPECT_EQ(interop::MutagenDump(file, format.artistKey), withoutArtist);
    const std::string artists = interop::MutagenValues(file, format.artistKey);
    EXPECT_TRUE(Holds(artists, "Eins") && Holds(artists, "Zwei") && Holds(artists, "Drei")) << artists;
    EXPECT_FALSE(Holds(artists, "Erste") || Holds(artists, "Zweite")) << artists;
    EXPECT_TRUE(Holds(interop::CliTags(file), "\nArtist=Eins\nArtist=Zwei\nArtist=Drei\n"));

    ASSERT_EQ(interop::CliSet(file, "Artist=Solo"), 0);
    EXPECT_FALSE(Holds(interop::MutagenValues(file, format.artistKey), "Zwei"));
    ASSERT_EQ(interop::CliSet(file, "Title="), 0);
    EXPECT_EQ(interop::MutagenValues(file, format.titleKey), "");
    EXPECT_TRUE(Holds(interop::CliTags(file), "\nTitle=\n"));
    EXPECT_EQ(interop::AudioMd5(file), audio);
}

INSTANTIATE_TEST_SUITE_P(Formats, MultiValue, testing::ValuesIn(Formats()),
                         [](const testing::TestParamInfo<Format>& info) { return std::string(info.param.name); });

}  // namespace
