#include "services/About.h"

#include "services/ContactLink.h"
#include "ui/Icons.h"
#include "ui/Language.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace services {

TAboutOur::TAboutOur(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TAboutOur"));
    setModal(true);
    icon_ = new QLabel(this);
    icon_->setPixmap(ui::glyphIcon(ui::Glyph::Application).pixmap(40, 40));
    icon_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    description_ = new QLabel(this);
    description_->setObjectName(QStringLiteral("Label1"));
    description_->setWordWrap(true);
    description_->setTextFormat(Qt::PlainText);
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("Label2"));
    notice_->setTextFormat(Qt::PlainText);
    webLabel_ = new QLabel(this);
    mailLabel_ = new QLabel(this);
    web_ = MakeWebPageLink(this);
    mail_ = MakeMailLink(this);
    ok_ = new QPushButton(this);
    ok_->setObjectName(QStringLiteral("OkButton"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    auto *lines = new QGridLayout;
    lines->setHorizontalSpacing(4);
    lines->setVerticalSpacing(4);
    lines->addWidget(description_, 0, 0, 1, 3);
    lines->addWidget(notice_, 1, 0, 1, 3);
    lines->addWidget(webLabel_, 2, 0);
    lines->addWidget(web_, 2, 1);
    lines->addWidget(mailLabel_, 3, 0);
    lines->addWidget(mail_, 3, 1);
    lines->setColumnStretch(2, 1);

    auto *top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(icon_, 0, Qt::AlignTop);
    top->addLayout(lines, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(14, 12, 14, 10);
    column->addLayout(top);
    column->addStretch(1);
    column->addLayout(buttons);
    SetTexts();
    resize(ClientWidth, ClientHeight);
}

void TAboutOur::SetTexts()
{
    setWindowTitle(ui::pick("关于", "關于"));
    ok_->setText(ui::pick("确  定", "確  定"));
    description_->setText(ui::pick("BramblewayFTP软件 是一个支持FTP协议的远程文件管理软件",
                                   "BramblewayFTP软件 是一個支持FTP協議的遠程文件管理軟件"));
    notice_->setText(ui::pick("版权所有 (C) Brambleway 工作室，保留所有权利。",
                              "版權所有 (C) Brambleway 工作室，保留所有權利。"));
    webLabel_->setText(ui::pick("主页：", "主頁："));
    mailLabel_->setText(ui::pick("邮箱：", "郵箱："));
}

} // namespace services
