#include "services/ServiceConfig.h"
#include "services/UpdateCheck.h"

#include "../support/PrintQString.h"
#include "UpdateSupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace services;
using namespace updatetest;

TEST(ServiceAddress, FromConfigOrDefault)
{
    QTemporaryDir dir;
    platform::ProfileFile ini(dir.filePath(QStringLiteral("Config.ini")));
    const struct { const char *stored; const char *base; const char *url; } cases[] = {
        {nullptr, DefaultServiceAddress, "http://127.0.0.1:8080/update/version.txt"},
        {"", DefaultServiceAddress, "http://127.0.0.1:8080/update/version.txt"},
        {"http://127.0.0.1:9000", "http://127.0.0.1:9000", "http://127.0.0.1:9000/update/version.txt"},
        {"https://up.example.net/ftp/", "https://up.example.net/ftp/", "https://up.example.net/ftp/update/version.txt"},
        {" http://[::1]:81 ", "http://[::1]:81", "http://[::1]:81/update/version.txt"},
        {"ftp://127.0.0.1", "", ""},
        {"file:///etc", "", ""},
        {"127.0.0.1:8080", "", ""},
        {"http://", "", ""},
    };
    for (const auto &c : cases) {
        if (c.stored)
            ini.WriteString(QStringLiteral("service"), QStringLiteral("updateserver"), QString::fromUtf8(c.stored));
        else
            ini.DeleteKey(QStringLiteral("Service"), QStringLiteral("UpdateServer"));
        const QUrl base = ServiceBase(ini, UpdateServerKey);
        EXPECT_EQ(base.toString(), QString::fromUtf8(c.base)) << (c.stored ? c.stored : "(none)");
        EXPECT_EQ(ServiceUrl(base, VersionPath).toString(), QString::fromUtf8(c.url));
    }
    // The two services are set apart.
    ini.WriteString(QStringLiteral("Service"), QStringLiteral("FeedbackServer"), QStringLiteral("http://127.0.0.1:7"));
    EXPECT_EQ(ServiceUrl(ServiceBase(ini, FeedbackServerKey), FeedbackPath).toString(),
              QStringLiteral("http://127.0.0.1:7/feedback/addinfo.asp"));
}

TEST(VersionDescription, Reading)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("version.ini"));
    const QByteArray sha(64, 'a');
    const struct {
        QByteArray text;
        bool readable;
        const char *version;
        qint64 size;
        bool haveSha;
        bool shaMalformed;
        int addresses;
    } cases[] = {
        {description("3.7", 1234, sha, {"http://a/p", "http://b/p"}), true, "3.7", 1234, true, false, 2},
        {description("3.6", 10, {}, {"http://a/p"}), true, "3.6", 10, false, false, 1},
        {"[information]\nversion=4.0 beta\nFileSize=abc\nSHA256=xyz\n", true, "4.0 beta", -1, false, true, 0},
        {"[INFORMATION]\nVERSION=4\nfilesize= 77 \n[downloadpath]\nx=http://h/a=b\n", true, "4", 77, false, false, 1},
        {"FileSize=12\n", true, "", -1, false, false, 0},
        {"\x01\x02 not an ini", true, "", -1, false, false, 0},
        {"", false, "", -1, false, false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ASSERT_TRUE(writeFile(path, c.text));
        VersionDescription d;
        ASSERT_EQ(ReadVersionDescription(path, &d), c.readable);
        if (!c.readable)
            continue;
        EXPECT_EQ(d.version, QString::fromUtf8(c.version));
        EXPECT_EQ(d.fileSize, c.size);
        EXPECT_EQ(!d.sha256.isEmpty(), c.haveSha);
        EXPECT_EQ(d.sha256Malformed, c.shaMalformed);
        EXPECT_EQ(d.addresses.size(), c.addresses);
    }
    VersionDescription d;
    EXPECT_FALSE(ReadVersionDescription(dir.filePath(QStringLiteral("missing.ini")), &d));
    // Only the text after the first '=' is the address.
    ASSERT_TRUE(writeFile(path, "[DownLoadPath]\nx=http://h/a=b\n"));
    ASSERT_TRUE(ReadVersionDescription(path, &d));
    EXPECT_EQ(d.addresses, QStringList{QStringLiteral("http://h/a=b")});
}

