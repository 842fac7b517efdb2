// The window's views and layout as a user meets them: one sort state for
// the remote list's header, its sort menu and Config.ini; folders typed into
// the remote folder box; the remote folder chooser's tree over a session;
// how the panes and tool bars share a small or a large window; the welcome
// text after a language switch.

#include "engine/TMFtp.h"
#include "mainwindow/Main.h"
#include "mainwindow/MainCaptions.h"
#include "mainwindow/RemoteDirForm.h"
#include "mainwindow/Startup.h"
#include "platform/ProfileFile.h"
#include "sites/ConnectRequest.h"
#include "ui/FileListView.h"
#include "ui/MessageBoxes.h"
#include "views/FtpListView.h"
#include "views/FtpMsg.h"
#include "views/FtpTreeView.h"

#include "../support/EventLoopWait.h"
#include "../support/PrintQString.h"
#include "../support/PyFtpdServer.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWidgetAction>

#include <gtest/gtest.h>

#include <memory>

using namespace mainwindow;
using testsupport::PyFtpdServer;
using testsupport::drainEvents;
using testsupport::waitUntil;

namespace {

TMFtpFileInfoList makeList(std::initializer_list<std::pair<const char *, const char *>> entries, bool folders)
{
    TMFtpFileInfoList list;
    for (const auto &[name, size] : entries)
        list.Add(name, folders ? "drwxr-xr-x" : "-rw-r--r--", "2024-01-01 12:00", size, "", "ftp", "ftp", "");
    return list;
}

QStringList shownNames(TMainForm &main)
{
    QStringList out;
    views::TMFtpListModel *model = main.remoteModel();
    for (int row = 0; row < model->rowCount(); ++row)
        out << model->index(row, views::ffName).data().toString();
    return out;
}

class WindowFixes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("BRAMBLEWAY_HOME", home.path().toLocal8Bit());
        ui::SetMessageBoxHook([](ui::MessageKind, const QString &) { return true; });
    }
    void TearDown() override
    {
        ui::SetMessageBoxHook({});
        qunsetenv("BRAMBLEWAY_HOME");
    }

    QString configFile() const { return home.filePath(QStringLiteral("Config.ini")); }

    std::unique_ptr<TMainForm> open(ProgramWindows *windows = nullptr, QSize screen = QSize(1600, 900))
    {
        ProgramWindows w = CreateProgramWindows({configFile(), screen});
        if (windows)
            *windows = w;
        std::unique_ptr<TMainForm> main(w.mainForm);
        main->MFtp1()->SetRetries(0);
        main->MFtp1()->SetRetryInterval(0);
        main->MFtp1()->SetPassive(true);
        return main;
    }

    // Shown, then set to a plain window of this size with the local pane as
    // wide as the show step makes it on a screen of that size (the test
    // screen is smaller).
    static void showAt(TMainForm &main, QSize size, int localWidth = 448)
    {
        main.show();
        drainEvents();
        main.setWindowState(Qt::WindowNoState);
        main.resize(size);
        drainEvents();
        auto *splitter = main.findChild<QSplitter *>(QStringLiteral("MainSplitter"));
        const QList<int> sizes = splitter->sizes();
        splitter->setSizes({localWidth, sizes.value(0) + sizes.value(1) - localWidth});
        drainEvents();
    }

    static void connectTo(TMainForm &main, quint16 port)
    {
        sites::ConnectRequest request;
        request.server = QStringLiteral("127.0.0.1");
        request.port = port;
        request.userName = QString::fromLatin1(PyFtpdServer::User);
        request.password = QString::fromLatin1(PyFtpdServer::Password);
        main.ConnectToSite(request);
        ASSERT_TRUE(waitUntil([&] { return main.MFtp1()->LoggedIn() && !main.MFtp1()->Busy(); }, 10000));
    }

    static void loadSample(TMainForm &main)
    {
        main.remoteList()->LoadLists(makeList({{"pub", "4096"}, {"incoming", "512"}}, true),
                                     makeList({{"b.txt", "300"}, {"a.zip", "5000"}, {"c.iso", "90000"}}, false));
    }

    // The sort menu's checked items.
    static QStringList sortChecks(TMainForm &main)
    {
        QStringList out;
        for (const char *name : {"RemoteFileSortName", "RemoteFileSortSize", "RemoteFileSortType", "RemoteFileSortDate",
                                 "RemoteFileSortUp", "RemoteFileSortDown"})
            if (main.action(QLatin1String(name))->isChecked())
                out << QLatin1String(name);
        return out;
    }

    static void clickHeader(TMainForm &main, int column)
    {
        QHeaderView *header = main.remoteList()->reportView()->header();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    QTemporaryDir home;
};

