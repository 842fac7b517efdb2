// The recursive remote delete against the real pyftpdlib server (and a
// scripted one for a folder the server will not enter): whole trees gone
// from the server's disk, links removed without touching what they point
// to, link loops, Stop in both languages, and folders that stay because
// something in them could not be removed.

#include "engine/TMFtp.h"
#include "queue/QueueModel.h"
#include "queue/TransferRunner.h"
#include "support/EventLoopWait.h"
#include "support/PyFtpdServer.h"
#include "support/ScriptedFtpServer.h"

#include "../support/PrintQString.h"
#include "../support/LocalFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTimer>

#include <set>

using namespace queue;
using testsupport::PyFtpdServer;
using testsupport::waitUntil;

namespace {

constexpr int LoginWaitMs = 20000;

using testsupport::writeFile;

void makeLink(const QString &target, const QString &link)
{
    QDir().mkpath(QFileInfo(link).absolutePath());
    ASSERT_TRUE(QFile::link(target, link)) << link.toStdString();
}

// Every entry under `root` by relative path; folders end in "/", links in "@".
std::set<QString> tree(const QString &root)
{
    std::set<QString> out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = QDir(root).relativeFilePath(path);
        if (it.fileInfo().isSymLink())
            out.insert(rel + QLatin1Char('@'));
        else if (it.fileInfo().isDir())
            out.insert(rel + QLatin1Char('/'));
        else
            out.insert(rel);
    }
    return out;
}

// The window around the runner, reduced to what the delete uses: it lists
// every folder the engine enters, as the main window does.
class FakeHost : public TransferHost
{
public:
    explicit FakeHost(TMFtp &ftp) : ftp_(ftp) {}
    QString LocalPaneFolder() const override { return QString(); }
    void SetLocalPaneFolder(const QString &) override {}
    void RereadLocalPane() override {}
    void RefreshRemoteList(bool) override
    {
        ++refreshes;
        if (!ftp_.Connected())
            return;
        const bool cache = ftp_.Cache();
        ftp_.SetCache(false);
        ftp_.List();
        ftp_.WaitUntilIdle();
        ftp_.SetCache(cache);
    }
    void SetLogEnabled(bool on) override { logEnabled = on; }
    void LogStatus(const QString &text) override { status.append(text); }
    void LogError(const QString &text) override { errors.append(text); }
    void ShowRunFinished() override {}
    void StopProgressTimer() override {}
    void ShowTransferEnd() override {}
    bool UseSimplified() const override { return simplified; }

    QStringList status;
    QStringList errors;
    int refreshes = 0;
    bool logEnabled = true;
    bool simplified = true;

private:
    TMFtp &ftp_;
};

class DeleteRunnerTest : public ::testing::Test, public testsupport::CoreApplicationGuard
{
protected:
    DeleteRunnerTest() : host(ftp), runner(ftp, queue, host) {}

    void SetUp() override { ftp.SetCacheFolder(cache.path()); }

    void LogIn(quint16 port, const QString &user, const QString &password)
    {
        ftp.SetServer(QStringLiteral("127.0.0.1"));
        ftp.SetPort(port);
        ftp.SetUsername(user);
        ftp.SetPassword(password);
        ftp.SetRetries(0);
        ftp.SetTimeOut(10);
        ftp.SetPassive(true);
        ftp.OnDirectoryChanged = [this](QObject *) { ftp.List(); };
        ftp.OnLoggedIn = [this](QObject *) { ftp.List(); };
        ftp.OnFtpError = [this](QObject *, FtpError, const QString &text) { engineErrors.append(text); };
        ftp.OnFtpInfo = [this](QObject *, FtpInfo info, const QString &text) {
            if (info == infoCommand)
                commands.append(text.trimmed());
        };
        ftp.Login();
        ASSERT_TRUE(waitUntil([&] { return ftp.LoggedIn() && !ftp.Busy(); }, LoginWaitMs))
            << engineErrors.join(QLatin1Char('\n')).toStdString();
    }

    void LogInReal(PyFtpdServer &server)
    {
        ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
        LogIn(server.port(), QString::fromLatin1(PyFtpdServer::User), QString::fromLatin1(PyFtpdServer::Password));
    }

