// Against the real pyftpdlib server.

#include "EngineTestKit.h"

#include "support/PyFtpdServer.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <QDir>

using namespace enginetest;
using testsupport::PyFtpdServer;
using testsupport::waitUntil;

namespace {

class RealServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
        SetUpForTest(ftp, server.port());
        ftp.SetUsername(QString::fromLatin1(PyFtpdServer::User));
        ftp.SetPassword(QString::fromLatin1(PyFtpdServer::Password));
        rec.attach(ftp);
        QDir(server.root()).mkpath(QStringLiteral("pub/in"));
    }

    testsupport::CoreApplicationGuard app;
    PyFtpdServer server;
    TMFtp ftp;
    Recorder rec;
};

TEST_F(RealServerTest, LoginWithUserChangeDirectoryAndQuit)
{
    ftp.Login();
    ASSERT_TRUE(WaitLoginOver(ftp, rec, 10000)) << rec.dump().toStdString();
    ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/"));
    EXPECT_EQ(ftp.ServerType(), ftpstUNIX);
    // "501 Resuming transfers not allowed in ASCII mode." to the first probe:
    // asked again in type I, the server accepts it.
    EXPECT_TRUE(ftp.CanResume());
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();

    ftp.ChangeDirectory("pub/in");
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event DirectoryChanged")); }, 10000));
    EXPECT_TRUE(ftp.ChangeDirOK());
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/pub/in"));

    ftp.ChangeDirectoryUp();
    ASSERT_TRUE(waitUntil([&] { return rec.count(QStringLiteral("event DirectoryChanged")) == 2; }, 10000));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/pub"));

    ftp.ChangeDirectory("/missing");
    ASSERT_TRUE(waitUntil([&] { return rec.count(QStringLiteral("event DirectoryChanged")) == 3; }, 10000));
    EXPECT_FALSE(ftp.ChangeDirOK());
    EXPECT_EQ(rec.count(errorAccessDenied), 1);

    ftp.Quit();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); }, 10000));
    EXPECT_FALSE(ftp.Connected());
}

TEST_F(RealServerTest, AnonymousLoginWithInitialDirectory)
{
    ftp.SetUsername(QStringLiteral("anonymous"));
    ftp.SetPassword(QStringLiteral("guest@example.org"));
    ftp.SetInitialDirectory("/pub");
    ftp.Login();
    ASSERT_TRUE(WaitLoginOver(ftp, rec, 10000)) << rec.dump().toStdString();
    EXPECT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/pub"));
}

TEST_F(RealServerTest, WrongPasswordFailsAndCanBeRetriedWithNewCredentials)
{
    ftp.SetPassword(QStringLiteral("wrong"));
    rec.answers[needUsername] = {QString::fromLatin1(PyFtpdServer::User)};
    rec.answers[needPassword] = {QString::fromLatin1(PyFtpdServer::Password)};
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event LoggedIn")); }, 10000)) << rec.dump().toStdString();
    EXPECT_EQ(rec.count(errorLoginFailed), 1);
    EXPECT_EQ(rec.needs, (QStringList{QStringLiteral("needUsername"), QStringLiteral("needPassword")}));
}

TEST_F(RealServerTest, WrongPasswordWithoutRetriesEndsWithTheServersRefusal)
{
    ftp.SetPassword(QStringLiteral("wrong"));
    ftp.SetRetries(0);
    ftp.OnFtpNeedInfo = nullptr;
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); }, 10000)) << rec.dump().toStdString();
    ASSERT_EQ(rec.count(errorLoginFailed), 1) << rec.dump().toStdString();
    const qsizetype at = rec.lines.indexOf(QRegularExpression(QStringLiteral("error errorLoginFailed .*")));
    ASSERT_GE(at, 0);
    EXPECT_TRUE(rec.lines.at(at).startsWith(QStringLiteral("error errorLoginFailed 530 "))) << rec.dump().toStdString();
    EXPECT_FALSE(ftp.Connecting());
    EXPECT_FALSE(ftp.Connected());
}

} // namespace
