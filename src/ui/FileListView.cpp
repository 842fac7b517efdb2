#include "ui/FileListView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>

namespace ui {
namespace {

// The views hand the start of a drag to their FileListView; the default
// drag is still theirs.
class DragSourceView
{
public:
    virtual ~DragSourceView() = default;
    virtual void defaultDrag(Qt::DropActions supported) = 0;
};

class IconView : public QListView, public DragSourceView
{
public:
    explicit IconView(FileListView *owner) : QListView(owner), owner_(owner) {}
    void defaultDrag(Qt::DropActions supported) override { QListView::startDrag(supported); }

protected:
    void startDrag(Qt::DropActions supported) override { owner_->beginDrag(this, supported); }

private:
    FileListView *owner_;
};

// Type-ahead goes through the model's match(), as in the icon views, so a
// model can answer it from its own index of names.
class ReportView : public QTreeView, public DragSourceView
{
public:
    explicit ReportView(FileListView *owner) : QTreeView(owner), owner_(owner) {}
    void keyboardSearch(const QString &search) override { QAbstractItemView::keyboardSearch(search); }
    void defaultDrag(Qt::DropActions supported) override { QTreeView::startDrag(supported); }

protected:
    void startDrag(Qt::DropActions supported) override { owner_->beginDrag(this, supported); }

private:
    FileListView *owner_;
};

// Paints the drop target row as selected, framed in a darker shade of the
// selection colour so that it stands out from the selected rows too.
class DropHighlightDelegate : public QStyledItemDelegate
{
public:
    explicit DropHighlightDelegate(FileListView *owner) : QStyledItemDelegate(owner), owner_(owner) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
        if (owner_->dropHighlightRow() < 0 || index.row() != owner_->dropHighlightRow() || !view
            || index.parent() != view->rootIndex()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem marked(option);
        marked.state |= QStyle::State_Selected | QStyle::State_Active;
        QStyledItemDelegate::paint(painter, marked, index);

        const QRect r = option.rect.adjusted(0, 0, -1, -1);
        painter->save();
        painter->setPen(QPen(option.palette.color(QPalette::Active, QPalette::Highlight).darker(170), 1));
        if (const auto *tree = qobject_cast<const QTreeView *>(view)) {
            // One frame around the whole row: each cell draws its share.
            const QHeaderView *header = tree->header();
            int first = -1, last = -1;
            for (int visual = 0; visual < header->count(); ++visual) {
                const int logical = header->logicalIndex(visual);
                if (header->isSectionHidden(logical) || header->sectionSize(logical) == 0)
                    continue;
                if (first < 0)
                    first = logical;
                last = logical;
            }
            painter->drawLine(r.topLeft(), r.topRight());
            painter->drawLine(r.bottomLeft(), r.bottomRight());
            if (index.column() == first)
                painter->drawLine(r.topLeft(), r.bottomLeft());
            if (index.column() == last)
                painter->drawLine(r.topRight(), r.bottomRight());
        } else {
            painter->drawRect(r);
        }
        painter->restore();
    }

private:
    FileListView *owner_;
};

} // namespace

FileListView::FileListView(QWidget *parent) : QStackedWidget(parent)
{
    icons_ = new IconView(this);
    icons_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Whole rows, as in the report view: code that asks the shared selection
    // for its rows finds them in every style.
    icons_->setSelectionBehavior(QAbstractItemView::SelectRows);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    icons_->setUniformItemSizes(true);
    report_ = new ReportView(this);
    report_->setRootIsDecorated(false);
    report_->setItemsExpandable(false);
    report_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    report_->setSelectionBehavior(QAbstractItemView::SelectRows);
    report_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    report_->setSortingEnabled(true);
    report_->setUniformRowHeights(true);
    report_->setAlternatingRowColors(true);
    report_->header()->setStretchLastSection(true);
    report_->header()->setSortIndicatorShown(true);
    auto *delegate = new DropHighlightDelegate(this);
    icons_->setItemDelegate(delegate);
    report_->setItemDelegate(delegate);
    addWidget(icons_);
    addWidget(report_);
    connect(icons_, &QAbstractItemView::activated, this, &FileListView::activated);
    connect(report_, &QAbstractItemView::activated, this, &FileListView::activated);
    setViewStyle(vsReport);
}

void FileListView::setModel(QAbstractItemModel *model)
{
    report_->setModel(model);
    icons_->setModel(model);
    icons_->setSelectionModel(report_->selectionModel());
    report_->sortByColumn(0, Qt::AscendingOrder);
}

QAbstractItemModel *FileListView::model() const
{
    return report_->model();
}

void FileListView::setRootIndex(const QModelIndex &index)
{
    dropRow_ = -1;
    report_->setRootIndex(index);
    icons_->setRootIndex(index);
}

QAbstractItemView *FileListView::currentView() const
{
    return style_ == vsReport ? static_cast<QAbstractItemView *>(report_) : icons_;
}

QModelIndexList FileListView::selectedRowIndexes() const
{
    QModelIndexList rows;
    const QItemSelectionModel *selection = report_->selectionModel();
    QAbstractItemModel *m = model();
    if (!selection || !m)
        return rows;
    const QModelIndex root = report_->rootIndex();
    QList<int> numbers;
    for (const QModelIndex &index : selection->selectedIndexes())
        if (index.parent() == root)
            numbers.append(index.row());
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    for (int row : std::as_const(numbers))
        rows.append(m->index(row, 0, root));
    return rows;
}

void FileListView::setDragAndDrop(bool dragFrom, bool dropOnto)
{
    dragFrom_ = dragFrom;
    dropOnto_ = dropOnto;
    applyDragAndDrop();
}

// The list view resets its drag settings with every change of mode.
void FileListView::applyDragAndDrop()
{
    const bool dragFrom = dragFrom_;
    const bool dropOnto = dropOnto_;
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(icons_), static_cast<QAbstractItemView *>(report_)}) {
        view->setDragEnabled(dragFrom);
        view->setAcceptDrops(dropOnto);
        view->viewport()->setAcceptDrops(dropOnto);
        view->setDropIndicatorShown(false);
        view->setDragDropMode(dragFrom && dropOnto ? QAbstractItemView::DragDrop
                              : dragFrom           ? QAbstractItemView::DragOnly
                              : dropOnto           ? QAbstractItemView::DropOnly
                                                   : QAbstractItemView::NoDragDrop);
    }
}

