#include "platform/AsyncSocket.h"

#include "platform/WinSock.h"

#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// False for an address of neither family (a null QHostAddress).
bool makeAddress(const QHostAddress &address, quint16 port, sockaddr_storage *storage, socklen_t *length)
{
    *storage = {};
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4) {
        auto *sa = reinterpret_cast<sockaddr_in *>(storage);
        sa->sin_family = AF_INET;
        sa->sin_port = htons(port);
        sa->sin_addr.s_addr = htonl(v4);
        *length = sizeof(sockaddr_in);
        return true;
    }
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return false;
    auto *sa = reinterpret_cast<sockaddr_in6 *>(storage);
    sa->sin6_family = AF_INET6;
    sa->sin6_port = htons(port);
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    std::memcpy(&sa->sin6_addr, bytes.c, sizeof bytes.c);
    const QString scope = address.scopeId();
    if (!scope.isEmpty()) {
        bool numeric = false;
        const uint index = scope.toUInt(&numeric);
        sa->sin6_scope_id = numeric ? index : ::if_nametoindex(scope.toLocal8Bit().constData());
    }
    *length = sizeof(sockaddr_in6);
    return true;
}

void readAddress(const sockaddr_storage &storage, QHostAddress *address, quint16 *port)
{
    if (storage.ss_family == AF_INET6) {
        const auto *sa = reinterpret_cast<const sockaddr_in6 *>(&storage);
        QHostAddress a(reinterpret_cast<const quint8 *>(&sa->sin6_addr));
        if (sa->sin6_scope_id != 0)
            a.setScopeId(QString::number(sa->sin6_scope_id));
        bool isV4 = false;
        const quint32 v4 = a.toIPv4Address(&isV4);
        *address = isV4 ? QHostAddress(v4) : a;
        *port = ntohs(sa->sin6_port);
        return;
    }
    const auto *sa = reinterpret_cast<const sockaddr_in *>(&storage);
    *address = QHostAddress(quint32(ntohl(sa->sin_addr.s_addr)));
    *port = ntohs(sa->sin_port);
}


int lastError()
{
    return winSockErrorFromErrno(errno);
}

} // namespace

bool parseIPv4(const QString &text, quint32 *address)
{
    const QByteArray ascii = text.toLatin1();
    in_addr a {};
    if (ascii.isEmpty() || ascii.contains('\0') || inet_aton(ascii.constData(), &a) == 0)
        return false;
    *address = ntohl(a.s_addr);
    return true;
}

QString formatIPv4(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

bool parseAddress(const QString &text, QHostAddress *address)
{
    QString t = text.trimmed();
    quint32 v4 = 0;
    if (!t.contains(QLatin1Char(':'))) {
        if (!parseIPv4(t, &v4))
            return false;
        *address = QHostAddress(v4);
        return true;
    }
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        t = t.mid(1, t.size() - 2);
    QString scope;
    if (const qsizetype percent = t.indexOf(QLatin1Char('%')); percent >= 0) {
        scope = t.mid(percent + 1);
        t.truncate(percent);
        if (scope.isEmpty())
            return false;
    }
    const QByteArray ascii = t.toLatin1();
    in6_addr a6 {};
    if (ascii.isEmpty() || ascii.size() != t.size() || inet_pton(AF_INET6, ascii.constData(), &a6) != 1)
        return false;
    QHostAddress a(reinterpret_cast<const quint8 *>(&a6));
    bool isV4 = false;
    v4 = a.toIPv4Address(&isV4);
    if (isV4) {
        *address = QHostAddress(v4);
        return true;
    }
    if (!scope.isEmpty())
        a.setScopeId(scope);
    *address = a;
    return true;
}

QString formatAddress(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4)
        return formatIPv4(v4);
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return QString();
    return address.toString();
}

QString formatHostPort(const QString &host, quint16 port)
{
    const bool bare = host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('['));
    return (bare ? QLatin1Char('[') + host + QLatin1Char(']') : host) + QLatin1Char(':') + QString::number(port);
}

AsyncSocket::AsyncSocket(QObject *parent) : QObject(parent) {}

AsyncSocket::~AsyncSocket()
{
    close();
}

int AsyncSocket::create()
{
    if (fd_ >= 0)
        return 0;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return lastError();
    fd_ = fd;
    family_ = AF_INET;
    mask_ = 0;
    connecting_ = listening_ = connected_ = false;
    return 0;
}

// A fresh socket of the other family replaces this one; its events stay
// chosen as they were.
int AsyncSocket::useFamily(int family)
{
    if (fd_ < 0)
        return WSAENOTSOCK;
    if (family == family_)
        return 0;
    if (connecting_ || listening_ || connected_)
        return WSAEAFNOSUPPORT;
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return lastError();
    const bool notified = readNotifier_ != nullptr;
    dropNotifiers();
    ::close(fd_);
    fd_ = fd;
    family_ = family;
    if (notified)
        select(mask_);
    return 0;
}

