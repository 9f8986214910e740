#include "transport/modDSSockSocket.h"

#include "platform/Codec1252.h"
#include "platform/DsSocket.h"
#include "platform/EventLoop.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;
using Platform::DsSocket;

namespace modDSSock {

bool connectedFlag = false;
bool sendReadyFlag = false;
std::vector<SubmitSocket> socketTable;
std::vector<Platform::DsSocket *> submitSockets;

namespace {

constexpr const char *kDisconnectsProperty = "velquistDisconnects";

bool isShortestDecimalByte(const QString &field)
{
    if (field.isEmpty() || field.size() > 3)
        return false;
    for (QChar ch : field) {
        if (ch < u'0' || ch > u'9')
            return false;
    }
    if (field.size() > 1 && field.startsWith(u'0'))
        return false;
    return field.toInt() <= 255;
}

void aimAt(DsSocket &socket, int port, const QString &host)
{
    socket.setRemotePort(port);
    if (isIPAddress(host))
        socket.setRemoteDotAddr(host.trimmed());
    else
        socket.setRemoteHost(host);
}

bool validIndex(int i)
{
    return i >= 1 && std::size_t(i) < socketTable.size() && std::size_t(i) < submitSockets.size()
           && submitSockets[std::size_t(i)] != nullptr;
}

void logSendFailure(int result)
{
    writeDebugLog(result == DsSocket::kErrorBufferFull ? u"SendData Error: the send buffer is full"_s
                                                       : u"SendData Error: the socket is not connected"_s);
}

// Waits for SendReady after a full buffer. Ends unsent when the connection ends or when the
// queued bytes stand still for the socket's stall limit (a peer that stopped reading).
bool waitForSendReady(DsSocket &socket)
{
    bool drained = false;
    QObject context;
    QObject::connect(&socket, &DsSocket::SendReady, &context, [&drained] { drained = true; });
    qint64 queued = socket.bytesToWrite();
    qint64 movedAt = Platform::tickCount();
    const auto over = [&] {
        if (drained || socket.state() != DsSocket::kStateConnected)
            return true;
        if (socket.bytesToWrite() != queued) {
            queued = socket.bytesToWrite();
            movedAt = Platform::tickCount();
        }
        return Platform::tickCount() - movedAt >= socket.sendStallMs();
    };
    while (!over())
        Platform::waitUntil(over, 1000);
    if (!drained) {
        writeDebugLog(socket.state() == DsSocket::kStateConnected
                          ? u"SendData Error: the peer took no data for "_s + QString::number(socket.sendStallMs())
                                + u" ms"_s
                          : u"SendData Error: connection closed before the data could be sent"_s);
    }
    return drained;
}

bool queueAll(DsSocket &socket, const QByteArray &bytes)
{
    sendReadyFlag = false;
    int result = socket.send(bytes);
    if (result == DsSocket::kErrorBufferFull) {
        if (!waitForSendReady(socket))
            return false;
        sendReadyFlag = true;
        result = socket.send(bytes);
    }
    if (result != 0)
        logSendFailure(result);
    return result == 0;
}

} // namespace

bool isIPAddress(const QString &text)
{
    const QStringList fields = text.trimmed().split(u'.');
    if (fields.size() != 4)
        return false;
    for (const QString &field : fields) {
        if (!isShortestDecimalByte(field))
            return false;
    }
    return true;
}

int SocketConnect(DsSocket &socket, int port, const QString &host, int timeOutSeconds)
{
    if (host.isEmpty())
        return kEmptyHost;
    socket.setAction(DsSocket::kActionClose);
    aimAt(socket, port, host);
    connectedFlag = false;
    if (socket.setAction(DsSocket::kActionConnect) != 0) {
        socket.setAction(DsSocket::kActionClose);
        Platform::setBusyPointer(false);
        return kConnectError;
    }
    // Waits on this socket's own state, so two sockets connecting at once cannot release each
    // other's wait; a failed name lookup, a refusal or a disconnect ends the wait early.
    const auto done = [&socket] {
        return socket.state() == DsSocket::kStateConnected || socket.connectFailed() || !socket.isOpen();
    };
    if (timeOutSeconds <= 0)
        Platform::doEvents();
    else
        Platform::waitUntil(done, qint64(timeOutSeconds) * 1000);
    if (socket.state() == DsSocket::kStateConnected && timeOutSeconds > 0) {
        connectedFlag = true;
        return kConnected;
    }
    Platform::setBusyPointer(false);
    if (socket.connectFailed())
        return kConnectError;
    return socket.isOpen() ? kConnectTimeout : kConnectCancelled;
}

bool SendData(DsSocket &socket, const QString &data)
{
    writeDebugLog(u"SendData (100): "_s + maskLogins(data.left(100)));
    return queueAll(socket, Platform::toAnsi(data));
}

bool SendData(DsSocket &socket, const QByteArray &data)
{
    writeDebugLog(u"SendData: "_s + QString::number(data.size()) + u" bytes"_s);
    return queueAll(socket, data);
}

void SocketDisconnect(DsSocket &socket)
{
    writeDebugLog(u"SocketDisconnect"_s);
    if (socket.isOpen())
        socket.setAction(DsSocket::kActionClose);
    connectedFlag = false;
    socket.setProperty(kDisconnectsProperty, QVariant::fromValue(disconnectCount(socket) + 1));
}

quint64 disconnectCount(const DsSocket &socket)
{
    return socket.property(kDisconnectsProperty).toULongLong();
}

void resizeSocketTable(int count, const std::vector<Platform::DsSocket *> &sockets)
{
    const std::size_t size = std::size_t(std::max(count, 0)) + 1;
    socketTable.assign(size, SubmitSocket{});
    submitSockets.assign(size, nullptr);
    for (std::size_t i = 1; i < size && i - 1 < sockets.size(); ++i)
        submitSockets[i] = sockets[i - 1];
}

int socketConnectByIndex(int i, int timeOutSeconds)
{
    if (!validIndex(i))
        return kConnectError;
    SubmitSocket &record = socketTable[std::size_t(i)];
    DsSocket &socket = *submitSockets[std::size_t(i)];
    if (record.Host.isEmpty())
        return kEmptyHost;
    socket.setAction(DsSocket::kActionClose);
    aimAt(socket, record.Port, record.Host);
    record.connected = false;
    const int error = socket.setAction(DsSocket::kActionConnect);
    if (error != 0) {
        writeDebugLog(u"Err: "_s + QString::number(error) + u" - "_s + QString::number(i) + u" - "_s
                      + record.Name + u":"_s + record.Host);
        socket.setAction(DsSocket::kActionClose);
        return kConnectError;
    }
    record.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(timeOutSeconds, 1));
    return kConnectPending;
}

bool sendDataByIndex(int i)
{
    if (!validIndex(i))
        return false;
    SubmitSocket &record = socketTable[std::size_t(i)];
    record.sendReady = false;
    const int result = submitSockets[std::size_t(i)]->send(record.Request);
    if (result == 0)
        return true;
    logSendFailure(result);
    return false;
}

void socketDisconnectByIndex(int i)
{
    if (!validIndex(i))
        return;
    SubmitSocket &record = socketTable[std::size_t(i)];
    writeDebugLog(u"Engine: "_s + record.Name + u" - Disconnect"_s);
    submitSockets[std::size_t(i)]->setAction(DsSocket::kActionClose);
    record.connected = false;
}

} // namespace modDSSock
