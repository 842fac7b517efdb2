// TMainForm: the ways of connecting (site manager, quick connect, pasted
// address, reconnect), disconnecting and copying the current site's address.
#include "mainwindow/Main.h"

#include "engine/TMFtp.h"
#include "platform/TextCodec.h"
#include "sites/PastURL.h"
#include "sites/SetWindow.h"
#include "sites/SiteConnect.h"
#include "sites/SiteManage.h"
#include "sites/SiteURL.h"
#include "ui/FileListView.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"
#include "views/FtpMsg.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QItemSelectionModel>

#include <algorithm>

namespace mainwindow {
namespace {

// "ftp://host" -> "host"; everything after the host (a path, ":port") stays.
QString StripScheme(const QString &server)
{
    const qsizetype at = server.indexOf(QLatin1String("://"));
    return at < 0 ? server : server.mid(at + 3);
}

TMFtpNameCharset engineCharset(sites::NameCharset charset)
{
    switch (charset) {
    case sites::NameCharset::Utf8:
        return TMFtpNameCharset::Utf8;
    case sites::NameCharset::Gbk:
        return TMFtpNameCharset::Gbk;
    case sites::NameCharset::Auto:
        break;
    }
    return TMFtpNameCharset::Auto;
}

// Folders the user typed go to the server in the site's character set;
// without one as UTF-8, the encoding that names shown in the remote views
// are decoded from first.
QByteArray remotePathBytes(const QString &path, sites::NameCharset charset)
{
    return EncodeRemoteName(path, charset == sites::NameCharset::Gbk ? TMFtpNameEncoding::Gbk
                                                                    : TMFtpNameEncoding::Utf8);
}

} // namespace

void TMainForm::setSiteManager(sites::TSiteForm *form)
{
    siteForm_ = form;
    connect(form, &sites::TSiteForm::connectRequested, this, &TMainForm::ConnectToSite);
}

// Runs the engine's posted quit and ready messages now, so that a session
// that was just closed has ended before the next one starts.
void TMainForm::deliverEngineMessages()
{
    QCoreApplication::sendPostedEvents(mftp1_);
}

void TMainForm::ConnectToSite(const sites::ConnectRequest &request)
{
    lastConnectRequest_ = request;
    emit connectRequested(request);

    if (request.fromPastedURL) {
        userDisconnect_ = mftp1_->Connected() || mftp1_->Connecting();
        if (mftp1_->Connecting())
            mftp1_->Disconnect();
        else if (mftp1_->Connected())
            mftp1_->Close();
        deliverEngineMessages();
        mftp1_->SetInitialDirectory(remotePathBytes(request.urlPath, request.options.charset));
    }

    if (mftp1_->Connected()) {
        if (!ui::Confirm(this, ui::pick("   是否断开当前连接？", "   是否斷開當前連接？")))
            return;
        userDisconnect_ = true;
        mftp1_->Quit();
        mftp1_->Close();
        deliverEngineMessages();
    }
    if (mftp1_->Connecting()) {
        mftp1_->Disconnect();
        deliverEngineMessages();
    }

    if (setForm_) {
        const sites::EngineSettings proxy = sites::engineSettings(setForm_->controlValues());
        if (proxy.applyProxy) {
            mftp1_->SetProxyServer(proxy.proxyServer);
            mftp1_->SetProxyUsername(proxy.proxyUsername);
            mftp1_->SetProxyPassword(proxy.proxyPassword);
            mftp1_->SetProxyPort(proxy.proxyPort);
            mftp1_->SetProxyType(TMFtpProxyType(std::clamp(proxy.proxyType, int(proxyHost), int(proxyUserSite))));
        }
    }

    if (!request.localFolder.isEmpty() && QFileInfo(request.localFolder).isDir()
        && QFileInfo(request.localFolder).absoluteFilePath() != QFileInfo(localPath()).absoluteFilePath())
        setLocalPath(request.localFolder);

    if (!request.remoteFolder.isEmpty())
        mftp1_->SetInitialDirectory(remotePathBytes(request.remoteFolder, request.options.charset));

    mftp1_->SetServer(StripScheme(request.server));

    if (request.anonymous) {
        mftp1_->SetAnonymous(true);
        QString user = setForm_ ? setForm_->anonymousUser() : QString();
        if (user.isEmpty())
            user = QStringLiteral("anonymous");
        mftp1_->SetUsername(user);
        mftp1_->SetPassword(setForm_ ? setForm_->anonymousPassword() : QString());
    } else {
        mftp1_->SetAnonymous(false);
        mftp1_->SetUsername(request.userName);
        mftp1_->SetPassword(request.password);
    }
    mftp1_->SetPort(quint16(request.port));
    switch (request.options.tls) {
    case sites::TlsMode::Off: mftp1_->SetTlsMode(tlsOff); break;
    case sites::TlsMode::Explicit: mftp1_->SetTlsMode(tlsExplicit); break;
    case sites::TlsMode::Implicit: mftp1_->SetTlsMode(tlsImplicit); break;
    }
    mftp1_->SetNameCharset(engineCharset(request.options.charset));
    mftp1_->SetPassiveAddressRule(request.options.passiveAddressRule);

    remoteList_->setFocus();
    mftp1_->Login();
}

void TMainForm::ReConnect()
{
    if (runner_->state().mode != omIdle || engineBusy())
        return;
    const QByteArray folder = mftp1_->CurrentDirectory();
    const QString server = mftp1_->Server();
    const QString user = mftp1_->Username();
    const QString password = mftp1_->Password();
    const quint16 port = mftp1_->Port();
    if (mftp1_->Connected()) {
        mftp1_->Close();
        deliverEngineMessages();
    }
    messenger_->AddMessage(QStringLiteral("Retrying...\r\n"), views::mkStatus);
    mftp1_->SetServer(server);
    mftp1_->SetUsername(user);
    mftp1_->SetPassword(password);
    mftp1_->SetPort(port);
    mftp1_->SetInitialDirectory(folder);
    mftp1_->Login();
}

void TMainForm::DisConnect()
{
    if (runner_->state().mode != omIdle || engineBusy())
        return;
    userDisconnect_ = mftp1_->Connected() || mftp1_->Connecting();
    if (mftp1_->Connected())
        mftp1_->Close();
    else if (mftp1_->Connecting())
        mftp1_->Disconnect();
    mftp1_->SetInitialDirectory(QByteArray());
}

void TMainForm::openSiteManager()
{
    if (runner_->state().mode != omIdle || engineBusy() || !siteForm_)
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
    if (runner_->state().mode != omIdle || engineBusy())
        return;
    sites::TPastFtpURL form(this);
    connect(&form, &sites::TPastFtpURL::connectRequested, this, &TMainForm::ConnectToSite);
    form.Open();
}

sites::SiteURLSource TMainForm::siteURLSource() const
{
    sites::SiteURLSource source;
    source.connected = mftp1_->Connected();
    source.anonymous = mftp1_->Anonymous();
    source.server = mftp1_->Server();
    source.userName = mftp1_->Username();
    source.password = mftp1_->Password();
    source.currentDirectory = mftp1_->DecodeName(mftp1_->CurrentDirectory());
    return source;
}

void TMainForm::copySiteURL()
{
    QStringList selected;
    if (QItemSelectionModel *sel = remoteList_->currentView()->selectionModel())
        for (const QModelIndex &i : sel->selectedRows())
            selected << i.data().toString();
    const QString text = sites::CopySiteURLText(
        siteURLSource(), [this] { return ui::Confirm(this, sites::CopyCredentialsQuestion()); }, selected);
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

} // namespace mainwindow
