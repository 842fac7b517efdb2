#include "views/FtpListView.h"

#include "../support/PrintQString.h"
#include "platform/TextCodec.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace views;

namespace {

struct Entry
{
    const char *name;
    const char *size = "0";
    const char *date = "";
    const char *attributes = "-rw-r--r--";
    const char *owner = "ftp";
    const char *group = "ftp";
    const char *link = "";
};

TMFtpFileInfoList makeList(std::initializer_list<Entry> entries)
{
    TMFtpFileInfoList list;
    for (const Entry &e : entries)
        list.Add(e.name, e.attributes, e.date, e.size, e.link, e.owner, e.group, "");
    return list;
}

QString cell(const TMFtpListView &view, int row, int column)
{
    return view.listModel()->index(row, column).data().toString();
}

QStringList names(const TMFtpListView &view)
{
    QStringList out;
    for (int row = 0; row < view.ItemCount(); ++row)
        out << cell(view, row, ffName);
    return out;
}

class ListViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.SetLanguage(China);
        view.resize(700, 400);
    }
    // Two folders and four files, listed out of order.
    void loadSample()
    {
        view.LoadLists(makeList({{"pub", "4096", "2020-03-01 12:00", "drwxr-xr-x", "root", "wheel"},
                                 {"incoming", "512", "2021-01-05 12:00", "drwxrwxrwx", "ftp", "ftp"}}),
                       makeList({{"zeta.zip", "5368709120", "2019-02-03 12:00", "-rw-r--r--", "bob", "users"},
                                 {"alpha.txt", "1025", "2022-12-24 09:30", "-rw-------", "alice", "staff"},
                                 {"movie.mkv", "10737418240", "2018-06-30 12:00", "-rwxr-xr-x", "carol", "media"},
                                 {"Beta.TXT", "999", "2020-07-07 23:59", "-r--r--r--", "dave", "admin"}}));
    }

    TMFtpListView view;
};

TEST_F(ListViewTest, FoldersComeFirstSortedByNameThenFilesWithTheDefaultColumns)
{
    loadSample();
    EXPECT_EQ(names(view), QStringList({"incoming", "pub", "alpha.txt", "Beta.TXT", "movie.mkv", "zeta.zip"}));
    EXPECT_TRUE(view.IsFolderItem(0));
    EXPECT_TRUE(view.IsFolderItem(1));
    EXPECT_FALSE(view.IsFolderItem(2));

    // Name, size, type and date shown; attributes, description, owner, group not.
    QTreeView *report = view.reportView();
    for (int c = ffName; c <= ffModified; ++c)
        EXPECT_FALSE(report->isColumnHidden(c)) << c;
    for (int c = ffAttributes; c <= ffGroup; ++c)
        EXPECT_TRUE(report->isColumnHidden(c)) << c;
    EXPECT_EQ(view.listModel()->headerData(ffModified, Qt::Horizontal).toString(), QStringLiteral("修改时间"));

    // A folder: no size, the folder type; a file: kilobytes and its type.
    EXPECT_EQ(cell(view, 0, ffSize), QString());
    EXPECT_EQ(cell(view, 0, ffType), QStringLiteral("文件夹"));
    EXPECT_EQ(cell(view, 0, ffModified), QStringLiteral("2021-01-05 12:00"));
    EXPECT_EQ(cell(view, 2, ffSize), QStringLiteral("2 KB"));
    EXPECT_EQ(cell(view, 2, ffType), QStringLiteral("TXT 文件"));
    EXPECT_EQ(cell(view, 5, ffSize), QStringLiteral("5,242,880 KB"));
    EXPECT_EQ(cell(view, 2, ffAttributes), QStringLiteral("-rw-------"));
    EXPECT_EQ(cell(view, 2, ffOwner), QStringLiteral("alice"));
    EXPECT_EQ(cell(view, 2, ffGroup), QStringLiteral("staff"));
    EXPECT_EQ(view.listModel()->index(2, ffSize).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);
}

