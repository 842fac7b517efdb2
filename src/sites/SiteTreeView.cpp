#include "sites/SiteTreeView.h"

#include "sites/SiteTree.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

namespace sites {
namespace {

const QString DragFormat = QStringLiteral("application/x-bramblewayftp-site-node");

class SiteIconDelegate : public QStyledItemDelegate
{
public:
    explicit SiteIconDelegate(QObject *parent) : QStyledItemDelegate(parent)
    {
        const QStyle *style = QApplication::style();
        icons_[siGroupExpanded] = style->standardIcon(QStyle::SP_DirOpenIcon);
        icons_[siGroupCollapsed] = style->standardIcon(QStyle::SP_DirClosedIcon);
        icons_[siSite] = style->standardIcon(QStyle::SP_DriveNetIcon);
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const int image = index.data(TSiteTree::ImageIndexRole).toInt();
        option->icon = icons_[image >= 0 && image <= siSite ? image : siGroupCollapsed];
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = QSize(16, 16);
    }

private:
    QIcon icons_[3];
};

} // namespace

SiteTreeView::SiteTreeView(QWidget *parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("SiteTreeView"));
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemDelegate(new SiteIconDelegate(this));
    setIconSize(QSize(16, 16));
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setAutoScroll(false); // dragMoveEvent scrolls line by line near the edges
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setExpandsOnDoubleClick(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

int SiteTreeView::itemWidth(const QModelIndex &index) const
{
    const int textWidth = fontMetrics().horizontalAdvance(index.data(Qt::DisplayRole).toString());
    return iconSize().width() + 6 + textWidth + 6;
}

SiteTreeView::Hit SiteTreeView::hitTest(const QPoint &pos) const
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return Hit::Nowhere;
    const QRect rect = visualRect(index);
    if (pos.x() < rect.left())
        return Hit::Indent;
    if (pos.x() < rect.left() + itemWidth(index))
        return Hit::Item;
    return Hit::Beyond;
}

void SiteTreeView::startDrag(Qt::DropActions)
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !(model()->flags(current) & Qt::ItemIsDragEnabled))
        return;
    auto *drag = new QDrag(this);
    auto *mime = new QMimeData;
    mime->setData(DragFormat, QByteArray::number(quintptr(this)));
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
}

void SiteTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->source() == this && event->mimeData()->hasFormat(DragFormat))
        event->acceptProposedAction();
    else
        event->ignore();
}

void SiteTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->source() != this || !event->mimeData()->hasFormat(DragFormat)) {
        event->ignore();
        return;
    }
    // Near the top or bottom edge the tree scrolls one line per event.
    const int y = event->position().toPoint().y();
    if (y < ScrollMargin)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (y > viewport()->height() - ScrollMargin)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    event->acceptProposedAction();
}

void SiteTreeView::dropEvent(QDropEvent *event)
{
    if (event->source() != this || !event->mimeData()->hasFormat(DragFormat)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit dropRequested(event->position().toPoint());
}

} // namespace sites
