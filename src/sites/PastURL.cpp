#include "sites/PastURL.h"

#include "ui/DialogButtons.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sites {

TPastFtpURL::TPastFtpURL(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TPastFtpURL"));
    setModal(true);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("URLEdit"));
    const ui::OkCancelRow row = ui::MakeOkCancelRow(this);
    ok_ = row.ok;
    cancel_ = row.cancel;
    ok_->setAutoDefault(false);
    ok_->setEnabled(false);
    cancel_->setAutoDefault(false);
    QHBoxLayout *buttons = row.layout;
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addLayout(buttons);

    connect(edit_, &QLineEdit::textChanged, this,
            [this](const QString &text) { ok_->setEnabled(PastedTextAcceptable(text.trimmed())); });
    connect(edit_, &QLineEdit::returnPressed, this, [this] {
        if (ok_->isEnabled())
            OkClicked();
    });
    connect(ok_, &QPushButton::clicked, this, [this] { OkClicked(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    SetTexts();
    resize(ClientWidth, ClientHeight);
}

void TPastFtpURL::SetTexts()
{
    setWindowTitle(ui::pick("粘贴URL", "粘貼URL"));
    ok_->setText(ui::pick("确  定", "確  定"));
    cancel_->setText(QStringLiteral("取  消"));
}

bool TPastFtpURL::Open()
{
    confirmed_ = false;
    SetTexts();
    resize(ClientWidth, ClientHeight);
    edit_->setFocus();
    exec();
    if (confirmed_)
        emit connectRequested(connectRequest());
    return confirmed_;
}

void TPastFtpURL::OkClicked()
{
    confirmed_ = true;
    PastedURL url;
    switch (ParsePastedURL(edit_->text().trimmed(), &url)) {
    case PasteResult::Ok:
        parsed_ = url;
        break;
    case PasteResult::Rejected:
        ui::ShowError(this, QString::fromUtf8(PasteErrorText));
        confirmed_ = false;
        break;
    case PasteResult::Failed:
        confirmed_ = false;
        break;
    }
    accept();
}

ConnectRequest PastedConnectRequest(const PastedURL &url)
{
    ConnectRequest r;
    r.anonymous = url.anonymous;
    r.server = url.host;
    r.port = url.port;
    r.password = url.password;
    r.userName = url.userName;
    r.fromPastedURL = true;
    r.urlPath = url.path;
    r.options.tls = url.tls;
    return r;
}

ConnectRequest TPastFtpURL::connectRequest() const
{
    return PastedConnectRequest(parsed_);
}

} // namespace sites
