// Servers that misbehave: the engine reports an error, ends the attempt and
// stays usable for the next login. It never crashes, hangs or hoards memory.

#include "EngineTestKit.h"

#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace enginetest;
using testsupport::ScriptedFtpServer;
using testsupport::waitUntil;

namespace {

// A port on 127.0.0.1 whose connects never complete: its listening queue
// (of one) is full, so further handshakes go unanswered, as with a host that
// drops packets.
class BlackHole
{
public:
    BlackHole()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sa {};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr *>(&sa), sizeof sa);
        ::listen(listener_, 0);
        socklen_t len = sizeof sa;
        ::getsockname(listener_, reinterpret_cast<sockaddr *>(&sa), &len);
        port_ = ntohs(sa.sin_port);
        filler_ = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(filler_, reinterpret_cast<sockaddr *>(&sa), sizeof sa);
    }
    ~BlackHole()
    {
        ::close(filler_);
        ::close(listener_);
    }
    quint16 port() const { return port_; }

private:
    int listener_ = -1;
    int filler_ = -1;
    quint16 port_ = 0;
};

// Every reply byte the engine has read, as it showed them (infoReplyText).
QByteArray ReplyTextShown(const Recorder &rec)
{
    static const QString prefix = QStringLiteral("info infoReplyText ");
    QByteArray shown;
    for (const QString &line : rec.lines) {
        if (line.startsWith(prefix))
            shown += line.mid(prefix.size(), line.size() - prefix.size() - 1).toLatin1();
    }
    return shown;
}

class HostileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetUpForTest(ftp, hostile.port());
        rec.attach(ftp);
        good.scriptStandardSession();
    }

    // The attempt against the hostile server has ended with an error, and a
    // login to a well-behaved server with the same engine then succeeds.
    void ExpectErrorThenUsable(FtpError expected, const QString &text = QString())
    {
        ftp.Login();
        ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); })) << rec.dump().toStdString();
        EXPECT_EQ(rec.count(expected), 1) << rec.dump().toStdString();
        if (!text.isEmpty()) {
            EXPECT_TRUE(rec.has(QStringLiteral("error %1 %2").arg(QLatin1String(FtpErrorName(expected)), text)))
                << rec.dump().toStdString();
        }
        EXPECT_FALSE(ftp.Connecting());
        EXPECT_FALSE(ftp.Connected());
        ASSERT_TRUE(waitUntil([&] { return !ftp.Busy(); }));

        Recorder after;
        after.attach(ftp);
        ftp.SetPort(good.port());
        ftp.Login();
        ASSERT_TRUE(WaitLoginOver(ftp, after)) << after.dump().toStdString();
        EXPECT_TRUE(ftp.LoggedIn()) << after.dump().toStdString();
        EXPECT_TRUE(after.errors.isEmpty()) << after.dump().toStdString();
    }

    testsupport::CoreApplicationGuard app;
    ScriptedFtpServer hostile;
    ScriptedFtpServer good;
    TMFtp ftp;
    Recorder rec;
};

TEST_F(HostileTest, GarbageGreeting)
{
    QByteArray garbage(3000, '\0');
    QRandomGenerator rng(42);
    for (char &c : garbage)
        c = char(rng.bounded(256));
    garbage.replace("\r\n", "xx");
    hostile.setGreeting(garbage + "\r\n");
    ExpectErrorThenUsable(errorServerRefused);
}

TEST_F(HostileTest, MegabyteLineWithoutLineEnd)
{
    hostile.setGreeting(QByteArray(1 << 20, 'A'));
    ExpectErrorThenUsable(errorCommandFailed);
    EXPECT_TRUE(rec.has(QStringLiteral("error errorCommandFailed Reply line too long")));
    // Each chunk of text was reported as it came; none of them is large.
    qsizetype longest = 0;
    for (const QString &line : rec.lines)
        longest = qMax(longest, line.size());
    EXPECT_LT(longest, 8192);
}

TEST_F(HostileTest, CloseInTheMiddleOfMultiLineGreeting)
{
    hostile.setGreeting("220-Welcome\r\n220-to a server that hangs up\r\n220", true);
    ExpectErrorThenUsable(errorConnectionReset);
}

TEST_F(HostileTest, CloseInTheMiddleOfMultiLineReplyToUser)
{
    hostile.scriptStandardSession();
    hostile.setReply("USER", "331-Password\r\n331-more to come", true);
    ExpectErrorThenUsable(errorConnectionReset);
    EXPECT_EQ(hostile.verbs(), QList<QByteArray>{"USER"});
}

TEST_F(HostileTest, EndlessMultiLineReplyIsAbortable)
{
    // "220-" and then lines that never close the reply.
    const QByteArray greeting = "220-hello\r\n" + QByteArray("220-again\r\n").repeated(20000);
    hostile.setGreeting(greeting);
    ftp.Login();
    // The engine has read all of it (each read is shown as reply text) and
    // still waits for the end of the reply.
    ASSERT_TRUE(waitUntil([&] { return ReplyTextShown(rec).size() == greeting.size(); }))
        << ReplyTextShown(rec).size();
    testsupport::drainEvents();
    EXPECT_TRUE(ftp.Connecting());
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
    ftp.Abort();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event Quit")); })) << rec.dump().toStdString();
    EXPECT_FALSE(ftp.Connecting());
}

