#include "platform/TlsSession.h"

#include "platform/AsyncSocket.h"
#include "platform/WinSock.h"

#include <QHostAddress>
#include <QStringList>
#include <QUrl>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <ctime>

namespace platform {

namespace {

// Plain bytes taken per send(): four full records, sent with one system call.
constexpr size_t MaxPlainPerSend = 64 * 1024;
// Encrypted bytes read per system call while decrypting.
constexpr size_t ReadAheadBytes = 64 * 1024;

int sessionIndex()
{
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// Reasons of the queued TLS library errors, "wrong version number; ...".
QString takeLibraryErrors()
{
    QStringList reasons;
    while (const unsigned long e = ERR_get_error()) {
        const char *reason = ERR_reason_error_string(e);
        const QString text = reason ? QString::fromUtf8(reason) : QStringLiteral("error %1").arg(e, 0, 16);
        if (!reasons.contains(text))
            reasons.append(text);
    }
    return reasons.join(QStringLiteral("; "));
}

QString nameText(const X509_NAME *name)
{
    BIO *mem = BIO_new(BIO_s_mem());
    if (!mem)
        return {};
    X509_NAME_print_ex(mem, name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    char *data = nullptr;
    const long length = BIO_get_mem_data(mem, &data);
    const QString text = QString::fromUtf8(data, int(length));
    BIO_free(mem);
    return text;
}

QDateTime timeValue(const ASN1_TIME *time)
{
    std::tm tm {};
    if (!time || ASN1_TIME_to_tm(time, &tm) != 1)
        return {};
    return QDateTime(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday), QTime(tm.tm_hour, tm.tm_min, tm.tm_sec),
                     Qt::UTC);
}

// Host name or address literal without the brackets of "[::1]".
QString bareHost(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']')))
        return trimmed.mid(1, trimmed.size() - 2);
    return trimmed;
}

} // namespace

// The TLS library's callbacks, with access to the session.
struct TlsBridge
{
    static TlsSession *of(BIO *bio) { return static_cast<TlsSession *>(BIO_get_data(bio)); }

    static int write(BIO *bio, const char *data, int length)
    {
        BIO_clear_retry_flags(bio);
        TlsSession *s = of(bio);
        if (!s || length < 0)
            return -1;
        s->out_.insert(s->out_.end(), data, data + length);
        return length;
    }

    static int read(BIO *bio, char *buffer, int size)
    {
        BIO_clear_retry_flags(bio);
        TlsSession *s = of(bio);
        if (!s)
            return -1;
        if (s->rawEof_) {
            s->bioHitEof_ = true;
            return 0;
        }
        int error = 0;
        const qint64 n = s->socket_->receive(buffer, size, &error);
        if (n > 0)
            return int(n);
        if (n == 0) {
            s->rawEof_ = true;
            s->bioHitEof_ = true;
            return 0;
        }
        if (error == WSAEWOULDBLOCK) {
            BIO_set_retry_read(bio);
            return -1;
        }
        s->socketError_ = error;
        return -1;
    }

    static long control(BIO *bio, int command, long, void *)
    {
        switch (command) {
        case BIO_CTRL_FLUSH:
            return 1;
        case BIO_CTRL_EOF: {
            TlsSession *s = of(bio);
            return s && s->rawEof_ ? 1 : 0;
        }
        default:
            return 0;
        }
    }

    static int create(BIO *bio)
    {
        BIO_set_init(bio, 1);
        return 1;
    }

    static BIO_METHOD *method()
    {
        static BIO_METHOD *const m = [] {
            BIO_METHOD *made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "platform socket");
            if (made) {
                BIO_meth_set_write(made, &TlsBridge::write);
                BIO_meth_set_read(made, &TlsBridge::read);
                BIO_meth_set_ctrl(made, &TlsBridge::control);
                BIO_meth_set_create(made, &TlsBridge::create);
            }
            return made;
        }();
        return m;
    }

    // A session (ticket) the server handed out: kept for the data connections.
    static int newSession(SSL *ssl, SSL_SESSION *session)
    {
        auto *s = static_cast<TlsSession *>(SSL_get_ex_data(ssl, sessionIndex()));
        if (!s)
            return 0;
        s->keepSession(session);
        return 1;
    }
};

