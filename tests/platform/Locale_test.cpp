#include "platform/Locale.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Locale, CaseDoesNotCountEmptyComesFirst)
{
    EXPECT_EQ(compareTextLocale(u"Readme", u"README"), 0);
    EXPECT_LT(compareTextLocale(u"a", u"B"), 0);
    EXPECT_GT(compareTextLocale(u"b", u"A"), 0);
    EXPECT_LT(compareTextLocale(u"", u"a"), 0);
    EXPECT_GT(compareTextLocale(u"a", u""), 0);
    EXPECT_EQ(compareTextLocale(u"", u""), 0);
}

TEST(Locale, SortKeysCompareLikeTheTexts)
{
    const QString texts[] = {QStringLiteral("alpha"), QStringLiteral("Beta"), QStringLiteral("BETA"),
                             QStringLiteral("gamma"), QStringLiteral("中文"), QStringLiteral("2024 report")};
    for (const QString &a : texts)
        for (const QString &b : texts) {
            const int direct = compareTextLocale(a, b);
            const int viaKeys = localeSortKey(a).compare(localeSortKey(b));
            EXPECT_EQ(direct < 0, viaKeys < 0) << a.toStdString() << " / " << b.toStdString();
            EXPECT_EQ(direct == 0, viaKeys == 0) << a.toStdString() << " / " << b.toStdString();
        }
}
