// File lists on the clipboard in the formats file managers exchange, and
// pasting them: copies and moves of files, links and trees, new names
// instead of overwriting, and what is refused.
#include "platform/FileClipboard.h"
#include "platform/LocalFileOps.h"
#include "support/LocalFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace platform;

namespace {

using testsupport::readFile;
using testsupport::writeFile;

QByteArray linkTarget(const QString &path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return n < 0 ? QByteArray("<no link>") : QByteArray(buffer, int(n));
}

// Every entry below `root` as "relative path: content" (links as "-> target").
QStringList treeOf(const QString &root)
{
    QStringList out;
    const QDir dir(root);
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                             QDir::Name)) {
        const QString path = root + QLatin1Char('/') + name;
        struct stat info;
        ::lstat(QFile::encodeName(path).constData(), &info);
        if (S_ISLNK(info.st_mode))
            out << name + QStringLiteral(" -> ") + QString::fromLocal8Bit(linkTarget(path));
        else if (S_ISDIR(info.st_mode))
            for (const QString &inner : treeOf(path))
                out << name + QLatin1Char('/') + inner;
        else
            out << name + QStringLiteral(": ") + QString::fromUtf8(readFile(path));
    }
    return out;
}

QMimeData *mime(std::initializer_list<std::pair<const char *, QByteArray>> formats)
{
    auto *data = new QMimeData;
    for (const auto &[format, bytes] : formats)
        data->setData(QLatin1String(format), bytes);
    return data;
}

} // namespace

TEST(FileNames, NumberedNamesKeepTheExtension)
{
    struct Case
    {
        const char *name;
        bool folder;
        const char *expected;
    };
    const Case cases[] = {
        {"a.txt", false, "a (2).txt"},          {"archive.tar.gz", false, "archive.tar (2).gz"},
        {".bashrc", false, ".bashrc (2)"},      {"noext", false, "noext (2)"},
        {"dir.v1", true, "dir.v1 (2)"},         {"报告.doc", false, "报告 (2).doc"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(numberedName(QString::fromUtf8(c.name), 2, c.folder), QString::fromUtf8(c.expected)) << c.name;

    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("a.txt")), "1");
    writeFile(dir.filePath(QStringLiteral("a (2).txt")), "2");
    ASSERT_EQ(::symlink("/nowhere", QFile::encodeName(dir.filePath(QStringLiteral("a (3).txt"))).constData()), 0);
    EXPECT_EQ(uniqueNameIn(dir.path(), QStringLiteral("a.txt"), false), QStringLiteral("a (4).txt"));
    EXPECT_EQ(uniqueNameIn(dir.path(), QStringLiteral("b.txt"), false), QStringLiteral("b.txt"));
}

TEST(FileClipboard, WrittenListsCarryEveryFormatAndReadBack)
{
    for (const bool cut : {false, true}) {
        SCOPED_TRACE(cut);
        QMimeData data;
        putFileList(&data, {{QStringLiteral("/tmp/a b.txt"), QStringLiteral("/tmp/报告")}, cut});
        EXPECT_EQ(data.data(QStringLiteral("text/uri-list")),
                  QByteArray("file:///tmp/a%20b.txt\r\nfile:///tmp/%E6%8A%A5%E5%91%8A\r\n"));
        EXPECT_EQ(data.data(QStringLiteral("x-special/gnome-copied-files")),
                  QByteArray(cut ? "cut" : "copy") + "\nfile:///tmp/a%20b.txt\nfile:///tmp/%E6%8A%A5%E5%91%8A");
        EXPECT_EQ(data.data(QStringLiteral("application/x-kde-cutselection")), QByteArray(cut ? "1" : "0"));
        EXPECT_EQ(data.text(), QStringLiteral("/tmp/a b.txt\n/tmp/报告"));
        EXPECT_TRUE(offersFileList(&data));
        const std::optional<ClipboardFiles> back = fileListFrom(&data);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->paths, QStringList({QStringLiteral("/tmp/a b.txt"), QStringLiteral("/tmp/报告")}));
        EXPECT_EQ(back->cut, cut);
    }
}

