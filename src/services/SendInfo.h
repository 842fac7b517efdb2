#pragma once
// TSendUserInfo: the feedback window. A subject (with three suggestions), a
// contact and a message of at most 1800 characters go to the feedback
// service as one form-encoded POST; the answer's success line closes the
// window, every failure leaves it open with the message typed.

#include "services/HttpClient.h"

#include <QDateTime>
#include <QDialog>
#include <QUrl>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace services {

class TSendUserInfo : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 511;
    static constexpr int ClientHeight = 312;
    static constexpr int MaxTextLength = 1800;
    static constexpr int DefaultSendDelayMs = 2000;
    static constexpr qint64 MaxAnswerBytes = 256 * 1024;

    // `serviceBase`: the feedback service's base address.
    explicit TSendUserInfo(const QUrl &serviceBase, QWidget *parent = nullptr);
    ~TSendUserInfo() override;

    // Caption, suggestions, labels and hints of the current language.
    void SetTexts();
    void SendClick();
    // Aborts a running send and closes the window.
    void CloseClick();

    // Whether a send is on its way (waiting or in flight).
    bool Sending() const;

    THttpClient *http() const { return http_; }
    QComboBox *titleBox() const { return infoTitle_; }
    QLineEdit *emailEdit() const { return userEMail_; }
    QPlainTextEdit *textEdit() const { return infoText_; }
    QPushButton *sendButton() const { return send_; }
    QPushButton *closeButton() const { return close_; }

    // The pause before the POST goes out (tests use 0).
    void setSendDelay(int ms) { sendDelayMs_ = ms; }
    // The time and identity a message carries (tests fix them).
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
    void setIdentity(const QString &home) { home_ = home; }

    void reject() override;

private:
    void post();
    void onFinished(HttpOutcome outcome);
    void endSending();
    void limitText();

    QUrl serviceBase_;
    THttpClient *http_;
    QTimer *delay_;
    QLabel *titleLabel_;
    QLabel *emailLabel_;
    QLabel *textLabel_;
    QComboBox *infoTitle_;
    QLineEdit *userEMail_;
    QPlainTextEdit *infoText_;
    QPushButton *send_;
    QPushButton *close_;
    QByteArray body_;
    bool waitCursor_ = false;
    int sendDelayMs_ = DefaultSendDelayMs;
    std::function<QDateTime()> clock_;
    QString home_;
};

} // namespace services
