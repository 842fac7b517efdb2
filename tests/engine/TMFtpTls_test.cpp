// FTP over TLS against the real pyftpdlib server (TLS required on the control
// and the data connections, data sessions checked for reuse), and a refused
// AUTH against the scripted one.

#include "EngineTestKit.h"

#include "platform/CertificateTrust.h"
#include "support/LocalFiles.h"
#include "support/PyFtpdServer.h"
#include "support/ScriptedFtpServer.h"
#include "support/TlsTestKit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

using namespace enginetest;
using testsupport::PyFtpdServer;
using testsupport::waitUntil;

namespace {

constexpr int WaitMs = 20000;

// The commands the engine sent, in order ("AUTH TLS", "USER user", ...).
QStringList SentCommands(const Recorder &rec)
{
    QStringList commands;
    const QString prefix = QStringLiteral("info infoCommand ");
    for (const QString &line : rec.lines)
        if (line.startsWith(prefix))
            commands.append(line.mid(prefix.size()));
    return commands;
}

class TlsServerFixture
{
protected:
    void StartServer(const QString &mode, const QStringList &extra = {})
    {
        certificate = testsupport::makeSelfSignedCertificate(QStringLiteral("localhost"));
        ASSERT_FALSE(certificate.isNull());
        certificateFile = work.filePath(QStringLiteral("server.pem"));
        ASSERT_TRUE(certificate.writePemFile(certificateFile));
        server = std::make_unique<PyFtpdServer>(
            QStringList {QStringLiteral("--tls"), mode, QStringLiteral("--cert"), certificateFile} + extra);
        ASSERT_TRUE(server->isRunning()) << server->errors().toStdString();
        SetUpForTest(ftp, server->port());
        ftp.SetUsername(QString::fromLatin1(PyFtpdServer::User));
        ftp.SetPassword(QString::fromLatin1(PyFtpdServer::Password));
        ftp.SetTlsMode(mode == QLatin1String("implicit") ? tlsImplicit : tlsExplicit);
        ftp.SetTrustStorePath(StorePath());
        ftp.SetCache(false);
        ftp.SetCacheFolder(work.filePath(QStringLiteral("cache")));
        rec.attach(ftp);
    }

    QString StorePath() const { return work.filePath(QStringLiteral("TrustedCerts.txt")); }
    QString Local(const QString &name) const { return work.filePath(name); }
    QString Fingerprint() const { return platform::TlsCertificateInfo::fromDer(certificate.der).sha256; }

    bool LoginOver() { return WaitLoginOver(ftp, rec, WaitMs); }

    void Logout()
    {
        ftp.Quit();
        ASSERT_TRUE(waitUntil([&] { return !ftp.Connected() && !ftp.Busy(); }, WaitMs)) << rec.dump().toStdString();
    }

