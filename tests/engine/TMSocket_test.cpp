#include "engine/TMSocket.h"

#include "platform/HostLookup.h"
#include "platform/WinSock.h"
#include "support/EventLoopWait.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>

using testsupport::waitUntil;

namespace {

class SocketTest : public ::testing::Test
{
protected:
    // Connects `socket` to the test listener and returns the server side.
    QTcpSocket *ConnectToListener(TMSocket &socket)
    {
        socket.OnConnect = [&](QObject *) { connectEvents++; };
        socket.CreateSocket();
        socket.SetAddress(QStringLiteral("127.0.0.1"));
        socket.SetPort(listener.serverPort());
        socket.Connect();
        EXPECT_EQ(socket.LastError(), 0);
        EXPECT_TRUE(waitUntil([&] { return connectEvents > 0 && listener.hasPendingConnections(); }));
        return listener.nextPendingConnection();
    }

    void SetUp() override { ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0)); }

    testsupport::CoreApplicationGuard app;
    QTcpServer listener;
    int connectEvents = 0;
};

TEST_F(SocketTest, ServerTextIsSplitIntoAddressOrName)
{
    TMSocket s;
    s.SetServer(QStringLiteral("  10.1.2.3  "));
    EXPECT_EQ(s.Server(), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(s.ServerAddress(), QStringLiteral("10.1.2.3"));
    EXPECT_TRUE(s.HostName().isEmpty());

    s.SetServer(QStringLiteral("ftp.example.org"));
    EXPECT_EQ(s.HostName(), QStringLiteral("ftp.example.org"));
    EXPECT_TRUE(s.ServerAddress().isEmpty());

    // A name that merely starts with a digit is still a name.
    s.SetServer(QStringLiteral("163.example.com"));
    EXPECT_EQ(s.HostName(), QStringLiteral("163.example.com"));
    EXPECT_TRUE(s.ServerAddress().isEmpty());

    s.SetServer(QStringLiteral("   "));
    EXPECT_EQ(s.HostName(), QStringLiteral("163.example.com")); // blank leaves both as they were
}

TEST_F(SocketTest, Ipv6ServerTextIsAnAddress)
{
    const struct {
        const char *server;
        const char *address; // "" for a host name
        bool ipv6;
    } cases[] = {
        {"::1", "::1", true},
        {" [::1] ", "::1", true},
        {"2001:DB8::1", "2001:db8::1", true},
        {"::ffff:127.0.0.1", "127.0.0.1", false},
        {"ftp.example.org", "", false},
        {"[ftp.example.org]", "", false},
        {"::1:x", "", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.server);
        TMSocket s;
        s.SetServer(QString::fromLatin1(c.server));
        EXPECT_EQ(s.ServerAddress(), QString::fromLatin1(c.address));
        EXPECT_EQ(s.HostName().isEmpty(), *c.address != '\0');
        if (*c.address == '\0')
            continue;
        s.SetAddress(s.ServerAddress());
        EXPECT_EQ(s.AddressText(), QString::fromLatin1(c.address));
        EXPECT_EQ(s.AddressIsIPv6(), c.ipv6);
    }
    TMSocket s;
    s.SetAddress(QStringLiteral("no address"));
    EXPECT_EQ(s.AddressText(), QStringLiteral("255.255.255.255"));
    EXPECT_FALSE(s.AddressIsIPv6());
}

TEST_F(SocketTest, CloseWithoutSocketRaisesNothing)
{
    TMSocket s;
    int disconnects = 0;
    s.OnDisconnect = [&](QObject *) { ++disconnects; };
    s.Close();
    EXPECT_EQ(disconnects, 0);
    s.CreateSocket();
    s.Close();
    EXPECT_EQ(disconnects, 1);
    EXPECT_EQ(s.SocketHandle(), -1);
}

TEST_F(SocketTest, ReceiveOnEmptySocketIsNotAnError)
{
    TMSocket s;
    QTcpSocket *peer = ConnectToListener(s);
    ASSERT_TRUE(peer);
    EXPECT_TRUE(s.SocketConnected());
    char buffer[16];
    EXPECT_EQ(s.Receive(buffer, sizeof buffer), 0);
    EXPECT_EQ(s.LastError(), 0);
    s.SetReportWouldBlock(true);
    EXPECT_EQ(s.Receive(buffer, sizeof buffer), 0);
    EXPECT_EQ(s.LastError(), platform::WSAEWOULDBLOCK);
    s.Close();
}

TEST_F(SocketTest, SendThatWouldBlock)
{
    TMSocket s;
    QTcpSocket *peer = ConnectToListener(s);
    ASSERT_TRUE(peer);
    peer->setReadBufferSize(1); // the peer stops reading
    const QByteArray block(65536, 'x');
    qint64 sent = 0;
    for (int i = 0; i < 10000; ++i) {
        const qint64 n = s.Send(block.constData(), block.size());
        if (n == 0)
            break;
        sent += n;
    }
    EXPECT_GT(sent, 0);
    EXPECT_EQ(s.Send(block.constData(), block.size()), 0);
    EXPECT_EQ(s.LastError(), 0);
    s.SetReportWouldBlock(true);
    EXPECT_EQ(s.Send(block.constData(), block.size()), 0);
    EXPECT_EQ(s.LastError(), platform::WSAEWOULDBLOCK);
    s.Close();
}

TEST_F(SocketTest, DataThenPeerCloseArriveInOrder)
{
    TMSocket s;
    QByteArray got;
    int disconnects = 0;
    s.OnRead = [&](QObject *) {
        char buffer[4];
        qint64 n;
        while ((n = s.Receive(buffer, sizeof buffer)) > 0)
            got.append(buffer, n);
    };
    s.OnDisconnect = [&](QObject *) {
        EXPECT_EQ(got, QByteArray("hello, world"));
        ++disconnects;
    };
    QTcpSocket *peer = ConnectToListener(s);
    ASSERT_TRUE(peer);
    peer->write("hello, world");
    peer->flush();
    peer->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return disconnects == 1; }));
    EXPECT_EQ(s.LastError(), 0);
    EXPECT_FALSE(s.SocketConnected());
    EXPECT_EQ(s.SocketHandle(), -1);
}

