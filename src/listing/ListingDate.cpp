#include "listing/ListingDate.h"

#include "listing/ListingInternal.h"
#include "listing/ListingText.h"

#include <QDate>
#include <QDateTime>
#include <QVarLengthArray>

#include <atomic>
#include <climits>
#include <ctime>

using namespace listing_detail;

namespace {

std::atomic<int> StartYearValue{QDate::currentDate().year()};
std::atomic<int> MonthOverride{0};

// The month from the clock, looked up again only when the month may have
// changed: parsing calls this once per line.
int ClockMonth()
{
    struct TCache {
        int Month = 0;
        qint64 From = 0;
        qint64 Until = 0;
    };
    thread_local TCache cache;
    const qint64 now = qint64(std::time(nullptr));
    if (cache.Month == 0 || now < cache.From || now >= cache.Until) {
        const QDate today = QDate::currentDate();
        cache.Month = today.month();
        cache.From = now;
        const QDate nextMonth = QDate(today.year(), today.month(), 1).addMonths(1);
        cache.Until = QDateTime(nextMonth, QTime(0, 0)).toSecsSinceEpoch();
        if (cache.Until <= now)
            cache.Until = now + 60;
    }
    return cache.Month;
}

// Appends a non-negative or negative number in decimal.
void AppendNumber(QByteArray &Out, qint64 Value, int MinDigits = 1)
{
    char digits[24];
    int n = 0;
    const bool negative = Value < 0;
    quint64 v = negative ? quint64(0) - quint64(Value) : quint64(Value);
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n < MinDigits)
        digits[n++] = '0';
    if (negative)
        Out.append('-');
    while (n > 0)
        Out.append(digits[--n]);
}

char At(QByteArrayView Text, qsizetype Index) { return Index < Text.size() ? Text[Index] : '\0'; }

QByteArrayView Mid(QByteArrayView Text, qsizetype From, qsizetype Length)
{
    if (From >= Text.size())
        return {};
    return Text.sliced(From, qMin(Length, Text.size() - From));
}

void SetDefaultDate(QByteArray &Out) { SetBytes(Out, QByteArrayView(DefaultListDate)); }

} // namespace

QByteArray StartYear() { return QByteArray::number(StartYearValue.load()); }

void SetStartYear(int Year) { StartYearValue.store(Year); }

int CurrentMonth()
{
    const int fixed = MonthOverride.load(std::memory_order_relaxed);
    return fixed != 0 ? fixed : ClockMonth();
}

void SetCurrentMonthOverride(int Month) { MonthOverride.store(Month >= 1 && Month <= 12 ? Month : 0); }

namespace listing_detail {

void ConvertListDateInto(QByteArrayView Text, QByteArray &Out)
{
    const char *month = nullptr;
    int monthNumber = 0;
    // Month names compare without regard to case: some servers write "JAN".
    const auto lower = [&](qsizetype i) { return char(QChar::toLower(uchar(At(Text, i)))); };
    switch (lower(0)) {
    case 'j':
        monthNumber = lower(1) == 'a' ? 1 : lower(2) == 'n' ? 6 : 7;
        break;
    case 'f': monthNumber = 2; break;
    case 'm': monthNumber = lower(2) == 'r' ? 3 : 5; break;
    case 'a': monthNumber = lower(1) == 'p' ? 4 : 8; break;
    case 's': monthNumber = 9; break;
    case 'o': monthNumber = 10; break;
    case 'n': monthNumber = 11; break;
    case 'd': monthNumber = 12; break;
    default: break;
    }
    static constexpr const char *monthTexts[] = {nullptr, "01", "02", "03", "04", "05", "06",
                                                 "07", "08", "09", "10", "11", "12"};
    month = monthTexts[monthNumber];
    if (!month) {
        SetDefaultDate(Out);
        return;
    }

    QByteArrayView rest = Text;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (rest[i] == ' ') {
            rest = rest.sliced(i + 1);
            break;
        }
    }
    while (!rest.isEmpty() && rest[0] == ' ')
        rest = rest.sliced(1);

