// The session log bound to a real engine: what a whole session against the
// pyftpdlib server looks like in every language of the log, and the listener
// slots the log takes and gives back.

#include "views/FtpMsg.h"

#include "engine/TMFtp.h"
#include "support/EventLoopWait.h"
#include "support/PrintQString.h"
#include "support/PyFtpdServer.h"
#include "support/ScriptedFtpServer.h"

#include <QDir>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <memory>

using namespace views;
using testsupport::waitUntil;

namespace {

void aimAt(TMFtp &ftp, quint16 port)
{
    ftp.SetServer(QStringLiteral("127.0.0.1"));
    ftp.SetPort(port);
    ftp.SetRetries(0);
    ftp.SetRetryInterval(0);
    ftp.SetTimeOut(5);
}

std::string dump(const TMFtpMessenger &log)
{
    QString out;
    for (int i = 0; i < log.count(); ++i)
        out += log.StoredLine(i) + QLatin1Char('\n');
    return out.toStdString();
}

QStringList storedLines(const TMFtpMessenger &log)
{
    QStringList out;
    for (int i = 0; i < log.count(); ++i)
        out << log.StoredLine(i);
    return out;
}

const char *const SimplifiedSession[] = {
    "clBlue『0『【状态】连接到 127.0.0.1『",
    "clBlue『0『【状态】连接到 127.0.0.1 等待欢迎消息『",
    "clBlack『0『【回复】220 BramblewayFTP test server ready.『",
    "clGreen『0『【命令】用户名 user『",
    "clBlack『0『【回复】331 Username ok, send password.『",
    "clGreen『0『【命令】密码(不显示)『",
    "clBlack『0『【回复】230 用户登录成功『",
    "clGreen『0『【命令】FEAT『",
    "clBlue『0『【状态】Server features: EPRT EPSV MDTM MFMT MLST REST SIZE TVFS UTF8『",
    "clGreen『0『【命令】OPTS UTF8 ON『",
    "clBlack『0『【回复】501 参数语法错误『",
    "clBlue『0『【状态】The server refused OPTS UTF8 ON (501 Invalid argument.): names follow the server's listings『",
    "clGreen『0『【命令】OPTS MLST type;size;modify;unix.mode;unix.uid;unix.gid;『",
    "clBlack『0『【回复】200 MLST OPTS type;size;modify;unix.模式unix.uid;unix.gid;『",
    "clBlue『0『【状态】Using MLSD, names as listed, SIZE, REST STREAM『",
    "clGreen『0『【命令】获取系统类型『",
    "clBlack『0『【回复】215 UNIX Type: L8『",
    "clBlue『0『【状态】此站点支持断点下载/上传『",
    "clGreen『0『【命令】获取目录列表『",
    "clBlack『0『【回复】257 \"/\" is the current 目录『",
    "clBlue『0『【状态】登录成功『",
    "clGreen『0『【命令】进入 pub 目录『",
    "clBlack『0『【回复】250 \"/pub\" is the current directory.『",
    "clGreen『0『【命令】退出登录并终止连接『",
    "clBlack『0『【回复】221 Goodbye.『",
    "clBlue『0『【状态】断开连接『",
};

const char *const TraditionalSession[] = {
    "clBlue『0『【狀態】連接到 127.0.0.1『",
    "clBlue『0『【狀態】連接到 127.0.0.1 等待歡迎消息『",
    "clBlack『0『【回複】220 BramblewayFTP test server ready.『",
    "clGreen『0『【命令】用戶名 user『",
    "clBlack『0『【回複】331 Username ok, send password.『",
    "clGreen『0『【命令】密碼(不顯示)『",
    "clBlack『0『【回複】230 用戶登錄成功『",
    "clGreen『0『【命令】FEAT『",
    "clBlue『0『【狀態】Server features: EPRT EPSV MDTM MFMT MLST REST SIZE TVFS UTF8『",
    "clGreen『0『【命令】OPTS UTF8 ON『",
    "clBlack『0『【回複】501 參數語法錯誤『",
    "clBlue『0『【狀態】The server refused OPTS UTF8 ON (501 Invalid argument.): names follow the server's listings『",
    "clGreen『0『【命令】OPTS MLST type;size;modify;unix.mode;unix.uid;unix.gid;『",
    "clBlack『0『【回複】200 MLST OPTS type;size;modify;unix.模式unix.uid;unix.gid;『",
    "clBlue『0『【狀態】Using MLSD, names as listed, SIZE, REST STREAM『",
    "clGreen『0『【命令】獲取系統類型『",
    "clBlack『0『【回複】215 UNIX Type: L8『",
    "clBlue『0『【狀態】此站點支持斷點下載/上傳『",
    "clGreen『0『【命令】獲取目錄列表『",
    "clBlack『0『【回複】257 \"/\" is the current 目錄『",
    "clBlue『0『【狀態】登錄成功『",
    "clGreen『0『【命令】進入 pub 目錄『",
    "clBlack『0『【回複】250 \"/pub\" is the current directory.『",
    "clGreen『0『【命令】退出登錄並終止連接『",
    "clBlack『0『【回複】221 Goodbye.『",
    "clBlue『0『【狀態】斷開連接『",
};

const char *const EnglishSession[] = {
    "clBlue『0『STATUS:>    Connected to 127.0.0.1『",
    "clBlue『0『STATUS:>    Connected to 127.0.0.1 waiting for welcome message『",
    "clBlack『0『            220 BramblewayFTP test server ready.『",
    "clGreen『0『COMMAND:>   USER user『",
    "clBlack『0『            331 Username ok, send password.『",
    "clGreen『0『COMMAND:>   PASS (want to know) :-P『",
    "clBlack『0『            230 Login successful.『",
    "clGreen『0『COMMAND:>   FEAT『",
    "clBlue『0『STATUS:>    Server features: EPRT EPSV MDTM MFMT MLST REST SIZE TVFS UTF8『",
    "clGreen『0『COMMAND:>   OPTS UTF8 ON『",
    "clBlack『0『            501 Invalid argument.『",
    "clBlue『0『STATUS:>    The server refused OPTS UTF8 ON (501 Invalid argument.): names follow the server's listings『",
    "clGreen『0『COMMAND:>   OPTS MLST type;size;modify;unix.mode;unix.uid;unix.gid;『",
    "clBlack『0『            200 MLST OPTS type;size;modify;unix.mode;unix.uid;unix.gid;『",
    "clBlue『0『STATUS:>    Using MLSD, names as listed, SIZE, REST STREAM『",
    "clGreen『0『COMMAND:>   SYST『",
    "clBlack『0『            215 UNIX Type: L8『",
    "clBlue『0『STATUS:>    This site can resume broken downloads/uploads『",
    "clGreen『0『COMMAND:>   PWD『",
    "clBlack『0『            257 \"/\" is the current directory.『",
    "clBlue『0『STATUS:>    Login successful『",
    "clGreen『0『COMMAND:>   CWD pub『",
    "clBlack『0『            250 \"/pub\" is the current directory.『",
    "clGreen『0『COMMAND:>   QUIT『",
    "clBlack『0『            221 Goodbye.『",
    "clBlue『0『STATUS:>    Disconnected『",
};

// The lines of the FEAT reply depend on how the server writes them; the
// command and the summary after them are what matters here.
QStringList withoutFeatReply(QStringList stored)
{
    const qsizetype feat = stored.indexOf(QRegularExpression(QStringLiteral(".*FEAT『$")));
    while (feat >= 0 && feat + 1 < stored.size() && !stored.at(feat + 1).contains(QStringLiteral("Server features:")))
        stored.removeAt(feat + 1);
    return stored;
}

template <std::size_t N>
QStringList lines(const char *const (&table)[N])
{
    QStringList out;
    for (const char *line : table)
        out << QString::fromUtf8(line);
    return out;
}

} // namespace

