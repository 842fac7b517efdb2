// Login: lookup, connect, greeting, credentials directly or through a proxy,
// server probe, start directory; retries and the end of a session.

#include "engine/TMFtp.h"

#include "engine/FtpLoginRules.h"
#include "engine/TMFtpInternal.h"
#include "platform/EventLoop.h"
#include "platform/TextCodec.h"
#include "platform/WinSock.h"

using namespace ftp;

namespace {
constexpr quint16 DefaultFtpPort = 21;

QByteArray Wire(const QString &text)
{
    return platform::toGbk(text);
}
} // namespace

void TMFtp::Login()
{
    if (busy_) {
        ReportInfo(infoBusy);
        return;
    }
    urlState_ = 0;
    BeginLogin();
}

void TMFtp::BeginLogin()
{
    busy_ = false;
    retryTimer_.stop();
    retrying_ = false;
    stopRetrying_ = false;
    retryLogin_ = true;
    retriesLeft_ = retries_;
    loggedIn_ = false;
    ReportInfo(infoConnected, QString());
    StartAttempt();
}

void TMFtp::StartAttempt()
{
    connecting_ = true;
    retrying_ = false;
    if (busy_) {
        ReportInfo(infoBusy);
        return;
    }
    SetLastError(0);
    currentDirectory_.clear();
    errorCode_ = errorNone;
    opOK_ = true;
    sizeSupported_ = true;
    noopSupported_ = true;
    features_ = TFtpFeatures();
    currentType_.clear();
    replies_.reset();
    aborReplyOwed_ = false;
    awaitingReply_ = false;
    dataCommandSent_ = false;
    restSent_ = false;
    quitSent_ = false;
    watchdog_.stop();
    --retriesLeft_;

    ++controlSerial_;
    ResetSocket();

    if (proxyServer_.trimmed().isEmpty())
        proxyType_ = proxyNone;
    else if (proxyType_ != proxyNone) {
        if (!serverIsProxy_) {
            remoteTarget_ = Server();
            remotePort_ = Port();
        }
        SetServer(proxyServer_);
        SetPort(quint16(proxyPort_));
        serverIsProxy_ = true;
    }

    if (Server().trimmed().isEmpty()) {
        ReportError(errorNoServer);
        connecting_ = false;
        PostReady();
        return;
    }
    if (Port() == 0)
        SetPort(DefaultFtpPort);

    if (!ServerAddress().isEmpty()) {
        SetAddress(ServerAddress());
        SetPort(Port());
        Connect();
    } else {
        ReportInfo(infoResolving, HostName());
        Resolve(HostName());
    }
    CheckSocketError();
}

void TMFtp::ScheduleAttempt(int delayMs)
{
    retrying_ = true;
    connecting_ = true;
    retryTimer_.start(qMax(0, delayMs));
}

void TMFtp::OnRetryTimer()
{
    if (stopRetrying_) {
        retrying_ = false;
        return;
    }
    StartAttempt();
}

void TMFtp::DoLookupDone()
{
    if (CheckSocketError())
        return;
    UseResolvedAddress();
    SetPort(Port());
    SetServerAddress(AddressText());
    ReportInfo(infoResolved, ServerAddress());
    Connect();
    CheckSocketError();
}

void TMFtp::OnControlConnected()
{
    if (CheckSocketError())
        return;
    ReportInfo(infoConnected, ServerAddress());
    inReplyDispatch_ = false;
    replies_.reset();
    SetReplyHandler(FTP_HANDLER(OnGreetingReply));
    awaitingReply_ = true;
    TouchWatchdog();
}

void TMFtp::RestoreProxyTarget()
{
    if (!serverIsProxy_)
        return;
    SetServer(remoteTarget_);
    SetPort(remotePort_);
    serverIsProxy_ = false;
}

// ---- Greeting and credentials ----

void TMFtp::OnGreetingReply(const QByteArray &reply)
{
    if (urlState_ != 0)
        urlState_ = 2;
    else
        operation_ = opLogin;
    if (!IsCompletion(reply)) {
        FatalError(errorServerRefused);
        return;
    }
    if (proxyType_ != proxyNone)
        RestoreProxyTarget();
    else if (serverType_ == ftpstAutoDetect)
        serverType_ = ServerTypeFromGreeting(reply);

    const QByteArray first = FirstLoginCommand(proxyType_, Wire(Server()), Port(), Wire(username_),
                                               Wire(proxyUsername_));
    switch (proxyType_) {
    case proxyHost:
        SendCommand(first, FTP_HANDLER(OnHostReply));
        break;
    case proxyOpen:
        SendCommand(first, FTP_HANDLER(OnOpenReply));
        break;
    case proxySite:
        SendCommand(first, FTP_HANDLER(OnProxyUserReply));
        break;
    default:
        SendCommand(first, FTP_HANDLER(OnUserReply));
        break;
    }
}

