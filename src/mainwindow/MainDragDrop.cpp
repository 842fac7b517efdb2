// TMainForm: drag and drop between the panes, the queue and other programs.
// Local files (file URLs, from the local pane or a file manager) dropped on
// the remote list are uploaded; remote items dragged from the remote list
// are downloaded into the local pane, moved into a remote folder row, or
// added to the queue. The views' drag events are taken over by one event
// filter on their viewports; the decisions are the functions of Main.h.
#include "mainwindow/Main.h"

#include "engine/TMFtp.h"
#include "mainwindow/LocalFileModel.h"
#include "mainwindow/RemoteDragData.h"
#include "mainwindow/TransferQuestions.h"
#include "platform/Drive.h"
#include "queue/QueueModel.h"
#include "ui/FileListView.h"
#include "ui/MessageBoxes.h"
#include "views/FtpListView.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QListView>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <optional>

namespace mainwindow {
namespace {

constexpr qint64 AutoScrollIntervalMs = 255;
// How often a drag that rests over the remote list is looked at for
// scrolling (the scroll itself keeps to the interval above).
constexpr int AutoScrollPollMs = 50;

qint64 nowMs()
{
    return QDeadlineTimer::current().deadline();
}

QByteArray withSlash(const QByteArray &folder)
{
    return folder.endsWith('/') ? folder : folder + '/';
}

// The row of `view` under `pos` (viewport coordinates); -1 for none.
int rowAt(const QAbstractItemView *view, const QPoint &pos)
{
    const QModelIndex index = view->indexAt(pos);
    return index.isValid() && index.parent() == view->rootIndex() ? index.row() : -1;
}

// Existing folders and files among local paths, in the given order.
void splitLocalPaths(const QStringList &paths, QStringList *folders, QStringList *files)
{
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            folders->append(QDir::cleanPath(info.absoluteFilePath()));
        else if (info.isFile())
            files->append(info.absoluteFilePath());
    }
}

void answer(QDropEvent *event, Qt::DropAction action)
{
    event->setDropAction(action);
    if (action == Qt::IgnoreAction)
        event->ignore();
    else
        event->accept();
}

// This window's remote items of the engine's current folder.
std::optional<RemoteDragItems> ownItems(const QMimeData *data, const TMainForm *window, const TMFtp *engine)
{
    std::optional<RemoteDragItems> items = RemoteItemsOf(data);
    if (!items || items->isEmpty() || items->process != QCoreApplication::applicationPid()
        || items->window != quint64(quintptr(window)) || items->folder != engine->CurrentDirectory())
        return std::nullopt;
    return items;
}

bool isDragEvent(QEvent::Type type)
{
    return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::DragLeave
           || type == QEvent::Drop;
}

} // namespace

// The drag state of the window, and the filter that takes the drag events
// of the views' viewports.
struct TMainForm::DragDropState : public QObject
{
    explicit DragDropState(TMainForm *owner) : QObject(owner), main(owner)
    {
        autoScroll.setInterval(AutoScrollPollMs);
        connect(&autoScroll, &QTimer::timeout, this, [this] { main->remoteAutoScroll(lastRemotePos, nowMs()); });
    }

    bool eventFilter(QObject *watched, QEvent *event) override;
    bool remoteEvent(QAbstractItemView *view, QEvent *event);
    bool localEvent(QAbstractItemView *view, QEvent *event);
    bool queueEvent(QEvent *event);

    TMainForm *main;
    // A drop on the remote list, kept until it is processed: the folder row
    // it fell on (empty: none), and the local paths or this window's items.
    QByteArray DropFolderName;
    bool hasDropData = false;
    bool DropFromRemoteList = false;
    QStringList dropPaths;
    std::optional<RemoteDragItems> dropItems;
    // Automatic scrolling of the remote list during a drag over it (the drop
    // highlight is the list's own).
    qint64 LastAutoScrollTick = 0;
    QPoint lastRemotePos;
    QTimer autoScroll;
    // A drop of remote items on the local pane.
    QString DragDownloadPath;
    std::optional<RemoteDragItems> downloadItems;
};

