#include "sites/LocalFolderChooser.h"

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
    auto *ok = new QPushButton(ui::pick("确  定", "確  定"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    auto *cancel = new QPushButton(ui::pick("取  消", "取  消"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(view_, &QTreeView::doubleClicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);
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
