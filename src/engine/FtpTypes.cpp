#include "engine/FtpTypes.h"

#include "platform/WinSock.h"

const char *FtpInfoName(FtpInfo info)
{
    switch (info) {
    case infoConnected: return "infoConnected";
    case infoDisconnected: return "infoDisconnected";
    case infoResolving: return "infoResolving";
    case infoReplyText: return "infoReplyText";
    case infoCommand: return "infoCommand";
    case infoBusy: return "infoBusy";
    case infoResumeSupported: return "infoResumeSupported";
    case infoListingLine: return "infoListingLine";
    case infoDataClosed: return "infoDataClosed";
    case infoListingReceived: return "infoListingReceived";
    case infoLoggedIn: return "infoLoggedIn";
    case infoFileSize: return "infoFileSize";
    case infoListingStart: return "infoListingStart";
    case infoDirectoryFound: return "infoDirectoryFound";
    case infoListingDataClosed: return "infoListingDataClosed";
    case infoResumeNotSupported: return "infoResumeNotSupported";
    case infoRetrying: return "infoRetrying";
    case infoResolved: return "infoResolved";
    case infoNothingToDo: return "infoNothingToDo";
    case infoRetryFinished: return "infoRetryFinished";
    case infoTransferTotal: return "infoTransferTotal";
    case infoUploadProgress: return "infoUploadProgress";
    case infoTransferEnd: return "infoTransferEnd";
    case infoNote: return "infoNote";
    }
    return "";
}

const char *FtpErrorName(FtpError error)
{
    switch (error) {
    case errorNone: return "errorNone";
    case errorNetworkDown: return "errorNetworkDown";
    case errorInvalidAddress: return "errorInvalidAddress";
    case errorInternal: return "errorInternal";
    case errorWinsock: return "errorWinsock";
    case errorConnectionAborted: return "errorConnectionAborted";
    case errorConnectionReset: return "errorConnectionReset";
    case errorTimedOut: return "errorTimedOut";
    case errorOutOfSockets: return "errorOutOfSockets";
    case errorNetworkUnreachable: return "errorNetworkUnreachable";
    case errorAddressNotAvailable: return "errorAddressNotAvailable";
    case errorConnectionRefused: return "errorConnectionRefused";
    case errorCommandFailed: return "errorCommandFailed";
    case errorHostNotFound: return "errorHostNotFound";
    case errorHostUnreachable: return "errorHostUnreachable";
    case errorNoServer: return "errorNoServer";
    case errorLocalFile: return "errorLocalFile";
    case errorLocalWrite: return "errorLocalWrite";
    case errorLocalRead: return "errorLocalRead";
    case errorNoRemoteFile: return "errorNoRemoteFile";
    case errorServerRefused: return "errorServerRefused";
    case errorLoginFailed: return "errorLoginFailed";
    case errorDataConnection: return "errorDataConnection";
    case errorResumeFailed: return "errorResumeFailed";
    case errorAccessDenied: return "errorAccessDenied";
    case errorBadURL: return "errorBadURL";
    }
    return "";
}

const char *FtpInfoNeededName(TMFtpInfoNeeded need)
{
    switch (need) {
    case needLocalFile: return "needLocalFile";
    case needResumeDecision: return "needResumeDecision";
    case needPassword: return "needPassword";
    case needUsername: return "needUsername";
    case needOverwriteConfirm: return "needOverwriteConfirm";
    }
    return "";
}

const char *FtpOperationName(TMFtpOperation op)
{
    switch (op) {
    case opNone: return "opNone";
    case opLogin: return "opLogin";
    case opChangeDir: return "opChangeDir";
    case opMakeDir: return "opMakeDir";
    case opRemoveDir: return "opRemoveDir";
    case opDeleteFile: return "opDeleteFile";
    case opDownload: return "opDownload";
    case opUpload: return "opUpload";
    case opList: return "opList";
    case opRename: return "opRename";
    case opRenameBatch: return "opRenameBatch";
    case opMove: return "opMove";
    case opParentDir: return "opParentDir";
    case opNoop: return "opNoop";
    case opChangeMode: return "opChangeMode";
    }
    return "";
}

QString FtpInfoDefaultText(FtpInfo info)
{
    switch (info) {
    case infoDisconnected: return QStringLiteral("Not connected to the server");
    case infoBusy: return QStringLiteral("The component is busy doing something");
    case infoLoggedIn: return QStringLiteral("Logged in");
    case infoResumeNotSupported: return QStringLiteral("This site cannot resume broken downloads/uploads");
    default: return QString();
    }
}

FtpError FtpErrorFromSocketError(int socketError, QString *text)
{
    using namespace platform;
    struct Row {
        int socketError;
        FtpError error;
        const char *text;
    };
    static const Row rows[] = {
        {WSAENETDOWN, errorNetworkDown, "Network down"},
        {WSAEACCES, errorInvalidAddress, "Invalid address specified"},
        {WSAEINVAL, errorInternal, ""},
        {WSAENETRESET, errorWinsock, "General Winsock Error"},
        {WSAENOBUFS, errorWinsock, "General Winsock Error"},
        {WSAECONNABORTED, errorConnectionAborted, "Connection aborted due to timeout or other failure"},
        {WSAECONNRESET, errorConnectionReset, "Connection reset by remote side"},
        {WSAETIMEDOUT, errorTimedOut, "Connection timed out"},
        {WSAEMFILE, errorOutOfSockets, "Out of sockets"},
        {WSAENETUNREACH, errorNetworkUnreachable, "Network unreachable"},
        {WSAEADDRNOTAVAIL, errorAddressNotAvailable, "Address not available"},
        {WSAECONNREFUSED, errorConnectionRefused, "Connection Refused"},
        {WSAHOST_NOT_FOUND, errorHostNotFound, "Address resolution error"},
        {WSATRY_AGAIN, errorHostNotFound, "Address resolution error"},
        {WSANO_RECOVERY, errorHostNotFound, "Address resolution error"},
        {WSANO_DATA, errorHostNotFound, "Address resolution error"},
        {WSAEHOSTUNREACH, errorHostUnreachable, "Host unreachable"},
    };
    for (const Row &row : rows) {
        if (row.socketError == socketError) {
            *text = QString::fromLatin1(row.text);
            return row.error;
        }
    }
    *text = QStringLiteral("Unexpected internal error in component (WinSock Error Code: %1)").arg(socketError);
    return errorInternal;
}
