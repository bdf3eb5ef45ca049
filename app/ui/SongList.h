// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The file list of the main window: a read-only report view of five
// columns that accepts drops of local files and folders, draws the Result
// column in a colour its owner chooses, and sorts by the column whose
// header is clicked (entries keep the order of adding until then).

#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <vector>

namespace appui {

enum SongColumn { ColFilename, ColInputFormat, ColDuration, ColSize, ColResult };

// What a Result text leaves out (the values a tag copy could not take),
// shown below it in the tooltip.
constexpr int ResultDetailRole = Qt::UserRole + 3;

// One entry. Sorting compares names in natural order and sizes by their
// bytes; the Result cell shows its whole text as tooltip, since a long
// error text does not fit the column.
class SongItem : public QTreeWidgetItem {
public:
    explicit SongItem(QTreeWidget* list) : QTreeWidgetItem(list) {}

    void SetSizeKey(qint64 bytes);
    QVariant data(int column, int role) const override;
    bool operator<(const QTreeWidgetItem& other) const override;
};

class SongList : public QTreeWidget {
    Q_OBJECT
public:
    explicit SongList(QWidget* parent);

    // Asked at every repaint of a Result cell.
    void SetResultColor(std::function<QColor()> colorSource);

    // The path an entry was added with, byte for byte.
    static std::filesystem::path PathOf(const QTreeWidgetItem* item);
    static void SetPath(QTreeWidgetItem* item, const std::filesystem::path& path);

signals:
    // Local file names of a drop, in the drop's order.
    void FilesDropped(const std::vector<std::filesystem::path>& names);
    void DeletePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace appui
