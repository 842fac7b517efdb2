// What the main window reads from section [Load] when it is created and
// shown, and what it writes back when it closes.
#include "mainwindow/Main.h"

#include "engine/TMFtp.h"
#include "mainwindow/LocalFileModel.h"
#include "mainwindow/MainCaptions.h"
#include "sites/ConfigKeys.h"
#include "ui/FileListView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QAbstractItemView>
#include <QSystemTrayIcon>

#include <numeric>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

namespace mainwindow {

using namespace config;

void TMainForm::creationStep()
{
    runner_->state().mode = omIdle;
    setShowLocalHidden(config_.ReadBool(SectionLoad, ShowLocalHideFile, DefaultShowLocalHideFile));
    setLocalViewStyle(config_.ReadInteger(SectionLoad, LocalViewStyle, DefaultViewStyle));
    setRemoteViewStyle(config_.ReadInteger(SectionLoad, RemoteViewStyle, DefaultViewStyle));

    remoteColumns_[rcName] = true;
    remoteColumns_[rcSize] = config_.ReadBool(SectionLoad, ShowSize, DefaultShowSize);
    remoteColumns_[rcType] = config_.ReadBool(SectionLoad, ShowType, DefaultShowType);
    remoteColumns_[rcDate] = config_.ReadBool(SectionLoad, ShowDate, DefaultShowDate);
    remoteColumns_[rcAttributes] = config_.ReadBool(SectionLoad, ShowAttrib, DefaultShowAttrib);
    remoteColumns_[rcDescription] = config_.ReadBool(SectionLoad, ShowDescription, DefaultShowDescription);
    remoteColumns_[rcOwner] = config_.ReadBool(SectionLoad, ShowOwner, DefaultShowOwner);
    applyRemoteColumns();

    applyScreenWidthRule();
    SetSkin(config_.ReadInteger(SectionLoad, Face, screenDefaults(screen_).face));

    const bool simplified = config_.ReadBool(SectionLoad, SimpleLanguage, DefaultSimpleLanguage);
    SetLanguage(simplified);
    statusPanel_->setText(welcomeText(simplified));

    restoreLocalStartFolder();
    syncViewChecks();
}

void TMainForm::applyScreenWidthRule()
{
    const bool narrow = narrowScreen();
    for (const char *name : {"LocalFileToolView", "RemoteFileToolView"})
        buttonActions_.value(QLatin1String(name))->setVisible(narrow);
    for (const char *name : {"LocalFileToolLargeIcon", "LocalFileToolSmallIcon", "LocalFileToolListIcon",
                             "LocalFileToolReportIcon", "RemoteFileToolLargeIcon", "RemoteFileToolSmallIcon",
                             "RemoteFileToolListIcon", "RemoteFileToolReportIcon", "LocalViewSeparator",
                             "RemoteViewSeparator"})
        buttonActions_.value(QLatin1String(name))->setVisible(!narrow);
}

void TMainForm::restoreLocalStartFolder()
{
    const QString stored = config_.ReadString(SectionLoad, LocalPath, QString());
    if (!stored.isEmpty() && QFileInfo(stored).isDir()) {
        setLocalPath(stored);
        return;
    }
    // The root of the file system the program lives on.
    const QString root = QDir::rootPath();
    if (QFileInfo(root).isDir())
        setLocalPath(root);
}

QString TMainForm::localPath() const
{
    return localModel_->rootPath();
}

void TMainForm::setLocalPath(const QString &path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    localList_->setRootIndex(localModel_->setRootPath(clean));
    localFolderBox_->setEditText(QDir::toNativeSeparators(clean));
    if (localFolderBox_->findText(clean) < 0)
        localFolderBox_->insertItem(0, clean);
}

void TMainForm::setShowLocalHidden(bool on)
{
    showLocalHidden_ = on;
    QDir::Filters f = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs;
    if (on)
        f |= QDir::Hidden | QDir::System;
    localModel_->setFilter(f);
    for (const char *name : {"LocalFileShowAllFile", "LocalFileToolShowAllFile"})
        if (QAction *a = action(QLatin1String(name)))
            a->setChecked(on);
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        showStep();
    }
}