bool TMainForm::DragDropState::eventFilter(QObject *watched, QEvent *event)
{
    if (!isDragEvent(event->type()))
        return false;
    auto *viewport = qobject_cast<QWidget *>(watched);
    auto *view = viewport ? qobject_cast<QAbstractItemView *>(viewport->parentWidget()) : nullptr;
    if (!view || view->viewport() != viewport)
        return false;
    if (view == main->remoteList_->reportView() || view == main->remoteList_->iconView())
        return remoteEvent(view, event);
    if (view == main->localList_->reportView() || view == main->localList_->iconView())
        return localEvent(view, event);
    if (view == main->queueList_)
        return queueEvent(event);
    return false;
}

bool TMainForm::DragDropState::remoteEvent(QAbstractItemView *view, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto *e = static_cast<QDragEnterEvent *>(event);
        if (!main->remoteDropAcceptable(e->mimeData())) {
            e->ignore();
            return true;
        }
        LastAutoScrollTick = nowMs();
        lastRemotePos = e->position().toPoint();
        autoScroll.start();
        // Entered: the moves that follow decide the effect at each point.
        e->setDropAction(main->remoteDragOver(e->mimeData(), rowAt(view, lastRemotePos), e->possibleActions()));
        e->accept();
        return true;
    }
    case QEvent::DragMove: {
        auto *e = static_cast<QDragMoveEvent *>(event);
        lastRemotePos = e->position().toPoint();
        main->remoteAutoScroll(lastRemotePos, nowMs());
        answer(e, main->remoteDragOver(e->mimeData(), rowAt(view, lastRemotePos), e->possibleActions()));
        return true;
    }
    case QEvent::DragLeave:
        main->remoteDragLeave();
        return true;
    case QEvent::Drop: {
        auto *e = static_cast<QDropEvent *>(event);
        autoScroll.stop();
        answer(e, main->remoteDrop(e->mimeData(), rowAt(view, e->position().toPoint()), e->possibleActions()));
        return true;
    }
    default:
        return false;
    }
}

bool TMainForm::DragDropState::localEvent(QAbstractItemView *view, QEvent *event)
{
    ui::FileListView *list = main->localList_;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *e = static_cast<QDragMoveEvent *>(event);
        const int row = rowAt(view, e->position().toPoint());
        const QString folder = main->localDropFolder(e->mimeData(), row);
        const bool copy = !folder.isEmpty() && (e->possibleActions() & Qt::CopyAction);
        const QModelIndex index = main->localModel_->index(row, 0, view->rootIndex());
        const bool ontoFolderRow = copy && index.isValid() && main->localModel_->filePath(index) == folder;
        list->setDropHighlightRow(ontoFolderRow ? row : -1);
        if (event->type() == QEvent::DragEnter && !copy && main->engineConnected() && main->operationMode() == omIdle
            && ownItems(e->mimeData(), main, main->mftp1_)) {
            // This window's items where none can land (a folder row on a
            // read-only drive): stay the target while the mouse moves on.
            e->setDropAction(Qt::IgnoreAction);
            e->accept();
            return true;
        }
        answer(e, copy ? Qt::CopyAction : Qt::IgnoreAction);
        return true;
    }
    case QEvent::DragLeave:
        list->setDropHighlightRow(-1);
        return true;
    case QEvent::Drop: {
        auto *e = static_cast<QDropEvent *>(event);
        list->setDropHighlightRow(-1);
        const QString folder = main->localDropFolder(e->mimeData(), rowAt(view, e->position().toPoint()));
        if (folder.isEmpty() || !(e->possibleActions() & Qt::CopyAction)) {
            answer(e, Qt::IgnoreAction);
            return true;
        }
        answer(e, Qt::CopyAction);
        main->JamShellList1DragDownLoad(folder, e->mimeData());
        return true;
    }
    default:
        return false;
    }
}

