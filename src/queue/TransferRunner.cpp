// TTransferRunner: shared state, waiting for the engine, local names,
// FinishRun and the Stop command.
#include "queue/TransferRunner.h"

#include "engine/TMFtp.h"
#include "platform/EventLoop.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFileInfo>

namespace queue {
namespace {

QString pick(bool simplified, const char *s, const char *t)
{
    return QString::fromUtf8(simplified ? s : t);
}

} // namespace

TTransferRunner::TTransferRunner(TMFtp &engine, TQueueModel &queue, TransferHost &host)
    : engine_(engine), queue_(queue), host_(host)
{
}

// ---- names and paths ----

QString TTransferRunner::SafeLocalName(const QByteArray &remoteName, TMFtpNameCharset charset)
{
    if (remoteName.isEmpty() || remoteName == "." || remoteName == "..")
        return QString();
    for (const char c : remoteName) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7f)
            return QString();
    }
    const QString name = DecodeRemoteName(remoteName, charset);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/'))
        || name.contains(QLatin1Char('\\')))
        return QString();
    return name;
}

QByteArray TTransferRunner::LastRemoteComponent(const QByteArray &path)
{
    if (!path.startsWith('/'))
        return path;
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray TTransferRunner::RemoteParent(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArray();
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray TTransferRunner::WithSlash(const QByteArray &folder)
{
    return folder.endsWith('/') ? folder : folder + '/';
}

QByteArray TTransferRunner::WithoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

QString TTransferRunner::LocalJoin(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString TTransferRunner::LocalNameOrLog(const QByteArray &remoteName)
{
    const QString name = SafeLocalName(remoteName, engine_.NameCharset());
    if (name.isEmpty()) {
        host_.LogError(pick(host_.UseSimplified(), "跳过不安全的远程名称“%1”：它不能用作本地文件名。",
                            "跳過不安全的遠程名稱“%1”：它不能用作本地文件名。")
                           .arg(QString::fromLatin1(remoteName.toPercentEncoding("/\\ "))));
    }
    return name;
}

// ---- waiting ----

void TTransferRunner::Wait()
{
    engine_.WaitUntilIdle();
}

bool TTransferRunner::SessionAlive()
{
    return engine_.Connected();
}

bool TTransferRunner::IsCurrentDirectory(const QByteArray &folder) const
{
    const QByteArray current = engine_.CurrentDirectory();
    if (folder == current)
        return true;
    return !folder.isEmpty() && WithoutTrailingSlashes(folder) == WithoutTrailingSlashes(current);
}

bool TTransferRunner::ChangeDirectoryAndWait(const QByteArray &folder)
{
    if (!SessionAlive())
        return false;
    engine_.ChangeDirectory(folder);
    Wait();
    return SessionAlive() && engine_.ChangeDirOK();
}

bool TTransferRunner::ChangeUpAndWait()
{
    if (!SessionAlive())
        return false;
    engine_.ChangeDirectoryUp();
    Wait();
    return SessionAlive() && engine_.ChangeDirOK();
}

bool TTransferRunner::DownloadAndWait(const QByteArray &remoteName, const QString &localPath)
{
    if (!SessionAlive())
        return false;
    engine_.DownloadFile(remoteName, localPath);
    Wait();
    // A session that ended during the transfer leaves no proof of a complete file.
    const bool ok = SessionAlive() && engine_.TransferOK();
    if (ok)
        ++filesTransferred_;
    return ok;
}

bool TTransferRunner::UploadAndWait(const QString &localPath, const QByteArray &remoteName)
{
    if (!SessionAlive())
        return false;
    engine_.UploadFile(localPath, remoteName);
    Wait();
    const bool ok = SessionAlive() && engine_.TransferOK();
    if (ok)
        ++filesTransferred_;
    return ok;
}

// ---- queue rows ----

QString TTransferRunner::Transferring() const
{
    return StatusTransferring(host_.UseSimplified());
}

QString TTransferRunner::Failed() const
{
    return StatusFailed(host_.UseSimplified());
}

void TTransferRunner::SetStatusAt(int row, const QString &status)
{
    if (row >= 0 && row < queue_.count())
        queue_.setStatus(row, status);
}

void TTransferRunner::SetStatusOf(TQueueModel::Id entry, const QString &status)
{
    SetStatusAt(queue_.rowOf(entry), status);
}

void TTransferRunner::RemoveEntry(TQueueModel::Id entry)
{
    const int row = queue_.rowOf(entry);
    if (row >= 0)
        queue_.removeAt(row);
}

bool TTransferRunner::EndEntry(TQueueModel::Id entry, bool ok)
{
    if (state_.StopRequested)
        return true; // keeps the status Stop gave it
    if (!ok) {
        SetStatusOf(entry, Failed());
        return false;
    }
    RemoveEntry(entry);
    return true;
}

// ---- end of a run, Stop ----

void TTransferRunner::FinishRun(bool refresh)
{
    host_.SetLogEnabled(true);
    if (refresh)
        host_.RefreshRemoteList(false);
    state_.StopRequested = false;
    state_.CurrentEntry.reset();
    host_.ShowRunFinished();
    state_.mode = omIdle;
}

void TTransferRunner::Stop()
{
    if (state_.mode == omIdle || !engine_.Connected() || state_.StopRequested)
        return;
    const bool s = host_.UseSimplified();
    const QString uploadStopped = pick(s, "用户终止上传文件...", "用戶終止上傳文件...");
    const QString downloadStopped = pick(s, "用户终止下载文件...", "用戶終止下載文件...");

    bool skipToAbort = false;
    if (state_.mode == omDelete) {
        if (!state_.DeleteCancelled) {
            host_.LogStatus(pick(s, "中止删除操作...", "中止刪除操作..."));
            host_.SetLogEnabled(false);
            state_.DeleteCancelled = true;
            platform::pumpPendingEvents();
            return;
        }
        skipToAbort = true; // a second Stop during the same delete
    }
    if (!skipToAbort) {
        if (state_.mode == omUpload) {
            host_.LogStatus(uploadStopped);
        } else if (state_.mode == omDownload) {
            host_.LogStatus(downloadStopped);
        } else if (state_.mode == omQueue && state_.CurrentEntry) {
            const int row = queue_.rowOf(*state_.CurrentEntry);
            if (row >= 0) {
                queue_.setStatus(row, StatusCancelled());
                host_.LogStatus(queue_.entry(row).isUpload() ? uploadStopped : downloadStopped);
            }
        }
    }
    const TMFtpOperation op = engine_.Operation();
    const QString fileName = QFileInfo(engine_.LocalFile()).fileName();
    if (op == opUpload)
        host_.LogStatus(pick(s, "上传 %1 文件失败！", "上傳 %1 文件失敗！").arg(fileName));
    else if (op == opDownload)
        host_.LogStatus(pick(s, "下载 %1 文件失败！", "下載 %1 文件失敗！").arg(fileName));
    if (state_.mode == omUpload || state_.mode == omDownload)
        SetStatusAt(state_.CurrentEntryIndex, StatusCancelled());

    state_.StopRequested = true;
    platform::pumpPendingEvents();
    if (!state_.StopRequested)
        return; // the run ended meanwhile
    if (engine_.Operation() == opDownload || engine_.Operation() == opUpload) {
        engine_.Abort();
        host_.StopProgressTimer();
        host_.ShowTransferEnd();
    }
}

} // namespace queue