TEST_F(WindowFixes, HeaderSortMenuAndConfigShareOneSortState)
{
    {
        auto main = open();
        showAt(*main, QSize(1200, 800));
        loadSample(*main);
        EXPECT_EQ(sortChecks(*main), QStringList({"RemoteFileSortName", "RemoteFileSortUp"}));

        clickHeader(*main, views::ffSize);
        EXPECT_EQ(main->remoteList()->SortType(), views::stSize);
        EXPECT_EQ(sortChecks(*main), QStringList({"RemoteFileSortSize", "RemoteFileSortUp"}));
        EXPECT_EQ(shownNames(*main), QStringList({"incoming", "pub", "b.txt", "a.zip", "c.iso"}));

        // "降序" after the header click: the same key, the other direction.
        main->action(QStringLiteral("RemoteFileSortDown"))->trigger();
        EXPECT_EQ(main->remoteList()->SortType(), views::stSize);
        EXPECT_FALSE(main->remoteList()->Ascending());
        EXPECT_EQ(shownNames(*main), QStringList({"pub", "incoming", "c.iso", "a.zip", "b.txt"}));
        QHeaderView *header = main->remoteList()->reportView()->header();
        EXPECT_EQ(header->sortIndicatorSection(), int(views::ffSize));
        EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
        EXPECT_EQ(sortChecks(*main), QStringList({"RemoteFileSortSize", "RemoteFileSortDown"}));

        // A key from the menu keeps the direction; the header shows it.
        main->action(QStringLiteral("RemoteFileSortName"))->trigger();
        EXPECT_EQ(shownNames(*main), QStringList({"pub", "incoming", "c.iso", "b.txt", "a.zip"}));
        EXPECT_EQ(header->sortIndicatorSection(), int(views::ffName));
        EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
        // Choosing the checked item again leaves it checked.
        main->action(QStringLiteral("RemoteFileSortName"))->trigger();
        EXPECT_EQ(sortChecks(*main), QStringList({"RemoteFileSortName", "RemoteFileSortDown"}));

        // A column the menu has no item for: no key item is checked.
        clickHeader(*main, views::ffModified);
        EXPECT_EQ(sortChecks(*main), QStringList({"RemoteFileSortDate", "RemoteFileSortUp"}));
        clickHeader(*main, views::ffAttributes);
        EXPECT_EQ(main->remoteList()->SortType(), views::stAttrib);
        EXPECT_EQ(sortChecks(*main), QStringList({"RemoteFileSortUp"}));
        clickHeader(*main, views::ffSize);
        clickHeader(*main, views::ffSize);
        main->close();
    }
    platform::ProfileFile ini(configFile());
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Load"), QStringLiteral("RemoteSortType"), -1), int(views::stSize));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Load"), QStringLiteral("RemoteSortAscending"), -1), 0);

    // The next start sorts as the last run left it, and the menu says so.
    auto again = open();
    loadSample(*again);
    EXPECT_EQ(again->remoteList()->SortType(), views::stSize);
    EXPECT_FALSE(again->remoteList()->Ascending());
    EXPECT_EQ(shownNames(*again), QStringList({"pub", "incoming", "c.iso", "a.zip", "b.txt"}));
    EXPECT_EQ(sortChecks(*again), QStringList({"RemoteFileSortSize", "RemoteFileSortDown"}));
}