TEST_F(SocketTest, WriteEventFollowsConnect)
{
    TMSocket s;
    QStringList events;
    s.OnWrite = [&](QObject *) { events.append(QStringLiteral("write")); };
    s.OnConnect = [&](QObject *) { events.append(QStringLiteral("connect")); };
    s.CreateSocket();
    s.SetAddress(QStringLiteral("127.0.0.1"));
    s.SetPort(listener.serverPort());
    s.Connect();
    ASSERT_TRUE(waitUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(events, (QStringList{QStringLiteral("connect"), QStringLiteral("write")}));
    s.Close();
}

TEST_F(SocketTest, RefusedConnectIsReported)
{
    quint16 port = listener.serverPort();
    listener.close();
    TMSocket s;
    int connects = 0;
    s.OnConnect = [&](QObject *) { ++connects; };
    s.CreateSocket();
    s.SetAddress(QStringLiteral("127.0.0.1"));
    s.SetPort(port);
    s.Connect();
    if (s.LastError() == 0) {
        ASSERT_TRUE(waitUntil([&] { return connects == 1; }));
    }
    EXPECT_EQ(s.LastError(), platform::WSAECONNREFUSED);
    EXPECT_FALSE(s.SocketConnected());
    s.Close();
}

TEST_F(SocketTest, ListenAndAccept)
{
    TMSocket listening;
    TMSocket accepted;
    int accepts = 0;
    listening.OnAccept = [&](QObject *) {
        ++accepts;
        accepted.Accept(listening);
    };
    listening.CreateSocket();
    listening.SetAddress(QStringLiteral("127.0.0.1"));
    listening.SetPort(0);
    listening.Listen();
    ASSERT_EQ(listening.LastError(), 0);
    const quint16 port = listening.LocalPort();
    ASSERT_NE(port, 0);
    EXPECT_EQ(listening.LocalAddress(), QStringLiteral("127.0.0.1"));

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return accepts == 1 && client.state() == QAbstractSocket::ConnectedState; }));
    EXPECT_EQ(accepted.LastError(), 0);
    EXPECT_TRUE(accepted.SocketConnected());
    EXPECT_EQ(accepted.AddressText(), QStringLiteral("127.0.0.1"));
    client.write("x");
    client.flush();
    int reads = 0;
    accepted.OnRead = [&](QObject *) { ++reads; };
    ASSERT_TRUE(waitUntil([&] { return reads == 1; }));
    accepted.Close();
    listening.Close();
}

TEST_F(SocketTest, CountdownWithoutHandlerCloses)
{
    TMSocket s;
    int disconnects = 0;
    s.OnDisconnect = [&](QObject *) { ++disconnects; };
    s.CreateSocket();
    s.StartTimeout(1);
    ASSERT_TRUE(waitUntil([&] { return disconnects == 1; }, 5000));
    EXPECT_EQ(s.SocketHandle(), -1);
}

TEST_F(SocketTest, CountdownWithHandlerLeavesTheSocket)
{
    TMSocket s;
    int timeouts = 0;
    s.OnTimeOut = [&](QObject *) { ++timeouts; };
    s.CreateSocket();
    s.StartTimeout(1);
    // A second countdown started after it ends two ticks after its first
    // one: by then the first has ticked below zero.
    TMSocket witness;
    bool witnessDone = false;
    witness.OnTimeOut = [&](QObject *) { witnessDone = true; };
    witness.StartTimeout(3);
    ASSERT_TRUE(waitUntil([&] { return timeouts == 1; }, 5000));
    EXPECT_NE(s.SocketHandle(), -1);
    ASSERT_TRUE(waitUntil([&] { return witnessDone; }, 10000));
    EXPECT_EQ(timeouts, 1);
    s.Close();
}

TEST_F(SocketTest, LookupPendingTwiceAndCancelledByClose)
{
    platform::HostLookup::setFixedHosts({{QStringLiteral("fixed.test"), 0x7F000001u}});
    TMSocket s;
    int lookups = 0;
    s.OnLookupDone = [&](QObject *) { ++lookups; };
    s.Resolve(QStringLiteral("fixed.test"));
    s.Resolve(QStringLiteral("fixed.test")); // pending: ignored
    s.Close();                               // cancels it
    testsupport::drainEvents();
    EXPECT_EQ(lookups, 0);
    s.Resolve(QStringLiteral("fixed.test"));
    ASSERT_TRUE(waitUntil([&] { return lookups == 1; }));
    testsupport::drainEvents();
    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(s.LastError(), 0);
    s.UseResolvedAddress();
    EXPECT_EQ(s.AddressText(), QStringLiteral("127.0.0.1"));
    platform::HostLookup::setFixedHosts({});
}

} // namespace
