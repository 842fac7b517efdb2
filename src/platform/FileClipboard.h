#pragma once
// File lists on the clipboard as desktop file managers exchange them, and
// pasting such a list into a folder.
//
// Written: text/uri-list, x-special/gnome-copied-files ("copy" or "cut",
// then one file:// address a line), application/x-kde-cutselection ("1"
// for a cut) and text/plain with the paths, one a line.
// Read: x-special/gnome-copied-files first; else text/uri-list, a cut when
// application/x-kde-cutselection says "1"; else the text form some file
// managers use ("x-special/nautilus-clipboard", then copy or cut, then the
// addresses). Only local files count; other addresses are left out.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QMimeData;

namespace platform {

struct ClipboardFiles
{
    QStringList paths; // absolute local paths
    bool cut = false;
};

// Fills `data` with the formats above (any earlier content stays).
void putFileList(QMimeData *data, const ClipboardFiles &files);

// The local files `data` offers; nullopt when there are none.
std::optional<ClipboardFiles> fileListFrom(const QMimeData *data);

// Whether `data` offers one of the file-list formats (formats only; the
// content may still hold no local file).
bool offersFileList(const QMimeData *data);

enum class PasteProblem {
    SourceMissing,  // the item is gone
    TargetMissing,  // the folder to paste into is not a folder
    IntoItself,     // a folder pasted into itself or below itself
    CopyFailed,     // not everything could be copied (detail: what failed)
    MoveFailed,     // the rename failed (detail: why)
    SourceKept,     // moved by copying, but the original could not be removed
};

struct PasteFailure
{
    QString source;
    PasteProblem problem;
    QString detail;
};

struct PasteOutcome
{
    QStringList created;          // the new items in the target folder
    QList<PasteFailure> failures;
};

// Copies the listed items, or for a cut moves them, into `targetFolder`.
// Folders go with everything inside; links stay links. An item whose name
// is taken there gets the first free "name (n).ext" instead; nothing is
// overwritten. A cut item already in `targetFolder` stays as it is. A move
// to another file system copies first and removes the original only when
// the whole copy succeeded.
PasteOutcome pasteFiles(const ClipboardFiles &files, const QString &targetFolder);

} // namespace platform
