#pragma once
// TMainForm: the main window. Local pane on the left; on the right the
// remote list, the session log, the transfer queue and the status bar; the
// menu bar above. It reads its layout, views, skin and language from section
// [Load] of Config.ini when it is created and shown, and writes them back
// when it closes.

#include "engine/FtpTypes.h"
#include "mainwindow/OperationMode.h"
#include "platform/ProfileFile.h"
#include "queue/TransferRunner.h"
#include "sites/ConnectOptions.h"
#include "sites/ConnectRequest.h"
#include "sites/SiteURL.h"
#include "views/FtpListView.h"

#include <QHash>
#include <QMainWindow>
#include <QSize>

#include <optional>

class QAction;
class QActionGroup;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QStandardItemModel;
class QStatusBar;
class QSystemTrayIcon;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeView;
class QTreeWidget;
class TMFtp;

namespace sites {
class TSetForm;
class TSiteForm;
}
namespace ui {
class FileListView;
}
namespace views {
class TMFtpMessenger;
}
namespace queue {
class TQueueModel;
class TTransferProgress;
}

namespace mainwindow {

class LocalFileModel;
class TOverDialog;
class TLocalDirForm;

// What the main window is started with; tests inject both.
struct MainFormEnvironment
{
    QString configFile;   // empty: Config.ini in the program's data folder
    QSize screenSize;     // empty: the primary screen's size
};

// Remote list columns that can be switched on and off (Tag 1..6).
enum RemoteColumn { rcName = 0, rcSize = 1, rcType = 2, rcDate = 3, rcAttributes = 4, rcDescription = 5, rcOwner = 6 };
inline constexpr int RemoteColumnCount = 7;

class TMainForm : public QMainWindow, public sites::OptionsTarget, public queue::TransferHost
{
    Q_OBJECT
public:
    static constexpr int MinimumWidth = 750;
    static constexpr int MinimumHeight = 480;
    static constexpr int CommandStateIntervalMs = 380;
    static constexpr int ProgressIntervalMs = 250;
    static constexpr int ToolStripHeight = 38;
    static constexpr int ToolBarHeight = 25;
    static constexpr int SplitterWidth = 10;

    explicit TMainForm(const MainFormEnvironment &environment = {}, QWidget *parent = nullptr);
    ~TMainForm() override;

    platform::ProfileFile &config() { return config_; }
    QSize screenSize() const { return screen_; }
    bool narrowScreen() const;

    OperationMode operationMode() const { return runner_->state().mode; }
    void setOperationMode(OperationMode mode) { runner_->state().mode = mode; }
    bool UseSimplified() const override { return useSimplified_; }

    // The window's FTP engine; the session log follows it.
    TMFtp *MFtp1() const { return mftp1_; }

    // Controls by their names (menu items, pop-up items, tool buttons).
    QAction *action(const QString &name) const;
    QToolButton *toolButton(const QString &name) const;
    // Whether a tool button is shown on its tool bar.
    bool toolButtonShown(const QString &name) const;
    QMenu *popupMenu(const QString &name) const;

    ui::FileListView *localList() const { return localList_; }
    views::TMFtpListView *remoteList() const { return remoteList_; }
    views::TMFtpListModel *remoteModel() const;
    views::TMFtpMessenger *messenger() const { return messenger_; }
    QTreeView *queueList() const { return queueList_; }
    queue::TQueueModel *queueModel() const { return queueModel_; }
    queue::TTransferRunner *runner() const { return runner_; }
    queue::TTransferProgress *progress() const { return progress_; }
    // Copies the progress display's state into the status bar.
    void applyProgressView();
    QLabel *statusPanel() const { return statusPanel_; }
    QLabel *speedPanel() const { return speedPanel_; }
    QProgressBar *progressPanel() const { return progressPanel_; }
    QStatusBar *skinStatusBar() const { return statusBar_; }
    QWidget *logPanel() const { return logPanel_; }
    QWidget *queuePanel() const { return queuePanel_; }
    QWidget *localPane() const { return localPane_; }
    QFrame *localFileLine() const { return localLine_; }
    QFrame *remoteFileLine() const { return remoteLine_; }
    QComboBox *localFolderBox() const { return localFolderBox_; }
    QComboBox *remoteFolderBox() const { return remoteFolderBox_; }
    QSystemTrayIcon *trayIcon() const { return tray_; }
    QTimer *commandStateTimer() const { return timerEx1_; }
    QTimer *progressTimer() const { return timer1_; }

