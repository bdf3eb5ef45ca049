// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/ui/Mp3OptionsForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/ui/MessageBox.h"
#include "presets/ui/DialogParts.h"
#include "presets/ui/SaveFileChooser.h"

namespace fs = std::filesystem;

namespace {

constexpr int DefaultBitratePosition = 8;
constexpr int DefaultMaxBitratePosition = 18;

void ShowBitrate(QSlider* slider, std::int32_t kbps, int defaultPosition)
{
    slider->setValue(defaultPosition);
    if (const int position = PositionOfBitrate(kbps))
        slider->setValue(position);
}

QString BitrateCaption(int position)
{
    return QString("Current bitrate: %1 kbit").arg(BitrateOfPosition(position));
}

QString LocaleReal(double value) { return QLocale().toString(value, 'g', QLocale::FloatingPointShortest); }

double RealOf(const QLineEdit* edit)
{
    bool ok = false;
    const double value = QLocale().toDouble(edit->text().trimmed(), &ok);
    return ok ? value : 0;
}

void ShowResampling(QComboBox* box, std::int32_t resampling)
{
    const int index = box->findData(int(resampling & 0x7F));
    box->setCurrentIndex(index >= 0 ? index : 0);
}

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* widget : widgets)
        widget->setEnabled(enabled);
}

void UpdateFilter(QCheckBox* freqBox, QLineEdit* freqEdit, QCheckBox* widthBox, QLineEdit* widthEdit)
{
    const bool on = freqBox->isChecked();
    SetEnabled({freqEdit, widthBox}, on);
    widthEdit->setEnabled(on && widthBox->isChecked());
}

}  // namespace

TfrmMp3opt::TfrmMp3opt(TMP3Settings& settings, fs::path programFolder, QWidget* owner)
    : QDialog(owner), settings_(settings), programFolder_(std::move(programFolder))
{
    setWindowTitle("Options");
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    EditDescription = new QLineEdit;
    layout->addLayout(presets::DescriptionRow(EditDescription));

    Tabs = new QTabWidget;
    Tabs->addTab(BuildGeneralTab(), "&General");
    Tabs->addTab(BuildVbrTab(), "&VBR");
    Tabs->addTab(BuildExpertTab(), "&Expert");
    Tabs->addTab(BuildAudioTab(), "Audio &Processing");
    layout->addWidget(Tabs);

    btnSaveOptions = new QPushButton("Save As...");
    btnOK = new QPushButton("OK");
    RzBitBtn1 = new QPushButton("Cancel");
    layout->addLayout(presets::ButtonRow(btnSaveOptions, btnOK, RzBitBtn1));

    ConnectRules();
    LabelBitrate->setText(BitrateCaption(TrackBarBitrate->value()));
    LabelVbrMaxBitrate->setText(BitrateCaption(TrackBarVbrMaxBitrate->value()));
}

void TfrmMp3opt::ConnectRules()
{
    connect(TrackBarBitrate, &QSlider::valueChanged, this,
            [this](int position) { LabelBitrate->setText(BitrateCaption(position)); });
    connect(TrackBarVbrMaxBitrate, &QSlider::valueChanged, this,
            [this](int position) { LabelVbrMaxBitrate->setText(BitrateCaption(position)); });
    for (QCheckBox* box : {CheckBoxVBR, CheckBoxVBRUseABR})
        connect(box, &QCheckBox::toggled, this, &TfrmMp3opt::UpdateVbrEnabling);
    for (QCheckBox* box : {CheckBoxHighpassFreq, CheckBoxHighpassWidth, CheckBoxLowpassFreq, CheckBoxLowpassWidth})
        connect(box, &QCheckBox::toggled, this, &TfrmMp3opt::UpdateFilterEnabling);
    connect(btnOK, &QPushButton::clicked, this, &TfrmMp3opt::btnOKClick);
    connect(RzBitBtn1, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnSaveOptions, &QPushButton::clicked, this, &TfrmMp3opt::btnSaveOptionsClick);
}

void TfrmMp3opt::LoadPreset(const fs::path& path)
{
    loadedPreset_ = path;
    ReadMp3Preset(path, settings_);
    RecordToControls(settings_);
}

void TfrmMp3opt::RecordToControls(const TMP3Settings& s)
{
    EditDescription->setText(QString::fromStdString(s.Description));
    ShowBitrate(TrackBarBitrate, s.Bitrate, DefaultBitratePosition);
    ComboBoxMode->setCurrentIndex(s.Mode);
    ComboBoxOptimization->setCurrentIndex(s.Optimization);
    CheckBoxCRC->setChecked(s.Crc);
    CheckBoxCopy->setChecked(s.Copy);
    CheckBoxCopyright->setChecked(s.Copyright);
    CheckBoxVBR->setChecked(s.VbrEnabled);
    SpinEditVBRQuality->setValue(s.VbrQuality);
    ShowBitrate(TrackBarVbrMaxBitrate, s.MaxBitrate, DefaultMaxBitratePosition);
    CheckBoxVBRDisableTag->setChecked(s.DisableTag);
    CheckBoxVBRStrictMin->setChecked(s.StrictMin);
    CheckBoxVBRUseABR->setChecked(s.UseABR);
    SpinEditVBRABRTargetBitrate->setValue(s.ABRTargetBitrate);
    ShowResampling(ComboBoxResample, s.Resampling);
    EditHighpassFreq->setText(LocaleReal(s.HighpassFreq));
    CheckBoxHighpassFreq->setChecked(s.HighpassEnabled);
    EditHighpassWidth->setText(LocaleReal(s.HighpassWidth));
    CheckBoxHighpassWidth->setChecked(s.HighWidthEnabled);
    EditLowpassFreq->setText(LocaleReal(s.LowpassFreq));
    CheckBoxLowpassFreq->setChecked(s.LowpassEnabled);
    EditLowpassWidth->setText(LocaleReal(s.LowpassWidth));
    CheckBoxLowpassWidth->setChecked(s.LowWidthEnabled);
    ComboBoxATH->setCurrentIndex(s.ATHControl);
    CheckBoxDifferentBlockTypes->setChecked(s.DifferentBlockTypes);
    CheckBoxDisableFiltering->setChecked(s.DisableFiltering);
    CheckBoxNoRes->setChecked(s.NoRes);
    CheckBoxNoShort->setChecked(s.NoShort);
    CheckBoxISO->setChecked(s.ISO);
    ComboBoxqLevel->setCurrentIndex(s.qLevel + 1);
    // The rules also run for boxes the record left as they were, so the
    // enabling always matches what is shown.
    UpdateVbrEnabling();
    UpdateFilterEnabling();
}

