#pragma once
// The answer to the engine's question whether an existing target is
// overwritten, resumed or skipped, and the texts of that question. No
// widgets here: the overwrite dialog shows what these functions decide.

#include <QByteArray>
#include <QString>

#include <optional>

class TMFtp;

namespace queue {

// What the decision needs to know about the transfer the engine is starting.
struct ResumeFacts
{
    bool download = true;         // the engine's Operation is opDownload (else opUpload)
    QString localFile;            // the engine's LocalFile
    QByteArray remoteFile;        // the engine's RemoteFile
    bool serverCanResume = false; // the engine's CanResume()
    qint64 localSize = -1;        // GetLocalFileSize(localFile), -1 when missing
    qint64 remoteSize = -1;       // FileSize of the remote file's record in FileList; -1 when absent or not a number
    QByteArray remoteDate;        // that record's ModifiedDate, unchanged
};

// The facts of the engine's current transfer. The remote record is looked up
// by RemoteFile in the engine's FileList; a RemoteFile given as a path of
// the current folder is looked up by its last component as well.
ResumeFacts GatherResumeFacts(const TMFtp &engine);

// A download resumes when the server can resume and the local file is
// shorter than a non-empty remote one; an upload when the server can resume
// and the remote file is shorter than a non-empty local one.
bool ResumePossible(const ResumeFacts &facts);

// The answers exchanged with the engine.
QString AnswerOverwrite(); // "Overwrite"
QString AnswerResume();    // "Resume"
QString AnswerCancel();    // "Cancel"

// The overwrite dialog's last answer and its "all files" box, kept for a run.
struct OverwriteMemory
{
    bool ApplyToAll = false;
    QString RememberedAnswer;
};

// The status line written when a remembered "Resume" cannot be applied.
QString NothingToDoText(); // "I am afraid I have nothing to do"

// The answer given without showing the dialog, std::nullopt when the dialog
// must ask:
// - a local file with the extension ".lnk" (any case) is skipped ("Cancel");
//   nothing is remembered;
// - with ApplyToAll and a RememberedAnswer, that answer; a remembered
//   "Resume" that is not possible for this file gives "Cancel" and sets
//   *statusLine (when given) to NothingToDoText().
std::optional<QString> AnswerWithoutDialog(const ResumeFacts &facts, const OverwriteMemory &memory,
                                           QString *statusLine);

// The last-write time of the file-system object at `path` shown in UTC+8
// whatever the computer's time zone, "yyyy-MM-dd hh:mm"; empty when nothing
// is there.
QString LocalFileDateText(const QString &path);

// The question of the overwrite dialog with the last component of the
// local path in place.
QString OverwriteQuestion(bool download, const QString &localFile, bool simplified);
// " 字节" / " 字節".
QString ByteSuffix(bool simplified);

// The confirmation shown when a rename or move target exists on the server
// (CR is "\r"); the name is decoded for display.
QString OverwriteConfirmText(const QByteArray &newName, bool simplified);

} // namespace queue
