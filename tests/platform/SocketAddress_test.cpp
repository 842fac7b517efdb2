// Address texts, IPv6 sockets and host lookup of the platform layer.

#include "platform/AsyncSocket.h"
#include "platform/HostLookup.h"
#include "platform/WinSock.h"
#include "support/EventLoopWait.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>

#include <netdb.h>
#include <sys/socket.h>

using platform::AsyncSocket;
using testsupport::waitUntil;

namespace {

bool Ipv6Loopback()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHostIPv6, 0);
}

struct AddressCase {
    const char *text;
    bool ok;
    const char *shown; // formatAddress of the parsed address
    bool ipv6;
};

TEST(SocketAddress, ParseAndFormat)
{
    const AddressCase cases[] = {
        {"127.0.0.1", true, "127.0.0.1", false},
        {"127.1", true, "127.0.0.1", false},
        {" 10.1.2.3 ", true, "10.1.2.3", false},
        {"::1", true, "::1", true},
        {"[::1]", true, "::1", true},
        {"0:0:0:0:0:0:0:1", true, "::1", true},
        {"2001:DB8::A", true, "2001:db8::a", true},
        {"[2001:db8::1]", true, "2001:db8::1", true},
        {"::ffff:192.0.2.7", true, "192.0.2.7", false}, // an IPv4 address in IPv6 clothing
        {"fe80::1%1", true, "fe80::1%1", true},
        {"", false, "", false},
        {"ftp.example.org", false, "", false},
        {"1.2.3.4.5", false, "", false},
        {":::1", false, "", false},
        {"[::1", false, "", false},
        {"::1]", false, "", false},
        {"[::1]:21", false, "", false},
        {"fe80::1%", false, "", false},
        {"2001:db8::g", false, "", false},
        {"::1\xc3\xa9", false, "", false},
    };
    for (const AddressCase &c : cases) {
        SCOPED_TRACE(c.text);
        QHostAddress address;
        ASSERT_EQ(platform::parseAddress(QString::fromUtf8(c.text), &address), c.ok);
        if (!c.ok)
            continue;
        EXPECT_EQ(platform::formatAddress(address), QString::fromLatin1(c.shown));
        EXPECT_EQ(address.protocol() == QAbstractSocket::IPv6Protocol, c.ipv6);
    }
}

