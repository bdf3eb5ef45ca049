#include "app/ui/WindowFrontEnd.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTreeWidgetItem>

#include "app/ui/EncProgressForm.h"
#include "app/ui/MainForm.h"
#include "app/ui/SongList.h"
#include "engine/Encoder.h"
#include "platform/ui/MessageBox.h"

namespace appui {
namespace {

// A poll pass waits this long at most for the job's end or a window event,
// so the loop never takes a core away from the encoder.
constexpr int PollWaitMs = 50;

}  // namespace

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
    if (window_.TrayIcon->isVisible())
        RestoreFromTray();
}

void WindowFrontEnd::SetTips(const std::string& text) { progress_->SetTips(text); }

void WindowFrontEnd::ClearCancelRequest() { progress_->CancelRequested = false; }

bool WindowFrontEnd::CancelRequested() { return progress_->CancelRequested; }

void WindowFrontEnd::Poll(const std::filesystem::path& input, int percent)
{
    if (progress_->MinimizeRequested) {
        MinimizeToTray();
        progress_->MinimizeRequested = false;
    }
    progress_->SetPercent(percent);
    window_.TrayIcon->setToolTip(QString::fromStdString("Convert: " + input.string() + "\r\n" +
                                                        "Progress: " + std::to_string(percent) + " %"));
    window_.Encoder->WaitForDone(PollWaitMs);
    progress_->repaint();
}

void WindowFrontEnd::MinimizeToTray()
{
    // Without a notification area the windows are only minimised.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        window_.TrayIcon->show();
    window_.showMinimized();
    progress_->showMinimized();
}

void WindowFrontEnd::RestoreFromTray()
{
    window_.TrayIcon->hide();
    window_.showNormal();
    if (progress_) {
        progress_->showNormal();
        progress_->raise();
    }
}

}  // namespace appui
