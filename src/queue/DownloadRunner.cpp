// TTransferRunner: downloads of a selection, of remote folder trees and of
// queue entries. A remote tree is walked with the engine itself: enter a
// folder, read the listing the host made of it, download its files, then
// enter each subfolder by absolute path and leave it with CDUP.
#include "queue/TransferRunner.h"

#include "engine/TMFtp.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <QFileInfo>

namespace queue {
namespace {

constexpr int MaxTreeDepth = 256;

// "/a/./b/../c" -> "/a/c"; relative paths are taken from `base`.
QByteArray normalizeRemotePath(const QByteArray &base, const QByteArray &path)
{
    const QByteArray joined = path.startsWith('/') ? path : TTransferRunner::WithSlash(base) + path;
    QList<QByteArray> parts;
    for (const QByteArray &part : joined.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return "/" + parts.join('/');
}

struct RemoteFolderItem
{
    QByteArray name;
    QByteArray linkTo;
};

} // namespace

void TTransferRunner::DownloadSelection(const QList<QByteArray> &folders, const QList<QByteArray> &files,
                                        const QString &localFolder)
{
    if ((folders.isEmpty() && files.isEmpty()) || localFolder.isEmpty())
        return;
    state_.mode = omDownload;
    state_.StopRequested = false;
    host_.SetLogEnabled(true);
    QString rememberedPane;
    const bool cache = engine_.Cache();
    engine_.SetCache(false);
    // A selection run writes the failure status in one language.
    const QString failed = StatusFailed(true);

    auto run = [&] {
        if (host_.LocalPaneFolder() != localFolder && !state_.StopRequested) {
            rememberedPane = host_.LocalPaneFolder();
            if (!QFileInfo(localFolder).isDir() && !QDir().mkpath(localFolder))
                return;
            host_.SetLocalPaneFolder(localFolder);
        }
        AddDownloadEntries(queue_, true, folders, localFolder, files, engine_.CurrentDirectory(),
                           engine_.FileList());
        state_.CurrentEntryIndex = 0;

        for (const QByteArray &name : folders) {
            if (state_.StopRequested)
                return;
            SetStatusAt(state_.CurrentEntryIndex, Transferring());
            const bool ok = DownloadFolder(name, localFolder);
            Wait();
            if (state_.StopRequested)
                return;
            if (ok && treeFailures_ == 0) {
                if (state_.CurrentEntryIndex < queue_.count())
                    queue_.removeAt(state_.CurrentEntryIndex);
            } else {
                SetStatusAt(state_.CurrentEntryIndex++, failed);
            }
        }
        for (const QByteArray &name : files) {
            if (state_.StopRequested)
                return;
            SetStatusAt(state_.CurrentEntryIndex, Transferring());
            const QString localName = LocalNameOrLog(LastRemoteComponent(name));
            const bool ok = !localName.isEmpty() && DownloadAndWait(name, LocalJoin(localFolder, localName));
            if (state_.StopRequested)
                return;
            if (ok) {
                if (state_.CurrentEntryIndex < queue_.count())
                    queue_.removeAt(state_.CurrentEntryIndex);
                host_.RereadLocalPane();
            } else {
                SetStatusAt(state_.CurrentEntryIndex++, failed);
            }
        }
    };
    run();
    if (!rememberedPane.isEmpty())
        host_.SetLocalPaneFolder(rememberedPane);
    else
        host_.RereadLocalPane();
    engine_.SetCache(cache);
    FinishRun(false);
    host_.StopProgressTimer();
}

bool TTransferRunner::DownloadFolder(const QByteArray &remotePath, const QString &localFolder)
{
    treeFailures_ = 0;
    if (remotePath.isEmpty())
        return false;
    state_.VisitedFolders.clear();
    struct ClearVisited {
        QList<QByteArray> &list;
        ~ClearVisited() { list.clear(); }
    } clearVisited{state_.VisitedFolders};
    // The walk lists with LIST, where links show as links and their loops
    // can be cut (many servers follow links in MLSD listings).
    struct ListLinksAsLinks {
        TMFtp &engine;
        bool was;
        ~ListLinksAsLinks() { engine.SetMachineListing(was); }
    } listLinks{engine_, engine_.MachineListing()};
    engine_.SetMachineListing(false);

    if (state_.StopRequested)
        return false;
    if (!IsCurrentDirectory(remotePath) && !ChangeDirectoryAndWait(remotePath))
        return false;
    if (state_.StopRequested)
        return false;
    // An entry edited to "/pub/docs/" names the folder docs.
    const QByteArray trimmed = TTransferRunner::WithoutTrailingSlashes(remotePath);
    QByteArray last = LastRemoteComponent(trimmed);
    if (last.isEmpty() || last == "/")
        last = LastRemoteComponent(TTransferRunner::WithoutTrailingSlashes(engine_.CurrentDirectory()));
    const QString localName = LocalNameOrLog(last);
    if (localName.isEmpty())
        return false;
    const QString target = LocalJoin(localFolder, localName);
    if (!QFileInfo(target).isDir() && !QDir().mkpath(target)) {
        host_.LogError(QStringLiteral("%1: %2").arg(target, QString::fromUtf8(strerror(errno))));
        return false;
    }
    host_.SetLocalPaneFolder(target);
    state_.VisitedFolders.append(normalizeRemotePath("/", engine_.CurrentDirectory()));
    if (state_.StopRequested)
        return false;
    DownloadFolderTree(target, true);
    return true;
}

void TTransferRunner::DownloadFolderTree(const QString &localFolder, bool first)
{
    const QByteArray here = engine_.CurrentDirectory();
    const QByteArray hereKey = normalizeRemotePath("/", here);
    const bool again = !first && state_.VisitedFolders.contains(hereKey);
    if (!again) {
        if (state_.StopRequested)
            return;
        if (!first)
            state_.VisitedFolders.append(hereKey);

        // Copies: the listing is replaced as soon as another folder is entered.
        QList<RemoteFolderItem> subfolders;
        const TMFtpFileInfoList &folderList = engine_.FolderList();
        for (int i = 0; i < folderList.Count(); ++i) {
            const MFtpFileInfo info = folderList.GetInfo(i);
            subfolders.append({info.FileName, info.LinkTo});
        }
        QList<QByteArray> files;
        const TMFtpFileInfoList &fileList = engine_.FileList();
        for (int i = 0; i < fileList.Count(); ++i) {
            const QByteArrayView name = fileList.FileName(i);
            files.append(QByteArray(name.data(), name.size()));
        }

        for (const QByteArray &name : files) {
            if (state_.StopRequested)
                return;
            const QString localName = LocalNameOrLog(name);
            if (localName.isEmpty()) {
                ++treeFailures_;
                continue;
            }
            if (!DownloadAndWait(name, LocalJoin(localFolder, localName)) && !state_.StopRequested) {
                ++treeFailures_;
                if (!SessionAlive())
                    return;
            }
        }

        const int depth = int(hereKey.count('/'));
        for (const RemoteFolderItem &item : subfolders) {
            if (state_.StopRequested)
                return;
            if (TTransferRunner::IsDotName(item.name))
                continue;
            const QString localName = LocalNameOrLog(item.name);
            if (localName.isEmpty()) {
                ++treeFailures_;
                continue;
            }
            // A link to a folder already walked, or to one above this one,
            // would repeat the tree without end.
            const QByteArray path = WithSlash(here) + item.name;
            if (!item.linkTo.isEmpty()) {
                // Listed as "loop -> .."; the record keeps "-> ..".
                QByteArray link = item.linkTo.trimmed();
                if (link.startsWith("->"))
                    link = link.mid(2).trimmed();
                const QByteArray target = normalizeRemotePath(here, link);
                if (state_.VisitedFolders.contains(target) || hereKey.startsWith(WithSlash(target))
                    || target == "/")
                    continue;
            }
            if (depth >= MaxTreeDepth)
                continue;
            const QString p = LocalJoin(localFolder, localName);
            if (!QFileInfo(p).isDir() && !QDir().mkpath(p)) {
                ++treeFailures_;
                continue;
            }
            host_.SetLocalPaneFolder(p);
            const bool entered = ChangeDirectoryAndWait(path);
            if (state_.StopRequested)
                return;
            if (!entered) {
                ++treeFailures_;
                if (!SessionAlive())
                    return;
                continue;
            }
            DownloadFolderTree(p, false);
            if (state_.StopRequested || !SessionAlive())
                return;
        }
    }
    if (state_.StopRequested)
        return;
    host_.SetLocalPaneFolder(QFileInfo(localFolder).absolutePath());
    ChangeUpAndWait();
}

bool TTransferRunner::RunDownloadEntry(TQueueModel::Id id)
{
    const int row = queue_.rowOf(id);
    if (row < 0 || queue_.entry(row).action() != DownloadAction())
        return false;
    const QueueEntry entry = queue_.entry(row);
    SetStatusOf(id, Transferring());
    const QString local = entry.localPath();

    if (!entry.isFolder()) {
        if (QFileInfo(local).isDir() && host_.LocalPaneFolder() != local)
            host_.SetLocalPaneFolder(local);
        const QByteArray parent = RemoteParent(entry.remotePath());
        if (!parent.isEmpty() && !IsCurrentDirectory(parent)) {
            if (state_.StopRequested)
                return true;
            if (!ChangeDirectoryAndWait(parent)) {
                SetStatusOf(id, Failed());
                return false;
            }
        }
        if (state_.StopRequested)
            return true;
        const QByteArray name = LastRemoteComponent(entry.remotePath());
        const QString localName = LocalNameOrLog(name);
        if (localName.isEmpty() || (!QFileInfo(local).isDir() && !QDir().mkpath(local))) {
            SetStatusOf(id, Failed());
            return false;
        }
        return EndEntry(id, DownloadAndWait(name, LocalJoin(local, localName)));
    }

    if (state_.StopRequested)
        return true;
    const bool ok = DownloadFolder(entry.remotePath(), local);
    return EndEntry(id, ok && treeFailures_ == 0);
}

} // namespace queue
