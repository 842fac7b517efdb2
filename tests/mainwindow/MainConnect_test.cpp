#include "mainwindow/Main.h"
#include "mainwindow/Startup.h"
#include "sites/PastURL.h"
#include "sites/SiteConnect.h"
#include "sites/SiteManage.h"
#include "ui/MessageBoxes.h"

#include "../support/PrintQString.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace mainwindow;

namespace {

class MainConnect : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString config = dir.filePath(QStringLiteral("Config.ini"));

    // Runs `step` on the modal window the next command opens.
    static void whenModal(std::function<void(QWidget *)> step)
    {
        QTimer::singleShot(0, [step] {
            if (QWidget *w = QApplication::activeModalWidget())
                step(w);
        });
    }
};

} // namespace

TEST_F(MainConnect, SiteManagerLivesForTheRunAndConnects)
{
    ProgramWindows w = CreateProgramWindows({config, QSize(1024, 768)});
    std::unique_ptr<TMainForm> main(w.mainForm);
    ASSERT_TRUE(w.siteForm);
    EXPECT_EQ(main->siteManager(), w.siteForm);
    EXPECT_EQ(w.siteForm->siteBookFile(), dir.filePath(QStringLiteral("ftp.dat")));

    sites::TSiteForm *f = w.siteForm;
    sites::TSiteNode *site = f->AddSiteEntry(f->tree()->firstNode(), false, QStringLiteral("demo"));
    site->record->ServerName = QStringLiteral("127.0.0.1");
    site->record->AnonymityLogon = true;
    site->record->Port = QStringLiteral("2121");
    f->selectNode(site);
    whenModal([](QWidget *m) { m->findChild<QPushButton *>(QStringLiteral("ConnectSite"))->click(); });
    main->action(QStringLiteral("mmiSiteManage"))->trigger();
    ASSERT_TRUE(main->lastConnectRequest());
    EXPECT_EQ(main->lastConnectRequest()->server, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(main->lastConnectRequest()->port, 2121);
    EXPECT_TRUE(main->lastConnectRequest()->anonymous);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("ftp.dat"))));

    // Not while a long operation runs.
    bool opened = false;
    whenModal([&opened](QWidget *m) {
        opened = true;
        m->close();
    });
    main->setOperationMode(omQueue);
    main->action(QStringLiteral("mmiSiteManage"))->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(opened);
    main->setOperationMode(omIdle);
}

TEST_F(MainConnect, QuickConnectAndPasteEndInConnectToSite)
{
    TMainForm main({config, QSize(1024, 768)});
    QList<sites::ConnectRequest> requests;
    QObject::connect(&main, &TMainForm::connectRequested, [&](const sites::ConnectRequest &r) { requests.append(r); });

    whenModal([](QWidget *m) {
        m->findChild<QComboBox *>(QStringLiteral("SiteServer"))->setEditText(QStringLiteral("127.0.0.1"));
        m->findChild<QLineEdit *>(QStringLiteral("SiteUserName"))->setText(QStringLiteral("demo"));
        m->findChild<QLineEdit *>(QStringLiteral("SitePassword"))->setText(QStringLiteral("pw"));
        m->findChild<QPushButton *>(QStringLiteral("ConnectButton"))->click();
    });
    main.toolButton(QStringLiteral("RemoteFileToolConnect"))->click();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].server, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(requests[0].userName, QStringLiteral("demo"));
    EXPECT_EQ(requests[0].port, 21);

    whenModal([](QWidget *m) {
        auto *edit = m->findChild<QLineEdit *>(QStringLiteral("URLEdit"));
        edit->setText(QStringLiteral("ftp://127.0.0.1:2121/pub/"));
        emit edit->returnPressed();
    });
    main.action(QStringLiteral("mmiPastURL"))->trigger();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_TRUE(requests[1].anonymous);
    EXPECT_TRUE(requests[1].fromPastedURL);
    EXPECT_EQ(requests[1].urlPath, QStringLiteral("/pub/"));
    EXPECT_EQ(requests[1].port, 2121);
}

TEST_F(MainConnect, SiteAskingForTlsIsNotLoggedInToPlain)
{
    TMainForm main({config, QSize(1024, 768)});
    QStringList boxes;
    ui::SetMessageBoxHook([&](ui::MessageKind, const QString &text) {
        boxes.append(text);
        return true;
    });
    for (const char *address : {"ftps://127.0.0.1:1/", "ftpes://127.0.0.1:1/"}) {
        sites::PastedURL url;
        ASSERT_EQ(sites::ParsePastedURL(QLatin1String(address), &url), sites::PasteResult::Ok);
        main.ConnectToSite(sites::PastedConnectRequest(url));
        EXPECT_FALSE(main.MFtp1()->Connecting()) << address;
        EXPECT_FALSE(main.MFtp1()->Busy()) << address;
    }
    ui::SetMessageBoxHook({});
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("TLS")));
    ASSERT_TRUE(main.lastConnectRequest());
    EXPECT_EQ(main.lastConnectRequest()->options.tls, sites::TlsMode::Explicit);
}

TEST_F(MainConnect, CopyWithoutAConnectionLeavesTheClipboard)
{
    TMainForm main({config, QSize(1024, 768)});
    QApplication::clipboard()->setText(QStringLiteral("before"));
    main.action(QStringLiteral("mmiCopyURL"))->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
}