TEST(FileClipboard, ListsOfFileManagersAreRead)
{
    struct Case
    {
        const char *what;
        QMimeData *data;
        QStringList paths; // empty: no file list
        bool cut;
    };
    const Case cases[] = {
        {"gnome copy", mime({{"x-special/gnome-copied-files", "copy\nfile:///home/u/a.txt\nfile:///home/u/b%231"}}),
         {QStringLiteral("/home/u/a.txt"), QStringLiteral("/home/u/b#1")}, false},
        {"gnome cut, CRLF, trailing newline", mime({{"x-special/gnome-copied-files", "cut\r\nfile:///x/y\r\n"}}),
         {QStringLiteral("/x/y")}, true},
        {"gnome list wins over the uri list",
         mime({{"x-special/gnome-copied-files", "cut\nfile:///one"}, {"text/uri-list", "file:///two\r\n"}}),
         {QStringLiteral("/one")}, true},
        {"unknown gnome verb falls back to the uri list",
         mime({{"x-special/gnome-copied-files", "move\nfile:///one"}, {"text/uri-list", "file:///two\r\n"}}),
         {QStringLiteral("/two")}, false},
        {"uri list, comment and web address left out",
         mime({{"text/uri-list", "# from a browser\r\nhttp://example.com/x\r\nfile:///home/u/c.txt\r\n"}}),
         {QStringLiteral("/home/u/c.txt")}, false},
        {"uri list cut by the other desktop",
         mime({{"text/uri-list", "file:///home/u/c.txt\r\n"}, {"application/x-kde-cutselection", "1"}}),
         {QStringLiteral("/home/u/c.txt")}, true},
        {"nautilus text form",
         mime({{"text/plain", "x-special/nautilus-clipboard\ncut\nfile:///home/u/d%20e\n"}}),
         {QStringLiteral("/home/u/d e")}, true},
        {"web addresses only", mime({{"text/uri-list", "https://example.com/\r\n"}}), {}, false},
        {"plain text path is no file list", mime({{"text/plain", "/home/u/a.txt"}}), {}, false},
        {"empty gnome list", mime({{"x-special/gnome-copied-files", "copy\n"}}), {}, false},
        {"garbage", mime({{"x-special/gnome-copied-files", QByteArray("\0\xff\n\x01", 4)}}), {}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<ClipboardFiles> files = fileListFrom(c.data);
        if (c.paths.isEmpty()) {
            EXPECT_FALSE(files.has_value());
        } else {
            ASSERT_TRUE(files.has_value());
            EXPECT_EQ(files->paths, c.paths);
            EXPECT_EQ(files->cut, c.cut);
        }
        delete c.data;
    }
    EXPECT_FALSE(fileListFrom(nullptr).has_value());
}

TEST(Paste, CopiesTreesLinksAndKeepsModesAndTimes)
{
    QTemporaryDir from, to;
    const QString tree = from.filePath(QStringLiteral("项目"));
    writeFile(tree + QStringLiteral("/a.txt"), "alpha");
    writeFile(tree + QStringLiteral("/.hidden"), "hidden");
    writeFile(tree + QStringLiteral("/sub/deep/big.bin"), QByteArray(3 * 1024 * 1024 + 7, 'z'));
    QDir().mkpath(tree + QStringLiteral("/empty"));
    ASSERT_EQ(::symlink("a.txt", QFile::encodeName(tree + QStringLiteral("/rel-link")).constData()), 0);
    ASSERT_EQ(::symlink("/etc", QFile::encodeName(tree + QStringLiteral("/abs-link")).constData()), 0);
    const QString file = from.filePath(QStringLiteral("mode.sh"));
    writeFile(file, "#!/bin/sh\n");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0750), 0);
    const struct timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(file).constData(), old), 0);

    const PasteOutcome out = pasteFiles({{tree, file}, false}, to.path());
    EXPECT_TRUE(out.failures.isEmpty());
    EXPECT_EQ(out.created, QStringList({to.filePath(QStringLiteral("项目")), to.filePath(QStringLiteral("mode.sh"))}));
    EXPECT_EQ(treeOf(to.filePath(QStringLiteral("项目"))), treeOf(tree));
    EXPECT_TRUE(QDir(to.filePath(QStringLiteral("项目/empty"))).exists());
    EXPECT_EQ(linkTarget(to.filePath(QStringLiteral("项目/rel-link"))), "a.txt");
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(to.filePath(QStringLiteral("mode.sh"))).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0750u);
    EXPECT_EQ(info.st_mtime, 1000000000);
    EXPECT_EQ(readFile(file), "#!/bin/sh\n"); // a copy leaves the original
}

