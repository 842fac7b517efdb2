#pragma once
// TOverDialog: asks whether an existing target is overwritten ("覆  盖"),
// resumed ("续  传") or skipped ("跳  过"), showing both files' sizes and
// dates; the box "全部" keeps the answer for the rest of the run.

#include "queue/OverwriteDecision.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <utility>

class QCheckBox;
class QLabel;
class QPushButton;

namespace mainwindow {

class TOverDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 399;
    static constexpr int ClientHeight = 169;

    explicit TOverDialog(QWidget *owner = nullptr);

    // Sets every text for the current language and these facts, enables
    // ResumeButton exactly when resume is possible, unticks the box and shows
    // the dialog modally. Returns "Overwrite", "Resume" or "Cancel" after the
    // buttons, "" when the dialog was closed otherwise; *applyToAll (when
    // given) receives the state of the box.
    QString Ask(const queue::ResumeFacts &facts, bool *applyToAll);

    // Sets the texts, icons and the resume button without showing (Ask's
    // first steps).
    void Prepare(const queue::ResumeFacts &facts);

    // Tests and scripted runs answer here instead of a person: when a hook is
    // set, Ask prepares the dialog, calls the hook instead of showing it and
    // returns its answer and box state; std::nullopt stands for a dialog
    // closed without a button. An empty hook restores the real dialog.
    using AnswerHook =
        std::function<std::optional<std::pair<QString, bool>>(const TOverDialog &dialog, const queue::ResumeFacts &facts)>;
    static void SetAnswerHook(AnswerHook hook);

private:
    void Choose(const QString &answer, int result);

    QLabel *msgText_;
    QLabel *label5_;
    QLabel *localIcon_;
    QLabel *localFileSize_;
    QLabel *localFileDate_;
    QLabel *label6_;
    QLabel *remoteIcon_;
    QLabel *remoteFileSize_;
    QLabel *remoteFileDate_;
    QPushButton *overButton_;
    QPushButton *resumeButton_;
    QPushButton *cancelButton_;
    QCheckBox *allOverOperation_;
    QString answer_;
};

// The main window's answer to the engine's resume decision: shortcut files
// and remembered answers without the dialog (writing the status line to
// *statusLine when one is due), otherwise the dialog, whose answer becomes
// memory.RememberedAnswer and whose box becomes memory.ApplyToAll.
QString AnswerResumeDecision(TOverDialog &dialog, const queue::ResumeFacts &facts, queue::OverwriteMemory &memory,
                             QString *statusLine);

// The answer to a rename or move onto an existing remote name: "Overwrite"
// when the confirmation box is answered yes, "" otherwise.
QString AnswerOverwriteConfirm(QWidget *owner, const QByteArray &newName);

} // namespace mainwindow
