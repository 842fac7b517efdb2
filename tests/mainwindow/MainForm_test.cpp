#include "mainwindow/Main.h"
#include "mainwindow/MainCaptions.h"
#include "mainwindow/Startup.h"
#include "sites/ConfigKeys.h"
#include "sites/SetWindow.h"
#include "ui/FileListView.h"
#include "ui/Language.h"
#include "ui/Skins.h"
#include "ui/ToolkitStrings.h"
#include "views/FtpListView.h"
#include "views/FtpMsg.h"

#include "../support/PrintQString.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QTimer>
#include <QSystemTrayIcon>
#include <QProgressBar>
#include <QDialog>

#include <gtest/gtest.h>

#include <memory>

using namespace mainwindow;
using platform::ProfileFile;

namespace {

const QSize Wide(1024, 768);
const QSize Narrow(800, 600);

TMFtpFileInfoList oneFile()
{
    TMFtpFileInfoList files;
    files.Add("a.txt", "-rw-r--r--", "2024-01-01 12:00", "1", "", "ftp", "ftp", "");
    return files;
}

class MainFormTest : public ::testing::Test
{
protected:
    void SetUp() override { qputenv("BRAMBLEWAY_HOME", dir.path().toLocal8Bit()); }
    void TearDown() override { qunsetenv("BRAMBLEWAY_HOME"); }

    QString path() const { return dir.filePath(QStringLiteral("Config.ini")); }
    ProfileFile ini() const { return ProfileFile(path()); }

    std::unique_ptr<TMainForm> open(QSize screen, bool show = true)
    {
        auto form = std::make_unique<TMainForm>(MainFormEnvironment{path(), screen});
        if (show) {
            form->show();
            QCoreApplication::processEvents();
        }
        return form;
    }

    void setBytes(const QByteArray &bytes)
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    QTemporaryDir dir;
};

const char *EightViewButtons[] = {"LocalFileToolLargeIcon", "LocalFileToolSmallIcon", "LocalFileToolListIcon",
                                  "LocalFileToolReportIcon", "RemoteFileToolLargeIcon", "RemoteFileToolSmallIcon",
                                  "RemoteFileToolListIcon", "RemoteFileToolReportIcon"};

} // namespace

TEST_F(MainFormTest, FirstStartOnAWideScreen)
{
    auto form = open(Wide, false);
    EXPECT_EQ(form->localList()->viewStyle(), ui::vsReport);
    EXPECT_EQ(form->remoteList()->viewStyle(), ui::vsReport);
    for (RemoteColumn c : {rcName, rcSize, rcType, rcDate, rcAttributes})
        EXPECT_TRUE(form->remoteColumnShown(c)) << c;
    EXPECT_FALSE(form->remoteColumnShown(rcDescription));
    EXPECT_FALSE(form->remoteColumnShown(rcOwner));
    EXPECT_TRUE(form->remoteList()->reportView()->isColumnHidden(rcOwner));
    for (const char *b : EightViewButtons)
        EXPECT_TRUE(form->toolButtonShown(QLatin1String(b))) << b;
    EXPECT_FALSE(form->toolButtonShown("LocalFileToolView"));
    EXPECT_FALSE(form->toolButtonShown("RemoteFileToolView"));
    EXPECT_EQ(form->currentFace(), 2);
    ui::Skin skin;
    ASSERT_TRUE(ui::CurrentSkin(&skin));
    EXPECT_EQ(skin, ui::Skin::StoredSkin2);
    EXPECT_TRUE(form->action("mmiFace2")->isChecked());
    EXPECT_TRUE(form->UseSimplified());
    EXPECT_EQ(form->action("mmiSite")->text(), QStringLiteral("站点(&F)"));
    EXPECT_EQ(form->statusPanel()->text(), QStringLiteral("欢迎您使用 BramblewayFTP软件"));
    EXPECT_EQ(QDir(form->localPath()), QDir(QDir::rootPath()));
    EXPECT_FALSE(form->localFileLine()->isVisibleTo(form.get()));
    EXPECT_EQ(form->operationMode(), omIdle);
    EXPECT_FALSE(ini().ValueExists("Load", "Screen")); // written when shown

    form->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(ini().ReadString("Load", "Screen", ""), "1024768");
    EXPECT_EQ(form->messagePanelHeight(), 118);
    EXPECT_EQ(form->queuePanelHeight(), 99);
    EXPECT_EQ(form->localPanelWidth(), 448);
    EXPECT_TRUE(form->commandStateTimer()->isActive());
    EXPECT_FALSE(form->progressTimer()->isActive());
    EXPECT_GE(form->minimumWidth(), 750);
    EXPECT_GE(form->minimumHeight(), 480);
    EXPECT_EQ(form->trayIcon()->toolTip(), QStringLiteral("BramblewayFTP软件"));
    EXPECT_TRUE(form->speedPanel()->isHidden());
    EXPECT_TRUE(form->progressPanel()->isHidden());
}

