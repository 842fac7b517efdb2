#include "platform/LocalFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
int openPath(const QString &path, int flags)
{
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), flags | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}
} // namespace

bool LocalFile::exists(const QString &path)
{
    struct stat st {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

bool LocalFile::openReadWrite(const QString &path)
{
    close();
    fd_ = openPath(path, O_RDWR);
    error_ = fd_ < 0 ? errno : 0;
    return fd_ >= 0;
}

bool LocalFile::create(const QString &path)
{
    close();
    fd_ = openPath(path, O_RDWR | O_CREAT | O_TRUNC);
    error_ = fd_ < 0 ? errno : 0;
    return fd_ >= 0;
}

bool LocalFile::openReadOnly(const QString &path)
{
    close();
    fd_ = openPath(path, O_RDONLY);
    error_ = fd_ < 0 ? errno : 0;
    if (fd_ >= 0) {
        struct stat st {};
        if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
            close();
            error_ = EISDIR;
        }
    }
    return fd_ >= 0;
}

bool LocalFile::createBeside(const QString &path, QString *created)
{
    close();
    // The name stays well within the longest a folder entry may have.
    constexpr qsizetype MaxNameBytes = 200;
    const QFileInfo info(path);
    QString name = info.fileName();
    while (QFile::encodeName(name).size() > MaxNameBytes)
        name.chop(1);
    QByteArray pattern = QFile::encodeName(info.path()) + "/." + QFile::encodeName(name) + ".XXXXXX";
    int fd;
    do {
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    error_ = fd < 0 ? errno : 0;
    if (fd < 0)
        return false;
    fd_ = fd;
    *created = QFile::decodeName(pattern);
    return true;
}

int LocalFile::replace(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    struct stat st {};
    if (::stat(target.constData(), &st) == 0)
        ::chmod(source.constData(), st.st_mode & 07777);
    return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
}

void LocalFile::remove(const QString &path)
{
    if (!path.isEmpty())
        ::unlink(QFile::encodeName(path).constData());
}

void LocalFile::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    position_ = 0;
}

qint64 LocalFile::size()
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        error_ = fd_ < 0 ? EBADF : errno;
        return -1;
    }
    return qint64(st.st_size);
}

bool LocalFile::truncate(qint64 length)
{
    if (fd_ < 0 || ::ftruncate(fd_, off_t(length)) != 0) {
        error_ = fd_ < 0 ? EBADF : errno;
        return false;
    }
    return true;
}

qint64 LocalFile::write(const char *data, qint64 length)
{
    qint64 done = 0;
    while (fd_ >= 0 && done < length) {
        const ssize_t n = ::pwrite(fd_, data + done, size_t(length - done), off_t(position_));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = n < 0 ? errno : ENOSPC;
            break;
        }
        done += n;
        position_ += n;
    }
    return done;
}

qint64 LocalFile::read(char *buffer, qint64 length)
{
    for (;;) {
        if (fd_ < 0) {
            error_ = EBADF;
            return -1;
        }
        const ssize_t n = ::pread(fd_, buffer, size_t(length), off_t(position_));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error_ = errno;
            return -1;
        }
        position_ += n;
        return n;
    }
}

} // namespace platform
