#include "mainwindow/Main.h"

#include "engine/TMFtp.h"
#include "mainwindow/LocalFileModel.h"
#include "mainwindow/MainCaptions.h"
#include "platform/AppPaths.h"
#include "queue/QueueModel.h"
#include "queue/TransferProgress.h"
#include "queue/TransferRunner.h"
#include "sites/SetWindow.h"
#include "ui/FileListView.h"
#include "ui/Icons.h"
#include "views/FtpMsg.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>

namespace mainwindow {
namespace {

QSize primaryScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

QString configPath(const MainFormEnvironment &env)
{
    return env.configFile.isEmpty() ? platform::configFilePath() : env.configFile;
}

} // namespace

TMainForm::TMainForm(const MainFormEnvironment &environment, QWidget *parent)
    : QMainWindow(parent),
      config_(configPath(environment)),
      screen_(environment.screenSize.isEmpty() ? primaryScreenSize() : environment.screenSize)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(applicationTitle());
    setWindowIcon(ui::applicationIcon());
    setMinimumSize(MinimumWidth, MinimumHeight);

    mftp1_ = new TMFtp(this);
    mftp1_->setObjectName(QStringLiteral("MFtp1"));
    queueModel_ = new queue::TQueueModel(this);
    runner_ = new queue::TTransferRunner(*mftp1_, *queueModel_, *this);
    progress_ = new queue::TTransferProgress;

    buildMenus();
    buildPopupMenus();
    buildLocalPane();
    buildRemotePane();

    mainSplitter_ = new QSplitter(Qt::Horizontal, this);
    mainSplitter_->setObjectName(QStringLiteral("MainSplitter"));
    mainSplitter_->setHandleWidth(SplitterWidth);
    mainSplitter_->setChildrenCollapsible(false);
    mainSplitter_->addWidget(localPane_);
    mainSplitter_->addWidget(remotePane_);
    mainSplitter_->setStretchFactor(0, 0);
    mainSplitter_->setStretchFactor(1, 1);
    setCentralWidget(mainSplitter_);

    // Upload and download share Ctrl+T, and both add-to-queue commands
    // Ctrl+Q: each works in the pane that has the focus.
    auto paneShortcut = [this](const char *name, QWidget *pane, const QKeySequence &key) {
        if (QAction *a = action(QLatin1String(name))) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            pane->addAction(a);
        }
    };
    paneShortcut("mmiLocalFileUpLoad", localPane_, QKeySequence(Qt::CTRL | Qt::Key_T));
    paneShortcut("mmiLocalFileAddQueue", localPane_, QKeySequence(Qt::CTRL | Qt::Key_Q));
    paneShortcut("mmiRemoteFileDownLoad", remotePane_, QKeySequence(Qt::CTRL | Qt::Key_T));
    paneShortcut("mmiRemoteFileAddQueue", remotePane_, QKeySequence(Qt::CTRL | Qt::Key_Q));

    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(applicationTitle());
    connect(tray_, &QSystemTrayIcon::activated, this, [this] {
        tray_->hide();
        showMaximized();
        activateWindow();
    });

    timerEx1_ = new QTimer(this);
    timerEx1_->setObjectName(QStringLiteral("TimerEx1"));
    timerEx1_->setInterval(CommandStateIntervalMs);
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(ProgressIntervalMs);
    connect(timer1_, &QTimer::timeout, this, [this] { progressTick(); });
    connect(timerEx1_, &QTimer::timeout, this, [this] { UpdateCommandStates(); });

    messenger_->setClient(mftp1_);
    remoteList()->SetClient(mftp1_);
    bindEngine();

    connectCommands();
    connectCommandTable();
    connectRemoteCommands();
    connectLocalCommands();
    connectDragAndDrop();
    creationStep();
    // Until the first tick, at least nothing without work behind it is enabled.
    for (const QString &name : commandNames(false)) {
        if (QAction *a = action(name))
            a->setEnabled(false);
        if (QToolButton *b = toolButton(name))
            b->setEnabled(false);
    }
}

