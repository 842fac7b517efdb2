// The remote folder chooser against the real pyftpdlib server.

#include "mainwindow/RemoteDirForm.h"

#include "engine/EngineTestKit.h"
#include "support/PyFtpdServer.h"
#include "ui/Language.h"

#include "../support/PrintQString.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPushButton>

#include <gtest/gtest.h>

using mainwindow::TRemoteDirForm;
using testsupport::PyFtpdServer;
using testsupport::waitUntil;

TEST(TRemoteDirForm, CancelReturnsToTheStartFolderEscDoesNotAndTextsFollowTheLanguage)
{
    PyFtpdServer server;
    ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
    QDir(server.root()).mkpath(QStringLiteral("pub/in"));
    TMFtp ftp;
    enginetest::Recorder rec;
    enginetest::SetUpForTest(ftp, server.port());
    ftp.SetUsername(QString::fromLatin1(PyFtpdServer::User));
    ftp.SetPassword(QString::fromLatin1(PyFtpdServer::Password));
    rec.attach(ftp);
    TRemoteDirForm form;
    form.SetClient(&ftp);
    ftp.Login();
    ASSERT_TRUE(waitUntil([&] { return rec.has(QStringLiteral("event LoggedIn")); }, 10000)) << rec.dump().toStdString();

    ui::SetUseSimplified(false);
    form.Prepare();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("浏覽遠程目錄"));
    EXPECT_EQ(form.okButton()->text(), QStringLiteral("確  定"));
    ui::SetUseSimplified(true);
    form.Prepare();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("浏览远程目录"));
    EXPECT_EQ(form.cancelButton()->text(), QStringLiteral("取  消"));
    EXPECT_EQ(form.startFolder(), QByteArray("/"));

    // The tree moves the engine; Cancel brings it back and waits for it.
    views::TMFtpTreeView *tree = form.tree();
    tree->SelectPath("/pub/in");
    QTreeWidgetItem *in = tree->CurrentNode();
    tree->SelectPath("/");
    tree->NavigateTo(in);
    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy() && ftp.CurrentDirectory() == "/pub/in"; }, 10000));
    EXPECT_EQ(tree->CurrentNode(), in);
    form.cancelButton()->click();
    EXPECT_FALSE(ftp.Busy());
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/"));

    // Esc closes as Cancel does, without going back.
    form.Prepare();
    tree->NavigateTo(in);
    ASSERT_TRUE(waitUntil([&] { return !ftp.Busy() && ftp.CurrentDirectory() == "/pub/in"; }, 10000));
    form.show();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &esc);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), int(QDialog::Rejected));
    EXPECT_EQ(ftp.CurrentDirectory(), QByteArray("/pub/in"));
}
