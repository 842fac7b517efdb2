#include "mainwindow/ModifyQueue.h"

#include "mainwindow/ViewLocalDir.h"
#include "queue/QueueEdit.h"
#include "queue/QueueModel.h"
#include "ui/DialogButtons.h"
#include "ui/Icons.h"
#include "ui/Language.h"

#include <QAction>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace mainwindow {

TQueueInfoForm::TQueueInfoForm(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TQueueInfoForm"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    localEdit_ = new QLineEdit(this);
    localEdit_->setObjectName(QStringLiteral("LocalFilePath"));
    browse_ = localEdit_->addAction(ui::glyphIcon(ui::Glyph::Folder), QLineEdit::TrailingPosition);
    browse_->setObjectName(QStringLiteral("LocalFilePathButton"));
    localEdit_->installEventFilter(this);
    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("Label2"));
    remoteEdit_ = new QLineEdit(this);
    remoteEdit_->setObjectName(QStringLiteral("RemoteFilePath"));
    label1_->setBuddy(localEdit_);
    label2_->setBuddy(remoteEdit_);

    const ui::OkCancelRow row = ui::MakeAcceptRejectRow(this);
    ok_ = row.ok;
    cancel_ = row.cancel;
    connect(browse_, &QAction::triggered, this, [this] { LocalFilePathButtonClick(); });

    auto *grid = new QGridLayout;
    grid->addWidget(label1_, 0, 0);
    grid->addWidget(localEdit_, 0, 1);
    grid->addWidget(label2_, 1, 0);
    grid->addWidget(remoteEdit_, 1, 1);
    grid->setColumnStretch(1, 1);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addLayout(grid);
    column->addStretch(1);
    column->addLayout(row.layout);
    SetTexts();
    resize(ClientWidth, ClientHeight);
}

void TQueueInfoForm::SetEntry(const QString &localPath, const QString &remotePath, bool upload)
{
    localEdit_->setText(localPath);
    remoteEdit_->setText(remotePath);
    upload_ = upload;
}

QString TQueueInfoForm::localPath() const
{
    return localEdit_->text();
}

QString TQueueInfoForm::remotePath() const
{
    return remoteEdit_->text();
}

void TQueueInfoForm::SetTexts()
{
    setWindowTitle(ui::pick("修改队列", "修改隊列"));
    label1_->setText(ui::pick("本地文件：", "本地文件："));
    label2_->setText(ui::pick("远程文件：", "遠程文件："));
    ok_->setText(ui::pick("确  定", "確  定"));
    cancel_->setText(ui::pick("取  消", "取  消"));
}

void TQueueInfoForm::LocalFilePathButtonClick()
{
    std::unique_ptr<TLocalDirForm> own;
    TLocalDirForm *chooser = chooser_;
    if (!chooser) {
        own = std::make_unique<TLocalDirForm>(this);
        chooser = own.get();
    }
    chooser->resize(TLocalDirForm::ClientWidth, TLocalDirForm::ClientHeight);
    chooser->setShowFiles(upload_);
    chooser->setPath(localEdit_->text());
    chooser->SetTexts(ui::pick("浏览本地文件", "浏覽本地文件"));
    if (chooser->Open() != QDialog::Accepted)
        return;
    const QString chosen = chooser->selectedPath();
    if (!chosen.isEmpty() && QFileInfo::exists(chosen))
        localEdit_->setText(chosen);
}

void TQueueInfoForm::showEvent(QShowEvent *event)
{
    SetTexts();
    QDialog::showEvent(event);
    ok_->setFocus();
}

bool TQueueInfoForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == localEdit_ && event->type() == QEvent::MouseButtonDblClick) {
        LocalFilePathButtonClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool EditQueueEntry(QWidget *owner, queue::TQueueModel &queue, int row, TLocalDirForm *chooser)
{
    if (row < 0 || row >= queue.count())
        return false;
    TQueueInfoForm form(owner);
    form.SetLocalChooser(chooser);
    form.resize(TQueueInfoForm::ClientWidth, TQueueInfoForm::ClientHeight);
    form.SetEntry(queue.text(row, queue::LocalPathColumn), queue.text(row, queue::RemotePathColumn),
                  queue.entry(row).isUpload());
    const queue::TQueueModel::Id id = queue.idAt(row);
    if (form.exec() != QDialog::Accepted)
        return false;
    // The row may have moved while the form was open.
    const int now = queue.rowOf(id);
    if (now < 0)
        return false;
    queue::ApplyQueueEdit(queue, now, form.localPath(), form.remotePath());
    return true;
}

} // namespace mainwindow
