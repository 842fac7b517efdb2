// Sessions over IPv6: extended passive and active data connections (EPSV,
// EPRT) against the scripted server and pyftpdlib on ::1, and a host name
// whose first address does not answer.

#include "EngineTestKit.h"

#include "platform/HostLookup.h"
#include "support/PyFtpdServer.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace enginetest;
using testsupport::DataAction;
using testsupport::PyFtpdServer;
using testsupport::ScriptedFtpServer;
using testsupport::waitUntil;

namespace {

constexpr int Wait = 15000;

const QByteArray TwoEntries = "drwxr-xr-x   2 u g 4096 Jan 01  2020 dir\r\n"
                              "-rw-r--r--   1 u g    5 Jan 01  2020 a b.txt\r\n";

class ScriptedIpv6Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ScriptedFtpServer::ipv6LoopbackAvailable())
            GTEST_SKIP() << "no IPv6 loopback";
        server = std::make_unique<ScriptedFtpServer>(ScriptedFtpServer::Loopback::IPv6);
        server->scriptStandardSession();
        server->setReply("TYPE", "200 Type set.\r\n");
        server->setDataAction("LIST", DataAction {"150 Here comes the listing.\r\n", TwoEntries});
        SetUpForTest(ftp, server->port());
        ftp.SetServer(QStringLiteral("::1"));
        ftp.SetCacheFolder(cache.path());
        ftp.SetPassive(true);
        rec.attach(ftp);
    }

    void LogIn()
    {
        ftp.Login();
        ASSERT_TRUE(WaitLoginOver(ftp, rec));
        ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
        loginBytes = server->received().size();
        rec.lines.clear();
        rec.errors.clear();
    }

    QByteArray Sent() const { return server->received().mid(loginBytes); }

    testsupport::CoreApplicationGuard app;
    std::unique_ptr<ScriptedFtpServer> server;
    TMFtp ftp;
    Recorder rec;
    QTemporaryDir cache;
    qsizetype loginBytes = 0;
};

TEST_F(ScriptedIpv6Test, PassiveListingUsesEpsvAndTheControlPeer)
{
    LogIn();
    ftp.List();
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("ListingDone") && !ftp.Busy(); })) << rec.dump().toStdString();
    EXPECT_EQ(Sent(), QByteArray("TYPE A\r\nEPSV\r\nLIST\r\n"));
    EXPECT_EQ(server->dataConnectionCount(), 1);
    ASSERT_EQ(ftp.FolderList().Count(), 1);
    EXPECT_EQ(ftp.FolderList().FileName(0), QByteArrayView("dir"));
    ASSERT_EQ(ftp.FileList().Count(), 1);
    EXPECT_EQ(ftp.FileList().FileName(0), QByteArrayView("a b.txt"));
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
}

TEST_F(ScriptedIpv6Test, ActiveListingSendsEprtWithTheLocalIpv6Address)
{
    ftp.SetPassive(false);
    LogIn();
    ftp.List();
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("ListingDone") && !ftp.Busy(); })) << rec.dump().toStdString();
    const QString sent = QString::fromLatin1(Sent());
    const QRegularExpression expected(QStringLiteral("^TYPE A\r\nEPRT \\|2\\|::1\\|(\\d+)\\|\r\nLIST\r\n$"));
    const QRegularExpressionMatch m = expected.match(sent);
    ASSERT_TRUE(m.hasMatch()) << sent.toStdString();
    const uint port = m.captured(1).toUInt();
    EXPECT_GT(port, 0u);
    EXPECT_LE(port, 65535u);
    EXPECT_EQ(server->dataConnectionCount(), 1);
    EXPECT_EQ(ftp.FileList().Count(), 1);
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
}

