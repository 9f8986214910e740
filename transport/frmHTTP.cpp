#include "transport/frmHTTP.h"

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "core/modCommonHtml.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "transport/HttpReply.h"
#include "transport/HttpRequest.h"
#include "platform/modDSSockLog.h"
#include "transport/modDSSockSocket.h"
#include "transport/modDSSockUrl.h"
#include "transport/modHttpGet.h"

#include <QHash>
#include <QUrl>

#include <tuple>
#include <utility>

using HttpReply::splitHostPort;
using namespace Qt::StringLiterals;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

struct RegisteredReceiver {
    QPointer<QObject> owner;
    frmHTTP::PageReceiver receiver;
};

QHash<QString, RegisteredReceiver> &receiverTable()
{
    static QHash<QString, RegisteredReceiver> table;
    return table;
}

frmHTTP::Intervals &currentIntervals()
{
    static frmHTTP::Intervals values;
    return values;
}

QPointer<frmHTTP> &loadedWindow()
{
    static QPointer<frmHTTP> window;
    return window;
}

// The receiver of a kind whose owner still lives, or null.
const frmHTTP::PageReceiver *liveReceiver(const QString &kind)
{
    auto it = receiverTable().constFind(kind.toLower());
    if (it == receiverTable().constEnd() || it->owner.isNull())
        return nullptr;
    return &it->receiver;
}

// Whether the URL lies on the vendor's own web site (the site of the update and news fetches).
bool onVendorSite(const QString &url)
{
    const QString host = splitHostPort(modDSSock::getHostName(url)).first.toLower();
    QString vendor = splitHostPort(Platform::vendorHost()).first.toLower();
    if (vendor.startsWith(QStringLiteral("www.")))
        vendor = vendor.mid(4);
    return !vendor.isEmpty() && (host == vendor || host.endsWith(u'.' + vendor));
}

} // namespace

frmHTTP *frmHTTP::instance()
{
    QPointer<frmHTTP> &window = loadedWindow();
    if (window.isNull())
        window = new frmHTTP;
    return window;
}

frmHTTP *frmHTTP::loadedInstance()
{
    return loadedWindow();
}

void frmHTTP::setReceiver(const QString &kind, QObject *owner, PageReceiver receiver)
{
    receiverTable().insert(kind.toLower(), RegisteredReceiver{owner, std::move(receiver)});
}

void frmHTTP::removeReceiver(const QString &kind)
{
    receiverTable().remove(kind.toLower());
}

void frmHTTP::setIntervals(const Intervals &intervals)
{
    currentIntervals() = intervals;
}

frmHTTP::Intervals frmHTTP::intervals()
{
    return currentIntervals();
}

frmHTTP::frmHTTP(QWidget *parent)
    : QWidget(parent),
      dsSocket2(this),
      Timer1(this, currentIntervals().reconnectMs, false),
      Timer2(this, currentIntervals().closeMs, false)
{
    setWindowTitle(QStringLiteral("HTTP"));
    dsSocket2.setLineMode(true);
    dsSocket2.setEolChar('\n');
    m_idleTimer.setSingleShot(true);
    m_replyTimer.setSingleShot(true);
    // A coarse timer may fire up to 5% early: a deadline never ends a reply before its time.
    m_idleTimer.setTimerType(Qt::PreciseTimer);
    m_replyTimer.setTimerType(Qt::PreciseTimer);

    connect(&dsSocket2, &Platform::DsSocket::Connect, this, [this](int) { dsSocket2_Connect(); });
    connect(&dsSocket2, &Platform::DsSocket::SendReady, this, [this](int) { dsSocket2_SendReady(); });
    connect(&dsSocket2, &Platform::DsSocket::Receive, this,
            [this](int, const QString &line) { dsSocket2_Receive(line); });
    connect(&dsSocket2, &Platform::DsSocket::Close, this, [this](int, int, const QString &) { dsSocket2_Close(); });
    connect(&dsSocket2, &Platform::DsSocket::Exception, this,
            [this](int, int number, const QString &description) { dsSocket2_Exception(number, description); });
    connect(&Timer1, &Platform::Timer::timeout, this, &frmHTTP::Timer1_Timer);
    connect(&Timer2, &Platform::Timer::timeout, this, &frmHTTP::Timer2_Timer);
    connect(&m_idleTimer, &QTimer::timeout, this, &frmHTTP::idleTimeout);
    connect(&m_replyTimer, &QTimer::timeout, this, &frmHTTP::replyTimeout);
    resetSocket2();
}

