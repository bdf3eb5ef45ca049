// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The tag editor. On one file of the main list at a time, stepping with
// Previous and Next; or, with EditAll, on all of FileList at once, where a
// field the files disagree on shows "<different>" and is written only when
// typed into. Nothing is written before Save or OK; stepping away from
// unsaved changes asks first.

#include <QDialog>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tags/EditedFile.h"
#include "tags/EditorFields.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class TEncoder;

class Tfrmtaginfo : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmtaginfo(QWidget* owner = nullptr);

    std::vector<std::filesystem::path> FileList;
    std::int32_t FileIndex = 0;
    bool EditAll = false;
    TEncoder* Engine = nullptr;
    bool Modified = false;

    // Writes the edits into every file shown; false (one line per file
    // that failed, shown) when any write failed.
    bool Save();

    void actPreviousExecute();
    void actNextExecute();
    void btnOKClick();
    void NumberTracksClick();
    void UpdateActions();

    // The picture shown: every file's front cover, else its first picture.
    // Setting one makes it the front cover of every file shown; false (the
    // reason shown) when the file is no image.
    bool SetCoverFromFile(const std::filesystem::path& image);
    void SetCover(const extratags::TagPicture& picture);
    void RemoveCover();
    bool SaveCoverTo(const std::filesystem::path& target);

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
    QToolButton* btnArtists = nullptr;
    QLineEdit* edtAlbum = nullptr;
    QLineEdit* edtAlbumArtist = nullptr;
    QLineEdit* edtYear = nullptr;
    QLineEdit* edtNumber = nullptr;
    QLineEdit* edtTrackTotal = nullptr;
    QLineEdit* edtDisc = nullptr;
    QLineEdit* edtDiscTotal = nullptr;
    QComboBox* edtGenre = nullptr;
    QToolButton* btnGenres = nullptr;
    QLineEdit* edtCopyright = nullptr;
    QLineEdit* edtURL = nullptr;
    QLineEdit* edtEncoded = nullptr;
    QPlainTextEdit* edtComment = nullptr;

    QLabel* lblCover = nullptr;
    QLabel* lblCoverType = nullptr;
    QLabel* lblCoverMime = nullptr;
    QLabel* lblCoverSize = nullptr;
    QPushButton* btnCoverSet = nullptr;
    QPushButton* btnCoverRemove = nullptr;
    QPushButton* btnCoverSave = nullptr;

    QAction* actPrevious = nullptr;
    QAction* actNext = nullptr;
    QPushButton* btnPrevious = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnNumberTracks = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using FieldControls = std::array<QWidget*, std::size_t(EditorFieldId::Count)>;

    QWidget* BuildSummaryPage();
    QWidget* BuildInfoPage();
    void BuildCoverBox(QWidget* page);
    void BuildButtons();
    void WatchEdits();
    FieldControls Controls() const;

    void LoadShown();
    void ShowSummary(const std::filesystem::path& path);
    void ShowFields();
    void ShowField(EditorFieldId id);
    void ShowCover();
    void SetModified(bool modified);
    void UpdateTitle();
    // The files with the typed edits applied, as Save writes them.
    std::vector<TEditedFile> EditedFiles() const;
    void Step(int delta);
    // The field's values one a line in a dialog; the edit gets them back.
    void EditValues(EditorFieldId id);
    void ChooseCoverFile();
    void ChooseCoverTarget();

    std::vector<TEditedFile> files_;  // those shown, as read or saved, with picture and numbering changes
    std::array<QString, std::size_t(EditorFieldId::Count)> shown_;  // each control's text as shown
    bool showing_ = false;  // controls are being filled, not edited
    bool loaded_ = false;
};
