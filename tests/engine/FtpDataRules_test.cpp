#include "engine/FtpDataRules.h"

#include "support/PrintQString.h"

#include <gtest/gtest.h>

#include <QList>

namespace {

struct PasvCase {
    const char *reply;
    bool ok;
    const char *address;
    int port;
};

class PasvTest : public ::testing::TestWithParam<PasvCase> {};

TEST_P(PasvTest, Parses)
{
    const PasvCase &c = GetParam();
    QString address;
    quint16 port = 0;
    ASSERT_EQ(ParsePasvReply(c.reply, &address, &port), c.ok) << c.reply;
    if (c.ok) {
        EXPECT_EQ(address, QString::fromLatin1(c.address));
        EXPECT_EQ(port, c.port);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, PasvTest,
    ::testing::Values(PasvCase {"227 Entering Passive Mode (192,168,1,2,19,137).", true, "192.168.1.2", 5001},
                      PasvCase {"227 Entering Passive Mode ( 127,0,0,1,4,1 )", true, "127.0.0.1", 1025},
                      PasvCase {"227 =(10,0,0,5,255,255,9,9)", true, "10.0.0.5", 65535}, // surplus ignored
                      PasvCase {"227 Entering Passive Mode (10,0,0,5,4)", false, "", 0},
                      PasvCase {"227 Entering Passive Mode 10,0,0,5,4,1", false, "", 0},
                      PasvCase {"227 (10,0,0,256,4,1)", false, "", 0},
                      PasvCase {"227 (10,0,x,5,4,1)", false, "", 0},
                      PasvCase {"227 (10,0,-1,5,4,1)", false, "", 0}));

TEST(PortArgument, AddressAndPortBytes)
{
    EXPECT_EQ(PortArgument(QStringLiteral("10.0.0.5"), 1025), QByteArray("10,0,0,5,4,1"));
    EXPECT_EQ(PortArgument(QStringLiteral("127.0.0.1"), 65535), QByteArray("127,0,0,1,255,255"));
}

TEST(RetrSizeText, TakesTheCountAfterTheLastParenthesis)
{
    EXPECT_EQ(RetrSizeText("150 Opening BINARY mode data connection for a (b) (1234 bytes)."), QByteArray("1234"));
    EXPECT_EQ(RetrSizeText("150 File status okay. About to open data connection."), QByteArray());
    EXPECT_EQ(RetrSizeText("150 Opening (1234"), QByteArray());
}

TEST(SizeReply, SixtyFourBitSizesAndJunk)
{
    EXPECT_EQ(ParseSizeReply("213 5368709120"), std::optional<qint64>(5368709120LL));
    EXPECT_EQ(ParseSizeReply("213 0"), std::optional<qint64>(0));
    EXPECT_EQ(ParseSizeReply("213 12 bytes"), std::nullopt);
    EXPECT_EQ(ParseSizeReply("213 -5"), std::nullopt);
    EXPECT_EQ(ParseSizeReply("213 "), std::nullopt);
    EXPECT_EQ(ParseSizeReply("213 99999999999999999999"), std::nullopt);
}

QList<QByteArray> Split(const QList<QByteArray> &chunks)
{
    ListingLineSplitter splitter;
    QList<QByteArray> lines;
    for (const QByteArray &chunk : chunks) {
        splitter.append(chunk.constData(), chunk.size());
        while (std::optional<QByteArray> line = splitter.nextLine())
            lines.append(*line);
    }
    const QByteArray rest = splitter.takeRest();
    if (!rest.isEmpty())
        lines.append(rest);
    return lines;
}

TEST(ListingLineSplitter, LineEnds)
{
    using L = QList<QByteArray>;
    EXPECT_EQ(Split({"a\r\nb\r\n"}), (L {"a", "b"}));
    EXPECT_EQ(Split({"a\nb\n"}), (L {"a", "b"}));
    EXPECT_EQ(Split({"a\r\nb"}), (L {"a", "b"}));            // last line without its end
    EXPECT_EQ(Split({"a\r", "\nb\r", "\n"}), (L {"a", "b"})); // CR LF split across reads
    EXPECT_EQ(Split({"a\rb\n"}), (L {"a\rb"}));              // a lone CR stays in the line
    EXPECT_EQ(Split({QByteArray("a\0b\n", 4)}), (L {"ab"}));
    EXPECT_EQ(Split({"\r\n\r\n"}), (L {"", ""}));
}

TEST(ListingLineSplitter, OverlongLinesAreSkipped)
{
    using L = QList<QByteArray>;
    const qsizetype max = ListingLineSplitter::MaxLineLength;
    const QByteArray longLine(max + 1, 'x');
    const struct {
        const char *name;
        QList<QByteArray> chunks;
        L lines;
        bool tooLong;
    } cases[] = {
        {"in one chunk", {"a\n" + longLine + "\nb\n"}, {"a", "b"}, true},
        {"split", {"a\n" + longLine.left(max / 2), longLine.mid(max / 2) + "\r", "\nb\n"}, {"a", "b"}, true},
        {"at the end", {"a\n" + longLine}, {"a"}, true},
        {"exactly the limit", {QByteArray(max, 'y') + "\r\nb"}, {QByteArray(max, 'y'), "b"}, false},
    };
    for (const auto &c : cases) {
        ListingLineSplitter splitter;
        L lines;
        for (const QByteArray &chunk : c.chunks) {
            splitter.append(chunk.constData(), chunk.size());
            while (std::optional<QByteArray> line = splitter.nextLine())
                lines.append(*line);
        }
        if (const QByteArray rest = splitter.takeRest(); !rest.isEmpty())
            lines.append(rest);
        EXPECT_EQ(lines, c.lines) << c.name;
        EXPECT_EQ(splitter.takeLineTooLong(), c.tooLong) << c.name;
    }
}

// 200 MiB without a line feed: what is held never grows past the limit and
// one block, and the next line is read as usual.
TEST(ListingLineSplitter, EndlessLineStaysBounded)
{
    ListingLineSplitter splitter;
    const QByteArray block(256 * 1024, 'z');
    qsizetype most = 0;
    for (int i = 0; i < 800; ++i) {
        splitter.append(block.constData(), block.size());
        EXPECT_FALSE(splitter.nextLine());
        most = qMax(most, splitter.pendingBytes());
    }
    EXPECT_LE(most, ListingLineSplitter::MaxLineLength + block.size());
    EXPECT_TRUE(splitter.takeLineTooLong());
    splitter.append("tail\r\nnext\r\n", 12);
    EXPECT_EQ(splitter.nextLine(), QByteArray("next"));
    EXPECT_FALSE(splitter.takeLineTooLong());
}

} // namespace