    // Current layout sizes in pixels.
    int messagePanelHeight() const;
    int queuePanelHeight() const;
    int localPanelWidth() const;

    QString localPath() const;
    void setLocalPath(const QString &path);
    bool showLocalHidden() const { return showLocalHidden_; }
    void setShowLocalHidden(bool on);
    bool remoteColumnShown(RemoteColumn column) const { return remoteColumns_[column]; }

    // Language and skin.
    void ApplySimplifiedTexts();
    void ApplyTraditionalTexts();
    void SetLanguage(bool simplified);
    // 1 or 2; another value leaves the current skin and marks.
    void SetSkin(int face);
    int currentFace() const { return face_; }

    // Shows a hint in the status panel, or the welcome text when there is none.
    void ShowStatusHint(const QString &hint);

    void setSettingsWindow(sites::TSetForm *form) { setForm_ = form; }
    // The windows of the start-up that the queue's commands use.
    void setOverDialog(TOverDialog *dialog) { overDialog_ = dialog; }
    void setLocalDirForm(TLocalDirForm *form) { localDirForm_ = form; }
    void setSiteManager(sites::TSiteForm *form);
    sites::TSiteForm *siteManager() const { return siteForm_; }
    // The engine settings last applied by the settings window.
    const std::optional<sites::EngineSettings> &engineSettings() const { return engineSettings_; }
    void applyEngineSettings(const sites::EngineSettings &settings) override;

    // The engine state the window's commands consult.
    bool engineBusy() const;
    bool engineConnected() const;

    // Handlers, public so that scripted runs and tests can drive them.
    void setLocalViewStyle(int style);
    void setRemoteViewStyle(int style);
    void toggleRemoteColumn(int tag);
    void setRemoteSortKey(int tag);
    void setRemoteSortDescending(bool descending);
    void toggleLogWindow();
    void toggleQueueWindow();
    void toggleStatusWindow();
    void minimiseToTray();
    void openSettings();

    // Connecting (MainConnect.cpp): every way ends in ConnectToSite.
    void openSiteManager();
    void openQuickConnect();
    void openPasteURL();
    void copySiteURL();
    // Sets the engine's connection properties from the request and logs in;
    // asks first when a session is open. The request is also announced
    // through connectRequested() and kept for scripted runs and tests.
    void ConnectToSite(const sites::ConnectRequest &request);
    const std::optional<sites::ConnectRequest> &lastConnectRequest() const { return lastConnectRequest_; }
    // Logs in again to the same server and folder.
    void ReConnect();
    void DisConnect();
    // What "copy site URL" builds the address from.
    sites::SiteURLSource siteURLSource() const;

    // The engine's events (MainEngineEvents.cpp).
    // Moves or inserts `path` at the top of the remote folder box and selects it.
    void AddRemoteDirHistory(const QString &path);
    // Deletes the files of the listing cache folder; folders and errors are ignored.
    void EmptyTempFolder();
    // Lists the engine's current folder (the one place that starts a listing).
    void ListCurrentFolder();
    // Lists the current folder again with the cache off, log on.
    void RefreshRemoteList(bool force) override;
    // Answers the engine's requests: new credentials with the prompts,
    // existing files with the overwrite dialog, rename targets with a question.
    void AnswerNeedInfo(TMFtpInfoNeeded need, QString &value);
    void MFtp1FtpNeedInfo(TMFtpInfoNeeded need, QString &value) { AnswerNeedInfo(need, value); }

