// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "MessageRecorder.h"
#include "PresetTestFiles.h"
#include "presets/LameOptions.h"
#include "presets/PresetCatalogue.h"
#include "presets/ui/Mp3OptionsForm.h"
#include "presets/ui/PresetSelector.h"
#include "presets/ui/SaveFileChooser.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using presettest::WriteText;

TEST(PresetCatalogue, ShortNamesMapToFormatIndexes)
{
    EXPECT_EQ(presets::ShortName("Ogg vorbis"), "Ogg vorbis");
    EXPECT_EQ(presets::FormatIndexOfShortName(presets::ShortName("Ogg vorbis")), 1);
    EXPECT_EQ(presets::ShortName("WAV (Standard)"), "WAV");
    EXPECT_EQ(presets::FormatIndexOfShortName("wav"), 8);
    EXPECT_EQ(presets::FormatIndexOfShortName("WMA"), 10);
    EXPECT_EQ(presets::FormatIndexOfShortName("wave"), engine::NoFormat);
    // The preset folder is found by the short name of the format box's text.
    for (const engine::Format format : engine::AllFormats)
        EXPECT_EQ(presets::FormatIndexOfShortName(presets::ShortName(engine::Row(format).displayName)), format)
            << engine::Row(format).displayName;
}

namespace {

class Selector : public ::testing::Test {
protected:
    Selector()
    {
        for (const char* name : engine::DisplayNamesInListOrder())
            format.addItem(name);
        format.setCurrentIndex(-1);
    }
    ~Selector() override { presets::SetSaveFileChooser({}); }

    void Choose(const char* formatName)
    {
        format.setCurrentIndex(format.findText(formatName));
        selector.FormatChanged();
    }
    void ChoosePreset(const QString& name)
    {
        config.setCurrentIndex(config.findText(name));
        selector.PresetChanged();
    }
    std::vector<std::string> Listed() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < config.count(); ++i)
            names.push_back(config.itemText(i).toStdString());
        return names;
    }
    fs::path PresetDir(const std::string& name) const { return folder / "Preset" / name; }

    testsupport::TempFolder folder;
    presettest::MessageRecorder messages;
    QComboBox format, config;
    QPushButton button;
    TPresetSelection state;
    TMP3Settings mp3;
    PresetSelector selector{folder.path(), &format, &config, &button, nullptr, nullptr, state, mp3};
};

// Answers the next modal dialog from inside its event loop.
template <typename Dialog, typename Action>
void WhenModal(Action action)
{
    QTimer::singleShot(0, [action] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget()))
            action(*dialog);
    });
}

}  // namespace

TEST_F(Selector, LinesOfEverySectionAreListedButOnlyAudioKeysLoad)
{
    WriteText(PresetDir("ogg VORBIS") / "Presets.INI",
              "[Audio]\nGood = -q 5\n; note=not a preset\n[Other]\nStray=-q 1\n");
    Choose("Ogg vorbis");
    EXPECT_EQ(state.CurrentFormat, 1);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Good", "Stray"}));
    EXPECT_EQ(state.PresetFile, PresetDir("ogg VORBIS") / "Presets.INI");
    EXPECT_FALSE(button.isEnabled());

    ChoosePreset("Good");
    EXPECT_EQ(state.CurrentOptions, "-q 5");
    EXPECT_EQ(state.PresetLists[8], "Good");
    ChoosePreset("Stray");
    EXPECT_EQ(state.CurrentOptions, "");
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, presets::InvalidPresetText(PresetDir("ogg VORBIS") / "Presets.INI"));
    EXPECT_EQ(messages.boxes[0].caption, "Warning");
}

TEST_F(Selector, MissingPresetsIniLeavesTheListEmpty)
{
    Choose("WAV (Standard)");
    EXPECT_EQ(state.CurrentFormat, 8);
    EXPECT_EQ(config.count(), 0);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, "Preset file not found. Please re-install.");
}

