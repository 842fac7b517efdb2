#include "mainwindow/ViewLocalDir.h"

#include "ui/DialogButtons.h"
#include "ui/Language.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>

namespace mainwindow {
namespace {

QDir::Filters TreeFilter(bool showFiles)
{
    QDir::Filters filter = QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives | QDir::Hidden | QDir::System;
    if (showFiles)
        filter |= QDir::Files;
    return filter;
}

} // namespace

TLocalDirForm::TLocalDirForm(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TLocalDirForm"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    model_ = new QFileSystemModel(this);
    model_->setFilter(TreeFilter(showFiles_));
    model_->setReadOnly(true);
    model_->setRootPath(QDir::rootPath());
    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("JamShellTree1"));
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    tree_->setDragEnabled(false);
    tree_->setAcceptDrops(false);
    tree_->setContextMenuPolicy(Qt::NoContextMenu);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int c = 1; c < model_->columnCount(); ++c)
        tree_->hideColumn(c);

    const ui::OkCancelRow row = ui::MakeAcceptRejectRow(this);
    ok_ = row.ok;
    cancel_ = row.cancel;
    // The form sees Esc before any of its controls.
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, &QDialog::reject);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->addWidget(tree_, 1);
    column->addLayout(row.layout);
    SetTexts(ui::pick("浏览本地文件", "浏覽本地文件"));
    resize(ClientWidth, ClientHeight);
}

void TLocalDirForm::SetTexts(const QString &caption)
{
    setWindowTitle(caption);
    ok_->setText(ui::pick("确  定", "確  定"));
    cancel_->setText(ui::pick("取  消", "取  消"));
}

void TLocalDirForm::setShowFiles(bool show)
{
    showFiles_ = show;
    model_->setFilter(TreeFilter(show));
}

void TLocalDirForm::setPath(const QString &path)
{
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (!info.exists())
        return;
    if (info.isFile() && !showFiles_) {
        // A file the tree does not list: its folder instead.
        setPath(info.absolutePath());
        return;
    }
    const QModelIndex index = model_->index(info.absoluteFilePath());
    if (!index.isValid())
        return;
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
}

QString TLocalDirForm::selectedPath() const
{
    const QModelIndex index = tree_->currentIndex();
    return index.isValid() ? QDir::toNativeSeparators(model_->filePath(index)) : QString();
}

int TLocalDirForm::Open()
{
    resize(ClientWidth, ClientHeight);
    return exec();
}

void TLocalDirForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    tree_->setFocus();
}

} // namespace mainwindow
