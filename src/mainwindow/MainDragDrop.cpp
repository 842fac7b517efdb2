// TMainForm: drag and drop between the panes, the queue and other programs.
#include "mainwindow/Main.h"

namespace mainwindow {

void TMainForm::connectDragAndDrop() {}

} // namespace mainwindow