void TMFtp::OnHostReply(const QByteArray &reply)
{
    if (IsIntermediate(reply))
        SendCommand("USER " + Wire(username_), FTP_HANDLER(OnUserReply));
    else
        FatalError(errorServerRefused);
}

void TMFtp::OnOpenReply(const QByteArray &reply)
{
    if (IsCompletion(reply))
        SendCommand("USER " + Wire(username_), FTP_HANDLER(OnUserReply));
    else
        FatalError(errorServerRefused);
}

void TMFtp::OnProxyUserReply(const QByteArray &reply)
{
    if (proxyUsername_.isEmpty() && OnFtpNeedInfo)
        proxyUsername_ = AskInfo(needUsername, proxyUsername_);
    if (IsCompletion(reply)) {
        SendCommand("SITE " + Wire(Server()), FTP_HANDLER(OnSiteReply));
    } else if (IsIntermediate(reply)) {
        if (proxyPassword_.isEmpty() && OnFtpNeedInfo)
            proxyPassword_ = AskInfo(needPassword, proxyPassword_);
        SendCommand("PASS " + Wire(proxyPassword_), FTP_HANDLER(OnProxyPassReply));
    } else {
        FatalError(errorLoginFailed);
    }
}

void TMFtp::OnProxyPassReply(const QByteArray &reply)
{
    if (IsCompletion(reply))
        SendCommand("SITE " + Wire(Server()), FTP_HANDLER(OnSiteReply));
    else
        FatalError(errorLoginFailed);
}

void TMFtp::OnSiteReply(const QByteArray &reply)
{
    if (IsCompletion(reply))
        SendCommand("USER " + Wire(username_), FTP_HANDLER(OnUserReply));
    else
        FatalError(errorCommandFailed);
}

void TMFtp::OnUserReply(const QByteArray &reply)
{
    if (IsCompletion(reply))
        StartServerProbe();
    else if (IsIntermediate(reply))
        SendCommand("PASS " + Wire(password_), FTP_HANDLER(OnPassReply));
    else
        FatalError(errorLoginFailed);
}

void TMFtp::OnPassReply(const QByteArray &reply)
{
    if (IsCompletion(reply))
        StartServerProbe();
    else if (IsIntermediate(reply))
        SendCommand("ACCT " + Wire(account_), FTP_HANDLER(OnAcctReply));
    else
        FatalError(errorLoginFailed);
}

void TMFtp::OnAcctReply(const QByteArray &reply)
{
    if (IsCompletion(reply))
        StartServerProbe();
    else
        FatalError(errorLoginFailed);
}

// ---- Server probe ----

void TMFtp::StartServerProbe()
{
    SendCommand("FEAT", FTP_HANDLER(OnFeatReply));
}

void TMFtp::OnFeatReply(const QByteArray &)
{
    features_ = ParseFeatReply(replies_.lastReplyLines());
    if (features_.Received) {
        QList<QByteArray> names;
        for (const QByteArray &line : features_.Raw)
            names.append(line.split(' ').first());
        ReportInfo(infoNote, QStringLiteral("Server features: ") +
                                 (names.isEmpty() ? QStringLiteral("none")
                                                  : QString::fromLatin1(names.join(' '))));
    }
    StartSystemProbe();
}

void TMFtp::StartSystemProbe()
{
    if (serverType_ == ftpstAutoDetect)
        SendCommand("SYST", FTP_HANDLER(OnSystReply));
    else
        SendCommand("REST 100", FTP_HANDLER(OnRestProbeReply));
}

void TMFtp::OnSystReply(const QByteArray &reply)
{
    serverType_ = ServerTypeFromSyst(reply);
    SendCommand("REST 100", FTP_HANDLER(OnRestProbeReply));
}

void TMFtp::OnRestProbeReply(const QByteArray &reply)
{
    if (reply.startsWith("501") && currentType_ != "I") {
        // "501 Resuming transfers not allowed in ASCII mode." - the server
        // knows REST but not in the type it starts with: ask again in the
        // binary type, which transfers use.
        currentType_ = "I";
        SendCommand("TYPE I", FTP_HANDLER(OnRestProbeTypeReply));
        return;
    }
    if (IsIntermediate(reply)) {
        canResume_ = true;
        ReportInfo(infoResumeSupported, QStringLiteral("This site can resume broken downloads/uploads"));
        SendCommand("REST 0", FTP_HANDLER(OnRestResetReply));
        return;
    }
    canResume_ = false;
    ReportInfo(infoResumeNotSupported);
    StartNavigation();
}

