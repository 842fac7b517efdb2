#pragma once
// Every section and key of Config.ini, with the defaults the readers apply.
// Section and key names compare without regard to case.

#include <QSize>

namespace config {

inline constexpr const char *FileName = "Config.ini";

inline constexpr const char *SectionOption = "Option";
inline constexpr const char *SectionLoad = "Load";
inline constexpr const char *SectionConnect = "Connect";

// [Option]: connection settings, edited by the settings window.
inline constexpr const char *ConnectRetries = "ConnectRetries";
inline constexpr const char *ConnectRetryInterval = "ConnectRetryInterval";
inline constexpr const char *ConnectNoopInterval = "ConnectNoopInterval";
inline constexpr const char *ConnectTimeOut = "ConnectTimeOut";
inline constexpr const char *ConnectPassive = "ConnectPassive";
inline constexpr const char *ConnectCache = "ConnectCache";
inline constexpr const char *ConnectAnonymous = "ConnectAnonymous";
inline constexpr const char *ConnectAnonymousPassword = "ConnectAnonymousPassword";
inline constexpr const char *ConnectProxyServer = "ConnectProxyServer";
inline constexpr const char *ConnectProxyUserName = "ConnectProxyUserName";
inline constexpr const char *ConnectProxyPassword = "ConnectProxyPassword";
inline constexpr const char *ConnectProxyPort = "ConnectProxyPort";
inline constexpr const char *ConnectProxyType = "ConnectProxyType";

// [Load]: window state, views, language, skin, paths, quick-connect options.
inline constexpr const char *ShowLocalHideFile = "ShowLocalHideFile";
inline constexpr const char *LocalViewStyle = "LocalViewStyle";
inline constexpr const char *RemoteViewStyle = "RemoteViewStyle";
inline constexpr const char *ShowSize = "ShowSize";
inline constexpr const char *ShowType = "ShowType";
inline constexpr const char *ShowDate = "ShowDate";
inline constexpr const char *ShowAttrib = "ShowAttrib";
inline constexpr const char *ShowDescription = "ShowDescription";
inline constexpr const char *ShowOwner = "ShowOwner";
inline constexpr const char *Face = "FACE";
inline constexpr const char *SimpleLanguage = "SimpleLanguage";
inline constexpr const char *LocalPath = "LocalPath";
inline constexpr const char *Screen = "Screen";
inline constexpr const char *MessagePanelHeight = "MessagePanelHeight";
inline constexpr const char *QueuePanelHeight = "QueuePanelHeight";
inline constexpr const char *LocalPanelWidth = "LocalPanelWidth";
inline constexpr const char *AutoRemember = "auto";
inline constexpr const char *DefaultConnectIndex = "DefaultConnectIndex";
inline constexpr const char *OpenQueuePath = "OpenQueuePath";

// [Service]: the online services' base addresses (UpdateServer,
// FeedbackServer); services/ServiceConfig.h reads them.

// [Connect]: ID1, ID2, ... one sealed quick-connect record each.
inline constexpr const char *ConnectRecordPrefix = "ID";

// Defaults of [Load] that do not depend on the screen.
inline constexpr bool DefaultShowLocalHideFile = false;
inline constexpr int DefaultViewStyle = 3; // report
inline constexpr bool DefaultShowSize = true;
inline constexpr bool DefaultShowType = true;
inline constexpr bool DefaultShowDate = true;
inline constexpr bool DefaultShowAttrib = true;
inline constexpr bool DefaultShowDescription = false;
inline constexpr bool DefaultShowOwner = false;
inline constexpr bool DefaultSimpleLanguage = true;
inline constexpr bool DefaultAutoRemember = false;
inline constexpr int DefaultDefaultConnectIndex = -1;

// Screens at most this wide are "narrow": compact layout and skins.
inline constexpr int NarrowScreenMaxWidth = 850;

inline bool isNarrowScreen(const QSize &screen)
{
    return screen.width() <= NarrowScreenMaxWidth;
}

// Defaults of [Load] that depend on the screen width.
struct ScreenDefaults
{
    int face;
    int messagePanelHeight;
    int queuePanelHeight;
    int localPanelWidth;
};

inline ScreenDefaults screenDefaults(const QSize &screen)
{
    if (isNarrowScreen(screen))
        return {1, 84, 75, 344};
    return {2, 118, 99, 448};
}

} // namespace config
