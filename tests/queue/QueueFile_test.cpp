#include "queue/QueueFile.h"

#include "platform/TextCodec.h"

#include "../support/PrintQString.h"
#include "QueueEntryPrint.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace queue;

namespace {

// Builds expected file bytes piece by piece, independently of the writer.
struct Bytes
{
    QByteArray b;
    Bytes &u8(int v) { b.append(char(v)); return *this; }
    Bytes &u16(int v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    Bytes &i32(qint32 v) { for (int i = 0; i < 4; ++i) u8(int((quint32(v) >> (8 * i)) & 0xFF)); return *this; }
    Bytes &raw(const QByteArray &s) { b.append(s); return *this; }
    Bytes &text(const QByteArray &s) { return u16(int(s.size())).raw(s); }
    Bytes &magic() { return raw(QByteArray("Brambleway-QUE\0", 15)); }
};

QByteArray gbk(const char *utf8) { return platform::toGbk(QString::fromUtf8(utf8)); }

QueueEntry entry(QByteArray caption, QList<QByteArray> subItems, qint32 image = 0)
{
    QueueEntry e;
    e.caption = std::move(caption);
    e.subItems = std::move(subItems);
    e.imageIndex = image;
    return e;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void setBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A valid three-entry file and the entries it holds.
QList<QueueEntry> threeEntries()
{
    return {
        QueueEntry::make("C:\\a.txt", "1 KB", "==>", "/pub"),
        QueueEntry::make(QString::fromUtf8("D:\\下载"), QString::fromUtf8("文件夹"), "<==", "/\xb2\xe2\xca\xd4",
                         QString::fromUtf8("错误")),
        entry("x", {"", "z"}, -7),
    };
}

QByteArray threeEntryFile()
{
    Bytes f;
    f.magic().u16(3);
    f.u16(4).i32(0).text("C:\\a.txt").text("1 KB").text("==>").text("/pub").text("");
    f.u16(4).i32(0).text(gbk("D:\\下载")).text(gbk("文件夹")).text("<==").text("/\xb2\xe2\xca\xd4").text(gbk("错误"));
    f.u16(2).i32(-7).text("x").text("").text("z");
    return f.b;
}

// A queue with rows the failed loads must leave alone.
struct Witness
{
    Witness()
    {
        queue.append(QueueEntry::make("C:\\keep1", "3 KB", "==>", "/k"));
        queue.append(QueueEntry::make("C:\\keep2", FolderMarker(), "<==", "/k/d", StatusCancelled()));
        entries = queue.entries();
        ids = {queue.idAt(0), queue.idAt(1)};
    }
    void expectUnchanged() const
    {
        EXPECT_EQ(queue.entries(), entries);
        ASSERT_EQ(queue.count(), 2);
        EXPECT_EQ(queue.idAt(0), ids[0]);
        EXPECT_EQ(queue.idAt(1), ids[1]);
    }
    TQueueModel queue;
    QList<QueueEntry> entries;
    QList<TQueueModel::Id> ids;
};

// ---------------------------------------------------------------------------

TEST(QueueFile, OneUploadEntryIsFiftyTwoBytes)
{
    TQueueModel q;
    q.append(QueueEntry::make("C:\\a.txt", "1 KB", "==>", "/pub", ""));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("one.TQU");
    ASSERT_TRUE(SaveQueueFile(q, path));

    const QByteArray bytes = fileBytes(path);
    const QByteArray expected = QByteArray("Brambleway-QUE", 14) + '\0' // magic
                                + QByteArray("\x01\x00", 2)              // N
                                + QByteArray("\x04\x00", 2)              // S
                                + QByteArray("\x00\x00\x00\x00", 4)      // image index
                                + QByteArray("\x08\x00", 2) + "C:\\a.txt" //
                                + QByteArray("\x04\x00", 2) + "1 KB"     //
                                + QByteArray("\x03\x00", 2) + "==>"      //
                                + QByteArray("\x04\x00", 2) + "/pub"     //
                                + QByteArray("\x00\x00", 2);             // empty status
    ASSERT_EQ(bytes.size(), 52);
    EXPECT_EQ(bytes.toHex(' '), expected.toHex(' '));
    EXPECT_EQ(quint8(bytes[15]), 0x01);
    EXPECT_EQ(quint8(bytes[16]), 0x00);
    EXPECT_EQ(bytes.right(2), QByteArray("\0\0", 2));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"one.TQU"});
}

TEST(QueueFile, EncodesEveryFieldLittleEndian)
{
    const std::optional<QByteArray> bytes = EncodeQueueFile(threeEntries());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->toHex(' '), threeEntryFile().toHex(' '));

