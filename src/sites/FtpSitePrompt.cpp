#include "sites/FtpSitePrompt.h"

#include "ui/DialogButtons.h"
#include "ui/Language.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sites {

TSitePrompt::TSitePrompt(const char *name, const char *simplified, const char *traditional, bool hidden,
                         QWidget *parent)
    : QDialog(parent), simplifiedCaption_(simplified), traditionalCaption_(traditional)
{
    setObjectName(QLatin1String(name));
    setModal(true);
    field_ = new QLineEdit(this);
    field_->setObjectName(QStringLiteral("ValueEdit"));
    if (hidden)
        field_->setEchoMode(QLineEdit::Password);
    const ui::OkCancelRow row = ui::MakeOkCancelRow(this);
    ok_ = row.ok;
    cancel_ = row.cancel;
    ok_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    QHBoxLayout *buttons = row.layout;
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addLayout(buttons);

    connect(field_, &QLineEdit::returnPressed, this, &TSitePrompt::OkClicked);
    connect(ok_, &QPushButton::clicked, this, &TSitePrompt::OkClicked);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    SetTexts();
    resize(ClientWidth, ClientHeight);
}

void TSitePrompt::SetTexts()
{
    setWindowTitle(ui::pick(simplifiedCaption_, traditionalCaption_));
    ok_->setText(ui::pick("确  定", "確  定"));
    cancel_->setText(QStringLiteral("取  消"));
}

void TSitePrompt::OkClicked()
{
    if (!field_->text().isEmpty())
        accept();
}

std::optional<QString> TSitePrompt::Ask()
{
    SetTexts();
    field_->clear();
    resize(ClientWidth, ClientHeight);
    field_->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return field_->text();
}

TSiteUser::TSiteUser(QWidget *parent) : TSitePrompt("TSiteUser", "请输入用户名", "請輸入用戶名", false, parent) {}

TSitePassword::TSitePassword(QWidget *parent)
    : TSitePrompt("TSitePassword", "请输入密码", "請輸入密碼", true, parent)
{
}

} // namespace sites
