// The session log's binding to its engine: the information and error
// listeners and what each report becomes in the log.
#include "views/FtpMsg.h"

#include "engine/TMFtp.h"

namespace views {
namespace {

const QString CrLf = QStringLiteral("\r\n");

} // namespace

TMFtp *TMFtpMessenger::Client() const
{
    return client_.data();
}

void TMFtpMessenger::setClient(TMFtp *client)
{
    if (client == client_.data())
        return;
    detachClient();
    client_ = client;
    if (!client)
        return;
    infoSlot_ = client->AddInfoListener(
        [this](QObject *sender, FtpInfo info, const QString &text) { FtpInfoHandler(sender, info, text); });
    errorSlot_ = client->AddErrorListener(
        [this](QObject *sender, FtpError error, const QString &text) { FtpErrorHandler(sender, error, text); });
}

void TMFtpMessenger::detachClient()
{
    if (TMFtp *old = client_.data()) {
        old->RemoveInfoListener(infoSlot_);
        old->RemoveErrorListener(errorSlot_);
    }
    client_ = nullptr;
    infoSlot_ = -1;
    errorSlot_ = -1;
}

QString TMFtpMessenger::connectedText(const QString &server, const QString &address) const
{
    const QString connectedTo = QStringLiteral("Connected to ");
    const QString waiting = QStringLiteral(" waiting for welcome message");
    if (server.isEmpty() && address.isEmpty())
        return connectedTo + QStringLiteral("specified server") + waiting + CrLf;
    if (server.isEmpty() || server == address)
        return connectedTo + address + waiting + CrLf;
    if (address.isEmpty())
        return connectedTo + server;
    const QString named = connectedTo + server + QStringLiteral("(IP: ") + address + QLatin1Char(')');
    switch (language_) {
    case MLChina:
        return named + QStringLiteral(" 等待欢迎消息");
    case MLChinaGB:
        return named + QStringLiteral(" 等待歡迎消息");
    case MLEnglish:
        break;
    }
    return named + waiting + CrLf;
}

void TMFtpMessenger::FtpInfoHandler(QObject * /*sender*/, FtpInfo info, const QString &text)
{
    if (OnMessageShow) {
        bool show = true;
        OnMessageShow(this, info, show);
        if (!show)
            return;
    }
    switch (info) {
    case infoConnected:
        AddMessage(connectedText(client_ ? client_->Server() : QString(), text), mkStatus);
        connected_ = true;
        break;
    case infoDisconnected:
        if (connected_) {
            AddMessage(QStringLiteral("Disconnected") + CrLf, mkStatus);
            connected_ = false;
        }
        break;
    case infoReplyText:
        AddMessage(text, mkReply);
        break;
    case infoCommand:
        AddMessage(text, mkCommand);
        break;
    case infoResumeSupported:
    case infoResumeNotSupported:
    case infoNothingToDo:
    case infoNote:
        AddMessage(text + CrLf, mkStatus);
        break;
    case infoLoggedIn:
        AddMessage(QStringLiteral("Login successful") + CrLf, mkStatus);
        break;
    case infoRetrying:
        AddMessage(QStringLiteral("Retrying...") + CrLf, mkStatus);
        break;
    default:
        break;
    }
}

void TMFtpMessenger::FtpErrorHandler(QObject * /*sender*/, FtpError error, const QString &text)
{
    if (OnErrorShow) {
        bool show = true;
        OnErrorShow(this, error, show);
        if (!show)
            return;
    }
    AddMessage(text + CrLf, mkError);
}

} // namespace views