    const QByteArrayView day = TrimBlanks(rest.first(qMin<qsizetype>(2, rest.size())));
    rest = rest.sliced(qMin<qsizetype>(At(rest, 2) == ' ' ? 3 : 2, rest.size()));
    if (!AllDigits(day)) {
        SetDefaultDate(Out);
        return;
    }

    Out.resize(0);
    if (rest.contains(':')) {
        const int year = StartYearValue.load(std::memory_order_relaxed) - (monthNumber > CurrentMonth() ? 1 : 0);
        AppendNumber(Out, year);
        Out.append('-').append(month, 2).append('-');
        if (day.size() == 1)
            Out.append('0');
        Out.append(day.data(), day.size()).append(' ');
        const QByteArrayView time = TrimBlanks(rest);
        Out.append(time.data(), time.size());
    } else {
        const QByteArrayView year = TrimBlanks(rest);
        if (!AllDigits(year)) {
            SetDefaultDate(Out);
            return;
        }
        Out.append(year.data(), year.size());
        Out.append('-').append(month, 2).append('-');
        if (day.size() == 1)
            Out.append('0');
        Out.append(day.data(), day.size()).append(" 12:00", 6);
    }
}

void JoinDateTokensInto(const TLineTokens &Tokens, int N, int Count, QByteArray &Out)
{
    QVarLengthArray<char, 96> joined;
    for (int i = 0; i < Count; ++i) {
        if (i > 0)
            joined.append(' ');
        const QByteArrayView token = Tokens.Token(N + i);
        joined.append(token.data(), token.size());
    }
    ConvertListDateInto(QByteArrayView(joined.constData(), joined.size()), Out);
}

void ConvertEpochDateInto(QByteArrayView Text, QByteArray &Out)
{
    qsizetype i = 0;
    bool negative = false;
    if (At(Text, 0) == '-' || At(Text, 0) == '+') {
        negative = Text[0] == '-';
        i = 1;
    }
    if (i >= Text.size()) {
        SetDefaultDate(Out);
        return;
    }
    qint64 value = 0;
    for (; i < Text.size(); ++i) {
        if (!IsDigit(Text[i]) || value > qint64(INT_MAX) + 1) {
            SetDefaultDate(Out);
            return;
        }
        value = value * 10 + (Text[i] - '0');
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN) {
        SetDefaultDate(Out);
        return;
    }
    // Floor division, so times before 1970 land on the right day.
    qint64 days = value / 86400;
    qint64 seconds = value % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    // Civil date from days since 1970-01-01 (proleptic Gregorian).
    const qint64 z = days + 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const qint64 day = doy - (153 * mp + 2) / 5 + 1;
    const qint64 month = mp < 10 ? mp + 3 : mp - 9;
    const qint64 year = yoe + era * 400 + (month <= 2 ? 1 : 0);

    Out.resize(0);
    AppendNumber(Out, year, 4);
    Out.append('-');
    AppendNumber(Out, month, 2);
    Out.append('-');
    AppendNumber(Out, day, 2);
    Out.append(' ');
    AppendNumber(Out, seconds / 3600, 2);
    Out.append(':');
    AppendNumber(Out, seconds % 3600 / 60, 2);
}

void ConvertDosDateInto(QByteArrayView DateToken, QByteArrayView TimeToken, QByteArray &Out)
{
    SetBytes(Out, DateToken);
    if (Out.size() >= 6) {
        Out[2] = '-';
        Out[5] = '-';
    }
    Out.append(' ');
    const QByteArrayView clock = TimeToken.first(qMin<qsizetype>(5, TimeToken.size()));
    Out.append(clock.data(), clock.size());
    // "11:14AM" keeps its marker; a 24-hour "11:14" has none.
    const QByteArrayView marker = Mid(TimeToken, 5, 2);
    if (!marker.isEmpty())
        Out.append(' ').append(marker.data(), marker.size());
}

