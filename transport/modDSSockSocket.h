#pragma once
// Connect, send and disconnect on a socket control. The plain procedures wait (bounded, with
// their own socket's state); the indexed ones serve the submission sockets, never wait and leave
// the rest to the socket's events.
#include <chrono>
#include <vector>

#include <QByteArray>
#include <QString>

#include "transport/HttpReplyReader.h"

namespace Platform { class DsSocket; }

namespace modDSSock {

// Connect results shared by every caller.
// kConnectCancelled: the socket was closed (SocketDisconnect) while the connect was waited for.
enum ConnectResult { kConnected = 0, kConnectPending = 1, kConnectTimeout = 2, kConnectCancelled = 3,
                     kConnectError = 4, kEmptyHost = 5 };

// Set by the Connect event of a plain socket, cleared before a connect and by a disconnect.
extern bool connectedFlag;
// Set by the SendReady event of a plain socket, cleared before a send.
extern bool sendReadyFlag;

// A dotted quad of decimal numbers 0-255 in their shortest form (spaces around are ignored).
bool isIPAddress(const QString &text);

// Connects and waits at most `timeOutSeconds` for this socket's connection. A time-out leaves
// the socket as it is; the caller decides. A disconnect during the wait ends it at once.
int SocketConnect(Platform::DsSocket &socket, int port, const QString &host, int timeOutSeconds);
// Sends all of `data`, waiting for SendReady after a full buffer; the wait ends unsent at a
// close or when the queued bytes stand still for the socket's stall limit. True when queued.
bool SendData(Platform::DsSocket &socket, const QString &data);
bool SendData(Platform::DsSocket &socket, const QByteArray &data);
// Closes the socket whatever its state: a connect still under way is abandoned.
void SocketDisconnect(Platform::DsSocket &socket);
// How often SocketDisconnect was called on this socket: its owner tells by it that a caller gave
// up a fetch while no connection stood.
quint64 disconnectCount(const Platform::DsSocket &socket);

using SteadyTime = std::chrono::steady_clock::time_point;

// One submission socket's request and reply.
struct SubmitSocket {
    bool connected = false;
    bool sendReady = false;
    bool busy = false;
    SteadyTime deadline{};
    QString Home;
    QString Host;
    int Port = 80;
    QString Name;
    QString Method;
    QString Action;
    QString SubmitData;
    QString Request;
    int httpStatus = 0;
    // Whether the reply is whole, its header's end and its body count.
    HttpReplyReader reply;
    QString Body;
    QString Header;
    QString protocol;
    int connectResult = 0;
    int resultStatus = 0;
    int engineIndex = 0;
    // Numbers each dispatch so events of an earlier request can be told apart.
    quint64 generation = 0;
};

// Records 1..N of the submission sockets (index 0 unused) and the sockets by the same index.
extern std::vector<SubmitSocket> socketTable;
extern std::vector<Platform::DsSocket *> submitSockets;

// Sizes the table and the socket list for `count` sockets, all records fresh.
void resizeSocketTable(int count, const std::vector<Platform::DsSocket *> &sockets);

// Starts the connect of socket i to its record's Host and Port; the deadline becomes now plus
// the time-out. kConnectPending when started: the Connect event or the time-out tells the rest.
int socketConnectByIndex(int i, int timeOutSeconds);
// Sends the record's Request; false when it could not be queued (logged).
bool sendDataByIndex(int i);
// Closes socket i whatever its state (no Close event follows).
void socketDisconnectByIndex(int i);

} // namespace modDSSock