    testsupport::CoreApplicationGuard app;
    QTemporaryDir work;
    testsupport::TestCertificate certificate;
    QString certificateFile;
    std::unique_ptr<PyFtpdServer> server;
    TMFtp ftp;
    Recorder rec;
};

struct SessionCase {
    const char *name;
    const char *mode; // "explicit" or "implicit"
    bool passive;
};

class TlsSessionTest : public TlsServerFixture, public ::testing::TestWithParam<SessionCase>
{
};

// Login, listing and byte-exact transfers both ways, with the server
// refusing plain data connections and data connections that do not resume
// the control connection's TLS session.
TEST_P(TlsSessionTest, LoginListDownloadUploadAreProtectedAndByteExact)
{
    const SessionCase c = GetParam();
    StartServer(QString::fromLatin1(c.mode), {QStringLiteral("--require-reuse")});
    ftp.SetPassive(c.passive);
    rec.answers[needCertificateTrust] = {QStringLiteral("Trust")};
    const QByteArray payload = testsupport::randomBytes(3 * 1024 * 1024 + 17, 14);
    LocalFiles::Write(server->root() + QStringLiteral("/down.bin"), payload);
    QDir(server->root()).mkpath(QStringLiteral("folder"));

    ftp.Login();
    ASSERT_TRUE(LoginOver()) << rec.dump().toStdString();
    ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();

    // AUTH (explicit only), USER/PASS inside TLS, then PBSZ and PROT.
    QStringList expected;
    if (QLatin1String(c.mode) == QLatin1String("explicit"))
        expected << QStringLiteral("AUTH TLS");
    expected << QStringLiteral("USER user") << QStringLiteral("PASS ****") << QStringLiteral("PBSZ 0")
             << QStringLiteral("PROT P");
    const QStringList sent = SentCommands(rec);
    ASSERT_GE(sent.size(), expected.size()) << rec.dump().toStdString();
    QStringList head = sent.mid(0, expected.size());
    head.replaceInStrings(QRegularExpression(QStringLiteral("^PASS [\\s\\S]*")), QStringLiteral("PASS ****"));
    EXPECT_EQ(head, expected) << rec.dump().toStdString();
    EXPECT_EQ(rec.needs, QStringList {QStringLiteral("needCertificateTrust")});

    ftp.List();
    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy(); }, WaitMs));
    EXPECT_NE(ftp.FolderIndex("folder"), -1) << rec.dump().toStdString();
    ASSERT_EQ(ftp.FileList().Count(), 1) << rec.dump().toStdString();

    ftp.DownloadFile("down.bin", Local(QStringLiteral("down.bin")));
    EXPECT_TRUE(ftp.TransferOK()) << rec.dump().toStdString();
    EXPECT_TRUE(LocalFiles::Read(Local(QStringLiteral("down.bin"))) == payload);

    const QByteArray upload = testsupport::randomBytes(2 * 1024 * 1024 + 3, 41);
    LocalFiles::Write(Local(QStringLiteral("up.bin")), upload);
    ftp.SetAsynchronous(false);
    ftp.UploadFile(Local(QStringLiteral("up.bin")), "up.bin");
    ftp.WaitUntilIdle();
    EXPECT_TRUE(ftp.TransferOK()) << rec.dump().toStdString();
    const QByteArray stored = LocalFiles::Read(server->root() + QStringLiteral("/up.bin"));
    EXPECT_EQ(stored.size(), upload.size());
    EXPECT_TRUE(stored == upload);

    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
    EXPECT_FALSE(rec.dump().contains(QStringLiteral("522"))) << rec.dump().toStdString();
    Logout();
}

const SessionCase SessionCases[] = {
    {"ExplicitPassive", "explicit", true},
    {"ExplicitActive", "explicit", false},
    {"ImplicitPassive", "implicit", true},
    {"ImplicitActive", "implicit", false},
};

INSTANTIATE_TEST_SUITE_P(Modes, TlsSessionTest, ::testing::ValuesIn(SessionCases),
                         [](const ::testing::TestParamInfo<SessionCase> &row) { return row.param.name; });

class TlsTrustTest : public TlsServerFixture, public ::testing::Test
{
};

TEST_F(TlsTrustTest, UnknownCertificateIsRefusedWithoutAnAnswerAndNoCredentialsGoOut)
{
    StartServer(QStringLiteral("explicit"));
    ftp.SetPassive(true);
    ftp.Login();
    ASSERT_TRUE(LoginOver()) << rec.dump().toStdString();
    EXPECT_FALSE(ftp.LoggedIn());
    EXPECT_EQ(rec.needs, QStringList {QStringLiteral("needCertificateTrust")});
    EXPECT_EQ(rec.count(errorServerRefused), 1) << rec.dump().toStdString();
    const QStringList sent = SentCommands(rec);
    EXPECT_EQ(sent, QStringList {QStringLiteral("AUTH TLS")}) << rec.dump().toStdString();
    EXPECT_FALSE(QFile::exists(StorePath()));
}

