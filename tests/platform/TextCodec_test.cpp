#include "platform/TextCodec.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(TextCodec, GbkRoundTrip)
{
    const QString text = QStringLiteral("欢迎您使用 BramblewayFTP软件");
    const QByteArray gbk = toGbk(text);
    // 欢 is BB B6 in GBK.
    EXPECT_EQ(gbk.left(2), QByteArray("\xBB\xB6"));
    EXPECT_EQ(fromGbk(gbk), text);
}

TEST(TextCodec, CharacterWithoutGbkFormBecomesOneQuestionMark)
{
    EXPECT_EQ(toGbk(QStringLiteral("a\U0001F600b中")), QByteArray("a?b\xD6\xD0"));
}

TEST(TextCodec, InvalidGbkDoesNotThrowAwayTheRest)
{
    const QString s = fromGbk(QByteArray("ab\xFF" "cd"));
    EXPECT_TRUE(s.startsWith(QLatin1String("ab")));
    EXPECT_TRUE(s.endsWith(QLatin1String("cd")));
    // truncated double-byte character at the end
    EXPECT_TRUE(fromGbk(QByteArray("x\xD6")).startsWith(QLatin1Char('x')));
}

TEST(TextCodec, Utf8Validity)
{
    struct { QByteArray bytes; bool valid; } cases[] = {
        {"", true},
        {"plain", true},
        {"\xE4\xB8\xAD\xE6\x96\x87", true},       // 中文
        {"\xD6\xD0\xCE\xC4", false},              // 中文 in GBK
        {"\xE4\xB8", false},                      // truncated
        {"\xC0\x80", false},                      // overlong NUL
        {"\xED\xA0\x80", false},                  // surrogate
        {"\xF0\x9F\x98\x80", true},               // emoji
        {"\xF4\x90\x80\x80", false},              // beyond U+10FFFF
    };
    for (const auto &c : cases)
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes.toHex().constData();
}

TEST(TextCodec, RemoteNamesDecodeEitherWay)
{
    EXPECT_EQ(decodeRemoteName("\xE4\xB8\xAD\xE6\x96\x87"), QStringLiteral("中文"));
    EXPECT_EQ(decodeRemoteName("\xD6\xD0\xCE\xC4"), QStringLiteral("中文"));
}
