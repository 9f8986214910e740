#include "platform/DsSocket.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "platform/EventLoop.h"
#include "support/RefusedPort.h"

using namespace Qt::StringLiterals;
using Platform::DsSocket;
using Platform::waitUntil;

namespace {

// A listener whose accepted connection the test drives by hand.
struct Peer {
    QTcpServer server;
    QTcpSocket *client = nullptr;

    Peer()
    {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    }
    bool accept()
    {
        waitUntil([this] { return server.hasPendingConnections(); }, 5000);
        client = server.nextPendingConnection();
        return client != nullptr;
    }
    void send(const QByteArray &bytes)
    {
        client->write(bytes);
        client->flush();
    }
};

// Everything a socket raised, in order.
struct Events {
    QStringList log;
    QStringList received;

    void watch(DsSocket &socket)
    {
        QObject::connect(&socket, &DsSocket::Connect, &socket, [this](int i) { log << u"Connect %1"_s.arg(i); });
        QObject::connect(&socket, &DsSocket::SendReady, &socket, [this](int) { log << u"SendReady"_s; });
        QObject::connect(&socket, &DsSocket::Receive, &socket, [this](int, const QString &data) {
            received << data;
        });
        QObject::connect(&socket, &DsSocket::Close, &socket, [this](int, int code, const QString &) {
            log << u"Close %1"_s.arg(code);
        });
        QObject::connect(&socket, &DsSocket::Exception, &socket, [this](int, int, const QString &) {
            log << u"Exception"_s;
        });
    }
};

bool connectTo(DsSocket &socket, Peer &peer)
{
    socket.setRemoteDotAddr(u"127.0.0.1"_s);
    socket.setRemotePort(peer.server.serverPort());
    EXPECT_EQ(socket.setAction(DsSocket::kActionConnect), 0);
    return peer.accept() && waitUntil([&] { return socket.state() == DsSocket::kStateConnected; }, 5000);
}

} // namespace

TEST(DsSocket, ConnectRaisesConnectThenOneSendReady)
{
    Peer peer;
    DsSocket socket(nullptr, 7);
    Events events;
    events.watch(socket);
    EXPECT_EQ(socket.peerAddress(), QString());
    ASSERT_TRUE(connectTo(socket, peer));
    waitUntil([&] { return events.log.size() >= 2; }, 2000);
    EXPECT_EQ(events.log, (QStringList{u"Connect 7"_s, u"SendReady"_s}));
    EXPECT_EQ(socket.peerAddress(), u"127.0.0.1"_s);
    socket.setAction(DsSocket::kActionClose);
    EXPECT_EQ(socket.peerAddress(), QString());
}

TEST(DsSocket, LineModeDeliversOneLinePerEventAndTheLastPartialLineBeforeClose)
{
    Peer peer;
    DsSocket socket;
    socket.setLineMode(true);
    Events events;
    events.watch(socket);
    ASSERT_TRUE(connectTo(socket, peer));
    peer.send("a\r\nb\r\nc");
    ASSERT_TRUE(waitUntil([&] { return events.received.size() >= 2; }, 5000));
    peer.send("d\r");
    waitUntil([] { return false; }, 50);
    peer.send("\ne");
    peer.client->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return events.log.contains(u"Close 0"_s); }, 5000));
    EXPECT_EQ(events.received, (QStringList{u"a\r\n"_s, u"b\r\n"_s, u"cd\r\n"_s, u"e"_s}));
    EXPECT_EQ(events.log.count(u"Close 0"_s), 1);
    EXPECT_NE(socket.state(), DsSocket::kStateConnected);
}