bool isTlsError(int error)
{
    return error >= TlsHandshakeFailed && error <= TlsUnavailable;
}

QString tlsErrorText(int error)
{
    switch (error) {
    case TlsHandshakeFailed:
        return QStringLiteral("TLS handshake failed");
    case TlsClosedDuringHandshake:
        return QStringLiteral("The server closed the connection during the TLS handshake");
    case TlsCertificateMismatch:
        return QStringLiteral("The data connection showed another certificate than the control connection");
    case TlsProtocolError:
        return QStringLiteral("TLS protocol error");
    case TlsUnavailable:
        return QStringLiteral("TLS is not available");
    default:
        return {};
    }
}

QString formatFingerprint(const QByteArray &digest)
{
    QString text;
    text.reserve(digest.size() * 3);
    for (int i = 0; i < digest.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(':');
        text += QStringLiteral("%1").arg(uchar(digest[i]), 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

TlsCertificateInfo TlsCertificateInfo::fromDer(const QByteArray &der)
{
    TlsCertificateInfo info;
    const auto *p = reinterpret_cast<const unsigned char *>(der.constData());
    X509 *x = der.isEmpty() ? nullptr : d2i_X509(nullptr, &p, long(der.size()));
    if (!x)
        return info;
    info.der = der;
    info.subject = nameText(X509_get_subject_name(x));
    info.issuer = nameText(X509_get_issuer_name(x));
    info.notBefore = timeValue(X509_get0_notBefore(x));
    info.notAfter = timeValue(X509_get0_notAfter(x));
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(x, EVP_sha256(), md, &length) == 1)
        info.sha256 = formatFingerprint(QByteArray(reinterpret_cast<const char *>(md), int(length)));
    info.selfSigned = X509_check_issued(x, x) == X509_V_OK;
    X509_free(x);
    ERR_clear_error();
    return info;
}

// ---------------------------------------------------------------------------

std::shared_ptr<TlsContext> TlsContext::systemDefault()
{
    static const std::shared_ptr<TlsContext> context = create(true, {});
    return context;
}

std::shared_ptr<TlsContext> TlsContext::create(bool systemStore, const QList<QByteArray> &anchorsPem,
                                               QString *error)
{
    auto fail = [error](const QString &text) -> std::shared_ptr<TlsContext> {
        if (error)
            *error = text;
        ERR_clear_error();
        return {};
    };
    SSL_CTX *ctx = SSL_CTX_new(TLS_client_method());
    if (!ctx)
        return fail(tlsErrorText(TlsUnavailable));
    std::shared_ptr<TlsContext> context(new TlsContext);
    context->ctx_ = ctx;

    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
    SSL_CTX_set_mode(ctx, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    SSL_CTX_set_read_ahead(ctx, 1);
    SSL_CTX_set_default_read_buffer_len(ctx, ReadAheadBytes);
    // The handshake goes on whatever the certificate; the caller judges it.
    SSL_CTX_set_verify(ctx, SSL_VERIFY_NONE, nullptr);
    if (systemStore && SSL_CTX_set_default_verify_paths(ctx) != 1)
        return fail(QStringLiteral("The system's certificate store cannot be read"));
    for (const QByteArray &pem : anchorsPem) {
        BIO *mem = BIO_new_mem_buf(pem.constData(), int(pem.size()));
        int added = 0;
        while (X509 *x = mem ? PEM_read_bio_X509(mem, nullptr, nullptr, nullptr) : nullptr) {
            added += X509_STORE_add_cert(SSL_CTX_get_cert_store(ctx), x) == 1 ? 1 : 0;
            X509_free(x);
        }
        BIO_free(mem);
        if (added == 0)
            return fail(QStringLiteral("No certificate in the trusted certificate text"));
    }
    SSL_CTX_set_session_cache_mode(ctx, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(ctx, &TlsBridge::newSession);
    ERR_clear_error();
    return context;
}

TlsContext::~TlsContext()
{
    SSL_CTX_free(ctx_);
}

// ---------------------------------------------------------------------------

TlsSession::TlsSession(AsyncSocket *socket, std::shared_ptr<TlsContext> context, QObject *parent)
    : QObject(parent), socket_(socket), context_(std::move(context))
{
    connect(socket_, &AsyncSocket::socketEvent, this, &TlsSession::onRawEvent);
}

TlsSession::~TlsSession()
{
    dropSsl();
    SSL_SESSION_free(resume_);
    SSL_SESSION_free(latest_);
}

void TlsSession::setPeerName(const QString &name)
{
    peerName_ = bareHost(name);
}

void TlsSession::resumeFrom(TlsSession &control)
{
    peerName_ = control.peerName_;
    expectedFingerprint_ = control.certificate_.sha256;
    sessionSink_ = &control;
    SSL_SESSION *source = control.latest_;
    if (!source && control.ssl_)
        source = SSL_get0_session(control.ssl_);
    SSL_SESSION_free(resume_);
    resume_ = nullptr;
    if (source && SSL_SESSION_is_resumable(source) && SSL_SESSION_up_ref(source) == 1)
        resume_ = source;
}

void TlsSession::keepSession(SSL_SESSION *session)
{
    SSL_SESSION_free(latest_);
    latest_ = session;
    // The control connection resumes from the newest ticket next time:
    // servers may take each one only once.
    if (sessionSink_ && sessionSink_ != this && SSL_SESSION_up_ref(session) == 1) {
        SSL_SESSION_free(sessionSink_->latest_);
        sessionSink_->latest_ = session;
    }
}

void TlsSession::dropSsl()
{
    if (ssl_) {
        SSL_set_ex_data(ssl_, sessionIndex(), nullptr);
        SSL_free(ssl_);
        ssl_ = nullptr;
    }
}

void TlsSession::reset()
{
    dropSsl();
    state_ = Plain;
    out_.clear();
    outPos_ = 0;
    wantWrite_ = false;
    rawEof_ = false;
    bioHitEof_ = false;
    closeNotifyReceived_ = false;
    rawCloseError_ = 0;
    socketError_ = 0;
    closeReported_ = false;
    checkPosted_ = false;
    reportConnect_ = false;
    certificate_ = {};
    verification_ = {};
    lastError_ = 0;
    errorText_.clear();
    ++generation_;
}

void TlsSession::startHandshake()
{
    if (state_ == Handshaking || state_ == Established)
        return;
    const bool connectPending = reportConnect_;
    reset();
    reportConnect_ = connectPending;
    // Sessions of an earlier connection are not handed to this one's data
    // connections.
    SSL_SESSION_free(latest_);
    latest_ = nullptr;
    state_ = Handshaking;
    const quint64 generation = generation_;

    if (!context_)
        context_ = TlsContext::systemDefault();
    BIO_METHOD *method = TlsBridge::method();
    if (context_ && context_->handle() && method)
        ssl_ = SSL_new(context_->handle());
    BIO *bio = ssl_ ? BIO_new(method) : nullptr;
    if (!bio) {
        const QString detail = takeLibraryErrors();
        QMetaObject::invokeMethod(
            this,
            [this, generation, detail] {
                if (generation == generation_)
                    failHandshake(TlsUnavailable, detail);
            },
            Qt::QueuedConnection);
        return;
    }
    BIO_set_data(bio, this);
    SSL_set_bio(ssl_, bio, bio);
    SSL_set_ex_data(ssl_, sessionIndex(), this);

    if (!peerName_.isEmpty()) {
        const QHostAddress literal(peerName_);
        X509_VERIFY_PARAM *param = SSL_get0_param(ssl_);
        if (!literal.isNull()) {
            X509_VERIFY_PARAM_set1_ip_asc(param, peerName_.toLatin1().constData());
        } else {
            const QByteArray ace = QUrl::toAce(peerName_);
            const QByteArray host = ace.isEmpty() ? peerName_.toUtf8() : ace;
            SSL_set_tlsext_host_name(ssl_, host.constData());
            X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            SSL_set1_host(ssl_, host.constData());
        }
    }
    if (resume_)
        SSL_set_session(ssl_, resume_);
    SSL_set_connect_state(ssl_);
    ERR_clear_error();

    socket_->select(socket_->selectedEvents() | SocketRead | SocketWrite | SocketClose);
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == generation_ && state_ == Handshaking)
                continueHandshake();
        },
        Qt::QueuedConnection);
}

void TlsSession::onRawEvent(int event, int error)
{
    if (event == SocketConnect) {
        // A new connection: whatever TLS state there was belongs to an old one.
        reset();
        if (startOnConnect_ && error == 0) {
            reportConnect_ = true;
            startHandshake();
            return;
        }
        emit socketEvent(event, error);
        return;
    }
    switch (state_) {
    case Plain:
        emit socketEvent(event, error);
        return;

    case Handshaking:
        if (event == SocketClose) {
            rawEof_ = true;
            rawCloseError_ = error;
        }
        if (event == SocketRead || event == SocketWrite || event == SocketClose)
            continueHandshake();
        return;

    case Established:
        switch (event) {
        case SocketRead:
            checkReadable();
            return;
        case SocketWrite: {
            const int flushed = flushOut();
            if (flushed != WSAEWOULDBLOCK && wantWrite_) {
                wantWrite_ = false;
                emit socketEvent(SocketWrite, 0);
            }
            return;
        }
        case SocketClose:
            rawEof_ = true;
            rawCloseError_ = error;
            checkReadable();
            return;
        default:
            emit socketEvent(event, error);
            return;
        }

    case Failed:
        if (event == SocketClose && !closeReported_) {
            closeReported_ = true;
            emit socketEvent(SocketClose, error);
        }
        return;
    }
}

int TlsSession::flushOut()
{
    while (outPos_ < out_.size()) {
        int error = 0;
        const qint64 n = socket_->send(out_.data() + outPos_, qint64(out_.size() - outPos_), false, &error);
        if (n > 0) {
            outPos_ += size_t(n);
            continue;
        }
        if (error == WSAEWOULDBLOCK)
            return WSAEWOULDBLOCK;
        socketError_ = error != 0 ? error : WSAECONNRESET;
        return socketError_;
    }
    out_.clear();
    outPos_ = 0;
    return 0;
}

void TlsSession::continueHandshake()
{
    ERR_clear_error();
    const int result = SSL_do_handshake(ssl_);
    const int flushed = flushOut();
    const bool flushFailed = flushed != 0 && flushed != WSAEWOULDBLOCK;
    if (result == 1 && !flushFailed) {
        finishHandshake();
        return;
    }
    const int reason = result == 1 ? SSL_ERROR_SYSCALL : SSL_get_error(ssl_, result);
    if ((reason == SSL_ERROR_WANT_READ || reason == SSL_ERROR_WANT_WRITE) && !rawEof_ && !flushFailed)
        return; // the next read or write event goes on
    const QString detail = takeLibraryErrors();
    int code = TlsHandshakeFailed;
    if (socketError_ != 0)
        code = socketError_;
    else if (rawEof_)
        code = rawCloseError_ != 0 ? rawCloseError_ : TlsClosedDuringHandshake;
    failHandshake(code, detail);
}

void TlsSession::finishHandshake()
{
    state_ = Established;
    if (X509 *peer = SSL_get0_peer_certificate(ssl_)) {
        const int length = i2d_X509(peer, nullptr);
        QByteArray der(length > 0 ? length : 0, Qt::Uninitialized);
        auto *p = reinterpret_cast<unsigned char *>(der.data());
        if (length > 0 && i2d_X509(peer, &p) == length)
            certificate_ = TlsCertificateInfo::fromDer(der);
    }
    const long result = SSL_get_verify_result(ssl_);
    verification_.code = int(result);
    verification_.trusted = !certificate_.isNull() && result == X509_V_OK;
    verification_.text = certificate_.isNull() ? QStringLiteral("no certificate")
                                               : QString::fromUtf8(X509_verify_cert_error_string(result));
    ERR_clear_error();

    if (!expectedFingerprint_.isEmpty() && certificate_.sha256 != expectedFingerprint_) {
        failHandshake(TlsCertificateMismatch, certificate_.sha256);
        return;
    }

    const QPointer<TlsSession> self(this);
    const quint64 generation = generation_;
    auto gone = [&] { return !self || generation != generation_ || state_ != Established; };
    emit handshakeDone(0);
    if (gone())
        return;
    if (reportConnect_) {
        reportConnect_ = false;
        emit socketEvent(SocketConnect, 0);
        if (gone())
            return;
    }
    wantWrite_ = false;
    emit socketEvent(SocketWrite, 0);
    if (gone())
        return;
    // Data that came with the last handshake flight waits inside the session.
    scheduleCheck();
}

void TlsSession::failHandshake(int error, const QString &detail)
{
    state_ = Failed;
    lastError_ = error;
    QString text = isTlsError(error) ? tlsErrorText(error) : tlsErrorText(TlsHandshakeFailed);
    QString more = detail;
    if (!isTlsError(error))
        more = QStringLiteral("socket error %1").arg(error) + (detail.isEmpty() ? QString() : QStringLiteral("; ") + detail);
    errorText_ = more.isEmpty() ? text : text + QStringLiteral(" (") + more + QLatin1Char(')');

    const QPointer<TlsSession> self(this);
    const quint64 generation = generation_;
    emit handshakeDone(error);
    if (!self || generation != generation_)
        return;
    if (reportConnect_) {
        reportConnect_ = false;
        emit socketEvent(SocketConnect, error);
    }
}

void TlsSession::scheduleCheck()
{
    if (checkPosted_)
        return;
    checkPosted_ = true;
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == generation_)
                checkReadable();
        },
        Qt::QueuedConnection);
}

