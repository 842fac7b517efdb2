// The main window's controls: menus, pop-up menus, tool bars, panes,
// splitters, status bar and tray icon.
#include "mainwindow/Main.h"

#include "mainwindow/LocalFileModel.h"
#include "mainwindow/LocalIconProvider.h"
#include "mainwindow/MainCaptions.h"
#include "ui/FileListView.h"
#include "ui/Icons.h"
#include "views/FtpListView.h"
#include "views/FtpMsg.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace mainwindow {
namespace {

QFrame *line(const char *name, QWidget *parent)
{
    auto *f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFixedHeight(1);
    f->setFrameShape(QFrame::NoFrame);
    f->setAutoFillBackground(true);
    return f;
}

QToolBar *toolBar(const char *name, QWidget *parent)
{
    auto *bar = new QToolBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setFixedHeight(TMainForm::ToolBarHeight);
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(false);
    bar->setFloatable(false);
    return bar;
}

// A strip with a folder box and its go-up button: the box 3 pixels from the
// left, the button 3 pixels to its right, both vertically centred.
QWidget *toolStrip(const char *name, QComboBox *box, QToolButton *goUp, QWidget *parent)
{
    auto *strip = new QWidget(parent);
    strip->setObjectName(QLatin1String(name));
    strip->setAttribute(Qt::WA_StyledBackground);
    strip->setFixedHeight(TMainForm::ToolStripHeight);
    auto *row = new QHBoxLayout(strip);
    row->setContentsMargins(3, 0, 5, 0);
    row->setSpacing(3);
    row->addWidget(box, 1, Qt::AlignVCenter);
    row->addWidget(goUp, 0, Qt::AlignVCenter);
    return strip;
}

QComboBox *folderBox(const char *name, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumWidth(60);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

} // namespace

QAction *TMainForm::makeAction(const char *name, QMenu *menu, const QKeySequence &shortcut)
{
    auto *a = new QAction(this);
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    if (menu)
        menu->addAction(a);
    actions_.insert(a->objectName(), a);
    return a;
}

QMenu *TMainForm::makeMenu(const char *name, QMenu *parentMenu)
{
    auto *m = parentMenu ? parentMenu->addMenu(QString()) : new QMenu(this);
    m->setObjectName(QLatin1String(name));
    m->menuAction()->setObjectName(QLatin1String(name));
    actions_.insert(m->objectName(), m->menuAction());
    menus_.insert(m->objectName(), m);
    return m;
}

void TMainForm::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto top = [&](const char *name) {
        QMenu *m = makeMenu(name, nullptr);
        bar->addMenu(m);
        return m;
    };

    QMenu *site = top("mmiSite");
    makeAction("mmiSiteManage", site, Qt::Key_F4);
    makeAction("mmiConnect", site, Qt::Key_F8);
    makeAction("mmiReConnect", site);
    makeAction("mmiDisConnect", site);
    site->addSeparator();
    makeAction("mmiPastURL", site, QKeySequence(Qt::CTRL | Qt::Key_P));
    makeAction("mmiCopyURL", site, QKeySequence(Qt::CTRL | Qt::Key_U));
    site->addSeparator();
    makeAction("mmiExit", site);
    makeAction("mmiMinToTray", site, Qt::Key_F9);

    QMenu *local = top("mmiLocalFile");
    makeAction("mmiLocalFileUpLoad", local);
    makeAction("mmiLocalFileAddQueue", local);
    local->addSeparator();
    makeAction("mmiLocalFileCut", local);
    makeAction("mmiLocalFileCopy", local);
    makeAction("mmiLocalFilePast", local);
    local->addSeparator();
    makeAction("mmiLocalFileDelete", local);
    makeAction("mmiLocalFileReName", local);
    makeAction("mmiLocalFileCreateDirectory", local);
    makeAction("mmiLocalFileViewDirectory", local);
    local->addSeparator();
    makeAction("mmiLocalFileNotSelect", local);
    makeAction("mmiLocalFileSelectAll", local);
    local->addSeparator();
    makeAction("mmiLocalFileRefresh", local);

    QMenu *remote = top("mmiRemoteFile");
    makeAction("mmiRemoteFileDownLoad", remote);
    makeAction("mmiRemoteFileAddQueue", remote);
    remote->addSeparator();
    makeAction("mmiRemoteFileDelete", remote);
    makeAction("mmiRemoteFileReName", remote);
    makeAction("mmiRemoteFileMove", remote);
    makeAction("mmiRemoteFileExecute", remote);
    makeAction("mmiRemoteFileProperty", remote);
    makeAction("mmiRemoteFileCreateDirectory", remote);
    makeAction("mmiRemoteFileViewDirectory", remote);
    remote->addSeparator();
    makeAction("mmiRemoteFileNotSelect", remote);
    makeAction("mmiRemoteFileSelectAll", remote);
    remote->addSeparator();
    makeAction("mmiRemoteFileRefresh", remote);

