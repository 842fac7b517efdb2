// Downloads and uploads, with the resume decisions (SIZE and REST).

#include "engine/TMFtp.h"

#include "engine/TMFtpInternal.h"
#include "platform/AsyncSocket.h"
#include "platform/TextCodec.h"
#include "platform/WinSock.h"

using namespace ftp;

namespace {
const char *const AccessDeniedText = "Access denied or file not found";
const char *const ResumeDownloadFailedText = "Failed to resume downloading file";
const char *const ResumeUploadFailedText = "Failed to resume uploading file";
const char *const OverwriteText = "resume this file error, I will overwrite it";
const char *const NothingToDoText = "I am afraid I have nothing to do";
// Bytes handed to the socket per call while uploading.
constexpr qint64 SendBlockSize = 4 * 1024 * 1024;
// Reads per read event (see the listing reader).
constexpr int MaxReadsPerEvent = 64;
} // namespace

// Ends a data command before its data connection carried anything.
void TMFtp::FailDataSetup(FtpError error)
{
    CloseDataSockets();
    if (file_.isOpen()) {
        file_.close();
        transferOK_ = false;
    }
    ReportError(error);
    PostReady();
}

// A transfer cut short by the end of the session or a fatal error.
void TMFtp::AbandonTransfer()
{
    CloseDataSockets();
    if (file_.isOpen()) {
        file_.close();
        if (operation_ == opDownload || operation_ == opUpload) {
            transferOK_ = false;
            ReportInfo(infoTransferEnd);
        }
    }
}

// ---- Download ----

void TMFtp::DownloadFile(const QByteArray &remoteFile, const QString &localFile)
{
    if (!BeginOperation())
        return;
    operation_ = opDownload;
    remoteFile_ = remoteFile;
    localFile_ = localFile;
    restartOffset_ = 0;
    expectedSize_ = -1;
    truncatePending_ = false;
    localWriteFailed_ = false;
    if (remoteFile_.isEmpty()) {
        itemPending_ = false;
        transferOK_ = false;
        ReportError(errorNoRemoteFile);
        PostReady();
        return;
    }
    transferOK_ = true;
    if (localFile_.isEmpty()) {
        itemPending_ = false;
        transferOK_ = false;
        ReportError(errorLocalFile);
        PostReady();
        return;
    }
    ReplyHandler continuation;
    bool opened;
    if (platform::LocalFile::exists(localFile_)) {
        opened = file_.openReadWrite(localFile_);
        continuation = FTP_HANDLER(OnDownloadResumeTypeReply);
    } else {
        opened = file_.create(localFile_);
        dataReadyHandler_ = FTP_HANDLER(OnRetrDataReady);
        continuation = FTP_HANDLER(OnDownloadTypeReply);
    }
    if (!opened) {
        transferOK_ = false;
        ReportError(errorLocalFile);
        PostReady();
        return;
    }
    dataClosed_ = false;
    finalReplyOK_ = false;
    SetType(TransferTypeLetter(), continuation);
    WaitWhileBusy();
}

void TMFtp::OnDownloadTypeReply(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        FailDataSetup(errorCommandFailed);
        return;
    }
    PrepareDataConnection();
}

// Overwriting starts only once the server sends the file: a refused RETR
// leaves the local file as it was.
void TMFtp::TruncateForOverwrite()
{
    truncatePending_ = true;
    restartOffset_ = 0;
    file_.seek(0);
    dataReadyHandler_ = FTP_HANDLER(OnRetrDataReady);
}

void TMFtp::EnsureTruncated()
{
    if (!truncatePending_)
        return;
    truncatePending_ = false;
    if (file_.isOpen() && !file_.truncate(0)) {
        localWriteFailed_ = true;
    }
}

void TMFtp::OnDownloadResumeTypeReply(const QByteArray &)
{
    remoteSize_ = 0;
    const QString answer = AskInfo(needResumeDecision, QString());
    if (answer == QLatin1String("Resume")) {
        if (!canResume_) {
            ReportInfo(infoResumeNotSupported);
            file_.close();
            operation_ = opNone;
            PostReady();
        } else if (sizeSupported_) {
            SendSilent("SIZE " + remoteFile_, FTP_HANDLER(OnDownloadSizeReply));
        } else {
            OnDownloadSizeReply("500");
        }
        return;
    }
    if (answer.isEmpty() || answer == QLatin1String("Overwrite")) {
        TruncateForOverwrite();
        OnDownloadTypeReply("299");
        return;
    }
    file_.close();
    operation_ = opNone;
    PostReady();
}

