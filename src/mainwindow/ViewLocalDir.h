#pragma once
// TLocalDirForm: the local chooser, a folder tree over the file system (hidden
// folders shown) with OK and Cancel. Used by the queue entry editor, which
// lets it show files too, and by the local pane's folder command. Esc
// cancels whatever has the focus; the tree has the focus when it opens.

#include <QDialog>

class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace mainwindow {

class TLocalDirForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 314;
    static constexpr int ClientHeight = 339;

    explicit TLocalDirForm(QWidget *owner = nullptr);

    // The caption given, buttons "确  定" / "確  定" and "取  消" of the
    // current language. The constructor uses the caption "浏览本地文件".
    void SetTexts(const QString &caption);

    // Files are listed next to the folders (folders only by default).
    void setShowFiles(bool show);
    bool showFiles() const { return showFiles_; }
    // Selects an existing file or folder and scrolls to it; anything else is
    // ignored.
    void setPath(const QString &path);
    // The path of the selected node, empty when none is selected.
    QString selectedPath() const;

    // Client size 314 by 339, shown modally.
    int Open();

    QTreeView *tree() const { return tree_; }
    QPushButton *okButton() const { return ok_; }
    QPushButton *cancelButton() const { return cancel_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QFileSystemModel *model_;
    QTreeView *tree_;
    QPushButton *ok_;
    QPushButton *cancel_;
    bool showFiles_ = false;
};

} // namespace mainwindow
