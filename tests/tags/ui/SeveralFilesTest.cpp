// SPDX-License-Identifier: GPL-3.0-or-later
// The editor on several files at once: common and differing values, writes
// that touch only what was typed, numbering, and the fields beyond the
// record, read back by mutagen.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "InteropTools.h"
#include "TagEditorFixture.h"
#include "tags/ui/ValueListDialog.h"

namespace fs = std::filesystem;

namespace {

TTAGInfo Read(const fs::path& file)
{
    TTAGInfo info;
    ReadTagInfo(file, info);
    return info;
}

void Click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
}

void Picture(QWidget& widget, const char* name)
{
    fs::create_directories(TREMOLIX_SCREENSHOT_DIR);
    widget.grab().save(QString(TREMOLIX_SCREENSHOT_DIR) + "/" + name + ".png");
}

}  // namespace

TEST_F(TagEditorTest, SeveralFilesWriteOnlyTheFieldTypedInto)
{
    const std::vector<fs::path> files = {Copy("tone.mp3", "a.mp3"), Copy("tone.flac", "b.flac"),
                                         Copy("tone.m4a", "c.m4a")};
    const char* const albums[] = {"One", "Two", "Three"};
    for (std::size_t i = 0; i < files.size(); ++i) {
        TTAGInfo tags;
        tags.Title = "Old";
        tags.Artist = "Same";
        tags.Album = albums[i];
        ASSERT_EQ(WriteTagInfo(files[i], tags), "");
    }
    Tfrmtaginfo& w = Open(files, 0, true);
    EXPECT_EQ(w.edtArtist->text(), "Same");
    EXPECT_EQ(w.edtAlbum->text(), "");
    EXPECT_EQ(w.edtAlbum->placeholderText(), "<different>");
    EXPECT_EQ(w.edtArtist->placeholderText(), "");
    EXPECT_EQ(w.edtFilename->text(), "3 files");
    EXPECT_EQ(w.windowTitle(), "Tag Info - 3 files");
    EXPECT_FALSE(w.btnNext->isEnabled());
    EXPECT_FALSE(w.btnPrevious->isEnabled());
    Picture(w, "taginfo-several");

    const char* const titleKeys[] = {"TIT2", "TITLE", "\xC2\xA9nam"};
    std::vector<std::string> before;
    for (std::size_t i = 0; i < files.size(); ++i)
        before.push_back(interop::MutagenDump(files[i], titleKeys[i]));
    w.edtTitle->setText("New");
    Click(w.btnSave);
    EXPECT_TRUE(messages.empty());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(interop::MutagenDump(files[i], titleKeys[i]), before[i]) << files[i];
        EXPECT_NE(interop::MutagenValues(files[i], titleKeys[i]).find("New"), std::string::npos) << files[i];
        EXPECT_EQ(Read(files[i]).Album, albums[i]);
    }

    // Typing into the differing field gives every file that value.
    w.edtAlbum->setText("Joint");
    Click(w.btnOK);
    for (const fs::path& file : files)
        EXPECT_EQ(Read(file).Album, "Joint") << file;
}

TEST_F(TagEditorTest, NumberTracksCountsTheFilesInListOrder)
{
    const std::vector<fs::path> files = {Copy("tone.mp3", "z.mp3"), Copy("tone.flac", "a.flac"),
                                         Copy("tone.mp3", "m.mp3")};
    TTAGInfo tags;
    tags.Track = "7";
    ASSERT_EQ(WriteTagInfo(files[1], tags), "");
    Tfrmtaginfo& w = Open(files, 0, true);
    EXPECT_TRUE(w.btnNumberTracks->isEnabled());
    Click(w.btnNumberTracks);
    EXPECT_EQ(w.edtNumber->placeholderText(), "<different>");
    EXPECT_EQ(w.edtTrackTotal->text(), "3");
    EXPECT_TRUE(w.windowTitle().endsWith(" *"));
    EXPECT_EQ(Read(files[1]).Track, "7") << "nothing is written before Save";
    Click(w.btnSave);
    EXPECT_EQ(Read(files[0]).Track, "1/3");
    EXPECT_EQ(Read(files[1]).Track, "2/3");
    EXPECT_EQ(Read(files[2]).Track, "3/3");
    EXPECT_NE(interop::MutagenValues(files[1], "TRACKTOTAL").find("3"), std::string::npos);
    EXPECT_NE(interop::MutagenValues(files[2], "TRCK").find("3/3"), std::string::npos);

    Tfrmtaginfo& single = Open({files[0]}, 0);
    EXPECT_FALSE(single.btnNumberTracks->isEnabled());
}

