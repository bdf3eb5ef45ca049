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

WindowFrontEnd::WindowFrontEnd(TfrmMain& window, TfrmEncProgress& progress)
    : window_(window), progress_(progress), title_(window.windowTitle())
{
    QObject::connect(window_.TrayIcon, &QSystemTrayIcon::activated, &progress_,
                     [this](QSystemTrayIcon::ActivationReason) { RestoreFromTray(); });
    QObject::connect(&progress_, &TfrmEncProgress::MinimizeRequested, &progress_, [this] { MinimizeToTray(); });
}

WindowFrontEnd::~WindowFrontEnd()
{
    QObject::disconnect(window_.TrayIcon, &QSystemTrayIcon::activated, &progress_, nullptr);
    QObject::disconnect(&progress_, &TfrmEncProgress::MinimizeRequested, &progress_, nullptr);
}

app::NamingChoice WindowFrontEnd::Naming()
{
    return window_.OutputNaming();
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

app::OverwriteAnswer WindowFrontEnd::AskOverwrite(const std::string& question)
{
    progress_.hide();
    const platform::BoxAnswer answer = platform::ShowMessage(&window_, question, "Prompt", platform::BoxIcon::Information,
                                                             platform::BoxButtons::OverwriteChoice);
    progress_.show();
    progress_.raise();
    switch (answer) {
    case platform::BoxAnswer::Yes: return app::OverwriteAnswer::Yes;
    case platform::BoxAnswer::YesToAll: return app::OverwriteAnswer::YesToAll;
    case platform::BoxAnswer::NoToAll: return app::OverwriteAnswer::NoToAll;
    case platform::BoxAnswer::Stop: return app::OverwriteAnswer::Stop;
    default: return app::OverwriteAnswer::No;
    }
}

void WindowFrontEnd::RunStarting()
{
    progress_.SetPercent(0);
    window_.setEnabled(false);
    // A disabled owner disables its child windows too: its buttons must stay usable.
    progress_.setEnabled(true);
    progress_.show();
    progress_.move(window_.geometry().center() - progress_.rect().center());
}

void WindowFrontEnd::RunEnding()
{
    window_.setEnabled(true);
    window_.setWindowTitle(title_);
    if (window_.TrayIcon->isVisible() || minimized_)
        RestoreFromTray();
    progress_.hide();
}

void WindowFrontEnd::SetTips(const std::string& text) { progress_.SetTips(text); }

void WindowFrontEnd::ShowProgress(const app::RunProgress& progress)
{
    progress_.ShowProgress(progress);
    // A minimised run shows its share in the task bar too.
    window_.setWindowTitle(QString("%1 % - %2").arg(progress.percent).arg(title_));
    const std::string converting = progress.jobs.size() > 1 ? std::to_string(progress.jobs.size()) + " files"
                                                            : progress.input.string();
    window_.TrayIcon->setToolTip(QString::fromStdString("Convert: " + converting + "\r\n" + "Progress: " +
                                                        std::to_string(progress.percent) + " %"));
}

void WindowFrontEnd::MinimizeToTray()
{
    // Without a notification area the windows are only minimised.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        window_.TrayIcon->show();
    minimized_ = true;
    window_.showMinimized();
    progress_.showMinimized();
}

void WindowFrontEnd::RestoreFromTray()
{
    minimized_ = false;
    window_.TrayIcon->hide();
    window_.showNormal();
    if (progress_.isVisible()) {
        progress_.showNormal();
        progress_.raise();
    }
}

}  // namespace appui
