#pragma once
// The request of the shared page fetch: one HTTP/1.0 GET of a whole URL, straight to the URL's
// host or through the configured proxy, with Basic authorisation once the server or the proxy has
// asked for it (see transport/HttpRequest.h for where each login may go).
#include <QString>

#include "transport/HttpRequest.h"

namespace Platform {
class DsSocket;
}

namespace modDSSock {

// Whether connections go through the proxy: access type 2 and a proxy named.
bool useProxy();

// The whole request text for `url` (every line ends with CR LF, an empty line ends it). When a
// login is involved the request is also written to the error log with the login masked.
QString buildHTTPGet(const QString &url);

// Builds the request and sends it on the connected socket; gives the request sent (the logins it
// carried).
HttpRequest sendHTTPGet(Platform::DsSocket &socket, const QString &url);

// Whether the request for `url` carries the stored server login (its host and port are allowed).
bool sendsServerLogin(const QString &url);

// Remembers a login demand in the settings, at once. 407: the proxy asked, and its login goes
// with every request through it from then on. 401: the host and port of `url` (a URL, or a host
// with its port) join the allowed servers; a proxy demand stored earlier stays.
void rememberLoginDemand(int statusCode, const QString &url);

// The one question before the stored login goes to a server that asked for it: "<server> asks
// for a login. ... Send the stored login of user "..." to <server>?", Yes and No, No on Enter
// and Esc. Yes allows the server of `url` (remembered at once) and gives true.
bool askToSendLogin(const QString &url);

} // namespace modDSSock
