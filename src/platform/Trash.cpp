#include "platform/Trash.h"

#include "platform/LocalFileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

bool lstatOf(const QString &path, struct stat *info)
{
    return ::lstat(native(path).constData(), info) == 0;
}

bool statOf(const QString &path, struct stat *info)
{
    return ::stat(native(path).constData(), info) == 0;
}

// A folder of ours: an existing real folder owned by `uid`, or one made now.
bool ownFolder(const QString &path, unsigned uid, QString *error)
{
    struct stat info;
    if (!lstatOf(path, &info)) {
        if (::mkdir(native(path).constData(), 0700) != 0 || !lstatOf(path, &info)) {
            if (error)
                *error = path + QStringLiteral(": ") + qt_error_string(errno);
            return false;
        }
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != uid) {
        if (error)
            *error = path + QStringLiteral(": not a folder of this user");
        return false;
    }
    return true;
}

bool makeFolders(const QString &path)
{
    struct stat info;
    if (lstatOf(path, &info))
        return S_ISDIR(info.st_mode);
    if (!QDir().mkpath(path))
        return false;
    ::chmod(native(path).constData(), 0700);
    return true;
}

// Info files are NAME.trashinfo; keep that within the file system's limit.
QString fitName(QString name)
{
    const int limit = 255 - 10 - 8; // ".trashinfo" and room for " (nnnn)"
    while (native(name).size() > limit && name.size() > 1)
        name.chop(1);
    return name;
}

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// The path with its folder resolved (the item itself may be a link).
QString withCanonicalFolder(const QString &absolute)
{
    const QString folder = QFileInfo(parentOf(absolute)).canonicalFilePath();
    if (folder.isEmpty())
        return absolute;
    return folder == QLatin1String("/") ? folder + QFileInfo(absolute).fileName()
                                        : folder + QLatin1Char('/') + QFileInfo(absolute).fileName();
}

} // namespace

QString homeTrashPath()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data + QStringLiteral("/Trash"));
}

QByteArray trashInfoText(const QString &originalPath, const QString &pathBase, const QDateTime &when)
{
    QString path = originalPath;
    if (!pathBase.isEmpty()) {
        const QString prefix = pathBase.endsWith(QLatin1Char('/')) ? pathBase : pathBase + QLatin1Char('/');
        if (originalPath.startsWith(prefix) && originalPath.size() > prefix.size())
            path = originalPath.mid(prefix.size());
    }
    QByteArray text("[Trash Info]\nPath=");
    text += native(path).toPercentEncoding("/");
    text += "\nDeletionDate=";
    text += when.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1();
    text += '\n';
    return text;
}

std::optional<QString> topdirTrash(const QString &topdir, unsigned uid, QString *error)
{
    const QString base = topdir == QLatin1String("/") ? QString() : topdir;
    const QString shared = base + QStringLiteral("/.Trash");
    struct stat info;
    if (lstatOf(shared, &info) && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX)) {
        const QString mine = shared + QLatin1Char('/') + QString::number(uid);
        if (ownFolder(mine, uid, nullptr))
            return mine;
    }
    const QString own = base + QStringLiteral("/.Trash-") + QString::number(uid);
    if (ownFolder(own, uid, error))
        return own;
    return std::nullopt;
}

