#pragma once
// Icons and type names of the local pane by file name alone. The file
// system model's default provider reads each file's first bytes to guess its
// type, which made every new file in a shown folder cost a read of every
// file there.

#include <QAbstractFileIconProvider>

namespace mainwindow {

class LocalIconProvider : public QAbstractFileIconProvider
{
public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;
};

} // namespace mainwindow