    // The transfer commands (MainTransfer.cpp), public so that scripted runs
    // and tests can drive them.
    void LocalFileUpLoadClick();
    void RemoteFileDownLoadClick();
    void LocalFileAddQueueClick();
    void RemoteFileAddQueueClick();
    void popTransferAllQueueClick();
    void popTransferSelectQueueClick();
    void popModifySelectQueueClick();
    void popDeleteSelectQueueClick();
    void popClearAllQueueClick();
    void popSaveQueueClick();
    void popLoadQueueClick();
    void RemoteFileToolStopClick();
    // One answer for every existing file ("Overwrite", "Resume", "Cancel")
    // instead of the dialog; empty: ask again.
    void setPresetAnswer(const std::optional<QString> &answer) { presetAnswer_ = answer; }
    // Scripted runs: no credential prompts; a refused login ends the attempt.
    void setNonInteractive(bool on) { nonInteractive_ = on; }
    // Saving and loading without the file dialogs (the command line, tests).
    bool SaveQueueTo(const QString &path);
    bool LoadQueueFrom(const QString &path);
    // The local pane's selection in display order: existing folders, files.
    void localSelection(QStringList *folders, QStringList *files) const;
    // Recomputes the enabled state of every command (the TimerEx1 tick).
    void UpdateCommandStates();
    // Names of the commands (menu items, pop-up items, tool buttons) that
    // have work behind them (`built`), or that are not built yet and stay
    // disabled.
    QStringList commandNames(bool built) const;

    // ---- remote file commands (MainRemoteCommands.cpp) ----
    void RemoteFileDeleteClick();
    void RemoteFileReNameClick();
    void RemoteFileMoveClick();
    void RemoteFileExecuteClick();
    void RemoteFilePropertyClick();
    void RemoteFileCreateDirectoryClick();
    void RemoteFileViewDirectoryClick();
    // The remote folder chooser made at start-up; without one the command
    // makes its own on first use.
    void setRemoteDirForm(class TRemoteDirForm *form) { remoteDirForm_ = form; }
    class TRemoteDirForm *remoteDirForm() const { return remoteDirForm_; }
    // The remote list (one of its views) has the focus within the window.
    bool remoteListActive() const;
private:
    class TRemoteDirForm *remoteDirForm_ = nullptr;
public:
    // ---- end of remote file commands ----

    // ---- local pane commands (MainLocalCommands.cpp) ----
    void LocalFileCutClick();
    void LocalFileCopyClick();
    void LocalFilePastClick();
    void LocalFileDeleteClick();
    void LocalFileReNameClick();
    void LocalFileExecuteClick();
    void LocalFilePropertyClick();
    void LocalFileCreateDirectoryClick();
    void LocalFileViewDirectoryClick();
    // Whether the clipboard offers a list of files to paste.
    bool localClipboardHasFiles() const;
    // Deletes the selection to the trash, or for good; Shift held down at
    // that moment makes any delete permanent. Asks first.
    void LocalFileDelete(bool permanent);
    // At each opening of the pop-up: its items' states and the sort submenu.
    void LocalFilePopupMenuPopup();
    // ---- end of local pane commands ----

    // ---- drag and drop (MainDragDrop.cpp) ----
    // Remote items travel in the program's own format (RemoteDragData.h),
    // accepted only by this window; local files as file URLs. The drop
    // handlers of the views call the functions below with the event's data,
    // the row under the mouse (-1: none) and the actions the source offers.

    // The remote list's begin-drag: drags the selected rows when connected
    // and idle.
    void MFtpListView1BeginDrag();
    // The data of a drag of these names of the current remote folder.
    QMimeData *remoteDragData(const QList<QByteArray> &folders, const QList<QByteArray> &files) const;

    // Drops on the remote list: whether a drag may enter (connected, idle,
    // not busy; local files, or this window's remote items of the current
    // folder).
    bool remoteDropAcceptable(const QMimeData *mime) const;
    // The effect over `row`, with the drop highlight on the folder row that
    // would receive the drop: copy for local files, move for remote items
    // onto another folder row, none otherwise.
    Qt::DropAction remoteDragOver(const QMimeData *mime, int row, Qt::DropActions possible);
    // Records a drop and posts its processing; the effect taken.
    Qt::DropAction remoteDrop(const QMimeData *mime, int row, Qt::DropActions possible);
    // The posted step: uploads the dropped local files (after the upload
    // question) into the folder row or the current folder, or moves the
    // dropped remote items into the folder row.
    void processRemoteDrop();
    // The end of a drag over the remote list: no highlight, no data kept.
    void remoteDragLeave();
    // Scrolls the remote list one step towards the edge that `pos` (viewport
    // coordinates) is near when more than 255 ms passed since the last
    // scroll; `nowMs` on the clock of QDeadlineTimer::current(). True when
    // it scrolled.
    bool remoteAutoScroll(const QPoint &pos, qint64 nowMs);