void frmHTTP::resetSocket2()
{
    m_pageText.clear();
    m_headerText.clear();
    m_location.clear();
    m_reply = HttpReplyReader();
    m_cutAtCap = false;
}

void frmHTTP::Connect(const QString &sURL)
{
    const QString kind = Tag;
    // A box about a stopped fetch runs the event loop, in which yet another fetch may start.
    while (fetchUnderWay() && m_kind.compare(kind, Qt::CaseInsensitive) != 0)
        stopForAnotherWindow(sURL);
    Tag = kind;
    m_kind = kind;
    m_underWay = true;
    m_disconnectsAtStart = modDSSock::disconnectCount(dsSocket2);
    m_redirects = 0;
    m_proxyLoginTried = false;
    m_serverLoginTried = false;
    startFetch(sURL);
}

void frmHTTP::startFetch(const QString &url)
{
    const quint64 generation = ++m_generation;
    stopTimers();
    resetSocket2();
    m_currentURL = url;
    m_lastError.clear();
    m_socketFailed = false;
    m_receivedChars = 0;
    m_sentProxyLogin = false;
    m_sentServerLogin = false;

    QString host;
    int port = 80;
    if (modDSSock::useProxy()) {
        host = myPreference().Proxy();
        port = myPreference().Port();
    } else {
        std::tie(host, port) = splitHostPort(modDSSock::getHostName(url));
    }
    const int result = modDSSock::SocketConnect(dsSocket2, port, host, myPreference().TimeOut());
    // Another fetch started while this one waited for its connection: that one goes on alone.
    // A caller that disconnected during the wait has abandoned the fetch: no error to show.
    if (generation != m_generation || result == modDSSock::kConnectCancelled)
        return;
    if (result != modDSSock::kConnected) {
        connectFailed(result, host, port, url);
        return;
    }
    restartIdleTimer();
    startReplyTimer();
    const modDSSock::HttpRequest sent = modDSSock::sendHTTPGet(dsSocket2, url);
    m_sentProxyLogin = sent.proxyLogin.has_value();
    m_sentServerLogin = sent.serverLogin.has_value();
}

bool frmHTTP::fetchUnderWay() const
{
    return m_underWay && modDSSock::disconnectCount(dsSocket2) == m_disconnectsAtStart;
}

// The window that asked gets its status and buttons back at once, through the same box and
// receiver call as any failed fetch; the pointer stays the new fetch's.
void frmHTTP::stopForAnotherWindow(const QString &nextURL)
{
    ++m_generation;   // a wait of the stopped fetch ends without going on
    stopTimers();
    dsSocket2.setAction(Platform::DsSocket::kActionClose);
    modDSSock::writeErrorLog(u"HTTP fetch stopped for another window's fetch: "_s + m_currentURL + kCrLf + u"Next: "_s
                             + nextURL);
    const bool busy = Platform::isBusyPointer();
    endFailed(false, u"The page fetch of "_s + m_currentURL + u" was stopped for another window's fetch of "_s + nextURL
                         + u'.',
              Platform::Information, u"HTTP"_s);
    Platform::setBusyPointer(busy);
}

const frmHTTP::PageReceiver *frmHTTP::receiver() const
{
    return liveReceiver(m_kind);
}

void frmHTTP::connectFailed(int result, const QString &host, int port, const QString &url)
{
    const PageReceiver *registered = receiver();
    const bool quiet = registered && registered->silentConnectFailure;
    const QString server = host + u':' + QString::number(port);
    QString what;
    if (result == modDSSock::kConnectTimeout)
        what = server + u" did not answer within "_s + QString::number(myPreference().TimeOut()) + u" s."_s;
    else if (result == modDSSock::kEmptyHost)
        what = u"The address names no server."_s;
    else
        what = u"Could not connect to "_s + server + u'.';
    QString advice = u"Please check your web site URL and try again."_s;
    if (modDSSock::useProxy())
        advice = u"Please check the proxy in the 'Configuration' window and try again."_s;
    else if (onVendorSite(url))
        advice = u"Please check your connection to the Internet and try again."_s;
    modDSSock::writeErrorLog(QStringLiteral("HTTPConnect_Error(") + QString::number(result)
                             + QStringLiteral("): ") + m_lastError + kCrLf
                             + (onVendorSite(url) ? QStringLiteral("Host: ") + host
                                                  : QStringLiteral("URL: ") + url));
    endFailed(quiet, QStringLiteral("HTTPConnect_Error: ") + m_lastError + kCrLf + kCrLf + what + kCrLf + advice,
              Platform::Information, QStringLiteral("HTTPError"));
}

