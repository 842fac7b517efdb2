#include "sites/SetWindow.h"

#include "sites/ConnectRequest.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace sites {

// A label whose text keeps a run of blanks in the middle; the control it
// labels sits in that gap ("连接超时 [20] 秒").
class GapLabel : public QWidget
{
public:
    GapLabel(QWidget *control, QWidget *parent) : QWidget(parent)
    {
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(4);
        before_ = new QLabel(this);
        after_ = new QLabel(this);
        row->addWidget(before_);
        row->addWidget(control);
        row->addWidget(after_);
        row->addStretch(1);
    }

    QString text() const { return text_; }

    void setText(const QString &text)
    {
        text_ = text;
        static const QRegularExpression gap(QStringLiteral(" {3,}"));
        const QRegularExpressionMatch m = gap.match(text);
        if (!m.hasMatch()) {
            before_->setText(text);
            after_->clear();
            return;
        }
        before_->setText(text.left(m.capturedStart()));
        after_->setText(text.mid(m.capturedEnd()));
    }

    void setHint(const QString &hint)
    {
        setToolTip(hint);
        before_->setToolTip(hint);
        after_->setToolTip(hint);
    }

private:
    QString text_;
    QLabel *before_;
    QLabel *after_;
};

namespace {

QSpinBox *spin(const char *name, const IntRange &range, QWidget *parent)
{
    auto *s = new QSpinBox(parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(range.min, range.max);
    s->setSingleStep(1);
    s->setValue(range.defaultValue);
    s->setFixedWidth(58);
    return s;
}

QLineEdit *edit(const char *name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

QHBoxLayout *buttonRow(QPushButton **ok, QPushButton **cancel, QWidget *parent)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    *ok = new QPushButton(parent);
    *cancel = new QPushButton(parent);
    (*ok)->setDefault(true);
    row->addWidget(*ok);
    row->addWidget(*cancel);
    return row;
}

} // namespace

TSetForm::TSetForm(platform::ProfileFile *config, OptionsTarget *engine, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), config_(config), engine_(engine)
{
    setObjectName(QStringLiteral("SetForm"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(4);
    banner_ = new QLabel(this);
    banner_->setObjectName(QStringLiteral("SetFormBanner"));
    layout->addWidget(banner_);
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("SetPages"));
    pages_->addTab(buildGeneralPage(), QString());
    pages_->addTab(buildProxyPage(), QString());
    auto *body = new QHBoxLayout;
    body->setContentsMargins(6, 0, 6, 0);
    body->addWidget(pages_);
    layout->addLayout(body, 1);

    for (int page = 0; page < 2; ++page) {
        connect(ok_[page], &QPushButton::clicked, this, &TSetForm::okClicked);
        connect(cancel_[page], &QPushButton::clicked, this, &QDialog::reject);
    }
    SetTexts();
    // Creation: the engine receives the saved options now.
    LoadOptions();
    ApplyOptions();
}

QWidget *TSetForm::buildGeneralPage()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(4);

    retries_ = spin("SetConnectRetries", RetriesRange, page);
    retryInterval_ = spin("SetConnectRetryInterval", RetryIntervalRange, page);
    noopInterval_ = spin("SetConnectNoopInterval", NoopIntervalRange, page);
    timeOut_ = spin("SetConnectTimeOut", TimeOutRange, page);
    retriesLabel_ = new GapLabel(retries_, page);
    retryIntervalLabel_ = new GapLabel(retryInterval_, page);
    noopIntervalLabel_ = new GapLabel(noopInterval_, page);
    timeOutLabel_ = new GapLabel(timeOut_, page);
    grid->addWidget(retriesLabel_, 0, 0);
    grid->addWidget(retryIntervalLabel_, 1, 0);
    grid->addWidget(noopIntervalLabel_, 2, 0);
    grid->addWidget(timeOutLabel_, 3, 0);

    passive_ = new QCheckBox(page);
    passive_->setObjectName(QStringLiteral("SetConnectPassive"));
    cache_ = new QCheckBox(page);
    cache_->setObjectName(QStringLiteral("SetConnectCache"));
    anonymous_ = edit("SetConnectAnonymous", page);
    anonymousPassword_ = edit("SetConnectAnonymousPassword", page);
    anonymousLabel_ = new QLabel(page);
    anonymousPasswordLabel_ = new QLabel(page);
    auto *right = new QGridLayout;
    right->setVerticalSpacing(4);
    right->addWidget(passive_, 0, 0, 1, 2);
    right->addWidget(cache_, 1, 0, 1, 2);
    right->addWidget(anonymousLabel_, 2, 0);
    right->addWidget(anonymous_, 2, 1);
    right->addWidget(anonymousPasswordLabel_, 3, 0);
    right->addWidget(anonymousPassword_, 3, 1);
    grid->addLayout(right, 0, 1, 4, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
    grid->addLayout(buttonRow(&ok_[0], &cancel_[0], page), 5, 0, 1, 2);
    return page;
}

QWidget *TSetForm::buildProxyPage()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    for (QLabel *&l : proxyLabels_)
        l = new QLabel(page);
    proxyServer_ = edit("SetConnectProxyServer", page);
    proxyUserName_ = edit("SetConnectProxyUserName", page);
    proxyPassword_ = edit("SetConnectProxyPassword", page);
    proxyPassword_->setEchoMode(QLineEdit::Password);
    proxyPort_ = edit("SetConnectProxyPort", page);
    proxyPort_->setMaximumWidth(70);
    proxyType_ = new QComboBox(page);
    proxyType_->setObjectName(QStringLiteral("SetConnectProxyType"));
    proxyType_->addItems(proxyTypeNames());
    grid->addWidget(proxyLabels_[0], 0, 0);
    grid->addWidget(proxyServer_, 0, 1);
    grid->addWidget(proxyLabels_[3], 0, 2);
    grid->addWidget(proxyPort_, 0, 3);
    grid->addWidget(proxyLabels_[1], 1, 0);
    grid->addWidget(proxyUserName_, 1, 1);
    grid->addWidget(proxyLabels_[2], 1, 2);
    grid->addWidget(proxyPassword_, 1, 3);
    grid->addWidget(proxyLabels_[4], 2, 0);
    grid->addWidget(proxyType_, 2, 1);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(3, 1);
    grid->addLayout(buttonRow(&ok_[1], &cancel_[1], page), 4, 0, 1, 4);
    return page;
}

ConnectOptions TSetForm::controlValues() const
{
    ConnectOptions o;
    o.retries = retries_->value();
    o.retryInterval = retryInterval_->value();
    o.noopInterval = noopInterval_->value();
    o.timeOut = timeOut_->value();
    o.passive = passive_->isChecked();
    o.cache = cache_->isChecked();
    o.anonymous = anonymous_->text();
    o.anonymousPassword = anonymousPassword_->text();
    o.proxyServer = proxyServer_->text();
    o.proxyUserName = proxyUserName_->text();
    o.proxyPassword = proxyPassword_->text();
    o.proxyPortText = proxyPort_->text();
    o.proxyType = proxyType_->currentIndex() < 0 ? 0 : proxyType_->currentIndex();
    return o;
}

void TSetForm::setControlValues(const ConnectOptions &o)
{
    retries_->setValue(o.retries);
    retryInterval_->setValue(o.retryInterval);
    noopInterval_->setValue(o.noopInterval);
    timeOut_->setValue(o.timeOut);
    passive_->setChecked(o.passive);
    cache_->setChecked(o.cache);
    anonymous_->setText(o.anonymous);
    anonymousPassword_->setText(o.anonymousPassword);
    proxyServer_->setText(o.proxyServer);
    proxyUserName_->setText(o.proxyUserName);
    proxyPassword_->setText(o.proxyPassword);
    proxyPort_->setText(o.proxyPortText);
    proxyType_->setCurrentIndex(o.proxyType >= 0 && o.proxyType < ProxyTypeCount ? o.proxyType : 0);
}

void TSetForm::LoadOptions()
{
    if (config_)
        setControlValues(sites::LoadOptions(*config_));
}

void TSetForm::SaveOptions()
{
    if (config_)
        sites::SaveOptions(*config_, controlValues());
}

void TSetForm::ApplyOptions()
{
    sites::ApplyOptions(controlValues(), engine_);
}

void TSetForm::okClicked()
{
    // A proxy port no port can have would wrap round to some other port.
    if (portTooLarge(proxyPort_->text())) {
        ui::ShowError(this, PortTooLargeText());
        proxyPort_->setFocus();
        return;
    }
    ApplyOptions();
    SaveOptions();
    accept();
}

int TSetForm::OpenFromMenu()
{
    const QSize hint = sizeHint();
    resize(std::max(MenuClientWidth, hint.width()), std::max(MenuClientHeight, hint.height()));
    return exec();
}

void TSetForm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        // What is in the file replaces whatever was typed before a Cancel.
        LoadOptions();
        ApplyOptions();
        pages_->setCurrentIndex(0);
        SetTexts();
    }
    QDialog::showEvent(event);
}

