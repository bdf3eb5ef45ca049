// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run driven from the main window: real encoders over a temporary
// program folder, boxes and desktop actions recorded instead of shown.

#include <QAction>
#include <QComboBox>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidgetItem>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "BatchRunWindowFixture.h"
#include "app/ui/EncProgressForm.h"
#include "app/ui/RunController.h"
#include "app/ui/SongList.h"
#include "platform/Shutdown.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

TEST_F(BatchRunWindowTest, ThreeFilesConvertInListOrderWhileTheProgressWindowShowsTheirWay)
{
    Choose(Flac, "Level 0 (fastest)");
    AddTones({"b one.flac", "a two.flac", "c three.flac"});
    ASSERT_EQ(window->EntryCount(), 3);
    ASSERT_TRUE(window->btnConverter->isEnabled());
    // An action shown but not chosen does not follow the run.
    window->cmbDoEvent->setCurrentIndex(PopupPrompt);

    std::string tips;
    int percent = 0;
    bool windowDisabled = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* progress = Progress(); progress && progress->isVisible()) {
            if (tips.empty())
                tips = progress->lblTips->text().toStdString();
            percent = std::max(percent, progress->pbPercent->value());
            windowDisabled = windowDisabled || !window->isEnabled();
        }
    });
    watch.start(1);
    window->actConvertion->trigger();
    watch.stop();

    EXPECT_EQ(window->EntryCount(), 0);
    ASSERT_EQ(window->ConvertedFiles.size(), 3u);
    EXPECT_EQ(window->ConvertedFiles[0], target / "b one.flac");
    EXPECT_EQ(window->ConvertedFiles[1], target / "a two.flac");
    EXPECT_EQ(window->ConvertedFiles[2], target / "c three.flac");
    for (const fs::path& output : window->ConvertedFiles) {
        EXPECT_GT(fs::file_size(output), 1000u) << output;
        EXPECT_EQ(testaudio::Probe(output, "codec_name"), "flac");
    }
    EXPECT_EQ(tips.rfind("Process: from ", 0), 0u) << tips;
    EXPECT_NE(tips.find("b one.flac"), std::string::npos) << tips;
    EXPECT_GT(percent, 0);
    EXPECT_TRUE(windowDisabled);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(Progress(), nullptr);
    EXPECT_TRUE(messages.empty()) << messages.front().text;
    EXPECT_FALSE(window->btnConverter->isEnabled());
}

TEST_F(BatchRunWindowTest, StartIsOffWithAnEmptyList)
{
    Choose(Wav, "Keep as is");
    EXPECT_FALSE(window->btnConverter->isEnabled());
    EXPECT_FALSE(window->actConvertion->isEnabled());
    AddTones({"one.flac"});
    EXPECT_TRUE(window->btnConverter->isEnabled());
    EXPECT_TRUE(window->actConvertion->isEnabled());
}

TEST_F(BatchRunWindowTest, IgnoreLeavesAnExistingOutputAndItsEntryAlone)
{
    Choose(Wav, "Keep as is");
    window->cmbFileexist->setCurrentIndex(0);
    AddTones({"one.flac", "two.flac"});
    const fs::path output = target / "one.wav";
    std::ofstream(output, std::ios::binary) << "not to be touched";
    window->Entry(0)->setText(appui::ColResult, "earlier result");

    window->actConvertion->trigger();

    EXPECT_EQ(Bytes(output), "not to be touched");
    ASSERT_EQ(window->EntryCount(), 1);
    EXPECT_EQ(Result(0), app::SkippedExistingText);
    EXPECT_EQ(window->ConvertedFiles, std::vector<fs::path>{target / "two.wav"});
    EXPECT_TRUE(messages.empty());
}

