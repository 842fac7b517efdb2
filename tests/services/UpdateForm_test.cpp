#include "services/ConnectionState.h"
#include "services/Update.h"

#include "../support/PrintQString.h"
#include "support/EventLoopWait.h"
#include "support/HttpTestServer.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"
#include "UpdateSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <unistd.h>

using namespace services;
using namespace updatetest;
using testsupport::HttpAnswer;
using testsupport::HttpTestServer;

namespace {

const QString NoNewVersion = QStringLiteral("   获取升级信息完成，但是没有更新文件。");
const QString NewVersion = QStringLiteral("   获取升级信息完成，发现有更新文件，是否现在升级？");
const QString DescriptionFailed = QStringLiteral("   获取升级信息失败！请稍后再试。");
const QString Complete = QStringLiteral("   完成升级，单击确定将自动重新启动程序。");
const QString SizeWrong = QStringLiteral("   下载更新文件错误，请重试。");
const QString HostUnreachable = QStringLiteral("   计算机不能连接到升级服务器，请稍后再试。");
const QString TimeOut = QStringLiteral("   计算机连接服务器超时，请稍后再试。");
const QString HttpError = QStringLiteral("   计算机连接服务器错误，请稍后再试。");
const QString NoConnection = QStringLiteral("   连接到网络错误，请检查本地网络设置。");

struct Message
{
    ui::MessageKind kind;
    QString text;
};

class UpdateFormTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    HttpTestServer server;
    QString program;
    QByteArray newProgram = fakeProgram(20000);
    QList<Message> messages;
    bool answerYes = true;
    QStringList launched;
    bool launchResult = true;
    std::unique_ptr<TUpdateForm> form;
    bool closed = false;
    int result = -1;
    bool replacementStarted = false;

    void SetUp() override
    {
        ui::SetUseSimplified(true);
        program = dir.filePath(QStringLiteral("bramblewayftp"));
        ASSERT_TRUE(writeFile(program, "the old program"));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                           | QFile::ExeGroup);
        ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("data"))));
        ui::SetMessageBoxHook([this](ui::MessageKind kind, const QString &text) {
            messages << Message{kind, text};
            return kind == ui::MessageKind::Confirmation ? answerYes : true;
        });
        server.answer("/new/prog", newProgram);
    }

    void TearDown() override
    {
        form.reset();
        ui::SetMessageBoxHook({});
        SetConnectionStateHook({});
        ui::SetUseSimplified(true);
    }

    QByteArray publish(const char *version, const QByteArray &sha, const QList<QByteArray> &paths, qint64 size = -1)
    {
        QList<QByteArray> addresses;
        for (const QByteArray &p : paths)
            addresses << (p.startsWith('/') ? server.url(p).toEncoded() : p);
        const QByteArray text = description(version, size >= 0 ? size : newProgram.size(), sha, addresses);
        server.answer("/update/version.txt", text);
        return text;
    }
    void publishGood() { publish("3.7", sha256Hex(newProgram), {"/new/prog"}); }

    void open(const QUrl &base = {})
    {
        UpdateEnvironment env;
        env.programFile = program;
        env.dataFolder = dir.filePath(QStringLiteral("data"));
        env.serviceBase = base.isEmpty() ? server.base() : base;
        env.pid = 4242;
        env.reference = referenceProgram();
        form = std::make_unique<TUpdateForm>(env);
        form->setLauncher([this](const QString &script) {
            launched << script;
            return launchResult;
        });
        QObject::connect(form.get(), &QDialog::finished, [this](int r) {
            closed = true;
            result = r;
        });
        QObject::connect(form.get(), &TUpdateForm::replacementStarted, [this] { replacementStarted = true; });
    }

    // Start, then wait until the window closed or is back at its start.
    void run()
    {
        form->StartClick();
        ASSERT_TRUE(testsupport::waitUntil(
            [this] { return closed || (form->startButton()->isEnabled() && !form->http()->Busy()); }, 10000));
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Message &m : messages)
            out << m.text;
        return out;
    }
    QString update() const { return DownloadTargetFor(program); }
    void expectReset() const
    {
        const char *names[] = {"检测网络配置", "获取升级信息", "获取升级文件", "启动升级程序"};
        for (int i = 0; i < TUpdateForm::StepCount; ++i) {
            EXPECT_EQ(form->bar(i)->value(), 0) << i;
            EXPECT_EQ(form->bar(i)->format(), QString::fromUtf8(names[i])) << i;
        }
        EXPECT_TRUE(form->startButton()->isEnabled());
    }
};

} // namespace

