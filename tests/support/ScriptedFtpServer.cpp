#include "support/ScriptedFtpServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

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
        // Urgent bytes (the Telnet data mark of an abort) stay in the stream,
        // so received() shows every byte in order.
        const int on = 1;
        ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_OOBINLINE, &on, sizeof on);
        connect(socket, &QTcpSocket::readyRead, this, &ScriptedFtpServer::onReadyRead);
        if (!greetings_.isEmpty())
            queue(greetings_.at(qMin(connections_ - 1, int(greetings_.size()) - 1)));
        if (dripTimer_)
            dripTimer_->start();
    }
}

void ScriptedFtpServer::setDrip(const QByteArray &bytes, int intervalMs)
{
    drip_ = bytes;
    delete dripTimer_;
    dripTimer_ = nullptr;
    if (intervalMs <= 0)
        return;
    dripTimer_ = new QTimer(this);
    dripTimer_->setInterval(intervalMs);
    connect(dripTimer_, &QTimer::timeout, this, &ScriptedFtpServer::dripOnce);
}

void ScriptedFtpServer::dripOnce()
{
    if (!clientConnected()) {
        dripTimer_->stop();
        return;
    }
    client_->write(drip_);
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
        handleCommand(line);
    }
}

void ScriptedFtpServer::handleCommand(const QByteArray &rawLine)
{
    // Telnet bytes before a command ("\xff\xf4\xff\xf2ABOR") are not part of it.
    QByteArray line = rawLine;
    while (!line.isEmpty() && quint8(line.at(0)) >= 0xF0)
        line.remove(0, 1);
    const QByteArray verb = line.split(' ').first().toUpper();
    const auto found = replies_.constFind(verb);
    const bool scripted = found != replies_.constEnd() && !found->isEmpty();
    if (verb == "ABOR") {
        const bool running = dataRunning_;
        dataRunning_ = false;
        if (dataSocket_)
            dataSocket_->abort();
        if (!scripted) {
            // As servers answer: the transfer's own reply, then ABOR's.
            queue({QByteArray(running ? "426 Connection closed; transfer aborted.\r\n" : "")
                   + "226 ABOR command successful.\r\n"});
            return;
        }
    }
    if (!scripted && !dataActions_.isEmpty() && verb == "PASV") {
        queue({"227 Entering Passive Mode (" + openPassiveListener() + ").\r\n"});
        return;
    }
    if (!scripted && !dataActions_.isEmpty() && verb == "PORT") {
        const QList<QByteArray> f = line.mid(5).trimmed().split(',');
        if (f.size() == 6) {
            activeHost_ = f[0] + '.' + f[1] + '.' + f[2] + '.' + f[3];
            activePort_ = quint16(f[4].toInt() * 256 + f[5].toInt());
            passiveMode_ = false;
        }
        queue({"200 PORT command successful.\r\n"});
        return;
    }
    if (!scripted && dataActions_.contains(verb)) {
        startData(dataActions_.value(verb));
        return;
    }
    if (!scripted) {
        queue({"502 Command not implemented.\r\n"});
        return;
    }
    int &index = replyIndex_[verb];
    queue(found->at(qMin(index, int(found->size()) - 1)));
    ++index;
}

void ScriptedFtpServer::setDataAction(const QByteArray &verb, const DataAction &action)
{
    dataActions_[verb.toUpper()] = action;
}

bool ScriptedFtpServer::dataConnectionOpen() const
{
    return dataSocket_ && dataSocket_->state() == QAbstractSocket::ConnectedState;
}

QByteArray ScriptedFtpServer::openPassiveListener()
{
    delete dataListener_;
    dataListener_ = new QTcpServer(this);
    dataListener_->listen(QHostAddress::LocalHost, 0);
    passiveMode_ = true;
    connect(dataListener_, &QTcpServer::newConnection, this, [this] {
        QTcpSocket *socket = dataListener_->nextPendingConnection();
        if (!socket)
            return;
        ++dataConnections_;
        if (dataSocket_)
            dataSocket_->deleteLater();
        dataSocket_ = socket;
        if (dataRunning_)
            onDataSocketReady();
    });
    const quint16 port = dataListener_->serverPort();
    return passiveAddress_ + ',' + QByteArray::number(port / 256) + ',' + QByteArray::number(port % 256);
}

void ScriptedFtpServer::startData(const DataAction &action)
{
    currentData_ = action;
    dataRunning_ = true;
    queue({action.preliminary});
    if (passiveMode_) {
        if (dataSocket_ && dataSocket_->state() == QAbstractSocket::ConnectedState)
            onDataSocketReady();
        return;
    }
    if (action.foreignAddress.isEmpty()) {
        connectData();
        return;
    }
    // The stranger first; the server itself once the stranger is in.
    foreignClosed_ = false;
    auto *stranger = new QTcpSocket(this);
    foreign_ = stranger;
    stranger->bind(QHostAddress(QString::fromLatin1(action.foreignAddress)));
    connect(stranger, &QTcpSocket::connected, this, [this, stranger] {
        stranger->write(currentData_.data);
        connectData();
    });
    connect(stranger, &QTcpSocket::disconnected, this, [this] { foreignClosed_ = true; });
    connect(stranger, &QTcpSocket::errorOccurred, this, [this] { foreignClosed_ = true; });
    stranger->connectToHost(QString::fromLatin1(activeHost_), activePort_);
}

void ScriptedFtpServer::connectData()
{
    auto *socket = new QTcpSocket(this);
    if (dataSocket_)
        dataSocket_->deleteLater();
    dataSocket_ = socket;
    connect(socket, &QTcpSocket::connected, this, [this] {
        ++dataConnections_;
        onDataSocketReady();
    });
    socket->connectToHost(QString::fromLatin1(activeHost_), activePort_);
}

void ScriptedFtpServer::onDataSocketReady()
{
    QTcpSocket *socket = dataSocket_;
    if (!socket || !dataRunning_)
        return;
    if (currentData_.upload && currentData_.stopReading) {
        socket->setReadBufferSize(1);
        return;
    }
    if (currentData_.upload) {
        uploaded_.clear();
        const auto take = [this, socket] { uploaded_ += socket->readAll(); };
        connect(socket, &QTcpSocket::readyRead, this, take);
        connect(socket, &QTcpSocket::disconnected, this, [this, take] {
            take();
            finishData();
        });
        take();
        if (socket->state() != QAbstractSocket::ConnectedState)
            finishData();
        return;
    }
    socket->write(currentData_.data);
    if (currentData_.keepOpen)
        return;
    connect(socket, &QTcpSocket::disconnected, this, &ScriptedFtpServer::finishData);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        finishData();
}

void ScriptedFtpServer::finishData()
{
    if (!dataRunning_)
        return;
    dataRunning_ = false;
    queue({currentData_.final, currentData_.hangUpAfterData});
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
