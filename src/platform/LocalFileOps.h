#pragma once
// Local file operations shared by the trash, the clipboard paste and the
// local pane's commands. Links are always handled as links: never followed,
// never copied as what they point to. Nothing here overwrites an existing
// name.

#include <QString>
#include <QStringList>

namespace platform {

// "name (n).ext" for a file, "name (n)" for a folder; a leading dot is part
// of the name (".bashrc (2)"). n >= 2.
QString numberedName(const QString &name, int n, bool isFolder);

// `name` when nothing called so exists in `dir`, else the first free
// numberedName (a dangling link counts as existing).
QString uniqueNameIn(const QString &dir, const QString &name, bool isFolder);

// True when something, even a dangling link, exists at `path`.
bool entryExists(const QString &path);

// Renames within one file system without replacing an existing target.
// On failure `error` receives the system's text and `crossDevice` tells
// whether the two paths lie on different file systems.
bool renameNoReplace(const QString &from, const QString &to, QString *error, bool *crossDevice = nullptr);

// Copies a file, a link or a whole folder tree to `to`, which must not
// exist; permissions and modification times are kept. Continues past
// entries that fail and lists them in `failed` as "path: reason".
// Returns true when everything was copied.
bool copyTree(const QString &from, const QString &to, QStringList *failed);

// Deletes a file, a link or a whole folder tree for good. Returns true when
// nothing is left; `error` gets the first failure otherwise.
bool removeForGood(const QString &path, QString *error);

// Absolute and clean, without resolving links of the last component.
QString absoluteClean(const QString &path);

// True when `inner` is `outer` or lies below it (clean absolute paths).
bool isSameOrInside(const QString &inner, const QString &outer);

} // namespace platform
