// TMainForm: the command table. Each row names a command's menu items,
// pop-up items and tool buttons, its handler, and the rule that enables it;
// TimerEx1 walks the table every 380 ms, and the queue's pop-up menu applies
// the same rules when it opens. A command whose work is not part of the
// program yet is listed as not built and stays disabled, so nothing the user
// can click is silent.
#include "mainwindow/Main.h"

#include "engine/TMFtp.h"
#include "mainwindow/LocalFileModel.h"
#include "platform/Drive.h"
#include "queue/QueueModel.h"
#include "ui/FileListView.h"
#include "views/FtpListView.h"

#include <QAbstractItemView>
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSet>
#include <QToolButton>
#include <QTreeView>

#include <functional>
#include <initializer_list>
#include <vector>

namespace mainwindow {
namespace {

// What one tick looks at.
struct CommandInputs
{
    bool localShown = false;
    bool localReadOnly = false;
    int localSelected = 0;
    int remoteSelected = 0;
    int remoteFolders = 0;
    int remoteFiles = 0;
    bool connecting = false;
    bool connected = false;
    bool busy = false;
    OperationMode mode = omIdle;
    int queueCount = 0;
    bool queueSelected = false;
    bool clipboardFiles = false;

    bool ready() const { return connected && !busy && mode == omIdle; }
    bool idle() const { return !busy && mode == omIdle; }
};

using Rule = std::function<bool(const CommandInputs &)>;
using Handler = void (TMainForm::*)();

enum class Wiring {
    Table,     // the table connects the handler
    Elsewhere, // connected where the control is built (views, languages, ...)
    NotBuilt,  // not built yet: always disabled (a handler named here is not connected)
};

struct CommandRow
{
    std::vector<const char *> names;
    Wiring wiring;
    Handler handler;
    Rule rule; // empty: always enabled
};

bool transferAllRule(const CommandInputs &in)
{
    return in.connected && in.mode == omIdle && !in.busy && in.queueCount > 0;
}

const std::vector<CommandRow> &commandTable()
{
    using W = Wiring;
    static const std::vector<CommandRow> table = {
        // Sites and connections.
        {{"mmiSiteManage"}, W::Elsewhere, nullptr, {}},
        {{"mmiConnect", "RemoteFileToolConnect"}, W::Elsewhere, nullptr, {}},
        {{"mmiReConnect", "RemoteFileToolReConnect"}, W::Elsewhere, nullptr,
         [](const CommandInputs &in) { return in.connected; }},
        {{"mmiDisConnect", "RemoteFileToolDisConnect"}, W::Elsewhere, nullptr,
         [](const CommandInputs &in) { return in.connecting || in.connected; }},
        {{"mmiPastURL"}, W::Elsewhere, nullptr, {}},
        {{"mmiCopyURL"}, W::Elsewhere, nullptr, [](const CommandInputs &in) { return in.ready(); }},
        {{"mmiExit"}, W::Elsewhere, nullptr, {}},
        {{"mmiMinToTray"}, W::Elsewhere, nullptr, {}},

        // Transfers.
        {{"mmiLocalFileUpLoad", "LocalFileUpLoad", "LocalFileToolUpload"}, W::Table, &TMainForm::LocalFileUpLoadClick,
         [](const CommandInputs &in) { return in.ready() && in.localShown && in.localSelected > 0; }},
        {{"mmiLocalFileAddQueue", "LocalFileAddQueue"}, W::Table, &TMainForm::LocalFileAddQueueClick,
         [](const CommandInputs &in) { return in.ready() && in.localShown && in.localSelected > 0; }},
        {{"mmiRemoteFileDownLoad", "RemoteFileDownLoad", "RemoteFileToolDownLoad"}, W::Table,
         &TMainForm::RemoteFileDownLoadClick,
         [](const CommandInputs &in) {
             return in.ready() && in.remoteSelected > 0 && in.localShown && !in.localReadOnly;
         }},
        {{"mmiRemoteFileAddQueue", "RemoteFileAddQueue"}, W::Table, &TMainForm::RemoteFileAddQueueClick,
         [](const CommandInputs &in) {
             return in.ready() && in.remoteSelected > 0 && in.localShown && !in.localReadOnly;
         }},
        {{"RemoteFileToolStop"}, W::Table, &TMainForm::RemoteFileToolStopClick,
         [](const CommandInputs &in) { return in.connected && (in.busy || in.mode != omIdle); }},

        // The queue.
        {{"mmiTransferAllQueue", "popTransferAllQueue"}, W::Table, &TMainForm::popTransferAllQueueClick,
         transferAllRule},
        {{"mmiTransferSelectQueue", "popTransferSelectQueue"}, W::Table, &TMainForm::popTransferSelectQueueClick,
         [](const CommandInputs &in) { return transferAllRule(in) && in.queueSelected; }},
        {{"mmiModifySelectQueue", "popModifySelectQueue"}, W::Table, &TMainForm::popModifySelectQueueClick,
         [](const CommandInputs &in) { return in.idle() && in.queueSelected; }},
        {{"mmiDeleteSelectQueue", "popDeleteSelectQueue"}, W::Table, &TMainForm::popDeleteSelectQueueClick,
         [](const CommandInputs &in) { return in.idle() && in.queueSelected; }},
        {{"mmiDeleteAllQueue", "popClearAllQueue"}, W::Table, &TMainForm::popClearAllQueueClick,
         [](const CommandInputs &in) { return in.idle() && in.queueCount > 0; }},
        {{"mmiLoadQueue", "popLoadQueue"}, W::Table, &TMainForm::popLoadQueueClick,
         [](const CommandInputs &in) { return in.idle(); }},
        {{"mmiSaveQueue", "popSaveQueue"}, W::Table, &TMainForm::popSaveQueueClick,
         [](const CommandInputs &in) { return in.idle() && in.queueCount > 0; }},

        // Remote list.
        {{"mmiRemoteFileRefresh", "RemoteFileRefresh", "RemoteFileToolRefresh"}, W::Elsewhere, nullptr,
         [](const CommandInputs &in) { return in.ready(); }},
        {{"mmiRemoteFileSelectAll", "mmiRemoteFileNotSelect"}, W::Elsewhere, nullptr,
         [](const CommandInputs &in) { return in.ready(); }},
        {{"RemoteFileToolGoUp"}, W::Elsewhere, nullptr, {}},
        {{"RemoteFileView", "RemoteFileViewIcon", "RemoteFileViewSmallIcon", "RemoteFileViewList",
          "RemoteFileViewReport", "RemoteFileToolView", "RemoteFileToolViewIcon", "RemoteFileToolViewSmallIcon",
          "RemoteFileToolViewList", "RemoteFileToolViewReport", "RemoteFileToolLargeIcon", "RemoteFileToolSmallIcon",
          "RemoteFileToolListIcon", "RemoteFileToolReportIcon", "RemoteFileSort", "RemoteFileSortName",
          "RemoteFileSortSize", "RemoteFileSortType", "RemoteFileSortDate", "RemoteFileSortUp", "RemoteFileSortDown",
          "RemoteFileShowColumns", "RemoteFileShowColumnsSize", "RemoteFileShowColumnsType",
          "RemoteFileShowColumnsDate", "RemoteFileShowColumnsProperty", "RemoteFileShowColumnsDescription",
          "RemoteFileShowColumnsOwner"},
         W::Elsewhere, nullptr, {}},
        {{"mmiRemoteFileDelete", "RemoteFileDelete", "RemoteFileToolDelete"}, W::Table, &TMainForm::RemoteFileDeleteClick,
         [](const CommandInputs &in) { return in.ready() && in.remoteSelected > 0; }},
        {{"mmiRemoteFileReName", "RemoteFileReName", "RemoteFileToolReName"}, W::Table, &TMainForm::RemoteFileReNameClick,
         [](const CommandInputs &in) { return in.ready() && in.remoteSelected > 0; }},
        {{"mmiRemoteFileMove", "RemoteFileMove", "RemoteFileToolMove"}, W::Table, &TMainForm::RemoteFileMoveClick,
         [](const CommandInputs &in) { return in.ready() && in.remoteSelected > 0; }},
        {{"mmiRemoteFileProperty", "RemoteFileProperty"}, W::Table, &TMainForm::RemoteFilePropertyClick,
         [](const CommandInputs &in) { return in.ready() && in.remoteSelected > 0; }},
        {{"mmiRemoteFileExecute", "RemoteFileExecute"}, W::Table, &TMainForm::RemoteFileExecuteClick,
         [](const CommandInputs &in) {
             return in.ready() && in.remoteFiles == 1 && in.remoteFolders == 0 && in.localShown && !in.localReadOnly;
         }},
        {{"mmiRemoteFileCreateDirectory", "RemoteFileCreateDirectory", "RemoteFileToolCreateDirectory"}, W::Table,
         &TMainForm::RemoteFileCreateDirectoryClick, [](const CommandInputs &in) { return in.ready(); }},
        {{"mmiRemoteFileViewDirectory", "RemoteFileViewDirectory", "RemoteFileToolViewDirectory"}, W::Table,
         &TMainForm::RemoteFileViewDirectoryClick, [](const CommandInputs &in) { return in.ready(); }},

        // Local pane.
        {{"mmiLocalFileRefresh", "LocalFileRefresh", "LocalFileToolRefresh", "LocalFileToolGoUp"}, W::Elsewhere,
         nullptr, {}},
        {{"mmiLocalFileSelectAll", "mmiLocalFileNotSelect"}, W::Elsewhere, nullptr,
         [](const CommandInputs &in) { return in.localShown; }},
        {{"LocalFileView", "LocalFileViewIcon", "LocalFileViewSmallIcon", "LocalFileViewList", "LocalFileViewReport",
          "LocalFileToolView", "LocalFileToolViewIcon", "LocalFileToolViewSmallIcon", "LocalFileToolViewList",
          "LocalFileToolViewReport", "LocalFileToolLargeIcon", "LocalFileToolSmallIcon", "LocalFileToolListIcon",
          "LocalFileToolReportIcon", "LocalFileShowAllFile", "LocalFileToolShowAllFile", "LocalFileSort",
          "LocalFileSortUp", "LocalFileSortDown"},
         W::Elsewhere, nullptr, {}},
        {{"mmiLocalFileCut", "LocalFileCut", "LocalFileToolCut"}, W::Table, &TMainForm::LocalFileCutClick,
         [](const CommandInputs &in) { return in.localShown && in.localSelected > 0; }},
        {{"mmiLocalFileCopy", "LocalFileCopy", "LocalFileToolCopy"}, W::Table, &TMainForm::LocalFileCopyClick,
         [](const CommandInputs &in) { return in.localShown && in.localSelected > 0; }},
        {{"mmiLocalFilePast", "LocalFilePast", "LocalFileToolPast"}, W::Table, &TMainForm::LocalFilePastClick,
         [](const CommandInputs &in) { return in.localShown && !in.localReadOnly && in.clipboardFiles; }},
        {{"mmiLocalFileDelete", "LocalFileDelete", "LocalFileToolDelete"}, W::Table, &TMainForm::LocalFileDeleteClick,
         [](const CommandInputs &in) { return in.localShown && !in.localReadOnly && in.localSelected > 0; }},
        {{"mmiLocalFileReName", "LocalFileReName", "LocalFileToolReName"}, W::Table, &TMainForm::LocalFileReNameClick,
         [](const CommandInputs &in) { return in.localShown && !in.localReadOnly && in.localSelected > 0; }},
        {{"LocalFileExecute"}, W::Table, &TMainForm::LocalFileExecuteClick,
         [](const CommandInputs &in) { return in.localSelected == 1; }},
        {{"LocalFileProperty"}, W::Table, &TMainForm::LocalFilePropertyClick,
         [](const CommandInputs &in) { return in.localShown || in.localSelected > 0; }},
        {{"mmiLocalFileCreateDirectory", "LocalFileCreateDirectory", "LocalFileToolCreateDirectory"}, W::Table,
         &TMainForm::LocalFileCreateDirectoryClick,
         [](const CommandInputs &in) { return in.localShown && !in.localReadOnly; }},
        {{"mmiLocalFileViewDirectory", "LocalFileViewDirectory", "LocalFileToolViewDirectory"}, W::Table,
         &TMainForm::LocalFileViewDirectoryClick, {}},

        // Options, windows, log, help.
        {{"mmiSetup"}, W::Elsewhere, nullptr, {}},
        {{"mmiSimpleLanguage", "mmiMuiltLanguage", "mmiFace1", "mmiFace2"}, W::Elsewhere, nullptr, {}},
        {{"mmiLogWindow", "mmiQueueWindow", "mmiStatusWindow"}, W::Elsewhere, nullptr, {}},
        {{"LogCopySelect", "LogCopyAll", "LogClear"}, W::Elsewhere, nullptr, {}}, // enabled when the log opens its menu
        {{"mmiCheckUpdate"}, W::Table, &TMainForm::mmiCheckUpdateClick, [](const CommandInputs &in) { return in.idle(); }},
        {{"mmiUserHelp"}, W::Table, &TMainForm::mmiUserHelpClick, [](const CommandInputs &in) { return in.idle(); }},
        {{"mmiSupport"}, W::Table, &TMainForm::mmiSupportClick, [](const CommandInputs &in) { return in.idle(); }},
        {{"mmiAbout"}, W::Table, &TMainForm::mmiAboutClick, {}},
    };
    return table;
}

// The rows of the selection of a view, whatever its view style selects.
int selectedRowCount(QAbstractItemView *view)
{
    if (!view || !view->selectionModel())
        return 0;
    QSet<int> rows;
    for (const QModelIndex &index : view->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    return int(rows.size());
}

} // namespace

void TMainForm::connectCommandTable()
{
    for (const CommandRow &row : commandTable()) {
        if (row.wiring != Wiring::Table)
            continue;
        const Handler handler = row.handler;
        for (const char *name : row.names) {
            const QString key = QLatin1String(name);
            if (QAction *a = action(key))
                connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
            else if (QToolButton *b = toolButton(key))
                connect(b, &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
        }
    }
    // The queue's pop-up menu computes its items as it opens.
    if (QMenu *menu = popupMenu(QStringLiteral("QueuePopupMenu")))
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(); });
}

QStringList TMainForm::commandNames(bool built) const
{
    QStringList out;
    for (const CommandRow &row : commandTable())
        if ((row.wiring != Wiring::NotBuilt) == built)
            for (const char *name : row.names)
                out << QLatin1String(name);
    return out;
}

void TMainForm::UpdateCommandStates()
{
    CommandInputs in;
    const QString local = LocalPaneFolder();
    in.localShown = !local.isEmpty();
    in.localReadOnly = in.localShown && platform::isReadOnlyDrive(local);
    in.localSelected = selectedRowCount(localList_->currentView());
    in.remoteFolders = int(remoteList()->SelectedFolders().size());
    in.remoteFiles = int(remoteList()->SelectedFiles().size());
    in.remoteSelected = in.remoteFolders + in.remoteFiles;
    in.connecting = mftp1_->Connecting();
    in.connected = mftp1_->Connected();
    in.busy = mftp1_->Busy();
    in.mode = operationMode();
    in.queueCount = queueModel_->count();
    in.queueSelected = selectedQueueRow() >= 0;
    // The clipboard is asked only where a paste could go.
    in.clipboardFiles = in.localShown && !in.localReadOnly && localClipboardHasFiles();

    for (const CommandRow &row : commandTable()) {
        bool enabled = true;
        if (row.wiring == Wiring::NotBuilt)
            enabled = false;
        else if (row.rule)
            enabled = row.rule(in);
        for (const char *name : row.names) {
            const QString key = QLatin1String(name);
            if (key.startsWith(QLatin1String("Log")))
                continue; // the log's pop-up sets these when it opens
            if (QAction *a = action(key))
                a->setEnabled(enabled);
            if (QToolButton *b = toolButton(key))
                b->setEnabled(enabled);
        }
    }
    // The queue's load item in the pop-up needs only an idle window.
    if (QAction *a = action(QStringLiteral("popLoadQueue")))
        a->setEnabled(in.mode == omIdle);
}

} // namespace mainwindow
