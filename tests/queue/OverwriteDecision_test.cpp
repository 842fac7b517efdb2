// The overwrite and resume decision: when resume is possible, which answers
// need no dialog, the local date shown in UTC+8, and the question texts.

#include "queue/OverwriteDecision.h"

#include "engine/EngineTestKit.h"
#include "support/PyFtpdServer.h"

#include "../support/PrintQString.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <utime.h>

using namespace queue;

namespace {

constexpr qint64 GiB = 1024LL * 1024 * 1024;

ResumeFacts Facts(bool download, bool canResume, qint64 localSize, qint64 remoteSize,
                  const QString &localFile = QStringLiteral("/tmp/a.zip"))
{
    ResumeFacts f;
    f.download = download;
    f.localFile = localFile;
    f.remoteFile = "a.zip";
    f.serverCanResume = canResume;
    f.localSize = localSize;
    f.remoteSize = remoteSize;
    return f;
}

} // namespace

TEST(ResumePossible, FollowsDirectionSizesAndServer)
{
    struct Case {
        const char *what;
        bool download;
        bool canResume;
        qint64 localSize;
        qint64 remoteSize;
        bool possible;
    };
    const Case cases[] = {
        {"download, local shorter", true, true, 400, 1000, true},
        {"download, local as long", true, true, 1000, 1000, false},
        {"download, local longer", true, true, 1001, 1000, false},
        {"download, server cannot resume", true, false, 400, 1000, false},
        {"download, empty remote", true, true, -1, 0, false},
        {"download, remote missing", true, true, 400, -1, false},
        {"download, local missing", true, true, -1, 1000, true},
        {"download, 3 GiB remote, 2 GiB local", true, true, 2 * GiB, 3 * GiB, true},
        {"download, 3 GiB both", true, true, 3 * GiB, 3 * GiB, false},
        {"download, 3 GiB remote one byte longer", true, true, 3 * GiB, 3 * GiB + 1, true},
        {"upload, remote shorter", false, true, 1000, 400, true},
        {"upload, remote shorter, server cannot resume", false, false, 1000, 400, false},
        {"upload, remote as long", false, true, 1000, 1000, false},
        {"upload, empty local", false, true, 0, -1, false},
        {"upload, 5 GiB local, 3 GiB remote", false, true, 5 * GiB, 3 * GiB, true},
        {"upload, 3 GiB remote, 2 GiB local", false, true, 2 * GiB, 3 * GiB, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ResumePossible(Facts(c.download, c.canResume, c.localSize, c.remoteSize)), c.possible) << c.what;
}

TEST(AnswerWithoutDialog, ShortcutsAndRememberedAnswers)
{
    struct Case {
        const char *what;
        QString localFile;
        bool download;
        qint64 localSize;
        qint64 remoteSize;
        bool applyToAll;
        QString remembered;
        std::optional<QString> answer;
        QString status;
    };
    const QString none;
    const QString nothing = QStringLiteral("I am afraid I have nothing to do");
    const QString overwrite = QStringLiteral("Overwrite"), resume = QStringLiteral("Resume"),
                  cancel = QStringLiteral("Cancel");
    const Case cases[] = {
        {"shortcut", "/home/u/Link.lnk", false, 10, 5, false, none, cancel, none},
        {"shortcut in capitals", "C:\\Link.LNK", false, 10, 5, false, none, cancel, none},
        {"shortcut beats a remembered overwrite", "/x/a.Lnk", true, 1, 5, true, overwrite, cancel, none},
        {"lnk only inside the name", "/x/a.lnk.zip", true, 1, 5, false, none, std::nullopt, none},
        {"folder named .lnk does not make the file one", "/x.lnk/a.zip", true, 1, 5, false, none, std::nullopt, none},
        {"not for all files", "/x/a.zip", true, 400, 1000, false, resume, std::nullopt, none},
        {"for all but nothing remembered", "/x/a.zip", true, 400, 1000, true, none, std::nullopt, none},
        {"remembered skip", "/x/a.zip", true, 400, 1000, true, cancel, cancel, none},
        {"remembered overwrite", "/x/a.zip", true, 400, 1000, true, overwrite, overwrite, none},
        {"remembered resume, possible", "/x/a.zip", true, 400, 1000, true, resume, resume, none},
        {"remembered resume, local complete", "/x/a.zip", true, 1000, 1000, true, resume, cancel, nothing},
        {"remembered resume, upload possible", "/x/a.zip", false, 1000, 400, true, resume, resume, none},
        {"remembered resume, upload remote longer", "/x/a.zip", false, 400, 1000, true, resume, cancel, nothing},
    };
    for (const Case &c : cases) {
        ResumeFacts facts = Facts(c.download, true, c.localSize, c.remoteSize, c.localFile);
        OverwriteMemory memory{c.applyToAll, c.remembered};
        QString status;
        EXPECT_EQ(AnswerWithoutDialog(facts, memory, &status), c.answer) << c.what;
        EXPECT_EQ(status, c.status) << c.what;
    }
    // The status line is optional.
    EXPECT_EQ(AnswerWithoutDialog(Facts(true, false, 400, 1000), {true, resume}, nullptr), cancel);
}

namespace {

// Runs with TZ set to a zone far from UTC+8 and restores it afterwards.
class LocalFileDateText : public ::testing::Test
{
protected:
    void SetUp() override
    {
        hadTz_ = qEnvironmentVariableIsSet("TZ");
        oldTz_ = qgetenv("TZ");
        qputenv("TZ", "America/New_York");
        tzset();
    }
    void TearDown() override
    {
        if (hadTz_)
            qputenv("TZ", oldTz_);
        else
            qunsetenv("TZ");
        tzset();
    }

    QTemporaryDir dir;

private:
    bool hadTz_ = false;
    QByteArray oldTz_;
};

bool SetModified(const QString &path, const QDateTime &utc)
{
    struct utimbuf times;
    times.actime = time_t(utc.toSecsSinceEpoch());
    times.modtime = times.actime;
    return ::utime(QFile::encodeName(path).constData(), &times) == 0;
}

} // namespace

TEST_F(LocalFileDateText, ShowsUtcPlusEightWhateverTheZone)
{
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char *name;
        bool folder;
        QDateTime utc;
        const char *shown;
    };
    const Case cases[] = {
        {"a.zip", false, QDateTime(QDate(2021, 3, 4), QTime(0, 30), Qt::UTC), "2021-03-04 08:30"},
        {"late.txt", false, QDateTime(QDate(2021, 12, 31), QTime(20, 15, 59), Qt::UTC), "2022-01-01 04:15"},
        {"summer.txt", false, QDateTime(QDate(2020, 7, 1), QTime(12, 0), Qt::UTC), "2020-07-01 20:00"},
        {"folder", true, QDateTime(QDate(2019, 2, 28), QTime(16, 5), Qt::UTC), "2019-03-01 00:05"},
    };
    for (const Case &c : cases) {
        const QString path = dir.filePath(QLatin1String(c.name));
        if (c.folder) {
            ASSERT_TRUE(QDir(dir.path()).mkdir(QLatin1String(c.name)));
        } else {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
        ASSERT_TRUE(SetModified(path, c.utc)) << c.name;
        EXPECT_EQ(queue::LocalFileDateText(path), QString::fromLatin1(c.shown)) << c.name;
    }
    EXPECT_EQ(queue::LocalFileDateText(dir.filePath(QStringLiteral("missing.zip"))), QString());
    EXPECT_EQ(queue::LocalFileDateText(QString()), QString());
}

TEST(OverwriteTexts, QuestionsSuffixesAndRenameConfirmation)
{
    EXPECT_EQ(OverwriteQuestion(true, QStringLiteral("/home/u/down/a.zip"), true),
              QStringLiteral("【 本地文件 a.zip 已存在,替换已存的文件吗 】"));
    EXPECT_EQ(OverwriteQuestion(true, QStringLiteral("/home/u/down/a.zip"), false),
              QStringLiteral("【 本地文件 a.zip 已存在,替換已存的文件嗎 】"));
    EXPECT_EQ(OverwriteQuestion(false, QStringLiteral("/home/u/报告 %1.doc"), true),
              QStringLiteral("【 远程文件 报告 %1.doc 已存在,替换已存的文件吗 】"));
    EXPECT_EQ(OverwriteQuestion(false, QStringLiteral("b.txt"), false),
              QStringLiteral("【 遠程文件 b.txt 已存在,替換已存的文件嗎 】"));
    EXPECT_EQ(ByteSuffix(true), QStringLiteral(" 字节"));
    EXPECT_EQ(ByteSuffix(false), QStringLiteral(" 字節"));

    EXPECT_EQ(OverwriteConfirmText("new.txt", true),
              QStringLiteral("   文件“new.txt”已经存在.\r\r   是否覆盖此文件？"));
    EXPECT_EQ(OverwriteConfirmText("new.txt", false),
              QStringLiteral("   文件“new.txt”已經存在.\r\r   是否覆蓋此文件？"));
    // Server names in GBK and in UTF-8 are both shown readably.
    EXPECT_EQ(OverwriteConfirmText(QByteArray("\xB1\xA8\xB8\xE6.txt"), true),
              QStringLiteral("   文件“报告.txt”已经存在.\r\r   是否覆盖此文件？"));
    EXPECT_EQ(OverwriteConfirmText(QStringLiteral("报告.txt").toUtf8(), true),
              QStringLiteral("   文件“报告.txt”已经存在.\r\r   是否覆盖此文件？"));
}

namespace {

void WriteBytes(const QString &path, qint64 size)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(QByteArray(size, 'a')), size);
}

} // namespace

