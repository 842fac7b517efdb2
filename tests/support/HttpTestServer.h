#pragma once
// A small HTTP/1.1 server on the loopback interface for the online services'
// tests: each path gets a scripted answer (everything else 404), every
// request is recorded with its headers and body, byte for byte.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

namespace testsupport {

struct HttpAnswer
{
    HttpAnswer() = default;
    HttpAnswer(int answerStatus, const QByteArray &answerBody) : status(answerStatus), body(answerBody) {}

    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    // Content-Length announced; -1: the body's size; -2: none (the end of
    // the body is the end of the connection).
    qint64 announcedLength = -1;
    // Sends this many bytes of the body and then keeps the connection open
    // without a word more; -1: the whole body.
    qint64 stallAfter = -1;
    // Never answers at all (the connection stays open).
    bool silent = false;
};

struct HttpRequestRecord
{
    QByteArray method;
    QByteArray path;
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

class HttpTestServer : public QObject
{
public:
    HttpTestServer();
    ~HttpTestServer() override;

    quint16 port() const { return server_.serverPort(); }
    // "http://127.0.0.1:<port>"
    QUrl base() const;
    QUrl url(const QByteArray &path) const;

    void answer(const QByteArray &path, const HttpAnswer &answer) { answers_[path] = answer; }
    void answer(const QByteArray &path, const QByteArray &body) { answers_[path] = HttpAnswer{200, body}; }

    const QList<HttpRequestRecord> &requests() const { return requests_; }
    int requestCount(const QByteArray &path) const;

    // A free loopback port with nothing listening on it.
    static quint16 closedPort();

private:
    void onConnection();
    void onReadable(QTcpSocket *socket);

    QTcpServer server_;
    QHash<QByteArray, HttpAnswer> answers_;
    QHash<QTcpSocket *, QByteArray> pending_;
    QList<HttpRequestRecord> requests_;
};

} // namespace testsupport