TEST_F(TlsTrustTest, AcceptedCertificateIsRememberedAndNotAskedAgain)
{
    StartServer(QStringLiteral("implicit"));
    ftp.SetPassive(true);
    rec.answers[needCertificateTrust] = {QStringLiteral("Trust")};
    ftp.Login();
    ASSERT_TRUE(LoginOver()) << rec.dump().toStdString();
    ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    Logout();

    platform::CertificateTrustStore store(StorePath());
    ASSERT_TRUE(store.load());
    EXPECT_EQ(store.fingerprint(QStringLiteral("127.0.0.1"), server->port()), Fingerprint());

    // Asked no more: a refusal now would fail the login.
    rec.answers[needCertificateTrust] = {QString()};
    rec.lines.clear();
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("LoggedIn") || !rec.errors.isEmpty(); }, WaitMs));
    EXPECT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    EXPECT_EQ(rec.needs.size(), 1);
}

TEST_F(TlsTrustTest, ChangedCertificateIsRefusedWithoutAsking)
{
    StartServer(QStringLiteral("explicit"));
    platform::CertificateTrustStore store(StorePath());
    ASSERT_TRUE(store.load());
    const QString other = platform::TlsCertificateInfo::fromDer(
                              testsupport::makeSelfSignedCertificate(QStringLiteral("localhost")).der)
                              .sha256;
    ASSERT_NE(other, Fingerprint());
    store.remember(QStringLiteral("127.0.0.1"), server->port(), other);
    ASSERT_TRUE(store.save());
    rec.answers[needCertificateTrust] = {QStringLiteral("Trust")};

    ftp.Login();
    ASSERT_TRUE(LoginOver()) << rec.dump().toStdString();
    EXPECT_FALSE(ftp.LoggedIn());
    EXPECT_TRUE(rec.needs.isEmpty()) << rec.dump().toStdString();
    EXPECT_EQ(rec.count(errorServerRefused), 1) << rec.dump().toStdString();
    EXPECT_EQ(SentCommands(rec), QStringList {QStringLiteral("AUTH TLS")}) << rec.dump().toStdString();
    // The old fingerprint stays; nothing is overwritten.
    platform::CertificateTrustStore after(StorePath());
    ASSERT_TRUE(after.load());
    EXPECT_EQ(after.fingerprint(QStringLiteral("127.0.0.1"), server->port()), other);
}

// A server that does not speak TLS on its implicit port fails the login
// with a TLS error, and no command goes out.
TEST(TlsRefusalTest, ImplicitTlsAgainstAPlainServerFailsWithoutCommands)
{
    testsupport::CoreApplicationGuard app;
    testsupport::ScriptedFtpServer server;
    server.scriptStandardSession();
    TMFtp ftp;
    Recorder rec;
    SetUpForTest(ftp, server.port());
    ftp.SetTlsMode(tlsImplicit);
    rec.attach(ftp);
    ftp.Login();
    ASSERT_TRUE(WaitLoginOver(ftp, rec, WaitMs)) << rec.dump().toStdString();
    EXPECT_FALSE(ftp.LoggedIn());
    EXPECT_FALSE(rec.errors.isEmpty());
    EXPECT_TRUE(SentCommands(rec).isEmpty()) << rec.dump().toStdString();
    EXPECT_FALSE(server.received().contains("USER"));
}

// A refused AUTH ends the login with the server's words and nothing else
// is sent in plain text: no USER, no PASS.
TEST(TlsRefusalTest, RefusedAuthFailsTheLoginWithTheServersReplyAndSendsNoCredentials)
{
    testsupport::CoreApplicationGuard app;
    testsupport::ScriptedFtpServer server;
    server.scriptStandardSession();
    server.setReply("AUTH", "534 TLS is not offered here.\r\n");
    TMFtp ftp;
    Recorder rec;
    SetUpForTest(ftp, server.port());
    ftp.SetRetries(3);
    ftp.SetTlsMode(tlsExplicit);
    rec.attach(ftp);
    ftp.Login();
    ASSERT_TRUE(WaitLoginOver(ftp, rec, WaitMs)) << rec.dump().toStdString();
    ASSERT_TRUE(waitUntil([&] { return !server.clientConnected(); }, WaitMs));
    EXPECT_FALSE(ftp.LoggedIn());
    ASSERT_EQ(rec.count(errorServerRefused), 1) << rec.dump().toStdString();
    EXPECT_TRUE(rec.dump().contains(QStringLiteral("534 TLS is not offered here."))) << rec.dump().toStdString();
    EXPECT_EQ(server.commands(), QList<QByteArray> {"AUTH TLS"});
    EXPECT_EQ(server.connectionCount(), 1); // not retried
    EXPECT_FALSE(server.received().contains("USER"));
}

} // namespace

