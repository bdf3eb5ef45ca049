// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A drop-down colour picker holding colour numbers as the settings store
// them: red in the low byte, green in the next, blue in the third.

#include <QColor>
#include <QComboBox>
#include <cstdint>

namespace appui {

QColor ColorOfNumber(std::int32_t number);
std::int32_t NumberOfColor(const QColor& color);

class ColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColorBox(QWidget* parent);

    std::int32_t Selected() const;
    QColor SelectedColor() const;
    // A colour missing from the list is added as "Custom".
    void Select(std::int32_t number);
};

}  // namespace appui
