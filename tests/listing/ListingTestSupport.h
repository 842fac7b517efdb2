#pragma once

#include "listing/ListingDate.h"
#include "listing/ListingParser.h"

#include <QDate>

#include <gtest/gtest.h>

#include <ostream>

// Fixes "today" so that year guesses of listing dates are deterministic.
class TFixedCalendar
{
public:
    TFixedCalendar(int Year, int Month)
    {
        SetStartYear(Year);
        SetCurrentMonthOverride(Month);
    }
    ~TFixedCalendar()
    {
        SetStartYear(QDate::currentDate().year());
        SetCurrentMonthOverride(0);
    }
};

// One listing line and the entry it must give (Kind 0: rejected).
struct TLineCase {
    TMFtpServerType Type;
    QByteArray Line;
    char Kind = 0; // 'd', 'f' or 0
    QByteArray Name = {};
    QByteArray Size = {};
    QByteArray Date = {};
    QByteArray Attributes = {};
    QByteArray Owner = {};
    QByteArray Group = {};
    QByteArray LinkTo = {};
};

inline void PrintTo(const TLineCase &Case, std::ostream *Os) { *Os << Case.Line.toStdString(); }

inline void ExpectLine(TListingParser &Parser, const TLineCase &Case)
{
    SCOPED_TRACE(Case.Line.toStdString());
    MFtpFileInfo info;
    bool isFolder = false;
    const bool ok = Parser.ParseListingLine(Case.Type, Case.Line, info, isFolder);
    ASSERT_EQ(ok, Case.Kind != 0);
    if (!ok)
        return;
    EXPECT_EQ(isFolder ? 'd' : 'f', Case.Kind);
    EXPECT_EQ(info.FileName, Case.Name);
    EXPECT_EQ(info.FileSize, Case.Size);
    EXPECT_EQ(info.ModifiedDate, Case.Date);
    EXPECT_EQ(info.Attributes, Case.Attributes);
    EXPECT_EQ(info.Owner, Case.Owner);
    EXPECT_EQ(info.Group, Case.Group);
    EXPECT_EQ(info.LinkTo, Case.LinkTo);
    EXPECT_TRUE(info.Description.isEmpty());
}