// What AsyncSocket learns with a peek at the socket, one layer up: data to
// read, the end of the stream, or nothing yet.
void TlsSession::checkReadable()
{
    checkPosted_ = false;
    if (state_ != Established || closeReported_)
        return;
    ERR_clear_error();
    char probe;
    size_t n = 0;
    const int result = SSL_peek_ex(ssl_, &probe, 1, &n);
    flushOut();
    if (result == 1) {
        emit socketEvent(SocketRead, 0);
        return;
    }
    switch (SSL_get_error(ssl_, result)) {
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
        if (rawEof_)
            emitClose(rawCloseError_);
        return;
    case SSL_ERROR_ZERO_RETURN:
        if (!bioHitEof_)
            closeNotifyReceived_ = true;
        answerCloseNotify();
        emitClose(rawCloseError_);
        return;
    case SSL_ERROR_SYSCALL:
        emitClose(socketError_ != 0 ? socketError_ : rawCloseError_);
        return;
    default:
        lastError_ = TlsProtocolError;
        errorText_ = tlsErrorText(TlsProtocolError) + QStringLiteral(" (") + takeLibraryErrors() + QLatin1Char(')');
        emitClose(TlsProtocolError);
        return;
    }
}

void TlsSession::emitClose(int error)
{
    if (closeReported_)
        return;
    closeReported_ = true;
    ERR_clear_error();
    emit socketEvent(SocketClose, error);
}

