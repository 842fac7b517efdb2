#include "EngineTestKit.h"

#include "platform/HostLookup.h"
#include "platform/WinSock.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QTcpServer>

#include <algorithm>

using namespace enginetest;
using testsupport::ScriptedFtpServer;
using testsupport::ServerAction;
using testsupport::waitUntil;

namespace {

// The engine's debug lines while it lives.
class EngineLog
{
public:
    EngineLog()
    {
        lines().clear();
        QLoggingCategory::setFilterRules(QStringLiteral("bw.engine.debug=true"));
        previous_ = qInstallMessageHandler(&EngineLog::collect);
    }
    ~EngineLog()
    {
        qInstallMessageHandler(previous_);
        QLoggingCategory::setFilterRules(QString());
    }
    bool has(const char *text) const
    {
        return std::any_of(lines().cbegin(), lines().cend(),
                           [text](const QString &line) { return line.contains(QLatin1String(text)); });
    }

private:
    static QStringList &lines()
    {
        static QStringList collected;
        return collected;
    }
    static void collect(QtMsgType, const QMessageLogContext &, const QString &text) { lines().append(text); }

    QtMessageHandler previous_ = nullptr;
};

class LoginTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::ensureCoreApplication();
        server.scriptStandardSession();
        SetUpForTest(ftp, server.port());
        rec.attach(ftp);
    }

    void LoginAndWait()
    {
        ftp.Login();
        ASSERT_TRUE(WaitLoginOver(ftp, rec)) << rec.dump().toStdString();
    }

    testsupport::CoreApplicationGuard app;
    ScriptedFtpServer server;
    TMFtp ftp;
    Recorder rec;
};

TEST_F(LoginTest, SendsTheLoginSequenceByteForByte)
{
    LoginAndWait();
    EXPECT_EQ(server.received(), QByteArray("USER user\r\nPASS secret\r\nFEAT\r\nSYST\r\nREST 100\r\nREST 0\r\nPWD\r\n"));
    EXPECT_TRUE(ftp.Connected());
    EXPECT_TRUE(ftp.LoggedIn());
    EXPECT_FALSE(ftp.Connecting());
    EXPECT_FALSE(ftp.Busy());
    EXPECT_TRUE(ftp.CanResume());
    EXPECT_EQ(ftp.ServerType(), ftpstUNIX);
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/"));
    EXPECT_EQ(ftp.Operation(), opNone);

    const QStringList expectedOrder = {
        QStringLiteral("info infoConnected "),
        QStringLiteral("info infoConnected 127.0.0.1"),
        QStringLiteral("info infoResumeSupported This site can resume broken downloads/uploads"),
        QStringLiteral("info infoLoggedIn Logged in"),
        QStringLiteral("event Ready"),
        QStringLiteral("event LoggedIn"),
    };
    qsizetype at = -1;
    for (const QString &line : expectedOrder) {
        const qsizetype found = rec.lines.indexOf(line, at + 1);
        EXPECT_GT(found, at) << line.toStdString() << "\n" << rec.dump().toStdString();
        at = found;
    }
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
    EXPECT_EQ(rec.count(QStringLiteral("event Busy")), 0); // Busy stays false during a login
}

TEST_F(LoginTest, PasswordNeverReachesTheReports)
{
    LoginAndWait();
    EXPECT_TRUE(rec.has(QStringLiteral("info infoCommand PASS (want to know) :-P\r\n")));
    EXPECT_TRUE(rec.has(QStringLiteral("info infoCommand USER user")));
    EXPECT_FALSE(rec.dump().contains(QLatin1String("secret"))) << rec.dump().toStdString();
}

TEST_F(LoginTest, ReplyTextIsReportedAsReceived)
{
    LoginAndWait();
    EXPECT_TRUE(rec.has(QStringLiteral("info infoReplyText 220 Scripted server ready.\r\n ")))
        << rec.dump().toStdString();
}

