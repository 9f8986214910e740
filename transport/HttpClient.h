#pragma once
// The HTTP client control of the rank check: one HTTP/1.0 GET at a time, direct or through a
// proxy with a Basic login, over a DsSocket. It lives beside the reply reader, the login encoding
// and the page fetch's caps it uses.
// - get() requests url(), over the connection that stands (opened by connectToProxy() and not
//   used yet) or over a new one: direct to the URL's host and port (80 when none), else to the
//   proxy. Redirects are reported, never followed.
// - A whole reply (HttpReplyReader: a status line, the header's end, the body to its
//   Content-Length, or to the close without one) is written to responseFile() atomically, then
//   Done(body, kResultOK, "OK"). Any status counts as a reply; a close before any byte, inside
//   the header or before the announced length, and a reply without a status line, are a broken
//   connection.
// - Every request started by get() or connectToProxy() ends in exactly one Done; a failure
//   raises one Error just before it and its Done carries an empty body.
// - A new get(), connectToProxy() or cancel() drops whatever the request before it had still
//   to raise; after cancel() nothing comes. Events come from the event loop only, never from
//   inside these calls; a handler may call them.
#include <optional>
#include <utility>

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTimer>

#include "platform/DsSocket.h"
#include "transport/HttpReplyReader.h"

namespace Platform {

class HttpClient : public QObject {
    Q_OBJECT
public:
    using Headers = QList<QPair<QString, QString>>;

    enum ProxyMode { kProxyDirect = 0, kProxyThrough = 3 };
    // The result code of Done; every code but kResultOK comes after an Error.
    enum Result {
        kResultOK = 0,
        kResultConnectFailed = 1,    // refused, unknown host, the connection broke, or no whole reply came
        kResultConnectTimeout = 2,
        kResultSilenceTimeout = 3,   // the reply went quiet for the time-out, or took ten times it in all
        kResultTooLarge = 4,
        kResultUrlRefused = 5,
        kResultFileNotWritten = 6,
    };

    explicit HttpClient(QObject *parent = nullptr, int index = 0);

    int index() const { return m_index; }

    // Seconds for the connect and for every silence of the reply (below 1 counts as 1); the
    // reply as a whole, from the request on the connection to its end, gets ten times that.
    int timeout() const { return m_timeout; }
    void setTimeout(int seconds) { m_timeout = seconds; }
    int proxyMode() const { return m_proxyMode; }
    void setProxyMode(int mode) { m_proxyMode = mode; }
    QString proxyHost() const { return m_proxyHost; }
    void setProxyHost(const QString &host) { m_proxyHost = host; }
    int proxyPort() const { return m_proxyPort; }
    void setProxyPort(int port) { m_proxyPort = port; }
    QString proxyUser() const { return m_proxyUser; }
    void setProxyUser(const QString &user) { m_proxyUser = user; }
    QString proxyPassword() const { return m_proxyPassword; }
    void setProxyPassword(const QString &password) { m_proxyPassword = password; }
    QString url() const { return m_url; }
    void setUrl(const QString &url) { m_url = url; }
    QString responseFile() const { return m_responseFile; }
    void setResponseFile(const QString &path) { m_responseFile = path; }

    // Opens the connection (to the proxy in proxy mode, else to the URL's host) and raises
    // Connected once it stands; a plain proxy needs no target host, which is only accepted.
    void connectToProxy(const QString &targetHost = QString());
    void get();
    void cancel();

signals:
    void Connected(int index);
    void HeaderDone(int index, const QString &statusLine, const Platform::HttpClient::Headers &headers);
    void Progress(int index, qint64 bodyBytes);
    void Done(int index, const QString &body, int resultCode, const QString &resultText);
    void Error(int index, const QString &text);

private:
    enum class Phase { Idle, Connecting, Standing, Reading };
    using Endpoint = std::pair<QString, int>;
    // What a request line and Host need of the URL.
    struct Target {
        QString hostPort;
        Endpoint server;
        QString path;
    };

    // Drops the request under way and numbers the next one.
    void startRequest();
    std::optional<Target> parsedUrl() const;
    Endpoint endpointFor(const Target &target) const;
    bool openConnection(const Endpoint &endpoint);
    void sendRequest();
    QByteArray requestBytes() const;
    void onConnect();
    void onBytes(const QByteArray &bytes);
    void onClose();
    void onException(const QString &description);
    void onDeadline();
    void onReplyDeadline();
    // False when the request has ended or a handler replaced or cancelled it meanwhile.
    bool readHeader(const QByteArray &bytes);
    bool readHeaderLine(const QString &line);
    bool readBody(const QByteArray &bytes);
    bool headerDone();
    void failReply(HttpReplyReader::State end);
    void completeReply();
    void fail(Result code, const QString &text);
    // Raises the failure later from the event loop, unless the request is replaced by then.
    void failLater(Result code, const QString &text);
    void closeConnection();
    void restartDeadline();
    bool current(quint64 request) const { return request == m_request; }

    int m_index = 0;
    int m_timeout = 30;
    int m_proxyMode = kProxyDirect;
    QString m_proxyHost;
    int m_proxyPort = 0;
    QString m_proxyUser;
    QString m_proxyPassword;
    QString m_url;
    QString m_responseFile;

    DsSocket m_socket;
    QTimer m_deadline;
    QTimer m_replyDeadline;
    Phase m_phase = Phase::Idle;
    Endpoint m_endpoint;
    Target m_target;
    // A get() waiting for its connection to stand.
    bool m_getPending = false;
    quint64 m_request = 0;
    HttpReplyReader m_reply;
    // Header bytes that are no whole line yet.
    QByteArray m_headerRest;
    QString m_statusLine;
    Headers m_headers;
    QByteArray m_body;
};

} // namespace Platform
