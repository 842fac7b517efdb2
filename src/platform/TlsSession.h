#pragma once
// TLS, client side, over the platform's non-blocking socket (AsyncSocket).
//
// A TlsSession sits between an AsyncSocket and its owner. It listens to the
// socket's events and reports its own through socketEvent(), with exactly the
// meaning AsyncSocket gives them (see AsyncSocket.h), only for the decrypted
// stream:
//  - read: decrypted data waits. After a receive() that left data inside the
//    TLS layer another read event follows, so "one receive per read event"
//    loses nothing.
//  - write: sending is possible again. Once when the handshake has ended,
//    then only after a send() (or shutdown()) that would have blocked.
//  - close: the peer ended the stream (close_notify, or simply closed the
//    connection; error 0) or it broke (socket error, TlsProtocolError). Comes
//    only after everything decrypted has been received.
//  - connect: with setStartOnConnect(), when the handshake has ended (error
//    0 or its failure); otherwise the socket's own connect event.
// Until startHandshake() the session is Plain: every event and every
// send/receive passes through unchanged, so a control connection can speak
// plain FTP until its AUTH TLS is answered.
//
// Nothing blocks and nothing throws. Certificates are not judged here: the
// handshake accepts any certificate and records what the system's trust
// store said about it (verification()); the caller decides with
// CertificateTrust.h before it sends anything that matters.
//
// Plugging it into the engine's TMSocket (which owns an AsyncSocket and
// turns its socketEvent into the On... events):
//  1. TMSocket creates `TlsSession tls_(socket_)` beside socket_ and connects
//     tls_->socketEvent (instead of socket_->socketEvent) to onSocketEvent;
//     as long as TLS is not started the session passes events unchanged.
//  2. Send/Receive call tls_->send/receive instead of socket_'s (same
//     results and error numbers). SendUrgent under TLS fails with
//     WSAEOPNOTSUPP: the abort sends "ABOR" without Telnet bytes instead.
//     SendFile returns SendFileUnsupported while tls_->isEncrypted(), so the
//     upload falls back to read and send.
//  3. Implicit TLS and passive data connections: setPeerName (and, for data,
//     resumeFrom(control's session)) and setStartOnConnect(true) before
//     Connect(); OnConnect then comes after the handshake, with LastError 0
//     or the TLS error. The connect countdown keeps running through the
//     handshake (it stops on the connect event).
//     Explicit TLS on the control connection: after the 234 reply call
//     startHandshake() and wait for handshakeDone (arm the countdown).
//     Active data connections: after Accept(), startHandshake(); the
//     accepted socket's first write and read events come after the handshake.
//  4. After the control connection's handshake, read peerCertificate() and
//     verification() and ask the trust store; refuse before sending USER.
//  5. Upload end: call tls_->shutdown() until it returns 0 (WSAEWOULDBLOCK:
//     call it again on the next write event), then close. A Close without it
//     loses up to one buffered record and sends no close_notify.
//  6. CreateSocket/ResetSocket/Close/CloseSilently call tls_->reset() so a
//     reused socket starts plain again (a connect event resets the session
//     by itself; an accepted socket relies on this reset).
// Error numbers from here (TlsError) reach LastError like socket errors;
// tlsErrorText() names them, errorText() adds the TLS library's detail.

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

struct ssl_ctx_st;
struct ssl_st;
struct ssl_session_st;

namespace platform {

class AsyncSocket;

// TLS failures, numbered beyond the socket errors of WinSock.h.
enum TlsError : int {
    TlsHandshakeFailed = 30001,       // no common protocol, or the peer did not speak TLS
    TlsClosedDuringHandshake = 30002, // the peer closed before the handshake ended
    TlsCertificateMismatch = 30003,   // a data connection showed another certificate
    TlsProtocolError = 30004,         // a damaged or unexpected record after the handshake
    TlsUnavailable = 30005,           // the TLS library could not be set up
};

bool isTlsError(int error);
// English text of a TlsError; empty for other numbers.
QString tlsErrorText(int error);

// What a user is shown about a server certificate.
struct TlsCertificateInfo
{
    QString subject; // one line, most specific part first: "CN=ftp.example.org,O=Example"
    QString issuer;
    QDateTime notBefore; // UTC
    QDateTime notAfter;  // UTC
    QString sha256;      // SHA-256 of the DER bytes: "AB:01:...", 32 upper-case pairs
    bool selfSigned = false;
    QByteArray der;

