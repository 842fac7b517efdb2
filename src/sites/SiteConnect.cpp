#include "sites/SiteConnect.h"

#include "sites/ConfigKeys.h"
#include "sites/Seal.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace sites {
namespace {

// A drop-down that hands the focus to the connect button when it closes.
class HistoryBox : public QComboBox
{
public:
    HistoryBox(QWidget *parent, std::function<void()> closed) : QComboBox(parent), closed_(std::move(closed)) {}

    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (closed_)
            closed_();
    }

private:
    std::function<void()> closed_;
};

bool holdsSeparator(const QString &text)
{
    return text.contains(QChar(HistorySeparator));
}

} // namespace

TFastConnForm::TFastConnForm(platform::ProfileFile *config, QWidget *parent)
    : QDialog(parent), config_(config), history_(config, HistoryKey())
{
    setObjectName(QStringLiteral("TFastConnForm"));
    setModal(true);

    server_ = new HistoryBox(this, [this] {
        if (connect_->isEnabled())
            connect_->setFocus();
    });
    server_->setObjectName(QStringLiteral("SiteServer"));
    server_->setEditable(true);
    server_->setInsertPolicy(QComboBox::NoInsert);
    server_->setMaxVisibleItems(VisibleHistoryRows);
    auto edit = [this](const char *name) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    user_ = edit("SiteUserName");
    password_ = edit("SitePassword");
    password_->setEchoMode(QLineEdit::Password);
    port_ = edit("SitePort");
    port_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), port_));
    port_->setText(QStringLiteral("21"));
    port_->setMaximumWidth(70);
    anonymous_ = new QCheckBox(this);
    anonymous_->setObjectName(QStringLiteral("SiteAnonymous"));
    autoSave_ = new QCheckBox(this);
    autoSave_->setObjectName(QStringLiteral("AutoSavePassword"));
    auto button = [this](const char *name) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    connect_ = button("ConnectButton");
    close_ = button("CloseButton");
    clear_ = button("DeleteSite");
    setDefault_ = button("SetDefaultConnect");
    tlsMode_ = new QComboBox(this);
    tlsMode_->setObjectName(QStringLiteral("SiteTlsMode"));
    tlsMode_->addItems({QString(), QString(), QString()}); // TlsMode order; texts by language
    charset_ = new QComboBox(this);
    charset_->setObjectName(QStringLiteral("SiteCharset"));
    charset_->addItems({QString(), QStringLiteral("UTF-8"), QStringLiteral("GBK")}); // NameCharset order
    passiveRule_ = new QCheckBox(this);
    passiveRule_->setObjectName(QStringLiteral("SitePassiveRule"));
    passiveRule_->setChecked(true);
    for (QLabel *&l : labels_)
        l = new QLabel(this);

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    grid->addWidget(labels_[0], 0, 0);
    grid->addWidget(server_, 0, 1, 1, 3);
    grid->addWidget(labels_[1], 1, 0);
    grid->addWidget(user_, 1, 1, 1, 3);
    grid->addWidget(labels_[2], 2, 0);
    grid->addWidget(password_, 2, 1, 1, 3);
    grid->addWidget(labels_[3], 3, 0);
    grid->addWidget(port_, 3, 1);
    grid->addWidget(anonymous_, 3, 2);
    grid->addWidget(autoSave_, 3, 3);
    auto *optionRow = new QHBoxLayout;
    optionRow->setContentsMargins(0, 0, 0, 0);
    optionRow->addWidget(tlsMode_);
    optionRow->addSpacing(6);
    optionRow->addWidget(labels_[5]);
    optionRow->addWidget(charset_);
    optionRow->addStretch(1);
    grid->addWidget(labels_[4], 4, 0);
    grid->addLayout(optionRow, 4, 1, 1, 3);
    grid->addWidget(passiveRule_, 5, 1, 1, 3);
    grid->setColumnStretch(3, 1);
    auto *row1 = new QHBoxLayout;
    row1->addWidget(clear_);
    row1->addWidget(setDefault_);
    row1->addStretch(1);
    auto *row2 = new QHBoxLayout;
    row2->addStretch(1);
    row2->addWidget(connect_);
    row2->addWidget(close_);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(row1);
    layout->addLayout(row2);

    connect(server_, &QComboBox::editTextChanged, this, [this](const QString &t) { serverTextChanged(t); });
    connect(anonymous_, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked) {
            user_->clear();
            password_->clear();
        }
        updateStates();
    });
    for (QLineEdit *e : {user_, password_}) {
        connect(e, &QLineEdit::textChanged, this, [this](const QString &t) {
            if (!t.isEmpty())
                anonymous_->setChecked(false);
            updateStates();
        });
    }
    connect(port_, &QLineEdit::textChanged, this, [this] { updateStates(); });
    connect(tlsMode_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (syncing_)
            return;
        // The port follows the mode while it is the other mode's default.
        const bool implicit = TlsMode(index) == TlsMode::Implicit;
        const QString from = QString::number(defaultPortFor(implicit ? TlsMode::Off : TlsMode::Implicit));
        if (port_->text() == from)
            port_->setText(QString::number(defaultPortFor(TlsMode(index))));
    });
    for (QLineEdit *e : {server_->lineEdit(), user_, password_, port_})
        connect(e, &QLineEdit::returnPressed, this, [this] { runConnectIfEnabled(); });
    connect(connect_, &QPushButton::clicked, this, [this] { ConnectClicked(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(clear_, &QPushButton::clicked, this, [this] { ClearClicked(); });
    connect(setDefault_, &QPushButton::clicked, this, [this] { SetDefaultClicked(); });

    // Creation: the saved option, the history, and the preselection.
    const QString load = QLatin1String(config::SectionLoad);
    autoSave_->setChecked(config_->ReadBool(load, QLatin1String(config::AutoRemember), config::DefaultAutoRemember));
    loadItems();
    confirmed_ = false;
    if (history_.count() == 1) {
        selectItem(0);
    } else {
        const int preferred = config_->ReadInteger(load, QLatin1String(config::DefaultConnectIndex),
                                                   config::DefaultDefaultConnectIndex);
        if (preferred >= 0 && preferred < history_.count())
            selectItem(preferred);
    }
    SetTexts();
    updateStates();
    resize(ClientWidth, ClientHeight);
}

TFastConnForm::~TFastConnForm()
{
    config_->WriteBool(QLatin1String(config::SectionLoad), QLatin1String(config::AutoRemember), autoSave_->isChecked());
}

QWidget *TFastConnForm::control(const QString &name) const
{
    return findChild<QWidget *>(name);
}

void TFastConnForm::SetTexts()
{
    setWindowTitle(ui::pick("快速连接", "快速連接"));
    labels_[0]->setText(ui::pick("服务器", "服務器"));
    labels_[1]->setText(ui::pick("用户名", "用戶名"));
    labels_[2]->setText(ui::pick("密  码", "密  碼"));
    labels_[3]->setText(ui::pick("端  口", "端 口"));
    anonymous_->setText(ui::pick("匿名登陆", "匿名登陸"));
    clear_->setText(ui::pick("清除当前记录", "清除當前記錄"));
    connect_->setText(ui::pick("连  接", "連  接"));
    close_->setText(ui::pick("关  闭", "關  閉"));
    autoSave_->setText(QStringLiteral("保存密码"));
    labels_[4]->setText(ui::pick("加  密", "加  密"));
    labels_[5]->setText(ui::pick("字符集", "字符集"));
    tlsMode_->setItemText(int(TlsMode::Off), ui::pick("不加密", "不加密"));
    tlsMode_->setItemText(int(TlsMode::Explicit), ui::pick("显式 TLS", "顯式 TLS"));
    tlsMode_->setItemText(int(TlsMode::Implicit), ui::pick("隐式 TLS", "隱式 TLS"));
    charset_->setItemText(int(NameCharset::Auto), ui::pick("自动", "自動"));
    passiveRule_->setText(ui::pick("被动模式使用服务器地址", "被動模式使用服務器地址"));
    tlsMode_->setToolTip(ui::pick("与服务器之间的连接是否加密：显式 TLS 在普通端口上登陆前加密（AUTH TLS），隐式 TLS 连接专用端口（通常为 990）",
                                  "與服務器之間的連接是否加密：顯式 TLS 在普通端口上登陸前加密（AUTH TLS），隱式 TLS 連接專用端口（通常為 990）"));
    charset_->setToolTip(ui::pick("服务器上文件名的编码：自动时服务器支持 UTF8 即用 UTF-8，否则用 GBK",
                                  "服務器上文件名的編碼：自動時服務器支持 UTF8 即用 UTF-8，否則用 GBK"));
    passiveRule_->setToolTip(ui::pick("被动模式下服务器给出内网、本机或其他主机的地址时，改为连接服务器本身的地址",
                                      "被動模式下服務器給出內網、本機或其他主機的地址時，改為連接服務器本身的地址"));
    setDefault_->setText(QStringLiteral("设置为默认连接"));
    server_->setToolTip(ui::pick("登陆到FTP服务器的网络地址或IP", "登陸到FTP服務器的網絡地址或IP"));
    user_->setToolTip(ui::pick("登陆到FTP服务器的用户名", "登陸到FTP服務器的用戶名"));
    password_->setToolTip(ui::pick("登陆到FTP服务器的密码", "登陸到FTP服務器的密碼"));
    port_->setToolTip(ui::pick("登陆到FTP服务器的端口", "登陸到FTP服務器的端口"));
    anonymous_->setToolTip(ui::pick("匿名登陆FTP服务器", "匿名登陸FTP服務器"));
    clear_->setToolTip(ui::pick("删除当前服务器连接信息", "刪除當前服務器連接信息"));
    connect_->setToolTip(ui::pick("开始连接到服务器", "開始連接到服務器"));
}

bool TFastConnForm::Open()
{
    SetTexts();
    resize(ClientWidth, ClientHeight);
    exec();
    if (confirmed_)
        emit connectRequested(connectRequest());
    return confirmed_;
}

ConnectRequest TFastConnForm::connectRequest() const
{
    ConnectRequest r;
    r.anonymous = anonymous_->isChecked();
    r.server = server_->currentText();
    r.port = portFromText(port_->text());
    r.password = password_->text();
    r.userName = user_->text();
    r.options = options();
    return r;
}

SiteOptions TFastConnForm::options() const
{
    SiteOptions o;
    o.tls = TlsMode(tlsMode_->currentIndex());
    o.charset = NameCharset(charset_->currentIndex());
    o.passiveAddressRule = passiveRule_->isChecked();
    return o;
}

void TFastConnForm::loadItems()
{
    syncing_ = true;
    history_.Load();
    server_->clear();
    for (int i = 0; i < history_.count(); ++i)
        server_->addItem(history_.server(i));
    server_->setCurrentIndex(-1);
    server_->setEditText(QString());
    selected_ = -1;
    syncing_ = false;
}

void TFastConnForm::selectItem(int index)
{
    syncing_ = true;
    server_->setCurrentIndex(index);
    syncing_ = false;
    selected_ = index;
    fillFrom(history_.record(index));
    updateStates();
}

void TFastConnForm::serverTextChanged(const QString &text)
{
    if (syncing_)
        return;
    const int found = history_.find(text);
    if (found < 0) {
        selected_ = -1;
        user_->clear();
        password_->clear();
        updateStates();
        return;
    }
    const int cursor = server_->lineEdit()->cursorPosition();
    selectItem(found);
    server_->lineEdit()->setCursorPosition(cursor);
}

void TFastConnForm::fillFrom(const ConnectRecord &record)
{
    user_->setText(record.userName);
    password_->setText(record.password);
    syncing_ = true;
    tlsMode_->setCurrentIndex(int(record.options.tls));
    charset_->setCurrentIndex(int(record.options.charset));
    passiveRule_->setChecked(record.options.passiveAddressRule);
    syncing_ = false;
    port_->setText(record.port);
    anonymous_->setChecked(record.anonymous);
}

void TFastConnForm::clearFields()
{
    syncing_ = true;
    server_->setCurrentIndex(-1);
    server_->setEditText(QString());
    syncing_ = false;
    selected_ = -1;
    user_->clear();
    password_->clear();
    port_->setText(QStringLiteral("21"));
    syncing_ = true;
    tlsMode_->setCurrentIndex(int(TlsMode::Off));
    charset_->setCurrentIndex(int(NameCharset::Auto));
    passiveRule_->setChecked(true);
    syncing_ = false;
}

bool TFastConnForm::connectAllowed() const
{
    const QString server = server_->currentText();
    if (server.isEmpty() || holdsSeparator(server))
        return false;
    if (anonymous_->isChecked())
        return true;
    const QString user = user_->text();
    const QString password = password_->text();
    return !user.isEmpty() && !password.isEmpty() && !holdsSeparator(user) && !holdsSeparator(password);
}

void TFastConnForm::updateStates()
{
    connect_->setEnabled(connectAllowed());
    clear_->setEnabled(!server_->currentText().isEmpty());
}

void TFastConnForm::runConnectIfEnabled()
{
    updateStates();
    if (connect_->isEnabled())
        ConnectClicked();
}

void TFastConnForm::ConnectClicked()
{
    if (!connectAllowed())
        return;
    if (portTooLarge(port_->text())) {
        ui::ShowError(this, PortTooLargeText());
        port_->setFocus();
        return;
    }
    bool isNumber = false;
    port_->text().toInt(&isNumber);
    if (!isNumber)
        port_->setText(QStringLiteral("21"));
    ConnectRecord record;
    record.server = server_->currentText();
    record.userName = user_->text();
    record.password = password_->text();
    record.port = port_->text();
    record.anonymous = anonymous_->isChecked();
    record.options = options();
    if (autoSave_->isChecked())
        history_.Remember(record);
    confirmed_ = true;
    accept();
}

void TFastConnForm::ClearClicked()
{
    if (server_->currentText().isEmpty())
        return;
    if (selected_ < 0) {
        clearFields();
        updateStates();
        return;
    }
    history_.Remove(selected_);
    loadItems();
    if (history_.count() > 0)
        selectItem(history_.count() - 1);
    else
        clearFields();
    updateStates();
}

void TFastConnForm::SetDefaultClicked()
{
    if (selected_ >= 0)
        config_->WriteInteger(QLatin1String(config::SectionLoad), QLatin1String(config::DefaultConnectIndex), selected_);
}

} // namespace sites
