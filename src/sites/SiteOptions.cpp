#include "sites/SiteOptions.h"

namespace sites {

namespace {

struct Scheme
{
    const char *text;
    TlsMode mode;
};
// Longest first: "ftpes://" must not be read as something shorter.
constexpr Scheme Schemes[] = {{"ftpes://", TlsMode::Explicit}, {"ftps://", TlsMode::Implicit}, {"ftp://", TlsMode::Off}};

} // namespace

QString tlsModeName(TlsMode mode)
{
    switch (mode) {
    case TlsMode::Explicit:
        return QStringLiteral("explicit");
    case TlsMode::Implicit:
        return QStringLiteral("implicit");
    case TlsMode::Off:
        break;
    }
    return QStringLiteral("off");
}

bool tlsModeFromName(const QString &name, TlsMode *mode)
{
    for (TlsMode m : {TlsMode::Off, TlsMode::Explicit, TlsMode::Implicit}) {
        if (name.trimmed().compare(tlsModeName(m), Qt::CaseInsensitive) == 0) {
            *mode = m;
            return true;
        }
    }
    return false;
}

QString charsetName(NameCharset charset)
{
    switch (charset) {
    case NameCharset::Utf8:
        return QStringLiteral("utf-8");
    case NameCharset::Gbk:
        return QStringLiteral("gbk");
    case NameCharset::Auto:
        break;
    }
    return QStringLiteral("auto");
}

bool charsetFromName(const QString &name, NameCharset *charset)
{
    for (NameCharset c : {NameCharset::Auto, NameCharset::Utf8, NameCharset::Gbk}) {
        if (name.trimmed().compare(charsetName(c), Qt::CaseInsensitive) == 0) {
            *charset = c;
            return true;
        }
    }
    return false;
}

bool ftpSchemeOf(const QString &address, TlsMode *mode, int *schemeLength)
{
    for (const Scheme &s : Schemes) {
        const QLatin1String text(s.text);
        if (address.startsWith(text, Qt::CaseInsensitive)) {
            if (mode)
                *mode = s.mode;
            if (schemeLength)
                *schemeLength = int(text.size());
            return true;
        }
    }
    return false;
}

FtpAddress splitSecureScheme(const QByteArray &address)
{
    FtpAddress result;
    result.address = address;
    // The engine's parser trims the address before it looks at the scheme.
    const QByteArray trimmed = address.trimmed();
    for (const Scheme &s : Schemes) {
        const QByteArray text(s.text);
        if (s.mode == TlsMode::Off || trimmed.left(text.size()).toLower() != text)
            continue;
        result.address = "ftp://" + trimmed.mid(text.size());
        result.tls = s.mode;
        result.defaultPort = defaultPortFor(s.mode);
        break;
    }
    return result;
}

} // namespace sites
