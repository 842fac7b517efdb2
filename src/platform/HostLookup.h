#pragma once
// Asynchronous host-name lookup for IPv4. The result arrives through the Qt
// event loop as finished(error, address): error 0 with the first IPv4 address
// of the host, or a lookup error number (WSAHOST_NOT_FOUND, WSANO_DATA, ...).

#include <QHash>
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
    // tests can resolve names of any length without network access.
    static void setFixedHosts(const QHash<QString, quint32> &table);

signals:
    void finished(int error, quint32 address);

private:
    static QHash<QString, int> &failingHosts();

    bool pending_ = false;
    int lookupId_ = -1;
    quint64 serial_ = 0;
};

} // namespace platform
