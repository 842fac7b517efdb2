#include "platform/AppPaths.h"

#include "platform/BuildInfo.h"

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

bool isInstalledProgramFolder(const QString &folder, const QString &installBinDir)
{
    const QString path = QDir::cleanPath(folder);
    if (!installBinDir.isEmpty() && path == QDir::cleanPath(installBinDir))
        return true;
    for (const char *root : {"/usr", "/opt", "/bin", "/sbin"}) {
        const QLatin1String r(root);
        if (path == r || (path.startsWith(r) && path.at(r.size()) == QLatin1Char('/')))
            return true;
    }
    return false;
}

bool programIsInstalled()
{
    return isInstalledProgramFolder(programFolder(), QString::fromUtf8(InstallBinDir));
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
    // The probe itself creates a file: never in an installed program's folder.
    const bool writable = home.trimmed().isEmpty()
        && !isInstalledProgramFolder(program, QString::fromUtf8(InstallBinDir)) && canCreateFilesIn(program);
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
