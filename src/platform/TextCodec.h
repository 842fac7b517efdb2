#pragma once
// Text at the edges of the program: the protocol, Config.ini, ftp.dat and the
// queue files carry GBK bytes; inside, the program works with QString. Remote
// names are kept as the server's bytes and only decoded for display.

#include <QByteArray>
#include <QString>

namespace platform {

// GBK (code page 936) bytes to text. Bytes that are not GBK become U+FFFD.
QString fromGbk(const QByteArray &bytes);

// Text to GBK bytes. Characters GBK cannot express become '?'.
QByteArray toGbk(const QString &text);

// True when the bytes are well-formed UTF-8 (pure ASCII counts).
bool isValidUtf8(const QByteArray &bytes);

// A remote name for display: valid UTF-8 as UTF-8, anything else as GBK.
QString decodeRemoteName(const QByteArray &bytes);

} // namespace platform
