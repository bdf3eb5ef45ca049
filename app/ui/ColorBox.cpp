// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/ColorBox.h"

#include <QPixmap>

namespace appui {
namespace {

struct NamedColor {
    const char* name;
    std::int32_t number;
};

const NamedColor StandardColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x000080}, {"Green", 0x008000},  {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080}, {"Teal", 0x808000},   {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},    {"Lime", 0x00FF00},   {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00}, {"White", 0xFFFFFF},
};

QIcon Swatch(const QColor& color)
{
    QPixmap square(14, 14);
    square.fill(color);
    return QIcon(square);
}

}  // namespace

QColor ColorOfNumber(std::int32_t number)
{
    return QColor(number & 0xFF, (number >> 8) & 0xFF, (number >> 16) & 0xFF);
}

std::int32_t NumberOfColor(const QColor& color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

ColorBox::ColorBox(QWidget* parent) : QComboBox(parent)
{
    for (const NamedColor& color : StandardColors)
        addItem(Swatch(ColorOfNumber(color.number)), color.name, color.number);
    Select(0x0000FF);
}

std::int32_t ColorBox::Selected() const
{
    return currentIndex() < 0 ? 0x0000FF : currentData().toInt();
}

QColor ColorBox::SelectedColor() const { return ColorOfNumber(Selected()); }

void ColorBox::Select(std::int32_t number)
{
    number &= 0xFFFFFF;
    int index = findData(number);
    if (index < 0) {
        addItem(Swatch(ColorOfNumber(number)), "Custom", number);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

}  // namespace appui
