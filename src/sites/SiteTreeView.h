#pragma once
// The site manager's tree: icons by image index, dragging of nodes within
// the tree, and the hit test that decides where a dropped node goes.

#include <QTreeView>

namespace sites {

class TSiteTree;

class SiteTreeView : public QTreeView
{
    Q_OBJECT
public:
    // Where a point lies relative to the row's item.
    enum class Hit { Nowhere, Indent, Item, Beyond };
    static constexpr int ScrollMargin = 14;

    explicit SiteTreeView(QWidget *parent = nullptr);

    Hit hitTest(const QPoint &pos) const;
    // Pixels of the item at `index`: icon and text.
    int itemWidth(const QModelIndex &index) const;

signals:
    void dropRequested(const QPoint &pos);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

} // namespace sites