TEST(DsSocket, OverlongLineIsDeliveredInBoundedPieces)
{
    Peer peer;
    DsSocket socket;
    socket.setLineMode(true);
    Events events;
    events.watch(socket);
    ASSERT_TRUE(connectTo(socket, peer));
    peer.send(QByteArray(DsSocket::kMaxLineBytes * 2 + 10, 'x'));
    peer.client->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return events.log.contains(u"Close 0"_s); }, 5000));
    qsizetype total = 0;
    for (const QString &piece : events.received) {
        EXPECT_LE(piece.size(), DsSocket::kMaxLineBytes);
        total += piece.size();
    }
    EXPECT_EQ(total, DsSocket::kMaxLineBytes * 2 + 10);
}

TEST(DsSocket, ChunkModePassesEveryByteUnchanged)
{
    Peer peer;
    DsSocket socket;
    Events events;
    events.watch(socket);
    ASSERT_TRUE(connectTo(socket, peer));
    const QByteArray bytes("\0\x1a\xff\r\nz", 6);
    peer.send(bytes);
    peer.client->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return events.log.contains(u"Close 0"_s); }, 5000));
    const QString all = events.received.join(QString());
    ASSERT_EQ(all.size(), 6);
    EXPECT_EQ(all.at(0).unicode(), 0);
    EXPECT_EQ(all.at(1).unicode(), 0x1a);
    EXPECT_EQ(all.at(4), u'\n');
}

TEST(DsSocket, OwnCloseRaisesNoCloseAndNoLaterEvents)
{
    Peer peer;
    DsSocket socket;
    socket.setLineMode(true);
    Events events;
    events.watch(socket);
    ASSERT_TRUE(connectTo(socket, peer));
    waitUntil([&] { return events.log.size() >= 2; }, 2000);
    EXPECT_EQ(socket.setAction(DsSocket::kActionClose), 0);
    EXPECT_NE(socket.state(), DsSocket::kStateConnected);
    peer.send("late\r\n");
    peer.client->disconnectFromHost();
    waitUntil([] { return false; }, 200);
    EXPECT_FALSE(events.log.contains(u"Close 0"_s));
    EXPECT_TRUE(events.received.isEmpty());
}

TEST(DsSocket, HandlerThatClosesTheSocketStopsFurtherLines)
{
    Peer peer;
    DsSocket socket;
    socket.setLineMode(true);
    QStringList lines;
    QObject::connect(&socket, &DsSocket::Receive, &socket, [&](int, const QString &line) {
        lines << line;
        socket.setAction(DsSocket::kActionClose);
    });
    ASSERT_TRUE(connectTo(socket, peer));
    peer.send("1\n2\n3\n");
    waitUntil([&] { return !lines.isEmpty(); }, 5000);
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(lines, QStringList{u"1\n"_s});
}

TEST(DsSocket, RefusedConnectRaisesExceptionAndNoConnect)
{
    TestSupport::RefusedPort refused;
    DsSocket socket;
    Events events;
    events.watch(socket);
    socket.setRemoteHost(u"127.0.0.1"_s);
    socket.setRemotePort(refused.port());
    ASSERT_EQ(socket.setAction(DsSocket::kActionConnect), 0);
    ASSERT_TRUE(waitUntil([&] { return socket.connectFailed(); }, 5000));
    EXPECT_EQ(events.log, QStringList{u"Exception"_s});
    EXPECT_EQ(socket.state(), DsSocket::kStateClosed);
}

TEST(DsSocket, UnusableAddressFailsAtOnce)
{
    DsSocket socket;
    socket.setRemoteHost(u"127.0.0.1"_s);
    for (int port : {0, 70000}) {
        socket.setRemotePort(port);
        EXPECT_NE(socket.setAction(DsSocket::kActionConnect), 0) << port;
    }
    socket.setRemoteHost(QString());
    socket.setRemotePort(80);
    EXPECT_NE(socket.setAction(DsSocket::kActionConnect), 0);
}