TEST_F(WindowFixes, StoredSortOutsideTheKnownKeysFallsBackToName)
{
    for (const char *stored : {"99", "-3", "size"}) {
        platform::ProfileFile(configFile()).WriteString(QStringLiteral("Load"), QStringLiteral("RemoteSortType"),
                                                        QLatin1String(stored));
        auto main = open();
        EXPECT_EQ(main->remoteList()->SortType(), views::stName) << stored;
        EXPECT_EQ(sortChecks(*main), QStringList({"RemoteFileSortName", "RemoteFileSortUp"})) << stored;
    }
}

TEST_F(WindowFixes, TypedRemoteFolderIsEnteredWithEnterAndARefusedOneShowsTheError)
{
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
    QDir(server.root()).mkpath(QStringLiteral("pub/软件"));
    auto main = open();
    main->show();
    connectTo(*main, server.port());
    QLineEdit *edit = main->remoteFolderBox()->lineEdit();
    views::TMFtpMessenger *log = main->messenger();
    auto linesFrom = [&](int first) {
        QStringList out;
        for (int i = first; i < log->count(); ++i)
            out << log->LineText(i);
        return out;
    };

    int mark = log->count();
    edit->setText(QStringLiteral("/pub/软件"));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return !main->MFtp1()->Busy(); }));
    EXPECT_EQ(main->MFtp1()->CurrentDirectory(), QStringLiteral("/pub/软件").toUtf8());
    EXPECT_EQ(main->remoteFolderBox()->currentText(), QStringLiteral("/pub/软件"));
    // One change of folder (the command is logged in words).
    EXPECT_EQ(linesFrom(mark).filter(QStringLiteral("【命令】进入")).size(), 1)
        << linesFrom(mark).join(QLatin1Char(10)).toStdString();

    mark = log->count();
    edit->setText(QStringLiteral("/nonexistent"));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return !main->MFtp1()->Busy(); }));
    EXPECT_EQ(main->MFtp1()->CurrentDirectory(), QStringLiteral("/pub/软件").toUtf8());
    EXPECT_EQ(main->remoteFolderBox()->currentText(), QStringLiteral("/pub/软件"));
    const QStringList lines = linesFrom(mark);
    EXPECT_EQ(lines.filter(QStringLiteral("【命令】进入 /nonexistent")).size(), 1) << lines.join(QLatin1Char(10)).toStdString();
    EXPECT_FALSE(lines.filter(QStringLiteral("【错误】")).isEmpty()) << lines.join(QLatin1Char(10)).toStdString();

    // Blank text, or the folder the session is in, sends nothing: the first
    // command after them is the one for the folder typed next.
    mark = log->count();
    for (const QString &text : {QStringLiteral("   "), QStringLiteral("/pub/软件"), QStringLiteral("/pub")}) {
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    ASSERT_TRUE(waitUntil([&] { return !main->MFtp1()->Busy() && main->MFtp1()->CurrentDirectory() == "/pub"; }));
    const QStringList commands = linesFrom(mark).filter(QStringLiteral("【命令】"));
    ASSERT_FALSE(commands.isEmpty());
    EXPECT_TRUE(commands.first().startsWith(QStringLiteral("【命令】进入 /pub "))) << commands.join(QLatin1Char(10)).toStdString();
    EXPECT_EQ(commands.filter(QStringLiteral("【命令】进入")).size(), 1) << commands.join(QLatin1Char(10)).toStdString();
}

