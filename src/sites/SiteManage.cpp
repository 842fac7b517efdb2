// TSiteForm: construction, texts, loading and saving the book.
#include "sites/SiteManage.h"

#include "sites/Seal.h"
#include "sites/SiteTreeView.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace sites {

const std::vector<SiteFormText> &TSiteForm::captionTable()
{
    static const std::vector<SiteFormText> rows = {
        {"TSiteForm", "站点管理", "站點管理"},
        {"FileMenu", "文件(&F)", "文件(&F)"},
        {"mmiNewGroup", "新建分组     ", "新建分組"},
        {"mmiNewSite", "新建站点", "新建站點"},
        {"mmiConnectSite", "连接站点  ", "連接站點  "},
        {"mmiExit", "退  出", "退  出"},
        {"EditMenu", "编辑(&E)", "編輯(&E)"},
        {"mmiDeleteSite", "删除站点     ", "刪除站點"},
        {"mmiRenameSite", "重新命名  ", "重新命名  "},
        {"popConnectSite", "连接站点    ", "連接站點  "},
        {"popNewGroup", "新建分组", "新建分組"},
        {"NewGroup", "新建分组", "新建分組"},
        {"popNewSite", "新建站点", "新建站點"},
        {"NewSite", "新建站点", "新建站點"},
        {"popDeleteSite", "删除站点", "刪除站點"},
        {"popReNameSite", "重新命名", "重新命名"},
        {"RenameSite", "重新命名", "重新命名"},
        {"DeleteSite", "删  除", "刪  除"},
        {"ConnectSite", "连  接", "連  接"},
        {"CloseSiteManage", "关  闭", "關  閉"},
        {"SiteServerNameLabel", "服务器：", "服務器："},
        {"SiteUserNameLabel", "用户名：", "用戶名："},
        {"SitePasswordLabel", "密  码：", "密  碼："},
        {"SitePortLabel", "端口：", "端口"},
        {"RemotePathLabel", "远程目录：", "遠程目錄："},
        {"LocalPathLabel", "本地目录：", "本地目錄："},
        {"SiteMemoLabel", "站点备注：", "站點備注："},
        {"AnonymityLogon", "匿名登陆", "匿名登陸"},
        {"SiteTlsModeLabel", "加密：", "加密："},
        {"SiteCharsetLabel", "字符集：", "字符集："},
        {"SitePassiveRule", "被动模式使用服务器地址", "被動模式使用服務器地址"},
    };
    return rows;
}

const std::vector<SiteFormText> &TSiteForm::hintTable()
{
    static const std::vector<SiteFormText> rows = {
        {"SiteServerName", "登陆到FTP服务器的网络地址或IP", "登陸到FTP服務器的網絡地址或IP"},
        {"SiteUserName", "登陆到FTP服务器的用户名", "登陸到FTP服務器的用戶名"},
        {"SitePassword", "登陆到FTP服务器的密码", "登陸到FTP服務器的密碼"},
        {"SitePort", "登陆到FTP服务器的端口", "登陸到FTP服務器的端口"},
        {"AnonymityLogon", "匿名登陆FTP服务器", "匿名登陸FTP服務器"},
        {"RemotePath", "该站点连接到服务器后，进入的初始化目录", "該站點連接到服務器後，進入的初始化目錄"},
        {"LocalPath", "该站点的本地初始化目录", "該站點的本地初始化目錄"},
        {"SiteMemo", "注释该站点信息", "注釋該站點信息"},
        {"SiteTlsMode", "与服务器之间的连接是否加密：显式 TLS 在普通端口上登陆前加密（AUTH TLS），隐式 TLS 连接专用端口（通常为 990）",
         "與服務器之間的連接是否加密：顯式 TLS 在普通端口上登陸前加密（AUTH TLS），隱式 TLS 連接專用端口（通常為 990）"},
        {"SiteCharset", "服务器上文件名的编码：自动时服务器支持 UTF8 即用 UTF-8，否则用 GBK",
         "服務器上文件名的編碼：自動時服務器支持 UTF8 即用 UTF-8，否則用 GBK"},
        {"SitePassiveRule", "被动模式下服务器给出内网、本机或其他主机的地址时，改为连接服务器本身的地址",
         "被動模式下服務器給出內網、本機或其他主機的地址時，改為連接服務器本身的地址"},
        {"NewSite", "添加一个新的站点", "添加一個新的站點"},
        {"NewGroup", "添加一个新的站点文件夹", "添加一個新的站點文件夾"},
        {"RenameSite", "更改选中的站点或分组名称", "更改選中的站點或分組名稱"},
        {"DeleteSite", "删除选中的站点或分组", "刪除選中的站點或分組"},
        {"ConnectSite", "连接FTP站点", "連接FTP站點"},
        {"CloseSiteManage", "关闭站点管理器", "關閉站點管理器"},
    };
    return rows;
}

