#include "platform/HostLookup.h"

#include "platform/WinSock.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QTimer>

namespace platform {

namespace {

QHash<QString, QList<QHostAddress>> &fixedHosts()
{
    static QHash<QString, QList<QHostAddress>> table;
    return table;
}

} // namespace

HostLookup::HostLookup(QObject *parent) : QObject(parent) {}

HostLookup::~HostLookup()
{
    cancel();
}

void HostLookup::setFixedHosts(const QHash<QString, quint32> &table)
{
    QHash<QString, QList<QHostAddress>> addresses;
    for (auto it = table.constBegin(); it != table.constEnd(); ++it)
        addresses.insert(it.key(), {QHostAddress(it.value())});
    fixedHosts() = addresses;
}

void HostLookup::setFixedHostAddresses(const QHash<QString, QList<QHostAddress>> &table)
{
    fixedHosts() = table;
}

void HostLookup::start(const QString &hostName)
{
    cancel();
    pending_ = true;
    const quint64 serial = ++serial_;

    if (const int failure = failingHosts().value(hostName.toLower()); failure != 0) {
        QTimer::singleShot(0, this, [this, serial, failure] {
            if (!pending_ || serial != serial_)
                return;
            pending_ = false;
            emit finished(failure, {});
        });
        return;
    }

    const auto fixed = fixedHosts().constFind(hostName.toLower());
    if (fixed != fixedHosts().constEnd()) {
        const QList<QHostAddress> addresses = *fixed;
        QTimer::singleShot(0, this, [this, serial, addresses] {
            if (!pending_ || serial != serial_)
                return;
            pending_ = false;
            emit finished(addresses.isEmpty() ? WSANO_DATA : 0, addresses);
        });
        return;
    }

    lookupId_ = QHostInfo::lookupHost(hostName, this, [this, serial](const QHostInfo &info) {
        if (!pending_ || serial != serial_)
            return;
        pending_ = false;
        lookupId_ = -1;
        int error = 0;
        QList<QHostAddress> addresses;
        switch (info.error()) {
        case QHostInfo::NoError:
            for (const QHostAddress &a : info.addresses()) {
                const auto protocol = a.protocol();
                if ((protocol == QAbstractSocket::IPv4Protocol || protocol == QAbstractSocket::IPv6Protocol)
                    && !addresses.contains(a))
                    addresses.append(a);
            }
            error = addresses.isEmpty() ? WSANO_DATA : 0;
            break;
        case QHostInfo::HostNotFound:
            error = WSAHOST_NOT_FOUND;
            break;
        default:
            error = WSANO_RECOVERY;
            break;
        }
        emit finished(error, addresses);
    });
}

void HostLookup::cancel()
{
    if (!pending_)
        return;
    pending_ = false;
    ++serial_;
    if (lookupId_ >= 0)
        QHostInfo::abortHostLookup(lookupId_);
    lookupId_ = -1;
}

QHash<QString, int> &HostLookup::failingHosts()
{
    static QHash<QString, int> table;
    return table;
}

void HostLookup::setFailingHosts(const QHash<QString, int> &errors)
{
    failingHosts() = errors;
}

} // namespace platform
