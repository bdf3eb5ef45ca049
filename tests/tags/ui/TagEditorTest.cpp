// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <fstream>

#include "TagEditorFixture.h"
#include "tags/TagInfo.h"
#include "tags/classes/APETag.h"
#include "tags/classes/ID3v1.h"
#include "tags/classes/ID3v2.h"

namespace fs = std::filesystem;

namespace {

std::string Bytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TTAGInfo Read(const fs::path& file)
{
    TTAGInfo info;
    ReadTagInfo(file, info);
    return info;
}

void GiveID3v1(const fs::path& file)
{
    TID3v1 tag;
    ASSERT_TRUE(tag.Load(file));
    tag.SetTitle("Old");
    ASSERT_TRUE(tag.Save(file));
}

void Click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
}

}  // namespace

TEST_F(TagEditorTest, PreviousAndNextFollowThePositionInTheList)
{
    const fs::path a = Copy("tone.mp3", "a.mp3"), b = Copy("tone.mp3", "b.mp3"), c = Copy("tone.mp3", "c.mp3");
    Tfrmtaginfo& w = Open({a, b, c}, 2);
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsInfo);
    EXPECT_EQ(w.edtFilename->text(), "c.mp3");
    EXPECT_FALSE(w.btnNext->isEnabled());
    EXPECT_TRUE(w.btnPrevious->isEnabled());
    Click(w.btnPrevious);
    Click(w.btnPrevious);
    EXPECT_EQ(w.FileIndex, 0);
    EXPECT_EQ(w.edtFilename->text(), "a.mp3");
    EXPECT_FALSE(w.btnPrevious->isEnabled());
    EXPECT_TRUE(w.btnNext->isEnabled());

    Tfrmtaginfo& single = Open({a}, 0);
    EXPECT_FALSE(single.btnNext->isEnabled());
    EXPECT_FALSE(single.btnPrevious->isEnabled());
    EXPECT_TRUE(messages.empty());
}

// Stepping away from unsaved edits asks; each answer does what it says,
// and the title marks the unsaved state.
TEST_F(TagEditorTest, NextWithUnsavedChangesAsksToSaveDiscardOrCancel)
{
    const fs::path a = Copy("tone.mp3", "a.mp3"), b = Copy("tone.mp3", "b.mp3"), c = Copy("tone.mp3", "c.mp3");
    Tfrmtaginfo& w = Open({a, b, c}, 0);
    EXPECT_EQ(w.windowTitle(), "Tag Info - a.mp3");
    const std::string before = Bytes(a);
    w.edtTitle->setText("Edited title");
    EXPECT_TRUE(w.Modified);
    EXPECT_EQ(w.windowTitle(), "Tag Info - a.mp3 *");

    unsavedAnswer = platform::BoxAnswer::Cancel;
    Click(w.btnNext);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].buttons, platform::BoxButtons::SaveDiscardCancel);
    EXPECT_NE(messages[0].text.find("a.mp3"), std::string::npos) << messages[0].text;
    EXPECT_EQ(w.FileIndex, 0);
    EXPECT_EQ(w.edtTitle->text(), "Edited title");
    EXPECT_TRUE(w.Modified);
    EXPECT_EQ(Bytes(a), before);

    unsavedAnswer = platform::BoxAnswer::Discard;
    Click(w.btnNext);
    EXPECT_EQ(w.FileIndex, 1);
    EXPECT_EQ(w.edtFilename->text(), "b.mp3");
    EXPECT_EQ(w.windowTitle(), "Tag Info - b.mp3");
    EXPECT_EQ(Bytes(a), before);

    w.edtTitle->setText("Saved title");
    unsavedAnswer = platform::BoxAnswer::Save;
    Click(w.btnNext);
    EXPECT_EQ(Read(b).Title, "Saved title");
    EXPECT_EQ(w.FileIndex, 2);
    EXPECT_FALSE(w.Modified);

    // Without edits nothing is asked; Cancel after stepping writes nothing.
    Click(w.btnPrevious);
    EXPECT_EQ(messages.size(), 3u);
    const std::string saved = Bytes(b) + Bytes(c);
    w.edtTitle->setText("Never saved");
    Click(w.btnCancel);
    EXPECT_EQ(w.result(), QDialog::Rejected);
    EXPECT_EQ(Bytes(b) + Bytes(c), saved);
}

TEST_F(TagEditorTest, SaveWritesAndKeepsTheWindowOpen)
{
    const fs::path a = Copy("tone.flac", "a.flac");
    Tfrmtaginfo& w = Open({a}, 0);
    w.edtAlbum->setText("Album");
    Click(w.btnSave);
    EXPECT_EQ(Read(a).Album, "Album");
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.Modified);
    EXPECT_EQ(w.windowTitle(), "Tag Info - a.flac");
}

