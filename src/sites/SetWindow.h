#pragma once
// TSetForm: the settings window. It edits section [Option] of Config.ini and
// copies the values into the FTP engine. Created once at start-up (which
// loads and applies the saved options) and kept for the whole run; its
// controls hold the current options, which the connect routine reads.

#include "sites/ConnectOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace sites {

class GapLabel;

class TSetForm : public QDialog
{
    Q_OBJECT
public:
    // Client size when opened from the menu.
    static constexpr int MenuClientWidth = 417;
    static constexpr int MenuClientHeight = 215;

    // `config` and `engine` must outlive the window; `engine` may be null
    // until the engine exists.
    TSetForm(platform::ProfileFile *config, OptionsTarget *engine, QWidget *parent = nullptr);

    void setEngine(OptionsTarget *engine) { engine_ = engine; }

    void LoadOptions();
    void SaveOptions();
    void ApplyOptions();

    // The controls' values as they stand (also what was typed before a Cancel).
    ConnectOptions controlValues() const;
    void setControlValues(const ConnectOptions &options);

    // Shows the window modally at the menu size; returns the dialog result.
    int OpenFromMenu();

    // Texts and hints of the language chosen by ui::UseSimplified().
    void SetTexts();
    QString labelText(const QString &controlName) const;
    QString hintText(const QString &controlName) const;

    // Read by the connect routine.
    QString anonymousUser() const;
    QString anonymousPassword() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void okClicked();
    QWidget *buildGeneralPage();
    QWidget *buildProxyPage();

    platform::ProfileFile *config_;
    OptionsTarget *engine_;

    QLabel *banner_ = nullptr;
    QTabWidget *pages_ = nullptr;
    QSpinBox *retries_ = nullptr;
    QSpinBox *retryInterval_ = nullptr;
    QSpinBox *noopInterval_ = nullptr;
    QSpinBox *timeOut_ = nullptr;
    GapLabel *retriesLabel_ = nullptr;
    GapLabel *retryIntervalLabel_ = nullptr;
    GapLabel *noopIntervalLabel_ = nullptr;
    GapLabel *timeOutLabel_ = nullptr;
    QCheckBox *passive_ = nullptr;
    QCheckBox *cache_ = nullptr;
    QLabel *anonymousLabel_ = nullptr;
    QLabel *anonymousPasswordLabel_ = nullptr;
    QLineEdit *anonymous_ = nullptr;
    QLineEdit *anonymousPassword_ = nullptr;
    QLabel *proxyLabels_[5] = {};
    QLineEdit *proxyServer_ = nullptr;
    QLineEdit *proxyUserName_ = nullptr;
    QLineEdit *proxyPassword_ = nullptr;
    QLineEdit *proxyPort_ = nullptr;
    QComboBox *proxyType_ = nullptr;
    QPushButton *ok_[2] = {};
    QPushButton *cancel_[2] = {};
};

} // namespace sites
