#include "FailingServers.h"

#include <gtest/gtest.h>

#include <QTcpSocket>

#include "platform/EventLoop.h"

namespace TestSupport {

FailingServers::FailingServers()
{
    m_silent.neverAnswer();
    m_closed.setHandler([](QTcpSocket *client, const QByteArray &) { client->disconnectFromHost(); });
    m_headerCut.setHandler([](QTcpSocket *client, const QByteArray &) {
        client->write("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n");
        client->disconnectFromHost();
    });
    m_cut.setHandler([](QTcpSocket *client, const QByteArray &) {
        client->write("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nfirst\nsecond half");
        client->disconnectFromHost();
    });
}

QList<FailingServer> FailingServers::all() const
{
    return {
        {"never answers", m_silent.hostPort(), m_silent.hostPort() + QStringLiteral(" did not answer within ")},
        {"closes before any byte", m_closed.hostPort(),
         m_closed.hostPort() + QStringLiteral(" closed the connection without a reply.")},
        {"closes inside the header", m_headerCut.hostPort(),
         m_headerCut.hostPort() + QStringLiteral(" closed the connection inside the reply header.")},
        {"stops in the body", m_cut.hostPort(), m_cut.hostPort() + QStringLiteral(" stopped sending after 17 of 100 bytes.")},
        {"refuses", m_refused.hostPort(), QStringLiteral("Could not connect to ") + m_refused.hostPort() + u'.'},
    };
}

void expectOneFailureBox(ScriptedDialogs &dialogs, const FailingServer &server, const std::function<bool()> &usable)
{
    constexpr int kWaitMs = 8000;   // above the fetch's own time-out in these tests
    ASSERT_TRUE(Platform::waitUntil([&] { return !dialogs.shown().isEmpty() && usable(); }, kWaitMs));
    Platform::waitUntil([] { return false; }, 100);   // a second box would come now
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_TRUE(dialogs.shown()[0].prompt.contains(server.told)) << dialogs.shown()[0].prompt.toStdString();
    EXPECT_FALSE(Platform::isBusyPointer());
    dialogs.clearLog();
}

} // namespace TestSupport
