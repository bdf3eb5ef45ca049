// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window as the batch run's front end: its controls, its list, its
// boxes, the progress window and the notification-area icon. The progress
// window belongs to the caller, which connects its requests to the run.

#include <QString>

#include "app/BatchRun.h"

class TfrmEncProgress;
class TfrmMain;

namespace appui {

class WindowFrontEnd : public app::BatchFrontEnd {
public:
    WindowFrontEnd(TfrmMain& window, TfrmEncProgress& progress);
    ~WindowFrontEnd() override;

    app::NamingChoice Naming() override;
    app::WhenFileExists ExistingFilePolicy() override;
    bool CopyTagsChosen() override;
    bool DeleteOriginalChosen() override;

    int EntryCount() override;
    std::filesystem::path EntryPath(int position) override;
    void SetResult(int position, const std::string& text) override;
    void SetResultTip(int position, const std::string& tip) override;
    void RemoveEntry(int position) override;
    void UpdateFileCount() override;

    void Warn(const std::string& text) override;
    void Fail(const std::string& text) override;
    app::OverwriteAnswer AskOverwrite(const std::string& question) override;

    void RunStarting() override;
    void RunEnding() override;
    void SetTips(const std::string& text) override;
    void ShowProgress(const app::RunProgress& progress) override;

private:
    void MinimizeToTray();
    void RestoreFromTray();

    TfrmMain& window_;
    TfrmEncProgress& progress_;
    QString title_;  // the main window's own, shown again when the run ends
    // Minimised without a notification area: restored when the run ends.
    bool minimized_ = false;
};

}  // namespace appui
