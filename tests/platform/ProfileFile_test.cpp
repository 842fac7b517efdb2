#include "platform/AppPaths.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
unsigned AccessBits(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? unsigned(st.st_mode & 0777) : 0xFFFFu;
}
} // namespace

using platform::ProfileFile;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void setBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class ProfileFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Config.ini")); }
};

} // namespace

TEST(ProfileFileParse, Integers)
{
    struct { const char *text; bool ok; int value; } cases[] = {
        {"0", true, 0},         {"42", true, 42},       {" 7 ", true, 7},
        {"-5", true, -5},       {"+5", true, 5},        {"$1F", true, 31},
        {"$ff", true, 255},     {"0x10", true, 16},     {"0X7fffffff", true, 0x7fffffff},
        {"$FFFFFFFF", true, -1}, {"-$10", true, -16},   {"", false, 0},
        {"abc", false, 0},      {"12abc", false, 0},    {"1.5", false, 0},
        {"$", false, 0},        {"0x", false, 0},       {"--1", false, 0},
        {"2147483648", false, 0}, {"-2147483648", true, INT_MIN}, {"$1FFFFFFFF", false, 0},
        {"１２", false, 0},
    };
    for (const auto &c : cases) {
        int v = 0;
        EXPECT_EQ(ProfileFile::parseInteger(QString::fromUtf8(c.text), &v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST_F(ProfileFileTest, MissingFileGivesDefaultsAndIsNotCreatedByReads)
{
    ProfileFile ini(path());
    EXPECT_EQ(ini.ReadString("Option", "ConnectAnonymous", "anonymous"), "anonymous");
    EXPECT_EQ(ini.ReadInteger("Option", "ConnectRetries", 3), 3);
    EXPECT_TRUE(ini.ReadBool("Option", "ConnectPassive", true));
    EXPECT_TRUE(ini.ReadSection("Option").isEmpty());
    EXPECT_FALSE(ini.SectionExists("Option"));
    EXPECT_FALSE(QFile::exists(path()));
}

// Settings may hold proxy passwords: a new file is readable by its owner
// only; an existing one keeps the access the user gave it.
TEST_F(ProfileFileTest, NewFileIsTheOwnersAlone)
{
    ProfileFile ini(path());
    ASSERT_TRUE(ini.WriteString("Option", "ProxyPassword", "secret"));
    EXPECT_EQ(AccessBits(path()), 0600u);

    ::chmod(QFile::encodeName(path()).constData(), 0604);
    ASSERT_TRUE(ini.WriteString("Option", "ProxyPassword", "other"));
    EXPECT_EQ(AccessBits(path()), 0604u);
}

TEST_F(ProfileFileTest, NamesCompareWithoutCase)
{
    setBytes(path(), "[option]\r\nconnectretries=5\r\n[LOAD]\r\nFace = 2 \r\n");
    ProfileFile ini(path());
    EXPECT_EQ(ini.ReadInteger("Option", "ConnectRetries", 3), 5);
    EXPECT_EQ(ini.ReadInteger("Load", "FACE", 1), 2);
    ASSERT_TRUE(ini.WriteInteger("Load", "face", 1));
    EXPECT_EQ(ini.ReadInteger("load", "Face", 0), 1);
    EXPECT_EQ(ini.ReadSection("Load"), QStringList{"Face"});
}

TEST_F(ProfileFileTest, WritesAreVisibleToAnotherObjectAtOnce)
{
    ProfileFile a(path()), b(path());
    ASSERT_TRUE(a.WriteString("Connect", "ID1", "ABC"));
    EXPECT_EQ(b.ReadString("Connect", "ID1", ""), "ABC");
    ASSERT_TRUE(b.WriteBool("Load", "auto", true));
    EXPECT_EQ(fileBytes(path()), QByteArray("[Connect]\r\nID1=ABC\r\n\r\n[Load]\r\nauto=1\r\n"));
    ASSERT_TRUE(a.WriteBool("Load", "auto", false));
    EXPECT_FALSE(b.ReadBool("Load", "auto", true));
    EXPECT_EQ(b.ReadString("Load", "auto", ""), "0");
}

TEST_F(ProfileFileTest, TextIsStoredAsGbk)
{
    ProfileFile ini(path());
    const QString folder = QStringLiteral("/home/用户/下载");
    ASSERT_TRUE(ini.WriteString("Load", "LocalPath", folder));
    EXPECT_TRUE(fileBytes(path()).contains(platform::toGbk(folder)));
    EXPECT_EQ(ini.ReadString("Load", "LocalPath", ""), folder);
}

TEST_F(ProfileFileTest, BooleansAreIntegers)
{
    setBytes(path(), "[a]\nx=0\ny=1\nz=-3\nw=$10\nv=yes\n");
    ProfileFile ini(path());
    EXPECT_FALSE(ini.ReadBool("a", "x", true));
    EXPECT_TRUE(ini.ReadBool("a", "y", false));
    EXPECT_TRUE(ini.ReadBool("a", "z", false));
    EXPECT_TRUE(ini.ReadBool("a", "w", false));
    EXPECT_FALSE(ini.ReadBool("a", "v", false));
    EXPECT_TRUE(ini.ReadBool("a", "v", true));
}

TEST_F(ProfileFileTest, LongValuesAreCut)
{
    ProfileFile ini(path());
    ASSERT_TRUE(ini.WriteString("s", "k", QString(5000, QLatin1Char('x'))));
    EXPECT_EQ(ini.ReadString("s", "k", "").size(), ProfileFile::MaxValueLength);
}

TEST_F(ProfileFileTest, DeleteKeyAndEraseSectionKeepEverythingElse)
{
    const QByteArray original = "; written by hand\n[Option]\nConnectRetries=4\nConnectCache=0\n\n"
                                "[Load]\nFACE=2\nScreen=1024768\n[option]\nconnectretries=9\n";
    setBytes(path(), original);
    ProfileFile ini(path());
    ASSERT_TRUE(ini.DeleteKey("OPTION", "connectRETRIES"));
    EXPECT_EQ(ini.ReadInteger("Option", "ConnectRetries", 3), 3);
    EXPECT_EQ(ini.ReadInteger("Option", "ConnectCache", 1), 0);
    EXPECT_EQ(fileBytes(path()),
              QByteArray("; written by hand\n[Option]\nConnectCache=0\n\n[Load]\nFACE=2\nScreen=1024768\n[option]\n"));
    ASSERT_TRUE(ini.EraseSection("option"));
    EXPECT_FALSE(ini.SectionExists("Option"));
    EXPECT_EQ(fileBytes(path()), QByteArray("; written by hand\n[Load]\nFACE=2\nScreen=1024768\n"));
    // Deleting what is not there leaves the file alone.
    ASSERT_TRUE(ini.DeleteKey("Load", "MessagePanelHeight"));
    ASSERT_TRUE(ini.EraseSection("Connect"));
    EXPECT_EQ(fileBytes(path()), QByteArray("; written by hand\n[Load]\nFACE=2\nScreen=1024768\n"));
}

TEST_F(ProfileFileTest, NewKeyGoesToTheEndOfItsSectionAndOtherLinesStayByteForByte)
{
    const QByteArray original = "[Load]\r\nFACE=1\r\n\r\n[Other]\r\nodd line \xFF\xFE without equals\r\nk=v\r\n";
    setBytes(path(), original);
    ProfileFile ini(path());
    ASSERT_TRUE(ini.WriteInteger("Load", "QueuePanelHeight", 99));
    EXPECT_EQ(fileBytes(path()),
              QByteArray("[Load]\r\nFACE=1\r\nQueuePanelHeight=99\r\n\r\n[Other]\r\nodd line \xFF\xFE without equals\r\nk=v\r\n"));
}

TEST_F(ProfileFileTest, ALastLineEndingInALoneCarriageReturnKeepsItsValueAndTheNewKey)
{
    setBytes(path(), "[Load]\r\nFACE=1\r");
    ProfileFile ini(path());
    ASSERT_TRUE(ini.WriteInteger("Load", "QueuePanelHeight", 99));
    EXPECT_EQ(ini.ReadInteger("Load", "QueuePanelHeight", 0), 99);
    EXPECT_EQ(ini.ReadString("Load", "FACE", ""), "1");
    EXPECT_EQ(ini.ReadSection("Load"), QStringList({"FACE", "QueuePanelHeight"}));
}

TEST_F(ProfileFileTest, ValuesCannotBreakTheFile)
{
    ProfileFile ini(path());
    ASSERT_TRUE(ini.WriteString("Load", "LocalPath", "a\r\n[Option]\r\nConnectRetries=9"));
    EXPECT_FALSE(ini.SectionExists("Option"));
    EXPECT_EQ(ini.ReadSection("Load"), QStringList{"LocalPath"});
    EXPECT_FALSE(ini.WriteString("Load", "bad=key", "x"));
    EXPECT_FALSE(ini.WriteString("bad]section", "k", "x"));
    EXPECT_FALSE(ini.WriteString("Load", "", "x"));
}

TEST_F(ProfileFileTest, QuotedValuesAndComments)
{
    setBytes(path(), "[s]\n;k=commented\nk = \"quoted value\" \nempty=\n");
    ProfileFile ini(path());
    EXPECT_EQ(ini.ReadString("s", "k", ""), "quoted value");
    EXPECT_EQ(ini.ReadString("s", "empty", "dflt"), "");
    EXPECT_TRUE(ini.ValueExists("s", "EMPTY"));
    EXPECT_FALSE(ini.ValueExists("s", ";k"));
}

TEST_F(ProfileFileTest, GarbageEmptyHugeAndForeignFilesNeverCrash)
{
    QByteArray garbage(64 * 1024, '\0');
    auto *rng = QRandomGenerator::global();
    for (char &c : garbage)
        c = char(rng->bounded(256));
    const QByteArray huge = QByteArray("[Load]\nFACE=2\n") + QByteArray(6 * 1024 * 1024, '[') + "\n";
    const QByteArray contents[] = {
        QByteArray(),
        garbage,
        QByteArray("\xEF\xBB\xBF[Load]\nFACE=2\n"),                 // UTF-8 signature
        QByteArray("[Load\nFACE=2\n=\n==\n[]\n[ ]\nScreen"),        // broken lines
        QByteArray("<?xml version=\"1.0\"?><settings/>"),           // another program's file
        QByteArray(100000, '\n'),
        huge,
    };
    for (const QByteArray &c : contents) {
        setBytes(path(), c);
        ProfileFile ini(path());
        (void)ini.ReadInteger("Load", "FACE", 1);
        (void)ini.ReadSection("Load");
        ASSERT_TRUE(ini.WriteInteger("Option", "ConnectRetries", 7));
        EXPECT_EQ(ini.ReadInteger("Option", "ConnectRetries", 3), c.size() > ProfileFile::MaxReadBytes ? 3 : 7);
        // Whatever was there before is still there.
        EXPECT_TRUE(fileBytes(path()).startsWith(c.left(c.lastIndexOf('\n') > 0 ? c.lastIndexOf('\n') : 0)));
    }
}

TEST_F(ProfileFileTest, AFolderThatCannotBeWrittenLeavesTheOldFile)
{
    ProfileFile ini(dir.filePath(QStringLiteral("missing/\0/Config.ini")));
    EXPECT_FALSE(ini.WriteString("a", "b", "c"));
    ProfileFile onFolder(dir.path());
    EXPECT_FALSE(onFolder.WriteString("a", "b", "c"));
    EXPECT_EQ(onFolder.ReadString("a", "b", "d"), "d");
}

TEST(AppPaths, ChoiceOfFolder)
{
    EXPECT_EQ(platform::chooseDataFolder("/tmp/x/../home", "/opt/bw", true, "/u/.config/bw"), "/tmp/home");
    EXPECT_EQ(platform::chooseDataFolder("", "/opt/bw", true, "/u/.config/bw"), "/opt/bw");
    EXPECT_EQ(platform::chooseDataFolder("  ", "/opt/bw", false, "/u/.config/bw"), "/u/.config/bw");
}

TEST(AppPaths, HomeVariableWins)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("home"));
    qputenv(platform::HomeVariable, target.toLocal8Bit());
    EXPECT_EQ(platform::configFilePath(), target + QStringLiteral("/Config.ini"));
    EXPECT_TRUE(QFileInfo(target).isDir());
    qunsetenv(platform::HomeVariable);
}