void TfrmMp3opt::ControlsToRecord(TMP3Settings& s) const
{
    s.Description = EditDescription->text().toStdString();
    s.Bitrate = BitrateOfPosition(TrackBarBitrate->value());
    s.Mode = ComboBoxMode->currentIndex();
    s.Optimization = ComboBoxOptimization->currentIndex();
    s.Crc = CheckBoxCRC->isChecked();
    s.Copy = CheckBoxCopy->isChecked();
    s.Copyright = CheckBoxCopyright->isChecked();
    s.VbrEnabled = CheckBoxVBR->isChecked();
    s.VbrQuality = SpinEditVBRQuality->value();
    s.MaxBitrate = BitrateOfPosition(TrackBarVbrMaxBitrate->value());
    s.DisableTag = CheckBoxVBRDisableTag->isChecked();
    s.StrictMin = CheckBoxVBRStrictMin->isChecked();
    s.UseABR = CheckBoxVBRUseABR->isChecked();
    s.ABRTargetBitrate = SpinEditVBRABRTargetBitrate->value();
    s.Resampling = ComboBoxResample->currentData().toInt();
    s.HighpassFreq = RealOf(EditHighpassFreq);
    s.HighpassEnabled = CheckBoxHighpassFreq->isChecked();
    s.HighpassWidth = RealOf(EditHighpassWidth);
    s.HighWidthEnabled = CheckBoxHighpassWidth->isChecked();
    s.LowpassFreq = RealOf(EditLowpassFreq);
    s.LowpassEnabled = CheckBoxLowpassFreq->isChecked();
    s.LowpassWidth = RealOf(EditLowpassWidth);
    s.LowWidthEnabled = CheckBoxLowpassWidth->isChecked();
    s.ATHControl = ComboBoxATH->currentIndex();
    s.DifferentBlockTypes = CheckBoxDifferentBlockTypes->isChecked();
    s.DisableFiltering = CheckBoxDisableFiltering->isChecked();
    s.NoRes = CheckBoxNoRes->isChecked();
    s.NoShort = CheckBoxNoShort->isChecked();
    s.ISO = CheckBoxISO->isChecked();
    s.qLevel = ComboBoxqLevel->currentIndex() - 1;
}

void TfrmMp3opt::UpdateVbrEnabling()
{
    const bool vbr = CheckBoxVBR->isChecked();
    const bool abr = CheckBoxVBRUseABR->isChecked();
    SetEnabled({GroupBoxVBRMaxBitrate, LabelVbrHelp, LabelVbrMaxBitrate, TrackBarVbrMaxBitrate,
                CheckBoxVBRDisableTag, CheckBoxVBRStrictMin, CheckBoxVBRUseABR},
               vbr);
    SetEnabled({LabelABRTarget, SpinEditVBRABRTargetBitrate}, vbr && abr);
    SetEnabled({GroupBoxVBRQuality, SpinEditVBRQuality}, vbr && !abr);
}

void TfrmMp3opt::UpdateFilterEnabling()
{
    UpdateFilter(CheckBoxHighpassFreq, EditHighpassFreq, CheckBoxHighpassWidth, EditHighpassWidth);
    UpdateFilter(CheckBoxLowpassFreq, EditLowpassFreq, CheckBoxLowpassWidth, EditLowpassWidth);
}

bool TfrmMp3opt::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching windows or opening a menu is not leaving the edit.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            CheckNumber(static_cast<QLineEdit*>(watched));
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmMp3opt::CheckNumber(QLineEdit* edit)
{
    bool ok = false;
    const double value = QLocale().toDouble(edit->text().trimmed(), &ok);
    if (ok && value >= 0)
        return;
    const QString text = QString("Sorry, but \"%1\" is not a valid value here!\r\n\r\nTry something like \"%2\" instead!")
                             .arg(edit->text(), LocaleReal(22.05));
    platform::ShowMessage(this, text.toStdString(), "Invalid value", platform::BoxIcon::Information);
    edit->setFocus();
}

void TfrmMp3opt::btnOKClick()
{
    ControlsToRecord(settings_);
    if (!WriteMp3Preset(loadedPreset_, settings_))
        presets::ShowWriteFailure(this, loadedPreset_);
    accept();
}

void TfrmMp3opt::btnSaveOptionsClick()
{
    const auto file = presets::ChooseSaveFile(
        this, {presets::SaveFolder(programFolder_, "mp3"), "mp3 Options(*.ini)"});
    if (!file)
        return;
    TMP3Settings copy = settings_;
    ControlsToRecord(copy);
    if (!WriteMp3Preset(*file, copy)) {
        presets::ShowWriteFailure(this, *file);
        return;
    }
    Saved = true;
    SavedFile = *file;
}
