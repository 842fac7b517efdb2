#include "platform/Drive.h"

#include <QFile>

#include <sys/statvfs.h>

namespace platform {

bool isReadOnlyDrive(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct statvfs info;
    if (statvfs(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return (info.f_flag & ST_RDONLY) != 0;
}

} // namespace platform
