// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>

namespace appui {

// An editable box for a name pattern whose list offers placeholders:
// choosing one inserts it at the cursor instead of replacing the text.
// The list opens only as a popup, so the text it interrupts is known.
class PatternBox : public QComboBox {
    Q_OBJECT
public:
    explicit PatternBox(QWidget* parent);

    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Insert(int index);

    QString typed_;
    int cursor_ = 0;
};

}  // namespace appui