void MakeDateSortKeyInto(QByteArrayView Date, QByteArray &Out)
{
    if (Date.size() >= 5 && IsDigit(Date[0]) && IsDigit(Date[1]) && IsDigit(Date[2]) && IsDigit(Date[3])
        && Date[4] == '-') {
        SetBytes(Out, Date);
        return;
    }
    Out.resize(0);
    QVarLengthArray<char, 16> month;
    QVarLengthArray<char, 16> day;
    const auto field = [&](qsizetype From, QVarLengthArray<char, 16> &Part) -> qsizetype {
        const QByteArrayView two = Mid(Date, From, 2);
        if (two.size() == 2 && two[1] == '/') {
            Part.append('0');
            Part.append(two[0]);
            return From + 2;
        }
        Part.append(two.data(), two.size());
        return From + 3;
    };
    qsizetype pos = field(0, month);
    pos = field(pos, day);

    const QByteArrayView shortYear = Mid(Date, pos, 2);
    qsizetype hourAt;
    // "01-16-2002 11:14AM" from servers that list four-digit years.
    if (IsDigit(At(Date, pos + 2)) && IsDigit(At(Date, pos + 3)) && AllDigits(shortYear)) {
        const QByteArrayView year = Mid(Date, pos, 4);
        Out.append(year.data(), year.size());
        hourAt = pos + 5;
    } else {
        Out.append(shortYear < QByteArrayView("70") ? "20" : "19", 2);
        Out.append(shortYear.data(), shortYear.size());
        hourAt = pos + 3;
    }
    Out.append(month.constData(), month.size());
    Out.append(day.constData(), day.size());
    const QByteArrayView hour = Mid(Date, hourAt, 2);
    Out.append(hour.data(), hour.size());
    if (Out.size() >= 10 && Out[9] == ':') {
        Out[9] = Out[8];
        Out[8] = '0';
    }
    const QByteArrayView tail = Date.size() > 5 ? Date.sliced(Date.size() - 5) : Date;
    // A 12-hour time sorts by its 24-hour hour.
    if (Out.size() >= 10 && IsDigit(Out[8]) && IsDigit(Out[9]) && tail.size() == 5) {
        const char a = tail[3] & ~0x20;
        const char m = tail[4] & ~0x20;
        if ((a == 'A' || a == 'P') && m == 'M') {
            int h = (Out[8] - '0') * 10 + (Out[9] - '0');
            if (h <= 12) {
                if (a == 'P' && h < 12)
                    h += 12;
                else if (a == 'A' && h == 12)
                    h = 0;
                Out[8] = char('0' + h / 10);
                Out[9] = char('0' + h % 10);
            }
        }
    }
    Out.append(tail.data(), tail.size());
}

} // namespace listing_detail

QByteArray ConvertListDate(QByteArrayView Text)
{
    QByteArray out;
    ConvertListDateInto(Text, out);
    return out;
}

QByteArray JoinDateTokens(QByteArrayView Line, int N, int Count)
{
    TLineTokens tokens;
    QByteArray out;
    if (N < 0 || Count < 0 || N + Count > TLineTokens::Capacity) {
        // Beyond the tokenizer's reach: gather the tokens one by one.
        QByteArray joined;
        for (int i = 0; i < Count; ++i) {
            if (i > 0)
                joined.append(' ');
            const QByteArrayView token = GetToken(Line, N + i);
            joined.append(token.data(), token.size());
        }
        ConvertListDateInto(joined, out);
        return out;
    }
    TokenizeLine(Line, N + Count, tokens);
    JoinDateTokensInto(tokens, N, Count, out);
    return out;
}

QByteArray ConvertEpochDate(QByteArrayView Text)
{
    QByteArray out;
    ConvertEpochDateInto(Text, out);
    return out;
}

QByteArray ConvertDosDate(QByteArrayView DateToken, QByteArrayView TimeToken)
{
    QByteArray out;
    ConvertDosDateInto(DateToken, TimeToken, out);
    return out;
}

QByteArray MakeDateSortKey(QByteArrayView DateText)
{
    QByteArray out;
    MakeDateSortKeyInto(DateText, out);
    return out;
}
