// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/HeaderBand.h"

#include <QPixmap>
#include <QResizeEvent>

static void RegisterTremolixResources() { Q_INIT_RESOURCE(tremolix); }

namespace appui {

void RegisterArtwork()
{
    static const bool registered = (RegisterTremolixResources(), true);
    (void)registered;
}

bool LoadImageResource(QLabel* control, const QString& name)
{
    RegisterArtwork();
    QPixmap picture(":/" + name);
    if (picture.isNull())
        return false;
    control->setPixmap(picture);
    return true;
}

HeaderBand::HeaderBand(QWidget* parent, int height, const QString& background, const QString& title)
    : QWidget(parent)
{
    setFixedHeight(height);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    Image = new QLabel(this);
    Image->setObjectName("Image");
    Image->setScaledContents(true);
    LoadImageResource(Image, background);

    ImgFont = new QLabel(this);
    ImgFont->setObjectName("ImgFont");
    ImgFont->setAttribute(Qt::WA_TranslucentBackground);
    LoadImageResource(ImgFont, title);
    ImgFont->move(16, 23);
    ImgFont->adjustSize();
}

void HeaderBand::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Image->setGeometry(rect());
}

}  // namespace appui