void TlsSession::answerCloseNotify()
{
    if (!ssl_ || !closeNotifyReceived_ || (SSL_get_shutdown(ssl_) & SSL_SENT_SHUTDOWN))
        return;
    ERR_clear_error();
    SSL_shutdown(ssl_);
    ERR_clear_error();
    flushOut();
}

qint64 TlsSession::send(const char *data, qint64 length, bool urgent, int *error)
{
    switch (state_) {
    case Plain:
        return socket_->send(data, length, urgent, error);
    case Handshaking:
        // The write event after the handshake says when to go on.
        *error = WSAEWOULDBLOCK;
        return -1;
    case Failed:
        *error = lastError_ != 0 ? lastError_ : WSAENOTCONN;
        return -1;
    case Established:
        break;
    }
    if (urgent) {
        *error = WSAEOPNOTSUPP;
        return -1;
    }
    if (SSL_get_shutdown(ssl_) & SSL_SENT_SHUTDOWN) {
        *error = WSAESHUTDOWN;
        return -1;
    }
    int flushed = flushOut();
    if (flushed == WSAEWOULDBLOCK)
        wantWrite_ = true;
    if (flushed != 0) {
        *error = flushed;
        return -1;
    }
    if (length <= 0) {
        *error = 0;
        return 0;
    }
    const size_t chunk = size_t(qMin<qint64>(length, qint64(MaxPlainPerSend)));
    size_t written = 0;
    ERR_clear_error();
    if (SSL_write_ex(ssl_, data, chunk, &written) != 1) {
        const int reason = SSL_get_error(ssl_, 0);
        if (reason == SSL_ERROR_SYSCALL && socketError_ != 0) {
            *error = socketError_;
        } else {
            lastError_ = TlsProtocolError;
            errorText_ = tlsErrorText(TlsProtocolError) + QStringLiteral(" (") + takeLibraryErrors()
                         + QLatin1Char(')');
            *error = TlsProtocolError;
        }
        return -1;
    }
    flushed = flushOut();
    if (flushed != 0 && flushed != WSAEWOULDBLOCK) {
        *error = flushed;
        return -1;
    }
    // What the socket did not take yet goes out with the next write event.
    *error = 0;
    return qint64(written);
}

