// Transfers against servers that stall, lie about sizes, hang up or let
// strangers in, in passive and active mode: the engine never waits without
// end, never reports a broken transfer as done and never loses a local file.

#include "EngineTestKit.h"

#include "engine/FtpCache.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace enginetest;
using testsupport::DataAction;
using testsupport::ScriptedFtpServer;
using testsupport::waitUntil;

namespace {

const QString DataSilence = QStringLiteral("error errorTimedOut Connection timed out: no data for 1 s");
const QString ReplySilence =
    QStringLiteral("error errorTimedOut Connection timed out: no reply from the server within 1 s");

QByteArray FiveLines()
{
    QByteArray lines;
    for (int i = 0; i < 5; ++i)
        lines += "-rw-r--r--   1 u g    5 Jan 01  2020 f" + QByteArray::number(i) + "\r\n";
    return lines;
}

class HostileTransferTest : public ::testing::TestWithParam<bool>, protected enginetest::LocalFiles
{
protected:
    void SetUp() override
    {
        server.scriptStandardSession();
        server.setReply("TYPE", "200 Type set.\r\n");
        server.setDataAction("LIST", DataAction {"150 Here comes the listing.\r\n", FiveLines()});
        SetUpForTest(ftp, server.port());
        ftp.SetCacheFolder(cache.path());
        ftp.SetPassive(GetParam());
        rec.attach(ftp);
        LogIn();
    }

    void LogIn()
    {
        ftp.SetTimeOut(5);
        rec.lines.clear();
        ftp.Login();
        ASSERT_TRUE(WaitLoginOver(ftp, rec));
        ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
        loginBytes = server.received().size();
        rec.lines.clear();
        rec.infos.clear();
        rec.errors.clear();
    }

    QByteArray Sent() const { return server.received().mid(loginBytes); }
    QStringList ErrorLines() const
    {
        QStringList errors;
        for (const QString &line : rec.lines) {
            if (line.startsWith(QLatin1String("error ")))
                errors.append(line);
        }
        return errors;
    }
    QString Local(const char *name) const { return local.filePath(QString::fromLatin1(name)); }
    QStringList LocalNames() const
    {
        return QDir(local.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    bool WaitIdleAfter(const char *event)
    {
        return waitUntil([&] { return rec.hasEvent(event) && !ftp.Busy(); });
    }
    // After an operation that ended the session: the next login and a
    // directory change work.
    void ExpectUsableAgain()
    {
        ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("Quit") && !ftp.Busy(); })) << rec.dump().toStdString();
        EXPECT_FALSE(ftp.Connected());
        LogIn();
        server.setReply("CWD", "250 \"/again\"\r\n");
        ftp.ChangeDirectory("/again");
        ASSERT_TRUE(WaitIdleAfter("DirectoryChanged"));
        EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/again"));
        EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
    }
    // Calls Abort from the event loop once `ready` holds.
    void AbortWhen(std::function<bool()> ready) { enginetest::AbortWhen(poll, ftp, std::move(ready)); }

    testsupport::CoreApplicationGuard app;
    ScriptedFtpServer server;
    TMFtp ftp;
    Recorder rec;
    QTemporaryDir cache;
    QTemporaryDir local;
    QTimer poll;
    qsizetype loginBytes = 0;
};

INSTANTIATE_TEST_SUITE_P(Modes, HostileTransferTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &row) {
                             return row.param ? "Passive" : "Active";
                         });

// ---- Waits that would never end ----

