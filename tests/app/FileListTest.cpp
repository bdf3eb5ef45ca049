// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItem>
#include <fstream>

#include "MainWindowFixture.h"
#include "app/FolderFiles.h"
#include "app/ui/ColorBox.h"
#include "app/ui/ProgressForm.h"
#include "app/ui/SongList.h"
#include "support/DeepFolder.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

class FileListTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        mp3 = testaudio::Get("tone.mp3");
        flac = testaudio::Get("tone.flac");
    }

    // Sends a drop of these local files to a widget, as the desktop would.
    static void Drop(QWidget* target, const std::vector<fs::path>& names)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const fs::path& name : names)
            urls << QUrl::fromLocalFile(QString::fromStdString(name.string()));
        data.setUrls(urls);
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QApplication::processEvents();
    }

    // Distinct files with the same audio: the list takes each file once.
    std::vector<fs::path> Copies(const fs::path& source, int count) const
    {
        std::vector<fs::path> copies;
        for (int i = 0; i < count; ++i) {
            copies.push_back(home / ("copy " + std::to_string(i) + source.extension().string()));
            fs::copy_file(source, copies.back(), fs::copy_options::overwrite_existing);
        }
        return copies;
    }

    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (int row = 0; row < window->EntryCount(); ++row)
            paths.push_back(window->EntryPath(row).string());
        return paths;
    }

    fs::path mp3;
    fs::path flac;
};

TEST_F(FileListTest, AddedFilesShowNameFolderAndFormatAndTheSameFileIsListedOnce)
{
    TfrmMain& w = Open();
    const fs::path dotted = mp3.parent_path() / "." / mp3.filename();
    w.AddFiles({mp3, flac, dotted, mp3});
    ASSERT_EQ(w.EntryCount(), 2);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(w.spSkippedfiles->text(), "Left out 2 files already in the list");
    const QTreeWidgetItem* first = w.Entry(0);
    EXPECT_EQ(first->text(appui::ColName).toStdString(), mp3.filename().string());
    EXPECT_EQ(first->text(appui::ColFolder).toStdString(), mp3.parent_path().string());
    EXPECT_TRUE(first->text(appui::ColInputFormat).startsWith("MP3, 44.1 kHz, stereo, "))
        << first->text(appui::ColInputFormat).toStdString();
    EXPECT_TRUE(w.Entry(1)->text(appui::ColInputFormat).startsWith("FLAC, 44.1 kHz, stereo, "));
    EXPECT_FALSE(first->text(appui::ColDuration).isEmpty());
    EXPECT_FALSE(first->text(appui::ColSize).isEmpty());
    EXPECT_EQ(first->text(appui::ColResult), " ");
    EXPECT_EQ(Paths(), (std::vector<std::string>{mp3.string(), flac.string()}));
    EXPECT_EQ(w.spPendingfiles->text(), "2 files");
    EXPECT_TRUE(w.isEnabled());
    EXPECT_TRUE(w.btnConverter->isEnabled());

    const fs::path link = home / "link.mp3";
    fs::create_symlink(mp3, link);
    w.AddFolder(home.path());
    EXPECT_EQ(w.EntryCount(), 2) << "a link to a listed file is that file";
    EXPECT_EQ(w.spSkippedfiles->text(), "Left out 1 file already in the list");
}

