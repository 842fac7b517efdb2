#include "views/FtpMsg.h"

#include "../support/EventLoopWait.h"
#include "../support/PrintQString.h"

#include <QApplication>
#include <QClipboard>

#include <gtest/gtest.h>

using namespace views;

TEST(TMFtpMessenger, StoresColourIndentAndTranslatedText)
{
    TMFtpMessenger log;
    log.AddMessage(QStringLiteral("230 Login successful.\r\n"), mkReply);
    ASSERT_EQ(log.count(), 1);
    EXPECT_EQ(log.StoredLine(0), QStringLiteral("clBlack『0『【回复】230 用户登录成功『"));
    log.AddMessage(QStringLiteral("Login successful\r\n"), mkStatus);
    EXPECT_EQ(log.StoredLine(1), QStringLiteral("clBlue『0『【状态】登录成功『"));
    EXPECT_EQ(log.LineColour(1), QColor(0, 0, 255));
    EXPECT_EQ(log.LineText(5), QString());
}

TEST(TMFtpMessenger, ContinuationLinesAreIndentedAndTheUnfinishedTailDropped)
{
    for (TMessengerLanguage lang : {MLChina, MLEnglish}) {
        TMFtpMessenger log;
        log.setLanguage(lang);
        log.AddMessage(QStringLiteral("230-Welcome\r\n230 Login successful.\r\n "), mkReply);
        ASSERT_EQ(log.count(), 2);
        EXPECT_EQ(log.LineText(0), lang == MLChina ? QStringLiteral("【回复】230-Welcome") : QStringLiteral("            230-Welcome"));
        EXPECT_EQ(log.LineIndent(0), 0);
        EXPECT_EQ(log.LineText(1), QStringLiteral("230 Login successful."));
        EXPECT_EQ(log.LineIndent(1), log.prefixWidth());
        EXPECT_GT(log.prefixWidth(), 0);
    }
}

TEST(TMFtpMessenger, EmptyTextsStylesAndDisabledLogging)
{
    TMFtpMessenger log;
    log.AddMessage(QStringLiteral("  \r\n"), mkError);
    EXPECT_EQ(log.count(), 0);
    log.setLogEnabled(false);
    log.AddMessage(QStringLiteral("NOOP"), mkCommand);
    EXPECT_EQ(log.count(), 0);
    log.setLogEnabled(true);
    log.setStyle(msgMFtp);
    log.AddMessage(QStringLiteral("NOOP"), mkCommand);
    EXPECT_EQ(log.count(), 0);
    log.setStyle(msgClassic);
    log.AddMessage(QStringLiteral("Connection timed out\r\n"), mkError);
    EXPECT_EQ(log.LineText(0), QStringLiteral("【错误】连接超时"));
}

TEST(TMFtpMessenger, NeverHoldsMuchMoreThan2000Lines)
{
    TMFtpMessenger log;
    log.setAutoScroll(false);
    for (int i = 0; i < TMFtpMessenger::MaxLines + 1; ++i)
        log.AddMessage(QStringLiteral("200 NOOP ok\r\n"), mkReply);
    EXPECT_EQ(log.count(), TMFtpMessenger::MaxLines + 1);
    log.AddMessage(QStringLiteral("NOOP"), mkCommand);
    ASSERT_EQ(log.count(), 1);
    EXPECT_EQ(log.LineText(0), QStringLiteral("【命令】等待"));
}

TEST(TMFtpMessenger, CopiesTextFieldsOnly)
{
    TMFtpMessenger log;
    log.AddMessage(QStringLiteral("PWD"), mkCommand);
    log.AddMessage(QStringLiteral("Disconnected\r\n"), mkStatus);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    log.CopySelectedToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
    log.setLineSelected(1, true);
    log.CopySelectedToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("【状态】断开连接\r\n"));
    log.CopyAllToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("【命令】获取目录列表\r\n【状态】断开连接\r\n"));
}

