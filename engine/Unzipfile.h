// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace engine {

// Extracts the member of the encoder archive into the folder (the
// temporary folder when empty), replacing any file of that name and keeping
// its file mode. Returns false and an empty path on any error.
bool ExtractFromPackage(const std::filesystem::path& archive, const std::string& member,
                        std::filesystem::path& extracted, const std::filesystem::path& folder = {});

// The user's temporary folder (honours TMPDIR).
std::filesystem::path TempFolder();

}  // namespace engine
