#include "LoopbackServer.h"

#include "platform/EventLoop.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace TestSupport {
namespace {

// Length of a complete request at the start of `data`, or -1 while it is incomplete.
qsizetype completeRequestLength(const QByteArray &data)
{
    qsizetype headerEnd = data.indexOf("\r\n\r\n");
    qsizetype sepLen = 4;
    const qsizetype lfEnd = data.indexOf("\n\n");
    if (headerEnd < 0 || (lfEnd >= 0 && lfEnd < headerEnd)) {
        headerEnd = lfEnd;
        sepLen = 2;
    }
    if (headerEnd < 0)
        return -1;
    const QByteArray header = data.left(headerEnd).toLower();
    qsizetype bodyLength = 0;
    const qsizetype at = header.indexOf("content-length:");
    if (at >= 0) {
        qsizetype end = header.indexOf('\n', at);
        bodyLength = header.mid(at + 15, end < 0 ? -1 : end - at - 15).trimmed().toLongLong();
    }
    const qsizetype total = headerEnd + sepLen + bodyLength;
    return data.size() >= total ? total : -1;
}

} // namespace

LoopbackServer::LoopbackServer(QObject *parent) : QObject(parent)
{
    EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackServer::onNewConnection);
}

quint16 LoopbackServer::port() const
{
    return m_server.serverPort();
}

QString LoopbackServer::hostPort() const
{
    return host() + u':' + QString::number(port());
}

void LoopbackServer::replyWith(const QByteArray &reply, bool close)
{
    m_handler = [reply, close](QTcpSocket *client, const QByteArray &) {
        client->write(reply);
        if (close)
            client->disconnectFromHost();
    };
}

void LoopbackServer::neverAnswer()
{
    m_handler = [](QTcpSocket *, const QByteArray &) {};
}

bool LoopbackServer::waitForRequests(int count, int timeoutMs)
{
    return Platform::waitUntil([&] { return m_requests.size() >= count; }, timeoutMs);
}

void LoopbackServer::trickle(QTcpSocket *client, const QByteArray &line, int everyMs, int count)
{
    auto *pace = new QTimer(client);
    connect(pace, &QTimer::timeout, client, [client, pace, line, count, written = 0]() mutable {
        client->write(line);
        if (++written == count)
            pace->stop();
    });
    pace->start(everyMs);
}

QByteArray LoopbackServer::httpReply(int status, const QByteArray &body, const QByteArray &extraHeaders)
{
    QByteArray reply = "HTTP/1.0 " + QByteArray::number(status) + " Status\r\n";
    reply += "Content-Type: text/html\r\n";
    reply += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    reply += extraHeaders;
    reply += "\r\n";
    reply += body;
    return reply;
}

void LoopbackServer::onNewConnection()
{
    while (QTcpSocket *client = m_server.nextPendingConnection()) {
        ++m_connections;
        client->setParent(this);
        m_pending.insert(client, QByteArray());
        connect(client, &QTcpSocket::readyRead, this, [this, client] { onReadyRead(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] {
            m_pending.remove(client);
            client->deleteLater();
        });
    }
}

void LoopbackServer::onReadyRead(QTcpSocket *client)
{
    QByteArray &buffer = m_pending[client];
    buffer += client->readAll();
    for (;;) {
        const qsizetype length = completeRequestLength(buffer);
        if (length < 0)
            return;
        const QByteArray request = buffer.left(length);
        buffer.remove(0, length);
        m_requests.append(request);
        if (m_handler)
            m_handler(client, request);
        if (!m_pending.contains(client))
            return;
    }
}

} // namespace TestSupport
