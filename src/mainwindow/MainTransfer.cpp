// TMainForm: the upload, download, add-to-queue and Stop commands, the
// engine's existing-file questions, and the window side of the runners
// (local pane, session log, status bar).
#include "mainwindow/Main.h"

#include "engine/TMFtp.h"
#include "mainwindow/LocalFileModel.h"
#include "mainwindow/OverOpear.h"
#include "mainwindow/TransferQuestions.h"
#include "platform/TextCodec.h"
#include "queue/OverwriteDecision.h"
#include "queue/QueueModel.h"
#include "queue/TransferProgress.h"
#include "ui/FileListView.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"
#include "views/FtpMsg.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QSet>
#include <QTimer>

#include <algorithm>

namespace mainwindow {

// ---- the local pane as the runners see it ----

QString TMainForm::LocalPaneFolder() const
{
    return localPath();
}

void TMainForm::SetLocalPaneFolder(const QString &folder)
{
    // A run keeps the pane where the user left it: the pane watches the
    // folder it shows and re-reads it for every file that arrives there, so
    // following a tree walk into each folder made large folders crawl.
    if (operationMode() != omIdle)
        return;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (clean == localPath())
        return;
    localList_->setRootIndex(localModel_->setRootPath(clean));
    localFolderBox_->setEditText(QDir::toNativeSeparators(clean));
}

void TMainForm::RereadLocalPane()
{
    // The file-system model watches the folder it shows; new files appear
    // by themselves.
}

void TMainForm::SetLogEnabled(bool on)
{
    messenger_->setLogEnabled(on);
}

void TMainForm::LogStatus(const QString &text)
{
    messenger_->AddMessage(text, views::mkStatus);
}

void TMainForm::LogError(const QString &text)
{
    messenger_->AddMessage(text, views::mkError);
}

void TMainForm::localSelection(QStringList *folders, QStringList *files) const
{
    QAbstractItemView *view = localList_->currentView();
    if (!view || !view->selectionModel())
        return;
    // Every view style selects at least the first column of a row.
    QList<int> rows;
    QSet<int> seen;
    const QModelIndex root = view->rootIndex();
    for (const QModelIndex &index : view->selectionModel()->selectedIndexes()) {
        if (index.parent() != root || seen.contains(index.row()))
            continue;
        seen.insert(index.row());
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    for (int row : rows) {
        const QString path = localModel_->filePath(localModel_->index(row, 0, root));
        const QFileInfo info(path);
        if (info.isDir())
            folders->append(path);
        else if (info.isFile())
            files->append(path);
    }
}

// ---- commands ----

void TMainForm::LocalFileUpLoadClick()
{
    if (LocalPaneFolder().isEmpty() || !engineConnected() || !queueReady())
        return;
    QStringList folders, files;
    localSelection(&folders, &files);
    runner_->state().ApplyToAll = false;
    if (folders.isEmpty() && files.isEmpty())
        return;
    if (!ui::Confirm(this, UploadQuestion(folders, files)))
        return;
    runner_->UploadSelection(folders, files, mftp1_->CurrentDirectory());
}

void TMainForm::RemoteFileDownLoadClick()
{
    const QList<QByteArray> folders = remoteList()->SelectedFolders();
    const QList<QByteArray> files = remoteList()->SelectedFiles();
    if (!engineConnected() || engineBusy() || LocalPaneFolder().isEmpty() || (folders.isEmpty() && files.isEmpty())
        || operationMode() != omIdle)
        return;
    runner_->state().ApplyToAll = false;
    if (!ui::Confirm(this, DownloadQuestion(folders, files)))
        return;
    runner_->DownloadSelection(folders, files, LocalPaneFolder());
}

void TMainForm::LocalFileAddQueueClick()
{
    if (LocalPaneFolder().isEmpty() || !engineConnected() || !queueReady())
        return;
    QStringList folders, files;
    localSelection(&folders, &files);
    queue::AddUploadEntries(*queueModel_, false, folders, mftp1_->CurrentDirectory(), files);
}

void TMainForm::RemoteFileAddQueueClick()
{
    if (!engineConnected() || !queueReady() || LocalPaneFolder().isEmpty())
        return;
    const QList<QByteArray> folders = remoteList()->SelectedFolders();
    const QList<QByteArray> files = remoteList()->SelectedFiles();
    queue::AddDownloadEntries(*queueModel_, false, folders, LocalPaneFolder(), files, mftp1_->CurrentDirectory(),
                              mftp1_->FileList());
}

void TMainForm::RemoteFileToolStopClick()
{
    runner_->Stop();
}

// ---- the engine's questions ----

void TMainForm::answerResumeDecision(QString &value)
{
    const queue::ResumeFacts facts = queue::GatherResumeFacts(*mftp1_);
    queue::TransferState &state = runner_->state();
    if (presetAnswer_) {
        // Scripted runs: one answer for every existing file; a resume that
        // is not possible for a file skips it.
        value = *presetAnswer_;
        if (value == queue::AnswerResume() && !queue::ResumePossible(facts))
            value = queue::AnswerCancel();
        return;
    }
    if (!overDialog_)
        overDialog_ = new TOverDialog(this);
    queue::OverwriteMemory memory{state.ApplyToAll, state.RememberedAnswer};
    QString line;
    QString answer = AnswerResumeDecision(*overDialog_, facts, memory, &line);
    if (!line.isEmpty())
        LogStatus(line);
    // A dialog closed without one of its buttons leaves the file alone.
    if (answer.isEmpty())
        answer = memory.RememberedAnswer = queue::AnswerCancel();
    state.ApplyToAll = memory.ApplyToAll;
    state.RememberedAnswer = memory.RememberedAnswer;
    value = answer;
}

void TMainForm::answerOverwriteConfirm(QString &value)
{
    value = AnswerOverwriteConfirm(this, mftp1_->NewName());
}

} // namespace mainwindow
