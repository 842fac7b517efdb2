#pragma once
// The program's start-up: the windows that live for the whole run, created
// in their fixed order, then the message loop.

#include "mainwindow/Main.h"
#include "mainwindow/RemoteDirForm.h"

#include <QDialog>

#include <memory>

namespace sites {
class TSetForm;
class TSiteForm;
class TSiteUser;
}

namespace mainwindow {

// The name of the program's desktop entry (without ".desktop"), also the
// name of its icon in the icon theme.
inline constexpr const char *DesktopFileName = "net.brambleway.bramblewayftp";

// The windows created at start-up, in creation order. Windows whose own
// work is not part of this program yet are plain dialogs with their names.
struct ProgramWindows
{
    TMainForm *mainForm = nullptr;
    QDialog *overDialog = nullptr;     // TOverDialog
    TRemoteDirForm *remoteDirForm = nullptr;
    QDialog *queueInfoForm = nullptr;  // TQueueInfoForm
    sites::TSiteForm *siteForm = nullptr;
    QDialog *localDirForm = nullptr;   // TLocalDirForm
    sites::TSetForm *setForm = nullptr;
    sites::TSiteUser *siteUser = nullptr;
};

// Creates the windows (the main window's creation step runs here); all are
// owned by the main window, which the caller owns.
ProgramWindows CreateProgramWindows(const MainFormEnvironment &environment = {});

// The program's main routine after the application object exists: creates
// the windows, shows the main window and runs the message loop.
int RunProgram();

} // namespace mainwindow