    QMenu *queue = top("mmiQueue");
    makeAction("mmiTransferAllQueue", queue);
    makeAction("mmiTransferSelectQueue", queue);
    makeAction("mmiModifySelectQueue", queue);
    makeAction("mmiDeleteSelectQueue", queue);
    makeAction("mmiDeleteAllQueue", queue);
    queue->addSeparator();
    makeAction("mmiLoadQueue", queue, QKeySequence(Qt::CTRL | Qt::Key_O));
    makeAction("mmiSaveQueue", queue, QKeySequence(Qt::CTRL | Qt::Key_S));

    QMenu *option = top("mmiOption");
    makeAction("mmiSetup", option, Qt::Key_F6);
    option->addSeparator();
    auto *languages = new QActionGroup(this);
    for (const char *name : {"mmiSimpleLanguage", "mmiMuiltLanguage"}) {
        QAction *a = makeAction(name, option);
        a->setCheckable(true);
        languages->addAction(a);
    }
    action("mmiSimpleLanguage")->setData(1);
    action("mmiMuiltLanguage")->setData(2);
    action("mmiSimpleLanguage")->setChecked(true);
    option->addSeparator();
    for (const char *name : {"mmiFace1", "mmiFace2"}) {
        QAction *a = makeAction(name, option);
        a->setCheckable(true);
    }
    action("mmiFace1")->setData(1);
    action("mmiFace2")->setData(2);
    action("mmiFace1")->setChecked(true); // the design skin
    option->addSeparator();
    makeAction("mmiCheckUpdate", option, Qt::Key_F12);

    QMenu *window = top("mmiWindow");
    for (const char *name : {"mmiLogWindow", "mmiQueueWindow", "mmiStatusWindow"}) {
        QAction *a = makeAction(name, window);
        a->setCheckable(true);
        a->setChecked(true);
    }

    QMenu *help = top("mmiHelp");
    makeAction("mmiUserHelp", help, Qt::Key_F1);
    makeAction("mmiSupport", help);
    help->addSeparator();
    makeAction("mmiAbout", help);
}