bool TMainForm::DragDropState::queueEvent(QEvent *event)
{
    if (event->type() == QEvent::DragLeave)
        return false;
    auto *e = static_cast<QDropEvent *>(event);
    // The list's own rows: its reordering.
    if (e->source() == main->queueList_)
        return false;
    const bool ok = main->queueDropAcceptable(e->mimeData()) && (e->possibleActions() & Qt::CopyAction);
    answer(e, ok ? Qt::CopyAction : Qt::IgnoreAction);
    if (ok && event->type() == QEvent::Drop)
        main->processQueueDrop(e->mimeData());
    return true;
}

// ---- set-up ----

void TMainForm::connectDragAndDrop()
{
    dragDrop_ = new DragDropState(this);
    remoteList_->setDragAndDrop(true, true);
    remoteList_->OnBeginDrag = [this] { MFtpListView1BeginDrag(); };
    localList_->setDragAndDrop(true, true);
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(remoteList_->reportView()),
                                    static_cast<QAbstractItemView *>(remoteList_->iconView()),
                                    static_cast<QAbstractItemView *>(localList_->reportView()),
                                    static_cast<QAbstractItemView *>(localList_->iconView()),
                                    static_cast<QAbstractItemView *>(queueList_)})
        view->viewport()->installEventFilter(dragDrop_);
}

// ---- dragging remote items ----

QMimeData *TMainForm::remoteDragData(const QList<QByteArray> &folders, const QList<QByteArray> &files) const
{
    RemoteDragItems items;
    items.process = QCoreApplication::applicationPid();
    items.window = quint64(quintptr(this));
    items.folder = mftp1_->CurrentDirectory();
    items.folders = folders;
    items.files = files;
    return MakeRemoteDragData(items);
}

