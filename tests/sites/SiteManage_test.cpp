#include "sites/Seal.h"
#include "sites/SiteManage.h"
#include "sites/SiteTreeView.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include "../support/PrintQString.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace sites;

namespace {

class SiteManager : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("ftp.dat"));
    QList<QString> boxes;
    bool answer = true;

    void SetUp() override
    {
        ui::SetUseSimplified(true);
        ui::SetMessageBoxHook([this](ui::MessageKind, const QString &text) {
            boxes.append(text);
            return answer;
        });
    }
    void TearDown() override { ui::SetMessageBoxHook({}); }

    QLineEdit *edit(TSiteForm &f, const char *name) { return qobject_cast<QLineEdit *>(f.control(QLatin1String(name))); }

    // Types into a field as a user does (textEdited is emitted).
    void type(TSiteForm &f, const char *name, const QString &text)
    {
        QLineEdit *e = edit(f, name);
        e->selectAll();
        e->del();
        e->insert(text);
    }

    // Root / G{ s1, s2 } / E{} / top
    void buildBook()
    {
        TSiteForm f(path);
        TSiteNode *root = f.tree()->firstNode();
        TSiteNode *g = f.AddSiteEntry(root, true, QStringLiteral("G"));
        f.AddSiteEntry(g, false, QStringLiteral("s2"));
        f.AddSiteEntry(g, false, QStringLiteral("s1"));
        f.AddSiteEntry(root, true, QStringLiteral("E"));
        f.AddSiteEntry(root, false, QStringLiteral("top"));
        f.treeView()->closePersistentEditor(f.treeView()->currentIndex());
        f.reject();
    }

    TSiteNode *find(TSiteForm &f, const QString &text)
    {
        for (TSiteNode *n : f.tree()->nodes())
            if (n->text == text)
                return n;
        return nullptr;
    }
};

} // namespace

