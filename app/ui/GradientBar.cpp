// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/GradientBar.h"

#include <QProgressBar>

namespace appui {

void MakeGradientBar(QProgressBar* bar, int initialPercent)
{
    bar->setRange(0, 100);
    bar->setValue(initialPercent);
    bar->setTextVisible(true);
    bar->setStyleSheet(
        "QProgressBar { border: 1px solid #7a8ca5; border-radius: 2px; background: #f4f6f9; text-align: center; }"
        "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0,"
        " stop:0 #3c7fd1, stop:1 #7fd0f5); }");
}

}  // namespace appui
