// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The per-user copy of the presets an installed program ships. The user
// folder's ".shipped" lists each shipped preset file with the hash of the
// content last copied, so that after an upgrade a file the user left as
// shipped takes the new content, while a file the user changed, deleted or
// made stays as it is. Without a Preset folder every shipped file comes
// back, as on the first start.

#include <filesystem>

namespace platform {

// Brings userFolder/Preset up to installedFolder/Preset.
void SyncShippedPresets(const std::filesystem::path& installedFolder, const std::filesystem::path& userFolder);

}  // namespace platform
