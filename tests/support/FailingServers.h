#pragma once
// Servers on 127.0.0.1 that a page fetch fails against, each with the text its box must hold: one
// that never answers, one that closes before any byte, one that closes inside the reply header,
// one that stops in the middle of the body and closes, and a port that refuses the connection.
#include <functional>

#include <QList>
#include <QString>

#include "LoopbackServer.h"
#include "RefusedPort.h"
#include "ScriptedDialogs.h"

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
    LoopbackServer m_closed;
    LoopbackServer m_headerCut;
    LoopbackServer m_cut;
    RefusedPort m_refused;
};

// Waits until the fetch against `server` has failed and `usable` holds (the window's buttons and
// status are back), then checks that one box came, naming what happened, with the pointer back.
// Clears the log of shown boxes for the next server.
void expectOneFailureBox(ScriptedDialogs &dialogs, const FailingServer &server, const std::function<bool()> &usable);

} // namespace TestSupport
