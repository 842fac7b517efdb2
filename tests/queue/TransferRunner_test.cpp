// The transfer runners against the real pyftpdlib server and a scripted one:
// folder trees both ways compared byte for byte, through the queue and
// directly; link loops; stop and resume; the existing-file answers; failed
// entries; names that would lead outside the local folder.

#include "engine/TMFtp.h"
#include "queue/QueueModel.h"
#include "QueueEntryPrint.h"
#include "queue/TransferRunner.h"
#include "support/EventLoopWait.h"
#include "support/PyFtpdServer.h"
#include "support/ScriptedFtpServer.h"
#include "support/LocalFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <map>

using namespace queue;
using testsupport::PyFtpdServer;
using testsupport::waitUntil;

namespace {

constexpr int LoginWaitMs = 20000;

using testsupport::randomBytes;
using testsupport::readFile;
using testsupport::writeFile;

// Every file under `root` by relative path, with its bytes; folders as "dir/".
std::map<QString, QByteArray> snapshot(const QString &root)
{
    std::map<QString, QByteArray> out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = QDir(root).relativeFilePath(path);
        if (it.fileInfo().isDir())
            out[rel + QLatin1Char('/')] = QByteArray();
        else
            out[rel] = readFile(path);
    }
    return out;
}

// A tree of nested folders with random content, Chinese names included.
void makeTree(const QString &root, quint32 seed)
{
    writeFile(root + QStringLiteral("/top.bin"), randomBytes(70000, seed));
    writeFile(root + QStringLiteral("/empty.txt"), QByteArray());
    writeFile(root + QStringLiteral("/文档/说明.txt"), randomBytes(1234, seed + 1));
    writeFile(root + QStringLiteral("/文档/深/更深/x.dat"), randomBytes(300001, seed + 2));
    writeFile(root + QStringLiteral("/文档/深/y.dat"), randomBytes(17, seed + 3));
    QDir().mkpath(root + QStringLiteral("/空文件夹"));
}

// The window around the runners, reduced to what they use: it lists every
// folder the engine enters, as the main window does.
class FakeHost : public TransferHost
{
public:
    explicit FakeHost(TMFtp &ftp) : ftp_(ftp) {}
    QString LocalPaneFolder() const override { return pane; }
    void SetLocalPaneFolder(const QString &folder) override { pane = folder; }
    void RereadLocalPane() override { ++rereads; }
    void RefreshRemoteList(bool) override
    {
        if (!ftp_.Connected())
            return;
        const bool cache = ftp_.Cache();
        ftp_.SetCache(false);
        ftp_.List();
        ftp_.WaitUntilIdle();
        ftp_.SetCache(cache);
    }
    void SetLogEnabled(bool) override {}
    void LogStatus(const QString &text) override { status.append(text); }
    void LogError(const QString &text) override { errors.append(text); }
    void ShowRunFinished() override { ++finished; }
    void StopProgressTimer() override {}
    void ShowTransferEnd() override {}
    bool UseSimplified() const override { return simplified; }

    QString pane;
    QStringList status;
    QStringList errors;
    int rereads = 0;
    int finished = 0;
    bool simplified = true;

private:
    TMFtp &ftp_;
};

class RunnerTest : public ::testing::Test, public testsupport::CoreApplicationGuard
{
protected:
    RunnerTest() : host(ftp), runner(ftp, queue, host) {}

    void SetUp() override { ftp.SetCacheFolder(cache.path()); }

    void LogIn(quint16 port, const QString &user, const QString &password, bool passive = true)
    {
        ftp.SetServer(QStringLiteral("127.0.0.1"));
        ftp.SetPort(port);
        ftp.SetUsername(user);
        ftp.SetPassword(password);
        ftp.SetRetries(0);
        ftp.SetTimeOut(10);
        ftp.SetPassive(passive);
        ftp.OnDirectoryChanged = [this](QObject *) { ftp.List(); };
        ftp.OnLoggedIn = [this](QObject *) { ftp.List(); };
        ftp.OnFtpError = [this](QObject *, FtpError, const QString &text) { engineErrors.append(text); };
        ftp.OnFtpNeedInfo = [this](QObject *, TMFtpInfoNeeded need, QString &value) {
            if (need == needResumeDecision) {
                ++questions;
                value = answer;
            }
        };
        ftp.Login();
        ASSERT_TRUE(waitUntil([&] { return ftp.LoggedIn() && !ftp.Busy(); }, LoginWaitMs))
            << engineErrors.join(QLatin1Char('\n')).toStdString();
    }

