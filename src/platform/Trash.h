#pragma once
// Moving files and folders to the desktop's trash as file managers do
// (freedesktop.org trash, version 1.0): the item goes to `files/NAME` of a
// trash directory and `info/NAME.trashinfo` records where it came from and
// when it was deleted, so the file manager can put it back.
//
// Items on the file system of the home trash ($XDG_DATA_HOME/Trash, by
// default ~/.local/share/Trash) go there; items on another file system go
// to that file system's own trash, $topdir/.Trash/$uid when the
// administrator provides one, else $topdir/.Trash-$uid. An item is only
// ever renamed into a trash, never copied: where no trash can be used the
// item stays where it is and the call fails.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace platform {

enum class TrashFailure {
    None,
    Missing,         // nothing at that path
    IsTrash,         // the item is a trash directory or holds one
    NoTrash,         // its file system has no trash this user may use
    InfoNotWritten,  // the info file could not be written
    MoveFailed,      // the rename into files/ failed
};

struct TrashOutcome
{
    TrashFailure failure = TrashFailure::None;
    QString error;      // the system's text, when there is one
    QString trashedAs;  // files/NAME inside the trash that was used
    QString infoFile;   // info/NAME.trashinfo

    bool ok() const { return failure == TrashFailure::None; }
};

// The home trash directory (not created here).
QString homeTrashPath();

// Moves one file, link (not what it points to) or folder tree to the trash.
TrashOutcome moveToTrash(const QString &path);

// A trash directory and what the Path key of its info files is relative to:
// empty for the home trash (absolute paths), the mount point for the trash
// of another file system.
struct TrashLocation
{
    QString dir;
    QString pathBase;
};

// The trash `path` would go to, created when missing; nullopt with `why`
// set when there is none.
std::optional<TrashLocation> trashFor(const QString &path, TrashFailure *why, QString *error);

// The trash directory of the file system mounted at `topdir` for user
// `uid`: `topdir/.Trash/uid` when `topdir/.Trash` is a real folder (not a
// link) with the sticky bit, else `topdir/.Trash-uid`; either is created
// when missing. nullopt when neither can be used.
std::optional<QString> topdirTrash(const QString &topdir, unsigned uid, QString *error);

// Moves `path` into the trash directory `location` (files/ and info/ are
// created when missing). The trash must be on the item's file system.
TrashOutcome moveIntoTrash(const QString &path, const TrashLocation &location);

// The text of an info file for `originalPath` deleted at `when` (local
// time), with Path relative to `pathBase` when that is given.
QByteArray trashInfoText(const QString &originalPath, const QString &pathBase, const QDateTime &when);

} // namespace platform
