// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/ui/WmaOptionsForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/Encoder.h"
#include "platform/IniFile.h"
#include "platform/ui/MessageBox.h"
#include "presets/ui/DialogParts.h"
#include "presets/ui/SaveFileChooser.h"

namespace fs = std::filesystem;
using platform::IniFile;

namespace {

constexpr const char* Section = "Audio";

QString Chopped(QString text, int n)
{
    text.chop(n);
    return text;
}

void SelectText(QComboBox* box, const QString& text)
{
    box->setCurrentIndex(box->findText(text, Qt::MatchFixedString));
}

}  // namespace

TfrmWmaOpt::TfrmWmaOpt(TEncoder* encoder, fs::path programFolder, QWidget* owner)
    : QDialog(owner), Encoder(encoder), programFolder_(std::move(programFolder))
{
    setWindowTitle("WMA Options");
    BuildControls();
    connect(cmbSampleRate, &QComboBox::currentIndexChanged, this, &TfrmWmaOpt::FillRates);
    connect(chkUseVBR, &QCheckBox::toggled, this, &TfrmWmaOpt::chkUseVBRClick);
    connect(RzBitBtn1, &QPushButton::clicked, this, &TfrmWmaOpt::RzBitBtn1Click);
    connect(RzBitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnSaveOptions, &QPushButton::clicked, this, &TfrmWmaOpt::btnSaveOptionsClick);
}

void TfrmWmaOpt::BuildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    edtDesc = new QLineEdit;
    edtDesc->setMinimumWidth(220);
    layout->addLayout(presets::DescriptionRow(edtDesc));

    auto* group = new QGroupBox;
    auto* grid = new QGridLayout(group);
    chkUseVBR = new QCheckBox("Use VBR");
    cmbSampleRate = new QComboBox;
    cmbSampleRate->addItems({"8000Hz", "11025Hz", "16000Hz", "22050Hz", "32000Hz", "44100Hz", "48000Hz"});
    cmbSampleRate->setCurrentIndex(-1);
    cmbChannel = new QComboBox;
    cmbChannel->addItems({"Stereo", "Mono"});
    cmbChannel->setCurrentIndex(-1);
    cmbBitrate = new QComboBox;
    cmbBitrate->setMinimumContentsLength(9);
    lblbitrate = new QLabel("Bitrate:");
    grid->addWidget(chkUseVBR, 0, 0, 1, 2);
    grid->addWidget(new QLabel("SampleRate:"), 1, 0);
    grid->addWidget(cmbSampleRate, 1, 1);
    grid->addWidget(new QLabel("Channel:"), 2, 0);
    grid->addWidget(cmbChannel, 2, 1);
    grid->addWidget(lblbitrate, 3, 0);
    grid->addWidget(cmbBitrate, 3, 1);
    layout->addWidget(group);

    RzBitBtn1 = new QPushButton("OK");
    RzBitBtn2 = new QPushButton("Cancel");
    btnSaveOptions = new QPushButton("Save As...");
    layout->addLayout(presets::ButtonRow(btnSaveOptions, RzBitBtn1, RzBitBtn2));
}

void TfrmWmaOpt::FillRates()
{
    cmbBitrate->clear();
    if (cmbSampleRate->currentIndex() < 0)
        return;
    const int rate = Chopped(cmbSampleRate->currentText(), 2).trimmed().toInt();
    std::vector<std::string> rates;
    std::string errorText;
    if (!TEncoder::GetWmaRates(rate, rates, chkUseVBR->isChecked(), errorText)) {
        platform::ShowMessage(nullptr, errorText, "Error", platform::BoxIcon::None);
        return;
    }
    for (const auto& text : rates)
        cmbBitrate->addItem(QString::fromStdString(text));
}

void TfrmWmaOpt::LoadPreset(const fs::path& path)
{
    const IniFile ini(path);
    EditedFile = path;
    edtDesc->setText(QString::fromStdString(ini.ReadString(Section, "Description", "")));
    // One rate query for the whole preset instead of one per changed list.
    {
        const QSignalBlocker vbrBlocker(chkUseVBR);
        const QSignalBlocker rateBlocker(cmbSampleRate);
        chkUseVBR->setChecked(ini.ReadInteger(Section, "VBR", 0) != 0);
        SelectText(cmbSampleRate, QString::fromStdString(ini.ReadString(Section, "Samplerate", "44100")) + "Hz");
    }
    ShowBitrateCaption();
    const std::string channel = ini.ReadString(Section, "Channel", "2");
    cmbChannel->setCurrentIndex(channel == "1" ? cmbChannel->findText("Mono")
                                : channel == "2" ? cmbChannel->findText("Stereo")
                                                 : -1);
    FillRates();
    const QString bitrate = QString::fromStdString(ini.ReadString(Section, "Bitrate", "128"));
    SelectText(cmbBitrate, chkUseVBR->isChecked() ? bitrate : bitrate + "Kbps");
}

bool TfrmWmaOpt::SavePreset(const fs::path& path) const
{
    IniFile ini(path);
    ini.WriteString(Section, "Description", edtDesc->text().toStdString());
    ini.WriteBool(Section, "VBR", chkUseVBR->isChecked());
    ini.WriteString(Section, "Samplerate", Chopped(cmbSampleRate->currentText(), 2).toStdString());
    const QString channel = cmbChannel->currentText();
    const QString channelValue = channel.compare("Stereo", Qt::CaseInsensitive) == 0 ? "2"
                                 : channel.compare("Mono", Qt::CaseInsensitive) == 0 ? "1"
                                                                                     : channel;
    ini.WriteString(Section, "Channel", channelValue.toStdString());
    const QString bitrate = cmbBitrate->currentText();
    ini.WriteString(Section, "Bitrate", (chkUseVBR->isChecked() ? bitrate : Chopped(bitrate, 4)).toStdString());
    return ini.Save();
}

bool TfrmWmaOpt::AllListsChosen() const
{
    return cmbSampleRate->currentIndex() >= 0 && cmbChannel->currentIndex() >= 0 &&
           cmbBitrate->currentIndex() >= 0;
}

void TfrmWmaOpt::ShowBitrateCaption()
{
    lblbitrate->setText(chkUseVBR->isChecked() ? "Quality:" : "Bitrate");
}

void TfrmWmaOpt::chkUseVBRClick()
{
    ShowBitrateCaption();
    FillRates();
}

void TfrmWmaOpt::btnSaveOptionsClick()
{
    if (!AllListsChosen()) {
        platform::ShowWarning(this, "Invalid Option items!");
        return;
    }
    const auto file = presets::ChooseSaveFile(
        this, {presets::SaveFolder(programFolder_, "wma"), "wma Options(*.ini)"});
    if (!file)
        return;
    if (!SavePreset(*file)) {
        presets::ShowWriteFailure(this, *file);
        return;
    }
    Saved = true;
    EditedFile = *file;
}

void TfrmWmaOpt::RzBitBtn1Click()
{
    if (!AllListsChosen())
        return;
    if (!SavePreset(EditedFile))
        presets::ShowWriteFailure(this, EditedFile);
    accept();
}
