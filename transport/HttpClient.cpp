#include "transport/HttpClient.h"

#include <QStringList>

#include "platform/Codec1252.h"
#include "platform/TextFile.h"
#include "transport/HttpReply.h"
#include "transport/HttpRequest.h"
#include "transport/frmHTTP.h"
#include "platform/modBase64Encode.h"
#include "transport/modDSSockUrl.h"

using namespace Qt::StringLiterals;

namespace Platform {
namespace {

bool hasControlCharacter(const QString &text)
{
    for (QChar ch : text) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            return true;
    }
    return false;
}

} // namespace

HttpClient::HttpClient(QObject *parent, int index) : QObject(parent), m_index(index), m_socket(this, index)
{
    m_socket.setLineMode(false);
    m_socket.setByteReceive(true);
    m_deadline.setSingleShot(true);
    m_replyDeadline.setSingleShot(true);
    // A coarse timer may fire up to 5% early: a deadline never ends a reply before its time.
    m_deadline.setTimerType(Qt::PreciseTimer);
    m_replyDeadline.setTimerType(Qt::PreciseTimer);
    connect(&m_socket, &DsSocket::Connect, this, &HttpClient::onConnect);
    connect(&m_socket, &DsSocket::ReceiveBytes, this, [this](int, const QByteArray &bytes) { onBytes(bytes); });
    connect(&m_socket, &DsSocket::Close, this, &HttpClient::onClose);
    connect(&m_socket, &DsSocket::Exception, this,
            [this](int, int, const QString &description) { onException(description); });
    connect(&m_deadline, &QTimer::timeout, this, &HttpClient::onDeadline);
    connect(&m_replyDeadline, &QTimer::timeout, this, &HttpClient::onReplyDeadline);
}

void HttpClient::connectToProxy(const QString &)
{
    startRequest();
    if (m_proxyMode == kProxyThrough) {
        openConnection({m_proxyHost, m_proxyPort});
        return;
    }
    const std::optional<Target> target = parsedUrl();
    if (!target) {
        closeConnection();
        failLater(kResultUrlRefused, u"URL refused"_s);
        return;
    }
    openConnection(target->server);
}

void HttpClient::get()
{
    const bool reusable = m_phase == Phase::Connecting || m_phase == Phase::Standing;
    startRequest();
    const std::optional<Target> target = parsedUrl();
    if (!target) {
        closeConnection();
        failLater(kResultUrlRefused, u"URL refused"_s);
        return;
    }
    m_target = *target;
    const Endpoint endpoint = endpointFor(m_target);
    if (!(reusable && endpoint == m_endpoint) && !openConnection(endpoint))
        return;
    if (m_phase == Phase::Standing)
        sendRequest();
    else
        m_getPending = true;
}

void HttpClient::cancel()
{
    startRequest();
    closeConnection();
}

void HttpClient::startRequest()
{
    ++m_request;
    m_getPending = false;
    m_reply = HttpReplyReader(frmHTTP::kMaxPageChars);
    m_headerRest.clear();
    m_statusLine.clear();
    m_headers.clear();
    m_body.clear();
}

std::optional<HttpClient::Target> HttpClient::parsedUrl() const
{
    const QString scheme = u"http://"_s;
    if (!m_url.startsWith(scheme, Qt::CaseInsensitive) || hasControlCharacter(m_url))
        return std::nullopt;
    const QString rest = m_url.mid(scheme.size());
    qsizetype end = 0;
    while (end < rest.size() && rest.at(end) != u'/' && rest.at(end) != u'?')
        ++end;
    Target target;
    target.hostPort = rest.left(end);
    target.server = HttpReply::splitHostPort(target.hostPort);
    target.path = rest.mid(end);
    if (!target.path.startsWith(u'/'))
        target.path.prepend(u'/');
    if (target.server.first.trimmed().isEmpty())
        return std::nullopt;
    return target;
}

HttpClient::Endpoint HttpClient::endpointFor(const Target &target) const
{
    return m_proxyMode == kProxyThrough ? Endpoint{m_proxyHost, m_proxyPort} : target.server;
}

bool HttpClient::openConnection(const Endpoint &endpoint)
{
    closeConnection();
    m_socket.setRemoteHost(endpoint.first);
    m_socket.setRemotePort(endpoint.second);
    if (m_socket.setAction(DsSocket::kActionConnect) != 0) {
        failLater(kResultConnectFailed, u"Connection failed: invalid host or port"_s);
        return false;
    }
    m_endpoint = endpoint;
    m_phase = Phase::Connecting;
    restartDeadline();
    return true;
}

void HttpClient::sendRequest()
{
    m_phase = Phase::Reading;
    restartDeadline();
    // A server that keeps sending, however slowly, still gets no more than the whole reply's time.
    m_replyDeadline.start(10 * qMax(1, m_timeout) * 1000);
    if (m_socket.send(requestBytes()) != 0)
        failLater(kResultConnectFailed, u"Connection failed: the request could not be sent"_s);
}

// The URL's own bytes, never re-encoded: the proxy gets it whole, a server its path and query.
QByteArray HttpClient::requestBytes() const
{
    modDSSock::RequestSettings settings;
    if (m_proxyMode == kProxyThrough) {
        settings.accessType = 2;
        settings.proxy = m_proxyHost;
        settings.port = m_proxyPort;
        if (!m_proxyUser.isEmpty())
            settings.login = modBase64Encode::base64Encode(m_proxyUser + u':' + m_proxyPassword);
    }
    return toAnsi(modDSSock::rankCheckRequest(m_target.hostPort, m_target.path, settings).text());
}

