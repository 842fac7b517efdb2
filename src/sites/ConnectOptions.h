#pragma once
// The connection settings of section [Option]: what the settings window
// shows, what Config.ini stores and what the FTP engine receives.

#include "platform/ProfileFile.h"

#include <QString>
#include <QStringList>

namespace sites {

// Ranges of the settings window's spin edits.
struct IntRange
{
    int min, max, defaultValue;
    int clamp(int v) const { return v < min ? min : (v > max ? max : v); }
};
inline constexpr IntRange RetriesRange{1, 10, 3};
inline constexpr IntRange RetryIntervalRange{5, 100, 15};
inline constexpr IntRange NoopIntervalRange{10, 100, 30};
inline constexpr IntRange TimeOutRange{1, 100, 20};
inline constexpr int DefaultProxyPort = 21;
inline constexpr int ProxyTypeCount = 6;

// Items of the proxy type drop-down; the index is the engine's proxy type.
QStringList proxyTypeNames();

// The values as the settings window holds them. The proxy port is an edit
// box, so it is kept as typed.
struct ConnectOptions
{
    int retries = RetriesRange.defaultValue;
    int retryInterval = RetryIntervalRange.defaultValue;
    int noopInterval = NoopIntervalRange.defaultValue;
    int timeOut = TimeOutRange.defaultValue;
    bool passive = true;
    bool cache = true;
    QString anonymous = QStringLiteral("anonymous");
    QString anonymousPassword = QStringLiteral("Visit@");
    QString proxyServer;
    QString proxyUserName;
    QString proxyPassword;
    QString proxyPortText = QStringLiteral("21");
    int proxyType = 0; // index into proxyTypeNames(), 0 is "proxyNone"

    bool operator==(const ConnectOptions &) const = default;
};

// Reads the 13 keys of [Option]; spin values are brought into their ranges
// and a proxy type outside 0..5 reads as "proxyNone".
ConnectOptions LoadOptions(const platform::ProfileFile &file);

// Writes the 13 keys; a proxy port that is not an integer is written as 21.
bool SaveOptions(platform::ProfileFile &file, const ConnectOptions &options);

// What the engine receives. The proxy fields are meant only when
// `applyProxy` is set (a proxy type other than "proxyNone" is chosen).
struct EngineSettings
{
    int retries = 3;
    int retryInterval = 15;
    int noopInterval = 30;
    int timeOut = 20;
    bool passive = true;
    bool cache = true;
    bool applyProxy = false;
    QString proxyServer;
    QString proxyUsername;
    QString proxyPassword;
    int proxyPort = 0; // a port text that is not an integer gives 0
    int proxyType = 0;

    bool operator==(const EngineSettings &) const = default;
};

EngineSettings engineSettings(const ConnectOptions &options);

// Receives the settings; the main window implements it for its engine.
class OptionsTarget
{
public:
    virtual ~OptionsTarget() = default;
    virtual void applyEngineSettings(const EngineSettings &settings) = 0;
};

// Copies the options into the engine: Retries, RetryInterval, NoopInterval,
// TimeOut, Passive, Cache, and the proxy values only when a proxy is chosen.
void ApplyOptions(const ConnectOptions &options, OptionsTarget *target);

} // namespace sites