TEST_F(LoginTest, AnonymousServerNeedsNoPassword)
{
    server.setReply("USER", "230 Anonymous access granted.\r\n");
    ftp.SetUsername(QStringLiteral("anonymous"));
    LoginAndWait();
    EXPECT_TRUE(ftp.LoggedIn());
    EXPECT_EQ(server.verbs(), (QList<QByteArray>{"USER", "FEAT", "SYST", "REST", "REST", "PWD"}));
}

TEST_F(LoginTest, AccountIsSentWhenAsked)
{
    server.setReply("PASS", "332 Need account.\r\n");
    server.setReply("ACCT", "230 OK.\r\n");
    ftp.SetAccount(QStringLiteral("acc1"));
    LoginAndWait();
    EXPECT_TRUE(ftp.LoggedIn());
    EXPECT_TRUE(server.commands().contains("ACCT acc1"));
}

TEST_F(LoginTest, MultiLineGreetingAndRepliesSplitAcrossWrites)
{
    server.setGreeting("220-Welcome to the\r\n220-scripted server\r\n 230 not a reply\r\n220 Ready.\r\n");
    server.setReply("PWD", "257-Here it comes\r\n257 \"/home/user\" is current.\r\n");
    server.setWriteChunk(3);
    LoginAndWait();
    EXPECT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/home/user"));
    EXPECT_EQ(server.verbs(), (QList<QByteArray>{"USER", "PASS", "FEAT", "SYST", "REST", "REST", "PWD"}));
    EXPECT_EQ(ftp.LastReply(), QByteArray("257 \"/home/user\" is current."));
}

TEST_F(LoginTest, NetTermGreetingSkipsSyst)
{
    server.setGreeting("220 NetTerm FTP server ready\r\n");
    server.setReply("PWD", "257 \"/C:/pub\"\r\n");
    LoginAndWait();
    EXPECT_EQ(ftp.ServerType(), ftpstNetTerm);
    EXPECT_FALSE(server.verbs().contains("SYST"));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/pub"));
}

TEST_F(LoginTest, PresetServerTypeAppliesTheDrivePathRule)
{
    ftp.SetServerType(ftpstServU);
    server.setReply("PWD", "257 \"/D:/ftp\" is current directory.\r\n");
    LoginAndWait();
    EXPECT_FALSE(server.verbs().contains("SYST"));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/ftp"));
}

TEST_F(LoginTest, SystRefusalGivesDefaultType)
{
    server.setReply("SYST", "500 unknown command\r\n");
    LoginAndWait();
    EXPECT_EQ(ftp.ServerType(), ftpstDefault);
}

TEST_F(LoginTest, InitialDirectoryQuotedByCwdNeedsNoPwd)
{
    ftp.SetInitialDirectory("/pub/in");
    server.setReply("CWD", "250 \"/pub/in\" is current directory.\r\n");
    LoginAndWait();
    EXPECT_TRUE(server.commands().contains("CWD /pub/in"));
    EXPECT_FALSE(server.verbs().contains("PWD"));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/pub/in"));
}

TEST_F(LoginTest, InitialDirectoryWithoutQuoteAsksPwd)
{
    ftp.SetInitialDirectory("pub");
    server.setReply("PWD", "257 \"/pub\"\r\n");
    LoginAndWait();
    EXPECT_EQ(server.verbs().last(), QByteArray("PWD"));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/pub"));
}

TEST_F(LoginTest, RestRefusedMeansNoResume)
{
    server.setReply("REST", "502 REST not implemented.\r\n");
    LoginAndWait();
    EXPECT_TRUE(ftp.LoggedIn());
    EXPECT_FALSE(ftp.CanResume());
    EXPECT_TRUE(rec.has(QStringLiteral(
        "info infoResumeNotSupported This site cannot resume broken downloads/uploads")));
    EXPECT_EQ(server.commands().count("REST 100"), 1);
    EXPECT_FALSE(server.commands().contains("REST 0"));
}

