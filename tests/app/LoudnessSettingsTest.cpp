// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QSpinBox>
#include <QTabWidget>
#include <fstream>

#include "MainWindowFixture.h"
#include "app/ui/LoudnessBox.h"

namespace {

using LoudnessSettingsTest = MainWindowTest;

TEST_F(LoudnessSettingsTest, OffUntilChosenAndBackThroughTheFile)
{
    TfrmMain& w = Open();
    appui::LoudnessBox& box = *w.grpLoudness;
    EXPECT_EQ(box.cmbReplayGain->currentText(), "Off");
    EXPECT_EQ(box.cmbNormalizeLoudness->currentText(), "Off");
    EXPECT_EQ(box.SpinEditLoudnessTarget->value(), -18);
    EXPECT_FALSE(box.SpinEditLoudnessTarget->isEnabled());
    const app::LoudnessChoice off = box.Choice();
    EXPECT_EQ(off.tags, app::GainTagMode::Off);
    EXPECT_EQ(off.apply, app::LoudnessApply::Off);

    w.PageControl->setCurrentWidget(w.tsSettings);
    box.cmbReplayGain->setCurrentIndex(2);
    box.cmbNormalizeLoudness->setCurrentIndex(2);
    EXPECT_TRUE(box.SpinEditLoudnessTarget->isEnabled());
    box.SpinEditLoudnessTarget->setValue(-23);
    const app::LoudnessChoice chosen = box.Choice();
    EXPECT_EQ(chosen.tags, app::GainTagMode::TrackAndAlbum);
    EXPECT_EQ(chosen.apply, app::LoudnessApply::Album);
    EXPECT_EQ(chosen.target, -23);
    w.show();
    w.grab().save(QString::fromStdString((std::filesystem::path(TREMOLIX_TEST_CACHE_DIR) / ".." /
                                          "loudness-settings.png").string()));
    Close();
    EXPECT_EQ(Settings().ReadInteger("Options", "ReplayGain", -1), 2);
    EXPECT_EQ(Settings().ReadInteger("Options", "NormalizeLoudness", -1), 2);
    EXPECT_EQ(Settings().ReadInteger("Options", "LoudnessTarget", 0), -23);

    TfrmMain& again = Open();
    EXPECT_EQ(again.grpLoudness->cmbReplayGain->currentText(), "Track and album");
    EXPECT_EQ(again.grpLoudness->cmbNormalizeLoudness->currentText(), "Per album");
    EXPECT_EQ(again.grpLoudness->SpinEditLoudnessTarget->value(), -23);
    Close();
}

// Values no build writes (a later one's choice, a slip of the hand) read as
// the defaults rather than as something the run cannot do.
TEST_F(LoudnessSettingsTest, UnknownValuesReadAsTheDefaults)
{
    std::ofstream(SettingsPath()) << "[Options]\nReplayGain=3\nNormalizeLoudness=-1\nLoudnessTarget=5\n";
    const TGlobaVariant read = app::ReadSettings(SettingsPath()).Options;
    EXPECT_EQ(read.ReplayGain, 0);
    EXPECT_EQ(read.NormalizeLoudness, 0);
    EXPECT_EQ(read.LoudnessTarget, -18);
    std::ofstream(SettingsPath()) << "[Options]\nReplayGain=1\nNormalizeLoudness=1\nLoudnessTarget=-70\n";
    const TGlobaVariant kept = app::ReadSettings(SettingsPath()).Options;
    EXPECT_EQ(kept.ReplayGain, 1);
    EXPECT_EQ(kept.NormalizeLoudness, 1);
    EXPECT_EQ(kept.LoudnessTarget, -70);
}

}  // namespace