    // Commands sent from `from` on that change anything on the server or
    // move the engine.
    QStringList changesFrom(qsizetype from) const
    {
        QStringList out;
        for (qsizetype i = from; i < commands.size(); ++i) {
            const QString verb = commands.at(i).section(QLatin1Char(' '), 0, 0);
            if (verb == QLatin1String("DELE") || verb == QLatin1String("RMD") || verb == QLatin1String("CWD")
                || verb == QLatin1String("CDUP") || verb == QLatin1String("MKD"))
                out << commands.at(i);
        }
        return out;
    }

    void ExpectIdleAfterwards()
    {
        EXPECT_EQ(runner.state().mode, omIdle);
        EXPECT_TRUE(runner.state().VisitedFolders.isEmpty());
        EXPECT_FALSE(runner.state().StopRequested);
        EXPECT_TRUE(host.logEnabled);
        EXPECT_TRUE(ftp.Cache()) << "the cache setting comes back";
        EXPECT_FALSE(ftp.Busy());
    }

    QTemporaryDir cache;
    TMFtp ftp;
    TQueueModel queue;
    FakeHost host;
    TTransferRunner runner;
    QStringList engineErrors;
    QStringList commands;
};

TEST_F(DeleteRunnerTest, FoldersAndFilesOfASelectionAreGoneFromTheServerAndNothingElse)
{
    PyFtpdServer server;
    const QString root = server.root();
    writeFile(root + QStringLiteral("/项目/top.bin"), QByteArray(70000, 't'));
    writeFile(root + QStringLiteral("/项目/.hidden"), "h");
    writeFile(root + QStringLiteral("/项目/文档/说明.txt"), "readme");
    writeFile(root + QStringLiteral("/项目/文档/深/更深/x.dat"), "x");
    writeFile(root + QStringLiteral("/项目/文档/深/y.dat"), "y");
    QDir().mkpath(root + QStringLiteral("/项目/空文件夹"));
    QDir().mkpath(root + QStringLiteral("/empty"));
    writeFile(root + QStringLiteral("/a.txt"), "a");
    writeFile(root + QStringLiteral("/keep.txt"), "keep");
    writeFile(root + QStringLiteral("/keepdir/项目/inner.txt"), "same name elsewhere");
    LogInReal(server);
    ftp.SetCache(true);

    runner.DeleteSelection({QStringLiteral("项目").toUtf8(), "empty"}, {"a.txt"});

    EXPECT_EQ(tree(root), (std::set<QString>{QStringLiteral("keep.txt"), QStringLiteral("keepdir/"),
                                             QStringLiteral("keepdir/项目/"), QStringLiteral("keepdir/项目/inner.txt")}))
        << engineErrors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/"));
    EXPECT_EQ(ftp.FolderList().Count(), 1) << "the current folder was listed again";
    EXPECT_GE(host.refreshes, 1);
    EXPECT_TRUE(engineErrors.isEmpty()) << engineErrors.join(QLatin1Char('\n')).toStdString();
    ExpectIdleAfterwards();
}

TEST_F(DeleteRunnerTest, LinksAreRemovedNeverFollowedAndTheirTargetsSurvive)
{
    PyFtpdServer server;
    const QString root = server.root();
    writeFile(root + QStringLiteral("/outside/keep.txt"), "keep");
    writeFile(root + QStringLiteral("/outside/sub/deep.txt"), "deep");
    writeFile(root + QStringLiteral("/victim/a.txt"), "a");
    makeLink(QStringLiteral("../outside"), root + QStringLiteral("/victim/out"));
    makeLink(QStringLiteral("../../outside/sub"), root + QStringLiteral("/victim/inner/sublink"));
    makeLink(QStringLiteral("../outside/keep.txt"), root + QStringLiteral("/victim/file.txt"));
    // A link chosen itself: removed, not entered.
    makeLink(QStringLiteral("outside"), root + QStringLiteral("/chosen"));
    LogInReal(server);
    ASSERT_GE(ftp.FolderIndex("chosen"), 0);

    runner.DeleteSelection({"victim", "chosen"}, {});

    EXPECT_EQ(tree(root), (std::set<QString>{QStringLiteral("outside/"), QStringLiteral("outside/keep.txt"),
                                             QStringLiteral("outside/sub/"), QStringLiteral("outside/sub/deep.txt")}))
        << commands.join(QLatin1Char('\n')).toStdString();
    for (const QString &command : commands) {
        EXPECT_FALSE(command.startsWith(QLatin1String("CWD")) && command.contains(QLatin1String("out")))
            << command.toStdString();
        EXPECT_FALSE(command.contains(QLatin1String("sublink/"))) << command.toStdString();
    }
    EXPECT_TRUE(commands.contains(QStringLiteral("DELE out")));
    EXPECT_TRUE(commands.contains(QStringLiteral("DELE chosen")));
    ExpectIdleAfterwards();
}

