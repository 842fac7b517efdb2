#pragma once
// Pure text rules of the remote file list: sizes in kilobytes and the
// wildcard match of its file filter.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace views {

// A listed size as the list shows it: "0" -> "0 KB"; otherwise whole
// kilobytes rounded up with "," between thousands ("1,024 KB"), at least
// "1 KB". A size that is not a non-negative decimal integer (VMS "9/18",
// "-5", "abc", one too large for 64 bits) shows "0 KB".
QString FormatSizeKB(QByteArrayView size);

// Case-sensitive wildcard match: "?" is any one character, "*" any run of
// characters, except that "*" at the end of the pattern needs at least one
// ("abc*" does not match "abc"; "*" does not match ""; "*a" matches "a").
bool MatchWildcard(QStringView pattern, QStringView name);

} // namespace views
