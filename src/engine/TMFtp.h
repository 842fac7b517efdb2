#pragma once
// The FTP client component. Its own socket is the control connection; the
// protocol runs as a chain of reply handlers on the event loop thread, and
// results arrive as reports (OnFtpInfo, OnFtpError), requests (OnFtpNeedInfo)
// and notify events, each with up to four further listeners.
//
// Text: Username, Password, Account, Server and the proxy settings are text
// and go out as GBK. Remote paths (InitialDirectory, CurrentDirectory, the
// arguments of directory operations) are the server's bytes, unchanged; decode
// them for display with platform::decodeRemoteName.
//
// One class, several files by concern:
//   TMFtp.cpp          properties, listeners, operation frame, messages,
//                      keep-alive, Quit, Disconnect, Abort
//   TMFtpCommand.cpp   sending commands, reading and dispatching replies,
//                      socket errors
//   TMFtpLogin.cpp     Login, proxies, server probe, retries, session end
//   TMFtpRemote.cpp    directory changes

#include "engine/FtpReplyAssembler.h"
#include "engine/FtpTypes.h"
#include "engine/TMSocket.h"
#include "listing/FileInfo.h"
#include "listing/ServerType.h"

#include <QByteArray>
#include <QString>
#include <QTimer>

#include <array>

class TMFtp : public TMSocket
{
    Q_OBJECT
public:
    // Messages the engine posts to itself.
    static constexpr int QuitMessage = 1024 + 2;
    static constexpr int ReadyMessage = 1024 + 4;
    static constexpr int MaxListeners = 4;

    explicit TMFtp(QObject *owner = nullptr);
    ~TMFtp() override;

    // ---- Published properties ----
    bool Asynchronous() const { return asynchronous_; }
    void SetAsynchronous(bool on); // ignored while Busy
    int NoopInterval() const;      // seconds
    void SetNoopInterval(int seconds);
    QString Username() const { return username_; }
    void SetUsername(const QString &v) { username_ = v; }
    QString Password() const { return password_; }
    void SetPassword(const QString &v) { password_ = v; }
    QString Account() const { return account_; }
    void SetAccount(const QString &v) { account_ = v; }
    QString ProxyUsername() const { return proxyUsername_; }
    void SetProxyUsername(const QString &v) { proxyUsername_ = v; }
    QString ProxyPassword() const { return proxyPassword_; }
    void SetProxyPassword(const QString &v) { proxyPassword_ = v; }
    int Retries() const { return retries_; }
    void SetRetries(int v) { retries_ = v; }
    int RetryInterval() const { return retryInterval_; } // seconds
    void SetRetryInterval(int seconds) { retryInterval_ = seconds; }
    TMFtpServerType ServerType() const { return serverType_; }
    void SetServerType(TMFtpServerType v) { serverType_ = v; }
    QByteArray InitialDirectory() const { return initialDirectory_; }
    void SetInitialDirectory(const QByteArray &v) { initialDirectory_ = v; }
    QByteArray FileMask() const { return fileMask_; }
    void SetFileMask(const QByteArray &v) { fileMask_ = v; }
    bool Cache() const { return cache_; }
    void SetCache(bool on) { cache_ = on; }
    int CacheExpire() const { return cacheExpire_; } // days
    void SetCacheExpire(int days) { cacheExpire_ = days; }
    TMFtpTransferType TransferMode() const { return transferMode_; }
    void SetTransferMode(TMFtpTransferType v) { transferMode_ = v; }
    TMFtpProxyType ProxyType() const { return proxyType_; }
    void SetProxyType(TMFtpProxyType v) { proxyType_ = v; }
    QString ProxyServer() const { return proxyServer_; }
    void SetProxyServer(const QString &v) { proxyServer_ = v; }
    int ProxyPort() const { return proxyPort_; }
    void SetProxyPort(int v) { proxyPort_ = v; }
    bool Passive() const { return passive_; }
    void SetPassive(bool on) { passive_ = on; }
    QString Version() const;
    // Server, Port and TimeOut come from TMSocket.

