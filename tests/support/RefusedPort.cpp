#include "RefusedPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace TestSupport {

RefusedPort::RefusedPort()
{
    // No SO_REUSEADDR: another socket cannot bind the port while this one holds it.
    m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_socket >= 0 && ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        m_port = ntohs(address.sin_port);
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
