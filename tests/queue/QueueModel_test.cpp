#include "queue/QueueModel.h"

#include "listing/FileInfo.h"
#include "platform/TextCodec.h"

#include "../support/PrintQString.h"
#include "QueueEntryPrint.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QPersistentModelIndex>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace queue;

namespace {

QByteArray gbk(const char *utf8) { return platform::toGbk(QString::fromUtf8(utf8)); }

QueueEntry named(const char *caption)
{
    return QueueEntry::make(QString::fromUtf8(caption), QStringLiteral("1 KB"), UploadAction(), "/pub");
}

QStringList captions(const TQueueModel &m)
{
    QStringList out;
    for (int i = 0; i < m.count(); ++i)
        out << m.text(i, LocalPathColumn);
    return out;
}

// Qt's model checker, reporting through warnings that the test collects.
class CheckedModel
{
public:
    CheckedModel() : tester_(&model, QAbstractItemModelTester::FailureReportingMode::Warning)
    {
        problems().clear();
        previous_ = qInstallMessageHandler(&CheckedModel::collect);
    }
    ~CheckedModel() { qInstallMessageHandler(previous_); }
    QStringList problemsSeen() const { return problems(); }

    TQueueModel model;

private:
    static QStringList &problems()
    {
        static QStringList list;
        return list;
    }
    static void collect(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            problems() << QString::fromUtf8(context.category ? context.category : "") + QStringLiteral(": ") + text;
    }