TEST_F(FileListTest, UnreadableFilesAreReportedTogetherAndOddNamesWork)
{
    const fs::path text = home / "notes.txt";
    std::ofstream(text) << "not audio";
    const fs::path odd = home / "-a \"quoted\" ünïcode name with a long tail of words to pass eighty chars.mp3";
    fs::copy_file(mp3, odd);
    const fs::path empty = home / "empty.mp3";
    std::ofstream{empty};
    TfrmMain& w = Open();
    w.AddFiles({text, odd, empty, home / "missing.flac"});
    EXPECT_EQ(Paths(), (std::vector<std::string>{odd.string()}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Warning");
    EXPECT_EQ(messages[0].icon, platform::BoxIcon::Warning);
    EXPECT_EQ(messages[0].text, "Files open failed:\n\n" + text.string() + "\n" + empty.string() + "\n" +
                                    (home / "missing.flac").string());
}

TEST_F(FileListTest, ADroppedFolderIsWalkedLikeAddFolder)
{
    const fs::path folder = home / "drop";
    fs::create_directories(folder / "inner");
    fs::copy_file(mp3, folder / "a.mp3");
    fs::copy_file(flac, folder / "b.flac");
    fs::copy_file(flac, folder / "inner" / "c.flac");
    std::ofstream(folder / "readme.txt") << "text";
    TfrmMain& w = Open();
    Drop(w.lvSongs->viewport(), {folder, mp3, home / "nothing-here"});
    EXPECT_EQ(Paths(), (std::vector<std::string>{(folder / "a.mp3").string(), (folder / "b.flac").string(),
                                                 (folder / "inner" / "c.flac").string(), mp3.string()}))
        << "the drop's order is kept, subfolders are entered";
    EXPECT_TRUE(messages.empty()) << "what no decoder reads inside a folder is counted, not listed";
    EXPECT_EQ(w.spSkippedfiles->text(), "Skipped 1 file no decoder reads");
}

TEST_F(FileListTest, AddFolderTakesAThreeLevelTreeInNaturalOrderAndCountsWhatItSkips)
{
    const fs::path top = home / "Music";
    fs::create_directories(top / "Band" / "Disc 10");
    fs::create_directories(top / "Band" / "Disc 2" / "empty");
    fs::create_directories(top / "band b");
    fs::copy_file(flac, top / "Band" / "Disc 2" / "track 10.flac");
    fs::copy_file(mp3, top / "Band" / "Disc 2" / "Track 2.mp3");
    fs::copy_file(flac, top / "Band" / "Disc 10" / "track 1.flac");
    fs::copy_file(mp3, top / "Band" / "intro.mp3");
    fs::copy_file(mp3, top / "band b" / "09.mp3");
    fs::copy_file(mp3, top / "0.mp3");
    std::ofstream(top / "Band" / "Disc 2" / "cover.jpg") << "not a picture either";
    std::ofstream(top / "Band" / "notes.txt") << "text";
    fs::create_directory_symlink(top, top / "Band" / "loop");

    TfrmMain& w = Open();
    w.AddFolder(top);
    EXPECT_EQ(Paths(), (std::vector<std::string>{
                           (top / "0.mp3").string(),
                           (top / "Band" / "Disc 2" / "Track 2.mp3").string(),
                           (top / "Band" / "Disc 2" / "track 10.flac").string(),
                           (top / "Band" / "Disc 10" / "track 1.flac").string(),
                           (top / "Band" / "intro.mp3").string(),
                           (top / "band b" / "09.mp3").string(),
                       }));
    EXPECT_TRUE(messages.empty()) << "no message per skipped file";
    EXPECT_EQ(w.spPendingfiles->text(), "6 files");
    EXPECT_EQ(w.spSkippedfiles->text(), "Skipped 2 files no decoder reads");

    w.AddFolder(top / "band b");
    EXPECT_EQ(w.EntryCount(), 6);
    EXPECT_EQ(w.spSkippedfiles->text(), "Left out 1 file already in the list");
    fs::create_directory(home / "Other");
    fs::copy_file(mp3, home / "Other" / "new.mp3");
    w.AddFolder(home / "Other");
    EXPECT_EQ(w.EntryCount(), 7);
    EXPECT_EQ(w.spSkippedfiles->text(), "") << "a clean folder clears the note";
    w.AddFolder(home / "no such folder");
    EXPECT_EQ(w.EntryCount(), 7);
    EXPECT_TRUE(messages.empty());
}

TEST_F(FileListTest, AFolderThatCannotBeReadIsNamedAndCountedWhileTheOthersAreAdded)
{
    const fs::path top = home / "Music";
    fs::create_directories(top / "Album");
    fs::copy_file(flac, top / "Album" / "track.flac");
    const testsupport::DeepFolder deep(top / "deep");
    TfrmMain& w = Open();
    w.AddFolder(top);
    EXPECT_EQ(Paths(), std::vector<std::string>{(top / "Album" / "track.flac").string()});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, platform::BoxIcon::Warning);
    EXPECT_EQ(messages[0].text,
              "Folders that could not be read:\n" + deep.Unlistable().string() + ": File name too long");
    EXPECT_EQ(w.spSkippedfiles->text(), "1 folder not read");

    std::ofstream(top / "notes.txt") << "text";
    w.AddFolder(top);
    EXPECT_EQ(w.spSkippedfiles->text(),
              "Left out 1 file already in the list, Skipped 1 file no decoder reads, 1 folder not read");
}

TEST_F(FileListTest, ADroppedFolderEntersInNaturalOrder)
{
    const fs::path folder = home / "album";
    fs::create_directory(folder);
    for (const char* name : {"10 ten.mp3", "9 nine.mp3", "1 one.mp3", "100.mp3"})
        fs::copy_file(mp3, folder / name);
    TfrmMain& w = Open();
    Drop(w.lvSongs->viewport(), {folder});
    EXPECT_EQ(Paths(), (std::vector<std::string>{(folder / "1 one.mp3").string(), (folder / "9 nine.mp3").string(),
                                                 (folder / "10 ten.mp3").string(), (folder / "100.mp3").string()}));
}

TEST_F(FileListTest, DeleteKeyRemovesTheSelectedEntriesOnly)
{
    TfrmMain& w = Open();
    const std::vector<fs::path> files = Copies(mp3, 4);
    w.AddFiles(files);
    w.lvSongs->setFocus();
    QTest::keyClick(w.lvSongs, Qt::Key_Delete);
    EXPECT_EQ(w.EntryCount(), 4) << "nothing selected, nothing removed";
    w.Entry(1)->setSelected(true);
    w.Entry(3)->setSelected(true);
    QTest::keyClick(w.lvSongs, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(w.EntryCount(), 4) << "only the plain key deletes";
    QTest::keyClick(w.lvSongs, Qt::Key_Delete);
    EXPECT_EQ(Paths(), (std::vector<std::string>{files[0].string(), files[2].string()}));
    EXPECT_EQ(w.spPendingfiles->text(), "2 files");
    EXPECT_FALSE(w.actDelsel->isEnabled());
}

TEST_F(FileListTest, ClickingAHeaderSortsByThatColumnAndAgainReversesIt)
{
    const fs::path folder = home / "sort";
    fs::create_directory(folder);
    const fs::path big = folder / "track 10.flac";
    const fs::path small = folder / "track 9.mp3";
    const fs::path middle = folder / "Track 1.mp3";
    fs::copy_file(flac, big);
    fs::copy_file(mp3, small);
    // Over a megabyte: "1.2 MB" sorts before "30 KB" as text.
    testaudio::MakeToneWav(folder / "wave.wav", 44100, 2, 7);
    fs::copy_file(folder / "wave.wav", middle.string() + ".wav");
    TfrmMain& w = Open();
    w.AddFiles({big, small, folder / "Track 1.mp3.wav"});
    ASSERT_EQ(w.EntryCount(), 3);
    QHeaderView* header = w.lvSongs->header();
    const auto click = [&](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    click(appui::ColName);
    EXPECT_EQ(Paths(), (std::vector<std::string>{middle.string() + ".wav", small.string(), big.string()}));
    click(appui::ColName);
    EXPECT_EQ(Paths(), (std::vector<std::string>{big.string(), small.string(), middle.string() + ".wav"}));

    click(appui::ColSize);
    std::vector<std::uintmax_t> sizes;
    for (const std::string& path : Paths())
        sizes.push_back(fs::file_size(path));
    EXPECT_TRUE(std::is_sorted(sizes.begin(), sizes.end())) << "by bytes, not by the text \"KB\" or \"MB\"";
    EXPECT_EQ(Paths().back(), middle.string() + ".wav");

    w.AddFiles({mp3});
    EXPECT_EQ(Paths().back(), mp3.string()) << "a new entry goes to the end";
}

TEST_F(FileListTest, TheResultColumnIsInViewAtTheFirstSizeAndShowsItsWholeTextAsTooltip)
{
    TfrmMain& w = Open();
    w.AddFiles({mp3});
    QApplication::processEvents();
    const QHeaderView* header = w.lvSongs->header();
    EXPECT_LE(header->sectionPosition(appui::ColResult) + header->sectionSize(appui::ColResult),
              w.lvSongs->viewport()->width());
    EXPECT_FALSE(w.lvSongs->horizontalScrollBar()->isVisible());

    EXPECT_FALSE(w.Entry(0)->data(appui::ColResult, Qt::ToolTipRole).isValid()) << "a blank cell has none";
    const QString text = "Can't write the output: no space left on device, the original was kept";
    w.Entry(0)->setText(appui::ColResult, text);
    EXPECT_EQ(w.Entry(0)->toolTip(appui::ColResult), text);
    EXPECT_EQ(w.Entry(0)->toolTip(appui::ColName), "");
}

TEST_F(FileListTest, ThePatternListOffersTheTenPlaceholders)
{
    TfrmMain& w = Open();
    QStringList items;
    for (int i = 0; i < w.cmbPrefix->count(); ++i)
        items << w.cmbPrefix->itemText(i);
    EXPECT_EQ(items, (QStringList{"%TrackNum%", "%Album%", "%Artist%", "%Year%", "%Genre%", "%Title%",
                                  "%AlbumArtist%", "%Track%", "%Disc%", "%Name%"}));
}

TEST(NaturalOrder, NumbersCompareByValueAndLettersWithoutCase)
{
    const std::vector<std::string> sorted = {"", "01", "1", "2", "9", "010", "10", "track", "Track 2", "track 2b",
                                             "track 10", "track 10.flac", "Track10", "z"};
    for (std::size_t i = 0; i + 1 < sorted.size(); ++i) {
        SCOPED_TRACE(sorted[i] + " < " + sorted[i + 1]);
        EXPECT_TRUE(app::NaturalLess(sorted[i], sorted[i + 1]));
        EXPECT_FALSE(app::NaturalLess(sorted[i + 1], sorted[i]));
    }
    EXPECT_FALSE(app::NaturalLess("same", "same"));
    EXPECT_TRUE(app::NaturalLess("99999999999999999999999", "100000000000000000000000")) << "no overflow";
    EXPECT_TRUE(app::NaturalLess("\xC3\xA9", "\xC3\xA9" "a")) << "other bytes compare as they are";
}

TEST_F(FileListTest, DropsOutsideTheListDoNothing)
{
    TfrmMain& w = Open();
    Drop(w.btnAddFiles, {mp3});
    Drop(w.spPendingfiles, {mp3});
    EXPECT_EQ(w.EntryCount(), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(FileListTest, CancelDuringAddingKeepsWhatWasAdded)
{
    TfrmMain& w = Open();
    bool windowDisabled = false;
    bool cancelUsable = false;
    QString caption;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<Tfrmprogress*>(top); progress && progress->isVisible()) {
                windowDisabled = !w.isEnabled();
                cancelUsable = progress->btnCancel->isEnabled();
                caption = progress->windowTitle();
                QTest::mouseClick(progress->btnCancel, Qt::LeftButton);
                QTest::mouseClick(progress->btnCancel, Qt::LeftButton);
            }
    });
    w.AddFiles(std::vector<fs::path>(40, mp3));
    EXPECT_TRUE(windowDisabled);
    EXPECT_TRUE(cancelUsable);
    EXPECT_EQ(caption, "Open file");
    EXPECT_GE(w.EntryCount(), 1);
    EXPECT_LT(w.EntryCount(), 40);
    EXPECT_TRUE(w.isEnabled());
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<Tfrmprogress*>(top), nullptr) << "the progress window is freed";
}

TEST_F(FileListTest, StatusPaneEditTagAndDeleteActionsFollowTheList)
{
    TfrmMain& w = Open();
    EXPECT_EQ(w.spPendingfiles->text(), "");
    EXPECT_FALSE(w.actDelall->isEnabled());
    EXPECT_FALSE(w.btnConverter->isEnabled());
    const std::vector<fs::path> files = Copies(flac, 3);
    w.AddFiles(files);
    EXPECT_FALSE(w.btnEditTag->isEnabled());
    EXPECT_FALSE(w.actDelsel->isEnabled());
    EXPECT_TRUE(w.actDelall->isEnabled());

    w.Entry(1)->setSelected(true);
    EXPECT_TRUE(w.btnEditTag->isEnabled());
    EXPECT_TRUE(w.actDelsel->isEnabled());
    EXPECT_EQ(w.spPendingfiles->text(), "3 files, 1 selected");
    w.Entry(2)->setSelected(true);
    EXPECT_TRUE(w.btnEditTag->isEnabled()) << "several entries are edited together";
    EXPECT_EQ(w.spPendingfiles->text(), "3 files, 2 selected");

    int edits = 0;
    w.OnEditTag = [&] { ++edits; };
    w.Entry(2)->setSelected(false);
    QTest::mouseClick(w.btnEditTag, Qt::LeftButton);
    EXPECT_EQ(edits, 1);

    w.actDelsel->trigger();
    EXPECT_EQ(Paths(), (std::vector<std::string>{files[0].string(), files[2].string()}));
    EXPECT_EQ(w.spPendingfiles->text(), "2 files");
    w.actDelall->trigger();
    EXPECT_EQ(w.EntryCount(), 0);
    EXPECT_EQ(w.spPendingfiles->text(), "");
    EXPECT_FALSE(w.btnConverter->isEnabled());
}

TEST_F(FileListTest, OpenDialogOffersSixteenFiltersEndingWithAllSupportedFiles)
{
    const QStringList filters = TfrmMain::OpenDialogFilters();
    ASSERT_EQ(filters.size(), 16);
    EXPECT_EQ(filters.front(), "MP3 Files(*.mp3)");
    EXPECT_EQ(filters[3], "Ogg voribs(*.ogg)");
    EXPECT_EQ(filters[14], "WMA Files(*.wma)");
    EXPECT_TRUE(filters.back().startsWith("All support files("));
    for (int i = 0; i < 15; ++i) {
        const QString pattern = filters[i].section('(', 1).chopped(1);
        EXPECT_TRUE(filters.back().contains(pattern)) << pattern.toStdString();
    }
}

// Text is antialiased: a pixel counts when it is clearly of that hue.
bool Near(const QColor& pixel, const QColor& colour)
{
    return std::abs(pixel.red() - colour.red()) < 90 && std::abs(pixel.green() - colour.green()) < 90 &&
           std::abs(pixel.blue() - colour.blue()) < 90;
}

TEST_F(FileListTest, ResultColumnIsDrawnInTheChosenColour)
{
    TfrmMain& w = Open();
    w.AddFiles({mp3});
    for (int column = 0; column < 4; ++column)
        w.lvSongs->header()->resizeSection(column, 60);
    w.Entry(0)->setText(appui::ColResult, "WWWWWWWWWWWWWWWWWWWW");
    const auto countPixels = [&](QColor colour) {
        const QRect cell = w.lvSongs->visualItemRect(w.Entry(0)).intersected(
            QRect(w.lvSongs->header()->sectionPosition(appui::ColResult), 0, 200, 10000));
        const QImage shot = w.lvSongs->viewport()->grab().toImage();
        int hits = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right() && x < shot.width(); ++x)
                hits += Near(QColor(shot.pixel(x, y)), colour);
        return hits;
    };
    EXPECT_GT(countPixels(Qt::red), 5);
    w.cmbColor->setCurrentIndex(w.cmbColor->findText("Blue"));
    EXPECT_GT(countPixels(Qt::blue), 5);
    EXPECT_EQ(countPixels(Qt::red), 0);
}

}  // namespace

TEST_F(FileListTest, CommandLineNamesAddFilesAndWholeFolderTrees)
{
    const fs::path folder = home / "album";
    fs::create_directories(folder / "Disc 2");
    fs::copy_file(mp3, folder / "01.mp3");
    fs::copy_file(flac, folder / "Disc 2" / "01.flac");
    std::ofstream(folder / "cover.txt") << "text";
    TfrmMain& w = Open();
    w.AddArguments({flac, folder, home / "missing.mp3"});
    EXPECT_EQ(Paths(), (std::vector<std::string>{flac.string(), (folder / "01.mp3").string(),
                                                 (folder / "Disc 2" / "01.flac").string()}))
        << "names keep their order; folders are walked like Add Folder";
    EXPECT_EQ(w.spSkippedfiles->text(), "Skipped 1 file no decoder reads");
    ASSERT_EQ(messages.size(), 1u) << "only the named file that is no audio is reported";
    EXPECT_EQ(messages[0].text, "Files open failed:\n\n" + (home / "missing.mp3").string());
}
