#include "sites/SiteURL.h"

#include "ui/Language.h"

namespace sites {
namespace {

QString schemeFor(TlsMode mode)
{
    switch (mode) {
    case TlsMode::Explicit:
        return QStringLiteral("ftpes://");
    case TlsMode::Implicit:
        return QStringLiteral("ftps://");
    case TlsMode::Off:
        break;
    }
    return QStringLiteral("ftp://");
}

bool startsWithScheme(const QString &text)
{
    return ftpSchemeOf(text, nullptr);
}

// An IPv6 address goes into an address in brackets.
QString hostPart(const QString &server)
{
    return server.contains(QLatin1Char(':')) && !server.startsWith(QLatin1Char('['))
               ? QLatin1Char('[') + server + QLatin1Char(']')
               : server;
}

// A port written as decimal digits, 1..65535.
bool parsePort(const QString &text, int *port)
{
    if (text.isEmpty() || text.size() > 5)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    const int value = text.toInt();
    if (value < 1 || value > 65535)
        return false;
    *port = value;
    return true;
}

} // namespace

QString CopyCredentialsQuestion()
{
    return ui::pick("   您是否需要复制站点的用户名和密码？", "   您是否需要複制站點的用戶名和密碼？");
}

QString BuildSiteURL(const SiteURLSource &source, const std::function<bool()> &askCopyCredentials)
{
    if (!source.connected)
        return {};
    QString url;
    const QString scheme = schemeFor(source.tls);
    if (!source.anonymous && askCopyCredentials && askCopyCredentials())
        url = scheme + source.userName + QLatin1Char(':') + source.password + QLatin1Char('@')
              + hostPart(source.server) + QLatin1Char('/');
    else
        url = scheme + hostPart(source.server) + QLatin1Char('/');
    const QString &dir = source.currentDirectory;
    if (!dir.isEmpty() && dir != QLatin1String("/")) {
        url += dir.startsWith(QLatin1Char('/')) ? dir.mid(1) : dir;
        if (!url.endsWith(QLatin1Char('/')))
            url += QLatin1Char('/');
    }
    return url;
}

QString CopySiteURLText(const SiteURLSource &source, const std::function<bool()> &askCopyCredentials,
                        const QStringList &selectedNames)
{
    QString text = BuildSiteURL(source, askCopyCredentials);
    if (!text.isEmpty() && selectedNames.size() == 1)
        text += selectedNames.first() + QLatin1Char('/');
    return text;
}

bool PastedTextAcceptable(const QString &text)
{
    return text.size() > 5 && startsWithScheme(text);
}

PasteResult ParsePastedURL(const QString &text, PastedURL *url)
{
    TlsMode tls = TlsMode::Off;
    int schemeLength = 0;
    if (!ftpSchemeOf(text, &tls, &schemeLength))
        return PasteResult::Rejected;
    QString rest = text.mid(schemeLength);
    QString credentials;
    const bool hasCredentials = rest.contains(QLatin1Char('@'));
    if (hasCredentials) {
        const qsizetype at = rest.indexOf(QLatin1Char('@'));
        credentials = rest.left(at);
        rest = rest.mid(at + 1);
    }
    PastedURL parsed;
    parsed.tls = tls;
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0) {
        parsed.path = rest.mid(slash).left(MaxURLPart);
        rest = rest.left(slash);
    }
    if (hasCredentials) {
        const qsizetype colon = credentials.indexOf(QLatin1Char(':'));
        if (colon < 0)
            return PasteResult::Rejected;
        parsed.userName = credentials.left(colon);
        parsed.password = credentials.mid(colon + 1).left(MaxURLPart);
        parsed.anonymous = false;
    } else {
        parsed.userName = QStringLiteral("anonymous");
        parsed.password = QStringLiteral("visit@");
        parsed.anonymous = true;
    }
    // "[2001:db8::1]:21": the colons of an IPv6 address are not the port's.
    qsizetype hostEnd = 0;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0)
            return PasteResult::Rejected;
        parsed.host = rest.mid(1, close - 1);
        hostEnd = close + 1;
        if (hostEnd < rest.size() && rest[hostEnd] != QLatin1Char(':'))
            return PasteResult::Rejected;
    } else {
        hostEnd = rest.indexOf(QLatin1Char(':'));
        if (hostEnd < 0)
            hostEnd = rest.size();
        parsed.host = rest.left(hostEnd);
    }
    if (hostEnd < rest.size()) {
        if (!parsePort(rest.mid(hostEnd + 1), &parsed.port))
            return PasteResult::Failed;
    } else {
        parsed.port = defaultPortFor(tls);
    }
    if (parsed.host.trimmed().isEmpty())
        return PasteResult::Rejected;
    *url = parsed;
    return PasteResult::Ok;
}

} // namespace sites
