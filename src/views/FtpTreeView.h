#pragma once
// TMFtpTreeView: the remote folders of every site visited until the owner
// clears them (SiteInfo().ClearRoots()), one root per site ("ftp://" +
// server + "/") with folder nodes below. Bound to one engine, it follows its
// current directory, merges each listing's folders, pre-fills folders from
// the engine's listing cache and navigates when the user picks a node. Node
// names are the server's bytes (NodeNameRole), shown decoded.

#include "engine/TMFtp.h"

#include <QPointer>
#include <QStringList>
#include <QTreeWidget>

#include <functional>

namespace views {

class TMFtpTreeView;

// The registry of site roots: site keys and their root nodes.
class TMFtpSiteInfo
{
public:
    explicit TMFtpSiteInfo(TMFtpTreeView *tree) : tree_(tree) {}

    int Count() const { return int(keys_.size()); }
    QString Key(int index) const { return keys_.value(index); }
    QTreeWidgetItem *Root(int index) const { return roots_.value(index); }
    // Index of a key compared ignoring case; -1 when absent.
    int IndexOf(const QString &key) const;
    void AddRoot(const QString &key, QTreeWidgetItem *node);
    // Forgets one entry (the node stays in the tree).
    void DeleteRoot(int index);
    // Deletes every registered root with its folders and empties the registry.
    void ClearRoots();

private:
    TMFtpTreeView *tree_;
    QStringList keys_;
    QList<QTreeWidgetItem *> roots_;
};

class TMFtpTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    // The node's name as the server sent it (for a root: its address).
    static constexpr int NodeNameRole = Qt::UserRole + 1;

    explicit TMFtpTreeView(QWidget *parent = nullptr);
    ~TMFtpTreeView() override;

    TMFtp *Client() const { return client_; }
    // The bound engine's character set for names (automatic without one).
    TMFtpNameCharset NameCharset() const { return client_ ? client_->NameCharset() : TMFtpNameCharset::Auto; }
    void SetClient(TMFtp *client);
    bool Preload() const { return preload_; }
    void SetPreload(bool on) { preload_ = on; }
    // True: a single click navigates; false: a double click.
    bool WebStyle() const { return webStyle_; }
    void SetWebStyle(bool on) { webStyle_ = on; }
    TMFtpSiteInfo &SiteInfo() { return sites_; }

    // Where the folder-list cache file of a directory of the connected site
    // lies; empty when there is none. Unset: the engine's own cache file
    // (its CacheFolder, Server, Port and Username).
    std::function<QString(const QByteArray &directory)> CacheFolderFile;
    // The engine's folder-list cache file of a directory, as a native path
    // (the server's bytes of the folder name are part of it).
    QByteArray EngineCacheFile(const QByteArray &directory) const;
    // Opens an ftp:// address (another site's folders need a new login). Until
    // it is set, nodes of the connected site are entered with ChangeDirectory
    // and nodes of other sites only get selected.
    std::function<void(const QByteArray &address)> OpenURL;
    // Raised after a listing has been merged into the tree.
    TNotifyEvent OnGetCurrentDir;

    QTreeWidgetItem *RootNode() const { return rootNode_; }
    QTreeWidgetItem *CurrentNode() const { return currentNode_; }
    bool UserCollapsed() const { return userCollapsed_; }

    // The ftp:// address of a node: "ftp://server/pub/sub/"; empty for none
    // or for a node whose top ancestor is no site root.
    QByteArray NodePath(QTreeWidgetItem *node);
    // Walks from the root along the names of Path, adding missing folders;
    // the node reached becomes the current node.
    void SelectPath(const QByteArray &path);
    // Navigates to a node as a click would (nothing while the engine is busy).
    void NavigateTo(QTreeWidgetItem *node);
    // Pre-fills folders below Path from the cache, Depth levels (-1: all).
    void PreloadFromCache(const QByteArray &path, int depth);

private:
    friend class TMFtpSiteInfo;
    void OnInfo(FtpInfo info);
    void OnLoggedIn();
    void OnDirectoryChanged();
    void OnListingDone();
    void AddFolderNodes(const TMFtpFileInfoList &folders);
    QTreeWidgetItem *AddFolderNode(QTreeWidgetItem *parent, const QByteArray &name, bool expandable);
    static QTreeWidgetItem *ChildNamed(QTreeWidgetItem *parent, QByteArrayView name);
    void SelectCurrent();
    void Detach();

    QPointer<TMFtp> client_;
    int infoSlot_ = -1;
    int directorySlot_ = -1;
    int listingSlot_ = -1;
    bool preload_ = true;
    bool webStyle_ = false;
    bool handlersOn_ = false;
    bool userCollapsed_ = false;
    QTreeWidgetItem *rootNode_ = nullptr;
    QTreeWidgetItem *currentNode_ = nullptr;
    TMFtpSiteInfo sites_;
};

// The folders a folder-list cache file names: a count line, then eight lines
// per entry (name, attributes, date, size, link, owner, group, description).
// Each folder comes with whether it is a link. A missing or short file gives
// nothing; a count beyond the lines present is cut to them.
struct TCachedFolder
{
    QByteArray Name;
    bool IsLink = false;
};
QList<TCachedFolder> ReadCachedFolders(const QString &fileName);
// The same for a native path given as bytes.
QList<TCachedFolder> ReadCachedFoldersAt(const QByteArray &nativePath);

} // namespace views
