// The remote list's selection in every view style, as the window's commands
// see it: rows clicked in the icon, small-icon, list and report styles reach
// SelectedFolders/SelectedFiles and "copy site URL".

#include "engine/TMFtp.h"
#include "mainwindow/Main.h"
#include "mainwindow/Startup.h"
#include "sites/ConnectRequest.h"
#include "ui/FileListView.h"
#include "ui/MessageBoxes.h"
#include "views/FtpListView.h"

#include "../support/EventLoopWait.h"
#include "../support/PrintQString.h"
#include "../support/PyFtpdServer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace mainwindow;
using testsupport::PyFtpdServer;
using testsupport::waitUntil;

namespace {

class RemoteSelection : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        qputenv("BRAMBLEWAY_HOME", home.path().toLocal8Bit());
        ui::SetMessageBoxHook([](ui::MessageKind, const QString &) { return false; });
    }
    void TearDown() override
    {
        ui::SetMessageBoxHook({});
        qunsetenv("BRAMBLEWAY_HOME");
    }

    QTemporaryDir home;
};

void click(TMainForm &main, const QByteArray &name, Qt::KeyboardModifiers modifiers = {})
{
    views::TMFtpListView *list = main.remoteList();
    int row = -1;
    for (int r = 0; r < list->ItemCount(); ++r)
        if (list->listModel()->RemoteName(r) == name)
            row = r;
    ASSERT_GE(row, 0) << name.constData();
    QAbstractItemView *view = list->currentView();
    QRect rect;
    ASSERT_TRUE(waitUntil([&] {
        rect = view->visualRect(list->listModel()->index(row, 0));
        return rect.isValid() && view->viewport()->rect().contains(rect.center());
    }, 3000));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, rect.center());
}

TEST_P(RemoteSelection, ClickedRowsReachTheCommands)
{
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
    QDir().mkpath(server.root() + QStringLiteral("/pub/docs"));
    QFile f(server.root() + QStringLiteral("/pub/notes.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("n");
    f.close();

    ProgramWindows w = CreateProgramWindows({home.filePath(QStringLiteral("Config.ini")), QSize(1024, 768)});
    std::unique_ptr<TMainForm> main(w.mainForm);
    main->MFtp1()->SetRetries(0);
    main->MFtp1()->SetPassive(true);
    main->show();
    main->setRemoteViewStyle(GetParam());
    sites::ConnectRequest request;
    request.server = QStringLiteral("127.0.0.1");
    request.port = server.port();
    request.userName = QStringLiteral("user");
    request.password = QStringLiteral("pass");
    main->ConnectToSite(request);
    ASSERT_TRUE(waitUntil([&] { return main->MFtp1()->LoggedIn() && !main->MFtp1()->Busy(); }, 10000));
    main->MFtp1()->ChangeDirectory("/pub");
    main->MFtp1()->WaitUntilIdle();
    ASSERT_TRUE(waitUntil([&] { return main->remoteList()->ItemCount() == 2 && !main->MFtp1()->Busy(); }, 5000));

    click(*main, "docs");
    EXPECT_EQ(main->remoteList()->SelectedFolders(), QList<QByteArray>({"docs"}));
    EXPECT_TRUE(main->remoteList()->SelectedFiles().isEmpty());
    QApplication::clipboard()->clear();
    main->copySiteURL();
    // (The credentials question is answered No; the port is never written.)
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("ftp://127.0.0.1/pub/docs/"));

    click(*main, "notes.txt", Qt::ControlModifier);
    EXPECT_EQ(main->remoteList()->SelectedFolders(), QList<QByteArray>({"docs"}));
    EXPECT_EQ(main->remoteList()->SelectedFiles(), QList<QByteArray>({"notes.txt"}));
    // Two selected: the folder's address only.
    main->copySiteURL();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("ftp://127.0.0.1/pub/"));
}

std::string styleName(const ::testing::TestParamInfo<int> &info)
{
    static const char *names[] = {"Icon", "SmallIcon", "List", "Report"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(EveryStyle, RemoteSelection,
                         ::testing::Values(int(ui::vsIcon), int(ui::vsSmallIcon), int(ui::vsList), int(ui::vsReport)),
                         styleName);

} // namespace