// The box comes first (a receiver told later finds the fetch window as the box left it). The
// fetch's kind is taken now: another fetch may start while the box is open.
void frmHTTP::endFailed(bool quiet, const QString &prompt, int style, const QString &title)
{
    m_underWay = false;
    const QString kind = m_kind;
    Platform::setBusyPointer(false);
    if (!quiet)
        Platform::msgBox(prompt, style, title);
    tellConnectFailed(kind);
}

bool frmHTTP::quietHttpFailure() const
{
    const PageReceiver *registered = receiver();
    return registered && registered->silentHttpFailure;
}

QString frmHTTP::serverName() const
{
    return modDSSock::hostPortKey(modDSSock::getHostName(m_currentURL));
}

// A fetch that timed out or was cut: never handed over as a page.
void frmHTTP::endUnfinished(const QString &what)
{
    modDSSock::writeErrorLog(u"HTTP fetch failed: "_s + what + kCrLf + u"URL: "_s + m_currentURL);
    dsSocket2.setAction(Platform::DsSocket::kActionClose);
    stopTimers();
    endFailed(quietHttpFailure(), u"HTTPConnect_Error: "_s + what, Platform::Information, u"HTTPError"_s);
}

QString frmHTTP::secondsText(int ms)
{
    return QString::number(ms / 1000.0, 'g', 3) + u" s"_s;
}

void frmHTTP::tellConnectFailed(const QString &kind)
{
    // Looked up now: a box runs the event loop, in which receivers may change. Copied: the
    // receiver may replace its own registration.
    if (const PageReceiver *receiver = liveReceiver(kind); receiver && receiver->connectFailed) {
        const auto connectFailed = receiver->connectFailed;
        connectFailed();
    }
}

void frmHTTP::dsSocket2_Connect()
{
    modDSSock::connectedFlag = true;
}

void frmHTTP::dsSocket2_SendReady()
{
    modDSSock::sendReadyFlag = true;
}

void frmHTTP::dsSocket2_Exception(int number, const QString &description)
{
    modDSSock::connectedFlag = false;
    m_lastError = description;
    m_socketFailed = true;
    modDSSock::writeErrorLog(QStringLiteral("Socket2 Exception:") + QString::number(number)
                             + QStringLiteral(" - ") + description);
}

void frmHTTP::dsSocket2_Receive(const QString &line)
{
    m_receivedChars += line.size();
    // Once the body is complete the close timer decides when the reply ends.
    if (!Timer2.enabled())
        restartIdleTimer();
    if (m_reply.readingHeader())
        readHeaderLine(line);
    else
        readBodyLine(line);
}

void frmHTTP::readHeaderLine(const QString &line)
{
    m_headerText += line;
    m_reply.headerLine(line);
    if (m_reply.failed()) {
        endNotWhole(m_reply.state());
        return;
    }
    if (const std::optional<QString> location = HttpReply::fieldValue(line, "Location"_L1))
        m_location = *location;
    waitForCloseOnceWhole();
}

void frmHTTP::readBodyLine(const QString &line)
{
    m_pageText += QStringView(line).left(m_reply.bodyBytes(line.size()));
    if (m_pageText.size() > kMaxPageChars) {
        m_pageText.truncate(kMaxPageChars);
        m_cutAtCap = true;
        endReply(QStringLiteral("HTTP page cut at ") + QString::number(kMaxPageChars)
                 + QStringLiteral(" characters: ") + m_currentURL);
        return;
    }
    waitForCloseOnceWhole();
}

// A whole reply ends at the server's close, or at the close timer when the server keeps the
// connection open.
void frmHTTP::waitForCloseOnceWhole()
{
    if (m_reply.state() != HttpReplyReader::State::Whole)
        return;
    Timer2.setEnabled(true);
    m_idleTimer.stop();
}

