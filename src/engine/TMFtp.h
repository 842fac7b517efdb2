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
//   TMFtpRemote.cpp    directory changes, folders, deletes, renames,
//                      moves, permissions
//   TMFtpData.cpp      transfer type, passive and active data connections,
//                      the network listing, the transfer abort
//   TMFtpTransfer.cpp  downloads and uploads with resume
//   TMFtpList.cpp      List and the listing cache
//   TMFtpUrl.cpp       ftp:// addresses
//
// Sizes, offsets and byte counts are 64-bit throughout.
//
// TimeOut (seconds; 0 switches it off) bounds every wait on the server: the
// host lookup and the connect, each reply (a multi-line reply must be
// complete within it), and the silence of a data connection (no byte in
// either direction). A time-out reports errorTimedOut and ends the session;
// the engine is then ready for the next Login.
//
// A download onto an existing local file that is not resumed goes to a
// temporary file beside it, which replaces the old file only once the whole
// file has arrived; any failure removes it and leaves the old file as it was.

#include "engine/FtpDataRules.h"
#include "engine/FtpReplyAssembler.h"
#include "engine/FtpTypes.h"
#include "engine/TMSocket.h"
#include "listing/FileInfo.h"
#include "listing/FtpFeatures.h"
#include "listing/ListingParser.h"
#include "listing/ServerType.h"
#include "platform/LocalFile.h"

#include <QByteArray>