TEST_F(SiteManager, WithoutABookStartsWithTheRootGroup)
{
    TSiteForm f(path);
    ASSERT_EQ(f.tree()->nodeCount(), 1);
    TSiteNode *root = f.tree()->firstNode();
    EXPECT_EQ(root->text, QStringLiteral("站点管理"));
    ASSERT_TRUE(root->record);
    EXPECT_EQ(root->record->Name, QStringLiteral("SiteID0"));
    EXPECT_EQ(f.selectedNode(), root);
    EXPECT_FALSE(f.action("mmiDeleteSite")->isEnabled());
    EXPECT_FALSE(f.action("mmiRenameSite")->isEnabled());
    EXPECT_FALSE(f.tree()->flags(f.tree()->indexOf(root)) & Qt::ItemIsEditable);
    EXPECT_FALSE(f.tree()->flags(f.tree()->indexOf(root)) & Qt::ItemIsDragEnabled);
    EXPECT_FALSE(QFile::exists(path));
    f.reject();
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(SiteManager, NewEntriesLandWhereTheSelectionSays)
{
    buildBook();
    TSiteForm f(path);
    TSiteNode *g = find(f, QStringLiteral("G"));
    ASSERT_TRUE(g);
    ASSERT_EQ(g->childCount(), 2);
    EXPECT_EQ(g->child(0)->text, QStringLiteral("s1"));

    // A site added while a site of G is selected goes into G, sorted, in edit mode.
    TSiteNode *added = f.AddSiteEntry(g->child(1), false, QStringLiteral("s0"));
    EXPECT_EQ(added->parent(), g);
    EXPECT_EQ(g->child(0), added);
    EXPECT_EQ(added->record->Port, QStringLiteral("21"));
    EXPECT_EQ(f.selectedNode(), added);
    EXPECT_TRUE(f.treeView()->viewport()->findChild<QLineEdit *>()); // the name is being edited
    f.treeView()->closePersistentEditor(f.treeView()->currentIndex());

    // A group added while an empty group is selected goes next to it.
    TSiteNode *e = find(f, QStringLiteral("E"));
    TSiteNode *group = f.AddSiteEntry(e, true, QStringLiteral("F"));
    EXPECT_EQ(group->parent(), e->parent());
    EXPECT_EQ(group->imageIndex, siGroupCollapsed);
    EXPECT_TRUE(group->record->Port.isEmpty());
    // Records are named after the nodes' positions again.
    const auto nodes = f.tree()->nodes();
    for (size_t i = 0; i < nodes.size(); ++i)
        EXPECT_EQ(nodes[i]->record->Name, QStringLiteral("SiteID%1").arg(i));
}

TEST_F(SiteManager, FieldsGoStraightIntoTheRecord)
{
    TSiteForm f(path);
    TSiteNode *site = f.AddSiteEntry(f.tree()->firstNode(), false, QStringLiteral("demo"));
    f.treeView()->closePersistentEditor(f.treeView()->currentIndex());
    EXPECT_FALSE(f.button("ConnectSite")->isEnabled());
    type(f, "SiteServerName", QStringLiteral("127.0.0.1"));
    type(f, "SiteUserName", QStringLiteral("用户"));
    EXPECT_FALSE(f.button("ConnectSite")->isEnabled()); // no password yet
    type(f, "SitePassword", QStringLiteral("secret"));
    EXPECT_TRUE(f.button("ConnectSite")->isEnabled());
    type(f, "SitePort", QStringLiteral("123456"));
    EXPECT_EQ(edit(f, "SitePort")->text(), QStringLiteral("21"));
    type(f, "SitePort", QStringLiteral("2121"));
    type(f, "RemotePath", QStringLiteral("/pub"));
    qobject_cast<QPlainTextEdit *>(f.control("SiteMemo"))->setPlainText(QStringLiteral("备注"));

    const TSiteInfo &r = *site->record;
    EXPECT_EQ(r.ServerName, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(r.Port, QStringLiteral("2121"));
    EXPECT_EQ(r.RemotePath, QStringLiteral("/pub"));
    EXPECT_EQ(r.Memo, QStringLiteral("备注"));
    EXPECT_EQ(r.Password.size(), 40);
    EXPECT_EQ(UnsealOrEmpty(r.Password, SiteBookKey()), QStringLiteral("secret"));
    EXPECT_EQ(UnsealOrEmpty(r.UserName, SiteBookKey()), QStringLiteral("用户"));
    // Clearing a credential stores an empty field, not a sealed empty text.
    type(f, "SiteUserName", QString());
    EXPECT_TRUE(r.UserName.isEmpty());
    f.reject();

    TSiteForm again(path);
    TSiteNode *back = find(again, QStringLiteral("demo"));
    ASSERT_TRUE(back);
    again.selectNode(back);
    EXPECT_EQ(edit(again, "SitePassword")->text(), QStringLiteral("secret"));
    EXPECT_EQ(edit(again, "SitePort")->text(), QStringLiteral("2121"));
    EXPECT_EQ(again.siteGroupBox()->title(), QStringLiteral(" 【demo 站点信息】 "));
}

TEST_F(SiteManager, ForeignSealedFieldShowsEmptyAndIsKept)
{
    TSiteForm f(path);
    TSiteNode *site = f.AddSiteEntry(f.tree()->firstNode(), false, QStringLiteral("s"));
    site->record->ServerName = QStringLiteral("h");
    site->record->Password = SealString(QStringLiteral("pw"), QStringLiteral("ANOTHERMACHINE"));
    site->record->UserName = QStringLiteral("ZZ-not-hex");
    const TSiteInfo before = *site->record;
    f.selectNode(f.tree()->firstNode());
    f.selectNode(site);
    EXPECT_TRUE(edit(f, "SitePassword")->text().isEmpty());
    EXPECT_TRUE(edit(f, "SiteUserName")->text().isEmpty());
    EXPECT_EQ(*site->record, before);
}

TEST_F(SiteManager, DeletingAskesAndKeepsOtherRecords)
{
    buildBook();
    TSiteForm f(path);
    TSiteNode *g = find(f, QStringLiteral("G"));
    f.selectNode(g->child(0));
    answer = false;
    f.DeleteSiteEntry();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0], QStringLiteral("   您是否确定要删除“s1”站点信息？"));
    EXPECT_EQ(g->childCount(), 2);
    answer = true;
    f.DeleteSiteEntry();
    EXPECT_EQ(g->childCount(), 1);
    EXPECT_TRUE(g->child(0)->record);
    f.selectNode(g);
    f.DeleteSiteEntry();
    EXPECT_EQ(boxes.last(), QStringLiteral("   您是否确定要删除“G”文件夹的所有站点？"));
    EXPECT_FALSE(find(f, QStringLiteral("s2")));
    f.reject();
    TSiteForm again(path);
    EXPECT_EQ(again.tree()->nodeCount(), 3);
    for (TSiteNode *n : again.tree()->nodes())
        EXPECT_TRUE(n->record);

    // The root cannot be deleted.
    again.selectNode(again.tree()->firstNode());
    boxes.clear();
    again.DeleteSiteEntry();
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(again.tree()->nodeCount(), 3);
}

