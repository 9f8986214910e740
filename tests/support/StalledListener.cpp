#include "support/StalledListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace TestSupport {

StalledListener::StalledListener()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) != 0
        || ::listen(m_listener, 0) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return;
    m_port = ntohs(address.sin_port);
    // Connections the kernel completes fill the queue; the first one left pending shows it is full.
    for (int i = 0; i < 8; ++i) {
        const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (client < 0)
            return;
        m_clients.push_back(client);
        ::connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address);
        pollfd wait{client, POLLOUT, 0};
        if (::poll(&wait, 1, 200) == 0) {
            m_full = true;
            return;
        }
    }
}

StalledListener::~StalledListener()
{
    for (int client : m_clients)
        ::close(client);
    if (m_listener >= 0)
        ::close(m_listener);
}

} // namespace TestSupport
