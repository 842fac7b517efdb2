#pragma once
// The transfer runners: uploads and downloads of a selection or of one queue
// entry, whole folder trees in both directions, and the queue driver. They
// drive the window's single engine one operation at a time: start it, wait
// with TMFtp::WaitUntilIdle (the event loop keeps running, so Stop and the
// progress display are served), then choose the next step from the engine's
// flags and lists.
//
// One class, several files:
//   TransferRunner.cpp  shared state, waiting, local names, FinishRun, Stop
//   UploadRunner.cpp    UploadSelection, UploadFolder*, RunUploadEntry
//   DownloadRunner.cpp  DownloadSelection, DownloadFolder*, RunDownloadEntry
//   QueueDriver.cpp     RunQueueEntry, RunAllEntries, RunSelectedEntry
//   DeleteRunner.cpp    DeleteSelection, DeleteFolderTree, DeleteFolderContents
//
// The runners rely on the host listing the new remote folder after every
// change of folder (its OnDirectoryChanged handler), so that when the engine
// is idle again FileList and FolderList describe the folder it is in.

#include "engine/FtpFeatureUse.h"
#include "queue/OperationMode.h"
#include "queue/QueueModel.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class TMFtp;

namespace queue {

// What the runners need from the window around them.
class TransferHost
{
public:
    virtual ~TransferHost() = default;
    // The folder the local pane shows; empty when it shows none.
    virtual QString LocalPaneFolder() const = 0;
    virtual void SetLocalPaneFolder(const QString &folder) = 0;
    virtual void RereadLocalPane() = 0;
    // Lists the current remote folder again (cache off) and waits.
    virtual void RefreshRemoteList(bool force) = 0;
    virtual void SetLogEnabled(bool on) = 0;
    virtual void LogStatus(const QString &text) = 0;
    virtual void LogError(const QString &text) = 0;
    // The status bar at rest with "完成"; the progress display off.
    virtual void ShowRunFinished() = 0;
    virtual void StopProgressTimer() = 0;
    // The transfer-end display after an abort.
    virtual void ShowTransferEnd() = 0;
    virtual bool UseSimplified() const = 0;
};

// The state the runners share with the window's commands.
struct TransferState
{
    OperationMode mode = omIdle;
    bool StopRequested = false;
    bool DeleteCancelled = false;
    // Row of the entry a selection run works on.
    int CurrentEntryIndex = 0;
    // The entry a queue run works on.
    std::optional<TQueueModel::Id> CurrentEntry;
    // The overwrite dialog's answer kept for the rest of a run.
    bool ApplyToAll = false;
    QString RememberedAnswer;
    // Remote folders entered during one recursive walk (cuts link loops).
    QList<QByteArray> VisitedFolders;
};

class TTransferRunner
{
public:
    TTransferRunner(TMFtp &engine, TQueueModel &queue, TransferHost &host);

    TransferState &state() { return state_; }
    const TransferState &state() const { return state_; }

    // ---- uploads ----
    void UploadSelection(const QStringList &folders, const QStringList &files, const QByteArray &remoteFolder);
    bool UploadFolder(const QString &localFolder);
    bool UploadFolderTo(const QString &localFolder, const QByteArray &remoteFolder);
    void UploadFolderTree(const QString &localFolder);
    bool RunUploadEntry(TQueueModel::Id entry);

    // ---- downloads ----
    void DownloadSelection(const QList<QByteArray> &folders, const QList<QByteArray> &files,
                           const QString &localFolder);
    bool DownloadFolder(const QByteArray &remotePath, const QString &localFolder);
    void DownloadFolderTree(const QString &localFolder, bool first);
    bool RunDownloadEntry(TQueueModel::Id entry);

    // ---- the queue ----
    // Runs one entry (or CurrentEntry when none is given); true when the
    // entry was handled (removed, or a stop was requested).
    bool RunQueueEntry(std::optional<TQueueModel::Id> entry);
    // Every entry present at the start, top to bottom.
    void RunAllEntries();
    // Only the entry at `row`.
    void RunSelectedEntry(int row);

    // The common end of every run.
    void FinishRun(bool refresh);
    // The Stop command: does nothing unless a run is active.
    void Stop();

    // Files moved by the runs since construction (uploads and downloads that
    // the engine reported as done).
    qint64 filesTransferred() const { return filesTransferred_; }