    QAbstractItemModelTester tester_;
    QtMessageHandler previous_ = nullptr;
};

// ---------------------------------------------------------------------------

TEST(FormatSizeKB, RoundsUpToKilobytesWithGroupedDigits)
{
    const qint64 gib = qint64(1) << 30;
    const struct
    {
        qint64 bytes;
        const char *text;
    } cases[] = {
        {0, "0 KB"},
        {-1, "0 KB"},
        {std::numeric_limits<qint64>::min(), "0 KB"},
        {1, "1 KB"},
        {1023, "1 KB"},
        {1024, "1 KB"},
        {1025, "2 KB"},
        {999 * 1024, "999 KB"},
        {999 * 1024 + 1, "1,000 KB"},
        {1048576, "1,024 KB"},
        {1048577, "1,025 KB"},
        {qint64(0x7FFFFFFF), "2,097,152 KB"},
        {5 * gib, "5,242,880 KB"},
        {std::numeric_limits<qint64>::max(), "9,007,199,254,740,992 KB"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatSizeKB(c.bytes), QString::fromUtf8(c.text)) << c.bytes;
}

TEST(GetLocalFileSize, FilesFoldersAndNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto makeFile = [&](const QString &name, qint64 size) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_TRUE(f.resize(size));
        return f.fileName();
    };
    const QString empty = makeFile("empty", 0);
    const QString small = makeFile(QString::fromUtf8("中文.bin"), 1025);
    const QString big = makeFile("big", qint64(5) << 30); // sparse: takes no room
    QDir(dir.path()).mkdir("sub");

    const struct
    {
        QString path;
        qint64 size;
    } cases[] = {
        {empty, 0},
        {small, 1025},
        {big, qint64(5) << 30},
        {dir.filePath("sub"), 0},
        {dir.filePath("missing"), -1},
        {dir.filePath("sub/missing"), -1},
        {QString(), -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetLocalFileSize(c.path), c.size) << c.path.toStdString();
}

TEST(FullRemotePath, JoinsOrKeepsAbsoluteNames)
{
    const struct
    {
        QByteArray folder, name, path;
    } cases[] = {
        {"/pub", "a.zip", "/pub/a.zip"},
        {"/pub/", "a.zip", "/pub/a.zip"},
        {"/", "a.zip", "/a.zip"},
        {"/pub", "/x/y", "/x/y"},
        {"/", "/x/y", "/x/y"},
        {"", "/x/y", "/x/y"},
        {"", "a", "/a"},
        {"/pub", "sub dir", "/pub/sub dir"},
        {"/\xb2\xe2", "\xca\xd4", "/\xb2\xe2/\xca\xd4"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FullRemotePath(c.folder, c.name), c.path) << c.folder.toStdString() << " + " << c.name.toStdString();
}

TEST(QueueEntry, MadeEntriesHoldGbkBytesAndRawRemotePath)
{
    const QueueEntry e = QueueEntry::make(QString::fromUtf8("C:\\下载"), FolderMarker(), DownloadAction(),
                                          "/\xb2\xe2\xca\xd4", StatusFailed(false));
    EXPECT_EQ(e.caption, gbk("C:\\下载"));
    ASSERT_EQ(e.subItems.size(), 4);
    EXPECT_EQ(e.subItems[0], gbk("文件夹"));
    EXPECT_EQ(e.subItems[1], "<==");
    EXPECT_EQ(e.subItems[2], "/\xb2\xe2\xca\xd4");
    EXPECT_EQ(e.subItems[3], gbk("錯誤"));
    EXPECT_EQ(e.imageIndex, 0);
    EXPECT_TRUE(e.isFolder());
    EXPECT_FALSE(e.isUpload());
    EXPECT_EQ(e.localPath(), QString::fromUtf8("C:\\下载"));
    EXPECT_EQ(e.status(), QString::fromUtf8("錯誤"));

    QueueEntry shortRow;
    shortRow.subItems = {"12 KB"};
    EXPECT_EQ(shortRow.remotePath(), QByteArray());
    EXPECT_EQ(shortRow.action(), QString());
    EXPECT_FALSE(shortRow.isUpload());
    EXPECT_FALSE(shortRow.isFolder());
}

TEST(QueueTexts, MarkersAndStatusTexts)
{
    EXPECT_EQ(FolderMarker(), QString::fromUtf8("文件夹"));
    EXPECT_EQ(UploadAction(), QStringLiteral("==>"));
    EXPECT_EQ(DownloadAction(), QStringLiteral("<=="));
    EXPECT_EQ(StatusTransferring(true), QString::fromUtf8("正在传送"));
    EXPECT_EQ(StatusTransferring(false), QString::fromUtf8("正在傳送"));
    EXPECT_EQ(StatusFailed(true), QString::fromUtf8("错误"));
    EXPECT_EQ(StatusFailed(false), QString::fromUtf8("錯誤"));
    EXPECT_EQ(StatusCancelled(), QString::fromUtf8("已取消"));
}

// ---------------------------------------------------------------------------

TEST(AddUploadEntries, FoldersFirstThenFilesInListOrder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile f(dir.filePath("a.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(1025));
    f.close();

    CheckedModel checked;
    TQueueModel &q = checked.model;
    q.append(named("existing"));
    QSignalSpy inserted(&q, &QAbstractItemModel::rowsInserted);

    const QString folderB = QString::fromUtf8("C:\\文件\\b");
    AddUploadEntries(q, false, {folderB, "C:\\a"}, "/pub", {f.fileName()});

    const QList<QueueEntry> expected = {
        named("existing"),
        QueueEntry::make(folderB, FolderMarker(), "==>", "/pub", ""),
        QueueEntry::make("C:\\a", FolderMarker(), "==>", "/pub", ""),
        QueueEntry::make(f.fileName(), "2 KB", "==>", "/pub", ""),
    };
    EXPECT_EQ(q.entries(), expected);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 1);
    EXPECT_EQ(inserted[0][2].toInt(), 3);
    EXPECT_EQ(q.text(1, SizeColumn), QString::fromUtf8("文件夹"));
    EXPECT_TRUE(checked.problemsSeen().isEmpty()) << checked.problemsSeen().join('\n').toStdString();
}

TEST(AddUploadEntries, ClearFirstEmptyListsAndMissingFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath("gone.bin");

    const struct
    {
        const char *name;
        bool clearFirst;
        QStringList folders;
        QByteArray remote;
        QStringList files;
        QList<QueueEntry> expected;
    } cases[] = {
        {"append", false, {}, "/up", {missing}, {named("old"), QueueEntry::make(missing, "0 KB", "==>", "/up")}},
        {"clear first", true, {}, "/up", {missing}, {QueueEntry::make(missing, "0 KB", "==>", "/up")}},
        {"both lists empty", true, {}, "/up", {}, {named("old")}},
        {"remote folder empty", true, {"C:\\f"}, "", {missing}, {named("old")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CheckedModel checked;
        checked.model.append(named("old"));
        AddUploadEntries(checked.model, c.clearFirst, c.folders, c.remote, c.files);
        EXPECT_EQ(checked.model.entries(), c.expected);
        EXPECT_TRUE(checked.problemsSeen().isEmpty());
    }
}

TEST(AddDownloadEntries, PathsAndSizesFromTheFileList)
{
    TMFtpFileInfoList list;
    list.Add("a.zip", "-rw-r--r--", "", "1025", "", "", "", "");
    list.Add("a.zip", "-rw-r--r--", "", "99999999", "", "", "", ""); // a later duplicate: not used
    list.Add("Big.iso", "-rw-r--r--", "", "5368709120", "", "", "", "");
    list.Add("odd", "-rw-r--r--", "", "9/18", "", "", "", "");
    list.Add("neg", "-rw-r--r--", "", "-5", "", "", "", "");
    list.Add("over", "-rw-r--r--", "", "99999999999999999999999", "", "", "", "");
    list.Add("\xb2\xe2\xca\xd4", "-rw-r--r--", "", "1048576", "", "", "", "");

    CheckedModel checked;
    TQueueModel &q = checked.model;
    const QString local = QString::fromUtf8("D:\\下载");
    AddDownloadEntries(q, false, {"sub", "/abs/folder"}, local,
                       {"a.zip", "Big.iso", "odd", "neg", "over", "missing", "\xb2\xe2\xca\xd4", "/pub/a.zip"},
                       "/pub", list);

    const struct
    {
        QByteArray remote;
        const char *size;
    } expected[] = {
        {"/pub/sub", "文件夹"},
        {"/abs/folder", "文件夹"},
        {"/pub/a.zip", "2 KB"},
        {"/pub/Big.iso", "5,242,880 KB"},
        {"/pub/odd", "0 KB"},
        {"/pub/neg", "0 KB"},
        {"/pub/over", "0 KB"},
        {"/pub/missing", "0 KB"},
        {"/pub/\xb2\xe2\xca\xd4", "1,024 KB"},
        {"/pub/a.zip", "0 KB"}, // looked up by the name as given, which is not in the list
    };
    ASSERT_EQ(q.count(), int(std::size(expected)));
    for (int i = 0; i < q.count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(q.entry(i), QueueEntry::make(local, QString::fromUtf8(expected[i].size), "<==", expected[i].remote));
        EXPECT_EQ(q.entry(i).caption, gbk("D:\\下载"));
    }
    EXPECT_EQ(q.text(8, RemotePathColumn), QString::fromUtf8("/pub/测试"));
    EXPECT_TRUE(checked.problemsSeen().isEmpty());
}

TEST(AddDownloadEntries, ClearFirstAndNothingToAdd)
{
    const TMFtpFileInfoList none;
    const struct
    {
        const char *name;
        bool clearFirst;
        QList<QByteArray> folders;
        QString local;
        QList<QByteArray> files;
        QList<QueueEntry> expected;
    } cases[] = {
        {"clear first", true, {"d"}, "C:\\x", {}, {QueueEntry::make("C:\\x", FolderMarker(), "<==", "/d")}},
        {"append", false, {}, "C:\\x", {"f"}, {named("old"), QueueEntry::make("C:\\x", "0 KB", "<==", "/f")}},
        {"both lists empty", true, {}, "C:\\x", {}, {named("old")}},
        {"local folder empty", true, {"d"}, "", {"f"}, {named("old")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TQueueModel q;
        q.append(named("old"));
        AddDownloadEntries(q, c.clearFirst, c.folders, c.local, c.files, "/", none);
        EXPECT_EQ(q.entries(), c.expected);
    }
}

// ---------------------------------------------------------------------------

TEST(TQueueModel, MoveOntoKeepsIdsAndPersistentIndexes)
{
    const struct
    {
        int from, target;
        const char *after;
        int result;
    } cases[] = {
        {0, 2, "bca", 2}, {2, 0, "cab", 0}, {0, 1, "bac", 1}, {1, 0, "bac", 0}, {1, 2, "acb", 2},
        {2, 1, "acb", 1}, {1, 1, "abc", 1}, {0, 3, "abc", 0}, {0, -1, "abc", 0}, {3, 0, "abc", -1},
        {-1, 0, "abc", -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " onto " << c.target);
        CheckedModel checked;
        TQueueModel &q = checked.model;
        QList<TQueueModel::Id> ids;
        for (const char *name : {"a", "b", "c"})
            ids << q.append(named(name));
        QList<QPersistentModelIndex> cells;
        for (int row = 0; row < 3; ++row)
            cells << QPersistentModelIndex(q.index(row, StatusColumn));

        EXPECT_EQ(q.moveOnto(c.from, c.target), c.result);

        EXPECT_EQ(captions(q).join(""), QString::fromLatin1(c.after));
        for (int i = 0; i < 3; ++i) {
            const int row = q.rowOf(ids[i]);
            ASSERT_GE(row, 0);
            EXPECT_EQ(q.text(row, LocalPathColumn), QString(QChar('a' + i)));
            EXPECT_EQ(q.idAt(row), ids[i]);
            EXPECT_EQ(cells[i].row(), row);
            EXPECT_EQ(cells[i].column(), StatusColumn);
        }
        EXPECT_TRUE(checked.problemsSeen().isEmpty()) << checked.problemsSeen().join('\n').toStdString();
    }
}

TEST(TQueueModel, IdsFollowRowsThroughRemovalsAndInsertions)
{
    CheckedModel checked;
    TQueueModel &q = checked.model;
    QList<TQueueModel::Id> ids;
    for (const char *name : {"a", "b", "c", "d", "e"})
        ids << q.append(named(name));
    EXPECT_EQ(QSet<TQueueModel::Id>(ids.begin(), ids.end()).size(), 5);

    q.removeAt(1); // b
    q.removeAt(2); // d
    q.removeAt(7); // nothing
    q.removeAt(-1);
    EXPECT_EQ(captions(q).join(""), "ace");
    const int expectedRows[] = {0, -1, 1, -1, 2};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(q.rowOf(ids[i]), expectedRows[i]) << i;

    q.insert(0, named("x"));
    q.insert(99, named("z")); // past the end: appended
    EXPECT_EQ(captions(q).join(""), "xacez");
    EXPECT_EQ(q.rowOf(ids[0]), 1);
    EXPECT_EQ(q.rowOf(ids[4]), 3);
    const TQueueModel::Id x = q.idAt(0);
    EXPECT_FALSE(ids.contains(x));

    q.append(QList<QueueEntry>{named("p"), named("q")});
    EXPECT_EQ(q.rowOf(x), 0);
    EXPECT_EQ(q.rowOf(ids[4]), 3);
    EXPECT_NE(q.idAt(5), q.idAt(6));

    // A replaced queue is a new queue: no old id finds a row.
    q.replaceAll({named("a")});
    EXPECT_EQ(q.rowOf(ids[0]), -1);
    EXPECT_EQ(q.rowOf(x), -1);
    q.clear();
    EXPECT_EQ(q.count(), 0);
    EXPECT_EQ(q.rowOf(ids[0]), -1);
    EXPECT_TRUE(checked.problemsSeen().isEmpty()) << checked.problemsSeen().join('\n').toStdString();
}

TEST(TQueueModel, CellTextsAndTheirBytes)
{
    CheckedModel checked;
    TQueueModel &q = checked.model;
    q.append(QueueEntry::make("C:\\a", "1 KB", "==>", "/\xe6\xb5\x8b\xe8\xaf\x95")); // UTF-8 "/测试"
    QueueEntry twoSubItems;
    twoSubItems.caption = gbk("中");
    twoSubItems.subItems = {"5 KB", "<=="};
    twoSubItems.imageIndex = 3;
    q.append(twoSubItems);
    QSignalSpy changed(&q, &QAbstractItemModel::dataChanged);

    EXPECT_EQ(q.text(0, RemotePathColumn), QString::fromUtf8("/测试"));
    EXPECT_EQ(q.data(q.index(0, RemotePathColumn), Qt::DisplayRole).toString(), QString::fromUtf8("/测试"));
    EXPECT_EQ(q.text(1, LocalPathColumn), QString::fromUtf8("中"));
    EXPECT_EQ(q.text(1, StatusColumn), QString());
    EXPECT_EQ(q.text(5, LocalPathColumn), QString());

    q.setText(0, RemotePathColumn, QString::fromUtf8("/测试"));
    EXPECT_EQ(q.entry(0).remotePath(), gbk("/测试"));
    EXPECT_EQ(q.text(0, RemotePathColumn), QString::fromUtf8("/测试"));
    q.setRemotePath(0, "/\xb2\xe2\xca\xd4");
    EXPECT_EQ(q.entry(0).remotePath(), "/\xb2\xe2\xca\xd4");
    q.setStatus(0, StatusTransferring(true));
    EXPECT_EQ(q.entry(0).subItems[3], gbk("正在传送"));
    q.setText(0, LocalPathColumn, QString::fromUtf8("C:\\乙"));
    EXPECT_EQ(q.entry(0).caption, gbk("C:\\乙"));

    // A short row grows to hold the cell written.
    q.setStatus(1, StatusCancelled());
    EXPECT_EQ(q.entry(1).subItems, (QList<QByteArray>{"5 KB", "<==", "", gbk("已取消")}));
    EXPECT_EQ(q.entry(1).imageIndex, 3);

    ASSERT_EQ(changed.count(), 5);
    const QModelIndex statusCell = q.index(1, StatusColumn);
    EXPECT_EQ(changed.last()[0].toModelIndex(), statusCell);
    EXPECT_EQ(changed.last()[1].toModelIndex(), statusCell);

    q.setText(9, StatusColumn, "x"); // no such row
    EXPECT_EQ(changed.count(), 5);
    EXPECT_TRUE(checked.problemsSeen().isEmpty()) << checked.problemsSeen().join('\n').toStdString();
}

TEST(TQueueModel, HeadersFollowTheLanguage)
{
    TQueueModel q;
    QSignalSpy headers(&q, &QAbstractItemModel::headerDataChanged);
    const char *simplified[] = {"本地路径", "大小", "动作", "远程路径", "状态"};
    const char *traditional[] = {"本地路徑", "大小", "動作", "遠程路徑", "狀態"};
    ASSERT_EQ(q.columnCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(q.headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8(simplified[i]));
    q.setSimplified(false);
    EXPECT_FALSE(q.simplified());
    ASSERT_EQ(headers.count(), 1);
    EXPECT_EQ(headers[0][1].toInt(), 0);
    EXPECT_EQ(headers[0][2].toInt(), 4);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(q.headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8(traditional[i]));
    q.setSimplified(true);
    EXPECT_EQ(headers.count(), 2);
    EXPECT_EQ(q.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8("动作"));
}

TEST(TQueueModel, AlignmentAndFlags)
{
    TQueueModel q;
    q.append(named("a"));
    const Qt::Alignment expected[] = {Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignRight | Qt::AlignVCenter,
                                      Qt::AlignCenter, Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignCenter};
    for (int c = 0; c < 5; ++c) {
        const QModelIndex cell = q.index(0, c);
        EXPECT_EQ(Qt::Alignment(q.data(cell, Qt::TextAlignmentRole).toInt()), expected[c]) << c;
        const Qt::ItemFlags flags = q.flags(cell);
        EXPECT_TRUE(flags.testFlag(Qt::ItemIsSelectable)) << c;
        EXPECT_TRUE(flags.testFlag(Qt::ItemIsEnabled)) << c;
        EXPECT_FALSE(flags.testFlag(Qt::ItemIsEditable)) << c;
    }
    EXPECT_FALSE(q.setData(q.index(0, 0), "x", Qt::EditRole));
    EXPECT_EQ(q.text(0, LocalPathColumn), "a");
}

TEST(TQueueModel, ManyRowsArriveInOneInsertion)
{
    CheckedModel checked;
    TQueueModel &q = checked.model;
    QList<QueueEntry> many;
    for (int i = 0; i < 20000; ++i)
        many.append(QueueEntry::make(QStringLiteral("C:\\f%1").arg(i), "1 KB", "==>", "/pub"));
    QSignalSpy inserted(&q, &QAbstractItemModel::rowsInserted);
    q.append(many);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][2].toInt(), 19999);
    EXPECT_EQ(q.rowCount(), 20000);
    EXPECT_EQ(q.text(19999, LocalPathColumn), "C:\\f19999");
    EXPECT_EQ(q.rowOf(q.idAt(12345)), 12345);
    EXPECT_TRUE(checked.problemsSeen().isEmpty());
}

} // namespace
