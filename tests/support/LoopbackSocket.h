#pragma once
// A TCP socket bound to 127.0.0.1 on a port the system picks, not listening yet: the start of the
// test peers that hold a port without a server behind it (RefusedPort, StalledListener).
#include <netinet/in.h>

#include <QtGlobal>

namespace TestSupport {

struct BoundLoopbackSocket {
    int socket = -1;   // -1 when no socket could be made and bound
    quint16 port = 0;
};

// No SO_REUSEADDR: no other socket can bind the port while this one holds it. The caller closes
// the socket.
BoundLoopbackSocket bindLoopbackSocket();

// 127.0.0.1 and `port`, for connect().
sockaddr_in loopbackAddress(quint16 port);

} // namespace TestSupport
