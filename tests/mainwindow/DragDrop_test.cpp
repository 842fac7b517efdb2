// Drag and drop in the window against the pyftpdlib server. Drops are made
// by sending the drag events a real drag would deliver to the views'
// viewports, with file URLs as a file manager offers them or with the
// window's own remote items: uploads onto folder rows and the current
// folder, moves onto remote folder rows, downloads onto the local pane,
// entries for the queue, refusals, automatic scrolling, and the format of
// the remote items.

#include "engine/TMFtp.h"
#include "mainwindow/Main.h"
#include "mainwindow/RemoteDragData.h"
#include "mainwindow/Startup.h"
#include "mainwindow/TransferQuestions.h"
#include "platform/TextCodec.h"
#include "queue/QueueModel.h"
#include "sites/ConnectRequest.h"
#include "ui/FileListView.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"
#include "views/FtpListView.h"

#include "../support/EventLoopWait.h"
#include "../support/PrintQString.h"
#include "../support/PyFtpdServer.h"
#include "../support/LocalFiles.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

using namespace mainwindow;
using testsupport::PyFtpdServer;
using testsupport::waitUntil;

namespace {

using testsupport::readFile;
using testsupport::writeFile;

// What a view answered to one drag.
struct DragAnswer
{
    bool entered = false;
    bool moveAccepted = false;
    Qt::DropAction moveAction = Qt::IgnoreAction;
    bool dropAccepted = false;
    Qt::DropAction dropAction = Qt::IgnoreAction;
};

enum class Finish { Drop, Leave, DropEvenIfRefused };

// Enter, move and drop (or leave) at `pos` of the view's viewport. A real
// drag sends nothing more to a view that refused to be entered; DropEvenIfRefused
// sends the drop anyway.
DragAnswer drag(QAbstractItemView *view, const QMimeData &data, QPoint pos, Finish finish = Finish::Drop,
                Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction)
{
    DragAnswer a;
    QWidget *viewport = view->viewport();
    QDragEnterEvent enter(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    a.entered = enter.isAccepted();
    if (a.entered) {
        QDragMoveEvent move(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        a.moveAccepted = move.isAccepted();
        a.moveAction = move.dropAction();
    }
    if (finish == Finish::Leave) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(viewport, &leave);
    } else if (a.entered || finish == Finish::DropEvenIfRefused) {
        QDropEvent drop(QPointF(pos), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        a.dropAccepted = drop.isAccepted();
        a.dropAction = drop.dropAction();
    }
    return a;
}

// The data a file manager offers for local paths.
std::unique_ptr<QMimeData> fileManagerData(const QStringList &paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

int remoteRow(TMainForm &main, const QByteArray &name)
{
    for (int row = 0; row < main.remoteList()->ItemCount(); ++row)
        if (main.remoteList()->listModel()->RemoteName(row) == name)
            return row;
    return -1;
}

// Centre of a row of a view, once the view has laid it out.
QPoint centreOf(QAbstractItemView *view, const QModelIndex &index)
{
    QRect r;
    waitUntil([&] {
        r = view->visualRect(index);
        return r.isValid() && view->viewport()->rect().contains(r.center());
    }, 3000);
    return r.center();
}

QPoint remotePos(TMainForm &main, const QByteArray &name)
{
    const int row = remoteRow(main, name);
    EXPECT_GE(row, 0) << name.constData();
    return centreOf(main.remoteList()->currentView(), main.remoteList()->listModel()->index(row, 0));
}

// A point of the view below and right of every row.
QPoint emptySpot(QAbstractItemView *view)
{
    const QPoint p(view->viewport()->width() - 4, view->viewport()->height() - 4);
    EXPECT_FALSE(view->indexAt(p).isValid());
    return p;
}

int localRow(TMainForm &main, const QString &name)
{
    QAbstractItemView *view = main.localList()->currentView();
    QAbstractItemModel *model = view->model();
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
        if (model->index(row, 0, view->rootIndex()).data().toString() == name)
            return row;
    return -1;
}

QStringList remoteNamesShown(TMainForm &main)
{
    QStringList out;
    for (int row = 0; row < main.remoteList()->ItemCount(); ++row)
        out << platform::decodeRemoteName(main.remoteList()->listModel()->RemoteName(row).toByteArray());
    return out;
}

class DragDropWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("BRAMBLEWAY_HOME", home.path().toLocal8Bit());
        ui::SetMessageBoxHook([this](ui::MessageKind, const QString &text) {
            questions << text;
            return answerYes;
        });
    }
    void TearDown() override
    {
        ui::SetMessageBoxHook({});
        qunsetenv("BRAMBLEWAY_HOME");
    }

    std::unique_ptr<TMainForm> open()
    {
        ProgramWindows w = CreateProgramWindows({home.filePath(QStringLiteral("Config.ini")), QSize(1024, 768)});
        std::unique_ptr<TMainForm> main(w.mainForm);
        main->MFtp1()->SetRetries(0);
        main->MFtp1()->SetRetryInterval(0);
        main->MFtp1()->SetPassive(true);
        main->resize(1000, 700);
        main->show();
        return main;
    }

    // Connects and shows `folder` in the remote list.
    static void connectTo(TMainForm &main, quint16 port, const QByteArray &folder)
    {
        sites::ConnectRequest request;
        request.server = QStringLiteral("127.0.0.1");
        request.port = port;
        request.userName = QStringLiteral("user");
        request.password = QStringLiteral("pass");
        main.ConnectToSite(request);
        ASSERT_TRUE(waitUntil([&] { return main.MFtp1()->LoggedIn() && !main.MFtp1()->Busy(); }, 10000));
        main.MFtp1()->ChangeDirectory(folder);
        main.MFtp1()->WaitUntilIdle();
        ASSERT_EQ(main.MFtp1()->CurrentDirectory(), folder);
        ASSERT_TRUE(waitUntil([&] { return !main.MFtp1()->Busy(); }, 5000));
    }

    void showLocal(TMainForm &main, const QString &folder, int rows)
    {
        main.setLocalPath(folder);
        QAbstractItemView *view = main.localList()->currentView();
        ASSERT_TRUE(waitUntil([&] { return view->model()->rowCount(view->rootIndex()) >= rows; }, 5000));
    }

    QTemporaryDir home;
    QTemporaryDir local;
    QStringList questions;
    bool answerYes = true;
};

// ---- local files onto the remote list ----

struct UploadDrop
{
    const char *name;
    int style;
    const char *onto;         // remote row name; "" for empty space
    QStringList dropped;      // relative to the local folder
    const char *question;
    QStringList landed;       // server paths that then hold the dropped file's text
};

class UploadDrops : public DragDropWindow, public ::testing::WithParamInterface<UploadDrop>
{
};

TEST_P(UploadDrops, LandInTheFolderRowOrTheCurrentFolder)
{
    const UploadDrop &c = GetParam();
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
    QDir().mkpath(server.root() + QStringLiteral("/pub/docs"));
    writeFile(server.root() + QStringLiteral("/pub/x.bin"), "x");
    writeFile(local.filePath(QStringLiteral("fm/a.txt")), "a.txt");
    writeFile(local.filePath(QStringLiteral("fm/b.txt")), "b.txt");
    writeFile(local.filePath(QStringLiteral("fm/tree/inner/c.txt")), "tree/inner/c.txt");
    auto main = open();
    main->setRemoteViewStyle(c.style);
    connectTo(*main, server.port(), "/pub");

    QStringList paths;
    for (const QString &p : c.dropped)
        paths << local.filePath(QStringLiteral("fm/") + p);
    const auto data = fileManagerData(paths);
    QAbstractItemView *view = main->remoteList()->currentView();
    const QPoint pos = *c.onto ? remotePos(*main, c.onto) : emptySpot(view);
    const int ontoRow = *c.onto ? remoteRow(*main, c.onto) : -1;

    // Over the spot first: the effect, and the highlight on folder rows only.
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDragMoveEvent move(pos, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::CopyAction); // never a move: the file manager keeps its files
    EXPECT_EQ(main->remoteList()->dropHighlightRow(),
              ontoRow >= 0 && main->remoteList()->IsFolderItem(ontoRow) ? ontoRow : -1);

    QDropEvent drop(QPointF(pos), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_TRUE(questions.isEmpty()) << "the question waits until the drop has returned";

    for (const QString &path : c.landed)
        EXPECT_TRUE(waitUntil([&] { return QFileInfo::exists(server.root() + path); }, 10000)) << path.toStdString();
    ASSERT_TRUE(waitUntil([&] { return main->operationMode() == omIdle && !main->MFtp1()->Busy(); }, 10000));
    EXPECT_EQ(questions, QStringList({QString::fromUtf8(c.question)}));
    for (const QString &path : c.landed) {
        const QString relative = path.section(QLatin1Char('/'), -1) == QLatin1String("c.txt") ? QStringLiteral("tree/inner/c.txt")
                                                                                             : path.section(QLatin1Char('/'), -1);
        EXPECT_EQ(readFile(server.root() + path), relative.toUtf8()) << path.toStdString();
    }
    EXPECT_EQ(main->remoteList()->dropHighlightRow(), -1);
    EXPECT_EQ(main->queueModel()->count(), 0);
    EXPECT_TRUE(QFileInfo::exists(local.filePath(QStringLiteral("fm/a.txt"))));
}

INSTANTIATE_TEST_SUITE_P(
    FileManager, UploadDrops,
    ::testing::Values(
        UploadDrop{"TwoFilesOntoFolderRowReport", ui::vsReport, "docs", {"a.txt", "b.txt"},
                   "   您是否确定要上传 2 个选定的文件或目录？", {"/pub/docs/a.txt", "/pub/docs/b.txt"}},
        UploadDrop{"TwoFilesOntoFolderRowIcons", ui::vsIcon, "docs", {"a.txt", "b.txt"},
                   "   您是否确定要上传 2 个选定的文件或目录？", {"/pub/docs/a.txt", "/pub/docs/b.txt"}},
        UploadDrop{"FileOntoFileRow", ui::vsList, "x.bin", {"a.txt"}, "   您是否确定要上传“a.txt”文件？",
                   {"/pub/a.txt"}},
        UploadDrop{"FolderOntoEmptySpace", ui::vsReport, "", {"tree"}, "   您是否确定要上传“tree”目录？",
                   {"/pub/tree/inner/c.txt"}}),
    [](const ::testing::TestParamInfo<UploadDrop> &drop) { return std::string(drop.param.name); });

TEST_F(DragDropWindow, AnUploadDropAnsweredNoOrWithoutFilesDoesNothing)
{
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning());
    QDir().mkpath(server.root() + QStringLiteral("/pub/docs"));
    writeFile(local.filePath(QStringLiteral("a.txt")), "a");
    auto main = open();
    connectTo(*main, server.port(), "/pub");
    QAbstractItemView *view = main->remoteList()->currentView();

    answerYes = false;
    const auto data = fileManagerData({local.filePath(QStringLiteral("a.txt"))});
    EXPECT_TRUE(drag(view, *data, remotePos(*main, "docs")).dropAccepted);
    ASSERT_TRUE(waitUntil([&] { return !questions.isEmpty(); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(QFileInfo::exists(server.root() + QStringLiteral("/pub/docs/a.txt")));
    EXPECT_EQ(main->remoteList()->dropHighlightRow(), -1);

    // File URLs of things that are gone: nothing to ask.
    answerYes = true;
    questions.clear();
    const auto gone = fileManagerData({local.filePath(QStringLiteral("vanished.txt"))});
    EXPECT_TRUE(drag(view, *gone, remotePos(*main, "docs")).dropAccepted);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(main->operationMode(), omIdle);
}

// ---- remote items onto the remote list ----

TEST_F(DragDropWindow, RemoteItemsOntoTheirOwnRowDoNothingOntoAnotherFolderRowTheyMove)
{
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning());
    writeFile(server.root() + QStringLiteral("/pub/x.bin"), "xx");
    writeFile(server.root() + QStringLiteral("/pub/y.bin"), "yy");
    writeFile(server.root() + QStringLiteral("/pub/docs/readme"), "r");
    QDir().mkpath(server.root() + QStringLiteral("/pub/other"));
    auto main = open();
    connectTo(*main, server.port(), "/pub");
    QAbstractItemView *view = main->remoteList()->currentView();

    std::unique_ptr<QMimeData> file(main->remoteDragData({}, {"x.bin"}));
    // Its own row, another file row, empty space: no effect, no highlight.
    for (const QPoint pos : {remotePos(*main, "x.bin"), remotePos(*main, "y.bin"), emptySpot(view)}) {
        const DragAnswer a = drag(view, *file, pos);
        EXPECT_TRUE(a.entered);
        EXPECT_FALSE(a.moveAccepted);
        EXPECT_EQ(a.moveAction, Qt::IgnoreAction);
        EXPECT_FALSE(a.dropAccepted);
        EXPECT_EQ(main->remoteList()->dropHighlightRow(), -1);
    }
    // A folder onto itself, with the data still over its row.
    std::unique_ptr<QMimeData> folder(main->remoteDragData({"docs"}, {}));
    EXPECT_FALSE(drag(view, *folder, remotePos(*main, "docs")).dropAccepted);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(readFile(server.root() + QStringLiteral("/pub/x.bin")), QByteArray("xx"));
    EXPECT_TRUE(QFileInfo::exists(server.root() + QStringLiteral("/pub/docs/readme")));

    // Both onto another folder row: moved, and the list listed again.
    std::unique_ptr<QMimeData> both(main->remoteDragData({"docs"}, {"x.bin"}));
    const QPoint other = remotePos(*main, "other");
    QDragEnterEvent enter(other, Qt::CopyAction | Qt::MoveAction, both.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    QDragMoveEvent move(other, Qt::CopyAction | Qt::MoveAction, both.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::MoveAction);
    EXPECT_EQ(main->remoteList()->dropHighlightRow(), remoteRow(*main, "other"));
    QDropEvent drop(QPointF(other), Qt::CopyAction | Qt::MoveAction, both.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    EXPECT_EQ(drop.dropAction(), Qt::MoveAction);

    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(server.root() + QStringLiteral("/pub/other/x.bin")); }, 10000));
    ASSERT_TRUE(waitUntil([&] { return main->operationMode() == omIdle && !main->MFtp1()->Busy(); }, 10000));
    EXPECT_EQ(readFile(server.root() + QStringLiteral("/pub/other/x.bin")), QByteArray("xx"));
    EXPECT_EQ(readFile(server.root() + QStringLiteral("/pub/other/docs/readme")), QByteArray("r"));
    EXPECT_FALSE(QFileInfo::exists(server.root() + QStringLiteral("/pub/x.bin")));
    EXPECT_EQ(remoteNamesShown(*main), QStringList({"other", "y.bin"}));
    EXPECT_EQ(main->remoteList()->dropHighlightRow(), -1);
    EXPECT_TRUE(questions.isEmpty());
}

// ---- remote items onto the local pane ----

struct DownloadDrop
{
    const char *name;
    int style;
    const char *onto; // local row name; "" for empty space
    const char *into; // below the local folder
};

class DownloadDrops : public DragDropWindow, public ::testing::WithParamInterface<DownloadDrop>
{
};

TEST_P(DownloadDrops, LandInTheFolderRowOrThePanesFolder)
{
    const DownloadDrop &c = GetParam();
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning());
    writeFile(server.root() + QStringLiteral("/pub/c.bin"), QByteArray(5000, 'c'));
    writeFile(server.root() + QStringLiteral("/pub/sub/d.txt"), "d");
    QDir().mkpath(local.filePath(QStringLiteral("pane/in")));
    writeFile(local.filePath(QStringLiteral("pane/f.txt")), "f");
    auto main = open();
    main->setLocalViewStyle(c.style);
    showLocal(*main, local.filePath(QStringLiteral("pane")), 2);
    connectTo(*main, server.port(), "/pub");

    std::unique_ptr<QMimeData> data(main->remoteDragData({"sub"}, {"c.bin"}));
    QAbstractItemView *view = main->localList()->currentView();
    const int row = *c.onto ? localRow(*main, QString::fromUtf8(c.onto)) : -1;
    const QPoint pos = row >= 0 ? centreOf(view, view->model()->index(row, 0, view->rootIndex())) : emptySpot(view);

    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDragMoveEvent move(pos, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::CopyAction);
    EXPECT_EQ(main->localList()->dropHighlightRow(), QString::fromUtf8(c.onto) == QLatin1String("in") ? row : -1);
    QDropEvent drop(QPointF(pos), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(main->localList()->dropHighlightRow(), -1);
    EXPECT_TRUE(questions.isEmpty()) << "the download starts after the drop has returned";

    const QString target = local.filePath(QStringLiteral("pane/") + QString::fromUtf8(c.into));
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(target + QStringLiteral("/sub/d.txt")) && QFileInfo::exists(target + QStringLiteral("/c.bin")); }, 10000));
    ASSERT_TRUE(waitUntil([&] { return main->operationMode() == omIdle && !main->MFtp1()->Busy(); }, 10000));
    EXPECT_EQ(questions, QStringList({QStringLiteral("   您是否确定要下载 2 个选定的文件或目录？")}));
    EXPECT_EQ(readFile(target + QStringLiteral("/c.bin")), QByteArray(5000, 'c'));
    EXPECT_EQ(readFile(target + QStringLiteral("/sub/d.txt")), QByteArray("d"));
    EXPECT_EQ(main->queueModel()->count(), 0);
}

