#include "support/TlsTestKit.h"

#include <QFile>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace testsupport {

namespace {

QByteArray bioText(BIO *bio)
{
    char *data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    return QByteArray(data, int(length));
}

bool addExtension(X509 *x, int nid, const QByteArray &value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, x, x, nullptr, nullptr, 0);
    X509_EXTENSION *ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.constData());
    if (!ext)
        return false;
    const bool ok = X509_add_ext(x, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return ok;
}

constexpr int IoTimeoutSeconds = 10;

// Keeps the name the client sent, as it arrives with the client's hello.
int noteServerName(SSL *ssl, int *, void *)
{
    auto *name = static_cast<QString *>(SSL_get_app_data(ssl));
    const char *sent = SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name);
    if (name)
        *name = sent ? QString::fromUtf8(sent) : QString();
    return SSL_TLSEXT_ERR_OK;
}

} // namespace

bool TestCertificate::writePemFile(const QString &path) const
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(certificatePem) == certificatePem.size() && f.write(privateKeyPem) == privateKeyPem.size();
}

TestCertificate makeSelfSignedCertificate(const QString &commonName, const QStringList &dnsNames,
                                          const QStringList &ipAddresses, int days)
{
    TestCertificate result;
    EVP_PKEY *key = EVP_EC_gen("P-256");
    X509 *x = X509_new();
    if (!key || !x) {
        EVP_PKEY_free(key);
        X509_free(x);
        return result;
    }
    X509_set_version(x, 2);
    unsigned char serial[8];
    RAND_bytes(serial, sizeof serial);
    serial[0] &= 0x7F;
    BIGNUM *bn = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(x));
    BN_free(bn);
    X509_gmtime_adj(X509_getm_notBefore(x), -24L * 3600);
    X509_gmtime_adj(X509_getm_notAfter(x), long(days) * 24 * 3600);
    X509_NAME *name = X509_get_subject_name(x);
    const QByteArray cn = commonName.toUtf8();
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, reinterpret_cast<const unsigned char *>("Test Kit"), -1,
                               -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char *>(cn.constData()),
                               -1, -1, 0);
    X509_set_issuer_name(x, name);
    X509_set_pubkey(x, key);
    QStringList alternatives;
    for (const QString &d : dnsNames)
        alternatives << QStringLiteral("DNS:") + d;
    for (const QString &ip : ipAddresses)
        alternatives << QStringLiteral("IP:") + ip;
    bool ok = alternatives.isEmpty() || addExtension(x, NID_subject_alt_name, alternatives.join(QLatin1Char(',')).toUtf8());
    ok = ok && X509_sign(x, key, EVP_sha256()) > 0;
    if (ok) {
        BIO *certBio = BIO_new(BIO_s_mem());
        BIO *keyBio = BIO_new(BIO_s_mem());
        PEM_write_bio_X509(certBio, x);
        PEM_write_bio_PrivateKey(keyBio, key, nullptr, nullptr, 0, nullptr, nullptr);
        result.certificatePem = bioText(certBio);
        result.privateKeyPem = bioText(keyBio);
        BIO_free(certBio);
        BIO_free(keyBio);
        const int length = i2d_X509(x, nullptr);
        result.der.resize(length);
        auto *p = reinterpret_cast<unsigned char *>(result.der.data());
        i2d_X509(x, &p);
    }
    X509_free(x);
    EVP_PKEY_free(key);
    ERR_clear_error();
    return result;
}

// ---------------------------------------------------------------------------

QByteArray TlsTestServer::Connection::readPlainLine()
{
    QByteArray line;
    char c;
    while (true) {
        const ssize_t n = ::recv(fd_, &c, 1, 0);
        if (n <= 0)
            return line;
        line.append(c);
        if (c == '\n')
            return line;
    }
}

