// Servers that misbehave: the engine reports an error, ends the attempt and
// stays usable for the next login. It never crashes, hangs or hoards memory.

#include "EngineTestKit.h"

#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

using namespace enginetest;
using testsupport::ScriptedFtpServer;
using testsupport::waitUntil;

namespace {

class HostileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetUpForTest(ftp, hostile.port());
        rec.attach(ftp);
        good.scriptStandardSession();
    }

    // The attempt against the hostile server has ended with an error, and a
    // login to a well-behaved server with the same engine then succeeds.
    void ExpectErrorThenUsable(FtpError expected)
    {
        ftp.Login();
        ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); })) << rec.dump().toStdString();
        EXPECT_EQ(rec.count(expected), 1) << rec.dump().toStdString();
        EXPECT_FALSE(ftp.Connecting());
        EXPECT_FALSE(ftp.Connected());
        ASSERT_TRUE(waitUntil([&] { return !ftp.Busy(); }));

        Recorder after;
        after.attach(ftp);
        ftp.SetPort(good.port());
        ftp.Login();
        ASSERT_TRUE(WaitLoginOver(ftp, after)) << after.dump().toStdString();
        EXPECT_TRUE(ftp.LoggedIn()) << after.dump().toStdString();
        EXPECT_TRUE(after.errors.isEmpty()) << after.dump().toStdString();
    }

    testsupport::CoreApplicationGuard app;
    ScriptedFtpServer hostile;
    ScriptedFtpServer good;
    TMFtp ftp;
    Recorder rec;
};

TEST_F(HostileTest, GarbageGreeting)
{
    QByteArray garbage(3000, '\0');
    QRandomGenerator rng(42);
    for (char &c : garbage)
        c = char(rng.bounded(256));
    garbage.replace("\r\n", "xx");
    hostile.setGreeting(garbage + "\r\n");
    ExpectErrorThenUsable(errorServerRefused);
}

TEST_F(HostileTest, MegabyteLineWithoutLineEnd)
{
    hostile.setGreeting(QByteArray(1 << 20, 'A'));
    ExpectErrorThenUsable(errorCommandFailed);
    EXPECT_TRUE(rec.has(QStringLiteral("error errorCommandFailed Reply line too long")));
    // Each chunk of text was reported as it came; none of them is large.
    qsizetype longest = 0;
    for (const QString &line : rec.lines)
        longest = qMax(longest, line.size());
    EXPECT_LT(longest, 8192);
}

TEST_F(HostileTest, CloseInTheMiddleOfMultiLineGreeting)
{
    hostile.setGreeting("220-Welcome\r\n220-to a server that hangs up\r\n220", true);
    ExpectErrorThenUsable(errorConnectionReset);
}

TEST_F(HostileTest, CloseInTheMiddleOfMultiLineReplyToUser)
{
    hostile.scriptStandardSession();
    hostile.setReply("USER", "331-Password\r\n331-more to come", true);
    ExpectErrorThenUsable(errorConnectionReset);
    EXPECT_EQ(hostile.verbs(), QList<QByteArray>{"USER"});
}

TEST_F(HostileTest, EndlessMultiLineReplyIsAbortable)
{
    // "220-" and then lines that never close the reply.
    hostile.setGreeting("220-hello\r\n" + QByteArray("220-again\r\n").repeated(20000));
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return hostile.connectionCount() == 1; }));
    testsupport::pumpFor(200);
    EXPECT_TRUE(ftp.Connecting());
    ftp.Abort();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); })) << rec.dump().toStdString();
    EXPECT_FALSE(ftp.Connecting());
}

TEST_F(HostileTest, ReplyBeforeAnyCommandIsIgnoredWhenIdle)
{
    hostile.scriptStandardSession();
    ftp.Login();
    ASSERT_TRUE(WaitLoginOver(ftp, rec));
    ASSERT_TRUE(ftp.LoggedIn());
    hostile.send("200 unsolicited\r\n550 more\r\n\x01\x02garbage\r\n");
    testsupport::pumpFor(100);
    EXPECT_TRUE(ftp.Connected());
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
    ftp.ChangeDirectory("/pub");
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event DirectoryChanged")); }));
    EXPECT_TRUE(ftp.ChangeDirOK());
}

} // namespace
