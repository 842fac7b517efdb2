#include "engine/TMFtp.h"
#include "mainwindow/Main.h"
#include "mainwindow/Startup.h"
#include "engine/TMFtp.h"
#include "platform/TextCodec.h"
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

TEST_F(MainConnect, SiteAskingForTlsHandsItsModeToTheEngine)
{
    TMainForm main({config, QSize(1024, 768)});
    ui::SetMessageBoxHook([](ui::MessageKind, const QString &) { return true; });
    struct Row { const char *address; TMFtpTlsMode mode; };
    for (const Row &r : {Row{"ftps://127.0.0.1:1/", tlsImplicit}, Row{"ftpes://127.0.0.1:1/", tlsExplicit},
                         Row{"ftp://127.0.0.1:1/", tlsOff}}) {
        sites::PastedURL url;
        ASSERT_EQ(sites::ParsePastedURL(QLatin1String(r.address), &url), sites::PasteResult::Ok);
        main.ConnectToSite(sites::PastedConnectRequest(url));
        EXPECT_EQ(main.MFtp1()->TlsMode(), r.mode) << r.address;
        main.MFtp1()->Disconnect();
        QCoreApplication::sendPostedEvents(main.MFtp1());
    }
    ui::SetMessageBoxHook({});
}

// The site's rule for PASV answers naming another address reaches the engine.
TEST_F(MainConnect, SitePassiveAddressRuleReachesTheEngine)
{
    TMainForm main({config, QSize(1024, 768)});
    ui::SetMessageBoxHook([](ui::MessageKind, const QString &) { return true; });
    sites::PastedURL url;
    ASSERT_EQ(sites::ParsePastedURL(QStringLiteral("ftp://127.0.0.1:1/"), &url), sites::PasteResult::Ok);
    for (const bool rule : {false, true}) {
        sites::ConnectRequest request = sites::PastedConnectRequest(url);
        request.options.passiveAddressRule = rule;
        main.ConnectToSite(request);
        EXPECT_EQ(main.MFtp1()->PassiveAddressRule(), rule);
        main.MFtp1()->Disconnect();
        QCoreApplication::sendPostedEvents(main.MFtp1());
    }
    ui::SetMessageBoxHook({});
}

TEST_F(MainConnect, CopyWithoutAConnectionLeavesTheClipboard)
{
    TMainForm main({config, QSize(1024, 768)});
    QApplication::clipboard()->setText(QStringLiteral("before"));
    main.action(QStringLiteral("mmiCopyURL"))->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
}

// The site's character set reaches the engine, and the site's start folder
// goes to the server in it.
TEST_F(MainConnect, SiteCharsetReachesTheEngine)
{
    TMainForm main({config, QSize(1024, 768)});
    const QString folder = QStringLiteral("/文档");
    const struct {
        sites::NameCharset site;
        TMFtpNameCharset engine;
        QByteArray start;
    } cases[] = {
        {sites::NameCharset::Auto, TMFtpNameCharset::Auto, folder.toUtf8()},
        {sites::NameCharset::Utf8, TMFtpNameCharset::Utf8, folder.toUtf8()},
        {sites::NameCharset::Gbk, TMFtpNameCharset::Gbk, platform::toGbk(folder)},
    };
    for (const auto &c : cases) {
        sites::ConnectRequest request;
        request.server = QStringLiteral("127.0.0.1");
        request.port = 1; // refused at once
        request.anonymous = true;
        request.remoteFolder = folder;
        request.options.charset = c.site;
        main.ConnectToSite(request);
        main.MFtp1()->Disconnect();
        EXPECT_EQ(int(main.MFtp1()->NameCharset()), int(c.engine));
        EXPECT_EQ(main.MFtp1()->InitialDirectory(), c.start);
    }
}
