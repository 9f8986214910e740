#pragma once
// The request of the shared page fetch: one HTTP/1.0 GET of a whole URL, straight to the URL's
// host or through the configured proxy, with Basic authorisation once the server or the proxy has
// asked for it (see transport/HttpRequest.h for where each login may go).
#include <QString>

namespace Platform {
class DsSocket;
}

namespace modDSSock {

// Whether connections go through the proxy: access type 2 and a proxy named.
bool useProxy();

// The whole request text for `url` (every line ends with CR LF, an empty line ends it). When a
// login is involved the request is also written to the error log with the login masked.
QString buildHTTPGet(const QString &url);

// Builds the request and sends it on the connected socket.
void sendHTTPGet(Platform::DsSocket &socket, const QString &url);

// Whether the request for `url` carries the stored server login (its host and port are allowed).
bool sendsServerLogin(const QString &url);

// Remembers a login demand (401 or 407) in the settings, at once. A server's demand is
// remembered only once the login is to go there: the host and port of `url` join the allowed
// list, and the login goes to them from then on.
void rememberLoginDemand(int statusCode, const QString &url);

} // namespace modDSSock