TEST_F(Selector, WmaPresetInASubfolderIsFoundAndUsed)
{
    WriteText(PresetDir("wma") / "Speech" / "Low Rate.INI",
              "[audio]\nSamplerate=22050\nChannel=1\nBitrate=32\nVBR=0\n");
    WriteText(PresetDir("wma") / ".hidden" / "Low Rate.ini", "[Audio]\nSamplerate=8000\n");
    state.PresetLists[10] = "low rate";
    Choose("WMA (Windows media audio)");
    EXPECT_EQ(state.CurrentFormat, 10);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Low Rate"}));
    EXPECT_EQ(config.currentText(), "Low Rate");
    EXPECT_TRUE(button.isEnabled());
    EXPECT_EQ(state.CurrentWma.SampleRate, 22050);
    EXPECT_EQ(state.CurrentWma.Channels, 1);
    EXPECT_EQ(state.CurrentWma.Bitrate, 32);
    EXPECT_FALSE(state.CurrentWma.Vbr);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(Selector, FormatWhoseLastPresetIsGoneHasNoSelection)
{
    WriteText(PresetDir("MP3") / "Other.ini", "[General]\nBitrate=128\n");
    state.PresetLists[4] = "Gone";
    state.CurrentOptions = "stale";
    Choose("MP3");
    EXPECT_EQ(config.count(), 1);
    EXPECT_EQ(config.currentIndex(), -1);
    EXPECT_FALSE(button.isEnabled());
    EXPECT_EQ(state.CurrentOptions, "");
}

TEST_F(Selector, Mp3PresetLoadsIntoTheOptionsAndMalformedOnesAreReported)
{
    WriteText(PresetDir("MP3") / "Good.ini", "[General]\nBitrate=192\n[Options]\nMode=4\n[Expert]\nqLevel=-1\n");
    WriteText(PresetDir("MP3") / "Bad.ini", "[Audio]\nLowpassFreq=x\n");
    WriteText(PresetDir("MP3") / "Plain.preset", "");
    Choose("MP3");
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Bad", "Good", "Plain.pr"}));
    ChoosePreset("Good");
    EXPECT_EQ(state.CurrentOptions, " -b 192");
    ChoosePreset("Bad");
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_EQ(state.CurrentOptions, " -b 192");
}

TEST_F(Selector, OptionButtonEditsThePresetAndListsASavedCopy)
{
    WriteText(PresetDir("MP3") / "Base.ini", "[General]\nBitrate=128\n[Options]\nMode=4\n[Expert]\nqLevel=-1\n");
    Choose("MP3");
    ChoosePreset("Base");
    presets::SetSaveFileChooser(
        [&](const presets::SaveRequest&) { return std::optional<fs::path>(PresetDir("MP3") / "Saved One.ini"); });
    WhenModal<TfrmMp3opt>([](TfrmMp3opt& dialog) {
        dialog.TrackBarBitrate->setValue(15);
        dialog.btnSaveOptions->click();
        dialog.btnOK->click();
    });
    selector.OptionClicked();
    EXPECT_EQ(state.CurrentOptions, " -b 192");
    EXPECT_EQ(config.currentText(), "Saved One");
    EXPECT_EQ(state.PresetLists[4], "Base");
    EXPECT_TRUE(fs::exists(PresetDir("MP3") / "Saved One.ini"));

    fs::remove(PresetDir("MP3") / "Saved One.ini");
    selector.OptionClicked();
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, "Preset file not found!");
}

TEST(PresetCatalogueValues, WmaDialogTextsBecomeJobValues)
{
    const TWmaValues previous{8000, 2, 64, false};
    auto v = presets::WmaValuesFromTexts("48000Hz", "MONO", "160Kbps", false, previous);
    EXPECT_EQ(v.SampleRate, 48000);
    EXPECT_EQ(v.Channels, 1);
    EXPECT_EQ(v.Bitrate, 160);
    v = presets::WmaValuesFromTexts("", "six", "", true, previous);
    EXPECT_EQ(v.SampleRate, 44100);
    EXPECT_EQ(v.Channels, 2);
    EXPECT_EQ(v.Bitrate, 90);
    EXPECT_TRUE(v.Vbr);
}
