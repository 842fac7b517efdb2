#include "platform/TlsSession.h"

#include "platform/AsyncSocket.h"
#include "platform/WinSock.h"
#include "support/EventLoopWait.h"
#include "support/LocalFiles.h"
#include "support/TlsTestKit.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <atomic>
#include <sys/socket.h>

using namespace platform;
using testsupport::TlsTestServer;
using testsupport::waitUntil;

namespace {

const testsupport::TestCertificate &serverCertificate()
{
    static const auto certificate = testsupport::makeSelfSignedCertificate(QStringLiteral("test.example"));
    return certificate;
}

std::shared_ptr<TlsContext> trustingContext()
{
    return TlsContext::create(false, {serverCertificate().certificatePem});
}

// The client side as an owner of the session uses it: one handler for all
// events, reading and writing the way the engine's handlers do.
class Client
{
public:
    enum ReadMode { DrainPerEvent, OneChunkPerEvent };

    explicit Client(std::shared_ptr<TlsContext> context = trustingContext()) : tls(&socket, std::move(context))
    {
        QObject::connect(&tls, &TlsSession::socketEvent, [this](int event, int error) { onEvent(event, error); });
        QObject::connect(&tls, &TlsSession::handshakeDone, [this](int error) {
            ++handshakes;
            handshakeError = error;
        });
    }

    void connectTo(quint16 port, bool startOnConnect = true)
    {
        ASSERT_EQ(socket.create(), 0);
        if (smallSendBuffer) {
            const int size = 16 * 1024;
            ::setsockopt(socket.descriptor(), SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        }
        tls.setStartOnConnect(startOnConnect);
        socket.select(SocketRead | SocketWrite | SocketConnect | SocketClose);
        const int error = socket.connect(0x7F000001, port);
        ASSERT_TRUE(error == 0 || error == WSAEWOULDBLOCK) << error;
    }

    // Starts sending `data`, then shutdown() when all is accepted.
    void upload(const QByteArray &data)
    {
        outgoing = data;
        sent = 0;
        uploading = true;
        pump();
    }

    void onEvent(int event, int error)
    {
        events.append(event);
        switch (event) {
        case SocketConnect:
            ++connects;
            connectError = error;
            break;
        case SocketRead:
            readSome();
            break;
        case SocketWrite:
            ++writes;
            pump();
            break;
        case SocketClose:
            ++closes;
            closeError = error;
            receivedAtClose = received.size();
            break;
        default:
            break;
        }
    }

    void readSome()
    {
        char buffer[65536];
        const qint64 size = readMode == OneChunkPerEvent ? chunk : qint64(sizeof buffer);
        while (true) {
            int error = 0;
            const qint64 n = tls.receive(buffer, size, &error);
            if (n > 0)
                received.append(buffer, n);
            else if (n < 0 && error != WSAEWOULDBLOCK)
                receiveError = error;
            if (n <= 0 || readMode == OneChunkPerEvent)
                return;
        }
    }

    void pump()
    {
        if (!uploading)
            return;
        while (sent < outgoing.size()) {
            int error = 0;
            const qint64 n = tls.send(outgoing.constData() + sent, outgoing.size() - sent, false, &error);
            if (n < 0) {
                if (error == WSAEWOULDBLOCK)
                    ++wouldBlocks;
                else
                    sendError = error;
                return;
            }
            sent += n;
        }
        const int finished = tls.shutdown();
        if (finished == WSAEWOULDBLOCK)
            return;
        shutdownResult = finished;
        uploading = false;
    }

    void sendLine(const QByteArray &line)
    {
        int error = 0;
        ASSERT_EQ(tls.send(line.constData(), line.size(), false, &error), line.size()) << error;
    }

    AsyncSocket socket;
    TlsSession tls;
    ReadMode readMode = DrainPerEvent;
    qint64 chunk = 100;
    bool smallSendBuffer = false;

    QList<int> events;
    QByteArray received;
    qsizetype receivedAtClose = -1;
    int handshakes = 0;
    int handshakeError = -1;
    int connects = 0;
    int connectError = -1;
    int writes = 0;
    int closes = 0;
    int closeError = -1;
    int receiveError = 0;
    int sendError = 0;

    QByteArray outgoing;
    qsizetype sent = 0;
    bool uploading = false;
    int wouldBlocks = 0;
    int shutdownResult = -1;
};

class TlsSessionTest : public ::testing::Test
{
protected:
    testsupport::CoreApplicationGuard app;
};

struct DownloadCase
{
    const char *name;
    int maxProtocol;
    Client::ReadMode readMode;
    qint64 chunk;
    qsizetype size;
    bool closeNotify; // the server ends with close_notify, or simply closes
};

void PrintTo(const DownloadCase &c, std::ostream *os) { *os << c.name; }

class TlsDownload : public TlsSessionTest, public ::testing::WithParamInterface<DownloadCase>
{
};

// Every byte arrives, in order, before the close event, whether the owner
// drains the socket per event or reads one small piece per event.
TEST_P(TlsDownload, AllBytesArriveBeforeTheClose)
{
    const DownloadCase c = GetParam();
    const QByteArray data = testsupport::randomBytes(c.size, 7);
    TlsTestServer server(
        serverCertificate(),
        [&](TlsTestServer::Connection &connection) {
            if (!connection.handshake())
                return;
            connection.write(data);
            if (c.closeNotify)
                connection.sendCloseNotify();
            connection.close();
        },
        c.maxProtocol);
    ASSERT_TRUE(server.isRunning());

    Client client;
    client.readMode = c.readMode;
    client.chunk = c.chunk;
    client.tls.setPeerName(QStringLiteral("127.0.0.1"));
    client.connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return client.closes > 0; }, 20000));

    EXPECT_EQ(client.connectError, 0);
    EXPECT_EQ(client.closeError, 0);
    EXPECT_EQ(client.receiveError, 0);
    EXPECT_EQ(client.receivedAtClose, data.size());
    EXPECT_TRUE(client.received == data) << "received " << client.received.size() << " of " << data.size();
    EXPECT_EQ(client.tls.peerClosedCleanly(), c.closeNotify);
    EXPECT_EQ(client.closes, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TlsDownload,
    ::testing::Values(DownloadCase{"Tls13Drain", 0, Client::DrainPerEvent, 0, 3 << 20, true},
                      DownloadCase{"Tls12Drain", TLS1_2_VERSION, Client::DrainPerEvent, 0, 3 << 20, true},
                      DownloadCase{"Tls13SmallReads", 0, Client::OneChunkPerEvent, 100, 200000, true},
                      DownloadCase{"Tls12ListingReads", TLS1_2_VERSION, Client::OneChunkPerEvent, 4092, 300000, true},
                      DownloadCase{"Tls13NoCloseNotify", 0, Client::DrainPerEvent, 0, 1 << 20, false},
                      DownloadCase{"Tls13SmallReadsNoCloseNotify", 0, Client::OneChunkPerEvent, 777, 100000, false},
                      DownloadCase{"Tls13Empty", 0, Client::DrainPerEvent, 0, 0, true}),
    [](const ::testing::TestParamInfo<DownloadCase> &row) { return std::string(row.param.name); });

