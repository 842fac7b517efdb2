#include "services/ConnectionState.h"

#include <QHostAddress>
#include <QNetworkInformation>

namespace services {
namespace {

std::function<bool(const QUrl &)> &hook()
{
    static std::function<bool(const QUrl &)> h;
    return h;
}

bool isLoopback(const QUrl &url)
{
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

void SetConnectionStateHook(std::function<bool(const QUrl &url)> h)
{
    hook() = std::move(h);
}

bool InternetConnected(const QUrl &url)
{
    if (hook())
        return hook()(url);
    if (isLoopback(url))
        return true;
    static const bool haveBackend = QNetworkInformation::instance() || QNetworkInformation::loadDefaultBackend();
    if (!haveBackend)
        return true;
    const QNetworkInformation *info = QNetworkInformation::instance();
    return !info || info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

} // namespace services
