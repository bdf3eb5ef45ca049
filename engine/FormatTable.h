// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The eleven output formats. The output format index (0 MP3 ... 10 WMA,
// 11 none) indexes the tables; the main window lists the formats in another
// order, the list position.

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace engine {

constexpr int FormatCount = 11;
constexpr std::uint8_t NoFormat = 11;
constexpr std::uint8_t FormatWav = 8;
constexpr std::uint8_t FormatOfr = 9;
constexpr std::uint8_t FormatWma = 10;

extern const std::array<const char*, 12> FormatExtensions;
extern const std::array<const char*, 12> EncoderPrograms;   // "" for none
extern const std::array<const char*, 12> CommandTemplates;  // "" for none
// How a row's encoder reads a WAV stream on standard input instead of the
// temporary WAV file: its template (the input named "-"), and whether the
// header must declare the length unknown because the encoder would stop at
// a declared length and has no switch to read to the end. A row without a
// template keeps the temporary WAV file.
struct StreamRow {
    const char* commandTemplate;
    bool unknownLength;
};
extern const std::array<StreamRow, 12> StreamTemplates;
bool StreamsIntoEncoder(std::uint8_t index);
extern const std::array<const char*, 12> FormatKindNames;
// Display names in list order (positions 0 to 10).
extern const std::array<const char*, 11> FormatDisplayNames;

// The sample rates an output format's encoder takes: only the listed ones
// when the list is not empty, else any rate up to highest (0: no limit).
struct AcceptedRates {
    std::span<const std::uint32_t> only;
    std::uint32_t highest = 0;
};
extern const std::array<AcceptedRates, 12> FormatAcceptedRates;

// Whether the format's encoder takes the rate; any rate for NoFormat and
// indexes beyond the table.
bool AcceptsRate(std::uint8_t format, std::uint32_t rate);
// The rate to decode to for the format: inputRate when the encoder takes it,
// else the nearest accepted rate above it, else the highest accepted rate.
std::uint32_t OutputRateFor(std::uint8_t format, std::uint32_t inputRate);

// List position <-> output format index; out of range gives NoFormat / -1.
std::uint8_t FormatIndexOfListPosition(int position);
int ListPositionOfFormatIndex(std::uint8_t index);

// The row whose extension equals the file's (letter case ignored), first
// from index 0; NoFormat when none does.
std::uint8_t FormatIndexOfFile(const std::filesystem::path& path);
std::string KindNameOfFile(const std::filesystem::path& path);

// Sizes and durations as the file list shows them (locale decimal point).
std::string FormatSize(std::int64_t bytes);
std::string FormatDuration(std::uint32_t milliseconds);

}  // namespace engine