TEST_F(TagEditorTest, OkWithoutEditsWritesNothing)
{
    const fs::path a = Copy("tone.mp3", "a.mp3");
    GiveID3v1(a);
    TTAGInfo tags;
    tags.Title = "Title";
    tags.Comment = "first line\r\nsecond line\r\n";
    EXPECT_EQ(WriteTagInfo(a, tags), "");
    const std::string before = Bytes(a);
    Tfrmtaginfo& w = Open({a}, 0);
    EXPECT_EQ(w.edtTitle->text(), "Title");
    EXPECT_EQ(w.edtComment->toPlainText(), "first line\nsecond line");
    Click(w.btnOK);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(Bytes(a), before);
}

TEST_F(TagEditorTest, SavedFieldsReachEveryTagOfAnMp3)
{
    const fs::path a = Copy("tone.mp3", "a.mp3");
    GiveID3v1(a);
    Tfrmtaginfo& w = Open({a}, 0);
    ASSERT_EQ(w.edtGenre->count(), 148);
    EXPECT_EQ(w.edtGenre->itemText(0), "Blues");
    EXPECT_EQ(w.edtGenre->itemText(40), "Alternative Rock");
    EXPECT_EQ(w.edtGenre->itemText(147), "SynthPop");
    w.edtGenre->setCurrentIndex(40);
    w.edtComment->setPlainText("one\ntwo");
    EXPECT_EQ(w.edtNumber->text(), "");
    Click(w.btnOK);

    TID3v1 v1;
    ASSERT_TRUE(v1.Load(a));
    EXPECT_EQ(v1.GenreID(), 255);
    EXPECT_EQ(v1.Track(), 0);
    TID3v2 v2;
    ASSERT_TRUE(v2.Load(a));
    EXPECT_EQ(v2.Genre(), "Alternative Rock");
    EXPECT_EQ(v2.TrackText(), "");
    TAPETag ape;
    ASSERT_TRUE(ape.Load(a));
    EXPECT_EQ(ape.GetItem("Genre"), "Alternative Rock");
    EXPECT_EQ(ape.GetItem("Track"), "");  // no track read, none written
    EXPECT_EQ(ape.GetItem("Comment"), "one\ntwo");
}

// Only what the user changed is written: the comment keeps its CR LF, and
// Composer and Language, which the window does not show, stay.
TEST_F(TagEditorTest, FieldsLeftAsTheyWereKeepTheirStoredForm)
{
    const fs::path flac = Copy("tone.flac", "a.flac");
    TTAGInfo tags;
    tags.Title = "Old";
    tags.Track = "5/12";
    tags.Comment = "first line\r\nsecond line\r\n";
    tags.Composer = "Composer";
    tags.Language = "deu";
    EXPECT_EQ(WriteTagInfo(flac, tags), "");
    Tfrmtaginfo& w = Open({flac}, 0);
    w.edtTitle->setText("New");
    Click(w.btnOK);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    tags.Title = "New";
    EXPECT_EQ(Read(flac), tags);

    Tfrmtaginfo& again = Open({flac}, 0);
    again.edtComment->setPlainText("just\nlines");
    EXPECT_EQ(again.edtNumber->text(), "5");
    EXPECT_EQ(again.edtTrackTotal->text(), "12");
    Click(again.btnOK);
    EXPECT_EQ(Read(flac).Comment, "just\nlines");
    EXPECT_EQ(Read(flac).Track, "5/12");
}

TEST_F(TagEditorTest, OggEncoderNameCannotBeEdited)
{
    const fs::path ogg = Copy("tone.ogg", "a.ogg");
    Tfrmtaginfo& w = Open({ogg}, 0);
    EXPECT_FALSE(w.edtEncoded->text().isEmpty());
    EXPECT_TRUE(w.edtEncoded->isReadOnly());
    EXPECT_FALSE(w.edtTitle->isReadOnly());
    const fs::path mp3 = Copy("tone.mp3", "a.mp3");
    Tfrmtaginfo& other = Open({mp3}, 0);
    EXPECT_FALSE(other.edtEncoded->isReadOnly());
}

TEST_F(TagEditorTest, AFailedWriteIsShownAndKeepsTheWindowOpen)
{
    const fs::path fake = Copy("tone.mp3", "not-mp4.m4a");
    const std::string before = Bytes(fake);
    Tfrmtaginfo& w = Open({fake}, 0);
    w.edtTitle->setText("Edited");
    Click(w.btnOK);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Error");
    EXPECT_NE(messages[0].text.find("not-mp4.m4a"), std::string::npos) << messages[0].text;
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(Bytes(fake), before);
}

