#include "engine/TMSocket.h"

#include "platform/AsyncSocket.h"
#include "platform/EventLoop.h"
#include "platform/HostLookup.h"
#include "platform/TlsSession.h"
#include "platform/WinSock.h"

using namespace platform;

namespace {
constexpr int CountdownTickMs = 1000;
constexpr int ConnectMask = SocketRead | SocketWrite | SocketConnect | SocketClose;
constexpr int AcceptedMask = SocketRead | SocketWrite | SocketClose;
constexpr int ListenBacklog = 2;
} // namespace

TMSocket::TMSocket(QObject *owner)
    : QObject(owner), socket_(new AsyncSocket(this)), lookup_(new HostLookup(this)),
      tls_(new TlsSession(socket_, {}, this))
{
    connect(tls_, &TlsSession::socketEvent, this, &TMSocket::onSocketEvent);
    connect(lookup_, &HostLookup::finished, this, &TMSocket::onLookupFinished);
    timer_.setInterval(CountdownTickMs);
    connect(&timer_, &QTimer::timeout, this, &TMSocket::onTimerTick);
}

TMSocket::~TMSocket() = default;

void TMSocket::SetServer(const QString &server)
{
    const QString trimmed = server.trimmed();
    server_ = trimmed;
    if (trimmed.isEmpty())
        return;
    quint32 address = 0;
    QHostAddress v6;
    if (trimmed.at(0).isDigit() && trimmed.at(0) <= QLatin1Char('9') && parseIPv4(trimmed, &address)) {
        serverAddress_ = trimmed;
        hostName_.clear();
    } else if (trimmed.contains(QLatin1Char(':')) && parseAddress(trimmed, &v6)) {
        serverAddress_ = formatAddress(v6);
        hostName_.clear();
    } else {
        hostName_ = trimmed;
        serverAddress_.clear();
    }
}

void TMSocket::SetPort(quint16 port)
{
    port_ = port;
    targetPort_ = port;
}

int TMSocket::SocketHandle() const
{
    return socket_->descriptor();
}

bool TMSocket::Encrypted() const
{
    return tls_->state() != TlsSession::Plain;
}

int TMSocket::ShutdownTls()
{
    return tls_->shutdown();
}

void TMSocket::CreateSocket()
{
    if (socket_->isOpen())
        return;
    tls_->reset();
    lastError_ = socket_->create();
}

void TMSocket::ResetSocket()
{
    tls_->reset();
    socket_->close();
    socketConnected_ = false;
    CreateSocket();
}

void TMSocket::CloseSilently()
{
    lookup_->cancel();
    StartTimeout(0);
    tls_->reset();
    socket_->close();
    socketConnected_ = false;
}

void TMSocket::SetAddress(const QString &address)
{
    QHostAddress parsed;
    targetAddress_ = parseAddress(address, &parsed) ? parsed : QHostAddress(0xFFFFFFFFu);
}

void TMSocket::UseResolvedAddress()
{
    targetAddress_ = resolvedAddresses_.value(0, QHostAddress(quint32(0)));
}

QString TMSocket::AddressText() const
{
    return formatAddress(targetAddress_);
}

bool TMSocket::AddressIsIPv6() const
{
    bool isV4 = false;
    targetAddress_.toIPv4Address(&isV4);
    return !isV4 && targetAddress_.protocol() == QAbstractSocket::IPv6Protocol;
}

void TMSocket::Resolve(const QString &hostName)
{
    if (lookup_->pending())
        return;
    lookup_->start(hostName);
    lastError_ = 0;
    StartTimeout(timeOut_);
}

void TMSocket::Connect()
{
    socket_->select(ConnectMask);
    int error = socket_->connect(targetAddress_, targetPort_);
    if (error == WSAEWOULDBLOCK && !reportWouldBlock_)
        error = 0;
    lastError_ = error;
    if (lastError_ == 0)
        StartTimeout(timeOut_);
}

void TMSocket::Listen()
{
    lastError_ = socket_->bind(targetAddress_, targetPort_);
    if (lastError_ != 0)
        return;
    socket_->select(SocketAccept);
    lastError_ = socket_->listen(ListenBacklog);
}

