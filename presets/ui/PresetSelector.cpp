// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/ui/PresetSelector.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>

#include "platform/ui/MessageBox.h"
#include "presets/LameOptions.h"
#include "presets/PresetCatalogue.h"
#include "presets/PresetCheck.h"
#include "presets/PresetFolder.h"
#include "presets/ui/Mp3OptionsForm.h"
#include "presets/ui/WmaOptionsForm.h"

namespace fs = std::filesystem;

namespace {

// An error that ends an operation, shown as the event loop shows one.
void ShowFailure(QWidget* owner, std::string text)
{
    if (!text.empty() && text.back() > '.')
        text += '.';
    platform::ShowMessage(owner, text, "Tremolix Audio Converter", platform::BoxIcon::Error);
}

}  // namespace

PresetSelector::PresetSelector(fs::path programFolder, QComboBox* cmbFormat, QComboBox* cmbConfig,
                               QAbstractButton* btnConfig, QWidget* owner, TEncoder* encoder,
                               TPresetSelection& state, TMP3Settings& mp3)
    : programFolder_(std::move(programFolder)), cmbFormat_(cmbFormat), cmbConfig_(cmbConfig),
      btnConfig_(btnConfig), owner_(owner), encoder_(encoder), state_(state), mp3_(mp3)
{
}

void PresetSelector::Connect()
{
    QObject::connect(cmbFormat_, &QComboBox::currentIndexChanged, cmbFormat_, [this] { FormatChanged(); });
    QObject::connect(cmbConfig_, &QComboBox::currentIndexChanged, cmbConfig_, [this] { PresetChanged(); });
    QObject::connect(btnConfig_, &QAbstractButton::clicked, btnConfig_, [this] { OptionClicked(); });
}

int PresetSelector::FormatPosition() const { return cmbFormat_->currentIndex(); }

void PresetSelector::SelectQuietly(int index)
{
    const QSignalBlocker blocker(cmbConfig_);
    cmbConfig_->setCurrentIndex(index);
}

void PresetSelector::FillPresetList()
{
    const auto listing =
        presets::FillPresetList(programFolder_, cmbFormat_->currentText().toStdString(), state_);
    {
        const QSignalBlocker blocker(cmbConfig_);
        cmbConfig_->clear();
        for (const auto& name : listing.Names)
            cmbConfig_->addItem(QString::fromStdString(name));
    }
    if (!listing.ErrorText.empty())
        platform::ShowWarning(owner_, listing.ErrorText);
}

void PresetSelector::FormatChanged()
{
    if (FormatPosition() < 0)
        return;
    state_.CurrentOptions.clear();
    FillPresetList();
    btnConfig_->setEnabled(presets::HasOptionDialog(state_.CurrentFormat));
    const auto& last = state_.PresetLists[size_t(FormatPosition())];
    SelectQuietly(cmbConfig_->findText(QString::fromStdString(last), Qt::MatchFixedString));
    PresetChanged();
}

void PresetSelector::PresetChanged()
{
    const bool shown = cmbConfig_->currentIndex() >= 0;
    btnConfig_->setEnabled(presets::HasOptionDialog(state_.CurrentFormat) && shown);
    const int position = FormatPosition();
    if (!shown || position < 0 || position >= engine::FormatCount)
        return;
    const std::string name = cmbConfig_->currentText().toStdString();
    state_.PresetLists[size_t(position)] = name;
    try {
        const std::string error = presets::LoadSelectedPreset(programFolder_, state_, name, mp3_);
        if (!error.empty())
            platform::ShowWarning(owner_, error);
    } catch (const PresetError& error) {
        ShowFailure(owner_, presets::PresetRefusal(name, error.what()));
    }
}

void PresetSelector::OptionClicked()
{
    if (state_.CurrentFormat == engine::FormatMp3)
        OpenMp3Dialog();
    else if (state_.CurrentFormat == engine::FormatWma)
        OpenWmaDialog();
}

// A preset saved under a new name joins the list and is shown, without
// loading it again; a name already listed is only shown.
void PresetSelector::AddSavedPreset(const fs::path& file)
{
    const QString name = QString::fromStdString(presets::PresetNameOfFile(file));
    if (name.isEmpty())
        return;
    int index = cmbConfig_->findText(name, Qt::MatchFixedString);
    if (index < 0) {
        const QSignalBlocker blocker(cmbConfig_);
        cmbConfig_->addItem(name);
        index = cmbConfig_->count() - 1;
    }
    SelectQuietly(index);
}

std::optional<fs::path> PresetSelector::FindShownPreset(const fs::path& folder) const
{
    auto file = presets::FindPresetFile(folder, cmbConfig_->currentText().toStdString() + ".ini");
    if (!file)
        platform::ShowWarning(owner_, presets::OptionFileMissingText);
    return file;
}

void PresetSelector::OpenMp3Dialog()
{
    const auto file = FindShownPreset(presets::Mp3PresetFolder(programFolder_));
    if (!file)
        return;
    TfrmMp3opt dialog(mp3_, programFolder_, owner_);
    try {
        dialog.LoadPreset(*file);
    } catch (const PresetError& error) {
        ShowFailure(owner_, error.what());
        return;
    }
    if (dialog.exec() != QDialog::Accepted)
        return;
    state_.CurrentOptions = BuildLameOptions(mp3_);
    if (dialog.Saved)
        AddSavedPreset(dialog.SavedFile);
}

void PresetSelector::OpenWmaDialog()
{
    const auto file = FindShownPreset(presets::WmaPresetFolder(programFolder_));
    if (!file)
        return;
    TfrmWmaOpt dialog(encoder_, programFolder_, owner_);
    dialog.LoadPreset(*file);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.Saved)
        AddSavedPreset(dialog.EditedFile);
    state_.CurrentWma = presets::WmaValuesFromTexts(
        dialog.cmbSampleRate->currentText().toStdString(), dialog.cmbChannel->currentText().toStdString(),
        dialog.cmbBitrate->currentText().toStdString(), dialog.chkUseVBR->isChecked(), state_.CurrentWma);
}
