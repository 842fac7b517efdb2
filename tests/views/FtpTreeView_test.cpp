// The remote folder tree against the real pyftpdlib server.

#include "views/FtpTreeView.h"

#include "engine/EngineTestKit.h"
#include "support/PyFtpdServer.h"
#include "support/ScriptedFtpServer.h"

#include "../support/PrintQString.h"
#include "../support/LocalFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace views;
using enginetest::Recorder;
using testsupport::PyFtpdServer;
using testsupport::waitUntil;

namespace {

using testsupport::writeFile;

// A folder-list cache file holding these folders ("name" or "name>link").
QByteArray cacheText(std::initializer_list<const char *> folders)
{
    QByteArray text = QByteArray::number(qsizetype(folders.size())) + "\r\n";
    for (const char *folder : folders) {
        const QList<QByteArray> parts = QByteArray(folder).split('>');
        text += parts.at(0) + "\r\ndrwxr-xr-x\r\n2024-01-01 12:00\r\n4096\r\n" + parts.value(1) + "\r\nftp\r\nftp\r\n\r\n";
    }
    return text;
}

QStringList childTexts(QTreeWidgetItem *node)
{
    QStringList out;
    for (int i = 0; node && i < node->childCount(); ++i)
        out << node->child(i)->text(0);
    return out;
}

class TreeViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
        enginetest::SetUpForTest(ftp, server.port());
        ftp.SetUsername(QString::fromLatin1(PyFtpdServer::User));
        ftp.SetPassword(QString::fromLatin1(PyFtpdServer::Password));
        rec.attach(ftp);
        QDir(server.root()).mkpath(QStringLiteral("pub/in"));
        QDir(server.root()).mkpath(QStringLiteral("软件"));
        tree.SetClient(&ftp);
    }

    bool login()
    {
        const int before = rec.count(QStringLiteral("event LoggedIn"));
        ftp.Login();
        return waitUntil([&] { return rec.count(QStringLiteral("event LoggedIn")) > before; }, 10000);
    }
    bool changeDirectory(const QByteArray &dir)
    {
        const int before = rec.count(QStringLiteral("event DirectoryChanged"));
        ftp.ChangeDirectory(dir);
        return waitUntil([&] { return rec.count(QStringLiteral("event DirectoryChanged")) > before; }, 10000);
    }
    bool quit()
    {
        ftp.Quit();
        return waitUntil([&] { return !ftp.Connected() && !ftp.Busy(); }, 10000);
    }

    PyFtpdServer server;
    TMFtp ftp;
    Recorder rec;
    TMFtpTreeView tree;
};

TEST_F(TreeViewTest, FollowsChangeDirectoryAndNavigatesByAddress)
{
    ASSERT_TRUE(login()) << rec.dump().toStdString();
    QTreeWidgetItem *root = tree.RootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), QStringLiteral("ftp://127.0.0.1/"));
    EXPECT_EQ(tree.CurrentNode(), root);
    EXPECT_EQ(tree.currentItem(), root);

    ASSERT_TRUE(changeDirectory("pub/in"));
    QTreeWidgetItem *in = tree.CurrentNode();
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(tree.NodePath(in), QByteArray("ftp://127.0.0.1/pub/in/"));
    EXPECT_EQ(tree.currentItem(), in);
    QTreeWidgetItem *pub = in->parent();
    ASSERT_NE(pub, nullptr);
    EXPECT_EQ(pub->parent(), root);

    // Picking "pub" enters it; picking the root goes back to "/".
    tree.SetWebStyle(true);
    emit tree.itemClicked(pub, 0);
    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy() && ftp.CurrentDirectory() == "/pub"; }, 10000))
        << rec.dump().toStdString();
    EXPECT_EQ(tree.CurrentNode(), pub);
    emit tree.itemClicked(root, 0);
    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy() && ftp.CurrentDirectory() == "/"; }, 10000));
    EXPECT_EQ(tree.CurrentNode(), root);

    // A node whose name is UTF-8 on the wire: shown decoded, entered by its bytes.
    ASSERT_TRUE(changeDirectory(QStringLiteral("/软件").toUtf8()));
    QTreeWidgetItem *software = tree.CurrentNode();
    EXPECT_EQ(software->text(0), QStringLiteral("软件"));
    ASSERT_TRUE(changeDirectory("/pub/in"));
    tree.NavigateTo(software);
    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy() && ftp.CurrentDirectory() == QStringLiteral("/软件").toUtf8(); },
                          10000));
    EXPECT_EQ(tree.CurrentNode(), software);

    // Without web style a single click only selects.
    tree.SetWebStyle(false);
    emit tree.itemClicked(pub, 0);
    EXPECT_FALSE(ftp.Busy());
    EXPECT_EQ(ftp.CurrentDirectory(), QStringLiteral("/软件").toUtf8());
}