TEST_F(SiteManager, ConnectMenuAndButtonFollowTheirRules)
{
    TSiteForm f(path);
    TSiteNode *site = f.AddSiteEntry(f.tree()->firstNode(), false, QStringLiteral("named"));
    f.treeView()->closePersistentEditor(f.treeView()->currentIndex());
    site->record->ServerName = QStringLiteral("127.0.0.1");
    site->record->UserName = SealString(QStringLiteral("demo"), SiteBookKey());
    site->record->Port = QStringLiteral("2121");
    f.selectNode(f.tree()->firstNode());
    EXPECT_FALSE(f.action("mmiConnectSite")->isEnabled());
    EXPECT_FALSE(f.infoPanel()->isVisibleTo(&f));
    EXPECT_EQ(f.siteGroupBox()->title(), QStringLiteral(" 【站点管理】 "));
    f.selectNode(site);
    EXPECT_TRUE(f.infoPanel()->isVisibleTo(&f));
    EXPECT_FALSE(f.button("ConnectSite")->isEnabled()); // password empty
    EXPECT_TRUE(f.action("mmiConnectSite")->isEnabled());

    QList<ConnectRequest> spy;
    QObject::connect(&f, &TSiteForm::connectRequested, [&](const ConnectRequest &r) { spy.append(r); });
    QTimer::singleShot(0, &f, [&] {
        const QModelIndex i = f.tree()->indexOf(site);
        emit f.treeView()->doubleClicked(i);
    });
    EXPECT_EQ(f.OpenFromMenu(), QDialog::Accepted);
    ASSERT_EQ(spy.size(), 1);
    const ConnectRequest request = spy[0];
    EXPECT_EQ(request.server, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(request.userName, QStringLiteral("demo"));
    EXPECT_TRUE(request.password.isEmpty());
    EXPECT_EQ(request.port, 2121);
    EXPECT_FALSE(request.anonymous);
    EXPECT_TRUE(QFile::exists(path)); // closing saved the book

    // Anonymous with a server is enough for the button; Cancel emits nothing.
    f.selectNode(site);
    qobject_cast<QCheckBox *>(f.control("AnonymityLogon"))->setChecked(true);
    EXPECT_TRUE(f.button("ConnectSite")->isEnabled());
    QTimer::singleShot(0, &f, [&] { f.button("CloseSiteManage")->click(); });
    EXPECT_EQ(f.OpenFromMenu(), QDialog::Rejected);
    EXPECT_EQ(spy.size(), 1);
}

// 70000 once connected to port 4464: a port above the last one is refused
// with a message, and the window stays open for the correction.
TEST_F(SiteManager, PortAboveTheLastOneIsRefused)
{
    TSiteForm f(path);
    f.AddSiteEntry(f.tree()->firstNode(), false, QStringLiteral("named"));
    f.treeView()->closePersistentEditor(f.treeView()->currentIndex());
    type(f, "SiteServerName", QStringLiteral("127.0.0.1"));
    qobject_cast<QCheckBox *>(f.control("AnonymityLogon"))->setChecked(true);
    QList<ConnectRequest> spy;
    QObject::connect(&f, &TSiteForm::connectRequested, [&](const ConnectRequest &r) { spy.append(r); });

    type(f, "SitePort", QStringLiteral("70000"));
    ASSERT_EQ(edit(f, "SitePort")->text(), QStringLiteral("70000"));
    QTimer::singleShot(0, &f, [&] {
        f.button("ConnectSite")->click();
        f.button("CloseSiteManage")->click();
    });
    EXPECT_EQ(f.OpenFromMenu(), QDialog::Rejected);
    EXPECT_TRUE(spy.isEmpty());
    EXPECT_EQ(boxes, QList<QString> {QStringLiteral("   端口号不能大于 65535，请改正后再连接。")});

    type(f, "SitePort", QStringLiteral("65535"));
    QTimer::singleShot(0, &f, [&] { f.button("ConnectSite")->click(); });
    EXPECT_EQ(f.OpenFromMenu(), QDialog::Accepted);
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0].port, 65535);
    EXPECT_EQ(boxes.size(), 1);
}