TEST_F(BatchRunWindowTest, PromptAnsweredNoRunsNothingYetTheRunCompletes)
{
    Choose(Wav, "Keep as is");
    window->cmbFileexist->setCurrentIndex(2);
    WhenFinished(PopupPrompt);
    AddTones({"one.flac", "two.flac"});
    for (const char* name : {"one.wav", "two.wav"})
        std::ofstream(target / name, std::ios::binary) << "kept";
    AnswerOverwrites({platform::BoxAnswer::No, platform::BoxAnswer::No});

    window->actConvertion->trigger();

    EXPECT_EQ(overwriteQuestions, 2);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, "File \"" + (target / "one.wav").string() +
                                    "\" already exists, do you want to overwrite it?");
    EXPECT_EQ(messages[2].text.rfind("Conversion complete!\n\nConverted 0, skipped 2, failed 0, stopped 0 in", 0),
              0u)
        << messages[2].text;
    EXPECT_EQ(Bytes(target / "one.wav"), "kept");
    EXPECT_EQ(Bytes(target / "two.wav"), "kept");
    EXPECT_EQ(window->EntryCount(), 2);
}

TEST_F(BatchRunWindowTest, CancelStopsOnlyTheEntryBeingConverted)
{
    // A longer input and a slower encoder, so the second job is surely still
    // running when asked.
    const fs::path longTone = home / "long.wav";
    testaudio::MakeToneWav(longTone, 44100, 2, 60);
    Choose("MP3", "CBR 128 kbps");
    AddTones({"one.flac"});
    const fs::path second = sources / "two.wav";
    fs::copy_file(longTone, second);
    window->AddFiles({second});
    AddTones({"three.flac"});
    ASSERT_EQ(window->EntryCount(), 3);

    bool pressed = false;
    bool cancelEnabled = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* progress = Progress();
        if (!pressed && progress && progress->lblTips->text().contains("two.wav")) {
            pressed = true;
            cancelEnabled = progress->btnSkip->isEnabled();
            progress->btnSkip->click();
        }
    });
    watch.start(1);
    window->actConvertion->trigger();
    watch.stop();

    ASSERT_TRUE(pressed);
    EXPECT_TRUE(cancelEnabled);
    ASSERT_EQ(window->EntryCount(), 1);
    EXPECT_EQ(window->EntryPath(0), second);
    EXPECT_EQ(window->Entry(0)->text(appui::ColResult).toStdString(), "Operation is cancelled");
    ASSERT_EQ(window->ConvertedFiles.size(), 2u);
    EXPECT_EQ(window->ConvertedFiles[1], target / "three.mp3");
    EXPECT_TRUE(fs::exists(target / "three.mp3"));
}

TEST_F(BatchRunWindowTest, AnUndeletableOriginalIsReportedAndItsOutputKept)
{
    // Folder permissions do not bind root: an immutable folder does.
    Choose(Wav, "Keep as is");
    window->chkDelOrig->setChecked(true);
    const fs::path input = AddTones({"one.flac"}).front();
    const std::string folder = sources.string();
    if (::geteuid() == 0) {
        if (testaudio::Run({"chattr", "+i", folder}) != 0)
            GTEST_SKIP() << "chattr does not work here";
    } else {
        fs::permissions(sources, fs::perms::owner_read | fs::perms::owner_exec);
    }

    window->actConvertion->trigger();

    if (::geteuid() == 0)
        testaudio::Run({"chattr", "-i", folder});
    else
        fs::permissions(sources, fs::perms::owner_all);
    EXPECT_TRUE(fs::exists(input));
    ASSERT_EQ(window->EntryCount(), 1);
    EXPECT_EQ(window->Entry(0)->text(appui::ColResult).toStdString(), "Can't delete original files!");
    ASSERT_EQ(window->ConvertedFiles.size(), 1u);
    EXPECT_TRUE(fs::exists(window->ConvertedFiles[0]));
}

