// Renders the main window as it starts on a given screen, in a given
// language and skin, with a few sample log lines and queue entries, and
// saves the picture:  screenshot WIDTH HEIGHT s|t 1|2 OUT.png [settings]
// With "settings" as the last argument the settings window is rendered too
// (OUT-settings.png).
#include "mainwindow/Startup.h"
#include "platform/AppPaths.h"
#include "platform/ProfileFile.h"
#include "sites/SetWindow.h"
#include "views/FtpMsg.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: screenshot WIDTH HEIGHT s|t 1|2 OUT.png [settings]\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QSize screen(QString::fromLocal8Bit(argv[1]).toInt(), QString::fromLocal8Bit(argv[2]).toInt());
    const bool simplified = QString::fromLocal8Bit(argv[3]) == QLatin1String("s");
    const int face = QString::fromLocal8Bit(argv[4]).toInt();
    const QString out = QString::fromLocal8Bit(argv[5]);

    QTemporaryDir home;
    platform::ProfileFile ini(home.filePath(QStringLiteral("Config.ini")));
    ini.WriteBool(QStringLiteral("Load"), QStringLiteral("SimpleLanguage"), simplified);
    ini.WriteInteger(QStringLiteral("Load"), QStringLiteral("FACE"), face);
    ini.WriteString(QStringLiteral("Load"), QStringLiteral("LocalPath"), QStringLiteral("/usr/share"));

    mainwindow::ProgramWindows w = mainwindow::CreateProgramWindows({ini.fileName(), screen});
    mainwindow::TMainForm *main = w.mainForm;
    main->show();
    main->setWindowState(Qt::WindowNoState);
    main->resize(screen);

    using namespace views;
    TMFtpMessenger *log = main->messenger();
    log->AddMessage(QStringLiteral("Connected to 127.0.0.1 waiting for welcome message\r\n"), mkStatus);
    log->AddMessage(QStringLiteral("220 pyftpdlib ready.\r\n"), mkReply);
    log->AddMessage(QStringLiteral("USER demo"), mkCommand);
    log->AddMessage(QStringLiteral("331 Username ok, send password.\r\n"), mkReply);
    log->AddMessage(QStringLiteral("PASS (want to know) :-P"), mkCommand);
    log->AddMessage(QStringLiteral("230 Login successful.\r\n"), mkReply);
    log->AddMessage(QStringLiteral("Login successful\r\n"), mkStatus);
    log->AddMessage(QStringLiteral("PASV"), mkCommand);
    log->AddMessage(QStringLiteral("227 Entering Passive Mode (127,0,0,1,171,205).\r\n"), mkReply);
    log->AddMessage(QStringLiteral("LIST"), mkCommand);
    log->AddMessage(QStringLiteral("226 Transfer complete.\r\n"), mkReply);
    log->AddMessage(QStringLiteral("Connection timed out\r\n"), mkError);
    auto *q = main->queueList();
    q->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("/home/用户/文档/年度报告.txt"), QStringLiteral("12 KB"),
                                            QStringLiteral("==>"), QStringLiteral("/上传/年度报告.txt"), QString()}));
    q->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("/home/用户/图片"), QStringLiteral("文件夹"),
                                            QStringLiteral("<=="), QStringLiteral("/pub/软件"), QString()}));

    int rc = 0;
    QTimer::singleShot(300, [&] {
        if (!main->grab().save(out))
            rc = 1;
        if (argc > 6) {
            w.setForm->setModal(false);
            w.setForm->resize(sites::TSetForm::MenuClientWidth, sites::TSetForm::MenuClientHeight);
            w.setForm->show();
            QTimer::singleShot(200, [&] {
                QString name = out;
                name.replace(QLatin1String(".png"), QLatin1String("-settings.png"));
                w.setForm->grab().save(name);
                app.quit();
            });
            return;
        }
        app.quit();
    });
    app.exec();
    delete main;
    return rc;
}
