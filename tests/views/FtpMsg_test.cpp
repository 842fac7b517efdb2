#include "views/FtpMsg.h"

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
