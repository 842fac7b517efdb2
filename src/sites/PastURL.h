#pragma once
// TPastFtpURL: the small window into which the user pastes an ftp://
// address to connect to it.

#include "sites/ConnectRequest.h"
#include "sites/SiteURL.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace sites {

// What connecting to a pasted address asks of the main window.
ConnectRequest PastedConnectRequest(const PastedURL &url);

class TPastFtpURL : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 376;
    static constexpr int ClientHeight = 75;

    explicit TPastFtpURL(QWidget *parent = nullptr);

    // Shows the window modally with the field focused; after a confirmed,
    // parsed address emits connectRequested(). Returns the confirmation.
    bool Open();

    bool confirmed() const { return confirmed_; }
    const PastedURL &parsed() const { return parsed_; }
    ConnectRequest connectRequest() const;

    QLineEdit *urlEdit() const { return edit_; }
    QPushButton *okButton() const { return ok_; }
    QPushButton *cancelButton() const { return cancel_; }

    void SetTexts();
    void OkClicked();

signals:
    void connectRequested(const sites::ConnectRequest &request);

private:
    QLineEdit *edit_;
    QPushButton *ok_;
    QPushButton *cancel_;
    PastedURL parsed_;
    bool confirmed_ = false;
};

} // namespace sites
