// SPDX-License-Identifier: GPL-3.0-or-later
// The list's planned outputs and the naming controls that feed them: marks
// for collisions and existing files, the live sample, placeholders inserted
// at the cursor, the context menu and activation, and the first start.
// Tags are written by metaflac, not by our writers.

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QHeaderView>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QTreeWidgetItem>
#include <fstream>

#include "MainWindowFixture.h"
#include "app/ui/RunController.h"
#include "app/ui/SongList.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint8_t FormatMp3 = 0;

class OutputColumnTest : public MainWindowTest {
protected:
    // A FLAC file at that place below home, with these comments.
    fs::path Flac(const std::string& place, const std::vector<std::string>& comments = {})
    {
        const fs::path file = home / place;
        fs::create_directories(file.parent_path());
        fs::copy_file(testaudio::Get("tone.flac"), file, fs::copy_options::overwrite_existing);
        std::vector<std::string> argv = {"metaflac", "--remove-all-tags"};
        for (const std::string& comment : comments)
            argv.push_back("--set-tag=" + comment);
        argv.push_back(file.string());
        EXPECT_EQ(testaudio::Run(argv), 0);
        return file;
    }

    TfrmMain& OpenForMp3()
    {
        TfrmMain& w = Open();
        w.CurrentFormat = FormatMp3;
        w.edtTargetFolder->setText(QString::fromStdString(target.string()));
        return w;
    }

    QString Output(int row) const { return window->Entry(row)->text(appui::ColOutput); }
    QString Mark(int row) const { return window->Entry(row)->data(appui::ColOutput, appui::OutputMarkRole).toString(); }
    QLabel* Sample() const { return window->findChild<QLabel*>("lblSample"); }

    fs::path target = home / "out";
};

TEST_F(OutputColumnTest, CollisionsAndExistingFilesAreMarkedAndFollowTheNaming)
{
    const fs::path a = Flac("one/song.flac", {"ARTIST=Band", "TITLE=First"});
    const fs::path b = Flac("two/song.flac", {"ARTIST=Band", "TITLE=Second"});
    const fs::path c = Flac("one/kept.flac", {"ARTIST=Band", "TITLE=Kept"});
    fs::create_directories(target);
    std::ofstream(target / "kept.mp3") << "an earlier output";
    TfrmMain& w = OpenForMp3();
    w.AddFiles({a, b, c});
    QTRY_COMPARE(Output(0), QString("song.mp3"));
    EXPECT_EQ(Output(1), "song.mp3");
    EXPECT_EQ(Mark(0), "Another entry of the list gives the same output");
    EXPECT_EQ(Mark(1), Mark(0)) << "both sides of a collision are marked";
    EXPECT_EQ(Output(2), "kept.mp3");
    EXPECT_EQ(Mark(2), "The output file exists already");
    EXPECT_FALSE(w.Entry(0)->icon(appui::ColOutput).isNull());
    EXPECT_EQ(w.Entry(0)->toolTip(appui::ColOutput), "song.mp3\nAnother entry of the list gives the same output");
    fs::create_directories(TREMOLIX_SCREENSHOT_DIR);
    w.grab().save(QString(TREMOLIX_SCREENSHOT_DIR) + "/main-output-marks.png");

    w.rdCustomName->setChecked(true);
    w.cmbPrefix->setEditText("%Artist%/%Track% %Title%");
    QTRY_COMPARE(Output(0), QString("Band/First.mp3"));
    EXPECT_EQ(Output(1), "Band/Second.mp3");
    EXPECT_EQ(Output(2), "Band/Kept.mp3");
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Mark(row), "") << row;
        EXPECT_TRUE(w.Entry(row)->icon(appui::ColOutput).isNull()) << row;
    }

    w.cmbPrefix->setEditText("../");
    QTRY_COMPARE(Mark(0), QString("The output would lie outside the target folder"));
    w.actDelall->trigger();
    QTRY_COMPARE(Sample()->text(), QString("Sample: add files to the list to see their output names here"));
}

TEST_F(OutputColumnTest, TheSampleShowsTheSelectedEntrysRealOutputWhileTyping)
{
    const fs::path untagged = Flac("in/defeat.flac");
    const fs::path tagged = Flac("in/b.flac", {"ARTIST=Band", "ALBUM=Live", "TITLE=Song", "TRACKNUMBER=6"});
    TfrmMain& w = OpenForMp3();
    w.AddFiles({untagged, tagged});
    w.rdCustomName->setChecked(true);
    w.cmbPrefix->setEditText("%Artist%/%Album%/%Track% - %Title%");
    QTRY_COMPARE(Sample()->text(), QString("Sample: \"defeat.flac\" becomes \"Unknown Artist/Unknown Album/- defeat.mp3\""));
    w.Entry(1)->setSelected(true);
    EXPECT_EQ(Sample()->text(), "Sample: \"b.flac\" becomes \"Band/Live/06 - Song.mp3\"");
    w.chkPortableNames->setChecked(true);
    w.cmbPrefix->setEditText("%Track%. ");
    QTRY_COMPARE(Sample()->text(), QString("Sample: \"b.flac\" becomes \"06. b.mp3\""));
    w.rdOriginalName->setChecked(true);
    QTRY_COMPARE(Sample()->text(), QString("Sample: \"b.flac\" becomes \"b.mp3\""));
}

