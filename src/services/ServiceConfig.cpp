#include "services/ServiceConfig.h"

namespace services {

bool IsWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !url.host().isEmpty();
}

QUrl ServiceBase(const platform::ProfileFile &config, const char *key)
{
    QString text = config.ReadString(QLatin1String(SectionService), QLatin1String(key), QString()).trimmed();
    if (text.isEmpty())
        text = QLatin1String(DefaultServiceAddress);
    const QUrl url(text, QUrl::StrictMode);
    if (!IsWebAddress(url) || url.hasQuery() || url.hasFragment())
        return {};
    return url;
}

QUrl ServiceUrl(const QUrl &base, const char *path)
{
    if (base.isEmpty())
        return {};
    QUrl url = base;
    QString prefix = url.path();
    while (prefix.endsWith(QLatin1Char('/')))
        prefix.chop(1);
    url.setPath(prefix + QLatin1String(path));
    return url;
}

} // namespace services
