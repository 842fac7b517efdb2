#include "views/FtpTreeView.h"

#include "engine/FtpCache.h"
#include "platform/TextCodec.h"
#include "ui/Icons.h"
#include "ui/ShellInfo.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>

#include <cstdio>

namespace views {
namespace {

QString Decode(QByteArrayView bytes, TMFtpNameCharset charset)
{
    return DecodeRemoteName(QByteArray::fromRawData(bytes.data(), bytes.size()), charset);
}

// The server as an address writes it: an IPv6 address in brackets.
QString UrlHost(const QString &server)
{
    return server.contains(QLatin1Char(':')) && !server.startsWith(QLatin1Char('['))
               ? QLatin1Char('[') + server + QLatin1Char(']')
               : server;
}

// The address of a site without a path: user and password only for a named
// user, the port only when it is not 21.
QString SiteKey(const QString &server, quint16 port, const QString &user, const QString &password)
{
    QString key = QStringLiteral("ftp://");
    if (user.compare(QLatin1String("anonymous"), Qt::CaseInsensitive) != 0
        && user.compare(QLatin1String("ftp"), Qt::CaseInsensitive) != 0)
        key += user + QLatin1Char(':') + password + QLatin1Char('@');
    key += UrlHost(server);
    if (port != 21)
        key += QLatin1Char(':') + QString::number(port);
    return key;
}

// "/", "/pub", "/pub/sub": a leading "/", single separators, no trailing one.
QByteArray DirectoryForm(QByteArrayView path)
{
    QByteArray out("/");
    for (QByteArrayView name : QByteArray::fromRawData(path.data(), path.size()).split('/')) {
        if (name.isEmpty())
            continue;
        if (out.size() > 1)
            out += '/';
        out += name;
    }
    return out;
}

QIcon FolderNodeIcon()
{
    static const QIcon icon = [] {
        QIcon closed = ui::ShellFolderIcon();
        QIcon both;
        for (int size : {16, 32}) {
            both.addPixmap(closed.pixmap(size, size), QIcon::Normal);
            both.addPixmap(closed.pixmap(size, size), QIcon::Selected);
        }
        return both;
    }();
    return icon;
}

} // namespace

// ---- TMFtpSiteInfo ----

int TMFtpSiteInfo::IndexOf(const QString &key) const
{
    for (int i = 0; i < keys_.size(); ++i)
        if (keys_.at(i).compare(key, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TMFtpSiteInfo::AddRoot(const QString &key, QTreeWidgetItem *node)
{
    keys_.append(key);
    roots_.append(node);
}

void TMFtpSiteInfo::DeleteRoot(int index)
{
    if (index < 0 || index >= keys_.size())
        return;
    keys_.removeAt(index);
    roots_.removeAt(index);
}

void TMFtpSiteInfo::ClearRoots()
{
    for (QTreeWidgetItem *root : std::as_const(roots_)) {
        const int at = tree_->indexOfTopLevelItem(root);
        if (at < 0)
            continue;
        for (QTreeWidgetItem *n = tree_->currentNode_; n; n = n->parent())
            if (n == root)
                tree_->currentNode_ = nullptr;
        if (tree_->rootNode_ == root)
            tree_->rootNode_ = nullptr;
        delete tree_->takeTopLevelItem(at);
    }
    keys_.clear();
    roots_.clear();
}

// ---- TMFtpTreeView ----

TMFtpTreeView::TMFtpTreeView(QWidget *parent) : QTreeWidget(parent), sites_(this)
{
    setObjectName(QStringLiteral("MFtpTreeView1"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setUniformRowHeights(true);

    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        if (webStyle_ && item != currentNode_)
            NavigateTo(item);
    });
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (!webStyle_ && item != currentNode_)
            NavigateTo(item);
    });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        if (!handlersOn_ || userCollapsed_)
            return;
        setCurrentItem(item);
        if (item != currentNode_ && item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator
            && item->childCount() == 0)
            NavigateTo(item);
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this] { userCollapsed_ = true; });
    // An edited folder name keeps the encoding its bytes had.
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item) {
        const QByteArray bytes = item->data(0, NodeNameRole).toByteArray();
        const QString text = item->text(0);
        if (!item->parent() || Decode(bytes, NameCharset()) == text)
            return;
        if (client_ && client_->NameCharset() != TMFtpNameCharset::Auto)
            item->setData(0, NodeNameRole, client_->EncodeName(text));
        else
            item->setData(0, NodeNameRole, platform::isValidUtf8(bytes) ? text.toUtf8() : platform::toGbk(text));
    });
}

TMFtpTreeView::~TMFtpTreeView()
{
    Detach();
}

void TMFtpTreeView::Detach()
{
    if (!client_)
        return;
    if (infoSlot_ > 0)
        client_->RemoveInfoListener(infoSlot_);
    if (directorySlot_ > 0)
        client_->RemoveNotifyListener(notifyDirectoryChanged, directorySlot_);
    if (listingSlot_ > 0)
        client_->RemoveNotifyListener(notifyListingDone, listingSlot_);
    infoSlot_ = directorySlot_ = listingSlot_ = -1;
}

