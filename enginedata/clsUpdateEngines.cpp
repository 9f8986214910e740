#include "enginedata/clsUpdateEngines.h"

#include <tuple>

#include <QPointer>

#include "core/clsPreference.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/SettingsStore.h"
#include "transport/HttpReply.h"
#include "transport/HttpRequest.h"
#include "transport/modDSSock.h"
#include "transport/modHttpGet.h"

using namespace Qt::StringLiterals;

namespace {

const QString kCrLf = u"\r\n"_s;
constexpr qsizetype kShownStatusChars = 200;
constexpr qsizetype kWrittenPieceBytes = 64 * 1024;

clsUpdateEngines::Intervals &currentIntervals()
{
    static clsUpdateEngines::Intervals values;
    return values;
}

struct UpdateFile {
    const char *name;
    bool inEngineDataFolder;
};

const UpdateFile kFiles[clsUpdateEngines::kFileCount] = {
    {"vqzeng5.dat", true}, {"catvqs.dat", true}, {"top.vqs", false}, {"cat.vqs", false}, {"vqreng.dat", true},
};

int seconds(int ms)
{
    return (ms + 999) / 1000;
}

QString applicationTitle()
{
    return QString::fromLatin1(Platform::kApplicationTitle);
}

} // namespace

void clsUpdateEngines::setIntervals(const Intervals &intervals)
{
    currentIntervals() = intervals;
}

clsUpdateEngines::Intervals clsUpdateEngines::intervals()
{
    return currentIntervals();
}

QString clsUpdateEngines::requestPath(int fileIndex)
{
    return u"/enginedata/"_s + QLatin1StringView(kFiles[fileIndex].name);
}

QString clsUpdateEngines::targetPath(int fileIndex)
{
    const UpdateFile &file = kFiles[fileIndex];
    return Platform::joinPath(file.inEngineDataFolder ? Platform::engineDataFolder() : Platform::programFolder(),
                              QLatin1StringView(file.name));
}

clsUpdateEngines::clsUpdateEngines(QObject *parent) : QObject(parent), m_socket(this)
{
    if (modDSSock::useProxy()) {
        m_host = myPreference().Proxy();
        m_port = myPreference().Port();
    } else {
        std::tie(m_host, m_port) = HttpReply::splitHostPort(Platform::vendorHost());
    }
    for (QTimer *timer : {&m_connectTimer, &m_pauseTimer, &m_closeTimer, &m_idleTimer, &m_replyTimer})
        timer->setSingleShot(true);
    m_socket.setEolChar('\n');
    connect(&m_socket, &Platform::DsSocket::Connect, this, [this](int) { connected(); });
    connect(&m_socket, &Platform::DsSocket::Receive, this, [this](int, const QString &line) { headerLine(line); });
    connect(&m_socket, &Platform::DsSocket::ReceiveBytes, this,
            [this](int, const QByteArray &bytes) { bodyBytes(bytes); });
    connect(&m_socket, &Platform::DsSocket::Close, this,
            [this](int, int code, const QString &text) { peerClosed(code, text); });
    connect(&m_socket, &Platform::DsSocket::Exception, this,
            [this](int, int code, const QString &text) { socketException(code, text); });
    connect(&m_connectTimer, &QTimer::timeout, this, &clsUpdateEngines::connectTimedOut);
    connect(&m_pauseTimer, &QTimer::timeout, this, &clsUpdateEngines::nextFile);
    connect(&m_closeTimer, &QTimer::timeout, this, &clsUpdateEngines::closeTimerFired);
    connect(&m_idleTimer, &QTimer::timeout, this, &clsUpdateEngines::idleTimeout);
    connect(&m_replyTimer, &QTimer::timeout, this, &clsUpdateEngines::replyTimeout);
}

clsUpdateEngines::~clsUpdateEngines()
{
    stopRequest();
}