int AsyncSocket::close()
{
    dropNotifiers();
    if (fd_ < 0)
        return 0;
    const int rc = ::close(fd_);
    fd_ = -1;
    connecting_ = listening_ = connected_ = false;
    return rc == 0 ? 0 : lastError();
}

void AsyncSocket::dropNotifiers()
{
    // A notifier may be in the middle of reporting the event that led here.
    for (QSocketNotifier *n : {readNotifier_, writeNotifier_}) {
        if (n) {
            n->setEnabled(false);
            n->disconnect(this);
            n->deleteLater();
        }
    }
    readNotifier_ = writeNotifier_ = nullptr;
}

void AsyncSocket::select(int mask)
{
    mask_ = mask;
    if (fd_ < 0)
        return;
    if (!readNotifier_) {
        readNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        readNotifier_->setEnabled(false);
        QObject::connect(readNotifier_, &QSocketNotifier::activated, this, &AsyncSocket::onReadable);
        writeNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Write, this);
        writeNotifier_->setEnabled(false);
        QObject::connect(writeNotifier_, &QSocketNotifier::activated, this, &AsyncSocket::onWritable);
    }
    if (listening_)
        armRead(mask & SocketAccept);
    if (connected_) {
        armRead(mask & (SocketRead | SocketClose));
        armWrite(mask & SocketWrite);
    }
}

void AsyncSocket::armRead(bool on)
{
    if (readNotifier_)
        readNotifier_->setEnabled(on);
}

void AsyncSocket::armWrite(bool on)
{
    if (writeNotifier_)
        writeNotifier_->setEnabled(on);
}

int AsyncSocket::connect(const QHostAddress &address, quint16 port)
{
    if (fd_ < 0)
        return WSAENOTSOCK;
    sockaddr_storage sa {};
    socklen_t length = 0;
    if (!makeAddress(address, port, &sa, &length))
        return WSAEADDRNOTAVAIL;
    if (const int err = useFamily(sa.ss_family); err != 0)
        return err;
    if (::connect(fd_, reinterpret_cast<const sockaddr *>(&sa), length) == 0) {
        // Connected at once: still report it through the event loop.
        connecting_ = true;
        armWrite(true);
        return 0;
    }
    const int err = lastError();
    if (err == WSAEWOULDBLOCK) {
        connecting_ = true;
        armWrite(true);
    }
    return err;
}

int AsyncSocket::bind(const QHostAddress &address, quint16 port)
{
    if (fd_ < 0)
        return WSAENOTSOCK;
    sockaddr_storage sa {};
    socklen_t length = 0;
    if (!makeAddress(address, port, &sa, &length))
        return WSAEADDRNOTAVAIL;
    if (const int err = useFamily(sa.ss_family); err != 0)
        return err;
    return ::bind(fd_, reinterpret_cast<const sockaddr *>(&sa), length) == 0 ? 0 : lastError();
}

int AsyncSocket::listen(int backlog)
{
    if (fd_ < 0)
        return WSAENOTSOCK;
    if (::listen(fd_, backlog) != 0)
        return lastError();
    listening_ = true;
    select(mask_);
    return 0;
}

int AsyncSocket::accept(AsyncSocket &listener, quint32 *peerAddress, quint16 *peerPort)
{
    QHostAddress peer;
    const int err = accept(listener, &peer, peerPort);
    if (err == 0 && peerAddress) {
        bool isV4 = false;
        const quint32 v4 = peer.toIPv4Address(&isV4);
        *peerAddress = isV4 ? v4 : 0;
    }
    return err;
}

int AsyncSocket::accept(AsyncSocket &listener, QHostAddress *peerAddress, quint16 *peerPort)
{
    if (listener.fd_ < 0)
        return WSAENOTSOCK;
    sockaddr_storage sa {};
    socklen_t len = sizeof sa;
    const int fd = ::accept4(listener.fd_, reinterpret_cast<sockaddr *>(&sa), &len,
                             SOCK_NONBLOCK | SOCK_CLOEXEC);
    const int err = fd < 0 ? lastError() : 0;
    listener.armRead(listener.mask_ & SocketAccept);
    if (fd < 0)
        return err;
    close();
    fd_ = fd;
    family_ = listener.family_;
    connected_ = true;
    QHostAddress address;
    quint16 port = 0;
    readAddress(sa, &address, &port);
    if (peerAddress)
        *peerAddress = address;
    if (peerPort)
        *peerPort = port;
    return 0;
}

