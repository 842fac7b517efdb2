// The remote list's name column in wide and narrow views, and reading the
// engine's folder-list cache under a path that is not UTF-8.

#include "views/FtpListView.h"
#include "views/FtpTreeView.h"

#include "platform/TextCodec.h"

#include <QApplication>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

#include <cstdio>

using namespace views;

namespace {

TMFtpFileInfoList files(std::initializer_list<const char *> names)
{
    TMFtpFileInfoList list;
    for (const char *name : names)
        list.Add(name, "-rw-r--r--", "2024-01-01 12:00", "100", "", "ftp", "ftp", "");
    return list;
}

int othersWidth(QTreeView *report)
{
    int others = 0;
    for (int c = ffSize; c < FtpColumnCount; ++c)
        if (!report->isColumnHidden(c))
            others += report->header()->sectionSize(c);
    return others;
}

TEST(RemoteListNameColumn, FillsTheFreeWidthButNeverGoesBelowItsOwnWidth)
{
    TMFtpListView view;
    view.SetLanguage(China);
    view.LoadLists(TMFtpFileInfoList(), files({"a.txt", "b.txt"}));
    view.resize(1000, 300);
    view.show();
    QApplication::processEvents();
    QTreeView *report = view.reportView();
    QHeaderView *header = report->header();
    const int own = TMFtpListView::ColumnInfo(ffName).Width;
    EXPECT_EQ(header->sectionSize(ffName), report->viewport()->width() - othersWidth(report));

    // Another column made wider takes its pixels from the name column.
    const int before = header->sectionSize(ffName);
    header->resizeSection(ffType, header->sectionSize(ffType) + 60);
    EXPECT_EQ(header->sectionSize(ffName), before - 60);

    // Narrow: the name column keeps its own width, the list scrolls.
    view.resize(300, 300);
    QApplication::processEvents();
    EXPECT_EQ(header->sectionSize(ffName), own);

    // The user's width for it counts from then on, also across rebuilds.
    header->resizeSection(ffName, 400);
    EXPECT_EQ(TMFtpListView::ColumnInfo(ffName).Width, 400);
    view.SetLanguage(ChinaGB);
    EXPECT_EQ(header->sectionSize(ffName), 400);
    view.resize(1400, 300);
    QApplication::processEvents();
    EXPECT_EQ(header->sectionSize(ffName), report->viewport()->width() - othersWidth(report));
    view.resize(300, 300);
    QApplication::processEvents();
    EXPECT_EQ(header->sectionSize(ffName), 400);
    header->resizeSection(ffName, own);
}

TEST(ReadCachedFoldersAt, ReadsAFileWhoseNameHoldsTheServersGbkBytes)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.path()) + "/127.0.0.1[21]-" + platform::toGbk(QStringLiteral("软件"))
                            + ".cached";
    ASSERT_FALSE(platform::isValidUtf8(path));
    std::FILE *f = std::fopen(path.constData(), "wb");
    ASSERT_NE(f, nullptr);
    const QByteArray text = "2\r\nlinux\r\ndrwxr-xr-x\r\n2024-01-01 12:00\r\n4096\r\n\r\nftp\r\nftp\r\n\r\n"
                            "bin\r\nlrwxrwxrwx\r\n2024-01-01 12:00\r\n7\r\nusr/bin\r\nftp\r\nftp\r\n\r\n";
    std::fwrite(text.constData(), 1, size_t(text.size()), f);
    std::fclose(f);

    const QList<TCachedFolder> folders = ReadCachedFoldersAt(path);
    ASSERT_EQ(folders.size(), 2);
    EXPECT_EQ(folders.at(0).Name, QByteArray("linux"));
    EXPECT_FALSE(folders.at(0).IsLink);
    EXPECT_EQ(folders.at(1).Name, QByteArray("bin"));
    EXPECT_TRUE(folders.at(1).IsLink);

    for (const QByteArray &bad : {QByteArray(), path + "-missing", QByteArray("/tmp/a\0b", 8)})
        EXPECT_TRUE(ReadCachedFoldersAt(bad).isEmpty());
}

} // namespace
