// Downloads and uploads, with the resume decisions (SIZE and REST).

#include "engine/TMFtp.h"

#include "engine/TMFtpInternal.h"
#include "platform/AsyncSocket.h"
#include "platform/TextCodec.h"
#include "platform/WinSock.h"

#include <QDir>
#include <QFileInfo>

#include <cstring>
#include <utility>

using namespace ftp;

namespace {
const char *const ResumeDownloadFailedText = "Failed to resume downloading file";
const char *const ResumeUploadFailedText = "Failed to resume uploading file";
const char *const OverwriteText = "resume this file error, I will overwrite it";
const char *const NothingToDoText = "I am afraid I have nothing to do";
// Bytes handed to the socket per call while uploading.
constexpr qint64 SendBlockSize = 4 * 1024 * 1024;
// Reads per read event (see the listing reader).
constexpr int MaxReadsPerEvent = 64;
} // namespace

namespace {
QString SystemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
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
    DiscardReplacement();
}

void TMFtp::ReportLocalFileError(const QString &path, int error)
{
    if (path.isEmpty())
        errorText_ = QStringLiteral("No local file name");
    else
        errorText_ = QStringLiteral("Cannot open local file %1: %2").arg(QDir::toNativeSeparators(path),
                                                                         SystemErrorText(error));
    ReportError(errorLocalFile);
}

// ---- Replacing an existing local file ----

bool TMFtp::StartReplacement()
{
    DiscardReplacement();
    file_.close();
    // A link is followed: the file it names is the one replaced.
    QString target = localFile_;
    if (const QFileInfo info(localFile_); info.isSymLink() && !info.canonicalFilePath().isEmpty())
        target = info.canonicalFilePath();
    QString temporary;
    if (!file_.createBeside(target, &temporary)) {
        transferOK_ = false;
        errorText_ = QStringLiteral("Cannot create a temporary file beside %1: %2")
                         .arg(QDir::toNativeSeparators(target), SystemErrorText(file_.lastError()));
        ReportError(errorLocalFile);
        return false;
    }
    replacedFile_ = target;
    temporaryFile_ = temporary;
    return true;
}

void TMFtp::CommitReplacement()
{
    if (temporaryFile_.isEmpty())
        return;
    file_.close();
    const QString temporary = std::exchange(temporaryFile_, QString());
    const QString target = std::exchange(replacedFile_, QString());
    if (const int error = platform::LocalFile::replace(temporary, target); error != 0) {
        platform::LocalFile::remove(temporary);
        transferOK_ = false;
        errorText_ = QStringLiteral("Cannot replace local file %1: %2")
                         .arg(QDir::toNativeSeparators(target), SystemErrorText(error));
        ReportError(errorLocalFile);
    }
}

void TMFtp::DiscardReplacement()
{
    if (temporaryFile_.isEmpty())
        return;
    file_.close();
    platform::LocalFile::remove(temporaryFile_);
    temporaryFile_.clear();
    replacedFile_.clear();
}

// The whole file is fetched anew; the existing one stays until it is complete.
void TMFtp::OverwriteDownload()
{
    restartOffset_ = 0;
    if (!StartReplacement()) {
        PostReady();
        return;
    }
    dataReadyHandler_ = FTP_HANDLER(OnRetrDataReady);
    OnDownloadTypeReply("299");
}

// Both the data and the final reply are in.
void TMFtp::FinishTransfer()
{
    CheckDownloadComplete();
    if (transferOK_)
        CommitReplacement();
    PostReady();
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
    localWriteFailed_ = false;
    DiscardReplacement();
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
        ReportLocalFileError(localFile_, 0);
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
        ReportLocalFileError(localFile_, file_.lastError());
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

void TMFtp::OnDownloadResumeTypeReply(const QByteArray &)
{
    remoteSize_ = 0;
    const QString answer = AskInfo(needResumeDecision, QString());
    if (answer == QLatin1String("Resume")) {
        if (!canResume_) {
            // The server cannot restart a transfer: the whole file comes
            // anew, or the partial file would be taken for a complete one.
            ReportInfo(infoResumeNotSupported, QString::fromLatin1(OverwriteText));
            OverwriteDownload();
        } else if (sizeSupported_) {
            SendSilent("SIZE " + remoteFile_, FTP_HANDLER(OnDownloadSizeReply));
        } else {
            OnDownloadSizeReply("500");
        }
        return;
    }
    if (answer.isEmpty() || answer == QLatin1String("Overwrite")) {
        OverwriteDownload();
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
        OverwriteDownload();
        return;
    }
    if (IsNotImplemented(reply)) {
        // No SIZE: resume from the local size and let the server send what
        // is left (nothing when the file is complete).
        sizeSupported_ = false;
        if (localSize > 0) {
            file_.seek(localSize);
            dataReadyHandler_ = FTP_HANDLER(OnRestRetrDataReady);
            OnDownloadTypeReply("299");
        } else {
            OverwriteDownload();
        }
        return;
    }
    OverwriteDownload();
}

void TMFtp::OnRetrDataReady(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        FailDataSetup(errorCommandFailed);
        return;
    }
    InstallDataHandlers(DataKind::Download);
    SendDataCommand("RETR " + remoteFile_, FTP_HANDLER(OnRetrReply));
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
    restSent_ = true;
    SendCommand("REST " + QByteArray::number(restartOffset_), FTP_HANDLER(OnDownloadRestReply));
}

