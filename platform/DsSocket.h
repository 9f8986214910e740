#pragma once
// The TCP socket control every connection of the system goes through, over QTcpSocket.
// - setAction(kActionConnect) starts a connect (IPv4, no system proxy); a request that cannot
//   start (empty host, port outside 1-65535) fails at once with a non-zero code and no event.
// - setAction(kActionClose) ends the connection in any state and never raises Close; data
//   already queued is still sent before the connection ends.
// - Events come from the event loop only: Connect, then one SendReady; Receive (one line per
//   event in line mode, line end kept, a last partial line before Close; a chunk otherwise);
//   Close only when the peer ends the connection; Exception for every other error, failed
//   connects included (they raise no Connect). With byte receive on, ReceiveBytes carries the
//   raw bytes in place of Receive. Leaving line mode hands a buffered partial line over first.
//   Data that comes in while a Receive handler waits is delivered after the handler returns.
// - send() queues all the text as single-byte text (or the bytes as they are); past the
//   send-buffer limit it fails with kErrorBufferFull and a SendReady follows once the buffer
//   has drained.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpSocket>

namespace Platform {

class DsSocket : public QObject {
    Q_OBJECT
public:
    enum State { kStateClosed = 0, kStateConnecting = 1, kStateConnected = 2 };
    enum Action { kActionClose = 1, kActionConnect = 2 };
    static constexpr int kErrorBufferFull = 21035;
    static constexpr int kErrorInvalidAddress = 10049;
    static constexpr int kErrorNotConnected = 10057;
    // A line longer than this is delivered in pieces so a peer cannot grow the buffer at will.
    static constexpr qsizetype kMaxLineBytes = 64 * 1024;
    // How long a closed connection may go without handing over a byte of what was queued.
    static constexpr int kFlushOnCloseMs = 30000;
    // How long a waiting sender lets the queued bytes stand still before it gives up.
    static constexpr int kSendStallMs = 60000;

    explicit DsSocket(QObject *parent = nullptr, int index = 0);
    ~DsSocket() override;

    int index() const { return m_index; }

    QString remoteHost() const { return m_remoteHost; }
    void setRemoteHost(const QString &host) { m_remoteHost = host; }
    // A dotted address is just the host to connect to.
    QString remoteDotAddr() const { return m_remoteHost; }
    void setRemoteDotAddr(const QString &address) { m_remoteHost = address; }
    int remotePort() const { return m_remotePort; }
    void setRemotePort(int port) { m_remotePort = port; }

    bool lineMode() const { return m_lineMode; }
    void setLineMode(bool on);
    // Raw bytes through ReceiveBytes instead of text through Receive.
    bool byteReceive() const { return m_byteReceive; }
    void setByteReceive(bool on) { m_byteReceive = on; }
    char eolChar() const { return m_eolChar; }
    void setEolChar(char ch) { m_eolChar = ch; }

    // Bytes queued beyond this make send() fail with kErrorBufferFull.
    qint64 sendBufferLimit() const { return m_sendBufferLimit; }
    void setSendBufferLimit(qint64 bytes) { m_sendBufferLimit = bytes; }
    qint64 bytesToWrite() const;
    // What was queued and has not yet reached the peer: ours plus the system's send queue.
    qint64 bytesUnsent() const;
    int sendStallMs() const { return m_sendStallMs; }
    void setSendStallMs(int ms) { m_sendStallMs = ms; }
    int flushOnCloseMs() const { return m_flushOnCloseMs; }
    void setFlushOnCloseMs(int ms) { m_flushOnCloseMs = ms; }

    int state() const;
    qintptr socketHandle() const;
    // The connected peer's dotted address, empty when not connected.
    QString peerAddress() const;
    // Whether the last connect ended in an error before the connection stood.
    bool connectFailed() const { return m_connectFailed; }
    // Whether a connect was started and the socket has not been closed by us since.
    bool isOpen() const { return !m_socket.isNull(); }

    // 0 when done, else an error code (only a connect can fail here).
    int setAction(int action);
    // 0, or kErrorBufferFull (nothing queued), or another non-zero code when not connected.
    int send(const QString &text);
    int send(const QByteArray &bytes);

signals:
    void Connect(int index);
    void SendReady(int index);
    void Receive(int index, const QString &data);
    void ReceiveBytes(int index, const QByteArray &data);
    void Close(int index, int errorCode, const QString &errorDesc);
    void Exception(int index, int errorCode, const QString &errorDesc);

private:
    void closeNow();
    void startConnect();
    void onConnected();
    void onBytesWritten();
    void onError(QAbstractSocket::SocketError error);
    void onDisconnected();
    void readAvailable();
    // Hands the received bytes to Receive; false when a handler closed, replaced or deleted
    // the socket.
    bool deliver(const QByteArray &bytes);
    bool deliverLines();
    bool deliverRest();
    bool emitReceive(const QByteArray &bytes);
    void peerClosed(int code, const QString &description);

    int m_index = 0;
    QString m_remoteHost;
    int m_remotePort = 0;
    bool m_lineMode = false;
    bool m_byteReceive = false;
    char m_eolChar = '\n';
    qint64 m_sendBufferLimit = 4 * 1024 * 1024;
    int m_sendStallMs = kSendStallMs;
    int m_flushOnCloseMs = kFlushOnCloseMs;
    QPointer<QTcpSocket> m_socket;
    // The connection whose data is being handed to a handler right now, if any.
    QPointer<QTcpSocket> m_delivering;
    QByteArray m_lineBuffer;
    bool m_connected = false;
    bool m_connectFailed = false;
    bool m_waitingToDrain = false;
    bool m_closeRaised = false;
};

} // namespace Platform
