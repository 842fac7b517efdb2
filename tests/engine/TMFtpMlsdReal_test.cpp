// Machine listings and name encodings against the real pyftpdlib server,
// which offers MLSD and UTF8 and serves names as the bytes they have on disk.

#include "EngineTestKit.h"

#include "platform/TextCodec.h"
#include "support/PyFtpdServer.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <cstdio>
#include <dirent.h>
#include <unistd.h>
#include <map>

using namespace enginetest;
using testsupport::PyFtpdServer;
using testsupport::waitUntil;

namespace {

constexpr int Wait = 20000;

QByteArray NativePath(const QString &folder, const QByteArray &name)
{
    return QFile::encodeName(folder) + '/' + name;
}

void WriteFileNamedBytes(const QString &folder, const QByteArray &name, const QByteArray &bytes)
{
    FILE *f = std::fopen(NativePath(folder, name).constData(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
    std::fclose(f);
}

QByteArray ReadFileNamedBytes(const QString &folder, const QByteArray &name)
{
    FILE *f = std::fopen(NativePath(folder, name).constData(), "rb");
    if (!f)
        return "<missing>";
    QByteArray bytes;
    char block[4096];
    for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;)
        bytes.append(block, qsizetype(n));
    std::fclose(f);
    return bytes;
}

// Files whose names are not UTF-8 (which QTemporaryDir cannot remove).
struct ByteNamedFiles {
    QString folder;
    ~ByteNamedFiles()
    {
        const QByteArray base = QFile::encodeName(folder);
        DIR *dir = ::opendir(base.constData());
        if (!dir)
            return;
        QList<QByteArray> names;
        while (const dirent *entry = ::readdir(dir))
            if (!platform::isValidUtf8(QByteArray(entry->d_name)))
                names.append(QByteArray(entry->d_name));
        ::closedir(dir);
        for (const QByteArray &name : names)
            ::unlink(NativePath(folder, name).constData());
    }
};

void SetModified(const QString &path, const QDateTime &when)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite)) << path.toStdString();
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}

struct Session {
    TMFtp ftp;
    Recorder rec;

    void Open(quint16 port, const QString &cacheFolder, TMFtpNameCharset charset = TMFtpNameCharset::Auto)
    {
        SetUpForTest(ftp, port);
        ftp.SetUsername(QString::fromLatin1(PyFtpdServer::User));
        ftp.SetPassword(QString::fromLatin1(PyFtpdServer::Password));
        ftp.SetCacheFolder(cacheFolder);
        ftp.SetCache(false);
        ftp.SetPassive(true);
        ftp.SetNameCharset(charset);
        rec.attach(ftp);
        ftp.Login();
        ASSERT_TRUE(WaitLoginOver(ftp, rec, Wait)) << rec.dump().toStdString();
        ASSERT_TRUE(ftp.LoggedIn()) << rec.dump().toStdString();
    }

    void List()
    {
        const int before = rec.countEvent("ListingDone");
        ftp.List();
        ASSERT_TRUE(waitUntil([&] { return rec.countEvent("ListingDone") > before && !ftp.Busy(); }, Wait))
            << rec.dump().toStdString();
        ASSERT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
    }

    bool Idle() { return waitUntil([&] { return !ftp.Busy(); }, Wait); }
};

struct Entry {
    QByteArray size;
    QByteArray date;
    bool operator==(const Entry &) const = default;
};

std::map<QByteArray, Entry> Entries(const TMFtpFileInfoList &list)
{
    std::map<QByteArray, Entry> entries;
    for (int i = 0; i < list.Count(); ++i)
        entries[list.FileName(i).toByteArray()] = {list.FileSize(i).toByteArray(), list.Field(fiModifiedDate, i).toByteArray()};
    return entries;
}

