// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>
#include <gtest/gtest.h>

#include "MessageRecorder.h"
#include "PresetTestFiles.h"
#include "platform/IniFile.h"
#include "presets/ui/SaveFileChooser.h"
#include "presets/ui/WmaOptionsForm.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using platform::IniFile;
using presettest::ReadText;
using presettest::WriteText;

namespace {

class WmaDialog : public ::testing::Test {
protected:
    void TearDown() override { presets::SetSaveFileChooser({}); }

    fs::path Preset(const std::string& audio)
    {
        const fs::path path = folder / "Preset" / "WMA" / "test.ini";
        WriteText(path, "[Audio]\n" + audio);
        return path;
    }

    testsupport::TempFolder folder;
    presettest::MessageRecorder messages;
    TfrmWmaOpt dialog{nullptr, folder.path()};
};

}  // namespace

TEST_F(WmaDialog, ShowsAPresetAndSavesTheShownValues)
{
    const fs::path path = Preset("Description=Music\nVBR=0\nSamplerate=44100\nChannel=1\nBitrate=128\n");
    dialog.LoadPreset(path);
    EXPECT_EQ(dialog.edtDesc->text(), "Music");
    EXPECT_EQ(dialog.cmbSampleRate->currentText(), "44100Hz");
    EXPECT_EQ(dialog.cmbChannel->currentText(), "Mono");
    EXPECT_EQ(dialog.cmbBitrate->currentText(), "128Kbps");
    EXPECT_EQ(dialog.lblbitrate->text(), "Bitrate");
    dialog.cmbChannel->setCurrentIndex(dialog.cmbChannel->findText("Stereo"));
    dialog.RzBitBtn1->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(IniFile::ReadString(path, "Audio", "Bitrate", ""), "128");
    EXPECT_EQ(IniFile::ReadString(path, "Audio", "Channel", ""), "2");
    EXPECT_EQ(IniFile::ReadString(path, "Audio", "Samplerate", ""), "44100");
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(WmaDialog, VbrPresetShowsQualityLevels)
{
    dialog.LoadPreset(Preset("VBR=1\nSamplerate=44100\nChannel=2\nBitrate=90\n"));
    EXPECT_EQ(dialog.lblbitrate->text(), "Quality:");
    ASSERT_GT(dialog.cmbBitrate->count(), 0);
    if (dialog.cmbBitrate->findText("90") >= 0) {
        EXPECT_EQ(dialog.cmbBitrate->currentText(), "90");
    }
    for (int i = 0; i < dialog.cmbBitrate->count(); ++i)
        EXPECT_FALSE(dialog.cmbBitrate->itemText(i).endsWith("Kbps"));
    dialog.chkUseVBR->setChecked(false);
    EXPECT_EQ(dialog.lblbitrate->text(), "Bitrate");
    EXPECT_TRUE(dialog.cmbBitrate->itemText(0).endsWith("Kbps"));
}

TEST_F(WmaDialog, UnknownRateAndChannelShowNothingAndOkWaitsForAChoice)
{
    const fs::path path = Preset("Samplerate=96000\nChannel=6\nBitrate=128\n");
    const std::string before = ReadText(path);
    dialog.LoadPreset(path);
    EXPECT_EQ(dialog.cmbSampleRate->currentIndex(), -1);
    EXPECT_EQ(dialog.cmbBitrate->count(), 0);
    EXPECT_EQ(dialog.cmbChannel->currentIndex(), -1);

    dialog.RzBitBtn1->click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ReadText(path), before);
    dialog.btnSaveOptions->click();
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, "Invalid Option items!");
    EXPECT_EQ(messages.boxes[0].caption, "Warning");
    EXPECT_EQ(messages.boxes[0].icon, platform::BoxIcon::Warning);

    dialog.cmbSampleRate->setCurrentIndex(dialog.cmbSampleRate->findText("48000Hz"));
    dialog.cmbChannel->setCurrentIndex(0);
    ASSERT_GT(dialog.cmbBitrate->count(), 0);
    dialog.cmbBitrate->setCurrentIndex(0);
    dialog.RzBitBtn1->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(IniFile::ReadString(path, "Audio", "Samplerate", ""), "48000");
}

TEST_F(WmaDialog, SaveAsThenOkWritesOnlyTheNewFile)
{
    const fs::path path = Preset("VBR=0\nSamplerate=44100\nChannel=2\nBitrate=128\n");
    const std::string before = ReadText(path);
    const fs::path chosen = folder / "Preset" / "WMA" / "new.ini";
    presets::SetSaveFileChooser([&](const presets::SaveRequest&) { return std::optional<fs::path>(chosen); });
    dialog.LoadPreset(path);
    dialog.btnSaveOptions->click();
    EXPECT_TRUE(dialog.Saved);
    EXPECT_EQ(dialog.EditedFile, chosen);
    dialog.edtDesc->setText("final");
    dialog.RzBitBtn1->click();
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(IniFile::ReadString(chosen, "Audio", "Description", ""), "final");
    EXPECT_EQ(IniFile::ReadString(chosen, "Audio", "Bitrate", ""), "128");
}

TEST_F(WmaDialog, Screenshot)
{
    const char* target = std::getenv("TREMOLIX_SCREENSHOT_DIR");
    if (!target)
        GTEST_SKIP() << "set TREMOLIX_SCREENSHOT_DIR to write screenshots";
    dialog.LoadPreset(Preset("VBR=0\nSamplerate=44100\nChannel=2\nBitrate=128\nDescription=CBR 128\n"));
    dialog.show();
    EXPECT_TRUE(dialog.grab().save(QString("%1/wma.png").arg(target)));
}
