#include "mainwindow/Startup.h"

#include "mainwindow/CommandLine.h"
#include "mainwindow/LoopProbe.h"
#include "mainwindow/MainCaptions.h"
#include "mainwindow/ModifyQueue.h"
#include "mainwindow/OverOpear.h"
#include "mainwindow/ViewLocalDir.h"
#include "sites/FtpSitePrompt.h"
#include "sites/SetWindow.h"
#include "sites/SiteBook.h"
#include "sites/SiteManage.h"

#include <QApplication>
#include <QFileInfo>

namespace mainwindow {

ProgramWindows CreateProgramWindows(const MainFormEnvironment &environment)
{
    ProgramWindows w;
    w.mainForm = new TMainForm(environment);
    auto *over = new TOverDialog(w.mainForm);
    w.overDialog = over;
    w.mainForm->setOverDialog(over);
    w.remoteDirForm = new TRemoteDirForm(w.mainForm);
    w.remoteDirForm->SetClient(w.mainForm->MFtp1());
    w.mainForm->setRemoteDirForm(w.remoteDirForm);
    w.queueInfoForm = new TQueueInfoForm(w.mainForm);
    // Loads ftp.dat, which lives beside Config.ini.
    w.siteForm = new sites::TSiteForm(
        QFileInfo(w.mainForm->config().fileName()).absolutePath() + QLatin1Char('/') + sites::SiteBookFileName,
        w.mainForm);
    w.mainForm->setSiteManager(w.siteForm);
    auto *localDir = new TLocalDirForm(w.mainForm);
    w.localDirForm = localDir;
    w.mainForm->setLocalDirForm(localDir);
    // Loads [Option] and hands it to the engine.
    w.setForm = new sites::TSetForm(&w.mainForm->config(), w.mainForm, w.mainForm);
    w.mainForm->setSettingsWindow(w.setForm);
    w.siteUser = new sites::TSiteUser(w.mainForm);
    return w;
}

int RunProgram()
{
    // The name only: a display name would be appended to every window title
    // that does not end with it ("... [SERVER] — BramblewayFTP软件").
    QApplication::setApplicationName(applicationTitle());
    // Lets the desktop match the windows with the program's menu entry.
    QGuiApplication::setDesktopFileName(QLatin1String(DesktopFileName));
    const QStringList arguments = QApplication::arguments().mid(1);
    if (const std::optional<int> status = AnswerWithoutWindow(arguments))
        return *status;
    QString error;
    const std::optional<CommandLine> options = ParseCommandLine(arguments, &error);
    if (!options)
        return 2;
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
