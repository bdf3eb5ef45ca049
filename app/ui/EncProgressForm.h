// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The batch run's progress window: the file being converted, the whole
// run's share, which file of how many, a line per running job, the elapsed
// time and the time left. Its buttons only emit requests; the run decides.
// It keeps one size whatever the number of jobs, so no button moves under
// the pointer.

#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <string>

#include "app/BatchRun.h"
#include "app/ui/ButtonlessDialog.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

class TfrmEncProgress : public appui::ButtonlessDialog {
    Q_OBJECT
public:
    explicit TfrmEncProgress(QWidget* owner);

    void SetPercent(int percent);
    void SetTips(const std::string& text);
    void ShowProgress(const app::RunProgress& progress);
    void TimerTimer();

    // "hh:nn:ss", modulo 24 hours.
    static std::string FormatElapsed(std::int64_t milliseconds);

    QLabel* lblTips = nullptr;
    QLabel* lblFiles = nullptr;
    QProgressBar* pbPercent = nullptr;
    QListWidget* lstJobs = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblLeft = nullptr;
    QPushButton* btnMinimize = nullptr;
    QPushButton* btnSkip = nullptr;
    QPushButton* btnStopAll = nullptr;
    QTimer Timer;

signals:
    // The job of that number (RunProgress::Job), or -1 for the current one.
    void SkipRequested(int number);
    void StopAllRequested();
    void MinimizeRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();
    void ShowJobs(const std::vector<app::RunProgress::Job>& jobs);
    void btnSkipClick();
    // Escape skips the one job; with several it asks before stopping all.
    void EscapePressed();

    // Monotonic, so setting the clock back during a run cannot make the
    // elapsed time jump or go negative.
    QElapsedTimer StartTime;
};