    const std::optional<QByteArray> empty = EncodeQueueFile({});
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty, Bytes().magic().u16(0).b);

    // Lengths above 255 need both bytes.
    const QByteArray longText(0x1234, 'L');
    const std::optional<QByteArray> longOne = EncodeQueueFile({entry(longText, {}, 0x01020304)});
    ASSERT_TRUE(longOne);
    EXPECT_EQ(*longOne, Bytes().magic().u16(1).u16(0).i32(0x01020304).text(longText).b);
    EXPECT_EQ(longOne->mid(17, 8).toHex(), "000004030201" "3412");
}

TEST(QueueFile, OddEntriesSurviveSaveAndLoad)
{
    QList<QueueEntry> odd = threeEntries();
    odd << entry(gbk("C:\\中文\\文件.txt"), {gbk("1,024 KB"), "==>", gbk("/上传"), gbk("正在傳送")}, -7)
        << entry("six", {"1", "2", "3", "4", "5", "6"}, 2147483647)
        << entry("", {}, std::numeric_limits<qint32>::min())
        << entry("sixty-four", QList<QByteArray>(64, "s"), 1)
        << entry(QByteArray(65535, 'c'), {QByteArray(65535, '\xb2'), "", "\xb2\xe2\xca\xd4", ""}, 0)
        << entry("high bytes \x80\xff", {"\xff\xfe", "<==", "/\xe6\xb5\x8b\xe8\xaf\x95", "\x01\x02"}, -1);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QString::fromUtf8("队列.TQU"));
    TQueueModel saved;
    saved.append(odd);
    ASSERT_TRUE(SaveQueueFile(saved, path));

    Witness w;
    QSignalSpy reset(&w.queue, &QAbstractItemModel::modelReset);
    ASSERT_TRUE(LoadQueueFile(w.queue, path));
    EXPECT_EQ(reset.count(), 1);
    ASSERT_EQ(w.queue.count(), odd.size());
    for (int i = 0; i < odd.size(); ++i)
        EXPECT_EQ(w.queue.entry(i), odd[i]) << i;
    EXPECT_EQ(w.queue.rowOf(w.ids[0]), -1);
    EXPECT_EQ(w.queue.text(1, RemotePathColumn), QString::fromUtf8("/测试"));
    EXPECT_EQ(w.queue.text(1, StatusColumn), QString::fromUtf8("错误"));

    // Saving what was loaded gives the same bytes again.
    const QString again = dir.filePath("again.TQU");
    ASSERT_TRUE(SaveQueueFile(w.queue, again));
    EXPECT_EQ(fileBytes(again), fileBytes(path));
}

TEST(QueueFile, DecodeCutsTextsAtZeroAndIgnoresTrailingBytes)
{
    Bytes f;
    f.magic().u16(2);
    f.u16(1).i32(5).text(QByteArray("ab\0cd", 5)).text(QByteArray("\0xyz", 4));
    f.u16(4).i32(6).text("C:\\b").text("2 KB").text(QByteArray("==>\0\0", 5)).text("/r").text("");
    f.raw("trailing junk");
    const std::optional<QList<QueueEntry>> entries = DecodeQueueFile(f.b);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2);
    EXPECT_EQ(entries->at(0), entry("ab", {""}, 5));
    EXPECT_EQ(entries->at(1), entry("C:\\b", {"2 KB", "==>", "/r", ""}, 6));
    EXPECT_TRUE(entries->at(1).isUpload());
}

TEST(QueueFile, FileWithNoEntriesEmptiesTheQueue)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("empty.TQU");
    setBytes(path, Bytes().magic().u16(0).b);
    Witness w;
    ASSERT_TRUE(LoadQueueFile(w.queue, path));
    EXPECT_EQ(w.queue.count(), 0);
}

TEST(QueueFile, EveryTruncationIsRefused)
{
    const QByteArray whole = threeEntryFile();
    ASSERT_TRUE(DecodeQueueFile(whole));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("cut.TQU");
    for (qsizetype length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_FALSE(DecodeQueueFile(whole.left(length)));
        setBytes(path, whole.left(length));
        Witness w;
        QSignalSpy reset(&w.queue, &QAbstractItemModel::modelReset);
        EXPECT_FALSE(LoadQueueFile(w.queue, path));
        w.expectUnchanged();
        EXPECT_EQ(reset.count(), 0);
    }
}

