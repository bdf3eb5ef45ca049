// SPDX-License-Identifier: GPL-3.0-or-later
// Every control of the main window stays reachable in a small window and
// on a small desktop (a large scale factor): the pages scroll. The same
// tests run again at scale factor 2 on a 1600x1000 screen (see
// CMakeLists.txt). Also the standard shortcuts and pictures for a look.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidgetItem>

#include "MainWindowFixture.h"
#include "app/ui/SongList.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

class WindowLayoutTest : public MainWindowTest {
protected:
    // Shows the control's page, scrolls it into view and checks that all of
    // it lies inside the page's visible part and inside the window.
    void ExpectReachable(TfrmMain& w, QWidget* control)
    {
        SCOPED_TRACE(control->objectName().toStdString());
        QScrollArea* page = nullptr;
        for (QWidget* up = control->parentWidget(); up && !page; up = up->parentWidget())
            page = qobject_cast<QScrollArea*>(up);
        ASSERT_NE(page, nullptr);
        w.PageControl->setCurrentWidget(page);
        QApplication::processEvents();
        // The whole control, not only a text cursor inside it; once more
        // after the layout has settled at this size.
        for (int pass = 0; pass < 2; ++pass) {
            const QPoint centre = control->mapTo(page->widget(), control->rect().center());
            page->ensureVisible(centre.x(), centre.y(), control->width() / 2 + 1, control->height() / 2 + 1);
            QApplication::processEvents();
        }
        const QRect inPage(control->mapTo(page->viewport(), QPoint(0, 0)), control->size());
        EXPECT_TRUE(page->viewport()->rect().contains(inPage))
            << inPage.x() << "," << inPage.y() << " " << inPage.width() << "x" << inPage.height() << " in "
            << page->viewport()->width() << "x" << page->viewport()->height();
        const QRect inWindow(control->mapTo(&w, QPoint(0, 0)), control->size());
        EXPECT_TRUE(w.rect().contains(inWindow));
        EXPECT_TRUE(control->isVisible());
    }

    void ExpectEveryControlReachable(TfrmMain& w)
    {
        for (QWidget* control :
             std::initializer_list<QWidget*>{w.btnAddFiles, w.btnAddFolder, w.btnDelete, w.btnEditTag,
                                             w.RzMenuButton1, w.edtTargetFolder, w.cmbFormat, w.cmbConfig,
                                             w.btnConfig, w.btnConverter, w.chkAdjustVolume, w.cmbthreadPriority,
                                             w.SpinEditSimultaneousJobs, w.cmbDoEvent, w.cmbFileexist,
                                             w.rdCustomName, w.cmbPrefix, w.chkPortableNames,
                                             w.findChild<QLabel*>("lblSample")})
            ExpectReachable(w, control);
        w.PageControl->setCurrentIndex(0);
        QApplication::processEvents();
        EXPECT_GE(w.lvSongs->viewport()->height(), 60) << "the list keeps rows to see";
        const QRect status(w.StatusBar->mapTo(&w, QPoint(0, 0)), w.StatusBar->size());
        EXPECT_TRUE(w.rect().contains(status));
    }

    void Save(QWidget& widget, const QString& name)
    {
        fs::create_directories(TREMOLIX_SCREENSHOT_DIR);
        const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1");
        widget.grab().save(QString(TREMOLIX_SCREENSHOT_DIR) + "/" + name + "-scale" + scale + ".png");
    }

    void AddSomeFiles(TfrmMain& w)
    {
        fs::create_directories(home / "Music" / "A rather long folder name of an album");
        std::vector<fs::path> files;
        for (const char* name : {"01 - Opening with a long title.flac", "02 - Second.flac", "03 - Third.flac"}) {
            files.push_back(home / "Music" / "A rather long folder name of an album" / name);
            fs::copy_file(testaudio::Get("tone.flac"), files.back());
        }
        w.AddFiles(files);
        w.CurrentFormat = 0;
        w.edtTargetFolder->setText(QString::fromStdString((home / "out").string()));
        QTRY_VERIFY(!w.Entry(0)->text(appui::ColOutput).isEmpty());
    }
};

TEST_F(WindowLayoutTest, TheFirstSizeFitsTheDesktopAndKeepsEveryControlReachable)
{
    TfrmMain& w = Open();
    AddSomeFiles(w);
    const QSize desktop = w.screen()->availableGeometry().size();
    EXPECT_LE(w.width(), desktop.width());
    EXPECT_LE(w.height(), desktop.height());
    ExpectEveryControlReachable(w);
    w.PageControl->setCurrentIndex(0);
    QApplication::processEvents();
    Save(w, "main-first-size");
}

TEST_F(WindowLayoutTest, At640By480EveryControlIsReachableByScrolling)
{
    TfrmMain& w = Open();
    AddSomeFiles(w);
    EXPECT_LE(w.minimumSizeHint().width(), 640);
    EXPECT_LE(w.minimumSizeHint().height(), 480);
    w.resize(640, 480);
    QApplication::processEvents();
    ASSERT_EQ(w.size(), QSize(640, 480));
    ExpectEveryControlReachable(w);
    w.PageControl->setCurrentIndex(0);
    QApplication::processEvents();
    Save(w, "main-640x480");
    w.PageControl->setCurrentIndex(1);
    QApplication::processEvents();
    Save(w, "main-640x480-settings");
}

TEST_F(WindowLayoutTest, StandardShortcutsReachTheirActions)
{
    TfrmMain& w = Open();
    const auto shortcut = [&](const char* name) {
        const auto* action = w.findChild<QAction*>(name);
        return action ? action->shortcuts() : QList<QKeySequence>{};
    };
    EXPECT_EQ(shortcut("actAddfiles"), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_O)});
    EXPECT_EQ(shortcut("actAddfolder"), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)});
    EXPECT_TRUE(shortcut("actConvertion").contains(QKeySequence(Qt::CTRL | Qt::Key_Return)));
    EXPECT_EQ(shortcut("menuHelp"), QList<QKeySequence>{QKeySequence(Qt::Key_F1)});
    EXPECT_EQ(shortcut("actQuit"), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Q)});
    EXPECT_EQ(shortcut("actDelsel"), QList<QKeySequence>{QKeySequence(Qt::Key_Delete)});

    int runs = 0;
    w.OnConvertion = [&] { ++runs; };
    w.AddFiles({testaudio::Get("tone.mp3")});
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.edtTargetFolder->setFocus();
    QTest::keyClick(w.edtTargetFolder, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(runs, 1) << "Ctrl+Return starts from a text field too";
    QTest::keyClick(w.edtTargetFolder, Qt::Key_F1);
    ASSERT_EQ(messages.size(), 1u) << "F1 asks for the help, which this folder lacks";
    EXPECT_EQ(messages[0].text, "Can not find help file, please re-install Tremolix Audio Converter!");
    QTest::keyClick(w.lvSongs, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w.isVisible()) << "Ctrl+Q closes the window";

    TfrmMain& again = Open();
    again.AddFiles({testaudio::Get("tone.mp3")});
    again.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&again));
    again.lvSongs->setFocus();
    EXPECT_TRUE(again.lvSongs->currentIndex().isValid()) << "focus shows on a current row";
}

}  // namespace
