#include "transport/modDSSockSocket.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QTcpServer>
#include <QTimer>

#include "support/RefusedPort.h"
#include "support/StalledListener.h"
#include "support/TestEnvironment.h"
#include "platform/CommandLine.h"
#include "platform/DsSocket.h"
#include "platform/EventLoop.h"
#include "platform/TextFile.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;
using Platform::DsSocket;
using namespace modDSSock;

namespace {

class SocketHelpers : public TestSupport::VelquistTest {};

// A peer on 127.0.0.1 that takes the connection of `socket`.
QTcpSocket *connectToPeer(QTcpServer &server, DsSocket &socket)
{
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    EXPECT_EQ(SocketConnect(socket, server.serverPort(), u"127.0.0.1"_s, 5), kConnected);
    Platform::waitUntil([&] { return server.hasPendingConnections(); }, 5000);
    return server.nextPendingConnection();
}

} // namespace

TEST(SocketHelpersPure, DottedQuadsInShortestForm)
{
    for (const char *yes : {"10.0.0.1", " 10.0.0.1 ", "255.255.255.255", "0.0.0.0"})
        EXPECT_TRUE(isIPAddress(QString::fromLatin1(yes))) << yes;
    for (const char *no : {"256.1.1.1", "01.2.3.4", "1.2.3", "1.2.3.4.", "1..2.3", "+1.2.3.4",
                           "123.example.org", "mailhost.example", "", "1.2.3.4 5"})
        EXPECT_FALSE(isIPAddress(QString::fromLatin1(no))) << no;
}

TEST_F(SocketHelpers, ConnectReturnsEmptyHostErrorTimeOutOrConnected)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    DsSocket socket;
    EXPECT_EQ(SocketConnect(socket, server.serverPort(), QString(), 5), kEmptyHost);
    EXPECT_EQ(socket.state(), DsSocket::kStateClosed);
    EXPECT_EQ(SocketConnect(socket, 0, u"127.0.0.1"_s, 5), kConnectError);

    connectedFlag = false;
    EXPECT_EQ(SocketConnect(socket, server.serverPort(), u"127.0.0.1"_s, 5), kConnected);
    EXPECT_TRUE(connectedFlag);
    SocketDisconnect(socket);
    EXPECT_FALSE(connectedFlag);
    EXPECT_NE(socket.state(), DsSocket::kStateConnected);

    // A time-out of 0 looks once and reports a time-out.
    EXPECT_EQ(SocketConnect(socket, server.serverPort(), u"127.0.0.1"_s, 0), kConnectTimeout);
}

TEST_F(SocketHelpers, RefusedConnectEndsWithoutWaitingForTheTimeOut)
{
    const TestSupport::RefusedPort refused;
    DsSocket socket;
    const qint64 start = Platform::tickCount();
    const int result = SocketConnect(socket, refused.port(), u"127.0.0.1"_s, 3);
    EXPECT_EQ(result, kConnectError);
    EXPECT_LT(Platform::tickCount() - start, 2500);
}

TEST_F(SocketHelpers, TwoSocketsDoNotReleaseEachOthersWait)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    DsSocket first;
    DsSocket second;
    // The flag set by another socket's Connect must not count for this socket.
    QObject::connect(&first, &DsSocket::Connect, &first, [] { connectedFlag = true; });
    first.setRemoteHost(u"127.0.0.1"_s);
    first.setRemotePort(server.serverPort());
    first.setAction(DsSocket::kActionConnect);
    const TestSupport::RefusedPort refused;
    EXPECT_EQ(SocketConnect(second, refused.port(), u"127.0.0.1"_s, 1), kConnectError);
    EXPECT_TRUE(Platform::waitUntil([&] { return first.state() == DsSocket::kStateConnected; }, 5000));
}

TEST_F(SocketHelpers, SendDataLogsAtMostHundredCharactersWithDebugSwitch)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    Platform::setCommandLineArguments({u"/d"_s});
    DsSocket socket;
    ASSERT_EQ(SocketConnect(socket, server.serverPort(), u"127.0.0.1"_s, 5), kConnected);
    ASSERT_TRUE(Platform::waitUntil([&] { return server.hasPendingConnections(); }, 5000));
    QTcpSocket *peer = server.nextPendingConnection();
    const QString data = QString(100, u'a') + QString(50, u'b');
    SendData(socket, data);
    ASSERT_TRUE(Platform::waitUntil([&] { return peer->bytesAvailable() >= 150; }, 5000));
    EXPECT_EQ(peer->readAll().size(), 150);
    const QString log = Platform::readTextFile(errorLogFile()).value_or(QString());
    EXPECT_TRUE(log.contains(u"SendData (100): "_s + QString(100, u'a') + u"\r\n"_s));
    EXPECT_FALSE(log.contains(u'b'));
}