// Three logs on one engine, one per language: log in, change folder, quit.
TEST(SessionLog, RealSessionInEveryLanguage)
{
    testsupport::PyFtpdServer server;
    ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
    QDir(server.root()).mkpath(QStringLiteral("pub"));

    TMFtp ftp;
    aimAt(ftp, server.port());
    ftp.SetUsername(QString::fromLatin1(testsupport::PyFtpdServer::User));
    ftp.SetPassword(QString::fromLatin1(testsupport::PyFtpdServer::Password));
    TMFtpMessenger simplified, traditional, english;
    traditional.setLanguage(MLChinaGB);
    english.setLanguage(MLEnglish);
    for (TMFtpMessenger *log : {&simplified, &traditional, &english})
        log->setClient(&ftp);
    EXPECT_EQ(simplified.Client(), &ftp);

    bool loggedIn = false, changed = false, quit = false;
    ftp.OnLoggedIn = [&](QObject *) { loggedIn = true; };
    ftp.OnDirectoryChanged = [&](QObject *) { changed = true; };
    ftp.OnFtpQuit = [&](QObject *) { quit = true; };
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return loggedIn || quit; }, 10000)) << dump(english);
    ASSERT_TRUE(loggedIn) << dump(english);
    ftp.ChangeDirectory("pub");
    ASSERT_TRUE(waitUntil([&] { return changed && !ftp.Busy(); }, 10000)) << dump(english);
    ftp.Quit();
    ASSERT_TRUE(waitUntil([&] { return quit; }, 10000)) << dump(english);

    EXPECT_EQ(withoutFeatReply(storedLines(simplified)), lines(SimplifiedSession)) << dump(simplified);
    EXPECT_EQ(withoutFeatReply(storedLines(traditional)), lines(TraditionalSession)) << dump(traditional);
    EXPECT_EQ(withoutFeatReply(storedLines(english)), lines(EnglishSession)) << dump(english);
    for (const TMFtpMessenger *log : {&simplified, &traditional, &english}) {
        for (int i = 0; i < log->count(); ++i)
            EXPECT_FALSE(log->LineText(i).contains(QLatin1String("PASS pass"))) << log->LineText(i).toStdString();
    }
    EXPECT_EQ(simplified.LineColour(3), QColor(0, 128, 0));
    EXPECT_EQ(simplified.LineColour(2), QColor(0, 0, 0));
    EXPECT_EQ(simplified.LineColour(0), QColor(0, 0, 255));
}

