#pragma once
// The site book's tree of groups and sites as an item model (Qt Core only):
// one column, the node text, editable in place except for the first node.
// Every node holds its image index, which tells its kind, and a record.

#include "sites/SiteInfo.h"
#include "sites/SiteOptions.h"

#include <QAbstractItemModel>

#include <memory>
#include <vector>

namespace sites {

enum SiteImage : qint32 { siGroupExpanded = 0, siGroupCollapsed = 1, siSite = 2 };

class TSiteTree;

class TSiteNode
{
public:
    QString text;
    qint32 imageIndex = siGroupCollapsed;
    qint32 selectedIndex = 0; // sites: 2; groups keep 0
    qint32 stateIndex = -1;
    qint32 overlayIndex = -1;
    qint32 data = 0; // carried through the file, no meaning
    std::unique_ptr<TSiteInfo> record; // null when the file had none for the node
    SiteOptions options; // sites only; kept beside the book (SiteOptionsFile.h)

    bool isSite() const { return imageIndex == siSite; }
    bool isGroup() const { return !isSite(); }
    TSiteNode *parent() const { return holder_ && !holder_->invisible_ ? holder_ : nullptr; } // null at top level
    int childCount() const { return int(children_.size()); }
    TSiteNode *child(int row) const { return children_[size_t(row)].get(); }
    TSiteNode *lastChild() const { return children_.empty() ? nullptr : children_.back().get(); }
    int row() const;
    bool isAncestorOf(const TSiteNode *node) const;

private:
    friend class TSiteTree;
    TSiteNode *holder_ = nullptr; // the parent, or the tree's invisible root
    bool invisible_ = false;
    std::vector<std::unique_ptr<TSiteNode>> children_;
};

class TSiteTree : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Role { ImageIndexRole = Qt::UserRole + 1 };

    explicit TSiteTree(QObject *parent = nullptr);
    ~TSiteTree() override;

    void clear();
    bool isEmpty() const { return root_.childCount() == 0; }
    int topLevelCount() const { return root_.childCount(); }
    TSiteNode *topLevel(int row) const { return root_.child(row); }
    TSiteNode *firstNode() const { return isEmpty() ? nullptr : root_.child(0); }
    // True for every node except the first top-level node.
    bool isRootNode(const TSiteNode *node) const { return node && node == firstNode(); }

    // Inserts a node under `parent` (null: top level) at `position`
    // (-1: at the end) and returns it.
    TSiteNode *insertNode(TSiteNode *parent, int position, const QString &text, qint32 imageIndex,
                          std::unique_ptr<TSiteInfo> record);
    // Removes the node with its subtree and their records.
    void removeNode(TSiteNode *node);
    // Moves `node` under `newParent` (null: top level) before `position`
    // (-1: at the end). Refused (false) for a move into its own subtree.
    bool moveNode(TSiteNode *node, TSiteNode *newParent, int position);
    void setImageIndex(TSiteNode *node, qint32 imageIndex);
    void setNodeText(TSiteNode *node, const QString &text);

    // Children of every node: groups first, then sites, each by text with
    // ASCII letters compared without regard to case.
    void sort();
    using QAbstractItemModel::sort;
    // Every record gets the name SiteID<n>, n its node's absolute index.
    void renameRecords();

    // Every node in pre-order (absolute index order).
    std::vector<TSiteNode *> nodes() const;
    int nodeCount() const;
    int absoluteIndex(const TSiteNode *node) const;

    QModelIndex indexOf(const TSiteNode *node) const;
    TSiteNode *nodeAt(const QModelIndex &index) const;

    // Sort key used by sort(): true when `a` belongs before `b`.
    static bool sortsBefore(const TSiteNode &a, const TSiteNode &b);

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    TSiteNode *container(TSiteNode *parent) { return parent ? parent : &root_; }
    QModelIndex containerIndex(const TSiteNode *container) const;

    TSiteNode root_; // invisible holder of the top-level nodes
};

} // namespace sites
