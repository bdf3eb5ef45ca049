// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/WindowFrontEnd.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QTreeWidgetItem>

#include "app/ui/EncProgressForm.h"
#include "app/ui/MainForm.h"
#include "app/ui/SongList.h"
#include "platform/ui/MessageBox.h"

namespace appui {

WindowFrontEnd::WindowFrontEnd(TfrmMain& window) : window_(window)
{
    QObject::connect(window_.TrayIcon, &QSystemTrayIcon::activated, &window_,
                     [this](QSystemTrayIcon::ActivationReason) { RestoreFromTray(); });
}

WindowFrontEnd::~WindowFrontEnd()
{
    QObject::disconnect(window_.TrayIcon, &QSystemTrayIcon::activated, &window_, nullptr);
}

app::NamingChoice WindowFrontEnd::Naming()
{
    app::NamingChoice naming;
    naming.targetFolder = window_.edtTargetFolder->text().toStdString();
    naming.customName = window_.rdCustomName->isChecked();
    naming.prefix = window_.cmbPrefix->currentText().toStdString();
    naming.portableNames = window_.chkPortableNames->isChecked();
    return naming;
}

app::WhenFileExists WindowFrontEnd::ExistingFilePolicy()
{
    return app::WhenFileExists(std::max(0, window_.cmbFileexist->currentIndex()));
}

bool WindowFrontEnd::CopyTagsChosen() { return window_.chkAutoSaveTag->isChecked(); }

bool WindowFrontEnd::DeleteOriginalChosen() { return window_.chkDelOrig->isChecked(); }

int WindowFrontEnd::EntryCount() { return window_.EntryCount(); }

std::filesystem::path WindowFrontEnd::EntryPath(int position) { return window_.EntryPath(position); }

void WindowFrontEnd::SetResult(int position, const std::string& text)
{
    window_.Entry(position)->setText(ColResult, QString::fromStdString(text));
    window_.Entry(position)->setData(ColResult, ResultDetailRole, QVariant());
}

void WindowFrontEnd::SetResultTip(int position, const std::string& tip)
{
    window_.Entry(position)->setData(ColResult, ResultDetailRole, QString::fromStdString(tip));
}

void WindowFrontEnd::RemoveEntry(int position) { delete window_.Entry(position); }

void WindowFrontEnd::UpdateFileCount()
{
    window_.UpdateFileCount();
    window_.UpdateActions();
}

void WindowFrontEnd::Warn(const std::string& text) { platform::ShowWarning(&window_, text); }

void WindowFrontEnd::Fail(const std::string& text) { platform::ShowError(&window_, text); }

bool WindowFrontEnd::AskOverwrite(const std::string& question)
{
    progress_->hide();
    const bool yes = platform::AskYesNo(&window_, question);
    progress_->show();
    progress_->raise();
    return yes;
}

void WindowFrontEnd::RunStarting()
{
    progress_ = std::make_unique<TfrmEncProgress>(&window_);
    progress_->SetPercent(0);
    window_.setEnabled(false);
    // A disabled owner disables its child windows too: Cancel must stay usable.
    progress_->setEnabled(true);
    progress_->show();
}

void WindowFrontEnd::RunEnding()
{
    window_.setEnabled(true);
    if (progress_)
        progress_->close();
    progress_.reset();
    if (window_.TrayIcon->isVisible() || minimized_)
        RestoreFromTray();
}

void WindowFrontEnd::SetTips(const std::string& text) { progress_->SetTips(text); }

void WindowFrontEnd::ClearCancelRequest() { progress_->CancelRequested = false; }

bool WindowFrontEnd::CancelRequested() { return progress_->CancelRequested; }

bool WindowFrontEnd::StopRequested() { return window_.CloseRequested; }

void WindowFrontEnd::Poll(const app::RunProgress& progress)
{
    if (progress_->MinimizeRequested) {
        MinimizeToTray();
        progress_->MinimizeRequested = false;
    }
    progress_->SetPercent(progress.percent);
    std::vector<std::string> lines;
    for (const auto& job : progress.jobs)
        lines.push_back(job.input.filename().string() + ": " + std::to_string(job.percent) + " %");
    progress_->SetJobLines(lines);
    const std::string converting = progress.jobs.empty() ? progress.input.string()
                                                         : std::to_string(progress.jobs.size()) + " files";
    window_.TrayIcon->setToolTip(QString::fromStdString("Convert: " + converting + "\r\n" + "Progress: " +
                                                        std::to_string(progress.percent) + " %"));
    progress_->repaint();
}

void WindowFrontEnd::MinimizeToTray()
{
    // Without a notification area the windows are only minimised.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        window_.TrayIcon->show();
    minimized_ = true;
    window_.showMinimized();
    progress_->showMinimized();
}

void WindowFrontEnd::RestoreFromTray()
{
    minimized_ = false;
    window_.TrayIcon->hide();
    window_.showNormal();
    if (progress_) {
        progress_->showNormal();
        progress_->raise();
    }
}

}  // namespace appui
