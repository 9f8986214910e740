#include "submission/SubmitScheduler.h"

#include "platform/DsSocket.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "submission/SubmitHttp.h"
#include "submission/clsSubmit.h"
#include "platform/modDSSockLog.h"
#include "transport/modDSSockSocket.h"

using namespace Qt::StringLiterals;
using modDSSock::socketTable;
using Platform::DsSocket;
using SteadyClock = std::chrono::steady_clock;

namespace {

modDSSock::SubmitSocket &record(int i)
{
    return socketTable[std::size_t(i)];
}

std::unique_ptr<QTimer> newTimer(bool singleShot)
{
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(singleShot);
    timer->setTimerType(Qt::PreciseTimer);
    return timer;
}

} // namespace

SubmitScheduler::SubmitScheduler(clsSubmit &run, QObject *parent) : QObject(parent), m_run(run)
{
    m_clock.setInterval(kClockTickMs);
    m_clock.setTimerType(Qt::PreciseTimer);
    connect(&m_clock, &QTimer::timeout, this, &SubmitScheduler::showElapsed);
}

SubmitScheduler::~SubmitScheduler()
{
    m_stopSubmit = true;
    for (int i = 1; i <= socketCount(); ++i)
        stopSocket(i);
    modDSSock::resizeSocketTable(0, {});
}

void SubmitScheduler::loadSockets(int connections)
{
    const int count = connections < 1 ? 1 : connections;
    m_slots.clear();
    m_slots.resize(std::size_t(count));
    std::vector<DsSocket *> sockets;
    for (int i = 1; i <= count; ++i) {
        Slot &s = slot(i);
        s.socket = std::make_unique<DsSocket>(nullptr, i);
        s.socket->setLineMode(true);
        s.socket->setEolChar('\n');
        s.dispatch = newTimer(true);
        s.connect = newTimer(true);
        s.timeOut = newTimer(false);
        sockets.push_back(s.socket.get());

        connect(s.socket.get(), &DsSocket::Connect, this, &SubmitScheduler::dsSocket1_Connect);
        connect(s.socket.get(), &DsSocket::Receive, this, &SubmitScheduler::dsSocket1_Receive);
        connect(s.socket.get(), &DsSocket::Close, this, [this](int index, int, const QString &) {
            dsSocket1_Close(index);
        });
        connect(s.socket.get(), &DsSocket::Exception, this, [this](int index, int code, const QString &) {
            dsSocket1_Exception(index, code);
        });
        connect(s.dispatch.get(), &QTimer::timeout, this, [this, i] { TimerSubmit_Timer(i); });
        connect(s.connect.get(), &QTimer::timeout, this,
                [this, i] { TimerConnect_Timer(i, record(i).generation); });
        connect(s.timeOut.get(), &QTimer::timeout, this,
                [this, i] { TimerTimeOut_Timer(i, slot(i).armedGeneration); });
    }
    modDSSock::resizeSocketTable(count, sockets);
}

int SubmitScheduler::timeOutInterval(int i) const
{
    return m_slots[std::size_t(i - 1)].timeOut->interval();
}

bool SubmitScheduler::StartSubmit(const QList<UrlRow> &urls)
{
    if (urls.isEmpty() || m_slots.empty() || m_running)
        return false;
    m_urls = urls;
    m_stopSubmit = false;
    m_running = true;
    m_startTime = SteadyClock::now();
    m_clock.start();
    showElapsed();
    m_numOfSockets = 0;

    // The failed-engine list of the last run stays until this run's first report replaces it.
    m_run.setFailEngine();
    const int interval = SubmitHttp::timeOutInterval(m_run.settings().TimeOut);
    for (int i = 1; i <= socketCount(); ++i) {
        emit connectionRowChanged(i, QString(), QString(), QString());
        slot(i).timeOut->setInterval(interval);
        record(i) = modDSSock::SubmitSocket{};
    }
    m_engineCount = 0;
    m_currentURL = 1;
    setSiteSubmittingStatus(1);
    // With no engine one socket still runs, so the URL gets its (empty) report.
    m_numOfSockets = std::max(1, std::min(m_run.NumOfEngines(), socketCount()));
    for (int i = 1; i <= m_numOfSockets; ++i)
        armDispatch(i);
    return true;
}

