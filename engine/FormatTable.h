// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The output formats, one row each. The output format index (0 MP3 ... 10
// WMA, 11 none, then the formats added later) is what settings and jobs
// store, so a row keeps its number for good; the main window lists the
// formats in another order, the list position, where added formats follow
// the first eleven.

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace engine {

enum Format : std::uint8_t {
    FormatMp3 = 0,
    FormatOgg = 1,
    FormatApe = 2,
    FormatFlac = 3,
    FormatAac = 4,
    FormatM4a = 5,
    FormatMp4 = 6,
    FormatMpc = 7,
    FormatWav = 8,
    FormatOfr = 9,
    FormatWma = 10,
    NoFormat = 11,
    FormatOpus = 12,
    FormatWavPack = 13,
    FormatAlac = 14,
};

// Formats that can be chosen; also the number of list positions.
constexpr int FormatCount = 14;
// Every format in index order, NoFormat left out.
extern const std::array<Format, FormatCount> AllFormats;

// How a row's encoder reads a WAV stream on standard input instead of the
// temporary WAV file: its template (the input named "-"), and whether the
// header must declare the length unknown because the encoder would stop at
// a declared length and has no switch to read to the end. A row without a
// template keeps the temporary WAV file.
struct StreamRow {
    const char* commandTemplate;
    bool unknownLength;
};

// The sample rates an output format's encoder takes: only the listed ones
// (ascending) when the list is not empty, else any rate up to highest (0:
// no limit).
struct AcceptedRates {
    std::span<const std::uint32_t> only;
    std::uint32_t highest = 0;
};

// Where a program's percentage is found in its output.
enum class ProgressStyle : std::uint8_t {
    Percent,         // the last "12%"
    PercentTenths,   // the last "45.3%"
    LeadingNumber,   // the number before the first double space
    Compressing,     // "Compressing 45.6%"
};

// Encoders that run inside the process rather than as a program.
enum class InProcessEncoder : std::uint8_t { None, Wma, Alac };

// Which tag writer the output gets (by its extension, in tags/).
enum class TagWriter : std::uint8_t { None, Id3AndApe, Ape, VorbisComments, FlacComments, Mp4, WmaAttributes };

// What a format keeps of a source's samples.
struct SampleCapability {
    std::uint8_t maxBits;      // 16 or 24
    std::uint8_t maxChannels;  // 2, or up to 8 in the format's own order
    bool lossless;             // a depth it cannot hold is a loss worth a note
};

struct FormatRow {
    const char* displayName;  // the format box's text
    const char* shortName;    // the preset folder's name
    const char* extension;
    const char* kindName;
    int listPosition;         // -1 for NoFormat
    const char* program;      // member of the encoder archive; "" for none
    InProcessEncoder inProcess;
    const char* commandTemplate;  // "" for none
    StreamRow stream;
    AcceptedRates rates;
    ProgressStyle progress;
    std::uint8_t progressReadSize;  // bytes per read of the program's output
    TagWriter tags;
    SampleCapability samples;
};

// The row of an output format index; NoFormat's empty row for any index
// without one.
const FormatRow& Row(std::uint8_t index);

bool StreamsIntoEncoder(std::uint8_t index);

// Whether the format's encoder takes the rate; any rate for NoFormat and
// indexes beyond the table.
bool AcceptsRate(std::uint8_t format, std::uint32_t rate);
// The rate to decode to for the format: inputRate when the encoder takes it,
// else the nearest accepted rate above it, else the highest accepted rate.
std::uint32_t OutputRateFor(std::uint8_t format, std::uint32_t inputRate);

// List position <-> output format index; out of range gives NoFormat / -1.
std::uint8_t FormatIndexOfListPosition(int position);
int ListPositionOfFormatIndex(std::uint8_t index);
// Display names in list order.
std::array<const char*, FormatCount> DisplayNamesInListOrder();

// The row whose extension equals the file's (letter case ignored), first
// from index 0; NoFormat when none does. A known codec (FFmpeg's name, e.g.
// "alac") tells apart rows that share the extension.
std::uint8_t FormatIndexOfFile(const std::filesystem::path& path, std::string_view codec = {});
std::string KindNameOfFile(const std::filesystem::path& path, std::string_view codec = {});

// Sizes and durations as the file list shows them (locale decimal point).
std::string FormatSize(std::int64_t bytes);
std::string FormatDuration(std::uint32_t milliseconds);

}  // namespace engine
