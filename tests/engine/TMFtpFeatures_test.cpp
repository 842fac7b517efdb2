// What the engine does with FEAT against the scripted server: the commands
// it sends, OPTS UTF8 ON and its refusal, MLSD listings and the fall-back
// to LIST, and the listing cache of a session switched to UTF-8.

#include "EngineTestKit.h"

#include "platform/TextCodec.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace enginetest;
using testsupport::DataAction;
using testsupport::ScriptedFtpServer;
using testsupport::ServerAction;
using testsupport::waitUntil;

namespace {

const QByteArray ModernFeat = "211-Features:\r\n MLST type*;size*;modify*;UNIX.mode*;\r\n UTF8\r\n SIZE\r\n"
                              " REST STREAM\r\n EPSV\r\n211 End\r\n";

const QByteArray ListLines = "drwxr-xr-x   2 u g 4096 Jan 01  2020 sub\r\n"
                             "-rw-r--r--   1 u g    5 Jan 01  2020 a b.txt\r\n";
const QByteArray MlsdLines = "type=cdir;modify=20200101000000; .\r\n"
                             "type=pdir;modify=20200101000000; ..\r\n"
                             "type=dir;modify=20200101120000;UNIX.mode=0755; sub\r\n"
                             "type=file;size=5;modify=20200101120000;UNIX.mode=0644; a b.txt\r\n";

class FeaturesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server.scriptStandardSession();
        server.setReply("TYPE", "200 Type set.\r\n");
        server.setDataAction("LIST", DataAction {"150 Here comes the listing.\r\n", ListLines});
        server.setDataAction("MLSD", DataAction {"150 Here comes the machine listing.\r\n", MlsdLines});
        SetUpForTest(ftp, server.port());
        ftp.SetCacheFolder(cache.path());
        ftp.SetPassive(true);
        rec.attach(ftp);
    }

    void LogIn()
    {
        ftp.Login();
        ASSERT_TRUE(WaitLoginOver(ftp, rec)) << rec.dump().toStdString();
        ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    }

    void ListOnce()
    {
        const int before = rec.countEvent("ListingDone");
        ftp.List();
        ASSERT_TRUE(waitUntil([&] { return rec.countEvent("ListingDone") > before && !ftp.Busy(); }))
            << rec.dump().toStdString();
    }

    void ExpectTwoEntries()
    {
        ASSERT_EQ(ftp.FolderList().Count(), 1);
        EXPECT_EQ(ftp.FolderList().FileName(0), QByteArrayView("sub"));
        ASSERT_EQ(ftp.FileList().Count(), 1);
        EXPECT_EQ(ftp.FileList().FileName(0), QByteArrayView("a b.txt"));
        EXPECT_EQ(ftp.FileList().FileSize(0), QByteArrayView("5"));
    }

    int Notes(const QString &start) const
    {
        int n = 0;
        for (const QString &line : rec.lines)
            n += line.startsWith(QStringLiteral("info infoNote ") + start);
        return n;
    }

    testsupport::CoreApplicationGuard app;
    ScriptedFtpServer server;
    TMFtp ftp;
    Recorder rec;
    QTemporaryDir cache;
};

// A server that does not know FEAT gets the commands it always got, whatever
// the site's character set, and its folders are listed with LIST.
TEST_F(FeaturesTest, ServerWithoutFeatGetsTheOldCommandsForEveryCharset)
{
    for (TMFtpNameCharset charset : {TMFtpNameCharset::Auto, TMFtpNameCharset::Utf8, TMFtpNameCharset::Gbk}) {
        ScriptedFtpServer plain;
        plain.scriptStandardSession();
        plain.setReply("TYPE", "200 Type set.\r\n");
        plain.setDataAction("LIST", DataAction {"150 Here comes the listing.\r\n", ListLines});
        TMFtp engine;
        Recorder log;
        SetUpForTest(engine, plain.port());
        engine.SetCacheFolder(cache.path());
        engine.SetPassive(true);
        engine.SetCache(false);
        engine.SetNameCharset(charset);
        log.attach(engine);
        engine.Login();
        ASSERT_TRUE(WaitLoginOver(engine, log)) << log.dump().toStdString();
        engine.List();
        ASSERT_TRUE(waitUntil([&] { return log.hasEvent("ListingDone") && !engine.Busy(); }));
        EXPECT_EQ(plain.received(), QByteArray("USER user\r\nPASS secret\r\nFEAT\r\nSYST\r\nREST 100\r\nREST 0\r\n"
                                               "PWD\r\nTYPE A\r\nPASV\r\nLIST\r\n"))
            << int(charset);
        EXPECT_FALSE(engine.ListedWithMlsd());
        EXPECT_EQ(engine.FileList().Count(), 1);
        for (const QString &line : log.lines)
            EXPECT_FALSE(line.startsWith(QStringLiteral("info infoNote Using"))) << line.toStdString();
    }
}