void TMainForm::buildPopupMenus()
{
    // Local pane.
    QMenu *local = new QMenu(this);
    local->setObjectName(QStringLiteral("LocalFilePopupMenu"));
    menus_.insert(local->objectName(), local);
    makeAction("LocalFileUpLoad", local);
    makeAction("LocalFileAddQueue", local);
    local->addSeparator();
    makeAction("LocalFileCut", local);
    makeAction("LocalFileCopy", local);
    makeAction("LocalFilePast", local);
    local->addSeparator();
    makeAction("LocalFileDelete", local);
    makeAction("LocalFileReName", local);
    makeAction("LocalFileExecute", local);
    makeAction("LocalFileProperty", local);
    local->addSeparator();
    makeAction("LocalFileCreateDirectory", local);
    makeAction("LocalFileViewDirectory", local);
    local->addSeparator();
    QMenu *localView = makeMenu("LocalFileView", local);
    auto *localStyles = new QActionGroup(this);
    int tag = 0;
    for (const char *name : {"LocalFileViewIcon", "LocalFileViewSmallIcon", "LocalFileViewList", "LocalFileViewReport"}) {
        QAction *a = makeAction(name, localView);
        a->setCheckable(true);
        a->setData(tag++);
        localStyles->addAction(a);
    }
    QAction *showAll = makeAction("LocalFileShowAllFile", local);
    showAll->setCheckable(true);
    QMenu *localSort = makeMenu("LocalFileSort", local);
    auto *localOrder = new QActionGroup(this);
    for (const char *name : {"LocalFileSortUp", "LocalFileSortDown"}) {
        QAction *a = makeAction(name, localSort);
        a->setCheckable(true);
        localOrder->addAction(a);
    }
    action("LocalFileSortUp")->setChecked(true);
    local->addSeparator();
    makeAction("LocalFileRefresh", local);

    // Remote pane.
    QMenu *remote = new QMenu(this);
    remote->setObjectName(QStringLiteral("RemoteFilePopupMenu"));
    menus_.insert(remote->objectName(), remote);
    makeAction("RemoteFileDownLoad", remote);
    makeAction("RemoteFileAddQueue", remote);
    remote->addSeparator();
    makeAction("RemoteFileDelete", remote);
    makeAction("RemoteFileReName", remote);
    makeAction("RemoteFileMove", remote);
    makeAction("RemoteFileExecute", remote);
    makeAction("RemoteFileProperty", remote);
    remote->addSeparator();
    makeAction("RemoteFileCreateDirectory", remote);
    makeAction("RemoteFileViewDirectory", remote);
    remote->addSeparator();
    QMenu *remoteView = makeMenu("RemoteFileView", remote);
    auto *remoteStyles = new QActionGroup(this);
    tag = 0;
    for (const char *name :
         {"RemoteFileViewIcon", "RemoteFileViewSmallIcon", "RemoteFileViewList", "RemoteFileViewReport"}) {
        QAction *a = makeAction(name, remoteView);
        a->setCheckable(true);
        a->setData(tag++);
        remoteStyles->addAction(a);
    }
    QMenu *remoteSort = makeMenu("RemoteFileSort", remote);
    auto *sortKeys = new QActionGroup(this);
    tag = 0;
    for (const char *name : {"RemoteFileSortName", "RemoteFileSortSize", "RemoteFileSortType", "RemoteFileSortDate"}) {
        QAction *a = makeAction(name, remoteSort);
        a->setCheckable(true);
        a->setData(tag++);
        sortKeys->addAction(a);
    }
    remoteSort->addSeparator();
    auto *sortOrder = new QActionGroup(this);
    for (const char *name : {"RemoteFileSortUp", "RemoteFileSortDown"}) {
        QAction *a = makeAction(name, remoteSort);
        a->setCheckable(true);
        sortOrder->addAction(a);
    }
    action("RemoteFileSortName")->setChecked(true);
    action("RemoteFileSortUp")->setChecked(true);
    QMenu *columns = makeMenu("RemoteFileShowColumns", remote);
    tag = 1;
    for (const char *name : {"RemoteFileShowColumnsSize", "RemoteFileShowColumnsType", "RemoteFileShowColumnsDate",
                             "RemoteFileShowColumnsProperty", "RemoteFileShowColumnsDescription",
                             "RemoteFileShowColumnsOwner"}) {
        QAction *a = makeAction(name, columns);
        a->setCheckable(true);
        a->setData(tag++);
    }
    remote->addSeparator();
    makeAction("RemoteFileRefresh", remote);

    // Queue.
    QMenu *queue = new QMenu(this);
    queue->setObjectName(QStringLiteral("QueuePopupMenu"));
    menus_.insert(queue->objectName(), queue);
    for (const char *name : {"popTransferAllQueue", "popTransferSelectQueue", "popModifySelectQueue",
                             "popDeleteSelectQueue", "popClearAllQueue"})
        makeAction(name, queue);
    queue->addSeparator();
    makeAction("popLoadQueue", queue);
    makeAction("popSaveQueue", queue);

    // Session log.
    QMenu *log = new QMenu(this);
    log->setObjectName(QStringLiteral("LogPopupMenu"));
    menus_.insert(log->objectName(), log);
    makeAction("LogCopySelect", log);
    makeAction("LogCopyAll", log);
    log->addSeparator();
    makeAction("LogClear", log);

    // View drop-downs of the tool bars.
    QMenu *localDrop = new QMenu(this);
    localDrop->setObjectName(QStringLiteral("LocalFileToolViewMenu"));
    menus_.insert(localDrop->objectName(), localDrop);
    auto *localDropStyles = new QActionGroup(this);
    tag = 0;
    for (const char *name : {"LocalFileToolViewIcon", "LocalFileToolViewSmallIcon", "LocalFileToolViewList",
                             "LocalFileToolViewReport"}) {
        QAction *a = makeAction(name, localDrop);
        a->setCheckable(true);
        a->setData(tag++);
        localDropStyles->addAction(a);
    }
    localDrop->addSeparator();
    makeAction("LocalFileToolShowAllFile", localDrop)->setCheckable(true);

    QMenu *remoteDrop = new QMenu(this);
    remoteDrop->setObjectName(QStringLiteral("RemoteFileToolViewMenu"));
    menus_.insert(remoteDrop->objectName(), remoteDrop);
    auto *remoteDropStyles = new QActionGroup(this);
    tag = 0;
    for (const char *name : {"RemoteFileToolViewIcon", "RemoteFileToolViewSmallIcon", "RemoteFileToolViewList",
                             "RemoteFileToolViewReport"}) {
        QAction *a = makeAction(name, remoteDrop);
        a->setCheckable(true);
        a->setData(tag++);
        remoteDropStyles->addAction(a);
    }
}

