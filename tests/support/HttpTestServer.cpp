#include "support/HttpTestServer.h"

#include <QTcpSocket>

namespace testsupport {

HttpTestServer::HttpTestServer()
{
    connect(&server_, &QTcpServer::newConnection, this, &HttpTestServer::onConnection);
    server_.listen(QHostAddress::LocalHost);
}

HttpTestServer::~HttpTestServer()
{
    for (QTcpSocket *socket : pending_.keys()) {
        socket->disconnect(this);
        socket->abort();
        delete socket;
    }
}

QUrl HttpTestServer::base() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port()));
}

QUrl HttpTestServer::url(const QByteArray &path) const
{
    QUrl u = base();
    u.setPath(QString::fromLatin1(path));
    return u;
}

int HttpTestServer::requestCount(const QByteArray &path) const
{
    int n = 0;
    for (const HttpRequestRecord &r : requests_)
        n += r.path == path;
    return n;
}

quint16 HttpTestServer::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void HttpTestServer::onConnection()
{
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
        pending_.insert(socket, QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            pending_.remove(socket);
            socket->deleteLater();
        });
    }
}

void HttpTestServer::onReadable(QTcpSocket *socket)
{
    QByteArray &buffer = pending_[socket];
    buffer += socket->readAll();
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    HttpRequestRecord request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.path = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const qint64 length = request.headers.value("content-length", "0").toLongLong();
    if (buffer.size() - (headerEnd + 4) < length)
        return; // the body is still on its way
    request.body = buffer.mid(headerEnd + 4, length);
    buffer.clear();
    requests_ << request;

    const auto found = answers_.constFind(request.path);
    const HttpAnswer answer = found != answers_.constEnd() ? *found : HttpAnswer{404, "not found"};
    if (answer.silent)
        return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + " " + (answer.status == 200 ? "OK" : "Error")
                      + "\r\nConnection: close\r\n";
    if (answer.announcedLength != -2)
        head += "Content-Length: "
                + QByteArray::number(answer.announcedLength >= 0 ? answer.announcedLength : answer.body.size()) + "\r\n";
    for (const auto &h : answer.headers)
        head += h.first + ": " + h.second + "\r\n";
    head += "\r\n";
    socket->write(head);
    if (answer.stallAfter >= 0) {
        socket->write(answer.body.left(answer.stallAfter));
        return;
    }
    socket->write(answer.body);
    socket->disconnectFromHost();
}

} // namespace testsupport
