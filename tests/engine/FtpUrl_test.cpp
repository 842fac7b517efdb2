#include "engine/FtpUrl.h"

#include "support/PrintQString.h"

#include <gtest/gtest.h>

namespace {

TEST(DecodeURLText, Table)
{
    const struct {
        const char *in;
        QByteArray out;
    } cases[] = {
        {"a%20b", "a b"},       {"%2f%2F", "//"},    {"100%", "100%"},       {"%zz", "zz"},
        {"%A", ""},             {"x%4", "x"},        {"%4g", "%4g"},         {"a+b", "a+b"},
        {"%D6%D0", "\xd6\xd0"}, {"plain", "plain"}, {"%%41", "%41"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecodeURLText(c.in), c.out) << c.in;
}

TEST(FormatSiteURL, UserPartAndPort)
{
    EXPECT_EQ(FormatSiteURL("ftp.example.org", 21, "anonymous", "x"), QStringLiteral("ftp://ftp.example.org"));
    EXPECT_EQ(FormatSiteURL("h", 21, "FTP", "x"), QStringLiteral("ftp://h"));
    EXPECT_EQ(FormatSiteURL("h", 2121, "bob", "pw"), QStringLiteral("ftp://bob:pw@h:2121"));
}

// The address of an IPv6 site reads back as the same server and port.
TEST(FormatSiteURL, Ipv6ServerInBracketsParsesBack)
{
    const struct {
        const char *server;
        int port;
        const char *url;
    } cases[] = {
        {"::1", 2121, "ftp://bob:pw@[::1]:2121"},
        {"2001:db8::1", 21, "ftp://bob:pw@[2001:db8::1]"},
        {"[::1]", 21, "ftp://bob:pw@[::1]"},
    };
    for (const auto &c : cases) {
        const QString url = FormatSiteURL(QString::fromLatin1(c.server), c.port, "bob", "pw");
        EXPECT_EQ(url, QString::fromLatin1(c.url));
        TFtpUrl parsed;
        ASSERT_EQ(ParseFtpUrl(url.toLatin1(), &parsed), urlOK) << c.url;
        EXPECT_EQ(parsed.host, QByteArray(c.server).replace("[", "").replace("]", ""));
        EXPECT_EQ(parsed.hasPort, c.port != 21);
    }
}

struct UrlCase {
    const char *address;
    TFtpUrlResult result;
    bool hasUser;
    const char *user, *password, *host;
    int port; // -1: none
    const char *path;
};

class ParseUrlTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(ParseUrlTest, Splits)
{
    const UrlCase &c = GetParam();
    TFtpUrl url;
    ASSERT_EQ(ParseFtpUrl(c.address, &url), c.result) << c.address;
    if (c.result != urlOK)
        return;
    EXPECT_EQ(url.hasUser, c.hasUser);
    EXPECT_EQ(url.user, QByteArray(c.user));
    EXPECT_EQ(url.password, QByteArray(c.password));
    EXPECT_EQ(url.host, QByteArray(c.host));
    EXPECT_EQ(url.hasPort, c.port >= 0);
    if (c.port >= 0) {
        EXPECT_EQ(url.port, c.port);
    }
    EXPECT_EQ(url.path, QByteArray(c.path));
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, ParseUrlTest,
    ::testing::Values(
        UrlCase {"  FTP://Host/pub/  ", urlOK, false, "", "", "Host", -1, "/pub/"},
        UrlCase {"ftp://bob:p:w@h:2121/a/b.txt", urlOK, true, "bob", "p:w", "h", 2121, "/a/b.txt"},
        UrlCase {"ftp://h", urlOK, false, "", "", "h", -1, ""},
        UrlCase {"ftp://u:p@h/%D6%D0%20x", urlOK, true, "u", "p", "h", -1, "/\xd6\xd0 x"},
        UrlCase {"http://h/", urlBadProtocol, false, "", "", "", -1, ""},
        UrlCase {"ftp://bob@h/", urlBadSyntax, false, "", "", "", -1, ""},
        UrlCase {"ftp://h:21x/", urlParseError, false, "", "", "", -1, ""},
        UrlCase {"ftp://h:99999/", urlParseError, false, "", "", "", -1, ""},
        UrlCase {"ftp://h/a%0D%0ADELE%20b", urlBadSyntax, false, "", "", "", -1, ""},
        UrlCase {"ftp://h/a%00", urlBadSyntax, false, "", "", "", -1, ""},
        UrlCase {"ftp://user:pw@[::1]:2121/path", urlOK, true, "user", "pw", "::1", 2121, "/path"},
        UrlCase {"ftp://[2001:db8::1]/", urlOK, false, "", "", "2001:db8::1", -1, "/"},
        UrlCase {"ftp://[fe80::1%25eth0]:21", urlOK, false, "", "", "fe80::1%eth0", 21, ""},
        UrlCase {"ftp://[::1]", urlOK, false, "", "", "::1", -1, ""},
        UrlCase {"ftp://[::1/", urlBadSyntax, false, "", "", "", -1, ""},
        UrlCase {"ftp://[::1]x/", urlBadSyntax, false, "", "", "", -1, ""},
        UrlCase {"ftp://[]:21/", urlBadSyntax, false, "", "", "", -1, ""},
        UrlCase {"ftp://[::1]:x/", urlParseError, false, "", "", "", -1, ""},
        UrlCase {"ftp://::1/", urlParseError, false, "", "", "", -1, ""}));

TEST(ParseFtpUrl, EncodedSlashInTheUserPartSplitsThere)
{
    TFtpUrl url;
    // "ftp://a/b@h/" after decoding: the "@" comes first, so "a/b" is the
    // user part, which has no ":".
    EXPECT_EQ(ParseFtpUrl("ftp://a%2fb@h/", &url), urlBadSyntax);
    EXPECT_EQ(FtpUrlErrorText(urlBadSyntax), QStringLiteral("Invalid sytax"));
}

} // namespace
