// Data connections: the transfer type, passive and active set-up, the
// network listing and the transfer abort.

#include "engine/TMFtp.h"

#include "engine/TMFtpInternal.h"
#include "platform/EventLoop.h"
#include "platform/TextCodec.h"
#include "platform/WinSock.h"

#include <QThread>

using namespace ftp;

namespace {
const char *const AccessDeniedText = "Access denied or file not found";
// Bytes per read from a data connection. Larger blocks mean fewer system
// calls; nothing observable depends on the size.
constexpr qsizetype IoBlockSize = 256 * 1024;
// Reads per read event: more waiting data raises the event again, so a fast
// sender cannot keep the event loop from the control connection.
constexpr int MaxReadsPerEvent = 64;
constexpr int AbortPauseMs = 1000;
} // namespace

// ---- Transfer type ----

void TMFtp::SetType(const QByteArray &letter, ReplyHandler continuation)
{
    if (letter != currentType_) {
        currentType_ = letter;
        SendCommand("TYPE " + letter, continuation);
        return;
    }
    SetReplyHandler(continuation);
    (this->*continuation.fn)("299");
}

QByteArray TMFtp::TransferTypeLetter() const
{
    return transferMode_ == BinaryTransfer ? QByteArray("I") : QByteArray("A");
}

// ---- Data connection preparation ----

void TMFtp::CloseDataSockets()
{
    ++dataHandshakeSerial_;
    tlsClosing_ = false;
    uploadDraining_ = false;
    dataSocket_->CloseSilently();
    listenSocket_->CloseSilently();
}

void TMFtp::PrepareDataConnection()
{
    // EPSV/EPRT or PASV/PORT: see FtpFeatureUse.h.
    if (passive_) {
        if (featureUse_.ExtendedData)
            SendCommand("EPSV", FTP_HANDLER(OnEpsvReply));
        else
            SendCommand("PASV", FTP_HANDLER(OnPasvReply));
        return;
    }
    CloseDataSockets();
    listenSocket_->OnAccept = nullptr;
    const QString local = LocalAddress();
    listenSocket_->SetServer(local);
    listenSocket_->SetPort(0);
    listenSocket_->SetAddress(local);
    listenSocket_->SetPort(0);
    listenSocket_->CreateSocket();
    if (listenSocket_->LastError() == 0)
        listenSocket_->Listen();
    const quint16 port = listenSocket_->LastError() == 0 ? listenSocket_->LocalPort() : 0;
    if (local.isEmpty() || port == 0) {
        QString reason;
        FtpErrorFromSocketError(listenSocket_->LastError(), &reason);
        CloseDataSockets();
        errorText_ = QStringLiteral("Data connection failed: cannot listen on %1 (%2)")
                         .arg(local.contains(QLatin1Char(':')) ? QLatin1Char('[') + local + QLatin1Char(']') : local,
                              reason);
        FailDataSetup(errorDataConnection);
        return;
    }
    // Servers connect as soon as they read PORT, often before their reply
    // ("200 Active data connection established."): a caller that comes
    // before the command is ready to take it is taken then.
    acceptPending_ = false;
    listenSocket_->OnAccept = [this](QObject *) { acceptPending_ = true; };
    dataBuffer_.clear();
    if (featureUse_.ExtendedData)
        SendCommand("EPRT " + EprtArgument(local, port), dataReadyHandler_);
    else
        SendCommand("PORT " + PortArgument(local, port), dataReadyHandler_);
}

void TMFtp::OnPasvReply(const QByteArray &reply)
{
    QString address;
    quint16 port = 0;
    if (!IsCompletion(reply) || !dataReadyHandler_.fn || !ParsePasvReply(reply, &address, &port)) {
        // "227 Entering Passive Mode" without the six numbers is refused too.
        FailDataSetup(errorCommandFailed);
        return;
    }
    if (passiveAddressRule_ && address != AddressText()) {
        ReportInfo(infoNote, QStringLiteral("The server named %1 for the data connection: connecting to %2 instead")
                                 .arg(address, AddressText()));
        address = AddressText();
    }
    ConnectPassiveData(address, port);
}

