// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "app/ui/EncProgressForm.h"
#include "app/ui/ProgressForm.h"

namespace {

TEST(ProgressWindowsTest, ElapsedTimeReadsHoursMinutesSecondsModuloADay)
{
    EXPECT_EQ(TfrmEncProgress::FormatElapsed(0), "00:00:00");
    EXPECT_EQ(TfrmEncProgress::FormatElapsed(3723000), "01:02:03");
    EXPECT_EQ(TfrmEncProgress::FormatElapsed(3723999), "01:02:03");
    EXPECT_EQ(TfrmEncProgress::FormatElapsed((25 * 3600 + 4) * 1000LL), "01:00:04");
    EXPECT_EQ(TfrmEncProgress::FormatElapsed(-5000), "00:00:00");
}

TEST(ProgressWindowsTest, RunWindowTurnsButtonsIntoFlagsAndCannotBeClosed)
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

    progress.SetTips("Converting a.mp3");
    progress.SetPercent(42);
    EXPECT_EQ(progress.lblTips->text(), "Converting a.mp3");
    EXPECT_EQ(progress.pbPercent->value(), 42);

    QTest::mouseClick(progress.btnMinimize, Qt::LeftButton);
    QTest::mouseClick(progress.btnMinimize, Qt::LeftButton);
    EXPECT_TRUE(progress.MinimizeRequested);
    EXPECT_FALSE(progress.CancelRequested);
    QTest::mouseClick(progress.btnCancel, Qt::LeftButton);
    QTest::mouseClick(progress.btnCancel, Qt::LeftButton);
    EXPECT_TRUE(progress.CancelRequested);

    progress.close();
    QTest::keyClick(&progress, Qt::Key_Escape);
    EXPECT_TRUE(progress.isVisible());
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
