// SPDX-License-Identifier: GPL-3.0-or-later
// Control of a running batch from the window: Skip file, Stop all, closing
// mid-run, the overwrite answers, the progress shown and the closing box,
// with real encoders and boxes answered by the test.

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

#include "BatchRunWindowFixture.h"
#include "app/Playlist.h"

namespace fs = std::filesystem;
using platform::BoxAnswer;

namespace {

bool AnyPartFile(const fs::path& folder)
{
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().front() == '.')
            return true;
    return false;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

}  // namespace

// A run of MP3 conversions whose second input is a minute long, so it surely
// runs when the test presses a button.
class RunControlTest : public BatchRunWindowTest {
protected:
    std::vector<fs::path> AddWithLongSecond(const std::vector<std::string>& shortNames)
    {
        Choose("MP3", "CBR 128 kbps");
        std::vector<fs::path> inputs = AddTones({shortNames.front()});
        inputs.push_back(sources / "long.wav");
        testaudio::MakeToneWav(inputs.back(), 44100, 2, 60);
        window->AddFiles({inputs.back()});
        for (std::size_t i = 1; i < shortNames.size(); ++i)
            inputs.push_back(AddTones({shortNames[i]}).front());
        return inputs;
    }

    // Presses the button once the long input is being converted.
    bool PressWhenLongRuns(QPushButton* TfrmEncProgress::*button)
    {
        bool pressed = false;
        RunWatching([&](TfrmEncProgress& progress) {
            if (!pressed && progress.lblTips->text().contains("long.wav")) {
                pressed = true;
                (progress.*button)->click();
            }
        });
        return pressed;
    }

    std::string Summary() const { return window->spRunSummary->text().toStdString(); }
};

TEST_F(RunControlTest, StopAllEndsTheRunAndCountsTheRestAsStoppedNotFailed)
{
    WhenFinished(CreatePlayList);
    AddWithLongSecond({"one.flac", "three.flac", "four.flac"});
    AnswerOverwrites({});

    ASSERT_TRUE(PressWhenLongRuns(&TfrmEncProgress::btnStopAll));

    EXPECT_EQ(window->ConvertedFiles, std::vector<fs::path>{target / "one.mp3"});
    ASSERT_EQ(window->EntryCount(), 3);
    EXPECT_EQ(Result(0), "Operation is cancelled");
    EXPECT_EQ(Result(1), app::NotStartedText);
    EXPECT_EQ(Result(2), app::NotStartedText);
    EXPECT_TRUE(StartsWith(Summary(), "Converted 1, skipped 0, failed 0, stopped 3 in")) << Summary();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(StartsWith(messages[0].text, "Conversion stopped")) << messages[0].text;
    EXPECT_EQ(messages[0].buttons, platform::BoxButtons::CloseOpenFolder);
    // A playlist of what was converted, and nothing half written.
    const std::string list = Bytes(target / app::PlaylistName);
    EXPECT_NE(list.find((target / "one.mp3").string()), std::string::npos) << list;
    EXPECT_FALSE(fs::exists(target / "long.mp3"));
    EXPECT_FALSE(AnyPartFile(target));
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(window->btnConverter->isEnabled());
}

TEST_F(RunControlTest, AStopBeforeAnyFileIsConvertedWritesNoPlaylistAndNeverEndsTheProgram)
{
    for (const int action : {CreatePlayList, 0 /* close the program */}) {
        SCOPED_TRACE(action);
        WhenFinished(action);
        Choose("MP3", "CBR 128 kbps");
        const fs::path input = sources / "long.wav";
        testaudio::MakeToneWav(input, 44100, 2, 60);
        window->AddFiles({input});
        AddTones({"two.flac"});

        ASSERT_TRUE(PressWhenLongRuns(&TfrmEncProgress::btnStopAll));

        EXPECT_FALSE(fs::exists(target / app::PlaylistName));
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->EntryCount(), 2);
        EXPECT_TRUE(StartsWith(Summary(), "Converted 0, skipped 0, failed 0, stopped 2 in")) << Summary();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(StartsWith(messages[0].text, "Conversion stopped")) << messages[0].text;
        window->actDelall->trigger();
        messages.clear();
    }
}

