// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <thread>

#include "MainWindowFixture.h"
#include "app/ui/ColorBox.h"
#include "app/ui/SongList.h"

namespace {

using SettingsTest = MainWindowTest;

// On the box or circle, where a click always lands whatever the width.
void Click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2)); }

int CoreCount() { return std::clamp(int(std::thread::hardware_concurrency()), 1, 16); }

TEST_F(SettingsTest, FirstStartShowsEveryDefaultAndCloseWritesThem)
{
    TfrmMain& w = Open();
    EXPECT_EQ(w.edtTargetFolder->text(), QStandardPaths::writableLocation(QStandardPaths::MusicLocation));
    EXPECT_EQ(w.cmbFormat->count(), engine::FormatCount);
    EXPECT_EQ(w.cmbFormat->currentText(), "MP3") << "a first start can run at once";
    EXPECT_EQ(w.cmbthreadPriority->currentText(), "Normal");
    EXPECT_TRUE(w.chkAutoSaveTag->isChecked());
    EXPECT_FALSE(w.chkDelOrig->isChecked());
    EXPECT_FALSE(w.chkAdjustVolume->isChecked());
    EXPECT_FALSE(w.SpinEditAdjustVolume->isEnabled());
    EXPECT_EQ(w.SpinEditAdjustVolume->value(), 95);
    EXPECT_FALSE(w.chkWhenFinished->isChecked());
    EXPECT_FALSE(w.cmbDoEvent->isEnabled());
    EXPECT_EQ(w.cmbDoEvent->currentText(), "Close application");
    EXPECT_EQ(w.cmbFileexist->currentText(), "Ignore");
    EXPECT_TRUE(w.rdOriginalName->isChecked());
    EXPECT_FALSE(w.cmbPrefix->isEnabled());
    EXPECT_EQ(w.cmbPrefix->currentText(), "");
    EXPECT_EQ(w.cmbPrefix->itemText(0), "%TrackNum%");
    EXPECT_EQ(w.cmbColor->Selected(), 255);
    EXPECT_EQ(w.SpinEditSimultaneousJobs->value(), CoreCount());
    EXPECT_FALSE(w.chkPortableNames->isChecked());
    const QHeaderView* header = w.lvSongs->header();
    int total = 0;
    for (int column = 0; column < app::ColumnCount; ++column)
        total += header->sectionSize(column);
    EXPECT_EQ(total, w.lvSongs->viewport()->width()) << "the columns fill the list";
    EXPECT_NEAR(double(header->sectionSize(0)) / header->sectionSize(3),
                double(app::DefaultColumnWidths[0]) / app::DefaultColumnWidths[3], 0.1);
    const int lastWidth = header->sectionSize(app::ColumnCount - 1);
    EXPECT_FALSE(std::filesystem::exists(SettingsPath())) << "nothing is written before the close";

    Close();
    const platform::IniFile ini = Settings();
    EXPECT_EQ(ini.ReadString("Options", "TargetFolder", "?"),
              QStandardPaths::writableLocation(QStandardPaths::MusicLocation).toStdString());
    EXPECT_EQ(ini.ReadInteger("Options", "SaveTag", -1), 1);
    EXPECT_EQ(ini.ReadInteger("Options", "ThreadPriority", -1), 32);
    EXPECT_EQ(ini.ReadInteger("Options", "AdjustVolumeValue", -1), 95);
    EXPECT_EQ(ini.ReadInteger("Options", "ResultFontColor", -1), 255);
    EXPECT_EQ(ini.ReadInteger("Options", "Column6", -1), lastWidth);
    EXPECT_EQ(ini.ReadString("Options", "OutFormat", ""), "MP3");
    EXPECT_EQ(ini.ReadInteger("Options", "SimultaneousJobs", -1), CoreCount());
    EXPECT_EQ(ini.ReadInteger("Options", "PortableFileNames", -1), 0);
    EXPECT_EQ(ini.ReadInteger("Options", "ReplayGain", -1), 0);
    EXPECT_EQ(ini.ReadInteger("Options", "LoudnessTarget", 0), -18);
    EXPECT_EQ(ini.Keys("Options").size(), 26u);
    EXPECT_EQ(ini.Keys("PresetLists").size(), std::size_t(engine::FormatCount));
}