void clsUpdateEngines::start()
{
    if (isRunning())
        return;
    m_fileIndex = 0;
    m_firstConnect = true;
    m_checker.reset();
    m_newFiles.abandon();
    connectForFile();
}

void clsUpdateEngines::cancel()
{
    if (isRunning())
        finish(Outcome::Cancelled, QString());
}

// Connects for the file of m_fileIndex; its Connect event sends the request.
void clsUpdateEngines::connectForFile()
{
    m_state = State::Connecting;
    m_reply.reset();
    m_socket.setAction(Platform::DsSocket::kActionClose);
    m_socket.setByteReceive(false);
    m_socket.setLineMode(true);
    m_socket.setRemoteHost(m_host);
    m_socket.setRemotePort(m_port);
    emit stepChanged(m_fileIndex, Step::Connecting);
    m_connectTimer.start(currentIntervals().connectSeconds * 1000);
    if (m_socket.setAction(Platform::DsSocket::kActionConnect) != 0)
        socketException(Platform::DsSocket::kErrorInvalidAddress, u"the connection could not be started"_s);
}

QString clsUpdateEngines::server() const
{
    return m_host + u':' + QString::number(m_port);
}

QString clsUpdateEngines::requestedFile() const
{
    return requestPath(m_fileIndex);
}

QString clsUpdateEngines::fileName() const
{
    return QLatin1StringView(kFiles[m_fileIndex].name);
}

void clsUpdateEngines::connected()
{
    if (m_state != State::Connecting)
        return;
    m_connectTimer.stop();
    if (std::exchange(m_firstConnect, false))
        modDSSock::writeErrorLog(u"SocketConnect:"_s + m_host + u" - "_s + QString::number(m_port));
    emit stepChanged(m_fileIndex, Step::Connected);
    sendRequest();
}

void clsUpdateEngines::connectTimedOut()
{
    if (m_state != State::Connecting)
        return;
    const QString logLine = m_firstConnect ? u"ConnectErr:"_s + m_host + u" - "_s + QString::number(m_port) : QString();
    failWith(logLine, u"no connection to "_s + server() + u" within "_s
                          + QString::number(currentIntervals().connectSeconds) + u" seconds (time-out)."_s);
}

void clsUpdateEngines::sendRequest()
{
    m_state = State::Receiving;
    emit stepChanged(m_fileIndex, Step::Requesting);
    const modDSSock::HttpRequest request =
        modDSSock::updateRequest(Platform::vendorHost(), requestedFile(), server(), modDSSock::RequestSettings::current());
    m_sentServerLogin = request.serverLogin.has_value();
    m_sentProxyLogin = request.proxyLogin.has_value();
    restartIdleTimer();
    const int replyMs = currentIntervals().replyMs > 0 ? currentIntervals().replyMs
                                                       : 10000 * qMax<int>(1, myPreference().TimeOut());
    m_replyTimer.start(replyMs);
    if (!modDSSock::SendData(m_socket, request.text()) && m_state == State::Receiving)
        failWith(u"SendQuery: the request could not be sent to "_s + m_host + u" - "_s + QString::number(m_port),
                 u"the request could not be sent to "_s + server() + u'.');
}

void clsUpdateEngines::restartIdleTimer()
{
    // A server may stay silent for as long as the user said it may take to respond.
    const int idleMs = currentIntervals().idleMs > 0 ? currentIntervals().idleMs
                                                     : 1000 * qMax<int>(1, myPreference().TimeOut());
    m_idleTimer.start(idleMs);
}

void clsUpdateEngines::headerLine(const QString &line)
{
    if (m_state != State::Receiving)
        return;
    restartIdleTimer();
    const UpdateReply::Step step = m_reply.headerLine(line);
    if (step == UpdateReply::Step::Failed)
        failWith(u"EngineUpdate: "_s + m_reply.failure() + u" - "_s + QString::number(m_fileIndex),
                 server() + u' ' + m_reply.failure() + u" for "_s + requestedFile() + u'.');
    else if (step == UpdateReply::Step::HeaderEnded)
        headerEnded();
}

