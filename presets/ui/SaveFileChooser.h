// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The "Save As..." file dialog of the option dialogs, behind a seam so that
// tests choose a file (or cancel) without a modal dialog.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace presets {

struct SaveRequest {
    std::filesystem::path folder;  // where the dialog opens
    std::string filter;            // e.g. "mp3 Options(*.ini)"
};

// The chosen file (".ini" added when no extension was typed), or nothing
// when cancelled. Asks before overwriting.
std::optional<std::filesystem::path> ChooseSaveFile(QWidget* owner, const SaveRequest& request);

using SaveFileChooser = std::function<std::optional<std::filesystem::path>(const SaveRequest&)>;
// Replaces the real dialog; an empty chooser restores it.
void SetSaveFileChooser(SaveFileChooser chooser);

// The dialog's folder: Preset/<format> of the program folder, or the program
// folder itself when that is missing.
std::filesystem::path SaveFolder(const std::filesystem::path& programFolder, const std::string& format);

}  // namespace presets