TEST(DsSocket, FullSendBufferFailsAndSendReadyFollowsWhenDrained)
{
    Peer peer;
    DsSocket socket;
    Events events;
    events.watch(socket);
    ASSERT_TRUE(connectTo(socket, peer));
    waitUntil([&] { return events.log.size() >= 2; }, 2000);
    socket.setSendBufferLimit(10);
    EXPECT_EQ(socket.send(u"0123456789ABC"_s), DsSocket::kErrorBufferFull);
    EXPECT_EQ(socket.send(u"01234"_s), 0);
    ASSERT_TRUE(waitUntil([&] { return events.log.count(u"SendReady"_s) >= 2; }, 5000));
    ASSERT_TRUE(waitUntil([&] { return peer.client->bytesAvailable() >= 5; }, 5000));
    EXPECT_EQ(peer.client->readAll(), QByteArray("01234"));
}

TEST(DsSocket, SendingIsRefusedWhenNotConnected)
{
    DsSocket socket;
    EXPECT_NE(socket.send(u"x"_s), 0);
}

TEST(DsSocket, OwnCloseStillSendsWhatWasQueued)
{
    Peer peer;
    DsSocket socket;
    ASSERT_TRUE(connectTo(socket, peer));
    const QString data(200000, u'q');
    ASSERT_EQ(socket.send(data), 0);
    socket.setAction(DsSocket::kActionClose);
    EXPECT_NE(socket.state(), DsSocket::kStateConnected);
    QByteArray received;
    ASSERT_TRUE(waitUntil([&] {
        received += peer.client->readAll();
        return peer.client->state() != QAbstractSocket::ConnectedState;
    }, 5000));
    received += peer.client->readAll();
    EXPECT_EQ(received.size(), 200000);
}

TEST(DsSocket, TestRunsNeverLookUpOrReachAnotherHost)
{
    DsSocket socket(nullptr, 3);
    Events events;
    events.watch(socket);
    socket.setRemoteHost(u"www.velquist.example"_s);
    socket.setRemotePort(80);
    socket.setAction(DsSocket::kActionConnect);
    ASSERT_TRUE(waitUntil([&] { return !events.log.isEmpty(); }, 5000));
    EXPECT_EQ(events.log, QStringList{u"Exception"_s});
    EXPECT_NE(socket.state(), DsSocket::kStateConnected);
}

TEST(DsSocket, RefusedHostOfAClosedOrReplacedConnectRaisesNothing)
{
    Peer peer;
    DsSocket socket;
    Events events;
    events.watch(socket);
    socket.setRemoteHost(u"www.velquist.example"_s);
    socket.setRemotePort(80);
    socket.setAction(DsSocket::kActionConnect);
    socket.setAction(DsSocket::kActionClose);
    waitUntil([] { return false; }, 100);
    EXPECT_TRUE(events.log.isEmpty());

    // A new connect started at once must not take the old one's failure.
    socket.setAction(DsSocket::kActionConnect);
    ASSERT_TRUE(connectTo(socket, peer));
    waitUntil([] { return false; }, 100);
    EXPECT_FALSE(socket.connectFailed());
    EXPECT_FALSE(events.log.contains(u"Exception"_s));
    EXPECT_EQ(socket.state(), DsSocket::kStateConnected);
}

