#pragma once
// What a session uses of what the server offers. The one place that turns
// the server's FEAT answer and the site's character set into the session's
// choices; the engine asks nothing else.
//
//   MLSD        folders are listed with MLSD when the server offers it (MLST
//               or MLSD in FEAT), with LIST otherwise; a refused MLSD (500,
//               501, 502, 504) switches the session to LIST for good.
//   UTF8        "OPTS UTF8 ON" is sent after the login when the server offers
//               UTF8 and the site's character set is automatic or UTF-8.
//   MLST facts  when the server can give facts an entry needs (type, size,
//               modify, UNIX mode, owner and group) but does not give them
//               all now, "OPTS MLST type;size;...;" asks for them.
//   names       the site's UTF-8 or GBK wins; automatic means UTF-8 when the
//               server took OPTS UTF8 ON, and otherwise the old guess from
//               the names in sight (GBK as soon as one is not UTF-8): servers
//               that are always UTF-8 often refuse the command.
//   SIZE        asked only when FEAT names it (always when there is no FEAT);
//               a refusal beginning "50" stops it for the session either way.
//   REST STREAM resume without the "REST 100" probe when FEAT names it; the
//               probe decides otherwise.
//   EPSV, EPRT  on an IPv6 control connection, whether or not FEAT names
//               them: PASV and PORT carry IPv4 addresses only. An IPv4
//               session keeps PASV and PORT even when FEAT offers EPSV: NAT
//               routers and older proxies rewrite only those.
// A server that does not answer FEAT gets the commands it always got.

#include "listing/FtpFeatures.h"

#include <QByteArray>
#include <QString>

// The site's choice of character set for remote names.
enum class TMFtpNameCharset {
    Auto,
    Utf8,
    Gbk,
};

// How names typed by the user and local file names become the server's bytes.
enum class TMFtpNameEncoding {
    Guess, // GBK when the current folder or the listed names are not UTF-8
    Utf8,
    Gbk,
};

struct TFtpFeatureUse {
    bool FeaturesKnown = false; // the server answered FEAT
    bool Mlsd = false;
    bool OptsUtf8 = false; // send "OPTS UTF8 ON"
    bool Utf8On = false;   // ... and the server took it
    QByteArray MlstOptions; // "type;size;modify;unix.mode;" for OPTS MLST; empty: not sent
    TMFtpNameEncoding Names = TMFtpNameEncoding::Guess;
    bool Size = true;
    bool RestStream = false;
    bool ExtendedData = false; // EPSV and EPRT instead of PASV and PORT

    bool operator==(const TFtpFeatureUse &) const = default;
};

// The choices right after FEAT (before any OPTS UTF8 ON reply); ControlOnIpv6
// tells whether the control connection runs over IPv6.
TFtpFeatureUse DecideFeatureUse(const TFtpFeatures &Offered, TMFtpNameCharset Charset, bool ControlOnIpv6 = false);

// The choices once the server has answered "OPTS UTF8 ON": Accepted is a 2xx
// reply. Automatic names become UTF-8 when it was taken, and stay a guess
// when it was refused.
void ApplyOptsUtf8Reply(TFtpFeatureUse &Use, TMFtpNameCharset Charset, bool Accepted);

// One line for the session log:
// "Using MLSD, UTF-8 names, SIZE, REST STREAM, EPSV, EPRT" (the last two
// on IPv6 only).
QString DescribeFeatureUse(const TFtpFeatureUse &Use);

// Whether a reply to MLSD says the server does not know it.
bool IsMlsdRefusal(const QByteArray &Reply);

// The name encoding for display: a site's UTF-8 or GBK decodes every name
// that way; automatic decodes valid UTF-8 as UTF-8 and the rest as GBK.
QString DecodeRemoteName(const QByteArray &Bytes, TMFtpNameCharset Charset);
// Text to the server's bytes in the given encoding; Guess is decided by the
// caller, and given here it means UTF-8.
QByteArray EncodeRemoteName(const QString &Text, TMFtpNameEncoding Encoding);
