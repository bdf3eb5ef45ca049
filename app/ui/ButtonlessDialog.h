// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A modeless dialog frame without title-bar buttons that neither the frame
// nor Escape can close: the operation that shows it hides and frees it.

#include <QDialog>

namespace appui {

class ButtonlessDialog : public QDialog {
    Q_OBJECT
public:
    explicit ButtonlessDialog(QWidget* owner);

protected:
    void reject() override {}
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace appui
