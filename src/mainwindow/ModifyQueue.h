#pragma once
// TQueueInfoForm: the queue entry editor. The local path is a button edit:
// its button and a double click open the local chooser (files and folders
// for an upload entry, folders only for a download entry). The remote path
// is taken as typed.

#include <QDialog>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace queue {
class TQueueModel;
}

namespace mainwindow {

class TLocalDirForm;

class TQueueInfoForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 324;
    static constexpr int ClientHeight = 139;

    explicit TQueueInfoForm(QWidget *owner = nullptr);

    // The entry shown: local path, remote path (display text), and whether it
    // is an upload entry.
    void SetEntry(const QString &localPath, const QString &remotePath, bool upload);
    bool isUpload() const { return upload_; }
    QString localPath() const;
    QString remotePath() const;

    // The chooser the browse button opens; without one a chooser is made for
    // each use. Not owned.
    void SetLocalChooser(TLocalDirForm *chooser) { chooser_ = chooser; }

    // Caption, labels and buttons of the current language.
    void SetTexts();

    // Opens the local chooser on the local path; after OK an existing chosen
    // file or folder becomes the local path.
    void LocalFilePathButtonClick();

    QLineEdit *localEdit() const { return localEdit_; }
    QLineEdit *remoteEdit() const { return remoteEdit_; }
    QAction *browseAction() const { return browse_; }
    QPushButton *okButton() const { return ok_; }
    QPushButton *cancelButton() const { return cancel_; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *label1_;
    QLineEdit *localEdit_;
    QAction *browse_;
    QLabel *label2_;
    QLineEdit *remoteEdit_;
    QPushButton *ok_;
    QPushButton *cancel_;
    TLocalDirForm *chooser_ = nullptr;
    bool upload_ = false;
};

// The queue command "修改选择队列" for `row`: fills the editor from the entry,
// shows it modally and applies the texts when it is closed with OK (see
// queue::ApplyQueueEdit). True when the edit was applied; false for a row
// outside the queue or Cancel.
bool EditQueueEntry(QWidget *owner, queue::TQueueModel &queue, int row, TLocalDirForm *chooser = nullptr);

} // namespace mainwindow
