// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The tag editor: one file of the main list at a time, its summary on
// "Summary" and its tags, editable, on "Info". Edits are saved when the
// user steps to another file or presses OK.

#include <QDialog>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tags/TagInfo.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TEncoder;

class Tfrmtaginfo : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmtaginfo(QWidget* owner = nullptr);

    std::vector<std::filesystem::path> FileList;
    std::int32_t FileIndex = 0;
    TEncoder* Engine = nullptr;
    bool Modified = false;

    // Both throw what the tag layer lets through; SaveFile also throws
    // TagError with the reason when nothing was written.
    void LoadFile(const std::filesystem::path& path);
    void SaveFile(const std::filesystem::path& path);

    void actPreviousExecute();
    void actNextExecute();
    void btnOKClick();
    void UpdateActions();

    QTabWidget* PageControl = nullptr;
    QWidget* tsSummary = nullptr;
    QWidget* tsInfo = nullptr;

    QLabel* lblPath = nullptr;
    QLabel* lblkind = nullptr;
    QLabel* lblsize = nullptr;
    QLabel* lblbitrate = nullptr;
    QLabel* lblsamplerate = nullptr;
    QLabel* lbldatemodified = nullptr;
    QLabel* lbllastaccess = nullptr;
    QLabel* lblformat = nullptr;
    QLabel* lblchannels = nullptr;
    QLabel* lblencoded = nullptr;
    QLabel* lblduration = nullptr;
    QLabel* Image = nullptr;

    QLineEdit* edtFilename = nullptr;
    QLineEdit* edtTitle = nullptr;
    QLineEdit* edtArtist = nullptr;
    QLineEdit* edtAlbum = nullptr;
    QLineEdit* edtYear = nullptr;
    QSpinBox* edtNumber = nullptr;
    QComboBox* edtGenre = nullptr;
    QLineEdit* edtCopyright = nullptr;
    QLineEdit* edtURL = nullptr;
    QLineEdit* edtEncoded = nullptr;
    QPlainTextEdit* edtComment = nullptr;

    QAction* actPrevious = nullptr;
    QAction* actNext = nullptr;
    QPushButton* btnPrevious = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* BuildSummaryPage();
    QWidget* BuildInfoPage();
    void BuildButtons();
    void WatchEdits();
    void ClearTagControls();
    void ShowSummary(const std::filesystem::path& path);
    void ShowTags(const std::filesystem::path& path);
    void ShowWritableFields(const std::filesystem::path& path);
    std::vector<std::pair<QLineEdit*, TagFieldPointer>> LineEdits() const;
    static int ShownTrack(const std::string& track);
    static std::string TrackTotal(const std::string& track);
    // Saves the shown file when edited; false (error shown) when that failed.
    bool SaveIfModified();
    void Step(int delta);
    bool ShowErrors(void (Tfrmtaginfo::*operation)(const std::filesystem::path&));

    TTAGInfo loadedTags_;  // as read by the last load
    bool loaded_ = false;
};
