// The main window's engine MFtp1: what the settings window gives it, the log
// that follows it, and closing the window while a session runs.

#include "engine/TMFtp.h"
#include "mainwindow/Main.h"
#include "mainwindow/Startup.h"
#include "sites/SetWindow.h"
#include "views/FtpMsg.h"

#include "../support/EventLoopWait.h"
#include "../support/PrintQString.h"
#include "../support/PyFtpdServer.h"
#include "../support/ScriptedFtpServer.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace mainwindow;
using testsupport::waitUntil;

namespace {

class MainEngineTest : public ::testing::Test
{
protected:
    void SetUp() override { qputenv("BRAMBLEWAY_HOME", dir.path().toLocal8Bit()); }
    void TearDown() override { qunsetenv("BRAMBLEWAY_HOME"); }

    QString path() const { return dir.filePath(QStringLiteral("Config.ini")); }

    std::unique_ptr<TMainForm> open(ProgramWindows *windows = nullptr)
    {
        ProgramWindows w = CreateProgramWindows({path(), QSize(1024, 768)});
        if (windows)
            *windows = w;
        return std::unique_ptr<TMainForm>(w.mainForm);
    }

    static void aimAt(TMFtp *ftp, quint16 port)
    {
        ftp->SetServer(QStringLiteral("127.0.0.1"));
        ftp->SetPort(port);
        ftp->SetRetries(0);
        ftp->SetRetryInterval(0);
    }

