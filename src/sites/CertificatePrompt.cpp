#include "sites/CertificatePrompt.h"

#include "ui/Language.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace sites {

namespace {

QLabel *valueLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

QString dateText(const QDateTime &when)
{
    return when.isValid() ? when.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'")) : QStringLiteral("?");
}

// "AB:CD:..." in two lines of 16 pairs, so the dialog stays narrow.
QString fingerprintText(const QString &sha256)
{
    const qsizetype half = 16 * 3;
    if (sha256.size() <= half)
        return sha256;
    return sha256.left(half - 1) + QLatin1Char('\n') + sha256.mid(half);
}

} // namespace

TCertificatePrompt::TCertificatePrompt(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TCertificatePrompt"));
    setModal(true);
    intro_ = new QLabel(this);
    intro_->setObjectName(QStringLiteral("IntroLabel"));
    intro_->setWordWrap(true);
    serverCaption_ = new QLabel(this);
    subjectCaption_ = new QLabel(this);
    issuerCaption_ = new QLabel(this);
    validityCaption_ = new QLabel(this);
    fingerprintCaption_ = new QLabel(this);
    server_ = valueLabel(this, "ServerLabel");
    subject_ = valueLabel(this, "SubjectLabel");
    issuer_ = valueLabel(this, "IssuerLabel");
    validity_ = valueLabel(this, "ValidityLabel");
    fingerprint_ = valueLabel(this, "FingerprintLabel");
    fingerprint_->setWordWrap(false);
    fingerprint_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto *form = new QFormLayout;
    form->addRow(serverCaption_, server_);
    form->addRow(subjectCaption_, subject_);
    form->addRow(issuerCaption_, issuer_);
    form->addRow(validityCaption_, validity_);
    form->addRow(fingerprintCaption_, fingerprint_);

    trust_ = new QPushButton(this);
    trust_->setObjectName(QStringLiteral("TrustButton"));
    refuse_ = new QPushButton(this);
    refuse_->setObjectName(QStringLiteral("RefuseButton"));
    trust_->setAutoDefault(false);
    refuse_->setDefault(true);
    connect(trust_, &QPushButton::clicked, this, &QDialog::accept);
    connect(refuse_, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(trust_);
    buttons->addWidget(refuse_);

    auto *layout = new QVBoxLayout(this);
    setMinimumWidth(MinimumWidth);
    layout->addWidget(intro_);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

void TCertificatePrompt::SetCertificate(const QString &server, const platform::TlsCertificateInfo &certificate,
                                        const platform::TlsVerification &verification)
{
    setWindowTitle(ui::pick("服务器证书", "伺服器憑證"));
    const QString reason = verification.text.isEmpty() ? QStringLiteral("?") : verification.text;
    intro_->setText(ui::pick("   无法确认该服务器证书是否可信（%1）。请核对下列信息，确认无误后才信任它；"
                             "信任后将记住此证书。",
                             "   無法確認該伺服器憑證是否可信（%1）。請核對下列資訊，確認無誤後才信任它；"
                             "信任後將記住此憑證。")
                        .arg(reason));
    serverCaption_->setText(ui::pick("服务器：", "伺服器："));
    subjectCaption_->setText(ui::pick("主题：", "主體："));
    issuerCaption_->setText(ui::pick("颁发者：", "簽發者："));
    validityCaption_->setText(ui::pick("有效期：", "有效期："));
    fingerprintCaption_->setText(ui::pick("SHA-256 指纹：", "SHA-256 指紋："));
    trust_->setText(QStringLiteral("信  任"));
    refuse_->setText(ui::pick("拒  绝", "拒  絕"));

    server_->setText(server);
    subject_->setText(certificate.subject);
    issuer_->setText(certificate.selfSigned ? certificate.issuer + ui::pick("（自签名）", "（自簽名）")
                                            : certificate.issuer);
    validity_->setText(dateText(certificate.notBefore) + QStringLiteral(" — ") + dateText(certificate.notAfter));
    fingerprint_->setText(fingerprintText(certificate.sha256));
    adjustSize();
}

bool TCertificatePrompt::Ask()
{
    refuse_->setFocus();
    return exec() == QDialog::Accepted;
}

QString changedCertificateWarning(const QString &server, const QString &trusted, const QString &shown)
{
    return ui::pick("   警告：%1 出示的证书与您先前信任的证书不同，连接已被拒绝。可能有人在截取这个连接。\n\n"
                    "先前信任的 SHA-256：%2\n现在出示的 SHA-256：%3",
                    "   警告：%1 出示的憑證與您先前信任的憑證不同，連線已被拒絕。可能有人在攔截這個連線。\n\n"
                    "先前信任的 SHA-256：%2\n現在出示的 SHA-256：%3")
        .arg(server, trusted, shown);
}

} // namespace sites
