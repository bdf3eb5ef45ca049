// SPDX-License-Identifier: GPL-3.0-or-later
// The file list of the main window: adding through the open dialog, a
// folder or drops, deleting, and the count in the status pane.

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QTreeWidgetItem>
#include <cmath>
#include <set>

#include "app/FolderFiles.h"
#include "app/ui/MainForm.h"
#include "app/ui/ProgressForm.h"
#include "app/ui/SongList.h"
#include "engine/Encoder.h"
#include "platform/ui/MessageBox.h"

namespace fs = std::filesystem;

namespace {

struct FilterEntry {
    const char* description;
    const char* pattern;
};
const FilterEntry FilterEntries[] = {
    {"MP3 Files", "*.mp3"},       {"MP2 Files", "*.mp2"},         {"MP1 Files", "*.mp1"},
    {"Ogg voribs", "*.ogg"},      {"AAC Files", "*.aac"},         {"AC3 Files", "*.ac3"},
    {"ALAC Files", "*.alac"},     {"APE files", "*.ape"},         {"Flac Files", "*.flac"},
    {"MP4 Files", "*.mp4"},       {"M4A files", "*.m4a"},         {"Musepack Files", "*.mpc"},
    {"OptimFROG Files", "*.ofr"}, {"Wav Standard", "*.wav"},      {"WMA Files", "*.wma"},
};

std::string InputFormatText(const TAudioProperty& property)
{
    return "Bitrate: " + std::to_string(property.Bitrate) + "Kbps Channel: " +
           (property.Channels == 1 ? "mono" : "stereo") + " SampleRate: " + std::to_string(property.SampleRate) +
           "hz";
}

bool IsBlankText(const std::string& text)
{
    for (const unsigned char c : text)
        if (c > ' ')
            return false;
    return true;
}

// Only plain files are offered to the decoders: a pipe or a device would
// block the window for good.
bool IsPlainFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// Re-enables the main window and frees the progress window on every path.
class AddingScope {
public:
    explicit AddingScope(QWidget* window) : window_(window), progress_(new Tfrmprogress(window))
    {
        progress_->setWindowTitle("Open file");
        progress_->show();
        window_->setEnabled(false);
        progress_->setEnabled(true);
        progress_->activateWindow();
    }
    ~AddingScope()
    {
        progress_->hide();
        delete progress_;
        window_->setEnabled(true);
    }
    AddingScope(const AddingScope&) = delete;
    AddingScope& operator=(const AddingScope&) = delete;

    Tfrmprogress& Progress() { return *progress_; }

private:
    QWidget* window_;
    Tfrmprogress* progress_;
};

}  // namespace

QStringList TfrmMain::OpenDialogFilters()
{
    QStringList filters;
    QStringList all;
    for (const FilterEntry& entry : FilterEntries) {
        filters << QString("%1(%2)").arg(entry.description, entry.pattern);
        all << entry.pattern;
    }
    filters << "All support files(" + all.join(' ') + ")";
    return filters;
}

void TfrmMain::actAddfilesExecute()
{
    QFileDialog dialog(this, "Add Files");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    const QStringList filters = OpenDialogFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.back());
    std::vector<fs::path> paths;
    if (dialog.exec() == QDialog::Accepted)
        for (const QString& name : dialog.selectedFiles())
            paths.emplace_back(QFile::encodeName(name).toStdString());
    AddFiles(paths);
}

void TfrmMain::AppendEntry(const fs::path& path, const TAudioProperty& property)
{
    auto* item = new appui::SongItem(lvSongs);
    appui::SongList::SetPath(item, path);
    std::error_code ec;
    const auto bytes = fs::file_size(path, ec);
    item->SetSizeKey(ec ? 0 : static_cast<qint64>(bytes));
    item->setText(appui::ColInputFormat, QString::fromStdString(InputFormatText(property)));
    item->setText(appui::ColDuration, QString::fromStdString(property.Duration));
    item->setText(appui::ColSize, QString::fromStdString(property.Size));
    item->setText(appui::ColResult, " ");
}

std::vector<fs::path> TfrmMain::AddPaths(const std::vector<fs::path>& paths)
{
    std::vector<fs::path> failures;
    AddingScope adding(this);
    Tfrmprogress& progress = adding.Progress();
    const std::size_t n = paths.size();
    for (std::size_t i = 0; i < n; ++i) {
        progress.SetPrompt(paths[i].string());
        TAudioProperty property;
        if (Encoder && IsPlainFile(paths[i]) && Encoder->OpenInput(paths[i], 0, true, &property) != 0)
            AppendEntry(paths[i], property);
        else
            failures.push_back(paths[i]);
        progress.SetPercent(static_cast<int>(std::trunc(double(i + 1) / double(n) * 100.0)));
        progress.repaint();
        QCoreApplication::processEvents();
        if (progress.CancelRequested)
            break;
    }
    return failures;
}

