// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/SongList.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QUrl>

#include "app/FolderFiles.h"

namespace appui {
namespace {

constexpr int PathRole = Qt::UserRole + 1;
constexpr int SizeRole = Qt::UserRole + 2;

// lvSongsCustomDrawSubItem: the Result texts take the chosen colour at the
// moment they are drawn.
class ResultColumnDelegate : public QStyledItemDelegate {
public:
    ResultColumnDelegate(QObject* parent, std::function<QColor()> colorSource)
        : QStyledItemDelegate(parent), colorSource_(std::move(colorSource))
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() != ColResult || !colorSource_)
            return;
        const QColor color = colorSource_();
        option->palette.setColor(QPalette::Text, color);
        option->palette.setColor(QPalette::HighlightedText, color);
    }

private:
    std::function<QColor()> colorSource_;
};

bool HasLocalFiles(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return false;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return true;
    return false;
}

}  // namespace

void SongItem::SetSizeKey(qint64 bytes) { setData(ColSize, SizeRole, bytes); }

QVariant SongItem::data(int column, int role) const
{
    if (role == Qt::ToolTipRole && column == ColResult) {
        const QString detail = QTreeWidgetItem::data(ColResult, ResultDetailRole).toString();
        if (text(ColResult).trimmed().isEmpty())
            return QVariant();
        return detail.isEmpty() ? text(ColResult) : text(ColResult) + "\n" + detail;
    }
    return QTreeWidgetItem::data(column, role);
}

bool SongItem::operator<(const QTreeWidgetItem& other) const
{
    const int column = treeWidget() ? treeWidget()->sortColumn() : ColFilename;
    if (column == ColSize)
        return data(ColSize, SizeRole).toLongLong() < other.data(ColSize, SizeRole).toLongLong();
    return app::NaturalLess(text(column).toStdString(), other.text(column).toStdString());
}

SongList::SongList(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(5);
    setHeaderLabels({"Filename", "Input format", "Duration", "Size", "Result"});
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    // Sorting is not switched on for good: new entries still go to the end.
    header()->setSectionsClickable(true);
    // Once the indicator shows, the header itself flips it on each click.
    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
        const Qt::SortOrder order =
            header()->isSortIndicatorShown() ? header()->sortIndicatorOrder() : Qt::AscendingOrder;
        header()->setSortIndicatorShown(true);
        sortItems(column, order);
    });
}

void SongList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        emit DeletePressed();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void SongList::SetResultColor(std::function<QColor()> colorSource)
{
    setItemDelegateForColumn(ColResult, new ResultColumnDelegate(this, std::move(colorSource)));
}

std::filesystem::path SongList::PathOf(const QTreeWidgetItem* item)
{
    const QByteArray bytes = item->data(ColFilename, PathRole).toByteArray();
    return std::filesystem::path(bytes.toStdString());
}

void SongList::SetPath(QTreeWidgetItem* item, const std::filesystem::path& path)
{
    item->setData(ColFilename, PathRole, QByteArray::fromStdString(path.native()));
    item->setText(ColFilename, QString::fromStdString(path.string()));
}

void SongList::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

void SongList::dragMoveEvent(QDragMoveEvent* event)
{
    if (HasLocalFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void SongList::dropEvent(QDropEvent* event)
{
    if (!HasLocalFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    std::vector<std::filesystem::path> names;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            names.emplace_back(QFile::encodeName(url.toLocalFile()).toStdString());
    event->acceptProposedAction();
    // Adding runs its own event loop: let the drop finish first.
    QTimer::singleShot(0, this, [this, names] { emit FilesDropped(names); });
}

}  // namespace appui
