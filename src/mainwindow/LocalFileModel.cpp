#include "mainwindow/LocalFileModel.h"

#include "ui/Language.h"
#include "ui/ToolkitStrings.h"

#include <QLocale>

namespace mainwindow {

QString formatSizeKB(qint64 bytes)
{
    const qint64 kb = bytes <= 0 ? 0 : (bytes + 1023) / 1024;
    return QLocale(QLocale::Chinese, QLocale::China).toString(kb) + QStringLiteral(" KB");
}

void LocalFileModel::languageChanged()
{
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    const QModelIndex root = index(rootPath());
    if (rowCount(root) > 0)
        emit dataChanged(index(0, 2, root), index(rowCount(root) - 1, 2, root));
}

QVariant LocalFileModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        static const char *keys[] = {"FLV_NAME", "FLV_SIZE", "FLV_TYPE", "FLV_MODIFIED"};
        if (section >= 0 && section < 4)
            return ui::ToolkitString(keys[section]);
    }
    return QFileSystemModel::headerData(section, orientation, role);
}

QVariant LocalFileModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::DisplayRole && index.isValid()) {
        if (index.column() == 1)
            return isDir(index) ? QVariant(QString()) : QVariant(formatSizeKB(size(index)));
        if (index.column() == 2) {
            if (isDir(index))
                return ui::pick("文件夹", "文件夾");
            const QString suffix = fileInfo(index).suffix().toUpper();
            return suffix.isEmpty() ? ui::pick("文件", "文件") : suffix + ui::pick(" 文件", " 文件");
        }
        if (index.column() == 3)
            return QLocale(QLocale::Chinese, QLocale::China)
                .toString(lastModified(index), QStringLiteral("yyyy-MM-dd HH:mm"));
    }
    if (role == Qt::TextAlignmentRole && index.column() == 1)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return QFileSystemModel::data(index, role);
}

} // namespace mainwindow