void TSetForm::SetTexts()
{
    using ui::pick;
    setWindowTitle(pick("设置", "設置"));
    banner_->setText(pick("设置", "設置"));
    pages_->setTabText(0, pick("常 规", "常 規"));
    pages_->setTabText(1, pick("代 理", "代 理"));
    retriesLabel_->setText(pick("连接重试计数           次", "連接重試計數           次"));
    retryIntervalLabel_->setText(pick("连接重试延迟       秒", "連接重試延遲       秒"));
    noopIntervalLabel_->setText(pick("发送保持活动命令       秒", "發送保持活動命令       秒"));
    timeOutLabel_->setText(pick("连接超时           秒", "連接超時           秒"));
    anonymousLabel_->setText(pick("匿名用户", "匿名用戶"));
    anonymousPasswordLabel_->setText(pick("匿名密码", "匿名密碼"));
    passive_->setText(pick("使用被动模式", "使用被動模式"));
    cache_->setText(pick("使用缓存目录", "使用緩存目錄"));
    for (QPushButton *b : ok_)
        b->setText(pick("确  定", "確  定"));
    for (QPushButton *b : cancel_)
        b->setText(pick("取  消", "取  消"));
    const char *proxySimplified[5] = {"主机：", "用户：", "密码：", "端口：", "类型："};
    const char *proxyTraditional[5] = {"主機：", "用戶：", "密碼：", "端口：", "類型："};
    for (int i = 0; i < 5; ++i)
        proxyLabels_[i]->setText(pick(proxySimplified[i], proxyTraditional[i]));

    retriesLabel_->setHint(pick("服务器连接错误重试连接次数", "服務器連接錯誤重試連接次數"));
    retryIntervalLabel_->setHint(pick("重试连接的间隔时间", "重試連接的間隔時間"));
    noopIntervalLabel_->setHint(pick("如无操作则自动发送信号保持连接的间隔时间", "如無操作則自動發送信號保持連接的間隔時間"));
    timeOutLabel_->setHint(pick("连接服务器超时的间隔时间", "連接服務器超時的間隔時間"));
    passive_->setToolTip(pick("使用被动模式连接到服务器", "使用被動模式連接到服務器"));
    cache_->setToolTip(pick("缓存站点文件夹列表，可加速显示", "緩存站點文件夾列表，可加速顯示"));
    anonymous_->setToolTip(pick("当连接到匿名站点，将作为匿名站点的用户名", "當連接到匿名站點，將作爲匿名站點的用戶名"));
    anonymousPassword_->setToolTip(pick("当连接到匿名站点，将作为匿名站点的密码", "當連接到匿名站點，將作爲匿名站點的密碼"));
    proxyServer_->setToolTip(pick("代理服务器的网络地址或IP", "代理服務器的網絡地址或IP"));
    proxyUserName_->setToolTip(
        pick("某些代理服务器需要提供用户认证，这里是认证用户名", "某些代理服務器需要提供用戶認證，這裏是認證用戶名"));
    proxyPassword_->setToolTip(
        pick("某些代理服务器需要提供用户认证，这里是认证密码", "某些代理服務器需要提供用戶認證，這裏是認證密碼"));
    proxyPort_->setToolTip(pick("代理服务器的端口", "代理服務器的端口"));
    proxyType_->setToolTip(pick("代理服务器的类型", "代理服務器的類型"));
}

