// The session's choices from FEAT and the site's character set, and the
// name conversions that follow from them.

#include "engine/FtpFeatureUse.h"
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace {

const char *const FullFeat = "211-Features:\r\n MLST type*;size*;modify*;\r\n UTF8\r\n SIZE\r\n REST STREAM\r\n"
                             " EPSV\r\n EPRT\r\n211 End\r\n";

struct DecideCase {
    const char *name;
    const char *feat;
    TMFtpNameCharset charset;
    TFtpFeatureUse expected;
};

TFtpFeatureUse Use(bool known, bool mlsd, bool opts, TMFtpNameEncoding names, bool size, bool rest)
{
    TFtpFeatureUse u;
    u.FeaturesKnown = known;
    u.Mlsd = mlsd;
    u.OptsUtf8 = opts;
    u.Names = names;
    u.Size = size;
    u.RestStream = rest;
    return u;
}

TEST(FtpFeatureUse, DecidedFromFeatAndCharset)
{
    using E = TMFtpNameEncoding;
    using C = TMFtpNameCharset;
    const DecideCase cases[] = {
        // No FEAT: nothing new is used, SIZE stays until refused.
        {"no feat, auto", "500 Unknown command.\r\n", C::Auto, Use(false, false, false, E::Guess, true, false)},
        {"no feat, utf-8", "502 No.\r\n", C::Utf8, Use(false, false, false, E::Utf8, true, false)},
        {"no feat, gbk", "500 No.\r\n", C::Gbk, Use(false, false, false, E::Gbk, true, false)},
        {"everything, auto", FullFeat, C::Auto, Use(true, true, true, E::Guess, true, true)},
        {"everything, utf-8", FullFeat, C::Utf8, Use(true, true, true, E::Utf8, true, true)},
        // The site's GBK: the server is not switched to UTF-8.
        {"everything, gbk", FullFeat, C::Gbk, Use(true, true, false, E::Gbk, true, true)},
        // FEAT that does not name SIZE: SIZE is not asked.
        {"mlsd alone", "211-Features:\r\n MLSD\r\n211 End\r\n", C::Auto,
         Use(true, true, false, E::Guess, false, false)},
        {"feat naming nothing", "211 No features.\r\n", C::Auto,
         Use(true, false, false, E::Guess, false, false)},
        {"rest without stream", "211-Features:\r\n REST\r\n SIZE\r\n211 End\r\n", C::Auto,
         Use(true, false, false, E::Guess, true, false)},
    };
    for (const DecideCase &c : cases) {
        const TFtpFeatureUse use = DecideFeatureUse(ParseFeatReply(QByteArrayView(c.feat)), c.charset);
        EXPECT_EQ(use.FeaturesKnown, c.expected.FeaturesKnown) << c.name;
        EXPECT_EQ(use.Mlsd, c.expected.Mlsd) << c.name;
        EXPECT_EQ(use.OptsUtf8, c.expected.OptsUtf8) << c.name;
        EXPECT_EQ(int(use.Names), int(c.expected.Names)) << c.name;
        EXPECT_EQ(use.Size, c.expected.Size) << c.name;
        EXPECT_EQ(use.RestStream, c.expected.RestStream) << c.name;
        EXPECT_FALSE(use.ExtendedData) << c.name; // an IPv4 session keeps PASV and PORT
        EXPECT_FALSE(use.Utf8On) << c.name;
    }
}

TEST(FtpFeatureUse, OptsUtf8ReplyDecidesAutomaticNamesOnly)
{
    using E = TMFtpNameEncoding;
    using C = TMFtpNameCharset;
    const struct {
        C charset;
        bool accepted;
        E names;
    } cases[] = {
        {C::Auto, true, E::Utf8},
        {C::Auto, false, E::Guess}, // servers that are always UTF-8 refuse it too
        {C::Utf8, true, E::Utf8},
        {C::Utf8, false, E::Utf8}, // the site says UTF-8: a refusal changes nothing
    };
    for (const auto &c : cases) {
        TFtpFeatureUse use = DecideFeatureUse(ParseFeatReply(QByteArrayView(FullFeat)), c.charset);
        ApplyOptsUtf8Reply(use, c.charset, c.accepted);
        EXPECT_EQ(int(use.Names), int(c.names)) << int(c.charset) << c.accepted;
        EXPECT_EQ(use.Utf8On, c.accepted) << int(c.charset) << c.accepted;
    }
}

// Facts an entry needs that the server can give but does not give now are
// asked for with OPTS MLST; facts of no use here are not.
TEST(FtpFeatureUse, MissingMlstFactsAreAskedFor)
{
    const struct {
        const char *feat;
        const char *options;
    } cases[] = {
        {"211-Features:\r\n MLST type*;size*;modify*;\r\n211 End\r\n", ""},
        {"211-Features:\r\n MLST type*;perm*;size*;modify*;unique*;unix.mode;unix.uid;unix.gid;\r\n211 End\r\n",
         "type;size;modify;unix.mode;unix.uid;unix.gid;"},
        {"211-Features:\r\n MLST Type*;Size;Modify*;Perm;\r\n211 End\r\n", "type;size;modify;"},
        {"211-Features:\r\n MLSD\r\n211 End\r\n", ""},
        {"211-Features:\r\n SIZE\r\n211 End\r\n", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecideFeatureUse(ParseFeatReply(QByteArrayView(c.feat)), TMFtpNameCharset::Auto).MlstOptions,
                  QByteArray(c.options))
            << c.feat;
}

// PASV and PORT cannot carry an IPv6 address: an IPv6 session uses EPSV and
// EPRT even when FEAT is missing or does not name them.
TEST(FtpFeatureUse, ExtendedDataCommandsFollowTheControlConnection)
{
    const char *const feats[] = {"500 Unknown command.\r\n", "211-Features:\r\n SIZE\r\n211 End\r\n", FullFeat};
    for (const char *feat : feats) {
        EXPECT_TRUE(DecideFeatureUse(ParseFeatReply(QByteArrayView(feat)), TMFtpNameCharset::Auto, true).ExtendedData)
            << feat;
        EXPECT_FALSE(DecideFeatureUse(ParseFeatReply(QByteArrayView(feat)), TMFtpNameCharset::Auto, false).ExtendedData)
            << feat;
    }
}

TEST(FtpFeatureUse, DescribedInOneLine)
{
    TFtpFeatureUse use = DecideFeatureUse(ParseFeatReply(QByteArrayView(FullFeat)), TMFtpNameCharset::Auto, true);
    ApplyOptsUtf8Reply(use, TMFtpNameCharset::Auto, true);
    EXPECT_EQ(DescribeFeatureUse(use), QStringLiteral("Using MLSD, UTF-8 names, SIZE, REST STREAM, EPSV, EPRT"));
    use = DecideFeatureUse(ParseFeatReply(QByteArrayView("211-Features:\r\n UTF8\r\n211 End\r\n")),
                           TMFtpNameCharset::Gbk);
    EXPECT_EQ(DescribeFeatureUse(use), QStringLiteral("Using LIST, GBK names"));
    use = DecideFeatureUse(ParseFeatReply(QByteArrayView("211-Features:\r\n MLSD\r\n211 End\r\n")),
                           TMFtpNameCharset::Auto);
    EXPECT_EQ(DescribeFeatureUse(use), QStringLiteral("Using MLSD, names as listed"));
}

TEST(FtpFeatureUse, MlsdRefusalsAreTheNotImplementedReplies)
{
    const struct {
        const char *reply;
        bool refusal;
    } cases[] = {
        {"500 Unknown command.", true}, {"501 Syntax error.", true}, {"502 Not implemented.", true},
        {"504 Not for that.", true},    {"550 No such folder.", false}, {"425 Cannot open data.", false},
        {"226 Done.", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsMlsdRefusal(c.reply), c.refusal) << c.reply;
}

TEST(FtpFeatureUse, NamesDecodedByTheSitesCharset)
{
    const QString chinese = QString::fromUtf8("中文.txt");
    const QByteArray utf8 = chinese.toUtf8();
    const QByteArray gbk = platform::toGbk(chinese);
    ASSERT_NE(utf8, gbk);
    using C = TMFtpNameCharset;
    const struct {
        QByteArray bytes;
        C charset;
        bool shownAsChinese;
    } cases[] = {
        {utf8, C::Auto, true}, {gbk, C::Auto, true},  {utf8, C::Utf8, true},
        {gbk, C::Gbk, true},   {utf8, C::Gbk, false}, // GBK forced even on valid UTF-8
        {gbk, C::Utf8, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecodeRemoteName(c.bytes, c.charset) == chinese, c.shownAsChinese)
            << c.bytes.toHex().constData() << " " << int(c.charset);
    EXPECT_EQ(DecodeRemoteName(utf8, C::Gbk), platform::fromGbk(utf8));
}

TEST(FtpFeatureUse, NamesEncodedByTheSessionsEncoding)
{
    const QString chinese = QString::fromUtf8("新建文件夹");
    EXPECT_EQ(EncodeRemoteName(chinese, TMFtpNameEncoding::Utf8), chinese.toUtf8());
    EXPECT_EQ(EncodeRemoteName(chinese, TMFtpNameEncoding::Gbk), platform::toGbk(chinese));
    EXPECT_EQ(EncodeRemoteName(chinese, TMFtpNameEncoding::Gbk),
              QByteArray("\xD0\xC2\xBD\xA8\xCE\xC4\xBC\xFE\xBC\xD0"));
}

} // namespace