TEST(DsSocket, BodyAfterAHeaderLineComesAsBytesInOrder)
{
    // The body's first part is already buffered behind the header when line mode ends.
    struct Case {
        const char *name;
        bool switchInHandler;
        QByteArray firstPart;
        QByteArray secondPart;
    };
    const Case cases[] = {
        {"in the handler", true, QByteArray("\x81\n\x00\xffz", 5), "\x90tail\r\n"},
        {"later", false, QByteArray("\x81\x00\xffz", 4), "\x90tail\r\n"},
        {"later, nothing follows", false, QByteArray("\x81\x00\xffz", 4), ""},
    };
    for (const Case &c : cases) {
        Peer peer;
        DsSocket socket;
        socket.setLineMode(true);
        QStringList lines;
        QByteArray body;
        const auto toBody = [&socket] {
            socket.setLineMode(false);
            socket.setByteReceive(true);
        };
        QObject::connect(&socket, &DsSocket::Receive, &socket, [&](int, const QString &line) {
            lines << line;
            if (c.switchInHandler)
                toBody();
        });
        QObject::connect(&socket, &DsSocket::ReceiveBytes, &socket,
                         [&](int, const QByteArray &bytes) { body += bytes; });
        ASSERT_TRUE(connectTo(socket, peer));
        peer.send("HTTP/1.0 200 OK\r\n" + c.firstPart);
        ASSERT_TRUE(waitUntil([&] { return !lines.isEmpty(); }, 5000)) << c.name;
        if (!c.switchInHandler) {
            waitUntil([] { return false; }, 50);
            toBody();
        }
        if (!c.secondPart.isEmpty())
            peer.send(c.secondPart);
        const QByteArray expected = c.firstPart + c.secondPart;
        EXPECT_TRUE(waitUntil([&] { return body.size() >= expected.size(); }, 5000)) << c.name;
        EXPECT_EQ(lines, QStringList{u"HTTP/1.0 200 OK\r\n"_s}) << c.name;
        EXPECT_EQ(body, expected) << c.name;
    }
}

TEST(DsSocket, DataArrivingDuringAHandlersWaitIsDeliveredAfterItReturns)
{
    Peer peer;
    DsSocket socket;
    socket.setLineMode(true);
    QStringList lines;
    int depth = 0;
    int deepest = 0;
    QObject::connect(&socket, &DsSocket::Receive, &socket, [&](int, const QString &line) {
        deepest = std::max(deepest, ++depth);
        lines << line;
        if (lines.size() == 1) {
            peer.send("reply\r\n");
            waitUntil([] { return false; }, 400);
        }
        --depth;
    });
    ASSERT_TRUE(connectTo(socket, peer));
    peer.send("ask\r\n");
    EXPECT_TRUE(waitUntil([&] { return lines.size() >= 2; }, 3000));
    EXPECT_EQ(lines, (QStringList{u"ask\r\n"_s, u"reply\r\n"_s}));
    EXPECT_EQ(deepest, 1);
}

TEST(DsSocket, CloseAfterASlowSendStillDeliversEveryByte)
{
    Peer peer;
    DsSocket socket;
    ASSERT_TRUE(connectTo(socket, peer));
    // The peer takes 256 KB every 10 ms through small buffers, so the upload outlasts the
    // flush limit while every step of it stays well inside.
    peer.client->setReadBufferSize(256 * 1024);
    peer.client->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 64 * 1024);
    qint64 received = 0;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] { received += peer.client->read(256 * 1024).size(); });
    reader.start(10);
    socket.setFlushOnCloseMs(250);
    socket.setSendBufferLimit(0);
    const qint64 total = 16 * 1024 * 1024;
    ASSERT_EQ(socket.send(QByteArray(total, 'u')), 0);
    socket.setAction(DsSocket::kActionClose);
    const qint64 closedAt = Platform::tickCount();
    EXPECT_TRUE(waitUntil([&] { return received == total; }, 20000));
    EXPECT_GT(Platform::tickCount() - closedAt, socket.flushOnCloseMs());
    EXPECT_EQ(received, total);
}

TEST(DsSocket, UnsentBytesCountWhatThePeerHasNotYetTaken)
{
    Peer peer;
    DsSocket socket;
    ASSERT_TRUE(connectTo(socket, peer));
    peer.client->setReadBufferSize(1);
    socket.setSendBufferLimit(0);
    const qint64 total = 8 * 1024 * 1024;
    ASSERT_EQ(socket.send(QByteArray(total, 'q')), 0);
    waitUntil([] { return false; }, 200);
    EXPECT_GT(socket.bytesUnsent(), socket.bytesToWrite());
    peer.client->setReadBufferSize(0);
    qint64 received = 0;
    EXPECT_TRUE(waitUntil([&] {
        received += peer.client->readAll().size();
        return received == total && socket.bytesUnsent() == 0;
    }, 10000));
    EXPECT_EQ(received, total);
}