TMainForm::~TMainForm()
{
    messenger_->setClient(nullptr);
    remoteList()->SetClient(nullptr);
    mftp1_->OnLoggedIn = mftp1_->OnDirectoryChanged = mftp1_->OnFtpQuit = nullptr;
    mftp1_->OnFtpBusy = mftp1_->OnFtpReady = nullptr;
    mftp1_->OnDirectoryCreated = mftp1_->OnDirectoryDeleted = nullptr;
    mftp1_->OnFtpNeedInfo = nullptr;
    mftp1_->OnFtpInfo = nullptr;
    delete runner_;
    delete progress_;
}

bool TMainForm::narrowScreen() const
{
    return screen_.width() <= 850;
}

QAction *TMainForm::action(const QString &name) const
{
    return actions_.value(name);
}

QToolButton *TMainForm::toolButton(const QString &name) const
{
    return buttons_.value(name);
}

bool TMainForm::toolButtonShown(const QString &name) const
{
    if (QAction *slot = buttonActions_.value(name))
        return slot->isVisible();
    QToolButton *b = toolButton(name);
    return b && !b->isHidden();
}

QMenu *TMainForm::popupMenu(const QString &name) const
{
    return menus_.value(name);
}

bool TMainForm::engineBusy() const
{
    return mftp1_->Busy();
}

bool TMainForm::engineConnected() const
{
    return mftp1_->Connected();
}

void TMainForm::applyEngineSettings(const sites::EngineSettings &settings)
{
    engineSettings_ = settings;
    mftp1_->SetRetries(settings.retries);
    mftp1_->SetRetryInterval(settings.retryInterval);
    mftp1_->SetNoopInterval(settings.noopInterval);
    mftp1_->SetTimeOut(settings.timeOut);
    mftp1_->SetPassive(settings.passive);
    mftp1_->SetCache(settings.cache);
    if (settings.applyProxy) {
        mftp1_->SetProxyServer(settings.proxyServer);
        mftp1_->SetProxyUsername(settings.proxyUsername);
        mftp1_->SetProxyPassword(settings.proxyPassword);
        mftp1_->SetProxyPort(settings.proxyPort);
        mftp1_->SetProxyType(TMFtpProxyType(std::clamp(settings.proxyType, int(proxyHost), int(proxyUserSite))));
    } else {
        // Choosing "proxyNone" takes effect at once; the proxy's address and
        // credentials stay for a later choice of a proxy type.
        mftp1_->SetProxyType(proxyNone);
    }
}

void TMainForm::openSettings()
{
    if (runner_->state().mode != omIdle || engineBusy() || !setForm_)
        return;
    setForm_->OpenFromMenu();
}

