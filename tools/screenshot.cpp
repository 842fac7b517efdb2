// Renders the main window as it starts on a given screen, in a given
// language and skin, with a few sample log lines and queue entries, and
// saves the picture:  screenshot WIDTH HEIGHT s|t 1|2 OUT.png [settings]
// With "settings" as the last argument the settings window is rendered too
// (OUT-settings.png); with "icons" the remote list shows large icons. The
// remote list alone is saved as OUT-remote.png.
#include "mainwindow/Startup.h"
#include "platform/AppPaths.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"
#include "views/FtpListView.h"
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

    // A listing as a Chinese server gives it: UTF-8 and GBK names, links.
    TMFtpFileInfoList folders, files;
    auto folder = [&](const QByteArray &name, const char *date, const char *link = "") {
        folders.Add(name, "drwxr-xr-x", date, "4096", link, "ftp", "ftp", "");
    };
    auto file = [&](const QByteArray &name, const char *size, const char *date, const char *link = "") {
        files.Add(name, link[0] ? "lrwxrwxrwx" : "-rw-r--r--", date, size, link, "ftp", "ftp", "");
    };
    folder("pub", "2024-03-01 09:12");
    folder("incoming", "2024-05-20 18:40");
    folder(QStringLiteral("软件下载").toUtf8(), "2023-11-11 11:11");
    folder(platform::toGbk(QStringLiteral("文档资料")), "2022-08-08 08:00");
    folder("mirror", "2024-06-01 00:00", "/srv/mirror");
    file("README.txt", "2310", "2024-06-02 10:30");
    file(QStringLiteral("年度报告.pdf").toUtf8(), "1843201", "2024-01-15 14:05");
    file(platform::toGbk(QStringLiteral("会议纪要.doc")), "48640", "2023-12-29 16:20");
    file("ubuntu-24.04-desktop-amd64.iso", "6114656256", "2024-04-25 12:00");
    file("backup-2024.tar.gz", "5368709120", "2024-06-30 23:59");
    file("photo_0001.jpg", "3145728", "2024-02-14 07:30");
    file("install.sh", "812", "2024-05-05 05:05");
    file("latest.zip", "0", "2024-06-30 23:59", "backup-2024.zip");
    file(QStringLiteral("音乐/歌曲.mp3").toUtf8().replace('/', '_'), "5242880", "2021-07-01 20:00");
    file("movie.mkv", "1073741824", "2020-10-10 10:10");
    main->remoteList()->LoadLists(folders, files);
    const bool icons = argc > 6 && QString::fromLocal8Bit(argv[argc - 1]) == QLatin1String("icons");
    if (icons)
        main->setRemoteViewStyle(0);

    int rc = 0;
    QTimer::singleShot(300, [&] {
        if (!main->grab().save(out))
            rc = 1;
        QString remote = out;
        remote.replace(QLatin1String(".png"), QLatin1String("-remote.png"));
        main->remoteList()->grab().save(remote);
        if (argc > 6 && !icons) {
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