// Nobody listens on the port: the refusal is logged in red, translated.
TEST(SessionLog, RefusedConnectionIsLoggedInRed)
{
    testsupport::CoreApplicationGuard app;
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    TMFtp ftp;
    aimAt(ftp, port);
    TMFtpMessenger log;
    log.setClient(&ftp);
    bool failed = false;
    ftp.OnFtpError = [&](QObject *, FtpError, const QString &) { failed = true; };
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return failed && !ftp.Connecting(); }, 10000)) << dump(log);
    EXPECT_EQ(storedLines(log), QStringList({QStringLiteral("clBlue『0『【状态】连接到 127.0.0.1『"),
                                             QStringLiteral("clRed『0『【错误】连接拒绝『"),
                                             QStringLiteral("clBlue『0『【状态】断开连接『")}))
        << dump(log);
}

TEST(SessionLog, ClientMovesTheListenersAndGivesThemBack)
{
    TMFtp first, second;
    auto log = std::make_unique<TMFtpMessenger>();
    log->setClient(&first);
    EXPECT_EQ(first.AddInfoListener([](QObject *, FtpInfo, const QString &) {}), 2);
    EXPECT_EQ(first.AddErrorListener([](QObject *, FtpError, const QString &) {}), 2);
    first.RemoveInfoListener(2);
    first.RemoveErrorListener(2);

    log->setClient(&second);
    EXPECT_EQ(log->Client(), &second);
    EXPECT_EQ(first.AddInfoListener([](QObject *, FtpInfo, const QString &) {}), 1);
    EXPECT_EQ(first.AddErrorListener([](QObject *, FtpError, const QString &) {}), 1);
    EXPECT_EQ(second.AddInfoListener([](QObject *, FtpInfo, const QString &) {}), 2);
    second.RemoveInfoListener(2);

    log->setClient(&second); // the same engine: no second pair of slots
    EXPECT_EQ(second.AddInfoListener([](QObject *, FtpInfo, const QString &) {}), 2);
    second.RemoveInfoListener(2);

    log.reset();
    for (int slot = 1; slot <= TMFtp::MaxListeners; ++slot) {
        EXPECT_EQ(second.AddInfoListener([](QObject *, FtpInfo, const QString &) {}), slot);
        EXPECT_EQ(second.AddErrorListener([](QObject *, FtpError, const QString &) {}), slot);
    }
}

TEST(SessionLog, OutlivesItsEngine)
{
    TMFtpMessenger log;
    {
        TMFtp ftp;
        log.setClient(&ftp);
    }
    EXPECT_EQ(log.Client(), nullptr);
    log.setClient(nullptr);
}

// A scripted session whose server talks while the log is switched to
// another engine: nothing of it may reach the log afterwards.
TEST(SessionLog, UnboundLogStaysQuiet)
{
    testsupport::CoreApplicationGuard app;
    testsupport::ScriptedFtpServer server;
    server.setGreeting("220 ready\r\n");
    server.scriptStandardSession();
    TMFtp ftp;
    aimAt(ftp, server.port());
    TMFtpMessenger log;
    log.setClient(&ftp);
    bool loggedIn = false;
    ftp.OnLoggedIn = [&](QObject *) { loggedIn = true; };
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return loggedIn; }, 10000)) << dump(log);
    const int lines = log.count();
    EXPECT_GT(lines, 5);
    log.setClient(nullptr);
    ftp.Disconnect();
    ASSERT_TRUE(waitUntil([&] { return !ftp.Connected() && !ftp.Busy(); }, 10000));
    EXPECT_EQ(log.count(), lines) << dump(log);
}
