// TMainForm: what the main window does when its engine logs in, changes
// folder, becomes busy or ready, quits or asks for new credentials; the
// remote folder box's history and the listing cache folder.
#include "mainwindow/Main.h"

#include "engine/TMFtp.h"
#include "mainwindow/MainCaptions.h"
#include "platform/AppPaths.h"
#include "platform/EventLoop.h"
#include "platform/TextCodec.h"
#include "platform/CertificateTrust.h"
#include "platform/TlsSession.h"
#include "sites/CertificatePrompt.h"
#include "sites/FtpSitePrompt.h"
#include "ui/FileListView.h"
#include "ui/MessageBoxes.h"
#include "views/FtpMsg.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QStandardItemModel>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidget>

#include <optional>

namespace mainwindow {
namespace {

// Starts a listing of the engine's current folder. Engines without a
// listing operation compile to nothing here; one with `List()` is called.
template <typename Engine>
void listCurrentFolder(Engine &engine)
{
    if constexpr (requires { engine.List(); })
        engine.List();
}

// Upper case for ASCII letters only; digits, dots and other characters stay.
QString asciiUpper(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return out;
}

} // namespace

void TMainForm::bindEngine()
{
    mftp1_->OnLoggedIn = [this](QObject *) { onLoggedIn(); };
    mftp1_->OnDirectoryChanged = [this](QObject *) { onDirectoryChanged(); };
    mftp1_->OnFtpQuit = [this](QObject *) { onFtpQuit(); };
    mftp1_->OnFtpBusy = [this](QObject *) { remoteList_->setCursor(Qt::WaitCursor); };
    mftp1_->OnFtpReady = [this](QObject *) { remoteList_->unsetCursor(); };
    mftp1_->OnDirectoryCreated = [this](QObject *) { RefreshRemoteList(true); };
    mftp1_->OnDirectoryDeleted = [this](QObject *) { RefreshRemoteList(true); };
    mftp1_->OnFtpNeedInfo = [this](QObject *, TMFtpInfoNeeded need, QString &value) { AnswerNeedInfo(need, value); };
    mftp1_->OnFtpInfo = [this](QObject *, FtpInfo info, const QString &text) { onFtpInfo(info, text); };
    mftp1_->AddErrorListener([this](QObject *, FtpError error, const QString &) {
        // Another certificate than the trusted one: said out loud, not only
        // in the log.
        if (error != errorServerRefused || mftp1_->ChangedCertificateShown().isEmpty() || nonInteractive_)
            return;
        const QString server = platform::trustKey(mftp1_->Tls()->peerName(), mftp1_->Port());
        const QString trusted = mftp1_->ChangedCertificateTrusted();
        const QString shown = mftp1_->ChangedCertificateShown();
        QTimer::singleShot(0, this, [this, server, trusted, shown] {
            ui::ShowError(this, sites::changedCertificateWarning(server, trusted, shown));
        });
    });
}

void TMainForm::setServerCaption(const QString &server)
{
    QString caption = applicationTitle();
    if (!server.isEmpty())
        caption += QLatin1Char(' ') + asciiUpper(QLatin1Char('[') + server + QLatin1Char(']'));
    setWindowTitle(caption);
    tray_->setToolTip(caption);
}

void TMainForm::onLoggedIn()
{
    EmptyTempFolder();
    remoteFolderBox_->clear();
    ListCurrentFolder();
    remoteFolderNames_.clear();
    remoteFolderNames_.insert(mftp1_->DecodeName(mftp1_->CurrentDirectory()), mftp1_->CurrentDirectory());
    AddRemoteDirHistory(mftp1_->DecodeName(mftp1_->CurrentDirectory()));
    setServerCaption(mftp1_->Server());
}

void TMainForm::onDirectoryChanged()
{
    ListCurrentFolder();
    const QString folder = mftp1_->DecodeName(mftp1_->CurrentDirectory());
    remoteFolderNames_.insert(folder, mftp1_->CurrentDirectory());
    if (runner_->state().mode != omIdle)
        remoteFolderBox_->setEditText(folder);
    else
        AddRemoteDirHistory(folder);
}

void TMainForm::onFtpQuit()
{
    EmptyTempFolder();
    remoteList()->Clear();
    remoteFolderBox_->clear();
    remoteFolderBox_->clearEditText();
    // A session the user ended takes its queue with it; one that the server
    // or the network ended keeps the unfinished entries for a later run.
    if (userDisconnect_)
        queueModel_->clear();
    userDisconnect_ = false;
    setServerCaption(QString());
}

void TMainForm::ListCurrentFolder()
{
    // The engine's listing (data connection and cache) fills FileList and
    // FolderList; the remote list follows through its listener.
    listCurrentFolder(*mftp1_);
}

void TMainForm::RefreshRemoteList(bool force)
{
    if (!mftp1_->Connected() || (!force && mftp1_->Operation() == opList))
        return;
    messenger_->setLogEnabled(true);
    const bool cache = mftp1_->Cache();
    mftp1_->SetCache(false);
    ListCurrentFolder();
    mftp1_->WaitUntilIdle();
    mftp1_->SetCache(cache);
}

void TMainForm::AddRemoteDirHistory(const QString &path)
{
    const int at = remoteFolderBox_->findText(path, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (at != 0) {
        if (at > 0)
            remoteFolderBox_->removeItem(at);
        remoteFolderBox_->insertItem(0, path);
    }
    remoteFolderBox_->setCurrentIndex(0);
}

void TMainForm::EmptyTempFolder()
{
    const QDir folder(platform::cacheFolder());
    if (!folder.exists())
        return;
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : files)
        QFile::remove(folder.filePath(name));
}

void TMainForm::AnswerNeedInfo(TMFtpInfoNeeded need, QString &value)
{
    if (need == needResumeDecision) {
        answerResumeDecision(value);
        return;
    }
    if (need == needOverwriteConfirm) {
        answerOverwriteConfirm(value);
        return;
    }
    if (need == needCertificateTrust) {
        value.clear();
        if (nonInteractive_)
            return; // no one to ask: refused
        sites::TCertificatePrompt prompt(this);
        const platform::TlsSession *tls = mftp1_->Tls();
        prompt.SetCertificate(platform::trustKey(tls->peerName(), mftp1_->Port()), tls->peerCertificate(),
                              tls->verification());
        if (prompt.Ask())
            value = QStringLiteral("Trust");
        return;
    }
    std::optional<QString> answer;
    if (nonInteractive_ && (need == needUsername || need == needPassword)) {
        // no one to ask: the attempt is abandoned below
    } else if (need == needUsername) {
        sites::TSiteUser prompt(this);
        answer = prompt.Ask();
    } else if (need == needPassword) {
        sites::TSitePassword prompt(this);
        answer = prompt.Ask();
    } else {
        return;
    }
    if (answer) {
        value = *answer;
        return;
    }
    // Cancelled: this attempt is abandoned.
    mftp1_->SetRetryLogin(false);
    if (mftp1_->Connected())
        mftp1_->Close();
    else if (mftp1_->Connecting())
        mftp1_->Disconnect();
}

} // namespace mainwindow