void SubmitScheduler::setSiteSubmittingStatus(int n)
{
    emit urlRowChanged(n, u"Submitting ...."_s, u"Submitting"_s);
    const UrlRow &row = m_urls.at(n - 1);
    m_run.setWebDetails(row.url, row.siteFile);
    m_answeredCount = 0;
    showRemaining();
}

void SubmitScheduler::showRemaining()
{
    emit remainingChanged(QString::number(m_run.NumOfEngines() - m_answeredCount) + u" engines remaining ..."_s);
}

void SubmitScheduler::armDispatch(int i)
{
    slot(i).dispatch->start(kDispatchPauseMs);
}

void SubmitScheduler::showElapsed()
{
    const qint64 s = std::chrono::duration_cast<std::chrono::seconds>(SteadyClock::now() - m_startTime).count();
    emit elapsedChanged(QString::number(s / 3600) % u" :"_s % QString::number((s / 60) % 60) % u" :"_s
                        % QString::number(s % 60));
}

void SubmitScheduler::TimerSubmit_Timer(int i)
{
    slot(i).dispatch->stop();
    if (!m_stopSubmit)
        SubmitIt(i);
}

void SubmitScheduler::SubmitIt(int i)
{
    ++m_engineCount;
    if (m_engineCount <= m_run.NumOfEngines()) {
        Submitting(i, m_engineCount);
        return;
    }
    if (isFinish())
        finishURL(i);
}

bool SubmitScheduler::isFinish() const
{
    for (int i = 1; i <= m_numOfSockets; ++i) {
        if (m_slots[std::size_t(i - 1)].timeOut->isActive() || record(i).busy)
            return false;
    }
    return true;
}

void SubmitScheduler::finishURL(int i)
{
    slot(i).dispatch->stop();
    const int row = m_currentURL;
    emit urlRowChanged(row, u"Finish"_s, u"Finish"_s);
    const UrlRow &url = m_urls.at(row - 1);
    emit urlReported(row, m_run.CreateReport(url.url, url.siteFile));
    m_engineCount = 0;
    ++m_currentURL;
    if (m_currentURL > m_urls.size()) {
        setSubmitComplete();
        emit submissionDone();
        return;
    }
    setSiteSubmittingStatus(m_currentURL);
    for (int s = 1; s <= m_numOfSockets; ++s)
        armDispatch(s);
}

void SubmitScheduler::Submitting(int i, int k)
{
    modDSSock::SubmitSocket &r = record(i);
    const quint64 generation = r.generation + 1;
    r = modDSSock::SubmitSocket{};
    r.generation = generation;
    r.busy = true;
    r.engineIndex = k;
    const QString engineName = m_run.engine(k).Name;
    emit connectionRowChanged(i, engineName, u"Connecting ..."_s, u"Connecting"_s);
    emit dispatched(i, k);

    if (const clsEngines *engine = m_run.findEngine(engineName)) {
        r.Home = engine->Home;
        r.Name = engine->Name;
        r.Method = engine->Method;
        r.Action = engine->Action;
        r.SubmitData = m_run.getSubmitData(engineName);
    } else {
        r.Name = engineName;
    }
    if (r.SubmitData.isEmpty() || r.Action.isEmpty()) {
        failDispatch(i, SubmitHttp::kFailed);
        modDSSock::writeDebugLog(u"Script Error.\r\n Engine: "_s % r.Name % u"\r\nSubmitData: "_s % r.SubmitData);
        return;
    }
    Execute(i);
}

