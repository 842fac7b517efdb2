#include "services/Feedback.h"

#include "../support/PrintQString.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace services;

namespace {

QDateTime at(int y, int mo, int d, int h, int mi)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi));
}

FeedbackMessage message(const char *title, const char *email, const char *text)
{
    FeedbackMessage m;
    m.title = QString::fromUtf8(title);
    m.email = QString::fromUtf8(email);
    m.text = QString::fromUtf8(text);
    m.home = QStringLiteral("0123456789ABCD");
    m.time = at(2024, 5, 1, 9, 7);
    return m;
}

} // namespace

TEST(FormEncode, KeepsOnlyLettersAndDigits)
{
    const struct { QByteArray in; QByteArray out; } cases[] = {
        {"azAZ09", "azAZ09"},
        {"a b", "a+b"},
        {"\n", "%0A"},
        {"&nbsp;", "%26nbsp%3B"},
        {"<br>", "%3Cbr%3E"},
        {"-._~*'()!", "%2D%2E%5F%7E%2A%27%28%29%21"},
        {"%+=", "%25%2B%3D"},
        {QByteArray("\x00\x7F\x80\xFF", 4), "%00%7F%80%FF"},
        {QByteArray::fromHex("B2FAC6B7"), "%B2%FA%C6%B7"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormEncode(c.in), c.out) << c.in.toHex().constData();
}

TEST(FeedbackBody, ByteForByte)
{
    const struct { FeedbackMessage m; QByteArray body; } cases[] = {
        // A blank inside the text, then a line break.
        {message("Hi", "a@b.cn", "a b\nc"),
         "user=vexlo&email=a%40b%2Ecn&title=Hi&text=a%26nbsp%3Bb%3Cbr%3E%0Ac&image=on&home=0123456789ABCD"
         "&time=2024%2D05%2D01%26nbsp%3B09%3A07"},
        // A line break typed as CR LF gives the same bytes.
        {message("Hi", "a@b.cn", "a b\r\nc"),
         "user=vexlo&email=a%40b%2Ecn&title=Hi&text=a%26nbsp%3Bb%3Cbr%3E%0Ac&image=on&home=0123456789ABCD"
         "&time=2024%2D05%2D01%26nbsp%3B09%3A07"},
        // Blanks leave the contact; the subject's blank becomes '+'; GBK bytes.
        {message("产品反馈 2", " me @ example.com ", "你好 世界"),
         "user=vexlo&email=me%40example%2Ecom&title=%B2%FA%C6%B7%B7%B4%C0%A1+2"
         "&text=%C4%E3%BA%C3%26nbsp%3B%CA%C0%BD%E7&image=on&home=0123456789ABCD"
         "&time=2024%2D05%2D01%26nbsp%3B09%3A07"},
        // Empty contact; two line breaks; characters of the form syntax.
        {message("a&b=c", "", "x\n\n%y"),
         "user=vexlo&email=&title=a%26b%3Dc&text=x%3Cbr%3E%0A%3Cbr%3E%0A%25y&image=on&home=0123456789ABCD"
         "&time=2024%2D05%2D01%26nbsp%3B09%3A07"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FeedbackBody(c.m), c.body) << c.m.text.toStdString();
}

TEST(FeedbackBody, TimeIsTwentyFourHour)
{
    FeedbackMessage m = message("t", "", "x");
    m.time = at(1999, 12, 31, 23, 59);
    EXPECT_TRUE(FeedbackBody(m).endsWith("&time=1999%2D12%2D31%26nbsp%3B23%3A59"));
}

TEST(FeedbackAnswer, OnlyAWholeLineCounts)
{
    const QByteArray gbk = QByteArray::fromHex("C1F4D1D4B3C9B9A6"); // 留言成功
    const QByteArray utf8 = QByteArrayLiteral("留言成功");
    const struct { QByteArray answer; bool success; } cases[] = {
        {utf8, true},
        {gbk, true},
        {"<html>\r\n" + gbk + "\r\n</html>", true},
        {"first line\n" + utf8 + "\n", true},
        {"\xEF\xBB\xBF" + utf8, true},
        {utf8 + "!", false},
        {" " + utf8, false},
        {"<p>" + utf8 + "</p>", false},
        {"", false},
        {"error", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FeedbackSucceeded(c.answer), c.success) << c.answer.toHex().constData();
}

TEST(FeedbackContact, MailAddressesMustBeWellFormed)
{
    const struct { const char *contact; bool ok; } cases[] = {
        {"", true},
        {"QQ 123456", true},
        {"13800138000", true},
        {"me@example.com", true},
        {" me @ example . com", true},
        {"me@mail.example.com.cn", true},
        {"me@", false},
        {"@example.com", false},
        {"me@example", false},
        {"me@@example.com", false},
        {"me@example.", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ContactAcceptable(QString::fromUtf8(c.contact)), c.ok) << c.contact;
}

TEST(FeedbackIdentity, FourteenHexDigitsTheSameEachTime)
{
    const QString id = FeedbackIdentity();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{14}$")).match(id).hasMatch()) << id.toStdString();
    EXPECT_EQ(FeedbackIdentity(), id);
    // Sent unencoded: only letters and digits, so FormEncode would not change it.
    EXPECT_EQ(FormEncode(id.toLatin1()), id.toLatin1());
}
