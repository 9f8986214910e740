#include "platform/DsSocket.h"

#include <utility>

#include <sys/ioctl.h>
#include <linux/sockios.h>

#include <QHostAddress>
#include <QNetworkProxy>
#include <QTimer>

#include "platform/Codec1252.h"

namespace Platform {

DsSocket::DsSocket(QObject *parent, int index) : QObject(parent), m_index(index) {}

DsSocket::~DsSocket()
{
    closeNow();
}

int DsSocket::state() const
{
    if (!m_socket)
        return kStateClosed;
    if (m_connected && m_socket->state() == QAbstractSocket::ConnectedState)
        return kStateConnected;
    if (!m_connected && !m_connectFailed
        && (m_socket->state() == QAbstractSocket::HostLookupState
            || m_socket->state() == QAbstractSocket::ConnectingState))
        return kStateConnecting;
    return kStateClosed;
}

qintptr DsSocket::socketHandle() const
{
    return m_socket ? m_socket->socketDescriptor() : -1;
}

QString DsSocket::peerAddress() const
{
    return state() == kStateConnected ? m_socket->peerAddress().toString() : QString();
}

qint64 DsSocket::bytesToWrite() const
{
    return m_socket ? m_socket->bytesToWrite() : 0;
}

qint64 DsSocket::bytesUnsent() const
{
    if (!m_socket)
        return 0;
    int queued = 0;
    const qintptr handle = m_socket->socketDescriptor();
    if (handle < 0 || ::ioctl(int(handle), SIOCOUTQ, &queued) != 0)
        queued = 0;
    return m_socket->bytesToWrite() + queued;
}

void DsSocket::setLineMode(bool on)
{
    m_lineMode = on;
    // A partial line still buffered goes out next, ahead of later data. A delivery under way
    // sees the switch itself.
    if (!on && !m_lineBuffer.isEmpty() && !(m_socket && m_delivering == m_socket))
        QMetaObject::invokeMethod(this, &DsSocket::readAvailable, Qt::QueuedConnection);
}

int DsSocket::setAction(int action)
{
    if (action == kActionClose) {
        closeNow();
        return 0;
    }
    if (action == kActionConnect) {
        closeNow();
        if (m_remoteHost.trimmed().isEmpty() || m_remotePort < 1 || m_remotePort > 65535)
            return kErrorInvalidAddress;
        startConnect();
        return 0;
    }
    return 0;
}

// Our own close: the old socket is cut loose at once, so none of its events reach us.
void DsSocket::closeNow()
{
    m_lineBuffer.clear();
    m_connected = false;
    m_waitingToDrain = false;
    if (!m_socket)
        return;
    QTcpSocket *old = m_socket;
    m_socket = nullptr;
    old->disconnect(this);
    if (old->state() == QAbstractSocket::ConnectedState && old->bytesToWrite() > 0) {
        // What was queued still goes out, then the connection ends. A slow line may take its
        // time; only one that takes nothing for the flush limit is cut.
        connect(old, &QTcpSocket::disconnected, old, &QObject::deleteLater);
        auto *stalled = new QTimer(old);
        stalled->setSingleShot(true);
        connect(stalled, &QTimer::timeout, old, [old] {
            old->abort();
            old->deleteLater();
        });
        connect(old, &QTcpSocket::bytesWritten, stalled, [stalled] { stalled->start(); });
        stalled->start(m_flushOnCloseMs);
        old->disconnectFromHost();
        return;
    }
    old->abort();
    old->deleteLater();
}

namespace {

// Test runs set VELQUIST_LOOPBACK_ONLY so that no connection, and no name lookup, ever leaves
// this machine: any other host fails as an unknown host would.
bool refusedOutsideLoopback(const QString &host)
{
    if (qEnvironmentVariableIntValue("VELQUIST_LOOPBACK_ONLY") == 0)
        return false;
    const QString h = host.trimmed().toLower();
    return h != QStringLiteral("127.0.0.1") && h != QStringLiteral("localhost");
}

} // namespace

void DsSocket::startConnect()
{
    m_connectFailed = false;
    m_closeRaised = false;
    auto *socket = new QTcpSocket(this);
    socket->setProxy(QNetworkProxy::NoProxy);
    m_socket = socket;
    connect(socket, &QTcpSocket::connected, this, &DsSocket::onConnected);
    connect(socket, &QTcpSocket::readyRead, this, &DsSocket::readAvailable);
    connect(socket, &QTcpSocket::bytesWritten, this, &DsSocket::onBytesWritten);
    connect(socket, &QTcpSocket::errorOccurred, this, &DsSocket::onError);
    connect(socket, &QTcpSocket::disconnected, this, &DsSocket::onDisconnected);
    if (refusedOutsideLoopback(m_remoteHost)) {
        QTimer::singleShot(0, socket, [this, socket] {
            if (socket != m_socket)
                return;   // closed or replaced meanwhile: its failure is no one's concern
            m_connectFailed = true;
            emit Exception(m_index, int(QAbstractSocket::HostNotFoundError) + 1, QStringLiteral("Host not found"));
        });
        return;
    }
    socket->connectToHost(m_remoteHost.trimmed(), quint16(m_remotePort), QIODevice::ReadWrite,
                          QAbstractSocket::IPv4Protocol);
}

int DsSocket::send(const QString &text)
{
    return send(toAnsi(text));
}

int DsSocket::send(const QByteArray &bytes)
{
    if (state() != kStateConnected)
        return kErrorNotConnected;
    if (m_sendBufferLimit > 0 && m_socket->bytesToWrite() + bytes.size() > m_sendBufferLimit) {
        m_waitingToDrain = true;
        return kErrorBufferFull;
    }
    m_socket->write(bytes);
    return 0;
}

void DsSocket::onConnected()
{
    m_connected = true;
    QPointer<QTcpSocket> socket = m_socket;
    emit Connect(m_index);
    if (socket && socket == m_socket)
        emit SendReady(m_index);
}

void DsSocket::onBytesWritten()
{
    if (m_waitingToDrain && m_socket && m_socket->bytesToWrite() == 0) {
        m_waitingToDrain = false;
        emit SendReady(m_index);
    }
}

void DsSocket::readAvailable()
{
    const QPointer<QTcpSocket> socket = m_socket;
    if (!socket || m_delivering == socket)
        return;   // the delivery under way takes the new data once its handler returns
    const QPointer<DsSocket> self(this);
    const QPointer<QTcpSocket> outer = std::exchange(m_delivering, socket);
    // Qt raises no readyRead for data that came in while one of our handlers waited, so each
    // round looks for more before it ends.
    while (deliver(socket->readAll()) && socket->bytesAvailable() > 0) {
    }
    if (self)
        m_delivering = outer;
}

bool DsSocket::deliver(const QByteArray &bytes)
{
    m_lineBuffer += bytes;
    return m_lineMode ? deliverLines() : deliverRest();
}

bool DsSocket::deliverLines()
{
    while (m_lineMode) {
        qsizetype end = m_lineBuffer.indexOf(m_eolChar);
        if (end < 0 && m_lineBuffer.size() >= kMaxLineBytes)
            end = kMaxLineBytes - 1;
        if (end < 0)
            return true;
        const QByteArray line = m_lineBuffer.left(end + 1);
        m_lineBuffer.remove(0, end + 1);
        if (!emitReceive(line))
            return false;
    }
    // A handler left line mode: the rest of the buffer follows as one chunk.
    return deliverRest();
}

bool DsSocket::deliverRest()
{
    if (m_lineBuffer.isEmpty())
        return true;
    return emitReceive(std::exchange(m_lineBuffer, QByteArray()));
}

bool DsSocket::emitReceive(const QByteArray &bytes)
{
    const QPointer<DsSocket> self(this);
    const QPointer<QTcpSocket> socket = m_socket;
    if (m_byteReceive)
        emit ReceiveBytes(m_index, bytes);
    else
        emit Receive(m_index, fromAnsi(bytes));
    // A handler may have closed this socket, started a new connection on it or deleted it.
    return self && socket && socket == m_socket;
}

void DsSocket::onError(QAbstractSocket::SocketError error)
{
    if (!m_socket)
        return;
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;   // the disconnected signal raises Close
    const int code = int(error) + 1;
    const QString description = m_socket->errorString();
    if (!m_connected) {
        m_connectFailed = true;
        emit Exception(m_index, code, description);
        return;
    }
    if (m_socket->state() == QAbstractSocket::UnconnectedState) {
        peerClosed(code, description);   // a reset ends the connection
        return;
    }
    emit Exception(m_index, code, description);
}

void DsSocket::onDisconnected()
{
    if (!m_connected || !m_socket)
        return;
    peerClosed(0, QString());
}

void DsSocket::peerClosed(int code, const QString &description)
{
    if (m_closeRaised)
        return;
    m_closeRaised = true;
    if (!deliver(m_socket->readAll()) || !deliverRest())
        return;
    m_connected = false;
    emit Close(m_index, code, description);
}

} // namespace Platform