std::optional<TrashLocation> trashFor(const QString &path, TrashFailure *why, QString *error)
{
    struct stat item;
    const QString absolute = absoluteClean(path);
    if (!lstatOf(absolute, &item)) {
        *why = TrashFailure::Missing;
        if (error)
            *error = qt_error_string(errno);
        return std::nullopt;
    }
    const QString real = withCanonicalFolder(absolute);
    const QString home = homeTrashPath();
    const QString realHome = QFileInfo(home).exists() ? QFileInfo(home).canonicalFilePath() : home;
    for (const QString &p : {absolute, real})
        for (const QString &h : {home, realHome})
            if (isSameOrInside(p, h) || isSameOrInside(h, p)) {
                *why = TrashFailure::IsTrash;
                return std::nullopt;
            }

    // Items on the home trash's file system go there or nowhere.
    QString existing = home;
    struct stat trash;
    while (!statOf(existing, &trash) && existing != QLatin1String("/"))
        existing = parentOf(existing);
    if (trash.st_dev == item.st_dev) {
        if (makeFolders(home) && statOf(home, &trash) && trash.st_dev == item.st_dev)
            return TrashLocation{home, QString()};
        *why = TrashFailure::NoTrash;
        if (error)
            *error = home + QStringLiteral(": ") + qt_error_string(errno);
        return std::nullopt;
    }

    // Another file system: its own trash at its mount point.
    QString top = parentOf(real);
    struct stat folder;
    if (!statOf(top, &folder) || folder.st_dev != item.st_dev) {
        *why = TrashFailure::NoTrash; // the item is a mount point itself
        return std::nullopt;
    }
    while (top != QLatin1String("/")) {
        const QString up = parentOf(top);
        if (!statOf(up, &folder) || folder.st_dev != item.st_dev)
            break;
        top = up;
    }
    QString why2;
    const std::optional<QString> dir = topdirTrash(top, unsigned(::getuid()), &why2);
    if (!dir) {
        *why = TrashFailure::NoTrash;
        if (error)
            *error = why2;
        return std::nullopt;
    }
    if (isSameOrInside(real, *dir) || isSameOrInside(*dir, real)) {
        *why = TrashFailure::IsTrash;
        return std::nullopt;
    }
    return TrashLocation{*dir, top};
}

TrashOutcome moveIntoTrash(const QString &path, const TrashLocation &location)
{
    TrashOutcome out;
    const QString absolute = absoluteClean(path);
    struct stat item;
    if (!lstatOf(absolute, &item)) {
        out.failure = TrashFailure::Missing;
        out.error = qt_error_string(errno);
        return out;
    }
    const QString files = location.dir + QStringLiteral("/files");
    const QString info = location.dir + QStringLiteral("/info");
    if (!makeFolders(files) || !makeFolders(info)) {
        out.failure = TrashFailure::NoTrash;
        out.error = location.dir + QStringLiteral(": ") + qt_error_string(errno);
        return out;
    }
    const QString original = location.pathBase.isEmpty() ? absolute : withCanonicalFolder(absolute);
    const QString name = fitName(QFileInfo(absolute).fileName());
    const bool folder = S_ISDIR(item.st_mode);
    for (int n = 1; n < 100000; ++n) {
        const QString candidate = n == 1 ? name : numberedName(name, n, folder);
        const QString infoFile = info + QLatin1Char('/') + candidate + QStringLiteral(".trashinfo");
        // The info file is made first and exclusively: it reserves the name.
        const int fd = ::open(native(infoFile).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            out.failure = TrashFailure::InfoNotWritten;
            out.error = infoFile + QStringLiteral(": ") + qt_error_string(errno);
            return out;
        }
        const QString target = files + QLatin1Char('/') + candidate;
        if (entryExists(target)) {
            ::close(fd);
            ::unlink(native(infoFile).constData());
            continue;
        }
        const QByteArray text = trashInfoText(original, location.pathBase, QDateTime::currentDateTime());
        const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
        const int writeError = errno;
        if (::close(fd) != 0 || !written) {
            ::unlink(native(infoFile).constData());
            out.failure = TrashFailure::InfoNotWritten;
            out.error = infoFile + QStringLiteral(": ") + qt_error_string(written ? errno : writeError);
            return out;
        }
        QString error;
        if (!renameNoReplace(absolute, target, &error)) {
            ::unlink(native(infoFile).constData());
            out.failure = TrashFailure::MoveFailed;
            out.error = error;
            return out;
        }
        out.trashedAs = target;
        out.infoFile = infoFile;
        return out;
    }
    out.failure = TrashFailure::InfoNotWritten;
    return out;
}

TrashOutcome moveToTrash(const QString &path)
{
    TrashOutcome out;
    const std::optional<TrashLocation> location = trashFor(path, &out.failure, &out.error);
    if (!location)
        return out;
    return moveIntoTrash(path, *location);
}

} // namespace platform
