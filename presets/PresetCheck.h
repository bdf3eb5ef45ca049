// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Preset files are INI files, and an INI file reads anything: garbage, or a
// file that cannot be read at all, would load as "no keys", and every
// setting would silently take its default. These turn such a file into a
// PresetError that says why.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace platform {
class IniFile;
}

namespace presets {

// Why the file cannot be a preset file; empty when it can. It must read
// whole, hold text only, and each line that is not blank or a comment must
// be a "[section]" or a "key=value" line.
std::string PresetFileProblem(const std::filesystem::path& file);

// Hands the file to read once it is known to be a preset file. Throws
// PresetError with the file's path in front of the reason, for the file
// and for whatever read throws.
void ReadPresetFile(const std::filesystem::path& file, const std::function<void(const platform::IniFile&)>& read);

// The value of a key the preset sets, nothing when it does not. The number
// readers throw PresetError naming the key when its text is not one.
std::optional<std::string> PresetText(const platform::IniFile& ini, const char* section, const char* key);
std::optional<std::int32_t> PresetInteger(const platform::IniFile& ini, const char* section, const char* key);
std::optional<double> PresetReal(const platform::IniFile& ini, const char* section, const char* key);

// "The preset "name" can't be used: reason".
std::string PresetRefusal(const std::string& presetName, const std::string& reason);

}  // namespace presets