TEST_F(LoginTest, RefusedPwdEndsTheLoginWithAnError)
{
    server.setReply("PWD", "550 No.\r\n");
    LoginAndWait();
    EXPECT_FALSE(ftp.LoggedIn());
    EXPECT_EQ(rec.count(errorCommandFailed), 1);
    EXPECT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); }));
    EXPECT_FALSE(ftp.Connected());
}

TEST_F(LoginTest, RetriesCountedWithoutPause)
{
    server.setGreeting("421 Too many users.\r\n", true);
    ftp.SetRetries(3);
    ftp.SetRetryInterval(0);
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); })) << rec.dump().toStdString();
    EXPECT_EQ(server.connectionCount(), 4);
    EXPECT_EQ(rec.count(errorServerRefused), 4);
    EXPECT_EQ(rec.count(QStringLiteral("info infoRetrying 0 Retrying...")), 3);
    EXPECT_EQ(rec.count(QStringLiteral("info infoRetryFinished Retry Finished")), 1);
    EXPECT_EQ(rec.count(QStringLiteral("info infoDisconnected Disconnected")), 1);
    EXPECT_GT(rec.lines.indexOf(QStringLiteral("info infoDisconnected Disconnected")),
              rec.lines.indexOf(QStringLiteral("info infoRetryFinished Retry Finished")));
    EXPECT_FALSE(ftp.Connecting());
    EXPECT_FALSE(ftp.Connected());
    EXPECT_TRUE(server.received().isEmpty()); // nothing is sent after a refused greeting
}

TEST_F(LoginTest, RetryAfterFailureThenSuccess)
{
    server.setGreetings({{"421 Busy.\r\n", true}, {"220 Ready.\r\n"}});
    ftp.SetRetries(2);
    LoginAndWait();
    EXPECT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    EXPECT_EQ(server.connectionCount(), 2);
    EXPECT_EQ(rec.count(infoRetrying), 1);
}

TEST_F(LoginTest, RefusedPasswordAsksUserThenPasswordAndReconnects)
{
    server.setReplies("PASS", {{"530 Login incorrect.\r\n"}, {"230 Logged in.\r\n"}});
    rec.answers[needUsername] = {QStringLiteral("user2")};
    rec.answers[needPassword] = {QStringLiteral("pw2")};
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event LoggedIn")); })) << rec.dump().toStdString();
    EXPECT_EQ(rec.needs, (QStringList{QStringLiteral("needUsername"), QStringLiteral("needPassword")}));
    EXPECT_EQ(rec.count(errorLoginFailed), 1);
    EXPECT_EQ(server.connectionCount(), 2);
    const QList<QByteArray> commands = server.commands();
    EXPECT_EQ(commands.mid(0, 4), (QList<QByteArray>{"USER user", "PASS secret", "USER user2", "PASS pw2"}));
    EXPECT_EQ(ftp.Username(), QStringLiteral("user2"));
}

TEST_F(LoginTest, CancelledCredentialPromptEndsTheSession)
{
    server.setReply("PASS", "530 Login incorrect.\r\n");
    ftp.OnFtpNeedInfo = [this](QObject *, TMFtpInfoNeeded need, QString &) {
        rec.needs.append(QLatin1String(FtpInfoNeededName(need)));
        ftp.SetRetryLogin(false);
    };
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); })) << rec.dump().toStdString();
    EXPECT_EQ(rec.needs, QStringList{QStringLiteral("needUsername")});
    EXPECT_FALSE(ftp.Connecting());
    EXPECT_EQ(server.connectionCount(), 1);
}