TEST_F(HostileTest, ReplyBeforeAnyCommandIsIgnoredWhenIdle)
{
    hostile.scriptStandardSession();
    ftp.Login();
    ASSERT_TRUE(WaitLoginOver(ftp, rec));
    ASSERT_TRUE(ftp.LoggedIn());
    const QByteArray unsolicited = "200 unsolicited\r\n550 more\r\n\x01\x02garbage\r\n";
    const qsizetype before = ReplyTextShown(rec).size();
    hostile.send(unsolicited);
    ASSERT_TRUE(waitUntil([&] { return ReplyTextShown(rec).size() == before + unsolicited.size(); }));
    testsupport::drainEvents();
    EXPECT_TRUE(ftp.Connected());
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
    ftp.ChangeDirectory("/pub");
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event DirectoryChanged")); }));
    EXPECT_TRUE(ftp.ChangeDirOK());
}

// TimeOut bounds the connect, as it bounds the lookup: a host that never
// answers fails the attempt instead of waiting for the system's own limit.
TEST_F(HostileTest, ConnectThatNeverCompletesTimesOut)
{
    BlackHole hole;
    ftp.SetPort(hole.port());
    ftp.SetTimeOut(1);
    ExpectErrorThenUsable(errorTimedOut, QStringLiteral("Connection timed out"));
    EXPECT_EQ(rec.count(infoRetryFinished), 1) << "the attempt ended like a refused connect";

    // The time-out's text belongs to the time-out only.
    Recorder later;
    later.attach(ftp);
    good.setReply("CWD", "550 No such folder.\r\n");
    ftp.ChangeDirectory("/nowhere");
    ASSERT_TRUE(waitUntil([&] { return later.hasEvent("DirectoryChanged"); }));
    EXPECT_EQ(later.lines.filter(QStringLiteral("error ")),
              QStringList {QStringLiteral("error errorAccessDenied Access denied or file not found")});
}

// Each reply, multi-line or not, must be complete within TimeOut.
TEST_F(HostileTest, GreetingThatNeverCompletesTimesOut)
{
    const QString noReply = QStringLiteral("Connection timed out: no reply from the server within 1 s");
    const struct {
        const char *name;
        QByteArray greeting;
        QByteArray drip; // sent again every 50 ms
    } cases[] = {
        {"silent", "", ""},
        {"half a line", "220 Welc", ""},
        {"endless continuation lines", "220-Welcome\r\n", "220-and more\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        server.setGreeting(c.greeting);
        server.setDrip(c.drip, c.drip.isEmpty() ? 0 : 50);
        rec.lines.clear();
        rec.errors.clear();
        ftp.SetPort(server.port());
        ftp.SetTimeOut(1);
        ftp.Login();
        ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("Quit"); })) << rec.dump().toStdString();
        EXPECT_EQ(rec.errors, QList<FtpError> {errorTimedOut}) << rec.dump().toStdString();
        EXPECT_TRUE(rec.has(QStringLiteral("error errorTimedOut ") + noReply)) << rec.dump().toStdString();
        EXPECT_FALSE(ftp.Connecting());
        EXPECT_TRUE(waitUntil([&] { return !server.clientConnected(); })) << "the engine hung up";
    }
    Recorder after;
    after.attach(ftp);
    ftp.SetPort(good.port());
    ftp.Login();
    ASSERT_TRUE(WaitLoginOver(ftp, after));
    EXPECT_TRUE(ftp.LoggedIn()) << after.dump().toStdString();
}

// A flood of continuation lines is given up long before it could fill memory.
TEST_F(HostileTest, FloodedMultiLineReplyIsCapped)
{
    hostile.setGreeting("220-Welcome\r\n" + QByteArray("220-").append(QByteArray(1000, 'x')).append("\r\n").repeated(3000));
    ExpectErrorThenUsable(errorCommandFailed, QStringLiteral("Reply too long"));
}

// A command the server never answers after the login: the session ends with
// a time-out and the engine logs in again.
TEST_F(HostileTest, UnansweredCommandTimesOut)
{
    hostile.scriptStandardSession();
    hostile.setReply("CWD", "");
    ftp.Login();
    ASSERT_TRUE(WaitLoginOver(ftp, rec));
    ASSERT_TRUE(ftp.LoggedIn());
    ftp.SetTimeOut(1);
    ftp.ChangeDirectory("/silent");
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("Quit") && !ftp.Busy(); })) << rec.dump().toStdString();
    EXPECT_TRUE(rec.has(QStringLiteral("error errorTimedOut Connection timed out: no reply from the server within 1 s")))
        << rec.dump().toStdString();
    EXPECT_FALSE(ftp.ChangeDirOK());
    EXPECT_FALSE(ftp.Connected());
    ASSERT_TRUE(waitUntil([&] { return !hostile.clientConnected(); })) << "the connection was closed";

    ftp.SetTimeOut(5);
    rec.lines.clear();
    hostile.setReply("CWD", "250 \"/again\"\r\n");
    ftp.Login();
    ASSERT_TRUE(WaitLoginOver(ftp, rec));
    ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    ftp.ChangeDirectory("/again");
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("DirectoryChanged"); }));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/again"));
}

} // namespace
