// The developer console against the real server.

#include "support/EventLoopWait.h"
#include "support/PyFtpdServer.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

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

namespace {

TEST(Ftpsh, ListsTransfersAndManagesFiles)
{
    testsupport::ensureCoreApplication();
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning());
    QDir root(server.root());
    root.mkpath(QStringLiteral("目录"));
    {
        QFile f(root.filePath(QStringLiteral("one.txt")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("content");
    }
    QTemporaryDir local;
    const QByteArray got = QFile::encodeName(local.filePath(QStringLiteral("got.txt")));
    const QByteArray port = QByteArray::number(server.port());
    const ShellRun run = RunFtpsh("open 127.0.0.1 " + port + " user pass\npassive off\nls\n"
                                  "get one.txt " + got + "\nput " + got + " two.txt\nmkdir made\n"
                                  "mv two.txt made\nchmod 600 one.txt\ndel one.txt\ncache off\nls\nquit\n");
    const QString out = run.lines.join(QLatin1Char('\n'));
    EXPECT_EQ(run.exitCode, 0) << out.toStdString();
    EXPECT_EQ(run.lines.filter(QRegularExpression(QStringLiteral("^d\t目录\t\\d+\t"))).size(), 2) << out.toStdString();
    EXPECT_EQ(run.lines.filter(QRegularExpression(QStringLiteral("^f\tone.txt\t7\t"))).size(), 1) << out.toStdString();
    EXPECT_EQ(run.lines.filter(QRegularExpression(QStringLiteral("^d\tmade\t"))).size(), 1) << out.toStdString();
    EXPECT_TRUE(run.lines.contains(QStringLiteral("transferred 7")));
    QFile copy(root.filePath(QStringLiteral("made/two.txt")));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("content"));
    EXPECT_FALSE(root.exists(QStringLiteral("one.txt")));
}

} // namespace

namespace {

// The console against a server in this process: the event loop runs while
// the console works.
ShellRun RunFtpshServing(const QByteArray &input)
{
    testsupport::ensureCoreApplication();
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/ftpsh"), {});
    p.write(input);
    p.closeWriteChannel();
    ShellRun run;
    if (!testsupport::waitUntil([&] { return p.state() == QProcess::NotRunning; }, 30000)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.exitCode = p.exitCode();
    run.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}

// "get" against a server that stalls in the middle of the file ends with a
// time-out instead of waiting for ever.
TEST(Ftpsh, StalledDownloadEndsWithATimeOut)
{
    testsupport::ensureCoreApplication();
    testsupport::ScriptedFtpServer server;
    server.scriptStandardSession();
    server.setReply("TYPE", "200 Type set.\r\n");
    server.setDataAction("RETR", testsupport::DataAction {"150 Sending.\r\n", QByteArray(100000, 'x'), "", false, true});
    QTemporaryDir local;
    const QByteArray target = QFile::encodeName(local.filePath(QStringLiteral("f")));
    const ShellRun run = RunFtpshServing("open 127.0.0.1 " + QByteArray::number(server.port())
                                         + " u p\npassive on\nset timeout 1\nget f " + target + "\n");
    const QString out = run.lines.join(QLatin1Char('\n'));
    EXPECT_EQ(run.exitCode, 1) << out.toStdString();
    EXPECT_TRUE(run.lines.contains(QStringLiteral("error errorTimedOut Connection timed out: no data for 1 s")))
        << out.toStdString();
}

} // namespace