// The extended answer names no address: the data connection goes to the
// control connection's peer. Refused or unreadable, the set-up fails; PASV
// cannot carry an IPv6 address, so there is nothing to fall back on.
void TMFtp::OnEpsvReply(const QByteArray &reply)
{
    quint16 port = 0;
    if (!IsCompletion(reply) || !dataReadyHandler_.fn) {
        errorText_ = platform::decodeRemoteName(FinalReplyLine(reply));
        FailDataSetup(errorCommandFailed);
        return;
    }
    if (!ParseEpsvReply(FinalReplyLine(reply), &port)) {
        errorText_ = QStringLiteral("Unreadable EPSV reply: ") + platform::decodeRemoteName(FinalReplyLine(reply));
        FailDataSetup(errorCommandFailed);
        return;
    }
    ConnectPassiveData(AddressText(), port);
}

void TMFtp::ConnectPassiveData(const QString &address, quint16 port)
{
    CloseDataSockets();
    dataSocket_->SetServer(address);
    dataSocket_->SetAddress(address);
    dataSocket_->SetPort(port);
    dataSocket_->CreateSocket();
    dataSocket_->OnConnect = nullptr;
    dataSocket_->OnRead = nullptr;
    dataSocket_->OnWrite = nullptr;
    dataSocket_->OnDisconnect = nullptr;
    dataSocket_->SetReportWouldBlock(false);
    if (tlsMode_ != tlsOff)
        dataSocket_->Tls()->resumeFrom(*Tls());
    dataSocket_->Tls()->setStartOnConnect(tlsMode_ != tlsOff);
    dataSocket_->Connect();
    dataBuffer_.clear();
    if (dataSocket_->LastError() != 0) {
        FailDataConnection(dataSocket_->LastError());
        return;
    }
    const ReplyHandler ready = dataReadyHandler_;
    SetReplyHandler(ready);
    (this->*ready.fn)("299");
}

void TMFtp::InstallDataHandlers(DataKind kind)
{
    dataKind_ = kind;
    dataOpen_ = false;
    storAccepted_ = false;
    dataSocket_->OnRead = nullptr;
    dataSocket_->OnWrite = nullptr;
    switch (kind) {
    case DataKind::Listing:
        dataSocket_->OnRead = [this](QObject *) { ListingRead(); };
        dataSocket_->OnDisconnect = [this](QObject *) { OnListingDataClosed(); };
        break;
    case DataKind::Download:
        dataSocket_->OnRead = [this](QObject *) { DownloadRead(); };
        dataSocket_->OnDisconnect = [this](QObject *) { OnTransferDataClosed(); };
        break;
    case DataKind::Upload:
        dataSocket_->OnWrite = [this](QObject *) { UploadWrite(); };
        dataSocket_->OnDisconnect = [this](QObject *) { OnTransferDataClosed(); };
        break;
    }
    if (ioBuffer_.isEmpty())
        ioBuffer_.resize(IoBlockSize);
    const auto opened = [this](QObject *) { OnDataConnectionOpened(); };
    if (passive_) {
        dataSocket_->OnConnect = opened;
    } else {
        listenSocket_->OnAccept = opened;
        if (acceptPending_) {
            acceptPending_ = false;
            OnDataConnectionOpened();
        }
    }
}

void TMFtp::OnDataConnectionOpened()
{
    if (!passive_) {
        dataSocket_->Accept(*listenSocket_);
        if (dataSocket_->LastError() == 0 && dataSocket_->AddressText() != AddressText()) {
            // Only the server may send or take the data: a caller from
            // any other address is hung up on, and the wait goes on.
            qCWarning(lcFtpEngine) << "data connection from" << dataSocket_->AddressText() << "refused";
            dataSocket_->CloseSilently();
            return;
        }
        // One data connection per command: a second caller is not taken.
        listenSocket_->OnAccept = nullptr;
        if (dataSocket_->LastError() == 0 && tlsMode_ != tlsOff && !abortRequested_) {
            // We are the TLS client on this connection too: the data flows
            // once the handshake has ended.
            platform::TlsSession *tls = dataSocket_->Tls();
            const quint64 serial = ++dataHandshakeSerial_;
            QObject::disconnect(tls, &platform::TlsSession::handshakeDone, this, nullptr);
            connect(tls, &platform::TlsSession::handshakeDone, this, [this, serial](int error) {
                if (serial != dataHandshakeSerial_)
                    return;
                dataSocket_->SetLastError(error);
                OnDataConnectionReady();
            });
            tls->resumeFrom(*Tls());
            tls->startHandshake();
            return;
        }
    }
    OnDataConnectionReady();
}