TEST(Paste, TakenNamesGetNumbersAndNothingIsOverwritten)
{
    QTemporaryDir from, to;
    writeFile(from.filePath(QStringLiteral("a.txt")), "new a");
    writeFile(from.filePath(QStringLiteral("dir/x")), "new x");
    writeFile(to.filePath(QStringLiteral("a.txt")), "old a");
    writeFile(to.filePath(QStringLiteral("a (2).txt")), "old a2");
    writeFile(to.filePath(QStringLiteral("dir/x")), "old x");
    for (const bool cut : {false, true}) {
        SCOPED_TRACE(cut);
        const PasteOutcome out =
            pasteFiles({{from.filePath(QStringLiteral("a.txt")), from.filePath(QStringLiteral("dir"))}, cut}, to.path());
        EXPECT_TRUE(out.failures.isEmpty());
        const QString a = cut ? QStringLiteral("a (4).txt") : QStringLiteral("a (3).txt");
        const QString dir = cut ? QStringLiteral("dir (3)") : QStringLiteral("dir (2)");
        EXPECT_EQ(out.created, QStringList({to.filePath(a), to.filePath(dir)}));
        EXPECT_EQ(readFile(to.filePath(a)), "new a");
        EXPECT_EQ(readFile(to.filePath(dir + QStringLiteral("/x"))), "new x");
    }
    EXPECT_EQ(readFile(to.filePath(QStringLiteral("a.txt"))), "old a");
    EXPECT_EQ(readFile(to.filePath(QStringLiteral("a (2).txt"))), "old a2");
    EXPECT_EQ(readFile(to.filePath(QStringLiteral("dir/x"))), "old x");
    EXPECT_FALSE(QFileInfo::exists(from.filePath(QStringLiteral("a.txt")))); // moved by the cut
    EXPECT_FALSE(QFileInfo::exists(from.filePath(QStringLiteral("dir"))));
}

TEST(Paste, CopyIntoTheSameFolderDuplicatesACutThereDoesNothing)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("a.txt")), "a");
    PasteOutcome out = pasteFiles({{dir.filePath(QStringLiteral("a.txt"))}, true}, dir.path());
    EXPECT_TRUE(out.failures.isEmpty());
    EXPECT_TRUE(out.created.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("a.txt")}));
    out = pasteFiles({{dir.filePath(QStringLiteral("a.txt")), dir.filePath(QStringLiteral("a.txt"))}, false}, dir.path());
    EXPECT_TRUE(out.failures.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("a (2).txt"), QStringLiteral("a.txt")}));
}