TEST_F(LoginTest, KeepAliveSendsNoopAfterIdleInterval)
{
    LoginAndWait();
    ftp.SetNoopInterval(1);
    EXPECT_EQ(ftp.NoopInterval(), 1);
    ASSERT_TRUE(waitUntil([&] { return server.verbs().contains("NOOP"); }, 5000));
    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy(); }));
    EXPECT_EQ(ftp.Operation(), opNoop);
    EXPECT_EQ(rec.count(QStringLiteral("event Busy")), 0); // NOOP raises no events
    EXPECT_TRUE(rec.has(QStringLiteral("info infoCommand NOOP")));
}

TEST_F(LoginTest, NoopRefusedStopsTheKeepAlive)
{
    server.setReply("NOOP", "502 NOOP not implemented.\r\n");
    LoginAndWait();
    ftp.SetNoopInterval(1);
    EngineLog log;
    ASSERT_TRUE(waitUntil([&] { return server.verbs().contains("NOOP"); }, 5000));
    // The next tick of the keep-alive, and then a command: a NOOP sent on
    // that tick would reach the server before it.
    ASSERT_TRUE(waitUntil([&] { return log.has("keep-alive tick: the server refused NOOP"); }, 5000));
    const int ready = rec.countEvent("Ready");
    ftp.ChangeDirectory("/pub");
    ASSERT_TRUE(waitUntil([&] { return rec.countEvent("Ready") == ready + 1; })) << rec.dump().toStdString();
    EXPECT_EQ(server.commands().mid(server.commands().indexOf("NOOP")),
              (QList<QByteArray>{"NOOP", "CWD /pub", "PWD"}));
}

TEST_F(LoginTest, NoopIntervalZeroSwitchesTheKeepAliveOff)
{
    LoginAndWait();
    ftp.SetNoopInterval(0);
    // An interval of 0 that started the timer would fire on every turn of the
    // event loop: after an operation (which restarts the keep-alive) and a
    // drain of the loop, the next command would follow a NOOP.
    const int ready = rec.countEvent("Ready");
    ftp.ChangeDirectory("/a");
    ASSERT_TRUE(waitUntil([&] { return rec.countEvent("Ready") == ready + 1; })) << rec.dump().toStdString();
    testsupport::drainEvents();
    ftp.ChangeDirectory("/b");
    ASSERT_TRUE(waitUntil([&] { return rec.countEvent("Ready") == ready + 2; })) << rec.dump().toStdString();
    EXPECT_EQ(server.commands().mid(server.commands().indexOf("CWD /a")), (QList<QByteArray>{"CWD /a", "PWD", "CWD /b", "PWD"}));
    EXPECT_EQ(ftp.NoopInterval(), 0);
}

TEST_F(LoginTest, OperationsRefusedWhenNotConnected)
{
    ftp.ChangeDirectory("/pub");
    ftp.Quit();
    EXPECT_EQ(rec.count(QStringLiteral("info infoDisconnected Not connected to the server")), 2);
    testsupport::drainEvents();
    EXPECT_EQ(rec.count(QStringLiteral("event Busy")), 0);
    EXPECT_EQ(rec.count(QStringLiteral("event Ready")), 0);
    EXPECT_EQ(server.connectionCount(), 0);
}

TEST_F(LoginTest, OperationsRefusedWhileBusy)
{
    server.setReply("CWD", ""); // never answers
    LoginAndWait();
    ftp.ChangeDirectory("/a");
    ASSERT_TRUE(ftp.Busy());
    ftp.ChangeDirectory("/b");
    ftp.Login();
    EXPECT_EQ(rec.count(QStringLiteral("info infoBusy The component is busy doing something")), 2);
    ASSERT_TRUE(waitUntil([&] { return server.commands().contains("CWD /a"); }));
    // Everything sent reaches the server before the hang-up does.
    ftp.Disconnect();
    ASSERT_TRUE(waitUntil([&] { return !server.clientConnected(); }));
    EXPECT_EQ(server.verbs().count("CWD"), 1);
    EXPECT_FALSE(server.commands().contains("CWD /b"));
    EXPECT_EQ(server.connectionCount(), 1);
}