TEST(SocketAddress, HostAndPortAsShown)
{
    const struct {
        const char *host;
        quint16 port;
        const char *shown;
    } cases[] = {
        {"127.0.0.1", 21, "127.0.0.1:21"},
        {"::1", 2121, "[::1]:2121"},
        {"[::1]", 2121, "[::1]:2121"},
        {"2001:db8::1", 990, "[2001:db8::1]:990"},
        {"ftp.example.org", 21, "ftp.example.org:21"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(platform::formatHostPort(QString::fromLatin1(c.host), c.port), QString::fromLatin1(c.shown));
}

// One socket made by create() serves an IPv6 listener and, made anew, an
// IPv4 connection: the family follows the address.
TEST(SocketAddress, ListenConnectAndAcceptOnIpv6Loopback)
{
    testsupport::CoreApplicationGuard app;
    if (!Ipv6Loopback())
        GTEST_SKIP() << "no IPv6 loopback";
    AsyncSocket listener;
    AsyncSocket accepted;
    AsyncSocket client;
    int accepts = 0;
    int connects = 0;
    int connectError = -1;
    QObject::connect(&listener, &AsyncSocket::socketEvent, [&](int event, int) {
        if (event == platform::SocketAccept)
            ++accepts;
    });
    QObject::connect(&client, &AsyncSocket::socketEvent, [&](int event, int error) {
        if (event == platform::SocketConnect) {
            ++connects;
            connectError = error;
        }
    });
    ASSERT_EQ(listener.create(), 0);
    ASSERT_EQ(listener.bind(QHostAddress(QStringLiteral("::1")), 0), 0);
    EXPECT_EQ(listener.family(), AF_INET6);
    listener.select(platform::SocketAccept);
    ASSERT_EQ(listener.listen(2), 0);
    QHostAddress local;
    quint16 port = 0;
    ASSERT_EQ(listener.localAddress(&local, &port), 0);
    EXPECT_EQ(platform::formatAddress(local), QStringLiteral("::1"));
    ASSERT_NE(port, 0);

    ASSERT_EQ(client.create(), 0);
    client.select(platform::SocketConnect | platform::SocketRead | platform::SocketClose);
    const int started = client.connect(QHostAddress(QStringLiteral("::1")), port);
    ASSERT_TRUE(started == 0 || started == platform::WSAEWOULDBLOCK) << started;
    ASSERT_TRUE(waitUntil([&] { return connects == 1 && accepts == 1; }));
    EXPECT_EQ(connectError, 0);
    EXPECT_EQ(client.family(), AF_INET6);

    QHostAddress peer;
    quint16 peerPort = 0;
    ASSERT_EQ(accepted.accept(listener, &peer, &peerPort), 0);
    EXPECT_EQ(platform::formatAddress(peer), QStringLiteral("::1"));
    QHostAddress clientLocal;
    quint16 clientPort = 0;
    ASSERT_EQ(client.localAddress(&clientLocal, &clientPort), 0);
    EXPECT_EQ(peerPort, clientPort);
    QHostAddress clientPeer;
    quint16 clientPeerPort = 0;
    ASSERT_EQ(client.peerAddress(&clientPeer, &clientPeerPort), 0);
    EXPECT_EQ(clientPeerPort, port);

    int error = 0;
    ASSERT_EQ(accepted.send("six by", 6, false, &error), 6);
    char buffer[16];
    qint64 n = -1;
    ASSERT_TRUE(waitUntil([&] {
        n = client.receive(buffer, sizeof buffer, &error);
        return n > 0;
    }));
    EXPECT_EQ(QByteArray(buffer, int(n)), QByteArray("six by"));

    // The same object, closed and created again, goes back to IPv4.
    QTcpServer v4;
    ASSERT_TRUE(v4.listen(QHostAddress::LocalHost, 0));
    client.close();
    ASSERT_EQ(client.create(), 0);
    client.select(platform::SocketConnect);
    connects = 0;
    const int again = client.connect(QHostAddress(QStringLiteral("127.0.0.1")), v4.serverPort());
    ASSERT_TRUE(again == 0 || again == platform::WSAEWOULDBLOCK) << again;
    ASSERT_TRUE(waitUntil([&] { return connects == 1; }));
    EXPECT_EQ(connectError, 0);
    EXPECT_EQ(client.family(), AF_INET);
}

QList<QHostAddress> Lookup(const QString &name, int *error)
{
    platform::HostLookup lookup;
    QList<QHostAddress> result;
    bool done = false;
    QObject::connect(&lookup, &platform::HostLookup::finished,
                     [&](int e, const QList<QHostAddress> &addresses) {
                         *error = e;
                         result = addresses;
                         done = true;
                     });
    lookup.start(name);
    EXPECT_TRUE(waitUntil([&] { return done; }, 10000));
    return result;
}

TEST(HostLookupAddresses, Ipv6LiteralAndLocalhost)
{
    testsupport::CoreApplicationGuard app;
    int error = -1;
    const QList<QHostAddress> literal = Lookup(QStringLiteral("::1"), &error);
    EXPECT_EQ(error, 0);
    ASSERT_EQ(literal.size(), 1);
    EXPECT_EQ(platform::formatAddress(literal.first()), QStringLiteral("::1"));

    // "localhost" gives loopback addresses only, and the IPv6 one whenever
    // the system's own resolver (as the lookup asks it) names it.
    const QList<QHostAddress> local = Lookup(QStringLiteral("localhost"), &error);
    EXPECT_EQ(error, 0);
    ASSERT_FALSE(local.isEmpty());
    for (const QHostAddress &a : local)
        EXPECT_TRUE(a.isLoopback()) << a.toString().toStdString();
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo *list = nullptr;
    bool systemHasV6 = false;
    if (::getaddrinfo("localhost", nullptr, &hints, &list) == 0) {
        for (addrinfo *i = list; i; i = i->ai_next)
            systemHasV6 = systemHasV6 || i->ai_family == AF_INET6;
        ::freeaddrinfo(list);
    }
    bool hasV6 = false;
    for (const QHostAddress &a : local)
        hasV6 = hasV6 || a.protocol() == QAbstractSocket::IPv6Protocol;
    EXPECT_EQ(hasV6, systemHasV6);
}

TEST(HostLookupAddresses, FixedTableKeepsEveryAddressInOrder)
{
    testsupport::CoreApplicationGuard app;
    platform::HostLookup::setFixedHostAddresses(
        {{QStringLiteral("dual.test"), {QHostAddress(QStringLiteral("::1")), QHostAddress(QStringLiteral("127.0.0.1"))}},
         {QStringLiteral("empty.test"), {}}});
    int error = -1;
    const QList<QHostAddress> dual = Lookup(QStringLiteral("DUAL.test"), &error);
    EXPECT_EQ(error, 0);
    ASSERT_EQ(dual.size(), 2);
    EXPECT_EQ(platform::formatAddress(dual.at(0)), QStringLiteral("::1"));
    EXPECT_EQ(platform::formatAddress(dual.at(1)), QStringLiteral("127.0.0.1"));
    const QList<QHostAddress> none = Lookup(QStringLiteral("empty.test"), &error);
    EXPECT_EQ(error, platform::WSANO_DATA);
    EXPECT_TRUE(none.isEmpty());
    platform::HostLookup::setFixedHosts({});
}

} // namespace