void FileListView::setDropHighlightRow(int row)
{
    if (row < 0)
        row = -1;
    if (row == dropRow_)
        return;
    dropRow_ = row;
    icons_->viewport()->update();
    report_->viewport()->update();
}

void FileListView::beginDrag(QAbstractItemView *view, Qt::DropActions supported)
{
    if (auto *source = dynamic_cast<DragSourceView *>(view))
        source->defaultDrag(supported);
}

void FileListView::setViewStyle(int style)
{
    style_ = (style >= vsIcon && style <= vsReport) ? style : vsReport;
    switch (style_) {
    case vsIcon:
        icons_->setViewMode(QListView::IconMode);
        icons_->setIconSize(QSize(32, 32));
        icons_->setGridSize(QSize(88, 70));
        icons_->setWordWrap(true);
        icons_->setMovement(QListView::Static);
        break;
    case vsSmallIcon:
        icons_->setViewMode(QListView::ListMode);
        icons_->setFlow(QListView::LeftToRight);
        icons_->setWrapping(true);
        icons_->setIconSize(QSize(16, 16));
        icons_->setGridSize(QSize(150, 22));
        icons_->setWordWrap(false);
        break;
    case vsList:
        icons_->setViewMode(QListView::ListMode);
        icons_->setFlow(QListView::TopToBottom);
        icons_->setWrapping(true);
        icons_->setIconSize(QSize(16, 16));
        icons_->setGridSize(QSize(180, 20));
        icons_->setWordWrap(false);
        break;
    default:
        break;
    }
    applyDragAndDrop();
    setCurrentWidget(style_ == vsReport ? static_cast<QWidget *>(report_) : icons_);
}

} // namespace ui
