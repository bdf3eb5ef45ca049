// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of both pages under the build tree (screenshots/) for a look by
// eye, and a check that no caption or field leaves its page.

#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QTabWidget>

#include "TagEditorFixture.h"

namespace fs = std::filesystem;

namespace {

void Save(QWidget& widget, const char* name)
{
    fs::create_directories(TREMOLIX_SCREENSHOT_DIR);
    widget.grab().save(QString(TREMOLIX_SCREENSHOT_DIR) + "/" + name + ".png");
}

void ExpectWholeAndInside(QWidget& page)
{
    for (QWidget* child : page.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<QLabel*>(child);
        if (label && !label->wordWrap() && label->pixmap().isNull()) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        }
        if (child->parentWidget() == &page) {
            EXPECT_TRUE(page.rect().contains(child->geometry())) << child->objectName().toStdString();
        }
    }
}

}  // namespace

TEST_F(TagEditorTest, BothPagesArePicturedWithTheirCaptionsWhole)
{
    Tfrmtaginfo& w = Open({Copy("tone.mp3", "A song with a rather long name, to see the path wrap.mp3")}, 0);
    EXPECT_EQ(w.size(), QSize(660, 424));
    Save(w, "taginfo-info");
    ExpectWholeAndInside(*w.tsInfo);
    w.PageControl->setCurrentWidget(w.tsSummary);
    QApplication::processEvents();
    Save(w, "taginfo-summary");
    ExpectWholeAndInside(*w.tsSummary);
    for (QPushButton* button : w.findChildren<QPushButton*>())
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
}

TEST_F(TagEditorTest, AnOggFileIsPicturedWithItsFieldsThatCannotBeSaved)
{
    Tfrmtaginfo& w = Open({Copy("tone.ogg", "song.ogg")}, 0);
    Save(w, "taginfo-info-ogg");
    ExpectWholeAndInside(*w.tsInfo);
}

TEST_F(TagEditorTest, ATrackTotalIsPicturedBesideTheNumber)
{
    const fs::path flac = Copy("tone.flac", "numbered.flac");
    TTAGInfo tags;
    tags.Title = "Numbered";
    tags.Track = "300/312";
    ASSERT_EQ(WriteTagInfo(flac, tags), "");
    Tfrmtaginfo& w = Open({flac}, 0);
    Save(w, "taginfo-info-total");
    EXPECT_EQ(w.edtNumber->text(), "300");
    EXPECT_EQ(w.edtTrackTotal->text(), "312");
    for (QLineEdit* edit : {w.edtNumber, w.edtTrackTotal})
        EXPECT_LT(edit->fontMetrics().horizontalAdvance(edit->text()), edit->width() - 8);
}