// An upload through a socket that keeps filling up: every byte arrives once,
// in order, and the stream ends with close_notify once shutdown() says so.
TEST_F(TlsSessionTest, UploadThroughAFullSocketEndsWithCloseNotify)
{
    const QByteArray data = testsupport::randomBytes(4 << 20, 11);
    std::atomic<bool> release{false};
    QByteArray arrived;
    bool clean = false;
    TlsTestServer server(serverCertificate(), [&](TlsTestServer::Connection &connection) {
        if (!connection.handshake())
            return;
        while (!release)
            std::this_thread::yield();
        arrived = connection.readToEnd(&clean);
        connection.close();
    });
    Client client;
    client.smallSendBuffer = true;
    client.connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return client.connects > 0; }));
    ASSERT_EQ(client.connectError, 0);
    client.upload(data);
    // The server reads only once the client has met a full socket.
    ASSERT_TRUE(waitUntil([&] { return client.wouldBlocks > 0; }, 10000));
    release = true;
    ASSERT_TRUE(waitUntil([&] { return !client.uploading; }, 20000));
    EXPECT_EQ(client.shutdownResult, 0);
    EXPECT_EQ(client.sendError, 0);
    ASSERT_TRUE(waitUntil([&] { return server.finishedConnections() == 1; }, 20000));
    EXPECT_TRUE(clean) << "no close_notify at the end of the upload";
    EXPECT_EQ(arrived.size(), data.size());
    EXPECT_TRUE(arrived == data);
}