void TMFtp::OnDownloadSizeReply(const QByteArray &reply)
{
    const qint64 localSize = file_.size();
    const std::optional<qint64> size = IsCompletion(reply) ? ParseSizeReply(reply) : std::nullopt;
    if (size) {
        remoteSize_ = *size;
        expectedSize_ = *size;
        if (localSize > 0 && remoteSize_ >= localSize) {
            if (remoteSize_ == localSize) {
                ReportInfo(infoNothingToDo, QString::fromLatin1(NothingToDoText));
                file_.close();
                operation_ = opNone;
                PostReady();
                return;
            }
            file_.seek(localSize);
            dataReadyHandler_ = FTP_HANDLER(OnRestRetrDataReady);
            OnDownloadTypeReply("299");
            return;
        }
        ReportInfo(infoResumeNotSupported, QString::fromLatin1(OverwriteText));
        TruncateForOverwrite();
        OnDownloadTypeReply("299");
        return;
    }
    if (IsNotImplemented(reply)) {
        // No SIZE: resume from the local size and let the server send what
        // is left (nothing when the file is complete).
        sizeSupported_ = false;
        if (localSize > 0) {
            file_.seek(localSize);
            dataReadyHandler_ = FTP_HANDLER(OnRestRetrDataReady);
        } else {
            TruncateForOverwrite();
        }
        OnDownloadTypeReply("299");
        return;
    }
    TruncateForOverwrite();
    OnDownloadTypeReply("299");
}

void TMFtp::OnRetrDataReady(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        FailDataSetup(errorCommandFailed);
        return;
    }
    InstallDataHandlers(DataKind::Download);
    SendCommand("RETR " + remoteFile_, FTP_HANDLER(OnRetrReply));
}

void TMFtp::OnRestRetrDataReady(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        FailDataSetup(errorCommandFailed);
        return;
    }
    restartOffset_ = file_.size();
    file_.seek(restartOffset_);
    InstallDataHandlers(DataKind::Download);
    SendCommand("REST " + QByteArray::number(restartOffset_), FTP_HANDLER(OnDownloadRestReply));
}

void TMFtp::OnDownloadRestReply(const QByteArray &reply)
{
    if (IsIntermediate(reply)) {
        SendCommand("RETR " + remoteFile_, FTP_HANDLER(OnRetrReply));
        return;
    }
    CloseDataSockets();
    file_.close();
    errorText_ = QString::fromLatin1(ResumeDownloadFailedText);
    transferOK_ = false;
    ReportError(errorResumeFailed);
    PostReady();
}

void TMFtp::OnRetrReply(const QByteArray &reply)
{
    if (IsPreliminary(reply)) {
        EnsureTruncated();
        ReportInfo(infoTransferTotal, QStringLiteral("0"));
        // "150 Opening BINARY mode data connection for x (1234 bytes)."
        const QByteArray size = RetrSizeText(reply);
        if (!size.isEmpty()) {
            if (expectedSize_ < 0) {
                bool ok = false;
                const qint64 announced = size.toLongLong(&ok);
                if (ok && announced >= 0)
                    expectedSize_ = restartOffset_ + announced;
            }
            ReportInfo(infoFileSize, QString::fromLatin1(size));
            ReportInfo(infoTransferTotal, QString::fromLatin1(size));
        }
        if (localWriteFailed_)
            DownloadRead(); // reports the failed truncation
        return;
    }
    if (IsCompletion(reply)) {
        finalReplyOK_ = true;
        EnsureTruncated(); // an empty file: no data, no preliminary reply
        if (localWriteFailed_ && file_.isOpen())
            DownloadRead();
        if (dataClosed_) {
            CheckDownloadComplete();
            PostReady();
        }
        return;
    }
    CloseDataSockets();
    file_.close();
    ReportInfo(infoTransferEnd);
    if (abortRequested_ && reply.startsWith("426")) {
        RaiseNotify(notifyAborted);
        PostReady();
        return;
    }
    transferOK_ = false;
    errorText_ = QString::fromLatin1(AccessDeniedText);
    ReportError(errorAccessDenied);
    PostReady();
}

// After a failed local write the data connection is closed; the server's
// answer to that ends the operation without a second error.
void TMFtp::OnRetrReplyAfterLocalFailure(const QByteArray &reply)
{
    if (IsPreliminary(reply))
        return;
    PostReady();
}

void TMFtp::DownloadRead()
{
    if (inDataRead_)
        return;
    inDataRead_ = true;
    for (int reads = 0; reads < MaxReadsPerEvent; ++reads) {
        if (!file_.isOpen())
            break;
        EnsureTruncated();
        if (localWriteFailed_) {
            transferOK_ = false;
            ReportError(errorLocalWrite);
            file_.close();
            ReportInfo(infoTransferEnd);
            CloseDataSockets();
            dataClosed_ = true;
            if (finalReplyOK_)
                PostReady();
            else
                SetReplyHandler(FTP_HANDLER(OnRetrReplyAfterLocalFailure));
            break;
        }
        qint64 n = 0;
        if (!ReadBlock(&n) || n <= 0)
            break;
        bytesTransferred_ += n;
        if (file_.write(ioBuffer_.constData(), n) < n)
            localWriteFailed_ = true; // "No space left on device"
    }
    inDataRead_ = false;
}

