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
#include <QActionGroup>
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
namespace {

// The remote list's sort in [Load]: the key as its column kind (0 name,
// 1 size, 2 type, 3 date, 4 attributes, 5 description, 6 owner, 7 group)
// and the direction.
const QString RemoteSortTypeKey = QStringLiteral("RemoteSortType");
const QString RemoteSortAscendingKey = QStringLiteral("RemoteSortAscending");

const char *const SortKeyItems[] = {"RemoteFileSortName", "RemoteFileSortSize", "RemoteFileSortType",
                                    "RemoteFileSortDate"};

} // namespace

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
        // listing.
        emptyRemoteListUnlessConnected();
        config_.WriteBool(config::SectionLoad, config::SimpleLanguage, simplified);
    }
    // A welcome text on show switches language with everything else.
    const QString shown = statusPanel_->text();
    if (shown == welcomeText(true) || shown == welcomeText(false))
        statusPanel_->setText(welcomeText(simplified));
    updateRemoteHeaders();
}

void TMainForm::SetSkin(int face)
{
    if (face != 1 && face != 2) {
        // An unknown value keeps the design skin and its marks.
        ui::ApplySkin(ui::skinFor(narrowScreen(), 1));
        applyPaneLayout();
        return;
    }
    face_ = face;
    ui::ApplySkin(ui::skinFor(narrowScreen(), face));
    action(QStringLiteral("mmiFace1"))->setChecked(face == 1);
    action(QStringLiteral("mmiFace2"))->setChecked(face == 2);
    if (shownOnce_ || isVisible())
        config_.WriteInteger(config::SectionLoad, config::Face, face);
    applyPaneLayout();
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
    if (tag >= 0 && tag <= 3)
        remoteList_->SortBy(views::TMFtpSortBase(tag), remoteList_->Ascending());
    syncRemoteSortChecks(); // also undoes a click that unchecked the checked item
}

void TMainForm::setRemoteSortDescending(bool descending)
{
    remoteList_->SortBy(remoteList_->SortType(), !descending);
    syncRemoteSortChecks();
}

void TMainForm::syncRemoteSortChecks()
{
    const int key = remoteList_->SortType();
    if (key >= 0 && key <= 3) {
        action(QLatin1String(SortKeyItems[key]))->setChecked(true);
    } else {
        for (const char *item : SortKeyItems)
            action(QLatin1String(item))->setChecked(false);
    }
    action(remoteList_->Ascending() ? QStringLiteral("RemoteFileSortUp") : QStringLiteral("RemoteFileSortDown"))
        ->setChecked(true);
}

void TMainForm::connectRemoteSort()
{
    // A header click may sort by a column the menu has no item for: then
    // none of the key items is checked.
    if (QActionGroup *keys = action(QLatin1String(SortKeyItems[0]))->actionGroup())
        keys->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    connect(remoteList_, &views::TMFtpListView::sortChanged, this, [this](views::TMFtpSortBase type, bool ascending) {
        syncRemoteSortChecks();
        if (restoringRemoteSort_)
            return;
        config_.WriteInteger(config::SectionLoad, RemoteSortTypeKey, int(type));
        config_.WriteBool(config::SectionLoad, RemoteSortAscendingKey, ascending);
    });
    int type = config_.ReadInteger(config::SectionLoad, RemoteSortTypeKey, views::stName);
    if (type < views::stName || type > views::stGroup)
        type = views::stName;
    restoringRemoteSort_ = true;
    remoteList_->SortBy(views::TMFtpSortBase(type), config_.ReadBool(config::SectionLoad, RemoteSortAscendingKey, true));
    restoringRemoteSort_ = false;
    syncRemoteSortChecks();
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
    syncRemoteSortChecks();
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
