#include "services/ConnectionState.h"
#include "services/SendInfo.h"

#include "../support/PrintQString.h"
#include "support/EventLoopWait.h"
#include "support/HttpTestServer.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace services;
using testsupport::HttpAnswer;
using testsupport::HttpTestServer;

namespace {

const QByteArray Path = "/feedback/addinfo.asp";
const QString Success = QStringLiteral("   提交信息成功，我们会尽快回复您。");
const QString Failed = QStringLiteral("   提交信息失败，请稍后再试。");

class SendInfoTest : public ::testing::Test
{
protected:
    HttpTestServer server;
    QStringList messages;
    QList<ui::MessageKind> kinds;
    std::unique_ptr<TSendUserInfo> form;
    bool closed = false;

    void SetUp() override
    {
        ui::SetUseSimplified(true);
        ui::SetMessageBoxHook([this](ui::MessageKind kind, const QString &text) {
            messages << text;
            kinds << kind;
            return true;
        });
        server.answer(Path, QByteArray("<html>\r\n") + "留言成功" + "\r\n</html>");
    }
    void TearDown() override
    {
        form.reset();
        ui::SetMessageBoxHook({});
        SetConnectionStateHook({});
        ui::SetUseSimplified(true);
    }

    void open(const QUrl &base = {})
    {
        form = std::make_unique<TSendUserInfo>(base.isEmpty() ? server.base() : base);
        form->setSendDelay(0);
        form->setIdentity(QStringLiteral("0123456789ABCD"));
        form->setClock([] { return QDateTime(QDate(2024, 5, 1), QTime(9, 7)); });
        QObject::connect(form.get(), &QDialog::finished, [this] { closed = true; });
    }
    void fill(const char *title, const char *email, const char *text)
    {
        form->titleBox()->setEditText(QString::fromUtf8(title));
        form->emailEdit()->setText(QString::fromUtf8(email));
        form->textEdit()->setPlainText(QString::fromUtf8(text));
    }
    // Sends and waits for the answer's message.
    void send()
    {
        const qsizetype before = messages.size();
        form->SendClick();
        ASSERT_TRUE(testsupport::waitUntil([&] { return messages.size() > before; }, 10000));
        EXPECT_FALSE(form->Sending());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(form->sendButton()->isEnabled());
    }
};

} // namespace

TEST_F(SendInfoTest, TextsOfBothLanguages)
{
    open();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("联系我们"));
    ASSERT_EQ(form->titleBox()->count(), 3);
    EXPECT_EQ(form->titleBox()->itemText(1), QStringLiteral("购买产品"));
    EXPECT_EQ(form->titleBox()->currentText(), QString());
    EXPECT_EQ(form->sendButton()->text(), QStringLiteral("发送信息"));
    EXPECT_EQ(form->closeButton()->text(), QStringLiteral("关  闭"));
    EXPECT_EQ(form->emailEdit()->toolTip(), QStringLiteral("请填写有效E-Mail以方便我们与您联系"));
    ui::SetUseSimplified(false);
    form->titleBox()->setEditText(QStringLiteral("typed"));
    form->SetTexts();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("聯系我們"));
    EXPECT_EQ(form->titleBox()->itemText(2), QStringLiteral("産品反饋"));
    EXPECT_EQ(form->closeButton()->text(), QStringLiteral("關  閉"));
    EXPECT_EQ(form->sendButton()->toolTip(), QStringLiteral("將信息發送給我們,我們將予以回複"));
    EXPECT_EQ(form->titleBox()->currentText(), QStringLiteral("typed"));
}

