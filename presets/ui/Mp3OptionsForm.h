// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The MP3 options dialog: edits the shared MP3 settings record and the
// preset file it was loaded from.

#include <QDialog>
#include <filesystem>

#include "presets/Mp3Settings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;

class TfrmMp3opt : public QDialog {
    Q_OBJECT
public:
    TfrmMp3opt(TMP3Settings& settings, std::filesystem::path programFolder, QWidget* owner = nullptr);

    // Remembers the path, reads it into the record and shows the record.
    // Throws PresetError on a malformed number.
    void LoadPreset(const std::filesystem::path& path);

    bool Saved = false;
    std::filesystem::path SavedFile;

    QLineEdit* EditDescription = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* RzBitBtn1 = nullptr;
    QPushButton* btnSaveOptions = nullptr;
    QTabWidget* Tabs = nullptr;
    // General
    QLabel* LabelBitrate = nullptr;
    QSlider* TrackBarBitrate = nullptr;
    QComboBox* ComboBoxMode = nullptr;
    QComboBox* ComboBoxOptimization = nullptr;
    QCheckBox* CheckBoxCRC = nullptr;
    QCheckBox* CheckBoxCopy = nullptr;
    QCheckBox* CheckBoxCopyright = nullptr;
    // VBR
    QCheckBox* CheckBoxVBR = nullptr;
    QGroupBox* GroupBoxVBRMaxBitrate = nullptr;
    QLabel* LabelVbrMaxBitrate = nullptr;
    QSlider* TrackBarVbrMaxBitrate = nullptr;
    QLabel* LabelVbrHelp = nullptr;
    QGroupBox* GroupBoxVBRQuality = nullptr;
    QSpinBox* SpinEditVBRQuality = nullptr;
    QCheckBox* CheckBoxVBRDisableTag = nullptr;
    QCheckBox* CheckBoxVBRStrictMin = nullptr;
    QCheckBox* CheckBoxVBRUseABR = nullptr;
    QLabel* LabelABRTarget = nullptr;
    QSpinBox* SpinEditVBRABRTargetBitrate = nullptr;
    // Expert
    QCheckBox* CheckBoxDifferentBlockTypes = nullptr;
    QCheckBox* CheckBoxDisableFiltering = nullptr;
    QCheckBox* CheckBoxNoRes = nullptr;
    QCheckBox* CheckBoxNoShort = nullptr;
    QCheckBox* CheckBoxISO = nullptr;
    QComboBox* ComboBoxATH = nullptr;
    QComboBox* ComboBoxqLevel = nullptr;
    // Audio processing
    QComboBox* ComboBoxResample = nullptr;
    QCheckBox* CheckBoxHighpassFreq = nullptr;
    QLineEdit* EditHighpassFreq = nullptr;
    QCheckBox* CheckBoxHighpassWidth = nullptr;
    QLineEdit* EditHighpassWidth = nullptr;
    QCheckBox* CheckBoxLowpassFreq = nullptr;
    QLineEdit* EditLowpassFreq = nullptr;
    QCheckBox* CheckBoxLowpassWidth = nullptr;
    QLineEdit* EditLowpassWidth = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildGeneralTab();
    QWidget* BuildVbrTab();
    QWidget* BuildExpertTab();
    QWidget* BuildAudioTab();
    QGroupBox* BuildFilterGroup(const QString& title, const QString& name, QCheckBox*& freqBox,
                                QLineEdit*& freqEdit, QCheckBox*& widthBox, QLineEdit*& widthEdit);
    void ConnectRules();

    void RecordToControls(const TMP3Settings& s);
    void ControlsToRecord(TMP3Settings& s) const;
    void UpdateVbrEnabling();
    void UpdateFilterEnabling();
    void CheckNumber(QLineEdit* edit);

    void btnOKClick();
    void btnSaveOptionsClick();

    TMP3Settings& settings_;
    std::filesystem::path programFolder_;
    std::filesystem::path loadedPreset_;
};
