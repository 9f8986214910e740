#pragma once
// A port on 127.0.0.1 that refuses every connection while the object lives. A socket is bound to
// it without listening: the system answers a connect with a reset, and no other test or program
// can take the port meanwhile (a port freed by a closed server may be handed on and answer).
#include <QString>

namespace TestSupport {

class RefusedPort {
public:
    RefusedPort();
    ~RefusedPort();
    RefusedPort(const RefusedPort &) = delete;
    RefusedPort &operator=(const RefusedPort &) = delete;

    quint16 port() const { return m_port; }
    // "127.0.0.1:port"
    QString hostPort() const;

private:
    int m_socket = -1;
    quint16 m_port = 0;
};

} // namespace TestSupport
