#pragma once
// Server certificates the user has chosen to trust, remembered per host and
// port in a text file beside the site book (TrustedCerts.txt, readable by
// the owner only), one line each:
//   ftp.example.org:21 AB:01:...:FF
//   [2001:db8::1]:990 AB:01:...:FF
// Host names are kept in lower case, IPv6 addresses in brackets; the
// fingerprint is the certificate's SHA-256. Lines starting with "#" are
// comments; lines this program does not understand are kept as they are.
//
// decideTrust() holds the rules the connection applies before it logs in.

#include "platform/TlsSession.h"

#include <QList>
#include <QString>

#include <functional>

namespace platform {

inline constexpr const char *TrustedCertificatesFileName = "TrustedCerts.txt";

// The store's file in the program's data folder (beside ftp.dat).
QString trustedCertificatesPath();

// "host:port" as the store writes it.
QString trustKey(const QString &host, quint16 port);

class CertificateTrustStore
{
public:
    explicit CertificateTrustStore(QString path = trustedCertificatesPath());

    const QString &path() const { return path_; }

    // Reads the file; a missing file is an empty store. False with `error`
    // when it exists but cannot be read (the store is then empty).
    bool load(QString *error = nullptr);
    // Replaces the file in one step, readable and writable by the owner only.
    // Refused after a failed load, so an unread file is never overwritten.
    bool save(QString *error = nullptr) const;

    // The fingerprint remembered for host:port; empty when none.
    QString fingerprint(const QString &host, quint16 port) const;
    void remember(const QString &host, quint16 port, const QString &sha256);
    void forget(const QString &host, quint16 port);

    int count() const;
    // Lines of the file that were not understood (kept on saving).
    int unreadableLines() const;

private:
    struct Line
    {
        QString key;         // empty for comments and lines not understood
        QString fingerprint;
        QString raw;
    };
    QString path_;
    QList<Line> lines_;
    bool loadFailed_ = false;
};

enum class TrustReason {
    SystemTrusted, // the system's trust store vouches for it, for this name
    Remembered,    // the user trusted this very certificate before
    UserAccepted,  // shown now and accepted; remembered from now on
    UserRefused,   // shown now and refused
    Changed,       // another certificate was trusted for this host and port
    NoCertificate, // the server showed none
};

struct TrustDecision
{
    bool accepted = false;
    TrustReason reason = TrustReason::UserRefused;
    // For the session log: why a certificate was refused, or a note on an
    // acceptance (empty when there is nothing to say).
    QString message;
};

// Asked once for a certificate nobody vouches for: true to trust it.
using TrustQuestion = std::function<bool(const TlsCertificateInfo &certificate, const TlsVerification &verification)>;

// The rules, in this order:
//  - no certificate: refused;
//  - verified by the system's trust store for this name: accepted, nothing
//    remembered;
//  - the remembered fingerprint for host:port: accepted silently;
//  - another fingerprint remembered for host:port: refused with a warning,
//    never asked (forget() the old one to trust a new certificate);
//  - nothing remembered: `ask` decides (no question: refused); an accepted
//    certificate is remembered and the store saved.
TrustDecision decideTrust(CertificateTrustStore &store, const QString &host, quint16 port,
                          const TlsCertificateInfo &certificate, const TlsVerification &verification,
                          const TrustQuestion &ask);

} // namespace platform