INSTANTIATE_TEST_SUITE_P(RemoteItems, DownloadDrops,
                         ::testing::Values(DownloadDrop{"OntoFolderRowReport", ui::vsReport, "in", "in"},
                                           DownloadDrop{"OntoFolderRowIcons", ui::vsIcon, "in", "in"},
                                           DownloadDrop{"OntoFileRow", ui::vsReport, "f.txt", ""},
                                           DownloadDrop{"OntoEmptySpace", ui::vsSmallIcon, "", ""}),
                         [](const ::testing::TestParamInfo<DownloadDrop> &drop) { return std::string(drop.param.name); });

// ---- refusals ----

TEST_F(DragDropWindow, EveryTargetRefusesDropsDuringARunWithoutSessionAndOfForeignData)
{
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning());
    QDir().mkpath(server.root() + QStringLiteral("/pub/docs"));
    writeFile(server.root() + QStringLiteral("/pub/x.bin"), "x");
    writeFile(local.filePath(QStringLiteral("pane/a.txt")), "a");
    auto main = open();
    showLocal(*main, local.filePath(QStringLiteral("pane")), 1);
    const auto files = fileManagerData({local.filePath(QStringLiteral("pane/a.txt"))});
    QAbstractItemView *remote = main->remoteList()->currentView();
    QAbstractItemView *localView = main->localList()->currentView();
    QAbstractItemView *queue = main->queueList();

    // The remote items, and the local files when `filesToo`.
    auto expectAllRefused = [&](const char *situation, const QMimeData &remoteItems, bool filesToo) {
        SCOPED_TRACE(situation);
        const QPoint onRemote = main->remoteList()->ItemCount() ? remotePos(*main, "docs") : emptySpot(remote);
        QList<const QMimeData *> refused = {&remoteItems};
        if (filesToo)
            refused << files.get();
        for (const QMimeData *data : refused) {
            EXPECT_FALSE(drag(remote, *data, onRemote, Finish::DropEvenIfRefused).entered);
            EXPECT_FALSE(drag(queue, *data, QPoint(20, 20), Finish::DropEvenIfRefused).dropAccepted);
        }
        EXPECT_FALSE(drag(localView, remoteItems, emptySpot(localView), Finish::DropEvenIfRefused).dropAccepted);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_TRUE(questions.isEmpty());
        EXPECT_EQ(main->queueModel()->count(), 0);
        EXPECT_EQ(main->remoteList()->dropHighlightRow(), -1);
    };

    {
        std::unique_ptr<QMimeData> items(main->remoteDragData({}, {"x.bin"}));
        expectAllRefused("no session", *items, true);
    }
    connectTo(*main, server.port(), "/pub");
    std::unique_ptr<QMimeData> items(main->remoteDragData({}, {"x.bin"}));
    for (OperationMode mode : {omUpload, omDownload, omQueue, omMove, omDelete}) {
        main->setOperationMode(mode);
        expectAllRefused("a run is active", *items, true);
    }
    main->setOperationMode(omIdle);

    // Remote items of another window, of another folder, or damaged.
    auto other = open();
    std::unique_ptr<QMimeData> foreign(other->remoteDragData({}, {"x.bin"}));
    expectAllRefused("another window's items", *foreign, false);
    RemoteDragItems elsewhere = *RemoteItemsOf(items.get());
    elsewhere.folder = "/";
    std::unique_ptr<QMimeData> stale(MakeRemoteDragData(elsewhere));
    expectAllRefused("items of another folder", *stale, false);
    QMimeData damaged;
    damaged.setData(QLatin1String(RemoteItemsMimeType), items->data(QLatin1String(RemoteItemsMimeType)).left(20));
    expectAllRefused("damaged items", damaged, false);
    // Text and web addresses are not files.
    QMimeData text;
    text.setText(local.filePath(QStringLiteral("pane/a.txt")));
    text.setUrls({QUrl(QStringLiteral("https://example.org/a.txt"))});
    EXPECT_FALSE(drag(remote, text, remotePos(*main, "docs")).entered);
    EXPECT_FALSE(drag(queue, text, QPoint(20, 20)).dropAccepted);

    // The same data is taken once the window is idle again.
    EXPECT_TRUE(drag(remote, *files, remotePos(*main, "docs"), Finish::Leave).entered);
    EXPECT_EQ(main->remoteList()->dropHighlightRow(), -1);
}

