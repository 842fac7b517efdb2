// View options, the window menu, the language switch and the skins.
#include "mainwindow/Main.h"

#include "mainwindow/LocalFileModel.h"
#include "mainwindow/MainCaptions.h"
#include "sites/ConfigKeys.h"
#include "queue/QueueModel.h"
#include "ui/FileListView.h"
#include "ui/Language.h"
#include "ui/Skins.h"
#include "ui/ToolkitStrings.h"
#include "views/FtpListView.h"
#include "views/FtpMsg.h"

#include <QAction>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

namespace mainwindow {

void TMainForm::applyTexts(bool simplified)
{
    for (const CaptionRow &row : menuCaptionTable())
        if (QAction *a = action(QLatin1String(row.item)))
            a->setText(row.text(simplified));
    for (const CaptionRow &row : toolHintTable())
        if (QToolButton *b = toolButton(QLatin1String(row.item)))
            b->setToolTip(row.text(simplified));
    queueModel_->setSimplified(simplified);
}

void TMainForm::ApplySimplifiedTexts()
{
    applyTexts(true);
}

void TMainForm::ApplyTraditionalTexts()
{
    applyTexts(false);
}

views::TMFtpListModel *TMainForm::remoteModel() const
{
    return remoteList_->listModel();
}

void TMainForm::updateRemoteHeaders()
{
    remoteList_->SetLanguage(useSimplified_ ? views::China : views::ChinaGB);
}

void TMainForm::SetLanguage(bool simplified)
{
    useSimplified_ = simplified;
    ui::SetUseSimplified(simplified);
    ui::SetToolkitStrings(simplified ? ui::StringTable::SimpleChina : ui::StringTable::MuiltChina);
    applyTexts(simplified);
    localModel_->languageChanged();
    messenger_->setLanguage(simplified ? views::MLChina : views::MLChinaGB);
    action(QStringLiteral("mmiSimpleLanguage"))->setChecked(simplified);
    action(QStringLiteral("mmiMuiltLanguage"))->setChecked(!simplified);
    if (shownOnce_ || isVisible()) {
        // The menu switch: the remote list's captions follow with its next
        // listing; the welcome text appears at the next hint change.
        emptyRemoteListUnlessConnected();
        config_.WriteBool(config::SectionLoad, config::SimpleLanguage, simplified);
    }
    updateRemoteHeaders();
}

void TMainForm::SetSkin(int face)
{
    if (face != 1 && face != 2) {
        // An unknown value keeps the design skin and its marks.
        ui::ApplySkin(ui::skinFor(narrowScreen(), 1));
        return;
    }
    face_ = face;
    ui::ApplySkin(ui::skinFor(narrowScreen(), face));
    action(QStringLiteral("mmiFace1"))->setChecked(face == 1);
    action(QStringLiteral("mmiFace2"))->setChecked(face == 2);
    if (shownOnce_ || isVisible())
        config_.WriteInteger(config::SectionLoad, config::Face, face);
}

void TMainForm::setLocalViewStyle(int style)
{
    localList_->setViewStyle(style);
    localLine_->setVisible(localList_->viewStyle() != ui::vsReport);
    syncViewChecks();
}

void TMainForm::setRemoteViewStyle(int style)
{
    remoteList_->setViewStyle(style);
    remoteLine_->setVisible(remoteList_->viewStyle() != ui::vsReport);
    syncViewChecks();
}

void TMainForm::applyRemoteColumns()
{
    // The menu's column tags are the list's column kinds.
    views::TFtpFileInfos shown = 0;
    for (int c = 0; c < RemoteColumnCount; ++c)
        if (remoteColumns_[c])
            shown |= 1u << c;
    remoteList_->SetViewColumns(shown);
    const char *items[] = {nullptr, "RemoteFileShowColumnsSize", "RemoteFileShowColumnsType",
                           "RemoteFileShowColumnsDate", "RemoteFileShowColumnsProperty",
                           "RemoteFileShowColumnsDescription", "RemoteFileShowColumnsOwner"};
    for (int c = 1; c < RemoteColumnCount; ++c)
        action(QLatin1String(items[c]))->setChecked(remoteColumns_[c]);
}

void TMainForm::toggleRemoteColumn(int tag)
{
    if (tag < 1 || tag >= RemoteColumnCount)
        return;
    if (remoteList_->viewStyle() != ui::vsReport) {
        applyRemoteColumns(); // undo the check mark the click toggled
        return;
    }
    remoteColumns_[tag] = !remoteColumns_[tag];
    applyRemoteColumns();
    emptyRemoteListUnlessConnected();
}

void TMainForm::setRemoteSortKey(int tag)
{
    if (tag < 0 || tag > 3)
        return;
    remoteSortColumn_ = tag;
    const char *items[] = {"RemoteFileSortName", "RemoteFileSortSize", "RemoteFileSortType", "RemoteFileSortDate"};
    action(QLatin1String(items[tag]))->setChecked(true);
    remoteList_->SortBy(views::TMFtpSortBase(tag), !remoteSortDescending_);
}

void TMainForm::setRemoteSortDescending(bool descending)
{
    remoteSortDescending_ = descending;
    action(descending ? QStringLiteral("RemoteFileSortDown") : QStringLiteral("RemoteFileSortUp"))->setChecked(true);
    setRemoteSortKey(remoteSortColumn_);
}

void TMainForm::emptyRemoteListUnlessConnected()
{
    if (!engineConnected())
        remoteList_->Clear();
}

void TMainForm::syncViewChecks()
{
    const char *styles[] = {"Icon", "SmallIcon", "List", "Report"};
    const int local = localList_->viewStyle();
    const int remote = remoteList_->viewStyle();
    for (int s = 0; s < 4; ++s) {
        for (const char *prefix : {"LocalFileView", "LocalFileToolView"})
            action(QLatin1String(prefix) + QLatin1String(styles[s]))->setChecked(s == local);
        for (const char *prefix : {"RemoteFileView", "RemoteFileToolView"})
            action(QLatin1String(prefix) + QLatin1String(styles[s]))->setChecked(s == remote);
    }
    for (const char *name : {"LocalFileShowAllFile", "LocalFileToolShowAllFile"})
        action(QLatin1String(name))->setChecked(showLocalHidden_);
}

void TMainForm::toggleLogWindow()
{
    action(QStringLiteral("mmiLogWindow"))->trigger();
}

void TMainForm::toggleQueueWindow()
{
    action(QStringLiteral("mmiQueueWindow"))->trigger();
}

void TMainForm::toggleStatusWindow()
{
    action(QStringLiteral("mmiStatusWindow"))->trigger();
}

void TMainForm::showLogWindow(bool shown)
{
    if (!shown && !logPanel_->isHidden())
        lastMessageHeight_ = messagePanelHeight();
    logPanel_->setVisible(shown);
}

void TMainForm::showQueueWindow(bool shown)
{
    if (!shown && !queuePanel_->isHidden())
        lastQueueHeight_ = queuePanelHeight();
    queuePanel_->setVisible(shown);
}

void TMainForm::showStatusWindow(bool shown)
{
    // The status bar is the last item of the remote pane's column, so it
    // always comes back below the queue panel.
    statusBar_->setVisible(shown);
}

void TMainForm::setLogPopupStates()
{
    action(QStringLiteral("LogCopySelect"))->setEnabled(messenger_->hasSelectedLines());
    action(QStringLiteral("LogCopyAll"))->setEnabled(messenger_->count() > 0);
    action(QStringLiteral("LogClear"))->setEnabled(messenger_->count() > 0);
}

} // namespace mainwindow