void TMFtp::OnDataConnectionReady()
{
    const int error = dataSocket_->LastError();
    if (error == 0 && abortRequested_) {
        StopDataForAbort();
        return;
    }
    if (error == 0) {
        bytesTransferred_ = qMax<qint64>(0, restartOffset_);
        opOK_ = true;
        dataOpen_ = true;
        if (dataKind_ == DataKind::Upload) {
            uploadSize_ = file_.size();
            dataSocket_->SetReportWouldBlock(true);
            if (storAccepted_)
                UploadWrite();
        } else {
            dataSocket_->SetReportWouldBlock(false);
        }
        TouchWatchdog();
        return;
    }
    if (abortRequested_ || (dataKind_ != DataKind::Upload && error == platform::WSAENOTSOCK))
        return;
    FailDataConnection(error);
}

void TMFtp::FailDataConnection(int socketError)
{
    QString reason;
    FtpErrorFromSocketError(socketError, &reason);
    if (platform::isTlsError(socketError) && !dataSocket_->Tls()->errorText().isEmpty())
        reason = dataSocket_->Tls()->errorText();
    errorText_ = QStringLiteral("Data connection failed: %1").arg(reason);
    FatalError(errorDataConnection);
}

void TMFtp::SendDataCommand(const QByteArray &command, ReplyHandler handler)
{
    dataCommandSent_ = true;
    restSent_ = false;
    preliminarySeen_ = false;
    SendCommand(command, handler);
}

void TMFtp::ReportDataCommandRefused(const QByteArray &reply)
{
    if (reply.startsWith("425") || reply.startsWith("426")) {
        errorText_ = DecodeName(reply);
        ReportError(errorDataConnection);
        return;
    }
    errorText_ = QString::fromLatin1(AccessDeniedText);
    ReportError(errorAccessDenied);
}

// Receives one block into ioBuffer_. False on a socket error (already
// handled); *received is 0 when nothing waits or the data has ended.
bool TMFtp::ReadBlock(qint64 *received)
{
    *received = dataSocket_->Receive(ioBuffer_.data(), ioBuffer_.size());
    const int error = dataSocket_->LastError();
    if (error == 0)
        return true;
    *received = 0;
    if (!abortRequested_ && error != platform::WSAENOTSOCK)
        FailDataConnection(error);
    return false;
}

// ---- Network listing ----

void TMFtp::StartNetworkListing()
{
    SetType("A", FTP_HANDLER(OnListingTypeReply));
}

void TMFtp::OnListingTypeReply(const QByteArray &reply)
{
    dataClosed_ = false;
    finalReplyOK_ = false;
    if (!IsCompletion(reply)) {
        ReportError(errorCommandFailed);
        PostReady();
        return;
    }
    dataReadyHandler_ = FTP_HANDLER(OnListingDataReady);
    PrepareDataConnection();
}

void TMFtp::OnListingDataReady(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        CloseDataSockets();
        ReportError(errorCommandFailed);
        PostReady();
        return;
    }
    InstallDataHandlers(DataKind::Listing);
    pendingFileList_.Clear();
    pendingFolderList_.Clear();
    listingParser_.Reset();
    dataBuffer_.clear();
    listingLineSkipped_ = false;
    ReportInfo(infoListingStart);
    // MLSD lists a folder, not a mask: a mask is always listed with LIST.
    listingWithMlsd_ = featureUse_.Mlsd && machineListing_ && fileMask_.isEmpty();
    if (listingWithMlsd_)
        SendDataCommand("MLSD", FTP_HANDLER(OnListReply));
    else
        SendDataCommand(fileMask_.isEmpty() ? QByteArray("LIST") : "LIST " + fileMask_, FTP_HANDLER(OnListReply));
}

void TMFtp::OnListReply(const QByteArray &reply)
{
    if (IsPreliminary(reply))
        return;
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
    if (listingWithMlsd_ && IsMlsdRefusal(reply)) {
        // The server offered MLSD but does not take it: LIST from now on.
        featureUse_.Mlsd = false;
        listingWithMlsd_ = false;
        ReportInfo(infoNote, QStringLiteral("MLSD refused: listing with LIST for the rest of the session"));
        dataCommandSent_ = false;
        dataReadyHandler_ = FTP_HANDLER(OnListingDataReady);
        PrepareDataConnection();
        return;
    }
    ReportDataCommandRefused(reply);
    PostReady();
}

