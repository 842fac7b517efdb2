#pragma once
// A TCP socket driven by events: every readiness change, every finished host
// lookup and every tick of its time-out countdown arrives through the event
// loop and is turned into one of the On... events below. Nothing blocks and
// nothing throws: each operation leaves the socket error number in LastError,
// which the owner inspects inside its event handlers.

#include "engine/FtpTypes.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

namespace platform {
class AsyncSocket;
class HostLookup;
class TlsSession;
} // namespace platform

class TMSocket : public QObject
{
    Q_OBJECT
public:
    explicit TMSocket(QObject *owner = nullptr);
    ~TMSocket() override; // does not raise OnDisconnect; owners close first

    // Events. OnMessage receives the numbers of messages posted to this
    // object above WM_USER+1.
    std::function<void(int message)> OnMessage;
    TNotifyEvent OnLookupDone;
    TNotifyEvent OnConnect;    // also when the attempt failed (see LastError)
    TNotifyEvent OnDisconnect; // closed by the peer or by Close
    TNotifyEvent OnTimeOut;    // the countdown reached zero
    TNotifyEvent OnRead;
    TNotifyEvent OnWrite;
    TNotifyEvent OnAccept;

    // The target: Server as the user gave it, split into an address (dotted
    // IPv4, or IPv6 with or without brackets; ServerAddress holds it without
    // them) or a host name.
    QString Server() const { return server_; }
    void SetServer(const QString &server);
    QString ServerAddress() const { return serverAddress_; }
    void SetServerAddress(const QString &address) { serverAddress_ = address; }
    QString HostName() const { return hostName_; }
    quint16 Port() const { return port_; }
    // Sets the Port and the port of the target address.
    void SetPort(quint16 port);
    int TimeOut() const { return timeOut_; }
    void SetTimeOut(int seconds) { timeOut_ = seconds; }

    int SocketHandle() const;
    bool SocketConnected() const { return socketConnected_; }
    int LastError() const { return lastError_; }
    void SetLastError(int error) { lastError_ = error; }
    bool ReportWouldBlock() const { return reportWouldBlock_; }
    void SetReportWouldBlock(bool on) { reportWouldBlock_ = on; }

    void CreateSocket();
    void ResetSocket();
    // An IPv4 or IPv6 address text; one that is neither becomes
    // 255.255.255.255.
    void SetAddress(const QString &address);
    // The first address of the last lookup.
    void UseResolvedAddress();
    // Every address of the last lookup, in the order to try them.
    QList<QHostAddress> ResolvedAddresses() const { return resolvedAddresses_; }
    // The target address, IPv6 without brackets ("::1").
    QString AddressText() const;
    bool AddressIsIPv6() const;
    void Resolve(const QString &hostName);
    void Connect();
    void Listen();
    void Accept(TMSocket &listener);
    void Close();
    qint64 Send(const char *buffer, qint64 length);
    qint64 SendUrgent(const char *buffer, qint64 length);
    qint64 Receive(char *buffer, qint64 size);
    // Sends file bytes straight from the file (see AsyncSocket::sendFile for
    // the results below 0); socket errors land in LastError like Send's.
    qint64 SendFile(int fileFd, qint64 offset, qint64 count);
    QString LocalAddress();
    quint16 LocalPort();
    void StartTimeout(int seconds);
    // Closes the socket without OnDisconnect.
    void CloseSilently();

    // TLS over this socket (platform/TlsSession.h): plain until a handshake
    // starts; Send and Receive then carry the decrypted stream, SendUrgent
    // fails with WSAEOPNOTSUPP and SendFile is not used.
    platform::TlsSession *Tls() const { return tls_; }
    bool Encrypted() const;
    // Sends close_notify and what still waits: 0 when done, WSAEWOULDBLOCK
    // when it must be called again on the next OnWrite, or the socket error.
    int ShutdownTls();

protected:
    virtual void DoLookupDone();
    bool event(QEvent *e) override;

private:
    void onSocketEvent(int event, int error);
    void onLookupFinished(int error, const QList<QHostAddress> &addresses);
    void onTimerTick();
    qint64 transfer(qint64 result, int error);

    platform::AsyncSocket *socket_;
    platform::HostLookup *lookup_;
    platform::TlsSession *tls_;
    QTimer timer_;
    int countdown_ = 0;

    QHostAddress targetAddress_ {quint32(0)};
    quint16 targetPort_ = 0;
    QList<QHostAddress> resolvedAddresses_;
    bool socketConnected_ = false;
    QString server_;
    QString serverAddress_;
    QString hostName_;
    quint16 port_ = 0;
    int timeOut_ = 20;
    int lastError_ = 0;
    bool reportWouldBlock_ = false;
};
