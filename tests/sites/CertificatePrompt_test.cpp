#include "sites/CertificatePrompt.h"
#include "ui/Language.h"

#include "../support/PrintQString.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sites;

namespace {

platform::TlsCertificateInfo SampleCertificate()
{
    platform::TlsCertificateInfo c;
    c.subject = QStringLiteral("CN=ftp.example.org,O=Example");
    c.issuer = QStringLiteral("CN=Example CA");
    c.notBefore = QDateTime(QDate(2026, 3, 1), QTime(12, 30), Qt::UTC);
    c.notAfter = QDateTime(QDate(2027, 3, 1), QTime(12, 30), Qt::UTC);
    c.sha256 = QStringLiteral("00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:"
                              "F0:E1:D2:C3:B4:A5:96:87:78:69:5A:4B:3C:2D:1E:0F");
    return c;
}

QString LabelText(const QDialog &dialog, const char *name)
{
    const auto *label = dialog.findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing>");
}

} // namespace

TEST(CertificatePrompt, ShowsTheCertificateInBothLanguages)
{
    struct Row { bool simplified; const char *title, *refuse, *reasonPrefix; };
    for (const Row &r : {Row{true, "服务器证书", "拒  绝", "   无法确认该服务器证书是否可信（self-signed certificate）"},
                         Row{false, "伺服器憑證", "拒  絕", "   無法確認該伺服器憑證是否可信（self-signed certificate）"}}) {
        ui::SetUseSimplified(r.simplified);
        TCertificatePrompt prompt;
        platform::TlsVerification verification;
        verification.text = QStringLiteral("self-signed certificate");
        prompt.SetCertificate(QStringLiteral("ftp.example.org:990"), SampleCertificate(), verification);
        EXPECT_EQ(prompt.windowTitle(), QString::fromUtf8(r.title));
        EXPECT_EQ(prompt.refuseButton()->text(), QString::fromUtf8(r.refuse));
        EXPECT_EQ(prompt.trustButton()->text(), QStringLiteral("信  任"));
        EXPECT_TRUE(LabelText(prompt, "IntroLabel").startsWith(QString::fromUtf8(r.reasonPrefix)))
            << LabelText(prompt, "IntroLabel").toStdString();
        EXPECT_EQ(LabelText(prompt, "ServerLabel"), QStringLiteral("ftp.example.org:990"));
        EXPECT_EQ(LabelText(prompt, "SubjectLabel"), QStringLiteral("CN=ftp.example.org,O=Example"));
        EXPECT_EQ(LabelText(prompt, "IssuerLabel"), QStringLiteral("CN=Example CA"));
        EXPECT_EQ(LabelText(prompt, "ValidityLabel"), QStringLiteral("2026-03-01 12:30 UTC — 2027-03-01 12:30 UTC"));
        // All 32 pairs, in two lines of 16.
        QString fingerprint = LabelText(prompt, "FingerprintLabel");
        EXPECT_EQ(fingerprint.count(QLatin1Char('\n')), 1);
        fingerprint.replace(QLatin1Char('\n'), QLatin1Char(':'));
        EXPECT_EQ(fingerprint, SampleCertificate().sha256);
    }
    ui::SetUseSimplified(true);
}

TEST(CertificatePrompt, TrustAcceptsRefuseAndClosingDoNot)
{
    TCertificatePrompt prompt;
    prompt.SetCertificate(QStringLiteral("127.0.0.1:21"), SampleCertificate(), {});
    EXPECT_TRUE(prompt.refuseButton()->isDefault());
    EXPECT_FALSE(prompt.trustButton()->isDefault());
    struct Step { QPushButton *button; bool expected; };
    for (const Step &s : {Step{prompt.trustButton(), true}, Step{prompt.refuseButton(), false}}) {
        QTimer::singleShot(0, &prompt, [&] {
            ASSERT_TRUE(prompt.isVisible());
            s.button->click();
        });
        EXPECT_EQ(prompt.Ask(), s.expected);
    }
    QTimer::singleShot(0, &prompt, [&] { prompt.reject(); }); // closing the window refuses
    EXPECT_FALSE(prompt.Ask());
}

TEST(CertificatePrompt, ChangedCertificateWarningNamesBothFingerprints)
{
    ui::SetUseSimplified(false);
    const QString text = changedCertificateWarning(QStringLiteral("host:21"), QStringLiteral("AA:BB"), QStringLiteral("CC:DD"));
    ui::SetUseSimplified(true);
    EXPECT_TRUE(text.startsWith(QStringLiteral("   警告：host:21 出示的憑證"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("AA:BB")));
    EXPECT_TRUE(text.contains(QStringLiteral("CC:DD")));
}
