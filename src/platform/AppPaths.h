#pragma once
// Where the program keeps its files (Config.ini, ftp.dat, version.ini).
//
// Portable by default: beside the program file. When that folder cannot be
// written, or the program is installed (see isInstalledProgramFolder), a
// per-user configuration folder is used instead, and nothing is ever written
// into the program's folder. The environment variable BRAMBLEWAY_HOME, when
// set, names the folder outright (tests and demos use it so that a user's
// own settings are never touched).

#include <QString>

namespace platform {

inline constexpr const char *HomeVariable = "BRAMBLEWAY_HOME";

// Folder of the running program file.
QString programFolder();

// True when `folder` (a program's folder, absolute) holds an installed
// program: it is `installBinDir` (the build's install folder) or lies in the
// system's own folders /usr, /opt, /bin or /sbin. Such a folder is never
// written to, also not by root. Compares the texts only (no symbolic links
// resolved).
bool isInstalledProgramFolder(const QString &folder, const QString &installBinDir);

// isInstalledProgramFolder for the running program and this build's install
// folder.
bool programIsInstalled();

// The folder settings and the site book live in; created when missing.
QString dataFolder();

// dataFolder() + "/Config.ini".
QString configFilePath();

// The folder of the listing cache (FtpTempFile): inside BRAMBLEWAY_HOME when
// that is set, otherwise in the per-user cache folder
// (~/.cache/bramblewayftp/FtpTempFile, or under $XDG_CACHE_HOME). Not created
// here.
QString cacheFolder();

// Pure choice behind dataFolder(), for tests: `home` is the variable's value
// (empty when unset), `programDirWritable` whether the program folder can be
// written, `userFolder` the per-user configuration folder.
QString chooseDataFolder(const QString &home, const QString &programDir, bool programDirWritable,
                         const QString &userFolder);

} // namespace platform