    // ---- Published events (called before the listeners) ----
    TMFtpInfoEvent OnFtpInfo;
    TMFtpErrorEvent OnFtpError;
    TMFtpInfoNeededEvent OnFtpNeedInfo;
    TNotifyEvent OnDirectoryChanged;
    TNotifyEvent OnDirectoryCreated;
    TNotifyEvent OnDirectoryDeleted;
    TNotifyEvent OnFileDeleted;
    TNotifyEvent OnFileReceived;
    TNotifyEvent OnFileRenamed;
    TNotifyEvent OnFileStored;
    TNotifyEvent OnFtpQuit;
    TNotifyEvent OnFtpReady;
    TNotifyEvent OnListingDone;
    TNotifyEvent OnLoggedIn;
    TNotifyEvent OnFtpBusy;
    TNotifyEvent OnAborted;
    TNotifyEvent OnIndexFileReceived;
    TNotifyEvent OnResolvedLinks;
    TNotifyEvent OnFileTransferred;

    // Listener slots: the adding calls return the slot (1..4) or -1 when the
    // handler is empty or every slot is taken.
    int AddErrorListener(TMFtpErrorEvent handler);
    int AddInfoListener(TMFtpInfoEvent handler);
    int AddNotifyListener(int notifyIndex, TNotifyEvent handler);
    void RemoveErrorListener(int slot);
    void RemoveInfoListener(int slot);
    void RemoveNotifyListener(int notifyIndex, int slot);

    // ---- Public state ----
    bool Busy() const { return busy_; }
    bool Connected() const { return connected_; }
    bool LoggedIn() const { return loggedIn_; }
    bool Connecting() const { return connecting_; }
    bool Retrying() const { return retrying_; }
    bool Anonymous() const { return anonymous_; }
    void SetAnonymous(bool on) { anonymous_ = on; }
    bool RetryLogin() const { return retryLogin_; }
    void SetRetryLogin(bool on) { retryLogin_ = on; }
    bool CanResume() const { return canResume_; }
    QByteArray CurrentDirectory() const { return currentDirectory_; }
    // Non-folder and folder entries of the current directory's last listing.
    const TMFtpFileInfoList &FileList() const { return fileList_; }
    const TMFtpFileInfoList &FolderList() const { return folderList_; }
    QByteArray LocalFile() const { return localFile_; }
    QByteArray RemoteFile() const { return remoteFile_; }
    QByteArray NewName() const { return newName_; }
    qint64 BytesTransferred() const { return bytesTransferred_; }
    bool TransferOK() const { return transferOK_; }
    bool ChangeDirOK() const { return changeDirOK_; }
    bool FromCache() const { return fromCache_; }
    TMFtpOperation Operation() const { return operation_; }
    FtpError ErrorCode() const { return errorCode_; }
    QString ErrorText() const { return errorText_; }
    QByteArray LastReply() const { return lastReply_; }

    // ---- Operations ----
    // None of these waits except where noted; refusals (busy, not connected)
    // are reported as information and change nothing.
    void Login();
    void Quit();
    void Disconnect();
    void Abort();
    void ChangeDirectory(const QByteArray &directory); // waits unless Asynchronous
    void ChangeDirectoryUp();                          // waits unless Asynchronous

protected:
    void DoLookupDone() override;

private:
    // A reply handler: the continuation that receives the next final reply.
    using ReplyFn = void (TMFtp::*)(const QByteArray &reply);
    struct ReplyHandler {
        ReplyFn fn = nullptr;
        const char *name = "";
    };

    // Operation frame (TMFtp.cpp)
    bool BeginOperation();
    void PostReady();
    void OnMessageReceived(int message);
    void HandleReadyMessage();
    void HandleQuitMessage();
    void RaiseNotify(int notifyIndex);
    TNotifyEvent *PublishedNotify(int notifyIndex);
    void ReportInfo(FtpInfo info, const QString &text = QString());
    void ReportError(FtpError error);
    QString AskInfo(TMFtpInfoNeeded need, const QString &value);
    void WaitWhileBusy();
    void StartNoopTimer();
    void OnNoopTimer();
    void OnNoopReply(const QByteArray &reply);
    void OnQuitReply(const QByteArray &reply);