    bool isNull() const { return der.isEmpty(); }
    // From DER bytes; a null record when they are no certificate.
    static TlsCertificateInfo fromDer(const QByteArray &der);
};

// "AB:01:..." for the bytes of a digest.
QString formatFingerprint(const QByteArray &digest);

// What the trust store said about the peer's certificate.
struct TlsVerification
{
    bool trusted = false; // chain verified and the peer name matches
    int code = 0;         // the verification result (0: ok)
    QString text;         // its text, e.g. "self-signed certificate", "hostname mismatch"
};

// Client settings shared by sessions; sessions resume only within one context.
class TlsContext
{
public:
    // TLS 1.2 and later, certificates checked against the system's trust
    // store. Made on first use; null when the library cannot be set up.
    static std::shared_ptr<TlsContext> systemDefault();
    // The same, trusting also the PEM certificates in `anchorsPem` (and
    // the system's store only when `systemStore` is set).
    static std::shared_ptr<TlsContext> create(bool systemStore, const QList<QByteArray> &anchorsPem,
                                              QString *error = nullptr);
    ~TlsContext();
    TlsContext(const TlsContext &) = delete;
    TlsContext &operator=(const TlsContext &) = delete;

    ssl_ctx_st *handle() const { return ctx_; }

private:
    TlsContext() = default;
    ssl_ctx_st *ctx_ = nullptr;
};

class TlsSession : public QObject
{
    Q_OBJECT
public:
    enum State { Plain, Handshaking, Established, Failed };

    // `socket` must stay valid while the session is used (the destructor
    // does not touch it). Without a context the system's default one is used.
    explicit TlsSession(AsyncSocket *socket, std::shared_ptr<TlsContext> context = {},
                        QObject *parent = nullptr);
    ~TlsSession() override;

    // Settings for the next handshake.
    // The server's name as the user gave it (a host name, or an IPv4 or
    // IPv6 literal, brackets allowed): sent as server name indication when
    // it is a name, and checked against the certificate.
    void setPeerName(const QString &name);
    QString peerName() const { return peerName_; }
    // A data connection of `control`: same peer name, resumes control's
    // latest TLS session, and must show the same certificate (otherwise the
    // handshake fails with TlsCertificateMismatch). New session tickets this
    // session receives are handed back to `control` for the next data
    // connection.
    void resumeFrom(TlsSession &control);
    // Start the handshake as soon as the socket's connect succeeds.
    void setStartOnConnect(bool on) { startOnConnect_ = on; }

    // Starts the client handshake on the connected socket. handshakeDone
    // follows from the event loop, never from inside this call.
    void startHandshake();
    // Back to Plain, forgetting the connection (not the settings above).
    // No events.
    void reset();

    State state() const { return state_; }
    bool isEncrypted() const { return state_ == Established; }

    // As AsyncSocket::send/receive. send accepts at most 64 KiB per call;
    // accepted bytes may wait inside the session until the socket takes them.
    qint64 send(const char *data, qint64 length, bool urgent, int *error);
    qint64 receive(char *buffer, qint64 size, int *error);
    // Sends close_notify (once) and whatever still waits: 0 when all has
    // gone, WSAEWOULDBLOCK when a write event should be awaited before
    // calling it again, or the socket error. 0 at once for a plain session.
    int shutdown();

    // Facts of the established connection.
    TlsCertificateInfo peerCertificate() const { return certificate_; }
    TlsVerification verification() const { return verification_; }
    bool sessionReused() const;
    bool peerClosedCleanly() const; // the peer's close_notify has arrived
    QString protocolVersion() const; // "TLSv1.3"
    QString cipher() const;

    // The failure that ended the handshake or the stream (0: none), with the
    // TLS library's detail.
    int lastError() const { return lastError_; }
    QString errorText() const { return errorText_; }

signals:
    void socketEvent(int event, int error);
    void handshakeDone(int error);

private:
    friend struct TlsBridge;

    void onRawEvent(int event, int error);
    void continueHandshake();
    void finishHandshake();
    void failHandshake(int error, const QString &detail);
    void checkReadable();
    void scheduleCheck();
    void emitClose(int error);
    void answerCloseNotify();
    int flushOut();
    void keepSession(ssl_session_st *session);
    void dropSsl();

    AsyncSocket *socket_;
    std::shared_ptr<TlsContext> context_;
    ssl_st *ssl_ = nullptr;
    State state_ = Plain;
    QString peerName_;
    QString expectedFingerprint_;
    ssl_session_st *resume_ = nullptr; // session to resume at the next handshake
    ssl_session_st *latest_ = nullptr; // newest session the server gave us
    QPointer<TlsSession> sessionSink_; // the control session that wants our tickets
    bool startOnConnect_ = false;
    bool reportConnect_ = false;

    std::vector<char> out_; // encrypted bytes the socket has not taken yet
    size_t outPos_ = 0;
    bool wantWrite_ = false;
    bool rawEof_ = false;      // the socket reported the end of the stream
    bool bioHitEof_ = false;   // the TLS layer has read that end
    bool closeNotifyReceived_ = false;
    int rawCloseError_ = 0;
    int socketError_ = 0;
    bool closeReported_ = false;
    bool checkPosted_ = false;
    quint64 generation_ = 0;

    TlsCertificateInfo certificate_;
    TlsVerification verification_;
    int lastError_ = 0;
    QString errorText_;
};

} // namespace platform
