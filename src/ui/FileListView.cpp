#include "ui/FileListView.h"

#include <QHeaderView>
#include <QListView>
#include <QTreeView>

namespace ui {
namespace {

// Type-ahead goes through the model's match(), as in the icon views, so a
// model can answer it from its own index of names.
class ReportView : public QTreeView
{
public:
    using QTreeView::QTreeView;
    void keyboardSearch(const QString &search) override { QAbstractItemView::keyboardSearch(search); }
};

} // namespace

FileListView::FileListView(QWidget *parent) : QStackedWidget(parent)
{
    icons_ = new QListView(this);
    icons_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    icons_->setUniformItemSizes(true);
    report_ = new ReportView(this);
    report_->setRootIsDecorated(false);
    report_->setItemsExpandable(false);
    report_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    report_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    report_->setSortingEnabled(true);
    report_->setUniformRowHeights(true);
    report_->setAlternatingRowColors(true);
    report_->header()->setStretchLastSection(true);
    report_->header()->setSortIndicatorShown(true);
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
    report_->setRootIndex(index);
    icons_->setRootIndex(index);
}

QAbstractItemView *FileListView::currentView() const
{
    return style_ == vsReport ? static_cast<QAbstractItemView *>(report_) : icons_;
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
    setCurrentWidget(style_ == vsReport ? static_cast<QWidget *>(report_) : icons_);
}

} // namespace ui