TEST_F(TagEditorTest, TrackNumberAndTotalAreEditedApart)
{
    const fs::path a = Copy("tone.mp3", "a.mp3"), b = Copy("tone.mp3", "b.mp3");
    TTAGInfo tags;
    tags.Track = "5/12";
    EXPECT_EQ(WriteTagInfo(a, tags), "");
    EXPECT_EQ(WriteTagInfo(b, tags), "");
    Tfrmtaginfo& w = Open({a, b}, 0);
    w.edtTitle->setText("Edited");
    unsavedAnswer = platform::BoxAnswer::Save;
    Click(w.btnNext);
    EXPECT_EQ(Read(a).Track, "5/12");
    EXPECT_EQ(w.edtNumber->text(), "5");
    EXPECT_EQ(w.edtTrackTotal->text(), "12");
    w.edtNumber->setText("3");
    Click(w.btnSave);
    EXPECT_EQ(Read(b).Track, "3/12");
    w.edtTrackTotal->setText("");
    Click(w.btnSave);
    EXPECT_EQ(Read(b).Track, "3");
    w.edtNumber->setText("");
    Click(w.btnOK);
    EXPECT_EQ(Read(b).Track, "");
}

// A track of 300 and a second artist are shown, and stay as they are when
// only the title is edited.
TEST_F(TagEditorTest, ValuesTheFormDoesNotTouchAreKept)
{
    const fs::path flac = Copy("tone.flac", "a.flac");
    TTAGInfo tags;
    tags.Track = "300";
    SetTagValues(tags, TagFieldIndex(&TTAGInfo::Artist), {"Erste", "Zweite"});
    EXPECT_EQ(WriteTagInfo(flac, tags), "");
    Tfrmtaginfo& w = Open({flac}, 0);
    EXPECT_EQ(w.edtNumber->text(), "300");
    EXPECT_EQ(w.edtArtist->text(), "Erste; Zweite");
    w.edtTitle->setText("Edited");
    Click(w.btnOK);
    const TTAGInfo read = Read(flac);
    EXPECT_EQ(read.Track, "300");
    EXPECT_EQ(read.Title, "Edited");
    EXPECT_EQ(TagValues(read, TagFieldIndex(&TTAGInfo::Artist)), (std::vector<std::string>{"Erste", "Zweite"}));
}

TEST_F(TagEditorTest, SummaryShowsKindPropertiesAndUtcTimes)
{
    const fs::path m4a = Copy("tone.m4a", "SONG.M4A"), mp2 = Copy("tone.mp2", "song.mp2");
    const fs::path text = folder / "notes";
    std::ofstream(text) << "not audio";
    Tfrmtaginfo& w = Open({m4a, mp2, text}, 0);
    EXPECT_EQ(w.lblkind->text(), "MPEG-4/AAC");
    EXPECT_EQ(w.lblPath->text(), QString::fromStdString(m4a.string()));
    EXPECT_EQ(w.lblchannels->text(), "Stereo");
    EXPECT_EQ(w.lblsamplerate->text(), "44100Hz");
    EXPECT_TRUE(w.lblbitrate->text().endsWith("Kbps"));
    EXPECT_FALSE(w.lblduration->text().isEmpty());
    const QRegularExpression stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d$");
    EXPECT_TRUE(stamp.match(w.lbldatemodified->text()).hasMatch()) << w.lbldatemodified->text().toStdString();
    EXPECT_TRUE(stamp.match(w.lbllastaccess->text()).hasMatch());
    EXPECT_FALSE(w.Image->pixmap().isNull());
    EXPECT_TRUE(w.lblencoded->text().isEmpty());

    Click(w.btnNext);
    EXPECT_EQ(w.lblkind->text(), "");
    Click(w.btnNext);
    EXPECT_EQ(w.lblkind->text(), "");
    EXPECT_EQ(w.lblsamplerate->text(), "0Hz");
    EXPECT_EQ(w.lblbitrate->text(), "0Kbps");
    EXPECT_EQ(w.lblchannels->text(), "");
    EXPECT_EQ(w.lblsize->text(), "");
    EXPECT_TRUE(messages.empty());
}

TEST_F(TagEditorTest, SaveErrorIsShownAndOkKeepsTheWindowOpen)
{
    const fs::path flac = Copy("tone.flac", "gone.flac");
    Tfrmtaginfo& w = Open({flac}, 0);
    w.edtTitle->setText("Edited");
    fs::remove(flac);
    Click(w.btnOK);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Error");
    EXPECT_EQ(messages[0].icon, platform::BoxIcon::Error);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(fs::exists(flac));

    // Loading a file deleted meanwhile shows the error too.
    const fs::path ogg = Copy("tone.ogg", "gone.ogg");
    Tfrmtaginfo& again = Open({ogg, ogg}, 0);
    fs::remove(ogg);
    Click(again.btnNext);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(again.FileIndex, 1);
    EXPECT_FALSE(again.Modified);
}
