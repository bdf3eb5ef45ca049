#pragma once

// The settings record and its file, Options.ini in the program folder. The
// file is read once when the main window is first shown and written once
// when it closes.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace app {

// Colours are stored as red in the low byte, green next, blue third.
constexpr std::int32_t DefaultResultColor = 255;
constexpr std::int32_t DefaultColumnWidth = 200;
constexpr int ColumnCount = 5;
constexpr int PresetListCount = 11;

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
};

namespace app {

// Everything Options.ini holds: the record plus the window's own values.
struct StoredSettings {
    TGlobaVariant Options;
    std::int32_t ResultFontColor = DefaultResultColor;
    std::array<std::int32_t, ColumnCount> ColumnWidths{DefaultColumnWidth, DefaultColumnWidth, DefaultColumnWidth,
                                                      DefaultColumnWidth, DefaultColumnWidth};
    std::array<std::string, PresetListCount> PresetLists;
};

// The user's music folder: the target folder until one is chosen.
std::string DefaultTargetFolder();

// Missing file, keys or unreadable numbers give the defaults.
StoredSettings ReadSettings(const std::filesystem::path& settingsFile);
// All keys in one rewrite; false when the file cannot be written.
bool WriteSettings(const std::filesystem::path& settingsFile, const StoredSettings& settings);

}  // namespace app
