#include "platform/CertificateTrust.h"
#include "support/LocalFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace platform;

namespace {

QString fingerprintOf(char fill)
{
    QStringList pairs;
    for (int i = 0; i < 32; ++i)
        pairs << QString(2, QLatin1Char(fill));
    return pairs.join(QLatin1Char(':'));
}

TlsCertificateInfo certificate(char fill)
{
    TlsCertificateInfo c;
    c.der = "certificate bytes";
    c.subject = QStringLiteral("CN=ftp.example.org");
    c.issuer = c.subject;
    c.sha256 = fingerprintOf(fill);
    return c;
}

using testsupport::readFile;

struct TrustCase
{
    const char *name;
    bool systemTrusted;
    char remembered;  // fingerprint fill remembered for the host before, 0 for none
    char shown;       // fingerprint fill of the certificate shown, 0 for no certificate
    int answer;       // -1: no question function, 0: refuse, 1: accept
    bool accepted;
    TrustReason reason;
    bool asked;
    char rememberedAfter;
};

void PrintTo(const TrustCase &c, std::ostream *os) { *os << c.name; }

class TrustRules : public ::testing::TestWithParam<TrustCase>
{
};

TEST_P(TrustRules, Decide)
{
    const TrustCase c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TrustedCerts.txt"));
    CertificateTrustStore store(path);
    if (c.remembered) {
        store.remember(QStringLiteral("ftp.example.org"), 21, fingerprintOf(c.remembered));
        ASSERT_TRUE(store.save());
    }
    const QByteArray before = readFile(path);

    const TlsCertificateInfo shown = c.shown ? certificate(c.shown) : TlsCertificateInfo{};
    TlsVerification verification;
    verification.trusted = c.systemTrusted;
    verification.text = c.systemTrusted ? QStringLiteral("ok") : QStringLiteral("self-signed certificate");
    bool asked = false;
    TrustQuestion ask;
    if (c.answer >= 0)
        ask = [&](const TlsCertificateInfo &info, const TlsVerification &v) {
            asked = true;
            EXPECT_EQ(info.sha256, shown.sha256);
            EXPECT_EQ(v.text, verification.text);
            return c.answer == 1;
        };

    const TrustDecision d = decideTrust(store, QStringLiteral("FTP.Example.org"), 21, shown, verification, ask);
    EXPECT_EQ(d.accepted, c.accepted);
    EXPECT_EQ(d.reason, c.reason);
    EXPECT_EQ(asked, c.asked);
    if (!d.accepted) {
        EXPECT_FALSE(d.message.isEmpty());
    }

    CertificateTrustStore reread(path);
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.fingerprint(QStringLiteral("ftp.example.org"), 21),
              c.rememberedAfter ? fingerprintOf(c.rememberedAfter) : QString());
    if (c.reason != TrustReason::UserAccepted) {
        EXPECT_EQ(readFile(path), before); // only an acceptance writes
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrustRules,
    ::testing::Values(
        TrustCase{"VouchedForBySystem", true, 0, 'A', 1, true, TrustReason::SystemTrusted, false, 0},
        TrustCase{"VouchedForBySystemAfterAnother", true, 'B', 'A', 1, true, TrustReason::SystemTrusted, false, 'B'},
        TrustCase{"KnownAndSame", false, 'A', 'A', 0, true, TrustReason::Remembered, false, 'A'},
        TrustCase{"ChangedIsNeverAsked", false, 'A', 'B', 1, false, TrustReason::Changed, false, 'A'},
        TrustCase{"UnknownAccepted", false, 0, 'A', 1, true, TrustReason::UserAccepted, true, 'A'},
        TrustCase{"UnknownRefused", false, 0, 'A', 0, false, TrustReason::UserRefused, true, 0},
        TrustCase{"UnknownWithoutQuestion", false, 0, 'A', -1, false, TrustReason::UserRefused, false, 0},
        TrustCase{"NoCertificate", true, 0, 0, 1, false, TrustReason::NoCertificate, false, 0}),
    [](const ::testing::TestParamInfo<TrustCase> &row) { return std::string(row.param.name); });

TEST(TrustStore, ChangedCertificateWarningNamesBothFingerprints)
{
    QTemporaryDir dir;
    CertificateTrustStore store(dir.filePath(QStringLiteral("t.txt")));
    store.remember(QStringLiteral("::1"), 990, fingerprintOf('A'));
    const TrustDecision d = decideTrust(store, QStringLiteral("[::1]"), 990, certificate('B'), {}, {});
    EXPECT_FALSE(d.accepted);
    EXPECT_TRUE(d.message.contains(QLatin1String("WARNING")));
    EXPECT_TRUE(d.message.contains(fingerprintOf('A')));
    EXPECT_TRUE(d.message.contains(fingerprintOf('B')));
    EXPECT_TRUE(d.message.contains(QLatin1String("[::1]:990")));
}

TEST(TrustStore, KeysByHostAndPort)
{
    EXPECT_EQ(trustKey(QStringLiteral(" FTP.Example.ORG "), 21), QStringLiteral("ftp.example.org:21"));
    EXPECT_EQ(trustKey(QStringLiteral("::1"), 990), QStringLiteral("[::1]:990"));
    EXPECT_EQ(trustKey(QStringLiteral("[0:0:0::1]"), 990), QStringLiteral("[::1]:990"));
    EXPECT_EQ(trustKey(QStringLiteral("2001:DB8::1"), 21), QStringLiteral("[2001:db8::1]:21"));

    QTemporaryDir dir;
    CertificateTrustStore store(dir.filePath(QStringLiteral("t.txt")));
    store.remember(QStringLiteral("ftp.example.org"), 21, fingerprintOf('a')); // lower-case input
    EXPECT_EQ(store.fingerprint(QStringLiteral("FTP.EXAMPLE.ORG"), 21), fingerprintOf('A'));
    EXPECT_TRUE(store.fingerprint(QStringLiteral("ftp.example.org"), 990).isEmpty());
    store.remember(QStringLiteral("ftp.example.org"), 21, fingerprintOf('B'));
    EXPECT_EQ(store.count(), 1);
    store.remember(QStringLiteral("ftp.example.org"), 22, QStringLiteral("not a fingerprint"));
    EXPECT_EQ(store.count(), 1);
    store.forget(QStringLiteral("Ftp.Example.Org"), 21);
    EXPECT_EQ(store.count(), 0);
}

TEST(TrustStore, FileIsPrivateAndKeepsWhatItDoesNotUnderstand)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TrustedCerts.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("# my note\n");
        f.write(("ftp.example.org:21 " + fingerprintOf('c') + "\n").toUtf8());
        f.write("garbage without a fingerprint\n");
        f.write(("[2001:db8::1]:990\t" + fingerprintOf('D') + "\r\n").toUtf8());
        f.write(("2001:db8::1:990 " + fingerprintOf('E') + "\n").toUtf8()); // no brackets: ambiguous
        f.write(("host:70000 " + fingerprintOf('E') + "\n").toUtf8());
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    }
    CertificateTrustStore store(path);
    ASSERT_TRUE(store.load());
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(store.unreadableLines(), 3);
    EXPECT_EQ(store.fingerprint(QStringLiteral("ftp.example.org"), 21), fingerprintOf('C'));
    EXPECT_EQ(store.fingerprint(QStringLiteral("2001:db8::1"), 990), fingerprintOf('D'));

    store.remember(QStringLiteral("new.example"), 21, fingerprintOf('F'));
    ASSERT_TRUE(store.save());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    const QByteArray text = readFile(path);
    EXPECT_TRUE(text.contains("# my note\n"));
    EXPECT_TRUE(text.contains("garbage without a fingerprint\n"));
    EXPECT_TRUE(text.contains(("new.example:21 " + fingerprintOf('F') + "\n").toUtf8()));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("TrustedCerts.txt")});

    CertificateTrustStore again(path);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.count(), 3);
    EXPECT_EQ(again.unreadableLines(), 3);
}

TEST(TrustStore, AnUnreadableFileIsNeverOverwritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TrustedCerts.txt"));
    ASSERT_TRUE(QDir().mkpath(path)); // a folder where the file should be
    CertificateTrustStore store(path);
    QString error;
    EXPECT_FALSE(store.load(&error));
    EXPECT_FALSE(error.isEmpty());
    const TrustDecision d = decideTrust(store, QStringLiteral("h"), 21, certificate('A'), {},
                                        [](const TlsCertificateInfo &, const TlsVerification &) { return true; });
    EXPECT_TRUE(d.accepted); // for this connection
    EXPECT_FALSE(d.message.isEmpty());
    EXPECT_TRUE(QFileInfo(path).isDir());
}

} // namespace