#include <deque>
#include <QList>
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
    // When a PASV answer names another address than the control
    // connection's peer (a NAT's private address, or a third host), the data
    // connection goes to the peer instead, and the log says so. On by
    // default.
    bool PassiveAddressRule() const { return passiveAddressRule_; }
    void SetPassiveAddressRule(bool on) { passiveAddressRule_ = on; }
    QString Version() const;
    // Server, Port and TimeOut come from TMSocket.

    // The folder of the listing cache (platform::cacheFolder() unless set);
    // created when set.
    QString CacheFolder() const { return cacheFolder_; }
    void SetCacheFolder(const QString &folder);
    // Deletes every listing cache file (the main window does this at the
    // start and end of each session).
    void EmptyCache();

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
    // What the server answered to FEAT after the login (Received false when
    // it does not know FEAT); empty before a login.
    const TFtpFeatures &Features() const { return features_; }
    QByteArray CurrentDirectory() const { return currentDirectory_; }
    QString LocalFile() const { return localFile_; }
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
    const TMFtpFileInfoList &FileList() const { return fileList_; }
    const TMFtpFileInfoList &FolderList() const { return folderList_; }
    // The restart offset while a download or upload runs, otherwise 0.
    qint64 ResumePosition() const;

    // The one way for callers to wait for an operation: serves the event
    // loop (sleeping between events, never spinning) until the engine is no
    // longer Busy. Does nothing when called from inside one of the engine's
    // own reply handlers, where waiting would starve the replies it waits for.
    void WaitUntilIdle() { WaitWhileBusy(); }

    // ---- Operations ----
    // None of these waits except where noted; refusals (busy, not connected)
    // are reported as information and change nothing.
    void Login();
    void Quit();
    void Disconnect();
    void Abort();
    void ChangeDirectory(const QByteArray &directory); // waits unless Asynchronous
    void ChangeDirectoryUp();                          // waits unless Asynchronous
    void CreateDirectory(const QByteArray &name);      // waits unless Asynchronous
    void RemoveDirectory(const QByteArray &name);      // waits unless Asynchronous
    void DeleteFile(const QByteArray &name);           // waits unless Asynchronous
    void RenameFile(const QByteArray &oldName, const QByteArray &newName); // waits unless Asynchronous
    void RenameFiles(const QList<QByteArray> &oldNames, const QList<QByteArray> &newNames); // waits
    void MoveFiles(const QList<QByteArray> &names, const QByteArray &targetDirectory);    // waits
    void ChangeMode(const QByteArray &fileName, const QByteArray &mode); // waits unless Asynchronous
    void List();            // from the cache, or from the network (waits unless Asynchronous)
    void ClearFileCache();
    int FolderIndex(const QByteArray &name) const;
    void DownloadFile(const QByteArray &remoteFile, const QString &localFile); // always waits
    void UploadFile(const QString &localFile, const QByteArray &remoteFile);   // waits unless Asynchronous
    // Opens an ftp:// address (its bytes; percent-encoded bytes are decoded):
    // reuses the session when it is for the same server and user, otherwise
    // ends it and logs in anew; then enters the folder or downloads the file.
    void OpenURL(const QByteArray &address);

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
    void HandleListingReady();
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

    // Time-outs (TMFtpCommand.cpp). What the engine is waiting for decides
    // which silence counts; the timer restarts at every sign of life.
    enum class Stall { None, Reply, Data };
    Stall CurrentStall() const;
    void TouchWatchdog();
    void OnWatchdog();

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
    void BeginLogin();
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
    void OnFeatReply(const QByteArray &reply);
    void StartSystemProbe();
    void OnSystReply(const QByteArray &reply);
    void OnRestProbeReply(const QByteArray &reply);
    void OnRestProbeTypeReply(const QByteArray &reply);
    void OnRestResetReply(const QByteArray &reply);
    void OnInitialDirectoryReply(const QByteArray &reply);
    void OnLoginPwdReply(const QByteArray &reply);

    // Remote operations (TMFtpRemote.cpp)
    void OnCwdReply(const QByteArray &reply);
    void OnPwdReply(const QByteArray &reply);
    void OnPlainCompletionReply(const QByteArray &reply);
    void OnRmdReply(const QByteArray &reply);
    void StartRenamePair();
    void OnRenameTypeReply(const QByteArray &reply);
    void OnRenameTargetSizeReply(const QByteArray &reply);
    void OnRnfrReply(const QByteArray &reply);
    void OnRntoReply(const QByteArray &reply);
    void OnChmodReply(const QByteArray &reply);
    QByteArray JoinWithCurrentDirectory(const QByteArray &name) const;
    void RemoveCacheFiles(const QByteArray &directory);

    // Data connections (TMFtpData.cpp)
    enum class DataKind { Listing, Download, Upload };
    void SetType(const QByteArray &letter, ReplyHandler continuation);
    QByteArray TransferTypeLetter() const;
    void PrepareDataConnection();
    void OnPasvReply(const QByteArray &reply);
    void InstallDataHandlers(DataKind kind);
    void OnDataConnectionOpened();
    void CloseDataSockets();
    void StartNetworkListing();
    void OnListingTypeReply(const QByteArray &reply);
    void OnListingDataReady(const QByteArray &reply);
    void OnListReply(const QByteArray &reply);
    void ListingRead();
    void ListingLine(const QByteArray &line);
    void OnListingDataClosed();
    void ReportSkippedListingLine();
    void AbortTransfer();
    void StopDataForAbort();
    void EndAbortedTransfer();
    bool ReadBlock(qint64 *received);
    void FailDataConnection(int socketError);
    // A data command answered with a failure: 425 and 426 are data
    // connection failures in the server's words, the rest refusals.
    void ReportDataCommandRefused(const QByteArray &reply);
    void SendDataCommand(const QByteArray &command, ReplyHandler handler);

    // Transfers (TMFtpTransfer.cpp)
    void FailDataSetup(FtpError error);
    void ReportLocalFileError(const QString &path, int error);
    // Switches the download to a new temporary file beside LocalFile; false
    // (reported) when it cannot be created.
    bool StartReplacement();
    void CommitReplacement();
    void DiscardReplacement();
    void OverwriteDownload();
    void FinishTransfer();
    void LocalWriteFailed();
    void OnDownloadTypeReply(const QByteArray &reply);
    void OnDownloadResumeTypeReply(const QByteArray &reply);
    void OnDownloadSizeReply(const QByteArray &reply);
    void OnRetrDataReady(const QByteArray &reply);
    void OnRestRetrDataReady(const QByteArray &reply);
    void OnDownloadRestReply(const QByteArray &reply);
    void OnRetrReply(const QByteArray &reply);
    void OnRetrReplyAfterLocalFailure(const QByteArray &reply);
    void DownloadRead();
    void OnTransferDataClosed();
    void OnUploadTypeReply(const QByteArray &reply);
    void OnUploadSizeReply(const QByteArray &reply);
    void PrepareUpload();
    void OnStorDataReady(const QByteArray &reply);
    void OnRestStorDataReady(const QByteArray &reply);
    void OnUploadRestReply(const QByteArray &reply);
    void OnStorReply(const QByteArray &reply);
    void OnStorCompletionReply(const QByteArray &reply);
    void UploadWrite();
    bool UploadPass();
    void FinishUploadData();
    void AbandonTransfer();
    // A binary download that ended with fewer bytes than the server
    // announced (SIZE, or the size in its 150 reply) is a failure.
    void CheckDownloadComplete();

    // Listing cache (TMFtpList.cpp)
    QByteArray CachePath(const QByteArray &directory, char kind) const;

    // ftp:// addresses (TMFtpUrl.cpp)
    void GoToUrlDirectory();
    void CompleteUrlLogin();
    void OnUrlDirectoryReply(const QByteArray &reply);
    void OnUrlFileDirectoryReply(const QByteArray &reply);

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
    bool passiveAddressRule_ = true;

    // Listeners
    std::array<TMFtpErrorEvent, MaxListeners> errorListeners_;
    std::array<TMFtpInfoEvent, MaxListeners> infoListeners_;
    std::array<std::array<TNotifyEvent, MaxListeners>, notifyLast + 1> notifyListeners_;

    // Public state
    bool busy_ = false;
    // Each operation that makes the engine busy gets a new number; a ready
    // message carries the number of the operation that posted it, so a late
    // one (a listing served from the cache posts one after its operation has
    // ended) never ends the next operation.
    quint64 operationSerial_ = 0;
    std::deque<quint64> readySerials_;
    void StartBusyOperation();
    bool connected_ = false;
    bool loggedIn_ = false;
    bool connecting_ = false;
    bool anonymous_ = false;
    bool retryLogin_ = false;
    bool canResume_ = false;
    QByteArray currentDirectory_;
    QString localFile_;
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
    bool aborReplyOwed_ = false;  // ABOR was sent; its own reply is still to come
    int aborPassThrough_ = 0;     // final replies before it (the RETR's)
    bool noopSupported_ = true;
    QTimer noopTimer_;
    bool awaitingReply_ = false; // a command's final reply is still to come
    bool quitSent_ = false;
    QTimer watchdog_;

    // Login
    int retriesLeft_ = 0;
    bool retrying_ = false;
    bool stopRetrying_ = false;
    QTimer retryTimer_;
    QString remoteTarget_;
    quint16 remotePort_ = 21;
    bool serverIsProxy_ = false;
    bool sizeSupported_ = true;
    TFtpFeatures features_;
    int urlState_ = 0;
    QByteArray currentType_;

    // Remote operations
    QByteArray renameFrom_;
    QByteArray removedDirectory_;
    QList<QByteArray> renameOld_;
    QList<QByteArray> renameNew_;
    bool batchAborted_ = false;
    QByteArray moveTargetPath_;
    QByteArray urlPath_;

    // Data connections and transfers
    TMSocket *listenSocket_;
    TMSocket *dataSocket_;
    ReplyHandler dataReadyHandler_;
    DataKind dataKind_ = DataKind::Listing;
    platform::LocalFile file_;
    qint64 restartOffset_ = 0;
    qint64 uploadSize_ = 0;
    qint64 remoteSize_ = 0;
    qint64 expectedSize_ = -1; // the download's announced size, -1 unknown
    bool dataClosed_ = false;
    bool finalReplyOK_ = false;
    bool localWriteFailed_ = false;
    bool acceptPending_ = false;
    bool dataCommandSent_ = false; // LIST, RETR or STOR has gone out
    bool restSent_ = false;        // REST for it has gone out
    bool preliminarySeen_ = false; // its 1xx reply has come
    QString replacedFile_;         // the file a replacement download is for
    QString temporaryFile_;        // ... and where it is received
    bool dataOpen_ = false;
    bool storAccepted_ = false;
    bool inDataRead_ = false;
    bool inUploadWrite_ = false;
    bool sendFileUsable_ = true;
    QByteArray ioBuffer_;
    ListingLineSplitter dataBuffer_;
    bool listingLineSkipped_ = false;
    TListingParser listingParser_;
    TMFtpFileInfoList fileList_;
    TMFtpFileInfoList folderList_;
    TMFtpFileInfoList pendingFileList_;
    TMFtpFileInfoList pendingFolderList_;

    // Listing cache
    QString cacheFolder_;
    int today_ = 0;
};
