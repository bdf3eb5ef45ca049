// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FormatTable.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace engine {

const std::array<const char*, 12> FormatExtensions = {
    ".mp3", ".ogg", ".ape", ".flac", ".aac", ".m4a", ".mp4", ".mpc", ".wav", ".ofr", ".wma", ""};

const std::array<const char*, 12> EncoderPrograms = {
    "lame.exe", "oggenc2.exe", "mac.exe", "flac.exe", "faac.exe", "faac.exe",
    "faac.exe", "mppenc.exe", "ssrc.exe", "ofr.exe", "", ""};

namespace {
constexpr const char* AacTemplate = "$PATH $OPTIONS -o $OUTFILE $INFILE";
}

const std::array<const char*, 12> CommandTemplates = {
    "$PATH $OPTIONS $INFILE $OUTFILE",
    "$PATH $OPTIONS $INFILE -o $OUTFILE",
    "$PATH $INFILE $OUTFILE $OPTIONS",
    "$PATH $OPTIONS -f -o $OUTFILE $INFILE",
    AacTemplate,
    AacTemplate,
    AacTemplate,
    "$PATH $OPTIONS --overwrite $INFILE $OUTFILE",
    "$PATH $OPTIONS $INFILE $OUTFILE",
    "$PATH $OPTIONS --overwrite $INFILE --output $OUTFILE",
    "",
    ""};

namespace {
constexpr const char* AacStreamTemplate = "$PATH $OPTIONS --ignore-length -o $OUTFILE -";
}

const std::array<StreamRow, 12> StreamTemplates = {{
    {"$PATH $OPTIONS - $OUTFILE", true},
    {"$PATH $OPTIONS --ignorelength - -o $OUTFILE", false},
    {"$PATH - $OUTFILE $OPTIONS --ignore-length", false},
    {"$PATH $OPTIONS --ignore-chunk-sizes -f -o $OUTFILE -", false},
    {AacStreamTemplate, false},
    {AacStreamTemplate, false},
    {AacStreamTemplate, false},
    {"$PATH $OPTIONS --overwrite - $OUTFILE", true},
    {"$PATH $OPTIONS --ignore-length - $OUTFILE", false},
    {"", false},
    {"", false},
    {"", false}}};

bool StreamsIntoEncoder(std::uint8_t index)
{
    return index < StreamTemplates.size() && *StreamTemplates[index].commandTemplate != '\0';
}

const std::array<const char*, 12> FormatKindNames = {
    "MPEG Layer-3", "Ogg Vorbis", "Monkey's Audio", "Free Lossless Audio",
    "MPEG-2/AAC", "MPEG-4/AAC", "MPEG-4/AAC", "Musepack",
    "Standard WAV", "OptimFROG Lossless Audio", "Windows media audio", ""};

const std::array<const char*, 11> FormatDisplayNames = {
    "AAC (MPEG-2)",
    "APE (Monkey's Audio)",
    "FLAC (Free Lossless Audio Codec)",
    "M4A (MPEG-4 AAC)",
    "MP3",
    "MP4 (MPEG-4 AAC)",
    "MPC (Musepack)",
    "OFR (OptimFROG Lossless Audio)",
    "Ogg vorbis",
    "WAV (Standard)",
    "WMA (Windows media audio)"};

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
// Above these oggenc and flac refuse the input.
constexpr std::uint32_t OggHighest = 200000;
constexpr std::uint32_t FlacHighest = 655350;
}  // namespace

const std::array<AcceptedRates, 12> FormatAcceptedRates = {{
    {Mp3Rates, 0},
    {{}, OggHighest},
    {{}, 0},
    {{}, FlacHighest},
    {AacRates, 0},
    {AacRates, 0},
    {AacRates, 0},
    {MpcRates, 0},
    {{}, 0},
    {{}, 0},
    {WmaRates, 0},
    {{}, 0},
}};

namespace {
// Output format index of each list position.
constexpr std::array<std::uint8_t, 11> IndexOfPosition = {4, 2, 3, 5, 0, 6, 7, 9, 1, 8, 10};

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

std::uint8_t FormatIndexOfListPosition(int position)
{
    if (position < 0 || position >= FormatCount)
        return NoFormat;
    return IndexOfPosition[size_t(position)];
}

int ListPositionOfFormatIndex(std::uint8_t index)
{
    const auto it = std::find(IndexOfPosition.begin(), IndexOfPosition.end(), index);
    return it == IndexOfPosition.end() ? -1 : int(it - IndexOfPosition.begin());
}

bool AcceptsRate(std::uint8_t format, std::uint32_t rate)
{
    if (format >= FormatAcceptedRates.size())
        return true;
    const AcceptedRates& accepted = FormatAcceptedRates[format];
    if (!accepted.only.empty())
        return std::find(accepted.only.begin(), accepted.only.end(), rate) != accepted.only.end();
    return accepted.highest == 0 || rate <= accepted.highest;
}

std::uint32_t OutputRateFor(std::uint8_t format, std::uint32_t inputRate)
{
    if (AcceptsRate(format, inputRate))
        return inputRate;
    const AcceptedRates& accepted = FormatAcceptedRates[format];
    if (accepted.only.empty())
        return accepted.highest;
    const auto above = std::upper_bound(accepted.only.begin(), accepted.only.end(), inputRate);
    return above != accepted.only.end() ? *above : accepted.only.back();
}

std::uint8_t FormatIndexOfFile(const std::filesystem::path& path)
{
    const std::string extension = Lower(path.extension().string());
    if (extension.empty())
        return NoFormat;
    for (std::uint8_t i = 0; i < NoFormat; ++i)
        if (extension == FormatExtensions[i])
            return i;
    return NoFormat;
}

std::string KindNameOfFile(const std::filesystem::path& path)
{
    return FormatKindNames[FormatIndexOfFile(path)];
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