TEST_F(SocketHelpers, IndexedHelpersWorkOnTheirOwnRecord)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    DsSocket one(nullptr, 1);
    DsSocket two(nullptr, 2);
    resizeSocketTable(2, {&one, &two});
    ASSERT_EQ(socketTable.size(), 3u);

    EXPECT_EQ(socketConnectByIndex(1, 5), kEmptyHost);
    socketTable[1].Host = u"127.0.0.1"_s;
    socketTable[1].Port = server.serverPort();
    socketTable[1].Request = u"GET / HTTP/1.0\r\n\r\n"_s;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(socketConnectByIndex(1, 5), kConnectPending);
    EXPECT_GE(socketTable[1].deadline, before + std::chrono::seconds(5));
    ASSERT_TRUE(Platform::waitUntil([&] { return one.state() == DsSocket::kStateConnected; }, 5000));
    EXPECT_EQ(two.state(), DsSocket::kStateClosed);
    EXPECT_TRUE(sendDataByIndex(1));
    EXPECT_FALSE(sendDataByIndex(2));

    socketTable[2].Host = u"127.0.0.1"_s;
    socketTable[2].Port = 0;
    EXPECT_EQ(socketConnectByIndex(2, 5), kConnectError);

    // Closing works in any state, connecting included.
    socketTable[2].Port = server.serverPort();
    EXPECT_EQ(socketConnectByIndex(2, 5), kConnectPending);
    socketDisconnectByIndex(2);
    socketDisconnectByIndex(1);
    EXPECT_EQ(one.state(), DsSocket::kStateClosed);
    EXPECT_EQ(two.state(), DsSocket::kStateClosed);
    EXPECT_FALSE(socketTable[1].connected);

    // Out-of-range numbers are refused, not indexed.
    EXPECT_EQ(socketConnectByIndex(0, 5), kConnectError);
    EXPECT_EQ(socketConnectByIndex(3, 5), kConnectError);
    resizeSocketTable(0, {});
}

TEST_F(SocketHelpers, DisconnectDuringTheConnectWaitEndsItAtOnceAsCancelled)
{
    TestSupport::StalledListener listener;
    ASSERT_TRUE(listener.full());
    DsSocket socket;
    // Without the disconnect the connect would wait out its time-out.
    EXPECT_EQ(SocketConnect(socket, listener.port(), u"127.0.0.1"_s, 1), kConnectTimeout);
    EXPECT_EQ(socket.state(), DsSocket::kStateConnecting);

    QTimer::singleShot(100, &socket, [&socket] { SocketDisconnect(socket); });
    const qint64 start = Platform::tickCount();
    EXPECT_EQ(SocketConnect(socket, listener.port(), u"127.0.0.1"_s, 10), kConnectCancelled);
    EXPECT_LT(Platform::tickCount() - start, 5000);
    EXPECT_EQ(socket.state(), DsSocket::kStateClosed);
    EXPECT_FALSE(socket.isOpen());
    EXPECT_FALSE(connectedFlag);
    EXPECT_FALSE(Platform::isBusyPointer());
}

TEST_F(SocketHelpers, ByteSendOf200MegabytesArrivesUnchanged)
{
    QTcpServer server;
    DsSocket socket;
    QTcpSocket *peer = connectToPeer(server, socket);
    ASSERT_NE(peer, nullptr);
    QCryptographicHash arrived(QCryptographicHash::Md5);
    qint64 arrivedBytes = 0;
    QObject::connect(peer, &QTcpSocket::readyRead, peer, [&] {
        const QByteArray bytes = peer->readAll();
        arrived.addData(bytes);
        arrivedBytes += bytes.size();
    });
    // Every block differs, and every byte value occurs, so a lost, doubled, reordered or
    // recoded block changes the hash.
    QByteArray block(1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < block.size(); ++i)
        block[i] = char((i * 7 + i / 256) & 0xff);
    QCryptographicHash sent(QCryptographicHash::Md5);
    const int blocks = 200;
    for (int n = 0; n < blocks; ++n) {
        block[0] = char(n);
        sent.addData(block);
        ASSERT_TRUE(SendData(socket, block)) << n;
    }
    EXPECT_TRUE(Platform::waitUntil([&] { return arrivedBytes >= qint64(blocks) * block.size(); }, 60000));
    EXPECT_EQ(arrivedBytes, qint64(blocks) * block.size());
    EXPECT_EQ(arrived.result(), sent.result());
}

TEST_F(SocketHelpers, SendDataGivesUpWhenThePeerStopsReading)
{
    QTcpServer server;
    DsSocket socket;
    QTcpSocket *peer = connectToPeer(server, socket);
    ASSERT_NE(peer, nullptr);
    peer->setReadBufferSize(1024);
    peer->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 64 * 1024);
    socket.setSendBufferLimit(1024 * 1024);
    socket.setSendStallMs(300);
    // Bounds the test even if the stall went unnoticed: a close ends the wait too.
    QTimer::singleShot(10000, &socket, [&socket] { socket.setAction(DsSocket::kActionClose); });
    const QByteArray block(512 * 1024, 's');
    qint64 waited = 0;
    bool queued = true;
    for (int n = 0; queued && n < 400; ++n) {
        const qint64 start = Platform::tickCount();
        queued = SendData(socket, block);
        waited = Platform::tickCount() - start;
    }
    EXPECT_FALSE(queued);
    EXPECT_GE(waited, 300);
    EXPECT_LT(waited, 5000);
    EXPECT_EQ(socket.state(), DsSocket::kStateConnected);
    EXPECT_GT(socket.bytesToWrite(), 0);
    SocketDisconnect(socket);
    EXPECT_FALSE(SendData(socket, block));
}