TEST_F(SiteManager, DropOntoASiteMovesIntoItsGroup)
{
    buildBook();
    TSiteForm f(path);
    f.resize(TSiteForm::ClientWidth, TSiteForm::ClientHeight);
    f.show();
    QTreeView *view = f.treeView();
    view->expandAll();
    QCoreApplication::processEvents();
    TSiteNode *g = find(f, QStringLiteral("G"));
    TSiteNode *top = find(f, QStringLiteral("top"));
    TSiteNode *s1 = find(f, QStringLiteral("s1"));
    f.selectNode(top);
    const QRect onText = view->visualRect(f.tree()->indexOf(s1));
    EXPECT_TRUE(f.MoveSiteEntry(onText.topLeft() + QPoint(22, onText.height() / 2)));
    EXPECT_EQ(top->parent(), g);
    EXPECT_EQ(g->lastChild(), top);

    // On the indent left of an item: inserted before it.
    TSiteNode *e = find(f, QStringLiteral("E"));
    const QRect eRect = view->visualRect(f.tree()->indexOf(e));
    f.selectNode(top);
    EXPECT_TRUE(f.MoveSiteEntry(QPoint(eRect.left() - 3, eRect.center().y())));
    EXPECT_EQ(top->parent(), e->parent());
    EXPECT_EQ(top->row() + 1, e->row());

    // A group cannot go into its own subtree; the root cannot be dragged.
    f.selectNode(g);
    const QRect own = view->visualRect(f.tree()->indexOf(g->child(0)));
    EXPECT_FALSE(f.MoveSiteEntry(own.topLeft() + QPoint(22, own.height() / 2)));
    f.selectNode(f.tree()->firstNode());
    EXPECT_FALSE(f.MoveSiteEntry(eRect.topLeft() + QPoint(22, eRect.height() / 2)));
    f.reject();
}

TEST_F(SiteManager, DamagedBookIsReportedKeptAndNotOverwritten)
{
    {
        QFile bad(path);
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write("\xFF\x0A\x00TBSSKINSTROTETREEVIEW\x00\x30\x10\x40\x00\x00\x00TPF0\x15Tbs", 38);
    }
    TSiteForm f(path);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("Stream read error")));
    ASSERT_FALSE(f.loadResult().keptAs.isEmpty());
    EXPECT_TRUE(boxes[0].contains(f.loadResult().keptAs));
    EXPECT_EQ(QFileInfo(f.loadResult().keptAs).size(), 38);
    // The user can go on: a root group is there, and a save starts a new book.
    EXPECT_EQ(f.tree()->nodeCount(), 1);
    f.reject();
    TSiteTree back;
    EXPECT_EQ(LoadSiteBook(back, path).status, SiteBookLoad::Loaded);
    EXPECT_EQ(QFileInfo(f.loadResult().keptAs).size(), 38);
}

TEST_F(SiteManager, TextsInBothLanguages)
{
    TSiteForm f(path);
    f.SetTexts();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("站点管理"));
    EXPECT_EQ(f.button("CloseSiteManage")->text(), QStringLiteral("关  闭"));
    EXPECT_EQ(f.action("mmiNewGroup")->text(), QStringLiteral("新建分组     "));
    EXPECT_EQ(f.control("SiteServerName")->toolTip(), QStringLiteral("登陆到FTP服务器的网络地址或IP"));
    ui::SetUseSimplified(false);
    f.SetTexts();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("站點管理"));
    EXPECT_EQ(f.button("CloseSiteManage")->text(), QStringLiteral("關  閉"));
    EXPECT_EQ(f.action("mmiNewGroup")->text(), QStringLiteral("新建分組"));
    EXPECT_EQ(f.control("SitePortLabel")->property("text").toString(), QStringLiteral("端口"));
    EXPECT_EQ(f.siteGroupBox()->title(), QStringLiteral(" 【站點管理】 "));
    ui::SetUseSimplified(true);
}
