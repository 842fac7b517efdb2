#include "queue/TransferProgress.h"

#include "listing/FileInfo.h"

#include <QLatin1Char>

#include <cmath>

namespace queue {

namespace {

// A non-negative decimal count, or empty.
std::optional<qint64> readCount(const QString &text)
{
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok, 10);
    if (!ok || n < 0)
        return std::nullopt;
    return n;
}

QString formatDuration(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

int ProgressView::permille() const
{
    if (gaugeMaximum <= 0 || gaugeValue <= 0)
        return 0;
    if (gaugeValue >= gaugeMaximum)
        return 1000;
#ifdef __SIZEOF_INT128__
    return int(static_cast<__int128>(gaugeValue) * 1000 / gaugeMaximum);
#else
    return int(static_cast<long double>(gaugeValue) * 1000 / gaugeMaximum);
#endif
}

QString ShortLocalName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

std::optional<qint64> ListingFileSize(const TMFtpFileInfoList &files, QByteArrayView remoteFile)
{
    const int i = files.IndexOfName(remoteFile);
    if (i < 0)
        return std::nullopt;
    return readCount(QString::fromLatin1(files.FileSize(i)));
}

void TTransferProgress::ShowTransferStart(const QString &total, const TransferSample &s, qint64 nowMs)
{
    view_.gaugeMaximum = readCount(total).value_or(0);
    if (s.operation == opDownload && s.listingSize && *s.listingSize >= 0)
        view_.gaugeMaximum = *s.listingSize;
    speed_ = 0;
    view_.gaugeValue = 0;
    if (s.operation == opDownload && !timerActive_) {
        timerActive_ = true;
        startMs_ = nowMs;
    }
}

void TTransferProgress::ShowTransferProgress(qint64 nowMs)
{
    if (!timerActive_) {
        timerActive_ = true;
        startMs_ = nowMs;
    }
}

void TTransferProgress::ShowTransferEnd(bool simplified)
{
    timerActive_ = false;
    view_.transferring = false;
    view_.statusText = simplified ? QStringLiteral("正在传送...") : QStringLiteral("正在傳送...");
}

void TTransferProgress::Tick(const TransferSample &s, qint64 nowMs)
{
    if (!timerActive_)
        return;

    const qint64 elapsedMs = qMax<qint64>(0, nowMs - startMs_);
    const QString elapsedText = formatDuration(elapsedMs / 1000);
    const double t = double(elapsedMs) / 1000.0;
    if (t > 0) {
        const qint64 moved = s.resumePosition > 0 ? s.bytesTransferred - s.resumePosition
                                                  : s.bytesTransferred;
        speed_ = double(moved) / 1024.0 / t;
    }
    if (!(speed_ > 0))
        return;

    // The gauge still holds the previous tick's value here.
    const qint64 remaining = view_.gaugeMaximum - view_.gaugeValue;
    double r = double(remaining) / 1024.0 / speed_;
    // Far beyond any real transfer; keeps the conversion defined.
    constexpr double longest = 1e15;
    r = std::isfinite(r) ? qBound(0.0, r, longest) : longest;
    const QString remainingText = formatDuration(qint64(r));

    view_.statusText = QStringLiteral("已用：") + elapsedText + QStringLiteral(" 剩余：") + remainingText;
    if (s.operation == opDownload)
        view_.gaugeText = QStringLiteral("↓") + ShortLocalName(s.localFile) + QLatin1Char(' ');
    else if (s.operation == opUpload)
        view_.gaugeText = QStringLiteral("↑") + ShortLocalName(s.localFile) + QLatin1Char(' ');
    view_.gaugeValue = s.bytesTransferred;
    view_.speedText = QString::number(s.bytesTransferred) + QLatin1Char('(')
                      + QString::number(speed_, 'f', 2) + QStringLiteral(" KB/秒)");
    view_.transferring = true;
}

void TTransferProgress::Finish()
{
    timerActive_ = false;
    view_.transferring = false;
    view_.statusText = QStringLiteral("完成");
}

} // namespace queue