TEST_F(OutputColumnTest, APlaceholderChosenFromTheListGoesInAtTheCursor)
{
    TfrmMain& w = Open();
    w.rdCustomName->setChecked(true);
    QComboBox* box = w.cmbPrefix;
    const auto choose = [&](const QString& placeholder) {
        box->showPopup();
        QAbstractItemView* list = box->view();
        const QModelIndex item = list->model()->index(box->findText(placeholder), 0);
        list->scrollTo(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
        QApplication::processEvents();
    };
    box->setEditText("Band -  (live)");
    box->lineEdit()->setCursorPosition(7);
    choose("%Title%");
    EXPECT_EQ(box->currentText(), "Band - %Title% (live)");
    EXPECT_EQ(box->lineEdit()->cursorPosition(), 14);
    choose("%Track%");
    EXPECT_EQ(box->currentText(), "Band - %Title%%Track% (live)") << "the next one follows the first";
    box->lineEdit()->setSelection(0, 4);
    choose("%Artist%");
    EXPECT_EQ(box->currentText(), "%Artist% - %Title%%Track% (live)") << "a selection is replaced";
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(box->currentText(), "%Artist% - %Title%%Track% (live)") << "arrows open the list, not replace";
    box->hidePopup();
}

TEST_F(OutputColumnTest, ContextMenuDoubleClickAndEnterActOnTheEntry)
{
    const fs::path a = Flac("in/a.flac");
    const fs::path b = Flac("elsewhere/b.flac");
    TfrmMain& w = Open();
    w.AddFiles({a, b});
    int edits = 0;
    w.OnEditTag = [&] { ++edits; };
    appui::SongList* list = w.lvSongs;
    const QPoint second = list->visualItemRect(w.Entry(1)).center();

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(edits, 1);
    w.Entry(0)->setSelected(true);
    list->setCurrentItem(w.Entry(0), 0, QItemSelectionModel::NoUpdate);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(edits, 2) << "Enter edits the current entry alone";
    EXPECT_EQ(list->selectedItems(), QList<QTreeWidgetItem*>{w.Entry(0)});

    auto* menu = w.findChild<QMenu*>("PopupMenuList");
    ASSERT_NE(menu, nullptr);
    QStringList captions;
    for (const QAction* action : menu->actions())
        captions << action->text();
    EXPECT_EQ(captions, (QStringList{"Edit Tag", "Remove", "Open folder"}));
    list->setCurrentItem(w.Entry(1));
    emit list->customContextMenuRequested(second);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    w.findChild<QAction*>("actOpenFolder")->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toLocalFile().toStdString(), b.parent_path().string());
    w.findChild<QAction*>("actRemove")->trigger();
    ASSERT_EQ(w.EntryCount(), 1);
    EXPECT_EQ(w.EntryPath(0), a);
}

TEST_F(OutputColumnTest, ACutCellShowsItsWholeTextAsTooltipAndAWholeOneNone)
{
    const fs::path file = Flac("in/a file with a name long enough to be cut in a narrow column.flac");
    TfrmMain& w = Open();
    w.AddFiles({file});
    appui::SongList* list = w.lvSongs;
    const auto tipAt = [&](int column) {
        const QRect cell = list->visualRect(list->model()->index(0, column));
        QHelpEvent help(QEvent::ToolTip, cell.center(), list->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(list->viewport(), &help);
        return QToolTip::text();
    };
    list->header()->resizeSection(appui::ColName, 60);
    EXPECT_TRUE(list->IsCut(list->model()->index(0, appui::ColName)));
    EXPECT_EQ(tipAt(appui::ColName), QString::fromStdString(file.filename().string()));
    list->header()->resizeSection(appui::ColSize, 20);
    EXPECT_EQ(tipAt(appui::ColSize), w.Entry(0)->text(appui::ColSize));
    list->header()->resizeSection(appui::ColName, 900);
    EXPECT_FALSE(list->IsCut(list->model()->index(0, appui::ColName))) << "a whole text gets no tooltip";
}

TEST_F(OutputColumnTest, AFirstStartChoosesMp3AndItsPresetAndShowsWhatCannotRun)
{
    fs::copy(testaudio::BuildProgramFolder() / "Preset", home / "Preset", fs::copy_options::recursive);
    window = std::make_unique<TfrmMain>();
    appui::RunController controller(*window, home.path());
    window->show();
    TfrmMain& w = *window;
    EXPECT_EQ(w.cmbFormat->currentText(), "MP3");
    EXPECT_EQ(w.cmbConfig->currentText(), "VBR -V 2 (standard)");
    EXPECT_EQ(w.CurrentFormat, FormatMp3);
    EXPECT_FALSE(w.CurrentOptions.empty());

    const auto* formats = qobject_cast<QStandardItemModel*>(w.cmbFormat->model());
    ASSERT_NE(formats, nullptr);
    QStringList disabled;
    for (int row = 0; row < formats->rowCount(); ++row)
        if (!formats->item(row)->isEnabled())
            disabled << formats->item(row)->text() + ": " + formats->item(row)->toolTip();
    EXPECT_EQ(disabled, QStringList{"OFR (OptimFROG Lossless Audio): No OptimFROG encoder is available on this "
                                    "platform"});
}

}  // namespace
