#include "sites/ConnectOptions.h"

#include "sites/ConfigKeys.h"

namespace sites {
namespace {

int integerOr(const QString &text, int fallback)
{
    int v = 0;
    return platform::ProfileFile::parseInteger(text, &v) ? v : fallback;
}

} // namespace

QStringList proxyTypeNames()
{
    return {QStringLiteral("proxyNone"), QStringLiteral("proxyHost"), QStringLiteral("proxyHostUser"),
            QStringLiteral("proxyOpen"), QStringLiteral("proxySite"), QStringLiteral("proxyUserSite")};
}

ConnectOptions LoadOptions(const platform::ProfileFile &file)
{
    using namespace config;
    ConnectOptions o;
    o.retries = RetriesRange.clamp(file.ReadInteger(SectionOption, ConnectRetries, RetriesRange.defaultValue));
    o.retryInterval = RetryIntervalRange.clamp(
        file.ReadInteger(SectionOption, ConnectRetryInterval, RetryIntervalRange.defaultValue));
    o.noopInterval = NoopIntervalRange.clamp(
        file.ReadInteger(SectionOption, ConnectNoopInterval, NoopIntervalRange.defaultValue));
    o.timeOut = TimeOutRange.clamp(file.ReadInteger(SectionOption, ConnectTimeOut, TimeOutRange.defaultValue));
    o.passive = file.ReadBool(SectionOption, ConnectPassive, true);
    o.cache = file.ReadBool(SectionOption, ConnectCache, true);
    o.anonymous = file.ReadString(SectionOption, ConnectAnonymous, QStringLiteral("anonymous"));
    o.anonymousPassword = file.ReadString(SectionOption, ConnectAnonymousPassword, QStringLiteral("Visit@"));
    o.proxyServer = file.ReadString(SectionOption, ConnectProxyServer, QString());
    o.proxyUserName = file.ReadString(SectionOption, ConnectProxyUserName, QString());
    o.proxyPassword = file.ReadString(SectionOption, ConnectProxyPassword, QString());
    o.proxyPortText = QString::number(file.ReadInteger(SectionOption, ConnectProxyPort, DefaultProxyPort));
    const int type = file.ReadInteger(SectionOption, ConnectProxyType, 0);
    o.proxyType = (type >= 0 && type < ProxyTypeCount) ? type : 0;
    return o;
}

bool SaveOptions(platform::ProfileFile &file, const ConnectOptions &o)
{
    using namespace config;
    bool ok = true;
    ok &= file.WriteInteger(SectionOption, ConnectRetries, o.retries);
    ok &= file.WriteInteger(SectionOption, ConnectRetryInterval, o.retryInterval);
    ok &= file.WriteInteger(SectionOption, ConnectNoopInterval, o.noopInterval);
    ok &= file.WriteInteger(SectionOption, ConnectTimeOut, o.timeOut);
    ok &= file.WriteBool(SectionOption, ConnectPassive, o.passive);
    ok &= file.WriteBool(SectionOption, ConnectCache, o.cache);
    ok &= file.WriteString(SectionOption, ConnectAnonymous, o.anonymous);
    ok &= file.WriteString(SectionOption, ConnectAnonymousPassword, o.anonymousPassword);
    ok &= file.WriteString(SectionOption, ConnectProxyServer, o.proxyServer);
    ok &= file.WriteString(SectionOption, ConnectProxyUserName, o.proxyUserName);
    ok &= file.WriteString(SectionOption, ConnectProxyPassword, o.proxyPassword);
    ok &= file.WriteInteger(SectionOption, ConnectProxyPort, integerOr(o.proxyPortText, DefaultProxyPort));
    ok &= file.WriteInteger(SectionOption, ConnectProxyType, o.proxyType);
    file.UpdateFile();
    return ok;
}

EngineSettings engineSettings(const ConnectOptions &o)
{
    EngineSettings s;
    s.retries = o.retries;
    s.retryInterval = o.retryInterval;
    s.noopInterval = o.noopInterval;
    s.timeOut = o.timeOut;
    s.passive = o.passive;
    s.cache = o.cache;
    s.applyProxy = o.proxyType > 0 && o.proxyType < ProxyTypeCount;
    if (s.applyProxy) {
        s.proxyServer = o.proxyServer;
        s.proxyUsername = o.proxyUserName;
        s.proxyPassword = o.proxyPassword;
        s.proxyPort = integerOr(o.proxyPortText, 0);
        s.proxyType = o.proxyType;
    }
    return s;
}

void ApplyOptions(const ConnectOptions &options, OptionsTarget *target)
{
    if (target)
        target->applyEngineSettings(engineSettings(options));
}

} // namespace sites
