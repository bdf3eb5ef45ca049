// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window as the batch run's front end: its controls, its list, its
// boxes, the progress window and the notification-area icon.

#include <memory>

#include "app/BatchRun.h"

class TfrmEncProgress;
class TfrmMain;

namespace appui {

class WindowFrontEnd : public app::BatchFrontEnd {
public:
    explicit WindowFrontEnd(TfrmMain& window);
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
    bool AskOverwrite(const std::string& question) override;

    void RunStarting() override;
    void RunEnding() override;
    void SetTips(const std::string& text) override;
    void ClearCancelRequest() override;
    bool CancelRequested() override;
    bool StopRequested() override;
    void Poll(const app::RunProgress& progress) override;

    TfrmEncProgress* Progress() const { return progress_.get(); }

private:
    void MinimizeToTray();
    void RestoreFromTray();

    TfrmMain& window_;
    std::unique_ptr<TfrmEncProgress> progress_;
    // Minimised without a notification area: restored when the run ends.
    bool minimized_ = false;
};

}  // namespace appui
