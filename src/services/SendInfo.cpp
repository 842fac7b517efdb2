#include "services/SendInfo.h"

#include "services/ConnectionState.h"
#include "services/Feedback.h"
#include "services/ServiceConfig.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

namespace services {
namespace {

QString pick(const char *simplified, const char *traditional)
{
    return ui::pick(simplified, traditional);
}

} // namespace

TSendUserInfo::TSendUserInfo(const QUrl &serviceBase, QWidget *parent)
    : QDialog(parent), serviceBase_(serviceBase), http_(new THttpClient(this)), delay_(new QTimer(this)),
      home_(FeedbackIdentity())
{
    setObjectName(QStringLiteral("TSendUserInfo"));
    setModal(true);
    delay_->setSingleShot(true);

    titleLabel_ = new QLabel(this);
    emailLabel_ = new QLabel(this);
    textLabel_ = new QLabel(this);
    infoTitle_ = new QComboBox(this);
    infoTitle_->setObjectName(QStringLiteral("InfoTitle"));
    infoTitle_->setEditable(true);
    infoTitle_->setInsertPolicy(QComboBox::NoInsert);
    userEMail_ = new QLineEdit(this);
    userEMail_->setObjectName(QStringLiteral("UserEMail"));
    infoText_ = new QPlainTextEdit(this);
    infoText_->setObjectName(QStringLiteral("InfoText"));
    infoText_->setTabChangesFocus(true);
    send_ = new QPushButton(this);
    send_->setObjectName(QStringLiteral("SendButton"));
    send_->setDefault(true);
    close_ = new QPushButton(this);
    close_->setObjectName(QStringLiteral("CloseButton"));
    close_->setAutoDefault(false);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->addWidget(titleLabel_, 0, 0);
    grid->addWidget(infoTitle_, 0, 1);
    grid->addWidget(emailLabel_, 1, 0);
    grid->addWidget(userEMail_, 1, 1);
    grid->addWidget(textLabel_, 2, 0, Qt::AlignTop);
    grid->addWidget(infoText_, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(send_);
    buttons->addWidget(close_);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 10);
    column->addLayout(grid, 1);
    column->addLayout(buttons);

    connect(send_, &QPushButton::clicked, this, &TSendUserInfo::SendClick);
    connect(close_, &QPushButton::clicked, this, &TSendUserInfo::CloseClick);
    connect(infoText_, &QPlainTextEdit::textChanged, this, &TSendUserInfo::limitText);
    connect(delay_, &QTimer::timeout, this, &TSendUserInfo::post);
    connect(http_, &THttpClient::finished, this, &TSendUserInfo::onFinished);
    SetTexts();
    resize(ClientWidth, ClientHeight);
}

TSendUserInfo::~TSendUserInfo()
{
    endSending();
}

void TSendUserInfo::SetTexts()
{
    setWindowTitle(pick("联系我们", "聯系我們"));
    const QString typed = infoTitle_->currentText();
    infoTitle_->clear();
    infoTitle_->addItems({pick("合作意向", "合作意向"), pick("购买产品", "購買産品"), pick("产品反馈", "産品反饋")});
    infoTitle_->setCurrentIndex(-1);
    infoTitle_->setEditText(typed);
    titleLabel_->setText(pick("内容标题：", "內容標題："));
    emailLabel_->setText(pick("联系方式：", "聯系方式："));
    textLabel_->setText(pick("提交内容：", "提交內容："));
    send_->setText(pick("发送信息", "發送信息"));
    close_->setText(pick("关  闭", "關  閉"));
    userEMail_->setToolTip(pick("请填写有效E-Mail以方便我们与您联系", "請填寫有效E-Mail以方便我們與您聯系"));
    infoText_->setToolTip(pick("提交的内容", "提交的內容"));
    send_->setToolTip(pick("将信息发送给我们,我们将予以回复", "將信息發送給我們,我們將予以回複"));
}

void TSendUserInfo::limitText()
{
    const QString text = infoText_->toPlainText();
    if (text.size() <= MaxTextLength)
        return;
    QString kept = text.left(MaxTextLength);
    if (kept.back().isHighSurrogate())
        kept.chop(1);
    QSignalBlocker block(infoText_);
    infoText_->setPlainText(kept);
    infoText_->moveCursor(QTextCursor::End);
}

bool TSendUserInfo::Sending() const
{
    return delay_->isActive() || http_->Busy();
}

void TSendUserInfo::SendClick()
{
    if (Sending())
        return;
    if (infoTitle_->currentText().trimmed().isEmpty()) {
        ui::ShowError(this, pick("   标题不能为空，请输入标题！", "   標題不能爲空，請輸入標題！"));
        infoTitle_->setFocus();
        return;
    }
    if (infoText_->toPlainText().trimmed().isEmpty()) {
        ui::ShowError(this, pick("   提交的内容不能为空，请输入您要提交的内容！", "   提交的內容不能爲空，請輸入您要提交的內容！"));
        infoText_->setFocus();
        return;
    }
    if (!ContactAcceptable(userEMail_->text())) {
        ui::ShowError(this, pick("   输入的电子邮件格式错误！", "   輸入的電子郵件格式錯誤！"));
        userEMail_->setFocus();
        return;
    }
    if (!InternetConnected(ServiceUrl(serviceBase_, FeedbackPath))) {
        ui::ShowError(this, pick("   提交信息错误！计算机没有连接到网络。", "   提交信息錯誤！計算機沒有連接到網絡。"));
        return;
    }
    FeedbackMessage message;
    message.title = infoTitle_->currentText();
    message.email = userEMail_->text();
    message.text = infoText_->toPlainText();
    message.home = home_;
    message.time = clock_ ? clock_() : QDateTime::currentDateTime();
    body_ = FeedbackBody(message);
    if (!waitCursor_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        waitCursor_ = true;
    }
    send_->setEnabled(false);
    delay_->start(sendDelayMs_);
}

void TSendUserInfo::post()
{
    if (!http_->Post(ServiceUrl(serviceBase_, FeedbackPath), body_, MaxAnswerBytes))
        endSending();
}

void TSendUserInfo::endSending()
{
    delay_->stop();
    if (waitCursor_) {
        QApplication::restoreOverrideCursor();
        waitCursor_ = false;
    }
    send_->setEnabled(true);
}

void TSendUserInfo::onFinished(HttpOutcome outcome)
{
    if (outcome == HttpOutcome::Aborted)
        return;
    endSending();
    switch (outcome) {
    case HttpOutcome::Done:
        if (FeedbackSucceeded(http_->body())) {
            ui::ShowInformation(this, pick("   提交信息成功，我们会尽快回复您。", "   提交信息成功，我們會盡快回複您。"));
            done(Accepted);
        } else {
            ui::ShowError(this, pick("   提交信息失败，请稍后再试。", "   提交信息失敗，請稍後再試。"));
        }
        break;
    case HttpOutcome::HostUnreachable:
        ui::ShowError(this, pick("   计算机不能连接到服务器，请稍后再试。", "   計算機不能連接到服務器，請稍後再試。"));
        break;
    case HttpOutcome::TimeOut:
        ui::ShowError(this, pick("   计算机连接服务器超时，请稍后再试。", "   計算機連接服務器超時，請稍後再試。"));
        break;
    case HttpOutcome::HttpError:
        ui::ShowError(this, pick("   计算机连接服务器错误，请稍后再试。", "   計算機連接服務器錯誤，請稍後再試。"));
        break;
    default: // an answer cut short or too long carries no success line
        ui::ShowError(this, pick("   提交信息失败，请稍后再试。", "   提交信息失敗，請稍後再試。"));
        break;
    }
}

void TSendUserInfo::CloseClick()
{
    reject();
}

void TSendUserInfo::reject()
{
    http_->Abort();
    endSending();
    QDialog::reject();
}

} // namespace services