TSiteForm::TSiteForm(const QString &siteBookFile, QWidget *parent)
    : QDialog(parent), file_(siteBookFile), key_(SiteBookKey()), tree_(new TSiteTree(this))
{
    setObjectName(QStringLiteral("TSiteForm"));
    setModal(true);
    buildMenus();
    buildButtons();
    buildFields();

    view_ = new SiteTreeView(this);
    view_->setModel(tree_);

    auto *split = new QHBoxLayout;
    split->addWidget(view_, 1);
    split->addWidget(groupBox_, 1);
    auto *buttonRow = new QHBoxLayout;
    for (const char *name : {"NewSite", "NewGroup", "RenameSite", "DeleteSite", "ConnectSite", "CloseSiteManage"})
        buttonRow->addWidget(buttons_.value(QLatin1String(name)));
    buttonRow->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar_);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->addLayout(buttonRow);
    layout->addLayout(split, 1);

    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { onCurrentChanged(tree_->nodeAt(current)); });
    // Only groups that really open or close change their folder image.
    connect(view_, &QTreeView::expanded, this, [this](const QModelIndex &i) {
        TSiteNode *n = tree_->nodeAt(i);
        if (n && n->isGroup() && (n->childCount() > 0 || tree_->isRootNode(n)))
            tree_->setImageIndex(n, siGroupExpanded);
    });
    connect(view_, &QTreeView::collapsed, this, [this](const QModelIndex &i) {
        TSiteNode *n = tree_->nodeAt(i);
        if (n && n->isGroup())
            tree_->setImageIndex(n, siGroupCollapsed);
    });
    connect(view_, &QTreeView::doubleClicked, this, [this] { runConnectItem(); });
    connect(view_, &SiteTreeView::dropRequested, this, [this](const QPoint &pos) { MoveSiteEntry(pos); });
    connect(view_, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        popup_->popup(view_->viewport()->mapToGlobal(pos));
    });

    load_ = LoadSiteBook(*tree_, file_);
    if (load_.status == SiteBookLoad::Refused)
        reportLoadFailure();
    optionsLoad_ = LoadSiteOptions(*tree_, siteOptionsFile());
    if (!optionsLoad_.message.isEmpty())
        reportOptionsProblem();
    if (tree_->isEmpty()) {
        createRootWhenEmpty();
    } else {
        // Groups left open are shown open again; the first node always is.
        for (TSiteNode *n : tree_->nodes())
            if (n->imageIndex == siGroupExpanded)
                view_->expand(tree_->indexOf(n));
        view_->expand(tree_->indexOf(tree_->firstNode()));
        selectNode(tree_->firstNode());
    }
    SetTexts();
    updateCommandStates();
    resize(ClientWidth, ClientHeight);
}

TSiteForm::~TSiteForm() = default;

QTreeView *TSiteForm::treeView() const
{
    return view_;
}

void TSiteForm::createRootWhenEmpty()
{
    TSiteNode *root = tree_->insertNode(nullptr, -1, QString::fromUtf8(RootGroupText), siGroupCollapsed,
                                        std::make_unique<TSiteInfo>());
    root->record->Name = QStringLiteral("SiteID0");
    view_->expand(tree_->indexOf(root));
    selectNode(root);
}

void TSiteForm::reportLoadFailure()
{
    QString text = QStringLiteral("   ") + load_.error + QLatin1Char('\n');
    if (!load_.keptAs.isEmpty())
        text += ui::pick("   站点文件无法读取，原文件已另存为：", "   站點文件無法讀取，原文件已另存為：") + load_.keptAs;
    else
        text += ui::pick("   站点文件无法读取，原文件保持不变：", "   站點文件無法讀取，原文件保持不變：") + file_;
    ui::ShowError(this, text);
}

void TSiteForm::reportOptionsProblem()
{
    QString text = QStringLiteral("   ") + siteOptionsFile() + QStringLiteral(": ") + optionsLoad_.message
                   + QLatin1Char('\n');
    if (optionsLoad_.status == SiteOptionsLoad::Refused) {
        text += ui::pick("   站点的加密和字符集设置无法读取，各站点暂用默认设置。",
                         "   站點的加密和字符集設置無法讀取，各站點暫用默認設置。");
        if (!optionsLoad_.keptAs.isEmpty())
            text += QLatin1Char('\n') + ui::pick("   原文件已另存为：", "   原文件已另存為：") + optionsLoad_.keptAs;
    } else {
        text += ui::pick("   部分站点设置无法识别，已改用默认设置。", "   部分站點設置無法識別，已改用默認設置。");
    }
    ui::ShowError(this, text);
}

