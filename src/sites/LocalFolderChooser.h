#pragma once
// A small window that lets the user pick a local folder from a folder tree
// (hidden folders not shown).

#include <QDialog>

class QFileSystemModel;
class QTreeView;

namespace sites {

class LocalFolderChooser : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 314;
    static constexpr int ClientHeight = 339;

    explicit LocalFolderChooser(QWidget *parent = nullptr);

    // Preselects `folder` when it exists.
    void setFolder(const QString &folder);
    QString folder() const;

    // Shows the chooser modally; the chosen folder, or empty after Cancel or
    // when the choice does not exist.
    static QString choose(QWidget *parent, const QString &start);

private:
    QFileSystemModel *model_;
    QTreeView *view_;
};

} // namespace sites
