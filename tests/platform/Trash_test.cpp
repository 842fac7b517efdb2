// The desktop trash: what lands in files/ and info/, unique names, the
// trash of another file system, and the items that must not be trashed.
#include "platform/Trash.h"
#include "support/LocalFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

using testsupport::readFile;
using testsupport::writeFile;

bool isLink(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

struct Info
{
    QByteArray path;
    QDateTime date;
    bool wellFormed = false;
};

Info parseInfo(const QByteArray &text)
{
    Info info;
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() != 4 || lines[0] != "[Trash Info]" || !lines[1].startsWith("Path=")
        || !lines[2].startsWith("DeletionDate=") || !lines[3].isEmpty())
        return info;
    info.path = lines[1].mid(5);
    const QString date = QString::fromLatin1(lines[2].mid(13));
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$"));
    info.date = QDateTime::fromString(date, QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
    info.wellFormed = shape.match(date).hasMatch() && info.date.isValid();
    return info;
}

class HomeTrash : public ::testing::Test
{
protected:
    void SetUp() override
    {
        old_ = qgetenv("XDG_DATA_HOME");
        hadOld_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    }
    void TearDown() override
    {
        if (hadOld_)
            qputenv("XDG_DATA_HOME", old_);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    QString trash() const { return data.path() + QStringLiteral("/Trash"); }

    QTemporaryDir data;
    QTemporaryDir work;
    QByteArray old_;
    bool hadOld_ = false;
};

} // namespace

TEST_F(HomeTrash, EachKindOfItemLandsInFilesWithItsInfo)
{
    EXPECT_EQ(homeTrashPath(), trash());
    struct Case
    {
        const char *name;
        QByteArray encodedName; // as the Path key must spell it
        enum { File, Folder, Link, DanglingLink } kind;
    };
    const Case cases[] = {
        {"a.txt", "a.txt", Case::File},
        {"报 告#1.txt", "%E6%8A%A5%20%E5%91%8A%231.txt", Case::File},
        {"tree", "tree", Case::Folder},
        {"to-a", "to-a", Case::Link},
        {"nowhere", "nowhere", Case::DanglingLink},
    };
    const QByteArray workEncoded = QFile::encodeName(work.path()).toPercentEncoding("/");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromUtf8(c.name);
        const QString path = work.filePath(name);
        switch (c.kind) {
        case Case::File:
            writeFile(path, QByteArray("content of ") + c.name);
            break;
        case Case::Folder:
            writeFile(path + QStringLiteral("/inner/deep.bin"), QByteArray(70000, 'x'));
            writeFile(path + QStringLiteral("/.hidden"), "h");
            break;
        case Case::Link:
            ASSERT_TRUE(QFile::link(work.filePath(QStringLiteral("a.txt.keep")), path));
            writeFile(work.filePath(QStringLiteral("a.txt.keep")), "target");
            break;
        case Case::DanglingLink:
            ASSERT_EQ(::symlink("/no/such/target", QFile::encodeName(path).constData()), 0);
            break;
        }
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const TrashOutcome out = moveToTrash(path);
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        ASSERT_TRUE(out.ok()) << out.error.toStdString();
        EXPECT_FALSE(QFileInfo(path).exists() || isLink(path));
        EXPECT_EQ(out.trashedAs, trash() + QStringLiteral("/files/") + name);
        EXPECT_EQ(out.infoFile, trash() + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));

        const Info info = parseInfo(readFile(out.infoFile));
        ASSERT_TRUE(info.wellFormed) << readFile(out.infoFile).toStdString();
        EXPECT_EQ(info.path, workEncoded + '/' + c.encodedName);
        EXPECT_GE(info.date, before);
        EXPECT_LE(info.date, after);

        switch (c.kind) {
        case Case::File:
            EXPECT_EQ(readFile(out.trashedAs), QByteArray("content of ") + c.name);
            break;
        case Case::Folder:
            EXPECT_EQ(readFile(out.trashedAs + QStringLiteral("/inner/deep.bin")), QByteArray(70000, 'x'));
            EXPECT_EQ(readFile(out.trashedAs + QStringLiteral("/.hidden")), "h");
            break;
        case Case::Link:
            EXPECT_TRUE(isLink(out.trashedAs));
            EXPECT_EQ(readFile(work.filePath(QStringLiteral("a.txt.keep"))), "target"); // the target stays
            break;
        case Case::DanglingLink:
            EXPECT_TRUE(isLink(out.trashedAs));
            break;
        }
    }
    EXPECT_EQ(QDir(trash() + QStringLiteral("/files")).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot).size(), 5);
    EXPECT_EQ(QDir(trash() + QStringLiteral("/info")).entryList(QDir::Files).size(), 5);
}