QToolButton *TMainForm::addToolButton(QToolBar *bar, const char *name, int glyph)
{
    auto *b = new QToolButton(bar);
    b->setObjectName(QLatin1String(name));
    b->setIcon(ui::glyphIcon(ui::Glyph(glyph)));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->installEventFilter(this);
    buttons_.insert(b->objectName(), b);
    if (bar)
        buttonActions_.insert(b->objectName(), bar->addWidget(b));
    return b;
}

void TMainForm::buildLocalPane()
{
    using ui::Glyph;
    localPane_ = new QWidget(this);
    localPane_->setObjectName(QStringLiteral("LocalFileSkinPanel"));
    localPane_->setAttribute(Qt::WA_StyledBackground);
    auto *column = new QVBoxLayout(localPane_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    localFolderBox_ = folderBox("JamShellCombo1", localPane_);
    QToolButton *goUp = addToolButton(nullptr, "LocalFileToolGoUp", int(Glyph::GoUp));
    column->addWidget(toolStrip("LocalFileToolPanel", localFolderBox_, goUp, localPane_));
    localLine_ = line("LocalFileLine", localPane_);
    column->addWidget(localLine_);

    QToolBar *bar = toolBar("LocalFileToolBar", localPane_);
    addToolButton(bar, "LocalFileToolReName", int(Glyph::Rename));
    addToolButton(bar, "LocalFileToolDelete", int(Glyph::Delete));
    addToolButton(bar, "LocalFileToolCreateDirectory", int(Glyph::NewFolder));
    QToolButton *view = addToolButton(bar, "LocalFileToolView", int(Glyph::ViewMenu));
    view->setPopupMode(QToolButton::InstantPopup);
    view->setMenu(menus_.value(QStringLiteral("LocalFileToolViewMenu")));
    addToolButton(bar, "LocalFileToolViewDirectory", int(Glyph::ViewFolder));
    bar->addSeparator();
    addToolButton(bar, "LocalFileToolCut", int(Glyph::Cut));
    addToolButton(bar, "LocalFileToolCopy", int(Glyph::Copy));
    addToolButton(bar, "LocalFileToolPast", int(Glyph::Paste));
    bar->addSeparator();
    addToolButton(bar, "LocalFileToolUpload", int(Glyph::Upload));
    addToolButton(bar, "LocalFileToolRefresh", int(Glyph::Refresh));
    buttonActions_.insert(QStringLiteral("LocalViewSeparator"), bar->addSeparator());
    addToolButton(bar, "LocalFileToolLargeIcon", int(Glyph::LargeIcons));
    addToolButton(bar, "LocalFileToolSmallIcon", int(Glyph::SmallIcons));
    addToolButton(bar, "LocalFileToolListIcon", int(Glyph::List));
    addToolButton(bar, "LocalFileToolReportIcon", int(Glyph::Report));
    column->addWidget(bar);

    localModel_ = new LocalFileModel(this);
    static LocalIconProvider localIcons; // outlives every model that uses it
    localModel_->setIconProvider(&localIcons);
    localModel_->setReadOnly(true);
    localModel_->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs);
    localList_ = new ui::FileListView(localPane_);
    localList_->setObjectName(QStringLiteral("JamShellList1"));
    localList_->setModel(localModel_);
    localList_->reportView()->header()->resizeSection(0, 170);
    localList_->reportView()->header()->resizeSection(1, 64);
    localList_->reportView()->header()->resizeSection(2, 64);
    localList_->setContextMenuPolicy(Qt::CustomContextMenu);
    column->addWidget(localList_, 1);
}