TEST_F(LoginTest, RefusedConnectionIsRetriedThenEndsTheSession)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    ftp.SetPort(closedPort);
    ftp.SetRetries(3);
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); })) << rec.dump().toStdString();
    EXPECT_EQ(rec.count(QStringLiteral("error errorConnectionRefused Connection Refused")), 4) << rec.dump().toStdString();
    EXPECT_EQ(rec.count(infoRetrying), 3);
    EXPECT_EQ(rec.count(infoRetryFinished), 1);
    EXPECT_TRUE(rec.has(QStringLiteral("info infoDisconnected Disconnected")));
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Ready")); }));
    EXPECT_FALSE(ftp.Connected());
    EXPECT_FALSE(ftp.Connecting());
    EXPECT_FALSE(ftp.Retrying());
}

TEST_F(LoginTest, RefusedConnectionWithoutRetriesEndsAtOnce)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    ftp.SetPort(closedPort);
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); })) << rec.dump().toStdString();
    EXPECT_EQ(rec.count(errorConnectionRefused), 1);
    EXPECT_EQ(rec.count(infoRetrying), 0);
    EXPECT_EQ(ftp.ErrorCode(), errorConnectionRefused);
}

// Nobody to ask for new credentials: the same ones would be refused again,
// so the refusal counts as a failed attempt and Retries bounds the attempts.
TEST_F(LoginTest, RefusedLoginWithoutPromptHonoursRetries)
{
    server.setReply("PASS", "530 Login incorrect.\r\n");
    ftp.OnFtpNeedInfo = nullptr;
    for (int retries : {0, 2}) {
        SCOPED_TRACE(retries);
        rec.lines.clear();
        rec.infos.clear();
        rec.errors.clear();
        const int before = server.connectionCount();
        ftp.SetRetries(retries);
        ftp.Login();
        ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); })) << rec.dump().toStdString();
        EXPECT_EQ(server.connectionCount() - before, retries + 1);
        EXPECT_EQ(rec.count(QStringLiteral("error errorLoginFailed 530 Login incorrect.")), retries + 1)
            << rec.dump().toStdString();
        EXPECT_EQ(rec.count(infoRetryFinished), 1);
        EXPECT_FALSE(ftp.Connecting());
    }
}

TEST_F(LoginTest, RefusalsCarryTheServersLastLine)
{
    server.setGreetings({{"421-Too many users.\r\n421 Try later.\r\n", true}});
    LoginAndWait();
    EXPECT_TRUE(rec.has(QStringLiteral("error errorServerRefused 421 Try later."))) << rec.dump().toStdString();
}

TEST_F(LoginTest, HostNotFoundIsReportedWithItsCode)
{
    struct Failing {
        Failing() { platform::HostLookup::setFailingHosts({{QStringLiteral("no.such.host"), platform::WSAHOST_NOT_FOUND}}); }
        ~Failing() { platform::HostLookup::setFailingHosts({}); }
    } failing;
    ftp.SetServer(QStringLiteral("No.Such.Host"));
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return !rec.errors.isEmpty() && !ftp.Connecting(); }));
    EXPECT_TRUE(rec.has(QStringLiteral("info infoResolving No.Such.Host")));
    EXPECT_TRUE(rec.has(QStringLiteral("error errorHostNotFound Address resolution error"))) << rec.dump().toStdString();
    EXPECT_EQ(server.connectionCount(), 0);
}

TEST_F(LoginTest, LongHostNameIsResolvedInFull)
{
    const QString name = QStringLiteral("a%1.b%1.c%1.test").arg(QString(60, QLatin1Char('x')));
    ASSERT_GT(name.size(), 180);
    platform::HostLookup::setFixedHosts({{name, 0x7F000001u}});
    ftp.SetServer(name);
    LoginAndWait();
    platform::HostLookup::setFixedHosts({});
    EXPECT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    EXPECT_TRUE(rec.has(QStringLiteral("info infoResolving ") + name));
    EXPECT_TRUE(rec.has(QStringLiteral("info infoResolved 127.0.0.1")));
}

