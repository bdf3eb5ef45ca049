// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/SongList.h"

#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <algorithm>

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
    if (role == Qt::ToolTipRole && column == ColOutput) {
        const QString mark = QTreeWidgetItem::data(ColOutput, OutputMarkRole).toString();
        if (mark.isEmpty())
            return QVariant();
        // A refused output shows its reason as its text already.
        return text(ColOutput) == mark ? mark : text(ColOutput) + "\n" + mark;
    }
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
    const int column = treeWidget() ? treeWidget()->sortColumn() : ColName;
    if (column == ColSize)
        return data(ColSize, SizeRole).toLongLong() < other.data(ColSize, SizeRole).toLongLong();
    return app::NaturalLess(text(column).toStdString(), other.text(column).toStdString());
}

SongList::SongList(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(SongColumnCount);
    setHeaderLabels({"Name", "Folder", "Input format", "Duration", "Size", "Output", "Result"});
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

void SongList::FillWidth()
{
    const int width = viewport()->width();
    QHeaderView* columns = header();
    const int count = columns->count();
    int total = 0;
    for (int column = 0; column < count; ++column)
        total += columns->sectionSize(column);
    if (count == 0 || total <= 0 || width <= 0 || total == width)
        return;
    // The last column takes what rounding leaves, so the sum is exact.
    int used = 0;
    for (int column = 0; column + 1 < count; ++column) {
        const int size = std::max(columns->minimumSectionSize(),
                                  int(qint64(columns->sectionSize(column)) * width / total));
        columns->resizeSection(column, size);
        used += size;
    }
    columns->resizeSection(count - 1, std::max(columns->minimumSectionSize(), width - used));
}

void SongList::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    FillWidth();
}

// Focus shows on the current row: give the list one when it has none.
void SongList::focusInEvent(QFocusEvent* event)
{
    if (!currentIndex().isValid() && topLevelItemCount() > 0)
        selectionModel()->setCurrentIndex(model()->index(0, 0), QItemSelectionModel::NoUpdate);
    QTreeWidget::focusInEvent(event);
}

bool SongList::IsCut(const QModelIndex& index) const
{
    const QString text = index.data().toString();
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    const int icon = index.data(Qt::DecorationRole).isNull() ? 0 : iconSize().width() + margins;
    return fontMetrics().horizontalAdvance(text) + margins + icon > visualRect(index).width();
}

bool SongList::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        if (index.isValid() && index.data(Qt::ToolTipRole).isNull()) {
            if (IsCut(index))
                QToolTip::showText(help->globalPos(), index.data().toString(), viewport(), visualRect(index));
            else
                QToolTip::hideText();
            return true;
        }
    }
    return QTreeWidget::viewportEvent(event);
}

void SongList::SetResultColor(std::function<QColor()> colorSource)
{
    setItemDelegateForColumn(ColResult, new ResultColumnDelegate(this, std::move(colorSource)));
}

std::filesystem::path SongList::PathOf(const QTreeWidgetItem* item)
{
    const QByteArray bytes = item->data(ColName, PathRole).toByteArray();
    return std::filesystem::path(bytes.toStdString());
}

void SongList::SetPath(QTreeWidgetItem* item, const std::filesystem::path& path)
{
    item->setData(ColName, PathRole, QByteArray::fromStdString(path.native()));
    item->setText(ColName, QString::fromStdString(path.filename().string()));
    item->setText(ColFolder, QString::fromStdString(path.parent_path().string()));
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