TEST_F(SettingsTest, StoredValuesComeBackAndOddNumbersAreTamed)
{
    std::ofstream(SettingsPath()) << "[options]\nthreadpriority=100\nFinishDoEvent=0x103\nCanDoEvent=7\n"
                                     "OutputFileMode=1\nPrefix=%Album%_\nResultFontColor=0xFF0000\n"
                                     "OutFormat=mp3\nWhenFileExist=2\nAdjustVolume=1\nAdjustVolumeValue=40\n"
                                     "[PresetLists]\nPreset3=Best\n";
    TfrmMain& w = Open();
    EXPECT_EQ(w.cmbthreadPriority->currentText(), "Normal") << "100 is none of the four";
    EXPECT_EQ(w.cmbDoEvent->currentIndex(), 3) << "only the low 8 bits count";
    EXPECT_TRUE(w.chkWhenFinished->isChecked());
    EXPECT_TRUE(w.cmbDoEvent->isEnabled());
    EXPECT_TRUE(w.rdCustomName->isChecked());
    EXPECT_TRUE(w.cmbPrefix->isEnabled());
    EXPECT_EQ(w.cmbPrefix->currentText(), "%Album%_");
    EXPECT_EQ(w.cmbColor->currentText(), "Blue");
    EXPECT_EQ(w.cmbFormat->currentText(), "MP3") << "letter case is ignored";
    EXPECT_EQ(w.cmbFileexist->currentText(), "Prompt");
    EXPECT_TRUE(w.SpinEditAdjustVolume->isEnabled());
    EXPECT_EQ(w.SpinEditAdjustVolume->value(), 40);
    EXPECT_EQ(w.PresetLists[3], "Best");

    Close();
    const platform::IniFile ini = Settings();
    EXPECT_EQ(ini.ReadInteger("Options", "ThreadPriority", -1), 32);
    EXPECT_EQ(ini.ReadInteger("Options", "FinishDoEvent", -1), 3);
    EXPECT_EQ(ini.ReadInteger("Options", "CanDoEvent", -1), 1);
    EXPECT_EQ(ini.ReadInteger("Options", "ResultFontColor", -1), 0xFF0000);
    EXPECT_EQ(ini.ReadString("Options", "OutFormat", ""), "MP3");
    EXPECT_EQ(ini.ReadString("PresetLists", "Preset3", ""), "Best");
    EXPECT_EQ(ini.Sections().size(), 2u) << "the lower-case section is rewritten in place";
}

// Added formats take list positions after the eleven, so the keys an
// older build wrote keep their meaning and the new ones are extra keys.
TEST_F(SettingsTest, AnAddedFormatsChoiceComesBackBesideTheElevensOwnKeys)
{
    std::ofstream(SettingsPath()) << "[Options]\nOutFormat=wavpack\n"
                                     "[PresetLists]\nPreset2=Level 8 (best compression)\nPreset12=Lossless high (-h)\n";
    TfrmMain& w = Open();
    EXPECT_EQ(w.cmbFormat->currentText(), "WavPack");
    EXPECT_EQ(w.PresetLists[2], "Level 8 (best compression)");
    EXPECT_EQ(w.PresetLists[12], "Lossless high (-h)");

    Close();
    const platform::IniFile ini = Settings();
    EXPECT_EQ(ini.ReadString("Options", "OutFormat", ""), "WavPack");
    EXPECT_EQ(ini.ReadString("PresetLists", "Preset2", ""), "Level 8 (best compression)");
    EXPECT_EQ(ini.ReadString("PresetLists", "Preset12", ""), "Lossless high (-h)");
}

TEST_F(SettingsTest, JobCountAndPortableNamesGoBothWaysBetweenFileAndControls)
{
    std::ofstream(SettingsPath()) << "[Options]\nSimultaneousJobs=3\nPortableFileNames=1\n";
    TfrmMain& w = Open();
    EXPECT_EQ(w.SpinEditSimultaneousJobs->value(), 3);
    EXPECT_EQ(w.SpinEditSimultaneousJobs->minimum(), 1);
    EXPECT_EQ(w.SpinEditSimultaneousJobs->maximum(), 16);
    EXPECT_TRUE(w.chkPortableNames->isChecked());

    w.PageControl->setCurrentWidget(w.tsSettings);
    Click(w.chkPortableNames);
    w.SpinEditSimultaneousJobs->setValue(16);
    Close();
    EXPECT_EQ(Settings().ReadInteger("Options", "SimultaneousJobs", -1), 16);
    EXPECT_EQ(Settings().ReadInteger("Options", "PortableFileNames", -1), 0);
    const app::StoredSettings stored = app::ReadSettings(SettingsPath());
    EXPECT_EQ(stored.Options.SimultaneousJobs, 16);
    EXPECT_FALSE(stored.Options.PortableFileNames);
}