// The same folder through MLSD and, on a server that refuses MLSD, through
// LIST: the same folders and files with the same sizes; the same times where
// LIST shows the minute (recent files), the same day where it shows the year.
TEST(MlsdRealServer, MlsdAndListGiveTheSameLists)
{
    testsupport::CoreApplicationGuard app;
    PyFtpdServer machine;
    ASSERT_TRUE(machine.isRunning()) << machine.errors().toStdString();
    PyFtpdServer plain({QStringLiteral("--refuse-mlsd"), QStringLiteral("--root"), machine.root()});
    ASSERT_TRUE(plain.isRunning()) << plain.errors().toStdString();

    const QString root = machine.root();
    const ByteNamedFiles cleanUp {root};
    QDir(root).mkpath(QStringLiteral("sub"));
    QDir(root).mkpath(QStringLiteral("two words"));
    WriteFileNamedBytes(root, "a.txt", "12345");
    WriteFileNamedBytes(root, "b c.bin", QByteArray(70000, 'x'));
    WriteFileNamedBytes(root, "empty", QByteArray());
    WriteFileNamedBytes(root, "old.txt", "old");
    WriteFileNamedBytes(root, "\xd6\xd0\xce\xc4.txt", "gbk"); // "中文.txt" in GBK
    const QDateTime recent = QDateTime::currentDateTimeUtc().addDays(-1);
    const QDateTime recentMinute(recent.date(), QTime(recent.time().hour(), recent.time().minute()), Qt::UTC);
    for (const char *name : {"a.txt", "b c.bin", "empty"})
        SetModified(root + QLatin1Char('/') + QLatin1String(name), recentMinute.addSecs(17));
    SetModified(root + QStringLiteral("/old.txt"), QDateTime(QDate(2001, 5, 6), QTime(10, 20), Qt::UTC));

    QTemporaryDir cache;
    Session mlsd;
    mlsd.Open(machine.port(), cache.path());
    EXPECT_TRUE(mlsd.ftp.FeatureUse().Mlsd);
    mlsd.List();
    EXPECT_TRUE(mlsd.ftp.ListedWithMlsd());

    Session list;
    list.Open(plain.port(), cache.path());
    list.List();
    EXPECT_FALSE(list.ftp.ListedWithMlsd());
    EXPECT_TRUE(list.rec.dump().contains(QStringLiteral("MLSD refused"))) << list.rec.dump().toStdString();

    std::map<QByteArray, Entry> folders;
    for (const auto &[name, entry] : Entries(mlsd.ftp.FolderList()))
        folders[name] = {};
    std::map<QByteArray, Entry> listedFolders;
    for (const auto &[name, entry] : Entries(list.ftp.FolderList()))
        listedFolders[name] = {};
    EXPECT_EQ(folders, listedFolders);
    EXPECT_EQ(folders.size(), 2u);

    std::map<QByteArray, Entry> files = Entries(mlsd.ftp.FileList());
    std::map<QByteArray, Entry> listedFiles = Entries(list.ftp.FileList());
    ASSERT_EQ(files.size(), 5u);
    ASSERT_EQ(listedFiles.size(), 5u);
    for (const auto &[name, entry] : files) {
        ASSERT_TRUE(listedFiles.count(name)) << name.constData();
        const Entry &listed = listedFiles[name];
        EXPECT_EQ(entry.size, listed.size) << name.constData();
        if (name == "old.txt") {
            EXPECT_EQ(entry.date, QByteArray("2001-05-06 10:20"));
            EXPECT_EQ(listed.date.left(10), QByteArray("2001-05-06"));
        } else {
            EXPECT_EQ(entry.date, listed.date) << name.constData();
        }
    }
    EXPECT_EQ(files["b c.bin"].size, QByteArray("70000"));
    EXPECT_EQ(files["a.txt"].date, recentMinute.toString(QStringLiteral("yyyy-MM-dd hh:mm")).toLatin1());
}

