// TMainForm: the ways of connecting (site manager, quick connect, pasted
// address) and copying the current site's address.
#include "mainwindow/Main.h"

#include "sites/PastURL.h"
#include "sites/SiteConnect.h"
#include "sites/SiteManage.h"
#include "sites/SiteURL.h"
#include "ui/FileListView.h"
#include "ui/MessageBoxes.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>

namespace mainwindow {

void TMainForm::setSiteManager(sites::TSiteForm *form)
{
    siteForm_ = form;
    connect(form, &sites::TSiteForm::connectRequested, this, &TMainForm::ConnectToSite);
}

void TMainForm::ConnectToSite(const sites::ConnectRequest &request)
{
    lastConnectRequest_ = request;
    emit connectRequested(request);
}

void TMainForm::openSiteManager()
{
    if (operationMode_ != omIdle || engineBusy() || !siteForm_)
        return;
    siteForm_->OpenFromMenu();
}

void TMainForm::openQuickConnect()
{
    sites::TFastConnForm form(&config_, this);
    connect(&form, &sites::TFastConnForm::connectRequested, this, &TMainForm::ConnectToSite);
    form.Open();
}

void TMainForm::openPasteURL()
{
    if (operationMode_ != omIdle || engineBusy())
        return;
    sites::TPastFtpURL form(this);
    connect(&form, &sites::TPastFtpURL::connectRequested, this, &TMainForm::ConnectToSite);
    form.Open();
}

void TMainForm::copySiteURL()
{
    sites::SiteURLSource source;
    source.connected = engineConnected();
    QStringList selected;
    if (QItemSelectionModel *sel = remoteList_->currentView()->selectionModel())
        for (const QModelIndex &i : sel->selectedRows())
            selected << i.data().toString();
    const QString text = sites::CopySiteURLText(
        source, [this] { return ui::Confirm(this, sites::CopyCredentialsQuestion()); }, selected);
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

} // namespace mainwindow
