#include "platform/LocalFileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

QString systemError(int code)
{
    return qt_error_string(code);
}

QString failure(const QString &path, int code)
{
    return path + QStringLiteral(": ") + systemError(code);
}

// The names in a folder, without "." and "..", links and hidden entries
// included; false when the folder cannot be read.
bool listFolder(const QString &path, QStringList *names, int *code)
{
    DIR *dir = ::opendir(native(path).constData());
    if (!dir) {
        *code = errno;
        return false;
    }
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const char *n = entry->d_name;
        if (qstrcmp(n, ".") == 0 || qstrcmp(n, "..") == 0)
            continue;
        names->append(QFile::decodeName(n));
    }
    *code = errno;
    ::closedir(dir);
    return *code == 0;
}

void keepTimes(const QString &path, const struct stat &source)
{
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    ::utimensat(AT_FDCWD, native(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

bool copyFile(const QString &from, const QString &to, const struct stat &info, QStringList *failed)
{
    const int in = ::open(native(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        failed->append(failure(from, errno));
        return false;
    }
    const int out = ::open(native(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        failed->append(failure(to, errno));
        ::close(in);
        return false;
    }
    std::vector<char> buffer(1 << 20);
    int code = 0;
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            code = errno;
            break;
        }
        if (got == 0)
            break;
        ssize_t done = 0;
        while (done < got) {
            const ssize_t put = ::write(out, buffer.data() + done, size_t(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                code = errno;
                break;
            }
            done += put;
        }
        if (code)
            break;
    }
    ::fchmod(out, info.st_mode & 07777);
    if (::close(out) != 0 && !code)
        code = errno;
    ::close(in);
    if (code) {
        // A half-written copy is worse than none.
        ::unlink(native(to).constData());
        failed->append(failure(from, code));
        return false;
    }
    keepTimes(to, info);
    return true;
}

bool copyEntry(const QString &from, const QString &to, QStringList *failed)
{
    struct stat info;
    if (::lstat(native(from).constData(), &info) != 0) {
        failed->append(failure(from, errno));
        return false;
    }
    if (S_ISLNK(info.st_mode)) {
        std::vector<char> target(size_t(info.st_size > 0 ? info.st_size : 4096) + 1);
        const ssize_t length = ::readlink(native(from).constData(), target.data(), target.size() - 1);
        if (length < 0) {
            failed->append(failure(from, errno));
            return false;
        }
        target[size_t(length)] = '\0';
        if (::symlink(target.data(), native(to).constData()) != 0) {
            failed->append(failure(to, errno));
            return false;
        }
        keepTimes(to, info);
        return true;
    }
    if (S_ISREG(info.st_mode))
        return copyFile(from, to, info, failed);
    if (!S_ISDIR(info.st_mode)) {
        failed->append(from + QStringLiteral(": ") + QStringLiteral("not a file, folder or link"));
        return false;
    }
    if (::mkdir(native(to).constData(), 0700) != 0) {
        failed->append(failure(to, errno));
        return false;
    }
    QStringList names;
    int code = 0;
    bool ok = listFolder(from, &names, &code);
    if (!ok)
        failed->append(failure(from, code));
    for (const QString &name : names)
        ok = copyEntry(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name, failed) && ok;
    ::chmod(native(to).constData(), info.st_mode & 07777);
    keepTimes(to, info);
    return ok;
}

} // namespace

QString numberedName(const QString &name, int n, bool isFolder)
{
    const QString number = QStringLiteral(" (%1)").arg(n);
    if (isFolder)
        return name + number;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return name + number;
    return name.left(dot) + number + name.mid(dot);
}

bool entryExists(const QString &path)
{
    struct stat info;
    return ::lstat(native(path).constData(), &info) == 0;
}

QString uniqueNameIn(const QString &dir, const QString &name, bool isFolder)
{
    const QString base = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    if (!entryExists(base + name))
        return name;
    for (int n = 2;; ++n) {
        const QString candidate = numberedName(name, n, isFolder);
        if (!entryExists(base + candidate))
            return candidate;
    }
}

bool renameNoReplace(const QString &from, const QString &to, QString *error, bool *crossDevice)
{
    if (crossDevice)
        *crossDevice = false;
    const QByteArray f = native(from), t = native(to);
    int result = ::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // File systems without the flag: check, then rename.
        if (entryExists(to)) {
            errno = EEXIST;
        } else {
            result = ::rename(f.constData(), t.constData());
        }
    }
    if (result == 0)
        return true;
    const int code = errno;
    if (crossDevice)
        *crossDevice = code == EXDEV;
    if (error)
        *error = systemError(code);
    return false;
}

bool copyTree(const QString &from, const QString &to, QStringList *failed)
{
    if (entryExists(to)) {
        failed->append(failure(to, EEXIST));
        return false;
    }
    return copyEntry(from, to, failed);
}

bool removeForGood(const QString &path, QString *error)
{
    const QByteArray p = native(path);
    struct stat info;
    if (::lstat(p.constData(), &info) != 0) {
        if (error)
            *error = failure(path, errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        if (::unlink(p.constData()) == 0)
            return true;
        if (error)
            *error = failure(path, errno);
        return false;
    }
    QStringList names;
    int code = 0;
    bool ok = true;
    QString first;
    if (!listFolder(path, &names, &code)) {
        // A folder we may not list may still be empty and removable.
        first = failure(path, code);
    }
    for (const QString &name : names) {
        QString inner;
        if (!removeForGood(path + QLatin1Char('/') + name, &inner)) {
            ok = false;
            if (first.isEmpty())
                first = inner;
        }
    }
    if (ok && ::rmdir(p.constData()) == 0)
        return true;
    if (ok && first.isEmpty())
        first = failure(path, errno);
    if (error)
        *error = first;
    return false;
}

QString absoluteClean(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool isSameOrInside(const QString &inner, const QString &outer)
{
    if (inner == outer)
        return true;
    const QString prefix = outer.endsWith(QLatin1Char('/')) ? outer : outer + QLatin1Char('/');
    return inner.startsWith(prefix);
}

} // namespace platform
