#include "platform/MachineId.h"

#include <QFile>
#include <QSysInfo>

namespace platform {

QByteArray machineIdentityFrom(const QStringList &candidateFiles, const QByteArray &fallback)
{
    for (const QString &name : candidateFiles) {
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray id = f.read(256).trimmed();
        if (!id.isEmpty())
            return id;
    }
    const QByteArray host = fallback.trimmed();
    return host.isEmpty() ? QByteArrayLiteral("bramblewayftp-machine") : host;
}

QByteArray machineIdentity()
{
    static const QByteArray id = machineIdentityFrom(
        {QStringLiteral("/etc/machine-id"), QStringLiteral("/var/lib/dbus/machine-id")},
        QSysInfo::machineUniqueId().isEmpty() ? QSysInfo::machineHostName().toUtf8() : QSysInfo::machineUniqueId());
    return id;
}

} // namespace platform
