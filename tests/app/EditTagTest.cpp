// SPDX-License-Identifier: GPL-3.0-or-later
// The Edit Tag action opens the tag editor on the whole list at the
// selected entry, or on several selected entries together.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidgetItem>

#include "MainWindowFixture.h"
#include "support/TestAudio.h"
#include "tags/ui/TagForm.h"

namespace fs = std::filesystem;

using EditTagTest = MainWindowTest;

TEST_F(EditTagTest, EditorOpensOnTheSelectedEntryOfTheWholeList)
{
    TfrmMain& w = Open();
    const fs::path mp3 = testaudio::Get("tone.mp3"), flac = testaudio::Get("tone.flac");
    const fs::path last = home / "last.mp3";
    fs::copy_file(mp3, last);
    w.AddFiles({mp3, flac, last});
    w.Entry(1)->setSelected(true);

    std::vector<fs::path> files;
    int index = -1;
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<Tfrmtaginfo*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        files = editor->FileList;
        index = editor->FileIndex;
        shown = editor->edtFilename->text();
        editor->reject();
    });
    w.actEditTag->trigger();
    EXPECT_EQ(files, (std::vector<fs::path>{mp3, flac, last}));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(shown, "tone.flac");
    EXPECT_EQ(w.EntryCount(), 3);
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<Tfrmtaginfo*>(top), nullptr) << "the editor is freed";
}

TEST_F(EditTagTest, SeveralSelectedEntriesAreEditedTogetherInListOrder)
{
    TfrmMain& w = Open();
    const fs::path mp3 = testaudio::Get("tone.mp3"), flac = testaudio::Get("tone.flac"),
                   ogg = testaudio::Get("tone.ogg");
    w.AddFiles({mp3, flac, ogg});
    w.Entry(2)->setSelected(true);
    w.Entry(0)->setSelected(true);

    std::vector<fs::path> files;
    bool together = false, stepping = true;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<Tfrmtaginfo*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        files = editor->FileList;
        together = editor->EditAll;
        stepping = editor->btnNext->isEnabled() || editor->btnPrevious->isEnabled();
        editor->reject();
    });
    w.actEditTag->trigger();
    EXPECT_EQ(files, (std::vector<fs::path>{mp3, ogg}));
    EXPECT_TRUE(together);
    EXPECT_FALSE(stepping);
}