TEST(TMFtpMessenger, ConnectionLineByServerAndAddress)
{
    struct Case
    {
        const char *server, *address;
        TMessengerLanguage language;
        const char *line;
    };
    const Case cases[] = {
        {"", "", MLChina, "【状态】连接到 specified server 等待欢迎消息"},
        {"", "10.0.0.7", MLChina, "【状态】连接到 10.0.0.7 等待欢迎消息"},
        {"127.0.0.1", "127.0.0.1", MLChinaGB, "【狀態】連接到 127.0.0.1 等待歡迎消息"},
        {"localhost", "127.0.0.1", MLChina, "【状态】连接到 localhost(IP: 127.0.0.1) 等待欢迎消息"},
        {"localhost", "127.0.0.1", MLChinaGB, "【狀態】連接到 localhost(IP: 127.0.0.1) 等待歡迎消息"},
        {"localhost", "127.0.0.1", MLEnglish,
         "STATUS:>    Connected to localhost(IP: 127.0.0.1) waiting for welcome message"},
        {"localhost", "", MLChina, "【状态】连接到 localhost"},
        {"localhost", "", MLEnglish, "STATUS:>    Connected to localhost"},
    };
    for (const Case &c : cases) {
        TMFtpMessenger log;
        log.setLanguage(c.language);
        log.AddMessage(log.connectedText(QString::fromUtf8(c.server), QString::fromUtf8(c.address)), mkStatus);
        ASSERT_EQ(log.count(), 1) << c.server << " " << c.address;
        EXPECT_EQ(log.LineText(0), QString::fromUtf8(c.line)) << c.server << " " << c.address;
    }
}

TEST(TMFtpMessenger, InformationReportsByCode)
{
    struct Case
    {
        FtpInfo info;
        const char *text;
        const char *stored; // "" when nothing is logged
    };
    const Case cases[] = {
        {infoReplyText, "230 Login successful.\r\n ", "clBlack『0『【回复】230 用户登录成功『"},
        {infoCommand, "CWD /pub", "clGreen『0『【命令】进入 /pub 目录『"},
        {infoCommand, "PASS (want to know) :-P\r\n", "clGreen『0『【命令】密码(不显示)『"},
        {infoLoggedIn, "Logged in", "clBlue『0『【状态】登录成功『"},
        {infoRetrying, "15 Retrying...", "clBlue『0『【状态】重新连接『"},
        {infoResumeSupported, "This site can resume broken downloads/uploads", "clBlue『0『【状态】此站点支持断点下载/上传『"},
        {infoResumeNotSupported, "This site cannot resume broken downloads/uploads",
         "clBlue『0『【状态】此站点不支持断点下载/上传『"},
        {infoNothingToDo, "I am afraid I have nothing to do", "clBlue『0『【状态】远程文件和本地文件大小一样,跳过『"},
        {infoBusy, "The component is busy doing something", ""},
        {infoListingLine, "drwxr-xr-x 2 u g 0 Jan 1 2020 pub", ""},
        {infoResolving, "localhost", ""},
        {infoTransferEnd, "", ""},
    };
    for (const Case &c : cases) {
        TMFtpMessenger log;
        log.FtpInfoHandler(nullptr, c.info, QString::fromUtf8(c.text));
        if (*c.stored) {
            ASSERT_EQ(log.count(), 1) << FtpInfoName(c.info);
            EXPECT_EQ(log.StoredLine(0), QString::fromUtf8(c.stored)) << FtpInfoName(c.info);
        } else {
            EXPECT_EQ(log.count(), 0) << FtpInfoName(c.info);
        }
    }
}

TEST(TMFtpMessenger, DisconnectionIsLoggedOncePerConnection)
{
    TMFtpMessenger log;
    log.FtpInfoHandler(nullptr, infoDisconnected, QStringLiteral("Disconnected"));
    EXPECT_EQ(log.count(), 0); // never connected
    log.FtpInfoHandler(nullptr, infoConnected, QString());
    EXPECT_TRUE(log.connectionLogged());
    log.FtpInfoHandler(nullptr, infoDisconnected, QStringLiteral("Disconnected"));
    log.FtpInfoHandler(nullptr, infoDisconnected, QStringLiteral("Disconnected"));
    ASSERT_EQ(log.count(), 2);
    EXPECT_EQ(log.LineText(1), QStringLiteral("【状态】断开连接"));
    EXPECT_FALSE(log.connectionLogged());
}