TEST_F(HomeTrash, ATakenNameGetsANumberAndEachInfoKeepsTheOriginalPath)
{
    const QString path = work.filePath(QStringLiteral("a.txt"));
    // A stray info file without its item also takes the name "a (2).txt".
    writeFile(trash() + QStringLiteral("/info/a (2).txt.trashinfo"), "[Trash Info]\n");
    QStringList trashed;
    for (const char *content : {"first", "second", "third"}) {
        writeFile(path, content);
        const TrashOutcome out = moveToTrash(path);
        ASSERT_TRUE(out.ok()) << out.error.toStdString();
        trashed << out.trashedAs;
        EXPECT_EQ(parseInfo(readFile(out.infoFile)).path, QFile::encodeName(path).toPercentEncoding("/"));
    }
    EXPECT_EQ(trashed, QStringList({trash() + QStringLiteral("/files/a.txt"), trash() + QStringLiteral("/files/a (3).txt"),
                                    trash() + QStringLiteral("/files/a (4).txt")}));
    EXPECT_EQ(readFile(trashed[0]), "first");
    EXPECT_EQ(readFile(trashed[1]), "second");
    EXPECT_EQ(readFile(trashed[2]), "third");
    EXPECT_EQ(readFile(trash() + QStringLiteral("/info/a (2).txt.trashinfo")), "[Trash Info]\n");
}

TEST_F(HomeTrash, RefusedItemsStayWhereTheyAre)
{
    writeFile(trash() + QStringLiteral("/files/old.txt"), "old");
    struct Case
    {
        QString path;
        TrashFailure failure;
    };
    const Case cases[] = {
        {work.filePath(QStringLiteral("missing.txt")), TrashFailure::Missing},
        {trash(), TrashFailure::IsTrash},
        {trash() + QStringLiteral("/files/old.txt"), TrashFailure::IsTrash},
        {data.path(), TrashFailure::IsTrash}, // holds the trash
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const TrashOutcome out = moveToTrash(c.path);
        EXPECT_EQ(out.failure, c.failure);
        EXPECT_TRUE(out.trashedAs.isEmpty());
    }
    EXPECT_EQ(readFile(trash() + QStringLiteral("/files/old.txt")), "old");
    EXPECT_TRUE(QDir(trash() + QStringLiteral("/info")).entryList(QDir::Files).isEmpty());
}

