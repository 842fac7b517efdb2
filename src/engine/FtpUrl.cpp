#include "engine/FtpUrl.h"

namespace {

constexpr int MaxPathLength = 999;

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

QByteArray DecodeURLText(const QByteArray &text)
{
    if (!text.contains('%'))
        return text;
    QByteArray out;
    out.reserve(text.size());
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const char c = text.at(i);
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 >= n) {
            out += '%';
            break;
        }
        const int high = HexValue(text.at(i + 1));
        if (high < 0) {
            out += text.at(i + 1);
            i += 2;
            continue;
        }
        if (i + 2 >= n)
            break; // "%A" at the end: both dropped
        const int low = HexValue(text.at(i + 2));
        if (low < 0) {
            out += text.mid(i, 3); // "%A?" stays as it is
            i += 3;
            continue;
        }
        out += char(high * 16 + low);
        i += 3;
    }
    return out;
}

QString FormatSiteURL(const QString &server, int port, const QString &userName, const QString &password)
{
    QString url = QStringLiteral("ftp://");
    if (userName.compare(QLatin1String("anonymous"), Qt::CaseInsensitive) != 0
        && userName.compare(QLatin1String("ftp"), Qt::CaseInsensitive) != 0)
        url += userName + QLatin1Char(':') + password + QLatin1Char('@');
    // An IPv6 address goes into brackets, so its colons are not the port's.
    if (server.contains(QLatin1Char(':')) && !server.startsWith(QLatin1Char('[')))
        url += QLatin1Char('[') + server + QLatin1Char(']');
    else
        url += server;
    if (port != 21)
        url += QLatin1Char(':') + QString::number(port);
    return url;
}

TFtpUrlResult ParseFtpUrl(const QByteArray &address, TFtpUrl *url)
{
    *url = TFtpUrl();
    QByteArray text = DecodeURLText(address.trimmed());
    if (text.left(6).toLower() != "ftp://")
        return urlBadProtocol;
    if (text.contains('\r') || text.contains('\n') || text.contains('\0'))
        return urlBadSyntax;
    text.remove(0, 6);

    QByteArray userPart;
    const qsizetype at = text.indexOf('@');
    if (at >= 0) {
        url->hasUser = true;
        userPart = text.left(at);
        text.remove(0, at + 1);
    }
    const qsizetype slash = text.indexOf('/');
    if (slash >= 0) {
        url->path = text.mid(slash).left(MaxPathLength);
        text.truncate(slash);
    }
    if (url->hasUser) {
        const qsizetype colon = userPart.indexOf(':');
        if (colon < 0)
            return urlBadSyntax;
        url->user = userPart.left(colon);
        url->password = userPart.mid(colon + 1);
    }
    if (text.startsWith('[')) {
        // "[2001:db8::1]:2121": the host is what the brackets hold.
        const qsizetype close = text.indexOf(']');
        if (close < 0 || (close + 1 < text.size() && text.at(close + 1) != ':'))
            return urlBadSyntax;
        url->host = text.mid(1, close - 1);
        text.remove(0, close + 1);
        if (url->host.isEmpty())
            return urlBadSyntax;
    }
    const qsizetype colon = text.indexOf(':');
    if (colon >= 0) {
        const QByteArray portText = text.mid(colon + 1);
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        if (!ok || portText.isEmpty() || portText.startsWith('+') || port > 65535)
            return urlParseError;
        url->hasPort = true;
        url->port = quint16(port);
        text.truncate(colon);
    }
    if (url->host.isEmpty())
        url->host = text;
    return urlOK;
}

QString FtpUrlErrorText(TFtpUrlResult result)
{
    switch (result) {
    case urlBadProtocol: return QStringLiteral("The protocol is not supported");
    case urlBadSyntax: return QStringLiteral("Invalid sytax");
    case urlParseError: return QStringLiteral("Unexpected error occured in paring URL");
    default: return QString();
    }
}
