// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/ButtonlessDialog.h"

#include <QCloseEvent>

namespace appui {

ButtonlessDialog::ButtonlessDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setModal(false);
}

void ButtonlessDialog::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace appui