// The body comes as bytes from here on: a good reply's bytes are checked and go to the disk
// beside the target as they come; any other reply's are only counted.
void clsUpdateEngines::headerEnded()
{
    m_shownProgress = 0;
    emit progressChanged(0, m_reply.progressMaximum());
    if (m_reply.status() == 200) {
        const QString target = targetPath(m_fileIndex);
        if (!m_newFiles.start(target)) {
            failWith(u"saveEngineData: cannot write "_s + target,
                     u"the engine data file "_s + target + u" could not be written."_s);
            return;
        }
        m_checker.begin(m_fileIndex);
        m_reply.setSink([this](QByteArrayView bytes) {
            m_checker.take(bytes);
            // A socket hands over megabytes at a time when the disk is slow; written in pieces
            // they cost the page cache no more than a plain download's writes.
            for (qsizetype at = 0; at < bytes.size(); at += kWrittenPieceBytes) {
                if (!m_newFiles.write(bytes.sliced(at, qMin(kWrittenPieceBytes, bytes.size() - at))))
                    return false;
            }
            return true;
        });
    }
    m_socket.setByteReceive(true);
    m_socket.setLineMode(false);
    afterBody();
}

void clsUpdateEngines::bodyBytes(const QByteArray &bytes)
{
    if (m_state != State::Receiving || m_reply.readingHeader())
        return;
    if (m_reply.bodyBytes(bytes) == UpdateReply::Step::Failed) {
        failWith(u"EngineUpdate: "_s + m_reply.failure() + u" - "_s + targetPath(m_fileIndex),
                 server() + u' ' + m_reply.failure() + u" for "_s + requestedFile() + u'.');
        return;
    }
    if (!m_reply.lengthReached())
        restartIdleTimer();
    afterBody();
}

// Once Content-Length is reached only the peer's close or the close timer ends the reply.
void clsUpdateEngines::afterBody()
{
    // An error page is read to its end but is no part of the engine data. The bar moves by
    // hundredths: drawn for every piece of a large file, it would cost more than the piece.
    const int value = m_reply.progressValue();
    const int maximum = m_reply.progressMaximum();
    if (m_reply.status() == 200 && (qint64(value - m_shownProgress) * 100 >= maximum || value == maximum)) {
        m_shownProgress = value;
        emit progressChanged(value, maximum);
    }
    if (m_reply.lengthReached() && !m_closeTimer.isActive()) {
        m_idleTimer.stop();
        m_closeTimer.start(currentIntervals().closeMs);
    }
}

void clsUpdateEngines::peerClosed(int code, const QString &text)
{
    if (m_state == State::Receiving)
        responseEnded(code, text);
}

void clsUpdateEngines::closeTimerFired()
{
    if (m_state != State::Receiving)
        return;
    modDSSock::writeErrorLog(u"EngineUpdateTimer2: Socket Closted - "_s + QString::number(m_fileIndex));
    responseEnded(0, u"Socket Closed"_s);
}

void clsUpdateEngines::socketException(int code, const QString &text)
{
    const QString logLine = u"dsSocket1_Exception: "_s + QString::number(code) + u'-' + text;
    if (m_state == State::Connecting) {
        modDSSock::writeErrorLog(logLine);
        failWith(m_firstConnect ? u"ConnectErr:"_s + m_host + u" - "_s + QString::number(m_port) : QString(),
                 server() + u" refused the connection or could not be found."_s);
    } else if (m_state == State::Receiving) {
        failWith(logLine, u"the connection to "_s + server() + u" failed: "_s + text + u'.');
    } else {
        modDSSock::writeErrorLog(logLine);
    }
}