    // Drops of remote items on the local pane: the folder that receives them
    // over `row` (a folder row, else the pane's folder); empty: refused (not
    // this window's items, not idle, a read-only drive).
    QString localDropFolder(const QMimeData *mime, int row) const;
    // Keeps the folder and the items and posts the download.
    void JamShellList1DragDownLoad(const QString &path, const QMimeData *mime);
    // The posted step: the download question, then the download.
    void processLocalDrop();

    // Drops on the queue list from elsewhere (its own rows reorder): local
    // files add upload entries, remote items download entries; only when
    // connected and idle.
    bool queueDropAcceptable(const QMimeData *mime) const;
    void processQueueDrop(const QMimeData *mime);
private:
    struct DragDropState;
    DragDropState *dragDrop_ = nullptr;
public:
    // ---- end of drag and drop ----

    // ---- layout, views and language fixes (MainViewOptions.cpp and others) ----
    // The remote list's sort is one state, the list's own: its header, the
    // sort menu's check marks and [Load] RemoteSortType/RemoteSortAscending
    // follow it. Restores the stored sort and binds the menu and the file to
    // the list (once, while the window is built).
    void connectRemoteSort();
    // Checks the sort menu's items of the list's sort key and direction (no
    // key item for keys the menu does not offer).
    void syncRemoteSortChecks();
    // The remote pane's least width, the remote list's least height and the
    // tool bars' overflow buttons; again after a skin change, whose fonts
    // change the sizes.
    void applyPaneLayout();
private:
    bool restoringRemoteSort_ = false;
public:
    // ---- end of layout, views and language fixes ----

    // ---- help menu and online services (MainServices.cpp) ----
    // The update check, the guide, the feedback form and the about window.
    // All but the about window do nothing while a long operation runs or
    // the engine is busy.
    void mmiCheckUpdateClick();
    void mmiUserHelpClick();
    void mmiSupportClick();
    void mmiAboutClick();
    // ---- end of help menu and online services ----

    // queue::TransferHost
    QString LocalPaneFolder() const override;
    void SetLocalPaneFolder(const QString &folder) override;
    void RereadLocalPane() override;
    void SetLogEnabled(bool on) override;
    void LogStatus(const QString &text) override;
    void LogError(const QString &text) override;
    void ShowRunFinished() override;
    void StopProgressTimer() override;
    void ShowTransferEnd() override;

signals:
    void connectRequested(const sites::ConnectRequest &request);

public:

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // construction (MainLayout.cpp)
    void buildMenus();
    void buildPopupMenus();
    void buildLocalPane();
    void buildRemotePane();
    QToolButton *addToolButton(QToolBar *bar, const char *name, int glyph);
    QAction *makeAction(const char *name, QMenu *menu, const QKeySequence &shortcut = {});
    QMenu *makeMenu(const char *name, QMenu *parentMenu);
    void connectCommands();

    // remote navigation (MainNavigation.cpp)
    void connectRemoteNavigation();
    bool remoteReady() const;
    void remoteListDoubleClick();
    void remoteGoUp();
    void remoteFolderBoxEntered(const QString &text);
    QByteArray remoteFolderBytes(const QString &text) const;

    // Config.ini (MainSettings.cpp)
    void creationStep();
    void showStep();
    void closingStep();
    void applyScreenWidthRule();
    void restoreLocalStartFolder();

