// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/ui/TagForm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <exception>

#include "platform/ui/MessageBox.h"
#include "tags/ui/PropertyInfo.h"
#include "tags/ui/ValueListDialog.h"

namespace fs = std::filesystem;

namespace {

const QString Different = "<different>";

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QString& text) { return text.toStdString(); }

QString ControlText(const QWidget* control)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    return qobject_cast<const QPlainTextEdit*>(control)->toPlainText();
}

void SetControlText(QWidget* control, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setEditText(text);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
        memo->setPlainText(text);
}

void ShowControlText(QWidget* control, const QString& text, const QString& placeholder)
{
    SetControlText(control, text);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setPlaceholderText(placeholder);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->lineEdit()->setPlaceholderText(placeholder);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
        memo->setPlaceholderText(placeholder);
}

// A read-only field gets the window's background instead of the edit's.
void ShadeIfReadOnly(QWidget* control, bool readOnly)
{
    QPalette palette = control->palette();
    const QPalette normal = QApplication::palette(control);
    palette.setColor(QPalette::Base, normal.color(readOnly ? QPalette::Window : QPalette::Base));
    control->setPalette(palette);
}

void SetReadOnly(QWidget* control, bool readOnly)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setReadOnly(readOnly);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
        memo->setReadOnly(readOnly);
    else
        control->setEnabled(!readOnly);
    ShadeIfReadOnly(control, readOnly);
}

}  // namespace

void Tfrmtaginfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (loaded_)
        return;
    loaded_ = true;
    LoadShown();
    UpdateActions();
}

Tfrmtaginfo::FieldControls Tfrmtaginfo::Controls() const
{
    return {edtTitle, edtArtist,    edtAlbum, edtAlbumArtist, edtYear,      edtNumber, edtTrackTotal,
            edtDisc,  edtDiscTotal, edtGenre, edtComment,     edtCopyright, edtURL,    edtEncoded};
}

// Reads the files shown; one that cannot be read is reported and left out.
void Tfrmtaginfo::LoadShown()
{
    std::vector<fs::path> paths;
    if (EditAll)
        paths = FileList;
    else if (FileIndex >= 0 && FileIndex < static_cast<int>(FileList.size()))
        paths.push_back(FileList[FileIndex]);
    files_.clear();
    std::string problems;
    for (const fs::path& path : paths) {
        try {
            files_.push_back(ReadEditedFile(path));
        } catch (const std::exception& error) {
            problems += (problems.empty() ? "" : "\n") + std::string(error.what());
        }
    }
    if (!paths.empty())
        ShowSummary(paths.front());
    if (paths.size() > 1)
        lblPath->setText(lblPath->text() + QString(" and %1 more").arg(paths.size() - 1));
    if (EditAll)
        edtFilename->setText(QString("%1 files").arg(paths.size()));
    else
        edtFilename->setText(paths.empty() ? QString() : Text(paths.front().filename().string()));
    ShowFields();
    ShowCover();
    SetModified(false);
    if (!problems.empty())
        platform::ShowError(this, problems);
}

void Tfrmtaginfo::ShowSummary(const fs::path& path)
{
    const TPropertyInfo info = ReadPropertyInfo(Engine, path);
    lblPath->setText(Text(path.string()));
    lblkind->setText(Text(info.KindText));
    lblsize->setText(Text(info.FileSizeText));
    lblbitrate->setText(Text(info.BitRateText));
    lblsamplerate->setText(Text(info.SampleRateText));
    lbldatemodified->setText(Text(info.ModifiedText));
    lbllastaccess->setText(Text(info.AccessedText));
    lblformat->setText(ShellTypeName(path));
    lblchannels->setText(Text(info.ChannelsText));
    lblencoded->clear();
    lblduration->setText(Text(info.DurationText));
    Image->setPixmap(ShellTypeIcon(path).pixmap(32, 32));
}

void Tfrmtaginfo::ShowFields()
{
    for (std::size_t id = 0; id < shown_.size(); ++id)
        ShowField(EditorFieldId(id));
}

