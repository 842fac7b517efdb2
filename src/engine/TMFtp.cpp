#include "engine/TMFtp.h"

#include "engine/FtpCache.h"
#include "engine/TMFtpInternal.h"
#include "platform/AppPaths.h"
#include "platform/EventLoop.h"

Q_LOGGING_CATEGORY(lcFtpEngine, "bw.engine", QtWarningMsg)

using namespace ftp;

namespace {
const char *const VersionText = "Quillon FTP 0.4.6";
const char *const DefaultPassword = "guest@quillon-ftp.example";
constexpr int DefaultNoopIntervalSeconds = 30;
} // namespace

TMFtp::TMFtp(QObject *owner)
    : TMSocket(owner), listenSocket_(new TMSocket(this)), dataSocket_(new TMSocket(this))
{
    SetNoopInterval(DefaultNoopIntervalSeconds);
    connect(&noopTimer_, &QTimer::timeout, this, &TMFtp::OnNoopTimer);
    retryTimer_.setSingleShot(true);
    connect(&retryTimer_, &QTimer::timeout, this, &TMFtp::OnRetryTimer);
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, &TMFtp::OnWatchdog);
    // The data side is watched by the engine's own timer (TimeOut of the
    // control connection), not by the sockets' connect countdown.
    listenSocket_->SetTimeOut(0);
    dataSocket_->SetTimeOut(0);

    OnMessage = [this](int message) { OnMessageReceived(message); };
    OnConnect = [this](QObject *) { OnControlConnected(); };
    OnDisconnect = [this](QObject *) { OnControlClosed(); };
    OnRead = [this](QObject *) { ControlRead(); };
    OnTimeOut = [this](QObject *) { OnControlTimeOut(); };

    username_ = QStringLiteral("anonymous");
    password_ = QString::fromLatin1(DefaultPassword);
    SetPort(21);
    SetCacheFolder(platform::cacheFolder());
}

TMFtp::~TMFtp()
{
    noopTimer_.stop();
    retryTimer_.stop();
    watchdog_.stop();
    CloseDataSockets();
    file_.close();
    DiscardReplacement();
    CloseSilently();
}

void TMFtp::SetCacheFolder(const QString &folder)
{
    cacheFolder_ = folder;
    ftpcache::PrepareFolder(folder);
    today_ = ftpcache::TodayNumber();
}

void TMFtp::EmptyCache()
{
    ftpcache::EmptyFolder(cacheFolder_);
}

qint64 TMFtp::ResumePosition() const
{
    return (operation_ == opDownload || operation_ == opUpload) ? restartOffset_ : 0;
}

QString TMFtp::Version() const
{
    return QString::fromLatin1(VersionText);
}

void TMFtp::SetAsynchronous(bool on)
{
    if (!busy_)
        asynchronous_ = on;
}

int TMFtp::NoopInterval() const
{
    return noopTimer_.interval() / MillisecondsPerSecond;
}

void TMFtp::SetNoopInterval(int seconds)
{
    const bool running = noopTimer_.isActive();
    noopTimer_.setInterval(qMax(0, seconds) * MillisecondsPerSecond);
    if (running || noopTimer_.interval() == 0)
        StartNoopTimer();
}

// ---- Listeners ----

namespace {

template <typename Handler, std::size_t N>
int AddToFirstFreeSlot(std::array<Handler, N> &listeners, Handler handler)
{
    if (!handler)
        return -1;
    for (std::size_t i = 0; i < N; ++i) {
        if (!listeners[i]) {
            listeners[i] = std::move(handler);
            return int(i) + 1;
        }
    }
    return -1;
}

template <typename Handler, std::size_t N>
void ClearSlot(std::array<Handler, N> &listeners, int slot)
{
    if (slot >= 1 && slot <= int(N))
        listeners[std::size_t(slot - 1)] = nullptr;
}

} // namespace

int TMFtp::AddErrorListener(TMFtpErrorEvent handler)
{
    return AddToFirstFreeSlot(errorListeners_, std::move(handler));
}

int TMFtp::AddInfoListener(TMFtpInfoEvent handler)
{
    return AddToFirstFreeSlot(infoListeners_, std::move(handler));
}

int TMFtp::AddNotifyListener(int notifyIndex, TNotifyEvent handler)
{
    if (notifyIndex < notifyFirst || notifyIndex > notifyLast)
        return -1;
    return AddToFirstFreeSlot(notifyListeners_[std::size_t(notifyIndex)], std::move(handler));
}

void TMFtp::RemoveErrorListener(int slot)
{
    ClearSlot(errorListeners_, slot);
}

void TMFtp::RemoveInfoListener(int slot)
{
    ClearSlot(infoListeners_, slot);
}

void TMFtp::RemoveNotifyListener(int notifyIndex, int slot)
{
    if (notifyIndex >= notifyFirst && notifyIndex <= notifyLast)
        ClearSlot(notifyListeners_[std::size_t(notifyIndex)], slot);
}

