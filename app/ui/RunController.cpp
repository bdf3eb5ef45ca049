// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/RunController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "app/BatchRun.h"
#include "app/Playlist.h"
#include "app/ui/LoudnessBox.h"
#include "app/ui/MainForm.h"
#include "app/ui/ShellActions.h"
#include "app/ui/WindowFrontEnd.h"
#include "engine/Encoder.h"
#include "platform/Shutdown.h"
#include "platform/ui/MessageBox.h"
#include "presets/PresetCatalogue.h"
#include "presets/ui/PresetSelector.h"

namespace appui {
namespace {

enum FinishAction { CloseApplication, ShutdownComputer, CreatePlayList, OpenTargetFolder, PopupPrompt };

// The closing message; a run with failures lists them in the same box.
std::string CompletionText(const app::RunSummary& summary)
{
    std::string text = "Conversion complete! ";
    if (summary.failed == 0)
        return text;
    text += "\n\n" + app::SummaryText(summary) + ":";
    for (const std::string& failure : summary.failures)
        text += "\n" + failure;
    return text;
}

}  // namespace

void ShowUncaughtError(QWidget* owner, std::string text)
{
    if (!text.empty() && text.back() > '.')
        text += '.';
    platform::ShowMessage(owner, text, ApplicationTitle, platform::BoxIcon::Error);
}

RunController::RunController(TfrmMain& window, std::filesystem::path programFolder)
    : window_(window), programFolder_(std::move(programFolder))
{
    window_.OnFormatChange = [this] { WithSelection(&PresetSelector::FormatChanged); };
    window_.OnConfigChange = [this] { WithSelection(&PresetSelector::PresetChanged); };
    window_.OnConfigClick = [this] { WithSelection(&PresetSelector::OptionClicked); };
    window_.OnConvertion = [this] { actConvertionExecute(); };
}

RunController::~RunController()
{
    window_.OnFormatChange = nullptr;
    window_.OnConfigChange = nullptr;
    window_.OnConfigClick = nullptr;
    window_.OnConvertion = nullptr;
}

PresetSelector& RunController::Selector()
{
    // Made on first use: the engine exists only once the window is shown.
    if (!selector_)
        selector_ = std::make_unique<PresetSelector>(programFolder_, window_.cmbFormat, window_.cmbConfig,
                                                     window_.btnConfig, &window_, window_.Encoder.get(),
                                                     selection_);
    return *selector_;
}

void RunController::WithSelection(void (PresetSelector::*handler)())
{
    selection_.PresetLists = window_.PresetLists;
    (Selector().*handler)();
    window_.PresetLists = selection_.PresetLists;
    window_.CurrentFormat = selection_.CurrentFormat;
    window_.CurrentOptions = selection_.CurrentOptions;
    window_.GlobaVariant.PresetFile = selection_.PresetFile;
}

void RunController::actConvertionExecute()
{
    if (!window_.Encoder)
        return;
    app::BatchSelection selection;
    selection.format = selection_.CurrentFormat;
    selection.options = selection_.CurrentOptions;
    selection.presetName = window_.cmbConfig->currentText().toStdString();
    selection.wma = selection_.CurrentWma;
    selection.priority = window_.GlobaVariant.ThreadPriority;
    selection.simultaneousJobs = window_.SpinEditSimultaneousJobs->value();
    selection.normalizePercent =
        window_.chkAdjustVolume->isChecked() ? window_.SpinEditAdjustVolume->value() : 0;
    selection.loudness = window_.grpLoudness->Choice();
    // The preset file may have been spoilt since it was chosen.
    if (selection.format != engine::NoFormat && !selection.presetName.empty()) {
        const std::string problem = presets::PresetProblem(programFolder_, selection_, selection.presetName);
        if (!problem.empty()) {
            platform::ShowWarning(&window_, problem);
            return;
        }
    }
    WindowFrontEnd frontEnd(window_);
    app::TBatchRun run(frontEnd, programFolder_);
    window_.RunActive = true;
    const auto outcome = run.Execute(selection);
    window_.RunActive = false;
    window_.ConvertedFiles.assign(run.ConvertedFiles().begin(), run.ConvertedFiles().end());
    if (outcome == app::TBatchRun::Outcome::Completed || outcome == app::TBatchRun::Outcome::Aborted)
        window_.spRunSummary->setText(QString::fromStdString(app::SummaryText(run.Summary())));
    if (window_.CloseRequested) {
        // Closing the window ended the run: now it closes for real.
        window_.close();
        return;
    }
    if (outcome == app::TBatchRun::Outcome::Stopped)
        ShowUncaughtError(&window_, run.StopText());
    if (outcome != app::TBatchRun::Outcome::Completed)
        return;
    DoFinishEvent(run.Summary());
    window_.UpdateFileCount();
    window_.UpdateActions();
}

void RunController::DoFinishEvent(const app::RunSummary& summary)
{
    if (!window_.chkWhenFinished->isChecked())
        return;
    const std::string target = app::ExpandTargetFolder(window_.edtTargetFolder->text().toStdString());
    switch (window_.cmbDoEvent->currentIndex()) {
    case CloseApplication:
        window_.close();  // the close handling saves the settings
        break;
    case ShutdownComputer:
        window_.SaveSettings(window_.SettingsFile);
        platform::ShutdownComputer(true);
        break;
    case CreatePlayList: {
        std::vector<std::string> files;
        for (const auto& file : window_.ConvertedFiles)
            files.push_back(file.string());
        ReportPlaylist(app::CreatePlayList(target, files));
        break;
    }
    case OpenTargetFolder:
        OpenFolder(target);
        break;
    case PopupPrompt:
        platform::ShowMessage(&window_, CompletionText(summary), ApplicationTitle, platform::BoxIcon::Information);
        break;
    default:
        break;
    }
}

void RunController::ReportPlaylist(const app::PlaylistOutcome& outcome)
{
    if (!outcome.error.empty())
        platform::ShowError(&window_, app::PlaylistErrorText(outcome));
    if (outcome.leftOut.empty())
        return;
    std::string text = "Left out of the playlist, as their names hold a line break:";
    for (const std::string& output : outcome.leftOut)
        text += "\n" + output;
    platform::ShowWarning(&window_, text);
}

}  // namespace appui