TEST_F(MainFormTest, FirstStartOnANarrowScreen)
{
    auto form = open(Narrow);
    EXPECT_EQ(form->messagePanelHeight(), 84);
    EXPECT_EQ(form->queuePanelHeight(), 75);
    EXPECT_EQ(form->localPanelWidth(), 344);
    for (const char *b : EightViewButtons)
        EXPECT_FALSE(form->toolButtonShown(QLatin1String(b))) << b;
    EXPECT_TRUE(form->toolButtonShown("LocalFileToolView"));
    EXPECT_TRUE(form->toolButtonShown("RemoteFileToolView"));
    EXPECT_EQ(form->currentFace(), 1);
    ui::Skin skin;
    ASSERT_TRUE(ui::CurrentSkin(&skin));
    EXPECT_EQ(skin, ui::Skin::XFactor);
    EXPECT_EQ(ini().ReadString("Load", "Screen", ""), "800600");
    // The skin menu switches between the two small-screen skins only.
    form->action("mmiFace2")->trigger();
    ASSERT_TRUE(ui::CurrentSkin(&skin));
    EXPECT_EQ(skin, ui::Skin::BYStyle);
    EXPECT_FALSE(form->action("mmiFace1")->isChecked());
    EXPECT_EQ(ini().ReadInteger("Load", "face", 0), 2);
}

TEST_F(MainFormTest, LayoutKeysSurviveTheSameScreenAndAreDroppedOnAnother)
{
    setBytes("[Load]\r\nScreen=1024768\r\nMessagePanelHeight=150\r\nQueuePanelHeight=120\r\nLocalPanelWidth=400\r\n");
    {
        auto form = open(Wide);
        EXPECT_EQ(form->messagePanelHeight(), 150);
        EXPECT_EQ(form->queuePanelHeight(), 120);
        EXPECT_EQ(form->localPanelWidth(), 400);
    }
    {
        auto form = open(QSize(1280, 1024));
        EXPECT_EQ(ini().ReadString("Load", "Screen", ""), "12801024");
        EXPECT_FALSE(ini().ValueExists("Load", "MessagePanelHeight"));
        EXPECT_FALSE(ini().ValueExists("Load", "QueuePanelHeight"));
        EXPECT_FALSE(ini().ValueExists("Load", "LocalPanelWidth"));
        EXPECT_EQ(form->messagePanelHeight(), 118);
        EXPECT_EQ(form->queuePanelHeight(), 99);
        EXPECT_EQ(form->localPanelWidth(), 448);
    }
}