namespace {

class TlsAbortTest : public TlsServerFixture, public ::testing::Test
{
};

// ABOR goes through the TLS stream without the Telnet bytes and urgent data
// of a plain connection; the session goes on afterwards.
TEST_F(TlsAbortTest, AbortedDownloadLeavesAWorkingSession)
{
    const QString commandLog = work.filePath(QStringLiteral("commands.log"));
    StartServer(QStringLiteral("explicit"), {QStringLiteral("--command-log"), commandLog});
    ftp.SetPassive(true);
    rec.answers[needCertificateTrust] = {QStringLiteral("Trust")};
    LocalFiles::Write(server->root() + QStringLiteral("/big.bin"), QByteArray(64 * 1024 * 1024, 'x'));
    QDir(server->root()).mkpath(QStringLiteral("next"));
    ftp.Login();
    ASSERT_TRUE(LoginOver());
    ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();

    QTimer poll;
    AbortWhen(poll, ftp, [&] { return ftp.BytesTransferred() > 0; });
    ftp.DownloadFile("big.bin", Local(QStringLiteral("big.bin")));
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("Aborted") && !ftp.Busy(); }, WaitMs)) << rec.dump().toStdString();
    EXPECT_TRUE(SentCommands(rec).contains(QStringLiteral("ABOR"))) << rec.dump().toStdString();
    ASSERT_TRUE(ftp.Connected()) << rec.dump().toStdString();

    ftp.ChangeDirectory("next");
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("DirectoryChanged") && !ftp.Busy(); }, WaitMs));
    EXPECT_TRUE(ftp.ChangeDirOK()) << rec.dump().toStdString();
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/next"));

    // What the server read: the bare command, no Telnet bytes before it.
    const QList<QByteArray> received = LocalFiles::Read(commandLog).split('\n');
    EXPECT_TRUE(received.contains("ABOR")) << LocalFiles::Read(commandLog).toHex(' ').constData();
    EXPECT_FALSE(LocalFiles::Read(commandLog).contains('\xff'));
}

} // namespace

// The same refusal from the real server: it read "AUTH TLS" and nothing else.
TEST(TlsRefusalTest, RealServerRefusingAuthReadsNoCredentials)
{
    testsupport::CoreApplicationGuard app;
    QTemporaryDir work;
    const QString commandLog = work.filePath(QStringLiteral("commands.log"));
    PyFtpdServer server({QStringLiteral("--refuse-auth"), QStringLiteral("--command-log"), commandLog});
    ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
    TMFtp ftp;
    Recorder rec;
    SetUpForTest(ftp, server.port());
    ftp.SetUsername(QString::fromLatin1(PyFtpdServer::User));
    ftp.SetPassword(QString::fromLatin1(PyFtpdServer::Password));
    ftp.SetTlsMode(tlsExplicit);
    rec.attach(ftp);
    ftp.Login();
    ASSERT_TRUE(WaitLoginOver(ftp, rec, WaitMs)) << rec.dump().toStdString();
    EXPECT_FALSE(ftp.LoggedIn());
    EXPECT_TRUE(rec.has(QStringLiteral("error errorServerRefused TLS refused by the server: 534 TLS is not offered here.")))
        << rec.dump().toStdString();
    EXPECT_EQ(LocalFiles::Read(commandLog), QByteArray("AUTH TLS\n"));
}
