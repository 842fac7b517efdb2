#include "views/RemoteListText.h"

#include "../support/PrintQString.h"

#include <gtest/gtest.h>

using namespace views;

TEST(FormatSizeKB, RoundsUpToWholeKilobytesWithThousandsSeparators)
{
    const struct { const char *size; const char *shown; } cases[] = {
        {"0", "0 KB"},          {"1", "1 KB"},           {"1023", "1 KB"},
        {"1024", "1 KB"},       {"1025", "2 KB"},        {"1048576", "1,024 KB"},
        {"5368709120", "5,242,880 KB"},                  {"5368709121", "5,242,881 KB"},
        {"18446744073709551615", "18,014,398,509,481,984 KB"},
        {"00", "1 KB"},         {"9/18", "0 KB"},        {"", "0 KB"},
        {"-5", "0 KB"},         {"12abc", "0 KB"},       {"99999999999999999999999", "0 KB"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatSizeKB(c.size), QString::fromLatin1(c.shown)) << c.size;
}

TEST(MatchWildcard, StarAtTheEndNeedsOneCharacterQuestionMarkOneAndCaseCounts)
{
    const struct { const char *pattern; const char *name; bool matches; } cases[] = {
        {"*.txt", "b.txt", true},   {"*.txt", "b.zip", false},  {"*.TXT", "a.txt", false},
        {"abc*", "abc", false},     {"abc*", "abcd", true},     {"*", "", false},
        {"*", "x", true},           {"*a", "a", true},          {"*.*", "abc.", false},
        {"*.*", "abc.d", true},     {"*.*", "abc", false},      {"a?c", "abc", true},
        {"a?c", "ac", false},       {"a*b*c", "aXbYc", true},   {"a*b*c", "aXbY", false},
        {"*ab", "aab", true},       {"**", "q", true},          {"", "", true},
        {"", "a", false},           {"?*", "a", false},         {"?*", "ab", true},
        {"报告*", "报告.doc", true}, {"*年度*", "年度报告", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MatchWildcard(QString::fromUtf8(c.pattern), QString::fromUtf8(c.name)), c.matches)
            << c.pattern << " / " << c.name;
}
