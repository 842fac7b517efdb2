#include "platform/Locale.h"

#include <QCollator>
#include <QLocale>

namespace platform {
namespace {

QLocale collationLocale()
{
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return QLocale(QLocale::Chinese, QLocale::China);
    return system;
}

// QCollator instances are not shareable between threads.
const QCollator &userCollator()
{
    thread_local const QCollator collator = [] {
        QCollator c(collationLocale());
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

} // namespace

int compareTextLocale(QStringView a, QStringView b)
{
    if (a.isEmpty() || b.isEmpty())
        return int(!a.isEmpty()) - int(!b.isEmpty());
    return userCollator().compare(a, b);
}

QCollatorSortKey localeSortKey(const QString &text)
{
    return userCollator().sortKey(text);
}

} // namespace platform

namespace platform {

QString groupThousands(quint64 value)
{
    const QString digits = QString::number(value);
    QString text;
    text.reserve(digits.size() + digits.size() / 3);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += QLatin1Char(',');
        text += digits.at(i);
    }
    return text;
}

} // namespace platform
