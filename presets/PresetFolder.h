// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Names under the Preset folder match without regard to letter case, also on
// a case-sensitive file system. Folders are walked in name order, so every
// listing and search is the same on every machine.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace presets {

// The path of programFolder/Preset/parts..., each part matched without
// regard to case; a part that matches nothing is kept as spelled.
std::filesystem::path PresetPath(const std::filesystem::path& programFolder,
                                 const std::vector<std::string>& parts);

// The first file named fileName (any case) in folder, then in each subfolder
// whose name does not begin with ".", depth first.
std::optional<std::filesystem::path> FindPresetFile(const std::filesystem::path& folder,
                                                    const std::string& fileName);

// Every file of the folder tree, each subfolder entered where it is met.
std::vector<std::filesystem::path> ListPresetTree(const std::filesystem::path& folder);

// A file name less its last four characters (".ini").
std::string PresetNameOfFile(const std::filesystem::path& file);

bool SameTextIgnoringCase(const std::string& a, const std::string& b);

}  // namespace presets