TEST_F(FeaturesTest, ModernServerIsSwitchedToUtf8AndListedWithMlsd)
{
    QByteArray feat = ModernFeat;
    feat.replace("UNIX.mode*;", "UNIX.mode;perm*;"); // the mode is given only when asked for
    server.setReply("FEAT", feat);
    server.setReply("OPTS", "200 OK.\r\n");
    LogIn();
    EXPECT_EQ(server.commands().mid(0, 7), (QList<QByteArray>{"USER user", "PASS secret", "FEAT", "OPTS UTF8 ON",
                                                              "OPTS MLST type;size;modify;unix.mode;", "SYST", "PWD"}));
    EXPECT_TRUE(ftp.CanResume()); // REST STREAM: no probe
    EXPECT_EQ(int(ftp.FeatureUse().Names), int(TMFtpNameEncoding::Utf8));
    EXPECT_EQ(Notes(QStringLiteral("Using MLSD, UTF-8 names, SIZE, REST STREAM")), 1) << rec.dump().toStdString();
    EXPECT_EQ(Notes(QStringLiteral("Using MLSD, UTF-8 names, SIZE, REST STREAM, EPSV")), 0); // IPv4: PASV and PORT

    ListOnce();
    EXPECT_TRUE(server.commands().endsWith(QByteArray("MLSD")));
    EXPECT_TRUE(ftp.ListedWithMlsd());
    ExpectTwoEntries();
    EXPECT_EQ(ftp.FolderList().Field(fiAttributes, 0), QByteArrayView("drwxr-xr-x"));
    EXPECT_EQ(ftp.FileList().Field(fiModifiedDate, 0), QByteArrayView("2020-01-01 12:00"));

    const QString typed = QString::fromUtf8("新建文件夹");
    EXPECT_EQ(ftp.EncodeName(typed), typed.toUtf8());
}

TEST_F(FeaturesTest, RefusedOptsUtf8IsLoggedAndDecidesTheNames)
{
    const struct {
        TMFtpNameCharset charset;
        bool optsSent;
        TMFtpNameEncoding names;
    } cases[] = {
        {TMFtpNameCharset::Auto, true, TMFtpNameEncoding::Guess},
        {TMFtpNameCharset::Utf8, true, TMFtpNameEncoding::Utf8},
        {TMFtpNameCharset::Gbk, false, TMFtpNameEncoding::Gbk},
    };
    const QString typed = QString::fromUtf8("中文");
    for (const auto &c : cases) {
        ScriptedFtpServer refusing;
        refusing.scriptStandardSession();
        refusing.setReply("FEAT", ModernFeat);
        refusing.setReply("OPTS", "501 Invalid argument.\r\n");
        TMFtp engine;
        Recorder log;
        SetUpForTest(engine, refusing.port());
        engine.SetCacheFolder(cache.path());
        engine.SetNameCharset(c.charset);
        log.attach(engine);
        engine.Login();
        ASSERT_TRUE(WaitLoginOver(engine, log)) << log.dump().toStdString();
        ASSERT_TRUE(engine.LoggedIn());
        EXPECT_EQ(refusing.verbs().contains("OPTS"), c.optsSent) << int(c.charset);
        EXPECT_EQ(int(engine.FeatureUse().Names), int(c.names)) << int(c.charset);
        EXPECT_FALSE(engine.FeatureUse().Utf8On);
        const bool refusalLogged = log.dump().contains(QStringLiteral("The server refused OPTS UTF8 ON (501 Invalid argument.)"));
        EXPECT_EQ(refusalLogged, c.optsSent) << log.dump().toStdString();
        // A guess in the UTF-8 folder "/" with nothing listed yet is UTF-8.
        EXPECT_EQ(engine.EncodeName(typed),
                  c.names == TMFtpNameEncoding::Gbk ? platform::toGbk(typed) : typed.toUtf8());
    }
}

