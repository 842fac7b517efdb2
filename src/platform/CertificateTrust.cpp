#include "platform/CertificateTrust.h"

#include "platform/AppPaths.h"

#include <QFile>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSaveFile>

namespace platform {

namespace {

constexpr qint64 MaxStoreBytes = 4 * 1024 * 1024;
const char Header[] = "# Server certificates trusted by the user: host:port SHA-256\n";

QString normalHost(const QString &host)
{
    QString h = host.trimmed();
    if (h.startsWith(QLatin1Char('[')) && h.endsWith(QLatin1Char(']')))
        h = h.mid(1, h.size() - 2);
    const QHostAddress literal(h);
    if (!literal.isNull())
        h = literal.toString();
    h = h.toLower();
    return h.contains(QLatin1Char(':')) ? QLatin1Char('[') + h + QLatin1Char(']') : h;
}

// "AB:01:..." with 32 pairs, or empty.
QString normalFingerprint(const QString &text)
{
    static const QRegularExpression shape(QStringLiteral("^[0-9A-F]{2}(:[0-9A-F]{2}){31}$"));
    const QString upper = text.trimmed().toUpper();
    return shape.match(upper).hasMatch() ? upper : QString();
}

// "host:port" with a port 1..65535 and a host, or empty.
QString normalKey(const QString &text)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return {};
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    const QString host = text.left(colon);
    if (!ok || port == 0 || port > 65535 || host.isEmpty())
        return {};
    // An IPv6 address without brackets cannot be told from its port.
    if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
        return {};
    return trustKey(host, quint16(port));
}

} // namespace

QString trustedCertificatesPath()
{
    return dataFolder() + QLatin1Char('/') + QLatin1String(TrustedCertificatesFileName);
}

QString trustKey(const QString &host, quint16 port)
{
    return normalHost(host) + QLatin1Char(':') + QString::number(port);
}

CertificateTrustStore::CertificateTrustStore(QString path) : path_(std::move(path)) {}

bool CertificateTrustStore::load(QString *error)
{
    lines_.clear();
    loadFailed_ = false;
    QFile f(path_);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly) || f.size() > MaxStoreBytes) {
        if (error)
            *error = f.size() > MaxStoreBytes ? QStringLiteral("%1 is too large").arg(path_) : f.errorString();
        loadFailed_ = true;
        return false;
    }
    const QList<QByteArray> rows = f.readAll().split('\n');
    for (const QByteArray &row : rows) {
        const QString raw = QString::fromUtf8(row).trimmed();
        if (raw.isEmpty() || raw == QString::fromLatin1(Header).trimmed())
            continue;
        Line line;
        line.raw = raw;
        if (!raw.startsWith(QLatin1Char('#'))) {
            const QStringList parts = raw.split(QRegularExpression(QStringLiteral("\\s+")));
            if (parts.size() == 2) {
                line.key = normalKey(parts[0]);
                line.fingerprint = normalFingerprint(parts[1]);
                if (line.key.isEmpty() || line.fingerprint.isEmpty())
                    line.key.clear();
            }
        }
        lines_.append(line);
    }
    return true;
}

bool CertificateTrustStore::save(QString *error) const
{
    if (loadFailed_) {
        if (error)
            *error = QStringLiteral("%1 could not be read and is left as it is").arg(path_);
        return false;
    }
    QByteArray bytes(Header);
    for (const Line &line : lines_) {
        bytes += line.key.isEmpty() ? line.raw.toUtf8() : (line.key + QLatin1Char(' ') + line.fingerprint).toUtf8();
        bytes += '\n';
    }
    QSaveFile f(path_);
    const bool ok = f.open(QIODevice::WriteOnly)
                    && f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
                    && f.write(bytes) == bytes.size() && f.commit();
    if (!ok && error)
        *error = f.errorString();
    return ok;
}

QString CertificateTrustStore::fingerprint(const QString &host, quint16 port) const
{
    const QString key = trustKey(host, port);
    for (const Line &line : lines_)
        if (line.key == key)
            return line.fingerprint;
    return {};
}

void CertificateTrustStore::remember(const QString &host, quint16 port, const QString &sha256)
{
    const QString key = trustKey(host, port);
    const QString fingerprint = normalFingerprint(sha256);
    if (fingerprint.isEmpty())
        return;
    for (Line &line : lines_) {
        if (line.key == key) {
            line.fingerprint = fingerprint;
            return;
        }
    }
    lines_.append({key, fingerprint, {}});
}

void CertificateTrustStore::forget(const QString &host, quint16 port)
{
    const QString key = trustKey(host, port);
    lines_.removeIf([&](const Line &line) { return line.key == key; });
}

int CertificateTrustStore::count() const
{
    return int(std::count_if(lines_.begin(), lines_.end(), [](const Line &l) { return !l.key.isEmpty(); }));
}

int CertificateTrustStore::unreadableLines() const
{
    return int(std::count_if(lines_.begin(), lines_.end(),
                             [](const Line &l) { return l.key.isEmpty() && !l.raw.startsWith(QLatin1Char('#')); }));
}

TrustDecision decideTrust(CertificateTrustStore &store, const QString &host, quint16 port,
                          const TlsCertificateInfo &certificate, const TlsVerification &verification,
                          const TrustQuestion &ask)
{
    const QString where = trustKey(host, port);
    if (certificate.isNull() || certificate.sha256.isEmpty())
        return {false, TrustReason::NoCertificate,
                QStringLiteral("The server at %1 showed no certificate; the connection is refused").arg(where)};
    if (verification.trusted)
        return {true, TrustReason::SystemTrusted, {}};

    const QString known = store.fingerprint(host, port);
    if (known == certificate.sha256)
        return {true, TrustReason::Remembered, {}};
    if (!known.isEmpty())
        return {false, TrustReason::Changed,
                QStringLiteral("WARNING: the certificate of %1 has changed since you trusted it "
                               "(trusted SHA-256 %2, now %3). Someone may be intercepting the "
                               "connection; it is refused.")
                    .arg(where, known, certificate.sha256)};

    if (!ask || !ask(certificate, verification))
        return {false, TrustReason::UserRefused,
                QStringLiteral("The certificate of %1 is not trusted (%2); the connection is refused")
                    .arg(where, verification.text)};
    store.remember(host, port, certificate.sha256);
    QString error;
    TrustDecision accepted{true, TrustReason::UserAccepted, {}};
    if (!store.save(&error))
        accepted.message =
            QStringLiteral("The certificate of %1 is trusted for now but cannot be remembered: %2").arg(where, error);
    return accepted;
}

} // namespace platform
