#include "sites/Seal.h"

#include "../support/PrintQString.h"

#include <gtest/gtest.h>

using namespace sites;

TEST(Seal, AbcIsFortyDigitsAndOpensAgain)
{
    const QString key = QStringLiteral("K3Y-0123456789");
    const QString sealed = SealString(QStringLiteral("abc"), key);
    EXPECT_EQ(sealed.size(), 40);
    EXPECT_TRUE(sealed.startsWith(QLatin1String("03000000")));
    EXPECT_EQ(sealed, sealed.toUpper());
    QString back;
    ASSERT_TRUE(UnsealString(sealed, key, &back));
    EXPECT_EQ(back, QStringLiteral("abc"));
}

TEST(Seal, LengthsAndBlocks)
{
    const QString key = SiteBookKey();
    struct { int bytes; int digits; } cases[] = {{1, 40}, {15, 40}, {16, 40}, {17, 72}, {32, 72}, {33, 104}};
    for (const auto &c : cases) {
        const QString text(c.bytes, QLatin1Char('p'));
        const QString sealed = SealString(text, key);
        EXPECT_EQ(sealed.size(), c.digits) << c.bytes;
        QString back;
        ASSERT_TRUE(UnsealString(sealed, key, &back)) << c.bytes;
        EXPECT_EQ(back, text);
    }
}

TEST(Seal, ChineseTextIsSealedAsGbk)
{
    const QString key = HistoryKey();
    const QString text = QStringLiteral("密码：云端『测试』");
    const QString sealed = SealString(text, key);
    // 9 characters, all double-byte in GBK.
    EXPECT_TRUE(sealed.startsWith(QLatin1String("12000000")));
    EXPECT_EQ(UnsealOrEmpty(sealed, key), text);
}

// FIPS-197 appendix C.1: AES-128 of 00112233..eeff under 00010203..0e0f.
TEST(Seal, KnownVectorLayout)
{
    const QByteArray key = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
    const QByteArray plain = QByteArray::fromHex("00112233445566778899aabbccddeeff");
    EXPECT_EQ(SealBytes(plain, key), QByteArray("10000000" "69C4E0D86A7B0430D8CDB78070B4C55A"));
    // A short key is filled with zero bytes, a long one cut to 16 bytes.
    EXPECT_EQ(SealBytes(plain, key + "tail"), SealBytes(plain, key));
    QByteArray back;
    QString error;
    ASSERT_TRUE(UnsealBytes("10000000" "69c4e0d86a7b0430d8cdb78070b4c55a", key, &back, &error));
    EXPECT_EQ(back, plain);
}

// FIPS-197 appendix B, and a partial block: zero filling before enciphering.
TEST(Seal, PartialBlockIsFilledWithZeros)
{
    const QByteArray key = QByteArray::fromHex("2b7e151628aed2a6abf7158809cf4f3c");
    const QByteArray full = QByteArray::fromHex("3243f6a8885a308d313198a2e0370734");
    EXPECT_EQ(SealBytes(full, key), QByteArray("10000000" "3925841D02DC09FBDC118597196A0B32"));
    const QByteArray sealedShort = SealBytes(QByteArray::fromHex("3243f6a8"), key);
    const QByteArray filled = SealBytes(QByteArray::fromHex("3243f6a8000000000000000000000000"), key);
    EXPECT_EQ(sealedShort.left(8), QByteArray("04000000"));
    EXPECT_EQ(sealedShort.mid(8), filled.mid(8));
}

TEST(Seal, BadSealedTextsFailWithoutCrashing)
{
    const QString key = SiteBookKey();
    struct { const char *sealed; const char *error; } cases[] = {
        {"00000000", "Invalid buffer size for decryption"},
        {"", "Invalid buffer size for decryption"},
        {"030000", "Invalid buffer size for decryption"},
        {"03000000ABCD", "Invalid buffer size for decryption"},
        {"0300000G0102030405060708090A0B0C0D0E0F10", "Invalid hexadecimal text"},
        {"FFFFFFFF000102030405060708090A0B0C0D0E0F", "Invalid length of sealed text"},
        {"引号", "Invalid hexadecimal text"},
    };
    for (const auto &c : cases) {
        QString text = QStringLiteral("unchanged");
        QString error;
        EXPECT_FALSE(UnsealString(QString::fromUtf8(c.sealed), key, &text, &error)) << c.sealed;
        EXPECT_EQ(error, QString::fromLatin1(c.error)) << c.sealed;
        EXPECT_EQ(text, QStringLiteral("unchanged"));
        EXPECT_TRUE(UnsealOrEmpty(QString::fromUtf8(c.sealed), key).isEmpty());
    }
}

TEST(Seal, AnotherMachinesKeyShowsEmpty)
{
    const QString other = QStringLiteral("OTHERMACHINE01");
    // Texts whose last block has filling: a wrong key shows in the filling.
    for (const char *text : {"demo", "a much longer password!", "x", "0123456789abcde"}) {
        const QString sealed = SealString(QString::fromLatin1(text), other);
        EXPECT_TRUE(UnsealOrEmpty(sealed, SiteBookKey()).isEmpty()) << text;
        EXPECT_EQ(UnsealOrEmpty(sealed, other), QString::fromLatin1(text));
    }
}

TEST(Seal, KeysAreStablePerMachineTexts)
{
    EXPECT_EQ(SiteBookKey().size(), 14);
    EXPECT_EQ(HistoryKey().size(), 16);
    EXPECT_EQ(SiteBookKey(), SiteBookKey());
    EXPECT_NE(SiteBookKey(), HistoryKey().left(14));
}
