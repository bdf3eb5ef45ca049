// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace engine {

// Extracts the member of the encoder archive into the folder (the
// temporary folder when empty), replacing any file of that name and keeping
// its file mode. Returns false and an empty path on any error.
bool ExtractFromPackage(const std::filesystem::path& archive, const std::string& member,
                        std::filesystem::path& extracted, const std::filesystem::path& folder = {});

// Extracts every member of the archive into the folder, keeping file modes.
// On failure folderError says why the folder refused the files; it stays
// clear when the archive itself is unreadable or damaged.
bool ExtractAllFromPackage(const std::filesystem::path& archive, const std::filesystem::path& folder,
                           std::error_code& folderError);

// A short hex text that changes whenever a member's name, mode, size or
// CRC does, read from the archive's directory alone; false when the
// archive cannot be read.
bool ArchiveFingerprint(const std::filesystem::path& archive, std::string& fingerprint);

// The user's temporary folder (honours TMPDIR).
std::filesystem::path TempFolder();

}  // namespace engine