TEST_F(TlsSessionTest, ConnectIsReportedAfterTheHandshakeThenTheFirstWrite)
{
    TlsTestServer server(serverCertificate(), [](TlsTestServer::Connection &connection) {
        connection.handshake();
        connection.readLine();
    });
    Client client;
    client.connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return client.writes > 0; }));
    EXPECT_EQ(client.handshakes, 1);
    EXPECT_EQ(client.handshakeError, 0);
    ASSERT_GE(client.events.size(), 2);
    EXPECT_EQ(client.events[0], SocketConnect);
    EXPECT_EQ(client.events[1], SocketWrite);
    EXPECT_TRUE(client.tls.isEncrypted());
    EXPECT_FALSE(client.tls.protocolVersion().isEmpty());
    client.sendLine("bye\n");
}

// The control connection's way: plain FTP until AUTH TLS is answered, then
// the handshake on the same socket, then protected lines.
TEST_F(TlsSessionTest, PlainUntilTheHandshakeThenEncrypted)
{
    TlsTestServer server(serverCertificate(), [&](TlsTestServer::Connection &connection) {
        connection.writePlain("220 plain greeting\r\n");
        server.note(QString::fromLatin1(connection.readPlainLine()));
        connection.writePlain("234 go ahead\r\n");
        if (!connection.handshake())
            return;
        server.note(QString::fromLatin1(connection.readLine()));
        connection.write("230 secret welcome\r\n");
        connection.readLine();
    });
    Client client;
    client.connectTo(server.port(), false);
    ASSERT_TRUE(waitUntil([&] { return client.received.contains("220 plain greeting\r\n"); }));
    EXPECT_FALSE(client.tls.isEncrypted());
    client.sendLine("AUTH TLS\r\n");
    ASSERT_TRUE(waitUntil([&] { return client.received.contains("234"); }));
    client.received.clear();
    client.tls.setPeerName(QStringLiteral("localhost"));
    client.tls.startHandshake();
    EXPECT_EQ(client.handshakes, 0); // never from inside the call
    ASSERT_TRUE(waitUntil([&] { return client.handshakes > 0; }));
    ASSERT_EQ(client.handshakeError, 0) << client.tls.errorText().toStdString();
    client.sendLine("USER someone\r\n");
    ASSERT_TRUE(waitUntil([&] { return client.received.contains("230 secret welcome\r\n"); }));
    EXPECT_EQ(server.notes(), (QStringList{QStringLiteral("AUTH TLS\r\n"), QStringLiteral("USER someone\r\n")}));
    client.sendLine("QUIT\r\n");
}

TEST_F(TlsSessionTest, CertificateFactsForTheUser)
{
    TlsTestServer server(serverCertificate(), [](TlsTestServer::Connection &connection) {
        connection.handshake();
        connection.readLine();
    });
    Client client;
    client.connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return client.connects > 0; }));
    const TlsCertificateInfo cert = client.tls.peerCertificate();
    ASSERT_FALSE(cert.isNull());
    EXPECT_EQ(cert.der, serverCertificate().der);
    EXPECT_EQ(cert.subject, QStringLiteral("CN=test.example,O=Test Kit"));
    EXPECT_EQ(cert.issuer, cert.subject);
    EXPECT_TRUE(cert.selfSigned);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    EXPECT_LT(qAbs(cert.notBefore.secsTo(now.addDays(-1))), 120);
    EXPECT_LT(qAbs(cert.notAfter.secsTo(now.addDays(30))), 120);
    const QByteArray digest = QCryptographicHash::hash(serverCertificate().der, QCryptographicHash::Sha256);
    EXPECT_EQ(cert.sha256, QString::fromLatin1(digest.toHex(':').toUpper()));
    EXPECT_EQ(cert.sha256.size(), 32 * 3 - 1);
    client.sendLine("bye\n");
}

struct VerifyCase
{
    const char *name;
    bool trustTestCertificate;
    const char *peerName;
    bool trusted;
    int code;
    const char *sentName; // server name indication the server saw
};

void PrintTo(const VerifyCase &c, std::ostream *os) { *os << c.name; }

class TlsVerify : public TlsSessionTest, public ::testing::WithParamInterface<VerifyCase>
{
};

