// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The WMA options dialog: edits one WMA preset file. The bit-rate list
// offers what the WMA encoder accepts for the chosen sample rate.

#include <QDialog>
#include <filesystem>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TEncoder;

class TfrmWmaOpt : public QDialog {
    Q_OBJECT
public:
    TfrmWmaOpt(TEncoder* encoder, std::filesystem::path programFolder, QWidget* owner = nullptr);

    void LoadPreset(const std::filesystem::path& path);
    bool SavePreset(const std::filesystem::path& path) const;
    void FillRates();

    TEncoder* Encoder = nullptr;
    std::filesystem::path EditedFile;
    bool Saved = false;

    QLineEdit* edtDesc = nullptr;
    QCheckBox* chkUseVBR = nullptr;
    QComboBox* cmbSampleRate = nullptr;
    QComboBox* cmbChannel = nullptr;
    QLabel* lblbitrate = nullptr;
    QComboBox* cmbBitrate = nullptr;
    QPushButton* RzBitBtn1 = nullptr;  // OK
    QPushButton* RzBitBtn2 = nullptr;  // Cancel
    QPushButton* btnSaveOptions = nullptr;

private:
    void BuildControls();
    bool AllListsChosen() const;
    void ShowBitrateCaption();
    void chkUseVBRClick();
    void btnSaveOptionsClick();
    void RzBitBtn1Click();

    std::filesystem::path programFolder_;
};
