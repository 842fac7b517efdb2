#pragma once
// A non-blocking IPv4 TCP socket whose readiness changes arrive as events
// through the Qt event loop, one event per change, the way asynchronous
// socket selection reports them:
//  - read: data waits. Not repeated until receive() has been called again.
//  - write: sending is possible. Once after a connect or accept, then only
//    after a send() that would have blocked.
//  - accept: a connection waits on a listening socket. Not repeated until
//    accept() has been called.
//  - connect: a connect attempt finished; the error tells how.
//  - close: the peer closed (error 0) or reset the connection. Comes only
//    after everything the peer sent has been received.
// Errors are socket error numbers (platform/WinSock.h). Addresses and ports
// are in host byte order.

#include <QObject>
#include <QString>
#include <QtGlobal>

class QSocketNotifier;

namespace platform {

// Dotted IPv4 text ("127.0.0.1", also the short forms "127.1") to an
// address; false when the text is no address.
bool parseIPv4(const QString &text, quint32 *address);
QString formatIPv4(quint32 address);

class AsyncSocket : public QObject
{
    Q_OBJECT
public:
    explicit AsyncSocket(QObject *parent = nullptr);
    ~AsyncSocket() override;

    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }

    // Creates the socket; returns the error (0 on success).
    int create();
    // Closes without any event; returns the error of the close.
    int close();

    // Chooses the events to report (SocketEvent bits).
    void select(int mask);
    int selectedEvents() const { return mask_; }

    // Starts connecting; 0 or WSAEWOULDBLOCK mean "under way, a connect event
    // follows"; anything else failed at once.
    int connect(quint32 address, quint16 port);
    int bind(quint32 address, quint16 port);
    int listen(int backlog);
    // Takes the waiting connection of `listener` into this (closed) socket.
    int accept(AsyncSocket &listener, quint32 *peerAddress, quint16 *peerPort);

    // Bytes accepted (> 0), or -1 with *error set (WSAEWOULDBLOCK when
    // nothing can be sent now).
    qint64 send(const char *data, qint64 length, bool urgent, int *error);
    // Bytes received (> 0), 0 at the end of the stream, or -1 with *error set.
    qint64 receive(char *buffer, qint64 size, int *error);
    // Sends up to `count` bytes of the open file `fileFd` from `offset` on
    // without copying them through the program. Bytes accepted (> 0); 0 when
    // the file ends before `offset`; -1 with *error set for socket errors
    // (WSAEWOULDBLOCK as in send); SendFileUnsupported when the file cannot
    // be sent this way (use read and send); SendFileReadFailed when reading
    // the file failed.
    static constexpr qint64 SendFileUnsupported = -2;
    static constexpr qint64 SendFileReadFailed = -3;
    qint64 sendFile(int fileFd, qint64 offset, qint64 count, int *error);

    int localAddress(quint32 *address, quint16 *port) const;

signals:
    void socketEvent(int event, int error);

private:
    void onReadable();
    void onWritable();
    void armRead(bool on);
    void armWrite(bool on);
    void dropNotifiers();

    int fd_ = -1;
    int mask_ = 0;
    bool connecting_ = false;
    bool listening_ = false;
    bool connected_ = false;
    QSocketNotifier *readNotifier_ = nullptr;
    QSocketNotifier *writeNotifier_ = nullptr;
};

} // namespace platform
