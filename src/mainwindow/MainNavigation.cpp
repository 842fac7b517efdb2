// Moving around the remote site: double click or Enter on a folder in the
// remote list, Backspace and the up button, the folder box, refresh.

#include "mainwindow/Main.h"

#include "engine/TMFtp.h"
#include "platform/EventLoop.h"
#include "platform/TextCodec.h"
#include "views/FtpListView.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QKeyEvent>
#include <QListView>
#include <QTreeView>

#include <functional>
#include <QToolButton>

namespace mainwindow {
namespace {

// Backspace in the remote list's views goes up one folder.
class BackspaceFilter : public QObject
{
public:
    BackspaceFilter(QObject *parent, std::function<void()> action) : QObject(parent), action_(std::move(action)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Backspace
            && static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
            action_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> action_;
};

void waitEngine(TMFtp &ftp)
{
    ftp.WaitUntilIdle();
}

} // namespace

void TMainForm::connectRemoteNavigation()
{
    connect(remoteList(), &ui::FileListView::activated, this, [this] { remoteListDoubleClick(); });
    auto *back = new BackspaceFilter(this, [this] { remoteGoUp(); });
    remoteList()->reportView()->installEventFilter(back);
    remoteList()->iconView()->installEventFilter(back);
    if (QToolButton *up = toolButton(QStringLiteral("RemoteFileToolGoUp")))
        connect(up, &QToolButton::clicked, this, [this] { remoteGoUp(); });

    // A folder picked from the drop-down, or typed and confirmed with Enter
    // (the box inserts nothing itself, so Enter reaches only this).
    connect(remoteFolderBox_, &QComboBox::textActivated, this, &TMainForm::remoteFolderBoxEntered);
    connect(remoteFolderBox_->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { remoteFolderBoxEntered(remoteFolderBox_->currentText()); });
    connectRemoteSort();

    for (const char *name : {"mmiRemoteFileRefresh", "RemoteFileRefresh"}) {
        if (QAction *a = action(QLatin1String(name)))
            connect(a, &QAction::triggered, this, [this] {
                if (remoteReady())
                    RefreshRemoteList(true);
            });
    }
    if (QToolButton *refresh = toolButton(QStringLiteral("RemoteFileToolRefresh")))
        connect(refresh, &QToolButton::clicked, this, [this] {
            if (remoteReady())
                RefreshRemoteList(true);
        });
}

bool TMainForm::remoteReady() const
{
    return mftp1_->Connected() && runner_->state().mode == omIdle && !mftp1_->Busy();
}

void TMainForm::remoteListDoubleClick()
{
    if (!mftp1_->Connected() || runner_->state().mode != omIdle || mftp1_->Busy())
        return;
    const QList<QByteArray> folders = remoteList()->SelectedFolders();
    if (folders.isEmpty())
        return; // a file alone does nothing here
    mftp1_->ChangeDirectory(folders.first());
    waitEngine(*mftp1_);
}

void TMainForm::remoteGoUp()
{
    if (!remoteReady())
        return;
    mftp1_->ChangeDirectoryUp();
    waitEngine(*mftp1_);
}

void TMainForm::remoteFolderBoxEntered(const QString &text)
{
    if (!mftp1_->Connected() || runner_->state().mode != omIdle || mftp1_->Busy() || text.trimmed().isEmpty())
        return;
    const QByteArray folder = remoteFolderBytes(text);
    if (folder == mftp1_->CurrentDirectory())
        return;
    mftp1_->ChangeDirectory(folder);
    waitEngine(*mftp1_);
    // A refused folder: the engine has logged why; the box shows where we are.
    if (!mftp1_->ChangeDirOK() && mftp1_->Connected())
        remoteFolderBox_->setEditText(mftp1_->DecodeName(mftp1_->CurrentDirectory()));
    remoteList()->setFocus();
}

// A folder the box has shown goes back as the server sent it; a typed one in
// the session's name encoding, or without one in the encoding the server
// uses for the current folder (GBK when its name is not UTF-8).
QByteArray TMainForm::remoteFolderBytes(const QString &text) const
{
    const auto known = remoteFolderNames_.constFind(text);
    if (known != remoteFolderNames_.cend())
        return known.value();
    if (mftp1_->FeatureUse().Names != TMFtpNameEncoding::Guess)
        return mftp1_->EncodeName(text);
    if (!platform::isValidUtf8(mftp1_->CurrentDirectory()))
        return platform::toGbk(text);
    return text.toUtf8();
}

} // namespace mainwindow
