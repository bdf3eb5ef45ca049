// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/PatternBox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

namespace appui {

PatternBox::PatternBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::activated, this, &PatternBox::Insert);
}

void PatternBox::showPopup()
{
    typed_ = currentText();
    cursor_ = lineEdit()->hasSelectedText() ? lineEdit()->selectionStart() : lineEdit()->cursorPosition();
    // A selection is what the placeholder replaces.
    if (lineEdit()->hasSelectedText())
        typed_.remove(cursor_, lineEdit()->selectedText().size());
    QComboBox::showPopup();
}

// Stepping through the list would replace the text item by item.
void PatternBox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        showPopup();
        event->accept();
        return;
    default:
        QComboBox::keyPressEvent(event);
    }
}

void PatternBox::wheelEvent(QWheelEvent* event) { event->ignore(); }

void PatternBox::Insert(int index)
{
    const QString placeholder = itemText(index);
    const QString text = typed_.left(cursor_) + placeholder + typed_.mid(cursor_);
    setCurrentIndex(-1);
    setEditText(text);
    lineEdit()->setCursorPosition(cursor_ + int(placeholder.size()));
    typed_ = text;
    cursor_ += int(placeholder.size());
}

}  // namespace appui
