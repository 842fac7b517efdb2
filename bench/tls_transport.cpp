// Throughput of the event-driven TLS session (platform/TlsSession) on
// loopback, next to a plain blocking OpenSSL client moving the same bytes
// through the same server: download and upload, several rounds.
//   tls_transport [--mib 1024] [--rounds 3] [--chunk 65536]
// The server is a blocking OpenSSL server on a thread of its own with a
// throw-away self-signed certificate.

#include "platform/AsyncSocket.h"
#include "platform/TlsSession.h"
#include "platform/WinSock.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

using namespace platform;

namespace {

qint64 totalBytes = 1024LL << 20;
int rounds = 3;
qint64 chunk = 65536;

SSL_CTX *serverContext()
{
    EVP_PKEY *key = EVP_EC_gen("P-256");
    X509 *x = X509_new();
    X509_set_version(x, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x), 1);
    X509_gmtime_adj(X509_getm_notBefore(x), -3600);
    X509_gmtime_adj(X509_getm_notAfter(x), 3600);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(x), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char *>("bench"), -1, -1, 0);
    X509_set_issuer_name(x, X509_get_subject_name(x));
    X509_set_pubkey(x, key);
    X509_sign(x, key, EVP_sha256());
    SSL_CTX *ctx = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(ctx, x);
    SSL_CTX_use_PrivateKey(ctx, key);
    X509_free(x);
    EVP_PKEY_free(key);
    return ctx;
}

// Serves one connection: sends `totalBytes` (download) or reads to the end
// (upload).
void serveOne(SSL_CTX *ctx, int listenFd, bool download)
{
    const int fd = ::accept(listenFd, nullptr, nullptr);
    SSL *ssl = SSL_new(ctx);
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) == 1) {
        std::vector<char> buffer(1 << 16, 'x');
        if (download) {
            for (qint64 left = totalBytes; left > 0;) {
                size_t n = 0;
                if (SSL_write_ex(ssl, buffer.data(), size_t(std::min<qint64>(left, qint64(buffer.size()))), &n) != 1)
                    break;
                left -= qint64(n);
            }
            SSL_shutdown(ssl);
        } else {
            size_t n = 0;
            while (SSL_read_ex(ssl, buffer.data(), buffer.size(), &n) == 1) {
            }
        }
    }
    SSL_free(ssl);
    ::close(fd);
}

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr *>(&sa), sizeof sa);
    return fd;
}

// The best case: a blocking client calling OpenSSL directly.
double blockingClient(quint16 port, bool download)
{
    SSL_CTX *ctx = SSL_CTX_new(TLS_client_method());
    SSL *ssl = SSL_new(ctx);
    const int fd = connectTo(port);
    SSL_set_fd(ssl, fd);
    QElapsedTimer clock;
    clock.start();
    SSL_connect(ssl);
    std::vector<char> buffer(size_t(chunk), 'y');
    qint64 moved = 0;
    size_t n = 0;
    if (download) {
        while (SSL_read_ex(ssl, buffer.data(), buffer.size(), &n) == 1)
            moved += qint64(n);
    } else {
        while (moved < totalBytes
               && SSL_write_ex(ssl, buffer.data(), size_t(std::min<qint64>(chunk, totalBytes - moved)), &n) == 1)
            moved += qint64(n);
        SSL_shutdown(ssl);
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    SSL_free(ssl);
    SSL_CTX_free(ctx);
    ::close(fd);
    return moved / seconds / (1 << 20);
}

// The program's way: events from the Qt loop, non-blocking reads and writes.
double sessionClient(quint16 port, bool download)
{
    AsyncSocket socket;
    TlsSession tls(&socket);
    std::vector<char> buffer(size_t(chunk), 'y');
    qint64 moved = 0;
    bool done = false;
    auto pumpUpload = [&] {
        while (moved < totalBytes) {
            int error = 0;
            const qint64 n = tls.send(buffer.data(), std::min<qint64>(chunk, totalBytes - moved), false, &error);
            if (n < 0)
                return;
            moved += n;
        }
        if (tls.shutdown() == 0)
            done = true;
    };
    QObject::connect(&tls, &TlsSession::socketEvent, [&](int event, int error) {
        if (event == SocketConnect && error != 0) {
            std::fprintf(stderr, "handshake failed: %s\n", qPrintable(tls.errorText()));
            done = true;
        } else if (event == SocketRead) {
            int e = 0;
            qint64 n;
            while ((n = tls.receive(buffer.data(), chunk, &e)) > 0)
                moved += n;
        } else if (event == SocketWrite && !download) {
            pumpUpload();
        } else if (event == SocketClose) {
            done = true;
        }
    });
    QElapsedTimer clock;
    clock.start();
    socket.create();
    socket.select(SocketRead | SocketWrite | SocketConnect | SocketClose);
    tls.setStartOnConnect(true);
    socket.connect(0x7F000001, port);
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = clock.nsecsElapsed() / 1e9;
    socket.close();
    return moved / seconds / (1 << 20);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--mib"))
            totalBytes = args[i + 1].toLongLong() << 20;
        else if (args[i] == QLatin1String("--rounds"))
            rounds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--chunk"))
            chunk = args[i + 1].toLongLong();
    }
    SSL_CTX *ctx = serverContext();
    const int listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof sa;
    ::bind(listenFd, reinterpret_cast<sockaddr *>(&sa), sizeof sa);
    ::listen(listenFd, 4);
    ::getsockname(listenFd, reinterpret_cast<sockaddr *>(&sa), &len);
    const quint16 port = ntohs(sa.sin_port);

    std::printf("%lld MiB per transfer, %lld-byte reads and writes\n", totalBytes >> 20, chunk);
    for (bool download : {true, false}) {
        for (int round = 1; round <= rounds; ++round) {
            double speeds[2];
            for (int client = 0; client < 2; ++client) {
                std::thread server(serveOne, ctx, listenFd, download);
                speeds[client] = client == 0 ? blockingClient(port, download) : sessionClient(port, download);
                server.join();
            }
            std::printf("%s round %d: blocking OpenSSL %.0f MiB/s, TlsSession %.0f MiB/s (%.0f%%)\n",
                        download ? "download" : "upload", round, speeds[0], speeds[1], 100 * speeds[1] / speeds[0]);
        }
    }
    ::close(listenFd);
    SSL_CTX_free(ctx);
    return 0;
}