TEST_P(HostileTransferTest, StalledDownloadsTimeOutAndKeepTheOldFile)
{
    const struct {
        const char *name;
        DataAction action;
        QByteArray retrReply; // instead of the data action
        QString error;
    } cases[] = {
        {"data stalls after 100000 bytes",
         DataAction {"150 Sending.\r\n", QByteArray(100000, 'n'), "", false, true}, "", DataSilence},
        {"data ends, final reply never comes", DataAction {"150 Sending.\r\n", QByteArray(100000, 'n'), ""}, "",
         ReplySilence},
        {"150 and then nothing at all", DataAction {}, "150 Opening data connection.\r\n", DataSilence},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.retrReply.isEmpty())
            server.setDataAction("RETR", c.action);
        else
            server.setReply("RETR", c.retrReply);
        Write(Local("old"), QByteArray(2000, 'o'));
        rec.answers[needResumeDecision] = {QStringLiteral("Overwrite")};
        ftp.SetTimeOut(1);
        ftp.DownloadFile("f", Local("old")); // returns: bounded by the time-out
        EXPECT_FALSE(ftp.Busy());
        EXPECT_EQ(ErrorLines(), QStringList {c.error}) << rec.dump().toStdString();
        EXPECT_FALSE(ftp.TransferOK());
        EXPECT_EQ(Read(Local("old")), QByteArray(2000, 'o'));
        EXPECT_EQ(LocalNames(), QStringList {QStringLiteral("old")});
        ExpectUsableAgain();
        server.setReplies("RETR", {});
    }
}

TEST_P(HostileTransferTest, StalledListingTimesOut)
{
    server.setDataAction("LIST", DataAction {"150 Listing.\r\n", FiveLines(), "", false, true});
    ftp.SetTimeOut(1);
    ftp.List();
    ASSERT_TRUE(WaitIdleAfter("Quit")) << rec.dump().toStdString();
    EXPECT_EQ(ErrorLines(), QStringList {DataSilence}) << rec.dump().toStdString();
    EXPECT_EQ(rec.count(infoListingLine), 5);
    EXPECT_FALSE(QFile::exists(QString::fromLocal8Bit(ftpcache::CacheFilePath(
        cache.path(), QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("user"), "/", ftpcache::Files))))
        << "a cut listing is not cached";
    ExpectUsableAgain();
}

TEST_P(HostileTransferTest, UploadToAServerThatStopsReadingTimesOut)
{
    const QString path = Local("big");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(64 << 20)); // sparse; more than the sockets buffer
    }
    DataAction stall {"150 Ok to send.\r\n", "", "226 Done.\r\n", true};
    stall.stopReading = true;
    server.setDataAction("STOR", stall);
    ftp.SetTimeOut(1);
    ftp.SetAsynchronous(false);
    ftp.UploadFile(path, "big");
    EXPECT_FALSE(ftp.Busy());
    EXPECT_EQ(ErrorLines(), QStringList {DataSilence}) << rec.dump().toStdString();
    EXPECT_FALSE(ftp.TransferOK());
    EXPECT_GT(ftp.BytesTransferred(), 0);
    EXPECT_LT(ftp.BytesTransferred(), 64 << 20);
    ExpectUsableAgain();
}

// ---- Failures that looked like success ----

TEST_P(HostileTransferTest, DownloadShorterThanItsSizeFails)
{
    server.setReply("SIZE", "213 1000\r\n");
    server.setDataAction("RETR", DataAction {"150 Sending.\r\n", QByteArray(400, 'r')});
    Write(Local("part"), QByteArray(100, 'p'));
    rec.answers[needResumeDecision] = {QStringLiteral("Resume")};
    ftp.DownloadFile("f", Local("part"));
    EXPECT_TRUE(Sent().contains("REST 100\r\n"));
    EXPECT_FALSE(ftp.TransferOK());
    EXPECT_EQ(ErrorLines(),
              QStringList {QStringLiteral("error errorDataConnection Transfer incomplete: 500 of 1000 bytes received")});
}

TEST_P(HostileTransferTest, ControlConnectionClosedBeforeTheFinalReply)
{
    DataAction hangUp {"150 Sending.\r\n", "all of it", ""};
    hangUp.hangUpAfterData = true;
    server.setDataAction("RETR", hangUp);
    Write(Local("old"), "old contents");
    rec.answers[needResumeDecision] = {QStringLiteral("Overwrite")};
    ftp.DownloadFile("f", Local("old"));
    EXPECT_FALSE(ftp.TransferOK());
    EXPECT_EQ(ErrorLines(),
              QStringList {QStringLiteral("error errorConnectionReset Connection reset by remote side")});
    EXPECT_EQ(Read(Local("old")), QByteArray("old contents")) << "unconfirmed data replaces nothing";
    EXPECT_EQ(LocalNames(), QStringList {QStringLiteral("old")});
    ExpectUsableAgain();
}