TEST_F(TreeViewTest, SameCredentialsReuseTheRootAnotherUserGetsASecondOne)
{
    ASSERT_TRUE(login());
    QTreeWidgetItem *first = tree.RootNode();
    ASSERT_TRUE(changeDirectory("pub"));
    ASSERT_TRUE(quit());
    ASSERT_TRUE(login());
    EXPECT_EQ(tree.RootNode(), first);
    EXPECT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(childTexts(first), QStringList({"pub"}));
    ASSERT_TRUE(quit());

    ftp.SetUsername(QStringLiteral("anonymous"));
    ftp.SetPassword(QStringLiteral("guest@example.org"));
    ASSERT_TRUE(login());
    EXPECT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_NE(tree.RootNode(), first);
    EXPECT_EQ(tree.RootNode()->text(0), first->text(0));
    EXPECT_EQ(tree.SiteInfo().Count(), 2);
    EXPECT_EQ(tree.SiteInfo().IndexOf(QStringLiteral("FTP://127.0.0.1:") + QString::number(server.port())), 1);

    tree.SiteInfo().ClearRoots();
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_EQ(tree.RootNode(), nullptr);
    EXPECT_EQ(tree.CurrentNode(), nullptr);
}

TEST_F(TreeViewTest, FirstLoginPreloadsCachedFoldersWithLinksAsLeaves)
{
    QTemporaryDir cache;
    writeFile(cache.filePath(QStringLiteral("root")), cacheText({"pub", "incoming", "bin>usr/bin"}));
    writeFile(cache.filePath(QStringLiteral("pub")), cacheText({"linux", "windows"}));
    tree.CacheFolderFile = [&](const QByteArray &dir) -> QString {
        if (dir == "/")
            return cache.filePath(QStringLiteral("root"));
        if (dir == "/pub")
            return cache.filePath(QStringLiteral("pub"));
        return cache.filePath(QStringLiteral("missing"));
    };
    ASSERT_TRUE(login());
    QTreeWidgetItem *root = tree.RootNode();
    EXPECT_EQ(childTexts(root), QStringList({"bin", "incoming", "pub"})); // sorted by text
    QTreeWidgetItem *bin = root->child(0);
    EXPECT_EQ(bin->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
    EXPECT_EQ(root->child(1)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator); // cache says empty
    EXPECT_EQ(childTexts(root->child(2)), QStringList({"linux", "windows"}));
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(tree.CurrentNode(), root);

    // Folder nodes can be renamed in place, the site root cannot.
    EXPECT_TRUE(bin->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(root->flags() & Qt::ItemIsEditable);
}

TEST(ReadCachedFolders, ShortMissingAndOverlongCountsGiveWhatIsThere)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c"));
    EXPECT_TRUE(ReadCachedFolders(path).isEmpty());
    writeFile(path, "1\r\npub\r\nx\r\n");
    EXPECT_TRUE(ReadCachedFolders(path).isEmpty());
    writeFile(path, cacheText({"a", "b>c"}).replace("2\r\n", "9\r\n"));
    const QList<TCachedFolder> folders = ReadCachedFolders(path);
    ASSERT_EQ(folders.size(), 2);
    EXPECT_EQ(folders.at(0).Name, QByteArray("a"));
    EXPECT_FALSE(folders.at(0).IsLink);
    EXPECT_TRUE(folders.at(1).IsLink);
    writeFile(path, "x\r\n" + cacheText({"a"}).mid(3));
    EXPECT_TRUE(ReadCachedFolders(path).isEmpty());
}

} // namespace

// An IPv6 site: its addresses carry the server in brackets, so handing one
// to the engine reaches the same server and folder.
TEST(TreeViewIpv6, AddressesBracketTheServerAndOpenBack)
{
    if (!testsupport::ScriptedFtpServer::ipv6LoopbackAvailable())
        GTEST_SKIP() << "no IPv6 loopback";
    PyFtpdServer server({QStringLiteral("--host"), QStringLiteral("::1")});
    ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
    QDir(server.root()).mkpath(QStringLiteral("pub/in"));
    TMFtp ftp;
    Recorder rec;
    TMFtpTreeView tree;
    enginetest::SetUpForTest(ftp, server.port());
    ftp.SetServer(QStringLiteral("::1"));
    ftp.SetUsername(QString::fromLatin1(PyFtpdServer::User));
    ftp.SetPassword(QString::fromLatin1(PyFtpdServer::Password));
    rec.attach(ftp);
    tree.SetClient(&ftp);
    tree.OpenURL = [&](const QByteArray &address) { ftp.OpenURL(address); };
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return rec.hasEvent("LoggedIn"); }, 10000)) << rec.dump().toStdString();
    QTreeWidgetItem *root = tree.RootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), QStringLiteral("ftp://[::1]/"));

    ftp.ChangeDirectory("pub/in");
    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy() && ftp.CurrentDirectory() == "/pub/in"; }, 10000));
    QTreeWidgetItem *in = tree.CurrentNode();
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(tree.NodePath(in), QByteArray("ftp://[::1]/pub/in/"));
    QTreeWidgetItem *pub = in->parent();
    ASSERT_NE(pub, nullptr);
    tree.NavigateTo(pub);
    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy() && ftp.CurrentDirectory() == "/pub"; }, 10000))
        << rec.dump().toStdString();
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.dump().toStdString();
}