void TMFtp::OnRestProbeTypeReply(const QByteArray &reply)
{
    if (IsCompletion(reply)) {
        SendCommand("REST 100", FTP_HANDLER(OnRestProbeReply));
        return;
    }
    currentType_.clear();
    canResume_ = false;
    ReportInfo(infoResumeNotSupported);
    StartNavigation();
}

void TMFtp::OnRestResetReply(const QByteArray &)
{
    StartNavigation();
}

// ---- Start directory ----

void TMFtp::StartNavigation()
{
    if (urlState_ != 0)
        GoToUrlDirectory();
    else if (!initialDirectory_.isEmpty())
        SendCommand("CWD " + initialDirectory_, FTP_HANDLER(OnInitialDirectoryReply));
    else
        SendCommand("PWD", FTP_HANDLER(OnLoginPwdReply));
}

void TMFtp::OnInitialDirectoryReply(const QByteArray &reply)
{
    if (IsCompletion(reply))
        currentDirectory_ = QuotedPath(reply);
    if (!currentDirectory_.isEmpty())
        CompleteLogin();
    else
        SendCommand("PWD", FTP_HANDLER(OnLoginPwdReply));
}

void TMFtp::OnLoginPwdReply(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        FatalError(errorCommandFailed);
        return;
    }
    currentDirectory_ = QuotedPath(reply);
    if (serverType_ == ftpstNetTerm || serverType_ == ftpstServU)
        currentDirectory_ = DrivePathToUnix(currentDirectory_);
    CompleteLogin();
}

void TMFtp::CompleteLogin()
{
    connected_ = true;
    ReportInfo(infoLoggedIn, QStringLiteral("Logged in"));
    PostReady();
    connecting_ = false;
}

// ---- Closing, retries, end of session ----

void TMFtp::OnControlClosed()
{
    ++controlSerial_;
    watchdog_.stop();
    const bool replyOwed = awaitingReply_ || (dataCommandSent_ && !finalReplyOK_);
    awaitingReply_ = false;
    if (connected_ && busy_ && replyOwed && !quitSent_ && operation_ != opNoop) {
        // The connection ended before the server answered (it hung up, or a
        // time-out closed it): whatever came before the answer, a whole file
        // even, is not confirmed.
        if (operation_ == opDownload || operation_ == opUpload)
            transferOK_ = false;
        if (errorCode_ == errorNone) {
            FtpErrorFromSocketError(platform::WSAECONNRESET, &errorText_);
            ReportError(errorConnectionReset);
        }
    }
    AbandonTransfer();
    if (retrying_)
        return;

    // A server that hangs up in the middle of the login without a word
    // ("220-Welcome" and then nothing) fails the attempt like a reset would.
    if (connecting_ && !connected_ && !stopRetrying_ && errorCode_ == errorNone) {
        FtpErrorFromSocketError(platform::WSAECONNRESET, &errorText_);
        ReportError(errorConnectionReset);
    }

    // A refused login asks for new credentials and logs in with them, as
    // often as the user answers. Without anyone to ask, the same credentials
    // would be refused again: that counts as an ordinary failed attempt.
    if (errorCode_ == errorLoginFailed && retryLogin_ && !stopRetrying_ && OnFtpNeedInfo) {
        connecting_ = true;
        username_ = AskInfo(needUsername, username_);
        if (retryLogin_ && !stopRetrying_)
            password_ = AskInfo(needPassword, password_);
        if (retryLogin_ && !stopRetrying_) {
            retriesLeft_ = retries_;
            ScheduleAttempt(0);
        } else if (connecting_ && !retrying_) {
            EndSession(); // a prompt was cancelled
        }
        return;
    }

    RetryDecision();
    if (retrying_)
        return;
    connecting_ = false;
    EndSession();
}

void TMFtp::RetryDecision()
{
    if (retriesLeft_ < 0) {
        ReportInfo(infoRetryFinished, QStringLiteral("Retry Finished"));
        stopRetrying_ = true;
    } else if (!stopRetrying_ && !loggedIn_ && errorCode_ != errorNone) {
        ReportInfo(infoRetrying, QString::number(retryInterval_) + QStringLiteral(" Retrying..."));
        stopRetrying_ = false;
        ScheduleAttempt(retryInterval_ * MillisecondsPerSecond);
    }
}

void TMFtp::EndSession()
{
    connected_ = false;
    connecting_ = false;
    if (urlState_ == 2)
        urlState_ = 0; // the address's login is over
    RestoreProxyTarget();
    ReportInfo(infoDisconnected, QStringLiteral("Disconnected"));
    platform::postMessage(this, QuitMessage);
    operation_ = opNone;
    PostReady();
}