QString TSetForm::labelText(const QString &controlName) const
{
    const QPair<const char *, QWidget *> labels[] = {
        {"SetConnectRetries", retriesLabel_},         {"SetConnectRetryInterval", retryIntervalLabel_},
        {"SetConnectNoopInterval", noopIntervalLabel_}, {"SetConnectTimeOut", timeOutLabel_},
        {"SetConnectAnonymous", anonymousLabel_},     {"SetConnectAnonymousPassword", anonymousPasswordLabel_},
        {"SetConnectPassive", passive_},              {"SetConnectCache", cache_},
        {"SetConnectProxyServer", proxyLabels_[0]},   {"SetConnectProxyUserName", proxyLabels_[1]},
        {"SetConnectProxyPassword", proxyLabels_[2]}, {"SetConnectProxyPort", proxyLabels_[3]},
        {"SetConnectProxyType", proxyLabels_[4]},
    };
    for (const auto &[name, w] : labels) {
        if (controlName != QLatin1String(name))
            continue;
        if (auto *g = dynamic_cast<GapLabel *>(w))
            return g->text();
        if (auto *l = qobject_cast<QLabel *>(w))
            return l->text();
        if (auto *c = qobject_cast<QCheckBox *>(w))
            return c->text();
    }
    return {};
}

QString TSetForm::hintText(const QString &controlName) const
{
    if (controlName == QLatin1String("SetConnectRetries"))
        return retriesLabel_->toolTip();
    if (controlName == QLatin1String("SetConnectRetryInterval"))
        return retryIntervalLabel_->toolTip();
    if (controlName == QLatin1String("SetConnectNoopInterval"))
        return noopIntervalLabel_->toolTip();
    if (controlName == QLatin1String("SetConnectTimeOut"))
        return timeOutLabel_->toolTip();
    if (auto *w = findChild<QWidget *>(controlName))
        return w->toolTip();
    return {};
}

QString TSetForm::anonymousUser() const { return anonymous_->text(); }
QString TSetForm::anonymousPassword() const { return anonymousPassword_->text(); }

} // namespace sites