TEST_P(TlsVerify, TrustStoreAndPeerName)
{
    const VerifyCase c = GetParam();
    TlsTestServer server(serverCertificate(), [&](TlsTestServer::Connection &connection) {
        if (connection.handshake())
            server.note(connection.serverName());
        connection.readLine();
    });
    Client client(c.trustTestCertificate ? trustingContext() : TlsContext::systemDefault());
    client.tls.setPeerName(QString::fromLatin1(c.peerName));
    client.connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return client.connects > 0 && !server.notes().isEmpty(); }));
    ASSERT_EQ(client.connectError, 0);
    const TlsVerification v = client.tls.verification();
    EXPECT_EQ(v.trusted, c.trusted) << v.text.toStdString();
    EXPECT_EQ(v.code, c.code) << v.text.toStdString();
    EXPECT_FALSE(v.text.isEmpty());
    EXPECT_EQ(server.notes().value(0), QString::fromLatin1(c.sentName));
    client.sendLine("bye\n");
}

INSTANTIATE_TEST_SUITE_P(
    Names, TlsVerify,
    ::testing::Values(
        VerifyCase{"SelfSignedUnknownToTheSystem", false, "localhost", false, X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT,
                   "localhost"},
        VerifyCase{"TrustedByName", true, "localhost", true, X509_V_OK, "localhost"},
        VerifyCase{"TrustedByAddress", true, "127.0.0.1", true, X509_V_OK, ""},
        VerifyCase{"TrustedByBracketedIPv6", true, "[::1]", true, X509_V_OK, ""},
        VerifyCase{"OtherName", true, "ftp.other.example", false, X509_V_ERR_HOSTNAME_MISMATCH, "ftp.other.example"},
        VerifyCase{"OtherAddress", true, "10.1.2.3", false, X509_V_ERR_IP_ADDRESS_MISMATCH, ""}),
    [](const ::testing::TestParamInfo<VerifyCase> &row) { return std::string(row.param.name); });

struct ResumeCase
{
    const char *name;
    int maxProtocol;
};

void PrintTo(const ResumeCase &c, std::ostream *os) { *os << c.name; }

class TlsResume : public TlsSessionTest, public ::testing::WithParamInterface<ResumeCase>
{
};

// Data connections resume the control connection's session (servers may
// refuse those that do not), again and again, with the same name.
TEST_P(TlsResume, DataConnectionsResumeTheControlSession)
{
    TlsTestServer server(
        serverCertificate(),
        [&](TlsTestServer::Connection &connection) {
            if (!connection.handshake())
                return;
            server.note(QStringLiteral("%1 %2 %3")
                            .arg(connection.index())
                            .arg(connection.sessionReused() ? "reused" : "new")
                            .arg(connection.serverName()));
            if (connection.index() == 0) {
                connection.write("220 ready\r\n");
                connection.readLine();
            } else {
                connection.write("data");
                connection.sendCloseNotify();
                connection.close();
            }
        },
        GetParam().maxProtocol);
    Client control;
    control.tls.setPeerName(QStringLiteral("localhost"));
    control.connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return control.received.contains("220 ready\r\n"); }));

    // One socket and session for every data connection, as the engine keeps
    // its data socket.
    Client data;
    for (int round = 1; round <= 2; ++round) {
        data.closes = 0;
        data.received.clear();
        data.tls.resumeFrom(control.tls);
        data.connectTo(server.port());
        ASSERT_TRUE(waitUntil([&] { return data.closes > 0; }));
        EXPECT_EQ(data.connectError, 0) << data.tls.errorText().toStdString();
        EXPECT_EQ(data.received, QByteArray("data"));
        EXPECT_TRUE(data.tls.sessionReused()) << "round " << round;
        data.socket.close();
    }
    Client fresh;
    fresh.tls.setPeerName(QStringLiteral("localhost"));
    fresh.connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return fresh.closes > 0; }));
    EXPECT_FALSE(fresh.tls.sessionReused());

    ASSERT_TRUE(waitUntil([&] { return server.notes().size() == 4; }));
    EXPECT_EQ(server.notes(), (QStringList{QStringLiteral("0 new localhost"), QStringLiteral("1 reused localhost"),
                                           QStringLiteral("2 reused localhost"), QStringLiteral("3 new localhost")}));
    control.sendLine("QUIT\r\n");
}

INSTANTIATE_TEST_SUITE_P(Versions, TlsResume,
                         ::testing::Values(ResumeCase{"Tls13", 0}, ResumeCase{"Tls12", TLS1_2_VERSION}),
                         [](const ::testing::TestParamInfo<ResumeCase> &row) { return std::string(row.param.name); });