TEST_F(UpdateFormTest, ShowingResetsTheSteps)
{
    open();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("智能升级"));
    EXPECT_EQ(form->startButton()->text(), QStringLiteral("开  始"));
    EXPECT_EQ(form->cancelButton()->text(), QStringLiteral("取  消"));
    EXPECT_EQ(form->stepLabel(0)->text(), QStringLiteral("第一步："));
    EXPECT_EQ(form->stepLabel(3)->text(), QStringLiteral("第四步："));
    expectReset();
    ui::SetUseSimplified(false);
    form->SetTexts();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("智能升級"));
    EXPECT_EQ(form->startButton()->text(), QStringLiteral("開  始"));
    EXPECT_EQ(form->bar(3)->format(), QStringLiteral("啓動升級程序"));
}

TEST_F(UpdateFormTest, SameVersionReportsNoUpdate)
{
    const QByteArray published = publish("3.6", sha256Hex(newProgram), {"/new/prog"});
    open();
    run();
    EXPECT_EQ(texts(), QStringList{NoNewVersion});
    EXPECT_EQ(messages.first().kind, ui::MessageKind::Information);
    EXPECT_TRUE(closed);
    EXPECT_EQ(server.requestCount("/new/prog"), 0);
    // The description stays in the data folder as version.ini.
    EXPECT_EQ(form->versionFile(), dir.filePath(QStringLiteral("data/version.ini")));
    EXPECT_EQ(readFile(form->versionFile()), published);
    EXPECT_EQ(form->bar(1)->format(), QStringLiteral("获取升级信息...成功√"));
}

TEST_F(UpdateFormTest, NewVersionDeclinedDownloadsNothing)
{
    publishGood();
    answerYes = false;
    open();
    run();
    EXPECT_EQ(texts(), QStringList{NewVersion});
    EXPECT_EQ(messages.first().kind, ui::MessageKind::Confirmation);
    EXPECT_TRUE(closed);
    EXPECT_EQ(server.requestCount("/new/prog"), 0);
    EXPECT_FALSE(QFile::exists(update()));
}

TEST_F(UpdateFormTest, AVerifiedDownloadStartsTheReplacement)
{
    publishGood();
    open();
    run();
    EXPECT_EQ(texts(), (QStringList{NewVersion, Complete}));
    EXPECT_TRUE(closed);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(replacementStarted);
    EXPECT_EQ(launched, QStringList{ScriptPathFor(program)});
    // The new file waits beside the old one, runnable, with its permissions.
    EXPECT_EQ(readFile(update()), newProgram);
    EXPECT_EQ(QFileInfo(update()).permissions() & 0x7777, QFileInfo(program).permissions() & 0x7777);
    EXPECT_EQ(readFile(program), "the old program");
    const QByteArray script = readFile(ScriptPathFor(program));
    EXPECT_TRUE(script.contains("pid=4242\n"));
    EXPECT_TRUE(script.contains("update=" + ShellQuote(QFile::encodeName(update())) + "\n"));
    EXPECT_EQ(form->bar(2)->format(), QStringLiteral("获取升级文件...成功√"));
    EXPECT_EQ(form->bar(3)->value(), 100);
    EXPECT_EQ(form->bar(3)->format(), QStringLiteral("启动升级程序..."));
}

