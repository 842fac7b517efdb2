#include "listing/ListingText.h"

#include <QByteArray>

#include <gtest/gtest.h>

namespace {

std::string S(QByteArrayView V) { return std::string(V.data(), size_t(V.size())); }

TEST(GetToken, RunsOfSpacesSeparateAndTheLastTokenIsNeverReturned)
{
    struct { const char *line; int n; const char *token; } cases[] = {
        {"a  b c", 1, "b"},
        {"a b c", 2, ""},
        {"a b c", 0, "a"},
        {"a b c ", 2, "c"},
        {" a b", 0, ""},       // a leading space makes token 0 empty
        {" a b", 1, "a"},
        {"a\tb c", 0, "a\tb"}, // tabs are ordinary characters
        {"abc", 0, ""},
        {"", 0, ""},
        {"a b c", 7, ""},
        {"a b c", -1, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(S(GetToken(c.line, c.n)), c.token) << c.line << " #" << c.n;
}

TEST(GetNameAfterTokens, NameAfterTokenNKeepsInnerSpaces)
{
    struct { const char *line; int n; bool cut; const char *name; } cases[] = {
        {"-rw-r--r--   1 user     group     1024 Mar  3  1999 my file.txt", 7, true, "my file.txt"},
        {"drwxr-xr-x 2 user group 512 Jan 16 11:14", 7, true, "11:14"},
        {"lrwxrwxrwx 1 root root 7 Jan 16 11:14 bin -> usr/bin", 7, true, "bin"},
        {"lrwxrwxrwx 1 root root 7 Jan 16 11:14 bin -> usr/bin", 7, false, "bin -> usr/bin"},
        {"a b c   name with trailing  \t ", 2, true, "name with trailing"},
        {"a b c", 5, true, ""},
        {"a b", 3, true, ""},
        {"", 0, true, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(S(GetNameAfterTokens(c.line, c.n, c.cut)), c.name) << c.line;
}

TEST(GetNameAfterTokens, NameIsAtMost999Bytes)
{
    const QByteArray line = "a b " + QByteArray(5000, 'x') + " " + QByteArray(5000, 'y');
    const QByteArrayView name = GetNameAfterTokens(line, 2);
    EXPECT_EQ(name.size(), 998); // 999 bytes from the space, which the trim removes
    EXPECT_TRUE(name.startsWith("yyy"));
}

TEST(GetLinkPart, FromTheFirstArrowOn)
{
    EXPECT_EQ(S(GetLinkPart("bin -> usr/bin")), "-> usr/bin");
    EXPECT_EQ(S(GetLinkPart("a->b -> c")), "->b -> c");
    EXPECT_EQ(S(GetLinkPart("no-link-here >")), "");
    EXPECT_EQ(S(GetLinkPart("ends with -")), "");
    EXPECT_EQ(S(GetLinkPart("->")), "->");
}

TEST(LinkPointsToFolder, FileMarkersMakeAFile)
{
    struct { const char *link; bool folder; } cases[] = {
        {"-> /pub", true},
        {"-> ../docs/readme", false},
        {"-> ../docs/README", false},
        {"-> linux-6.1.TAR.GZ", false},
        {"-> setup.exe", false},
        {"-> notes.txt", false},
        {"-> COPYING", false},
        {"-> fix.diff", false},
        {"-> archive.tar", false},
        {"-> usr/bin", true},
        {"-> data.zip", true}, // only the listed markers count
    };
    for (const auto &c : cases)
        EXPECT_EQ(LinkPointsToFolder(c.link), c.folder) << c.link;
}

} // namespace

#include "listing/ListingInternal.h"

#include <random>

namespace {

// The layouts find tokens and names in one pass; they must agree with the
// routines that rescan the line.
TEST(LineTokens, OnePassAgreesWithGetTokenAndGetNameAfterTokens)
{
    std::mt19937 random(5);
    const char alphabet[] = "  ab->\t;x";
    for (int round = 0; round < 20000; ++round) {
        QByteArray line;
        const int length = int(random() % 30);
        for (int i = 0; i < length; ++i)
            line.append(alphabet[random() % (sizeof alphabet - 1)]);
        listing_detail::TLineTokens tokens;
        const int needed = int(random() % 9);
        listing_detail::TokenizeLine(line, needed, tokens);
        for (int n = 0; n < needed; ++n)
            ASSERT_EQ(S(tokens.Token(n)), S(GetToken(line, n))) << line.toStdString() << " #" << n;
        for (int n = 0; n < 10; ++n)
            for (bool cut : {false, true})
                ASSERT_EQ(S(listing_detail::NameAfterTokens(tokens, n, cut)), S(GetNameAfterTokens(line, n, cut)))
                    << '"' << line.toStdString() << "\" #" << n << " cut " << cut;
    }
}

} // namespace
