// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/EncProgressForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <cstdio>

#include "app/ui/GradientBar.h"
#include "platform/ui/MessageBox.h"

namespace {

constexpr int JobRole = Qt::UserRole;
constexpr const char* Title = "Progress";

QLabel* AddLabel(QWidget* owner, const char* text, const QRect& place)
{
    auto* label = new QLabel(text, owner);
    label->setGeometry(place);
    return label;
}

QPushButton* AddButton(QWidget* owner, const char* text, const char* name, int x)
{
    auto* button = new QPushButton(text, owner);
    button->setObjectName(name);
    button->setGeometry(x, 222, 88, 25);
    return button;
}

}  // namespace

TfrmEncProgress::TfrmEncProgress(QWidget* owner) : appui::ButtonlessDialog(owner)
{
    setObjectName("frmEncProgress");
    setWindowTitle(Title);
    setFixedSize(385, 256);

    lblTips = new QLabel(this);
    lblTips->setObjectName("lblTips");
    lblTips->setWordWrap(true);
    lblTips->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTips->setGeometry(10, 8, 365, 36);

    lblFiles = AddLabel(this, "", {10, 46, 365, 18});
    lblFiles->setObjectName("lblFiles");
    pbPercent = new QProgressBar(this);
    pbPercent->setObjectName("pbPercent");
    appui::MakeGradientBar(pbPercent, 0);
    pbPercent->setGeometry(10, 66, 365, 20);

    lstJobs = new QListWidget(this);
    lstJobs->setObjectName("lstJobs");
    lstJobs->setGeometry(10, 94, 365, 94);
    lstJobs->setTextElideMode(Qt::ElideMiddle);
    lstJobs->setToolTip("Select a job for Skip file; without a selection it skips the oldest one");

    AddLabel(this, "Elapsed:", {10, 196, 60, 18});
    lblTime = AddLabel(this, "", {70, 196, 100, 18});
    lblTime->setObjectName("lblTime");
    AddLabel(this, "Left:", {200, 196, 40, 18});
    lblLeft = AddLabel(this, "", {240, 196, 135, 18});
    lblLeft->setObjectName("lblLeft");

    btnMinimize = AddButton(this, "Minimize", "btnMinimize", 10);
    btnSkip = AddButton(this, "Skip file", "btnSkip", 191);
    btnStopAll = AddButton(this, "Stop all", "btnStopAll", 287);

    Timer.setInterval(1000);
    connect(&Timer, &QTimer::timeout, this, &TfrmEncProgress::TimerTimer);
    connect(btnSkip, &QPushButton::clicked, this, &TfrmEncProgress::btnSkipClick);
    connect(btnStopAll, &QPushButton::clicked, this, &TfrmEncProgress::StopAllRequested);
    connect(btnMinimize, &QPushButton::clicked, this, &TfrmEncProgress::MinimizeRequested);
}

void TfrmEncProgress::SetPercent(int percent)
{
    pbPercent->setValue(percent);
    // The title carries the share, so a minimised run still shows it.
    setWindowTitle(QString("%1 % - %2").arg(percent).arg(Title));
}

void TfrmEncProgress::SetTips(const std::string& text) { lblTips->setText(QString::fromStdString(text)); }

void TfrmEncProgress::ShowProgress(const app::RunProgress& progress)
{
    SetPercent(progress.percent);
    lblFiles->setText(QString("File %1 of %2").arg(progress.fileNumber).arg(progress.fileCount));
    lblLeft->setText(progress.leftMs < 0 ? QString("estimating...")
                                         : QString::fromStdString(FormatElapsed(progress.leftMs)));
    ShowJobs(progress.jobs);
}

// The list is rebuilt at each refresh; the selected job stays selected.
void TfrmEncProgress::ShowJobs(const std::vector<app::RunProgress::Job>& jobs)
{
    const QListWidgetItem* current = lstJobs->currentItem();
    const int selected = current && current->isSelected() ? current->data(JobRole).toInt() : -1;
    lstJobs->clear();
    for (const auto& job : jobs) {
        auto* item = new QListWidgetItem(
            QString("%1 %  %2").arg(job.percent, 3).arg(QString::fromStdString(job.input.filename().string())),
            lstJobs);
        item->setData(JobRole, job.number);
        item->setToolTip(QString::fromStdString(job.input.string()));
        if (job.number == selected)
            lstJobs->setCurrentItem(item);
    }
}

void TfrmEncProgress::btnSkipClick()
{
    const QListWidgetItem* current = lstJobs->currentItem();
    emit SkipRequested(current && current->isSelected() ? current->data(JobRole).toInt() : -1);
}

void TfrmEncProgress::EscapePressed()
{
    if (lstJobs->count() <= 1) {
        emit SkipRequested(-1);
        return;
    }
    if (platform::AskYesNo(this, "Stop all conversions? Files not yet converted stay in the list."))
        emit StopAllRequested();
}

void TfrmEncProgress::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        EscapePressed();
        return;
    }
    appui::ButtonlessDialog::keyPressEvent(event);
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