// ---- the queue ----

TEST_F(DragDropWindow, DropsOnTheQueueAddUploadAndDownloadEntries)
{
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning());
    writeFile(server.root() + QStringLiteral("/pub/big.bin"), QByteArray(3000, 'b'));
    writeFile(server.root() + QStringLiteral("/pub/sub/s.txt"), "s");
    writeFile(local.filePath(QStringLiteral("fm/one.txt")), QByteArray(2048, '1'));
    QDir().mkpath(local.filePath(QStringLiteral("fm/dir")));
    QDir().mkpath(local.filePath(QStringLiteral("pane")));
    auto main = open();
    showLocal(*main, local.filePath(QStringLiteral("pane")), 0);
    connectTo(*main, server.port(), "/pub");
    QAbstractItemView *queue = main->queueList();

    const auto files = fileManagerData({local.filePath(QStringLiteral("fm/one.txt")), local.filePath(QStringLiteral("fm/dir"))});
    const DragAnswer up = drag(queue, *files, QPoint(20, 20));
    EXPECT_TRUE(up.moveAccepted);
    EXPECT_EQ(up.dropAction, Qt::CopyAction);
    std::unique_ptr<QMimeData> items(main->remoteDragData({"sub"}, {"big.bin"}));
    EXPECT_EQ(drag(queue, *items, QPoint(20, 20)).dropAction, Qt::CopyAction);

    const QString pane = local.filePath(QStringLiteral("pane"));
    const QStringList expected[] = {
        {local.filePath(QStringLiteral("fm/dir")), QStringLiteral("文件夹"), QStringLiteral("==>"), QStringLiteral("/pub")},
        {local.filePath(QStringLiteral("fm/one.txt")), QStringLiteral("2 KB"), QStringLiteral("==>"), QStringLiteral("/pub")},
        {pane, QStringLiteral("文件夹"), QStringLiteral("<=="), QStringLiteral("/pub/sub")},
        {pane, QStringLiteral("3 KB"), QStringLiteral("<=="), QStringLiteral("/pub/big.bin")},
    };
    ASSERT_EQ(main->queueModel()->count(), 4);
    for (int row = 0; row < 4; ++row) {
        const QStringList got = {main->queueModel()->text(row, queue::LocalPathColumn),
                                 main->queueModel()->text(row, queue::SizeColumn),
                                 main->queueModel()->text(row, queue::ActionColumn),
                                 main->queueModel()->text(row, queue::RemotePathColumn)};
        EXPECT_EQ(got, expected[row]) << row;
    }
    // Nothing was transferred, nothing asked.
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(pane + QStringLiteral("/big.bin")));
}