void clsUpdateEngines::idleTimeout()
{
    if (m_state == State::Receiving)
        failWith(u"EngineUpdate: no data from the server for file "_s + QString::number(m_fileIndex) + kCrLf
                     + m_reply.header(),
                 server() + u" did not answer within "_s + QString::number(m_idleTimer.interval() / 1000.0, 'g', 3)
                     + u" s for "_s + requestedFile() + u'.');
}

// A server that trickles its reply would hold the run for ever: each reply has its limit.
void clsUpdateEngines::replyTimeout()
{
    if (m_state == State::Receiving)
        failWith(u"EngineUpdate: the reply took too long for file "_s + QString::number(m_fileIndex),
                 server() + u" took more than "_s + QString::number(seconds(int(m_replyTimer.interval())))
                     + u" seconds (time-out) to send "_s + requestedFile() + u'.');
}

void clsUpdateEngines::responseEnded(int code, const QString &text)
{
    m_closeTimer.stop();
    m_idleTimer.stop();
    m_replyTimer.stop();
    modDSSock::SocketDisconnect(m_socket);
    m_reply.setSink({});
    if (m_reply.completeAt(code))
        storeFile();
    else
        failedResponse(code, text);
}

// A whole reply: kept beside its target when it reads as its file, else the run fails.
void clsUpdateEngines::storeFile()
{
    const QString problem = m_checker.end();
    if (!problem.isEmpty()) {
        failWith(u"EngineUpdate: "_s + requestedFile() + u" is not engine data: "_s + problem + kCrLf
                     + QString::fromLatin1(m_reply.loggedBody()),
                 requestedFile() + u" from "_s + server() + u" is not the engine data file "_s + fileName() + u": "_s
                     + problem + u'.');
        return;
    }
    // Each stored file ends with one CR LF more than its body.
    const QString target = targetPath(m_fileIndex);
    if (!m_newFiles.write("\r\n") || !m_newFiles.finish()) {
        failWith(u"saveEngineData: cannot write "_s + target,
                 u"the engine data file "_s + target + u" could not be written."_s);
        return;
    }
    modDSSock::writeErrorLog(u"EngineFileReceived: "_s + QString::number(m_fileIndex));
    m_state = State::Pausing;
    m_pauseTimer.start(currentIntervals().nextFileMs);
}

// The next file, or after the fifth the five take their places as one set; a crash on the way
// leaves a journal that the next start finishes. Then the reminder to download goes.
void clsUpdateEngines::nextFile()
{
    if (m_state != State::Pausing)
        return;
    if (m_fileIndex < kFileCount - 1) {
        ++m_fileIndex;
        connectForFile();
        return;
    }
    if (!m_newFiles.commit()) {
        failWith(u"saveEngineData: the engine data files could not be written"_s,
                 u"the engine data files could not be written to "_s + Platform::engineDataFolder() + u" and "_s
                     + Platform::programFolder() + u'.');
        return;
    }
    for (int i = 0; i < kFileCount; ++i)
        modDSSock::writeErrorLog(u"EngineFileSaved: "_s + QString::number(i));
    Platform::saveSetting(u"Velquist"_s, u"Setting"_s, u"Download"_s, u"0"_s);
    finish(Outcome::Stored, QString());
}

void clsUpdateEngines::failedResponse(int code, const QString &text)
{
    modDSSock::writeErrorLog(m_reply.header() + kCrLf + QString::fromLatin1(m_reply.loggedBody()));
    const int status = m_reply.status();
    if (status == 401 || status == 407) {
        loginDemanded(status);
        return;
    }
    failWith(u"dsSocket1_Close:"_s + QString::number(code) + u'-' + text + kCrLf + u"StatusCode:"_s
                 + QString::number(status),
             failedReplyReason());
}