void TfrmMain::AddFiles(const std::vector<fs::path>& paths)
{
    std::string failures;
    for (const fs::path& failed : AddPaths(paths))
        failures += "\n" + failed.string();
    if (!IsBlankText(failures))
        platform::ShowWarning(this, "Files open failed:\n" + failures);
    UpdateFileCount();
}

// A folder of an album collection holds covers and notes as well: those are
// counted, not listed one by one.
void TfrmMain::AddFolder(const fs::path& folder)
{
    const app::FolderListing listing = app::ListFolderFiles(folder, true);
    ShowFolderNotes(AddPaths(listing.files).size(), listing.unreadable.size());
    UpdateFileCount();
    ReportUnreadableFolders(listing.unreadable);
}

void TfrmMain::ShowFolderNotes(std::size_t skipped, std::size_t unreadable)
{
    QStringList notes;
    if (skipped > 0)
        notes << QString("Skipped %1 %2 no decoder reads").arg(skipped).arg(skipped == 1 ? "file" : "files");
    if (unreadable > 0)
        notes << QString("%1 %2 not read").arg(unreadable).arg(unreadable == 1 ? "folder" : "folders");
    spSkippedfiles->setText(notes.join(", "));
}

void TfrmMain::ReportUnreadableFolders(const std::vector<app::UnreadableFolder>& folders)
{
    if (!folders.empty())
        platform::ShowWarning(this, app::UnreadableFoldersText(folders));
}

void TfrmMain::actAddfolderExecute()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, "Add Folder", QString(), QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        AddFolder(QFile::encodeName(folder).toStdString());
}

void TfrmMain::FilesDropped(const std::vector<fs::path>& names)
{
    std::vector<fs::path> paths;
    std::vector<app::UnreadableFolder> unreadable;
    std::error_code ec;
    for (const fs::path& name : names) {
        if (fs::exists(name, ec) && !fs::is_directory(name, ec)) {
            paths.push_back(name);
        } else if (fs::is_directory(name, ec)) {
            const app::FolderListing inside = app::ListFolderFiles(name, false);
            paths.insert(paths.end(), inside.files.begin(), inside.files.end());
            unreadable.insert(unreadable.end(), inside.unreadable.begin(), inside.unreadable.end());
        }
    }
    AddFiles(paths);
    ReportUnreadableFolders(unreadable);
}

void TfrmMain::AddArguments(const std::vector<fs::path>& names)
{
    std::vector<fs::path> paths;
    std::set<fs::path> fromFolders;
    std::vector<app::UnreadableFolder> unreadable;
    std::error_code ec;
    for (const fs::path& name : names) {
        if (!fs::is_directory(name, ec)) {
            paths.push_back(name);
            continue;
        }
        app::FolderListing listing = app::ListFolderFiles(name, true);
        unreadable.insert(unreadable.end(), listing.unreadable.begin(), listing.unreadable.end());
        for (fs::path& inside : listing.files) {
            fromFolders.insert(inside);
            paths.push_back(std::move(inside));
        }
    }
    std::string failures;
    std::size_t skipped = 0;
    for (const fs::path& failed : AddPaths(paths)) {
        if (fromFolders.count(failed))
            ++skipped;
        else
            failures += "\n" + failed.string();
    }
    ShowFolderNotes(skipped, unreadable.size());
    if (!failures.empty())
        platform::ShowWarning(this, "Files open failed:\n" + failures);
    UpdateFileCount();
    ReportUnreadableFolders(unreadable);
}

void TfrmMain::actDelselExecute()
{
    qDeleteAll(lvSongs->selectedItems());
    UpdateFileCount();
}

void TfrmMain::actDelallExecute()
{
    lvSongs->clear();
    UpdateFileCount();
}

int TfrmMain::EntryCount() const { return lvSongs->topLevelItemCount(); }

QTreeWidgetItem* TfrmMain::Entry(int row) const { return lvSongs->topLevelItem(row); }

fs::path TfrmMain::EntryPath(int row) const { return appui::SongList::PathOf(Entry(row)); }

void TfrmMain::UpdateFileCount()
{
    const int count = EntryCount();
    spPendingfiles->setText(count == 0 ? QString() : "Selected files: " + QString::number(count));
    UpdateActions();
}

// The enabling rules of the list's actions, run whenever the list or its
// selection changes.
void TfrmMain::UpdateActions()
{
    const int selected = static_cast<int>(lvSongs->selectedItems().size());
    const bool any = EntryCount() > 0;
    actDelsel->setEnabled(selected > 0);
    actDelall->setEnabled(any);
    actEditTag->setEnabled(selected > 0);
    actConvertion->setEnabled(any);
}