    void LogInReal(PyFtpdServer &server, bool passive = true)
    {
        ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
        LogIn(server.port(), QString::fromLatin1(PyFtpdServer::User), QString::fromLatin1(PyFtpdServer::Password),
              passive);
    }

    QStringList statuses() const
    {
        QStringList out;
        for (int row = 0; row < queue.count(); ++row)
            out << queue.entry(row).status();
        return out;
    }

    QTemporaryDir cache;
    QTemporaryDir local;
    TMFtp ftp;
    TQueueModel queue;
    FakeHost host;
    TTransferRunner runner;
    QStringList engineErrors;
    QString answer;
    int questions = 0;
};

class RunnerModeTest : public RunnerTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(RunnerModeTest, UploadSelectionMirrorsANestedTreeByteForByte)
{
    PyFtpdServer server;
    LogInReal(server, GetParam());
    const QString src = local.path() + QStringLiteral("/项目");
    makeTree(src, 1);
    writeFile(local.path() + QStringLiteral("/single.bin"), randomBytes(5000, 9));
    host.pane = local.path();

    runner.UploadSelection({src}, {local.path() + QStringLiteral("/single.bin")}, ftp.CurrentDirectory());

    EXPECT_EQ(queue.count(), 0) << statuses().join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(runner.state().mode, omIdle);
    EXPECT_EQ(snapshot(server.root() + QStringLiteral("/项目")), snapshot(src));
    EXPECT_EQ(readFile(server.root() + QStringLiteral("/single.bin")), randomBytes(5000, 9));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/"));
    EXPECT_EQ(host.pane, local.path());
}

TEST_P(RunnerModeTest, DownloadSelectionMirrorsANestedTreeByteForByte)
{
    PyFtpdServer server;
    makeTree(server.root() + QStringLiteral("/pub/资料"), 2);
    writeFile(server.root() + QStringLiteral("/pub/a.zip"), randomBytes(4096, 5));
    LogInReal(server, GetParam());
    ftp.ChangeDirectory("/pub");
    ftp.WaitUntilIdle();
    const QString target = local.path() + QStringLiteral("/dl");

    runner.DownloadSelection({QByteArray("资料")}, {QByteArray("a.zip")}, target);

    EXPECT_EQ(queue.count(), 0) << statuses().join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(snapshot(target + QStringLiteral("/资料")), snapshot(server.root() + QStringLiteral("/pub/资料")));
    EXPECT_EQ(readFile(target + QStringLiteral("/a.zip")), randomBytes(4096, 5));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/pub")); // back where it started
}

INSTANTIATE_TEST_SUITE_P(PassiveAndActive, RunnerModeTest, ::testing::Bool());

TEST_F(RunnerTest, QueueRunsBothDirectionsTopToBottom)
{
    PyFtpdServer server;
    makeTree(server.root() + QStringLiteral("/remote/tree"), 3);
    writeFile(server.root() + QStringLiteral("/remote/file.bin"), randomBytes(10000, 4));
    const QString up = local.path() + QStringLiteral("/up");
    makeTree(up, 5);
    QDir().mkpath(server.root() + QStringLiteral("/incoming"));
    LogInReal(server);

    const QString down = local.path() + QStringLiteral("/down");
    QDir().mkpath(down);
    AddUploadEntries(queue, false, {up}, "/incoming", {});
    ftp.ChangeDirectory("/remote");
    ftp.WaitUntilIdle();
    AddDownloadEntries(queue, false, {"tree"}, down, {"file.bin"}, ftp.CurrentDirectory(), ftp.FileList());
    ASSERT_EQ(queue.count(), 3);
    EXPECT_EQ(queue.entry(2).size(), QStringLiteral("10 KB"));

    runner.RunAllEntries();

    EXPECT_EQ(queue.count(), 0) << statuses().join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(snapshot(server.root() + QStringLiteral("/incoming/up")), snapshot(up));
    EXPECT_EQ(snapshot(down + QStringLiteral("/tree")), snapshot(server.root() + QStringLiteral("/remote/tree")));
    EXPECT_EQ(readFile(down + QStringLiteral("/file.bin")), randomBytes(10000, 4));
    EXPECT_EQ(runner.state().mode, omIdle);
    EXPECT_TRUE(ftp.Cache()); // switched off for the run only
}

