#include "queue/TransferProgress.h"

#include "../support/PrintQString.h"
#include "listing/FileInfo.h"

#include <gtest/gtest.h>

using namespace queue;

namespace {

constexpr qint64 GiB = qint64(1) << 30;

TransferSample download(qint64 bytes, const QString &localFile = QStringLiteral("/home/u/pub/file.bin"))
{
    TransferSample s;
    s.operation = opDownload;
    s.bytesTransferred = bytes;
    s.localFile = localFile;
    return s;
}

TransferSample upload(qint64 bytes, const QString &localFile = QStringLiteral("/home/u/up/report.txt"))
{
    TransferSample s;
    s.operation = opUpload;
    s.bytesTransferred = bytes;
    s.localFile = localFile;
    return s;
}

} // namespace

// 1,048,576 bytes; 524,288 moved in 4 s while the gauge still holds 524,288.
TEST(TransferProgress, HalfwayDownloadShowsSpeedAndRemainingTime)
{
    TTransferProgress p;
    p.ShowTransferStart(QStringLiteral("1048576"), download(0), 10'000);
    p.Tick(download(524'288), 12'000);
    ASSERT_EQ(p.view().gaugeValue, 524'288);

    p.Tick(download(524'288), 14'000);
    const ProgressView &v = p.view();
    EXPECT_TRUE(v.transferring);
    EXPECT_EQ(v.statusText, QStringLiteral("已用：0:00:04 剩余：0:00:04"));
    EXPECT_EQ(v.speedText, QStringLiteral("524288(128.00 KB/秒)"));
    EXPECT_EQ(v.gaugeMaximum, 1'048'576);
    EXPECT_EQ(v.gaugeValue, 524'288);
    EXPECT_EQ(v.permille(), 500);
    EXPECT_EQ(v.gaugeText, QStringLiteral("↓file.bin "));
}

// The remaining time is measured from the gauge value of the previous tick,
// not from the bytes of this one.
TEST(TransferProgress, RemainingTimeUsesPreviousTicksGaugeValue)
{
    TTransferProgress p;
    p.ShowTransferStart(QStringLiteral("1048576"), download(0), 0);
    p.Tick(download(262'144), 1'000); // 256 KB/s, 1 MiB left from gauge 0
    EXPECT_EQ(p.view().statusText, QStringLiteral("已用：0:00:01 剩余：0:00:04"));
    p.Tick(download(524'288), 4'000); // 128 KB/s, 768 KiB left from gauge 262,144
    EXPECT_EQ(p.view().statusText, QStringLiteral("已用：0:00:04 剩余：0:00:06"));
}

TEST(TransferProgress, ResumedDownloadCountsOnlyThisSessionsBytes)
{
    TTransferProgress p;
    TransferSample s = download(1'000'000);
    s.resumePosition = 1'000'000;
    p.ShowTransferStart(QStringLiteral("0"), s, 0);
    p.ShowTransferStart(QStringLiteral("3000000"), s, 50);

    s.bytesTransferred = 1'000'000 + 204'800; // 200 KiB in 2 s
    p.Tick(s, 2'000);
    EXPECT_EQ(p.view().speedText, QStringLiteral("1204800(100.00 KB/秒)"));
    // 3,000,000 bytes left from gauge 0 at 100 KB/s: 29.3 s.
    EXPECT_EQ(p.view().statusText, QStringLiteral("已用：0:00:02 剩余：0:00:29"));

    s.bytesTransferred = 1'000'000 + 409'600;
    p.Tick(s, 4'000);
    EXPECT_EQ(p.view().speedText, QStringLiteral("1409600(100.00 KB/秒)"));
    // 1,795,200 bytes left at 100 KB/s: 17.5 s.
    EXPECT_EQ(p.view().statusText, QStringLiteral("已用：0:00:04 剩余：0:00:17"));
    EXPECT_EQ(p.view().gaugeValue, 1'409'600);
}

TEST(TransferProgress, GaugeMaximumFromTotalAndListing)
{
    struct Case
    {
        const char *name;
        TMFtpOperation operation;
        QString total;
        std::optional<qint64> listingSize;
        qint64 maximum;
    };
    const Case cases[] = {
        {"download, listing wins over zero", opDownload, "0", 5000, 5000},
        {"download, listing wins over server", opDownload, "4000", 5000, 5000},
        {"download, listing of size zero wins", opDownload, "4000", 0, 0},
        {"download, no listing entry", opDownload, "4000", std::nullopt, 4000},
        {"upload ignores the listing", opUpload, "4000", 5000, 4000},
        {"not a number", opUpload, "abc", std::nullopt, 0},
        {"not a number, listing wins", opDownload, "12ab", 7, 7},
        {"negative", opUpload, "-5", std::nullopt, 0},
        {"empty", opUpload, "", std::nullopt, 0},
        {"beyond 32 bits", opUpload, "5368709120", std::nullopt, 5 * GiB},
        {"listing beyond 32 bits", opDownload, "0", 5 * GiB, 5 * GiB},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TransferSample s;
        s.operation = c.operation;
        s.listingSize = c.listingSize;
        TTransferProgress p;
        p.ShowTransferStart(c.total, s, 0);
        EXPECT_EQ(p.view().gaugeMaximum, c.maximum);
        EXPECT_EQ(p.view().showsPercentage(), c.maximum > 0);
    }
}

TEST(TransferProgress, ListingFileSizeFindsTheRemoteFile)
{
    TMFtpFileInfoList files;
    files.Add("readme.txt", "-rw-r--r--", "", "1234", "", "ftp", "ftp", "");
    files.Add("Big.ISO", "-rw-r--r--", "", "5368709120", "", "ftp", "ftp", "");
    files.Add("DATA.LOG", "", "", "9/18", "", "", "", "");
    files.Add("twice", "", "", "1", "", "", "", "");
    files.Add("twice", "", "", "2", "", "", "", "");
    files.Add("blank", "", "", "", "", "", "", "");

    struct Case
    {
        const char *name;
        std::optional<qint64> size;
    };
    const Case cases[] = {
        {"readme.txt", 1234},
        {"big.iso", 5 * GiB}, // names compare ignoring case
        {"data.log", std::nullopt},
        {"twice", 1},
        {"blank", std::nullopt},
        {"missing.txt", std::nullopt},
        {"readme", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ListingFileSize(files, c.name), c.size);
    }
    EXPECT_EQ(ListingFileSize(TMFtpFileInfoList(), "readme.txt"), std::nullopt);
}

TEST(TransferProgress, TransferEndingBeforeFirstTickNeverShowsTimeText)
{
    TTransferProgress p;
    p.ShowTransferStart(QStringLiteral("0"), download(0), 0);
    p.ShowTransferStart(QStringLiteral("100"), download(0), 10);
    EXPECT_FALSE(p.view().transferring);
    EXPECT_TRUE(p.view().statusText.isEmpty());

    p.ShowTransferEnd(true);
    EXPECT_FALSE(p.timerActive());
    EXPECT_FALSE(p.view().transferring);
    EXPECT_EQ(p.view().statusText, QStringLiteral("正在传送..."));

    // A tick already queued when the timer stopped changes nothing.
    p.Tick(download(100), 250);
    EXPECT_FALSE(p.view().transferring);
    EXPECT_EQ(p.view().statusText, QStringLiteral("正在传送..."));
    EXPECT_TRUE(p.view().speedText.isEmpty());

    p.Finish();
    EXPECT_FALSE(p.view().transferring);
    EXPECT_EQ(p.view().statusText, QStringLiteral("完成"));
}

TEST(TransferProgress, EndAndFinishRestoreTheRestingLayout)
{
    for (bool simplified : {true, false}) {
        SCOPED_TRACE(simplified ? "Simplified" : "Traditional");
        TTransferProgress p;
        p.ShowTransferStart(QStringLiteral("1000"), download(0), 0);
        p.Tick(download(500), 1'000);
        ASSERT_TRUE(p.view().transferring);

        p.ShowTransferEnd(simplified);
        EXPECT_FALSE(p.view().transferring);
        EXPECT_FALSE(p.timerActive());
        EXPECT_EQ(p.view().statusText,
                  simplified ? QStringLiteral("正在传送...") : QStringLiteral("正在傳送..."));

        p.Finish();
        EXPECT_FALSE(p.view().transferring);
        EXPECT_EQ(p.view().statusText, QStringLiteral("完成"));
    }
}

TEST(TransferProgress, PermilleIsATrueFraction)
{
    struct Case
    {
        qint64 maximum;
        qint64 value;
        int permille;
    };
    const Case cases[] = {
        {5 * GiB, 0, 0},
        {5 * GiB, 4 * GiB, 800},
        {5 * GiB, 5 * GiB / 2, 500},
        {5 * GiB, 5 * GiB - 1, 999},
        {5 * GiB, 5 * GiB, 1000},
        {5 * GiB, 6 * GiB, 1000},
        {1000, 1, 1},
        {1000, 999, 999},
        {3, 1, 333},
        {0, 100, 0},
        {-10, 5, 0},
        {4'000'000'000'000'000'000LL, 2'000'000'000'000'000'000LL, 500},
        {9'000'000'000'000'000'000LL, 8'999'999'999'999'999'999LL, 999},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " of " << c.maximum);
        ProgressView v;
        v.gaugeMaximum = c.maximum;
        v.gaugeValue = c.value;
        EXPECT_EQ(v.permille(), c.permille);
    }
}

TEST(TransferProgress, FiveGibibyteUpload)
{
    TTransferProgress p;
    p.ShowTransferStart(QString::number(5 * GiB), upload(0), 0);
    p.ShowTransferProgress(0);
    p.Tick(upload(4 * GiB), 1'024'000); // 1024 s
    const ProgressView &v = p.view();
    EXPECT_EQ(v.gaugeMaximum, 5 * GiB);
    EXPECT_EQ(v.gaugeValue, 4 * GiB);
    EXPECT_EQ(v.permille(), 800);
    EXPECT_EQ(v.speedText, QStringLiteral("4294967296(4096.00 KB/秒)"));
    // 5 GiB left from gauge 0 at 4 MiB/s: 1280 s.
    EXPECT_EQ(v.statusText, QStringLiteral("已用：0:17:04 剩余：0:21:20"));
}

TEST(TransferProgress, SpeedTextFormat)
{
    struct Case
    {
        qint64 bytes;
        qint64 elapsedMs;
        QString text;
    };
    const Case cases[] = {
        {251'384, 6'718, "251384(36.54 KB/秒)"},
        {1'024, 1'000, "1024(1.00 KB/秒)"},
        {1, 250, "1(0.00 KB/秒)"},
        {3'072, 1'000, "3072(3.00 KB/秒)"},
        {1'536'000, 2'000, "1536000(750.00 KB/秒)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        TTransferProgress p;
        p.ShowTransferStart(QStringLiteral("10000000"), download(0), 1'000);
        p.Tick(download(c.bytes), 1'000 + c.elapsedMs);
        EXPECT_EQ(p.view().speedText, c.text);
    }
}

TEST(TransferProgress, TimesBeyondADayKeepCountingHours)
{
    TTransferProgress p;
    const qint64 elapsed = (27 * 3600 + 3 * 60 + 9) * qint64(1000);
    // 1 KB/s, 100,000 KiB left from gauge 0: 27:46:40.
    p.ShowTransferStart(QString::number(qint64(100'000) * 1024), download(0), 0);
    p.Tick(download(elapsed / 1000 * 1024), elapsed);
    EXPECT_EQ(p.view().statusText, QStringLiteral("已用：27:03:09 剩余：27:46:40"));
}

TEST(TransferProgress, BytesBeyondTheMaximumShowNoNegativeTime)
{
    TTransferProgress p;
    p.ShowTransferStart(QStringLiteral("n/a"), upload(0), 0);
    p.ShowTransferProgress(0);
    p.Tick(upload(2048), 1'000);
    p.Tick(upload(4096), 2'000); // gauge 2048 above maximum 0
    EXPECT_EQ(p.view().statusText, QStringLiteral("已用：0:00:02 剩余：0:00:00"));
    EXPECT_FALSE(p.view().showsPercentage());
    EXPECT_EQ(p.view().permille(), 0);
}

TEST(TransferProgress, NothingMovedYetShowsNothing)
{
    TTransferProgress p;
    p.ShowTransferStart(QStringLiteral("1000"), download(0), 500);
    p.Tick(download(0), 500);   // no time has passed
    p.Tick(download(0), 750);   // no bytes yet
    EXPECT_FALSE(p.view().transferring);
    EXPECT_TRUE(p.view().statusText.isEmpty());
    EXPECT_TRUE(p.view().speedText.isEmpty());
    EXPECT_EQ(p.view().gaugeValue, 0);
}

TEST(TransferProgress, TimerSwitching)
{
    // A download starts the clock at the first size announcement; the second
    // one does not restart it.
    TTransferProgress d;
    EXPECT_FALSE(d.timerActive());
    d.ShowTransferStart(QStringLiteral("0"), download(0), 1'000);
    EXPECT_TRUE(d.timerActive());
    d.ShowTransferStart(QStringLiteral("4096"), download(0), 3'000);
    d.Tick(download(1024), 5'000);
    EXPECT_EQ(d.view().statusText.left(10), QStringLiteral("已用：0:00:04"));
    d.ShowTransferEnd(true);
    EXPECT_FALSE(d.timerActive());

    // An upload's size announcement leaves the clock off; the first data
    // starts it, later data does not restart it.
    TTransferProgress u;
    u.ShowTransferStart(QStringLiteral("4096"), upload(0), 1'000);
    EXPECT_FALSE(u.timerActive());
    u.Tick(upload(0), 1'250);
    EXPECT_FALSE(u.view().transferring);
    u.ShowTransferProgress(2'000);
    EXPECT_TRUE(u.timerActive());
    u.ShowTransferProgress(4'000);
    u.Tick(upload(1024), 6'000);
    EXPECT_EQ(u.view().statusText.left(10), QStringLiteral("已用：0:00:04"));
    // The last progress report of an upload comes before its end.
    u.ShowTransferProgress(6'100);
    u.ShowTransferEnd(true);
    EXPECT_FALSE(u.timerActive());

    // The next file starts a fresh clock.
    u.ShowTransferStart(QStringLiteral("4096"), upload(0), 10'000);
    u.ShowTransferProgress(10'000);
    u.Tick(upload(1024), 11'000);
    EXPECT_EQ(u.view().statusText.left(10), QStringLiteral("已用：0:00:01"));

    u.Finish();
    EXPECT_FALSE(u.timerActive());
}

TEST(TransferProgress, NextFileStartsFromAnEmptyGauge)
{
    TTransferProgress p;
    p.ShowTransferStart(QStringLiteral("2048"), download(0), 0);
    p.Tick(download(2048), 1'000);
    p.ShowTransferEnd(true);

    p.ShowTransferStart(QStringLiteral("4096"), download(0), 2'000);
    EXPECT_EQ(p.view().gaugeValue, 0);
    EXPECT_EQ(p.view().gaugeMaximum, 4096);
    p.Tick(download(0), 2'000); // no speed of the last file carried over
    EXPECT_EQ(p.view().statusText, QStringLiteral("正在传送..."));
    p.Tick(download(1024), 3'000); // 1 KB/s, 4 KiB left from gauge 0
    EXPECT_EQ(p.view().statusText, QStringLiteral("已用：0:00:01 剩余：0:00:04"));
}

TEST(TransferProgress, GaugeTextNamesTheLocalFile)
{
    TTransferProgress p;
    p.ShowTransferStart(QStringLiteral("100000"), download(0), 0);
    p.Tick(download(10, QStringLiteral("/home/u/下载/报告 2024.tar.gz")), 1'000);
    EXPECT_EQ(p.view().gaugeText, QStringLiteral("↓报告 2024.tar.gz "));

    p.Tick(upload(20, QStringLiteral("/tmp/x/up.bin")), 2'000);
    EXPECT_EQ(p.view().gaugeText, QStringLiteral("↑up.bin "));

    // Neither direction: the text stays, the rest follows.
    TransferSample other;
    other.operation = opList;
    other.bytesTransferred = 30;
    other.localFile = QStringLiteral("/tmp/other");
    p.Tick(other, 3'000);
    EXPECT_EQ(p.view().gaugeText, QStringLiteral("↑up.bin "));
    EXPECT_EQ(p.view().gaugeValue, 30);
}

TEST(TransferProgress, ShortLocalNameIsTheLastPathComponent)
{
    const std::pair<QString, QString> cases[] = {
        {"/home/u/file.bin", "file.bin"},
        {"/a very long name.with.many.dots", "a very long name.with.many.dots"},
        {"relative/dir/name", "name"},
        {"plain", "plain"},
        {"", ""},
        {"/", ""},
    };
    for (const auto &[path, name] : cases) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(ShortLocalName(path), name);
    }
}
