#pragma once
// ftp:// addresses of the current site, copied to and pasted from the
// clipboard: "ftp://" [user ":" password "@"] host [":" port] [path].
// Parts are found by plain text search; nothing is percent-encoded or
// percent-decoded. "ftpes://" (explicit TLS) and "ftps://" (implicit TLS,
// port 990 by default) are taken as well, and an IPv6 address is written
// in brackets: "ftp://[::1]:2121/".

#include "sites/SiteOptions.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace sites {

// What the address of the current connection is built from (the engine's
// state).
struct SiteURLSource
{
    bool connected = false;
    bool anonymous = false;
    QString server;
    QString userName;
    QString password;
    QString currentDirectory;
    TlsMode tls = TlsMode::Off; // chooses the scheme
};

// The copy question, in the current language.
QString CopyCredentialsQuestion();

// Empty when not connected. For a named login `askCopyCredentials` decides
// whether user name and password go into the address. The port is never
// written; the current folder follows with a closing "/".
QString BuildSiteURL(const SiteURLSource &source, const std::function<bool()> &askCopyCredentials);

// The text "copy site URL" puts on the clipboard: the site's address, and
// when exactly one remote entry is selected its name and a "/".
QString CopySiteURLText(const SiteURLSource &source, const std::function<bool()> &askCopyCredentials,
                        const QStringList &selectedNames);

struct PastedURL
{
    QString host;
    QString userName;
    QString password;
    int port = 21;
    QString path; // from the first "/" after the credentials on; empty when none
    bool anonymous = false;
    TlsMode tls = TlsMode::Off; // by the scheme

    bool operator==(const PastedURL &) const = default;
};

enum class PasteResult {
    Ok,
    Rejected, // not an address: the user is told "  URL地址错误 "
    Failed,   // unusable port: the window just closes
};

inline constexpr int MaxURLPart = 999;
inline constexpr const char *PasteErrorText = "  URL地址错误 ";

// True when the paste window's OK button may be used for `text`.
bool PastedTextAcceptable(const QString &text);

PasteResult ParsePastedURL(const QString &text, PastedURL *url);

} // namespace sites
