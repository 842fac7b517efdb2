#include "platform/HostLookup.h"

#include "platform/WinSock.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QTimer>

namespace platform {

namespace {

QHash<QString, quint32> &fixedHosts()
{
    static QHash<QString, quint32> table;
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
        const quint32 address = *fixed;
        QTimer::singleShot(0, this, [this, serial, address] {
            if (!pending_ || serial != serial_)
                return;
            pending_ = false;
            emit finished(0, address);
        });
        return;
    }

    lookupId_ = QHostInfo::lookupHost(hostName, this, [this, serial](const QHostInfo &info) {
        if (!pending_ || serial != serial_)
            return;
        pending_ = false;
        lookupId_ = -1;
        int error = 0;
        quint32 address = 0;
        switch (info.error()) {
        case QHostInfo::NoError:
            error = WSANO_DATA;
            for (const QHostAddress &a : info.addresses()) {
                bool ok = false;
                const quint32 v4 = a.toIPv4Address(&ok);
                if (ok) {
                    address = v4;
                    error = 0;
                    break;
                }
            }
            break;
        case QHostInfo::HostNotFound:
            error = WSAHOST_NOT_FOUND;
            break;
        default:
            error = WSANO_RECOVERY;
            break;
        }
        emit finished(error, address);
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
