// SPDX-License-Identifier: GPL-3.0-or-later
// Loudness through the program: gain values in every output kind as mutagen
// reads them, gain values written into existing files, loudness applied.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "cli/CliRunner.h"
#include "support/LoudnessTools.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// Every gain value mutagen finds, by its name as stored (upper-cased for
// the kinds whose names are case-blind), one "NAME=value" a line.
constexpr const char* ReadGains = R"(
import sys, mutagen
f = mutagen.File(sys.argv[1])
for key, value in (f.tags.items() if hasattr(f.tags, 'items') else f.tags):
    if 'replaygain' not in key.lower() and 'r128' not in key.lower():
        continue
    value = value[0] if isinstance(value, list) else value
    value = bytes(value).decode() if hasattr(value, 'dataformat') else str(value)
    text = value.text[0] if hasattr(value, 'text') else value
    # Vorbis comment names are case-blind; mutagen shows them in lower case.
    print((key.upper() if hasattr(f.tags, 'vendor') else key) + '=' + str(text))
)";

std::map<std::string, std::string> Gains(const fs::path& file)
{
    std::string output;
    EXPECT_EQ(testaudio::Run({"/usr/bin/python3", "-c", ReadGains, file.string()}, &output), 0) << output;
    std::map<std::string, std::string> gains;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (const auto eq = line.find('='); eq != std::string::npos)
            gains[line.substr(0, eq)] = line.substr(eq + 1);
    return gains;
}

double Decibels(const std::string& text)
{
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(-?\d+\.\d\d dB)"))) << text;
    return std::stod(text);
}

std::string Preset(const std::string& format)
{
    const CliResult presets = RunCli({"presets", format});
    return presets.output.substr(0, presets.output.find('\n'));
}

void Convert(const std::string& format, const std::string& preset, const fs::path& target,
             std::vector<std::string> more)
{
    std::vector<std::string> args = {"convert", "--format", format,          "--preset", preset,
                                     "--target", target.string(), "--when-exists", "overwrite"};
    args.insert(args.end(), more.begin(), more.end());
    const CliResult result = RunCli(args);
    EXPECT_EQ(result.exitCode, 0) << result.output;
}

struct Kind {
    const char* format;
    const char* extension;
    const char* trackGain;  // the names mutagen shows
    const char* albumGain;
    const char* trackPeak;
};

// The names players and taggers look up in each kind.
const Kind Kinds[] = {
    {"MP3", ".mp3", "TXXX:REPLAYGAIN_TRACK_GAIN", "TXXX:REPLAYGAIN_ALBUM_GAIN", "TXXX:REPLAYGAIN_TRACK_PEAK"},
    {"FLAC (Free Lossless Audio Codec)", ".flac", "REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_ALBUM_GAIN",
     "REPLAYGAIN_TRACK_PEAK"},
    {"Ogg vorbis", ".ogg", "REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_TRACK_PEAK"},
    {"M4A (MPEG-4 AAC)", ".m4a", "----:com.apple.iTunes:replaygain_track_gain",
     "----:com.apple.iTunes:replaygain_album_gain", "----:com.apple.iTunes:replaygain_track_peak"},
    {"WMA (Windows media audio)", ".wma", "replaygain_track_gain", "replaygain_album_gain", "replaygain_track_peak"},
    {"APE (Monkey's Audio)", ".ape", "REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_TRACK_PEAK"},
    {"MPC (Musepack)", ".mpc", "REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_TRACK_PEAK"},
};

// The loudness of files played one after the other.
double ConcatenatedLoudness(const testsupport::TempFolder& folder, const fs::path& a, const fs::path& b)
{
    const fs::path whole = folder / "whole.flac";
    testaudio::Run({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", a.string(), "-i", b.string(),
                    "-filter_complex", "[0][1]concat=n=2:v=0:a=1", whole.string()});
    return testaudio::FfmpegLoudness(whole).integrated;
}

}  // namespace