void TMSocket::Accept(TMSocket &listener)
{
    QHostAddress address;
    quint16 port = 0;
    lastError_ = socket_->accept(*listener.socket_, &address, &port);
    if (lastError_ != 0)
        return;
    targetAddress_ = address;
    targetPort_ = port;
    socketConnected_ = true;
    socket_->select(AcceptedMask);
}

void TMSocket::Close()
{
    lookup_->cancel();
    StartTimeout(0);
    if (!socket_->isOpen())
        return;
    tls_->reset();
    lastError_ = socket_->close();
    socketConnected_ = false;
    if (OnDisconnect)
        OnDisconnect(this);
}

qint64 TMSocket::transfer(qint64 result, int error)
{
    if (result > 0) {
        lastError_ = 0;
        return result;
    }
    if (result == 0)
        return 0;
    lastError_ = (error == WSAEWOULDBLOCK && !reportWouldBlock_) ? 0 : error;
    return 0;
}

qint64 TMSocket::Send(const char *buffer, qint64 length)
{
    int error = 0;
    const qint64 n = tls_->send(buffer, length, false, &error);
    return transfer(n, error);
}

qint64 TMSocket::SendUrgent(const char *buffer, qint64 length)
{
    int error = 0;
    const qint64 n = tls_->send(buffer, length, true, &error);
    return transfer(n, error);
}

qint64 TMSocket::Receive(char *buffer, qint64 size)
{
    int error = 0;
    const qint64 n = tls_->receive(buffer, size, &error);
    return transfer(n, error);
}

qint64 TMSocket::SendFile(int fileFd, qint64 offset, qint64 count)
{
    if (Encrypted()) {
        lastError_ = 0;
        return AsyncSocket::SendFileUnsupported;
    }
    int error = 0;
    const qint64 n = socket_->sendFile(fileFd, offset, count, &error);
    if (n == AsyncSocket::SendFileUnsupported || n == AsyncSocket::SendFileReadFailed) {
        lastError_ = 0;
        return n;
    }
    if (n == 0) {
        lastError_ = 0;
        return 0;
    }
    return transfer(n, error);
}

QString TMSocket::LocalAddress()
{
    QHostAddress address;
    quint16 port = 0;
    lastError_ = socket_->localAddress(&address, &port);
    return lastError_ == 0 ? formatAddress(address) : QString();
}

quint16 TMSocket::LocalPort()
{
    QHostAddress address;
    quint16 port = 0;
    lastError_ = socket_->localAddress(&address, &port);
    return lastError_ == 0 ? port : 0;
}

void TMSocket::StartTimeout(int seconds)
{
    timer_.stop();
    if (seconds > 0) {
        countdown_ = seconds;
        timer_.start();
    }
}

void TMSocket::DoLookupDone()
{
    if (OnLookupDone)
        OnLookupDone(this);
}

bool TMSocket::event(QEvent *e)
{
    if (e->type() == MessageEvent::eventType()) {
        const int message = static_cast<MessageEvent *>(e)->message;
        if (message > WM_USER + 1 && OnMessage)
            OnMessage(message);
        return true;
    }
    return QObject::event(e);
}

void TMSocket::onTimerTick()
{
    // The timer keeps running below zero until re-armed or stopped; only the
    // tick that reaches zero counts.
    if (--countdown_ != 0)
        return;
    if (OnTimeOut)
        OnTimeOut(this);
    else
        Close();
}

void TMSocket::onLookupFinished(int error, const QList<QHostAddress> &addresses)
{
    StartTimeout(0);
    lastError_ = error;
    if (error == 0)
        resolvedAddresses_ = addresses;
    DoLookupDone();
}

void TMSocket::onSocketEvent(int event, int error)
{
    lastError_ = error;
    switch (event) {
    case SocketRead:
        if (OnRead)
            OnRead(this);
        StartTimeout(0);
        break;
    case SocketWrite:
        if (OnWrite)
            OnWrite(this);
        break;
    case SocketAccept:
        if (OnAccept)
            OnAccept(this);
        break;
    case SocketConnect:
        socketConnected_ = error == 0;
        StartTimeout(0);
        if (OnConnect)
            OnConnect(this);
        break;
    case SocketClose:
        tls_->reset();
        socket_->close();
        socketConnected_ = false;
        if (OnDisconnect)
            OnDisconnect(this);
        break;
    default:
        break;
    }
}
