#pragma once
// Sealing of stored user names and passwords (site book and quick-connect
// history). A sealed text is upper-case hexadecimal: the 4-byte
// little-endian length of the GBK text in clear, then the text enciphered
// with AES-128 in ECB mode under a 16-byte key taken from the key text, its
// last block filled up with zero bytes.

#include <QByteArray>
#include <QString>

namespace sites {

inline constexpr int SealKeyBytes = 16;
inline constexpr int SealBlockBytes = 16;

QString SealString(const QString &text, const QString &key);

// False, with a reason in `error`, when the text is not hexadecimal, its
// size does not fit, or it does not open under this key (the filling of the
// last block is not zero or the result is not readable text): keys of
// another computer are recognised as often as the data allows.
bool UnsealString(const QString &sealed, const QString &key, QString *text, QString *error = nullptr);

// The unsealed text, or an empty one when it cannot be unsealed.
QString UnsealOrEmpty(const QString &sealed, const QString &key);

// Byte-level forms behind the two above; `key` holds the raw key bytes
// (the first 16 count, missing ones are zero).
QByteArray SealBytes(const QByteArray &plain, const QByteArray &key);
bool UnsealBytes(const QByteArray &sealedHex, const QByteArray &key, QByteArray *plain, QString *error);

// Key texts derived from this computer's identity, the same on every run.
QString SiteBookKey(); // 14 characters, for the site book
QString HistoryKey();  // 16 characters, for the quick-connect history

} // namespace sites
