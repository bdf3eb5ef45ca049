// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace platform {

// The folder that holds Options.ini, Preset, EncodeDLL.dll and the help:
// TREMOLIX_HOME when set; else the executable's folder when it holds Preset;
// else the per-user data folder, filled from the installed copy on first use.
std::filesystem::path ProgramFolder();

// The executable's own folder.
std::filesystem::path ExecutableFolder();

}  // namespace platform
