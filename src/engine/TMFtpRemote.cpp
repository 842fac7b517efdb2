// Operations on remote names that move no file contents: directory
// changes, folders, deletes, renames, moves and permissions.

#include "engine/TMFtp.h"

#include "engine/FtpCache.h"
#include "engine/FtpLoginRules.h"
#include "engine/TMFtpInternal.h"
#include "platform/EventLoop.h"

using namespace ftp;

namespace {
const char *const AccessDeniedText = "Access denied or file not found";
}

void TMFtp::ChangeDirectory(const QByteArray &directory)
{
    if (!BeginOperation())
        return;
    operation_ = opChangeDir;
    SendCommand("CWD " + directory, FTP_HANDLER(OnCwdReply));
    if (!asynchronous_)
        WaitWhileBusy();
}

void TMFtp::ChangeDirectoryUp()
{
    if (!BeginOperation())
        return;
    operation_ = opParentDir;
    SendCommand("CDUP ", FTP_HANDLER(OnCwdReply));
    if (!asynchronous_)
        WaitWhileBusy();
}

void TMFtp::OnCwdReply(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        changeDirOK_ = false;
        errorText_ = QString::fromLatin1(AccessDeniedText);
        ReportError(errorAccessDenied);
        PostReady();
        return;
    }
    changeDirOK_ = true;
    if (reply.contains('"')) {
        currentDirectory_ = QuotedPath(reply);
        PostReady();
        return;
    }
    SendCommand("PWD", FTP_HANDLER(OnPwdReply));
}

void TMFtp::OnPwdReply(const QByteArray &reply)
{
    if (IsCompletion(reply)) {
        currentDirectory_ = QuotedPath(reply);
        if (serverType_ == ftpstNetTerm || serverType_ == ftpstServU)
            currentDirectory_ = DrivePathToUnix(currentDirectory_);
    } else {
        changeDirOK_ = false;
        ReportError(errorCommandFailed);
    }
    PostReady();
}

// ---- Folders and files ----

void TMFtp::OnPlainCompletionReply(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        errorText_ = QString::fromLatin1(AccessDeniedText);
        ReportError(errorAccessDenied);
    }
    PostReady();
}

void TMFtp::CreateDirectory(const QByteArray &name)
{
    if (!BeginOperation())
        return;
    operation_ = opMakeDir;
    SendCommand("MKD " + name, FTP_HANDLER(OnPlainCompletionReply));
    if (!asynchronous_)
        WaitWhileBusy();
}

void TMFtp::DeleteFile(const QByteArray &name)
{
    if (name.isEmpty() || !BeginOperation())
        return;
    operation_ = opDeleteFile;
    SendCommand("DELE " + name, FTP_HANDLER(OnPlainCompletionReply));
    if (!asynchronous_)
        WaitWhileBusy();
}

void TMFtp::RemoveDirectory(const QByteArray &name)
{
    if (name.isEmpty() || !BeginOperation())
        return;
    operation_ = opRemoveDir;
    removedDirectory_ = name.trimmed();
    SendCommand("RMD " + name, FTP_HANDLER(OnRmdReply));
    if (!asynchronous_)
        WaitWhileBusy();
}

QByteArray TMFtp::JoinWithCurrentDirectory(const QByteArray &name) const
{
    if (name.startsWith('/'))
        return name;
    QByteArray path = currentDirectory_;
    if (!path.endsWith('/'))
        path += '/';
    return path + name;
}

void TMFtp::RemoveCacheFiles(const QByteArray &directory)
{
    ftpcache::RemoveCacheFile(CachePath(directory, ftpcache::Folders));
    ftpcache::RemoveCacheFile(CachePath(directory, ftpcache::Files));
}

void TMFtp::OnRmdReply(const QByteArray &reply)
{
    if (IsCompletion(reply)) {
        RemoveCacheFiles(JoinWithCurrentDirectory(removedDirectory_));
    } else {
        errorText_ = QString::fromLatin1(AccessDeniedText);
        ReportError(errorAccessDenied);
    }
    PostReady();
}