TEST_F(BatchRunWindowTest, AnInputThatEndedEarlyStaysListedWithTheReason)
{
    Choose(Flac, "Level 0 (fastest)");
    // A header that promises 1:14 over 1.6 s of samples.
    const fs::path cut = sources / "cut.wav";
    testaudio::MakeToneWav(cut, 44100, 2, 74.0);
    fs::resize_file(cut, 44 + 70560 * 4);
    window->AddFiles({cut});
    AddTones({"whole.flac"});

    window->actConvertion->trigger();

    ASSERT_EQ(window->EntryCount(), 1);
    EXPECT_EQ(window->EntryPath(0), cut);
    EXPECT_EQ(window->Entry(0)->text(appui::ColResult).toStdString(), "the input ended after 1.6 s of 1:14");
    EXPECT_EQ(window->ConvertedFiles.size(), 2u);
    EXPECT_TRUE(fs::exists(target / "cut.flac"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(BatchRunWindowTest, APlayListFollowsACompletedRun)
{
    Choose(Wav, "Keep as is");
    WhenFinished(CreatePlayList);
    AddTones({"one.flac", "two.flac"});

    window->actConvertion->trigger();

    const std::string list = Bytes(target / "untitled.pls");
    EXPECT_NE(list.find((target / "one.wav").string()), std::string::npos) << list;
    EXPECT_NE(list.find((target / "two.wav").string()), std::string::npos) << list;
    EXPECT_TRUE(messages.empty());
}

TEST_F(BatchRunWindowTest, AnArchiveWithoutTheEncoderStopsTheRunBeforeAnyAction)
{
    Choose(Flac, "Level 0 (fastest)");
    WhenFinished(PopupPrompt);
    AddTones({"one.flac"});
    std::ofstream(home / "EncodeDLL.dll", std::ios::binary | std::ios::trunc) << "PK not an archive";

    window->actConvertion->trigger();

    EXPECT_EQ(Texts(), std::vector<std::string>{"File \"EncodeDLL.dll\" doesn't loaded!"});
    EXPECT_EQ(window->EntryCount(), 1);
    EXPECT_TRUE(window->ConvertedFiles.empty());
    EXPECT_TRUE(fs::is_empty(target));
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(BatchRunWindowTest, AnEncoderFolderThatCannotBeMadeIsNamedInTheMessage)
{
    std::ofstream(home / "a file") << "not a folder";
    const testsupport::ScopedEnv cache("XDG_CACHE_HOME", (home / "a file").c_str());
    const testsupport::ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    Choose(Flac, "Level 0 (fastest)");
    AddTones({"one.flac"});

    window->actConvertion->trigger();

    EXPECT_EQ(Texts(), std::vector<std::string>{"Cannot unpack the encoders into \"" +
                                                (home / "a file" / "tremolix" / "encoders").string() +
                                                "\": Not a directory"});
    EXPECT_EQ(window->EntryCount(), 1);
    EXPECT_TRUE(fs::is_empty(target));
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(BatchRunWindowTest, ProgressWindowPictureMidRun)
{
    Choose(Flac, "Level 0 (fastest)");
    AddTones({"one.flac"});
    bool saved = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* progress = Progress();
        if (!saved && progress && progress->isVisible() && !progress->lblTips->text().isEmpty()) {
            fs::create_directories(TREMOLIX_SCREENSHOT_DIR);
            saved = progress->grab().save(QString(TREMOLIX_SCREENSHOT_DIR) + "/batch-progress.png");
        }
    });
    watch.start(1);
    window->actConvertion->trigger();
    EXPECT_TRUE(saved);
}

}  // namespace

TEST_F(BatchRunWindowTest, ARunWithAFailureEndsWithItsSummaryAndTheFailureInTheMessage)
{
    Choose(Wav, "Keep as is");
    WhenFinished(PopupPrompt);
    const std::vector<fs::path> inputs = AddTones({"one.flac", "gone.flac"});
    fs::remove(inputs[1]);

    window->actConvertion->trigger();

    EXPECT_EQ(window->spRunSummary->text().left(46).toStdString(), "Converted 1, skipped 0, failed 1, stopped 0 in");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text.rfind("Conversion complete!", 0), 0u) << messages[0].text;
    EXPECT_NE(messages[0].text.find(inputs[1].string() + ": The file \"" + inputs[1].string() + "\" does not exist"),
              std::string::npos)
        << messages[0].text;
}

TEST_F(BatchRunWindowTest, ClosingTheWindowMidRunEndsTheRunAndThenTheWindow)
{
    const testsupport::TempFolder tmp;
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    ::setenv("TMPDIR", tmp.path().c_str(), 1);
    const fs::path longTone = sources / "two.wav";
    testaudio::MakeToneWav(longTone, 44100, 2, 60);
    Choose("MP3", "CBR 128 kbps");
    WhenFinished(PopupPrompt);
    AddTones({"one.flac"});
    window->AddFiles({longTone});
    AddTones({"three.flac"});
    AnswerOverwrites({});

    bool closed = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* progress = Progress();
        if (!closed && progress && progress->lblTips->text().contains("two.wav")) {
            closed = true;
            window->close();
        }
    });
    watch.start(1);
    window->actConvertion->trigger();
    watch.stop();
    if (oldTmp)
        ::setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        ::unsetenv("TMPDIR");

    ASSERT_TRUE(closed);
    EXPECT_FALSE(window->isVisible());
    // The question, and no after-run action.
    EXPECT_EQ(Texts(), std::vector<std::string>{"A conversion is running. Stop it and close the program?"});
    ASSERT_EQ(window->EntryCount(), 2);
    EXPECT_EQ(Result(0), "Operation is cancelled");
    EXPECT_EQ(Result(1), app::NotStartedText);
    EXPECT_EQ(fs::exists(target / "one.mp3"), true);
    EXPECT_EQ(fs::exists(target / "two.mp3"), false);
    for (const auto& entry : fs::directory_iterator(target))
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    EXPECT_TRUE(fs::is_empty(tmp.path()));
    EXPECT_TRUE(fs::exists(SettingsPath()));
}