void TMFtp::OnTransferDataClosed()
{
    if (dataSocket_->OnRead) {
        DownloadRead();
    }
    if (localWriteFailed_ && !file_.isOpen())
        return; // already ended
    if (dataKind_ == DataKind::Upload && file_.position() < uploadSize_)
        transferOK_ = false; // the server hung up before the end
    CloseDataSockets();
    file_.close();
    ReportInfo(infoDataClosed);
    ReportInfo(infoTransferEnd);
    dataClosed_ = true;
    if (finalReplyOK_) {
        CheckDownloadComplete();
        PostReady();
    }
}

void TMFtp::CheckDownloadComplete()
{
    if (dataKind_ != DataKind::Download || operation_ != opDownload || !transferOK_ || expectedSize_ < 0
        || currentType_ != "I")
        return;
    const qint64 received = bytesTransferred_; // counts from the restart offset
    if (received >= expectedSize_)
        return;
    transferOK_ = false;
    errorText_ = QStringLiteral("Transfer incomplete: %1 of %2 bytes received").arg(received).arg(expectedSize_);
    ReportError(errorDataConnection);
}

// ---- Upload ----

void TMFtp::UploadFile(const QString &localFile, const QByteArray &remoteFile)
{
    if (!BeginOperation())
        return;
    operation_ = opUpload;
    remoteFile_ = remoteFile;
    localFile_ = localFile;
    restartOffset_ = 0;
    transferOK_ = false;
    if (remoteFile_.isEmpty()) {
        itemPending_ = false;
        ReportError(errorNoRemoteFile);
        PostReady();
        return;
    }
    if (localFile_.isEmpty() || !file_.openReadOnly(localFile_)) {
        itemPending_ = false;
        ReportError(errorLocalFile);
        PostReady();
        return;
    }
    transferOK_ = true;
    ReportInfo(infoTransferTotal, QString::number(file_.size()));
    SetType(TransferTypeLetter(), FTP_HANDLER(OnUploadTypeReply));
    if (!asynchronous_)
        WaitWhileBusy();
}

void TMFtp::OnUploadTypeReply(const QByteArray &)
{
    remoteSize_ = 0;
    if (canResume_ && sizeSupported_) {
        SendSilent("SIZE " + remoteFile_, FTP_HANDLER(OnUploadSizeReply));
        return;
    }
    dataReadyHandler_ = FTP_HANDLER(OnStorDataReady);
    PrepareUpload();
}

void TMFtp::OnUploadSizeReply(const QByteArray &reply)
{
    dataReadyHandler_ = FTP_HANDLER(OnStorDataReady);
    const std::optional<qint64> size = IsCompletion(reply) ? ParseSizeReply(reply) : std::nullopt;
    if (size) {
        remoteSize_ = *size;
        if (remoteSize_ != 0) {
            const QString answer = AskInfo(needResumeDecision, QString());
            if (answer == QLatin1String("Resume")) {
                const qint64 localSize = file_.size();
                if (remoteSize_ == localSize) {
                    ReportInfo(infoNothingToDo, QString::fromLatin1(NothingToDoText));
                    file_.close();
                    operation_ = opNone;
                    PostReady();
                    return;
                }
                if (remoteSize_ < localSize) {
                    file_.seek(remoteSize_);
                    dataReadyHandler_ = FTP_HANDLER(OnRestStorDataReady);
                } else {
                    // The remote file is longer than the local one.
                    ReportInfo(infoResumeNotSupported, QString::fromLatin1(OverwriteText));
                }
            } else if (!answer.isEmpty() && answer != QLatin1String("Overwrite")) {
                file_.close();
                operation_ = opNone;
                PostReady();
                return;
            }
        }
    } else if (IsNotImplemented(reply)) {
        sizeSupported_ = false;
    }
    PrepareUpload();
}

void TMFtp::PrepareUpload()
{
    dataClosed_ = false;
    finalReplyOK_ = false;
    PrepareDataConnection();
}

void TMFtp::OnStorDataReady(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        FailDataSetup(errorCommandFailed);
        return;
    }
    InstallDataHandlers(DataKind::Upload);
    SendCommand("STOR " + remoteFile_, FTP_HANDLER(OnStorReply));
}

void TMFtp::OnRestStorDataReady(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        FailDataSetup(errorCommandFailed);
        return;
    }
    restartOffset_ = remoteSize_;
    file_.seek(restartOffset_);
    InstallDataHandlers(DataKind::Upload);
    SendCommand("REST " + QByteArray::number(restartOffset_), FTP_HANDLER(OnUploadRestReply));
}