void TMainForm::buildRemotePane()
{
    using ui::Glyph;
    remotePane_ = new QWidget(this);
    remotePane_->setObjectName(QStringLiteral("RemotePanel"));
    remotePane_->setAttribute(Qt::WA_StyledBackground);
    auto *column = new QVBoxLayout(remotePane_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    remoteLine_ = line("RemoteFileLine", remotePane_);
    column->addWidget(remoteLine_);
    QToolBar *bar = toolBar("RemoteFileToolBar", remotePane_);
    addToolButton(bar, "RemoteFileToolReName", int(Glyph::Rename));
    addToolButton(bar, "RemoteFileToolDelete", int(Glyph::Delete));
    addToolButton(bar, "RemoteFileToolCreateDirectory", int(Glyph::NewFolder));
    QToolButton *view = addToolButton(bar, "RemoteFileToolView", int(Glyph::ViewMenu));
    view->setPopupMode(QToolButton::InstantPopup);
    view->setMenu(menus_.value(QStringLiteral("RemoteFileToolViewMenu")));
    addToolButton(bar, "RemoteFileToolViewDirectory", int(Glyph::ViewFolder));
    bar->addSeparator();
    addToolButton(bar, "RemoteFileToolConnect", int(Glyph::Connect));
    addToolButton(bar, "RemoteFileToolDisConnect", int(Glyph::Disconnect));
    addToolButton(bar, "RemoteFileToolReConnect", int(Glyph::Reconnect));
    bar->addSeparator();
    addToolButton(bar, "RemoteFileToolDownLoad", int(Glyph::Download));
    addToolButton(bar, "RemoteFileToolRefresh", int(Glyph::Refresh));
    addToolButton(bar, "RemoteFileToolStop", int(Glyph::Stop));
    addToolButton(bar, "RemoteFileToolMove", int(Glyph::Move));
    buttonActions_.insert(QStringLiteral("RemoteViewSeparator"), bar->addSeparator());
    addToolButton(bar, "RemoteFileToolLargeIcon", int(Glyph::LargeIcons));
    addToolButton(bar, "RemoteFileToolSmallIcon", int(Glyph::SmallIcons));
    addToolButton(bar, "RemoteFileToolListIcon", int(Glyph::List));
    addToolButton(bar, "RemoteFileToolReportIcon", int(Glyph::Report));
    column->addWidget(bar);

    remoteFolderBox_ = folderBox("RemoteFileDirectory", remotePane_);
    QToolButton *goUp = addToolButton(nullptr, "RemoteFileToolGoUp", int(Glyph::GoUp));
    column->addWidget(toolStrip("RemoteFileToolPanel", remoteFolderBox_, goUp, remotePane_));

    remoteList_ = new views::TMFtpListView(remotePane_);
    remoteList_->setContextMenuPolicy(Qt::CustomContextMenu);

    logPanel_ = new QWidget(remotePane_);
    logPanel_->setObjectName(QStringLiteral("MFtpMsgPanel"));
    auto *logLayout = new QVBoxLayout(logPanel_);
    logLayout->setContentsMargins(0, 0, 0, 0);
    messenger_ = new views::TMFtpMessenger(logPanel_);
    messenger_->setContextMenuPolicy(Qt::CustomContextMenu);
    logLayout->addWidget(messenger_);

    queuePanel_ = new QWidget(remotePane_);
    queuePanel_->setObjectName(QStringLiteral("QueuePanel"));
    auto *queueLayout = new QVBoxLayout(queuePanel_);
    queueLayout->setContentsMargins(0, 0, 0, 0);
    buildQueueList();
    queueLayout->addWidget(queueList_);

    // Remote list, log and queue share one splitter; the handle above the
    // queue panel is bsSkinSplitter3.
    remoteSplitter_ = new QSplitter(Qt::Vertical, remotePane_);
    remoteSplitter_->setObjectName(QStringLiteral("RemoteSplitter"));
    remoteSplitter_->setHandleWidth(SplitterWidth);
    remoteSplitter_->setChildrenCollapsible(false);
    remoteSplitter_->addWidget(remoteList_);
    remoteSplitter_->addWidget(logPanel_);
    remoteSplitter_->addWidget(queuePanel_);
    remoteSplitter_->handle(2)->setObjectName(QStringLiteral("bsSkinSplitter3"));
    remoteSplitter_->setStretchFactor(0, 1);
    remoteSplitter_->setStretchFactor(1, 0);
    remoteSplitter_->setStretchFactor(2, 0);
    column->addWidget(remoteSplitter_, 1);

    statusBar_ = new QStatusBar(remotePane_);
    statusBar_->setObjectName(QStringLiteral("bsSkinStatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    statusPanel_ = new QLabel(statusBar_);
    statusPanel_->setObjectName(QStringLiteral("StatusPanel"));
    speedPanel_ = new QLabel(statusBar_);
    speedPanel_->setObjectName(QStringLiteral("SpeedStatusPanel"));
    speedPanel_->setMinimumWidth(90);
    speedPanel_->hide();
    progressPanel_ = new QProgressBar(statusBar_);
    progressPanel_->setObjectName(QStringLiteral("ProgressStatusPanel"));
    progressPanel_->hide();
    progressPanel_->setMinimumWidth(80);
    progressPanel_->setTextVisible(true);
    speedPanel_->setAlignment(Qt::AlignCenter);
    // At rest the text panel fills the bar; during a transfer it keeps 190
    // pixels on the left, the gauge fills the rest and the speed sits right.
    statusBar_->addWidget(statusPanel_, 1);
    statusBar_->addWidget(progressPanel_, 1);
    statusBar_->addPermanentWidget(speedPanel_);
    column->addWidget(statusBar_);
}

} // namespace mainwindow