TEST_F(RunControlTest, SkipWithSeveralJobsStopsOnlyTheSelectedOne)
{
    window->SpinEditSimultaneousJobs->setValue(2);
    Choose("MP3", "CBR 128 kbps");
    std::vector<fs::path> inputs;
    for (const char* name : {"a.wav", "b.wav"}) {
        inputs.push_back(sources / name);
        testaudio::MakeToneWav(inputs.back(), 44100, 2, 60);
    }
    window->AddFiles(inputs);
    AddTones({"c.flac"});

    bool pressed = false;
    RunWatching([&](TfrmEncProgress& progress) {
        if (pressed || progress.lstJobs->count() < 2)
            return;
        const auto rows = progress.lstJobs->findItems("b.wav", Qt::MatchEndsWith);
        ASSERT_EQ(rows.size(), 1);
        progress.lstJobs->setCurrentItem(rows.front());
        progress.btnSkip->click();
        pressed = true;
    });

    ASSERT_TRUE(pressed);
    EXPECT_EQ(window->ConvertedFiles, (std::vector<fs::path>{target / "a.mp3", target / "c.mp3"}));
    ASSERT_EQ(window->EntryCount(), 1);
    EXPECT_EQ(window->EntryPath(0), inputs[1]);
    EXPECT_EQ(Result(0), "Operation is cancelled");
    EXPECT_TRUE(StartsWith(Summary(), "Converted 2, skipped 0, failed 0, stopped 1 in")) << Summary();
    EXPECT_TRUE(messages.empty());
}

TEST_F(RunControlTest, TheBarOnlyMovesForwardWhileTheWindowTellsFileTimeAndShare)
{
    window->SpinEditSimultaneousJobs->setValue(2);
    Choose("MP3", "CBR 128 kbps");
    std::vector<fs::path> inputs;
    for (const auto& [name, seconds] : {std::pair{"1 long.wav", 20}, {"2 short.wav", 2}, {"3 long.wav", 20},
                                        {"4 short.wav", 2}}) {
        inputs.push_back(sources / name);
        testaudio::MakeToneWav(inputs.back(), 44100, 2, seconds);
    }
    window->AddFiles(inputs);
    const QString mainTitle = window->windowTitle();

    std::vector<int> values;
    std::set<std::string> files;
    bool timeLeftShown = false;
    bool titlesCarryShare = true;
    RunWatching([&](TfrmEncProgress& progress) {
        values.push_back(progress.pbPercent->value());
        files.insert(progress.lblFiles->text().toStdString());
        timeLeftShown = timeLeftShown || QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$")
                                              .match(progress.lblLeft->text())
                                              .hasMatch();
        const QString share = QString("%1 % - ").arg(progress.pbPercent->value());
        titlesCarryShare = titlesCarryShare && progress.windowTitle() == share + "Progress" &&
                           window->windowTitle() == share + mainTitle;
    });

    ASSERT_GT(values.size(), 10u);
    for (std::size_t i = 1; i < values.size(); ++i)
        ASSERT_GE(values[i], values[i - 1]) << "at look " << i;
    EXPECT_GE(values.back(), 50);
    EXPECT_TRUE(files.count("File 4 of 4")) << *files.begin();
    EXPECT_FALSE(files.count("File 5 of 4"));
    EXPECT_TRUE(timeLeftShown);
    EXPECT_TRUE(titlesCarryShare);
    EXPECT_EQ(window->windowTitle(), mainTitle);
    EXPECT_EQ(window->ConvertedFiles.size(), 4u);
}

TEST_F(RunControlTest, ClosingMidRunAsksAndANoLetsTheRunFinish)
{
    AddWithLongSecond({"one.flac"});
    platform::SetMessageHandler([this](const platform::MessageRecord& box) {
        messages.push_back(box);
        return box.buttons == platform::BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
    });
    bool closed = false;
    RunWatching([&](TfrmEncProgress& progress) {
        if (!closed && progress.lblTips->text().contains("long.wav")) {
            closed = true;
            window->close();
        }
    });

    ASSERT_TRUE(closed);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Texts(), std::vector<std::string>{"A conversion is running. Stop it and close the program?"});
    EXPECT_EQ(window->ConvertedFiles.size(), 2u);
    EXPECT_EQ(window->EntryCount(), 0);
}

// Four inputs whose outputs exist, under Prompt, with the given answers.
class OverwriteAnswersTest : public BatchRunWindowTest {
protected:
    void RunWith(std::deque<BoxAnswer> answers)
    {
        Choose(Wav, "Keep as is");
        window->cmbFileexist->setCurrentIndex(2);
        AddTones({"1.flac", "2.flac", "3.flac", "4.flac"});
        for (const char* name : {"1.wav", "2.wav", "3.wav", "4.wav"})
            std::ofstream(target / name, std::ios::binary) << "kept";
        AnswerOverwrites(std::move(answers));
        window->actConvertion->trigger();
    }