void TSiteForm::buildMenus()
{
    menuBar_ = new QMenuBar(this);
    fileMenu_ = menuBar_->addMenu(QString());
    fileMenu_->setObjectName(QStringLiteral("FileMenu"));
    editMenu_ = menuBar_->addMenu(QString());
    editMenu_->setObjectName(QStringLiteral("EditMenu"));
    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("SitePopupMenu"));
    auto add = [this](QMenu *menu, const char *name) {
        QAction *a = menu->addAction(QString());
        a->setObjectName(QLatin1String(name));
        actions_.insert(QLatin1String(name), a);
        return a;
    };
    add(fileMenu_, "mmiNewGroup");
    add(fileMenu_, "mmiNewSite");
    add(fileMenu_, "mmiConnectSite");
    fileMenu_->addSeparator();
    add(fileMenu_, "mmiExit");
    add(editMenu_, "mmiDeleteSite");
    add(editMenu_, "mmiRenameSite");
    add(popup_, "popConnectSite");
    popup_->addSeparator();
    add(popup_, "popNewGroup");
    add(popup_, "popNewSite");
    add(popup_, "popDeleteSite");
    add(popup_, "popReNameSite");
    connect(popup_, &QMenu::aboutToShow, this, [this] { copyStatesToPopup(); });

    auto newSite = [this] { AddSiteEntry(selectedNode(), false, QStringLiteral("新站点")); };
    auto newGroup = [this] { AddSiteEntry(selectedNode(), true, QStringLiteral("新文件夹")); };
    auto rename = [this] {
        TSiteNode *n = selectedNode();
        if (n && n->parent())
            view_->edit(tree_->indexOf(n));
    };
    for (const char *name : {"mmiNewSite", "popNewSite"})
        connect(action(QLatin1String(name)), &QAction::triggered, this, newSite);
    for (const char *name : {"mmiNewGroup", "popNewGroup"})
        connect(action(QLatin1String(name)), &QAction::triggered, this, newGroup);
    for (const char *name : {"mmiRenameSite", "popReNameSite"})
        connect(action(QLatin1String(name)), &QAction::triggered, this, rename);
    for (const char *name : {"mmiDeleteSite", "popDeleteSite"})
        connect(action(QLatin1String(name)), &QAction::triggered, this, [this] { DeleteSiteEntry(); });
    for (const char *name : {"mmiConnectSite", "popConnectSite"})
        connect(action(QLatin1String(name)), &QAction::triggered, this, [this] { connectChosen(); });
    connect(action(QStringLiteral("mmiExit")), &QAction::triggered, this, &QDialog::reject);
}

void TSiteForm::buildButtons()
{
    for (const char *name : {"NewSite", "NewGroup", "RenameSite", "DeleteSite", "ConnectSite", "CloseSiteManage"}) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        buttons_.insert(QLatin1String(name), b);
    }
    auto relay = [this](const char *buttonName, const char *item) {
        connect(button(QLatin1String(buttonName)), &QPushButton::clicked, action(QLatin1String(item)),
                &QAction::trigger);
    };
    relay("NewSite", "mmiNewSite");
    relay("NewGroup", "mmiNewGroup");
    relay("RenameSite", "popReNameSite");
    relay("DeleteSite", "popDeleteSite");
    connect(button(QStringLiteral("ConnectSite")), &QPushButton::clicked, this, [this] { connectChosen(); });
    connect(button(QStringLiteral("CloseSiteManage")), &QPushButton::clicked, this, &QDialog::reject);
}