bool TlsTestServer::Connection::writePlain(const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

bool TlsTestServer::Connection::handshake()
{
    const int result = SSL_accept(ssl_);
    if (result != 1) {
        const unsigned long e = ERR_get_error();
        const char *reason = e ? ERR_reason_error_string(e) : nullptr;
        handshakeError_ = reason ? QString::fromUtf8(reason) : QStringLiteral("handshake failed");
        ERR_clear_error();
        return false;
    }
    return true;
}

bool TlsTestServer::Connection::sessionReused() const
{
    return SSL_session_reused(ssl_) == 1;
}

QString TlsTestServer::Connection::serverName() const
{
    return serverName_;
}

QByteArray TlsTestServer::Connection::read(qint64 count)
{
    QByteArray data;
    data.reserve(count);
    char buffer[16384];
    while (data.size() < count) {
        size_t n = 0;
        const size_t want = size_t(qMin<qint64>(sizeof buffer, count - data.size()));
        if (SSL_read_ex(ssl_, buffer, want, &n) != 1)
            break;
        data.append(buffer, qsizetype(n));
    }
    ERR_clear_error();
    return data;
}

QByteArray TlsTestServer::Connection::readLine()
{
    QByteArray line;
    char c;
    size_t n = 0;
    while (SSL_read_ex(ssl_, &c, 1, &n) == 1) {
        line.append(c);
        if (c == '\n')
            break;
    }
    ERR_clear_error();
    return line;
}

QByteArray TlsTestServer::Connection::readToEnd(bool *cleanEnd)
{
    QByteArray data;
    char buffer[16384];
    size_t n = 0;
    int result;
    while ((result = SSL_read_ex(ssl_, buffer, sizeof buffer, &n)) == 1)
        data.append(buffer, qsizetype(n));
    const int reason = SSL_get_error(ssl_, result);
    if (cleanEnd)
        *cleanEnd = reason == SSL_ERROR_ZERO_RETURN;
    ERR_clear_error();
    return data;
}

bool TlsTestServer::Connection::write(const QByteArray &bytes)
{
    size_t n = 0;
    const bool ok = bytes.isEmpty() || SSL_write_ex(ssl_, bytes.constData(), size_t(bytes.size()), &n) == 1;
    ERR_clear_error();
    return ok;
}

void TlsTestServer::Connection::sendCloseNotify()
{
    SSL_shutdown(ssl_);
    ERR_clear_error();
}

void TlsTestServer::Connection::close()
{
    if (fd_ >= 0) {
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        fd_ = -1;
    }
}

TlsTestServer::TlsTestServer(const TestCertificate &certificate, Script script, int maxProtocol)
    : script_(std::move(script))
{
    // A client that goes away must not end the test program.
    std::signal(SIGPIPE, SIG_IGN);
    ctx_ = SSL_CTX_new(TLS_server_method());
    if (!ctx_)
        return;
    if (maxProtocol != 0)
        SSL_CTX_set_max_proto_version(ctx_, maxProtocol);
    static const unsigned char sessionContext[] = "tls-test-kit";
    SSL_CTX_set_session_id_context(ctx_, sessionContext, sizeof sessionContext - 1);
    SSL_CTX_set_tlsext_servername_callback(ctx_, &noteServerName);
    BIO *certBio = BIO_new_mem_buf(certificate.certificatePem.constData(), int(certificate.certificatePem.size()));
    BIO *keyBio = BIO_new_mem_buf(certificate.privateKeyPem.constData(), int(certificate.privateKeyPem.size()));
    X509 *x = PEM_read_bio_X509(certBio, nullptr, nullptr, nullptr);
    EVP_PKEY *key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
    const bool ok = x && key && SSL_CTX_use_certificate(ctx_, x) == 1 && SSL_CTX_use_PrivateKey(ctx_, key) == 1;
    X509_free(x);
    EVP_PKEY_free(key);
    BIO_free(certBio);
    BIO_free(keyBio);
    ERR_clear_error();
    if (!ok)
        return;

    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof sa;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr *>(&sa), sizeof sa) != 0
        || ::listen(listenFd_, 8) != 0 || ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&sa), &len) != 0)
        return;
    port_ = ntohs(sa.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

TlsTestServer::~TlsTestServer()
{
    stopping_ = true;
    if (acceptor_.joinable())
        acceptor_.join();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Unblocks scripts still waiting for the client.
        for (const auto &c : connections_)
            if (c->fd_ >= 0)
                ::shutdown(c->fd_, SHUT_RDWR);
    }
    for (std::thread &t : workers_)
        if (t.joinable())
            t.join();
    for (const auto &c : connections_) {
        SSL_free(c->ssl_);
        c->close();
    }
    if (listenFd_ >= 0)
        ::close(listenFd_);
    SSL_CTX_free(ctx_);
}

void TlsTestServer::acceptLoop()
{
    int index = 0;
    while (!stopping_) {
        pollfd p {listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        timeval tv {IoTimeoutSeconds, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
        auto connection = std::make_shared<Connection>();
        connection->index_ = index++;
        connection->fd_ = fd;
        connection->ssl_ = SSL_new(ctx_);
        SSL_set_fd(connection->ssl_, fd);
        SSL_set_app_data(connection->ssl_, &connection->serverName_);
        std::lock_guard<std::mutex> lock(mutex_);
        connections_.push_back(connection);
        workers_.emplace_back([this, connection] {
            script_(*connection);
            ERR_clear_error();
            ++finished_;
        });
    }
}

void TlsTestServer::note(const QString &line)
{
    std::lock_guard<std::mutex> lock(mutex_);
    notes_.append(line);
}

QStringList TlsTestServer::notes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return notes_;
}

} // namespace testsupport
