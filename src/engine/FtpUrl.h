#pragma once
// ftp:// addresses: percent-decoding, splitting an address into its parts,
// and the address of a site.

#include <QByteArray>
#include <QString>

// Percent-decoding, left to right: "%" and two hex digits become one byte;
// "%" at the very end stays; "%" before a character that is not a hex digit
// is dropped and the character kept; "%" and one hex digit at the very end
// are both dropped; "%", a hex digit and a character that is not one stay as
// they are. "+" is not translated.
QByteArray DecodeURLText(const QByteArray &text);

// "ftp://" + [user + ":" + password + "@"] + server + [":" + port]: the user
// part is left out for "anonymous" and "ftp" (any case), the port when 21. An
// IPv6 server is written in brackets ("ftp://[::1]:2121").
QString FormatSiteURL(const QString &server, int port, const QString &userName, const QString &password);

enum TFtpUrlResult {
    urlOK,
    urlBadProtocol, // "The protocol is not supported"
    urlBadSyntax,   // "Invalid sytax"
    urlParseError,  // "Unexpected error occured in paring URL"
};

struct TFtpUrl {
    bool hasUser = false;
    QByteArray user;
    QByteArray password;
    QByteArray host;
    bool hasPort = false;
    quint16 port = 0;
    QByteArray path; // from the first "/" on; empty when there is none
};

// Trims and decodes the address, then splits it: "ftp://" (any case),
// optional user ":" password "@", host, optional ":" port, optional path. A
// host in brackets ("[::1]", an IPv6 address) is taken without them; after
// the "]" only ":" port or the path may follow (bad syntax otherwise).
// A decoded address holding CR, LF or a zero byte is refused as bad syntax:
// those bytes would end the command the path goes into.
TFtpUrlResult ParseFtpUrl(const QByteArray &address, TFtpUrl *url);

// The error text of a result (empty for urlOK).
QString FtpUrlErrorText(TFtpUrlResult result);
