// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The file list of the main window: a read-only report view that accepts
// drops of local files and folders, draws the Result column in a colour its
// owner chooses, sorts by the column whose header is clicked (entries keep
// the order of adding until then), keeps its columns filling its width and
// shows a cut cell's whole text as tooltip.

#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <vector>

namespace appui {

enum SongColumn { ColName, ColFolder, ColInputFormat, ColDuration, ColSize, ColOutput, ColResult, SongColumnCount };

// What a Result text leaves out (the values a tag copy could not take),
// shown below it in the tooltip.
constexpr int ResultDetailRole = Qt::UserRole + 3;
// Why the planned output is marked ("Another entry gives the same output");
// empty when it is not.
constexpr int OutputMarkRole = Qt::UserRole + 4;

// One entry. Sorting compares names in natural order and sizes by their
// bytes; the Result cell shows its whole text as tooltip, since a long
// error text does not fit the column, and a marked Output cell its reason.
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

    // Spreads the list's width over the columns in the proportions they have.
    void FillWidth();

    // Whether the cell's text is wider than the room its column gives it.
    bool IsCut(const QModelIndex& index) const;

    // The path an entry was added with, byte for byte.
    static std::filesystem::path PathOf(const QTreeWidgetItem* item);
    static void SetPath(QTreeWidgetItem* item, const std::filesystem::path& path);

signals:
    // Local file names of a drop, in the drop's order.
    void FilesDropped(const std::vector<std::filesystem::path>& names);
    void DeletePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

};

}  // namespace appui