// MLSD offered but refused: the folder is listed with LIST in the same
// operation, and every later listing goes straight to LIST.
TEST_F(FeaturesTest, RefusedMlsdFallsBackToListForTheSession)
{
    server.setReply("FEAT", ModernFeat);
    server.setReply("OPTS", "200 OK.\r\n");
    server.setReply("MLSD", "500 Unknown command MLSD.\r\n");
    LogIn();
    ftp.SetCache(false);

    ListOnce();
    EXPECT_FALSE(ftp.ListedWithMlsd());
    ExpectTwoEntries();
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
    EXPECT_EQ(Notes(QStringLiteral("MLSD refused")), 1);
    EXPECT_EQ(rec.countEvent("ListingDone"), 1);

    ListOnce();
    ExpectTwoEntries();
    QList<QByteArray> listing;
    for (const QByteArray &verb : server.verbs())
        if (verb == "MLSD" || verb == "LIST" || verb == "PASV")
            listing.append(verb);
    EXPECT_EQ(listing, (QList<QByteArray>{"PASV", "MLSD", "PASV", "LIST", "PASV", "LIST"}));
}

// A refusal that is not "unknown command" (no such folder) is an error as
// before, and MLSD stays in use.
TEST_F(FeaturesTest, MlsdDeniedIsAnErrorNotAFallBack)
{
    server.setReply("FEAT", ModernFeat);
    server.setReply("OPTS", "200 OK.\r\n");
    server.setReply("MLSD", "550 Permission denied.\r\n");
    LogIn();
    ListOnce();
    EXPECT_EQ(rec.count(errorAccessDenied), 1) << rec.dump().toStdString();
    EXPECT_FALSE(server.verbs().contains("LIST"));
    EXPECT_TRUE(ftp.FeatureUse().Mlsd);
}

// A mask is a LIST argument, not a folder: it is listed with LIST.
TEST_F(FeaturesTest, FileMaskIsListedWithList)
{
    server.setReply("FEAT", ModernFeat);
    server.setReply("OPTS", "200 OK.\r\n");
    LogIn();
    ftp.SetFileMask("*.txt");
    ListOnce();
    EXPECT_TRUE(server.commands().endsWith(QByteArray("LIST *.txt")));
    EXPECT_FALSE(ftp.ListedWithMlsd());
}

// Names a server switched to UTF-8 sends may be other bytes than the same
// server sends otherwise: a listing cached in one such session is not read
// in the other.
TEST_F(FeaturesTest, CacheOfAUtf8SessionIsNotReadInAnotherEncoding)
{
    server.setReply("FEAT", ModernFeat);
    server.setReplies("OPTS", {ServerAction {"200 OK.\r\n"}, ServerAction {"501 No.\r\n"}});
    LogIn();
    ftp.SetCache(true);
    ListOnce();
    EXPECT_FALSE(ftp.FromCache());
    const QByteArray utf8Cache = ftp.ListingCacheFile("/", 'f');
    ListOnce();
    EXPECT_TRUE(ftp.FromCache()); // same session, same cache

    ftp.Quit();
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("Quit"); }));
    rec.lines.clear();
    ftp.Login(); // OPTS UTF8 ON refused this time
    ASSERT_TRUE(WaitLoginOver(ftp, rec)) << rec.dump().toStdString();
    ASSERT_FALSE(ftp.FeatureUse().Utf8On);
    EXPECT_NE(ftp.ListingCacheFile("/", 'f'), utf8Cache);
    const int mlsdBefore = int(server.verbs().count("MLSD"));
    ListOnce();
    EXPECT_FALSE(ftp.FromCache());
    EXPECT_EQ(server.verbs().count("MLSD"), mlsdBefore + 1);
}

} // namespace