void HttpClient::onConnect()
{
    m_phase = Phase::Standing;
    m_deadline.stop();
    const quint64 request = m_request;
    emit Connected(m_index);
    if (current(request) && m_getPending) {
        m_getPending = false;
        sendRequest();
    }
}

void HttpClient::onBytes(const QByteArray &bytes)
{
    if (m_phase != Phase::Reading)
        return;   // nothing was asked on this connection yet
    restartDeadline();
    if (m_reply.readingHeader())
        readHeader(bytes);
    else
        readBody(bytes);
}

bool HttpClient::readHeader(const QByteArray &bytes)
{
    m_headerRest += bytes;
    qsizetype at = 0;
    while (m_reply.readingHeader()) {
        const qsizetype lineEnd = m_headerRest.indexOf('\n', at);
        if (lineEnd < 0)
            break;
        if (!readHeaderLine(fromAnsi(m_headerRest.mid(at, lineEnd + 1 - at))))
            return false;
        at = lineEnd + 1;
    }
    m_headerRest.remove(0, at);
    if (!m_reply.readingHeader())
        return headerDone();
    if (m_reply.headerBytes() + m_headerRest.size() > HttpReplyReader::kMaxHeaderBytes) {
        m_reply.headerLine(fromAnsi(m_headerRest));
        failReply(m_reply.state());
        return false;
    }
    return true;
}

bool HttpClient::readHeaderLine(const QString &line)
{
    const bool first = m_reply.headerBytes() == 0;
    m_reply.headerLine(line);
    if (m_reply.failed()) {
        failReply(m_reply.state());
        return false;
    }
    if (first) {
        m_statusLine = modDSSock::trimLineEnd(line);
    } else if (const std::optional<std::pair<QString, QString>> field = HttpReply::field(line)) {
        m_headers.append(*field);
    }
    return true;
}

bool HttpClient::headerDone()
{
    const QByteArray body = std::exchange(m_headerRest, QByteArray());
    const quint64 request = m_request;
    emit HeaderDone(m_index, m_statusLine, m_headers);
    return current(request) && readBody(body);
}

bool HttpClient::readBody(const QByteArray &bytes)
{
    const qint64 taken = m_reply.bodyBytes(bytes.size());
    if (m_reply.failed()) {
        failReply(m_reply.state());
        return false;
    }
    m_body += bytes.left(taken);
    if (taken > 0) {
        const quint64 request = m_request;
        emit Progress(m_index, m_body.size());
        if (!current(request))
            return false;
    }
    if (m_reply.state() == HttpReplyReader::State::Whole) {
        completeReply();
        return false;
    }
    return true;
}

// The server's close ends a reply without Content-Length; any other reply is whole by then or
// broken (HttpReplyReader).
void HttpClient::onClose()
{
    if (m_phase != Phase::Reading) {
        closeConnection();
        return;
    }
    if (m_reply.readingHeader() && !m_headerRest.isEmpty())
        m_reply.headerLine(fromAnsi(std::exchange(m_headerRest, QByteArray())));
    const HttpReplyReader::State end = m_reply.atClose();
    if (HttpReplyReader::isWhole(end))
        completeReply();
    else
        failReply(end);
}

void HttpClient::failReply(HttpReplyReader::State end)
{
    if (end == HttpReplyReader::State::TooLarge)
        fail(kResultTooLarge, u"reply too large"_s);
    else
        fail(kResultConnectFailed, m_target.hostPort + u' ' + m_reply.problem(end));
}

void HttpClient::onException(const QString &description)
{
    if (m_phase != Phase::Idle)
        fail(kResultConnectFailed, u"Connection failed: "_s + description);
}

void HttpClient::onDeadline()
{
    if (m_phase == Phase::Connecting)
        fail(kResultConnectTimeout, u"Connect time-out"_s);
    else if (m_phase == Phase::Reading)
        fail(kResultSilenceTimeout, u"Time-out: no data from the server"_s);
}

void HttpClient::onReplyDeadline()
{
    if (m_phase == Phase::Reading)
        fail(kResultSilenceTimeout, u"Time-out: the reply took too long"_s);
}

void HttpClient::completeReply()
{
    closeConnection();
    const QByteArray body = std::exchange(m_body, QByteArray());
    if (!writeBinaryFileAtomically(m_responseFile, body)) {
        fail(kResultFileNotWritten, u"Response file not written: "_s + m_responseFile);
        return;
    }
    startRequest();
    emit Done(m_index, fromAnsi(body), kResultOK, u"OK"_s);
}

// The request is over: anything still queued for it is dropped by its number.
void HttpClient::fail(Result code, const QString &text)
{
    closeConnection();
    startRequest();
    const quint64 request = m_request;
    emit Error(m_index, text);
    if (current(request))
        emit Done(m_index, QString(), code, text);
}

void HttpClient::failLater(Result code, const QString &text)
{
    const quint64 request = m_request;
    QMetaObject::invokeMethod(
        this, [this, request, code, text] {
            if (current(request))
                fail(code, text);
        },
        Qt::QueuedConnection);
}

void HttpClient::closeConnection()
{
    m_deadline.stop();
    m_replyDeadline.stop();
    m_getPending = false;
    m_phase = Phase::Idle;
    m_socket.setAction(DsSocket::kActionClose);
}

void HttpClient::restartDeadline()
{
    m_deadline.start(qMax(1, m_timeout) * 1000);
}

} // namespace Platform
