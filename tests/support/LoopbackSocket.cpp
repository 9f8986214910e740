#include "support/LoopbackSocket.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

namespace TestSupport {

sockaddr_in loopbackAddress(quint16 port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

BoundLoopbackSocket bindLoopbackSocket()
{
    BoundLoopbackSocket bound;
    bound.socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (bound.socket < 0)
        return bound;
    sockaddr_in address = loopbackAddress(0);
    socklen_t length = sizeof address;
    if (::bind(bound.socket, reinterpret_cast<sockaddr *>(&address), length) != 0
        || ::getsockname(bound.socket, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(bound.socket);
        return {};
    }
    bound.port = ntohs(address.sin_port);
    return bound;
}

} // namespace TestSupport