// ---- scrolling during a drag ----

TEST_F(DragDropWindow, ADragNearAnEdgeScrollsTheRemoteListOneStepPerQuarterSecond)
{
    auto main = open();
    TMFtpFileInfoList folders, files;
    for (int i = 0; i < 200; ++i)
        files.Add(QByteArray("file") + QByteArray::number(i), "-rw-r--r--", "2020-01-01 12:00", "10", "", "u", "g", "");
    main->remoteList()->LoadLists(folders, files);
    QAbstractItemView *view = main->remoteList()->currentView();
    QScrollBar *bar = view->verticalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return bar->maximum() > 2; }, 3000));
    const QPoint bottom(view->viewport()->width() / 2, view->viewport()->height() - 5);
    const QPoint middle(view->viewport()->width() / 2, view->viewport()->height() / 2);
    const QPoint top(view->viewport()->width() / 2, 5);

    const qint64 t = QDeadlineTimer::current().deadline() + 100000;
    struct Step { QPoint pos; qint64 at; int value; };
    const Step steps[] = {
        {bottom, t, 1},        // down one line
        {bottom, t + 200, 1},  // too soon
        {bottom, t + 256, 2},  // more than 255 ms after the last scroll
        {middle, t + 600, 2},  // away from the edges
        {bottom, t + 700, 2},  // the middle counted as the last tick
        {bottom, t + 900, 3},
        {top, t + 1200, 2},    // up one line
    };
    for (const Step &s : steps) {
        main->remoteAutoScroll(s.pos, s.at);
        EXPECT_EQ(bar->value(), s.value) << "at +" << (s.at - t);
    }
    // At the left end there is nothing to scroll to.
    const int before = view->horizontalScrollBar()->value();
    EXPECT_FALSE(main->remoteAutoScroll(QPoint(2, view->viewport()->height() / 2), t + 5000));
    EXPECT_EQ(view->horizontalScrollBar()->value(), before);
}

