#pragma once
// TRemoteDirForm: the remote folder chooser. Created at start-up and bound
// to the engine for the whole run, so its folder tree follows every folder
// change even while it is hidden; when the engine's session ends the tree
// forgets its sites. Choosing a node changes the engine's directory; OK
// keeps the folder reached, Cancel goes back to where the chooser was
// opened, Esc closes without going back.

#include "views/FtpTreeView.h"

#include <QDialog>
#include <QPointer>

class QPushButton;

namespace mainwindow {

class TRemoteDirForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 314;
    static constexpr int ClientHeight = 339;

    explicit TRemoteDirForm(QWidget *owner = nullptr);
    ~TRemoteDirForm() override;

    void SetClient(TMFtp *client);
    views::TMFtpTreeView *tree() const { return tree_; }
    QPushButton *okButton() const { return ok_; }
    QPushButton *cancelButton() const { return cancel_; }
    // The folder the chooser was opened in.
    QByteArray startFolder() const { return startFolder_; }

    // Texts by language, remembers the current folder; shows modally.
    int Open();
    // Sets the texts and the start folder without showing (Open's first step).
    void Prepare();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void CancelClick();

    views::TMFtpTreeView *tree_;
    QPushButton *ok_;
    QPushButton *cancel_;
    QByteArray startFolder_;
    bool cancelling_ = false;
    QPointer<TMFtp> client_;
    int quitSlot_ = -1;
};

} // namespace mainwindow
