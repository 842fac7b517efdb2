#include "mainwindow/Startup.h"

#include "mainwindow/MainCaptions.h"
#include "sites/SetWindow.h"

#include <QApplication>

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
    w.queueInfoForm = shell("TQueueInfoForm", w.mainForm);
    w.siteForm = shell("TSiteForm", w.mainForm);
    w.localDirForm = shell("TLocalDirForm", w.mainForm);
    // Loads [Option] and hands it to the engine.
    w.setForm = new sites::TSetForm(&w.mainForm->config(), w.mainForm, w.mainForm);
    w.mainForm->setSettingsWindow(w.setForm);
    w.siteUser = shell("TSiteUser", w.mainForm);
    return w;
}

int RunProgram()
{
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationDisplayName(applicationTitle());
    std::unique_ptr<TMainForm> main(CreateProgramWindows().mainForm);
    main->show();
    return QApplication::exec();
}

} // namespace mainwindow