TEST_F(RunnerTest, AFailedEntryKeepsItsRowAndTheOthersStillRun)
{
    PyFtpdServer server;
    writeFile(server.root() + QStringLiteral("/pub/one.txt"), "one");
    writeFile(server.root() + QStringLiteral("/pub/three.txt"), "three");
    LogInReal(server);
    const QString dl = local.path();
    queue.append(QueueEntry::make(dl, QStringLiteral("1 KB"), DownloadAction(), "/pub/one.txt"));
    queue.append(QueueEntry::make(dl, QStringLiteral("1 KB"), DownloadAction(), "/pub/missing.txt"));
    queue.append(QueueEntry::make(dl, QStringLiteral("1 KB"), DownloadAction(), "/pub/three.txt"));
    queue.append(QueueEntry::make(dl + QStringLiteral("/nothing-here.txt"), QStringLiteral("1 KB"), UploadAction(),
                                  "/pub"));
    host.simplified = false;

    runner.RunAllEntries();

    ASSERT_EQ(queue.count(), 2);
    EXPECT_EQ(queue.entry(0).remotePath(), QByteArray("/pub/missing.txt"));
    EXPECT_EQ(queue.entry(0).status(), QStringLiteral("錯誤"));
    EXPECT_EQ(queue.entry(1).status(), QStringLiteral("錯誤"));
    EXPECT_EQ(readFile(dl + QStringLiteral("/one.txt")), QByteArray("one"));
    EXPECT_EQ(readFile(dl + QStringLiteral("/three.txt")), QByteArray("three"));
}

TEST_F(RunnerTest, ARefusedUploadIsAFailureNotDone)
{
    PyFtpdServer server;
    LogInReal(server);
    writeFile(local.path() + QStringLiteral("/a.txt"), "data");
    // A folder of that name stands where the file should go.
    QDir().mkpath(server.root() + QStringLiteral("/a.txt"));

    runner.UploadSelection({}, {local.path() + QStringLiteral("/a.txt")}, "/");

    ASSERT_EQ(queue.count(), 1);
    EXPECT_EQ(queue.entry(0).status(), QStringLiteral("错误"));
}

TEST_F(RunnerTest, ALinkLoopOnTheServerIsCut)
{
    PyFtpdServer server;
    const QString docs = server.root() + QStringLiteral("/pub/docs");
    writeFile(docs + QStringLiteral("/a.txt"), "a");
    writeFile(docs + QStringLiteral("/sub/b.txt"), "b");
    ASSERT_TRUE(QFile::link(QStringLiteral(".."), docs + QStringLiteral("/sub/loop")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/pub/docs"), docs + QStringLiteral("/sub/abs")));
    LogInReal(server);
    ftp.ChangeDirectory("/pub");
    ftp.WaitUntilIdle();

    runner.DownloadSelection({"docs"}, {}, local.path());

    const auto got = snapshot(local.path() + QStringLiteral("/docs"));
    EXPECT_EQ(got.count(QStringLiteral("a.txt")), 1u);
    EXPECT_EQ(got.count(QStringLiteral("sub/b.txt")), 1u);
    for (const auto &[path, bytes] : got)
        EXPECT_FALSE(path.startsWith(QStringLiteral("sub/loop/a"))) << path.toStdString();
    EXPECT_LE(got.size(), 6u);
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/pub"));
}

TEST_F(RunnerTest, StopMidFileLeavesCancelledAndThePartialFileResumesToTheRightBytes)
{
    PyFtpdServer server({QStringLiteral("--rate"), QStringLiteral("200000")});
    const QByteArray content = randomBytes(600000, 11);
    writeFile(server.root() + QStringLiteral("/big.bin"), content);
    writeFile(server.root() + QStringLiteral("/after.bin"), "after");
    LogInReal(server);
    queue.append(QueueEntry::make(local.path(), QStringLiteral("586 KB"), DownloadAction(), "/big.bin"));
    queue.append(QueueEntry::make(local.path(), QStringLiteral("1 KB"), DownloadAction(), "/after.bin"));

    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (ftp.Operation() == opDownload && ftp.BytesTransferred() > 100000) {
            poll.stop();
            runner.Stop();
        }
    });
    poll.start();
    runner.RunAllEntries();

    ASSERT_EQ(queue.count(), 2);
    EXPECT_EQ(queue.entry(0).status(), StatusCancelled());
    EXPECT_EQ(queue.entry(1).status(), QString());
    EXPECT_FALSE(QFile::exists(local.path() + QStringLiteral("/after.bin")));
    const QByteArray partial = readFile(local.path() + QStringLiteral("/big.bin"));
    ASSERT_GT(partial.size(), 0);
    ASSERT_LT(partial.size(), content.size());
    EXPECT_EQ(partial, content.left(partial.size()));
    EXPECT_EQ(runner.state().mode, omIdle);
    EXPECT_FALSE(runner.state().StopRequested);
    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy(); }, 10000));

    // The next run starts at the top again; resuming completes the file.
    answer = QStringLiteral("Resume");
    runner.RunAllEntries();
    EXPECT_EQ(queue.count(), 0);
    EXPECT_EQ(readFile(local.path() + QStringLiteral("/big.bin")), content);
    EXPECT_EQ(readFile(local.path() + QStringLiteral("/after.bin")), QByteArray("after"));
}

