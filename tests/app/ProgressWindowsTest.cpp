// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/ui/EncProgressForm.h"
#include "app/ui/ProgressForm.h"
#include "platform/ui/MessageBox.h"

namespace {

TEST(ProgressWindowsTest, ElapsedTimeReadsHoursMinutesSecondsModuloADay)
{
    EXPECT_EQ(TfrmEncProgress::FormatElapsed(0), "00:00:00");
    EXPECT_EQ(TfrmEncProgress::FormatElapsed(3723000), "01:02:03");
    EXPECT_EQ(TfrmEncProgress::FormatElapsed(3723999), "01:02:03");
    EXPECT_EQ(TfrmEncProgress::FormatElapsed((25 * 3600 + 4) * 1000LL), "01:00:04");
    EXPECT_EQ(TfrmEncProgress::FormatElapsed(-5000), "00:00:00");
}

app::RunProgress Jobs(int count)
{
    app::RunProgress progress;
    progress.percent = 42;
    progress.fileNumber = count;
    progress.fileCount = 8;
    for (int number = 0; number < count; ++number)
        progress.jobs.push_back({number, "/music/album/" + std::to_string(number + 1) + " a track.flac", 10 * number});
    return progress;
}

TEST(ProgressWindowsTest, RunWindowTurnsButtonsIntoRequestsAndCannotBeClosed)
{
    TfrmEncProgress progress(nullptr);
    EXPECT_EQ(progress.windowTitle(), "Progress");
    EXPECT_FALSE(progress.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(progress.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(progress.Timer.isActive());
    progress.show();
    EXPECT_TRUE(progress.Timer.isActive());
    EXPECT_EQ(progress.Timer.interval(), 1000);
    EXPECT_EQ(progress.lblTime->text(), "") << "empty until the first tick";
    progress.TimerTimer();
    EXPECT_EQ(progress.lblTime->text(), "00:00:00");

    QSignalSpy skips(&progress, &TfrmEncProgress::SkipRequested);
    QSignalSpy stops(&progress, &TfrmEncProgress::StopAllRequested);
    QSignalSpy minimizes(&progress, &TfrmEncProgress::MinimizeRequested);
    QTest::mouseClick(progress.btnMinimize, Qt::LeftButton);
    QTest::mouseClick(progress.btnSkip, Qt::LeftButton);
    EXPECT_EQ(minimizes.count(), 1);
    ASSERT_EQ(skips.count(), 1);
    EXPECT_EQ(skips[0][0].toInt(), -1) << "no job chosen: the current one";
    EXPECT_EQ(stops.count(), 0);
    QTest::mouseClick(progress.btnStopAll, Qt::LeftButton);
    EXPECT_EQ(stops.count(), 1);

    progress.close();
    EXPECT_TRUE(progress.isVisible());
}

TEST(ProgressWindowsTest, RunWindowShowsShareFileAndTimeLeftInItsTitleAndLabels)
{
    TfrmEncProgress progress(nullptr);
    progress.SetTips("Converting a.mp3");
    EXPECT_EQ(progress.lblTips->text(), "Converting a.mp3");
    app::RunProgress shown = Jobs(3);
    progress.ShowProgress(shown);
    EXPECT_EQ(progress.pbPercent->value(), 42);
    EXPECT_EQ(progress.windowTitle(), "42 % - Progress");
    EXPECT_EQ(progress.lblFiles->text(), "File 3 of 8");
    EXPECT_EQ(progress.lblLeft->text(), "estimating...");
    ASSERT_EQ(progress.lstJobs->count(), 3);
    EXPECT_EQ(progress.lstJobs->item(2)->text(), " 20 %  3 a track.flac");
    shown.leftMs = 65000;
    progress.ShowProgress(shown);
    EXPECT_EQ(progress.lblLeft->text(), "00:01:05");
}

TEST(ProgressWindowsTest, RunWindowKeepsItsSizeWhateverTheNumberOfJobs)
{
    QWidget owner;
    TfrmEncProgress progress(&owner);
    progress.SetTips("Process: from /music/album/1 a track.flac to /out/1 a track.mp3");
    progress.show();
    const QSize first = progress.size();
    for (const int count : {1, 2, 8, 1}) {
        progress.ShowProgress(Jobs(count));
        QApplication::processEvents();
        EXPECT_EQ(progress.size(), first) << count << " jobs";
        EXPECT_EQ(progress.btnStopAll->geometry().bottom() < progress.height(), true);
        std::filesystem::create_directories(TREMOLIX_SCREENSHOT_DIR);
        progress.grab().save(QString(TREMOLIX_SCREENSHOT_DIR "/progress-%1-jobs.png").arg(count));
    }
}

TEST(ProgressWindowsTest, SkipNamesTheSelectedJobAndEscapeAsksBeforeStoppingSeveral)
{
    std::vector<platform::BoxButtons> asked;
    platform::BoxAnswer answer = platform::BoxAnswer::No;
    platform::SetMessageHandler([&](const platform::MessageRecord& box) {
        asked.push_back(box.buttons);
        return answer;
    });
    TfrmEncProgress progress(nullptr);
    progress.show();
    QSignalSpy skips(&progress, &TfrmEncProgress::SkipRequested);
    QSignalSpy stops(&progress, &TfrmEncProgress::StopAllRequested);

    progress.ShowProgress(Jobs(1));
    QTest::keyClick(&progress, Qt::Key_Escape);
    ASSERT_EQ(skips.count(), 1);
    EXPECT_EQ(skips[0][0].toInt(), -1);
    EXPECT_TRUE(asked.empty()) << "one job: Escape skips without asking";

    progress.ShowProgress(Jobs(3));
    progress.lstJobs->setCurrentRow(1);
    progress.ShowProgress(Jobs(3));  // a refresh keeps the choice
    QTest::mouseClick(progress.btnSkip, Qt::LeftButton);
    ASSERT_EQ(skips.count(), 2);
    EXPECT_EQ(skips[1][0].toInt(), 1);

    QTest::keyClick(&progress, Qt::Key_Escape);
    EXPECT_EQ(asked, std::vector<platform::BoxButtons>{platform::BoxButtons::YesNo});
    EXPECT_EQ(stops.count(), 0) << "answered no";
    answer = platform::BoxAnswer::Yes;
    QTest::keyClick(&progress, Qt::Key_Escape);
    EXPECT_EQ(stops.count(), 1);
    EXPECT_EQ(skips.count(), 2);
    EXPECT_TRUE(progress.isVisible());
    platform::SetMessageHandler({});
}

TEST(ProgressWindowsTest, OpeningWindowStartsAtTwentyPercentAndOnlySetsItsFlag)
{
    Tfrmprogress progress(nullptr);
    EXPECT_EQ(progress.lblPrompt->text(), "Tips");
    EXPECT_EQ(progress.proBar->value(), 20);
    EXPECT_FALSE(progress.CancelRequested);
    EXPECT_FALSE(progress.windowFlags() & Qt::WindowCloseButtonHint);
    progress.show();
    progress.SetPrompt("/music/a.flac");
    progress.SetPercent(100);
    EXPECT_EQ(progress.lblPrompt->text(), "/music/a.flac");
    EXPECT_EQ(progress.proBar->value(), 100);
    QTest::mouseClick(progress.btnCancel, Qt::LeftButton);
    EXPECT_TRUE(progress.CancelRequested);
    EXPECT_TRUE(progress.isVisible());
    progress.close();
    EXPECT_TRUE(progress.isVisible());
}

}  // namespace
