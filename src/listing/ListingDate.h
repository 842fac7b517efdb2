#pragma once
// Dates of listing lines, and the keys that sort them.

#include <QByteArray>
#include <QByteArrayView>

// Written wherever a date cannot be made.
inline constexpr char DefaultListDate[] = "1/1/80 12:00";

// The year the program started in, as decimal text. Taken from the clock
// when the program starts; SetStartYear replaces it (tests, start-up).
QByteArray StartYear();
void SetStartYear(int Year);

// The current month 1..12. SetCurrentMonthOverride fixes it for tests;
// 0 returns to the clock.
int CurrentMonth();
void SetCurrentMonthOverride(int Month);

// "Jan 16 11:14" or "Mar  3  1999" (month, day, time or year) to
// "yyyy-mm-dd hh:mm". A time belongs to StartYear, or to the year before
// when its month is later than the current month; a year gets "12:00".
// The month is read from the first letters in their exact case ("JAN" reads
// as July). A text without a month, day and year gives DefaultListDate.
QByteArray ConvertListDate(QByteArrayView Text);

// Count tokens from token N on, joined by single spaces, through ConvertListDate.
QByteArray JoinDateTokens(QByteArrayView Line, int N, int Count);

// Seconds since 1970-01-01 00:00 (no time zone) as "yyyy-mm-dd hh:mm";
// DefaultListDate unless the text is a decimal integer in the signed 32-bit range.
QByteArray ConvertEpochDate(QByteArrayView Text);

// DOS listing date and time tokens: "01/16/02" and "11:14AM" give
// "01-16-02 11:14 AM". A date token shorter than six bytes is kept as it is.
QByteArray ConvertDosDate(QByteArrayView DateToken, QByteArrayView TimeToken);

// Key that sorts a date text: "yyyy-mm-dd hh:mm" is its own key; the DOS
// form becomes year, month, day and 24-hour hour followed by the last five
// bytes of the text: "01-16-02 11:14 AM" -> "200201161114 AM",
// "01-16-02 01:14 PM" -> "200201161314 PM", "1/1/80 12:00" -> "198001011212:00".
QByteArray MakeDateSortKey(QByteArrayView DateText);