// Two tracks of one album and one of another, in one folder: every kind
// gets each track's gain and its album's, the album measured as one.
TEST(ReplayGain, ConvertWritesTrackAndAlbumValuesInEveryKind)
{
    const testsupport::TempFolder folder;
    fs::create_directory(folder / "in");
    const fs::path one = folder / "in" / "one.flac", two = folder / "in" / "two.flac", other = folder / "in" / "x.flac";
    testaudio::MakeMusic(one, 6, -6, 1, 44100, 2, {"album=First", "artist=Band"});
    testaudio::MakeMusic(two, 9, 0, 2, 44100, 2, {"album=First", "artist=Band"});
    testaudio::MakeMusic(other, 5, -10, 3, 44100, 2, {"album=Second", "artist=Band"});
    const double trackOne = -18 - testaudio::FfmpegLoudness(one).integrated;
    const double trackOther = -18 - testaudio::FfmpegLoudness(other).integrated;
    const double album = -18 - ConcatenatedLoudness(folder, one, two);
    for (const Kind& kind : Kinds) {
        SCOPED_TRACE(kind.format);
        const fs::path target = folder / "out";
        Convert(kind.format, Preset(kind.format), target, {"--copy-tags", "--replaygain", "album", (folder / "in").string()});
        const auto first = Gains(target / (std::string("one") + kind.extension));
        const auto second = Gains(target / (std::string("two") + kind.extension));
        const auto alone = Gains(target / (std::string("x") + kind.extension));
        ASSERT_TRUE(first.contains(kind.trackGain) && first.contains(kind.albumGain)) << first.size();
        EXPECT_NEAR(Decibels(first.at(kind.trackGain)), trackOne, 0.11);
        EXPECT_NEAR(Decibels(first.at(kind.albumGain)), album, 0.11);
        EXPECT_EQ(first.at(kind.albumGain), second.at(kind.albumGain));
        EXPECT_TRUE(std::regex_match(first.at(kind.trackPeak), std::regex(R"(0\.\d{6})"))) << first.at(kind.trackPeak);
        // An album of one track: its album value is its track value.
        EXPECT_NEAR(Decibels(alone.at(kind.trackGain)), trackOther, 0.11);
        EXPECT_EQ(alone.at(kind.albumGain), alone.at(kind.trackGain));
        fs::remove_all(target);
    }
}

