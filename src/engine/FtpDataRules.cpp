#include "engine/FtpDataRules.h"

#include <QList>

bool ParsePasvReply(const QByteArray &reply, QString *address, quint16 *port)
{
    const qsizetype open = reply.indexOf('(');
    if (open < 0)
        return false;
    QByteArray inner = reply.mid(open + 1);
    const qsizetype close = inner.indexOf(')');
    if (close >= 0)
        inner.truncate(close);
    const QList<QByteArray> fields = inner.trimmed().split(',');
    if (fields.size() < 6)
        return false;
    int numbers[6];
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        const QByteArray field = fields.at(i).trimmed();
        numbers[i] = field.toInt(&ok);
        if (!ok || field.isEmpty() || numbers[i] < 0 || numbers[i] > 255 || field.startsWith('+'))
            return false;
    }
    *address = QStringLiteral("%1.%2.%3.%4").arg(numbers[0]).arg(numbers[1]).arg(numbers[2]).arg(numbers[3]);
    *port = quint16(numbers[4] * 256 + numbers[5]);
    return true;
}

QByteArray PortArgument(const QString &localAddress, quint16 port)
{
    QByteArray argument = localAddress.toLatin1();
    argument.replace('.', ',');
    argument += ',' + QByteArray::number(port / 256) + ',' + QByteArray::number(port % 256);
    return argument;
}

QByteArray RetrSizeText(const QByteArray &reply)
{
    const qsizetype open = reply.lastIndexOf('(');
    if (open < 0)
        return {};
    const qsizetype blank = reply.indexOf(' ', open + 1);
    if (blank < 0)
        return {};
    return reply.mid(open + 1, blank - open - 1);
}

std::optional<qint64> ParseSizeReply(const QByteArray &reply)
{
    const QByteArray text = reply.mid(4).trimmed();
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

void ListingLineSplitter::append(const char *data, qsizetype length)
{
    if (start_ > 0 && (start_ == buffer_.size() || start_ > buffer_.size() / 2)) {
        buffer_.remove(0, start_);
        scan_ -= start_;
        start_ = 0;
    }
    const qsizetype at = buffer_.size();
    buffer_.append(data, length);
    if (buffer_.indexOf('\0', at) >= 0) {
        QByteArray tail = buffer_.mid(at);
        tail.replace('\0', QByteArray());
        buffer_.truncate(at);
        buffer_.append(tail);
    }
}

std::optional<QByteArray> ListingLineSplitter::nextLine()
{
    for (;;) {
        const qsizetype end = buffer_.indexOf('\n', qMax(start_, scan_));
        if (end < 0) {
            scan_ = buffer_.size();
            if (buffer_.size() - start_ > MaxLineLength) {
                // Keep a final CR: the LF that ends the line may follow.
                const bool lastIsCr = buffer_.endsWith('\r');
                buffer_ = lastIsCr ? QByteArray("\r") : QByteArray();
                start_ = 0;
                scan_ = buffer_.size();
                discarding_ = true;
                lineTooLong_ = true;
            }
            return std::nullopt;
        }
        qsizetype length = end - start_;
        if (length > 0 && buffer_.at(end - 1) == '\r')
            --length;
        const qsizetype from = start_;
        start_ = end + 1;
        scan_ = start_;
        if (discarding_) {
            discarding_ = false;
            continue;
        }
        if (length > MaxLineLength) {
            lineTooLong_ = true;
            continue;
        }
        return buffer_.mid(from, length);
    }
}

QByteArray ListingLineSplitter::takeRest()
{
    QByteArray rest = buffer_.mid(start_);
    if (rest.endsWith('\r'))
        rest.chop(1);
    if (discarding_ || rest.size() > MaxLineLength) {
        if (!discarding_)
            lineTooLong_ = true;
        rest.clear();
    }
    clear();
    return rest;
}

bool ListingLineSplitter::takeLineTooLong()
{
    const bool was = lineTooLong_;
    lineTooLong_ = false;
    return was;
}

void ListingLineSplitter::clear()
{
    buffer_.clear();
    start_ = 0;
    scan_ = 0;
    discarding_ = false;
}
