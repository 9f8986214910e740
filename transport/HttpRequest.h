#pragma once
// Every HTTP request the program sends: one request head, its one writer, and one maker per
// client (page fetch, submission, rank check, engine data update) holding that client's form.
// The makers keep the login rules: a server login goes only to a host and port the user allowed,
// a proxy login only to the proxy and only when the request goes through it; a request through a
// proxy that asked for its login to an allowed server carries both.
#include <optional>

#include <QString>

namespace modDSSock {

// The user's connection settings as the makers read them.
struct RequestSettings {
    int accessType = 0;     // 2: through the proxy
    QString proxy;
    int port = 0;           // the proxy's port
    int authentication = 0; // the stored login demand: 0, 401 (a server) or 407 (the proxy, kept until it is no longer asked for)
    QString login;          // Base64 of "user:password", or empty
    QString allowedHosts;   // the "host:port" entries the user allowed the server login to go to, blank-separated

    bool viaProxy() const { return accessType == 2 && !proxy.isEmpty(); }
    // The settings held by myPreference().
    static RequestSettings current();
};

struct HttpRequest {
    // Where the login lines stand (the proxy's first); each client keeps the order it has always sent.
    enum class LoginAt { AfterHost, AfterUserAgent, BeforeHost };

    QString method = QStringLiteral("GET");
    QString target;        // an origin path ("/a?b") or an absolute URL (through a proxy)
    QString host;          // the Host line's value; no Host line when empty
    std::optional<QString> proxyLogin;    // Base64 for Proxy-Authorization; no line when none
    std::optional<QString> serverLogin;   // Base64 for Authorization; no line when none
    LoginAt loginAt = LoginAt::AfterHost;
    QString userAgent;     // no User-Agent line when empty
    std::optional<QString> formBody;   // the url-encoded body of a POST

    // The whole request, HTTP/1.0, every line ending in CR LF. A blank or a control character
    // of the target goes out as "%XX", so that the request line stays whole.
    QString text() const;
    // The head up to its login lines, for the log: without Accept, body and the empty line.
    QString textBeforeAccept() const;
};

// "host:port" with the host in lower case and the port always named (80 when none).
QString hostPortKey(const QString &hostPort);
// Whether the stored server login may go to `hostPort` (a URL's host with its port, if any):
// only to a host and port the user allowed.
bool serverLoginGoesTo(const RequestSettings &settings, const QString &hostPort);

// The page fetch's GET of a whole URL.
HttpRequest pageFetchRequest(const QString &url, const RequestSettings &settings);
// A submission: `action` with the query of a GET already joined; `originPath` its path and query
// after the host without the leading "/"; `hostLine` where the request is sent ("host:port").
HttpRequest submissionRequest(const QString &method, const QString &action, const QString &originPath,
                              const QString &hostLine, const std::optional<QString> &formBody,
                              const RequestSettings &settings);
// A rank-check GET of `path` on `hostPort`. Its proxy login is offered before the proxy asks.
HttpRequest rankCheckRequest(const QString &hostPort, const QString &path, const RequestSettings &settings);
// The update's GET of `path` on the vendor's host; `hostLine` is where it is sent ("host:port").
HttpRequest updateRequest(const QString &vendorHost, const QString &path, const QString &hostLine,
                          const RequestSettings &settings);

} // namespace modDSSock
