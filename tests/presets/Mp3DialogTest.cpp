// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <cstdlib>
#include <gtest/gtest.h>

#include "MessageRecorder.h"
#include "PresetTestFiles.h"
#include "platform/IniFile.h"
#include "presets/ui/Mp3OptionsForm.h"
#include "presets/ui/SaveFileChooser.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using presettest::ReadText;
using presettest::WriteText;

namespace {

class Mp3Dialog : public ::testing::Test {
protected:
    void TearDown() override { presets::SetSaveFileChooser({}); }

    fs::path Preset(const std::string& text)
    {
        const fs::path path = folder / "Preset" / "MP3" / "test.ini";
        WriteText(path, text);
        return path;
    }

    testsupport::TempFolder folder;
    TMP3Settings record;
    presettest::MessageRecorder messages;
};

void LeaveEdit(QLineEdit* edit, const QString& text)
{
    edit->setText(text);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &focusOut);
}

}  // namespace

TEST_F(Mp3Dialog, BitrateOutsideTheTableShowsTheDefaultAndIsWrittenBackAsItsRate)
{
    const fs::path path = Preset("[General]\nBitrate=100\n[VBR]\nMaxBitrate=320\n");
    TfrmMp3opt dialog(record, folder.path());
    dialog.LoadPreset(path);
    EXPECT_EQ(dialog.TrackBarBitrate->value(), 8);
    EXPECT_EQ(dialog.LabelBitrate->text(), "Current bitrate: 64 kbit");
    EXPECT_EQ(dialog.TrackBarVbrMaxBitrate->value(), 18);
    dialog.btnOK->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(record.Bitrate, 64);
    EXPECT_EQ(platform::IniFile::ReadInteger(path, "General", "Bitrate", 0), 64);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(Mp3Dialog, SaveAsThenCancelLeavesTheLoadedPresetAndRecordAlone)
{
    const fs::path path = Preset("[General]\nDescription=loaded\nBitrate=128\n");
    const std::string before = ReadText(path);
    const fs::path chosen = folder / "Preset" / "MP3" / "copy.ini";
    presets::SetSaveFileChooser([&](const presets::SaveRequest& request) {
        EXPECT_EQ(request.folder, folder / "Preset" / "MP3");
        return std::optional<fs::path>(chosen);
    });
    TfrmMp3opt dialog(record, folder.path());
    dialog.LoadPreset(path);
    dialog.EditDescription->setText("edited");
    dialog.TrackBarBitrate->setValue(18);
    dialog.btnSaveOptions->click();
    dialog.RzBitBtn1->click();

    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.Saved);
    EXPECT_EQ(dialog.SavedFile, chosen);
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(record.Description, "loaded");
    EXPECT_EQ(record.Bitrate, 128);
    EXPECT_EQ(platform::IniFile::ReadString(chosen, "General", "Description", ""), "edited");
    EXPECT_EQ(platform::IniFile::ReadInteger(chosen, "General", "Bitrate", 0), 320);
}

TEST_F(Mp3Dialog, CancelledSaveDialogChangesNothing)
{
    presets::SetSaveFileChooser([](const presets::SaveRequest&) { return std::optional<fs::path>(); });
    TfrmMp3opt dialog(record, folder.path());
    dialog.LoadPreset(Preset("[General]\nBitrate=128\n"));
    dialog.btnSaveOptions->click();
    EXPECT_FALSE(dialog.Saved);
}

TEST_F(Mp3Dialog, NumberCheckRefusesTextAndNegativeValues)
{
    TfrmMp3opt dialog(record, folder.path());
    dialog.LoadPreset(Preset("[Audio]\nHighpassFreq=0.5\n"));
    EXPECT_EQ(dialog.EditHighpassFreq->text(), "0.5");
    LeaveEdit(dialog.EditHighpassFreq, "abc");
    LeaveEdit(dialog.EditLowpassWidth, "-1");
    LeaveEdit(dialog.EditLowpassFreq, "16.5");
    ASSERT_EQ(messages.boxes.size(), 2u);
    EXPECT_EQ(messages.boxes[0].caption, "Invalid value");
    EXPECT_EQ(messages.boxes[0].icon, platform::BoxIcon::Information);
    EXPECT_EQ(messages.boxes[0].text,
              "Sorry, but \"abc\" is not a valid value here!\r\n\r\nTry something like \"22.05\" instead!");
    EXPECT_NE(messages.boxes[1].text.find("\"-1\""), std::string::npos);
}

TEST_F(Mp3Dialog, EnablingFollowsVbrAbrAndFilterBoxes)
{
    TfrmMp3opt dialog(record, folder.path());
    dialog.LoadPreset(Preset("[VBR]\nEnabled=1\nUseABR=0\n[Audio]\nHighpassEnabled=0\nHighWidthEnabled=1\n"
                             "LowpassEnabled=1\nLowWidthEnabled=0\n"));
    EXPECT_TRUE(dialog.SpinEditVBRQuality->isEnabled());
    EXPECT_FALSE(dialog.SpinEditVBRABRTargetBitrate->isEnabled());
    dialog.CheckBoxVBRUseABR->setChecked(true);
    EXPECT_FALSE(dialog.GroupBoxVBRQuality->isEnabled());
    EXPECT_TRUE(dialog.LabelABRTarget->isEnabled());
    dialog.CheckBoxVBR->setChecked(false);
    for (QWidget* w : {static_cast<QWidget*>(dialog.TrackBarVbrMaxBitrate), static_cast<QWidget*>(dialog.CheckBoxVBRUseABR),
                       static_cast<QWidget*>(dialog.SpinEditVBRABRTargetBitrate), static_cast<QWidget*>(dialog.SpinEditVBRQuality)})
        EXPECT_FALSE(w->isEnabled());

    EXPECT_FALSE(dialog.EditHighpassFreq->isEnabled());
    EXPECT_FALSE(dialog.EditHighpassWidth->isEnabled());  // checked, but its frequency is off
    EXPECT_TRUE(dialog.EditLowpassFreq->isEnabled());
    EXPECT_FALSE(dialog.EditLowpassWidth->isEnabled());
    dialog.CheckBoxHighpassFreq->setChecked(true);
    EXPECT_TRUE(dialog.EditHighpassWidth->isEnabled());
}

TEST_F(Mp3Dialog, ScreenshotsOfEveryTab)
{
    const char* target = std::getenv("TREMOLIX_SCREENSHOT_DIR");
    if (!target)
        GTEST_SKIP() << "set TREMOLIX_SCREENSHOT_DIR to write screenshots";
    TfrmMp3opt dialog(record, folder.path());
    dialog.LoadPreset(Preset("[General]\nBitrate=192\n[VBR]\nEnabled=1\n"));
    dialog.show();
    for (int tab = 0; tab < dialog.Tabs->count(); ++tab) {
        dialog.Tabs->setCurrentIndex(tab);
        EXPECT_TRUE(dialog.grab().save(QString("%1/mp3-tab%2.png").arg(target).arg(tab)));
    }
}