void TSiteForm::buildFields()
{
    groupBox_ = new QGroupBox(this);
    groupBox_->setObjectName(QStringLiteral("SiteGroupBox"));
    infoPanel_ = new QWidget(groupBox_);
    infoPanel_->setObjectName(QStringLiteral("InfoPanel"));
    auto *box = new QVBoxLayout(groupBox_);
    box->setContentsMargins(4, 4, 4, 4);
    box->addWidget(infoPanel_);

    auto edit = [this](const char *name) {
        auto *e = new QLineEdit(infoPanel_);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    server_ = edit("SiteServerName");
    user_ = edit("SiteUserName");
    password_ = edit("SitePassword");
    password_->setEchoMode(QLineEdit::Password);
    port_ = edit("SitePort");
    port_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), port_));
    port_->setText(QString::fromLatin1(DefaultSitePort));
    port_->setMaximumWidth(70);
    anonymous_ = new QCheckBox(infoPanel_);
    anonymous_->setObjectName(QStringLiteral("AnonymityLogon"));
    remotePath_ = edit("RemotePath");
    localPath_ = edit("LocalPath");
    browse_ = new QToolButton(infoPanel_);
    browse_->setObjectName(QStringLiteral("LocalPathBrowse"));
    browse_->setText(QStringLiteral("..."));
    memo_ = new QPlainTextEdit(infoPanel_);
    memo_->setObjectName(QStringLiteral("SiteMemo"));
    memo_->setTabChangesFocus(true);
    memo_->setMinimumHeight(36); // the window keeps its size with the option rows
    tlsMode_ = new QComboBox(infoPanel_);
    tlsMode_->setObjectName(QStringLiteral("SiteTlsMode"));
    tlsMode_->addItems({QString(), QString(), QString()}); // TlsMode order; texts by language
    charset_ = new QComboBox(infoPanel_);
    charset_->setObjectName(QStringLiteral("SiteCharset"));
    charset_->addItems({QString(), QStringLiteral("UTF-8"), QStringLiteral("GBK")}); // NameCharset order
    passiveRule_ = new QCheckBox(infoPanel_);
    passiveRule_->setObjectName(QStringLiteral("SitePassiveRule"));
    passiveRule_->setChecked(true);

    for (const char *name : {"SiteServerNameLabel", "SiteUserNameLabel", "SitePasswordLabel", "SitePortLabel",
                             "RemotePathLabel", "LocalPathLabel", "SiteMemoLabel", "SiteTlsModeLabel",
                             "SiteCharsetLabel"}) {
        auto *l = new QLabel(infoPanel_);
        l->setObjectName(QLatin1String(name));
        labels_.insert(QLatin1String(name), l);
    }
    auto *grid = new QGridLayout(infoPanel_);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setVerticalSpacing(2);
    grid->addWidget(labels_.value(QStringLiteral("SiteServerNameLabel")), 0, 0);
    grid->addWidget(server_, 0, 1, 1, 3);
    grid->addWidget(labels_.value(QStringLiteral("SiteUserNameLabel")), 1, 0);
    grid->addWidget(user_, 1, 1, 1, 3);
    grid->addWidget(labels_.value(QStringLiteral("SitePasswordLabel")), 2, 0);
    grid->addWidget(password_, 2, 1, 1, 3);
    grid->addWidget(labels_.value(QStringLiteral("SitePortLabel")), 3, 0);
    grid->addWidget(port_, 3, 1);
    grid->addWidget(anonymous_, 3, 2, 1, 2);
    auto *optionRow = new QHBoxLayout;
    optionRow->setContentsMargins(0, 0, 0, 0);
    optionRow->addWidget(tlsMode_);
    optionRow->addSpacing(8);
    optionRow->addWidget(labels_.value(QStringLiteral("SiteCharsetLabel")));
    optionRow->addWidget(charset_);
    optionRow->addStretch(1);
    grid->addWidget(labels_.value(QStringLiteral("SiteTlsModeLabel")), 4, 0);
    grid->addLayout(optionRow, 4, 1, 1, 3);
    grid->addWidget(passiveRule_, 5, 1, 1, 3);
    grid->addWidget(labels_.value(QStringLiteral("RemotePathLabel")), 6, 0);
    grid->addWidget(remotePath_, 6, 1, 1, 3);
    grid->addWidget(labels_.value(QStringLiteral("LocalPathLabel")), 7, 0);
    grid->addWidget(localPath_, 7, 1, 1, 2);
    grid->addWidget(browse_, 7, 3);
    grid->addWidget(labels_.value(QStringLiteral("SiteMemoLabel")), 8, 0, Qt::AlignTop);
    grid->addWidget(memo_, 8, 1, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(8, 1);

    connect(server_, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (TSiteInfo *r = currentRecord(); r && !filling_)
            r->ServerName = text;
        updateCommandStates();
    });
    // Every edit of the user, including pasting, is kept at once.
    connect(user_, &QLineEdit::textEdited, this, [this] { storeSealed(user_, &TSiteInfo::UserName); });
    connect(password_, &QLineEdit::textEdited, this, [this] { storeSealed(password_, &TSiteInfo::Password); });
    connect(user_, &QLineEdit::returnPressed, this, [this] { runConnectItem(); });
    connect(password_, &QLineEdit::returnPressed, this, [this] { runConnectItem(); });
    connect(port_, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.size() > MaxPortDigits) {
            port_->setText(QString::fromLatin1(DefaultSitePort));
            return;
        }
        if (TSiteInfo *r = currentRecord(); r && !filling_)
            r->Port = text;
        updateConnectButton();
    });
    connect(anonymous_, &QCheckBox::toggled, this, [this](bool on) {
        if (TSiteInfo *r = currentRecord(); r && !filling_)
            r->AnonymityLogon = on;
        updateConnectButton();
    });
    connect(remotePath_, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (TSiteInfo *r = currentRecord(); r && !filling_)
            r->RemotePath = text;
    });
    connect(localPath_, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (TSiteInfo *r = currentRecord(); r && !filling_)
            r->LocalPath = text;
    });
    connect(memo_, &QPlainTextEdit::textChanged, this, [this] {
        if (TSiteInfo *r = currentRecord(); r && !filling_)
            r->Memo = memo_->toPlainText();
    });
    connect(browse_, &QToolButton::clicked, this, [this] { browseLocalPath(); });
    connect(tlsMode_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_)
            return;
        // The port follows the mode while it is the other mode's default.
        const bool implicit = TlsMode(index) == TlsMode::Implicit;
        const QString from = QString::number(defaultPortFor(implicit ? TlsMode::Off : TlsMode::Implicit));
        if (port_->text() == from)
            port_->setText(QString::number(defaultPortFor(TlsMode(index))));
        storeOptions();
    });
    connect(charset_, &QComboBox::currentIndexChanged, this, [this] { storeOptions(); });
    connect(passiveRule_, &QCheckBox::toggled, this, [this] { storeOptions(); });
}