void TMFtp::OnDownloadRestReply(const QByteArray &reply)
{
    if (IsIntermediate(reply)) {
        SendDataCommand("RETR " + remoteFile_, FTP_HANDLER(OnRetrReply));
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
        return;
    }
    if (abortRequested_) {
        EndAbortedTransfer();
        return;
    }
    if (IsCompletion(reply)) {
        finalReplyOK_ = true;
        if (dataClosed_)
            FinishTransfer();
        return;
    }
    CloseDataSockets();
    file_.close();
    ReportInfo(infoTransferEnd);
    transferOK_ = false;
    ReportDataCommandRefused(reply);
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
        qint64 n = 0;
        if (!ReadBlock(&n) || n <= 0)
            break;
        bytesTransferred_ += n;
        TouchWatchdog();
        if (file_.write(ioBuffer_.constData(), n) < n) {
            LocalWriteFailed(); // "No space left on device"
            break;
        }
    }
    inDataRead_ = false;
}

// The data connection is dropped; the server's answer to that ends the
// download without a second error.
void TMFtp::LocalWriteFailed()
{
    localWriteFailed_ = true;
    transferOK_ = false;
    errorText_ = QStringLiteral("Cannot write local file %1: %2")
                     .arg(QDir::toNativeSeparators(localFile_), SystemErrorText(file_.lastError()));
    ReportError(errorLocalWrite);
    file_.close();
    ReportInfo(infoTransferEnd);
    CloseDataSockets();
    dataClosed_ = true;
    if (finalReplyOK_)
        PostReady();
    else
        SetReplyHandler(FTP_HANDLER(OnRetrReplyAfterLocalFailure));
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
    if (finalReplyOK_)
        FinishTransfer();
    TouchWatchdog();
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
        ReportLocalFileError(localFile_, file_.lastError());
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
                if (remoteSize_ > localSize) {
                    // Not the start of the local file: overwriting would lose
                    // what only the server has.
                    file_.close();
                    transferOK_ = false;
                    errorText_ = QStringLiteral("%1: the remote file is larger (%2 bytes) than the local one "
                                                "(%3 bytes)")
                                     .arg(QLatin1String(ResumeUploadFailedText))
                                     .arg(remoteSize_)
                                     .arg(localSize);
                    ReportError(errorResumeFailed);
                    PostReady();
                    return;
                }
                file_.seek(remoteSize_);
                dataReadyHandler_ = FTP_HANDLER(OnRestStorDataReady);
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
    SendDataCommand("STOR " + remoteFile_, FTP_HANDLER(OnStorReply));
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
    restSent_ = true;
    SendCommand("REST " + QByteArray::number(restartOffset_), FTP_HANDLER(OnUploadRestReply));
}

void TMFtp::OnUploadRestReply(const QByteArray &reply)
{
    if (IsIntermediate(reply)) {
        SendDataCommand("STOR " + remoteFile_, FTP_HANDLER(OnStorReply));
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
    if (abortRequested_) {
        EndAbortedTransfer();
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
    ReportDataCommandRefused(reply);
    PostReady();
}

void TMFtp::OnStorCompletionReply(const QByteArray &reply)
{
    if (IsPreliminary(reply))
        return;
    if (abortRequested_) {
        EndAbortedTransfer();
        return;
    }
    if (!dataClosed_) {
        // "552 Disk full" while the data still flows: stop sending.
        CloseDataSockets();
        file_.close();
        ReportInfo(infoDataClosed);
        ReportInfo(infoTransferEnd);
        dataClosed_ = true;
        transferOK_ = false;
        if (IsCompletion(reply)) {
            errorText_ = QStringLiteral("Transfer incomplete: the server ended the upload after %1 of %2 bytes")
                             .arg(bytesTransferred_)
                             .arg(uploadSize_);
            ReportError(errorDataConnection);
            PostReady();
            return;
        }
    }
    if (!IsCompletion(reply)) {
        transferOK_ = false;
        ReportDataCommandRefused(reply);
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
            errorText_ = QStringLiteral("Cannot read local file %1 (it is shorter than when the upload began, or "
                                        "unreadable)")
                             .arg(QDir::toNativeSeparators(localFile_));
            ReportError(errorLocalRead);
            CloseDataSockets();
            opOK_ = false;
            transferOK_ = false;
            return false;
        }
        file_.seek(position + accepted);
        bytesTransferred_ += accepted;
        if (accepted > 0)
            TouchWatchdog();
        const int error = dataSocket_->LastError();
        if (error == platform::WSAEWOULDBLOCK)
            return true; // the next write event goes on
        if (error != 0) {
            if (!abortRequested_)
                FailDataConnection(error);
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
    TouchWatchdog();
}