    // views and texts (MainViewOptions.cpp)
    void applyTexts(bool simplified);
    void updateRemoteHeaders();
    void applyRemoteColumns();
    void syncViewChecks();
    void emptyRemoteListUnlessConnected();
    void setLogPopupStates();
    void applyPanelSizes(int messageHeight, int queueHeight, int localWidth);
    void showLogWindow(bool shown);
    void showQueueWindow(bool shown);
    void showStatusWindow(bool shown);

    // connection flow (MainConnect.cpp, MainEngineEvents.cpp)
    void bindEngine();
    void deliverEngineMessages();
    void setServerCaption(const QString &server);
    void onLoggedIn();
    void onDirectoryChanged();
    void onFtpQuit();
    void onFtpInfo(FtpInfo info, const QString &text);
    void answerResumeDecision(QString &value);
    void answerOverwriteConfirm(QString &value);

    // transfers, queue and progress (MainTransfer.cpp, MainQueue.cpp, MainProgress.cpp)
    void connectTransferCommands();
    void buildQueueList();
    void progressTick();
    bool queueReady() const;
    int selectedQueueRow() const;
    QString queueDialogFolder() const;
    void rememberQueueFolder(const QString &path);
    // The command table (MainCommands.cpp): every action with a handler and
    // an enabled rule.
    void connectCommandTable();
    // Shortcuts and key handling of each pane's commands (in the files of
    // those commands).
    void connectRemoteCommands();
    void connectLocalCommands();
    void connectDragAndDrop();

    platform::ProfileFile config_;
    QSize screen_;
    TMFtp *mftp1_ = nullptr;
    queue::TQueueModel *queueModel_ = nullptr;
    queue::TTransferRunner *runner_ = nullptr;
    queue::TTransferProgress *progress_ = nullptr;
    // Set by DisConnect: a session the user ended empties the queue; one the
    // server or the network ended keeps it for a later run.
    bool userDisconnect_ = false;
    TOverDialog *overDialog_ = nullptr;
    TLocalDirForm *localDirForm_ = nullptr;
    std::optional<QString> presetAnswer_;
    bool nonInteractive_ = false;
    bool closeAfterRun_ = false;
    bool useSimplified_ = true;
    int face_ = 1;
    bool shownOnce_ = false;
    bool showLocalHidden_ = false;
    bool remoteColumns_[RemoteColumnCount] = {true, true, true, true, true, false, false};
    int lastMessageHeight_ = 0;
    int lastQueueHeight_ = 0;
    std::optional<sites::EngineSettings> engineSettings_;
    sites::TSetForm *setForm_ = nullptr;
    sites::TSiteForm *siteForm_ = nullptr;
    std::optional<sites::ConnectRequest> lastConnectRequest_;

    QHash<QString, QAction *> actions_;
    QHash<QString, QToolButton *> buttons_;
    QHash<QString, QAction *> buttonActions_; // tool-bar slots of the buttons
    QHash<QString, QMenu *> menus_;

    QWidget *localPane_ = nullptr;
    QWidget *remotePane_ = nullptr;
    QSplitter *mainSplitter_ = nullptr;
    QSplitter *remoteSplitter_ = nullptr;
    QFrame *localLine_ = nullptr;
    QFrame *remoteLine_ = nullptr;
    QComboBox *localFolderBox_ = nullptr;
    QComboBox *remoteFolderBox_ = nullptr;
    // The server's bytes of every folder shown in the folder box, by its text.
    QHash<QString, QByteArray> remoteFolderNames_;
    ui::FileListView *localList_ = nullptr;
    LocalFileModel *localModel_ = nullptr;
    views::TMFtpListView *remoteList_ = nullptr;
    QWidget *logPanel_ = nullptr;
    views::TMFtpMessenger *messenger_ = nullptr;
    QWidget *queuePanel_ = nullptr;
    QTreeView *queueList_ = nullptr;
    QStatusBar *statusBar_ = nullptr;
    QLabel *statusPanel_ = nullptr;
    QLabel *speedPanel_ = nullptr;
    QProgressBar *progressPanel_ = nullptr;
    QSystemTrayIcon *tray_ = nullptr;
    QTimer *timerEx1_ = nullptr;
    QTimer *timer1_ = nullptr;
};

} // namespace mainwindow