TEST_P(HostileTransferTest, ResumeWithoutServerSupportFetchesTheWholeFile)
{
    ftp.Disconnect();
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("Quit"); }));
    server.setReply("REST", "502 REST not implemented.\r\n");
    LogIn();
    ASSERT_FALSE(ftp.CanResume());
    server.setDataAction("RETR", DataAction {"150 Sending.\r\n", "abcdef"});
    Write(Local("part"), "abc");
    rec.answers[needResumeDecision] = {QStringLiteral("Resume")};
    ftp.DownloadFile("f", Local("part"));
    EXPECT_TRUE(ftp.TransferOK());
    EXPECT_FALSE(Sent().contains("REST"));
    EXPECT_TRUE(rec.has(QStringLiteral("info infoResumeNotSupported resume this file error, I will overwrite it")));
    EXPECT_EQ(Read(Local("part")), QByteArray("abcdef"));
}

// ---- The user's file ----

TEST_P(HostileTransferTest, FailedOverwriteLeavesTheOldFile)
{
    const struct {
        const char *name;
        DataAction action;
        QByteArray retrReply; // instead of the data action
        bool diskFull;
        const char *error;
    } cases[] = {
        {"426 after 400000 bytes",
         DataAction {"150 Sending.\r\n", QByteArray(400000, 'n'), "426 Connection closed; transfer aborted.\r\n"},
         "", false, "error errorDataConnection 426 Connection closed; transfer aborted."},
        {"refused", DataAction {}, "550 No such file.\r\n", false,
         "error errorAccessDenied Access denied or file not found"},
        {"disk full", DataAction {"150 Sending.\r\n", QByteArray(1 << 20, 'n'), "426 Connection closed.\r\n"}, "",
         true, "error errorLocalWrite Cannot write local file "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        rec.lines.clear();
        if (c.retrReply.isEmpty()) {
            server.setReplies("RETR", {});
            server.setDataAction("RETR", c.action);
        } else {
            server.setReply("RETR", c.retrReply);
        }
        Write(Local("old"), QByteArray(2000000, 'o'));
        ASSERT_EQ(::chmod(QFile::encodeName(Local("old")).constData(), 0640), 0);
        rec.answers[needResumeDecision] = {QStringLiteral("Overwrite")};
        rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (c.diskFull) {
            rlimit small = old;
            small.rlim_cur = 64 * 1024; // "File too large", as a full disk would refuse
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        ftp.DownloadFile("f", Local("old"));
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(ftp.TransferOK());
        const QStringList errors = ErrorLines();
        ASSERT_EQ(errors.size(), 1) << rec.dump().toStdString();
        EXPECT_TRUE(errors.first().startsWith(QLatin1String(c.error))) << errors.first().toStdString();
        EXPECT_EQ(Read(Local("old")), QByteArray(2000000, 'o'));
        EXPECT_EQ(LocalNames(), QStringList {QStringLiteral("old")}) << "no temporary file left";
        EXPECT_TRUE(ftp.Connected());
    }
}

TEST_P(HostileTransferTest, CompleteOverwriteReplacesTheFileAndKeepsItsAccessBits)
{
    server.setDataAction("RETR", DataAction {"150 Sending (7 bytes).\r\n", "new one"});
    Write(Local("old"), QByteArray(2000, 'o'));
    ASSERT_EQ(::chmod(QFile::encodeName(Local("old")).constData(), 0640), 0);
    rec.answers[needResumeDecision] = {QStringLiteral("Overwrite")};
    ftp.DownloadFile("f", Local("old"));
    EXPECT_TRUE(ftp.TransferOK()) << rec.dump().toStdString();
    EXPECT_EQ(Read(Local("old")), QByteArray("new one"));
    EXPECT_EQ(LocalNames(), QStringList {QStringLiteral("old")});
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(Local("old")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A link is followed: the file it names gets the new contents.
    ASSERT_TRUE(QFile::link(Local("old"), Local("link")));
    server.setDataAction("RETR", DataAction {"150 Sending.\r\n", "via link"});
    ftp.DownloadFile("f", Local("link"));
    EXPECT_TRUE(ftp.TransferOK());
    EXPECT_EQ(Read(Local("old")), QByteArray("via link"));
    EXPECT_TRUE(QFileInfo(Local("link")).isSymLink());
}

// ---- Listing lines ----

TEST_P(HostileTransferTest, OverlongListingLineIsSkipped)
{
    server.setDataAction("LIST", DataAction {"150 Listing.\r\n", "-rw-r--r-- 1 u g 1 Jan 01 2020 before\r\n"
                                                                     + QByteArray(1 << 20, 'x') + "\r\n" + FiveLines()});
    ftp.List();
    ASSERT_TRUE(WaitIdleAfter("ListingDone")) << rec.dump().toStdString();
    EXPECT_EQ(ftp.FileList().Count(), 6);
    EXPECT_EQ(ErrorLines(),
              QStringList {QStringLiteral("error errorCommandFailed Listing line too long (more than 65536 bytes): skipped")});
    EXPECT_TRUE(ftp.Connected());
}

// ---- Data peers ----

TEST_P(HostileTransferTest, DataCallerFromAnotherAddressIsRefused)
{
    if (GetParam())
        GTEST_SKIP() << "active mode only: in passive mode the client makes the data connection";
    DataAction action {"150 Sending.\r\n", "from the server"};
    action.foreignAddress = "127.0.0.2";
    server.setDataAction("RETR", action);
    ftp.DownloadFile("f", Local("f"));
    EXPECT_TRUE(ftp.TransferOK()) << rec.dump().toStdString();
    EXPECT_EQ(Read(Local("f")), QByteArray("from the server"));
    EXPECT_TRUE(waitUntil([&] { return server.foreignCallerClosed(); }));
}

// ---- Abort ----

TEST_P(HostileTransferTest, AbortedListingAndUploadSendAborAndLeaveTheLineClean)
{
    server.setDataAction("LIST", DataAction {"150 Listing.\r\n", FiveLines(), "", false, true});
    AbortWhen([&] { return rec.count(infoListingLine) > 0; });
    ftp.List();
    ASSERT_TRUE(WaitIdleAfter("Aborted")) << rec.dump().toStdString();
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();

    const QString path = Local("big");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(64 << 20));
    }
    server.setDataAction("STOR", DataAction {"150 Ok to send.\r\n", "", "226 Done.\r\n", true});
    AbortWhen([&] { return ftp.BytesTransferred() > 0; });
    ftp.UploadFile(path, "big");
    ASSERT_TRUE(waitUntil([&] { return rec.countEvent("Aborted") == 2 && !ftp.Busy(); })) << rec.dump().toStdString();
    EXPECT_FALSE(ftp.TransferOK());
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();

    server.setReply("CWD", "250 \"/next\"\r\n");
    ftp.ChangeDirectory("/next");
    ASSERT_TRUE(WaitIdleAfter("DirectoryChanged"));
    EXPECT_TRUE(ftp.ChangeDirOK());
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/next"));
    const QByteArray sent = Sent();
    EXPECT_TRUE(sent.contains("LIST\r\n\xff\xf4\xff\xf2" "ABOR\r\nTYPE I\r\n")) << sent.toHex().constData();
    EXPECT_TRUE(sent.contains("STOR big\r\n\xff\xf4\xff\xf2" "ABOR\r\n")) << sent.toHex().constData();
    EXPECT_TRUE(sent.endsWith("ABOR\r\nCWD /next\r\n")) << sent.toHex().constData();
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
}

// Stopped while the transfer is being prepared: the data command never goes
// out, so no remote file is created and no download runs on.
TEST_P(HostileTransferTest, AbortBeforeTheDataCommandSendsNone)
{
    server.setReply("SIZE", "213 100\r\n");
    server.setDataAction("RETR", DataAction {"150 Sending.\r\n", "data"});
    Write(Local("old"), "old");
    // The user stops while the question is on the screen, then answers it.
    ftp.OnFtpNeedInfo = [&](QObject *, TMFtpInfoNeeded, QString &value) {
        ftp.Abort();
        value = QStringLiteral("Overwrite");
    };
    ftp.DownloadFile("f", Local("old"));
    EXPECT_TRUE(rec.hasEvent("Aborted"));
    EXPECT_FALSE(Sent().contains("RETR")) << Sent().constData();
    EXPECT_EQ(Read(Local("old")), QByteArray("old"));
    EXPECT_EQ(LocalNames(), QStringList {QStringLiteral("old")});

    rec.lines.clear();
    Write(Local("up"), "up");
    ftp.UploadFile(Local("up"), "up");
    ftp.Abort(); // while TYPE is under way
    ASSERT_TRUE(WaitIdleAfter("Aborted")) << rec.dump().toStdString();
    EXPECT_FALSE(ftp.TransferOK());
    EXPECT_FALSE(Sent().contains("STOR")) << Sent().constData();
    EXPECT_FALSE(Sent().contains("\xff")) << "nothing to interrupt";

    // Stopped after REST has been taken: the offset is set back.
    rec.lines.clear();
    ftp.OnFtpNeedInfo = [&](QObject *, TMFtpInfoNeeded, QString &value) { value = QStringLiteral("Resume"); };
    rec.attach(ftp);
    rec.answers[needResumeDecision] = {QStringLiteral("Resume")};
    const qsizetype before = Sent().size();
    ftp.OnFtpInfo = [&, record = ftp.OnFtpInfo](QObject *sender, FtpInfo info, const QString &text) {
        record(sender, info, text);
        if (info == infoCommand && text.startsWith(QLatin1String("REST ")) && text != QLatin1String("REST 0"))
            ftp.Abort();
    };
    ftp.DownloadFile("f", Local("old"));
    EXPECT_TRUE(rec.hasEvent("Aborted"));
    EXPECT_TRUE(Sent().mid(before).endsWith("REST 3\r\nREST 0\r\n")) << Sent().mid(before).constData();
    EXPECT_EQ(Read(Local("old")), QByteArray("old"));

    server.setReply("CWD", "250 \"/next\"\r\n");
    ftp.ChangeDirectory("/next");
    ASSERT_TRUE(WaitIdleAfter("DirectoryChanged"));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/next"));
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
}

TEST_P(HostileTransferTest, ResumedUploadOntoALargerRemoteFileIsRefused)
{
    server.setReply("SIZE", "213 1000\r\n");
    Write(Local("small"), "0123456789");
    rec.answers[needResumeDecision] = {QStringLiteral("Resume")};
    ftp.SetAsynchronous(false);
    ftp.UploadFile(Local("small"), "big");
    EXPECT_FALSE(ftp.TransferOK());
    EXPECT_EQ(ErrorLines(),
              QStringList {QStringLiteral("error errorResumeFailed Failed to resume uploading file: the remote file is "
                                          "larger (1000 bytes) than the local one (10 bytes)")});
    EXPECT_FALSE(Sent().contains("STOR")) << Sent().constData();
}

// ---- Texts ----

TEST_P(HostileTransferTest, FailuresCarryTheirReasons)
{
    ftp.DownloadFile("f", Local("no/such/folder/f"));
    EXPECT_EQ(ErrorLines(),
              QStringList {QStringLiteral("error errorLocalFile Cannot open local file %1: No such file or directory")
                               .arg(Local("no/such/folder/f"))});

    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy(); }));
    rec.lines.clear();
    ftp.SetAsynchronous(false);
    ftp.UploadFile(QString(), "x");
    EXPECT_EQ(ErrorLines(),
              QStringList {QStringLiteral("error errorLocalFile No local file name")});

    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy(); }));
    rec.lines.clear();
    server.setReply("RETR", "426 Connection closed; transfer aborted.\r\n");
    ftp.DownloadFile("f", Local("f"));
    EXPECT_EQ(ErrorLines(),
              QStringList {QStringLiteral("error errorDataConnection 426 Connection closed; transfer aborted.")});
    EXPECT_TRUE(ftp.Connected());

    if (!GetParam())
        return;
    // A passive address where nobody listens.
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    rec.lines.clear();
    server.setReply("PASV", "227 Entering Passive Mode (127,0,0,1," + QByteArray::number(closedPort / 256) + ","
                                + QByteArray::number(closedPort % 256) + ").\r\n");
    ftp.List();
    ASSERT_TRUE(WaitIdleAfter("Quit"));
    EXPECT_EQ(ErrorLines(), QStringList {QStringLiteral("error errorDataConnection Data connection failed: Connection Refused")});
    server.setReplies("PASV", {});
    ExpectUsableAgain();
}

} // namespace