TEST_F(DeleteRunnerTest, ALinkLoopIsRemovedOnceAndTheTreeGoes)
{
    PyFtpdServer server;
    const QString root = server.root();
    writeFile(root + QStringLiteral("/keep.txt"), "keep");
    writeFile(root + QStringLiteral("/loopy/a.txt"), "a");
    writeFile(root + QStringLiteral("/loopy/sub/b.txt"), "b");
    makeLink(QStringLiteral(".."), root + QStringLiteral("/loopy/sub/up"));
    makeLink(QStringLiteral("."), root + QStringLiteral("/loopy/sub/self"));
    makeLink(QStringLiteral("../.."), root + QStringLiteral("/loopy/sub/top"));
    LogInReal(server);

    runner.DeleteSelection({"loopy"}, {});

    EXPECT_EQ(tree(root), (std::set<QString>{QStringLiteral("keep.txt")}))
        << commands.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(commands.filter(QLatin1String("CWD")).size(), 2) << commands.join(QLatin1Char('\n')).toStdString();
    ExpectIdleAfterwards();
}

class DeleteStopTest : public DeleteRunnerTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(DeleteStopTest, StopLeavesTheRemainingItemsSendsNothingMoreAndLogsInTheLanguage)
{
    host.simplified = GetParam();
    PyFtpdServer server;
    const QString root = server.root();
    for (int i = 0; i < 12; ++i)
        writeFile(root + QStringLiteral("/victim/f%1.txt").arg(i, 2, 10, QLatin1Char('0')), "x");
    writeFile(root + QStringLiteral("/victim/sub/s.txt"), "s");
    writeFile(root + QStringLiteral("/victim2/t.txt"), "t");
    writeFile(root + QStringLiteral("/after.txt"), "after");
    LogInReal(server);

    qsizetype stoppedAt = -1;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (runner.state().mode == omDelete && tree(root + QStringLiteral("/victim")).size() <= 11) {
            watch.stop();
            stoppedAt = commands.size();
            runner.Stop();
        }
    });
    watch.start();
    runner.DeleteSelection({"victim", "victim2"}, {"after.txt"});
    watch.stop();

    ASSERT_GE(stoppedAt, 0) << "the delete ended before the stop";
    EXPECT_TRUE(runner.state().DeleteCancelled);
    const std::set<QString> left = tree(root);
    EXPECT_GE(left.size(), 10u);
    EXPECT_EQ(left.count(QStringLiteral("victim/sub/s.txt")), 1u);
    EXPECT_EQ(left.count(QStringLiteral("victim2/t.txt")), 1u);
    EXPECT_EQ(left.count(QStringLiteral("after.txt")), 1u);
    // At most the DELE that was under way when Stop came; then only the
    // final listing.
    const QStringList after = changesFrom(stoppedAt);
    EXPECT_TRUE(after.isEmpty()) << after.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(host.status, QStringList{host.simplified ? QStringLiteral("中止删除操作...")
                                                       : QStringLiteral("中止刪除操作...")});
    ExpectIdleAfterwards();

    // The next delete (from the folder it started in) runs to the end.
    ftp.ChangeDirectory("/");
    ftp.WaitUntilIdle();
    runner.DeleteSelection({"victim", "victim2"}, {"after.txt"});
    EXPECT_TRUE(tree(root).empty()) << commands.join(QLatin1Char('\n')).toStdString();
    ExpectIdleAfterwards();
}

INSTANTIATE_TEST_SUITE_P(SimplifiedAndTraditional, DeleteStopTest, ::testing::Bool());

// A scripted server with one listing per folder.
class ScriptedDeleteTest : public DeleteRunnerTest
{
protected:
    void SetUp() override
    {
        DeleteRunnerTest::SetUp();
        server.scriptStandardSession();
        server.setReply("TYPE", "200 OK.\r\n");
        server.setReply("RMD", "250 Removed.\r\n");
        server.setReply("CDUP", "250 \"/\" is the current directory.\r\n");
        listings["/"] = "drwxr-xr-x 1 u g 0 Jan 01 2020 top\r\n";
    }