TEST_F(MainFormTest, ClosingWritesTheLoadKeys)
{
    QTemporaryDir start;
    auto form = open(Wide);
    form->setLocalPath(start.path());
    form->setLocalViewStyle(ui::vsList);
    form->setRemoteViewStyle(ui::vsSmallIcon);
    form->setShowLocalHidden(true);
    form->setRemoteViewStyle(ui::vsReport);
    form->toggleRemoteColumn(rcOwner);
    form->toggleRemoteColumn(rcSize);
    form->setRemoteViewStyle(ui::vsSmallIcon);
    form->close();
    const ProfileFile f = ini();
    EXPECT_EQ(QDir(f.ReadString("Load", "LocalPath", "")), QDir(start.path()));
    EXPECT_EQ(f.ReadString("Load", "ShowLocalHideFile", ""), "1");
    EXPECT_EQ(f.ReadInteger("Load", "LocalViewStyle", -1), 2);
    EXPECT_EQ(f.ReadInteger("Load", "RemoteViewStyle", -1), 1);
    EXPECT_EQ(f.ReadString("Load", "ShowSize", ""), "0");
    EXPECT_EQ(f.ReadString("Load", "ShowType", ""), "1");
    EXPECT_EQ(f.ReadString("Load", "ShowDate", ""), "1");
    EXPECT_EQ(f.ReadString("Load", "ShowAttrib", ""), "1");
    EXPECT_EQ(f.ReadString("Load", "ShowDescription", ""), "0");
    EXPECT_EQ(f.ReadString("Load", "ShowOwner", ""), "1");
    EXPECT_EQ(f.ReadInteger("Load", "MessagePanelHeight", 0), 118);
    EXPECT_EQ(f.ReadInteger("Load", "QueuePanelHeight", 0), 99);
    EXPECT_EQ(f.ReadInteger("Load", "LocalPanelWidth", 0), 448);
    EXPECT_FALSE(form->commandStateTimer()->isActive());

    // The next start restores all of it.
    auto again = open(Wide);
    EXPECT_EQ(QDir(again->localPath()), QDir(start.path()));
    EXPECT_TRUE(again->showLocalHidden());
    EXPECT_EQ(again->localList()->viewStyle(), ui::vsList);
    EXPECT_TRUE(again->localFileLine()->isVisible());
    EXPECT_EQ(again->remoteList()->viewStyle(), ui::vsSmallIcon);
    EXPECT_FALSE(again->remoteColumnShown(rcSize));
    EXPECT_TRUE(again->remoteColumnShown(rcOwner));
}

TEST_F(MainFormTest, MissingLocalPathFallsBackToTheRoot)
{
    setBytes("[Load]\nLocalPath=/no/such/folder/here\n");
    auto form = open(Wide, false);
    EXPECT_EQ(QDir(form->localPath()), QDir(QDir::rootPath()));
}

TEST_F(MainFormTest, ColumnItemsOnlyWorkInReportStyle)
{
    auto form = open(Wide);
    form->remoteList()->LoadLists({}, oneFile());
    form->setRemoteViewStyle(ui::vsIcon);
    form->action("RemoteFileShowColumnsOwner")->trigger();
    EXPECT_FALSE(form->remoteColumnShown(rcOwner));
    EXPECT_FALSE(form->action("RemoteFileShowColumnsOwner")->isChecked());
    EXPECT_EQ(form->remoteModel()->rowCount(), 1);
    form->setRemoteViewStyle(ui::vsReport);
    form->action("RemoteFileShowColumnsOwner")->trigger();
    EXPECT_TRUE(form->remoteColumnShown(rcOwner));
    EXPECT_FALSE(form->remoteList()->reportView()->isColumnHidden(rcOwner));
    EXPECT_EQ(form->remoteModel()->rowCount(), 0); // not connected: emptied
}