    // ---- the recursive delete (DeleteRunner.cpp) ----
    // Deletes remote folder trees and files of the current folder, names as
    // listed there. OperationMode is omDelete while it runs, the engine's
    // Cache is off; at the end (also after Stop) the cache setting comes
    // back, the current folder is listed again, the log is on and the mode
    // is omIdle. Stop sets DeleteCancelled: no further engine call is made
    // and the engine stays where it is.
    //
    // The walk never leaves the trees it was asked to delete:
    // - a folder entry that is a link (its LinkTo is not empty) is never
    //   entered; the link itself is removed with DELE, its target is left;
    // - a folder the server refuses to enter is left with its contents;
    // - a folder that still holds anything afterwards (such a folder, an
    //   entry the server would not delete, a folder reached a second time
    //   or more than 256 levels down) is not removed, nor any folder above
    //   it, so a server whose RMD removes whole trees removes nothing unseen;
    // - after each CDUP the engine must be in the folder above, else it goes
    //   there by its full path before any RMD; "." and ".." are never touched.
    void DeleteSelection(const QList<QByteArray> &folders, const QList<QByteArray> &files);
    // Deletes one folder of the current folder with everything in it; true
    // when it is gone. VisitedFolders holds the folders entered meanwhile.
    bool DeleteFolderTree(const QByteArray &folder);
    // The engine is inside the folder to empty (`first`: the folder
    // DeleteFolderTree entered): deletes its files and links, empties and
    // removes its subfolders, then goes up with CDUP. True when the folder
    // was left empty.
    bool DeleteFolderContents(bool first);
    // A name typed by the user as the server's bytes (see RemoteNameFor).
    QByteArray TypedRemoteName(const QString &name) const { return RemoteNameFor(name); }

private:
    // DELE and RMD of one name, waiting; true when the server accepted it.
    bool DeleteEntryAndWait(const QByteArray &name);
    bool RemoveFolderAndWait(const QByteArray &name);
    bool ServerAccepted(int refusalsBefore) const;
    // Makes sure the engine is in `folder` (by its full path when CDUP went
    // elsewhere); false when it is not, or the delete was cancelled.
    bool BackIn(const QByteArray &folder);
    // The engine errors reported while a DeleteSelection runs.
    int refusals_ = 0;
    int refusalSlot_ = -1;

public:
    // ---- end of the recursive delete ----

    // ---- helpers with no engine behind them ----
    // The local name for a remote name: refused (empty) when the name is
    // empty, "." or "..", or holds "/", "\" or a control character, so a
    // name from a listing never leads outside the chosen local folder.
    static QString SafeLocalName(const QByteArray &remoteName, TMFtpNameCharset charset = TMFtpNameCharset::Auto);
    // The part after the last "/" of an absolute path; the whole text otherwise.
    static QByteArray LastRemoteComponent(const QByteArray &path);
    // The part before the last "/" ("/" for an item of the root; empty
    // without any "/").
    static QByteArray RemoteParent(const QByteArray &path);
    static QByteArray WithSlash(const QByteArray &folder);
    // The path without trailing "/" ("/" itself stays).
    static QByteArray WithoutTrailingSlashes(QByteArray path);
    static bool IsDotName(const QByteArray &name) { return name == "." || name == ".."; }
    static QString LocalJoin(const QString &folder, const QString &name);

private:
    // Waiting (TransferRunner.cpp).
    void Wait();
    bool ChangeDirectoryAndWait(const QByteArray &folder);
    bool ChangeUpAndWait();
    bool IsCurrentDirectory(const QByteArray &folder) const;
    // False, with an error line, when the session has ended under the run.
    bool SessionAlive();
    bool DownloadAndWait(const QByteArray &remoteName, const QString &localPath);
    bool UploadAndWait(const QString &localPath, const QByteArray &remoteName);
    QString LocalNameOrLog(const QByteArray &remoteName);
    void SetStatusAt(int row, const QString &status);
    void SetStatusOf(TQueueModel::Id entry, const QString &status);
    void RemoveEntry(TQueueModel::Id entry);
    // The end of a queue entry's run: handled (true) when stopped or done
    // (the entry leaves the queue); failed (false, status "错误") otherwise.
    bool EndEntry(TQueueModel::Id entry, bool ok);
    QString Transferring() const;
    QString Failed() const;
    // A local name in the session's name encoding (TMFtp::EncodeName): the
    // site's or the server's choice, or else as the server spells names in
    // the current folder.
    QByteArray RemoteNameFor(const QString &localName) const;

    TMFtp &engine_;
    TQueueModel &queue_;
    TransferHost &host_;
    TransferState state_;
    qint64 filesTransferred_ = 0;
    // Files and folders of the tree being walked that could not be moved;
    // a folder entry with any of them stays in the queue as failed.
    int treeFailures_ = 0;
    // Canonical paths of the local folders of the upload being walked
    // (cuts loops through local links).
    QSet<QString> visitedLocal_;
};

} // namespace queue
