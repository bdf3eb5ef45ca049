#pragma once

// The file list of the main window: a read-only report view of five
// columns that accepts drops of local files and folders and draws the
// Result column in a colour its owner chooses.

#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <vector>

namespace appui {

enum SongColumn { ColFilename, ColInputFormat, ColDuration, ColSize, ColResult };

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

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace appui