// Ends a reply that we stop reading ourselves, as if the server had closed.
void frmHTTP::endReply(const QString &reason)
{
    modDSSock::writeErrorLog(reason);
    dsSocket2.setAction(Platform::DsSocket::kActionClose);
    closeHandling();
}

void frmHTTP::dsSocket2_Close()
{
    closeHandling();
}

void frmHTTP::Timer1_Timer()
{
    Timer1.setEnabled(false);
    // A caller that disconnected this fetch's socket meanwhile has abandoned the fetch; what other
    // sockets did is none of its business.
    if (modDSSock::disconnectCount(dsSocket2) != m_disconnectsBeforeWait)
        return;
    startFetch(m_currentURL);
}

void frmHTTP::reconnectLater()
{
    m_disconnectsBeforeWait = modDSSock::disconnectCount(dsSocket2);
    Timer1.setEnabled(true);
}

void frmHTTP::Timer2_Timer()
{
    Timer2.setEnabled(false);
    if (cancelled()) {
        stopTimers();
        return;
    }
    modDSSock::writeErrorLog(QStringLiteral("Timer2: Socket Closted"));
    closeHandling();
}

// The caller closed the socket (a socket error closes it too, but does not cancel the fetch).
bool frmHTTP::cancelled() const
{
    return dsSocket2.state() != Platform::DsSocket::kStateConnected && !m_socketFailed;
}

void frmHTTP::idleTimeout()
{
    if (cancelled()) {
        stopTimers();
        return;
    }
    if (m_receivedChars == 0)
        endUnfinished(serverName() + u" did not answer within "_s + secondsText(m_idleTimer.interval()) + u'.');
    else
        endUnfinished(serverName() + u" stopped sending after "_s + QString::number(m_receivedChars)
                      + u" bytes."_s);
}

// A server that keeps sending, however slowly, still gets no more than the whole reply's time.
void frmHTTP::replyTimeout()
{
    if (cancelled()) {
        stopTimers();
        return;
    }
    endUnfinished(serverName() + u" did not send its whole reply within "_s + secondsText(m_replyTimer.interval())
                  + u" ("_s + QString::number(m_receivedChars) + u" bytes came)."_s);
}

// The reader decides whether the reply is whole; the page cap ends a reply early on purpose.
void frmHTTP::closeHandling()
{
    stopTimers();
    const HttpReplyReader::State end = m_reply.atClose();
    const int status = statusCode();
    if (!HttpReplyReader::isWhole(end) && !m_cutAtCap) {
        endNotWhole(end);
    } else if (status == 301 || status == 302) {
        followRedirect();
    } else if (status == 401 || status == 407) {
        goServerAuthenticate();
    } else if (status >= 400) {
        reportErrorStatus();
    } else {
        handOver();
    }
}

void frmHTTP::endNotWhole(HttpReplyReader::State end)
{
    endUnfinished(serverName() + u' ' + m_reply.problem(end) + u'.');
}

void frmHTTP::followRedirect()
{
    if (++m_redirects > kMaxRedirects) {
        modDSSock::writeErrorLog(QStringLiteral("HTTPConnect_Error: too many redirects") + kCrLf
                                 + QStringLiteral("URL: ") + m_currentURL);
        endFailed(quietHttpFailure(), QStringLiteral("ConnectError - StatusCode: ") + QString::number(statusCode()));
        return;
    }
    m_currentURL = modDSSock::resolveLocation(m_currentURL, m_location);
    reconnectLater();
}

void frmHTTP::reportErrorStatus()
{
    modDSSock::writeErrorLog(QStringLiteral("HTTPConnect_Error:") + m_headerText + kCrLf
                             + QStringLiteral("-----") + m_pageText.left(300));
    if (statusCode() == 400 || statusCode() == 404)
        endFailed(quietHttpFailure(), QStringLiteral("URL not found.") + kCrLf + m_currentURL, Platform::Critical,
                  QStringLiteral("Connect"));
    else
        endFailed(quietHttpFailure(), QStringLiteral("ConnectError - StatusCode: ") + QString::number(statusCode())
                                          + kCrLf + m_currentURL);
}