TEST_F(SettingsTest, AJobCountNoRunCanUseFallsBackToTheCores)
{
    for (const char* stored : {"0", "17", "-2", "many", "0x7FFFFFFF", ""}) {
        SCOPED_TRACE(stored);
        std::ofstream(SettingsPath()) << "[Options]\nSimultaneousJobs=" << stored << "\n";
        EXPECT_EQ(app::ReadSettings(SettingsPath()).Options.SimultaneousJobs, CoreCount());
        TfrmMain& w = Open();
        EXPECT_EQ(w.SpinEditSimultaneousJobs->value(), CoreCount());
        Close();
        EXPECT_EQ(Settings().ReadInteger("Options", "SimultaneousJobs", -1), CoreCount());
    }
}

TEST_F(SettingsTest, ColumnProportionsSurviveARestartAndFollowTheWindowsWidth)
{
    Open().lvSongs->header()->resizeSection(0, 321);
    window->lvSongs->header()->resizeSection(3, 77);
    Close();
    TfrmMain& again = Open();
    const QHeaderView* header = again.lvSongs->header();
    const auto ratio = [&] { return double(header->sectionSize(0)) / header->sectionSize(3); };
    EXPECT_NEAR(ratio(), 321.0 / 77, 0.15);
    again.resize(again.width() + 400, again.height());
    QApplication::processEvents();
    int total = 0;
    for (int column = 0; column < app::ColumnCount; ++column)
        total += header->sectionSize(column);
    EXPECT_EQ(total, again.lvSongs->viewport()->width()) << "a wider window gives every column its share";
    EXPECT_NEAR(ratio(), 321.0 / 77, 0.15);
}

TEST_F(SettingsTest, BlanksAtTheEndsOfTextsSurviveARestartAndBothFormsRead)
{
    TfrmMain& w = Open();
    w.cmbPrefix->setEditText("1 ");
    w.edtTargetFolder->setText(" /music/out ");
    Close();
    std::ifstream in(SettingsPath());
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("Prefix=\"1 \""), std::string::npos) << text;
    TfrmMain& again = Open();
    EXPECT_EQ(again.cmbPrefix->currentText(), "1 ") << "\"1 06-...\" must not become \"106-...\"";
    EXPECT_EQ(again.edtTargetFolder->text(), " /music/out ");
    Close();

    std::ofstream(SettingsPath()) << "[Options]\nPrefix=\" %Album% \"\nTargetFolder=/plain \n";
    TfrmMain& old = Open();
    EXPECT_EQ(old.cmbPrefix->currentText(), " %Album% ");
    EXPECT_EQ(old.edtTargetFolder->text(), "/plain") << "an unquoted value loses its blanks, as before";
}

TEST_F(SettingsTest, ChoicesReachTheFileOnlyAtClose)
{
    std::ofstream(SettingsPath()) << "; mine\n[Options]\nDeleteOriginalFile=0\n";
    TfrmMain& w = Open();
    w.PageControl->setCurrentWidget(w.tsSettings);
    Click(w.chkDelOrig);
    w.edtTargetFolder->setText("/tmp/out put");
    EXPECT_EQ(Settings().ReadInteger("Options", "DeleteOriginalFile", -1), 0);
    EXPECT_FALSE(Settings().KeyExists("Options", "TargetFolder"));
    Close();
    EXPECT_EQ(Settings().ReadInteger("Options", "DeleteOriginalFile", -1), 1);
    EXPECT_EQ(Settings().ReadString("Options", "TargetFolder", ""), "/tmp/out put");
    std::ifstream in(SettingsPath());
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "; mine");
}

TEST_F(SettingsTest, SettingsPageEnablingRulesFollowTheirControls)
{
    TfrmMain& w = Open();
    w.PageControl->setCurrentWidget(w.tsSettings);
    Click(w.chkAdjustVolume);
    EXPECT_TRUE(w.SpinEditAdjustVolume->isEnabled());
    Click(w.chkAdjustVolume);
    EXPECT_FALSE(w.SpinEditAdjustVolume->isEnabled());
    Click(w.chkWhenFinished);
    EXPECT_TRUE(w.cmbDoEvent->isEnabled());
    Click(w.chkWhenFinished);
    EXPECT_FALSE(w.cmbDoEvent->isEnabled());
    Click(w.rdCustomName);
    EXPECT_TRUE(w.cmbPrefix->isEnabled());
    Click(w.rdOriginalName);
    EXPECT_FALSE(w.cmbPrefix->isEnabled());
}

TEST_F(SettingsTest, AnUnwritableSettingsFileIsReportedAtClose)
{
    std::filesystem::create_directory(SettingsPath());
    Open();
    Close();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Warning");
    EXPECT_NE(messages[0].text.find("Options.ini"), std::string::npos);
}

}  // namespace