TEST_F(UpdateFormTest, AScriptThatDoesNotStartKeepsTheOldProgram)
{
    publishGood();
    launchResult = false;
    open();
    run();
    EXPECT_EQ(texts(), (QStringList{NewVersion, Complete, QStringLiteral("   不能启动升级程序，程序未被替换。")}));
    EXPECT_FALSE(replacementStarted);
    EXPECT_FALSE(QFile::exists(update()));
    EXPECT_FALSE(QFile::exists(ScriptPathFor(program)));
    EXPECT_EQ(readFile(program), "the old program");
}

// Every failure ends with its message; the program is never touched and no
// download is left behind.
TEST_F(UpdateFormTest, Failures)
{
    QByteArray flipped = newProgram;
    flipped[10000] = char(flipped[10000] ^ 0x40);
    const QByteArray notAProgram = "#!/bin/sh\n" + QByteArray(200, '#');
    HttpAnswer truncated{200, newProgram.left(5000)};
    truncated.announcedLength = newProgram.size();
    HttpAnswer silent;
    silent.silent = true;

    struct Case
    {
        const char *what;
        std::function<void()> setup;
        QStringList messages;
        bool closes;
        int downloads;
    };
    const QString sha = QString::fromLatin1(sha256Hex(newProgram));
    const Case cases[] = {
        {"version file 404", [] {}, {HttpError}, false, 0},
        {"version file silent",
         [&] {
             server.answer("/update/version.txt", silent);
             form->http()->setTimeOut(200);
         },
         {TimeOut}, false, 0},
        {"version file empty", [&] { server.answer("/update/version.txt", QByteArray()); }, {DescriptionFailed}, true, 0},
        {"no download address", [&] { publish("3.7", sha256Hex(newProgram), {}); }, {DescriptionFailed}, true, 0},
        {"only an ftp address", [&] { publish("3.7", sha256Hex(newProgram), {"ftp://127.0.0.1/p"}); },
         {DescriptionFailed}, true, 0},
        {"no file size", [&] { publish("3.7", sha256Hex(newProgram), {"/new/prog"}, 0); }, {DescriptionFailed}, true, 0},
        {"malformed checksum", [&] { publish("3.7", "abc", {"/new/prog"}); }, {DescriptionFailed}, true, 0},
        {"no checksum over http", [&] { publish("3.7", {}, {"/new/prog"}); },
         {NewVersion, QStringLiteral("   升级信息中没有更新文件的校验值（SHA256），不能通过不加密的连接升级。")}, true, 0},
        {"download 404", [&] { publish("3.7", sha256Hex(newProgram), {"/gone"}); }, {NewVersion, HttpError}, false, 0},
        {"download truncated",
         [&] {
             publishGood();
             server.answer("/new/prog", truncated);
         },
         {NewVersion, SizeWrong}, true, 1},
        {"download one byte short",
         [&] { publish("3.7", sha256Hex(newProgram), {"/new/prog"}, newProgram.size() + 1); },
         {NewVersion, SizeWrong}, true, 1},
        {"download larger than announced",
         [&] { publish("3.7", sha256Hex(newProgram), {"/new/prog"}, newProgram.size() - 1); },
         {NewVersion, SizeWrong}, true, 1},
        {"download silent",
         [&] {
             publishGood();
             server.answer("/new/prog", silent);
             form->http()->setTimeOut(200);
         },
         {NewVersion, TimeOut}, false, 1},
        {"wrong checksum",
         [&] {
             publishGood();
             server.answer("/new/prog", flipped);
         },
         {NewVersion, QStringLiteral("   更新文件校验错误（SHA-256 不符），程序未被替换，请重试。")}, true, 1},
        {"not a program",
         [&] {
             publish("3.7", sha256Hex(notAProgram), {"/new/prog"}, notAProgram.size());
             server.answer("/new/prog", notAProgram);
         },
         {NewVersion, QStringLiteral("   下载的更新文件不是本系统可以运行的程序，程序未被替换。")}, true, 1},
        {"no network",
         [&] { SetConnectionStateHook([](const QUrl &) { return false; }); },
         {NoConnection}, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        server.answer("/update/version.txt", HttpAnswer{404, "no"});
        server.answer("/new/prog", newProgram);
        messages.clear();
        closed = false;
        open();
        c.setup();
        const int before = server.requestCount("/new/prog");
        run();
        SetConnectionStateHook({});
        EXPECT_EQ(texts(), c.messages);
        for (int i = 1; i < messages.size(); ++i)
            EXPECT_EQ(messages[i].kind, ui::MessageKind::Error);
        EXPECT_EQ(closed, c.closes);
        if (!c.closes)
            expectReset();
        EXPECT_EQ(server.requestCount("/new/prog") - before, c.downloads);
        EXPECT_FALSE(replacementStarted);
        EXPECT_TRUE(launched.isEmpty());
        EXPECT_FALSE(QFile::exists(update()));
        EXPECT_EQ(readFile(program), "the old program");
        form.reset();
    }
}

TEST_F(UpdateFormTest, NoNetworkMakesNoRequest)
{
    publishGood();
    SetConnectionStateHook([](const QUrl &) { return false; });
    open();
    run();
    EXPECT_EQ(texts(), QStringList{NoConnection});
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(UpdateFormTest, ServerNotListening)
{
    open(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(HttpTestServer::closedPort())));
    run();
    EXPECT_EQ(texts(), QStringList{HostUnreachable});
    EXPECT_FALSE(closed);
    expectReset();
}

TEST_F(UpdateFormTest, CancelDuringTheDownloadAbortsIt)
{
    HttpAnswer stalls{200, newProgram};
    stalls.stallAfter = 1000;
    publishGood();
    server.answer("/new/prog", stalls);
    open();
    form->StartClick();
    ASSERT_TRUE(testsupport::waitUntil([this] { return form->http()->received() == 1000; }));
    EXPECT_EQ(form->bar(2)->format(), QStringLiteral("正在获取升级文件... %p%"));
    EXPECT_EQ(form->bar(2)->value(), 5);
    EXPECT_TRUE(QFile::exists(update()));
    form->CancelClick();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(form->http()->Busy());
    EXPECT_FALSE(QFile::exists(update()));
    EXPECT_EQ(texts(), QStringList{NewVersion});
    EXPECT_TRUE(launched.isEmpty());
}

TEST_F(UpdateFormTest, ThreeAddressesAreAllUsed)
{
    server.answer("/a", newProgram);
    server.answer("/b", newProgram);
    server.answer("/c", newProgram);
    publish("3.7", sha256Hex(newProgram), {"/a", "/b", "/c"});
    QRandomGenerator random(7);
    for (int i = 0; i < 12; ++i) {
        closed = false;
        open();
        form->setRandom(&random);
        run();
        EXPECT_TRUE(replacementStarted);
        replacementStarted = false;
    }
    EXPECT_EQ(server.requestCount("/a") + server.requestCount("/b") + server.requestCount("/c"), 12);
    EXPECT_GT(server.requestCount("/a"), 0);
    EXPECT_GT(server.requestCount("/b"), 0);
    EXPECT_GT(server.requestCount("/c"), 0);
}

TEST_F(UpdateFormTest, AProgramThatCannotBeWrittenIsNotReplaced)
{
    publishGood();
    // Permissions do not bind the superuser: a program file that is gone
    // cannot be replaced either.
    const bool superuser = geteuid() == 0;
    if (superuser)
        QFile::remove(program);
    else
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    open();
    run();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(texts(), (QStringList{NewVersion, QStringLiteral("   没有修改程序文件的权限，不能升级。请以有权限的用户运行升级。")}));
    EXPECT_EQ(server.requestCount("/new/prog"), 0);
}

TEST_F(UpdateFormTest, TraditionalMessages)
{
    ui::SetUseSimplified(false);
    publish("3.6", {}, {"/new/prog"});
    open();
    run();
    EXPECT_EQ(texts(), QStringList{QStringLiteral("   獲取升級信息完成，但是沒有更新文件。")});
}