// A login demand is answered once for each kind of login: the proxy's goes to the proxy, the
// server's only to a server the user allowed. Then the same file is asked for again.
void clsUpdateEngines::loginDemanded(int status)
{
    const bool proxy = status == 407;
    const QString demand = server() + u" asks for a login (status "_s + QString::number(status) + u") for "_s
                           + requestedFile();
    if (proxy ? m_sentProxyLogin : m_sentServerLogin) {
        stopRequest();
        Platform::msgBox(proxy ? u"Error: Proxy Authentication Required"_s + kCrLf
                                     + u"You must authenticate with a proxy server before this request can be serviced."_s
                               : u"Error: Authentication Required"_s + kCrLf
                                     + u"You must authenticate with a server before this request can be serviced."_s,
                         Platform::Critical, applicationTitle());
        finish(Outcome::Failed, server() + u" refused the stored login (status "_s + QString::number(status)
                                    + u") for "_s + requestedFile() + u'.');
        return;
    }
    if (myPreference().HTTPLogin().isEmpty()) {
        stopRequest();
        Platform::msgBox(u"Your server or proxy require authentication "_s
                             + u"before allowing access to the internet. Please enter your Username and Password in "
                               "the 'Configuration' windows and try again."_s,
                         Platform::Information, applicationTitle());
        Platform::setBusyPointer(false);
        finish(Outcome::Failed, demand + u'.');
        return;
    }
    if (!proxy && !modDSSock::serverLoginGoesTo(modDSSock::RequestSettings::current(), Platform::vendorHost())) {
        // Yes allows the vendor's host and remembers the demand.
        const QPointer<clsUpdateEngines> self(this);
        const bool allowed = modDSSock::askToSendLogin(Platform::vendorHost());
        if (!self || !isRunning())
            return;
        if (!allowed) {
            modDSSock::writeErrorLog(u"EngineUpdate: login not sent to "_s + Platform::vendorHost());
            finish(Outcome::Failed, demand + u"; the stored login was not sent."_s);
            return;
        }
    } else {
        modDSSock::rememberLoginDemand(status, Platform::vendorHost());
    }
    connectForFile();
}

// What a reply that makes no file was, for the user.
QString clsUpdateEngines::failedReplyReason() const
{
    const QString file = requestedFile();
    if (!m_reply.headerEnded() && m_reply.status() == 0)
        return u"the connection to "_s + server() + u" ended before any reply to "_s + file + u'.';
    const int status = m_reply.status();
    if (status == 0 || status == HttpReply::kNoSpaceStatus)
        return server() + u" sent no valid HTTP reply to "_s + file + u'.';
    if (status != 200)
        return server() + u" answered \""_s + m_reply.header().section(u'\n', 0, 0).trimmed().left(kShownStatusChars)
               + u"\" to "_s + file + u'.';
    if (!m_reply.headerEnded())
        return u"the connection to "_s + server() + u" ended inside the reply header of "_s + file + u'.';
    if (m_reply.bodyBytesReceived() == 0)
        return file + u" from "_s + server() + u" is empty."_s;
    return u"the connection to "_s + server() + u" ended after "_s + QString::number(m_reply.bodyBytesReceived())
           + u" bytes of "_s + file + u", before its end."_s;
}

void clsUpdateEngines::failWith(const QString &logLine, const QString &reason)
{
    if (!logLine.isEmpty())
        modDSSock::writeErrorLog(logLine);
    finish(Outcome::Failed, reason);
}

void clsUpdateEngines::finish(Outcome outcome, const QString &reason)
{
    stopRequest();
    emit ended(outcome, reason);
}

// The timers first, so nothing of this request starts again, then the connection goes and the
// files written beside their targets are removed: every old file stays as it was.
void clsUpdateEngines::stopRequest()
{
    m_state = State::Idle;
    for (QTimer *timer : {&m_connectTimer, &m_pauseTimer, &m_closeTimer, &m_idleTimer, &m_replyTimer})
        timer->stop();
    modDSSock::SocketDisconnect(m_socket);
    m_reply.setSink({});
    m_newFiles.abandon();
}
