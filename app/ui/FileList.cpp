// SPDX-License-Identifier: GPL-3.0-or-later
// The file list of the main window: adding through the open dialog, a
// folder or drops, deleting, its context menu, and the counts in the status
// pane.

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QTreeWidgetItem>
#include <cctype>
#include <cmath>
#include <map>
#include <set>

#include "app/FolderFiles.h"
#include "app/ui/MainForm.h"
#include "app/ui/ProgressForm.h"
#include "app/ui/ShellActions.h"
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

// The kind's usual name, by extension; unknown kinds show the extension.
QString KindName(const fs::path& path)
{
    static const std::map<std::string, const char*> names = {
        {"mp3", "MP3"},        {"mp2", "MP2"},         {"mp1", "MP1"},       {"ogg", "Ogg Vorbis"},
        {"opus", "Opus"},      {"flac", "FLAC"},       {"ape", "Monkey's Audio"}, {"wv", "WavPack"},
        {"mpc", "Musepack"},   {"ofr", "OptimFROG"},   {"wav", "WAV"},       {"wma", "WMA"},
        {"aac", "AAC"},        {"m4a", "MPEG-4 audio"}, {"mp4", "MPEG-4 audio"}, {"ac3", "AC-3"},
        {"alac", "ALAC"}};
    std::string extension = path.extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const auto found = names.find(extension);
    return found != names.end() ? QString(found->second) : QString::fromStdString(extension).toUpper();
}

// "FLAC, 44.1 kHz, stereo, 905 kbps".
QString InputFormatText(const fs::path& path, const TAudioProperty& property)
{
    QStringList parts = {KindName(path)};
    if (property.SampleRate > 0)
        parts << QString::number(property.SampleRate / 1000.0, 'g', 6) + " kHz";
    parts << (property.Channels == 1 ? "mono" : "stereo");
    if (property.Bitrate > 0)
        parts << QString::number(property.Bitrate) + " kbps";
    return parts.join(", ");
}

// The same file however it was named: "./a.mp3", a link to it, the path.
std::string SameFileKey(const fs::path& path)
{
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return (ec ? fs::absolute(path, ec).lexically_normal() : canonical).string();
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
    item->setText(appui::ColInputFormat, InputFormatText(path, property));
    item->setText(appui::ColDuration, QString::fromStdString(property.Duration));
    item->setText(appui::ColSize, QString::fromStdString(property.Size));
    item->setText(appui::ColResult, " ");
}

TfrmMain::AddingOutcome TfrmMain::AddPaths(const std::vector<fs::path>& paths)
{
    AddingOutcome outcome;
    std::set<std::string> listed;
    for (int row = 0; row < EntryCount(); ++row)
        listed.insert(SameFileKey(EntryPath(row)));
    AddingScope adding(this);
    Tfrmprogress& progress = adding.Progress();
    const std::size_t n = paths.size();
    for (std::size_t i = 0; i < n; ++i) {
        progress.SetPrompt(paths[i].string());
        TAudioProperty property;
        if (listed.count(SameFileKey(paths[i])) != 0) {
            ++outcome.duplicates;
        } else if (Encoder && IsPlainFile(paths[i]) && Encoder->OpenInput(paths[i], 0, true, &property) != 0) {
            AppendEntry(paths[i], property);
            listed.insert(SameFileKey(paths[i]));
        } else {
            outcome.failures.push_back(paths[i]);
        }
        progress.SetPercent(static_cast<int>(std::trunc(double(i + 1) / double(n) * 100.0)));
        progress.repaint();
        QCoreApplication::processEvents();
        if (progress.CancelRequested)
            break;
    }
    return outcome;
}

void TfrmMain::AddFiles(const std::vector<fs::path>& paths)
{
    std::string failures;
    const AddingOutcome outcome = AddPaths(paths);
    for (const fs::path& failed : outcome.failures)
        failures += "\n" + failed.string();
    ShowAddingNotes(0, 0, outcome.duplicates);
    if (!IsBlankText(failures))
        platform::ShowWarning(this, "Files open failed:\n" + failures);
    UpdateFileCount();
}

