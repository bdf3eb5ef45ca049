// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The presets of each output format: listing them, and turning the chosen
// one into the options text or the WMA values of a batch run.

#include <filesystem>
#include <string>
#include <vector>

#include "presets/Mp3Settings.h"
#include "presets/PresetSelection.h"

namespace presets {

constexpr const char* ReinstallText = "Preset file not found. Please re-install.";
constexpr const char* OptionFileMissingText = "Preset file not found!";
std::string InvalidPresetText(const std::filesystem::path& presetsIni);

// "WAV (Standard)" -> "WAV": the text before the first "(", trimmed.
std::string ShortName(const std::string& formatEntry);
// Output format index of a short name (letter case ignored); NoFormat when
// the name is not a format's.
std::uint8_t FormatIndexOfShortName(const std::string& shortName);
bool HasOptionDialog(std::uint8_t formatIndex);  // MP3 and WMA

struct PresetListing {
    std::vector<std::string> Names;
    std::string ErrorText;  // empty when the presets were found
};

// Lists the presets of a format entry and sets CurrentFormat,
// PresetLocation and PresetFile.
PresetListing FillPresetList(const std::filesystem::path& programFolder,
                             const std::string& formatEntry, TPresetSelection& state);

// The names a presets.ini offers: the text before "=" of each entry line,
// whatever its section.
std::vector<std::string> PresetNamesInIni(const std::filesystem::path& presetsIni);

// Loads the named preset of CurrentFormat into CurrentOptions (MP3 through
// the shared record) or CurrentWma. Returns the error text, empty on
// success. A preset file that cannot be read or is malformed throws
// PresetError.
std::string LoadSelectedPreset(const std::filesystem::path& programFolder, TPresetSelection& state,
                               const std::string& presetName, TMP3Settings& mp3);

// Why the named preset of CurrentFormat cannot be used now, naming it;
// empty when it can. The state is left as it is.
std::string PresetProblem(const std::filesystem::path& programFolder, const TPresetSelection& state,
                          const std::string& presetName);

// The folders of the two dialog formats.
std::filesystem::path Mp3PresetFolder(const std::filesystem::path& programFolder);
std::filesystem::path WmaPresetFolder(const std::filesystem::path& programFolder);

// Throws PresetError as ReadMp3Preset does.
TWmaValues ReadWmaPreset(const std::filesystem::path& path);

// The job values from the texts the WMA dialog shows ("44100Hz", "Stereo",
// "128Kbps" or a quality level); a text that is not a number gives the
// usual value, an unknown channel text keeps the previous count.
TWmaValues WmaValuesFromTexts(const std::string& sampleRate, const std::string& channel,
                              const std::string& bitrate, bool vbr, const TWmaValues& previous);

}  // namespace presets
