// TSiteForm: selection, fields and the commands on the tree.
#include "sites/SiteManage.h"

#include "sites/LocalFolderChooser.h"
#include "sites/Seal.h"
#include "sites/SiteTreeView.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

namespace sites {

TSiteNode *TSiteForm::selectedNode() const
{
    return tree_->nodeAt(view_->currentIndex());
}

void TSiteForm::selectNode(TSiteNode *node)
{
    const QModelIndex index = tree_->indexOf(node);
    view_->setCurrentIndex(index);
    view_->scrollTo(index);
    onCurrentChanged(node);
}

TSiteInfo *TSiteForm::currentRecord() const
{
    TSiteNode *n = selectedNode();
    return n ? n->record.get() : nullptr;
}

void TSiteForm::onCurrentChanged(TSiteNode *node)
{
    updateCommandStates();
    if (!node || !node->record)
        return;
    if (node->isSite())
        groupBox_->setTitle(QStringLiteral(" 【") + node->text + ui::pick(" 站点信息】 ", " 站點信息】 "));
    else
        groupBox_->setTitle(ui::pick(" 【站点管理】 ", " 【站點管理】 "));
    fillFields(*node->record);
    fillOptions(node->options);
    infoPanel_->setVisible(node->isSite());
    updateCommandStates();
}

void TSiteForm::fillFields(const TSiteInfo &record)
{
    filling_ = true;
    server_->setText(record.ServerName);
    // A field sealed on another computer, or damaged, shows as empty and
    // stays stored as it is until the user types a new one.
    user_->setText(UnsealOrEmpty(record.UserName, key_));
    password_->setText(UnsealOrEmpty(record.Password, key_));
    anonymous_->setChecked(record.AnonymityLogon);
    port_->setText(record.Port);
    remotePath_->setText(record.RemotePath);
    localPath_->setText(record.LocalPath);
    memo_->setPlainText(record.Memo);
    filling_ = false;
}

void TSiteForm::fillOptions(const SiteOptions &options)
{
    filling_ = true;
    tlsMode_->setCurrentIndex(int(options.tls));
    charset_->setCurrentIndex(int(options.charset));
    passiveRule_->setChecked(options.passiveAddressRule);
    filling_ = false;
}

void TSiteForm::storeOptions()
{
    TSiteNode *n = selectedNode();
    if (!n || !n->isSite() || filling_)
        return;
    n->options.tls = TlsMode(tlsMode_->currentIndex());
    n->options.charset = NameCharset(charset_->currentIndex());
    n->options.passiveAddressRule = passiveRule_->isChecked();
}

void TSiteForm::storeSealed(QLineEdit *field, QString TSiteInfo::*member)
{
    TSiteInfo *r = currentRecord();
    if (!r || filling_)
        return;
    const QString text = field->text();
    r->*member = text.isEmpty() ? QString() : SealString(text, key_);
    updateConnectButton();
}

void TSiteForm::updateCommandStates()
{
    TSiteNode *n = selectedNode();
    const bool hasParent = n && n->parent();
    action(QStringLiteral("mmiDeleteSite"))->setEnabled(hasParent);
    button(QStringLiteral("DeleteSite"))->setEnabled(hasParent);
    action(QStringLiteral("mmiRenameSite"))->setEnabled(hasParent);
    button(QStringLiteral("RenameSite"))->setEnabled(hasParent);
    const bool site = n && n->record && n->isSite();
    action(QStringLiteral("mmiConnectSite"))->setEnabled(site && !server_->text().isEmpty());
    updateConnectButton();
}

void TSiteForm::updateConnectButton()
{
    TSiteNode *n = selectedNode();
    bool enabled = false;
    if (n && n->record && n->isSite() && !server_->text().isEmpty()) {
        enabled = anonymous_->isChecked()
                  || (!user_->text().isEmpty() && !password_->text().isEmpty() && !port_->text().isEmpty());
    }
    button(QStringLiteral("ConnectSite"))->setEnabled(enabled);
}

void TSiteForm::copyStatesToPopup()
{
    const char *pairs[][2] = {{"popConnectSite", "mmiConnectSite"}, {"popNewGroup", "mmiNewGroup"},
                              {"popNewSite", "mmiNewSite"}, {"popDeleteSite", "mmiDeleteSite"},
                              {"popReNameSite", "mmiRenameSite"}};
    for (const auto &p : pairs)
        action(QLatin1String(p[0]))->setEnabled(action(QLatin1String(p[1]))->isEnabled());
}

void TSiteForm::connectChosen()
{
    if (portTooLarge(port_->text())) {
        ui::ShowError(this, PortTooLargeText());
        port_->setFocus();
        return;
    }
    accept();
}

void TSiteForm::runConnectItem()
{
    QAction *item = action(QStringLiteral("mmiConnectSite"));
    if (item->isEnabled())
        item->trigger();
}

ConnectRequest TSiteForm::connectRequest() const
{
    ConnectRequest r;
    r.anonymous = anonymous_->isChecked();
    r.server = server_->text();
    r.remoteFolder = remotePath_->text();
    r.localFolder = localPath_->text();
    r.port = portFromText(port_->text());
    r.password = password_->text();
    r.userName = user_->text();
    r.options.tls = TlsMode(tlsMode_->currentIndex());
    r.options.charset = NameCharset(charset_->currentIndex());
    r.options.passiveAddressRule = passiveRule_->isChecked();
    return r;
}

void TSiteForm::browseLocalPath()
{
    const QString chosen = LocalFolderChooser::choose(this, localPath_->text());
    if (!chosen.isEmpty())
        localPath_->setText(chosen);
}

TSiteNode *TSiteForm::AddSiteEntry(TSiteNode *selected, bool group, const QString &text)
{
    if (text.isEmpty())
        return nullptr;
    if (!selected)
        selected = tree_->firstNode();
    if (!selected)
        return nullptr;
    auto record = std::make_unique<TSiteInfo>();
    TSiteNode *added = nullptr;
    if (group) {
        // The root group counts as having children even while it is empty.
        const bool hasChildren = selected->childCount() > 0 || tree_->isRootNode(selected);
        TSiteNode *parent = hasChildren ? selected : selected->parent();
        added = tree_->insertNode(parent, -1, text, siGroupCollapsed, std::move(record));
        if (parent)
            view_->expandRecursively(tree_->indexOf(parent));
    } else {
        record->Port = QString::fromLatin1(DefaultSitePort);
        TSiteNode *parent = selected->isSite() ? selected->parent() : selected;
        added = tree_->insertNode(parent, -1, text, siSite, std::move(record));
    }
    tree_->sort();
    tree_->renameRecords();
    QCoreApplication::processEvents();
    selectNode(added);
    view_->edit(tree_->indexOf(added));
    return added;
}

void TSiteForm::DeleteSiteEntry()
{
    TSiteNode *n = selectedNode();
    if (!n || !n->parent())
        return;
    const QString question = n->isSite()
                                 ? ui::pick("   您是否确定要删除“%1”站点信息？", "   您是否確定要刪除“%1”站點信息？")
                                 : ui::pick("   您是否确定要删除“%1”文件夹的所有站点？",
                                            "   您是否確定要刪除“%1”文件夾的所有站點？");
    if (!ui::Confirm(this, question.arg(n->text)))
        return;
    tree_->removeNode(n);
    onCurrentChanged(selectedNode());
}

bool TSiteForm::MoveSiteEntry(const QPoint &pos)
{
    TSiteNode *dragged = selectedNode();
    TSiteNode *target = tree_->nodeAt(view_->indexAt(pos));
    if (!target || !dragged || !dragged->parent())
        return false;
    const SiteTreeView::Hit hit = view_->hitTest(pos);
    if (target->isSite() && target->parent())
        target = target->parent();
    TSiteNode *newParent = nullptr;
    int position = -1;
    switch (hit) {
    case SiteTreeView::Hit::Item:
        newParent = target;
        break;
    case SiteTreeView::Hit::Beyond:
        newParent = target->parent();
        break;
    case SiteTreeView::Hit::Indent:
        newParent = target->parent();
        position = target->row();
        // The first node of the tree stays first.
        if (!newParent && position == 0)
            return false;
        break;
    case SiteTreeView::Hit::Nowhere:
        return false;
    }
    if (newParent == dragged || dragged->isAncestorOf(newParent))
        return false;
    if (!tree_->moveNode(dragged, newParent, position))
        return false;
    if (newParent)
        view_->expand(tree_->indexOf(newParent));
    selectNode(dragged);
    return true;
}

} // namespace sites
