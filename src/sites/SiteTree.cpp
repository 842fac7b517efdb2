#include "sites/SiteTree.h"

#include "platform/TextCodec.h"

#include <algorithm>

namespace sites {

int TSiteNode::row() const
{
    if (!holder_)
        return -1;
    for (size_t i = 0; i < holder_->children_.size(); ++i)
        if (holder_->children_[i].get() == this)
            return int(i);
    return -1;
}

bool TSiteNode::isAncestorOf(const TSiteNode *node) const
{
    for (const TSiteNode *p = node; p; p = p->holder_)
        if (p == this)
            return true;
    return false;
}

TSiteTree::TSiteTree(QObject *parent) : QAbstractItemModel(parent)
{
    root_.invisible_ = true;
}

TSiteTree::~TSiteTree() = default;

void TSiteTree::clear()
{
    beginResetModel();
    root_.children_.clear();
    endResetModel();
}

TSiteNode *TSiteTree::insertNode(TSiteNode *parent, int position, const QString &text, qint32 imageIndex,
                                 std::unique_ptr<TSiteInfo> record)
{
    TSiteNode *holder = container(parent);
    const int count = holder->childCount();
    if (position < 0 || position > count)
        position = count;
    auto node = std::make_unique<TSiteNode>();
    node->text = text;
    node->imageIndex = imageIndex;
    if (imageIndex == siSite)
        node->selectedIndex = siSite;
    node->record = std::move(record);
    node->holder_ = holder;
    TSiteNode *raw = node.get();
    beginInsertRows(containerIndex(holder), position, position);
    holder->children_.insert(holder->children_.begin() + position, std::move(node));
    endInsertRows();
    return raw;
}

void TSiteTree::removeNode(TSiteNode *node)
{
    if (!node || !node->holder_)
        return;
    TSiteNode *holder = node->holder_;
    const int row = node->row();
    beginRemoveRows(containerIndex(holder), row, row);
    holder->children_.erase(holder->children_.begin() + row);
    endRemoveRows();
}

bool TSiteTree::moveNode(TSiteNode *node, TSiteNode *newParent, int position)
{
    if (!node || !node->holder_ || (newParent && node->isAncestorOf(newParent)))
        return false;
    TSiteNode *from = node->holder_;
    TSiteNode *to = container(newParent);
    const int row = node->row();
    const int count = to->childCount();
    if (position < 0 || position > count)
        position = count;
    if (from == to && (position == row || position == row + 1))
        return true;
    if (!beginMoveRows(containerIndex(from), row, row, containerIndex(to), position))
        return false;
    std::unique_ptr<TSiteNode> owned = std::move(from->children_[size_t(row)]);
    from->children_.erase(from->children_.begin() + row);
    if (from == to && position > row)
        --position;
    owned->holder_ = to;
    to->children_.insert(to->children_.begin() + position, std::move(owned));
    endMoveRows();
    return true;
}

void TSiteTree::setImageIndex(TSiteNode *node, qint32 imageIndex)
{
    if (!node || node->imageIndex == imageIndex)
        return;
    node->imageIndex = imageIndex;
    const QModelIndex i = indexOf(node);
    emit dataChanged(i, i, {ImageIndexRole, Qt::DecorationRole});
}

void TSiteTree::setNodeText(TSiteNode *node, const QString &text)
{
    if (!node)
        return;
    node->text = text;
    const QModelIndex i = indexOf(node);
    emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
}

namespace {

QByteArray foldedKey(const QString &text)
{
    QByteArray bytes = platform::toGbk(text);
    for (char &c : bytes)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return bytes;
}

} // namespace

bool TSiteTree::sortsBefore(const TSiteNode &a, const TSiteNode &b)
{
    if (a.isGroup() != b.isGroup())
        return a.isGroup();
    const QByteArray ka = foldedKey(a.text);
    const QByteArray kb = foldedKey(b.text);
    return std::lexicographical_compare(ka.begin(), ka.end(), kb.begin(), kb.end(),
                                        [](char x, char y) { return quint8(x) < quint8(y); });
}

void TSiteTree::sort()
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<TSiteNode *> held;
    held.reserve(size_t(before.size()));
    for (const QModelIndex &i : before)
        held.push_back(nodeAt(i));

