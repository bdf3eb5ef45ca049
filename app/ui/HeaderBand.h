// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The white header band of the main window and the About box: a picture
// stretched over the band (Image) with the title picture over it (ImgFont).

#include <QLabel>

namespace appui {

// Makes the artwork of this library reachable under ":/" (a static library's
// resources are not registered by themselves).
void RegisterArtwork();

// Loads the embedded picture of that name into the control; false when
// the resource is missing or unreadable.
bool LoadImageResource(QLabel* control, const QString& name);

class HeaderBand : public QWidget {
    Q_OBJECT
public:
    HeaderBand(QWidget* parent, int height, const QString& background, const QString& title);

    QLabel* Image = nullptr;
    QLabel* ImgFont = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace appui
