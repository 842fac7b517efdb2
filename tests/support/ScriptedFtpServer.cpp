#include "support/ScriptedFtpServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace testsupport {

ScriptedFtpServer::ScriptedFtpServer() : server_(new QTcpServer(this))
{
    server_->listen(QHostAddress::LocalHost, 0);
    connect(server_, &QTcpServer::newConnection, this, &ScriptedFtpServer::onNewConnection);
    greetings_ = {{"220 Scripted server ready.\r\n"}};
}

ScriptedFtpServer::~ScriptedFtpServer() = default;

quint16 ScriptedFtpServer::port() const
{
    return server_->serverPort();
}

void ScriptedFtpServer::setGreetings(const QList<ServerAction> &greetings)
{
    greetings_ = greetings;
}

void ScriptedFtpServer::setGreeting(const QByteArray &bytes, bool closeAfter)
{
    greetings_ = {{bytes, closeAfter}};
}

void ScriptedFtpServer::setReplies(const QByteArray &verb, const QList<ServerAction> &replies)
{
    replies_[verb.toUpper()] = replies;
    replyIndex_[verb.toUpper()] = 0;
}

void ScriptedFtpServer::setReply(const QByteArray &verb, const QByteArray &bytes, bool closeAfter)
{
    setReplies(verb, {{bytes, closeAfter}});
}

void ScriptedFtpServer::scriptStandardSession()
{
    setReply("USER", "331 Password required.\r\n");
    setReply("PASS", "230 Logged in.\r\n");
    setReply("SYST", "215 UNIX Type: L8\r\n");
    setReply("REST", "350 Restarting.\r\n");
    setReply("PWD", "257 \"/\" is the current directory.\r\n");
    setReply("CWD", "250 Directory changed.\r\n");
    setReply("NOOP", "200 NOOP ok.\r\n");
    setReply("QUIT", "221 Goodbye.\r\n", true);
}

void ScriptedFtpServer::setWriteChunk(int bytes)
{
    writeChunk_ = bytes;
}

QList<QByteArray> ScriptedFtpServer::commands() const
{
    QList<QByteArray> lines = received_.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

QList<QByteArray> ScriptedFtpServer::verbs() const
{
    QList<QByteArray> result;
    for (const QByteArray &line : commands())
        result.append(line.split(' ').first().toUpper());
    return result;
}

bool ScriptedFtpServer::clientConnected() const
{
    return client_ && client_->state() == QAbstractSocket::ConnectedState;
}

void ScriptedFtpServer::onNewConnection()
{
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        if (client_)
            client_->deleteLater();
        client_ = socket;
        ++connections_;
        lineBuffer_.clear();
        outgoing_.clear();
        closeWhenSent_ = false;
        connect(socket, &QTcpSocket::readyRead, this, &ScriptedFtpServer::onReadyRead);
        if (!greetings_.isEmpty())
            queue(greetings_.at(qMin(connections_ - 1, int(greetings_.size()) - 1)));
    }
}

void ScriptedFtpServer::onReadyRead()
{
    auto *socket = qobject_cast<QTcpSocket *>(sender());
    const QByteArray bytes = socket->readAll();
    received_ += bytes;
    if (socket != client_)
        return;
    lineBuffer_ += bytes;
    qsizetype end;
    while ((end = lineBuffer_.indexOf("\r\n")) >= 0) {
        const QByteArray line = lineBuffer_.left(end);
        lineBuffer_.remove(0, end + 2);
        const QByteArray verb = line.split(' ').first().toUpper();
        const auto found = replies_.constFind(verb);
        if (found == replies_.constEnd() || found->isEmpty()) {
            queue({"502 Command not implemented.\r\n"});
            continue;
        }
        int &index = replyIndex_[verb];
        queue(found->at(qMin(index, int(found->size()) - 1)));
        ++index;
    }
}

void ScriptedFtpServer::send(const QByteArray &bytes)
{
    queue({bytes});
}

void ScriptedFtpServer::queue(const ServerAction &action)
{
    outgoing_ += action.bytes;
    closeWhenSent_ = closeWhenSent_ || action.closeAfter;
    if (writeChunk_ <= 0) {
        flushSome();
        return;
    }
    if (!flushScheduled_) {
        flushScheduled_ = true;
        QTimer::singleShot(0, this, &ScriptedFtpServer::flushSome);
    }
}

void ScriptedFtpServer::flushSome()
{
    flushScheduled_ = false;
    if (!client_)
        return;
    const qsizetype n = writeChunk_ > 0 ? qMin<qsizetype>(writeChunk_, outgoing_.size()) : outgoing_.size();
    if (n > 0) {
        client_->write(outgoing_.left(n));
        client_->flush();
        outgoing_.remove(0, n);
    }
    if (!outgoing_.isEmpty()) {
        flushScheduled_ = true;
        QTimer::singleShot(1, this, &ScriptedFtpServer::flushSome);
        return;
    }
    if (closeWhenSent_) {
        closeWhenSent_ = false;
        client_->disconnectFromHost();
    }
}

} // namespace testsupport
