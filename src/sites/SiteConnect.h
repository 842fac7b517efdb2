#pragma once
// TFastConnForm: quick connect. Server, user name, password and port typed
// (or chosen from the history in the server box's drop-down), then connect.
// Created for each opening and destroyed afterwards; every opening reads
// the history again.

#include "sites/ConnectHistory.h"
#include "sites/ConnectRequest.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sites {

class TFastConnForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 348;
    static constexpr int ClientHeight = 216;
    static constexpr int VisibleHistoryRows = 10;

    // `config` must outlive the window.
    explicit TFastConnForm(platform::ProfileFile *config, QWidget *parent = nullptr);
    ~TFastConnForm() override;

    // Sets the texts and size and shows the window modally; after a
    // confirmed connect emits connectRequested(). Returns the confirmation.
    bool Open();

    bool confirmed() const { return confirmed_; }
    ConnectRequest connectRequest() const;
    const ConnectHistory &history() const { return history_; }
    // The drop-down item the fields belong to; -1 when none.
    int selectedItem() const { return selected_; }

    void SetTexts();
    // Named controls: SiteServer, SiteUserName, SitePassword, SitePort,
    // SiteAnonymous, AutoSavePassword, ConnectButton, CloseButton,
    // DeleteSite, SetDefaultConnect, SiteTlsMode, SiteCharset,
    // SitePassiveRule.
    QWidget *control(const QString &name) const;

    void ConnectClicked();
    void ClearClicked();
    void SetDefaultClicked();

signals:
    void connectRequested(const sites::ConnectRequest &request);

private:
    void loadItems();
    void selectItem(int index);
    void serverTextChanged(const QString &text);
    void fillFrom(const ConnectRecord &record);
    SiteOptions options() const;
    void clearFields();
    void updateStates();
    bool connectAllowed() const;
    void runConnectIfEnabled();

    platform::ProfileFile *config_;
    ConnectHistory history_;
    int selected_ = -1;
    bool confirmed_ = false;
    bool syncing_ = false;
    QComboBox *server_ = nullptr;
    QLineEdit *user_ = nullptr;
    QLineEdit *password_ = nullptr;
    QLineEdit *port_ = nullptr;
    QCheckBox *anonymous_ = nullptr;
    QCheckBox *autoSave_ = nullptr;
    QPushButton *connect_ = nullptr;
    QPushButton *close_ = nullptr;
    QPushButton *clear_ = nullptr;
    QPushButton *setDefault_ = nullptr;
    QComboBox *tlsMode_ = nullptr;
    QComboBox *charset_ = nullptr;
    QCheckBox *passiveRule_ = nullptr;
    QLabel *labels_[6] = {};
};

} // namespace sites
