#include "FailingServers.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace TestSupport {

FailingServers::FailingServers()
{
    m_silent.neverAnswer();
    m_cut.setHandler([](QTcpSocket *client, const QByteArray &) {
        client->write("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nfirst\nsecond half");
        client->disconnectFromHost();
    });
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    m_refused = QStringLiteral("127.0.0.1:") + QString::number(closed.serverPort());
}

QList<FailingServer> FailingServers::all() const
{
    return {
        {"never answers", m_silent.hostPort(), m_silent.hostPort() + QStringLiteral(" did not answer within ")},
        {"stops in the body", m_cut.hostPort(), m_cut.hostPort() + QStringLiteral(" stopped sending after 17 of 100 bytes.")},
        {"refuses", m_refused, QStringLiteral("Could not connect to ") + m_refused + u'.'},
    };
}

} // namespace TestSupport
