#pragma once
// Asynchronous host-name lookup. The result arrives through the Qt event loop
// as finished(error, addresses): error 0 with every address of the host, IPv6
// and IPv4, in the order the system resolver gives them (the order to try
// them in), or a lookup error number (WSAHOST_NOT_FOUND, WSANO_DATA, ...)
// with no addresses.

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

namespace platform {

class HostLookup : public QObject
{
    Q_OBJECT
public:
    explicit HostLookup(QObject *parent = nullptr);
    ~HostLookup() override;

    bool pending() const { return pending_; }
    void start(const QString &hostName);
    // Forgets the pending lookup; its result will not be reported.
    void cancel();

    // Names whose lookup fails with the given error number (WSAHOST_NOT_FOUND,
    // ...) without asking the system resolver, for tests.
    static void setFailingHosts(const QHash<QString, int> &errors);

    // Names answered from this table without asking the system resolver, so
    // tests can resolve names of any length without network access. Both
    // calls replace the whole table.
    static void setFixedHosts(const QHash<QString, quint32> &table);
    static void setFixedHostAddresses(const QHash<QString, QList<QHostAddress>> &table);

signals:
    void finished(int error, const QList<QHostAddress> &addresses);

private:
    static QHash<QString, int> &failingHosts();

    bool pending_ = false;
    int lookupId_ = -1;
    quint64 serial_ = 0;
};

} // namespace platform
