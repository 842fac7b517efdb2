#include "sites/LocalFolderChooser.h"

#include "ui/DialogButtons.h"
#include "ui/Language.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace sites {

LocalFolderChooser::LocalFolderChooser(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LocalFolderChooser"));
    setWindowTitle(ui::pick("浏览本地文件", "浏覽本地文件"));
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QDir::rootPath());
    view_ = new QTreeView(this);
    view_->setModel(model_);
    view_->setHeaderHidden(true);
    for (int c = 1; c < model_->columnCount(); ++c)
        view_->hideColumn(c);
    const ui::OkCancelRow row = ui::MakeOkCancelRow(this);
    QPushButton *ok = row.ok;
    QPushButton *cancel = row.cancel;
    ok->setText(ui::pick("确  定", "確  定"));
    cancel->setText(ui::pick("取  消", "取  消"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(view_, &QTreeView::doubleClicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(row.layout);
    resize(ClientWidth, ClientHeight);
}

void LocalFolderChooser::setFolder(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    const QModelIndex index = model_->index(folder);
    view_->setCurrentIndex(index);
    view_->scrollTo(index);
}

QString LocalFolderChooser::folder() const
{
    return model_->filePath(view_->currentIndex());
}

QString LocalFolderChooser::choose(QWidget *parent, const QString &start)
{
    LocalFolderChooser chooser(parent);
    chooser.setFolder(start);
    if (chooser.exec() != QDialog::Accepted)
        return {};
    const QString chosen = chooser.folder();
    return QFileInfo(chosen).isDir() ? chosen : QString();
}

} // namespace sites
