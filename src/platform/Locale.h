#pragma once
// Text comparison in the user's collation, ignoring letter case. Used where the
// program sorts names and other texts for display.

#include <QCollatorSortKey>
#include <QString>
#include <QStringView>

namespace platform {

// <0, 0 or >0 as `a` sorts before, with or after `b` in the user's collation,
// ignoring case. An empty text sorts before every non-empty text. Without a
// configured user locale (the "C" locale) the Simplified Chinese collation
// is used, so Chinese names still sort by reading.
int compareTextLocale(QStringView a, QStringView b);

// A key that compares like compareTextLocale; cheaper than comparing the texts
// when one text takes part in many comparisons.
QCollatorSortKey localeSortKey(const QString &text);

} // namespace platform

namespace platform {

// A count with "," between groups of three digits: 1048576 -> "1,048,576"
// (the thousands separator of the Chinese locales the program speaks).
QString groupThousands(quint64 value);

} // namespace platform