TEST_F(ListViewTest, EveryColumnSortsBothWaysWithFoldersAlwaysFirst)
{
    loadSample();
    const struct {
        TMFtpSortBase key;
        QStringList folders;
        QStringList files;
    } cases[] = {
        {stName, {"incoming", "pub"}, {"alpha.txt", "Beta.TXT", "movie.mkv", "zeta.zip"}},
        // 999 B < 1025 B < 5 GiB < 10 GiB: sizes beyond 32 bits keep their order.
        {stSize, {"incoming", "pub"}, {"Beta.TXT", "alpha.txt", "zeta.zip", "movie.mkv"}},
        {stDateTime, {"pub", "incoming"}, {"movie.mkv", "zeta.zip", "Beta.TXT", "alpha.txt"}},
        {stAttrib, {"pub", "incoming"}, {"Beta.TXT", "alpha.txt", "zeta.zip", "movie.mkv"}},
        {stOwner, {"incoming", "pub"}, {"alpha.txt", "zeta.zip", "movie.mkv", "Beta.TXT"}},
        {stGroup, {"incoming", "pub"}, {"Beta.TXT", "movie.mkv", "alpha.txt", "zeta.zip"}},
    };
    for (const auto &c : cases) {
        for (bool ascending : {true, false}) {
            view.SortBy(c.key, ascending);
            QStringList folders = c.folders, files = c.files;
            if (!ascending) {
                std::reverse(folders.begin(), folders.end());
                std::reverse(files.begin(), files.end());
            }
            EXPECT_EQ(names(view), folders + files) << "key " << c.key << (ascending ? " up" : " down");
            EXPECT_EQ(view.reportView()->header()->sortIndicatorSection(), int(c.key));
        }
    }
    // By type: MKV, TXT, TXT, ZIP; the two TXT files in either order.
    view.SortBy(stFileType, true);
    QStringList byType = names(view);
    EXPECT_EQ(byType.mid(0, 2), QStringList({"incoming", "pub"})); // folders by name
    EXPECT_EQ(byType.at(2), QStringLiteral("movie.mkv"));
    EXPECT_EQ(byType.at(5), QStringLiteral("zeta.zip"));
    view.SortBy(stFileType, false);
    EXPECT_EQ(names(view).mid(0, 3), QStringList({"pub", "incoming", "zeta.zip"}));
    EXPECT_EQ(names(view).at(5), QStringLiteral("movie.mkv"));
    EXPECT_TRUE(view.IsFolderItem(0) && view.IsFolderItem(1));
}

TEST_F(ListViewTest, ClickingTheSortedColumnTogglesAnotherStartsAscending)
{
    loadSample();
    view.ColumnClick(ffName);
    EXPECT_EQ(view.SortType(), stName);
    EXPECT_FALSE(view.Ascending());
    EXPECT_EQ(names(view).at(2), QStringLiteral("zeta.zip"));
    view.ColumnClick(ffName);
    EXPECT_TRUE(view.Ascending());
    view.ColumnClick(ffSize);
    EXPECT_EQ(view.SortType(), stSize);
    EXPECT_TRUE(view.Ascending());
    EXPECT_EQ(names(view).at(2), QStringLiteral("Beta.TXT"));

    // The header's own click goes the same way (through the model's sort).
    QHeaderView *header = view.reportView()->header();
    header->setSortIndicator(ffSize, Qt::DescendingOrder);
    EXPECT_EQ(view.SortType(), stSize);
    EXPECT_FALSE(view.Ascending());
    EXPECT_EQ(names(view).at(2), QStringLiteral("movie.mkv"));
}

TEST_F(ListViewTest, FilterKeepsFoldersAndTakesFilesPatternByPattern)
{
    view.SetFilter({QStringLiteral("*.txt"), QStringLiteral("*.zip")});
    view.SortBy(stNone, true);
    view.LoadLists(makeList({{"dir.zip"}}), makeList({{"a.zip"}, {"b.txt"}, {"c.txt"}, {"d.doc"}, {"e.TXT"}}));
    EXPECT_EQ(names(view), QStringList({"dir.zip", "b.txt", "c.txt", "a.zip"}));
    view.SortBy(stName, true);
    EXPECT_EQ(names(view), QStringList({"dir.zip", "a.zip", "b.txt", "c.txt"}));

    // A name that two patterns match is taken once.
    view.SetFilter({QStringLiteral("*.txt"), QStringLiteral("b*")});
    view.RefreshList();
    EXPECT_EQ(names(view), QStringList({"dir.zip", "b.txt", "c.txt"}));
    view.SetFilter({QStringLiteral("*.TXT")});
    view.RefreshList();
    EXPECT_EQ(names(view), QStringList({"dir.zip", "e.TXT"}));
}

