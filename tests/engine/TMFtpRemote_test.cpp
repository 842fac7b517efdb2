#include "EngineTestKit.h"

#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

using namespace enginetest;
using testsupport::ScriptedFtpServer;
using testsupport::waitUntil;

namespace {

class DirectoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server.scriptStandardSession();
        SetUpForTest(ftp, server.port());
        rec.attach(ftp);
        ftp.Login();
        ASSERT_TRUE(WaitLoginOver(ftp, rec));
        ASSERT_TRUE(ftp.LoggedIn());
        loginBytes = server.received().size();
        rec.lines.clear();
    }

    QByteArray Sent() const { return server.received().mid(loginBytes); }

    testsupport::CoreApplicationGuard app;
    ScriptedFtpServer server;
    TMFtp ftp;
    Recorder rec;
    qsizetype loginBytes = 0;
};

TEST_F(DirectoryTest, CwdReplyQuotingTheDirectoryNeedsNoPwd)
{
    server.setReply("CWD", "250 \"/pub/x\" is the current directory.\r\n");
    ftp.ChangeDirectory("pub/x");
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event DirectoryChanged")); }));
    EXPECT_EQ(Sent(), QByteArray("CWD pub/x\r\n"));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/pub/x"));
    EXPECT_TRUE(ftp.ChangeDirOK());
    EXPECT_EQ(rec.lines.first(), QStringLiteral("event Busy"));
    EXPECT_EQ(rec.lines.indexOf(QStringLiteral("event DirectoryChanged")),
              rec.lines.indexOf(QStringLiteral("event Ready")) + 1);
}

TEST_F(DirectoryTest, CwdWithoutQuoteAsksPwd)
{
    server.setReply("PWD", "257 \"/\xd6\xd0\xce\xc4\"\r\n"); // GBK bytes stay as they are
    ftp.ChangeDirectory("\xd6\xd0\xce\xc4");
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event DirectoryChanged")); }));
    EXPECT_EQ(Sent(), QByteArray("CWD \xd6\xd0\xce\xc4\r\nPWD\r\n"));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/\xd6\xd0\xce\xc4"));
}

TEST_F(DirectoryTest, FailedCwdReportsThenStillCompletes)
{
    server.setReply("CWD", "550 No such directory.\r\n");
    ftp.ChangeDirectory("/nope");
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event DirectoryChanged")); }));
    EXPECT_FALSE(ftp.ChangeDirOK());
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/"));
    const qsizetype error = rec.lines.indexOf(QStringLiteral("error errorAccessDenied Access denied or file not found"));
    ASSERT_GE(error, 0) << rec.dump().toStdString();
    EXPECT_LT(error, rec.lines.indexOf(QStringLiteral("event Ready")));
    EXPECT_FALSE(ftp.Busy());
    EXPECT_EQ(ftp.Operation(), opNone);
    EXPECT_TRUE(ftp.ErrorText().isEmpty());
}

TEST_F(DirectoryTest, CdupSendsTheVerbWithATrailingBlank)
{
    server.setReply("CDUP", "250 OK.\r\n");
    server.setReply("PWD", "257 \"/\"\r\n");
    ftp.ChangeDirectoryUp();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event DirectoryChanged")); }));
    EXPECT_EQ(Sent(), QByteArray("CDUP \r\nPWD\r\n"));
}

TEST_F(DirectoryTest, SynchronousUseReturnsAfterTheReadyMessage)
{
    server.setReply("CWD", "250 \"/sync\"\r\n");
    ftp.SetAsynchronous(false);
    ftp.ChangeDirectory("/sync");
    EXPECT_FALSE(ftp.Busy());
    EXPECT_TRUE(rec.has(QStringLiteral("event DirectoryChanged")));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/sync"));
}

TEST_F(DirectoryTest, AsynchronousIsKeptWhileBusy)
{
    server.setReply("CWD", "");
    ftp.ChangeDirectory("/slow");
    ASSERT_TRUE(ftp.Busy());
    ftp.SetAsynchronous(false);
    EXPECT_TRUE(ftp.Asynchronous());
}

TEST_F(DirectoryTest, ServerClosingDuringAnOperationEndsIt)
{
    server.setReply("CWD", "421 Going down.\r\n", true);
    ftp.ChangeDirectory("/x");
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")) && !ftp.Busy(); }));
    EXPECT_FALSE(ftp.Connected());
}

} // namespace
