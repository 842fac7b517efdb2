#include "views/RemoteListText.h"

#include "platform/Locale.h"

#include <limits>

namespace views {

QString FormatSizeKB(QByteArrayView size)
{
    if (size == "0")
        return QStringLiteral("0 KB");
    if (size.isEmpty())
        return QStringLiteral("0 KB");
    quint64 value = 0;
    for (char c : size) {
        if (c < '0' || c > '9')
            return QStringLiteral("0 KB");
        const unsigned digit = unsigned(c - '0');
        if (value > (std::numeric_limits<quint64>::max() - digit) / 10)
            return QStringLiteral("0 KB");
        value = value * 10 + digit;
    }
    quint64 kb = value / 1024 + (value % 1024 != 0 ? 1 : 0);
    if (kb == 0)
        kb = 1;
    return platform::groupThousands(kb) + QLatin1String(" KB");
}

bool MatchWildcard(QStringView pattern, QStringView name)
{
    // A trailing run of "*" needs one character: it reads as "?" and a "*".
    qsizetype end = pattern.size();
    while (end > 0 && pattern.at(end - 1) == QLatin1Char('*'))
        --end;
    const bool trailingStar = end < pattern.size();
    const QStringView body = pattern.first(end);
    const qsizetype patternLength = body.size() + (trailingStar ? 2 : 0);
    auto at = [&](qsizetype i) -> QChar {
        if (i < body.size())
            return body.at(i);
        return i == body.size() ? QLatin1Char('?') : QLatin1Char('*');
    };

    // Greedy matching that returns to the last "*" on a mismatch.
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < patternLength && at(p) == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < patternLength && (at(p) == QLatin1Char('?') || at(p) == name.at(n))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < patternLength && at(p) == QLatin1Char('*'))
        ++p;
    return p == patternLength;
}

} // namespace views