TEST_F(LoginTest, EmptyServerIsRefusedWithoutNetwork)
{
    ftp.SetServer(QString());
    TMFtp fresh;
    Recorder r;
    r.attach(fresh);
    fresh.SetServer(QStringLiteral("   "));
    fresh.Login();
    EXPECT_EQ(r.count(errorNoServer), 1);
    EXPECT_FALSE(fresh.Connecting());
    EXPECT_TRUE(waitUntil([&] { return r.has(QStringLiteral("event Ready")); }));
}

TEST_F(LoginTest, QuitEndsTheSession)
{
    LoginAndWait();
    ftp.Quit();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); })) << rec.dump().toStdString();
    EXPECT_EQ(server.verbs().last(), QByteArray("QUIT"));
    EXPECT_EQ(rec.count(QStringLiteral("info infoDisconnected Disconnected")), 1);
    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy(); }));
    EXPECT_FALSE(ftp.Connected());
    EXPECT_FALSE(ftp.LoggedIn());
    EXPECT_EQ(rec.count(infoRetrying), 0);
}

TEST_F(LoginTest, QuitEndsEvenWhenTheServerKeepsTheConnection)
{
    server.setReply("QUIT", "221 Goodbye, but I stay.\r\n");
    LoginAndWait();
    ftp.Quit();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")) && !ftp.Busy(); }));
    EXPECT_FALSE(ftp.Connected());
}

TEST_F(LoginTest, ServerClosingAfterLoginEndsTheSession)
{
    server.setReply("NOOP", "421 Timeout.\r\n", true);
    LoginAndWait();
    ftp.SetNoopInterval(1);
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); })) << rec.dump().toStdString();
    EXPECT_FALSE(ftp.Connected());
    EXPECT_EQ(rec.count(infoRetrying), 0);
    EXPECT_TRUE(rec.errors.isEmpty());
}

TEST_F(LoginTest, DisconnectDuringLoginReportsOnce)
{
    server.setGreeting(""); // connects, never greets
    ftp.SetRetries(3);
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("info infoConnected 127.0.0.1")); }));
    ftp.Disconnect();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); }));
    testsupport::drainEvents();
    EXPECT_EQ(rec.count(QStringLiteral("info infoDisconnected Disconnected")), 1) << rec.dump().toStdString();
    EXPECT_EQ(rec.count(QStringLiteral("event Quit")), 1);
    EXPECT_FALSE(ftp.Connecting());
    EXPECT_EQ(server.connectionCount(), 1);
}

TEST_F(LoginTest, AbortDuringLoginStopsAllAttempts)
{
    server.setGreeting("");
    ftp.SetRetries(3);
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("info infoConnected 127.0.0.1")); }));
    ftp.Abort();
    EXPECT_TRUE(rec.has(QStringLiteral("event Aborted")));
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); }));
    testsupport::drainEvents();
    EXPECT_FALSE(ftp.Connecting());
    EXPECT_EQ(server.connectionCount(), 1);
    EXPECT_EQ(rec.count(infoRetrying), 0);
}

TEST_F(LoginTest, AbortDuringRetryPause)
{
    server.setGreeting("421 Busy.\r\n", true);
    ftp.SetRetries(3);
    ftp.SetRetryInterval(30);
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return ftp.Retrying(); })) << rec.dump().toStdString();
    ftp.Abort();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); }));
    EXPECT_FALSE(ftp.Connecting());
    EXPECT_FALSE(ftp.Retrying());
    EXPECT_EQ(server.connectionCount(), 1);
    EXPECT_TRUE(rec.has(QStringLiteral("info infoRetrying 30 Retrying...")));
}

// ---- Proxies ----