TEST_F(BatchRunWindowTest, SeveralJobsShowALineEachAndKeepTheListOrder)
{
    window->SpinEditSimultaneousJobs->setValue(3);
    Choose("MP3", "CBR 128 kbps");
    std::vector<fs::path> inputs;
    for (const char* name : {"1 a.wav", "2 b.wav", "3 c.wav", "4 d.wav"}) {
        inputs.push_back(sources / name);
        testaudio::MakeToneWav(inputs.back(), 44100, 2, 20);
    }
    window->AddFiles(inputs);
    int mostLines = 0;
    bool saved = false;
    std::set<std::pair<int, int>> sizes;
    RunWatching(
        [&](TfrmEncProgress& progress) {
            sizes.insert({progress.width(), progress.height()});
            const int lines = progress.lstJobs->count();
            if (lines > mostLines && lines >= 2)
                saved = progress.grab().save(QString(TREMOLIX_SCREENSHOT_DIR) + "/batch-progress-jobs.png");
            mostLines = std::max(mostLines, lines);
        },
        5);

    EXPECT_GE(mostLines, 2);
    EXPECT_TRUE(saved);
    EXPECT_EQ(sizes.size(), 1u) << "the window keeps its size as jobs start and end";
    ASSERT_EQ(window->ConvertedFiles.size(), 4u);
    for (std::size_t i = 0; i < inputs.size(); ++i)
        EXPECT_EQ(window->ConvertedFiles[i], target / (inputs[i].stem().string() + ".mp3"));
    EXPECT_EQ(window->EntryCount(), 0);
}

TEST_F(BatchRunWindowTest, MinimizeWithoutANotificationAreaRestoresTheWindowAtTheEnd)
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        GTEST_SKIP() << "this desktop has a notification area";
    const fs::path longTone = sources / "long.wav";
    testaudio::MakeToneWav(longTone, 44100, 2, 20);
    Choose("MP3", "CBR 128 kbps");
    window->AddFiles({longTone});
    bool pressed = false;
    bool minimized = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* progress = Progress();
        if (progress && progress->isVisible() && !pressed) {
            pressed = true;
            progress->btnMinimize->click();
        }
        minimized = minimized || window->isMinimized();
    });
    watch.start(5);
    window->actConvertion->trigger();
    watch.stop();

    ASSERT_TRUE(pressed);
    EXPECT_TRUE(minimized);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(window->ConvertedFiles.size(), 1u);
}
