#pragma once
// A file list with the four view styles of the file panes: large icons,
// small icons, list and report (columns). One model and one selection are
// shared by the icon/list view and the report view; the style picks which
// one is shown. Every style selects whole rows.

#include <QModelIndexList>
#include <QStackedWidget>

class QAbstractItemModel;
class QAbstractItemView;
class QListView;
class QModelIndex;
class QTreeView;

namespace ui {

enum ViewStyle { vsIcon = 0, vsSmallIcon = 1, vsList = 2, vsReport = 3 };

class FileListView : public QStackedWidget
{
    Q_OBJECT
public:
    explicit FileListView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model);
    QAbstractItemModel *model() const;
    void setRootIndex(const QModelIndex &index);

    int viewStyle() const { return style_; }
    // Styles outside 0..3 are taken as report.
    void setViewStyle(int style);

    QTreeView *reportView() const { return report_; }
    QListView *iconView() const { return icons_; }
    QAbstractItemView *currentView() const;

    // The selected rows under the root as column-0 indexes, in row order
    // (a row counts when any of its cells is selected).
    QModelIndexList selectedRowIndexes() const;

    // Dragging rows out of both views, and drops onto them (their viewports
    // receive the drag events).
    void setDragAndDrop(bool dragFrom, bool dropOnto);

    // The row under the root shown as drop target (painted as selected, with
    // a frame); -1: none.
    int dropHighlightRow() const { return dropRow_; }
    void setDropHighlightRow(int row);

    // Called by both views when the user starts dragging; the default drags
    // the model's data of the selected rows.
    virtual void beginDrag(QAbstractItemView *view, Qt::DropActions supported);

signals:
    void activated(const QModelIndex &index);

private:
    void applyDragAndDrop();

    QListView *icons_;
    QTreeView *report_;
    int style_ = vsReport;
    int dropRow_ = -1;
    bool dragFrom_ = false;
    bool dropOnto_ = false;
};

} // namespace ui