TEST(VersionDescription, NewVersionIsAnyOtherText)
{
    const struct { const char *version; bool isNew; } cases[] = {
        {"3.6", false}, {"3.7", true}, {"3.60", true}, {"3.6 ", true}, {"", true}, {"V3.6", true},
    };
    for (const auto &c : cases) {
        VersionDescription d;
        d.version = QString::fromUtf8(c.version);
        EXPECT_EQ(IsNewVersion(d), c.isNew) << '"' << c.version << '"';
    }
}

TEST(VersionDescription, Problems)
{
    const QUrl base(QStringLiteral("http://127.0.0.1:8080"));
    VersionDescription good;
    good.version = QStringLiteral("3.7");
    good.fileSize = 100;
    good.addresses = {QStringLiteral("http://127.0.0.1/p")};
    EXPECT_EQ(CheckDescription(good, base), DescriptionProblem::None);

    VersionDescription d = good;
    d.fileSize = 0;
    EXPECT_EQ(CheckDescription(d, base), DescriptionProblem::NoFileSize);
    d = good;
    d.fileSize = -1;
    EXPECT_EQ(CheckDescription(d, base), DescriptionProblem::NoFileSize);
    d = good;
    d.addresses.clear();
    EXPECT_EQ(CheckDescription(d, base), DescriptionProblem::NoAddress);
    d.addresses = {QStringLiteral("ftp://h/p"), QStringLiteral("file:///bin/sh"), QStringLiteral("http://")};
    EXPECT_EQ(CheckDescription(d, base), DescriptionProblem::NoAddress);
    d = good;
    d.sha256Malformed = true;
    EXPECT_EQ(CheckDescription(d, base), DescriptionProblem::BadChecksum);
}

TEST(DownloadAddress, UsableAddresses)
{
    VersionDescription d;
    d.addresses = {QStringLiteral("http://a.example/p"), QStringLiteral("/update/new.bin"), QStringLiteral("ftp://x/p"),
                   QStringLiteral("HTTPS://b.example/p"), QStringLiteral("javascript:alert(1)")};
    const QList<QUrl> urls = DownloadAddresses(d, QUrl(QStringLiteral("http://127.0.0.1:8080/base/")));
    QStringList texts;
    for (const QUrl &u : urls)
        texts << u.toString();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("http://a.example/p"), QStringLiteral("http://127.0.0.1:8080/update/new.bin"),
                                  QStringLiteral("https://b.example/p")}));
}

TEST(DownloadAddress, PicksEveryOneOfThree)
{
    const QList<QUrl> three = {QUrl(QStringLiteral("http://a/p")), QUrl(QStringLiteral("http://b/p")),
                               QUrl(QStringLiteral("http://c/p"))};
    QRandomGenerator random(12345);
    QHash<QString, int> seen;
    for (int i = 0; i < 300; ++i)
        ++seen[PickDownloadAddress(three, random).toString()];
    ASSERT_EQ(seen.size(), 3);
    for (int n : seen)
        EXPECT_GT(n, 60); // uniform: about 100 each
    EXPECT_EQ(PickDownloadAddress({three[1]}, random), three[1]);
    EXPECT_TRUE(PickDownloadAddress({}, random).isEmpty());
}

TEST(DownloadCheck, PathsBesideTheProgram)
{
    EXPECT_EQ(DownloadTargetFor(QStringLiteral("/opt/bw/bramblewayftp")), QStringLiteral("/opt/bw/bramblewayftp~"));
    EXPECT_EQ(ScriptPathFor(QStringLiteral("/opt/bw/bramblewayftp")), QStringLiteral("/opt/bw/bramblewayftp.sh"));
    EXPECT_EQ(ScriptPathFor(QStringLiteral("/opt/bw/prog.bin")), QStringLiteral("/opt/bw/prog.sh"));
    const QUrl http(QStringLiteral("http://h/p")), https(QStringLiteral("HTTPS://h/p"));
    EXPECT_TRUE(ChecksumRequired(http, http));
    EXPECT_TRUE(ChecksumRequired(https, http));
    EXPECT_TRUE(ChecksumRequired(http, https)); // the address itself came unprotected
    EXPECT_FALSE(ChecksumRequired(https, https));
}

