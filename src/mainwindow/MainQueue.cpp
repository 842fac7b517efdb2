// TMainForm: the transfer queue list and its commands: run all or the
// selected entry, edit, delete, clear, save, load, reorder by dragging.
#include "mainwindow/Main.h"

#include "engine/TMFtp.h"
#include "mainwindow/ModifyQueue.h"
#include "platform/AppPaths.h"
#include "queue/QueueFile.h"
#include "queue/QueueModel.h"
#include "sites/ConfigKeys.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include <QDir>
#include <QDragMoveEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace mainwindow {
namespace {

// The queue list: one selected row at a time, reordered by dragging a row
// onto another (upwards it lands before the target, downwards after it).
class QueueListView : public QTreeView
{
public:
    explicit QueueListView(QWidget *parent) : QTreeView(parent) {}

    std::function<bool()> canReorder;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (event->source() == this)
            event->acceptProposedAction();
        else
            event->ignore();
    }

    void dragMoveEvent(QDragMoveEvent *event) override
    {
        if (event->source() != this) {
            event->ignore();
            return;
        }
        const int y = event->position().toPoint().y();
        constexpr int edge = 15;
        if (y < edge)
            verticalScrollBar()->setValue(verticalScrollBar()->value() - 1);
        else if (y > viewport()->height() - edge)
            verticalScrollBar()->setValue(verticalScrollBar()->value() + 1);
        event->acceptProposedAction();
    }

    void dropEvent(QDropEvent *event) override
    {
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        if (event->source() != this || (canReorder && !canReorder()))
            return;
        const QModelIndex target = indexAt(event->position().toPoint());
        const QModelIndexList selected = selectionModel()->selectedRows();
        if (!target.isValid() || selected.isEmpty())
            return;
        auto *model = static_cast<queue::TQueueModel *>(this->model());
        const int moved = model->moveOnto(selected.first().row(), target.row());
        setCurrentIndex(model->index(moved, 0));
        selectionModel()->select(model->index(moved, 0),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
};

QString qtFilter(bool simplified)
{
    return QString::fromUtf8(simplified ? "队列文件(*.TQU);;所有文件(*.*)" : "隊列文件(*.TQU);;所有文件(*.*)");
}

} // namespace

void TMainForm::buildQueueList()
{
    auto *view = new QueueListView(queuePanel_);
    view->canReorder = [this] { return operationMode() == omIdle && !engineBusy(); };
    queueList_ = view;
    queueList_->setObjectName(QStringLiteral("ListViewSend"));
    queueList_->setModel(queueModel_);
    queueList_->setRootIsDecorated(false);
    queueList_->setUniformRowHeights(true);
    queueList_->setItemsExpandable(false);
    queueList_->setSelectionMode(QAbstractItemView::SingleSelection);
    queueList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    queueList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    queueList_->setTextElideMode(Qt::ElideRight);
    queueList_->setWordWrap(false);
    queueList_->setSortingEnabled(false);
    queueList_->setDragEnabled(true);
    queueList_->setAcceptDrops(true);
    queueList_->setDropIndicatorShown(true);
    queueList_->setDragDropMode(QAbstractItemView::DragDrop);
    queueList_->setDefaultDropAction(Qt::MoveAction);
    queueList_->setContextMenuPolicy(Qt::CustomContextMenu);
    queueList_->header()->setSectionsClickable(false);
    queueList_->header()->resizeSection(queue::LocalPathColumn, 200);
    queueList_->header()->resizeSection(queue::SizeColumn, 90); // room for "5,242,880 KB"
    queueList_->header()->resizeSection(queue::ActionColumn, 45);
    queueList_->header()->resizeSection(queue::RemotePathColumn, 200);
    queueList_->header()->resizeSection(queue::StatusColumn, 68);
}

int TMainForm::selectedQueueRow() const
{
    const QModelIndexList rows = queueList_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

bool TMainForm::queueReady() const
{
    return operationMode() == omIdle && !engineBusy();
}

void TMainForm::popTransferAllQueueClick()
{
    runner_->state().ApplyToAll = false;
    if (!engineConnected() || !queueReady() || queueModel_->count() == 0)
        return;
    runner_->RunAllEntries();
}

void TMainForm::popTransferSelectQueueClick()
{
    const int row = selectedQueueRow();
    if (row < 0 || !queueReady() || !engineConnected())
        return;
    runner_->RunSelectedEntry(row);
}

void TMainForm::popDeleteSelectQueueClick()
{
    const int row = selectedQueueRow();
    if (row < 0 || !queueReady())
        return;
    if (!ui::Confirm(this, ui::pick("   您是否确定删除选定的队列项目？", "   您是否確定刪除選定的隊列項目？")))
        return;
    const int now = selectedQueueRow();
    if (now >= 0 && queueReady())
        queueModel_->removeAt(now);
}

void TMainForm::popClearAllQueueClick()
{
    if (!queueReady() || queueModel_->count() == 0)
        return;
    if (!ui::Confirm(this, ui::pick("   您是否确定删除所有队列项目？", "   您是否確定刪除所有隊列項目？")))
        return;
    if (queueReady())
        queueModel_->clear();
}

void TMainForm::popModifySelectQueueClick()
{
    const int row = selectedQueueRow();
    if (row < 0 || !queueReady())
        return;
    EditQueueEntry(this, *queueModel_, row, localDirForm_);
}

QString TMainForm::queueDialogFolder() const
{
    QString folder = config_.ReadString(QStringLiteral("Load"), QLatin1String(config::OpenQueuePath), QString());
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        // An installed program's folder is no place for the user's queues.
        folder = platform::programIsInstalled() ? QDir::homePath() : platform::programFolder();
    return folder;
}

// After a successful save or load the dialogs start in that file's folder.
void TMainForm::rememberQueueFolder(const QString &path)
{
    QString folder = QFileInfo(path).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    config_.WriteString(QStringLiteral("Load"), QLatin1String(config::OpenQueuePath), folder);
}

bool TMainForm::SaveQueueTo(const QString &path)
{
    if (!queue::SaveQueueFile(*queueModel_, path))
        return false;
    rememberQueueFolder(path);
    return true;
}

bool TMainForm::LoadQueueFrom(const QString &path)
{
    if (!queue::LoadQueueFile(*queueModel_, path))
        return false;
    rememberQueueFolder(path);
    return true;
}

void TMainForm::popSaveQueueClick()
{
    if (!queueReady() || queueModel_->count() == 0)
        return;
    const QString path = QFileDialog::getSaveFileName(this, ui::pick("保存传送队列", "保存傳送隊列"),
                                                      queueDialogFolder(), qtFilter(useSimplified_));
    if (path.isEmpty())
        return;
    if (!SaveQueueTo(path))
        ui::ShowError(this, ui::pick("   保存队列错误。", "   保存隊列錯誤。"));
}

void TMainForm::popLoadQueueClick()
{
    if (!queueReady())
        return;
    const QString path = QFileDialog::getOpenFileName(this, ui::pick("打开传送列表", "打開傳送列表"),
                                                      queueDialogFolder(), qtFilter(useSimplified_));
    if (path.isEmpty())
        return;
    if (!LoadQueueFrom(path))
        ui::ShowError(this, ui::pick("   打开队列错误。", "   打開隊列錯誤。"));
}

} // namespace mainwindow