QWidget *TSiteForm::control(const QString &name) const
{
    if (QLabel *l = labels_.value(name))
        return l;
    return findChild<QWidget *>(name);
}

void TSiteForm::SetTexts()
{
    const bool simplified = ui::UseSimplified();
    for (const SiteFormText &row : captionTable()) {
        const QString text = QString::fromUtf8(simplified ? row.simplified : row.traditional);
        const QString name = QLatin1String(row.control);
        if (name == QLatin1String("TSiteForm"))
            setWindowTitle(text);
        else if (name == QLatin1String("FileMenu"))
            fileMenu_->setTitle(text);
        else if (name == QLatin1String("EditMenu"))
            editMenu_->setTitle(text);
        else if (QAction *a = action(name))
            a->setText(text);
        else if (QPushButton *b = button(name))
            b->setText(text);
        else if (QLabel *l = labels_.value(name))
            l->setText(text);
        else if (name == QLatin1String("AnonymityLogon"))
            anonymous_->setText(text);
        else if (name == QLatin1String("SitePassiveRule"))
            passiveRule_->setText(text);
    }
    tlsMode_->setItemText(int(TlsMode::Off), ui::pick("不加密", "不加密"));
    tlsMode_->setItemText(int(TlsMode::Explicit), ui::pick("显式 TLS", "顯式 TLS"));
    tlsMode_->setItemText(int(TlsMode::Implicit), ui::pick("隐式 TLS", "隱式 TLS"));
    charset_->setItemText(int(NameCharset::Auto), ui::pick("自动", "自動"));
    for (const SiteFormText &row : hintTable()) {
        const QString hint = QString::fromUtf8(simplified ? row.simplified : row.traditional);
        if (QWidget *w = findChild<QWidget *>(QLatin1String(row.control)))
            w->setToolTip(hint);
    }
    onCurrentChanged(selectedNode());
}

void TSiteForm::showEvent(QShowEvent *event)
{
    key_ = SiteBookKey();
    SetTexts();
    QDialog::showEvent(event);
}

int TSiteForm::OpenFromMenu()
{
    resize(ClientWidth, ClientHeight);
    const int result = exec();
    if (result == QDialog::Accepted)
        emit connectRequested(connectRequest());
    return result;
}

void TSiteForm::done(int result)
{
    SaveSiteBook();
    QDialog::done(result);
}

bool TSiteForm::SaveSiteBook()
{
    if (tree_->isEmpty())
        return false;
    // Keep the selection across the sort that saving does.
    TSiteNode *selected = selectedNode();
    QString error;
    bool ok = sites::SaveSiteBook(*tree_, file_, &error);
    // The options are keyed by the paths the book has just been saved with.
    if (ok && !SaveSiteOptions(*tree_, siteOptionsFile(), &error))
        ok = false;
    if (selected)
        selectNode(selected);
    if (!ok)
        ui::ShowError(this, ui::pick("   站点文件保存失败：", "   站點文件保存失敗：") + error);
    return ok;
}

} // namespace sites
