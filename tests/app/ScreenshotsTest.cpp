// SPDX-License-Identifier: GPL-3.0-or-later
// Writes pictures of every window under the build tree (screenshots/) for a
// look by eye, and checks that no caption is cut short.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTreeWidgetItem>
#include <fstream>

#include "MainWindowFixture.h"
#include "app/ui/AboutForm.h"
#include "app/ui/EncProgressForm.h"
#include "app/ui/ProgressForm.h"
#include "app/ui/SongList.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

void Save(QWidget& widget, const char* name)
{
    fs::create_directories(TREMOLIX_SCREENSHOT_DIR);
    widget.grab().save(QString(TREMOLIX_SCREENSHOT_DIR) + "/" + name + ".png");
}

// Every visible button and label is at least as wide as its text wants.
void ExpectNothingClipped(QWidget& top)
{
    for (QWidget* child : top.findChildren<QWidget*>()) {
        if (!child->isVisibleTo(&top))
            continue;
        const auto* button = qobject_cast<QAbstractButton*>(child);
        const bool texted = (button && !button->text().isEmpty()) ||
                            (qobject_cast<QLabel*>(child) && !qobject_cast<QLabel*>(child)->wordWrap() &&
                             qobject_cast<QLabel*>(child)->pixmap().isNull());
        if (!texted)
            continue;
        EXPECT_GE(child->width(), child->minimumSizeHint().width())
            << top.objectName().toStdString() << ": " << child->metaObject()->className() << " "
            << child->objectName().toStdString();
    }
}

using ScreenshotsTest = MainWindowTest;

TEST_F(ScreenshotsTest, EveryWindowIsPicturedWithItsCaptionsWhole)
{
    TfrmMain& w = Open();
    w.AddFiles({testaudio::Get("tone.mp3"), testaudio::Get("tone.flac")});
    // A folder with a cover beside the audio, so the skip count shows too.
    fs::create_directories(home / "album");
    fs::copy_file(testaudio::Get("tone.ogg"), home / "album" / "01 intro.ogg");
    std::ofstream(home / "album" / "cover.jpg") << "no picture";
    w.AddFolder(home / "album");
    w.Entry(0)->setText(appui::ColResult, "Can't write the output file: no space left on device");
    QApplication::processEvents();
    EXPECT_EQ(w.centralWidget()->size().width(), 715);
    Save(w, "main-converter");
    ExpectNothingClipped(w);
    // The format box open, every format's name whole in its list.
    w.cmbFormat->showPopup();
    QApplication::processEvents();
    Save(*w.cmbFormat->view(), "main-format-list");
    EXPECT_GE(w.cmbFormat->view()->width(), w.cmbFormat->view()->sizeHintForColumn(0));
    w.cmbFormat->hidePopup();
    w.PageControl->setCurrentWidget(w.tsSettings);
    QApplication::processEvents();
    Save(w, "main-settings");
    ExpectNothingClipped(w);

    TfrmAbout about(&w);
    about.show();
    Save(about, "about");
    ExpectNothingClipped(about);

    TfrmEncProgress run(&w);
    run.SetTips("Converting /home/user/Music/Some rather long folder name/01 - A song with a long title.flac");
    run.SetPercent(64);
    run.show();
    run.TimerTimer();
    Save(run, "encprogress");
    ExpectNothingClipped(run);

    Tfrmprogress adding(&w);
    adding.setWindowTitle("Open file");
    adding.SetPrompt("/home/user/Music/album/track.mp3");
    adding.show();
    Save(adding, "progress");
    ExpectNothingClipped(adding);
}

}  // namespace
