// TTransferRunner: the recursive delete of remote folders and files. The
// tree is walked with the engine itself, as the downloads do: enter a
// folder, read the listing the host made of it, delete its files and links,
// empty and remove each subfolder (entered by its full path, left with
// CDUP), then go back up and remove the folder. The rules that keep the walk
// inside the selected trees are in TransferRunner.h.
#include "queue/TransferRunner.h"

#include "engine/TMFtp.h"

namespace queue {
namespace {

constexpr int MaxDeleteDepth = 256;

// The entry named exactly `name`; FolderIndex's match ignoring case when
// there is none.
int entryIndex(const TMFtpFileInfoList &list, const QByteArray &name)
{
    for (int i = 0; i < list.Count(); ++i)
        if (list.FileName(i) == name)
            return i;
    return list.IndexOfName(name);
}

struct ListedFolder
{
    QByteArray name;
    bool link = false;
};

} // namespace

bool TTransferRunner::ServerAccepted(int refusalsBefore) const
{
    if (!engine_.Connected())
        return false;
    if (refusalSlot_ >= 0)
        return refusals_ == refusalsBefore;
    return engine_.ErrorCode() == errorNone;
}

bool TTransferRunner::DeleteEntryAndWait(const QByteArray &name)
{
    if (state_.DeleteCancelled || !SessionAlive())
        return false;
    const int before = refusals_;
    engine_.DeleteFile(name);
    Wait();
    const bool ok = ServerAccepted(before);
    if (SessionAlive())
        engine_.ClearFileCache();
    return ok;
}

bool TTransferRunner::RemoveFolderAndWait(const QByteArray &name)
{
    if (state_.DeleteCancelled || !SessionAlive())
        return false;
    const int before = refusals_;
    engine_.RemoveDirectory(name);
    Wait();
    return ServerAccepted(before);
}

void TTransferRunner::DeleteSelection(const QList<QByteArray> &folders, const QList<QByteArray> &files)
{
    state_.mode = omDelete;
    state_.DeleteCancelled = false;
    state_.StopRequested = false;
    const bool cache = engine_.Cache();
    engine_.SetCache(false);
    // Links must show as links, never as folders to descend into: the walk
    // lists with LIST, starting with the folder the selection came from.
    const bool machineListing = engine_.MachineListing();
    engine_.SetMachineListing(false);
    refusals_ = 0;
    refusalSlot_ = engine_.AddErrorListener([this](QObject *, FtpError, const QString &) { ++refusals_; });
    if (engine_.FeatureUse().Mlsd && SessionAlive()) {
        engine_.List();
        Wait();
    }

    try {
        for (const QByteArray &folder : folders) {
            if (state_.DeleteCancelled || !SessionAlive())
                break;
            DeleteFolderTree(folder);
            Wait();
        }
        for (const QByteArray &file : files) {
            if (state_.DeleteCancelled || !SessionAlive())
                break;
            if (file.isEmpty() || TTransferRunner::IsDotName(file))
                continue;
            DeleteEntryAndWait(file);
        }
    } catch (...) {
        // ends the delete; the steps below still run
    }

    if (refusalSlot_ >= 0)
        engine_.RemoveErrorListener(refusalSlot_);
    refusalSlot_ = -1;
    engine_.SetMachineListing(machineListing);
    engine_.SetCache(cache);
    host_.RefreshRemoteList(false);
    host_.SetLogEnabled(true);
    state_.StopRequested = false;
    state_.mode = omIdle;
}

bool TTransferRunner::DeleteFolderTree(const QByteArray &folder)
{
    state_.VisitedFolders.clear();
    struct ClearVisited {
        QList<QByteArray> &list;
        ~ClearVisited() { list.clear(); }
    } clearVisited{state_.VisitedFolders};

    if (folder.isEmpty() || TTransferRunner::IsDotName(folder) || folder.contains('/') || state_.DeleteCancelled || !SessionAlive())
        return false;
    const TMFtpFileInfoList &listed = engine_.FolderList();
    const int index = entryIndex(listed, folder);
    if (index < 0)
        return false;
    if (!listed.Field(fiLinkTo, index).isEmpty())
        return DeleteEntryAndWait(folder); // the link, never what it points to

    const QByteArray parent = engine_.CurrentDirectory();
    const bool entered = ChangeDirectoryAndWait(folder);
    if (state_.DeleteCancelled || !entered)
        return false;
    state_.VisitedFolders.append(TTransferRunner::WithoutTrailingSlashes(engine_.CurrentDirectory()));
    const bool emptied = DeleteFolderContents(true);
    if (!BackIn(parent) || !emptied || engine_.FolderIndex(folder) < 0)
        return false;
    return RemoveFolderAndWait(folder);
}

bool TTransferRunner::BackIn(const QByteArray &folder)
{
    if (state_.DeleteCancelled || !SessionAlive())
        return false;
    if (IsCurrentDirectory(folder))
        return true;
    return ChangeDirectoryAndWait(folder) && !state_.DeleteCancelled;
}

bool TTransferRunner::DeleteFolderContents(bool first)
{
    const QByteArray here = engine_.CurrentDirectory();
    const QByteArray hereKey = TTransferRunner::WithoutTrailingSlashes(here);
    bool complete = true;
    bool walk = true;
    if (!first) {
        if (state_.VisitedFolders.contains(hereKey)) {
            walk = false; // reached a second time: not walked again, not removed
            complete = false;
        } else {
            state_.VisitedFolders.append(hereKey);
        }
    }

    if (walk) {
        // Copies: the listing is replaced as soon as another folder is entered.
        QList<ListedFolder> subfolders;
        const TMFtpFileInfoList &folderList = engine_.FolderList();
        for (int i = 0; i < folderList.Count(); ++i) {
            const QByteArrayView n = folderList.FileName(i);
            subfolders.append({QByteArray(n.data(), n.size()), !folderList.Field(fiLinkTo, i).isEmpty()});
        }
        QList<QByteArray> files;
        const TMFtpFileInfoList &fileList = engine_.FileList();
        for (int i = 0; i < fileList.Count(); ++i) {
            const QByteArrayView n = fileList.FileName(i);
            files.append(QByteArray(n.data(), n.size()));
        }

        for (const QByteArray &file : files) {
            if (state_.DeleteCancelled)
                return false;
            if (file.isEmpty() || TTransferRunner::IsDotName(file))
                continue;
            if (!DeleteEntryAndWait(file))
                complete = false;
            if (!SessionAlive())
                return false;
        }

        const bool tooDeep = hereKey.count('/') >= MaxDeleteDepth;
        for (const ListedFolder &item : subfolders) {
            if (state_.DeleteCancelled)
                return false;
            if (item.name.isEmpty() || TTransferRunner::IsDotName(item.name))
                continue;
            if (item.link) {
                if (!DeleteEntryAndWait(item.name))
                    complete = false;
                if (!SessionAlive())
                    return false;
                continue;
            }
            if (tooDeep || item.name.contains('/')) {
                complete = false;
                continue;
            }
            const bool entered = ChangeDirectoryAndWait(WithSlash(WithSlash(here) + item.name));
            if (state_.DeleteCancelled)
                return false;
            if (!entered) {
                complete = false; // left as it is, with its contents
                if (!SessionAlive())
                    return false;
                continue;
            }
            const bool emptied = DeleteFolderContents(false);
            // Whatever the server made of CDUP, the next step starts here.
            if (!BackIn(here))
                return false;
            if (!emptied || engine_.FolderIndex(item.name) < 0 || !RemoveFolderAndWait(item.name))
                complete = false;
            if (!SessionAlive())
                return false;
        }
    }

    if (state_.DeleteCancelled)
        return false;
    ChangeUpAndWait();
    return complete && !state_.DeleteCancelled;
}

} // namespace queue
