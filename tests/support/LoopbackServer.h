#pragma once
// A scripted HTTP-like peer on 127.0.0.1 with an ephemeral port. It collects each connection's
// request (header block, plus a Content-Length body when one is announced) and hands it to the
// handler, which answers on the socket as the test needs: a canned reply, silence, a close in
// mid-reply, a huge body.
#include <functional>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

namespace TestSupport {

class LoopbackServer : public QObject {
    Q_OBJECT
public:
    explicit LoopbackServer(QObject *parent = nullptr);

    quint16 port() const;
    QString host() const { return QStringLiteral("127.0.0.1"); }
    QString hostPort() const;   // "127.0.0.1:<port>"

    using Handler = std::function<void(QTcpSocket *client, const QByteArray &request)>;
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    // Answers every request with `reply`; closes the connection after it when `close` is set.
    void replyWith(const QByteArray &reply, bool close = true);
    // Reads requests but never answers.
    void neverAnswer();

    QList<QByteArray> requests() const { return m_requests; }
    int connectionCount() const { return m_connections; }
    bool waitForRequests(int count, int timeoutMs);

    // Writes `line` to the client every `everyMs` until it has been written `count` times, for a
    // peer that never goes quiet long enough for an idle deadline.
    static void trickle(QTcpSocket *client, const QByteArray &line, int everyMs, int count);

    // "HTTP/1.0 <status>\r\n<headers>\r\n\r\n<body>" with a Content-Length header.
    static QByteArray httpReply(int status, const QByteArray &body,
                                const QByteArray &extraHeaders = QByteArray());

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *client);

    QTcpServer m_server;
    Handler m_handler;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QList<QByteArray> m_requests;
    int m_connections = 0;
};

} // namespace TestSupport
