#include "engine/FtpCache.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ftpcache {

namespace {

constexpr qsizetype WriteChunk = 1 << 20;
constexpr qsizetype MaxKeyLength = 200;
constexpr qsizetype KeptOfLongKey = 160;
constexpr int FieldsPerEntry = 8;

bool IsAnonymousUser(const QString &user)
{
    return user.compare(QLatin1String("ftp"), Qt::CaseInsensitive) == 0
        || user.compare(QLatin1String("anonymous"), Qt::CaseInsensitive) == 0;
}

QByteArray Escaped(const QByteArray &text)
{
    static const char Hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text) {
        const uchar u = uchar(c);
        if (u < 0x20 || u == 0x7F || QByteArrayView("%/\\\"*:?<>|()[]").contains(c)) {
            out += '%';
            out += Hex[u >> 4];
            out += Hex[u & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

bool WriteAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool ReadAll(const QByteArray &path, qint64 expected, QByteArray *text)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    text->resize(qsizetype(expected));
    qsizetype done = 0;
    bool ok = true;
    while (done < text->size()) {
        const ssize_t n = ::read(fd, text->data() + done, size_t(text->size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
    text->truncate(done);
    return ok;
}

int DateNumber(const QDate &date)
{
    return date.year() * 10000 + date.month() * 100 + date.day();
}

} // namespace

QByteArray CacheKey(const QString &server, int port, const QString &user, const QByteArray &directory)
{
    QByteArray key = Escaped(server.toUtf8()) + '[' + QByteArray::number(port) + "]-";
    if (!IsAnonymousUser(user))
        key += '(' + Escaped(user.toUtf8()) + ")-";
    key += Escaped(directory);
    if (key.size() > MaxKeyLength)
        key = key.left(KeptOfLongKey) + '~' + QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex();
    return key;
}

QByteArray CacheFilePath(const QString &folder, const QString &server, int port, const QString &user,
                         const QByteArray &directory, Kind kind)
{
    QByteArray path = QFile::encodeName(folder);
    if (!path.endsWith('/'))
        path += '/';
    return path + CacheKey(server, port, user, directory) + ".cache" + char(kind);
}

int TodayNumber()
{
    return DateNumber(QDate::currentDate());
}

bool LoadCache(const QByteArray &path, TMFtpFileInfoList &list, int expireDays, int today)
{
    struct stat st {};
    if (path.contains('\0') || ::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (expireDays > 0) {
        const QDate modified = QDateTime::fromSecsSinceEpoch(st.st_mtime).date();
        if (today >= DateNumber(modified) + expireDays)
            return false;
    }
    QByteArray text;
    if (!ReadAll(path, qint64(st.st_size), &text))
        return false;

    qsizetype at = 0;
    const auto nextLine = [&](QByteArrayView &line) {
        if (at >= text.size())
            return false;
        qsizetype end = text.indexOf('\n', at);
        if (end < 0)
            end = text.size();
        qsizetype length = end - at;
        if (length > 0 && text.at(at + length - 1) == '\r')
            --length;
        line = QByteArrayView(text.constData() + at, length);
        at = end + 1;
        return true;
    };
    QByteArrayView line;
    if (!nextLine(line))
        return false;
    bool ok = false;
    const qlonglong count = line.toLongLong(&ok);
    if (!ok || count < 0 || count > text.size() / FieldsPerEntry)
        return false;
    TMFtpFileInfoList loaded;
    QByteArrayView fields[FieldsPerEntry];
    for (qlonglong i = 0; i < count; ++i) {
        for (QByteArrayView &field : fields) {
            if (!nextLine(field))
                return false;
        }
        loaded.Add(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], fields[7]);
    }
    list.Assign(loaded);
    return true;
}

bool SaveCache(const QByteArray &path, const TMFtpFileInfoList &list)
{
    if (path.contains('\0'))
        return false;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    static constexpr TFileInfoField Order[FieldsPerEntry] = {fiFileName, fiAttributes, fiModifiedDate, fiFileSize,
                                                             fiLinkTo,   fiOwner,      fiGroup,        fiDescription};
    QByteArray out = QByteArray::number(list.Count()) + "\r\n";
    bool ok = true;
    for (int i = 0; i < list.Count() && ok; ++i) {
        for (const TFileInfoField field : Order) {
            const QByteArrayView text = list.Field(field, i);
            if (text.contains('\n') || text.contains('\r')) {
                ok = false;
                break;
            }
            out.append(text);
            out.append("\r\n", 2);
        }
        if (out.size() >= WriteChunk) {
            ok = ok && WriteAll(fd, out);
            out.clear();
        }
    }
    ok = ok && WriteAll(fd, out);
    ok = (::close(fd) == 0) && ok;
    if (!ok)
        ::unlink(path.constData());
    return ok;
}

void RemoveCacheFile(const QByteArray &path)
{
    if (!path.contains('\0'))
        ::unlink(path.constData());
}

void PrepareFolder(const QString &folder)
{
    QDir().mkpath(folder);
}

void EmptyFolder(const QString &folder)
{
    QByteArray base = QFile::encodeName(folder);
    DIR *dir = ::opendir(base.constData());
    if (!dir)
        return;
    if (!base.endsWith('/'))
        base += '/';
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.endsWith(".cached") || name.endsWith(".cachef"))
            ::unlink((base + name).constData());
    }
    ::closedir(dir);
}

} // namespace ftpcache
