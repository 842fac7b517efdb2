// The help menu's windows and the update check, opened from the main window:
// when they open, in which language and skin, and against which services.

#include "mainwindow/Main.h"
#include "services/About.h"
#include "services/Help.h"
#include "services/SendInfo.h"
#include "services/Update.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include "../support/PrintQString.h"
#include "support/EventLoopWait.h"
#include "support/HttpTestServer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace mainwindow;

namespace {

class HelpMenuTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    testsupport::HttpTestServer server;
    QStringList messages;

    void SetUp() override
    {
        qputenv("BRAMBLEWAY_HOME", dir.path().toLocal8Bit());
        platform::ProfileFile ini(path());
        ini.WriteString(QStringLiteral("Service"), QStringLiteral("UpdateServer"), server.base().toString());
        ini.WriteString(QStringLiteral("Service"), QStringLiteral("FeedbackServer"), server.base().toString());
        ui::SetMessageBoxHook([this](ui::MessageKind, const QString &text) {
            messages << text;
            return true;
        });
    }
    void TearDown() override
    {
        ui::SetMessageBoxHook({});
        ui::SetUseSimplified(true);
        qunsetenv("BRAMBLEWAY_HOME");
    }

    QString path() const { return dir.filePath(QStringLiteral("Config.ini")); }

    std::unique_ptr<TMainForm> open(QSize screen = QSize(1024, 768))
    {
        auto form = std::make_unique<TMainForm>(MainFormEnvironment{path(), screen});
        form->show();
        QCoreApplication::processEvents();
        form->UpdateCommandStates();
        return form;
    }

    // Triggers the menu item and hands the modal window it opens to `inside`;
    // the window is closed afterwards if it is still open. Returns the
    // window's class name, empty when nothing opened.
    QString trigger(TMainForm &main, const char *item, const std::function<void(QDialog *)> &inside = {})
    {
        QString opened;
        bool done = false;
        QTimer::singleShot(0, [&] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                opened = QString::fromLatin1(dialog->metaObject()->className());
                if (inside)
                    inside(dialog);
                if (dialog->isVisible())
                    dialog->reject();
            }
            done = true;
        });
        main.action(QLatin1String(item))->trigger();
        testsupport::waitUntil([&] { return done; });
        return opened;
    }
};

} // namespace

TEST_F(HelpMenuTest, EachItemOpensItsWindow)
{
    auto main = open();
    const struct { const char *item; const char *window; } cases[] = {
        {"mmiCheckUpdate", "services::TUpdateForm"},
        {"mmiUserHelp", "services::THelpForm"},
        {"mmiSupport", "services::TSendUserInfo"},
        {"mmiAbout", "services::TAboutOur"},
    };
    for (const auto &c : cases) {
        EXPECT_TRUE(main->action(QLatin1String(c.item))->isEnabled()) << c.item;
        EXPECT_EQ(trigger(*main, c.item), QLatin1String(c.window)) << c.item;
    }
}

TEST_F(HelpMenuTest, OnlyTheAboutWindowOpensDuringARun)
{
    auto main = open();
    main->setOperationMode(omQueue);
    main->UpdateCommandStates();
    for (const char *item : {"mmiCheckUpdate", "mmiUserHelp", "mmiSupport"}) {
        EXPECT_FALSE(main->action(QLatin1String(item))->isEnabled()) << item;
        // Even when invoked: nothing opens.
        QString opened;
        QTimer::singleShot(0, [&] {
            if (QWidget *w = QApplication::activeModalWidget()) {
                opened = QString::fromLatin1(w->metaObject()->className());
                w->close();
            }
        });
        if (qstrcmp(item, "mmiCheckUpdate") == 0)
            main->mmiCheckUpdateClick();
        else if (qstrcmp(item, "mmiUserHelp") == 0)
            main->mmiUserHelpClick();
        else
            main->mmiSupportClick();
        testsupport::drainEvents();
        EXPECT_TRUE(opened.isEmpty()) << item;
    }
    EXPECT_TRUE(main->action(QStringLiteral("mmiAbout"))->isEnabled());
    EXPECT_EQ(trigger(*main, "mmiAbout"), QStringLiteral("services::TAboutOur"));
    main->setOperationMode(omIdle);
}

TEST_F(HelpMenuTest, WindowsFollowTheLanguageAndTheHelpSkinTheScreen)
{
    auto main = open(QSize(800, 600));
    main->SetSkin(1);
    main->SetLanguage(false);
    QString caption;
    int skin = 0;
    trigger(*main, "mmiUserHelp", [&](QDialog *d) {
        caption = d->windowTitle();
        skin = static_cast<services::THelpForm *>(d)->helpSkin();
    });
    EXPECT_EQ(caption, QStringLiteral("使用幫助"));
    EXPECT_EQ(skin, 1);
    main->SetSkin(2);
    trigger(*main, "mmiUserHelp", [&](QDialog *d) { skin = static_cast<services::THelpForm *>(d)->helpSkin(); });
    EXPECT_EQ(skin, 2);
    trigger(*main, "mmiAbout", [&](QDialog *d) { caption = d->windowTitle(); });
    EXPECT_EQ(caption, QStringLiteral("關于"));
    trigger(*main, "mmiSupport", [&](QDialog *d) { caption = d->windowTitle(); });
    EXPECT_EQ(caption, QStringLiteral("聯系我們"));
    trigger(*main, "mmiCheckUpdate", [&](QDialog *d) { caption = d->windowTitle(); });
    EXPECT_EQ(caption, QStringLiteral("智能升級"));
    main->SetLanguage(true);
    trigger(*main, "mmiAbout", [&](QDialog *d) { caption = d->windowTitle(); });
    EXPECT_EQ(caption, QStringLiteral("关于"));
}

TEST_F(HelpMenuTest, TheServicesOfConfigIni)
{
    auto main = open();
    server.answer("/update/version.txt", "[information]\r\nversion=3.6\r\nFileSize=1\r\n");
    bool closedByItself = false;
    trigger(*main, "mmiCheckUpdate", [&](QDialog *d) {
        static_cast<services::TUpdateForm *>(d)->StartClick();
        closedByItself = testsupport::waitUntil([d] { return !d->isVisible(); });
    });
    EXPECT_TRUE(closedByItself);
    EXPECT_EQ(messages, QStringList{QStringLiteral("   获取升级信息完成，但是没有更新文件。")});
    EXPECT_EQ(server.requestCount("/update/version.txt"), 1);
    // version.ini lies beside Config.ini.
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("version.ini"))));

    messages.clear();
    server.answer("/feedback/addinfo.asp", "留言成功");
    closedByItself = false;
    trigger(*main, "mmiSupport", [&](QDialog *d) {
        auto *form = static_cast<services::TSendUserInfo *>(d);
        form->setSendDelay(0);
        form->titleBox()->setEditText(QStringLiteral("t"));
        form->textEdit()->setPlainText(QStringLiteral("x"));
        form->SendClick();
        closedByItself = testsupport::waitUntil([d] { return !d->isVisible(); });
    });
    EXPECT_TRUE(closedByItself);
    EXPECT_EQ(messages, QStringList{QStringLiteral("   提交信息成功，我们会尽快回复您。")});
    ASSERT_EQ(server.requestCount("/feedback/addinfo.asp"), 1);
    EXPECT_TRUE(server.requests().last().body.startsWith("user=vexlo&email=&title=t&text=x&image=on&home="));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
