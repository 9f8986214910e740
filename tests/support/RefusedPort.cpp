#include "RefusedPort.h"

#include <unistd.h>

#include "support/LoopbackSocket.h"

namespace TestSupport {

RefusedPort::RefusedPort()
{
    const BoundLoopbackSocket bound = bindLoopbackSocket();
    m_socket = bound.socket;
    m_port = bound.port;
}

RefusedPort::~RefusedPort()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

QString RefusedPort::hostPort() const
{
    return QStringLiteral("127.0.0.1:") + QString::number(m_port);
}

} // namespace TestSupport