TNotifyEvent *TMFtp::PublishedNotify(int notifyIndex)
{
    switch (notifyIndex) {
    case notifyDirectoryChanged: return &OnDirectoryChanged;
    case notifyDirectoryCreated: return &OnDirectoryCreated;
    case notifyDirectoryDeleted: return &OnDirectoryDeleted;
    case notifyFileDeleted: return &OnFileDeleted;
    case notifyFileReceived: return &OnFileReceived;
    case notifyFileRenamed: return &OnFileRenamed;
    case notifyFileStored: return &OnFileStored;
    case notifyFtpQuit: return &OnFtpQuit;
    case notifyFtpReady: return &OnFtpReady;
    case notifyListingDone: return &OnListingDone;
    case notifyLoggedIn: return &OnLoggedIn;
    case notifyFtpBusy: return &OnFtpBusy;
    case notifyAborted: return &OnAborted;
    case notifyIndexFileReceived: return &OnIndexFileReceived;
    case notifyResolvedLinks: return &OnResolvedLinks;
    case notifyFileTransferred: return &OnFileTransferred;
    default: return nullptr;
    }
}

// Handlers are copied before the call: a handler may replace itself.
void TMFtp::RaiseNotify(int notifyIndex)
{
    if (const TNotifyEvent *published = PublishedNotify(notifyIndex); published && *published) {
        const TNotifyEvent handler = *published;
        handler(this);
    }
    for (int i = 0; i < MaxListeners; ++i) {
        const TNotifyEvent handler = notifyListeners_[std::size_t(notifyIndex)][std::size_t(i)];
        if (handler)
            handler(this);
    }
}

void TMFtp::ReportInfo(FtpInfo info, const QString &text)
{
    QString addinfo = text;
    if (addinfo.isEmpty())
        addinfo = FtpInfoDefaultText(info);
    else if (info == infoCommand && addinfo.startsWith(QLatin1String("PASS ")))
        addinfo = QStringLiteral("PASS (want to know) :-P\r\n");
    if (OnFtpInfo) {
        const TMFtpInfoEvent handler = OnFtpInfo;
        handler(this, info, addinfo);
    }
    for (const TMFtpInfoEvent &slot : infoListeners_) {
        const TMFtpInfoEvent handler = slot;
        if (handler)
            handler(this, info, addinfo);
    }
}

void TMFtp::ReportError(FtpError error)
{
    opOK_ = false;
    errorCode_ = error;
    const QString text = errorText_;
    if (OnFtpError) {
        const TMFtpErrorEvent handler = OnFtpError;
        handler(this, error, text);
    }
    for (const TMFtpErrorEvent &slot : errorListeners_) {
        const TMFtpErrorEvent handler = slot;
        if (handler)
            handler(this, error, text);
    }
    errorText_.clear();
}

// The question may stay open for long (a dialog): no time-out runs meanwhile.
QString TMFtp::AskInfo(TMFtpInfoNeeded need, const QString &value)
{
    QString answer = value;
    if (OnFtpNeedInfo) {
        watchdog_.stop();
        const TMFtpInfoNeededEvent handler = OnFtpNeedInfo;
        handler(this, need, answer);
        TouchWatchdog();
    }
    return answer;
}

// ---- Operation frame ----

bool TMFtp::BeginOperation()
{
    if (connected_ && !busy_) {
        StartBusyOperation();
        RaiseNotify(notifyFtpBusy);
        opOK_ = true;
        noopTimer_.stop();
        errorCode_ = errorNone;
        return true;
    }
    opOK_ = false;
    ReportInfo(connected_ ? infoBusy : infoDisconnected);
    return false;
}

void TMFtp::StartBusyOperation()
{
    busy_ = true;
    ++operationSerial_;
}

void TMFtp::PostReady()
{
    SetReplyHandler(ReplyHandler());
    // A replacement download still pending here has failed.
    DiscardReplacement();
    dataCommandSent_ = false;
    restSent_ = false;
    readySerials_.push_back(operationSerial_);
    platform::postMessage(this, ReadyMessage);
    TouchWatchdog();
}

void TMFtp::OnMessageReceived(int message)
{
    if (message == ReadyMessage) {
        const quint64 serial = readySerials_.empty() ? operationSerial_ : readySerials_.front();
        if (!readySerials_.empty())
            readySerials_.pop_front();
        if (serial != operationSerial_ && busy_)
            return; // belongs to an operation that has ended; another one runs now
        HandleReadyMessage();
    }
    else if (message == QuitMessage)
        HandleQuitMessage();
}