// The files' common text, or none with "<different>" in grey; a field no
// shown file stores cannot be edited, and looks so.
void Tfrmtaginfo::ShowField(EditorFieldId id)
{
    QWidget* control = Controls()[std::size_t(id)];
    std::string text;
    const bool same = SameFieldText(files_, id, text);
    const QString shown = same ? Text(text) : QString();
    showing_ = true;
    ShowControlText(control, shown, same ? QString() : Different);
    showing_ = false;
    shown_[std::size_t(id)] = shown;
    const TEditorField& field = EditorField(id);
    const bool writable =
        std::any_of(files_.begin(), files_.end(), [&](const TEditedFile& file) { return field.writable(file.path); });
    SetReadOnly(control, !writable);
    if (id == EditorFieldId::Artist)
        btnArtists->setEnabled(writable);
    if (id == EditorFieldId::Genre)
        btnGenres->setEnabled(writable);
}

std::vector<TEditedFile> Tfrmtaginfo::EditedFiles() const
{
    std::vector<TEditedFile> files = files_;
    const FieldControls controls = Controls();
    for (std::size_t id = 0; id < controls.size(); ++id) {
        const QString text = ControlText(controls[id]);
        if (text == shown_[id])
            continue;
        const TEditorField& field = EditorField(EditorFieldId(id));
        for (TEditedFile& file : files)
            if (field.writable(file.path))
                field.set(file, Text(text));
    }
    return files;
}

bool Tfrmtaginfo::Save()
{
    const std::vector<TEditedFile> edited = EditedFiles();
    std::string problems;
    for (std::size_t i = 0; i < edited.size(); ++i) {
        if (const std::string problem = WriteEditedFile(edited[i]); !problem.empty())
            problems += (problems.empty() ? "" : "\n") + problem;
        else
            files_[i] = edited[i];
    }
    if (!problems.empty()) {
        platform::ShowError(this, problems);
        return false;
    }
    ShowFields();
    ShowCover();
    SetModified(false);
    return true;
}

void Tfrmtaginfo::EditValues(EditorFieldId id)
{
    QWidget* control = Controls()[std::size_t(id)];
    QStringList values;
    for (const std::string& value : SplitEditorValues(Text(ControlText(control))))
        values << Text(value);
    TValueListDialog dialog(EditorField(id).name + QString("s"), values, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::vector<std::string> edited;
    for (const QString& value : dialog.Values())
        edited.push_back(Text(value));
    SetControlText(control, Text(JoinEditorValues(edited)));
}

void Tfrmtaginfo::SetModified(bool modified)
{
    Modified = modified;
    UpdateTitle();
}

void Tfrmtaginfo::UpdateTitle()
{
    QString title = "Tag Info";
    if (EditAll)
        title += QString(" - %1 files").arg(FileList.size());
    else if (FileIndex >= 0 && FileIndex < static_cast<int>(FileList.size()))
        title += " - " + Text(FileList[FileIndex].filename().string());
    setWindowTitle(Modified ? title + " *" : title);
}

void Tfrmtaginfo::Step(int delta)
{
    const int target = FileIndex + delta;
    if (EditAll || target < 0 || target >= static_cast<int>(FileList.size()))
        return;
    if (Modified) {
        const auto answer = platform::AskSaveChanges(
            this, "Save the changes to " + FileList.at(FileIndex).filename().string() + "?");
        const bool goOn = answer == platform::BoxAnswer::Save ? Save() : answer == platform::BoxAnswer::Discard;
        if (!goOn)
            return;
    }
    FileIndex = target;
    LoadShown();
    UpdateActions();
}

void Tfrmtaginfo::actPreviousExecute() { Step(-1); }
void Tfrmtaginfo::actNextExecute() { Step(1); }

void Tfrmtaginfo::btnOKClick()
{
    if (!Modified || Save())
        accept();
}

void Tfrmtaginfo::NumberTracksClick()
{
    NumberTracks(files_);
    ShowField(EditorFieldId::Track);
    ShowField(EditorFieldId::TrackTotal);
    SetModified(true);
}

void Tfrmtaginfo::UpdateActions()
{
    actPrevious->setEnabled(!EditAll && FileIndex > 0);
    actNext->setEnabled(!EditAll && FileIndex < static_cast<int>(FileList.size()) - 1);
    btnNumberTracks->setEnabled(files_.size() > 1);
}
