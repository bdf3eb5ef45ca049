// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FormatTable.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace engine {

namespace {

// Ascending. lame writes the MPEG rates and would resample anything else
// itself, with a plainer filter than the decode side's.
constexpr std::uint32_t Mp3Rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
// libavcodec's aac encoder, which "faac.exe" runs.
constexpr std::uint32_t AacRates[] = {7350,  8000,  11025, 12000, 16000, 22050, 24000,
                                      32000, 44100, 48000, 64000, 88200, 96000};
constexpr std::uint32_t MpcRates[] = {32000, 37800, 44100, 48000};
// wmav2 refuses rates above 48000; these are the ones WMA players know.
constexpr std::uint32_t WmaRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
// Opus always plays at 48 kHz and opusenc would resample anything else with
// a filter of its own: the decode side brings every input there instead.
constexpr std::uint32_t OpusRates[] = {48000};
// Above these oggenc and flac refuse the input.
constexpr std::uint32_t OggHighest = 200000;
constexpr std::uint32_t FlacHighest = 655350;

constexpr const char* AacTemplate = "$PATH $OPTIONS -o $OUTFILE $INFILE";
constexpr const char* AacStreamTemplate = "$PATH $OPTIONS --ignore-length -o $OUTFILE -";

// lame, mpcenc and the WMA encoder take stereo at most; our APE encoder
// and the OptimFROG slot take 16-bit mono or stereo. oggenc, opusenc and
// the AAC encoder map the WAV channel order onto their own.
constexpr SampleCapability Lossy16Stereo = {16, 2, false};
constexpr SampleCapability LossyMultichannel = {16, 8, false};
constexpr SampleCapability Lossless16Stereo = {16, 2, true};
constexpr SampleCapability Lossless24Multichannel = {24, 8, true};

using enum ProgressStyle;
using IP = InProcessEncoder;
using TW = TagWriter;

// Indexed by the output format index.
constexpr std::array<FormatRow, FormatCount + 1> Rows = {{
    {"MP3", "MP3", ".mp3", "MPEG Layer-3", 4, "lame.exe", IP::None,
     "$PATH $OPTIONS $INFILE $OUTFILE", {"$PATH $OPTIONS - $OUTFILE", true},
     {Mp3Rates, 0}, Percent, 128, TW::Id3AndApe, Lossy16Stereo},
    {"Ogg vorbis", "Ogg vorbis", ".ogg", "Ogg Vorbis", 8, "oggenc2.exe", IP::None,
     "$PATH $OPTIONS $INFILE -o $OUTFILE", {"$PATH $OPTIONS --ignorelength - -o $OUTFILE", false},
     {{}, OggHighest}, PercentTenths, 128, TW::VorbisComments, LossyMultichannel},
    {"APE (Monkey's Audio)", "APE", ".ape", "Monkey's Audio", 1, "mac.exe", IP::None,
     "$PATH $INFILE $OUTFILE $OPTIONS", {"$PATH - $OUTFILE $OPTIONS --ignore-length", false},
     {{}, 0}, Percent, 128, TW::Ape, Lossless16Stereo},
    {"FLAC (Free Lossless Audio Codec)", "FLAC", ".flac", "Free Lossless Audio", 2, "flac.exe", IP::None,
     "$PATH $OPTIONS -f -o $OUTFILE $INFILE", {"$PATH $OPTIONS --ignore-chunk-sizes -f -o $OUTFILE -", false},
     {{}, FlacHighest}, Percent, 32, TW::FlacComments, Lossless24Multichannel},
    {"AAC (MPEG-2)", "AAC", ".aac", "MPEG-2/AAC", 0, "faac.exe", IP::None,
     AacTemplate, {AacStreamTemplate, false}, {AacRates, 0}, Percent, 128, TW::Id3AndApe, LossyMultichannel},
    {"M4A (MPEG-4 AAC)", "M4A", ".m4a", "MPEG-4/AAC", 3, "faac.exe", IP::None,
     AacTemplate, {AacStreamTemplate, false}, {AacRates, 0}, Percent, 128, TW::Mp4, LossyMultichannel},
    {"MP4 (MPEG-4 AAC)", "MP4", ".mp4", "MPEG-4/AAC", 5, "faac.exe", IP::None,
     AacTemplate, {AacStreamTemplate, false}, {AacRates, 0}, Percent, 128, TW::Mp4, LossyMultichannel},
    {"MPC (Musepack)", "MPC", ".mpc", "Musepack", 6, "mppenc.exe", IP::None,
     "$PATH $OPTIONS --overwrite $INFILE $OUTFILE", {"$PATH $OPTIONS --overwrite - $OUTFILE", true},
     {MpcRates, 0}, LeadingNumber, 128, TW::Ape, Lossy16Stereo},
    {"WAV (Standard)", "WAV", ".wav", "Standard WAV", 9, "ssrc.exe", IP::None,
     "$PATH $OPTIONS $INFILE $OUTFILE", {"$PATH $OPTIONS --ignore-length - $OUTFILE", false},
     {{}, 0}, Percent, 128, TW::None, Lossless24Multichannel},
    {"OFR (OptimFROG Lossless Audio)", "OFR", ".ofr", "OptimFROG Lossless Audio", 7, "ofr.exe", IP::None,
     "$PATH $OPTIONS --overwrite $INFILE --output $OUTFILE", {"", false},
     {{}, 0}, Compressing, 32, TW::Ape, Lossless16Stereo},
    {"WMA (Windows media audio)", "WMA", ".wma", "Windows media audio", 10, "", IP::Wma,
     "", {"", false}, {WmaRates, 0}, Percent, 128, TW::WmaAttributes, Lossy16Stereo},
    {"", "", "", "", -1, "", IP::None, "", {"", false}, {{}, 0}, Percent, 128, TW::None, Lossy16Stereo},
    // Added formats: opusenc and wavpack read to the end of the stream when
    // told to ignore the header's length.
    {"Opus", "Opus", ".opus", "Opus", 11, "opusenc.exe", IP::None,
     "$PATH $OPTIONS $INFILE $OUTFILE", {"$PATH $OPTIONS --ignorelength - $OUTFILE", false},
     {OpusRates, 0}, Percent, 128, TW::VorbisComments, LossyMultichannel},
    {"WavPack", "WavPack", ".wv", "WavPack", 12, "wavpack.exe", IP::None,
     "$PATH $OPTIONS -y -r $INFILE -o $OUTFILE", {"$PATH $OPTIONS -y -r -i - -o $OUTFILE", false},
     {{}, 0}, Percent, 128, TW::Ape, Lossless24Multichannel},
    // ".m4a" is the M4A row's first: without its codec a file's kind is
    // MPEG-4/AAC.
    {"ALAC (Apple Lossless)", "ALAC", ".m4a", "Apple Lossless", 13, "", IP::Alac,
     "", {"", false}, {{}, 0}, Percent, 128, TW::Mp4, Lossless24Multichannel},
}};

static_assert(Rows[NoFormat].listPosition == -1);

// Only the Apple Lossless row holds "alac" among rows that share its
// extension.
bool CodecFits(const FormatRow& row, std::string_view codec)
{
    return codec.empty() || (row.inProcess == InProcessEncoder::Alac) == (codec == "alac");
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// Rounds to four significant digits, then shows two decimals.
std::string FourDigitsTwoDecimals(double value)
{
    if (value > 0) {
        const double magnitude = std::floor(std::log10(value)) + 1;
        const double scale = std::pow(10.0, 4 - magnitude);
        value = std::round(value * scale) / scale;
    }
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 2).toStdString();
}
}  // namespace