    static std::string dump(const views::TMFtpMessenger *log)
    {
        QString out;
        for (int i = 0; i < log->count(); ++i)
            out += log->LineText(i) + QLatin1Char('\n');
        return out.toStdString();
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(MainEngineTest, StartsWithTheDefaultsWhenThereIsNoFile)
{
    auto form = open();
    const TMFtp *ftp = form->MFtp1();
    ASSERT_NE(ftp, nullptr);
    EXPECT_EQ(ftp->Retries(), 3);
    EXPECT_EQ(ftp->RetryInterval(), 15);
    EXPECT_EQ(ftp->NoopInterval(), 30);
    EXPECT_EQ(ftp->TimeOut(), 20);
    EXPECT_TRUE(ftp->Passive());
    EXPECT_TRUE(ftp->Cache());
    EXPECT_EQ(ftp->ProxyType(), proxyNone);
    EXPECT_FALSE(form->engineBusy());
    EXPECT_FALSE(form->engineConnected());
    EXPECT_EQ(form->messenger()->Client(), ftp);
    EXPECT_FALSE(QFile::exists(path()) && platform::ProfileFile(path()).ValueExists("Option", "ConnectRetries"));
}

TEST_F(MainEngineTest, SettingsWindowAppliesToTheEngine)
{
    {
        platform::ProfileFile ini(path());
        ini.WriteString("Option", "connectretries", "5");
        ini.WriteString("Option", "ConnectRetryInterval", "20");
        ini.WriteString("Option", "ConnectNoopInterval", "40");
        ini.WriteString("Option", "ConnectTimeOut", "30");
        ini.WriteString("Option", "ConnectPassive", "0");
        ini.WriteString("Option", "ConnectCache", "0");
        ini.WriteString("Option", "ConnectProxyServer", "proxy.example");
        ini.WriteString("Option", "ConnectProxyUserName", "pu");
        ini.WriteString("Option", "ConnectProxyPassword", "pp");
        ini.WriteString("Option", "ConnectProxyPort", "8021");
        ini.WriteString("Option", "ConnectProxyType", "2");
    }
    ProgramWindows w;
    auto form = open(&w);
    TMFtp *ftp = form->MFtp1();
    EXPECT_EQ(ftp->Retries(), 5);
    EXPECT_EQ(ftp->RetryInterval(), 20);
    EXPECT_EQ(ftp->NoopInterval(), 40);
    EXPECT_EQ(ftp->TimeOut(), 30);
    EXPECT_FALSE(ftp->Passive());
    EXPECT_FALSE(ftp->Cache());
    EXPECT_EQ(ftp->ProxyServer(), QStringLiteral("proxy.example"));
    EXPECT_EQ(ftp->ProxyUsername(), QStringLiteral("pu"));
    EXPECT_EQ(ftp->ProxyPassword(), QStringLiteral("pp"));
    EXPECT_EQ(ftp->ProxyPort(), 8021);
    EXPECT_EQ(ftp->ProxyType(), proxyHostUser);

    // The user switches the proxy off and changes the retries, then OK.
    QTimer::singleShot(0, w.setForm, [&] {
        sites::ConnectOptions o = w.setForm->controlValues();
        o.retries = 7;
        o.passive = true;
        o.proxyType = 0;
        w.setForm->setControlValues(o);
        for (QPushButton *b : w.setForm->findChildren<QPushButton *>())
            if (b->text() == QStringLiteral("确  定") && b->isVisible()) {
                b->click();
                return;
            }
        ADD_FAILURE() << "no visible OK button";
        w.setForm->reject();
    });
    form->openSettings();
    EXPECT_EQ(ftp->Retries(), 7);
    EXPECT_TRUE(ftp->Passive());
    EXPECT_EQ(ftp->ProxyType(), proxyNone);
    EXPECT_EQ(ftp->ProxyServer(), QStringLiteral("proxy.example")); // kept for a later proxy choice
    EXPECT_EQ(platform::ProfileFile(path()).ReadInteger("Option", "ConnectRetries", 0), 7);
    EXPECT_EQ(platform::ProfileFile(path()).ReadInteger("Option", "ConnectProxyType", -1), 0);
}

// The window's log follows MFtp1 in the window's language, also after a
// switch in the middle of the session; closing the window ends the session.
TEST_F(MainEngineTest, LogFollowsTheSessionAndClosingEndsIt)
{
    testsupport::PyFtpdServer server;
    ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
    QDir(server.root()).mkpath(QStringLiteral("pub"));
    auto form = open();
    form->show();
    TMFtp *ftp = form->MFtp1();
    aimAt(ftp, server.port());
    ftp->SetUsername(QString::fromLatin1(testsupport::PyFtpdServer::User));
    ftp->SetPassword(QString::fromLatin1(testsupport::PyFtpdServer::Password));
    views::TMFtpMessenger *log = form->messenger();

    // The window lists every folder it enters, so the session's own lines are
    // followed by those of the listing.
    auto lineIndex = [log](const QString &text) {
        for (int i = log->count() - 1; i >= 0; --i)
            if (log->LineText(i) == text)
                return i;
        return -1;
    };
    ftp->Login();
    ASSERT_TRUE(waitUntil([&] { return ftp->LoggedIn() && !ftp->Busy(); }, 10000)) << dump(log);
    EXPECT_TRUE(form->engineConnected());
    EXPECT_GE(lineIndex(QStringLiteral("【状态】登录成功")), 0) << dump(log);
    EXPECT_TRUE(log->LineText(5).startsWith(QStringLiteral("【命令】密码(不显示)"))) << dump(log);

    form->SetLanguage(false);
    ftp->ChangeDirectory("pub");
    ASSERT_TRUE(waitUntil([&] { return !ftp->Busy() && ftp->CurrentDirectory() == "/pub"; }, 10000)) << dump(log);
    EXPECT_TRUE(form->engineConnected());
    const int cwd = lineIndex(QStringLiteral("【命令】進入 pub 目錄"));
    ASSERT_GE(cwd, 0) << dump(log);
    EXPECT_EQ(log->LineText(cwd + 1), QStringLiteral("【回複】250 \"/pub\" is the current directory."));

    form->close();
    EXPECT_FALSE(ftp->Connected());
    EXPECT_FALSE(form->engineConnected());
    EXPECT_EQ(log->LineText(log->count() - 1), QStringLiteral("【狀態】斷開連接")) << dump(log);
    form->SetLanguage(true); // back to the default for the file left behind
}

// The server sees the control connection go away when the window closes,
// and nothing more is sent on it.
TEST_F(MainEngineTest, ClosingHangsUpTheControlConnection)
{
    testsupport::ScriptedFtpServer server;
    server.setGreeting("220 ready\r\n");
    server.scriptStandardSession();
    auto form = open();
    TMFtp *ftp = form->MFtp1();
    aimAt(ftp, server.port());
    ftp->Login();
    ASSERT_TRUE(waitUntil([&] { return ftp->LoggedIn(); }, 10000)) << dump(form->messenger());
    ASSERT_TRUE(server.clientConnected());
    // The window lists the start folder after the login: let that finish first.
    ASSERT_TRUE(waitUntil([&] { return !ftp->Busy(); }, 10000)) << dump(form->messenger());
    const int commands = int(server.commands().size());

    form->close();
    EXPECT_FALSE(ftp->Connected());
    EXPECT_TRUE(waitUntil([&] { return !server.clientConnected(); }, 5000));
    EXPECT_EQ(server.commands().size(), commands);
}

// Closing while the greeting has not come yet stops the attempt for good.
TEST_F(MainEngineTest, ClosingWhileConnectingStopsTheAttempt)
{
    testsupport::ScriptedFtpServer server;
    server.setGreeting(QByteArray());
    auto form = open();
    TMFtp *ftp = form->MFtp1();
    aimAt(ftp, server.port());
    ftp->SetRetries(3);
    ftp->Login();
    ASSERT_TRUE(waitUntil([&] { return server.clientConnected(); }, 10000));
    EXPECT_TRUE(ftp->Connecting());

    form->close();
    EXPECT_FALSE(ftp->Connecting());
    EXPECT_FALSE(ftp->Connected());
    EXPECT_TRUE(waitUntil([&] { return !server.clientConnected(); }, 5000));
    // No further attempt: none started by what the hang-up queued, none
    // waiting for its turn.
    testsupport::drainEvents();
    EXPECT_FALSE(ftp->Connecting());
    EXPECT_FALSE(ftp->Retrying());
    EXPECT_EQ(server.connectionCount(), 1);
    EXPECT_EQ(form->messenger()->LineText(form->messenger()->count() - 1), QStringLiteral("【状态】断开连接"));
}