    void Start()
    {
        server.setDataAction("LIST", testsupport::DataAction{"150 Listing.\r\n", listings.value("/")});
        LogIn(server.port(), QStringLiteral("u"), QStringLiteral("p"));
        ftp.OnDirectoryChanged = [this](QObject *) {
            server.setDataAction("LIST", testsupport::DataAction{"150 Listing.\r\n",
                                                                 listings.value(ftp.CurrentDirectory())});
            ftp.List();
        };
        ASSERT_GE(ftp.FolderIndex("top"), 0);
    }

    QList<QByteArray> Removals() const
    {
        QList<QByteArray> out;
        for (const QByteArray &command : server.commands())
            if (command.startsWith("RMD") || command.startsWith("DELE"))
                out << command;
        return out;
    }

    testsupport::ScriptedFtpServer server;
    QHash<QByteArray, QByteArray> listings;
};

TEST_F(ScriptedDeleteTest, AFolderTheServerWillNotEnterStaysAndSoDoItsParents)
{
    server.setReply("DELE", "250 Deleted.\r\n");
    server.setReplies("CWD", {{"250 \"/top\" is the current directory.\r\n"}, {"550 Permission denied.\r\n"}});
    listings["/top"] = "drwxr-xr-x 1 u g 0 Jan 01 2020 locked\r\n"
                       "-rw-r--r-- 1 u g 4 Jan 01 2020 f.txt\r\n";
    Start();

    runner.DeleteSelection({"top"}, {});

    const QList<QByteArray> sent = server.commands();
    EXPECT_TRUE(sent.contains("CWD top"));
    EXPECT_TRUE(sent.contains("CWD /top/locked/"));
    EXPECT_EQ(Removals(), QList<QByteArray>{"DELE f.txt"});
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/"));
    ExpectIdleAfterwards();
}

TEST_F(ScriptedDeleteTest, AFolderWithAFileTheServerKeepsIsNotRemoved)
{
    server.setReply("DELE", "550 Not allowed.\r\n");
    server.setReply("CWD", "250 \"/top\" is the current directory.\r\n");
    listings["/top"] = "-rw-r--r-- 1 u g 4 Jan 01 2020 stays.txt\r\n";
    Start();

    runner.DeleteSelection({"top"}, {});

    EXPECT_EQ(Removals(), QList<QByteArray>{"DELE stays.txt"});
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/"));
    ExpectIdleAfterwards();
}

// CDUP that lands somewhere else (where folders of the same names are
// listed): the delete goes back by the full path before it removes anything
// by name.
TEST_F(ScriptedDeleteTest, ACdupThatLandsElsewhereIsCorrectedBeforeAnyRemoval)
{
    server.setReply("DELE", "250 Deleted.\r\n");
    server.setReplies("CWD", {{"250 \"/top\" is the current directory.\r\n"},
                              {"250 \"/top/sub\" is the current directory.\r\n"},
                              {"250 \"/top\" is the current directory.\r\n"},
                              {"250 \"/\" is the current directory.\r\n"}});
    server.setReply("CDUP", "250 \"/elsewhere\" is the current directory.\r\n");
    listings["/top"] = "drwxr-xr-x 1 u g 0 Jan 01 2020 sub\r\n";
    listings["/top/sub"] = "-rw-r--r-- 1 u g 4 Jan 01 2020 f.txt\r\n";
    listings["/elsewhere"] = "drwxr-xr-x 1 u g 0 Jan 01 2020 top\r\n"
                             "drwxr-xr-x 1 u g 0 Jan 01 2020 sub\r\n";
    Start();

    runner.DeleteSelection({"top"}, {});

    QList<QByteArray> sent;
    for (const QByteArray &command : server.commands())
        if (command.startsWith("CWD") || command.startsWith("CDUP") || command.startsWith("RMD")
            || command.startsWith("DELE"))
            sent << command.trimmed();
    EXPECT_EQ(sent, (QList<QByteArray>{"CWD top", "CWD /top/sub/", "DELE f.txt", "CDUP", "CWD /top", "RMD sub",
                                       "CDUP", "CWD /", "RMD top"}));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/"));
    ExpectIdleAfterwards();
}

} // namespace
