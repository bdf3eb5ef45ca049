// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Connects the main window's seams to the preset choice and the batch run:
// the format and preset lists, the "Option" button, "Start Conversion" and
// the action that follows a run.

#include <filesystem>
#include <memory>
#include <string>

#include "app/BatchRun.h"
#include "app/Playlist.h"
#include "presets/PresetSelection.h"

class PresetSelector;
class QWidget;
class TfrmMain;

namespace appui {

class RunController {
public:
    RunController(TfrmMain& window, std::filesystem::path programFolder);
    ~RunController();

    void actConvertionExecute();
    // stopped: the user stopped the run, which then only ends with its
    // summary (and the playlist of what was converted, when chosen).
    void DoFinishEvent(const app::RunSummary& summary, bool stopped);

private:
    PresetSelector& Selector();
    std::string TargetFolder() const;
    void WritePlaylist();
    // The closing box with the counts, the failures and "Open folder".
    void ShowSummary(const app::RunSummary& summary, bool stopped);
    // A playlist that could not be written, or entries it could not list.
    void ReportPlaylist(const app::PlaylistOutcome& outcome);
    // The window keeps the values the settings file and the run read.
    void WithSelection(void (PresetSelector::*handler)());

    TfrmMain& window_;
    std::filesystem::path programFolder_;
    TPresetSelection selection_;
    std::unique_ptr<PresetSelector> selector_;
};

// An error that ended an operation, shown as the event loop shows one.
void ShowUncaughtError(QWidget* owner, std::string text);

}  // namespace appui