// Opus readers take R128 values on top of the stream's output gain, in
// 1/256 dB towards -23 LUFS; a header gain of +3 dB is part of what they
// hear, so the R128 value is measured after it.
TEST(ReplayGain, TagsWritesOpusR128ValuesRelativeToTheOutputGain)
{
    const testsupport::TempFolder folder;
    const fs::path wav = folder / "music.wav", opus = folder / "music.opus";
    testaudio::MakeMusic(wav, 6, -4, 4);
    ASSERT_EQ(testaudio::Run({"opusenc", "--quiet", "--album", "A", "--artist", "B", wav.string(), opus.string()}), 0);
    const double plain = testaudio::FfmpegLoudness(opus).integrated;
    // The OpusHead output gain (Q7.8 at byte 16), with the page's CRC redone.
    ASSERT_EQ(testaudio::Run({"/usr/bin/python3", "-c", R"(
import sys, struct
data = bytearray(open(sys.argv[1], 'rb').read())
head = data.find(b'OpusHead')
data[head + 16:head + 18] = struct.pack('<h', 768)
size = 27 + data[26] + sum(data[27:27 + data[26]])
page = data[:size]; page[22:26] = b'\0\0\0\0'
crc = 0
for byte in page:
    crc ^= byte << 24
    for _ in range(8):
        crc = ((crc << 1) ^ 0x04C11DB7 if crc & 0x80000000 else crc << 1) & 0xFFFFFFFF
data[22:26] = struct.pack('<I', crc)
open(sys.argv[1], 'wb').write(data)
)", opus.string()}), 0);
    const double heard = testaudio::FfmpegLoudness(opus).integrated;
    ASSERT_NEAR(heard - plain, 3.0, 0.1);

    const CliResult result = RunCli({"tags", "--replaygain", "album", opus.string()});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    const auto gains = Gains(opus);
    ASSERT_TRUE(gains.contains("R128_TRACK_GAIN") && gains.contains("R128_ALBUM_GAIN")) << result.output;
    EXPECT_TRUE(std::regex_match(gains.at("R128_TRACK_GAIN"), std::regex(R"(-?\d+)")));
    EXPECT_NEAR(std::stoi(gains.at("R128_TRACK_GAIN")), (-23 - heard) * 256, 0.1 * 256);
    EXPECT_EQ(gains.at("R128_ALBUM_GAIN"), gains.at("R128_TRACK_GAIN"));
    for (const auto& [key, value] : gains)
        EXPECT_EQ(key.find("REPLAYGAIN"), std::string::npos) << key;
    // The audio itself is untouched: the rewrite is of the tags only.
    EXPECT_NEAR(testaudio::FfmpegLoudness(opus).integrated, heard, 0.01);
}

// Silence has no loudness to bring anywhere: no gain goes into the file,
// and the report says so; the other files are still written.
TEST(ReplayGain, TagsWritesNothingForSilence)
{
    const testsupport::TempFolder folder;
    const fs::path silence = folder / "silence.flac", music = folder / "music.flac";
    testaudio::Run({"ffmpeg", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i", "anullsrc=r=44100:cl=stereo",
                    "-t", "3", silence.string()});
    testaudio::MakeMusic(music, 5, -2, 5);
    const CliResult result = RunCli({"tags", "--replaygain", "track", folder.path().string()});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("silence.flac\tsilent: no gain"), std::string::npos) << result.output;
    EXPECT_TRUE(Gains(silence).empty());
    EXPECT_NEAR(Decibels(Gains(music).at("REPLAYGAIN_TRACK_GAIN")),
                -18 - testaudio::FfmpegLoudness(music).integrated, 0.11);
}

// The applied gain lands the output on the target, the true peak stays
// below -1 dBTP even when that leaves the target unreached, and the gain
// values written describe the output as it is.
TEST(ReplayGain, NormalizeLoudnessLandsOnTheTarget)
{
    const testsupport::TempFolder folder;
    fs::create_directory(folder / "in");
    testaudio::MakeMusic(folder / "in" / "soft.flac", 8, -16, 6);
    testaudio::MakeMusic(folder / "in" / "loud.flac", 8, 6, 7);
    Convert("FLAC (Free Lossless Audio Codec)", Preset("FLAC (Free Lossless Audio Codec)"), folder / "flac",
            {"--normalize-loudness", "-20", "--replaygain", "track", (folder / "in").string()});
    const testaudio::MeasuredLevel soft = testaudio::FfmpegLoudness(folder / "flac" / "soft.flac");
    EXPECT_NEAR(soft.integrated, -20, 0.1);
    EXPECT_LT(soft.truePeakDb, -1);
    EXPECT_NEAR(Decibels(Gains(folder / "flac" / "soft.flac").at("REPLAYGAIN_TRACK_GAIN")), 2, 0.11);

    const fs::path input = folder / "in" / "loud.flac";
    Convert("FLAC (Free Lossless Audio Codec)", Preset("FLAC (Free Lossless Audio Codec)"), folder / "flac",
            {"--normalize-loudness", "-5", input.string()});
    const testaudio::MeasuredLevel loud = testaudio::FfmpegLoudness(folder / "flac" / "loud.flac");
    EXPECT_LT(loud.truePeakDb, -1);
    EXPECT_GE(loud.truePeakDb, -1.3);  // limited, not lowered further
    EXPECT_LT(loud.integrated, -5);

    Convert("MP3", "CBR 320 kbps", folder / "mp3", {"--normalize-loudness", "-20", (folder / "in" / "soft.flac").string()});
    EXPECT_NEAR(testaudio::FfmpegLoudness(folder / "mp3" / "soft.mp3").integrated, -20, 0.5);
}

TEST(ReplayGain, RefusesBadLoudnessOptions)
{
    const testsupport::TempFolder folder;
    const std::vector<std::vector<std::string>> bad = {
        {"--replaygain", "loud"}, {"--normalize-loudness", "3"}, {"--normalize-loudness", "-18dB"},
        {"--normalize-by", "disc"}};
    for (const auto& options : bad) {
        std::vector<std::string> args = {"convert", "--format", "MP3", "--preset", "CBR 128 kbps",
                                         "--target", folder.path().string()};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(testaudio::Get("stereo.wav").string());
        const CliResult result = RunCli(args);
        EXPECT_EQ(result.exitCode, 2) << options[0] << ' ' << options[1];
        EXPECT_NE(result.output.find(options[0] + " takes"), std::string::npos) << result.output;
    }
    EXPECT_EQ(RunCli({"tags", "--replaygain", "disc", folder.path().string()}).exitCode, 2);
}

// An album is one folder's files with the same album artist (or artist,
// when none) and album: a compilation's artists do not split it, and the
// same names in another folder make another album.
TEST(ReplayGain, AlbumsAreFoldersFilesSharingAlbumArtistAndAlbum)
{
    const testsupport::TempFolder folder;
    fs::create_directories(folder / "one");
    fs::create_directories(folder / "two");
    const fs::path first = folder / "one" / "a.flac", second = folder / "one" / "b.flac";
    const fs::path elsewhere = folder / "two" / "c.flac";
    testaudio::MakeMusic(first, 5, -9, 11, 44100, 2, {"album=Hits", "artist=P", "album_artist=Various"});
    testaudio::MakeMusic(second, 5, 0, 12, 44100, 2, {"album=Hits", "artist=Q", "album_artist=Various"});
    testaudio::MakeMusic(elsewhere, 5, -4, 13, 44100, 2, {"album=Hits", "artist=P", "album_artist=Various"});
    const CliResult result = RunCli({"tags", "--replaygain", "album", (folder / "one").string(), elsewhere.string()});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    const auto a = Gains(first), b = Gains(second), c = Gains(elsewhere);
    ASSERT_TRUE(a.contains("REPLAYGAIN_ALBUM_GAIN") && c.contains("REPLAYGAIN_ALBUM_GAIN")) << result.output;
    EXPECT_EQ(a.at("REPLAYGAIN_ALBUM_GAIN"), b.at("REPLAYGAIN_ALBUM_GAIN"));
    EXPECT_NEAR(Decibels(a.at("REPLAYGAIN_ALBUM_GAIN")), -18 - ConcatenatedLoudness(folder, first, second), 0.11);
    EXPECT_EQ(c.at("REPLAYGAIN_ALBUM_GAIN"), c.at("REPLAYGAIN_TRACK_GAIN"));
    EXPECT_EQ(a.at("REPLAYGAIN_ALBUM_PEAK"), b.at("REPLAYGAIN_TRACK_PEAK"));
}

// Gain values copied with an input's tags describe the input; once a gain
// changed the level they would mislead, so they go or are replaced.
TEST(ReplayGain, CopiedValuesDoNotOutliveAnAppliedGain)
{
    const testsupport::TempFolder folder;
    const fs::path input = folder / "tagged.flac";
    testaudio::MakeMusic(input, 5, -12, 14, 44100, 2,
                         {"album=A", "REPLAYGAIN_TRACK_GAIN=-9.99 dB", "REPLAYGAIN_TRACK_PEAK=0.999999",
                          "REPLAYGAIN_ALBUM_GAIN=-8.88 dB", "REPLAYGAIN_ALBUM_PEAK=0.999999"});
    const std::string flac = "FLAC (Free Lossless Audio Codec)";
    Convert(flac, Preset(flac), folder / "kept", {"--copy-tags", input.string()});
    EXPECT_EQ(Gains(folder / "kept" / "tagged.flac").at("REPLAYGAIN_ALBUM_GAIN"), "-8.88 dB");

    Convert(flac, Preset(flac), folder / "applied", {"--copy-tags", "--normalize-loudness", "-20", input.string()});
    EXPECT_TRUE(Gains(folder / "applied" / "tagged.flac").empty());

    Convert(flac, Preset(flac), folder / "track",
            {"--copy-tags", "--normalize-loudness", "-20", "--replaygain", "track", input.string()});
    const auto track = Gains(folder / "track" / "tagged.flac");
    EXPECT_NEAR(Decibels(track.at("REPLAYGAIN_TRACK_GAIN")), 2, 0.11);
    EXPECT_FALSE(track.contains("REPLAYGAIN_ALBUM_GAIN"));
}

// probe --loudness reports without writing: the measure, the true peak and
// the gain, null where silence has none.
TEST(ReplayGain, ProbeReportsTheMeasure)
{
    const testsupport::TempFolder folder;
    const fs::path music = folder / "music.flac", silence = folder / "silence.wav";
    testaudio::MakeMusic(music, 5, -5, 15);
    testaudio::Run({"ffmpeg", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i", "anullsrc=r=44100:cl=mono",
                    "-t", "2", silence.string()});
    const std::string before = testaudio::ReadBytes(music);
    const CliStreams result = RunCliStreams({"probe", "--loudness", "--json", music.string(), silence.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::istringstream lines(result.out);
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    const testaudio::MeasuredLevel expected = testaudio::FfmpegLoudness(music);
    const std::smatch loudness = [&] {
        std::smatch match;
        std::regex_search(first, match, std::regex(R"("loudness":(-?[0-9.]+))"));
        return match;
    }();
    ASSERT_EQ(loudness.size(), 2u) << first;
    EXPECT_NEAR(std::stod(loudness[1]), expected.integrated, 0.1);
    EXPECT_NE(first.find("\"truePeakDb\":"), std::string::npos) << first;
    EXPECT_NE(second.find("\"gain\":null"), std::string::npos) << second;
    EXPECT_NE(second.find("\"loudness\":null"), std::string::npos) << second;
    EXPECT_EQ(testaudio::ReadBytes(music), before);
}
