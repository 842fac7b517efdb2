#pragma once
// What kind of place a local folder lies on. The window disables commands
// that would write to a folder on a read-only medium (a CD-ROM drive on
// systems with drive letters; any read-only mount here).

#include <QString>

namespace platform {

// True when the file system holding `path` is mounted read-only.
bool isReadOnlyDrive(const QString &path);

} // namespace platform