TEST_F(SendInfoTest, TheBodyOnTheWireByteForByte)
{
    const struct { const char *title; const char *email; const char *text; QByteArray body; } cases[] = {
        {"Hi", "a@b.cn", "a b\nc",
         "user=vexlo&email=a%40b%2Ecn&title=Hi&text=a%26nbsp%3Bb%3Cbr%3E%0Ac&image=on&home=0123456789ABCD"
         "&time=2024%2D05%2D01%26nbsp%3B09%3A07"},
        {"产品反馈 2", " me @ example.com ", "你好",
         "user=vexlo&email=me%40example%2Ecom&title=%B2%FA%C6%B7%B7%B4%C0%A1+2&text=%C4%E3%BA%C3&image=on"
         "&home=0123456789ABCD&time=2024%2D05%2D01%26nbsp%3B09%3A07"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        closed = false;
        open();
        fill(c.title, c.email, c.text);
        const qsizetype before = server.requests().size();
        send();
        ASSERT_EQ(server.requests().size(), before + 1);
        EXPECT_EQ(server.requests().last().method, "POST");
        EXPECT_EQ(server.requests().last().path, Path);
        EXPECT_EQ(server.requests().last().body, c.body);
        EXPECT_EQ(messages.last(), Success);
        EXPECT_EQ(kinds.last(), ui::MessageKind::Information);
        EXPECT_TRUE(closed);
    }
}

TEST_F(SendInfoTest, ChecksBeforeSending)
{
    const struct { const char *title; const char *email; const char *text; const char *message; const char *focus; } cases[] = {
        {"", "a@b.cn", "text", "   标题不能为空，请输入标题！", "InfoTitle"},
        {"   ", "a@b.cn", "text", "   标题不能为空，请输入标题！", "InfoTitle"},
        {"title", "a@b.cn", "", "   提交的内容不能为空，请输入您要提交的内容！", "InfoText"},
        {"title", "a@b.cn", " \n ", "   提交的内容不能为空，请输入您要提交的内容！", "InfoText"},
        {"title", "me@", "text", "   输入的电子邮件格式错误！", "UserEMail"},
    };
    open();
    form->show();
    for (const auto &c : cases) {
        fill(c.title, c.email, c.text);
        messages.clear();
        form->SendClick();
        EXPECT_EQ(messages, QStringList{QString::fromUtf8(c.message)}) << c.title << "/" << c.text;
        EXPECT_FALSE(form->Sending());
        EXPECT_EQ(form->focusWidget() ? form->focusWidget()->objectName() : QString(), QLatin1String(c.focus));
    }
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_FALSE(closed);
}

TEST_F(SendInfoTest, NoNetworkSendsNothing)
{
    SetConnectionStateHook([](const QUrl &) { return false; });
    open();
    fill("t", "", "x");
    form->SendClick();
    EXPECT_EQ(messages, QStringList{QStringLiteral("   提交信息错误！计算机没有连接到网络。")});
    EXPECT_FALSE(form->Sending());
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(SendInfoTest, AnswersThatAreNotSuccess)
{
    HttpAnswer silent;
    silent.silent = true;
    struct Case
    {
        const char *what;
        std::function<QUrl()> setup;
        QString message;
    };
    const Case cases[] = {
        {"success text with more on its line", [&] { server.answer(Path, QByteArray("留言成功!")); return QUrl(); },
         Failed},
        {"empty answer", [&] { server.answer(Path, QByteArray()); return QUrl(); }, Failed},
        {"404", [&] { server.answer(Path, HttpAnswer{404, "留言成功"}); return QUrl(); },
         QStringLiteral("   计算机连接服务器错误，请稍后再试。")},
        {"silent",
         [&] {
             server.answer(Path, silent);
             form->http()->setTimeOut(200);
             return QUrl();
         },
         QStringLiteral("   计算机连接服务器超时，请稍后再试。")},
        {"nothing listening",
         [&] { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(HttpTestServer::closedPort())); },
         QStringLiteral("   计算机不能连接到服务器，请稍后再试。")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        open();
        const QUrl base = c.setup();
        if (!base.isEmpty()) {
            open(base);
        }
        fill("title", "", "text");
        closed = false;
        send();
        EXPECT_EQ(messages.last(), c.message);
        EXPECT_EQ(kinds.last(), ui::MessageKind::Error);
        EXPECT_FALSE(closed);
        // What was typed stays for another try.
        EXPECT_EQ(form->textEdit()->toPlainText(), QStringLiteral("text"));
    }
}

TEST_F(SendInfoTest, SendingTwiceSendsOnce)
{
    HttpAnswer silent;
    silent.silent = true;
    server.answer(Path, silent);
    open();
    form->setSendDelay(50);
    fill("title", "", "text");
    form->SendClick();
    EXPECT_TRUE(form->Sending());
    EXPECT_FALSE(form->sendButton()->isEnabled());
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    form->SendClick(); // during the pause
    ASSERT_TRUE(testsupport::waitUntil([&] { return server.requests().size() == 1; }));
    form->SendClick(); // while the request runs
    // Closing aborts the running request and gives the cursor back.
    form->CloseClick();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(form->Sending());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SendInfoTest, TheTextIsLimited)
{
    open();
    form->textEdit()->setPlainText(QString(2000, QLatin1Char('x')));
    EXPECT_EQ(form->textEdit()->toPlainText().size(), TSendUserInfo::MaxTextLength);
}