TEST(DownloadCheck, Executables)
{
    QTemporaryDir dir;
    const QString f = dir.filePath(QStringLiteral("candidate"));
    const struct { QByteArray bytes; bool ok; const char *what; } cases[] = {
        {fakeProgram(4096), true, "this platform's header"},
        {fakeProgram(64), true, "a header alone"},
        {fakeProgram(40), false, "cut inside the header"},
        {fakeProgram(4096, 0x28 /* ARM */), false, "another machine"},
        {"#!/bin/sh\necho hi\n", false, "a script"},
        {QByteArray(4096, '\0'), false, "zeros"},
        {QByteArray("MZ") + QByteArray(4094, 'x'), false, "a Windows program"},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(writeFile(f, c.bytes));
        EXPECT_EQ(IsExecutableFor(f, referenceProgram()), c.ok) << c.what;
    }
    QByteArray object = fakeProgram(4096);
    object[16] = 1; // ET_REL: an object file, not a program
    object[17] = 0;
    ASSERT_TRUE(writeFile(f, object));
    EXPECT_FALSE(IsExecutableFor(f, referenceProgram()));
    EXPECT_FALSE(IsExecutableFor(dir.filePath(QStringLiteral("missing")), referenceProgram()));
}

TEST(DownloadCheck, Verdicts)
{
    QTemporaryDir dir;
    const QString f = dir.filePath(QStringLiteral("prog~"));
    const QByteArray program = fakeProgram(5000);
    const QByteArray sha = QByteArray::fromHex(sha256Hex(program));
    const bool http = true;   // a checksum is required
    const bool https = false; // description and file over https
    const auto describe = [](qint64 size, const QByteArray &digest) {
        VersionDescription d;
        d.version = QStringLiteral("3.7");
        d.fileSize = size;
        d.sha256 = digest;
        return d;
    };
    QByteArray flipped = program;
    flipped[4000] = char(flipped[4000] ^ 1);
    const QByteArray script = "#!/bin/sh\n" + QByteArray(4990, '#');
    const struct { QByteArray bytes; VersionDescription d; bool checksumRequired; DownloadVerdict verdict; const char *what; } cases[] = {
        {program, describe(5000, sha), http, DownloadVerdict::Ok, "all checks pass"},
        {program, describe(5000, {}), https, DownloadVerdict::Ok, "https without a checksum"},
        {program, describe(5001, sha), http, DownloadVerdict::SizeWrong, "one byte short"},
        {program + "x", describe(5000, sha), http, DownloadVerdict::SizeWrong, "one byte more"},
        {flipped, describe(5000, sha), http, DownloadVerdict::ChecksumWrong, "one bit changed"},
        {flipped, describe(5000, sha), https, DownloadVerdict::ChecksumWrong, "checked over https too"},
        {program, describe(5000, {}), http, DownloadVerdict::ChecksumMissing, "http without a checksum"},
        {script.left(5000), describe(5000, QByteArray::fromHex(sha256Hex(script.left(5000)))), http,
         DownloadVerdict::NotExecutable, "a script with the right checksum"},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(writeFile(f, c.bytes));
        EXPECT_EQ(VerifyDownload(f, c.d, c.checksumRequired, referenceProgram()), c.verdict) << c.what;
    }
    EXPECT_EQ(VerifyDownload(dir.filePath(QStringLiteral("missing")), describe(0, sha), http, referenceProgram()),
              DownloadVerdict::SizeWrong);
}

TEST(DownloadCheck, ReplaceOnlyExistingWritableFiles)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("prog"));
    ASSERT_TRUE(writeFile(program, "x"));
    EXPECT_TRUE(CanReplaceProgram(program));
    EXPECT_FALSE(CanReplaceProgram(dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(CanReplaceProgram(dir.path()));
}

TEST(DownloadCheck, ReplaceOnlyWhatThisUserCanWrite)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("prog"));
    ASSERT_TRUE(writeFile(program, "x"));
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(CanReplaceProgram(program));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(CanReplaceProgram(program));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(ReplacementScript, QuotingSurvivesAnyPath)
{
    const struct { QByteArray in; QByteArray out; } cases[] = {
        {"/a/b", "'/a/b'"},
        {"it's", "'it'\\''s'"},
        {"$(rm -rf /) `x` \"q\"", "'$(rm -rf /) `x` \"q\"'"},
        {"", "''"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ShellQuote(c.in), c.out);
    const QByteArray script = ReplacementScript(QStringLiteral("/opt/我的 程序/it's"), QStringLiteral("/opt/我的 程序/it's~"),
                                                QStringLiteral("/opt/我的 程序/it's.sh"), 4321);
    EXPECT_TRUE(script.startsWith("#!/bin/sh\n"));
    EXPECT_TRUE(script.contains("pid=4321\n"));
    EXPECT_TRUE(script.contains("program='/opt/" + QStringLiteral("我的 程序").toUtf8() + "/it'\\''s'\n"));
}
