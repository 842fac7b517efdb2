// TMainForm: the commands on remote files and folders: new folder, rename,
// recursive delete, move, run, properties and the remote folder chooser,
// with the remote list's shortcuts. Names are the server's bytes; a typed
// name goes out as the server spells the names of the current folder.
#include "mainwindow/Main.h"

#include "engine/TMFtp.h"
#include "mainwindow/FtpProperty.h"
#include "mainwindow/RemoteDirForm.h"
#include "platform/TextCodec.h"
#include "ui/FileListView.h"
#include "ui/InputDialog.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"
#include "ui/ShellInfo.h"
#include "ui/ShellOpen.h"
#include "views/FtpListView.h"

#include <QAction>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTreeView>

#include <functional>

namespace mainwindow {
namespace {

// Alt+Enter in the remote list's views opens the properties.
class AltEnterFilter : public QObject
{
public:
    AltEnterFilter(QObject *parent, std::function<void()> action) : QObject(parent), action_(std::move(action)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                && (key->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier) {
                action_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> action_;
};

// The entry named exactly `name`, else the first one ignoring case (as the
// engine's FolderIndex finds it); -1 when the name is not listed.
int listedIndex(const TMFtpFileInfoList &list, const QByteArray &name)
{
    for (int i = 0; i < list.Count(); ++i)
        if (list.FileName(i) == name)
            return i;
    return list.IndexOfName(name);
}

QString listedField(const TMFtpFileInfoList &list, int index, TFileInfoField field)
{
    const QByteArrayView text = list.Field(field, index);
    return platform::decodeRemoteName(QByteArray(text.data(), text.size()));
}

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// The characters a move target may not hold (the name check without the
// slashes, which separate its folders).
bool hasForbiddenPathCharacter(const QString &path)
{
    static const QString forbidden = QStringLiteral("\"*:<>?|");
    for (const QChar c : path)
        if (forbidden.contains(c))
            return true;
    return false;
}

} // namespace

void TMainForm::connectRemoteCommands()
{
    // The remote list's keys: the main-menu items carry them and work while
    // the remote list has the focus (the local pane has its own for the
    // same keys); the pop-up twins show them.
    const struct
    {
        const char *menuItem;
        const char *popupItem;
        QKeySequence sequence;
    } keys[] = {
        {"mmiRemoteFileDelete", "RemoteFileDelete", QKeySequence(Qt::Key_Delete)},
        {"mmiRemoteFileReName", "RemoteFileReName", QKeySequence(Qt::Key_F2)},
        {"mmiRemoteFileMove", "RemoteFileMove", QKeySequence(Qt::CTRL | Qt::Key_M)},
        {"mmiRemoteFileExecute", "RemoteFileExecute", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"mmiRemoteFileProperty", "RemoteFileProperty", QKeySequence(Qt::CTRL | Qt::Key_R)},
        {"mmiRemoteFileCreateDirectory", "RemoteFileCreateDirectory", QKeySequence(Qt::Key_Insert)},
        {"mmiRemoteFileViewDirectory", "RemoteFileViewDirectory", QKeySequence(Qt::CTRL | Qt::Key_Insert)},
        {"mmiRemoteFileRefresh", "RemoteFileRefresh", QKeySequence(Qt::Key_F5)},
        {"mmiRemoteFileNotSelect", nullptr, QKeySequence(Qt::CTRL | Qt::Key_I)},
        {"mmiRemoteFileSelectAll", nullptr, QKeySequence(Qt::CTRL | Qt::Key_A)},
    };
    for (const auto &k : keys) {
        if (QAction *a = action(QLatin1String(k.menuItem))) {
            a->setShortcut(k.sequence);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            remoteList_->addAction(a);
        }
        if (QAction *a = k.popupItem ? action(QLatin1String(k.popupItem)) : nullptr) {
            a->setShortcut(k.sequence);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        }
    }

    auto *altEnter = new AltEnterFilter(this, [this] { RemoteFilePropertyClick(); });
    remoteList_->reportView()->installEventFilter(altEnter);
    remoteList_->iconView()->installEventFilter(altEnter);

    // The pop-up computes its items as it opens.
    if (QMenu *menu = popupMenu(QStringLiteral("RemoteFilePopupMenu")))
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(); });
}

bool TMainForm::remoteListActive() const
{
    const QWidget *focus = focusWidget();
    return focus && (focus == remoteList_ || remoteList_->isAncestorOf(focus));
}

void TMainForm::RemoteFileCreateDirectoryClick()
{
    if (!remoteReady())
        return;
    const std::optional<QString> answer =
        ui::AskText(this, ui::pick("新建远程文件夹", "新建遠程文件夾"),
                    ui::pick("请输入新文件夹的名称.", "請輸入新文件夾的名稱."), QString());
    if (!answer || answer->isEmpty())
        return;
    if (ui::NameHasForbiddenCharacter(*answer)) {
        ui::ShowError(this, ui::ForbiddenNameText());
        return;
    }
    if (!remoteReady())
        return;
    const QByteArray name = runner_->TypedRemoteName(*answer);
    if (mftp1_->FolderIndex(name) >= 0) {
        ui::ShowError(this, ui::pick("   远程文件夹“%1”已经存在，创建文件夹失败！",
                                     "   遠程文件夾“%1”已經存在，創建文件夾失敗！")
                                    .arg(*answer)
                                + QLatin1Char('\r'));
        return;
    }
    // The engine's OnDirectoryCreated lists the folder again.
    mftp1_->CreateDirectory(name);
    mftp1_->WaitUntilIdle();
}

void TMainForm::RemoteFileReNameClick()
{
    if (!remoteListActive() || !mftp1_->Connected() || operationMode() != omIdle || mftp1_->Busy())
        return;
    const QList<QByteArray> captions = remoteList_->SelectedFolders() + remoteList_->SelectedFiles();
    if (captions.isEmpty())
        return;
    setOperationMode(omRename);
    bool started = false;
    for (const QByteArray &caption : captions) {
        if (!mftp1_->Connected())
            break;
        const QString shown = mftp1_->DecodeName(caption);
        for (;;) {
            const std::optional<QString> answer = ui::AskText(
                this, ui::pick("远程重命名", "遠程重命名"), ui::pick("请输入新文件名称.", "請輸入新文件名稱."), shown);
            if (!answer || answer->isEmpty() || *answer == shown)
                break;
            if (ui::NameHasForbiddenCharacter(*answer)) {
                ui::ShowError(this, ui::ForbiddenNameText());
                continue;
            }
            if (!mftp1_->Connected())
                break;
            // Without a name encoding for the session, a name the server
            // spells in GBK gets its new name in GBK.
            const bool guess = mftp1_->FeatureUse().Names == TMFtpNameEncoding::Guess;
            const QByteArray newName = !guess || platform::isValidUtf8(caption) ? runner_->TypedRemoteName(*answer)
                                                                               : platform::toGbk(*answer);
            mftp1_->RenameFile(caption, newName);
            mftp1_->WaitUntilIdle();
            started = true;
            break;
        }
    }
    setOperationMode(omIdle);
    if (started)
        RefreshRemoteList(true);
}

void TMainForm::RemoteFileMoveClick()
{
    if (!remoteListActive() || !mftp1_->Connected() || operationMode() != omIdle || mftp1_->Busy())
        return;
    const QList<QByteArray> captions = remoteList_->SelectedFolders() + remoteList_->SelectedFiles();
    if (captions.isEmpty())
        return;
    setOperationMode(omMove);
    const QString current = mftp1_->DecodeName(mftp1_->CurrentDirectory());
    const std::optional<QString> answer =
        ui::AskText(this, ui::pick("移动文件", "移動文件"), ui::pick("将文件移动到...", "將文件移動到..."), current);
    if (answer && !answer->isEmpty() && withoutTrailingSlash(*answer) != withoutTrailingSlash(current)
        && !hasForbiddenPathCharacter(*answer) && mftp1_->Connected()) {
        mftp1_->MoveFiles(captions, remoteFolderBytes(*answer));
        mftp1_->WaitUntilIdle();
        RefreshRemoteList(true);
    }
    setOperationMode(omIdle);
}

void TMainForm::RemoteFileDeleteClick()
{
    if (!remoteListActive() || !mftp1_->Connected() || operationMode() != omIdle || mftp1_->Busy())
        return;
    if (qobject_cast<const QLineEdit *>(focusWidget()))
        return; // a caption is being edited in place
    const QList<QByteArray> folders = remoteList_->SelectedFolders();
    const QList<QByteArray> files = remoteList_->SelectedFiles();
    const qsizetype count = folders.size() + files.size();
    if (count == 0)
        return;
    QString question;
    if (count == 1) {
        question = folders.isEmpty()
                       ? ui::pick("   您是否确定要删除“%1”文件？", "   您是否確定要刪除“%1”文件？")
                             .arg(mftp1_->DecodeName(files.first()))
                       : ui::pick("   您是否确定要删除“%1”目录？", "   您是否確定要刪除“%1”目錄？")
                             .arg(mftp1_->DecodeName(folders.first()));
    } else {
        question = ui::pick("   您是否确定要删除 %1 个选定的文件或目录？", "   您是否確定要刪除 %1 個選定的文件或目錄？")
                       .arg(count);
    }
    if (!ui::Confirm(this, question))
        return;
    runner_->DeleteSelection(folders, files);
}

void TMainForm::RemoteFileExecuteClick()
{
    const QString local = LocalPaneFolder();
    if (!mftp1_->Connected() || mftp1_->Busy() || local.isEmpty() || operationMode() != omIdle)
        return;
    const QList<QByteArray> files = remoteList_->SelectedFiles();
    if (!remoteList_->SelectedFolders().isEmpty() || files.size() != 1)
        return;
    const QByteArray name = files.first();
    qint64 listedSize = 0;
    const TMFtpFileInfoList &listed = mftp1_->FileList();
    if (const int index = listedIndex(listed, name); index >= 0) {
        const QByteArrayView size = listed.FileSize(index);
        listedSize = QByteArray(size.data(), size.size()).toLongLong();
    }
    runner_->DownloadSelection({}, files, local);
    const QString localName = queue::TTransferRunner::SafeLocalName(name, mftp1_->NameCharset());
    if (localName.isEmpty() || listedSize <= 0)
        return;
    const QString path = queue::TTransferRunner::LocalJoin(local, localName);
    const QFileInfo downloaded(path);
    if (downloaded.isFile() && downloaded.size() == listedSize)
        ui::OpenWithDefaultApplication(path);
}

void TMainForm::RemoteFilePropertyClick()
{
    if (!remoteListActive() || !mftp1_->Connected() || mftp1_->Busy() || operationMode() != omIdle)
        return;
    const QList<QByteArray> folders = remoteList_->SelectedFolders();
    const QList<QByteArray> files = remoteList_->SelectedFiles();
    if (folders.isEmpty() && files.isEmpty())
        return;
    const TMFtpFileInfoList &folderList = mftp1_->FolderList();
    const TMFtpFileInfoList &fileList = mftp1_->FileList();
    const QString typePrefix = ui::pick("类型：", "類型：");
    const QString sizePrefix = ui::pick("大小：", "大小：");
    const QString datePrefix = ui::pick("日期：", "日期：");

    TPropertyForm form(this);
    form.setWindowTitle(ui::pick("属性", "屬性"));
    if (folders.size() + files.size() == 1) {
        const bool folder = !folders.isEmpty();
        const QByteArray caption = folder ? folders.first() : files.first();
        const QString name = mftp1_->DecodeName(caption);
        form.SetItemName(name);
        form.SetSizeText(sizePrefix);
        form.SetDateText(datePrefix);
        if (folder) {
            form.SetIcon(ui::ShellFolderIcon());
            form.SetTypeText(ui::pick("类型：文件夹", "類型：文件夾"));
            if (const int index = listedIndex(folderList, caption); index >= 0) {
                form.SetDateText(datePrefix + listedField(folderList, index, fiModifiedDate));
                form.SetPermissionText(listedField(folderList, index, fiAttributes));
            }
        } else {
            form.SetIcon(ui::ShellFileIcon(ui::FileExtension(name)));
            form.SetTypeText(typePrefix + remoteModel()->FileTypeName(caption));
            if (const int index = listedIndex(fileList, caption); index >= 0) {
                form.SetSizeText(sizePrefix + listedField(fileList, index, fiFileSize)
                                 + ui::pick(" 字节", " 字節"));
                form.SetDateText(datePrefix + listedField(fileList, index, fiModifiedDate));
                form.SetPermissionText(listedField(fileList, index, fiAttributes));
            }
        }
    } else {
        form.SetItemName(ui::pick("选择：%1 个文件夹,%2 个文件", "選擇：%1 個文件夾,%2 個文件")
                             .arg(folders.size())
                             .arg(files.size()));
        form.SetTypeText(typePrefix);
        form.SetSizeText(sizePrefix);
        form.SetDateText(datePrefix);
        QStringList attributes;
        for (const QByteArray &name : folders)
            if (const int index = listedIndex(folderList, name); index >= 0)
                attributes << listedField(folderList, index, fiAttributes);
        for (const QByteArray &name : files)
            if (const int index = listedIndex(fileList, name); index >= 0)
                attributes << listedField(fileList, index, fiAttributes);
        form.SetPermissionText(MergedPermissions(attributes));
    }
    form.SetLocationText(ui::pick("位置：", "位置：") + mftp1_->DecodeName(mftp1_->CurrentDirectory()));

    if (form.Open() != QDialog::Accepted || !form.Changed())
        return;
    const QByteArray value = form.Value().toLatin1();
    for (const QByteArray &caption : folders + files) {
        if (!mftp1_->Connected())
            break;
        mftp1_->ChangeMode(caption, value);
        mftp1_->WaitUntilIdle();
    }
    RefreshRemoteList(true);
}

void TMainForm::RemoteFileViewDirectoryClick()
{
    if (!remoteReady())
        return;
    if (!remoteDirForm_) {
        remoteDirForm_ = new TRemoteDirForm(this);
        remoteDirForm_->SetClient(mftp1_);
    }
    remoteDirForm_->Open();
}

} // namespace mainwindow
