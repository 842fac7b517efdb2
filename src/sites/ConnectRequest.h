#pragma once
// What every way of connecting hands to the main window's ConnectToSite:
// the connection data in the order that routine takes it.

#include "sites/SiteOptions.h"
#include "ui/Language.h"

#include <QString>

namespace sites {

inline constexpr int DefaultFtpPort = 21;
inline constexpr int MaxPort = 65535;

struct ConnectRequest
{
    bool anonymous = false;
    QString server;
    QString remoteFolder; // empty: the engine's start folder stays as it is
    QString localFolder;  // empty: the local pane stays where it is
    int port = DefaultFtpPort;
    QString password;
    QString userName;
    SiteOptions options; // TLS, name character set, passive address rule

    // A pasted address: before ConnectToSite the current session is dropped
    // without asking and the engine's InitialDirectory becomes `urlPath`
    // (also when it is empty).
    bool fromPastedURL = false;
    QString urlPath;

    bool operator==(const ConnectRequest &) const = default;
};

// A port box's text as a number; 21 when it is not one.
inline int portFromText(const QString &text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    return ok ? port : DefaultFtpPort;
}

// A port box holding a number no port can have (the boxes take digits only).
inline bool portTooLarge(const QString &text)
{
    bool ok = false;
    const qulonglong port = text.trimmed().toULongLong(&ok);
    return ok && port > qulonglong(MaxPort);
}

inline QString PortTooLargeText()
{
    return ui::pick("   端口号不能大于 65535，请改正后再连接。", "   端口號不能大於 65535，請改正後再連接。");
}

} // namespace sites
