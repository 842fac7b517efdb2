// TTransferRunner: uploads of a selection, of folder trees and of queue
// entries. Folder trees are walked depth first, all subfolders of a folder
// before its files; a remote folder is created only when the listing of its
// parent does not show it.
#include "queue/TransferRunner.h"

#include "engine/TMFtp.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFileInfo>

namespace queue {
namespace {

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QFileInfo(path).absoluteFilePath() : c;
}

} // namespace

QByteArray TTransferRunner::RemoteNameFor(const QString &localName) const
{
    return engine_.EncodeName(localName);
}

void TTransferRunner::UploadSelection(const QStringList &folders, const QStringList &files,
                                      const QByteArray &remoteFolder)
{
    if ((folders.isEmpty() && files.isEmpty()) || remoteFolder.isEmpty())
        return;
    state_.mode = omUpload;
    state_.StopRequested = false;
    state_.CurrentEntryIndex = 0;
    bool refreshAtEnd = true;
    // A selection run writes the failure status in one language.
    const QString failed = StatusFailed(true);

    AddUploadEntries(queue_, true, folders, remoteFolder, files);
    const QByteArray rememberedRemote = engine_.CurrentDirectory();
    const QString rememberedLocal = host_.LocalPaneFolder();

    auto run = [&] {
        if (!IsCurrentDirectory(remoteFolder)) {
            refreshAtEnd = false;
            if (state_.StopRequested)
                return;
            if (!ChangeDirectoryAndWait(remoteFolder)) {
                for (int row = 0; row < queue_.count(); ++row)
                    queue_.setStatus(row, failed);
                return;
            }
        }
        for (const QString &folder : folders) {
            if (state_.StopRequested)
                return;
            if (!QFileInfo(folder).isDir()) {
                SetStatusAt(state_.CurrentEntryIndex++, failed);
                continue;
            }
            SetStatusAt(state_.CurrentEntryIndex, Transferring());
            const bool ok = UploadFolder(folder);
            Wait();
            if (state_.StopRequested)
                return;
            if (!ok || treeFailures_ > 0)
                SetStatusAt(state_.CurrentEntryIndex++, failed);
            else if (state_.CurrentEntryIndex < queue_.count())
                queue_.removeAt(state_.CurrentEntryIndex);
        }
        for (const QString &file : files) {
            if (state_.StopRequested)
                return;
            const QFileInfo info(file);
            if (!info.isFile()) {
                SetStatusAt(state_.CurrentEntryIndex++, failed);
                continue;
            }
            SetStatusAt(state_.CurrentEntryIndex, Transferring());
            const bool ok = UploadAndWait(file, RemoteNameFor(info.fileName()));
            if (SessionAlive())
                engine_.ClearFileCache();
            if (state_.StopRequested) {
                refreshAtEnd = true;
                return;
            }
            // A refused or broken upload stays in the queue as failed.
            if (!ok)
                SetStatusAt(state_.CurrentEntryIndex++, failed);
            else if (state_.CurrentEntryIndex < queue_.count())
                queue_.removeAt(state_.CurrentEntryIndex);
        }
        if (!IsCurrentDirectory(rememberedRemote) && !state_.StopRequested && !rememberedRemote.isEmpty())
            ChangeDirectoryAndWait(rememberedRemote);
        if (host_.LocalPaneFolder() != rememberedLocal)
            host_.SetLocalPaneFolder(rememberedLocal);
    };
    run();
    FinishRun(refreshAtEnd);
    host_.StopProgressTimer();
}