void TMFtp::ListingRead()
{
    if (inDataRead_)
        return;
    inDataRead_ = true;
    // An abort from a listener of a line closes the data side at once.
    for (int reads = 0; reads < MaxReadsPerEvent && !dataClosed_; ++reads) {
        qint64 n = 0;
        if (!ReadBlock(&n) || n <= 0)
            break;
        bytesTransferred_ += n;
        TouchWatchdog();
        dataBuffer_.append(ioBuffer_.constData(), n);
        while (!dataClosed_) {
            std::optional<QByteArray> line = dataBuffer_.nextLine();
            if (!line)
                break;
            ListingLine(*line);
        }
        ReportSkippedListingLine();
    }
    inDataRead_ = false;
}

// Once per listing: the cut listing is then not cached either.
void TMFtp::ReportSkippedListingLine()
{
    if (!dataBuffer_.takeLineTooLong() || listingLineSkipped_)
        return;
    listingLineSkipped_ = true;
    errorText_ = QStringLiteral("Listing line too long (more than %1 bytes): skipped")
                     .arg(ListingLineSplitter::MaxLineLength);
    ReportError(errorCommandFailed);
}

void TMFtp::ListingLine(const QByteArray &line)
{
    try {
        ReportInfo(infoListingLine, DecodeName(line));
        const TListingLineResult result =
            listingWithMlsd_ ? listingParser_.AddMlsdLine(line, pendingFolderList_, pendingFileList_)
                             : listingParser_.AddListingLine(serverType_, line, pendingFolderList_, pendingFileList_);
        if (result == llFolder) {
            const QByteArrayView name = pendingFolderList_.FileName(pendingFolderList_.Count() - 1);
            ReportInfo(infoDirectoryFound, DecodeName(name.toByteArray()));
        }
    } catch (const std::exception &) {
        // this line only
    }
}

void TMFtp::OnListingDataClosed()
{
    ReportInfo(infoListingDataClosed);
    dataSocket_->OnConnect = nullptr;
    ListingRead();
    // "-rw-r--r-- 1 ftp ftp 5 Jan 01 2020 last" with no line end after it
    if (const QByteArray rest = dataBuffer_.takeRest(); !rest.isEmpty())
        ListingLine(rest);
    ReportSkippedListingLine();
    CloseDataSockets();
    ReportInfo(infoListingReceived);
    ReportInfo(infoDataClosed);
    dataClosed_ = true;
    if (finalReplyOK_)
        PostReady();
    TouchWatchdog();
}

// ---- Abort ----

void TMFtp::AbortTransfer()
{
    if (abortRequested_)
        return;
    abortRequested_ = true;
    if (!dataCommandSent_)
        return; // the reply under way ends the operation (DispatchReply)
    if (CheckSocketError()) {
        PostReady();
        return;
    }
    // Under TLS there is no urgent data: ABOR goes alone.
    if (!Encrypted()) {
        static const char interruptProcess[] = {char(0xFF), char(0xF4)};
        qint64 sent = 0;
        while (sent < 2) {
            sent += Send(interruptProcess + sent, 2 - sent);
            if (LastError() != 0 || SocketHandle() < 0)
                return;
            if (sent < 2)
                platform::pumpEvents();
        }
        static const char dataMark[] = {char(0xFF), char(0xF2)};
        SendUrgent(dataMark, 2);
    }
    if (LastError() != 0) {
        PostReady();
        return;
    }
    // Nothing more is taken or sent: the data connection closes at once.
    StopDataForAbort();
    // The data command's final reply (426, or 226 when it was done) ends
    // the operation. ABOR has a reply of its own after it ("226 ABOR
    // command successful."), which must not be taken for the reply to a
    // later command.
    const bool finalReplyIn = finalReplyOK_;
    aborReplyOwed_ = true;
    aborPassThrough_ = finalReplyIn ? 0 : 1;
    SendCommand("ABOR", replyHandler_);
    if (finalReplyIn && busy_)
        EndAbortedTransfer();
    WaitWhileBusy();
    QThread::msleep(AbortPauseMs);
}

void TMFtp::StopDataForAbort()
{
    CloseDataSockets();
    if (operation_ == opList)
        opOK_ = false; // a cut listing is not cached
    if (operation_ == opUpload)
        transferOK_ = false;
    if (file_.isOpen()) {
        file_.close();
        ReportInfo(infoDataClosed);
        ReportInfo(infoTransferEnd);
    }
    dataClosed_ = true;
}

void TMFtp::EndAbortedTransfer()
{
    StopDataForAbort();
    RaiseNotify(notifyAborted);
    PostReady();
}
