#include "engine/FtpReplyAssembler.h"

#include <gtest/gtest.h>

#include <QList>

namespace {

QList<QByteArray> FeedAll(FtpReplyAssembler &a, const QList<QByteArray> &chunks)
{
    QList<QByteArray> replies;
    for (const QByteArray &chunk : chunks) {
        a.append(chunk);
        while (auto r = a.nextReply())
            replies.append(*r);
    }
    return replies;
}

struct Transcript {
    const char *name;
    QByteArray bytes;
    QList<QByteArray> replies;
};

const QList<Transcript> &Transcripts()
{
    static const QList<Transcript> cases = {
        {"single", "220 Ready\r\n", {"220 Ready"}},
        {"two replies", "331 Password\r\n230 Logged in\r\n", {"331 Password", "230 Logged in"}},
        {"multi-line greeting reaches the handler once, as its last line",
         "220-Welcome\r\n220-Second\r\nplain text\r\n 220 indented\r\n220 Ready\r\n", {"220 Ready"}},
        {"another code with a hyphen inside a multi-line reply is skipped",
         "220-Welcome\r\n230-not the end\r\n230 still not\r\n220 End\r\n", {"220 End"}},
        {"empty lines are ignored", "\r\n\r\n200 OK\r\n", {"200 OK"}},
        {"short lines are final replies", "22\r\n200 OK\r\n", {"22", "200 OK"}},
        {"lone LF and CR stay inside the line", "200 a\nb\rc\r\n", {"200 a\nb\rc"}},
        {"unterminated tail waits", "200 OK\r\n226 Trans", {"200 OK"}},
        {"zero bytes are dropped", QByteArray("2\0" "00 OK\r\n", 9), {"200 OK"}},
        {"multi-line reply after a plain one",
         "200 OK\r\n211-Features:\r\n SIZE\r\n211 End\r\n", {"200 OK", "211 End"}},
    };
    return cases;
}

TEST(FtpReplyAssembler, TranscriptsInOneChunk)
{
    for (const Transcript &t : Transcripts()) {
        FtpReplyAssembler a;
        EXPECT_EQ(FeedAll(a, {t.bytes}), t.replies) << t.name;
    }
}

// The same bytes split at every possible offset, and byte by byte, must give
// the same replies.
TEST(FtpReplyAssembler, TranscriptsSplitAtEveryOffset)
{
    for (const Transcript &t : Transcripts()) {
        for (qsizetype cut = 0; cut <= t.bytes.size(); ++cut) {
            FtpReplyAssembler a;
            EXPECT_EQ(FeedAll(a, {t.bytes.left(cut), t.bytes.mid(cut)}), t.replies)
                << t.name << " cut at " << cut;
        }
        QList<QByteArray> bytes;
        for (char c : t.bytes)
            bytes.append(QByteArray(1, c));
        FtpReplyAssembler a;
        EXPECT_EQ(FeedAll(a, bytes), t.replies) << t.name << " byte by byte";
    }
}

TEST(FtpReplyAssembler, MultiLineStateIsVisible)
{
    FtpReplyAssembler a;
    a.append("220-Welcome\r\n");
    EXPECT_FALSE(a.nextReply());
    EXPECT_TRUE(a.inMultiLine());
    EXPECT_EQ(a.multiLineCode(), QByteArray("220"));
    a.append("220 Ready\r\n");
    EXPECT_EQ(a.nextReply(), QByteArray("220 Ready"));
    EXPECT_FALSE(a.inMultiLine());
}

TEST(FtpReplyAssembler, MegabyteWithoutLineEndStaysBounded)
{
    FtpReplyAssembler a;
    const QByteArray block(4092, 'x');
    qsizetype most = 0;
    int tooLong = 0;
    for (int i = 0; i < 256; ++i) {
        a.append(block);
        EXPECT_FALSE(a.nextReply());
        tooLong += a.takeLineTooLong() ? 1 : 0;
        most = qMax(most, a.pendingBytes());
    }
    EXPECT_EQ(tooLong, 1);
    EXPECT_LE(most, FtpReplyAssembler::MaxLineLength + block.size());
    // The rest of the overlong line is skipped; the next line is read again.
    a.append("yyy\r\n200 OK\r\n");
    EXPECT_EQ(a.nextReply(), QByteArray("200 OK"));
    EXPECT_FALSE(a.takeLineTooLong());
}

TEST(FtpReplyAssembler, EndlessMultiLineReplyIsGivenUp)
{
    FtpReplyAssembler a;
    a.append("220-Welcome\r\n");
    const QByteArray lines = QByteArray("220-and again\r\n").repeated(256);
    qsizetype fed = 0;
    bool gaveUp = false;
    while (!gaveUp && fed < 4 * FtpReplyAssembler::MaxReplyLength) {
        a.append(lines);
        fed += lines.size();
        EXPECT_FALSE(a.nextReply());
        gaveUp = a.takeReplyTooLong();
        EXPECT_LE(a.pendingBytes(), lines.size());
    }
    EXPECT_TRUE(gaveUp);
    EXPECT_GT(fed, FtpReplyAssembler::MaxReplyLength);
    EXPECT_LE(fed, FtpReplyAssembler::MaxReplyLength + lines.size());
    EXPECT_FALSE(a.takeReplyTooLong());
}

TEST(FtpReplyAssembler, LongMultiLineReplyBelowTheCapArrivesWhole)
{
    FtpReplyAssembler a;
    a.append("211-Features\r\n" + QByteArray(" FEAT\r\n").repeated(10000) + "211 End\r\n");
    EXPECT_EQ(a.nextReply(), QByteArray("211 End"));
    EXPECT_FALSE(a.takeReplyTooLong());
}

TEST(FtpReplyAssembler, OverlongLineInOneChunkIsDropped)
{
    FtpReplyAssembler a;
    a.append(QByteArray(FtpReplyAssembler::MaxLineLength + 10, 'z') + "\r\n200 OK\r\n");
    EXPECT_EQ(a.nextReply(), QByteArray("200 OK"));
    EXPECT_TRUE(a.takeLineTooLong());
}

TEST(FtpReplyAssembler, OverlongLineEndingInSplitCrLf)
{
    FtpReplyAssembler a;
    a.append(QByteArray(FtpReplyAssembler::MaxLineLength + 10, 'z') + "\r");
    EXPECT_FALSE(a.nextReply());
    a.append("\n200 OK\r\n");
    EXPECT_EQ(a.nextReply(), QByteArray("200 OK"));
}

TEST(FtpReplyAssembler, ResetForgetsTailAndMultiLineState)
{
    FtpReplyAssembler a;
    a.append("220-Welcome\r\n220 unfinis");
    EXPECT_FALSE(a.nextReply());
    a.reset();
    a.append("hed\r\n331 Next\r\n");
    EXPECT_EQ(a.nextReply(), QByteArray("hed"));
    EXPECT_EQ(a.nextReply(), QByteArray("331 Next"));
}

} // namespace

TEST(FtpReplyAssembler, LinesOfTheLastReplyAreKept)
{
    FtpReplyAssembler a;
    a.append("200 Plain.\r\n211-Features:\r\n MLST type*;\r\n\r\n UTF8\r\n211 End\r\n");
    ASSERT_EQ(a.nextReply(), std::optional<QByteArray>("200 Plain."));
    EXPECT_EQ(a.lastReplyLines(), QList<QByteArray>{"200 Plain."});
    ASSERT_EQ(a.nextReply(), std::optional<QByteArray>("211 End"));
    EXPECT_EQ(a.lastReplyLines(), (QList<QByteArray>{"211-Features:", " MLST type*;", " UTF8", "211 End"}));
}
