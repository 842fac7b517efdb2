#pragma once
// The engine's numbered reports, requests and operation codes, with their
// names and default texts.

#include <QString>

#include <functional>

class QObject;
class TMFtp;

enum FtpInfo {
    infoConnected = 0,
    infoDisconnected = 1,
    infoResolving = 2,
    infoReplyText = 3,
    infoCommand = 4,
    infoBusy = 5,
    infoResumeSupported = 6,
    infoListingLine = 8,
    infoDataClosed = 10,
    infoListingReceived = 11,
    infoLoggedIn = 12,
    infoFileSize = 13,
    infoListingStart = 14,
    infoDirectoryFound = 15,
    infoListingDataClosed = 16,
    infoResumeNotSupported = 17,
    infoRetrying = 18,
    infoResolved = 19,
    infoNothingToDo = 20,
    infoRetryFinished = 21,
    infoTransferTotal = 28,
    infoUploadProgress = 29,
    infoTransferEnd = 31,
    // A line for the session log about how the connection is made (the
    // server's features, a passive address replaced, TLS).
    infoNote = 40,
};

enum FtpError {
    errorNone = 0,
    errorNetworkDown = 1,
    errorInvalidAddress = 2,
    errorInternal = 3,
    errorWinsock = 4,
    errorConnectionAborted = 5,
    errorConnectionReset = 6,
    errorTimedOut = 7,
    errorOutOfSockets = 8,
    errorNetworkUnreachable = 9,
    errorAddressNotAvailable = 10,
    errorConnectionRefused = 11,
    errorCommandFailed = 12,
    errorHostNotFound = 15,
    errorHostUnreachable = 17,
    errorNoServer = 18,
    errorLocalFile = 20,
    errorLocalWrite = 21,
    errorLocalRead = 22,
    errorNoRemoteFile = 23,
    errorServerRefused = 25,
    errorLoginFailed = 26,
    errorDataConnection = 27,
    errorResumeFailed = 28,
    errorAccessDenied = 29,
    errorBadURL = 30,
};

enum TMFtpInfoNeeded {
    needLocalFile = 2,
    needResumeDecision = 3,
    needPassword = 4,
    needUsername = 5,
    needOverwriteConfirm = 6,
};

enum TMFtpOperation {
    opNone = 0,
    opLogin = 1,
    opChangeDir = 2,
    opMakeDir = 3,
    opRemoveDir = 5,
    opDeleteFile = 7,
    opDownload = 10,
    opUpload = 12,
    opList = 14,
    opRename = 15,
    opRenameBatch = 16,
    opMove = 18,
    opParentDir = 19,
    opNoop = 21,
    opChangeMode = 25,
};

enum TMFtpProxyType {
    proxyNone,
    proxyHost,
    proxyHostUser,
    proxyOpen,
    proxySite,
    proxyUserSite,
};

enum TMFtpTransferType {
    AsciiTransfer,
    BinaryTransfer,
};

// Notify indexes: each addresses one published notify event and its four
// listener slots.
enum TMFtpNotify {
    notifyDirectoryChanged = 1,
    notifyDirectoryCreated = 2,
    notifyDirectoryDeleted = 3,
    notifyFileDeleted = 4,
    notifyFileReceived = 5,
    notifyFileRenamed = 6,
    notifyFileStored = 7,
    notifyFtpQuit = 8,
    notifyFtpReady = 9,
    notifyListingDone = 10,
    notifyLoggedIn = 11,
    notifyFtpBusy = 12,
    notifyAborted = 13,
    notifyIndexFileReceived = 14,
    notifyResolvedLinks = 15,
    notifyFileTransferred = 16,
};
constexpr int notifyFirst = notifyDirectoryChanged;
constexpr int notifyLast = notifyFileTransferred;

// Event handler types. The sender is the engine (or the socket) raising it.
using TNotifyEvent = std::function<void(QObject *sender)>;
using TMFtpInfoEvent = std::function<void(QObject *sender, FtpInfo info, const QString &addinfo)>;
using TMFtpErrorEvent = std::function<void(QObject *sender, FtpError error, const QString &addinfo)>;
// The handler answers by changing `value`.
using TMFtpInfoNeededEvent = std::function<void(QObject *sender, TMFtpInfoNeeded need, QString &value)>;

// "infoConnected", "errorLoginFailed", "needPassword", "opLogin"; "" for
// values outside the tables.
const char *FtpInfoName(FtpInfo info);
const char *FtpErrorName(FtpError error);
const char *FtpInfoNeededName(TMFtpInfoNeeded need);
const char *FtpOperationName(TMFtpOperation op);

// The text a report carries when it is made without one; empty for most codes.
QString FtpInfoDefaultText(FtpInfo info);

// Socket error number -> error code and its text (see the error table).
FtpError FtpErrorFromSocketError(int socketError, QString *text);