void TMainForm::MFtpListView1BeginDrag()
{
    const QList<QByteArray> folders = remoteList_->SelectedFolders();
    const QList<QByteArray> files = remoteList_->SelectedFiles();
    if ((folders.isEmpty() && files.isEmpty()) || operationMode() != omIdle || !engineConnected() || engineBusy()
        || mftp1_->CurrentDirectory().isEmpty())
        return;
    QAbstractItemView *view = remoteList_->currentView();
    auto *drag = new QDrag(view);
    drag->setMimeData(remoteDragData(folders, files));
    const QModelIndexList rows = remoteList_->selectedRowIndexes();
    if (!rows.isEmpty()) {
        const QIcon icon = rows.first().data(Qt::DecorationRole).value<QIcon>();
        if (!icon.isNull())
            drag->setPixmap(icon.pixmap(32, 32));
    }
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

// ---- drops on the remote list ----

bool TMainForm::remoteDropAcceptable(const QMimeData *mime) const
{
    if (!mime || !engineConnected() || operationMode() != omIdle || engineBusy())
        return false;
    return !LocalPathsOf(mime).isEmpty() || ownItems(mime, this, mftp1_).has_value();
}

Qt::DropAction TMainForm::remoteDragOver(const QMimeData *mime, int row, Qt::DropActions possible)
{
    if (!remoteDropAcceptable(mime)) {
        remoteList_->setDropHighlightRow(-1);
        return Qt::IgnoreAction;
    }
    if (row >= remoteList_->ItemCount())
        row = -1;
    const bool folderRow = row >= 0 && remoteList_->IsFolderItem(row);
    if (const std::optional<RemoteDragItems> items = ownItems(mime, this, mftp1_)) {
        const QByteArray name = remoteList_->listModel()->RemoteName(row).toByteArray();
        const bool dragged = row >= 0 && (folderRow ? items->folders : items->files).contains(name);
        if (dragged || !folderRow || !(possible & Qt::MoveAction)) {
            remoteList_->setDropHighlightRow(-1);
            return Qt::IgnoreAction;
        }
        remoteList_->setDropHighlightRow(row);
        return Qt::MoveAction;
    }
    if (!(possible & Qt::CopyAction)) {
        remoteList_->setDropHighlightRow(-1);
        return Qt::IgnoreAction;
    }
    remoteList_->setDropHighlightRow(folderRow ? row : -1);
    return Qt::CopyAction;
}

Qt::DropAction TMainForm::remoteDrop(const QMimeData *mime, int row, Qt::DropActions possible)
{
    const Qt::DropAction action = remoteDragOver(mime, row, possible);
    if (action == Qt::IgnoreAction) {
        remoteDragLeave();
        return action;
    }
    DragDropState &s = *dragDrop_;
    const int target = remoteList_->dropHighlightRow();
    s.DropFolderName = target >= 0 ? remoteList_->listModel()->RemoteName(target).toByteArray() : QByteArray();
    s.dropItems = ownItems(mime, this, mftp1_);
    s.DropFromRemoteList = s.dropItems.has_value();
    s.dropPaths = s.DropFromRemoteList ? QStringList() : LocalPathsOf(mime);
    s.hasDropData = true;
    // The work starts after the drop has returned to the dragging program.
    QTimer::singleShot(0, this, [this] { processRemoteDrop(); });
    return action;
}

void TMainForm::remoteDragLeave()
{
    DragDropState &s = *dragDrop_;
    s.autoScroll.stop();
    remoteList_->setDropHighlightRow(-1);
    s.hasDropData = false;
    s.dropPaths.clear();
    s.dropItems.reset();
    s.DropFolderName.clear();
    s.DropFromRemoteList = false;
}

void TMainForm::processRemoteDrop()
{
    DragDropState &s = *dragDrop_;
    if (!s.hasDropData)
        return;
    const bool fromRemoteList = s.DropFromRemoteList;
    const QByteArray folderName = s.DropFolderName;
    const QStringList paths = s.dropPaths;
    const std::optional<RemoteDragItems> items = s.dropItems;
    s.hasDropData = false;
    if (!engineConnected()) {
        remoteDragLeave();
        return;
    }

    if (!fromRemoteList) {
        QStringList folders, files;
        splitLocalPaths(paths, &folders, &files);
        runner_->state().ApplyToAll = false;
        if (folders.isEmpty() && files.isEmpty()) {
            remoteDragLeave();
            return;
        }
        const bool yes = ui::Confirm(this, UploadQuestion(folders, files));
        remoteDragLeave();
        // A run may have begun while the question was open.
        if (!yes || !engineConnected() || operationMode() != omIdle || engineBusy())
            return;
        QByteArray target = mftp1_->CurrentDirectory();
        if (!folderName.isEmpty())
            target = withSlash(target) + folderName;
        runner_->UploadSelection(folders, files, target);
        return;
    }

    remoteDragLeave();
    if (!items || items->isEmpty() || operationMode() != omIdle || engineBusy()
        || items->folder != mftp1_->CurrentDirectory())
        return;
    setOperationMode(omMove);
    try {
        if (!folderName.isEmpty() && !items->folders.contains(folderName)) {
            QList<QByteArray> names = items->folders;
            names += items->files;
            mftp1_->MoveFiles(names, withSlash(mftp1_->CurrentDirectory()) + folderName);
            mftp1_->WaitUntilIdle();
            RefreshRemoteList(true);
        }
    } catch (...) {
    }
    setOperationMode(omIdle);
}

bool TMainForm::remoteAutoScroll(const QPoint &pos, qint64 now)
{
    DragDropState &s = *dragDrop_;
    if (now - s.LastAutoScrollTick <= AutoScrollIntervalMs)
        return false;
    s.LastAutoScrollTick = now;
    QAbstractItemView *view = remoteList_->currentView();
    const QWidget *viewport = view->viewport();
    bool scrolled = false;
    auto step = [&scrolled](QScrollBar *bar, QAbstractSlider::SliderAction action) {
        if (bar->maximum() - bar->minimum() <= 0)
            return;
        const int before = bar->value();
        bar->triggerAction(action);
        scrolled = scrolled || bar->value() != before;
    };
    if (pos.x() <= 24)
        step(view->horizontalScrollBar(), QAbstractSlider::SliderSingleStepSub);
    else if (pos.x() > viewport->width() - 25)
        step(view->horizontalScrollBar(), QAbstractSlider::SliderSingleStepAdd);
    if (pos.y() <= 19)
        step(view->verticalScrollBar(), QAbstractSlider::SliderSingleStepSub);
    else if (pos.y() > viewport->height() - 20)
        step(view->verticalScrollBar(), QAbstractSlider::SliderSingleStepAdd);
    return scrolled;
}

// ---- drops of remote items on the local pane ----

QString TMainForm::localDropFolder(const QMimeData *mime, int row) const
{
    if (!engineConnected() || operationMode() != omIdle || !ownItems(mime, this, mftp1_))
        return {};
    const QModelIndex root = localList_->currentView()->rootIndex();
    if (row >= 0 && row < localModel_->rowCount(root)) {
        const QModelIndex index = localModel_->index(row, 0, root);
        if (localModel_->isDir(index)) {
            const QString folder = localModel_->filePath(index);
            return platform::isReadOnlyDrive(folder) ? QString() : folder;
        }
    }
    const QString folder = LocalPaneFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir() || platform::isReadOnlyDrive(folder))
        return {};
    return folder;
}

