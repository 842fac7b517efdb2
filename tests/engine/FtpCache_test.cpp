#include "engine/FtpCache.h"

#include "support/PrintQString.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <utime.h>

using namespace ftpcache;

namespace {

TEST(CacheKey, NamesOfTheCacheFiles)
{
    EXPECT_EQ(CacheFilePath("/c", "10.1.2.3", 21, "anonymous", "/pub/x", Folders),
              QByteArray("/c/10.1.2.3[21]-%2Fpub%2Fx.cached"));
    EXPECT_EQ(CacheFilePath("/c/", "10.1.2.3", 21, "Anonymous", "/pub/x", Files),
              QByteArray("/c/10.1.2.3[21]-%2Fpub%2Fx.cachef"));
    EXPECT_EQ(CacheKey("h", 21, "FTP", "/"), QByteArray("h[21]-%2F"));
    EXPECT_EQ(CacheKey("h", 2121, "bob", "/a:b\\c*d?\"e%f"), QByteArray("h[2121]-(bob)-%2Fa%3Ab%5Cc%2Ad%3F%22e%25f"));
    EXPECT_EQ(CacheKey("h", 21, "bob", "/\xd6\xd0 x"), QByteArray("h[21]-(bob)-%2F\xd6\xd0 x"));
    EXPECT_EQ(CacheKey("h", 21, "bob", QByteArray("/a\tb\x7f<>|")), QByteArray("h[21]-(bob)-%2Fa%09b%7F%3C%3E%7C"));
}

// Distinct servers, users and folders never share a cache file.
TEST(CacheKey, DistinctFoldersNeverShareAFile)
{
    const struct {
        const char *server;
        const char *user;
        QByteArray directory;
    } places[] = {
        {"h", "bob", "/a/b"},       {"h", "bob", "/a-b"},        {"h", "bob", "/a%2Fb"},
        {"h", "bob", "/a\\b"},      {"h", "bob", "/a:b"},        {"h", "bob", "/a~b"},
        {"h", "bob", "/a?b"},       {"h", "anonymous", "(bob)-/a/b"}, {"h", "bob)-(x", "/a"},
        {"h", "bob", ")-(x)-/a"},   {"h[21]-x", "anonymous", "/"}, {"h", "anonymous", "]-x/"},
        {"h", "bob", "/" + QByteArray(300, 'a')}, {"h", "bob", "/" + QByteArray(299, 'a') + "b"},
    };
    QSet<QByteArray> keys;
    for (const auto &p : places) {
        const QByteArray key = CacheKey(QString::fromLatin1(p.server), 21, QString::fromLatin1(p.user), p.directory);
        EXPECT_TRUE(!keys.contains(key)) << key.constData();
        keys.insert(key);
        EXPECT_LE(key.size() + 7, 255) << "fits a file name";
        EXPECT_FALSE(key.contains('/'));
    }
    EXPECT_EQ(CacheKey("h", 21, "ftp", "/x"), CacheKey("h", 21, "anonymous", "/x")) << "both anonymous";
}

TMFtpFileInfoList SampleList()
{
    TMFtpFileInfoList list;
    list.Add("a b.txt", "-rw-r--r--", "Jan 01 2020", "5368709120", "", "u", "g", "");
    list.Add("\xd6\xd0", "lrwxrwxrwx", "Feb 02 10:00", "7", "target", "", "", "desc");
    return list;
}

class CacheFileTest : public ::testing::Test
{
protected:
    QByteArray Path(const char *name) const { return QFile::encodeName(dir.path()) + '/' + name; }
    static void SetDate(const QByteArray &path, const QDate &date)
    {
        const qint64 t = QDateTime(date, QTime(12, 0)).toSecsSinceEpoch();
        const utimbuf times {time_t(t), time_t(t)};
        ::utime(path.constData(), &times);
    }
    static int Number(const QDate &d) { return d.year() * 10000 + d.month() * 100 + d.day(); }
    QTemporaryDir dir;
};

TEST_F(CacheFileTest, SavedListReadsBackEqual)
{
    const TMFtpFileInfoList saved = SampleList();
    ASSERT_TRUE(SaveCache(Path("x.cachef"), saved));
    QFile file(QString::fromLocal8Bit(Path("x.cachef")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("2\r\na b.txt\r\n-rw-r--r--\r\nJan 01 2020\r\n5368709120\r\n\r\nu\r\ng\r\n\r\n"));
    TMFtpFileInfoList loaded;
    ASSERT_TRUE(LoadCache(Path("x.cachef"), loaded, 0, TodayNumber()));
    ASSERT_EQ(loaded.Count(), 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(loaded.GetInfo(i), saved.GetInfo(i));
}

TEST_F(CacheFileTest, ExpiryCountsDateNumbers)
{
    ASSERT_TRUE(SaveCache(Path("e.cachef"), SampleList()));
    SetDate(Path("e.cachef"), QDate(2024, 1, 30));
    TMFtpFileInfoList list;
    EXPECT_TRUE(LoadCache(Path("e.cachef"), list, 7, Number(QDate(2024, 1, 31))));
    EXPECT_FALSE(LoadCache(Path("e.cachef"), list, 7, Number(QDate(2024, 2, 1))));
    EXPECT_TRUE(LoadCache(Path("e.cachef"), list, 0, Number(QDate(2030, 1, 1))));
}

TEST_F(CacheFileTest, DamagedOrMissingFilesReadAsMisses)
{
    TMFtpFileInfoList list = SampleList();
    EXPECT_FALSE(LoadCache(Path("missing.cachef"), list, 0, 0));
    const QList<QByteArray> damaged = {"", "x\r\n", "3\r\na\r\nb\r\n", "-1\r\n", "99999999999\r\n"};
    for (const QByteArray &text : damaged) {
        QFile file(QString::fromLocal8Bit(Path("d.cachef")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        EXPECT_FALSE(LoadCache(Path("d.cachef"), list, 0, 0)) << text.constData();
        EXPECT_EQ(list.Count(), 2) << "a failed read leaves the list alone";
    }
}

TEST_F(CacheFileTest, NameWithALineBreakIsNotStored)
{
    TMFtpFileInfoList list = SampleList();
    list.Add("evil\rname", "", "", "", "", "", "", "");
    ASSERT_TRUE(SaveCache(Path("n.cachef"), SampleList()));
    EXPECT_FALSE(SaveCache(Path("n.cachef"), list));
    EXPECT_FALSE(QFile::exists(QString::fromLocal8Bit(Path("n.cachef"))));
}

TEST_F(CacheFileTest, EmptyFolderRemovesOnlyCacheFiles)
{
    ASSERT_TRUE(SaveCache(Path("a\xd6\xd0.cached"), SampleList()));
    ASSERT_TRUE(SaveCache(Path("b.cachef"), SampleList()));
    QFile other(dir.filePath(QStringLiteral("keep.txt")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    EmptyFolder(dir.path());
    struct stat st {};
    EXPECT_NE(::stat(Path("a\xd6\xd0.cached").constData(), &st), 0);
    EXPECT_NE(::stat(Path("b.cachef").constData(), &st), 0);
    EXPECT_TRUE(other.exists());
}

} // namespace