// ---- the remote items' format ----

TEST(RemoteDragFormat, RoundTripsTheServersBytesAndRefusesMalformedData)
{
    RemoteDragItems items;
    items.process = 4242;
    items.window = 77;
    items.folder = "/pub/" + platform::toGbk(QStringLiteral("上传"));
    items.folders = {platform::toGbk(QStringLiteral("年度")), "sub dir"};
    items.files = {QStringLiteral("软件.zip").toUtf8(), "a"};
    const QByteArray bytes = EncodeRemoteItems(items);
    ASSERT_EQ(DecodeRemoteItems(bytes), items);
    // The paths carry the folder's bytes.
    EXPECT_TRUE(bytes.contains(items.folder + "/" + items.files[0]));

    std::unique_ptr<QMimeData> data(MakeRemoteDragData(items));
    EXPECT_EQ(data->formats(), QStringList({QLatin1String(RemoteItemsMimeType)}));
    EXPECT_FALSE(data->hasUrls());
    EXPECT_FALSE(data->hasText());
    EXPECT_EQ(RemoteItemsOf(data.get()), items);

    auto encoded = [&](auto change) {
        RemoteDragItems bad = items;
        change(bad);
        return EncodeRemoteItems(bad);
    };
    struct Case { const char *name; QByteArray bytes; };
    const Case cases[] = {
        {"empty", QByteArray()},
        {"truncated", bytes.left(bytes.size() - 3)},
        {"trailing bytes", bytes + "x"},
        {"another version", QByteArray(bytes).replace(4, 4, QByteArray("\0\0\0\2", 4))},
        {"empty folder", encoded([](RemoteDragItems &b) { b.folder.clear(); })},
        {"name with a slash", encoded([](RemoteDragItems &b) { b.files[1] = "../etc/passwd"; })},
        {"dot dot", encoded([](RemoteDragItems &b) { b.folders[0] = ".."; })},
        {"empty name", encoded([](RemoteDragItems &b) { b.files[0].clear(); })},
        {"huge count", QByteArray(bytes).replace(bytes.indexOf(items.folder) + items.folder.size(), 4,
                                                 QByteArray("\x7f\xff\xff\xff", 4))},
    };
    for (const Case &c : cases)
        EXPECT_FALSE(DecodeRemoteItems(c.bytes).has_value()) << c.name;

    // A path outside the folder.
    QByteArray outside = bytes;
    const QByteArray path = items.folder + "/a";
    const qsizetype at = outside.lastIndexOf(path);
    ASSERT_GT(at, 0);
    outside.replace(at, 4, "/etc");
    EXPECT_FALSE(DecodeRemoteItems(outside).has_value());
}