// Refused or unreadable: the listing fails with a clear text, nothing falls
// back to PASV (it cannot carry an IPv6 address), no data command is sent,
// and the session goes on.
TEST_F(ScriptedIpv6Test, RefusedOrUnreadableEpsvFailsTheSetUpOnly)
{
    const struct {
        QByteArray reply;
        QString error;
    } cases[] = {
        {"500 EPSV not understood.\r\n", QStringLiteral("500 EPSV not understood.")},
        {"502 Command not implemented.\r\n", QStringLiteral("502 Command not implemented.")},
        {"229 Entering Extended Passive Mode (|||70000|)\r\n",
         QStringLiteral("Unreadable EPSV reply: 229 Entering Extended Passive Mode (|||70000|)")},
        {"229 Entering Extended Passive Mode (|2|::1|4000|)\r\n",
         QStringLiteral("Unreadable EPSV reply: 229 Entering Extended Passive Mode (|2|::1|4000|)")},
        {"229 Entering Extended Passive Mode\r\n",
         QStringLiteral("Unreadable EPSV reply: 229 Entering Extended Passive Mode")},
        {"229 (|||0|)\r\n", QStringLiteral("Unreadable EPSV reply: 229 (|||0|)")},
        {"227 Entering Passive Mode (127,0,0,1,4,1)\r\n",
         QStringLiteral("Unreadable EPSV reply: 227 Entering Passive Mode (127,0,0,1,4,1)")},
    };
    QList<testsupport::ServerAction> replies;
    for (const auto &c : cases)
        replies.append({c.reply});
    server->setReplies("EPSV", replies);
    LogIn();
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply.toStdString());
        ++n;
        ftp.List();
        ASSERT_TRUE(waitUntil([&] { return rec.countEvent("Ready") >= n && !ftp.Busy(); })) << rec.dump().toStdString();
        ASSERT_EQ(rec.errors.size(), n) << rec.dump().toStdString();
        EXPECT_EQ(rec.errors.last(), errorCommandFailed);
        EXPECT_TRUE(rec.has(QStringLiteral("error errorCommandFailed ") + c.error)) << rec.dump().toStdString();
        EXPECT_TRUE(ftp.Connected());
    }
    const QList<QByteArray> verbs = server->verbs();
    EXPECT_EQ(verbs.count("EPSV"), qsizetype(std::size(cases)));
    EXPECT_FALSE(verbs.contains("PASV"));
    EXPECT_FALSE(verbs.contains("LIST"));
    EXPECT_EQ(server->dataConnectionCount(), 0);
}

// A host name with an IPv6 and an IPv4 address, only the second answering:
// the engine says so and goes on with it, and that session keeps PASV.
TEST(Ipv6HostAddresses, NextAddressIsTriedWhenTheFirstRefuses)
{
    testsupport::CoreApplicationGuard app;
    if (!ScriptedFtpServer::ipv6LoopbackAvailable())
        GTEST_SKIP() << "no IPv6 loopback";
    ScriptedFtpServer server; // 127.0.0.1 only
    server.scriptStandardSession();
    server.setReply("TYPE", "200 Type set.\r\n");
    server.setDataAction("LIST", DataAction {"150 Here comes the listing.\r\n", TwoEntries});
    platform::HostLookup::setFixedHostAddresses(
        {{QStringLiteral("dual.test"), {QHostAddress(QStringLiteral("::1")), QHostAddress(QStringLiteral("127.0.0.1"))}}});
    TMFtp ftp;
    Recorder rec;
    QTemporaryDir cache;
    SetUpForTest(ftp, server.port());
    ftp.SetServer(QStringLiteral("dual.test"));
    ftp.SetCacheFolder(cache.path());
    ftp.SetPassive(true);
    rec.attach(ftp);
    ftp.Login();
    const bool over = WaitLoginOver(ftp, rec);
    platform::HostLookup::setFixedHosts({});
    ASSERT_TRUE(over);
    ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    const QString port = QString::number(server.port());
    EXPECT_TRUE(rec.has(QStringLiteral("info infoResolved ::1"))) << rec.dump().toStdString();
    EXPECT_TRUE(rec.has(QStringLiteral("info infoNote Connecting to [::1]:%1 failed (Connection Refused): trying 127.0.0.1:%1")
                            .arg(port)))
        << rec.dump().toStdString();
    EXPECT_TRUE(rec.has(QStringLiteral("info infoConnected 127.0.0.1"))) << rec.dump().toStdString();
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
    EXPECT_EQ(server.connectionCount(), 1);

    const qsizetype before = server.received().size();
    ftp.List();
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("ListingDone") && !ftp.Busy(); })) << rec.dump().toStdString();
    EXPECT_EQ(server.received().mid(before), QByteArray("TYPE A\r\nPASV\r\nLIST\r\n"));
}