void TMainForm::connectCommands()
{
    auto on = [this](const char *name, auto fn) {
        if (QAction *a = action(QLatin1String(name)))
            connect(a, &QAction::triggered, this, fn);
    };
    auto click = [this](const char *button, const char *item) {
        QToolButton *b = toolButton(QLatin1String(button));
        QAction *a = action(QLatin1String(item));
        if (b && a)
            connect(b, &QToolButton::clicked, a, &QAction::trigger);
    };

    connectRemoteNavigation();
    on("mmiExit", [this] { close(); });
    on("mmiMinToTray", [this] { minimiseToTray(); });
    on("mmiSetup", [this] { openSettings(); });
    on("mmiSiteManage", [this] { openSiteManager(); });
    on("mmiConnect", [this] { openQuickConnect(); });
    click("RemoteFileToolConnect", "mmiConnect");
    on("mmiReConnect", [this] { ReConnect(); });
    click("RemoteFileToolReConnect", "mmiReConnect");
    on("mmiDisConnect", [this] { DisConnect(); });
    click("RemoteFileToolDisConnect", "mmiDisConnect");
    on("mmiPastURL", [this] { openPasteURL(); });
    on("mmiCopyURL", [this] { copySiteURL(); });
    on("mmiSimpleLanguage", [this] { SetLanguage(true); });
    on("mmiMuiltLanguage", [this] { SetLanguage(false); });
    on("mmiFace1", [this] { SetSkin(1); });
    on("mmiFace2", [this] { SetSkin(2); });
    on("mmiLogWindow", [this](bool checked) { showLogWindow(checked); });
    on("mmiQueueWindow", [this](bool checked) { showQueueWindow(checked); });
    on("mmiStatusWindow", [this](bool checked) { showStatusWindow(checked); });

    for (const char *prefix : {"LocalFileView", "LocalFileToolView"}) {
        for (const char *style : {"Icon", "SmallIcon", "List", "Report"}) {
            QAction *a = action(QLatin1String(prefix) + QLatin1String(style));
            connect(a, &QAction::triggered, this, [this, a] { setLocalViewStyle(a->data().toInt()); });
        }
    }
    for (const char *prefix : {"RemoteFileView", "RemoteFileToolView"}) {
        for (const char *style : {"Icon", "SmallIcon", "List", "Report"}) {
            QAction *a = action(QLatin1String(prefix) + QLatin1String(style));
            connect(a, &QAction::triggered, this, [this, a] { setRemoteViewStyle(a->data().toInt()); });
        }
    }
    const char *localButtons[] = {"LocalFileToolLargeIcon", "LocalFileToolSmallIcon", "LocalFileToolListIcon",
                                  "LocalFileToolReportIcon"};
    const char *remoteButtons[] = {"RemoteFileToolLargeIcon", "RemoteFileToolSmallIcon", "RemoteFileToolListIcon",
                                   "RemoteFileToolReportIcon"};
    for (int style = 0; style < 4; ++style) {
        connect(toolButton(QLatin1String(localButtons[style])), &QToolButton::clicked, this,
                [this, style] { setLocalViewStyle(style); });
        connect(toolButton(QLatin1String(remoteButtons[style])), &QToolButton::clicked, this,
                [this, style] { setRemoteViewStyle(style); });
    }
    on("LocalFileShowAllFile", [this] { setShowLocalHidden(!showLocalHidden_); });
    on("LocalFileToolShowAllFile", [this] { setShowLocalHidden(!showLocalHidden_); });
    for (const char *name : {"RemoteFileShowColumnsSize", "RemoteFileShowColumnsType", "RemoteFileShowColumnsDate",
                             "RemoteFileShowColumnsProperty", "RemoteFileShowColumnsDescription",
                             "RemoteFileShowColumnsOwner"}) {
        QAction *a = action(QLatin1String(name));
        connect(a, &QAction::triggered, this, [this, a] { toggleRemoteColumn(a->data().toInt()); });
    }
    for (const char *name : {"RemoteFileSortName", "RemoteFileSortSize", "RemoteFileSortType", "RemoteFileSortDate"}) {
        QAction *a = action(QLatin1String(name));
        connect(a, &QAction::triggered, this, [this, a] { setRemoteSortKey(a->data().toInt()); });
    }
    on("RemoteFileSortUp", [this] { setRemoteSortDescending(false); });
    on("RemoteFileSortDown", [this] { setRemoteSortDescending(true); });

    // Local pane navigation.
    auto refreshLocal = [this] { setLocalPath(localPath()); };
    on("mmiLocalFileRefresh", refreshLocal);
    on("LocalFileRefresh", refreshLocal);
    click("LocalFileToolRefresh", "mmiLocalFileRefresh");
    connect(toolButton(QStringLiteral("LocalFileToolGoUp")), &QToolButton::clicked, this, [this] {
        QDir dir(localPath());
        if (dir.cdUp())
            setLocalPath(dir.absolutePath());
    });
    connect(localList_, &ui::FileListView::activated, this, [this](const QModelIndex &index) {
        if (localModel_->isDir(index))
            setLocalPath(localModel_->filePath(index));
    });
    connect(localFolderBox_->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        const QString typed = localFolderBox_->currentText().trimmed();
        if (QFileInfo(typed).isDir())
            setLocalPath(typed);
        else
            localFolderBox_->setEditText(localPath());
    });
    on("mmiLocalFileSelectAll", [this] { localList_->currentView()->selectAll(); });
    on("mmiLocalFileNotSelect", [this] {
        QAbstractItemView *v = localList_->currentView();
        const QModelIndex root = v->rootIndex();
        const int rows = localModel_->rowCount(root);
        if (rows > 0)
            v->selectionModel()->select(QItemSelection(localModel_->index(0, 0, root),
                                                       localModel_->index(rows - 1, 0, root)),
                                        QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    });
    on("mmiRemoteFileSelectAll", [this] { remoteList_->currentView()->selectAll(); });
    on("mmiRemoteFileNotSelect", [this] {
        QAbstractItemView *v = remoteList_->currentView();
        const int rows = v->model()->rowCount(v->rootIndex());
        if (rows > 0)
            v->selectionModel()->select(QItemSelection(v->model()->index(0, 0, v->rootIndex()),
                                                       v->model()->index(rows - 1, 0, v->rootIndex())),
                                        QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    });

    // Pop-up menus.
    connect(localList_, &QWidget::customContextMenuRequested, this,
            [this] { popupMenu(QStringLiteral("LocalFilePopupMenu"))->popup(QCursor::pos()); });
    connect(remoteList_, &QWidget::customContextMenuRequested, this,
            [this] { popupMenu(QStringLiteral("RemoteFilePopupMenu"))->popup(QCursor::pos()); });
    connect(queueList_, &QWidget::customContextMenuRequested, this, [this] {
        UpdateCommandStates();
        popupMenu(QStringLiteral("QueuePopupMenu"))->popup(QCursor::pos());
    });
    connect(messenger_, &QWidget::customContextMenuRequested, this, [this] {
        setLogPopupStates();
        popupMenu(QStringLiteral("LogPopupMenu"))->popup(QCursor::pos());
    });
    on("LogCopySelect", [this] { messenger_->CopySelectedToClipboard(); });
    on("LogCopyAll", [this] { messenger_->CopyAllToClipboard(); });
    on("LogClear", [this] { messenger_->clear(); });

    // Opening a view drop-down checks the item of the list's current style.
    connect(popupMenu(QStringLiteral("LocalFileToolViewMenu")), &QMenu::aboutToShow, this, [this] { syncViewChecks(); });
    connect(popupMenu(QStringLiteral("RemoteFileToolViewMenu")), &QMenu::aboutToShow, this, [this] { syncViewChecks(); });
    connect(popupMenu(QStringLiteral("LocalFilePopupMenu")), &QMenu::aboutToShow, this, [this] { syncViewChecks(); });
    connect(popupMenu(QStringLiteral("RemoteFilePopupMenu")), &QMenu::aboutToShow, this, [this] { syncViewChecks(); });
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (auto *b = qobject_cast<QToolButton *>(watched)) {
        if (event->type() == QEvent::Enter)
            ShowStatusHint(b->toolTip());
        else if (event->type() == QEvent::Leave)
            ShowStatusHint(QString());
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::ShowStatusHint(const QString &hint)
{
    if (!hint.isEmpty() && runner_->state().mode == omIdle)
        statusPanel_->setText(hint);
    else if (!timer1_->isActive())
        statusPanel_->setText(welcomeText(useSimplified_));
}

void TMainForm::minimiseToTray()
{
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_->show();
        hide();
    } else {
        showMinimized();
    }
}

} // namespace mainwindow
