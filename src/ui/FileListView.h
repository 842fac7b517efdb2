#pragma once
// A file list with the four view styles of the file panes: large icons,
// small icons, list and report (columns). One model and one selection are
// shared by the icon/list view and the report view; the style picks which
// one is shown.

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

signals:
    void activated(const QModelIndex &index);

private:
    QListView *icons_;
    QTreeView *report_;
    int style_ = vsReport;
};

} // namespace ui