// A folder of an album collection holds covers and notes as well: those are
// counted, not listed one by one.
void TfrmMain::AddFolder(const fs::path& folder)
{
    const app::FolderListing listing = app::ListFolderFiles(folder, true);
    const AddingOutcome outcome = AddPaths(listing.files);
    ShowAddingNotes(outcome.failures.size(), listing.unreadable.size(), outcome.duplicates);
    UpdateFileCount();
    ReportUnreadableFolders(listing.unreadable);
}

void TfrmMain::ShowAddingNotes(std::size_t skipped, std::size_t unreadable, std::size_t duplicates)
{
    QStringList notes;
    if (duplicates > 0)
        notes << QString("Left out %1 %2 already in the list").arg(duplicates).arg(duplicates == 1 ? "file" : "files");
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

// Dropped folders are walked as Add Folder walks them; names that are
// gone by now are passed over.
void TfrmMain::FilesDropped(const std::vector<fs::path>& names)
{
    std::vector<fs::path> existing;
    std::error_code ec;
    for (const fs::path& name : names)
        if (fs::exists(name, ec))
            existing.push_back(name);
    AddArguments(existing);
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
    const AddingOutcome outcome = AddPaths(paths);
    for (const fs::path& failed : outcome.failures) {
        if (fromFolders.count(failed))
            ++skipped;
        else
            failures += "\n" + failed.string();
    }
    ShowAddingNotes(skipped, unreadable.size(), outcome.duplicates);
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
    ShowCounts();
    UpdateActions();
    ScheduleOutputs();
}

void TfrmMain::ShowCounts()
{
    const int count = EntryCount();
    const auto selected = lvSongs->selectedItems().size();
    QString text;
    if (count > 0)
        text = QString("%1 %2").arg(count).arg(count == 1 ? "file" : "files");
    if (selected > 0)
        text += QString(", %1 selected").arg(selected);
    spPendingfiles->setText(text);
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

void TfrmMain::BuildListMenu()
{
    listMenu_ = new QMenu(lvSongs);
    listMenu_->setObjectName("PopupMenuList");
    actRemove_ = new QAction("Remove", this);
    actRemove_->setObjectName("actRemove");
    actOpenFolder_ = new QAction("Open folder", this);
    actOpenFolder_->setObjectName("actOpenFolder");
    listMenu_->addAction(actEditTag);
    listMenu_->addAction(actRemove_);
    listMenu_->addAction(actOpenFolder_);
    lvSongs->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(actRemove_, &QAction::triggered, actDelsel, &QAction::trigger);
    connect(actDelsel, &QAction::changed, actRemove_, [this] { actRemove_->setEnabled(actDelsel->isEnabled()); });
    connect(actOpenFolder_, &QAction::triggered, this, &TfrmMain::OpenEntryFolder);
    connect(lvSongs, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (lvSongs->itemAt(at) == nullptr)
            return;
        actOpenFolder_->setEnabled(lvSongs->currentItem() != nullptr);
        listMenu_->popup(lvSongs->viewport()->mapToGlobal(at));
    });
    connect(lvSongs, &QTreeWidget::itemActivated, this, &TfrmMain::EntryActivated);
}

// Double-click and Enter edit the tags of the entry they land on alone.
void TfrmMain::EntryActivated(QTreeWidgetItem* item)
{
    if (!item)
        return;
    if (!item->isSelected() || lvSongs->selectedItems().size() != 1) {
        lvSongs->clearSelection();
        item->setSelected(true);
    }
    if (actEditTag->isEnabled())
        actEditTag->trigger();
}

void TfrmMain::OpenEntryFolder()
{
    if (const QTreeWidgetItem* item = lvSongs->currentItem())
        appui::OpenFolder(appui::SongList::PathOf(item).parent_path().string());
}