void frmHTTP::handOver()
{
    const quint64 generation = m_generation;
    const QString page = m_pageText;
    // The fetch is over: the receiver may start the next one, of any kind.
    m_underWay = false;
    if (const PageReceiver *receiver = liveReceiver(m_kind); receiver && receiver->pageArrived) {
        // Copied: the receiver may replace its own registration.
        const auto pageArrived = receiver->pageArrived;
        pageArrived(page, statusCode());
    } else {
        modDSSock::writeErrorLog(QStringLiteral("HTTP page dropped: no receiver for \"") + m_kind
                                 + QStringLiteral("\": ") + m_currentURL);
    }
    Platform::setBusyPointer(false);
    // The receiver started the next fetch on this window: that one goes on.
    if (generation != m_generation)
        return;
    resetSocket2();
    unloadWindow();
}

// A login demand is answered once per fetch for each kind of login, the proxy's (407) and the
// server's (401); a demand to a request that carried that login is a refusal. The server login
// goes only to a host and port the user allowed; a fetch the user started asks before it goes to
// a new one, a run never asks.
void frmHTTP::goServerAuthenticate()
{
    const bool proxyDemand = statusCode() == 407;
    bool &tried = proxyDemand ? m_proxyLoginTried : m_serverLoginTried;
    const bool sent = proxyDemand ? m_sentProxyLogin : m_sentServerLogin;
    if (tried || sent) {
        loginRefused();
        return;
    }
    tried = true;
    if (myPreference().HTTPLogin().isEmpty()) {
        modDSSock::writeErrorLog(u"HTTP login demand without a stored login: "_s + serverName());
        endFailed(quietHttpFailure(),
                  QStringLiteral("Your server or proxy require authentication ")
                      + QStringLiteral("before allowing access to the internet. Please enter your "
                                       "Username and Password in the 'Configuration' windows "
                                       "and try again."),
                  Platform::Information);
        return;
    }
    if (proxyDemand)
        modDSSock::rememberLoginDemand(407, m_currentURL);
    else if (!loginAllowedHere())
        return;
    reconnectLater();
}

// Whether the user lets the stored login go to this fetch's server; a No ends the fetch.
bool frmHTTP::loginAllowedHere()
{
    const quint64 generation = m_generation;
    const bool allowed = !quietHttpFailure() && modDSSock::askToSendLogin(m_currentURL);
    // Another fetch started while the question was open: this one is over.
    if (generation != m_generation)
        return false;
    if (allowed) {
        Platform::setBusyPointer(true);
        return true;
    }
    modDSSock::writeErrorLog(u"HTTP login not sent to "_s + serverName());
    modDSSock::writeErrorLog(QStringLiteral("Error: Authentication Required"));
    endFailed(true, QString());
    return false;
}

void frmHTTP::loginRefused()
{
    modDSSock::writeErrorLog(m_headerText + kCrLf + m_pageText.left(500) + kCrLf
                             + QStringLiteral("---------1--------"));
    modDSSock::writeErrorLog(QStringLiteral("Error: Authentication Required"));
    endFailed(quietHttpFailure(),
              QStringLiteral("Error: Authentication Required") + kCrLf
                  + QStringLiteral("You must authenticate with a server before this request "
                                   "can be serviced."),
              Platform::Critical);
}

void frmHTTP::stopTimers()
{
    Timer1.setEnabled(false);
    Timer2.setEnabled(false);
    m_idleTimer.stop();
    m_replyTimer.stop();
}

void frmHTTP::restartIdleTimer()
{
    const int idleMs = currentIntervals().idleMs > 0
                           ? currentIntervals().idleMs
                           : 1000 * qMax<int>(1, myPreference().TimeOut());
    m_idleTimer.start(idleMs);
}

void frmHTTP::startReplyTimer()
{
    const int replyMs = currentIntervals().replyMs > 0
                            ? currentIntervals().replyMs
                            : 10000 * qMax<int>(1, myPreference().TimeOut());
    m_replyTimer.start(replyMs);
}

void frmHTTP::unloadWindow()
{
    m_underWay = false;
    stopTimers();
    ++m_generation;
    dsSocket2.setAction(Platform::DsSocket::kActionClose);
    if (loadedWindow() == this)
        loadedWindow().clear();
    deleteLater();
}