qint64 AsyncSocket::send(const char *data, qint64 length, bool urgent, int *error)
{
    if (fd_ < 0) {
        *error = WSAENOTSOCK;
        return -1;
    }
    if (!connected_) {
        *error = WSAENOTCONN;
        return -1;
    }
    const ssize_t n = ::send(fd_, data, size_t(length), MSG_NOSIGNAL | (urgent ? MSG_OOB : 0));
    if (n >= 0) {
        *error = 0;
        return n;
    }
    *error = lastError();
    if (*error == WSAEWOULDBLOCK)
        armWrite(mask_ & SocketWrite);
    return -1;
}

qint64 AsyncSocket::receive(char *buffer, qint64 size, int *error)
{
    if (fd_ < 0) {
        *error = WSAENOTSOCK;
        return -1;
    }
    if (!connected_) {
        *error = WSAENOTCONN;
        return -1;
    }
    const ssize_t n = ::recv(fd_, buffer, size_t(size), 0);
    // Receiving re-enables the read event.
    armRead(mask_ & (SocketRead | SocketClose));
    if (n >= 0) {
        *error = 0;
        return n;
    }
    *error = lastError();
    return -1;
}

qint64 AsyncSocket::sendFile(int fileFd, qint64 offset, qint64 count, int *error)
{
    if (fd_ < 0) {
        *error = WSAENOTSOCK;
        return -1;
    }
    if (!connected_) {
        *error = WSAENOTCONN;
        return -1;
    }
    off_t at = off_t(offset);
    ssize_t n;
    do {
        n = ::sendfile(fd_, fileFd, &at, size_t(count));
    } while (n < 0 && errno == EINTR);
    if (n >= 0) {
        *error = 0;
        return n;
    }
    const int err = errno;
    *error = 0;
    if (err == EINVAL || err == ENOSYS || err == EOVERFLOW || err == ESPIPE)
        return SendFileUnsupported;
    if (err == EIO || err == EBADF)
        return SendFileReadFailed;
    *error = winSockErrorFromErrno(err);
    if (*error == WSAEWOULDBLOCK)
        armWrite(mask_ & SocketWrite);
    return -1;
}

int AsyncSocket::localAddress(QHostAddress *address, quint16 *port) const
{
    if (fd_ < 0)
        return WSAENOTSOCK;
    sockaddr_storage sa {};
    socklen_t len = sizeof sa;
    if (::getsockname(fd_, reinterpret_cast<sockaddr *>(&sa), &len) != 0)
        return lastError();
    readAddress(sa, address, port);
    return 0;
}

int AsyncSocket::localAddress(quint32 *address, quint16 *port) const
{
    QHostAddress a;
    const int err = localAddress(&a, port);
    if (err == 0) {
        bool isV4 = false;
        const quint32 v4 = a.toIPv4Address(&isV4);
        *address = isV4 ? v4 : 0;
    }
    return err;
}

int AsyncSocket::peerAddress(QHostAddress *address, quint16 *port) const
{
    if (fd_ < 0)
        return WSAENOTSOCK;
    sockaddr_storage sa {};
    socklen_t len = sizeof sa;
    if (::getpeername(fd_, reinterpret_cast<sockaddr *>(&sa), &len) != 0)
        return lastError();
    readAddress(sa, address, port);
    return 0;
}

void AsyncSocket::onReadable()
{
    armRead(false);
    if (fd_ < 0)
        return;
    if (listening_) {
        if (mask_ & SocketAccept)
            emit socketEvent(SocketAccept, 0);
        return;
    }
    if (!connected_)
        return;
    char probe;
    const ssize_t n = ::recv(fd_, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
        if (mask_ & SocketRead)
            emit socketEvent(SocketRead, 0);
        else
            armRead(false);
        return;
    }
    if (n < 0 && errno == EAGAIN) {
        armRead(true);
        return;
    }
    const int err = n == 0 ? 0 : lastError();
    armWrite(false);
    connected_ = false;
    if (mask_ & SocketClose)
        emit socketEvent(SocketClose, err);
}

void AsyncSocket::onWritable()
{
    armWrite(false);
    if (fd_ < 0)
        return;
    if (connecting_) {
        connecting_ = false;
        int soError = 0;
        socklen_t len = sizeof soError;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &soError, &len) != 0)
            soError = errno;
        const int err = winSockErrorFromErrno(soError);
        if (err == 0) {
            connected_ = true;
            armRead(mask_ & (SocketRead | SocketClose));
            armWrite(mask_ & SocketWrite); // the first write event follows
        }
        if (mask_ & SocketConnect)
            emit socketEvent(SocketConnect, err);
        return;
    }
    if (connected_ && (mask_ & SocketWrite))
        emit socketEvent(SocketWrite, 0);
}

} // namespace platform
