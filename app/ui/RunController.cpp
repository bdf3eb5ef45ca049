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
#include "app/ui/EncProgressForm.h"
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

// The closing message: how the run ended, its counts and its failures.
std::string CompletionText(const app::RunSummary& summary, bool stopped)
{
    std::string text = stopped ? "Conversion stopped: the files not converted stay in the list."
                               : "Conversion complete!";
    text += "\n\n" + app::SummaryText(summary);
    if (summary.failures.empty())
        return text;
    text += "\n\nFailed:";
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
    TfrmEncProgress progress(&window_);
    WindowFrontEnd frontEnd(window_, progress);
    app::TBatchRun run(frontEnd, programFolder_);
    QObject::connect(&progress, &TfrmEncProgress::SkipRequested, &run, &app::TBatchRun::SkipJob);
    QObject::connect(&progress, &TfrmEncProgress::StopAllRequested, &run, &app::TBatchRun::StopAll);
    QObject::connect(&window_, &TfrmMain::RunStopRequested, &run, &app::TBatchRun::StopAll);
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
    window_.UpdateFileCount();
    window_.UpdateActions();
    if (outcome == app::TBatchRun::Outcome::Completed || outcome == app::TBatchRun::Outcome::Aborted)
        DoFinishEvent(run.Summary(), outcome == app::TBatchRun::Outcome::Aborted);
}

std::string RunController::TargetFolder() const
{
    return app::ExpandTargetFolder(window_.edtTargetFolder->text().toStdString());
}

void RunController::DoFinishEvent(const app::RunSummary& summary, bool stopped)
{
    const int action = window_.chkWhenFinished->isChecked() ? window_.cmbDoEvent->currentIndex() : -1;
    if (stopped) {
        // The user stopped the run: it neither ends the program nor writes
        // an empty playlist, and its closing message says so.
        if (action == CreatePlayList && !window_.ConvertedFiles.empty())
            WritePlaylist();
        ShowSummary(summary, true);
        return;
    }
    switch (action) {
    case CloseApplication:
        window_.close();  // the close handling saves the settings
        break;
    case ShutdownComputer:
        window_.SaveSettings(window_.SettingsFile);
        platform::ShutdownComputer(true);
        break;
    case CreatePlayList:
        WritePlaylist();
        break;
    case OpenTargetFolder:
        OpenFolder(TargetFolder());
        break;
    case PopupPrompt:
        ShowSummary(summary, false);
        break;
    default:
        break;
    }
}

void RunController::WritePlaylist()
{
    std::vector<std::string> files;
    for (const auto& file : window_.ConvertedFiles)
        files.push_back(file.string());
    ReportPlaylist(app::CreatePlayList(TargetFolder(), files));
}

void RunController::ShowSummary(const app::RunSummary& summary, bool stopped)
{
    const platform::BoxAnswer answer =
        platform::ShowMessage(&window_, CompletionText(summary, stopped), ApplicationTitle,
                              summary.failed > 0 ? platform::BoxIcon::Warning : platform::BoxIcon::Information,
                              platform::BoxButtons::CloseOpenFolder);
    if (answer == platform::BoxAnswer::OpenFolder)
        OpenFolder(TargetFolder());
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