// The facts are read from the engine while it asks: a 3 GiB remote file
// (sparse on the server's disk) next to a shorter local copy, and an upload
// onto a shorter remote file.
TEST(GatherResumeFacts, ReadsTheEngineWhileItAsks)
{
    testsupport::PyFtpdServer server;
    ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
    QTemporaryDir local, cache;
    ASSERT_TRUE(local.isValid() && cache.isValid());
    {
        QFile big(QDir(server.root()).filePath(QStringLiteral("big.iso")));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(3 * GiB + 7));
    }
    WriteBytes(QDir(server.root()).filePath(QStringLiteral("up.bin")), 300);
    const QString localBig = local.filePath(QStringLiteral("big.iso"));
    const QString localUp = local.filePath(QStringLiteral("up.bin"));
    WriteBytes(localBig, 400);
    WriteBytes(localUp, 1000);

    TMFtp ftp;
    enginetest::Recorder rec;
    enginetest::SetUpForTest(ftp, server.port());
    ftp.SetUsername(QString::fromLatin1(testsupport::PyFtpdServer::User));
    ftp.SetPassword(QString::fromLatin1(testsupport::PyFtpdServer::Password));
    ftp.SetCacheFolder(cache.path());
    ftp.SetPassive(true);
    rec.attach(ftp);
    QList<ResumeFacts> asked;
    ftp.OnFtpNeedInfo = [&](QObject *, TMFtpInfoNeeded need, QString &value) {
        if (need == needResumeDecision) {
            asked.append(GatherResumeFacts(ftp));
            value = QStringLiteral("Cancel");
        }
    };
    ftp.Login();
    ASSERT_TRUE(enginetest::WaitLoginOver(ftp, rec, 20000)) << rec.dump().toStdString();
    ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    ASSERT_TRUE(ftp.CanResume());
    ftp.SetCache(false);
    ftp.List();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !ftp.Busy() && ftp.FileList().Count() == 2; }, 20000));

    ftp.DownloadFile("big.iso", localBig);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !ftp.Busy(); }, 20000));
    ASSERT_EQ(asked.size(), 1) << rec.dump().toStdString();
    const int bigIndex = ftp.FileList().IndexOfName("big.iso");
    ASSERT_GE(bigIndex, 0);
    EXPECT_TRUE(asked[0].download);
    EXPECT_EQ(asked[0].localFile, localBig);
    EXPECT_EQ(asked[0].remoteFile, QByteArray("big.iso"));
    EXPECT_TRUE(asked[0].serverCanResume);
    EXPECT_EQ(asked[0].localSize, 400);
    EXPECT_EQ(asked[0].remoteSize, 3 * GiB + 7);
    EXPECT_FALSE(asked[0].remoteDate.isEmpty());
    EXPECT_EQ(asked[0].remoteDate, ftp.FileList().GetInfo(bigIndex).ModifiedDate);
    EXPECT_TRUE(ResumePossible(asked[0]));
    EXPECT_EQ(QFileInfo(localBig).size(), 400); // skipped: untouched

    ftp.SetAsynchronous(false);
    ftp.UploadFile(localUp, "up.bin");
    ASSERT_TRUE(testsupport::waitUntil([&] { return !ftp.Busy(); }, 20000));
    ASSERT_EQ(asked.size(), 2) << rec.dump().toStdString();
    EXPECT_FALSE(asked[1].download);
    EXPECT_EQ(asked[1].localFile, localUp);
    EXPECT_EQ(asked[1].localSize, 1000);
    EXPECT_EQ(asked[1].remoteSize, 300);
    EXPECT_TRUE(ResumePossible(asked[1]));
    EXPECT_EQ(QFileInfo(QDir(server.root()).filePath(QStringLiteral("up.bin"))).size(), 300);
}