TEST_F(ListViewTest, TypingSelectsTheFirstMatchingItemAndWraps)
{
    loadSample();
    QTreeView *report = view.reportView();
    report->setCurrentIndex(view.listModel()->index(0, 0));
    report->keyboardSearch(QStringLiteral("ZE"));
    EXPECT_EQ(report->currentIndex().row(), 5);
    EXPECT_TRUE(report->selectionModel()->isRowSelected(5, {}));

    const TMFtpListModel *model = view.listModel();
    EXPECT_EQ(model->FindItem(QStringLiteral("be"), 0, false), 3);
    EXPECT_EQ(model->FindItem(QStringLiteral("IN"), 2, true), 0);  // wrapped
    EXPECT_EQ(model->FindItem(QStringLiteral("IN"), 2, false), -1); // no wrap
    EXPECT_EQ(model->FindItem(QStringLiteral("nothing"), 3, true), -1);
}

TEST_F(ListViewTest, Utf8AndGbkNamesAreShownDecodedAndHandedBackAsTheServersBytes)
{
    const QByteArray gbkName = platform::toGbk(QStringLiteral("年度报告.txt"));
    const QByteArray utf8Name = QStringLiteral("软件").toUtf8();
    const QByteArray gbkFolder = platform::toGbk(QStringLiteral("上传"));
    TMFtpFileInfoList folders, files;
    folders.Add(gbkFolder, "drwxr-xr-x", "", "0", "", "", "", "");
    folders.Add(utf8Name, "drwxr-xr-x", "", "0", "", "", "", "");
    files.Add(gbkName, "-rw-r--r--", "", "10", "", platform::toGbk(QStringLiteral("张三")), "", "");
    view.LoadLists(folders, files);

    QStringList shown = names(view);
    EXPECT_TRUE(shown.contains(QStringLiteral("上传")));
    EXPECT_TRUE(shown.contains(QStringLiteral("软件")));
    EXPECT_EQ(shown.at(2), QStringLiteral("年度报告.txt"));
    EXPECT_EQ(cell(view, 2, ffOwner), QStringLiteral("张三"));
    EXPECT_EQ(view.listModel()->index(2, 0).data(TMFtpListModel::RemoteNameRole).toByteArray(), gbkName);

    view.reportView()->selectAll();
    QList<QByteArray> selectedFolders = view.SelectedFolders();
    std::sort(selectedFolders.begin(), selectedFolders.end());
    QList<QByteArray> expected {gbkFolder, utf8Name};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(selectedFolders, expected);
    EXPECT_EQ(view.SelectedFiles(), QList<QByteArray>({gbkName}));

    // Typing Chinese finds the decoded name.
    EXPECT_EQ(view.listModel()->FindItem(QStringLiteral("年度"), 0, true), 2);
}

TEST_F(ListViewTest, LanguageSwitchRebuildsCaptionsAndTypeNames)
{
    loadSample();
    auto caption = [&](int c) { return view.listModel()->headerData(c, Qt::Horizontal).toString(); };
    EXPECT_EQ(caption(ffName), QStringLiteral("名称"));
    view.SetLanguage(ChinaGB);
    EXPECT_EQ(caption(ffName), QStringLiteral("名稱"));
    EXPECT_EQ(caption(ffGroup), QStringLiteral("組"));
    EXPECT_EQ(cell(view, 0, ffType), QStringLiteral("文件夾"));
    view.SetLanguage(English);
    EXPECT_EQ(caption(ffModified), QStringLiteral("Modify Date"));
    EXPECT_EQ(cell(view, 2, ffType), QStringLiteral("TXT File"));

    // A column width the user set survives a rebuild.
    view.reportView()->header()->resizeSection(ffType, 201);
    view.SetLanguage(China);
    EXPECT_EQ(view.reportView()->header()->sectionSize(ffType), 201);
    EXPECT_EQ(TMFtpListView::ColumnInfo(ffType).Width, 201);
}

TEST_F(ListViewTest, NameColumnStaysFirstButHiddenWhenOnlySizeIsAsked)
{
    loadSample();
    view.SetViewColumns(FtpFileInfoSet({ffSize}));
    QTreeView *report = view.reportView();
    EXPECT_TRUE(report->isColumnHidden(ffName));
    EXPECT_FALSE(report->isColumnHidden(ffSize));
    EXPECT_TRUE(report->isColumnHidden(ffType));
    EXPECT_EQ(report->header()->logicalIndex(0), int(ffName));
    view.SetViewColumns(FtpFileInfoSet({ffAll}));
    for (int c = 0; c < FtpColumnCount; ++c)
        EXPECT_FALSE(report->isColumnHidden(c)) << c;
    view.SetViewColumns(TMFtpListView::DefaultViewColumns);
}

