#pragma once
// Program files for the update tests: "programs" of this platform made from
// the running test program's own header, and version descriptions.

#include "support/LocalFiles.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>

namespace updatetest {

// The running program: the reference every download is compared with.
inline QString referenceProgram()
{
    return QStringLiteral("/proc/self/exe");
}

// `size` bytes that start with the running program's ELF header; `machine`
// (when not 0) replaces its machine field.
inline QByteArray fakeProgram(int size, quint16 machine = 0)
{
    QFile self(referenceProgram());
    QByteArray bytes;
    if (self.open(QIODevice::ReadOnly))
        bytes = self.read(64);
    if (machine) {
        bytes[18] = char(machine & 0xFF); // little-endian hosts
        bytes[19] = char(machine >> 8);
    }
    while (bytes.size() < size)
        bytes += char('A' + bytes.size() % 26);
    return bytes.left(size);
}

inline QByteArray sha256Hex(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// A version description; an empty `sha` leaves the key out.
inline QByteArray description(const char *version, qint64 size, const QByteArray &sha, const QList<QByteArray> &addresses)
{
    QByteArray text = "[information]\r\nversion=" + QByteArray(version) + "\r\nFileSize=" + QByteArray::number(size)
                      + "\r\n";
    if (!sha.isEmpty())
        text += "SHA256=" + sha + "\r\n";
    text += "[DownLoadPath]\r\n";
    int n = 0;
    for (const QByteArray &a : addresses)
        text += "url" + QByteArray::number(++n) + "=" + a + "\r\n";
    return text;
}

using testsupport::readFile;
using testsupport::writeFile;

} // namespace updatetest
