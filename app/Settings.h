// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The settings record and its file, Options.ini in the program folder. The
// file is read once when the main window is first shown and written once
// when it closes.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "engine/FormatTable.h"

namespace app {

// Colours are stored as red in the low byte, green next, blue third.
constexpr std::int32_t DefaultResultColor = 255;
constexpr int ColumnCount = 7;
// Name, Folder, Input format, Duration, Size, Output, Result: the list
// keeps these proportions while it fills its width.
constexpr std::array<std::int32_t, ColumnCount> DefaultColumnWidths = {140, 100, 150, 80, 80, 150, 100};
constexpr int PresetListCount = engine::FormatCount;
// One per list position; keys past an older build's count are ignored by it.
// What a first start offers, so a run can start without choosing.
constexpr const char* DefaultOutFormat = "MP3";
constexpr const char* DefaultMp3Preset = "VBR -V 2 (standard)";
constexpr std::int32_t MinSimultaneousJobs = 1;
constexpr std::int32_t MaxSimultaneousJobs = 16;
// Loudness targets, LUFS: quieter than the measure's absolute gate is none.
constexpr std::int32_t MinLoudnessTarget = -70;
constexpr std::int32_t MaxLoudnessTarget = 0;

// The processor cores, within the range of simultaneous jobs.
std::int32_t DefaultSimultaneousJobs();

}  // namespace app

// One record for the program's life, carrying values between the file and
// the controls.
struct TGlobaVariant {
    std::string TargetFolder;
    std::string OutFormat;
    std::string Outconfig;
    std::filesystem::path PresetFile;  // set by the preset catalogue, never saved
    bool AdjustVolume = false;
    std::int32_t AdjustVolumeValue = 95;
    bool SaveTag = true;
    bool DeleteOriginalFile = false;
    std::int32_t ThreadPriority = 32;
    bool CanDoEvent = false;
    std::uint8_t FinishDoEvent = 0;
    std::uint8_t WhenFileExist = 0;
    std::uint8_t OutputFileMode = 0;
    std::string Prefix;
    std::int32_t SimultaneousJobs = app::DefaultSimultaneousJobs();
    bool PortableFileNames = false;  // characters FAT/NTFS refuse become "_" in tag values
    std::uint8_t ReplayGain = 0;         // gain values written: 0 none, 1 track, 2 track and album
    std::uint8_t NormalizeLoudness = 0;  // loudness applied: 0 not, 1 per track, 2 per album
    std::int32_t LoudnessTarget = -18;   // LUFS
};

namespace app {

// Everything Options.ini holds: the record plus the window's own values.
struct StoredSettings {
    TGlobaVariant Options;
    std::int32_t ResultFontColor = DefaultResultColor;
    std::array<std::int32_t, ColumnCount> ColumnWidths = DefaultColumnWidths;
    std::array<std::string, PresetListCount> PresetLists;
};

// The user's music folder: the target folder until one is chosen.
std::string DefaultTargetFolder();

// Missing file, keys or unreadable numbers give the defaults.
StoredSettings ReadSettings(const std::filesystem::path& settingsFile);
// All keys in one rewrite; false when the file cannot be written.
bool WriteSettings(const std::filesystem::path& settingsFile, const StoredSettings& settings);

}  // namespace app
