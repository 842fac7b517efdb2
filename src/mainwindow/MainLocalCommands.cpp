// TMainForm: the commands of the local pane: cut, copy and paste through the
// system clipboard, delete to the trash or for good, rename, run,
// properties, new folder and choosing a folder; their keys in the list, the
// pop-up menu's states and its sort submenu.
#include "mainwindow/Main.h"

#include "mainwindow/LocalFileModel.h"
#include "mainwindow/LocalProperty.h"
#include "mainwindow/ViewLocalDir.h"
#include "platform/Drive.h"
#include "platform/FileClipboard.h"
#include "platform/LocalFileOps.h"
#include "platform/Trash.h"
#include "ui/FileListView.h"
#include "ui/InputDialog.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"
#include "ui/ShellOpen.h"

#include <QAbstractItemView>
#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMimeData>
#include <QSet>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <memory>

#include <sys/stat.h>

namespace mainwindow {
namespace {

// The selected rows of the shown folder in display order, as full paths of
// entries that still exist. Every view style selects at least one cell of
// a row, so rows are gathered from all selected cells.
QStringList selectedPaths(const ui::FileListView *list)
{
    QAbstractItemView *view = list->currentView();
    auto *model = qobject_cast<QFileSystemModel *>(view ? view->model() : nullptr);
    if (!model || !view->selectionModel())
        return {};
    const QModelIndex root = view->rootIndex();
    QList<int> rows;
    QSet<int> seen;
    for (const QModelIndex &index : view->selectionModel()->selectedIndexes()) {
        if (index.parent() != root || seen.contains(index.row()))
            continue;
        seen.insert(index.row());
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    QStringList paths;
    for (int row : rows) {
        const QString path = model->filePath(model->index(row, 0, root));
        if (platform::entryExists(path))
            paths << path;
    }
    return paths;
}

bool isRealFolder(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// The list has the keyboard focus within the window (or would have it once
// the window is active again).
bool listHasFocus(const TMainForm *form)
{
    const QWidget *focus = form->focusWidget();
    return focus && (focus == form->localList() || form->localList()->isAncestorOf(focus));
}

// One message box for everything that failed: a heading and one line per
// item, at most twelve of them.
QString failureText(const QString &heading, const QList<QPair<QString, QString>> &items)
{
    QString text = heading;
    const int shown = std::min<int>(int(items.size()), 12);
    for (int i = 0; i < shown; ++i)
        text += QStringLiteral("\n“") + items[i].first + QStringLiteral("”：") + items[i].second;
    if (items.size() > shown)
        text += QLatin1Char('\n') + ui::pick("……还有 %1 项", "……還有 %1 項").arg(items.size() - shown);
    return text;
}

QString withDetail(const QString &reason, const QString &detail)
{
    return detail.isEmpty() ? reason : reason + QStringLiteral("（") + detail + QStringLiteral("）");
}

QString trashReason(const platform::TrashOutcome &out)
{
    using platform::TrashFailure;
    switch (out.failure) {
    case TrashFailure::Missing:
        return ui::pick("项目已不存在", "項目已不存在");
    case TrashFailure::IsTrash:
        return ui::pick("回收站本身不能移到回收站", "回收站本身不能移到回收站");
    case TrashFailure::NoTrash:
        return withDetail(ui::pick("所在的磁盘没有可用的回收站，可按 Shift+Del 直接删除",
                                   "所在的磁盤沒有可用的回收站，可按 Shift+Del 直接刪除"),
                          out.error);
    case TrashFailure::InfoNotWritten:
    case TrashFailure::MoveFailed:
    case TrashFailure::None:
        break;
    }
    return withDetail(ui::pick("无法移到回收站", "無法移到回收站"), out.error);
}

QString pasteReason(const platform::PasteFailure &failure)
{
    using platform::PasteProblem;
    switch (failure.problem) {
    case PasteProblem::SourceMissing:
        return ui::pick("源项目已不存在", "源項目已不存在");
    case PasteProblem::TargetMissing:
        return ui::pick("目标文件夹不存在", "目標文件夾不存在");
    case PasteProblem::IntoItself:
        return ui::pick("不能把文件夹粘贴到它自己里面", "不能把文件夾粘貼到它自己裏面");
    case PasteProblem::CopyFailed:
        return withDetail(ui::pick("未能完整复制", "未能完整複制"),
                          failure.detail.section(QLatin1Char('\n'), 0, 2).replace(QLatin1Char('\n'), QStringLiteral("；")));
    case PasteProblem::MoveFailed:
        return withDetail(ui::pick("移动失败", "移動失敗"), failure.detail);
    case PasteProblem::SourceKept:
        return withDetail(ui::pick("已复制，但原项目未能删除", "已複制，但原項目未能刪除"), failure.detail);
    }
    return {};
}

// Whether the clipboard's content offers files, asked once per change of
// the clipboard rather than at every tick of the command states.
struct ClipboardCache
{
    bool watching = false;
    bool known = false;
    bool files = false;
};

ClipboardCache &clipboardCache()
{
    static ClipboardCache cache;
    return cache;
}

void watchClipboard()
{
    ClipboardCache &cache = clipboardCache();
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (cache.watching || !clipboard)
        return;
    cache.watching = true;
    QObject::connect(clipboard, &QClipboard::dataChanged, clipboard, [] { clipboardCache().known = false; });
}

void putOnClipboard(const QStringList &paths, bool cut)
{
    auto *data = new QMimeData;
    platform::putFileList(data, {paths, cut});
    QGuiApplication::clipboard()->setMimeData(data);
}

// Makes the file-system model read the folder again: sizes and times of
// files that changed in place are not announced by the folder's watcher.
void rereadFolder(TMainForm *form, QFileSystemModel *model)
{
    const QString path = form->localPath();
    if (path.isEmpty())
        return;
    model->setRootPath(QString());
    form->localList()->setRootIndex(model->setRootPath(path));
}

} // namespace

void TMainForm::connectLocalCommands()
{
    watchClipboard();

    // Keys of the list: each action works while the list has the focus.
    auto key = [this](const char *name, const QKeySequence &sequence) {
        QAction *a = action(QLatin1String(name));
        if (!a)
            return;
        a->setShortcut(sequence);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        localList_->addAction(a);
    };
    // The pop-up's twins show the same keys; the main-menu items carry them.
    auto shown = [this](const char *name, const QKeySequence &sequence) {
        if (QAction *a = action(QLatin1String(name))) {
            a->setShortcut(sequence);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        }
    };
    const struct
    {
        const char *menuItem;
        const char *popupItem;
        QKeySequence sequence;
    } keys[] = {
        {"mmiLocalFileCut", "LocalFileCut", QKeySequence(Qt::CTRL | Qt::Key_X)},
        {"mmiLocalFileCopy", "LocalFileCopy", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {"mmiLocalFilePast", "LocalFilePast", QKeySequence(Qt::CTRL | Qt::Key_V)},
        {"mmiLocalFileDelete", "LocalFileDelete", QKeySequence(Qt::Key_Delete)},
        {"mmiLocalFileReName", "LocalFileReName", QKeySequence(Qt::Key_F2)},
        {"mmiLocalFileRefresh", "LocalFileRefresh", QKeySequence(Qt::Key_F5)},
        {"mmiLocalFileCreateDirectory", "LocalFileCreateDirectory", QKeySequence(Qt::Key_Insert)},
        {"mmiLocalFileViewDirectory", "LocalFileViewDirectory", QKeySequence(Qt::CTRL | Qt::Key_Insert)},
        {"mmiLocalFileNotSelect", nullptr, QKeySequence(Qt::CTRL | Qt::Key_I)},
        {"mmiLocalFileSelectAll", nullptr, QKeySequence(Qt::CTRL | Qt::Key_A)},
        {"LocalFileExecute", nullptr, QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"LocalFileProperty", nullptr, QKeySequence(Qt::CTRL | Qt::Key_R)},
    };
    for (const auto &k : keys) {
        key(k.menuItem, k.sequence);
        if (k.popupItem)
            shown(k.popupItem, k.sequence);
    }
    // Shift+Del deletes for good, when Del could delete.
    auto *forGood = new QAction(localList_);
    forGood->setObjectName(QStringLiteral("LocalFileDeleteForGoodKey"));
    forGood->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    forGood->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    localList_->addAction(forGood);
    connect(forGood, &QAction::triggered, this, [this] {
        if (action(QStringLiteral("mmiLocalFileDelete"))->isEnabled() && listHasFocus(this))
            LocalFileDelete(true);
    });

    // Refresh reads the folder again.
    for (const char *name : {"mmiLocalFileRefresh", "LocalFileRefresh"})
        connect(action(QLatin1String(name)), &QAction::triggered, this, [this] { rereadFolder(this, localModel_); });

    // Choosing a folder from the folder box's list shows it; then the list
    // has the focus.
    connect(localFolderBox_, &QComboBox::activated, this, [this](int index) {
        const QString chosen = localFolderBox_->itemText(index);
        if (QFileInfo(chosen).isDir() && platform::absoluteClean(chosen) != localPath())
            setLocalPath(chosen);
        localList_->currentView()->setFocus();
    });

    // A selection belongs to the folder it was made in.
    connect(localModel_, &QFileSystemModel::rootPathChanged, this, [this] {
        if (QItemSelectionModel *selection = localList_->reportView()->selectionModel())
            selection->clearSelection();
    });

    // The sort submenu: column items in front of the break line, then the
    // two order items.
    QMenu *sort = popupMenu(QStringLiteral("LocalFileSort"));
    QAction *up = action(QStringLiteral("LocalFileSortUp"));
    QAction *down = action(QStringLiteral("LocalFileSortDown"));
    auto *breakLine = new QAction(sort);
    breakLine->setObjectName(QStringLiteral("LocalFileSortBreakLine"));
    breakLine->setSeparator(true);
    sort->insertAction(up, breakLine);
    auto *columns = new QActionGroup(sort);
    columns->setObjectName(QStringLiteral("LocalFileSortColumns"));
    columns->setExclusive(true);
    for (QAction *order : {up, down}) {
        const Qt::SortOrder wanted = order == up ? Qt::AscendingOrder : Qt::DescendingOrder;
        connect(order, &QAction::triggered, this, [this, order, wanted] {
            order->setChecked(true);
            QTreeView *report = localList_->reportView();
            report->sortByColumn(report->header()->sortIndicatorSection(), wanted);
        });
    }

    if (QMenu *popup = popupMenu(QStringLiteral("LocalFilePopupMenu")))
        connect(popup, &QMenu::aboutToShow, this, [this] { LocalFilePopupMenuPopup(); });
}

void TMainForm::LocalFilePopupMenuPopup()
{
    UpdateCommandStates();

    QMenu *sort = popupMenu(QStringLiteral("LocalFileSort"));
    QAction *breakLine = sort ? sort->findChild<QAction *>(QStringLiteral("LocalFileSortBreakLine")) : nullptr;
    auto *group = sort ? sort->findChild<QActionGroup *>(QStringLiteral("LocalFileSortColumns")) : nullptr;
    if (!breakLine || !group)
        return;
    for (QAction *a : sort->actions()) {
        if (a == breakLine)
            break;
        sort->removeAction(a);
        delete a;
    }
    QTreeView *report = localList_->reportView();
    const int current = report->header()->sortIndicatorSection();
    const Qt::SortOrder order = report->header()->sortIndicatorOrder();
    QAbstractItemModel *model = localList_->model();
    for (int column = 0; column < model->columnCount(); ++column) {
        auto *item = new QAction(ui::pick("按", "按") + model->headerData(column, Qt::Horizontal).toString(), sort);
        item->setData(column);
        item->setCheckable(true);
        item->setChecked(column == current);
        group->addAction(item);
        sort->insertAction(breakLine, item);
        connect(item, &QAction::triggered, this, [this, column] {
            QTreeView *view = localList_->reportView();
            view->sortByColumn(column, view->header()->sortIndicatorOrder());
        });
    }
    action(order == Qt::DescendingOrder ? QStringLiteral("LocalFileSortDown") : QStringLiteral("LocalFileSortUp"))
        ->setChecked(true);
}

bool TMainForm::localClipboardHasFiles() const
{
    ClipboardCache &cache = clipboardCache();
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    if (!cache.known || !cache.watching) {
        cache.files = platform::fileListFrom(clipboard->mimeData()).has_value();
        cache.known = cache.watching;
    }
    return cache.files;
}

void TMainForm::LocalFileCutClick()
{
    if (localPath().isEmpty())
        return;
    const QStringList paths = selectedPaths(localList_);
    if (!paths.isEmpty())
        putOnClipboard(paths, true);
}

void TMainForm::LocalFileCopyClick()
{
    if (localPath().isEmpty())
        return;
    const QStringList paths = selectedPaths(localList_);
    if (!paths.isEmpty())
        putOnClipboard(paths, false);
}

void TMainForm::LocalFilePastClick()
{
    const QString folder = localPath();
    if (folder.isEmpty() || platform::isReadOnlyDrive(folder))
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    const std::optional<platform::ClipboardFiles> files = platform::fileListFrom(clipboard->mimeData());
    if (!files)
        return;
    const platform::PasteOutcome outcome = platform::pasteFiles(*files, folder);
    if (files->cut && outcome.failures.isEmpty())
        clipboard->clear(); // the originals are gone; a second paste has nothing to take
    if (outcome.failures.isEmpty())
        return;
    QList<QPair<QString, QString>> items;
    for (const platform::PasteFailure &f : outcome.failures)
        items.append({QDir::toNativeSeparators(f.source), pasteReason(f)});
    ui::ShowError(this, failureText(ui::pick("   以下项目未能粘贴：", "   以下項目未能粘貼："), items));
}

void TMainForm::LocalFileDeleteClick()
{
    if (!listHasFocus(this))
        return;
    LocalFileDelete(false);
}

void TMainForm::LocalFileDelete(bool permanent)
{
    if (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier)
        permanent = true;
    if (localPath().isEmpty())
        return;
    const QStringList paths = selectedPaths(localList_);
    if (paths.isEmpty())
        return;

    QString question;
    if (paths.size() == 1) {
        const QString name = QFileInfo(paths.first()).fileName();
        if (isRealFolder(paths.first()))
            question = permanent ? ui::pick("   您是否确定要删除“%1”目录？", "   您是否確定要刪除“%1”目錄？")
                                 : ui::pick("   您是否确定要发送“%1”目录到回收站？", "   您是否確定要發送“%1”目錄到回收站？");
        else
            question = permanent ? ui::pick("   您是否确定要删除“%1”文件？", "   您是否確定要刪除“%1”文件？")
                                 : ui::pick("   您是否确定要发送“%1”文件到回收站？", "   您是否確定要發送“%1”文件到回收站？");
        question = question.arg(name);
    } else {
        question = permanent
            ? ui::pick("   您是否确定要删除 %1 个选定的文件或目录？", "   您是否確定要刪除 %1 個選定的文件或目錄？")
            : ui::pick("   您是否确定要发送 %1 个选定的文件或目录到回收站？", "   您是否確定要發送 %1 個選定的文件或目錄到回收站？");
        question = question.arg(paths.size());
    }
    if (!ui::Confirm(this, question))
        return;

    QList<QPair<QString, QString>> failed;
    for (const QString &path : paths) {
        const QString shown = QDir::toNativeSeparators(path);
        if (permanent) {
            QString error;
            if (!platform::removeForGood(path, &error))
                failed.append({shown, withDetail(ui::pick("删除失败", "刪除失敗"), error)});
        } else {
            const platform::TrashOutcome out = platform::moveToTrash(path);
            if (!out.ok())
                failed.append({shown, trashReason(out)});
        }
    }
    if (failed.isEmpty())
        return;
    ui::ShowError(this, failureText(permanent ? ui::pick("   以下项目未能删除：", "   以下項目未能刪除：")
                                              : ui::pick("   以下项目未能移到回收站：", "   以下項目未能移到回收站："),
                                    failed));
}

void TMainForm::LocalFileReNameClick()
{
    const QString folder = localPath();
    if (!listHasFocus(this) || folder.isEmpty())
        return;
    const QStringList paths = selectedPaths(localList_);
    for (const QString &path : paths) {
        const QString current = QFileInfo(path).fileName();
        QString value = current;
        for (;;) {
            const std::optional<QString> answer = ui::AskText(this, ui::pick("本地重命名", "本地重命名"),
                                                              ui::pick("请输入新文件名称.", "請輸入新文件名稱."), value);
            if (!answer || answer->isEmpty() || *answer == current)
                break;
            if (ui::NameHasForbiddenCharacter(*answer)) {
                ui::ShowError(this, ui::ForbiddenNameText());
                value = *answer;
                continue;
            }
            if (!platform::entryExists(path))
                break;
            if (!platform::renameNoReplace(path, joined(folder, *answer), nullptr))
                ui::ShowError(this, ui::pick("   本地重新命名失败 ", "   本地重新命名失敗 "));
            break;
        }
    }
}

void TMainForm::LocalFileExecuteClick()
{
    const QStringList paths = selectedPaths(localList_);
    if (paths.size() != 1)
        return;
    if (!ui::OpenWithDefaultApplication(paths.first()))
        ui::ShowError(this, ui::pick("   无法打开“%1”。", "   無法打開“%1”。").arg(QFileInfo(paths.first()).fileName()));
}

void TMainForm::LocalFilePropertyClick()
{
    if (!listHasFocus(this))
        return;
    QStringList paths = selectedPaths(localList_);
    if (paths.isEmpty() && !localPath().isEmpty())
        paths << localPath(); // nothing selected: the folder shown
    if (paths.isEmpty())
        return;
    TLocalPropertyForm form(paths, this);
    form.exec();
}

void TMainForm::LocalFileCreateDirectoryClick()
{
    const QString folder = localPath();
    if (folder.isEmpty() || platform::isReadOnlyDrive(folder))
        return;
    const std::optional<QString> name = ui::AskText(this, ui::pick("新建本地文件夹", "新建本地文件夾"),
                                                    ui::pick("请输入新文件夹的名称.", "請輸入新文件夾的名稱."), QString());
    if (!name || name->isEmpty())
        return;
    if (ui::NameHasForbiddenCharacter(*name)) {
        ui::ShowError(this, ui::ForbiddenNameText());
        return;
    }
    const QString path = joined(folder, *name);
    if (QFileInfo(path).isDir()) {
        ui::ShowError(this, ui::pick("   本地文件夹“%1”已经存在，创建文件夹失败！", "   本地文件夾“%1”已經存在，創建文件夾失敗！")
                                    .arg(*name)
                                + QLatin1Char('\r'));
        return;
    }
    QDir().mkdir(path); // any other failure is silent
}

void TMainForm::LocalFileViewDirectoryClick()
{
    std::unique_ptr<TLocalDirForm> own;
    TLocalDirForm *chooser = localDirForm_;
    if (!chooser) {
        own = std::make_unique<TLocalDirForm>(this);
        chooser = own.get();
    }
    chooser->SetTexts(ui::pick("浏览本地目录", "浏覽本地目錄"));
    chooser->setShowFiles(false);
    chooser->setPath(localPath());
    if (chooser->Open() != QDialog::Accepted)
        return;
    const QString chosen = chooser->selectedPath();
    if (!chosen.isEmpty() && QFileInfo(chosen).isDir())
        setLocalPath(chosen);
}

} // namespace mainwindow