void TMFtpTreeView::SetClient(TMFtp *client)
{
    if (client == client_)
        return;
    Detach();
    client_ = client;
    if (!client) {
        sites_.ClearRoots();
        clear();
        rootNode_ = currentNode_ = nullptr;
        return;
    }
    infoSlot_ = client->AddInfoListener([this](QObject *, FtpInfo info, const QString &) { OnInfo(info); });
    directorySlot_ = client->AddNotifyListener(notifyDirectoryChanged, [this](QObject *) { OnDirectoryChanged(); });
    listingSlot_ = client->AddNotifyListener(notifyListingDone, [this](QObject *) { OnListingDone(); });
    if (rootNode_ && client->FolderList().Count() + client->FileList().Count() > 0)
        OnListingDone();
}

void TMFtpTreeView::OnInfo(FtpInfo info)
{
    if (info == infoLoggedIn)
        OnLoggedIn();
}

void TMFtpTreeView::OnLoggedIn()
{
    const QString key = SiteKey(client_->Server(), client_->Port(), client_->Username(), client_->Password());
    int index = sites_.IndexOf(key);
    if (index >= 0 && indexOfTopLevelItem(sites_.Root(index)) < 0) {
        sites_.DeleteRoot(index);
        index = -1;
    }
    if (index >= 0) {
        rootNode_ = sites_.Root(index);
    } else {
        const QByteArray address = "ftp://" + UrlHost(client_->Server()).toUtf8() + "/";
        auto *root = new QTreeWidgetItem;
        root->setData(0, NodeNameRole, address);
        root->setText(0, QString::fromUtf8(address));
        root->setIcon(0, ui::glyphIcon(ui::Glyph::Connect));
        root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        root->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        addTopLevelItem(root);
        sites_.AddRoot(key, root);
        rootNode_ = root;
        currentNode_ = root;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        PreloadFromCache("/", -1);
        QApplication::restoreOverrideCursor();
    }
    rootNode_->setExpanded(true);
    SelectPath(client_->CurrentDirectory());
    SelectCurrent();
    userCollapsed_ = false;
    handlersOn_ = true;
}

void TMFtpTreeView::OnDirectoryChanged()
{
    const QByteArray directory = client_->CurrentDirectory();
    if (directory.isEmpty() || !rootNode_)
        return;
    if (directory == "/")
        currentNode_ = rootNode_;
    else
        SelectPath(directory);
    SelectCurrent();
}

void TMFtpTreeView::OnListingDone()
{
    if (!rootNode_)
        return;
    handlersOn_ = false;
    SelectPath(client_->CurrentDirectory());
    if (!client_->FromCache() && currentNode_) {
        qDeleteAll(currentNode_->takeChildren());
        QTreeWidgetItem *listed = currentNode_;
        PreloadFromCache(NodePath(currentNode_), 2);
        currentNode_ = listed;
    }
    AddFolderNodes(client_->FolderList());
    if (currentNode_) {
        if (currentNode_->childCount() > 0) {
            currentNode_->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            if (!userCollapsed_)
                currentNode_->setExpanded(true);
        } else {
            currentNode_->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
        }
    }
    userCollapsed_ = false;
    SelectPath(client_->CurrentDirectory());
    SelectCurrent();
    handlersOn_ = true;
    if (OnGetCurrentDir)
        OnGetCurrentDir(this);
}

void TMFtpTreeView::SelectCurrent()
{
    if (currentNode_)
        setCurrentItem(currentNode_);
}

QTreeWidgetItem *TMFtpTreeView::ChildNamed(QTreeWidgetItem *parent, QByteArrayView name)
{
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->data(0, NodeNameRole).toByteArray() == name)
            return parent->child(i);
    return nullptr;
}

QTreeWidgetItem *TMFtpTreeView::AddFolderNode(QTreeWidgetItem *parent, const QByteArray &name, bool expandable)
{
    auto *node = new QTreeWidgetItem;
    node->setData(0, NodeNameRole, name);
    node->setText(0, Decode(name, NameCharset()));
    node->setIcon(0, FolderNodeIcon());
    node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    node->setChildIndicatorPolicy(expandable ? QTreeWidgetItem::ShowIndicator : QTreeWidgetItem::DontShowIndicator);
    parent->addChild(node);
    return node;
}

void TMFtpTreeView::AddFolderNodes(const TMFtpFileInfoList &folders)
{
    if (!currentNode_)
        return;
    for (int i = 0; i < folders.Count(); ++i) {
        const QByteArrayView name = folders.FileName(i);
        if (!ChildNamed(currentNode_, name))
            AddFolderNode(currentNode_, name.toByteArray(), folders.Field(fiLinkTo, i).isEmpty());
    }
}