void SubmitScheduler::Execute(int i)
{
    modDSSock::SubmitSocket &r = record(i);
    const SubmitSettings &settings = m_run.settings();
    const SubmitHttp::Request request = SubmitHttp::buildRequest(r.Method, r.Action, r.SubmitData, settings);
    r.Host = request.host;
    r.Port = request.port;
    r.Request = request.text;
    if (request.invalidHost) {
        failDispatch(i, SubmitHttp::kInvalidHost);
        modDSSock::writeDebugLog(u"Engine: "_s % r.Name % u" - Invalid host"_s);
        return;
    }
    const int seconds = settings.timeOutSeconds();
    r.connectResult = modDSSock::socketConnectByIndex(i, seconds);
    if (r.connectResult != modDSSock::kConnectPending) {
        failDispatch(i, SubmitHttp::kServerError);
        modDSSock::writeDebugLog(u"Engine: "_s % r.Name % u" - TimeOut"_s);
        return;
    }
    slot(i).armedGeneration = r.generation;
    slot(i).connect->start(seconds * 1000);
}

void SubmitScheduler::failDispatch(int i, int status)
{
    record(i).resultStatus = status;
    setSubmitResults(i);
    armDispatch(i);
}

void SubmitScheduler::pushDeadline(int i, int seconds)
{
    record(i).deadline = SteadyClock::now() + std::chrono::seconds(seconds);
}

void SubmitScheduler::dsSocket1_Connect(int i)
{
    modDSSock::SubmitSocket &r = record(i);
    if (!r.busy || r.connected)
        return;
    Slot &s = slot(i);
    s.connect->stop();
    s.timeOut->start();
    r.connected = true;
    emit connectionRowChanged(i, r.Name, u"Receiving..."_s, u"Connected"_s);
    r.sendReady = true;
    pushDeadline(i, 2 * m_run.settings().timeOutSeconds());
    s.replyDeadline = SteadyClock::now() + std::chrono::seconds(10 * m_run.settings().timeOutSeconds());
    modDSSock::sendDataByIndex(i);
}

void SubmitScheduler::dsSocket1_Receive(int i, const QString &line)
{
    modDSSock::SubmitSocket &r = record(i);
    if (!r.busy || !r.connected)
        return;
    const bool wasBody = !r.reply.readingHeader();
    const bool over = SubmitHttp::readReplyLine(r, line);
    if (wasBody)
        emit connectionRowChanged(i, r.Name, QString::number(r.reply.bodyBytesReceived()) + u" bytes received"_s, u"Connected"_s);
    if (over)
        judgeReply(i);
    else
        pushDeadline(i, 2 * m_run.settings().timeOutSeconds());
}

// A reply that is over (whole, or never to become whole) is judged at once: a server that keeps
// the connection open after it has nothing more to say, and the deadlines of a short time-out,
// cannot turn it into a time-out.
void SubmitScheduler::judgeReply(int i)
{
    // Cut the connection first, so a late close of this reply cannot reach the next request.
    modDSSock::socketDisconnectByIndex(i);
    endReply(i);
}

void SubmitScheduler::dsSocket1_Close(int i)
{
    const modDSSock::SubmitSocket &r = record(i);
    if (!r.busy || !r.connected)
        return;
    endReply(i);
}

// The reply's status, the engine's result, and the socket's next engine.
void SubmitScheduler::endReply(int i)
{
    modDSSock::SubmitSocket &r = record(i);
    r.resultStatus = SubmitHttp::statusOnClose(r);
    setSubmitResults(i);
    if (!m_stopSubmit)
        armDispatch(i);
}

