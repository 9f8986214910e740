#pragma once
// The HTTP side of a submission: the request of one engine, reading the reply line by line and
// the result statuses.
#include <QString>

#include "submission/SubmitSettings.h"
#include "transport/modDSSockSocket.h"

namespace SubmitHttp {

// Result statuses of an engine. kNotSent, beyond the codes a request can end with, marks an engine
// a stopped run never sent: it neither succeeded nor failed.
enum Status {
    kUnknown = 0, kSuccess = 2, kFailed = 3, kSubmissionTimeout = 4, kCancelled = 5,
    kInvalidHost = 9, kServerError = 10, kUnreadableStatus = 13, kServerFailure = 14, kNotSent = 20,
};

// Reply lines, headers and bodies are kept up to this size; the rest is only counted.
inline constexpr qsizetype kMaxKeptText = 64 * 1024;

struct Request {
    QString text;          // the whole request, single-byte text
    QString host;          // where to connect: the proxy or the action's host
    int port = 80;
    bool viaProxy = false;
    bool invalidHost = false;   // a host without "." is never connected to
};

// The GET or POST request of an engine, direct or through the proxy.
Request buildRequest(const QString &method, const QString &action, const QString &submitData,
                     const SubmitSettings &settings);

// Host and port to connect to for an action URL: ":port" honoured, a query or fragment cut off.
void actionHostAndPort(const QString &action, QString &host, int &port);

// Reads one reply line into the record (record.reply decides). True once the reply is over
// before any close: whole (its body reached Content-Length, at the header's end for 0), or never
// to become whole (no status line, a header beyond its cap, an unreadable length); statusOnClose
// gives its status from then on. Without Content-Length only the close ends the reply.
bool readReplyLine(modDSSock::SubmitSocket &record, const QString &line);

// The status of a reply that is over: the server closed, or readReplyLine said so. A reply that is
// not whole (nothing, no status line, closed inside the header or the body) is Failed.
int statusOnClose(const modDSSock::SubmitSocket &record);

// The report text of a status.
QString statusText(int status);

// The time-out check period in milliseconds for a time-out of `seconds`.
int timeOutInterval(int seconds);

} // namespace SubmitHttp
