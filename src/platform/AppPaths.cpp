#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace platform {
namespace {

// A folder is writable when a file can really be created in it (access()
// alone is fooled by read-only mounts and some network folders).
bool canCreateFilesIn(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.bw-write-probe-XXXXXX"));
    return probe.open();
}

QString userConfigFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (base.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : base)
        + QStringLiteral("/bramblewayftp");
}

} // namespace

QString programFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    return self.exists() ? QFileInfo(self.symLinkTarget()).absolutePath() : QDir::currentPath();
}

QString chooseDataFolder(const QString &home, const QString &programDir, bool programDirWritable,
                         const QString &userFolder)
{
    if (!home.trimmed().isEmpty())
        return QDir::cleanPath(QDir(home.trimmed()).absolutePath());
    return programDirWritable ? programDir : userFolder;
}

QString dataFolder()
{
    const QString home = qEnvironmentVariable(HomeVariable);
    const QString program = programFolder();
    const bool writable = home.trimmed().isEmpty() && canCreateFilesIn(program);
    const QString folder = chooseDataFolder(home, program, writable, userConfigFolder());
    QDir().mkpath(folder);
    return folder;
}

QString cacheFolder()
{
    const QString home = qEnvironmentVariable(HomeVariable).trimmed();
    if (!home.isEmpty())
        return QDir::cleanPath(QDir(home).absolutePath()) + QStringLiteral("/FtpTempFile");
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/bramblewayftp/FtpTempFile");
}

QString configFilePath()
{
    return dataFolder() + QStringLiteral("/Config.ini");
}

} // namespace platform