void TMFtp::HandleReadyMessage()
{
    if (notifyReady_) {
        busy_ = false;
        StartNoopTimer();
        if (abortPendingNotify_) {
            abortPendingNotify_ = false;
            RaiseNotify(notifyAborted);
        }
        RaiseNotify(notifyFtpReady);
    } else {
        itemPending_ = false;
    }
    if (abortRequested_) {
        CloseDataSockets();
        abortRequested_ = false;
    }

    switch (operation_) {
    case opLogin:
        operation_ = opNone;
        loggedIn_ = true;
        stopRetrying_ = true;
        RaiseNotify(notifyLoggedIn);
        break;
    case opChangeDir:
    case opParentDir:
        operation_ = opNone;
        RaiseNotify(notifyDirectoryChanged);
        break;
    case opMakeDir:
        if (notifyReady_) {
            operation_ = opNone;
            RaiseNotify(notifyDirectoryCreated);
        }
        break;
    case opRemoveDir:
        if (notifyReady_) {
            operation_ = opNone;
            RaiseNotify(notifyDirectoryDeleted);
        }
        break;
    case opDeleteFile:
        if (notifyReady_) {
            operation_ = opNone;
            RaiseNotify(notifyFileDeleted);
        }
        break;
    case opDownload:
        if (notifyReady_) {
            operation_ = opNone;
            RaiseNotify(notifyFileReceived);
        }
        break;
    case opUpload:
        if (notifyReady_) {
            operation_ = opNone;
            RaiseNotify(notifyFileStored);
        }
        break;
    case opList:
        HandleListingReady();
        RaiseNotify(notifyListingDone);
        break;
    case opRename:
    case opRenameBatch:
        if (notifyReady_) {
            operation_ = opNone;
            RaiseNotify(notifyFileRenamed);
        }
        break;
    case opChangeMode:
        operation_ = opNone;
        break;
    default:
        break;
    }
}

void TMFtp::HandleQuitMessage()
{
    busy_ = false;
    noopTimer_.stop();
    loggedIn_ = false;
    RaiseNotify(notifyFtpQuit);
    if (urlState_ == 1)
        BeginLogin(); // an ftp:// address waited for the old session to end
}

void TMFtp::WaitWhileBusy()
{
    if (inReplyDispatch_) {
        // Waiting here would keep the replies it waits for from being read.
        qCWarning(lcFtpEngine) << "synchronous wait inside a reply handler skipped";
        return;
    }
    while (busy_)
        platform::pumpEvents();
}

// ---- Keep-alive ----

// An interval of 0 switches the keep-alive off.
void TMFtp::StartNoopTimer()
{
    if (noopTimer_.interval() > 0)
        noopTimer_.start();
    else
        noopTimer_.stop();
}

void TMFtp::OnNoopTimer()
{
    if (!noopSupported_)
        qCDebug(lcFtpEngine) << "keep-alive tick: the server refused NOOP, nothing sent";
    if (busy_ || !loggedIn_ || !noopSupported_)
        return;
    StartBusyOperation();
    operation_ = opNoop;
    SendCommand("NOOP", FTP_HANDLER(OnNoopReply));
}

void TMFtp::OnNoopReply(const QByteArray &reply)
{
    if (IsNotImplemented(reply))
        noopSupported_ = false;
    busy_ = false;
}

// ---- Ending ----

void TMFtp::Quit()
{
    if (!BeginOperation())
        return;
    quitSent_ = true;
    SendCommand("QUIT", FTP_HANDLER(OnQuitReply));
}

void TMFtp::OnQuitReply(const QByteArray &reply)
{
    loggedIn_ = false;
    if (!IsCompletion(reply)) {
        FatalError(errorNone);
        return;
    }
    // "221 Goodbye." - the server closes next; closing from this side too
    // ends the session even when a server keeps the connection open.
    SetReplyHandler(ReplyHandler());
    Close();
}

void TMFtp::Disconnect()
{
    stopRetrying_ = true;
    retryTimer_.stop();
    retrying_ = false;
    connected_ = false;
    connecting_ = false;
    if (SocketHandle() >= 0)
        Close(); // the close handling ends the session
    else
        EndSession();
    retriesLeft_ = -1;
}

void TMFtp::Abort()
{
    const bool loggingIn = (operation_ == opLogin || connecting_) && !loggedIn_ && !connected_;
    if (loggingIn) {
        retriesLeft_ = -1;
        stopRetrying_ = true;
        if (retrying_) {
            // Between two attempts: there is no connection whose close
            // would end the session.
            retryTimer_.stop();
            retrying_ = false;
            EndSession();
        } else {
            Close();
            if (connecting_) {
                connecting_ = false;
                EndSession();
            }
        }
        RaiseNotify(notifyAborted);
        return;
    }
    switch (operation_) {
    case opRenameBatch:
        // The pair under way ends first (its replies are not left to the
        // next command); RenameFiles then stops and ends the batch.
        if (busy_ && !batchAborted_) {
            batchAborted_ = true;
            abortPendingNotify_ = true;
        }
        break;
    case opDownload:
    case opUpload:
    case opList:
        if (busy_)
            AbortTransfer();
        break;
    default:
        break;
    }
}
