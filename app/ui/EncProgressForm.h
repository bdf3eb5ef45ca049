// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The batch run's progress window: the current file, its percentage, the
// elapsed time, and Cancel / Minimize turned into flags that the run polls
// and clears.

#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <string>
#include <vector>

#include "app/ui/ButtonlessDialog.h"

class QLabel;
class QProgressBar;
class QPushButton;

class TfrmEncProgress : public appui::ButtonlessDialog {
    Q_OBJECT
public:
    explicit TfrmEncProgress(QWidget* owner);

    void SetPercent(int percent);
    void SetTips(const std::string& text);
    // One line per running job when several run at once; none shows the
    // window as it is for one job.
    void SetJobLines(const std::vector<std::string>& lines);
    void TimerTimer();

    // "hh:nn:ss", modulo 24 hours.
    static std::string FormatElapsed(std::int64_t milliseconds);

    bool CancelRequested = false;
    bool MinimizeRequested = false;

    QLabel* lblTips = nullptr;
    QProgressBar* pbPercent = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblJobs = nullptr;
    QPushButton* btnMinimize = nullptr;
    QPushButton* btnCancel = nullptr;
    QTimer Timer;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void btnCancelClick();
    void btnMinimizeClick();
    void PlaceLowerRows(int jobLines);

    // Monotonic, so setting the clock back during a run cannot make the
    // elapsed time jump or go negative.
    QElapsedTimer StartTime;
    QLabel* elapseLabel_ = nullptr;
    int jobLines_ = 0;
};