struct ProxyCase {
    const char *name;
    TMFtpProxyType proxy;
    quint16 targetPort;
    QList<QByteArray> expected; // the commands up to the real login's USER/PASS
};

class ProxyTest : public LoginTest, public ::testing::WithParamInterface<ProxyCase>
{
};

TEST_P(ProxyTest, FirstCommandsThroughTheProxy)
{
    const ProxyCase &c = GetParam();
    server.setReply("HOST", "331 Host accepted.\r\n");
    server.setReply("OPEN", "220 Connected.\r\n");
    server.setReply("SITE", "220 Connected to target.\r\n");
    if (c.proxy == proxySite)
        server.setReplies("PASS", {{"230 Proxy ok.\r\n"}, {"230 Logged in.\r\n"}});
    ftp.SetServer(QStringLiteral("ftp.target.example"));
    ftp.SetPort(c.targetPort);
    ftp.SetProxyType(c.proxy);
    ftp.SetProxyServer(QStringLiteral("127.0.0.1"));
    ftp.SetProxyPort(server.port());
    ftp.SetProxyUsername(QStringLiteral("proxyman"));
    ftp.SetProxyPassword(QStringLiteral("proxypw"));
    LoginAndWait();
    EXPECT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    EXPECT_EQ(server.commands().mid(0, c.expected.size()), c.expected);
    // After the greeting the engine names the real target again.
    EXPECT_EQ(ftp.Server(), QStringLiteral("ftp.target.example"));
    EXPECT_EQ(ftp.Port(), c.targetPort);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, ProxyTest,
    ::testing::Values(
        ProxyCase {"Host", proxyHost, 21, {"HOST ftp.target.example", "USER user", "PASS secret"}},
        ProxyCase {"HostUser", proxyHostUser, 21, {"USER ftp.target.example!user", "PASS secret"}},
        ProxyCase {"HostUserPort2121", proxyHostUser, 2121, {"USER ftp.target.example:2121!user", "PASS secret"}},
        ProxyCase {"Open", proxyOpen, 21, {"OPEN ftp.target.example", "USER user", "PASS secret"}},
        ProxyCase {"Site", proxySite, 21,
                   {"USER proxyman", "PASS proxypw", "SITE ftp.target.example", "USER user", "PASS secret"}},
        ProxyCase {"UserSite", proxyUserSite, 21, {"USER user@ftp.target.example", "PASS secret"}},
        ProxyCase {"UserSitePort2121", proxyUserSite, 2121, {"USER user@ftp.target.example:2121", "PASS secret"}}),
    [](const ::testing::TestParamInfo<ProxyCase> &c) { return std::string(c.param.name); });

TEST_F(LoginTest, BlankProxyServerMeansNoProxy)
{
    ftp.SetProxyType(proxyHost);
    ftp.SetProxyServer(QStringLiteral("  "));
    LoginAndWait();
    EXPECT_EQ(ftp.ProxyType(), proxyNone);
    EXPECT_EQ(server.commands().first(), QByteArray("USER user"));
}

TEST_F(LoginTest, ProxyRefusingHostFailsTheLogin)
{
    server.setReply("HOST", "530 No such host.\r\n");
    ftp.SetServer(QStringLiteral("ftp.target.example"));
    ftp.SetProxyType(proxyHost);
    ftp.SetProxyServer(QStringLiteral("127.0.0.1"));
    ftp.SetProxyPort(server.port());
    LoginAndWait();
    EXPECT_EQ(rec.count(errorServerRefused), 1);
    EXPECT_FALSE(ftp.LoggedIn());
}

