// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/EncProgressForm.h"

#include <QLabel>
#include <QStringList>
#include <QProgressBar>
#include <QPushButton>
#include <cstdio>

#include "app/ui/GradientBar.h"

TfrmEncProgress::TfrmEncProgress(QWidget* owner) : appui::ButtonlessDialog(owner)
{
    setObjectName("frmEncProgress");
    setWindowTitle("Progress");
    setFixedSize(385, 143);

    lblTips = new QLabel(this);
    lblTips->setObjectName("lblTips");
    lblTips->setWordWrap(true);
    lblTips->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTips->setGeometry(10, 8, 365, 49);

    pbPercent = new QProgressBar(this);
    pbPercent->setObjectName("pbPercent");
    appui::MakeGradientBar(pbPercent, 0);
    pbPercent->setGeometry(10, 62, 365, 20);

    lblJobs = new QLabel(this);
    lblJobs->setObjectName("lblJobs");
    lblJobs->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblJobs->hide();
    elapseLabel_ = new QLabel("Elapse Time:", this);
    lblTime = new QLabel(this);
    lblTime->setObjectName("lblTime");
    btnMinimize = new QPushButton("Minimize", this);
    btnMinimize->setObjectName("btnMinimize");
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    PlaceLowerRows(0);

    Timer.setInterval(1000);
    connect(&Timer, &QTimer::timeout, this, &TfrmEncProgress::TimerTimer);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmEncProgress::btnCancelClick);
    connect(btnMinimize, &QPushButton::clicked, this, &TfrmEncProgress::btnMinimizeClick);
}

void TfrmEncProgress::SetPercent(int percent) { pbPercent->setValue(percent); }

void TfrmEncProgress::SetTips(const std::string& text) { lblTips->setText(QString::fromStdString(text)); }

void TfrmEncProgress::SetJobLines(const std::vector<std::string>& lines)
{
    QStringList texts;
    for (const std::string& line : lines)
        texts << lblJobs->fontMetrics().elidedText(QString::fromStdString(line), Qt::ElideMiddle, 365);
    lblJobs->setText(texts.join('\n'));
    lblJobs->setVisible(!lines.empty());
    if (int(lines.size()) != jobLines_)
        PlaceLowerRows(int(lines.size()));
}

// The rows below the bar move down to make room for the job lines.
void TfrmEncProgress::PlaceLowerRows(int jobLines)
{
    jobLines_ = jobLines;
    const int lineHeight = lblJobs->fontMetrics().lineSpacing();
    const int shift = jobLines > 0 ? jobLines * lineHeight + 6 : 0;
    lblJobs->setGeometry(10, 88, 365, shift);
    elapseLabel_->setGeometry(10, 90 + shift, 90, 18);
    lblTime->setGeometry(100, 90 + shift, 100, 18);
    btnMinimize->setGeometry(191, 110 + shift, 88, 25);
    btnCancel->setGeometry(287, 110 + shift, 88, 25);
    setFixedSize(385, 143 + shift);
}

void TfrmEncProgress::showEvent(QShowEvent* event)
{
    appui::ButtonlessDialog::showEvent(event);
    FormShow();
}

// The time counts from the first showing: the run may hide the window for a
// question and show it again.
void TfrmEncProgress::FormShow()
{
    if (StartTime.isValid())
        return;
    StartTime.start();
    Timer.start();
}

void TfrmEncProgress::TimerTimer()
{
    if (StartTime.isValid())
        lblTime->setText(QString::fromStdString(FormatElapsed(StartTime.elapsed())));
}

std::string TfrmEncProgress::FormatElapsed(std::int64_t milliseconds)
{
    const std::int64_t seconds = (milliseconds < 0 ? 0 : milliseconds / 1000) % (24 * 3600);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

void TfrmEncProgress::btnCancelClick() { CancelRequested = true; }

void TfrmEncProgress::btnMinimizeClick() { MinimizeRequested = true; }
