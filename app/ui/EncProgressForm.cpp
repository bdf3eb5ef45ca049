#include "app/ui/EncProgressForm.h"

#include <QLabel>
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

    auto* elapseLabel = new QLabel("Elapse Time:", this);
    elapseLabel->setGeometry(10, 90, 90, 18);
    lblTime = new QLabel(this);
    lblTime->setObjectName("lblTime");
    lblTime->setGeometry(100, 90, 100, 18);

    btnMinimize = new QPushButton("Minimize", this);
    btnMinimize->setObjectName("btnMinimize");
    btnMinimize->setGeometry(191, 110, 88, 25);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setGeometry(287, 110, 88, 25);

    Timer.setInterval(1000);
    connect(&Timer, &QTimer::timeout, this, &TfrmEncProgress::TimerTimer);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmEncProgress::btnCancelClick);
    connect(btnMinimize, &QPushButton::clicked, this, &TfrmEncProgress::btnMinimizeClick);
}

void TfrmEncProgress::SetPercent(int percent) { pbPercent->setValue(percent); }

void TfrmEncProgress::SetTips(const std::string& text) { lblTips->setText(QString::fromStdString(text)); }

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
