// SPDX-License-Identifier: GPL-3.0-or-later
// The cover box: a picture set for several kinds of file at once, read back
// by mutagen with its type and MIME type; other picture types kept; removal,
// saving to a file, and a dropped picture file.

#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QUrl>
#include <fstream>

#include "InteropTools.h"
#include "TagEditorFixture.h"
#include "tags/EditableExtras.h"

namespace fs = std::filesystem;

namespace {

fs::path MakeImage(const fs::path& file, int width, int height, Qt::GlobalColor color, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    EXPECT_TRUE(image.save(QString::fromStdString(file.string()), format));
    return file;
}

extratags::TagPicture BackCover(const fs::path& image)
{
    const std::string bytes = testaudio::ReadBytes(image);
    return {4, "image/jpeg", "", TagLib::ByteVector(bytes.data(), unsigned(bytes.size()))};
}

void Click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
}

}  // namespace

TEST_F(TagEditorTest, ACoverSetOnceReachesEveryKindAndKeepsOtherPictures)
{
    const fs::path png = MakeImage(folder / "cover.png", 120, 80, Qt::red, "PNG");
    const fs::path jpeg = MakeImage(folder / "back.jpg", 40, 40, Qt::blue, "JPG");
    const std::vector<fs::path> files = {Copy("tone.mp3", "a.mp3"), Copy("tone.flac", "b.flac"),
                                         Copy("tone.ogg", "c.ogg"), Copy("tone.m4a", "d.m4a"),
                                         Copy("tone.wma", "e.wma")};
    const fs::path& flac = files[1];
    extratags::EditableExtras back;
    back.pictures.push_back(BackCover(jpeg));
    ASSERT_EQ(extratags::WriteEditableExtras(flac, back), "");

    Tfrmtaginfo& w = Open(files, 0, true);
    EXPECT_EQ(w.lblCover->text(), "<different>");
    EXPECT_FALSE(w.btnCoverSave->isEnabled());
    ASSERT_TRUE(w.SetCoverFromFile(png));
    EXPECT_TRUE(w.lblCover->text().isEmpty());
    EXPECT_FALSE(w.lblCover->pixmap().isNull());
    EXPECT_EQ(w.lblCoverType->text(), "Front cover");
    EXPECT_EQ(w.lblCoverMime->text(), "image/png");
    EXPECT_EQ(w.lblCoverSize->text(), "120 × 80 pixels");
    EXPECT_EQ(w.Image->pixmap().size(), QSize(96, 64)) << "the summary shows the cover too";
    EXPECT_EQ(w.btnCoverSet->text(), "Replace...");
    EXPECT_TRUE(w.windowTitle().endsWith(" *"));
    fs::create_directories(TREMOLIX_SCREENSHOT_DIR);
    w.grab().save(QString(TREMOLIX_SCREENSHOT_DIR) + "/taginfo-cover.png");
    w.PageControl->setCurrentWidget(w.tsSummary);
    w.grab().save(QString(TREMOLIX_SCREENSHOT_DIR) + "/taginfo-cover-summary.png");
    EXPECT_EQ(interop::MutagenPictures(files[0]), "") << "nothing is written before Save";
    Click(w.btnSave);
    ASSERT_TRUE(messages.empty()) << messages.front().text;

    const std::string front = "3 image/png " + interop::Sha1(png) + "\n";
    for (const fs::path& file : files) {
        if (file == flac)
            continue;
        EXPECT_EQ(interop::MutagenPictures(file), front) << file;
    }
    EXPECT_EQ(interop::MutagenPictures(flac), front + "4 image/jpeg " + interop::Sha1(jpeg) + "\n");

    const fs::path saved = folder / "saved.png";
    EXPECT_TRUE(w.SaveCoverTo(saved));
    EXPECT_EQ(interop::Sha1(saved), interop::Sha1(png));

    // Removing takes the shown picture only: the FLAC file shows its back cover.
    w.RemoveCover();
    Click(w.btnOK);
    EXPECT_EQ(interop::MutagenPictures(files[0]), "");
    EXPECT_EQ(interop::MutagenPictures(files[3]), "");
    EXPECT_EQ(interop::MutagenPictures(flac), "4 image/jpeg " + interop::Sha1(jpeg) + "\n");
    EXPECT_EQ(w.Image->pixmap().size(), QSize(32, 32)) << "no common cover: the type icon";
    Tfrmtaginfo& again = Open({flac}, 0);
    EXPECT_EQ(again.lblCoverType->text(), "Back cover");
    EXPECT_EQ(again.lblCoverSize->text(), "40 × 40 pixels");
}

TEST_F(TagEditorTest, ADroppedPictureFileBecomesTheCoverAndOtherFilesAreRefused)
{
    const fs::path png = MakeImage(folder / "dropped.png", 64, 64, Qt::green, "PNG");
    const fs::path mp3 = Copy("tone.mp3", "a.mp3");
    Tfrmtaginfo& w = Open({mp3}, 0);
    EXPECT_EQ(w.btnCoverSet->text(), "Add...");
    EXPECT_FALSE(w.btnCoverRemove->isEnabled());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(png.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.lblCover, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.lblCover, &drop);
    EXPECT_EQ(w.lblCoverMime->text(), "image/png");
    EXPECT_TRUE(w.Modified);

    const fs::path text = folder / "notes.png";
    std::ofstream(text) << "not a picture";
    EXPECT_FALSE(w.SetCoverFromFile(text));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find("notes.png"), std::string::npos);
    EXPECT_EQ(w.lblCoverSize->text(), "64 × 64 pixels") << "the cover set before stays";
    Click(w.btnOK);
    EXPECT_EQ(interop::MutagenPictures(mp3), "3 image/png " + interop::Sha1(png) + "\n");
}

// A kind whose tags hold no album artist, disc or pictures offers none,
// alone; beside a kind that does, only that file gets them.
TEST_F(TagEditorTest, AKindWithoutPicturesOffersNone)
{
    const fs::path aac = Copy("tone.aac", "a.aac"), mp3 = Copy("tone.mp3", "b.mp3");
    Tfrmtaginfo& w = Open({aac}, 0);
    EXPECT_EQ(w.lblCover->text(), "No pictures in this kind of file");
    EXPECT_FALSE(w.btnCoverSet->isEnabled());
    EXPECT_TRUE(w.edtAlbumArtist->isReadOnly());
    EXPECT_FALSE(w.edtTitle->isReadOnly());

    const fs::path png = MakeImage(folder / "cover.png", 16, 16, Qt::yellow, "PNG");
    Tfrmtaginfo& both = Open({aac, mp3}, 0, true);
    EXPECT_FALSE(both.edtAlbumArtist->isReadOnly());
    ASSERT_TRUE(both.SetCoverFromFile(png));
    both.edtAlbumArtist->setText("Various");
    Click(both.btnOK);
    EXPECT_TRUE(messages.empty()) << messages.front().text;
    EXPECT_EQ(interop::MutagenPictures(mp3), "3 image/png " + interop::Sha1(png) + "\n");
    EXPECT_EQ(extratags::ReadEditableExtras(mp3).albumArtist, "Various");
}
