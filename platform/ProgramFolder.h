// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace platform {

// The folder that holds Options.ini and Preset: TREMOLIX_HOME when set;
// else the executable's folder when it holds Preset; else the per-user data
// folder, whose shipped presets are brought up to the installed ones on
// the first call.
std::filesystem::path ProgramFolder();

// The folder that holds EncodeDLL.dll and the help for a program folder:
// for the per-user data folder the installed data itself, so an upgrade is
// used at once; else the program folder.
std::filesystem::path ShippedFolder(const std::filesystem::path& programFolder);

// The executable's own folder.
std::filesystem::path ExecutableFolder();

}  // namespace platform
