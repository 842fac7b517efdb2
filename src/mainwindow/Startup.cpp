#include "mainwindow/Startup.h"

#include "mainwindow/CommandLine.h"
#include "mainwindow/LoopProbe.h"
#include "mainwindow/MainCaptions.h"
#include "sites/FtpSitePrompt.h"
#include "sites/SetWindow.h"
#include "sites/SiteBook.h"
#include "sites/SiteManage.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

namespace mainwindow {
namespace {

QDialog *shell(const char *name, QWidget *owner)
{
    auto *d = new QDialog(owner);
    d->setObjectName(QLatin1String(name));
    d->setWindowTitle(applicationTitle());
    return d;
}

} // namespace

ProgramWindows CreateProgramWindows(const MainFormEnvironment &environment)
{
    ProgramWindows w;
    w.mainForm = new TMainForm(environment);
    w.overDialog = shell("TOverDialog", w.mainForm);
    w.remoteDirForm = new TRemoteDirForm(w.mainForm);
    w.remoteDirForm->SetClient(w.mainForm->MFtp1());
    w.queueInfoForm = shell("TQueueInfoForm", w.mainForm);
    // Loads ftp.dat, which lives beside Config.ini.
    w.siteForm = new sites::TSiteForm(
        QFileInfo(w.mainForm->config().fileName()).absolutePath() + QLatin1Char('/') + sites::SiteBookFileName,
        w.mainForm);
    w.mainForm->setSiteManager(w.siteForm);
    w.localDirForm = shell("TLocalDirForm", w.mainForm);
    // Loads [Option] and hands it to the engine.
    w.setForm = new sites::TSetForm(&w.mainForm->config(), w.mainForm, w.mainForm);
    w.mainForm->setSettingsWindow(w.setForm);
    w.siteUser = new sites::TSiteUser(w.mainForm);
    return w;
}

int RunProgram()
{
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationDisplayName(applicationTitle());
    QString error;
    const std::optional<CommandLine> options = ParseCommandLine(QApplication::arguments().mid(1), &error);
    if (!options) {
        std::fprintf(stderr, "bramblewayftp: %s\n%s\n", error.toLocal8Bit().constData(),
                     CommandLineUsage().toLocal8Bit().constData());
        return 2;
    }
    if (options->help) {
        std::printf("%s\n", CommandLineUsage().toLocal8Bit().constData());
        return 0;
    }
    std::unique_ptr<TMainForm> main(CreateProgramWindows().mainForm);
    StartLoopProbeFromEnvironment(main.get());
    main->show();
    if (const std::optional<int> status = StartFromCommandLine(*main, *options)) {
        main->close();
        return *status;
    }
    return QApplication::exec();
}

} // namespace mainwindow
