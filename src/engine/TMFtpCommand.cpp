// The command channel: sending commands, reading and dispatching replies,
// socket errors.

#include "engine/TMFtp.h"

#include "engine/TMFtpInternal.h"
#include "platform/EventLoop.h"
#include "platform/TextCodec.h"
#include "platform/WinSock.h"

using namespace ftp;

namespace {
constexpr qint64 ControlReadSize = 4092;
// Reads per read event; more data waiting raises the event again, so a server
// that never stops talking cannot keep the event loop from other work.
constexpr int MaxReadsPerEvent = 16;
} // namespace

void TMFtp::SendCommand(const QByteArray &command, ReplyHandler handler)
{
    SendLine(command, handler, true);
}

void TMFtp::SendSilent(const QByteArray &command, ReplyHandler handler)
{
    SendLine(command, handler, false);
}

void TMFtp::SendLine(const QByteArray &command, ReplyHandler handler, bool logged)
{
    logReplies_ = logged;
    if (logged)
        ReportInfo(infoCommand, platform::decodeRemoteName(command));
    if (command.contains('\r') || command.contains('\n') || command.contains('\0')) {
        // A name holding a line break would end the command early and let
        // the rest run as a command of its own; the server never sees it.
        SetReplyHandler(handler);
        DispatchReply("553 Name contains a line break or a zero byte.");
        return;
    }
    const QByteArray line = command + "\r\n";
    const quint64 connection = controlSerial_;
    qint64 sent = 0;
    while (sent < line.size()) {
        const qint64 n = Send(line.constData() + sent, line.size() - sent);
        if (CheckSocketError())
            return;
        if (connection != controlSerial_ || SocketHandle() < 0 || LastError() != 0)
            return; // the connection is gone; its close handling ends the operation
        if (n == 0) {
            platform::pumpEvents(); // wait until the socket takes more
            continue;
        }
        sent += n;
    }
    SetReplyHandler(handler);
    awaitingReply_ = true;
    TouchWatchdog();
}

void TMFtp::SetReplyHandler(ReplyHandler handler)
{
    if (handler.fn != replyHandler_.fn)
        qCDebug(lcFtpEngine) << "reply handler" << replyHandler_.name << "->" << handler.name;
    replyHandler_ = handler;
}

void TMFtp::ControlRead()
{
    if (inReplyDispatch_)
        return;
    const quint64 connection = controlSerial_;
    char buffer[ControlReadSize + 4];
    for (int reads = 0; reads < MaxReadsPerEvent; ++reads) {
        const qint64 n = Receive(buffer, ControlReadSize);
        if (CheckSocketError() || n <= 0)
            return;
        QByteArray chunk(buffer, n);
        if (logReplies_) {
            QByteArray shown = chunk;
            shown.replace('\0', "");
            ReportInfo(infoReplyText, platform::decodeRemoteName(shown) + QLatin1Char(' '));
            if (connection != controlSerial_)
                return;
        }
        replies_.append(chunk);
        while (std::optional<QByteArray> reply = replies_.nextReply()) {
            inReplyDispatch_ = true;
            DispatchReply(*reply);
            inReplyDispatch_ = false;
            if (connection != controlSerial_ || !SocketConnected())
                return;
        }
        if (replies_.takeLineTooLong()) {
            errorText_ = QStringLiteral("Reply line too long");
            FatalError(errorCommandFailed);
            return;
        }
        if (replies_.takeReplyTooLong()) {
            errorText_ = QStringLiteral("Reply too long");
            FatalError(errorCommandFailed);
            return;
        }
    }
}

void TMFtp::DispatchReply(const QByteArray &reply)
{
    lastReply_ = reply;
    if (aborReplyOwed_ && !IsPreliminary(reply)) {
        if (aborPassThrough_ == 0) {
            aborReplyOwed_ = false;
            qCDebug(lcFtpEngine) << "reply to ABOR" << reply;
            return;
        }
        --aborPassThrough_;
    }
    if (IsPreliminary(reply))
        preliminarySeen_ = true;
    else
        awaitingReply_ = false;
    const bool transfer = operation_ == opDownload || operation_ == opUpload || operation_ == opList;
    if (abortRequested_ && !dataCommandSent_ && transfer && busy_ && replyHandler_.fn) {
        // Stopped while the data command was being prepared: it is never
        // sent. A restart offset the server has taken is set back first, or
        // it would apply to the next transfer.
        if (restSent_) {
            restSent_ = false;
            SendCommand("REST 0", replyHandler_);
        } else {
            EndAbortedTransfer();
        }
    } else if (replyHandler_.fn) {
        const ReplyHandler handler = replyHandler_;
        qCDebug(lcFtpEngine) << handler.name << "<-" << reply;
        (this->*handler.fn)(reply);
    }
    TouchWatchdog();
}

void TMFtp::FatalError(FtpError error)
{
    errorCode_ = error;
    // A refusal has no text of its own; the server's words say why
    // ("530 Login incorrect.").
    if (errorText_.isEmpty() && (error == errorLoginFailed || error == errorServerRefused))
        errorText_ = platform::decodeRemoteName(FinalReplyLine(lastReply_));
    ReportError(error);
    AbandonTransfer();
    if (SocketConnected()) {
        Close();
    } else if (connecting_ && !connected_ && !retrying_) {
        // The lookup or the connect itself failed: no close event will come,
        // so the attempt ends here the way a close would end it.
        CloseSilently();
        OnControlClosed();
    }
    if (!retrying_)
        connecting_ = false;
}

bool TMFtp::CheckSocketError()
{
    const int error = LastError();
    if (error == 0 || error == platform::WSAENOTSOCK || error == platform::WSAENOTCONN) {
        errorCode_ = errorNone;
        return false;
    }
    QString text;
    const FtpError code = FtpErrorFromSocketError(error, &text);
    errorText_ = text;
    FatalError(code);
    return true;
}

// The lookup or the connect took longer than TimeOut: the attempt fails like
// a refused connect would.
void TMFtp::OnControlTimeOut()
{
    if (SocketConnected() || !connecting_)
        return;
    errorText_ = QStringLiteral("Connection timed out");
    FatalError(errorTimedOut);
}

// ---- Time-outs after the connect ----

TMFtp::Stall TMFtp::CurrentStall() const
{
    if (!SocketConnected())
        return Stall::None;
    // Once the server has started the transfer, its final reply may follow
    // the data by any time; until then the data must keep coming.
    if (dataCommandSent_ && !dataClosed_ && (dataOpen_ || preliminarySeen_ || finalReplyOK_))
        return Stall::Data;
    if (awaitingReply_)
        return Stall::Reply;
    if (dataCommandSent_ && !dataClosed_)
        return Stall::Data;
    return Stall::None;
}

void TMFtp::TouchWatchdog()
{
    if (TimeOut() > 0 && CurrentStall() != Stall::None)
        watchdog_.start(TimeOut() * MillisecondsPerSecond);
    else
        watchdog_.stop();
}

void TMFtp::OnWatchdog()
{
    const Stall stall = CurrentStall();
    if (stall == Stall::None)
        return;
    errorText_ = stall == Stall::Data
                     ? QStringLiteral("Connection timed out: no data for %1 s").arg(TimeOut())
                     : QStringLiteral("Connection timed out: no reply from the server within %1 s").arg(TimeOut());
    FatalError(errorTimedOut);
}
