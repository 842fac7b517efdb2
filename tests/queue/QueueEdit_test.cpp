// Editing a queue entry: which local texts are taken for uploads and
// downloads, the size column that follows, the remote bytes kept or
// re-encoded, and the status cleared.

#include "queue/QueueEdit.h"

#include "platform/TextCodec.h"
#include "queue/QueueModel.h"

#include "../support/PrintQString.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace queue;

namespace {

class QueueEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub folder")));
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(QByteArray(1025, 'x')), 1025); // "2 KB"
    }

    QString folder() const { return dir.filePath(QStringLiteral("sub folder")); }
    QString file() const { return dir.filePath(QStringLiteral("data.bin")); }
    QString missing() const { return dir.filePath(QStringLiteral("gone")); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(QueueEditTest, LocalPathAndSizeFollowWhatTheTextNames)
{
    const QString oldLocal = QStringLiteral("/old/place");
    struct Case {
        const char *what;
        bool upload;
        QString oldSize;
        QString typed;
        QString local; // expected
        QString size;  // expected
    };
    const QString folderMark = FolderMarker();
    const Case cases[] = {
        {"upload, file becomes folder", true, "12 KB", folder(), folder(), folderMark},
        {"upload, folder becomes file", true, folderMark, file(), file(), "2 KB"},
        {"upload, missing path keeps both", true, "12 KB", missing(), oldLocal, "12 KB"},
        {"upload, empty text keeps both", true, folderMark, QString(), oldLocal, folderMark},
        {"download, folder taken, file size kept", false, "12 KB", folder(), folder(), "12 KB"},
        {"download, folder download stays one", false, folderMark, folder(), folder(), folderMark},
        {"download, a file is not a target folder", false, "12 KB", file(), oldLocal, "12 KB"},
        {"download, missing path keeps both", false, "12 KB", missing(), oldLocal, "12 KB"},
    };
    for (const Case &c : cases) {
        TQueueModel queue;
        queue.append(QueueEntry::make(QStringLiteral("/first"), QStringLiteral("1 KB"), UploadAction(), "/r/first"));
        queue.append(QueueEntry::make(oldLocal, c.oldSize, c.upload ? UploadAction() : DownloadAction(), "/pub/x",
                                      StatusFailed(true)));
        const QueueEntry first = queue.entry(0);
        ApplyQueueEdit(queue, 1, c.typed, QStringLiteral("/pub/x"));
        EXPECT_EQ(queue.text(1, LocalPathColumn), c.local) << c.what;
        EXPECT_EQ(queue.text(1, SizeColumn), c.size) << c.what;
        EXPECT_EQ(queue.entry(1).action(), c.upload ? UploadAction() : DownloadAction()) << c.what;
        EXPECT_EQ(queue.entry(1).remotePath(), QByteArray("/pub/x")) << c.what;
        EXPECT_EQ(queue.text(1, StatusColumn), QString()) << c.what;
        EXPECT_EQ(queue.entry(0), first) << c.what; // other rows untouched
    }
}

TEST_F(QueueEditTest, RemotePathKeepsOrReEncodesTheBytes)
{
    const QByteArray gbkName("/pub/\xB1\xA8\xB8\xE6.txt"); // 报告.txt in GBK
    const QByteArray utf8Name = QStringLiteral("/pub/报告.txt").toUtf8();
    const QByteArray badBytes("/pub/\xFF\xFE.txt"); // neither UTF-8 nor GBK text
    struct Case {
        const char *what;
        QByteArray before;
        QString typed;
        QByteArray after;
    };
    const Case cases[] = {
        {"GBK name untouched", gbkName, QStringLiteral("/pub/报告.txt"), gbkName},
        {"GBK name edited stays GBK", gbkName, QStringLiteral("/pub/新报告.txt"),
         platform::toGbk(QStringLiteral("/pub/新报告.txt"))},
        {"UTF-8 name untouched", utf8Name, QStringLiteral("/pub/报告.txt"), utf8Name},
        {"UTF-8 name edited stays UTF-8", utf8Name, QStringLiteral("/pub/新报告.txt"),
         QStringLiteral("/pub/新报告.txt").toUtf8()},
        {"undecodable bytes survive an untouched edit", badBytes, platform::decodeRemoteName(badBytes), badBytes},
        {"ASCII path edited to Chinese becomes UTF-8", "/pub/a.txt", QStringLiteral("/pub/文件.txt"),
         QStringLiteral("/pub/文件.txt").toUtf8()},
        {"typed without any check", "/pub/a.txt", QStringLiteral("no slash at all "), "no slash at all "},
        {"emptied", "/pub/a.txt", QString(), QByteArray()},
    };
    for (const Case &c : cases) {
        TQueueModel queue;
        queue.append(QueueEntry::make(file(), QStringLiteral("2 KB"), DownloadAction(), c.before, StatusCancelled()));
        ApplyQueueEdit(queue, 0, missing(), c.typed);
        EXPECT_EQ(queue.entry(0).remotePath(), c.after) << c.what;
        EXPECT_EQ(queue.text(0, LocalPathColumn), file()) << c.what;
        EXPECT_EQ(queue.text(0, StatusColumn), QString()) << c.what;
    }
}

TEST_F(QueueEditTest, RowOutsideTheQueueChangesNothing)
{
    TQueueModel queue;
    queue.append(QueueEntry::make(file(), QStringLiteral("2 KB"), UploadAction(), "/pub/a", StatusFailed(true)));
    const QList<QueueEntry> before = queue.entries();
    ApplyQueueEdit(queue, 1, folder(), QStringLiteral("/x"));
    ApplyQueueEdit(queue, -1, folder(), QStringLiteral("/x"));
    EXPECT_EQ(queue.entries(), before);
}