TEST_F(WindowFixes, FolderChooserTreeIsPreloadedFromTheCacheAndForgottenWhenTheSessionEnds)
{
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
    QDir(server.root()).mkpath(QStringLiteral("pub/in"));
    QDir(server.root()).mkpath(QStringLiteral("软件"));
    ProgramWindows w;
    auto main = open(&w);
    views::TMFtpTreeView *tree = w.remoteDirForm->tree();
    main->show();
    connectTo(*main, server.port());
    TMFtp *ftp = main->MFtp1();
    ftp->ChangeDirectory("/pub");
    ftp->WaitUntilIdle();
    ftp->ChangeDirectory("/");
    ftp->WaitUntilIdle();
    // Listed again from the server: the tree rebuilds "/" and takes the
    // folders below it from the listing cache the session has written.
    main->RefreshRemoteList(true);
    QTreeWidgetItem *root = tree->RootNode();
    ASSERT_NE(root, nullptr);
    QTreeWidgetItem *pub = nullptr;
    for (int i = 0; i < root->childCount(); ++i)
        if (root->child(i)->text(0) == QStringLiteral("pub"))
            pub = root->child(i);
    ASSERT_NE(pub, nullptr);
    QStringList below;
    for (int i = 0; i < pub->childCount(); ++i)
        below << pub->child(i)->text(0);
    EXPECT_EQ(below, QStringList({"in"}));

    main->DisConnect();
    // The window has seen the session end once its caption lost the server.
    ASSERT_TRUE(waitUntil([&] { return main->windowTitle() == applicationTitle(); }, 10000));
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_EQ(tree->RootNode(), nullptr);
    EXPECT_EQ(tree->CurrentNode(), nullptr);
    EXPECT_EQ(tree->SiteInfo().Count(), 0);

    // The next session starts a fresh root.
    connectTo(*main, server.port());
    EXPECT_EQ(tree->topLevelItemCount(), 1);
    ASSERT_NE(tree->RootNode(), nullptr);
    EXPECT_EQ(tree->RootNode()->text(0), QStringLiteral("ftp://127.0.0.1/"));
}

TEST_F(WindowFixes, SmallWindowNarrowsTheLocalPaneAndKeepsTheRemoteListUsable)
{
    // Log and queue panels saved large on this screen.
    platform::ProfileFile ini(configFile());
    ini.WriteString(QStringLiteral("Load"), QStringLiteral("Screen"), QStringLiteral("1600900"));
    ini.WriteInteger(QStringLiteral("Load"), QStringLiteral("MessagePanelHeight"), 330);
    ini.WriteInteger(QStringLiteral("Load"), QStringLiteral("QueuePanelHeight"), 300);
    auto main = open();
    loadSample(*main);
    // The user made the local pane wide in the large window.
    showAt(*main, QSize(1590, 860), 700);
    ASSERT_EQ(main->localPanelWidth(), 700);
    main->resize(TMainForm::MinimumWidth, TMainForm::MinimumHeight);
    drainEvents();
    ASSERT_EQ(main->width(), TMainForm::MinimumWidth);

    // The local pane gives way before the remote pane gets too narrow.
    auto *remotePane = main->findChild<QWidget *>(QStringLiteral("RemotePanel"));
    EXPECT_GE(remotePane->width(), 320);
    EXPECT_LE(main->localPanelWidth(), TMainForm::MinimumWidth - TMainForm::SplitterWidth - 320);
    EXPECT_GT(main->localPanelWidth(), 100);

    // The remote list keeps its header and four rows; log and queue shrank.
    QTreeView *report = main->remoteList()->reportView();
    const int row = report->visualRect(main->remoteModel()->index(0, 0)).height();
    ASSERT_GT(row, 0);
    EXPECT_GE(report->viewport()->height(), 4 * row);
    EXPECT_LT(main->messagePanelHeight(), 330);
    EXPECT_LT(main->queuePanelHeight(), 300);
}