    // Which outputs were replaced by a conversion, in order: "1", "3"...
    std::vector<std::string> Replaced() const
    {
        std::vector<std::string> replaced;
        for (const char* name : {"1", "2", "3", "4"})
            if (Bytes(target / (std::string(name) + ".wav")) != "kept")
                replaced.push_back(name);
        return replaced;
    }
};

TEST_F(OverwriteAnswersTest, YesAndNoAnswerOneFileYesToAllTheRest)
{
    RunWith({BoxAnswer::Yes, BoxAnswer::No, BoxAnswer::YesToAll});
    EXPECT_EQ(overwriteQuestions, 3);
    EXPECT_EQ(Replaced(), (std::vector<std::string>{"1", "3", "4"}));
    ASSERT_EQ(window->EntryCount(), 1);
    EXPECT_EQ(Result(0), app::SkippedExistingText);
    EXPECT_EQ(testaudio::Probe(target / "4.wav", "codec_name"), "pcm_s16le");

    // The real question offers the five answers.
    const auto real = platform::MakeMessageBox(window.get(), messages[0]);
    real->show();
    QStringList buttons;
    for (const QAbstractButton* button : real->buttons())
        buttons << button->text().remove('&');
    buttons.sort();
    EXPECT_EQ(buttons.join(",").toStdString(), "No,No to All,Stop,Yes,Yes to All");
    fs::create_directories(TREMOLIX_SCREENSHOT_DIR);
    EXPECT_TRUE(real->grab().save(QString(TREMOLIX_SCREENSHOT_DIR) + "/overwrite-question.png"));
}

TEST_F(OverwriteAnswersTest, NoToAllKeepsEveryOutputAfterOneQuestion)
{
    RunWith({BoxAnswer::NoToAll});
    EXPECT_EQ(overwriteQuestions, 1);
    EXPECT_TRUE(Replaced().empty());
    ASSERT_EQ(window->EntryCount(), 4);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(Result(row), app::SkippedExistingText);
    EXPECT_TRUE(StartsWith(window->spRunSummary->text().toStdString(), "Converted 0, skipped 4, failed 0, stopped 0"));
}

TEST_F(OverwriteAnswersTest, StopEndsTheRunAtThatFile)
{
    WhenFinished(PopupPrompt);
    RunWith({BoxAnswer::Yes, BoxAnswer::Stop});
    EXPECT_EQ(overwriteQuestions, 2);
    EXPECT_EQ(Replaced(), std::vector<std::string>{"1"});
    ASSERT_EQ(window->EntryCount(), 3);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(Result(row), app::NotStartedText);
    EXPECT_TRUE(StartsWith(window->spRunSummary->text().toStdString(), "Converted 1, skipped 0, failed 0, stopped 3"));
    EXPECT_TRUE(StartsWith(messages.back().text, "Conversion stopped")) << messages.back().text;
}

TEST_F(BatchRunWindowTest, TheSummaryListsTheFailuresAndOpensTheTargetFolder)
{
    Choose(Wav, "Keep as is");
    WhenFinished(PopupPrompt);
    const std::vector<fs::path> inputs = AddTones({"one.flac", "gone.flac"});
    fs::remove(inputs[1]);
    platform::SetMessageHandler([this](const platform::MessageRecord& box) {
        messages.push_back(box);
        return box.buttons == platform::BoxButtons::CloseOpenFolder ? BoxAnswer::OpenFolder : BoxAnswer::Ok;
    });

    window->actConvertion->trigger();

    ASSERT_EQ(messages.size(), 1u);
    const platform::MessageRecord& box = messages[0];
    EXPECT_EQ(box.icon, platform::BoxIcon::Warning);
    EXPECT_TRUE(box.text.find("Converted 1, skipped 0, failed 1, stopped 0 in ") != std::string::npos) << box.text;
    EXPECT_TRUE(box.text.find("Failed:\n" + inputs[1].string() + ": The file \"" + inputs[1].string() +
                              "\" does not exist") != std::string::npos)
        << box.text;
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(fs::equivalent(opened[0].toLocalFile().toStdString(), target)) << opened[0].toString().toStdString();

    // The real box, as the user sees it.
    const auto real = platform::MakeMessageBox(window.get(), box);
    real->show();
    ASSERT_NE(real->findChild<QPushButton*>("btnOpenFolder"), nullptr);
    fs::create_directories(TREMOLIX_SCREENSHOT_DIR);
    EXPECT_TRUE(real->grab().save(QString(TREMOLIX_SCREENSHOT_DIR) + "/run-summary.png"));
}