// A connect that fails (refused, unreachable, no such host) ends the request at once; errors
// of a standing connection are left to its deadline.
void SubmitScheduler::dsSocket1_Exception(int i, int code)
{
    modDSSock::SubmitSocket &r = record(i);
    if (!r.busy || r.connected)
        return;
    modDSSock::writeDebugLog(u"Err: "_s % QString::number(code) % u" - "_s % QString::number(i) % u" - "_s
                             % r.Name % u":"_s % r.Host);
    modDSSock::socketDisconnectByIndex(i);
    failDispatch(i, SubmitHttp::kServerError);
}

void SubmitScheduler::TimerConnect_Timer(int i, quint64 generation)
{
    modDSSock::SubmitSocket &r = record(i);
    if (r.generation != generation || !r.busy || r.connected)
        return;
    modDSSock::socketDisconnectByIndex(i);
    modDSSock::writeDebugLog(u"Engine: "_s % r.Name % u" - TimeOut"_s);
    failDispatch(i, SubmitHttp::kSubmissionTimeout);
}

void SubmitScheduler::TimerTimeOut_Timer(int i, quint64 generation)
{
    modDSSock::SubmitSocket &r = record(i);
    if (r.generation != generation || !r.busy || !r.connected)
        return;
    // Quiet too long since the last line, or too long for the whole reply, however steady.
    const SteadyClock::time_point now = SteadyClock::now();
    if (now <= r.deadline && now <= slot(i).replyDeadline)
        return;
    r.resultStatus = SubmitHttp::kSubmissionTimeout;
    modDSSock::socketDisconnectByIndex(i);
    setSubmitResults(i);
    if (!m_stopSubmit)
        SubmitIt(i);
}

void SubmitScheduler::setSubmitResults(int i)
{
    modDSSock::SubmitSocket &r = record(i);
    Slot &s = slot(i);
    s.dispatch->stop();
    s.connect->stop();
    s.timeOut->stop();
    emit connectionRowChanged(i, r.Name, u"Completed"_s, u"Completed"_s);
    if (r.engineIndex >= 1 && r.engineIndex <= m_run.NumOfEngines()) {
        EngineEntry &entry = m_run.engine(r.engineIndex);
        entry.Home = r.Home;
        entry.Status = r.resultStatus;
        ++m_answeredCount;
        showRemaining();
    }
    r.connected = false;
    r.busy = false;
    emit requestEnded(i, r.engineIndex, r.resultStatus);
}

void SubmitScheduler::stopSocket(int i)
{
    Slot &s = slot(i);
    s.dispatch->stop();
    s.connect->stop();
    s.timeOut->stop();
    if (s.socket)
        s.socket->setAction(DsSocket::kActionClose);
}

void SubmitScheduler::stopSubmission()
{
    if (!m_running)
        return;
    // The flag first: nothing is handed out from here on.
    m_stopSubmit = true;
    for (int i = 1; i <= socketCount(); ++i) {
        const bool busy = record(i).busy;
        stopSocket(i);
        if (busy) {
            record(i).resultStatus = SubmitHttp::kCancelled;
            setSubmitResults(i);
        }
    }
    for (int k = std::max(m_engineCount, 0) + 1; k <= m_run.NumOfEngines(); ++k)
        m_run.engine(k).Status = SubmitHttp::kNotSent;
    if (m_currentURL >= 1 && m_currentURL <= m_urls.size()) {
        const UrlRow &url = m_urls.at(m_currentURL - 1);
        emit urlRowChanged(m_currentURL, u"Canceled"_s, QString());
        emit urlReported(m_currentURL, m_run.CreateReport(url.url, url.siteFile));
    }
    setSubmitComplete();
}

void SubmitScheduler::setSubmitComplete()
{
    m_stopSubmit = true;
    for (int i = 1; i <= socketCount(); ++i) {
        Slot &s = slot(i);
        s.dispatch->stop();
        s.connect->stop();
        s.timeOut->stop();
        record(i).deadline = SteadyClock::now();
    }
    m_clock.stop();
    showElapsed();
    m_running = false;
    emit remainingChanged(QString());
    Platform::setBusyPointer(false);
    emit runEnded();
}