TEST_F(WindowFixes, ToolBarButtonsThatDoNotFitAreInTheOverflowMenu)
{
    auto main = open();
    showAt(*main, QSize(1590, 860));
    for (const char *bar : {"LocalFileToolBar", "RemoteFileToolBar"}) {
        QToolButton *overflow = main->findChild<QToolButton *>(QLatin1String(bar) + QStringLiteral("Overflow"));
        ASSERT_NE(overflow, nullptr) << bar;
        EXPECT_FALSE(overflow->isVisible()) << bar; // everything fits
    }
    main->resize(TMainForm::MinimumWidth, TMainForm::MinimumHeight);
    drainEvents();

    int overflowing = 0;
    for (const char *name : {"LocalFileToolBar", "RemoteFileToolBar"}) {
        auto *bar = main->findChild<QToolBar *>(QLatin1String(name));
        ASSERT_NE(bar, nullptr);
        QStringList hidden;
        for (QAction *a : bar->actions()) {
            auto *slot = qobject_cast<QWidgetAction *>(a);
            if (slot && slot->isVisible() && slot->defaultWidget()->isHidden())
                hidden << slot->defaultWidget()->objectName();
        }
        QToolButton *overflow = bar->findChild<QToolButton *>(QLatin1String(name) + QStringLiteral("Overflow"));
        ASSERT_NE(overflow, nullptr);
        EXPECT_EQ(overflow->isVisible(), !hidden.isEmpty()) << name;
        if (hidden.isEmpty())
            continue;
        ++overflowing;
        // Inside the bar, over the room it keeps at its end.
        EXPECT_LE(overflow->geometry().right(), bar->width()) << name;

        QMenu *menu = overflow->findChild<QMenu *>();
        ASSERT_NE(menu, nullptr);
        overflow->click();
        drainEvents();
        QStringList offered;
        for (QAction *a : menu->actions())
            if (!a->isSeparator())
                offered << a->objectName();
        EXPECT_EQ(offered, hidden) << name;
        EXPECT_EQ(menu->actions().value(menu->actions().size() - 1)->text(),
                  main->toolButton(hidden.last())->toolTip());
        menu->hide();
    }
    EXPECT_GT(overflowing, 0);

    // An offered button works from the menu.
    main->setRemoteViewStyle(ui::vsIcon);
    auto *remoteBar = main->findChild<QToolBar *>(QStringLiteral("RemoteFileToolBar"));
    QToolButton *overflow = remoteBar->findChild<QToolButton *>(QStringLiteral("RemoteFileToolBarOverflow"));
    ASSERT_TRUE(main->toolButton(QStringLiteral("RemoteFileToolReportIcon"))->isHidden());
    overflow->click();
    QMenu *menu = overflow->findChild<QMenu *>();
    QAction *report = nullptr;
    for (QAction *a : menu->actions())
        if (a->objectName() == QStringLiteral("RemoteFileToolReportIcon"))
            report = a;
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->isEnabled());
    report->trigger();
    menu->hide();
    EXPECT_EQ(main->remoteList()->viewStyle(), int(ui::vsReport));
}

TEST_F(WindowFixes, LargeWindowGivesTheFreeWidthToTheNameColumn)
{
    auto main = open();
    const char *longName = "ubuntu-24.04.1-desktop-amd64-with-all-the-extras-for-the-long-winter.iso";
    main->remoteList()->LoadLists(makeList({{"pub", "4096"}}, true), makeList({{longName, "6114656256"}}, false));
    showAt(*main, QSize(1590, 860));
    QTreeView *report = main->remoteList()->reportView();
    QHeaderView *header = report->header();
    int others = 0;
    for (int c = views::ffSize; c < views::FtpColumnCount; ++c)
        if (!report->isColumnHidden(c))
            others += header->sectionSize(c);
    EXPECT_EQ(header->sectionSize(views::ffName), report->viewport()->width() - others);
    EXPECT_GT(header->sectionSize(views::ffName),
              report->fontMetrics().horizontalAdvance(QString::fromLatin1(longName)) + report->iconSize().width() + 16);

    // Back in a small window the column keeps its own width and the list scrolls.
    main->resize(TMainForm::MinimumWidth, TMainForm::MinimumHeight);
    drainEvents();
    EXPECT_EQ(header->sectionSize(views::ffName), views::TMFtpListView::ColumnInfo(views::ffName).Width);
}

TEST_F(WindowFixes, WelcomeTextFollowsTheLanguageSwitch)
{
    platform::ProfileFile(configFile()).WriteBool(QStringLiteral("Load"), QStringLiteral("SimpleLanguage"), false);
    auto main = open();
    main->show();
    drainEvents();
    EXPECT_EQ(main->statusPanel()->text(), welcomeText(false));
    main->action(QStringLiteral("mmiSimpleLanguage"))->trigger();
    EXPECT_EQ(main->statusPanel()->text(), welcomeText(true));
    main->action(QStringLiteral("mmiMuiltLanguage"))->trigger();
    EXPECT_EQ(main->statusPanel()->text(), welcomeText(false));

    // Another text in the panel (the end of a run) stays until the next hint.
    main->statusPanel()->setText(QStringLiteral("完成"));
    main->action(QStringLiteral("mmiSimpleLanguage"))->trigger();
    EXPECT_EQ(main->statusPanel()->text(), QStringLiteral("完成"));
}

} // namespace
