// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The MP3 settings record and its preset file. One record is shared by the
// whole program: reading a preset fills it, the options dialog edits it and
// BuildLameOptions turns it into lame's options.

#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

struct TMP3Settings {
    std::string Description;
    std::int32_t Bitrate = 0;       // kbit/s
    std::int32_t Mode = 0;          // 0 stereo, 1 joint, 2 forced joint, 3 mono, 4 default
    std::int32_t Optimization = 0;  // 0 none, 1 speed, 2 quality
    bool VbrEnabled = false;
    std::int32_t VbrQuality = 0;  // 0 to 9
    std::int32_t MaxBitrate = 0;  // kbit/s
    bool DisableTag = false;
    bool StrictMin = false;
    bool UseABR = false;
    std::int32_t ABRTargetBitrate = 0;  // kbit/s
    std::int32_t Resampling = 0;        // 0 default, 1 to 9 a fixed output rate
    double HighpassFreq = 0;            // kHz
    bool HighpassEnabled = false;
    double HighpassWidth = 0;
    bool HighWidthEnabled = false;
    double LowpassFreq = 0;
    bool LowpassEnabled = false;
    double LowpassWidth = 0;
    bool LowWidthEnabled = false;
    bool Crc = false;
    bool Copy = false;
    bool Copyright = false;
    std::int32_t ATHControl = 0;  // 0 default, 1 only, 2 disabled, 3 short blocks only
    bool DifferentBlockTypes = false;
    bool DisableFiltering = false;
    bool NoRes = false;
    bool NoShort = false;
    bool ISO = false;
    std::string CustomOptions;
    bool OnlyCustomOptions = false;
    std::string OutDir;
    bool Delete = false;
    bool UseInputDir = false;
    std::int32_t qLevel = 0;  // -1 default, 0 to 9
};

// The program's one record.
TMP3Settings& SharedMp3Settings();

// A malformed number in a preset file.
class PresetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Track bar positions 1 to 18 and their bit rates.
constexpr int BitrateFirstPosition = 1;
constexpr int BitrateLastPosition = 18;
extern const std::array<std::int32_t, 18> BitrateTable;
std::int32_t BitrateOfPosition(int position);  // 0 outside the table
int PositionOfBitrate(std::int32_t kbps);       // 0 when not in the table

// Reals as preset files store them: shortest form, "." as decimal point.
std::string FormatPresetReal(double value);
// Accepts "." (and the locale's decimal point); throws PresetError otherwise.
double ParsePresetReal(const std::string& text);
// Decimal or "0x" hexadecimal as settings files hold them; throws PresetError otherwise.
std::int32_t ParsePresetInteger(const std::string& text);

// Every key is read with the record's current value as default; only Copy
// and Copyright are cleared first. Throws PresetError, and leaves the record
// as it was, when the file cannot be read, is not an INI file, sets none of
// the keys or holds a malformed number.
void ReadMp3Preset(const std::filesystem::path& path, TMP3Settings& settings);
// Writes every key, keeping other keys and sections; false when the file
// cannot be written.
bool WriteMp3Preset(const std::filesystem::path& path, const TMP3Settings& settings);