qint64 TlsSession::receive(char *buffer, qint64 size, int *error)
{
    switch (state_) {
    case Plain:
        return socket_->receive(buffer, size, error);
    case Handshaking:
        *error = WSAEWOULDBLOCK;
        return -1;
    case Failed:
        *error = lastError_ != 0 ? lastError_ : WSAENOTCONN;
        return -1;
    case Established:
        break;
    }
    if (size <= 0) {
        *error = 0;
        return 0;
    }
    ERR_clear_error();
    size_t n = 0;
    const int result = SSL_read_ex(ssl_, buffer, size_t(size), &n);
    flushOut();
    if (result == 1) {
        // Whatever is left is announced by another read event; an empty
        // session reads the socket once more so its read event comes again.
        scheduleCheck();
        *error = 0;
        return qint64(n);
    }
    switch (SSL_get_error(ssl_, result)) {
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
        if (rawEof_) {
            scheduleCheck();
            *error = 0;
            return 0;
        }
        *error = WSAEWOULDBLOCK;
        return -1;
    case SSL_ERROR_ZERO_RETURN:
        if (!bioHitEof_)
            closeNotifyReceived_ = true;
        answerCloseNotify();
        scheduleCheck();
        *error = 0;
        return 0;
    case SSL_ERROR_SYSCALL:
        *error = socketError_ != 0 ? socketError_ : WSAECONNRESET;
        scheduleCheck();
        return -1;
    default:
        lastError_ = TlsProtocolError;
        errorText_ = tlsErrorText(TlsProtocolError) + QStringLiteral(" (") + takeLibraryErrors() + QLatin1Char(')');
        *error = TlsProtocolError;
        scheduleCheck();
        return -1;
    }
}

int TlsSession::shutdown()
{
    if (state_ != Established || !ssl_)
        return 0;
    if (!(SSL_get_shutdown(ssl_) & SSL_SENT_SHUTDOWN)) {
        ERR_clear_error();
        SSL_shutdown(ssl_);
        ERR_clear_error();
    }
    const int flushed = flushOut();
    if (flushed == WSAEWOULDBLOCK)
        wantWrite_ = true;
    return flushed;
}

bool TlsSession::sessionReused() const
{
    return ssl_ && state_ == Established && SSL_session_reused(ssl_) == 1;
}

bool TlsSession::peerClosedCleanly() const
{
    return closeNotifyReceived_;
}

QString TlsSession::protocolVersion() const
{
    return ssl_ ? QString::fromLatin1(SSL_get_version(ssl_)) : QString();
}

QString TlsSession::cipher() const
{
    return ssl_ && state_ == Established ? QString::fromLatin1(SSL_get_cipher_name(ssl_)) : QString();
}

} // namespace platform