void TMainForm::showStep()
{
    timerEx1_->start();
    if (!isMaximized())
        setWindowState(windowState() | Qt::WindowMaximized);
    QCoreApplication::processEvents();
    // Without a window manager nobody honours the request: fill the screen's
    // work area ourselves.
    if (QScreen *s = screen(); s && width() < s->availableGeometry().width() - 16) {
        setGeometry(s->availableGeometry());
        QCoreApplication::processEvents();
    }

    const QString screenText = QString::number(screen_.width()) + QString::number(screen_.height());
    if (config_.ReadString(SectionLoad, Screen, QString()) != screenText) {
        config_.WriteString(SectionLoad, Screen, screenText);
        config_.DeleteKey(SectionLoad, MessagePanelHeight);
        config_.DeleteKey(SectionLoad, QueuePanelHeight);
        config_.DeleteKey(SectionLoad, LocalPanelWidth);
    }
    const ScreenDefaults d = screenDefaults(screen_);
    applyPanelSizes(config_.ReadInteger(SectionLoad, MessagePanelHeight, d.messagePanelHeight),
                    config_.ReadInteger(SectionLoad, QueuePanelHeight, d.queuePanelHeight),
                    config_.ReadInteger(SectionLoad, LocalPanelWidth, d.localPanelWidth));
    localList_->currentView()->setFocus();
}

void TMainForm::applyPanelSizes(int messageHeight, int queueHeight, int localWidth)
{
    // Values that cannot be a panel size fall back to something usable.
    messageHeight = std::clamp(messageHeight, 20, 4000);
    queueHeight = std::clamp(queueHeight, 20, 4000);
    localWidth = std::clamp(localWidth, 100, 8000);
    lastMessageHeight_ = messageHeight;
    lastQueueHeight_ = queueHeight;

    QList<int> v = remoteSplitter_->sizes();
    const int total = std::accumulate(v.begin(), v.end(), 0);
    remoteSplitter_->setSizes({std::max(40, total - messageHeight - queueHeight), messageHeight, queueHeight});
    QList<int> h = mainSplitter_->sizes();
    const int width = std::accumulate(h.begin(), h.end(), 0);
    mainSplitter_->setSizes({localWidth, std::max(100, width - localWidth)});
}

int TMainForm::messagePanelHeight() const
{
    return logPanel_->isHidden() ? lastMessageHeight_ : remoteSplitter_->sizes().value(1);
}

int TMainForm::queuePanelHeight() const
{
    return queuePanel_->isHidden() ? lastQueueHeight_ : remoteSplitter_->sizes().value(2);
}

int TMainForm::localPanelWidth() const
{
    return mainSplitter_->sizes().value(0);
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (operationMode() != omIdle) {
        // A run waits inside this window's event loop: stop it first and
        // close once it has ended, so no file is left half-written unnoticed.
        closeAfterRun_ = true;
        runner_->Stop();
        event->ignore();
        return;
    }
    closingStep();
    event->accept();
}

void TMainForm::closingStep()
{
    if (!localPath().isEmpty())
        config_.WriteString(SectionLoad, LocalPath, localPath());
    config_.WriteBool(SectionLoad, ShowLocalHideFile, showLocalHidden_);
    config_.WriteInteger(SectionLoad, LocalViewStyle, localList_->viewStyle());
    config_.WriteInteger(SectionLoad, RemoteViewStyle, remoteList_->viewStyle());
    config_.WriteBool(SectionLoad, ShowSize, remoteColumns_[rcSize]);
    config_.WriteBool(SectionLoad, ShowType, remoteColumns_[rcType]);
    config_.WriteBool(SectionLoad, ShowDate, remoteColumns_[rcDate]);
    config_.WriteBool(SectionLoad, ShowAttrib, remoteColumns_[rcAttributes]);
    config_.WriteBool(SectionLoad, ShowDescription, remoteColumns_[rcDescription]);
    config_.WriteBool(SectionLoad, ShowOwner, remoteColumns_[rcOwner]);
    config_.WriteInteger(SectionLoad, MessagePanelHeight, messagePanelHeight());
    config_.WriteInteger(SectionLoad, QueuePanelHeight, queuePanelHeight());
    config_.WriteInteger(SectionLoad, LocalPanelWidth, localPanelWidth());
    timerEx1_->stop();
    QCoreApplication::processEvents();
    if (mftp1_->Connected())
        mftp1_->Close();
    else if (mftp1_->Connecting())
        mftp1_->Disconnect();
    tray_->hide();
}

} // namespace mainwindow