TEST(QueueFile, DamagedFilesAreRefused)
{
    const QByteArray good = threeEntryFile();
    const auto patched = [&](int offset, QByteArray with) { return QByteArray(good).replace(offset, with.size(), with); };
    // Complete records with too many sub-items.
    const auto withSubItems = [](int count) {
        Bytes f;
        f.magic().u16(1).u16(count).i32(0).text("c");
        for (int i = 0; i < count; ++i)
            f.text("s");
        return f.b;
    };
    ASSERT_TRUE(DecodeQueueFile(withSubItems(64)));
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"lower-case first letter", patched(0, "b")},
        {"lower-case QUE", patched(11, "que")},
        {"byte 15 not 0", patched(14, "X")},
        {"byte 15 a blank", patched(14, " ")},
        {"magic cut short", QByteArray("Brambleway-QU\0\x03\x00", 16) + good.mid(17)},
        {"not a queue file", QByteArray(200, 'A')},
        {"count beyond the records", patched(15, QByteArray("\x04\x00", 2))},
        {"absurd sub-item count", patched(17, QByteArray("\x41\x00", 2))},
        {"65 sub-items, all present", withSubItems(65)},
        {"65,535 sub-items, all present", withSubItems(65535)},
        {"sub-item count 0xFFFF", patched(17, QByteArray("\xff\xff", 2))},
        {"caption length beyond the end", patched(23, QByteArray("\xff\xff", 2))},
        {"sub-item count too high for the texts", patched(17, QByteArray("\x06\x00", 2))},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(DecodeQueueFile(c.bytes));
        const QString path = dir.filePath("bad.TQU");
        setBytes(path, c.bytes);
        Witness w;
        QSignalSpy reset(&w.queue, &QAbstractItemModel::modelReset);
        EXPECT_FALSE(LoadQueueFile(w.queue, path));
        w.expectUnchanged();
        EXPECT_EQ(reset.count(), 0);
    }

    // Neither is a path without a file, nor a folder.
    for (const QString &path : {dir.filePath("missing.TQU"), dir.path(), QString()}) {
        Witness w;
        EXPECT_FALSE(LoadQueueFile(w.queue, path)) << path.toStdString();
        w.expectUnchanged();
    }
}

TEST(QueueFile, QueuesTheFormatCannotHoldAreNotSaved)
{
    const QList<QueueEntry> tooMany(65536, QueueEntry::make("a", "1 KB", "==>", "/"));
    const struct
    {
        const char *name;
        QList<QueueEntry> entries;
    } cases[] = {
        {"65,536 entries", tooMany},
        {"caption of 65,536 bytes", {entry(QByteArray(65536, 'c'), {"", "", "", ""})}},
        {"sub-item of 65,536 bytes", {threeEntries()[0], entry("c", {"", "", QByteArray(65536, '/'), ""})}},
        {"65 sub-items", {entry("c", QList<QByteArray>(65, "s"))}},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("old.TQU");
    const QByteArray old = threeEntryFile();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(EncodeQueueFile(c.entries));
        setBytes(path, old);
        TQueueModel q;
        q.append(c.entries);
        EXPECT_FALSE(SaveQueueFile(q, path));
        EXPECT_EQ(fileBytes(path), old);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"old.TQU"});
    }

    // The largest queue the format holds is written and read back.
    const QList<QueueEntry> most(65535, QueueEntry::make("a", "1 KB", "==>", "/"));
    TQueueModel q;
    q.append(most);
    ASSERT_TRUE(SaveQueueFile(q, path));
    const QByteArray bytes = fileBytes(path);
    EXPECT_EQ(bytes.mid(15, 2), QByteArray("\xff\xff", 2));
    TQueueModel loaded;
    ASSERT_TRUE(LoadQueueFile(loaded, path));
    EXPECT_EQ(loaded.count(), 65535);
    EXPECT_EQ(loaded.entry(65534), most.last());
}

TEST(QueueFile, SaveFailuresLeaveWhatWasThere)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plainFile = dir.filePath("plain");
    setBytes(plainFile, "not a folder");
    const QString folder = dir.filePath("folder.TQU");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.TQU"));
    setBytes(folder + "/inside", "kept");

    TQueueModel q;
    q.append(threeEntries());
    const QString paths[] = {dir.filePath("no/such/folder/q.TQU"), plainFile + "/q.TQU", folder, QString()};
    for (const QString &path : paths) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(SaveQueueFile(q, path));
    }
    EXPECT_EQ(fileBytes(plainFile), "not a folder");
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(fileBytes(folder + "/inside"), "kept");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              (QStringList{"folder.TQU", "plain"}));
}

TEST(QueueFile, SavingReplacesAnOlderFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("q.TQU");
    setBytes(path, QByteArray(5000, 'x'));
    TQueueModel q;
    q.append(threeEntries());
    ASSERT_TRUE(SaveQueueFile(q, path));
    EXPECT_EQ(fileBytes(path), threeEntryFile());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"q.TQU"});

    // An empty queue is a valid file too.
    TQueueModel none;
    ASSERT_TRUE(SaveQueueFile(none, path));
    EXPECT_EQ(fileBytes(path), Bytes().magic().u16(0).b);
}

} // namespace
