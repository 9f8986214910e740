#include "support/StalledListener.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/LoopbackSocket.h"

namespace TestSupport {

StalledListener::StalledListener()
{
    const BoundLoopbackSocket bound = bindLoopbackSocket();
    m_listener = bound.socket;
    if (m_listener < 0 || ::listen(m_listener, 0) != 0)
        return;
    m_port = bound.port;
    const sockaddr_in address = loopbackAddress(bound.port);
    // Connections the kernel completes fill the queue; the first one left pending shows it is full.
    for (int i = 0; i < 8; ++i) {
        const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (client < 0)
            return;
        m_clients.push_back(client);
        ::connect(client, reinterpret_cast<const sockaddr *>(&address), sizeof address);
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
