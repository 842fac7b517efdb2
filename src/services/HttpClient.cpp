#include "services/HttpClient.h"

#include "services/ServiceConfig.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace services {

const char *HttpOutcomeName(HttpOutcome outcome)
{
    switch (outcome) {
    case HttpOutcome::Done: return "Done";
    case HttpOutcome::HostUnreachable: return "HostUnreachable";
    case HttpOutcome::TimeOut: return "TimeOut";
    case HttpOutcome::HttpError: return "HttpError";
    case HttpOutcome::Truncated: return "Truncated";
    case HttpOutcome::TooLarge: return "TooLarge";
    case HttpOutcome::WriteFailed: return "WriteFailed";
    case HttpOutcome::Aborted: return "Aborted";
    }
    return "?";
}

namespace {

HttpOutcome outcomeOf(QNetworkReply::NetworkError error, qint64 received)
{
    switch (error) {
    case QNetworkReply::NoError:
        return HttpOutcome::Done;
    case QNetworkReply::RemoteHostClosedError:
        return received > 0 ? HttpOutcome::Truncated : HttpOutcome::HostUnreachable;
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
        return HttpOutcome::HostUnreachable;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::OperationCanceledError: // the access manager's own transfer time-out
        return HttpOutcome::TimeOut;
    default:
        return HttpOutcome::HttpError;
    }
}

} // namespace

THttpClient::THttpClient(QObject *parent)
    : QObject(parent), manager_(new QNetworkAccessManager(this)), timer_(new QTimer(this)),
      pendingTimer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] { fail(HttpOutcome::TimeOut); });
    pendingTimer_->setSingleShot(true);
    connect(pendingTimer_, &QTimer::timeout, this, [this] {
        pendingFailure_ = false;
        emit finished(pendingOutcome_);
    });
}

THttpClient::~THttpClient()
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
        reply_ = nullptr;
    }
    closeSink();
}

bool THttpClient::start(const QUrl &url, const QString &path, const QByteArray *form, qint64 maxBytes,
                        qint64 expectedBytes)
{
    if (Busy())
        return false;
    body_.clear();
    received_ = 0;
    status_ = 0;
    maxBytes_ = maxBytes;
    expectedBytes_ = expectedBytes;
    lastPercent_ = -1;
    forced_ = false;
    if (!IsWebAddress(url)) {
        postFailure(HttpOutcome::HostUnreachable);
        return true;
    }
    if (!path.isEmpty()) {
        file_ = std::make_unique<QFile>(path);
        if (!file_->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file_.reset();
            postFailure(HttpOutcome::WriteFailed);
            return true;
        }
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QLatin1String(UserAgent));
    if (form) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        reply_ = manager_->post(request, *form);
    } else {
        reply_ = manager_->get(request);
    }
    attach();
    return true;
}

void THttpClient::postFailure(HttpOutcome outcome)
{
    // Reported from the event loop like every other outcome.
    pendingFailure_ = true;
    pendingOutcome_ = outcome;
    pendingTimer_->start(0);
}

bool THttpClient::Get(const QUrl &url, qint64 maxBytes)
{
    return start(url, QString(), nullptr, maxBytes, 0);
}

bool THttpClient::GetToFile(const QUrl &url, const QString &path, qint64 maxBytes, qint64 expectedBytes)
{
    return start(url, path.isEmpty() ? QStringLiteral("/") : path, nullptr, maxBytes, expectedBytes);
}

bool THttpClient::Post(const QUrl &url, const QByteArray &form, qint64 maxAnswerBytes)
{
    return start(url, QString(), &form, maxAnswerBytes, 0);
}

void THttpClient::attach()
{
    connect(reply_, &QNetworkReply::readyRead, this, &THttpClient::onReadyRead);
    // Any sign of life restarts the time-out.
    for (auto signal : {&QNetworkReply::downloadProgress, &QNetworkReply::uploadProgress})
        connect(reply_, signal, this, [this] {
            if (timer_->isActive())
                timer_->start(timeOutMs_);
        });
    connect(reply_, &QNetworkReply::finished, this, &THttpClient::onFinished);
    timer_->start(timeOutMs_);
}

void THttpClient::onReadyRead()
{
    if (!reply_ || forced_)
        return;
    timer_->start(timeOutMs_);
    const QByteArray chunk = reply_->readAll();
    received_ += chunk.size();
    if (received_ > maxBytes_) {
        fail(HttpOutcome::TooLarge);
        return;
    }
    if (file_) {
        if (file_->write(chunk) != chunk.size()) {
            fail(HttpOutcome::WriteFailed);
            return;
        }
    } else {
        body_ += chunk;
    }
    if (!chunk.isEmpty())
        reportProgress();
}

void THttpClient::reportProgress()
{
    qint64 total = expectedBytes_;
    const QVariant announced = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() > 0)
        total = announced.toLongLong();
    if (total <= 0)
        return;
    const int percent = int(qBound<qint64>(qint64(0), received_ * 100 / total, qint64(100)));
    if (percent != lastPercent_) {
        lastPercent_ = percent;
        emit progress(percent);
    }
}

void THttpClient::fail(HttpOutcome outcome)
{
    if (!reply_ || forced_)
        return;
    forced_ = true;
    forcedOutcome_ = outcome;
    reply_->abort(); // finished() follows at once
}

void THttpClient::Abort()
{
    if (pendingFailure_) {
        pendingTimer_->stop();
        pendingFailure_ = false;
        emit finished(HttpOutcome::Aborted);
        return;
    }
    fail(HttpOutcome::Aborted);
}

void THttpClient::onFinished()
{
    if (!reply_)
        return;
    QNetworkReply *reply = reply_;
    timer_->stop();
    if (!forced_)
        onReadyRead(); // whatever is still buffered
    status_ = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    HttpOutcome outcome = forced_ ? forcedOutcome_ : outcomeOf(reply->error(), received_);
    if (outcome == HttpOutcome::Done && (status_ < 200 || status_ > 299))
        outcome = HttpOutcome::HttpError;
    if (outcome == HttpOutcome::Done && file_ && !file_->flush())
        outcome = HttpOutcome::WriteFailed;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->deleteLater();
    finish(outcome);
}

void THttpClient::finish(HttpOutcome outcome)
{
    closeSink();
    emit finished(outcome);
}

void THttpClient::closeSink()
{
    if (file_) {
        file_->close();
        file_.reset();
    }
}

} // namespace services