// The first address takes the SYN and never answers (a listener whose
// queue is full): after the time-out the next address is tried.
TEST(Ipv6HostAddresses, NextAddressIsTriedAfterATimeOut)
{
    testsupport::CoreApplicationGuard app;
    if (!ScriptedFtpServer::ipv6LoopbackAvailable())
        GTEST_SKIP() << "no IPv6 loopback";
    ScriptedFtpServer server; // 127.0.0.1
    server.scriptStandardSession();
    const int silent = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(silent, 0);
    sockaddr_in6 sa {};
    sa.sin6_family = AF_INET6;
    sa.sin6_port = htons(server.port());
    sa.sin6_addr = in6addr_loopback;
    if (::bind(silent, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0) {
        ::close(silent);
        GTEST_SKIP() << "port " << server.port() << " taken on ::1";
    }
    ASSERT_EQ(::listen(silent, 0), 0);
    // One caller fills the queue; the engine's SYN then goes unanswered.
    QTcpSocket filler;
    filler.connectToHost(QHostAddress::LocalHostIPv6, server.port());
    ASSERT_TRUE(filler.waitForConnected(5000));

    platform::HostLookup::setFixedHostAddresses(
        {{QStringLiteral("dual.test"), {QHostAddress(QStringLiteral("::1")), QHostAddress(QStringLiteral("127.0.0.1"))}}});
    TMFtp ftp;
    Recorder rec;
    SetUpForTest(ftp, server.port());
    ftp.SetServer(QStringLiteral("dual.test"));
    ftp.SetTimeOut(1);
    rec.attach(ftp);
    ftp.Login();
    const bool over = WaitLoginOver(ftp, rec, 10000);
    platform::HostLookup::setFixedHosts({});
    ::close(silent);
    ASSERT_TRUE(over);
    ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    EXPECT_TRUE(rec.has(QStringLiteral("info infoNote Connecting to [::1]:%1 failed (Connection timed out): trying 127.0.0.1:%1")
                            .arg(server.port())))
        << rec.dump().toStdString();
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
}

// Every address refusing fails the attempt once; a retry starts again from
// the host's first address.
TEST(Ipv6HostAddresses, EveryAttemptTriesEveryAddress)
{
    testsupport::CoreApplicationGuard app;
    if (!ScriptedFtpServer::ipv6LoopbackAvailable())
        GTEST_SKIP() << "no IPv6 loopback";
    quint16 port = 0;
    {
        ScriptedFtpServer gone; // a port that was just free on 127.0.0.1
        port = gone.port();
    }
    platform::HostLookup::setFixedHostAddresses(
        {{QStringLiteral("dual.test"), {QHostAddress(QStringLiteral("::1")), QHostAddress(QStringLiteral("127.0.0.1"))}}});
    for (const int retries : {0, 2}) {
        SCOPED_TRACE(retries);
        TMFtp ftp;
        Recorder rec;
        SetUpForTest(ftp, port);
        ftp.SetServer(QStringLiteral("dual.test"));
        ftp.SetRetries(retries);
        rec.attach(ftp);
        ftp.Login();
        ASSERT_TRUE(WaitLoginOver(ftp, rec, 10000));
        EXPECT_FALSE(ftp.LoggedIn());
        EXPECT_FALSE(rec.errors.isEmpty());
        EXPECT_EQ(rec.count(errorConnectionRefused), rec.errors.size()) << rec.dump().toStdString();
        const QString note = QStringLiteral("info infoNote Connecting to [::1]:%1 failed (Connection Refused): trying 127.0.0.1:%1")
                                 .arg(port);
        EXPECT_EQ(rec.count(note), retries + 1) << rec.dump().toStdString();
        EXPECT_EQ(rec.count(infoNote), retries + 1) << rec.dump().toStdString();
    }
    platform::HostLookup::setFixedHosts({});
}

// pyftpdlib on ::1 refuses PASV and PORT there: the whole session runs on
// EPSV or EPRT.
class RealIpv6Test : public ::testing::TestWithParam<bool>, protected enginetest::LocalFiles
{
protected:
    RealIpv6Test() : server({QStringLiteral("--host"), QStringLiteral("::1")}) {}

    void SetUp() override
    {
        if (!ScriptedFtpServer::ipv6LoopbackAvailable())
            GTEST_SKIP() << "no IPv6 loopback";
        ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
        SetUpForTest(ftp, server.port());
        ftp.SetServer(QStringLiteral("[::1]"));
        ftp.SetUsername(QString::fromLatin1(PyFtpdServer::User));
        ftp.SetPassword(QString::fromLatin1(PyFtpdServer::Password));
        ftp.SetCacheFolder(cache.path());
        ftp.SetPassive(GetParam());
        rec.attach(ftp);
    }

    QString Local(const char *name) const { return local.filePath(QString::fromUtf8(name)); }
    QString Root(const char *name) const { return server.root() + QLatin1Char('/') + QString::fromUtf8(name); }

    testsupport::CoreApplicationGuard app;
    PyFtpdServer server;
    TMFtp ftp;
    Recorder rec;
    QTemporaryDir cache;
    QTemporaryDir local;
};

TEST_P(RealIpv6Test, LoginListDownloadAndUploadByteExact)
{
    QByteArray payload(300 * 1024 + 17, Qt::Uninitialized);
    QRandomGenerator random(14);
    for (char &c : payload)
        c = char(random.bounded(256));
    QDir(server.root()).mkpath(QStringLiteral("pub"));
    Write(Root("random.bin"), payload);

    ftp.Login();
    ASSERT_TRUE(WaitLoginOver(ftp, rec, Wait)) << rec.dump().toStdString();
    ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    EXPECT_TRUE(rec.has(QStringLiteral("info infoConnected ::1"))) << rec.dump().toStdString();

    ftp.List();
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("ListingDone") && !ftp.Busy(); }, Wait)) << rec.dump().toStdString();
    ASSERT_EQ(ftp.FolderList().Count(), 1);
    EXPECT_EQ(ftp.FolderList().FileName(0), QByteArrayView("pub"));
    ASSERT_EQ(ftp.FileList().Count(), 1);
    EXPECT_EQ(ftp.FileList().FileSize(0).toByteArray(), QByteArray::number(payload.size()));

    ftp.DownloadFile("random.bin", Local("down.bin"));
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("FileReceived") && !ftp.Busy(); }, Wait)) << rec.dump().toStdString();
    EXPECT_TRUE(Read(Local("down.bin")) == payload);

    QByteArray upload = payload;
    std::reverse(upload.begin(), upload.end());
    Write(Local("up.bin"), upload);
    const int ready = rec.countEvent("Ready");
    ftp.UploadFile(Local("up.bin"), "up.bin");
    ASSERT_TRUE(waitUntil([&] { return rec.countEvent("Ready") > ready && !ftp.Busy(); }, Wait))
        << rec.dump().toStdString();
    EXPECT_TRUE(Read(Root("up.bin")) == upload);

    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
    const QString extended = GetParam() ? QStringLiteral("info infoCommand EPSV") : QStringLiteral("info infoCommand EPRT |2|::1|");
    const QString plain = GetParam() ? QStringLiteral("info infoCommand PASV") : QStringLiteral("info infoCommand PORT ");
    EXPECT_EQ(rec.lines.filter(extended).size(), 3) << rec.dump().toStdString();
    EXPECT_TRUE(rec.lines.filter(plain).isEmpty()) << rec.dump().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Modes, RealIpv6Test, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &mode) {
                             return mode.param ? std::string("Passive") : std::string("Active");
                         });

} // namespace