struct ExistingCase
{
    const char *answer;
    QByteArray local;      // before
    QByteArray expected;   // after
    bool entryLeaves;
};

class ExistingFileTest : public RunnerTest, public ::testing::WithParamInterface<ExistingCase>
{
};

TEST_P(ExistingFileTest, EachAnswerGivesTheRightFile)
{
    const ExistingCase c = GetParam();
    PyFtpdServer server;
    const QByteArray remote = randomBytes(20000, 21);
    writeFile(server.root() + QStringLiteral("/f.bin"), remote);
    LogInReal(server);
    writeFile(local.path() + QStringLiteral("/f.bin"), c.local);
    answer = QString::fromLatin1(c.answer);

    runner.DownloadSelection({}, {"f.bin"}, local.path());

    EXPECT_EQ(questions, 1);
    EXPECT_EQ(readFile(local.path() + QStringLiteral("/f.bin")), c.expected);
    EXPECT_EQ(queue.count(), c.entryLeaves ? 0 : 1);
}

const QByteArray Remote21 = randomBytes(20000, 21);

INSTANTIATE_TEST_SUITE_P(
    Answers, ExistingFileTest,
    ::testing::Values(ExistingCase {"Overwrite", "old old old old old", Remote21, true},
                      ExistingCase {"", "old", Remote21, true}, // an empty answer overwrites
                      ExistingCase {"Resume", Remote21.left(7000), Remote21, true},
                      ExistingCase {"Cancel", "keep me", "keep me", true}),
    [](const ::testing::TestParamInfo<ExistingCase> &c) {
        return c.param.answer[0] ? std::string(c.param.answer) : std::string("Empty");
    });

TEST_F(RunnerTest, UploadOfAnExistingRemoteFileAsksAndResumes)
{
    PyFtpdServer server;
    const QByteArray content = randomBytes(30000, 31);
    writeFile(server.root() + QStringLiteral("/u.bin"), content.left(10000));
    writeFile(local.path() + QStringLiteral("/u.bin"), content);
    LogInReal(server);
    answer = QStringLiteral("Resume");

    runner.UploadSelection({}, {local.path() + QStringLiteral("/u.bin")}, "/");

    EXPECT_EQ(questions, 1);
    EXPECT_EQ(readFile(server.root() + QStringLiteral("/u.bin")), content);
    EXPECT_EQ(queue.count(), 0);
}