TEST_F(MainFormTest, SwitchingLanguageChangesEveryCaptionHintAndPrefix)
{
    auto form = open(Wide);
    form->remoteList()->LoadLists({}, oneFile());
    form->messenger()->AddMessage(QStringLiteral("Disconnected\r\n"), views::mkStatus);

    form->action("mmiMuiltLanguage")->trigger();
    EXPECT_FALSE(form->UseSimplified());
    EXPECT_FALSE(ui::UseSimplified());
    EXPECT_EQ(ui::ToolkitString("MSG_BTN_OK"), QStringLiteral("確  定"));
    EXPECT_TRUE(form->action("mmiMuiltLanguage")->isChecked());
    EXPECT_FALSE(form->action("mmiSimpleLanguage")->isChecked());
    int captions = 0;
    for (const CaptionRow &row : menuCaptionTable()) {
        QAction *a = form->action(QLatin1String(row.item));
        ASSERT_NE(a, nullptr) << row.item;
        EXPECT_EQ(a->text(), QString::fromUtf8(row.traditional)) << row.item;
        ++captions;
    }
    EXPECT_EQ(captions, 127);
    int hints = 0;
    for (const CaptionRow &row : toolHintTable()) {
        QToolButton *b = form->toolButton(QLatin1String(row.item));
        ASSERT_NE(b, nullptr) << row.item;
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(row.traditional)) << row.item;
        ++hints;
    }
    EXPECT_EQ(hints, 32);
    EXPECT_EQ(form->queueList()->model()->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("遠程路徑"));
    EXPECT_EQ(form->action("mmiSetup")->text(), QStringLiteral("蹤合設置...      "));
    EXPECT_EQ(form->remoteModel()->rowCount(), 0);
    EXPECT_EQ(ini().ReadString("Load", "SimpleLanguage", ""), "0");

    // Lines added afterwards carry the Traditional prefixes; earlier lines stay.
    form->messenger()->AddMessage(QStringLiteral("Disconnected\r\n"), views::mkStatus);
    EXPECT_EQ(form->messenger()->LineText(0), QStringLiteral("【状态】断开连接"));
    EXPECT_EQ(form->messenger()->LineText(1), QStringLiteral("【狀態】斷開連接"));

    // The welcome text follows at the next hint change.
    form->ShowStatusHint(QString());
    EXPECT_EQ(form->statusPanel()->text(), QStringLiteral("歡迎您使用 BramblewayFTP软件"));
    form->ShowStatusHint(form->toolButton("RemoteFileToolStop")->toolTip());
    EXPECT_EQ(form->statusPanel()->text(), QStringLiteral("中斷正在進行的上傳或下載操作"));
    form->setOperationMode(omQueue);
    form->ShowStatusHint(QStringLiteral("x"));
    EXPECT_EQ(form->statusPanel()->text(), QStringLiteral("歡迎您使用 BramblewayFTP软件"));
    form->setOperationMode(omIdle);

    form->action("mmiSimpleLanguage")->trigger();
    for (const CaptionRow &row : menuCaptionTable())
        EXPECT_EQ(form->action(QLatin1String(row.item))->text(), QString::fromUtf8(row.simplified)) << row.item;
    for (const CaptionRow &row : toolHintTable())
        EXPECT_EQ(form->toolButton(QLatin1String(row.item))->toolTip(), QString::fromUtf8(row.simplified));
    EXPECT_EQ(form->queueList()->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("本地路径"));
    EXPECT_EQ(ini().ReadString("Load", "SimpleLanguage", ""), "1");
}

TEST_F(MainFormTest, TraditionalAtStartAndUnknownSkin)
{
    setBytes("[Load]\nSimpleLanguage=0\nFACE=3\n");
    auto form = open(Wide, false);
    EXPECT_FALSE(form->UseSimplified());
    EXPECT_EQ(form->statusPanel()->text(), QStringLiteral("歡迎您使用 BramblewayFTP软件"));
    EXPECT_EQ(form->action("mmiRemoteFile")->text(), QStringLiteral("遠程文件(&R)"));
    EXPECT_EQ(ui::ToolkitString("MSG_CAP_ERROR"), QStringLiteral("錯誤"));
    EXPECT_TRUE(form->action("mmiFace1")->isChecked());
    EXPECT_FALSE(form->action("mmiFace2")->isChecked());
    form->messenger()->AddMessage(QStringLiteral("CWD /pub"), views::mkCommand);
    EXPECT_EQ(form->messenger()->LineText(0), QStringLiteral("【命令】進入 /pub 目錄"));
    // Nothing was written at creation.
    EXPECT_EQ(ini().ReadString("Load", "SimpleLanguage", ""), "0");
    EXPECT_EQ(ini().ReadString("Load", "FACE", ""), "3");
}

