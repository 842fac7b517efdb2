#pragma once
// TLS in tests: self-signed certificates made on the spot, and a small TLS
// server on 127.0.0.1 whose connections are scripted in blocking style on
// threads of their own (the client under test keeps the event loop).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct ssl_ctx_st;
struct ssl_st;

namespace testsupport {

struct TestCertificate
{
    QByteArray certificatePem;
    QByteArray privateKeyPem;
    QByteArray der;

    bool isNull() const { return der.isEmpty(); }
    // Certificate and key in one PEM file, as servers take them.
    bool writePemFile(const QString &path) const;
};

// A self-signed certificate (P-256 key) for `commonName`, with the DNS names
// and IP addresses as subject alternative names, valid from a day ago for
// `days` days.
TestCertificate makeSelfSignedCertificate(const QString &commonName,
                                          const QStringList &dnsNames = {QStringLiteral("localhost")},
                                          const QStringList &ipAddresses = {QStringLiteral("127.0.0.1"),
                                                                            QStringLiteral("::1")},
                                          int days = 30);

class TlsTestServer
{
public:
    // One accepted connection, seen from the server's thread. Every call
    // blocks (at most a few seconds).
    class Connection
    {
    public:
        int index() const { return index_; }
        // Plain text before the handshake (explicit TLS).
        QByteArray readPlainLine();
        bool writePlain(const QByteArray &bytes);
        // The server side of the handshake.
        bool handshake();
        bool sessionReused() const;
        QString serverName() const; // what the client sent as server name indication
        QString handshakeError() const { return handshakeError_; }
        // Decrypted reading and writing.
        QByteArray read(qint64 count);
        QByteArray readLine();
        // Everything up to the end of the stream; `cleanEnd` tells whether
        // the client ended it with close_notify.
        QByteArray readToEnd(bool *cleanEnd = nullptr);
        bool write(const QByteArray &bytes);
        void sendCloseNotify();
        // Closes the connection (without close_notify unless sent before).
        void close();

    private:
        friend class TlsTestServer;
        int index_ = 0;
        int fd_ = -1;
        ssl_st *ssl_ = nullptr;
        QString handshakeError_;
        QString serverName_;
    };
    using Script = std::function<void(Connection &)>;

    // maxProtocol: 0 for the newest, or e.g. TLS1_2_VERSION.
    TlsTestServer(const TestCertificate &certificate, Script script, int maxProtocol = 0);
    ~TlsTestServer();
    TlsTestServer(const TlsTestServer &) = delete;
    TlsTestServer &operator=(const TlsTestServer &) = delete;

    bool isRunning() const { return port_ != 0; }
    quint16 port() const { return port_; }
    // Connections whose script has ended.
    int finishedConnections() const { return finished_.load(); }

    // A log scripts write to and tests read (thread-safe).
    void note(const QString &line);
    QStringList notes() const;

private:
    void acceptLoop();

    ssl_ctx_st *ctx_ = nullptr;
    Script script_;
    int listenFd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> finished_{0};
    std::thread acceptor_;
    mutable std::mutex mutex_;
    std::vector<std::thread> workers_;
    std::vector<std::shared_ptr<Connection>> connections_;
    QStringList notes_;
};

} // namespace testsupport