// UTF-8 and GBK names side by side on one server, for each character set a
// site can choose and for a server that takes OPTS UTF8 ON and one that does
// not: listed names are the server's bytes and download as they are; names
// are shown by the site's character set; a local file's name goes up in the
// session's encoding, byte for byte, and lists again as those bytes.
TEST(MlsdRealServer, Utf8AndGbkNamesOnOneServer)
{
    testsupport::CoreApplicationGuard app;
    const QString utf8Text = QString::fromUtf8("中文-u.txt");
    const QString gbkText = QString::fromUtf8("中文-g.txt");
    const QByteArray utf8Name = utf8Text.toUtf8();
    const QByteArray gbkName = platform::toGbk(gbkText);
    const QByteArray utf8Content("utf-8 named\0\xff\r\n", 15);
    const QByteArray gbkContent("gbk named\r\n\x80\x81", 13);
    const QString upText = QString::fromUtf8("上传 文件.bin");
    const QByteArray upContent = QByteArray(100000, '\0') + "\xd6\xd0\r\n";

    const struct {
        const char *name;
        TMFtpNameCharset charset;
        bool serverTakesOpts;
        TMFtpNameEncoding names;
        bool uploadInGbk;
    } cases[] = {
        // A guess: the folder lists a GBK name, so new names go in GBK too.
        {"auto, OPTS refused", TMFtpNameCharset::Auto, false, TMFtpNameEncoding::Guess, true},
        {"auto, OPTS taken", TMFtpNameCharset::Auto, true, TMFtpNameEncoding::Utf8, false},
        {"utf-8, OPTS refused", TMFtpNameCharset::Utf8, false, TMFtpNameEncoding::Utf8, false},
        {"gbk", TMFtpNameCharset::Gbk, true, TMFtpNameEncoding::Gbk, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        PyFtpdServer server(c.serverTakesOpts ? QStringList {QStringLiteral("--opts-utf8")} : QStringList {});
        ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
        const ByteNamedFiles cleanUp {server.root()};
        WriteFileNamedBytes(server.root(), utf8Name, utf8Content);
        WriteFileNamedBytes(server.root(), gbkName, gbkContent);
        QTemporaryDir local;
        QTemporaryDir cache;

        Session s;
        s.Open(server.port(), cache.path(), c.charset);
        EXPECT_EQ(int(s.ftp.FeatureUse().Names), int(c.names));
        s.List();
        EXPECT_TRUE(s.ftp.ListedWithMlsd());
        const TMFtpFileInfoList &files = s.ftp.FileList();
        int utf8Index = -1;
        int gbkIndex = -1;
        for (int i = 0; i < files.Count(); ++i) {
            if (files.FileName(i) == utf8Name)
                utf8Index = i;
            if (files.FileName(i) == gbkName)
                gbkIndex = i;
        }
        ASSERT_GE(utf8Index, 0);
        ASSERT_GE(gbkIndex, 0);
        const QString utf8Shown = s.ftp.DecodeName(utf8Name);
        const QString gbkShown = s.ftp.DecodeName(gbkName);
        EXPECT_EQ(utf8Shown == utf8Text, c.charset != TMFtpNameCharset::Gbk) << utf8Shown.toStdString();
        EXPECT_EQ(gbkShown == gbkText, c.charset != TMFtpNameCharset::Utf8) << gbkShown.toStdString();

        // Downloads by the listed bytes, into files named as shown.
        s.ftp.DownloadFile(utf8Name, local.filePath(QStringLiteral("u.bin")));
        EXPECT_TRUE(s.ftp.TransferOK()) << s.rec.dump().toStdString();
        s.ftp.DownloadFile(gbkName, local.filePath(QStringLiteral("g.bin")));
        EXPECT_TRUE(s.ftp.TransferOK()) << s.rec.dump().toStdString();
        EXPECT_EQ(ReadFileNamedBytes(local.path(), "u.bin"), utf8Content);
        EXPECT_EQ(ReadFileNamedBytes(local.path(), "g.bin"), gbkContent);

        // A local file goes up under its name in the session's encoding.
        const QString localUp = local.filePath(upText);
        {
            QFile f(localUp);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(upContent);
        }
        const QByteArray remoteUp = s.ftp.EncodeName(upText);
        EXPECT_EQ(remoteUp, c.uploadInGbk ? platform::toGbk(upText) : upText.toUtf8());
        s.ftp.UploadFile(localUp, remoteUp);
        ASSERT_TRUE(s.Idle());
        EXPECT_TRUE(s.ftp.TransferOK()) << s.rec.dump().toStdString();
        EXPECT_EQ(ReadFileNamedBytes(server.root(), remoteUp), upContent);

        s.List();
        const int up = s.ftp.FileList().IndexOfName(remoteUp);
        ASSERT_GE(up, 0);
        EXPECT_EQ(s.ftp.FileList().FileName(up), QByteArrayView(remoteUp));
        EXPECT_EQ(s.ftp.DecodeName(remoteUp), upText);
    }
}

} // namespace
