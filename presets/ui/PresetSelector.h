// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window's format list, preset list and "Option" button: listing
// the presets of the chosen format, loading the chosen one into the
// selection state and opening the MP3 and WMA option dialogs. The window
// owns the three controls; connect their changes to the three handlers (or
// call Connect()).

#include <filesystem>
#include <optional>

#include "presets/Mp3Settings.h"
#include "presets/PresetSelection.h"

class QAbstractButton;
class QComboBox;
class QWidget;
class TEncoder;

class PresetSelector {
public:
    PresetSelector(std::filesystem::path programFolder, QComboBox* cmbFormat, QComboBox* cmbConfig,
                   QAbstractButton* btnConfig, QWidget* owner, TEncoder* encoder, TPresetSelection& state,
                   TMP3Settings& mp3 = SharedMp3Settings());

    void FormatChanged();
    void PresetChanged();
    void OptionClicked();

    // currentIndexChanged of both lists and clicked of the button.
    void Connect();

private:
    int FormatPosition() const;
    void FillPresetList();
    void SelectQuietly(int index);
    void AddSavedPreset(const std::filesystem::path& file);
    std::optional<std::filesystem::path> FindShownPreset(const std::filesystem::path& folder) const;
    void OpenMp3Dialog();
    void OpenWmaDialog();

    std::filesystem::path programFolder_;
    QComboBox* cmbFormat_;
    QComboBox* cmbConfig_;
    QAbstractButton* btnConfig_;
    QWidget* owner_;
    TEncoder* encoder_;
    TPresetSelection& state_;
    TMP3Settings& mp3_;
};