// Album artist, disc and a second artist reach each kind's own items.
TEST_F(TagEditorTest, AlbumArtistDiscAndSeveralArtistsReachEveryKind)
{
    const fs::path mp3 = Copy("tone.mp3", "a.mp3"), flac = Copy("tone.flac", "b.flac"),
                   m4a = Copy("tone.m4a", "c.m4a"), wma = Copy("tone.wma", "d.wma");
    Tfrmtaginfo& w = Open({mp3, flac, m4a, wma}, 0, true);
    w.edtAlbumArtist->setText("Various");
    w.edtDisc->setText("2");
    w.edtDiscTotal->setText("3");
    w.edtArtist->setText("Erste ; Zweite");
    Click(w.btnOK);
    EXPECT_TRUE(messages.empty()) << messages.front().text;

    const auto has = [](const fs::path& file, const char* key, const char* text) {
        const std::string values = interop::MutagenValues(file, key);
        EXPECT_NE(values.find(text), std::string::npos) << file << " " << key << ": " << values;
    };
    has(mp3, "TPE2", "Various");
    has(mp3, "TPOS", "2/3");
    has(flac, "ALBUMARTIST", "Various");
    has(flac, "DISCNUMBER", "2");
    has(flac, "DISCTOTAL", "3");
    has(m4a, "aART", "Various");
    has(m4a, "disk", "(2, 3)");
    has(wma, "WM/AlbumArtist", "Various");
    has(wma, "WM/PartOfSet", "2/3");
    // A new ID3v2.3 frame holds several values joined by "/".
    has(mp3, "TPE1", "Erste/Zweite");
    for (const fs::path& file : {flac, m4a, wma})
        EXPECT_EQ(TagValues(Read(file), TagFieldIndex(&TTAGInfo::Artist)),
                  (std::vector<std::string>{"Erste", "Zweite"})) << file;

    Tfrmtaginfo& again = Open({flac}, 0);
    EXPECT_EQ(again.edtAlbumArtist->text(), "Various");
    EXPECT_EQ(again.edtDisc->text(), "2");
    EXPECT_EQ(again.edtDiscTotal->text(), "3");
    EXPECT_EQ(again.edtArtist->text(), "Erste; Zweite");
}

// Each file that could not be written gets its own line; the others are
// written and the window stays open.
TEST_F(TagEditorTest, FailedFilesAreReportedOneLineEach)
{
    const fs::path good = Copy("tone.mp3", "good.mp3"), fake = Copy("tone.mp3", "fake.m4a"),
                   gone = Copy("tone.flac", "gone.flac");
    Tfrmtaginfo& w = Open({good, fake, gone}, 0, true);
    fs::remove(gone);
    w.edtTitle->setText("Edited");
    Click(w.btnOK);
    ASSERT_EQ(messages.size(), 1u);
    const std::string& text = messages[0].text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_EQ(text.find("good.mp3"), std::string::npos) << text;
    EXPECT_NE(text.find("fake.m4a"), std::string::npos) << text;
    EXPECT_NE(text.find("gone.flac"), std::string::npos) << text;
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.Modified);
    EXPECT_EQ(Read(good).Title, "Edited");
}

// The list dialog shows a field's values one a line and gives the edited
// lines back as the field's values.
TEST_F(TagEditorTest, SeveralValuesAreEditedOneALine)
{
    const fs::path flac = Copy("tone.flac", "a.flac");
    TTAGInfo tags;
    SetTagValues(tags, TagFieldIndex(&TTAGInfo::Artist), {"Erste", "Zweite"});
    ASSERT_EQ(WriteTagInfo(flac, tags), "");
    Tfrmtaginfo& w = Open({flac}, 0);
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TValueListDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = dialog->edtValues->toPlainText();
        dialog->edtValues->setPlainText("Erste\n  Dritte \n\n");
        Picture(*dialog, "taginfo-values");
        dialog->accept();
    });
    QTest::mouseClick(w.btnArtists, Qt::LeftButton);
    EXPECT_EQ(shown, "Erste\nZweite");
    EXPECT_EQ(w.edtArtist->text(), "Erste; Dritte");
    Click(w.btnOK);
    EXPECT_EQ(TagValues(Read(flac), TagFieldIndex(&TTAGInfo::Artist)), (std::vector<std::string>{"Erste", "Dritte"}));
}
