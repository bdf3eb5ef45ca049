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
#include <QSpinBox>
#include <QTabWidget>
#include <algorithm>
#include <exception>

#include "platform/ui/MessageBox.h"
#include "tags/TagInfo.h"
#include "tags/ui/PropertyInfo.h"

namespace fs = std::filesystem;

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QString& text) { return text.toStdString(); }

// The whole text as a plain decimal number that fits in an int, or -1.
int PlainNumber(const std::string& text)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::stoi(text);
}

// The memo shows plain lines whatever line ends the comment was stored with.
QString MemoTextOf(const std::string& comment)
{
    QString text = Text(comment);
    text.replace("\r\n", "\n").replace('\r', '\n');
    if (text.endsWith('\n'))
        text.chop(1);
    return text;
}

// The value as loaded while its control still shows it, so an untouched
// field is written back exactly as read; else what the control holds.
std::string KeptOrEdited(const std::string& loaded, const QString& loadedShown, const QString& shown)
{
    return shown == loadedShown ? loaded : Text(shown);
}

// A read-only field gets the window's background instead of the edit's.
void ShadeIfReadOnly(QWidget* control, bool readOnly)
{
    QPalette palette = control->palette();
    const QPalette normal = QApplication::palette(control);
    palette.setColor(QPalette::Base, normal.color(readOnly ? QPalette::Window : QPalette::Base));
    control->setPalette(palette);
}

// Modified is cleared however a load ends, also by an error.
struct ClearOnExit {
    bool& flag;
    ~ClearOnExit() { flag = false; }
};

}  // namespace

void Tfrmtaginfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (loaded_)
        return;
    loaded_ = true;
    if (FileIndex >= 0 && FileIndex < static_cast<int>(FileList.size()))
        ShowErrors(&Tfrmtaginfo::LoadFile);
    UpdateActions();
}

void Tfrmtaginfo::LoadFile(const fs::path& path)
{
    ClearOnExit unmodified{Modified};
    ClearTagControls();
    ShowSummary(path);
    edtFilename->setText(Text(path.filename().string()));
    ShowTags(path);
}

void Tfrmtaginfo::ClearTagControls()
{
    for (QLineEdit* edit : {edtTitle, edtArtist, edtAlbum, edtYear, edtCopyright, edtURL, edtEncoded})
        edit->clear();
    edtGenre->setEditText(QString());
    edtNumber->setValue(0);
    edtComment->clear();
    loadedTags_ = TTAGInfo{};
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

void Tfrmtaginfo::ShowTags(const fs::path& path)
{
    TTAGInfo tags;
    ReadTagInfo(path, tags);
    for (const auto& [edit, field] : LineEdits())
        edit->setText(Text(tags.*field));
    edtNumber->setValue(ShownTrack(tags.Track));
    const std::string total = TrackTotal(tags.Track);
    edtNumber->setSuffix(total.empty() ? QString() : " / " + Text(total));
    edtGenre->setEditText(Text(tags.Genre));
    edtComment->setPlainText(MemoTextOf(tags.Comment));
    loadedTags_ = tags;
    ShowWritableFields(path);
}

// A field the file's kind does not store (Ogg's "Encoded by" is the
// stream's vendor) cannot be edited, and looks so.
void Tfrmtaginfo::ShowWritableFields(const fs::path& path)
{
    const auto writable = [&](TagFieldPointer field) {
        const auto at = std::find(TagFields.begin(), TagFields.end(), field);
        return TagFieldWritable(path, std::size_t(at - TagFields.begin()));
    };
    for (const auto& [edit, field] : LineEdits()) {
        edit->setReadOnly(!writable(field));
        ShadeIfReadOnly(edit, edit->isReadOnly());
    }
    edtNumber->setReadOnly(!writable(&TTAGInfo::Track));
    ShadeIfReadOnly(edtNumber, edtNumber->isReadOnly());
    edtGenre->setEnabled(writable(&TTAGInfo::Genre));
    edtComment->setReadOnly(!writable(&TTAGInfo::Comment));
    ShadeIfReadOnly(edtComment, edtComment->isReadOnly());
}

std::vector<std::pair<QLineEdit*, TagFieldPointer>> Tfrmtaginfo::LineEdits() const
{
    return {{edtTitle, &TTAGInfo::Title},         {edtArtist, &TTAGInfo::Artist},
            {edtAlbum, &TTAGInfo::Album},         {edtYear, &TTAGInfo::Year},
            {edtCopyright, &TTAGInfo::Copyright}, {edtURL, &TTAGInfo::URL},
            {edtEncoded, &TTAGInfo::EncodedBy}};
}

// The spinner shows the number before any "/" ("5/12" as 5, with " / 12"
// beside it); no track, or one that is no number, shows as 0.
int Tfrmtaginfo::ShownTrack(const std::string& track)
{
    return std::max(PlainNumber(track.substr(0, track.find('/'))), 0);
}

std::string Tfrmtaginfo::TrackTotal(const std::string& track)
{
    const std::size_t slash = track.find('/');
    return slash == std::string::npos ? std::string() : track.substr(slash + 1);
}

// Starts from the record as loaded, so fields the window does not show
// (Composer, Language) and fields left as they were keep their stored form.
void Tfrmtaginfo::SaveFile(const fs::path& path)
{
    TTAGInfo tags = loadedTags_;
    for (const auto& [edit, field] : LineEdits())
        tags.*field = KeptOrEdited(loadedTags_.*field, Text(loadedTags_.*field), edit->text());
    // A new number keeps the total; 0 removes the track.
    const int track = edtNumber->value();
    const std::string total = TrackTotal(loadedTags_.Track);
    if (track != ShownTrack(loadedTags_.Track))
        tags.Track = track == 0 ? std::string() : std::to_string(track) + (total.empty() ? "" : "/" + total);
    tags.Genre = KeptOrEdited(loadedTags_.Genre, Text(loadedTags_.Genre), edtGenre->currentText());
    tags.Comment = KeptOrEdited(loadedTags_.Comment, MemoTextOf(loadedTags_.Comment), edtComment->toPlainText());
    if (const std::string problem = WriteTagInfo(path, tags); !problem.empty())
        throw TagError(problem);
}

bool Tfrmtaginfo::ShowErrors(void (Tfrmtaginfo::*operation)(const fs::path&))
{
    try {
        (this->*operation)(FileList.at(FileIndex));
        return true;
    } catch (const std::exception& error) {
        platform::ShowError(this, error.what());
        return false;
    }
}

bool Tfrmtaginfo::SaveIfModified()
{
    if (!Modified || FileIndex < 0 || FileIndex >= static_cast<int>(FileList.size()))
        return true;
    if (!ShowErrors(&Tfrmtaginfo::SaveFile))
        return false;
    Modified = false;
    return true;
}

void Tfrmtaginfo::Step(int delta)
{
    if (!SaveIfModified())
        return;
    const int target = FileIndex + delta;
    if (target >= 0 && target < static_cast<int>(FileList.size())) {
        FileIndex = target;
        ShowErrors(&Tfrmtaginfo::LoadFile);
    }
    UpdateActions();
}

void Tfrmtaginfo::actPreviousExecute() { Step(-1); }
void Tfrmtaginfo::actNextExecute() { Step(1); }

void Tfrmtaginfo::btnOKClick()
{
    if (SaveIfModified())
        accept();
}

void Tfrmtaginfo::UpdateActions()
{
    actPrevious->setEnabled(FileIndex > 0);
    actNext->setEnabled(FileIndex < static_cast<int>(FileList.size()) - 1);
}