TEST_F(MainFormTest, WindowMenuHidesAndShowsPanels)
{
    auto form = open(Wide);
    form->toggleLogWindow();
    EXPECT_TRUE(form->logPanel()->isHidden());
    EXPECT_FALSE(form->action("mmiLogWindow")->isChecked());
    form->toggleQueueWindow();
    EXPECT_TRUE(form->queuePanel()->isHidden());
    form->toggleStatusWindow();
    EXPECT_TRUE(form->skinStatusBar()->isHidden());
    form->toggleStatusWindow();
    form->toggleQueueWindow();
    form->toggleLogWindow();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->logPanel()->isHidden());
    EXPECT_FALSE(form->queuePanel()->isHidden());
    EXPECT_FALSE(form->skinStatusBar()->isHidden());
    // The status bar stays below the queue panel.
    const QPoint queueBottom = form->queuePanel()->mapTo(form.get(), QPoint(0, form->queuePanel()->height()));
    const QPoint statusTop = form->skinStatusBar()->mapTo(form.get(), QPoint(0, 0));
    EXPECT_LE(queueBottom.y(), statusTop.y());
    // A hidden panel keeps its height for the next start.
    form->toggleLogWindow();
    form->close();
    EXPECT_EQ(ini().ReadInteger("Load", "MessagePanelHeight", 0), 118);
}

TEST_F(MainFormTest, LogPopupCopiesAndClears)
{
    auto form = open(Wide);
    views::TMFtpMessenger *log = form->messenger();
    log->AddMessage(QStringLiteral("USER demo"), views::mkCommand);
    log->AddMessage(QStringLiteral("230 Login successful.\r\n"), views::mkReply);
    form->action("LogCopyAll")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("【命令】用户名 demo\r\n【回复】230 用户登录成功\r\n"));
    form->action("LogClear")->trigger();
    EXPECT_EQ(log->count(), 0);
}

TEST_F(MainFormTest, SettingsOpenOnlyWhenIdle)
{
    ProgramWindows w = CreateProgramWindows({path(), Wide});
    std::unique_ptr<TMainForm> owner(w.mainForm);
    ASSERT_TRUE(owner->engineSettings().has_value());
    EXPECT_EQ(owner->engineSettings()->retries, 3);
    // Start-up order: the windows that live for the whole run.
    QStringList names;
    for (QObject *o : owner->children())
        if (qobject_cast<QDialog *>(o))
            names << o->objectName();
    EXPECT_EQ(names, QStringList({"TOverDialog", "TRemoteDirForm", "TQueueInfoForm", "TSiteForm", "TLocalDirForm",
                                  "SetForm", "TSiteUser"}));
    owner->setOperationMode(omUpload);
    owner->openSettings(); // must return at once instead of showing a modal window
    EXPECT_FALSE(w.setForm->isVisible());
    owner->setOperationMode(omIdle);
}

TEST_F(MainFormTest, BrokenSettingsFilesNeverStopTheWindow)
{
    QByteArray garbage(32 * 1024, '\0');
    for (char &c : garbage)
        c = char(QRandomGenerator::global()->bounded(256));
    const QByteArray files[] = {
        QByteArray(),
        garbage,
        QByteArray("[Load]\nLocalViewStyle=77\nRemoteViewStyle=-4\nFACE=x\nMessagePanelHeight=-100000\n"
                   "QueuePanelHeight=99999999\nLocalPanelWidth=0\nScreen=1024768\nSimpleLanguage=$0\n"),
        QByteArray("{\"settings\": {\"Load\": 1}}\n<html>\n"),
        QByteArray("[Load]\n") + QByteArray(5 * 1024 * 1024, 'x'),
    };
    for (const QByteArray &bytes : files) {
        setBytes(bytes);
        auto form = open(Wide);
        EXPECT_GE(form->localList()->viewStyle(), 0);
        EXPECT_LE(form->localList()->viewStyle(), 3);
        EXPECT_GT(form->messagePanelHeight(), 0);
        form->close();
    }
}
