// The developer console against the real server.

#include "support/EventLoopWait.h"
#include "support/PyFtpdServer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

using testsupport::PyFtpdServer;

namespace {

struct ShellRun {
    int exitCode = -1;
    QStringList lines;
};

ShellRun RunFtpsh(const QByteArray &input)
{
    testsupport::ensureCoreApplication();
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/ftpsh");
    EXPECT_TRUE(QFileInfo::exists(program)) << program.toStdString();
    QProcess p;
    p.start(program, {});
    p.write(input);
    p.closeWriteChannel();
    ShellRun run;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.exitCode = p.exitCode();
    run.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}

TEST(Ftpsh, LogsInChangesDirectoryAndQuits)
{
    testsupport::ensureCoreApplication();
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning());
    QDir(server.root()).mkpath(QStringLiteral("pub"));
    const QByteArray port = QByteArray::number(server.port());
    const ShellRun run = RunFtpsh("open 127.0.0.1 " + port + " user pass\npwd\ncd pub\npwd\nquit\n");
    EXPECT_EQ(run.exitCode, 0) << run.lines.join('\n').toStdString();
    EXPECT_TRUE(run.lines.contains(QStringLiteral("info infoLoggedIn Logged in")));
    EXPECT_TRUE(run.lines.contains(QStringLiteral("info infoCommand PASS (want to know) :-P\\r\\n")));
    EXPECT_TRUE(run.lines.contains(QStringLiteral("pwd /")));
    EXPECT_TRUE(run.lines.contains(QStringLiteral("pwd /pub")));
    EXPECT_TRUE(run.lines.contains(QStringLiteral("info infoDisconnected Disconnected")));
    EXPECT_FALSE(run.lines.join('\n').contains(QLatin1String("pass\\r")));
}

TEST(Ftpsh, FailingCommandsGiveNonZeroStatus)
{
    testsupport::ensureCoreApplication();
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning());
    const QByteArray port = QByteArray::number(server.port());

    ShellRun run = RunFtpsh("open 127.0.0.1 " + port + " user wrong\npwd\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.lines.contains(QStringLiteral("error errorLoginFailed 530 Authentication failed.")))
        << run.lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(run.lines.contains(QStringLiteral("pwd /")));

    run = RunFtpsh("open 127.0.0.1 " + port + " user pass\ncd missing\npwd\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.lines.contains(QStringLiteral("error errorAccessDenied Access denied or file not found")));

    run = RunFtpsh("frobnicate\n");
    EXPECT_EQ(run.exitCode, 2);
}

} // namespace
