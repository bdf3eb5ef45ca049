#include "tags/ui/TagForm.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
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

// Stored comments end their lines with CR LF; the memo shows plain lines.
QString MemoTextOf(const std::string& comment)
{
    QString text = Text(comment);
    text.replace("\r\n", "\n").replace('\r', '\n');
    if (text.endsWith('\n'))
        text.chop(1);
    return text;
}

std::string CommentOfMemo(QString text)
{
    if (text.isEmpty())
        return {};
    if (text.endsWith('\n'))
        text.chop(1);
    std::string comment;
    for (const QString& line : text.split('\n'))
        comment += Text(line) + "\r\n";
    return comment;
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
    loadedTrack_.clear();
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
    edtTitle->setText(Text(tags.Title));
    edtArtist->setText(Text(tags.Artist));
    edtAlbum->setText(Text(tags.Album));
    edtYear->setText(Text(tags.Year));
    edtCopyright->setText(Text(tags.Copyright));
    edtURL->setText(Text(tags.URL));
    edtEncoded->setText(Text(tags.EncodedBy));
    edtNumber->setValue(std::max(PlainNumber(tags.Track), 0));
    edtGenre->setEditText(Text(tags.Genre));
    edtComment->setPlainText(MemoTextOf(tags.Comment));
    loadedTrack_ = tags.Track;
}

// A track text the spinner cannot show ("5/12", "300") is kept as it was
// unless the user changed the number.
std::string Tfrmtaginfo::TrackToSave() const
{
    const int shown = edtNumber->value();
    const bool untouched = shown == std::max(PlainNumber(loadedTrack_), 0);
    if (untouched && !loadedTrack_.empty() && PlainNumber(loadedTrack_) != shown)
        return loadedTrack_;
    return std::to_string(shown);
}

void Tfrmtaginfo::SaveFile(const fs::path& path)
{
    TTAGInfo tags;
    tags.Title = Text(edtTitle->text());
    tags.Artist = Text(edtArtist->text());
    tags.Album = Text(edtAlbum->text());
    tags.Year = Text(edtYear->text());
    tags.Track = TrackToSave();
    tags.Genre = Text(edtGenre->currentText());
    tags.Copyright = Text(edtCopyright->text());
    tags.URL = Text(edtURL->text());
    tags.EncodedBy = Text(edtEncoded->text());
    tags.Comment = CommentOfMemo(edtComment->toPlainText());
    WriteTagInfo(path, tags);
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