bool TTransferRunner::UploadFolder(const QString &localFolder)
{
    const QString folder = withoutTrailingSlash(localFolder);
    const QString name = QFileInfo(folder).fileName();
    treeFailures_ = 0;
    visitedLocal_ = {canonical(folder)};
    if (host_.LocalPaneFolder() != folder)
        host_.SetLocalPaneFolder(folder);
    if (name.isEmpty())
        return false;
    const QByteArray remoteName = RemoteNameFor(name);
    bool entered = false;
    if (engine_.FolderIndex(remoteName) < 0) {
        if (state_.StopRequested)
            return false;
        if (SessionAlive()) {
            engine_.CreateDirectory(remoteName);
            Wait();
        }
        if (state_.StopRequested)
            return false;
        entered = ChangeDirectoryAndWait(remoteName);
    } else {
        if (state_.StopRequested)
            return false;
        entered = ChangeDirectoryAndWait(remoteName);
    }
    if (state_.StopRequested)
        return false;
    if (!entered)
        return false;
    UploadFolderTree(folder);
    return true;
}

bool TTransferRunner::UploadFolderTo(const QString &localFolder, const QByteArray &remoteFolder)
{
    if (!IsCurrentDirectory(remoteFolder)) {
        if (state_.StopRequested)
            return false;
        if (!ChangeDirectoryAndWait(remoteFolder))
            return false;
    }
    return UploadFolder(localFolder);
}

void TTransferRunner::UploadFolderTree(const QString &localFolder)
{
    const QString folder = withoutTrailingSlash(localFolder);
    const QDir dir(folder);

    // Subfolders first; hidden ones are not uploaded.
    const QFileInfoList subfolders = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &sub : subfolders) {
        if (state_.StopRequested)
            return;
        const QString path = sub.absoluteFilePath();
        const QString key = canonical(path);
        if (visitedLocal_.contains(key))
            continue; // a link back into the tree
        visitedLocal_.insert(key);
        const QByteArray remoteName = RemoteNameFor(sub.fileName());
        bool entered;
        if (engine_.FolderIndex(remoteName) < 0) {
            if (SessionAlive()) {
                engine_.CreateDirectory(remoteName);
                Wait();
            }
            if (state_.StopRequested)
                return;
        }
        entered = ChangeDirectoryAndWait(remoteName);
        if (!entered) {
            ++treeFailures_;
            if (!SessionAlive())
                return;
            continue;
        }
        host_.SetLocalPaneFolder(path);
        UploadFolderTree(path);
        if (state_.StopRequested || !SessionAlive())
            return;
    }

    // Then the files, hidden and system files included.
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QFileInfo &file : files) {
        if (state_.StopRequested)
            return;
        const bool ok = UploadAndWait(file.absoluteFilePath(), RemoteNameFor(file.fileName()));
        if (state_.StopRequested) {
            if (SessionAlive())
                engine_.ClearFileCache();
            return;
        }
        if (!ok) {
            ++treeFailures_;
            if (!SessionAlive())
                return;
        }
    }

    host_.RefreshRemoteList(true);
    Wait();
    if (!state_.StopRequested)
        ChangeUpAndWait();
    host_.SetLocalPaneFolder(QFileInfo(folder).absolutePath());
}

bool TTransferRunner::RunUploadEntry(TQueueModel::Id id)
{
    int row = queue_.rowOf(id);
    if (row < 0 || !queue_.entry(row).isUpload())
        return false;
    const QueueEntry entry = queue_.entry(row);
    SetStatusOf(id, Transferring());
    const QString local = entry.localPath();

    if (entry.isFolder()) {
        if (!QFileInfo(local).isDir()) {
            SetStatusOf(id, Failed());
            return false;
        }
        if (state_.StopRequested)
            return true;
        const bool ok = UploadFolderTo(local, entry.remotePath());
        return EndEntry(id, ok && treeFailures_ == 0);
    }

    const QFileInfo info(local);
    if (!info.isFile()) {
        SetStatusOf(id, Failed());
        return false;
    }
    if (!IsCurrentDirectory(entry.remotePath())) {
        if (state_.StopRequested)
            return true;
        if (!ChangeDirectoryAndWait(entry.remotePath())) {
            SetStatusOf(id, Failed());
            return false;
        }
    }
    if (state_.StopRequested)
        return true;
    return EndEntry(id, UploadAndWait(local, RemoteNameFor(info.fileName())));
}

} // namespace queue