void TMFtp::ChangeMode(const QByteArray &fileName, const QByteArray &mode)
{
    if (!BeginOperation())
        return;
    operation_ = opChangeMode;
    SendCommand("SITE CHMOD " + mode + " " + fileName, FTP_HANDLER(OnChmodReply));
    if (!asynchronous_)
        WaitWhileBusy();
}

void TMFtp::OnChmodReply(const QByteArray &reply)
{
    if (reply.startsWith('5'))
        ReportError(errorCommandFailed);
    PostReady();
}

// ---- Renames and moves ----

void TMFtp::RenameFile(const QByteArray &oldName, const QByteArray &newName)
{
    if (oldName.isEmpty() || oldName == newName || !BeginOperation())
        return;
    operation_ = opRename;
    newName_ = newName;
    renameFrom_ = oldName;
    StartRenamePair();
    if (!asynchronous_)
        WaitWhileBusy();
}

// SIZE answers only in the binary type on many servers ("550 SIZE not
// allowed in ASCII mode."), and a refused SIZE would let the rename go over
// an existing file unasked: the check runs in type I.
void TMFtp::StartRenamePair()
{
    if (sizeSupported_)
        SetType("I", FTP_HANDLER(OnRenameTypeReply));
    else
        SendCommand("RNFR " + renameFrom_, FTP_HANDLER(OnRnfrReply));
}

void TMFtp::OnRenameTypeReply(const QByteArray &)
{
    SendSilent("SIZE " + newName_, FTP_HANDLER(OnRenameTargetSizeReply));
}

void TMFtp::OnRenameTargetSizeReply(const QByteArray &reply)
{
    if (IsCompletion(reply)) {
        if (AskInfo(needOverwriteConfirm, QString()) != QLatin1String("Overwrite")) {
            operation_ = opNone;
            PostReady();
            return;
        }
    } else if (IsNotImplemented(reply)) {
        sizeSupported_ = false;
    }
    SendCommand("RNFR " + renameFrom_, FTP_HANDLER(OnRnfrReply));
}

void TMFtp::OnRnfrReply(const QByteArray &reply)
{
    if (IsIntermediate(reply)) {
        SendCommand("RNTO " + newName_, FTP_HANDLER(OnRntoReply));
        return;
    }
    errorText_ = QString::fromLatin1(AccessDeniedText);
    ReportError(errorAccessDenied);
    PostReady();
}

void TMFtp::OnRntoReply(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        errorText_ = QString::fromLatin1(AccessDeniedText);
        ReportError(errorAccessDenied);
    }
    PostReady();
}

void TMFtp::RenameFiles(const QList<QByteArray> &oldNames, const QList<QByteArray> &newNames)
{
    if (oldNames.size() != newNames.size() || !BeginOperation())
        return;
    operation_ = opRenameBatch;
    notifyReady_ = false;
    batchAborted_ = false;
    const QList<QByteArray> from = oldNames;
    const QList<QByteArray> to = newNames;
    for (qsizetype i = 0; i < from.size() && !batchAborted_ && connected_; ++i) {
        operation_ = opRenameBatch; // a skipped pair set opNone
        itemPending_ = true;
        newName_ = to.at(i);
        renameFrom_ = from.at(i);
        StartRenamePair();
        while (itemPending_ && connected_)
            platform::pumpEvents();
    }
    batchAborted_ = false;
    notifyReady_ = true;
    if (!connected_) {
        abortPendingNotify_ = false;
        return; // the end of the session posted its own ready message
    }
    operation_ = opRenameBatch;
    PostReady();
}

void TMFtp::MoveFiles(const QList<QByteArray> &names, const QByteArray &targetDirectory)
{
    if (names.isEmpty() || targetDirectory.isEmpty() || !BeginOperation())
        return;
    operation_ = opMove;
    busy_ = false; // so that RenameFiles can begin
    QByteArray target = targetDirectory;
    if (!target.endsWith('/'))
        target += '/';
    QList<QByteArray> targets;
    for (const QByteArray &name : names) {
        const qsizetype slash = name.lastIndexOf('/');
        targets.append(target + (slash < 0 ? name : name.mid(slash + 1)));
    }
    RenameFiles(names, targets);
    QByteArray path = JoinWithCurrentDirectory(targetDirectory);
    if (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    RemoveCacheFiles(path);
}