TEST(TMFtpMessenger, ErrorsAndTheShowQuestions)
{
    TMFtpMessenger log;
    log.FtpErrorHandler(nullptr, errorCommandFailed, QString());
    EXPECT_EQ(log.count(), 0);
    log.FtpErrorHandler(nullptr, errorTimedOut, QStringLiteral("Connection timed out"));
    ASSERT_EQ(log.count(), 1);
    EXPECT_EQ(log.StoredLine(0), QStringLiteral("clRed『0『【错误】连接超时『"));

    QList<FtpInfo> asked;
    log.OnMessageShow = [&](QObject *sender, FtpInfo info, bool &show) {
        EXPECT_EQ(sender, &log);
        asked << info;
        show = info != infoCommand;
    };
    log.OnErrorShow = [](QObject *, FtpError error, bool &show) { show = error != errorAccessDenied; };
    log.clear();
    log.FtpInfoHandler(nullptr, infoCommand, QStringLiteral("PWD"));
    log.FtpInfoHandler(nullptr, infoReplyText, QStringLiteral("257 \"/\"\r\n "));
    log.FtpErrorHandler(nullptr, errorAccessDenied, QStringLiteral("Access denied or file not found"));
    log.FtpErrorHandler(nullptr, errorNetworkDown, QStringLiteral("Network down"));
    EXPECT_EQ(asked, QList<FtpInfo>({infoCommand, infoReplyText}));
    ASSERT_EQ(log.count(), 2);
    EXPECT_EQ(log.LineText(0), QStringLiteral("【回复】257 \"/\""));
    EXPECT_EQ(log.LineText(1), QStringLiteral("【错误】网络错误"));
}

// Commands and replies as a long session brings them: the log never holds
// more than 2000 lines plus the command and the reply that pass the limit
// (the next command clears it), and the view shows exactly the stored lines
// once they are published.
TEST(TMFtpMessenger, LongSessionStaysWithinTheLineLimit)
{
    TMFtpMessenger log;
    log.resize(400, 100);
    log.show();
    int most = 0;
    for (int i = 0; i < 3 * TMFtpMessenger::MaxLines; ++i) {
        log.FtpInfoHandler(nullptr, infoCommand, QStringLiteral("NOOP"));
        log.FtpInfoHandler(nullptr, infoReplyText, QStringLiteral("200 NOOP ok\r\n "));
        most = std::max(most, log.count());
        if (i % 997 == 0) {
            log.publishLines();
            ASSERT_EQ(log.model()->rowCount(), log.count());
        }
    }
    EXPECT_EQ(most, TMFtpMessenger::MaxLines + 2);
    // A server that never stops talking without a command in between.
    for (int i = 0; i < 3 * TMFtpMessenger::MaxLines; ++i) {
        log.FtpInfoHandler(nullptr, infoReplyText, QStringLiteral("220-Welcome\r\n "));
        ASSERT_LE(log.count(), TMFtpMessenger::FloodLines + 1);
    }
}

TEST(TMFtpMessenger, NewLinesReachTheViewInABatchAndScrollIntoSight)
{
    TMFtpMessenger log;
    log.resize(400, 100);
    log.show();
    for (int i = 0; i < 50; ++i)
        log.AddMessage(QStringLiteral("200 NOOP ok\r\n"), mkReply);
    EXPECT_EQ(log.count(), 50);
    EXPECT_LT(log.model()->rowCount(), 50); // not yet: one batch for all of them
    ASSERT_TRUE(testsupport::waitUntil([&] { return log.model()->rowCount() == 50; }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.viewport()->rect().intersects(log.visualRect(log.model()->index(49, 0))));
    EXPECT_EQ(log.model()->index(49, 0).data().toString(), log.LineText(49));
    EXPECT_TRUE(log.LineText(49).startsWith(QStringLiteral("【回复】200 ")));

    log.AddMessage(QStringLiteral("NOOP"), mkCommand);
    log.clear(); // lines not yet shown go with the others
    EXPECT_EQ(log.count(), 0);
    EXPECT_EQ(log.model()->rowCount(), 0);
    // The next batch holds the line added after the clear, and only that one.
    log.AddMessage(QStringLiteral("PWD"), mkCommand);
    ASSERT_TRUE(testsupport::waitUntil([&] { return log.model()->rowCount() > 0; }));
    EXPECT_EQ(log.model()->rowCount(), 1);
    ASSERT_EQ(log.count(), 1);
    EXPECT_EQ(log.model()->index(0, 0).data().toString(), log.LineText(0));
}
