#include "ListingTestSupport.h"

#include "listing/ListingDate.h"

namespace {

TEST(ConvertListDate, TimeBelongsToStartYearOrTheYearBefore)
{
    const TFixedCalendar march(2024, 3);
    struct { const char *text; const char *date; } cases[] = {
        {"Jan 05 10:30", "2024-01-05 10:30"},
        {"Mar 31 23:59", "2024-03-31 23:59"}, // the current month is not later than itself
        {"Apr 01 00:00", "2023-04-01 00:00"},
        {"Dec 05 10:30", "2023-12-05 10:30"},
        {"Jan  5  1998", "1998-01-05 12:00"},
        {"Jan 5 1998", "1998-01-05 12:00"},
        {"Feb 29 2000", "2000-02-29 12:00"},
        {"Jun 1 08:00", "2023-06-01 08:00"},
        {"Jul 4 1776", "1776-07-04 12:00"},
        {"May 10 1996", "1996-05-10 12:00"},
        {"Aug 10 1996", "1996-08-10 12:00"},
        {"Sep 10 1996", "1996-09-10 12:00"},
        {"Oct 10 1996", "1996-10-10 12:00"},
        {"Nov 10 1996", "1996-11-10 12:00"},
        {"Apr 10 1996", "1996-04-10 12:00"},
        {"Mar 10 1996", "1996-03-10 12:00"},
        // Month names in any case: "JAN" is January, not July.
        {"JAN 05 1998", "1998-01-05 12:00"},
        {"JAN 05 10:30", "2024-01-05 10:30"},
        {"MAR 10 1996", "1996-03-10 12:00"},
        {"APR 10 1996", "1996-04-10 12:00"},
        {"JUN 10 1996", "1996-06-10 12:00"},
        {"aug 10 1996", "1996-08-10 12:00"},
        {"17-JUN-1994 14:38:08", "1/1/80 12:00"},
        {"Xyz 05 10:30", "1/1/80 12:00"},
        {"Xyz 05 1998", "1/1/80 12:00"},      // no month: no date
        {"Jan 16 ", "1/1/80 12:00"},          // no year
        {"Jan xx 1998", "1/1/80 12:00"},      // no day
        {"Jan 16 19x8", "1/1/80 12:00"},
        {"", "1/1/80 12:00"},
        {"J", "1/1/80 12:00"},
        {"Jan", "1/1/80 12:00"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ConvertListDate(c.text), QByteArray(c.date)) << c.text;
}

TEST(ConvertListDate, CurrentMonthDecidesTheYear)
{
    {
        const TFixedCalendar december(2024, 12);
        EXPECT_EQ(ConvertListDate("Dec 05 10:30"), "2024-12-05 10:30");
    }
    {
        const TFixedCalendar january(2025, 1);
        EXPECT_EQ(ConvertListDate("Feb 05 10:30"), "2024-02-05 10:30");
        EXPECT_EQ(ConvertListDate("Jan 05 10:30"), "2025-01-05 10:30");
    }
}

TEST(ConvertListDate, StartYearIsDecimalText)
{
    const TFixedCalendar fixed(1999, 6);
    EXPECT_EQ(StartYear(), "1999");
    EXPECT_EQ(CurrentMonth(), 6);
}

TEST(ConvertListDate, ClockMonthWithoutOverride)
{
    SetCurrentMonthOverride(0);
    EXPECT_EQ(CurrentMonth(), QDate::currentDate().month());
}

TEST(JoinDateTokens, JoinsWithSingleSpaces)
{
    const TFixedCalendar march(2024, 3);
    EXPECT_EQ(JoinDateTokens("x   Jan   16   11:14 name", 1, 3), "2024-01-16 11:14");
    EXPECT_EQ(JoinDateTokens("x Mar 3 1999 name", 1, 3), "1999-03-03 12:00");
    // the last token of a line is never a token
    EXPECT_EQ(JoinDateTokens("x Jan 16 11:14", 1, 3), "1/1/80 12:00");
    EXPECT_EQ(JoinDateTokens("a b c d e f g h i j k Jan 16 11:14 n", 11, 3), "2024-01-16 11:14");
}

TEST(ConvertEpochDate, SecondsSince1970WithoutTimeZone)
{
    struct { const char *text; const char *date; } cases[] = {
        {"825718503", "1996-03-01 22:15"},
        {"0", "1970-01-01 00:00"},
        {"-1", "1969-12-31 23:59"},
        {"951782400", "2000-02-29 00:00"},
        {"2147483647", "2038-01-19 03:14"},
        {"-2147483648", "1901-12-13 20:45"},
        {"2147483648", "1/1/80 12:00"},
        {"99999999999999999999999", "1/1/80 12:00"},
        {"", "1/1/80 12:00"},
        {"-", "1/1/80 12:00"},
        {"12a", "1/1/80 12:00"},
        {" 12", "1/1/80 12:00"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ConvertEpochDate(c.text), QByteArray(c.date)) << c.text;
}

TEST(ConvertDosDate, DashesAndMarker)
{
    EXPECT_EQ(ConvertDosDate("01-16-02", "11:14AM"), "01-16-02 11:14 AM");
    EXPECT_EQ(ConvertDosDate("01/16/02", "09:05PM"), "01-16-02 09:05 PM");
    EXPECT_EQ(ConvertDosDate("01-16-2002", "11:14AM"), "01-16-2002 11:14 AM");
    EXPECT_EQ(ConvertDosDate("01-16-02", "23:14"), "01-16-02 23:14");
    EXPECT_EQ(ConvertDosDate("1/1/2", "1:14AM"), "1/1/2 1:14A M");
    EXPECT_EQ(ConvertDosDate("", ""), " ");
}

TEST(MakeDateSortKey, KeysOfBothForms)
{
    struct { const char *date; const char *key; } cases[] = {
        {"1/1/80 12:00", "198001011212:00"},
        {"01-16-02 11:14 AM", "200201161114 AM"},
        {"2024-01-16 11:14", "2024-01-16 11:14"},
        {"01-16-02 01:14 PM", "200201161314 PM"},
        {"01-16-02 12:05 AM", "200201160005 AM"},
        {"01-16-02 12:05 PM", "200201161205 PM"},
        {"12-31-99 11:59 PM", "199912312359 PM"},
        {"01-16-02 9:05 PM", "200201162105 PM"},
        {"01-16-2002 11:14 AM", "200201161114 AM"},
        {"01-16-02 23:14", "200201162323:14"},
        {"", "20"},
        {"x", "20xx"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MakeDateSortKey(c.date), QByteArray(c.key)) << c.date;
}

} // namespace
