// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window: the file list and run controls on "Converter", the
// policies on "Settings", the header band and the status pane. It owns the
// engine object from its first showing to its destruction, and keeps the
// user's choices in Options.ini (read when first shown, written on close).
// Both pages scroll, so every control stays reachable in a small window.

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/FolderFiles.h"
#include "app/OutputNaming.h"
#include "app/Settings.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStatusBar;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QTreeWidgetItem;
class TEncoder;
struct TAudioProperty;

namespace appui {
class ColorBox;
class HeaderBand;
class LoudnessBox;
class SongList;
}  // namespace appui

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    TfrmMain();
    ~TfrmMain() override;

    // Settings file <-> record <-> controls.
    void LoadSettings(const std::filesystem::path& settingsFile);
    void SaveSettings(const std::filesystem::path& settingsFile);

    // File list.
    void AddFiles(const std::vector<std::filesystem::path>& paths);
    // Every file below the folder that a decoder reads, in natural order;
    // the others, and the folders that cannot be read, are counted in the
    // status pane, and those folders are named in a message.
    void AddFolder(const std::filesystem::path& folder);
    void FilesDropped(const std::vector<std::filesystem::path>& names);
    // The command line's names: files as Add Files takes them, folders as
    // Add Folder does (subfolders included).
    void AddArguments(const std::vector<std::filesystem::path>& names);
    // The status pane: the entries and how many of them are selected.
    void UpdateFileCount();
    int EntryCount() const;
    std::filesystem::path EntryPath(int row) const;
    QTreeWidgetItem* Entry(int row) const;
    // The sixteen filter entries of the open dialog, the last one selected.
    static QStringList OpenDialogFilters();

    // The naming the controls describe, for the chosen output format.
    app::NamingChoice OutputNaming() const;

    // Handlers.
    void actAddfilesExecute();
    void actAddfolderExecute();
    void actDelselExecute();
    void actDelallExecute();
    void UpdateActions();
    void edtTargetFolderButtonClick();
    void chkAdjustVolumeClick();
    void chkWhenFinishedClick();
    void rdOriginalNameClick();
    void rdCustomNameClick();
    void menuHelpClick();
    void menuHomepageClick();
    void menuAboutClick();

    // Seams for the preset choice, the batch run and the tag editor: each
    // handler runs the function set here, if any.
    void cmbFormatChange();
    void cmbConfigChange();
    void btnConfigClick();
    void actConvertionExecute();
    void actEditTagExecute();
    std::function<void()> OnFormatChange;
    std::function<void()> OnConfigChange;
    std::function<void()> OnConfigClick;
    std::function<void()> OnConvertion;
    std::function<void()> OnEditTag;

    // State shared with the preset choice and the batch run.
    TGlobaVariant GlobaVariant;
    std::filesystem::path SettingsFile;
    std::uint8_t CurrentFormat = 11;
    std::string CurrentOptions;
    std::array<std::string, app::PresetListCount> PresetLists;
    std::vector<std::filesystem::path> ConvertedFiles;
    std::unique_ptr<TEncoder> Encoder;
    // A batch run is going on; closing the window then asks the user, and
    // on yes asks the run to stop (CloseRequested, RunStopRequested) and
    // closes once it has ended.
    bool RunActive = false;
    bool CloseRequested = false;

signals:
    void RunStopRequested();

public:

    // Controls.
    appui::HeaderBand* HeaderBand = nullptr;
    QLabel* Image = nullptr;
    QLabel* ImgFont = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget* tsConverter = nullptr;
    QWidget* tsSettings = nullptr;
    appui::SongList* lvSongs = nullptr;
    QPushButton* btnAddFiles = nullptr;
    QPushButton* btnAddFolder = nullptr;
    QPushButton* btnDelete = nullptr;
    QMenu* PopupMenuDel = nullptr;
    QPushButton* btnEditTag = nullptr;
    QPushButton* RzMenuButton1 = nullptr;
    QMenu* PopupMenuHelp = nullptr;
    QLineEdit* edtTargetFolder = nullptr;
    QComboBox* cmbFormat = nullptr;
    QComboBox* cmbConfig = nullptr;
    QPushButton* btnConfig = nullptr;
    QPushButton* btnConverter = nullptr;
    QCheckBox* chkAdjustVolume = nullptr;
    QSpinBox* SpinEditAdjustVolume = nullptr;
    QCheckBox* chkAutoSaveTag = nullptr;
    QCheckBox* chkDelOrig = nullptr;
    QComboBox* cmbthreadPriority = nullptr;
    QSpinBox* SpinEditSimultaneousJobs = nullptr;
    appui::LoudnessBox* grpLoudness = nullptr;
    QCheckBox* chkWhenFinished = nullptr;
    QComboBox* cmbDoEvent = nullptr;
    appui::ColorBox* cmbColor = nullptr;
    QComboBox* cmbFileexist = nullptr;
    QRadioButton* rdOriginalName = nullptr;
    QRadioButton* rdCustomName = nullptr;
    QComboBox* cmbPrefix = nullptr;
    QCheckBox* chkPortableNames = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* spPendingfiles = nullptr;
    QLabel* spRunSummary = nullptr;
    QLabel* spSkippedfiles = nullptr;
    QSystemTrayIcon* TrayIcon = nullptr;

    // Actions.
    QAction* actAddfiles = nullptr;
    QAction* actAddfolder = nullptr;
    QAction* actDelsel = nullptr;
    QAction* actDelall = nullptr;
    QAction* actEditTag = nullptr;
    QAction* actConvertion = nullptr;
    QAction* edtTargetFolderButton = nullptr;
    QAction* menuHelp = nullptr;
    QAction* menuHomepage = nullptr;
    QAction* menuAbout = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void BuildActions();
    QWidget* BuildConverterPage();
    QWidget* BuildSettingsPage();
    QWidget* BuildGeneralGroup();
    QWidget* BuildOutputGroup();
    void ConnectHandlers();
    void ShowRecord(const app::StoredSettings& settings);
    app::StoredSettings TakeRecord() const;
    void AppendEntry(const std::filesystem::path& path, const TAudioProperty& property);
    struct AddingOutcome {
        std::vector<std::filesystem::path> failures;  // no decoder opened them
        std::size_t duplicates = 0;                   // listed already, left out
    };
    // Appends an entry per readable path not listed yet.
    AddingOutcome AddPaths(const std::vector<std::filesystem::path>& paths);
    void ReportUnreadableFolders(const std::vector<app::UnreadableFolder>& folders);
    void ShowAddingNotes(std::size_t skipped, std::size_t unreadable, std::size_t duplicates);
    void ShowCounts();
    void BuildListMenu();
    void ConnectOutputPlan();
    void EntryActivated(QTreeWidgetItem* item);
    void OpenEntryFolder();
    void MarkUnavailableFormats();
    // The Output column and the sample line follow the naming controls, the
    // format and the list; changes made in one go are planned once.
    void ScheduleOutputs();
    void ShowOutputs();
    void ShowSample();

    QMenu* listMenu_ = nullptr;
    QAction* actOpenFolder_ = nullptr;
    QAction* actRemove_ = nullptr;
    QAction* actQuit_ = nullptr;
    QLabel* lblSample_ = nullptr;
    QTimer* outputTimer_ = nullptr;
    bool shown_ = false;
    bool engineFailed_ = false;
};
