// ftp:// addresses: same-session reuse or a new login, then the address's
// folder or file.

#include "engine/TMFtp.h"

#include "engine/FtpLoginRules.h"
#include "engine/FtpUrl.h"
#include "engine/TMFtpInternal.h"
#include "platform/TextCodec.h"

#include <QTimer>

using namespace ftp;

namespace {
const char *const AccessDeniedText = "Access denied or file not found";
}

void TMFtp::OpenURL(const QByteArray &address)
{
    if (busy_) {
        ReportInfo(infoBusy);
        return;
    }
    // "ftps://" (implicit TLS, port 990) and "ftpes://" (explicit TLS) are
    // ftp:// addresses that choose TLS; ftp:// keeps the mode set before.
    QByteArray plain = address;
    TMFtpTlsMode tls = tlsMode_;
    quint16 defaultPort = Port();
    const QByteArray trimmed = address.trimmed();
    const QByteArray scheme = trimmed.left(trimmed.indexOf("://") + 3).toLower();
    if (scheme == "ftps://" || scheme == "ftpes://") {
        tls = scheme == "ftps://" ? tlsImplicit : tlsExplicit;
        defaultPort = tls == tlsImplicit ? 990 : 21;
        plain = "ftp://" + trimmed.mid(scheme.size());
    }
    TFtpUrl url;
    const TFtpUrlResult result = ParseFtpUrl(plain, &url);
    if (result != urlOK) {
        errorText_ = FtpUrlErrorText(result);
        ReportError(errorBadURL);
        busy_ = false;
        return;
    }
    QString user;
    QString password;
    if (url.hasUser) {
        user = platform::decodeRemoteName(url.user);
        password = platform::decodeRemoteName(url.password);
        anonymous_ = false;
    } else {
        if (username_.isEmpty())
            username_ = QStringLiteral("anonymous");
        if (password_.isEmpty())
            password_ = QStringLiteral("visit@");
        user = username_;
        password = password_;
        anonymous_ = true;
    }
    const QString host = platform::decodeRemoteName(url.host);
    const quint16 port = url.hasPort ? url.port : defaultPort;

    urlPath_ = url.path;
    StartBusyOperation();
    RaiseNotify(notifyFtpBusy);
    if (user == username_ && password == password_ && host == Server() && port == Port() && tls == tlsMode_
        && loggedIn_) {
        GoToUrlDirectory();
        return;
    }
    username_ = user;
    password_ = password;
    tlsMode_ = tls;
    SetServer(host);
    SetPort(port);
    urlState_ = 1;
    if (connected_)
        SendCommand("QUIT", FTP_HANDLER(OnQuitReply));
    else
        BeginLogin();
}

void TMFtp::GoToUrlDirectory()
{
    urlState_ = 0;
    if (!urlPath_.isEmpty())
        SendCommand("CWD " + urlPath_, FTP_HANDLER(OnUrlDirectoryReply));
    else
        SendCommand("PWD", FTP_HANDLER(OnUrlDirectoryReply));
}

void TMFtp::CompleteUrlLogin()
{
    if (loggedIn_)
        return;
    loggedIn_ = true;
    stopRetrying_ = true;
    connected_ = true;
    connecting_ = false;
    ReportInfo(infoLoggedIn, QStringLiteral("Logged in"));
}

void TMFtp::OnUrlDirectoryReply(const QByteArray &reply)
{
    if (IsCompletion(reply)) {
        operation_ = opChangeDir;
        currentDirectory_ = QuotedPath(reply);
        CompleteUrlLogin();
        OnCwdReply(reply);
        return;
    }
    if (urlPath_.isEmpty() || urlPath_.endsWith('/')) {
        // The session is usable even though the folder is not.
        CompleteUrlLogin();
        operation_ = opChangeDir;
        changeDirOK_ = false;
        errorText_ = QString::fromLatin1(AccessDeniedText);
        ReportError(errorAccessDenied);
        PostReady();
        return;
    }
    const qsizetype slash = urlPath_.lastIndexOf('/');
    remoteFile_ = urlPath_.mid(slash + 1);
    urlPath_ = urlPath_.left(slash + 1);
    SendCommand("CWD " + urlPath_, FTP_HANDLER(OnUrlFileDirectoryReply));
}

void TMFtp::OnUrlFileDirectoryReply(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        FatalError(errorNoRemoteFile);
        return;
    }
    CompleteUrlLogin();
    QByteArray folder = QuotedPath(reply);
    if (folder.isEmpty()) {
        folder = urlPath_;
        if (folder.size() > 1 && folder.endsWith('/'))
            folder.chop(1);
    }
    currentDirectory_ = folder;
    QString local;
    if (!remoteFile_.isEmpty() && OnFtpNeedInfo) {
        localFile_ = platform::decodeRemoteName(remoteFile_);
        local = AskInfo(needLocalFile, localFile_);
    }
    if (local.isEmpty()) {
        SetReplyHandler(ReplyHandler());
        Close(); // nothing to download: the session ends
        return;
    }
    // The download waits for its own replies, which cannot be read while
    // this handler runs: it starts once the handler has returned.
    SetReplyHandler(ReplyHandler());
    const QByteArray remote = remoteFile_;
    QTimer::singleShot(0, this, [this, remote, local] {
        busy_ = false;
        DownloadFile(remote, local);
    });
}