void TMainForm::JamShellList1DragDownLoad(const QString &path, const QMimeData *mime)
{
    if (path.isEmpty() || platform::isReadOnlyDrive(path))
        return;
    DragDropState &s = *dragDrop_;
    s.DragDownloadPath = path;
    s.downloadItems = ownItems(mime, this, mftp1_);
    // The download starts after the drag has returned.
    QTimer::singleShot(0, this, [this] { processLocalDrop(); });
}

void TMainForm::processLocalDrop()
{
    DragDropState &s = *dragDrop_;
    const std::optional<RemoteDragItems> items = s.downloadItems;
    const QString path = s.DragDownloadPath;
    s.downloadItems.reset();
    if (!items || items->isEmpty() || path.isEmpty() || !engineConnected() || operationMode() != omIdle
        || engineBusy() || items->folder != mftp1_->CurrentDirectory())
        return;
    runner_->state().ApplyToAll = false;
    if (!ui::Confirm(this, DownloadQuestion(items->folders, items->files)))
        return;
    if (!engineConnected() || operationMode() != omIdle || engineBusy()
        || items->folder != mftp1_->CurrentDirectory())
        return;
    runner_->DownloadSelection(items->folders, items->files, path);
}

// ---- drops on the queue ----

bool TMainForm::queueDropAcceptable(const QMimeData *mime) const
{
    if (!mime || !engineConnected() || operationMode() != omIdle || engineBusy())
        return false;
    if (ownItems(mime, this, mftp1_))
        return !LocalPaneFolder().isEmpty();
    return !LocalPathsOf(mime).isEmpty() && !mftp1_->CurrentDirectory().isEmpty();
}

void TMainForm::processQueueDrop(const QMimeData *mime)
{
    if (!queueDropAcceptable(mime))
        return;
    if (const std::optional<RemoteDragItems> items = ownItems(mime, this, mftp1_)) {
        queue::AddDownloadEntries(*queueModel_, false, items->folders, LocalPaneFolder(), items->files,
                                  mftp1_->CurrentDirectory(), mftp1_->FileList());
        return;
    }
    QStringList folders, files;
    splitLocalPaths(LocalPathsOf(mime), &folders, &files);
    queue::AddUploadEntries(*queueModel_, false, folders, mftp1_->CurrentDirectory(), files);
}

} // namespace mainwindow
