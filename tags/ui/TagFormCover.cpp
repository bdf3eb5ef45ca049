// SPDX-License-Identifier: GPL-3.0-or-later
// The cover box of the tag editor: the picture every shown file shows, and
// setting, removing and saving it.

#include <QBuffer>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <algorithm>

#include "platform/ui/MessageBox.h"
#include "tags/ui/PropertyInfo.h"
#include "tags/ui/TagForm.h"

namespace fs = std::filesystem;

using extratags::TagPicture;

namespace {

// Front covers come first, so a file shows its first picture.
const TagPicture* ShownPicture(const TEditedFile& file)
{
    return file.extras.pictures.empty() ? nullptr : &file.extras.pictures.front();
}

bool SameShown(const TagPicture* a, const TagPicture* b)
{
    return a == b || (a && b && extratags::SamePicture(*a, *b));
}

QByteArray Bytes(const TagLib::ByteVector& data)
{
    return QByteArray(data.data(), qsizetype(data.size()));
}

// Formats every tag kind takes as they are; any other image QImage reads
// goes in as PNG.
TagPicture FrontCoverOf(const QByteArray& bytes, const QImage& image)
{
    TagPicture picture;
    picture.data = TagLib::ByteVector(bytes.constData(), unsigned(bytes.size()));
    picture.mime = extratags::SniffMime(picture.data);
    if (picture.mime.empty() || picture.mime == "image/bmp") {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        picture.data = TagLib::ByteVector(png.constData(), unsigned(png.size()));
        picture.mime = "image/png";
    }
    return picture;
}

QString LocalFileOf(const QMimeData* data)
{
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

}  // namespace

void Tfrmtaginfo::ShowCover()
{
    const TagPicture* first = files_.empty() ? nullptr : ShownPicture(files_.front());
    const bool same = std::all_of(files_.begin(), files_.end(),
                                  [&](const TEditedFile& file) { return SameShown(ShownPicture(file), first); });
    const bool holds = std::any_of(files_.begin(), files_.end(), [](const TEditedFile& file) {
        return extratags::HoldsEditableExtras(file.path);
    });
    const bool any = std::any_of(files_.begin(), files_.end(), ShownPicture);
    // The summary shows the file's type icon where there is no cover.
    if (!files_.empty())
        Image->setPixmap(ShellTypeIcon(files_.front().path).pixmap(32, 32));
    lblCover->clear();
    lblCoverType->clear();
    lblCoverMime->clear();
    lblCoverSize->clear();
    if (!same) {
        lblCover->setText("<different>");
    } else if (!first) {
        lblCover->setText(holds ? "No picture" : "No pictures in this kind of file");
    } else {
        QPixmap pixmap;
        const QByteArray data = Bytes(first->data);
        if (pixmap.loadFromData(data)) {
            lblCover->setPixmap(pixmap.scaled(lblCover->contentsRect().size(), Qt::KeepAspectRatio,
                                              Qt::SmoothTransformation));
            Image->setPixmap(pixmap.scaled(Image->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
            lblCoverSize->setText(QString("%1 × %2 pixels").arg(pixmap.width()).arg(pixmap.height()));
        } else {
            lblCover->setText("Unreadable picture");
        }
        lblCoverType->setText(QString::fromStdString(extratags::PictureTypeName(first->type)));
        lblCoverMime->setText(QString::fromStdString(first->mime.empty() ? "no MIME type" : first->mime));
    }
    btnCoverSet->setText(any ? "Replace..." : "Add...");
    btnCoverSet->setEnabled(holds);
    btnCoverRemove->setEnabled(holds && any);
    btnCoverSave->setEnabled(same && first);
}

void Tfrmtaginfo::SetCover(const TagPicture& picture)
{
    for (TEditedFile& file : files_)
        if (extratags::HoldsEditableExtras(file.path))
            extratags::SetFrontCover(file.extras, picture);
    ShowCover();
    SetModified(true);
}

bool Tfrmtaginfo::SetCoverFromFile(const fs::path& image)
{
    QFile file(QFile::decodeName(image.c_str()));
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    QImage decoded;
    if (bytes.isEmpty() || !decoded.loadFromData(bytes)) {
        platform::ShowError(this, image.string() + ": not a picture that can be read");
        return false;
    }
    SetCover(FrontCoverOf(bytes, decoded));
    return true;
}

void Tfrmtaginfo::RemoveCover()
{
    for (TEditedFile& file : files_)
        if (!file.extras.pictures.empty())
            file.extras.pictures.erase(file.extras.pictures.begin());
    ShowCover();
    SetModified(true);
}

bool Tfrmtaginfo::SaveCoverTo(const fs::path& target)
{
    const TagPicture* shown = files_.empty() ? nullptr : ShownPicture(files_.front());
    QSaveFile file(QFile::decodeName(target.c_str()));
    const bool saved = shown && file.open(QIODevice::WriteOnly) &&
                       file.write(Bytes(shown->data)) == qint64(shown->data.size()) && file.commit();
    if (!saved)
        platform::ShowError(this, target.string() + ": the picture could not be saved");
    return saved;
}

void Tfrmtaginfo::ChooseCoverFile()
{
    const QString chosen = QFileDialog::getOpenFileName(
        this, "Choose a picture", QString(), "Pictures (*.jpg *.jpeg *.png *.gif *.bmp *.webp);;All files (*)");
    if (!chosen.isEmpty())
        SetCoverFromFile(QFile::encodeName(chosen).toStdString());
}

void Tfrmtaginfo::ChooseCoverTarget()
{
    const TagPicture* shown = files_.empty() ? nullptr : ShownPicture(files_.front());
    const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromStdString(shown ? shown->mime : ""));
    const QString suffix = type.preferredSuffix().isEmpty() ? "jpg" : type.preferredSuffix();
    const QString chosen = QFileDialog::getSaveFileName(this, "Save the picture", "cover." + suffix);
    if (!chosen.isEmpty())
        SaveCoverTo(QFile::encodeName(chosen).toStdString());
}

// A picture file or image dropped on the cover sets it.
bool Tfrmtaginfo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != lblCover || !btnCoverSet->isEnabled())
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::DragEnter) {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        if (!LocalFileOf(drag->mimeData()).isEmpty() || drag->mimeData()->hasImage())
            drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        if (const QString local = LocalFileOf(drop->mimeData()); !local.isEmpty()) {
            SetCoverFromFile(QFile::encodeName(local).toStdString());
        } else if (drop->mimeData()->hasImage()) {
            const QImage image = qvariant_cast<QImage>(drop->mimeData()->imageData());
            SetCover(FrontCoverOf(QByteArray(), image));
        }
        drop->acceptProposedAction();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