TEST(RemoteDragFormat, FileUrlsGiveLocalPathsOnly)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")), QUrl(QStringLiteral("https://example.org/x")),
                  QUrl::fromLocalFile(QStringLiteral("/tmp/dir/../c"))});
    EXPECT_EQ(LocalPathsOf(&data), QStringList({QStringLiteral("/tmp/a b.txt"), QStringLiteral("/tmp/c")}));
    EXPECT_TRUE(LocalPathsOf(nullptr).isEmpty());
}

TEST(TransferQuestions, NameOneItemCountSeveralInBothLanguages)
{
    const QByteArray gbk = platform::toGbk(QStringLiteral("报告.doc"));
    struct Case
    {
        bool simplified;
        QStringList localFolders, localFiles;
        QList<QByteArray> remoteFolders, remoteFiles;
        const char *upload;
        const char *download;
    };
    const Case cases[] = {
        {true, {}, {"/tmp/x/a.txt"}, {}, {gbk}, "   您是否确定要上传“a.txt”文件？", "   您是否确定要下载“报告.doc”文件？"},
        {true, {"/tmp/x/dir"}, {}, {"sub"}, {}, "   您是否确定要上传“dir”目录？", "   您是否确定要下载“sub”目录？"},
        {true, {"/d"}, {"/f", "/g"}, {"s"}, {"t", "u"}, "   您是否确定要上传 3 个选定的文件或目录？",
         "   您是否确定要下载 3 个选定的文件或目录？"},
        {false, {}, {"/tmp/x/a.txt"}, {}, {gbk}, "   您是否確定要上傳“a.txt”文件？", "   您是否確定要下載“报告.doc”文件？"},
        {false, {"/tmp/x/dir"}, {}, {"sub"}, {}, "   您是否確定要上傳“dir”目錄？", "   您是否確定要下載“sub”目錄？"},
        {false, {"/d", "/e"}, {}, {}, {"t", "u"}, "   您是否確定要上傳 2 個選定的文件或目錄？",
         "   您是否確定要下載 2 個選定的文件或目錄？"},
    };
    const bool was = ui::UseSimplified();
    for (const Case &c : cases) {
        ui::SetUseSimplified(c.simplified);
        EXPECT_EQ(UploadQuestion(c.localFolders, c.localFiles), QString::fromUtf8(c.upload));
        EXPECT_EQ(DownloadQuestion(c.remoteFolders, c.remoteFiles), QString::fromUtf8(c.download));
    }
    ui::SetUseSimplified(was);
}

} // namespace