TEST_F(LoginTest, ProxyFailingBeforeGreetingThenRetrySucceedsToTheTarget)
{
    server.setGreetings({{"", true}, {"220 Proxy ready.\r\n"}});
    ftp.SetRetries(1);
    ftp.SetServer(QStringLiteral("ftp.target.example"));
    ftp.SetPort(21);
    ftp.SetProxyType(proxyUserSite);
    ftp.SetProxyServer(QStringLiteral("127.0.0.1"));
    ftp.SetProxyPort(server.port());
    LoginAndWait();
    EXPECT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    EXPECT_EQ(server.connectionCount(), 2);
    EXPECT_EQ(server.commands().first(), QByteArray("USER user@ftp.target.example"));
}

// ---- Listeners ----

TEST_F(LoginTest, ListenersFollowThePublishedHandlerInSlotOrder)
{
    QStringList order;
    ftp.OnFtpInfo = [&](QObject *, FtpInfo, const QString &) { order.append(QStringLiteral("published")); };
    for (int i = 1; i <= 4; ++i) {
        const int slot = ftp.AddInfoListener(
            [&order, i](QObject *, FtpInfo, const QString &) { order.append(QString::number(i)); });
        EXPECT_EQ(slot, i);
    }
    EXPECT_EQ(ftp.AddInfoListener([](QObject *, FtpInfo, const QString &) {}), -1);
    EXPECT_EQ(ftp.AddInfoListener(nullptr), -1);
    ftp.RemoveInfoListener(2);
    EXPECT_EQ(ftp.AddInfoListener([&order](QObject *, FtpInfo, const QString &) { order.append("new2"); }), 2);

    ftp.ChangeDirectory("/x"); // refused: one infoDisconnected report
    EXPECT_EQ(order, (QStringList{"published", "1", "new2", "3", "4"}));

    int ready = 0;
    EXPECT_EQ(ftp.AddNotifyListener(notifyFtpReady, [&](QObject *) { ++ready; }), 1);
    EXPECT_EQ(ftp.AddNotifyListener(0, [&](QObject *) { ++ready; }), -1);
    EXPECT_EQ(ftp.AddNotifyListener(17, [&](QObject *) { ++ready; }), -1);
    int errors = 0;
    EXPECT_EQ(ftp.AddErrorListener([&](QObject *, FtpError, const QString &) { ++errors; }), 1);
    server.setReply("PASS", "530 No.\r\n");
    ftp.SetRetryLogin(false);
    ftp.OnFtpNeedInfo = [&](QObject *, TMFtpInfoNeeded, QString &) { ftp.SetRetryLogin(false); };
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return ready > 0; }));
    EXPECT_EQ(errors, 1);
}

} // namespace

// FEAT is asked once, after the credentials; its lines end up in
// Features(), and a server that does not know it logs in as before.
TEST_F(LoginTest, FeaturesAreReadOnceAfterLogin)
{
    struct Case {
        QByteArray reply;
        bool received;
        bool mlsd;
        bool utf8;
        bool epsv;
    };
    const Case cases[] = {
        {"211-Features:\r\n MLST type*;size*;modify*;\r\n UTF8\r\n EPSV\r\n211 End\r\n", true, true, true, true},
        {"211-Features:\r\n SIZE\r\n211 End\r\n", true, false, false, false},
        {"500 FEAT not understood.\r\n", false, false, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.reply.constData());
        server.setReply("FEAT", c.reply);
        rec.lines.clear();
        LoginAndWait();
        ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
        EXPECT_EQ(ftp.Features().Received, c.received);
        EXPECT_EQ(ftp.Features().Mlsd, c.mlsd);
        EXPECT_EQ(ftp.Features().Utf8, c.utf8);
        EXPECT_EQ(ftp.Features().Epsv, c.epsv);
        EXPECT_EQ(rec.dump().contains(QStringLiteral("Server features: ")), c.received);
        ftp.Quit();
        ASSERT_TRUE(waitUntil([&] { return !ftp.Connected() && !ftp.Busy(); }));
    }
    EXPECT_EQ(server.verbs().count("FEAT"), 3);
    EXPECT_EQ(server.verbs().indexOf("FEAT"), server.verbs().indexOf("PASS") + 1);
}