QByteArray TMFtpTreeView::NodePath(QTreeWidgetItem *node)
{
    if (!node)
        return {};
    if (node == rootNode_)
        return node->data(0, NodeNameRole).toByteArray();
    QByteArray path = node->data(0, NodeNameRole).toByteArray() + '/';
    QTreeWidgetItem *top = node;
    for (QTreeWidgetItem *up = node->parent(); up; up = up->parent()) {
        QByteArray text = up->data(0, NodeNameRole).toByteArray();
        if (!text.endsWith('/'))
            text += '/';
        path.prepend(text);
        top = up;
    }
    if (top == node)
        path = node->data(0, NodeNameRole).toByteArray();
    if (top != rootNode_) {
        if (!top->data(0, NodeNameRole).toByteArray().startsWith("ftp://"))
            return {};
        rootNode_ = top;
    }
    return path;
}

void TMFtpTreeView::SelectPath(const QByteArray &path)
{
    if (!rootNode_)
        return;
    QTreeWidgetItem *node = rootNode_;
    for (const QByteArray &name : path.split('/')) {
        if (name.isEmpty())
            continue;
        QTreeWidgetItem *child = ChildNamed(node, name);
        node = child ? child : AddFolderNode(node, name, true);
    }
    currentNode_ = node;
}

void TMFtpTreeView::NavigateTo(QTreeWidgetItem *node)
{
    if (!node || !client_ || client_->Busy())
        return;
    QTreeWidgetItem *top = node;
    while (top->parent())
        top = top->parent();
    const QByteArray site = top->data(0, NodeNameRole).toByteArray();
    const bool connectedSite = top == rootNode_ && client_->Connected();
    const QByteArray address = NodePath(node);
    if (address.isEmpty())
        return;
    if (OpenURL) {
        OpenURL(address);
        return;
    }
    if (!connectedSite)
        return;
    client_->ChangeDirectory(DirectoryForm(QByteArrayView(address).sliced(site.size() - 1)));
}

void TMFtpTreeView::PreloadFromCache(const QByteArray &path, int depth)
{
    if (depth == 0 || !preload_ || !rootNode_)
        return;
    QByteArray directory = path;
    const QByteArray site = "ftp://" + (client_ ? UrlHost(client_->Server()).toUtf8() : QByteArray());
    if (directory.startsWith(site))
        directory = directory.mid(site.size());
    directory = DirectoryForm(directory);
    SelectPath(directory);
    if (!client_ || !currentNode_)
        return;
    QList<TCachedFolder> folders;
    if (CacheFolderFile) {
        const QString file = CacheFolderFile(directory);
        if (file.isEmpty())
            return;
        folders = ReadCachedFolders(file);
    } else {
        const QByteArray file = EngineCacheFile(directory);
        if (file.isEmpty())
            return;
        folders = ReadCachedFoldersAt(file);
    }
    QList<QByteArray> childPaths;
    for (const TCachedFolder &folder : folders) {
        if (ChildNamed(currentNode_, folder.Name))
            continue;
        AddFolderNode(currentNode_, folder.Name, !folder.IsLink);
        childPaths.append(directory == "/" ? "/" + folder.Name : directory + '/' + folder.Name);
    }
    currentNode_->setChildIndicatorPolicy(currentNode_->childCount() > 0 ? QTreeWidgetItem::ShowIndicator
                                                                         : QTreeWidgetItem::DontShowIndicator);
    for (const QByteArray &child : std::as_const(childPaths))
        PreloadFromCache(child, depth - 1);
}

QByteArray TMFtpTreeView::EngineCacheFile(const QByteArray &directory) const
{
    if (!client_ || client_->CacheFolder().isEmpty())
        return {};
    return client_->ListingCacheFile(directory, ftpcache::Folders);
}

namespace {

QList<TCachedFolder> ParseCachedFolders(const QByteArray &content)
{
    QList<QByteArray> lines = content.split('\n');
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    if (lines.size() <= 5)
        return {};
    bool ok = false;
    const qsizetype count = qMin<qsizetype>(lines.at(0).trimmed().toLongLong(&ok), (lines.size() - 1) / 8);
    QList<TCachedFolder> folders;
    for (qsizetype i = 0; ok && i < count; ++i) {
        const QByteArray &name = lines.at(1 + i * 8);
        if (name.isEmpty() || name.contains('/'))
            continue;
        folders.append({name, !lines.at(1 + i * 8 + 4).isEmpty()});
    }
    return folders;
}

constexpr qint64 MaxCacheFileBytes = 64 << 20;

} // namespace

QList<TCachedFolder> ReadCachedFolders(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ParseCachedFolders(file.read(MaxCacheFileBytes));
}

QList<TCachedFolder> ReadCachedFoldersAt(const QByteArray &nativePath)
{
    if (nativePath.isEmpty() || nativePath.contains('\0'))
        return {};
    std::FILE *f = std::fopen(nativePath.constData(), "rb");
    if (!f)
        return {};
    QByteArray content;
    char buffer[65536];
    size_t got = 0;
    while (content.size() < MaxCacheFileBytes && (got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        content.append(buffer, qsizetype(got));
    std::fclose(f);
    return ParseCachedFolders(content.left(MaxCacheFileBytes));
}

} // namespace views