void TMFtp::OnUploadRestReply(const QByteArray &reply)
{
    if (IsIntermediate(reply)) {
        SendCommand("STOR " + remoteFile_, FTP_HANDLER(OnStorReply));
        return;
    }
    CloseDataSockets();
    file_.close();
    transferOK_ = false;
    errorText_ = QString::fromLatin1(ResumeUploadFailedText);
    ReportError(errorResumeFailed);
    PostReady();
}

void TMFtp::OnStorReply(const QByteArray &reply)
{
    if (IsPreliminary(reply)) {
        // The data goes out once the server has taken the command: a
        // server may drop a data connection that ends before it.
        SetReplyHandler(FTP_HANDLER(OnStorCompletionReply));
        storAccepted_ = true;
        if (dataOpen_)
            UploadWrite();
        return;
    }
    if (IsCompletion(reply)) {
        finalReplyOK_ = true;
        if (dataClosed_)
            PostReady();
        return;
    }
    CloseDataSockets();
    file_.close();
    transferOK_ = false;
    errorText_ = QString::fromLatin1(AccessDeniedText);
    ReportError(errorAccessDenied);
    PostReady();
}

void TMFtp::OnStorCompletionReply(const QByteArray &reply)
{
    if (!dataClosed_) {
        // "552 Disk full" while the data still flows: stop sending.
        CloseDataSockets();
        file_.close();
        ReportInfo(infoDataClosed);
        ReportInfo(infoTransferEnd);
        dataClosed_ = true;
        transferOK_ = false;
        if (IsCompletion(reply)) {
            ReportError(errorDataConnection);
            PostReady();
            return;
        }
    }
    if (!IsCompletion(reply)) {
        transferOK_ = false;
        errorText_ = QString::fromLatin1(AccessDeniedText);
        ReportError(errorAccessDenied);
    }
    PostReady();
}

// One pass: hands file bytes to the socket until it would block, the file
// ends or something fails. True while the upload goes on.
bool TMFtp::UploadPass()
{
    while (file_.isOpen() && file_.position() < uploadSize_) {
        const qint64 position = file_.position();
        const qint64 want = qMin(SendBlockSize, uploadSize_ - position);
        qint64 accepted = 0;
        bool shortFile = false;
        if (sendFileUsable_) {
            const qint64 n = dataSocket_->SendFile(file_.descriptor(), position, want);
            if (n == platform::AsyncSocket::SendFileUnsupported) {
                sendFileUsable_ = false;
                continue;
            }
            if (n == platform::AsyncSocket::SendFileReadFailed || (n == 0 && dataSocket_->LastError() == 0)) {
                shortFile = true;
            } else {
                accepted = n;
            }
        } else {
            const qint64 chunk = qMin<qint64>(want, ioBuffer_.size());
            const qint64 read = file_.read(ioBuffer_.data(), chunk);
            if (read < chunk) {
                shortFile = true;
                file_.seek(position);
            } else {
                while (accepted < read) {
                    const qint64 n = dataSocket_->Send(ioBuffer_.constData() + accepted, read - accepted);
                    if (n <= 0)
                        break;
                    accepted += n;
                }
                file_.seek(position);
            }
        }
        if (shortFile) {
            // The file is shorter than when the upload began, or unreadable.
            ReportError(errorLocalRead);
            CloseDataSockets();
            opOK_ = false;
            transferOK_ = false;
            return false;
        }
        file_.seek(position + accepted);
        bytesTransferred_ += accepted;
        const int error = dataSocket_->LastError();
        if (error == platform::WSAEWOULDBLOCK)
            return true; // the next write event goes on
        if (error != 0) {
            if (!abortRequested_)
                FatalError(errorDataConnection);
            return false;
        }
    }
    operation_ = opNone; // the whole file went out
    return false;
}

void TMFtp::UploadWrite()
{
    if (inUploadWrite_ || !file_.isOpen() || dataClosed_ || !dataOpen_ || (!storAccepted_ && !abortRequested_))
        return;
    inUploadWrite_ = true;
    bool more = false;
    if (abortRequested_) {
        opOK_ = false;
        transferOK_ = false;
    } else {
        more = UploadPass();
        if (!file_.isOpen()) { // the session ended under the upload
            inUploadWrite_ = false;
            return;
        }
        ReportInfo(infoUploadProgress);
    }
    if (!more || !opOK_)
        FinishUploadData();
    inUploadWrite_ = false;
}

void TMFtp::FinishUploadData()
{
    CloseDataSockets();
    file_.close();
    ReportInfo(infoDataClosed);
    ReportInfo(infoTransferEnd);
    dataClosed_ = true;
    if (finalReplyOK_)
        PostReady();
}
