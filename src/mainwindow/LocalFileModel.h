#pragma once
// The local pane's file-system model with the column captions, type names
// and sizes in the interface language.

#include <QFileSystemModel>

namespace mainwindow {

class LocalFileModel : public QFileSystemModel
{
    Q_OBJECT
public:
    using QFileSystemModel::QFileSystemModel;

    // Repaints captions and type names after a language switch.
    void languageChanged();

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QVariant data(const QModelIndex &index, int role) const override;
};

// "12 KB" style sizes, rounded up as file lists show them.
QString formatSizeKB(qint64 bytes);

} // namespace mainwindow