const std::array<Format, FormatCount> AllFormats = {
    FormatMp3, FormatOgg, FormatApe, FormatFlac, FormatAac, FormatM4a, FormatMp4,
    FormatMpc, FormatWav, FormatOfr, FormatWma, FormatOpus, FormatWavPack, FormatAlac};

const FormatRow& Row(std::uint8_t index)
{
    return index < Rows.size() ? Rows[index] : Rows[NoFormat];
}

bool StreamsIntoEncoder(std::uint8_t index)
{
    return *Row(index).stream.commandTemplate != '\0';
}

std::uint8_t FormatIndexOfListPosition(int position)
{
    for (const Format format : AllFormats)
        if (Rows[format].listPosition == position)
            return format;
    return NoFormat;
}

int ListPositionOfFormatIndex(std::uint8_t index)
{
    return Row(index).listPosition;
}

std::array<const char*, FormatCount> DisplayNamesInListOrder()
{
    std::array<const char*, FormatCount> names{};
    for (const Format format : AllFormats)
        names[std::size_t(Rows[format].listPosition)] = Rows[format].displayName;
    return names;
}

bool AcceptsRate(std::uint8_t format, std::uint32_t rate)
{
    const AcceptedRates& accepted = Row(format).rates;
    if (!accepted.only.empty())
        return std::find(accepted.only.begin(), accepted.only.end(), rate) != accepted.only.end();
    return accepted.highest == 0 || rate <= accepted.highest;
}

std::uint32_t OutputRateFor(std::uint8_t format, std::uint32_t inputRate)
{
    if (AcceptsRate(format, inputRate))
        return inputRate;
    const AcceptedRates& accepted = Row(format).rates;
    if (accepted.only.empty())
        return accepted.highest;
    const auto above = std::upper_bound(accepted.only.begin(), accepted.only.end(), inputRate);
    return above != accepted.only.end() ? *above : accepted.only.back();
}

std::uint8_t FormatIndexOfFile(const std::filesystem::path& path, std::string_view codec)
{
    const std::string extension = Lower(path.extension().string());
    if (extension.empty())
        return NoFormat;
    for (const Format format : AllFormats)
        if (extension == Rows[format].extension && CodecFits(Rows[format], codec))
            return format;
    // A codec no row of the extension makes: the name alone decides.
    return codec.empty() ? std::uint8_t(NoFormat) : FormatIndexOfFile(path);
}

std::string KindNameOfFile(const std::filesystem::path& path, std::string_view codec)
{
    return Row(FormatIndexOfFile(path, codec)).kindName;
}

std::string FormatSize(std::int64_t bytes)
{
    if (bytes < 1024)
        return std::to_string(bytes) + " Bytes";
    if (bytes > 1048576)
        return FourDigitsTwoDecimals(double(bytes) / 1048576.0) + " MB";
    return FourDigitsTwoDecimals(double(bytes) / 1024.0) + " KB";
}

std::string FormatDuration(std::uint32_t milliseconds)
{
    if (milliseconds == 4294967295u)
        milliseconds = 0;
    const std::uint32_t s = milliseconds / 1000;
    const std::uint32_t h = s / 3600;
    const std::uint32_t m = (s - 3600 * h) / 60;
    const std::uint32_t sec = s - 3600 * h - 60 * m;
    const std::uint32_t rest = milliseconds - 1000 * (3600 * h + 60 * m + sec);
    char hundredths[8];
    std::snprintf(hundredths, sizeof hundredths, "%03u", rest);
    char text[48];
    std::snprintf(text, sizeof text, "%02u:%02u.%.2s", m, sec, hundredths);
    if (h == 0)
        return text;
    char hours[16];
    std::snprintf(hours, sizeof hours, "%02u.", h);
    return hours + std::string(text);
}

}  // namespace engine