    // Command channel (TMFtpCommand.cpp)
    void SendCommand(const QByteArray &command, ReplyHandler handler);
    void SendSilent(const QByteArray &command, ReplyHandler handler);
    void SendLine(const QByteArray &command, ReplyHandler handler, bool logged);
    void SetReplyHandler(ReplyHandler handler);
    void ControlRead();
    void DispatchReply(const QByteArray &reply);
    void FatalError(FtpError error);
    bool CheckSocketError();
    void OnControlTimeOut();

    // Login (TMFtpLogin.cpp)
    void StartAttempt();
    void ScheduleAttempt(int delayMs);
    void OnRetryTimer();
    void OnControlConnected();
    void OnControlClosed();
    void RetryDecision();
    void EndSession();
    void RestoreProxyTarget();
    void StartServerProbe();
    void StartNavigation();
    void CompleteLogin();
    void OnGreetingReply(const QByteArray &reply);
    void OnHostReply(const QByteArray &reply);
    void OnOpenReply(const QByteArray &reply);
    void OnProxyUserReply(const QByteArray &reply);
    void OnProxyPassReply(const QByteArray &reply);
    void OnSiteReply(const QByteArray &reply);
    void OnUserReply(const QByteArray &reply);
    void OnPassReply(const QByteArray &reply);
    void OnAcctReply(const QByteArray &reply);
    void OnSystReply(const QByteArray &reply);
    void OnRestProbeReply(const QByteArray &reply);
    void OnRestResetReply(const QByteArray &reply);
    void OnInitialDirectoryReply(const QByteArray &reply);
    void OnLoginPwdReply(const QByteArray &reply);

    // Directory changes (TMFtpRemote.cpp)
    void OnCwdReply(const QByteArray &reply);
    void OnPwdReply(const QByteArray &reply);

    // Properties
    bool asynchronous_ = true;
    QString username_;
    QString password_;
    QString account_;
    QString proxyUsername_;
    QString proxyPassword_;
    int retries_ = 3;
    int retryInterval_ = 15;
    TMFtpServerType serverType_ = ftpstAutoDetect;
    QByteArray initialDirectory_;
    QByteArray fileMask_;
    bool cache_ = true;
    int cacheExpire_ = 7;
    TMFtpTransferType transferMode_ = BinaryTransfer;
    TMFtpProxyType proxyType_ = proxyNone;
    QString proxyServer_;
    int proxyPort_ = 21;
    bool passive_ = false;

    // Listeners
    std::array<TMFtpErrorEvent, MaxListeners> errorListeners_;
    std::array<TMFtpInfoEvent, MaxListeners> infoListeners_;
    std::array<std::array<TNotifyEvent, MaxListeners>, notifyLast + 1> notifyListeners_;

    // Public state
    bool busy_ = false;
    bool connected_ = false;
    bool loggedIn_ = false;
    bool connecting_ = false;
    bool anonymous_ = false;
    bool retryLogin_ = false;
    bool canResume_ = false;
    QByteArray currentDirectory_;
    TMFtpFileInfoList fileList_;
    TMFtpFileInfoList folderList_;
    QByteArray localFile_;
    QByteArray remoteFile_;
    QByteArray newName_;
    qint64 bytesTransferred_ = 0;
    bool transferOK_ = false;
    bool changeDirOK_ = false;
    bool fromCache_ = false;
    TMFtpOperation operation_ = opNone;
    FtpError errorCode_ = errorNone;
    QString errorText_;

    // Command channel
    ReplyHandler replyHandler_;
    FtpReplyAssembler replies_;
    QByteArray lastReply_;
    bool logReplies_ = true;
    bool inReplyDispatch_ = false;
    quint64 controlSerial_ = 0; // changes whenever the control connection does
    bool opOK_ = false;
    bool notifyReady_ = true;
    bool itemPending_ = false;
    bool abortPendingNotify_ = false;
    bool abortRequested_ = false;
    bool noopSupported_ = true;
    QTimer noopTimer_;

    // Login
    int retriesLeft_ = 0;
    bool retrying_ = false;
    bool stopRetrying_ = false;
    QTimer retryTimer_;
    QString remoteTarget_;
    quint16 remotePort_ = 21;
    bool serverIsProxy_ = false;
    bool sizeSupported_ = true;
    int urlState_ = 0;
    QByteArray currentType_;
};