// Names a hostile server lists: none may become a local path.
TEST_F(RunnerTest, ListedNamesNeverLeadOutsideTheLocalFolder)
{
    testsupport::ScriptedFtpServer server;
    server.scriptStandardSession();
    server.setReply("SIZE", "550 No.\r\n");
    server.setReply("TYPE", "200 OK.\r\n");
    const QByteArray listing = "-rw-r--r-- 1 u g 4 Jan 01 2020 ..\r\n"
                               "-rw-r--r-- 1 u g 4 Jan 01 2020 a\\b\r\n"
                               "-rw-r--r-- 1 u g 4 Jan 01 2020 bad\x01name\r\n"
                               "-rw-r--r-- 1 u g 4 Jan 01 2020 ok.txt\r\n"
                               "drwxr-xr-x 1 u g 0 Jan 01 2020 ..\r\n";
    server.setDataAction("LIST", testsupport::DataAction {"150 Listing.\r\n", listing});
    server.setDataAction("RETR", testsupport::DataAction {"150 Sending.\r\n", "data"});
    server.setReply("PWD", "257 \"/pub/x\"\r\n");
    server.setReply("CWD", "250 OK.\r\n");
    server.setReply("CDUP", "250 OK.\r\n");
    LogIn(server.port(), QStringLiteral("u"), QStringLiteral("p"));
    const QString target = local.path() + QStringLiteral("/in");

    runner.DownloadFolder("/pub/x", target);

    const auto got = snapshot(local.path());
    EXPECT_EQ(got.count(QStringLiteral("in/x/ok.txt")), 1u);
    for (const auto &[path, bytes] : got)
        EXPECT_TRUE(path.startsWith(QStringLiteral("in/"))) << path.toStdString();
    EXPECT_EQ(got.size(), 3u) << "in/, in/x/, in/x/ok.txt";
    EXPECT_EQ(host.errors.size(), 3) << host.errors.join(QLatin1Char('\n')).toStdString();
    for (const QByteArray &cmd : server.commands())
        EXPECT_FALSE(cmd.startsWith("RETR ..")) << cmd.constData();
}

// "150 ... (1000 bytes)", 400 bytes of data, then "226": not a complete file.
TEST_F(RunnerTest, ADownloadShorterThanAnnouncedIsAFailure)
{
    testsupport::ScriptedFtpServer server;
    server.scriptStandardSession();
    server.setReply("TYPE", "200 OK.\r\n");
    server.setDataAction("LIST", testsupport::DataAction {"150 Listing.\r\n", ""});
    server.setDataAction("RETR", testsupport::DataAction {
                                     "150 Opening BINARY mode data connection for f.bin (1000 bytes).\r\n",
                                     QByteArray(400, 'x')});
    LogIn(server.port(), QStringLiteral("u"), QStringLiteral("p"));

    runner.DownloadSelection({}, {"f.bin", "g.bin"}, local.path());

    ASSERT_EQ(queue.count(), 2) << "both are short";
    EXPECT_EQ(queue.entry(0).status(), QStringLiteral("错误"));
    EXPECT_TRUE(engineErrors.join(QLatin1Char(' ')).contains(QStringLiteral("400 of 1000")))
        << engineErrors.join(QLatin1Char('\n')).toStdString();

    // The whole file is a success.
    server.setDataAction("RETR", testsupport::DataAction {
                                     "150 Opening BINARY mode data connection for f.bin (1000 bytes).\r\n",
                                     QByteArray(1000, 'x')});
    answer = QStringLiteral("Overwrite");
    runner.DownloadSelection({}, {"f.bin"}, local.path());
    EXPECT_EQ(queue.count(), 0);
}

TEST(RunnerNames, PathRules)
{
    EXPECT_EQ(TTransferRunner::LastRemoteComponent("/pub/a.zip"), QByteArray("a.zip"));
    EXPECT_EQ(TTransferRunner::LastRemoteComponent("a.zip"), QByteArray("a.zip"));
    EXPECT_EQ(TTransferRunner::RemoteParent("/pub/a.zip"), QByteArray("/pub"));
    EXPECT_EQ(TTransferRunner::RemoteParent("/a.zip"), QByteArray("/"));
    EXPECT_EQ(TTransferRunner::RemoteParent("a.zip"), QByteArray());
    for (const char *bad : {"", ".", "..", "a/b", "a\\b", "x\ty", "\x7f"})
        EXPECT_TRUE(TTransferRunner::SafeLocalName(bad).isEmpty()) << bad;
    EXPECT_EQ(TTransferRunner::SafeLocalName("..a"), QStringLiteral("..a"));
    EXPECT_EQ(TTransferRunner::SafeLocalName("\xb2\xe2\xca\xd4"), QStringLiteral("测试")); // GBK
}

} // namespace