TEST_F(ListViewTest, AHundredThousandEntriesLoadAndSortEveryWay)
{
    TMFtpFileInfoList folders, files;
    for (int i = 0; i < 1000; ++i)
        folders.Add(QByteArray("dir") + QByteArray::number(i * 7919 % 1000), "drwxr-xr-x", "Jan  1 2020", "4096", "",
                    "ftp", "ftp", "");
    for (int i = 0; i < 99000; ++i) {
        const int k = int((quint64(i) * 2654435761u) % 99000);
        files.Add(QByteArray("file") + QByteArray::number(k) + (k % 3 ? ".txt" : ".zip"), "-rw-r--r--",
                  QByteArray("Mar ") + QByteArray::number(1 + k % 28) + " 2021", QByteArray::number(quint64(k) << 24),
                  "", "ftp", "ftp", "");
    }
    view.LoadLists(folders, files);
    ASSERT_EQ(view.ItemCount(), 100000);
    EXPECT_EQ(cell(view, 0, ffName), QStringLiteral("dir0"));
    EXPECT_EQ(cell(view, 1000, ffName), QStringLiteral("file0.zip"));
    view.show();
    view.SortBy(stSize, false);
    EXPECT_EQ(cell(view, 1000, ffName), QStringLiteral("file98999.txt"));
    EXPECT_TRUE(view.IsFolderItem(999));
    EXPECT_FALSE(view.IsFolderItem(1000));
    view.SortBy(stDateTime, true);
    view.SortBy(stFileType, true);
    EXPECT_TRUE(cell(view, 1000, ffName).endsWith(QLatin1String(".txt")));
    EXPECT_EQ(view.listModel()->FindItem(QStringLiteral("FILE98998"), 0, true) >= 1000, true);
    view.setViewStyle(ui::vsIcon);
    view.setViewStyle(ui::vsReport);
}

} // namespace

TEST(ListViewClient, SubscribesToListingsOfItsEngineAndLeavesTheSlotWhenGone)
{
    TMFtp ftp;
    const TNotifyEvent other = [](QObject *) {};
    {
        TMFtpListView view;
        view.LoadLists(makeList({{"pub"}}), makeList({{"a.txt"}}));
        view.SetClient(&ftp);
        EXPECT_EQ(view.Client(), &ftp);
        EXPECT_EQ(ftp.AddNotifyListener(notifyListingDone, other), 2); // slot 1 is the view's
        ftp.RemoveNotifyListener(notifyListingDone, 2);
        // The engine has listed nothing yet: the loaded lists stay until it has.
        EXPECT_EQ(view.ItemCount(), 2);
        view.SetClient(nullptr);
        EXPECT_EQ(view.ItemCount(), 0);
        EXPECT_EQ(ftp.AddNotifyListener(notifyListingDone, other), 1);
        ftp.RemoveNotifyListener(notifyListingDone, 1);
        view.SetClient(&ftp);
    }
    EXPECT_EQ(ftp.AddNotifyListener(notifyListingDone, other), 1);
}

namespace {

// The site's character set decides how names are shown: GBK even for valid
// UTF-8, UTF-8 even for GBK bytes, automatic by the bytes; the bytes handed
// back never change.
TEST(ListViewClient, NamesAreShownInTheEnginesCharacterSet)
{
    const QString text = QStringLiteral("中文");
    const QByteArray utf8 = text.toUtf8();
    const QByteArray gbk = platform::toGbk(text);
    const struct {
        TMFtpNameCharset charset;
        bool utf8Shown;
        bool gbkShown;
    } cases[] = {
        {TMFtpNameCharset::Auto, true, true},
        {TMFtpNameCharset::Utf8, true, false},
        {TMFtpNameCharset::Gbk, false, true},
    };
    for (const auto &c : cases) {
        TMFtp engine;
        engine.SetNameCharset(c.charset);
        TMFtpListView view;
        view.SetClient(&engine);
        TMFtpFileInfoList folders, files;
        folders.Add(utf8, "drwxr-xr-x", "", "0", "", "", "", "");
        files.Add(gbk, "-rw-r--r--", "", "10", "", "", "", "");
        view.LoadLists(folders, files);
        EXPECT_EQ(cell(view, 0, ffName) == text, c.utf8Shown) << int(c.charset);
        EXPECT_EQ(cell(view, 1, ffName) == text, c.gbkShown) << int(c.charset);
        EXPECT_EQ(view.listModel()->index(0, 0).data(TMFtpListModel::RemoteNameRole).toByteArray(), utf8);
        EXPECT_EQ(view.listModel()->index(1, 0).data(TMFtpListModel::RemoteNameRole).toByteArray(), gbk);
    }
}

} // namespace
