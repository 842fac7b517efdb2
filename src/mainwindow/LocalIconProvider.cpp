#include "mainwindow/LocalIconProvider.h"

#include "ui/ShellInfo.h"

#include <QFileInfo>

namespace mainwindow {

QIcon LocalIconProvider::icon(IconType type) const
{
    return type == File ? ui::ShellFileIcon(QStringView()) : ui::ShellFolderIcon();
}

QIcon LocalIconProvider::icon(const QFileInfo &info) const
{
    if (info.isDir())
        return ui::ShellFolderIcon();
    return ui::ShellFileIcon(ui::FileExtension(info.fileName()));
}

QString LocalIconProvider::type(const QFileInfo &info) const
{
    // The pane's model writes its own type column; this only has to be cheap.
    return info.isDir() ? QStringLiteral("Folder") : info.suffix();
}

} // namespace mainwindow