// A data connection that meets another certificate than its control
// connection (a third party in between) fails its handshake.
TEST_F(TlsSessionTest, DataConnectionWithAnotherCertificateFails)
{
    TlsTestServer control(serverCertificate(), [](TlsTestServer::Connection &connection) {
        connection.handshake();
        connection.write("220 ready\r\n");
        connection.readLine();
    });
    const auto other = testsupport::makeSelfSignedCertificate(QStringLiteral("test.example"));
    TlsTestServer impostor(other, [](TlsTestServer::Connection &connection) {
        connection.handshake();
        connection.write("data");
        connection.readLine();
    });
    Client controlClient;
    controlClient.connectTo(control.port());
    ASSERT_TRUE(waitUntil([&] { return controlClient.received.contains("220"); }));
    Client data;
    data.tls.resumeFrom(controlClient.tls);
    data.connectTo(impostor.port());
    ASSERT_TRUE(waitUntil([&] { return data.connects > 0; }));
    EXPECT_EQ(data.connectError, TlsCertificateMismatch);
    EXPECT_EQ(data.handshakeError, TlsCertificateMismatch);
    EXPECT_EQ(data.tls.state(), TlsSession::Failed);
    EXPECT_TRUE(data.received.isEmpty());
    int error = 0;
    EXPECT_EQ(data.tls.send("x", 1, false, &error), -1);
    EXPECT_EQ(error, TlsCertificateMismatch);
    controlClient.sendLine("QUIT\r\n");
    data.socket.close();
}

struct FailureCase
{
    const char *name;
    bool speakPlain; // the server answers in plain text instead of TLS
    int error;
    const char *detail;
};

void PrintTo(const FailureCase &c, std::ostream *os) { *os << c.name; }

class TlsHandshakeFailure : public TlsSessionTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(TlsHandshakeFailure, IsReportedWithAClearText)
{
    const FailureCase c = GetParam();
    TlsTestServer server(serverCertificate(), [&](TlsTestServer::Connection &connection) {
        if (c.speakPlain) {
            connection.readPlainLine();
            connection.writePlain("500 What is this?\r\n");
        }
        connection.close();
    });
    Client client;
    client.connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return client.connects > 0; }));
    EXPECT_EQ(client.connectError, c.error);
    EXPECT_EQ(client.handshakeError, c.error);
    EXPECT_EQ(client.writes, 0);
    const QString text = client.tls.errorText();
    EXPECT_TRUE(text.startsWith(tlsErrorText(c.error))) << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String(c.detail))) << text.toStdString();
    client.socket.close();
}

INSTANTIATE_TEST_SUITE_P(
    Servers, TlsHandshakeFailure,
    ::testing::Values(FailureCase{"PlainTextAnswer", true, TlsHandshakeFailed, "wrong version number"},
                      FailureCase{"ClosedAtOnce", false, TlsClosedDuringHandshake, ""}),
    [](const ::testing::TestParamInfo<FailureCase> &row) { return std::string(row.param.name); });

TEST_F(TlsSessionTest, UrgentDataIsRefusedUnderTls)
{
    TlsTestServer server(serverCertificate(), [](TlsTestServer::Connection &connection) {
        connection.handshake();
        connection.readLine();
    });
    Client client;
    client.connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return client.connects > 0; }));
    int error = 0;
    EXPECT_EQ(client.tls.send("\xff\xf2", 2, true, &error), -1);
    EXPECT_EQ(error, WSAEOPNOTSUPP);
    client.sendLine("bye\n");
}

TEST(TlsText, ErrorTextsAndFingerprints)
{
    for (int e : {TlsHandshakeFailed, TlsClosedDuringHandshake, TlsCertificateMismatch, TlsProtocolError,
                  TlsUnavailable}) {
        EXPECT_TRUE(isTlsError(e));
        EXPECT_FALSE(tlsErrorText(e).isEmpty());
    }
    EXPECT_FALSE(isTlsError(WSAECONNRESET));
    EXPECT_TRUE(tlsErrorText(WSAECONNRESET).isEmpty());
    EXPECT_EQ(formatFingerprint(QByteArray::fromHex("00ff1a")), QStringLiteral("00:FF:1A"));
    EXPECT_TRUE(TlsCertificateInfo::fromDer("not a certificate").isNull());
}

} // namespace
