#pragma once
// The HTTP client of the online services: one request at a time, a GET into
// memory or into a file, or a form-encoded POST; percentage progress; a
// time-out that ends a request when nothing arrives for a while; an abort.
// Every request ends with exactly one finished() on the event loop (an abort
// emits it before Abort() returns).

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

class QFile;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace services {

enum class HttpOutcome {
    Done,            // complete answer with a success status
    HostUnreachable, // no connection to the server (refused, no such host, network down)
    TimeOut,         // nothing arrived within the time-out
    HttpError,       // the server answered with an error status, or spoke no HTTP
    Truncated,       // the connection ended before the announced end of the answer
    TooLarge,        // the answer grew beyond the limit of the request
    WriteFailed,     // the target file could not be created or written
    Aborted,         // Abort()
};

const char *HttpOutcomeName(HttpOutcome outcome);

class THttpClient : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultTimeOutMs = 30000;
    static constexpr const char *UserAgent = "BramblewayFTP/3.6";

    explicit THttpClient(QObject *parent = nullptr);
    ~THttpClient() override;

    // Milliseconds without any progress (connecting, sending or receiving)
    // after which a request ends with TimeOut.
    void setTimeOut(int ms) { timeOutMs_ = ms; }
    int timeOut() const { return timeOutMs_; }

    bool Busy() const { return reply_ != nullptr || pendingFailure_; }

    // The requests return false (and start nothing) while Busy(); otherwise
    // finished() follows. A URL that is not http or https with a host ends
    // with HostUnreachable.
    // GET into body(), at most maxBytes.
    bool Get(const QUrl &url, qint64 maxBytes);
    // GET into a file (created or emptied first), at most maxBytes;
    // `expectedBytes` (when > 0) gives the percentage when the server does
    // not announce a length.
    bool GetToFile(const QUrl &url, const QString &path, qint64 maxBytes, qint64 expectedBytes = 0);
    // POST of an application/x-www-form-urlencoded body; the answer goes to
    // body(), at most maxAnswerBytes.
    bool Post(const QUrl &url, const QByteArray &form, qint64 maxAnswerBytes);
    void Abort();

    // The answer of the last Get or Post, as far as it came.
    const QByteArray &body() const { return body_; }
    // Bytes received by the last request.
    qint64 received() const { return received_; }
    // HTTP status of the last answer (0: none).
    int status() const { return status_; }

signals:
    void progress(int percent);
    void finished(services::HttpOutcome outcome);

private:
    bool start(const QUrl &url, const QString &path, const QByteArray *form, qint64 maxBytes, qint64 expectedBytes);
    void postFailure(HttpOutcome outcome);
    void attach();
    void onReadyRead();
    void reportProgress();
    void onFinished();
    void fail(HttpOutcome outcome);
    void finish(HttpOutcome outcome);
    void closeSink();

    QNetworkAccessManager *manager_;
    QTimer *timer_;
    QTimer *pendingTimer_;
    QNetworkReply *reply_ = nullptr;
    std::unique_ptr<QFile> file_;
    QByteArray body_;
    qint64 received_ = 0;
    qint64 maxBytes_ = 0;
    qint64 expectedBytes_ = 0;
    int status_ = 0;
    int timeOutMs_ = DefaultTimeOutMs;
    int lastPercent_ = -1;
    bool forced_ = false;
    HttpOutcome forcedOutcome_ = HttpOutcome::Done;
    bool pendingFailure_ = false;
    HttpOutcome pendingOutcome_ = HttpOutcome::Done;
};

} // namespace services
