#pragma once
// Connection options of a site beyond what ftp.dat holds: TLS, the character
// set of remote names, and the rule for passive addresses. The site manager
// keeps them in their own file beside the book (SiteOptionsFile.h); quick
// connect in its history entries; pasted addresses choose TLS by scheme.

#include <QByteArray>
#include <QString>

namespace sites {

enum class TlsMode {
    Off,      // plain FTP
    Explicit, // AUTH TLS on the normal port, then PBSZ 0 and PROT P
    Implicit, // TLS from the first byte, on its own port (990 by default)
};

enum class NameCharset {
    Auto, // UTF-8 when the server offers UTF8, GBK otherwise
    Utf8,
    Gbk,
};

inline constexpr int DefaultImplicitTlsPort = 990;

struct SiteOptions
{
    TlsMode tls = TlsMode::Off;
    NameCharset charset = NameCharset::Auto;
    // When a passive answer names a private, loopback or other address than
    // the server's while the server itself is not on such an address,
    // connect to the server's address instead.
    bool passiveAddressRule = true;

    bool isDefault() const { return *this == SiteOptions{}; }
    bool operator==(const SiteOptions &) const = default;
};

// The names the files use: "off", "explicit", "implicit"; "auto", "utf-8",
// "gbk". Reading ignores case; false for a name not known.
QString tlsModeName(TlsMode mode);
bool tlsModeFromName(const QString &name, TlsMode *mode);
QString charsetName(NameCharset charset);
bool charsetFromName(const QString &name, NameCharset *charset);

// The port a site uses when none is given.
inline int defaultPortFor(TlsMode mode)
{
    return mode == TlsMode::Implicit ? DefaultImplicitTlsPort : 21;
}

// Address schemes: "ftp://" (plain), "ftpes://" (explicit TLS), "ftps://"
// (implicit TLS, port 990 unless the address names one), any letter case.
// True when `address` starts with one of them; `mode` tells which and
// `schemeLength` how long the scheme is.
bool ftpSchemeOf(const QString &address, TlsMode *mode, int *schemeLength = nullptr);

// For the engine's ftp:// address parser: an "ftps://" or "ftpes://" address
// becomes the same address with "ftp://", with the TLS mode and the port to
// use when the address names none. Anything else (ftp:// included) is
// passed on unchanged with TlsMode::Off and port 21.
struct FtpAddress
{
    QByteArray address;
    TlsMode tls = TlsMode::Off;
    int defaultPort = 21;
};
FtpAddress splitSecureScheme(const QByteArray &address);

} // namespace sites
