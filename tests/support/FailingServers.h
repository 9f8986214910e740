#pragma once
// Three servers on 127.0.0.1 that a page fetch fails against, each with the text its box must
// hold: one that never answers, one that stops in the middle of the body and closes, and a port
// that refuses the connection.
#include <QList>
#include <QString>

#include "LoopbackServer.h"

namespace TestSupport {

struct FailingServer {
    const char *name;
    QString hostPort;
    QString told;   // part of the box the user gets
};

class FailingServers {
public:
    FailingServers();
    QList<FailingServer> all() const;

private:
    LoopbackServer m_silent;
    LoopbackServer m_cut;
    QString m_refused;
};

} // namespace TestSupport