TEST(Paste, RefusedItemsAreReportedAndTheRestIsPasted)
{
    QTemporaryDir dir, to;
    writeFile(dir.filePath(QStringLiteral("tree/inner/f")), "f");
    writeFile(dir.filePath(QStringLiteral("ok.txt")), "ok");
    const QString fifo = dir.filePath(QStringLiteral("withpipe/pipe"));
    QDir().mkpath(QFileInfo(fifo).absolutePath());
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    writeFile(dir.filePath(QStringLiteral("withpipe/data.txt")), "data");

    struct Case
    {
        QString source;
        QString target;
        bool cut;
        PasteProblem problem;
    };
    const Case cases[] = {
        {dir.filePath(QStringLiteral("tree")), dir.filePath(QStringLiteral("tree/inner")), false, PasteProblem::IntoItself},
        {dir.filePath(QStringLiteral("tree")), dir.filePath(QStringLiteral("tree")), true, PasteProblem::IntoItself},
        {dir.filePath(QStringLiteral("gone.txt")), to.path(), false, PasteProblem::SourceMissing},
        {dir.filePath(QStringLiteral("ok.txt")), dir.filePath(QStringLiteral("ok.txt/not-a-folder")), false,
         PasteProblem::TargetMissing},
        {dir.filePath(QStringLiteral("withpipe")), to.path(), false, PasteProblem::CopyFailed},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source.toStdString());
        const PasteOutcome out = pasteFiles({{c.source}, c.cut}, c.target);
        ASSERT_EQ(out.failures.size(), 1);
        EXPECT_EQ(out.failures[0].source, c.source);
        EXPECT_EQ(out.failures[0].problem, c.problem);
    }
    const PasteOutcome out =
        pasteFiles({{dir.filePath(QStringLiteral("gone.txt")), dir.filePath(QStringLiteral("ok.txt"))}, false}, to.path());
    ASSERT_EQ(out.failures.size(), 1);
    EXPECT_EQ(out.created, QStringList({to.filePath(QStringLiteral("ok.txt"))}));
    // The tree was never copied into itself; the pipe was named and the rest
    // of its folder copied.
    EXPECT_EQ(treeOf(dir.filePath(QStringLiteral("tree"))), QStringList({QStringLiteral("inner/f: f")}));
    EXPECT_EQ(readFile(to.filePath(QStringLiteral("withpipe/data.txt"))), "data");
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("withpipe/data.txt"))), "data");
    EXPECT_EQ(readFile(to.filePath(QStringLiteral("ok.txt"))), "ok");
}

// A move to another file system copies, then removes the original only
// when everything arrived.
TEST(Paste, MovesAcrossFileSystemsCopyFirst)
{
    struct stat a, b;
    QTemporaryDir to;
    if (::stat("/dev/shm", &a) != 0 || ::stat(QFile::encodeName(to.path()).constData(), &b) != 0 || a.st_dev == b.st_dev
        || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second writable file system";
    QTemporaryDir ram(QStringLiteral("/dev/shm/paste-test-XXXXXX"));
    writeFile(ram.filePath(QStringLiteral("good/a.txt")), "a");
    writeFile(ram.filePath(QStringLiteral("bad/b.txt")), "b");
    ASSERT_EQ(::mkfifo(QFile::encodeName(ram.filePath(QStringLiteral("bad/pipe"))).constData(), 0600), 0);

    const PasteOutcome out =
        pasteFiles({{ram.filePath(QStringLiteral("good")), ram.filePath(QStringLiteral("bad"))}, true}, to.path());
    ASSERT_EQ(out.failures.size(), 1);
    EXPECT_EQ(out.failures[0].problem, PasteProblem::CopyFailed);
    EXPECT_TRUE(out.failures[0].detail.contains(QStringLiteral("pipe")));
    EXPECT_EQ(readFile(to.filePath(QStringLiteral("good/a.txt"))), "a");
    EXPECT_FALSE(QFileInfo::exists(ram.filePath(QStringLiteral("good"))));
    EXPECT_EQ(readFile(ram.filePath(QStringLiteral("bad/b.txt"))), "b"); // kept: the copy was incomplete
}

TEST(RemoveForGood, LinksAreRemovedNeverFollowed)
{
    QTemporaryDir dir, outside;
    writeFile(outside.filePath(QStringLiteral("precious.txt")), "keep me");
    writeFile(dir.filePath(QStringLiteral("tree/a/b.txt")), "b");
    ASSERT_EQ(::symlink(QFile::encodeName(outside.path()).constData(),
                        QFile::encodeName(dir.filePath(QStringLiteral("tree/a/link"))).constData()),
              0);
    QString error;
    EXPECT_TRUE(removeForGood(dir.filePath(QStringLiteral("tree")), &error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("tree"))));
    EXPECT_EQ(readFile(outside.filePath(QStringLiteral("precious.txt"))), "keep me");
    EXPECT_FALSE(removeForGood(dir.filePath(QStringLiteral("tree")), &error));
    EXPECT_FALSE(error.isEmpty());
}
