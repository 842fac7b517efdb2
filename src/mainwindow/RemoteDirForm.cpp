#include "mainwindow/RemoteDirForm.h"

#include "mainwindow/MainCaptions.h"
#include "ui/Language.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace mainwindow {

TRemoteDirForm::TRemoteDirForm(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TRemoteDirForm"));
    setWindowTitle(applicationTitle());
    resize(ClientWidth, ClientHeight);
    tree_ = new views::TMFtpTreeView(this);
    tree_->SetPreload(true);
    tree_->SetWebStyle(true);
    ok_ = new QPushButton(this);
    ok_->setObjectName(QStringLiteral("bsSkinButton1"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("bsSkinButton2"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->addWidget(tree_, 1);
    column->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, [this] { CancelClick(); });
}

TRemoteDirForm::~TRemoteDirForm()
{
    SetClient(nullptr);
}

void TRemoteDirForm::SetClient(TMFtp *client)
{
    if (client_ && quitSlot_ > 0)
        client_->RemoveNotifyListener(notifyFtpQuit, quitSlot_);
    quitSlot_ = -1;
    client_ = client;
    tree_->SetClient(client);
    if (client)
        quitSlot_ = client->AddNotifyListener(notifyFtpQuit, [this](QObject *) { tree_->SiteInfo().ClearRoots(); });
}

void TRemoteDirForm::Prepare()
{
    setWindowTitle(ui::pick("浏览远程目录", "浏覽遠程目錄"));
    ok_->setText(ui::pick("确  定", "確  定"));
    cancel_->setText(ui::pick("取  消", "取  消"));
    startFolder_ = tree_->Client() ? tree_->Client()->CurrentDirectory() : QByteArray();
}

int TRemoteDirForm::Open()
{
    Prepare();
    tree_->setFocus();
    return exec();
}

void TRemoteDirForm::CancelClick()
{
    if (cancelling_)
        return;
    cancelling_ = true;
    TMFtp *ftp = tree_->Client();
    if (ftp && !startFolder_.isEmpty() && ftp->CurrentDirectory() != startFolder_) {
        ftp->ChangeDirectory(startFolder_);
        ftp->WaitUntilIdle();
    }
    cancelling_ = false;
    reject();
}

void TRemoteDirForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace mainwindow