    std::vector<TSiteNode *> pending{&root_};
    while (!pending.empty()) {
        TSiteNode *n = pending.back();
        pending.pop_back();
        std::stable_sort(n->children_.begin(), n->children_.end(),
                         [](const auto &a, const auto &b) { return sortsBefore(*a, *b); });
        for (const auto &c : n->children_)
            pending.push_back(c.get());
    }

    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype k = 0; k < before.size(); ++k)
        after.append(held[size_t(k)] ? createIndex(held[size_t(k)]->row(), before[k].column(), held[size_t(k)])
                                     : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::vector<TSiteNode *> TSiteTree::nodes() const
{
    std::vector<TSiteNode *> out;
    std::vector<const TSiteNode *> pending{&root_};
    while (!pending.empty()) {
        const TSiteNode *n = pending.back();
        pending.pop_back();
        if (n != &root_)
            out.push_back(const_cast<TSiteNode *>(n));
        for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it)
            pending.push_back(it->get());
    }
    return out;
}

int TSiteTree::nodeCount() const
{
    return int(nodes().size());
}

int TSiteTree::absoluteIndex(const TSiteNode *node) const
{
    const std::vector<TSiteNode *> all = nodes();
    const auto it = std::find(all.begin(), all.end(), node);
    return it == all.end() ? -1 : int(it - all.begin());
}

void TSiteTree::renameRecords()
{
    const std::vector<TSiteNode *> all = nodes();
    for (TSiteNode *n : all)
        if (n->record)
            n->record->Name.clear();
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i]->record)
            all[i]->record->Name = QStringLiteral("SiteID%1").arg(i);
}

QModelIndex TSiteTree::containerIndex(const TSiteNode *holder) const
{
    return holder == &root_ ? QModelIndex() : indexOf(holder);
}

QModelIndex TSiteTree::indexOf(const TSiteNode *node) const
{
    if (!node || node == &root_ || !node->holder_)
        return {};
    return createIndex(node->row(), 0, const_cast<TSiteNode *>(node));
}

TSiteNode *TSiteTree::nodeAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<TSiteNode *>(index.internalPointer());
}

QModelIndex TSiteTree::index(int row, int column, const QModelIndex &parent) const
{
    const TSiteNode *holder = parent.isValid() ? nodeAt(parent) : &root_;
    if (!holder || column != 0 || row < 0 || row >= holder->childCount())
        return {};
    return createIndex(row, 0, holder->child(row));
}

QModelIndex TSiteTree::parent(const QModelIndex &child) const
{
    const TSiteNode *n = nodeAt(child);
    return n ? containerIndex(n->holder_) : QModelIndex();
}

int TSiteTree::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    const TSiteNode *holder = parent.isValid() ? nodeAt(parent) : &root_;
    return holder ? holder->childCount() : 0;
}

int TSiteTree::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant TSiteTree::data(const QModelIndex &index, int role) const
{
    const TSiteNode *n = nodeAt(index);
    if (!n)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return n->text;
    case ImageIndexRole:
        return n->imageIndex;
    default:
        return {};
    }
}

bool TSiteTree::setData(const QModelIndex &index, const QVariant &value, int role)
{
    TSiteNode *n = nodeAt(index);
    if (!n || role != Qt::EditRole || isRootNode(n))
        return false;
    const QString text = value.toString();
    if (text.trimmed().isEmpty())
        return false;
    setNodeText(n, text);
    return true;
}

Qt::ItemFlags TSiteTree::flags(const QModelIndex &index) const
{
    const TSiteNode *n = nodeAt(index);
    if (!n)
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (!isRootNode(n))
        f |= Qt::ItemIsEditable;
    if (n->parent())
        f |= Qt::ItemIsDragEnabled;
    return f;
}

} // namespace sites
