#pragma once
// TCertificatePrompt: shows a server certificate that neither the system nor
// the user's remembered certificates vouch for (subject, issuer, validity,
// SHA-256 fingerprint, and why it is not trusted) and asks whether to trust
// it. Refusing is the default button.

#include "platform/TlsSession.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace sites {

class TCertificatePrompt : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MinimumWidth = 560;

    explicit TCertificatePrompt(QWidget *parent = nullptr);

    // Fills the dialog for `server` ("host:port") in the language chosen by
    // ui::UseSimplified().
    void SetCertificate(const QString &server, const platform::TlsCertificateInfo &certificate,
                        const platform::TlsVerification &verification);
    // Shows it modally: true when the user chose to trust the certificate.
    bool Ask();

    QPushButton *trustButton() const { return trust_; }
    QPushButton *refuseButton() const { return refuse_; }
    QLabel *fingerprintLabel() const { return fingerprint_; }

private:
    QLabel *intro_;
    QLabel *serverCaption_;
    QLabel *server_;
    QLabel *subjectCaption_;
    QLabel *subject_;
    QLabel *issuerCaption_;
    QLabel *issuer_;
    QLabel *validityCaption_;
    QLabel *validity_;
    QLabel *fingerprintCaption_;
    QLabel *fingerprint_;
    QPushButton *trust_;
    QPushButton *refuse_;
};

// The warning shown when a server presents another certificate than the one
// trusted for it before; the connection has been refused.
QString changedCertificateWarning(const QString &server, const QString &trusted, const QString &shown);

} // namespace sites