TEST(TopdirTrash, TheAdministratorsTrashOnlyWhenItIsSafeElseTheUsersOwn)
{
    const unsigned uid = unsigned(::getuid());
    const QString own = QStringLiteral("/.Trash-") + QString::number(uid);
    enum Setup { Nothing, StickyShared, SharedWithoutSticky, SharedIsLink, OwnIsLink, OwnIsFile };
    struct Case
    {
        Setup setup;
        QString expected; // relative to the top folder; empty: refused
    };
    const Case cases[] = {
        {Nothing, own},
        {StickyShared, QStringLiteral("/.Trash/") + QString::number(uid)},
        {SharedWithoutSticky, own},
        {SharedIsLink, own},
        {OwnIsLink, QString()},
        {OwnIsFile, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.setup));
        QTemporaryDir top;
        QTemporaryDir elsewhere;
        const QByteArray shared = QFile::encodeName(top.path() + QStringLiteral("/.Trash"));
        switch (c.setup) {
        case Nothing:
            break;
        case StickyShared:
            ASSERT_EQ(::mkdir(shared.constData(), 01777), 0);
            ASSERT_EQ(::chmod(shared.constData(), 01777), 0);
            break;
        case SharedWithoutSticky:
            ASSERT_EQ(::mkdir(shared.constData(), 0777), 0);
            break;
        case SharedIsLink: {
            const QByteArray target = QFile::encodeName(elsewhere.path());
            ::chmod(target.constData(), 01777);
            ASSERT_EQ(::symlink(target.constData(), shared.constData()), 0);
            break;
        }
        case OwnIsLink:
            ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.path()).constData(),
                                QFile::encodeName(top.path() + own).constData()),
                      0);
            break;
        case OwnIsFile:
            writeFile(top.path() + own, "not a folder");
            break;
        }
        QString error;
        const std::optional<QString> dir = topdirTrash(top.path(), uid, &error);
        if (c.expected.isEmpty()) {
            EXPECT_FALSE(dir.has_value()) << dir.value_or(QString()).toStdString();
            EXPECT_FALSE(error.isEmpty());
            EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
            continue;
        }
        ASSERT_TRUE(dir.has_value()) << error.toStdString();
        EXPECT_EQ(*dir, top.path() + c.expected);
        struct stat info;
        ASSERT_EQ(::lstat(QFile::encodeName(*dir).constData(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_TRUE(QDir(elsewhere.path()).isEmpty()); // nothing made through a link
    }
}

TEST(TopdirTrash, PathsInItsInfoFilesAreRelativeToTheTopFolder)
{
    QTemporaryDir top;
    const QString item = top.filePath(QStringLiteral("sub/报告.txt"));
    writeFile(item, "x");
    const TrashLocation location{top.filePath(QStringLiteral(".Trash-1000")), top.path()};
    const TrashOutcome out = moveIntoTrash(item, location);
    ASSERT_TRUE(out.ok()) << out.error.toStdString();
    EXPECT_EQ(parseInfo(readFile(out.infoFile)).path, QByteArray("sub/%E6%8A%A5%E5%91%8A.txt"));
    EXPECT_EQ(readFile(location.dir + QStringLiteral("/files/报告.txt")), "x");
    EXPECT_EQ(trashInfoText(QStringLiteral("/a b/c"), QString(), QDateTime(QDate(2024, 2, 29), QTime(23, 5, 9))),
              QByteArray("[Trash Info]\nPath=/a%20b/c\nDeletionDate=2024-02-29T23:05:09\n"));
}

// Another file system (a RAM disk next to the temporary folder): the item
// goes to that file system's own trash, or, where there is none, stays.
TEST_F(HomeTrash, AnotherFileSystemUsesItsOwnTrashAndNeverCopies)
{
    const QString shm = QStringLiteral("/dev/shm");
    struct stat a, b;
    if (::stat("/dev/shm", &a) != 0 || ::stat(QFile::encodeName(data.path()).constData(), &b) != 0 || a.st_dev == b.st_dev
        || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second writable file system";
    const QString own = shm + QStringLiteral("/.Trash-") + QString::number(::getuid());
    if (QFileInfo::exists(own) || QFileInfo(own).isSymLink())
        GTEST_SKIP() << own.toStdString() << " exists already";

    QTemporaryDir ram(shm + QStringLiteral("/trash-test-XXXXXX"));
    ASSERT_TRUE(ram.isValid());
    const QString folderName = QFileInfo(ram.path()).fileName();

    // No trash can be made there: refused, nothing copied.
    writeFile(own, "blocks the trash folder");
    writeFile(ram.filePath(QStringLiteral("big.bin")), QByteArray(100000, 'b'));
    TrashOutcome out = moveToTrash(ram.filePath(QStringLiteral("big.bin")));
    EXPECT_EQ(out.failure, TrashFailure::NoTrash);
    EXPECT_EQ(readFile(ram.filePath(QStringLiteral("big.bin"))), QByteArray(100000, 'b'));
    EXPECT_FALSE(QFileInfo::exists(trash() + QStringLiteral("/files/big.bin")));
    QFile::remove(own);

    out = moveToTrash(ram.filePath(QStringLiteral("big.bin")));
    ASSERT_TRUE(out.ok()) << out.error.toStdString();
    EXPECT_EQ(out.trashedAs, own + QStringLiteral("/files/big.bin"));
    EXPECT_EQ(parseInfo(readFile(out.infoFile)).path, QFile::encodeName(folderName).toPercentEncoding("/") + "/big.bin");
    EXPECT_EQ(readFile(out.trashedAs), QByteArray(100000, 'b'));
    EXPECT_FALSE(QFileInfo::exists(trash() + QStringLiteral("/files/big.bin")));
    QDir(own).removeRecursively();
}
