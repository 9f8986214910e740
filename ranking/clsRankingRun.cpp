// The rank check run: page 1 of every ticked engine at once, each engine's next page 100 ms after
// its last one arrived, until the page limit, a missing next page or a cancel ends the engine.
// Each engine is counted once when it is completed or cancelled; the run ends once, when every
// ticked engine is counted.
#include "ranking/clsRanking.h"

#include <utility>

#include <QDir>
#include <QFile>

#include "core/clsPreference.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Timer.h"
#include "platform/WriteSteps.h"
#include "ranking/RankingReport.h"
#include "ranking/RankingRunRecord.h"
#include "transport/HttpClient.h"
#include "transport/frmHTTP.h"
#include "transport/HttpReply.h"
#include "platform/modDSSockLog.h"
#include "transport/modDSSockUrl.h"
#include "transport/modHttpGet.h"

using namespace Qt::StringLiterals;

namespace {

const QString kTitle = u"Web Ranking"_s;
bool hasEnded(qint16 status)
{
    return status == clsRanking::kCancelled || status == clsRanking::kCompleted || status == clsRanking::kFailed;
}

bool isRedirect(int status)
{
    return status == 301 || status == 302;
}

// Where a page is written while it arrives: a name of the run's own, so that the page an earlier
// run saved stays whole until this run holds the page that replaces it.
QString arrivingPageName(const QString &engineName, qint64 page)
{
    return RankingReport::savedPageName(engineName, page) + u".part"_s;
}

// An ended engine's Status, as the list shows it and the run record keeps it.
QString statusText(qint16 status)
{
    switch (status) {
    case clsRanking::kCompleted:
        return u"Completed"_s;
    case clsRanking::kFailed:
        return u"Failed"_s;
    default:
        return u"Cancelled"_s;
    }
}

// Where the path of an address begins: after "scheme://host:port", at the first "/", "?" or "#".
qsizetype pathStart(const QString &address)
{
    const qsizetype scheme = address.indexOf(u"://"_s);
    for (qsizetype at = scheme < 0 ? 0 : scheme + 3; at < address.size(); ++at) {
        if (address[at] == u'/' || address[at] == u'?' || address[at] == u'#')
            return at;
    }
    return address.size();
}

// Scheme and host name no letter case; paths and queries on real servers do.
bool sameAddress(const QString &a, const QString &b)
{
    const qsizetype aPath = pathStart(a);
    const qsizetype bPath = pathStart(b);
    return QStringView(a).first(aPath).compare(QStringView(b).first(bPath), Qt::CaseInsensitive) == 0
           && QStringView(a).sliced(aPath) == QStringView(b).sliced(bPath);
}

// The settings' proxy on a client, or direct mode.
void configure(Platform::HttpClient &client)
{
    const clsPreference &settings = myPreference();
    client.setTimeout(settings.TimeOut());
    const bool proxy = modDSSock::useProxy();
    client.setProxyMode(proxy ? Platform::HttpClient::kProxyThrough : Platform::HttpClient::kProxyDirect);
    client.setProxyHost(proxy ? settings.Proxy() : QString());
    client.setProxyPort(proxy ? settings.Port() : 0);
    client.setProxyUser(proxy ? settings.HTTPUserName() : QString());
    client.setProxyPassword(proxy ? settings.HTTPPassword() : QString());
}

} // namespace

clsRanking::clsRanking(QObject *parent) : QObject(parent) {}

clsRanking::~clsRanking() = default;

qint16 clsRanking::pageLimit(bool pagesMode, const QString &pageLinks)
{
    const qint16 number = Platform::lenientToInt16(pageLinks).value_or(0);
    if (pagesMode || number <= 0)
        return qMax<qint16>(number, 0);
    const qint16 firstDigit = Platform::lenientToInt16(pageLinks.trimmed().left(1)).value_or(0);
    return qMax<qint16>(firstDigit, static_cast<qint16>((number + 9) / 10));
}

QString clsRanking::queryKeywords(const QString &typed)
{
    return modDSSock::convertString(Platform::lineBreaksToSpaces(typed));
}

QString clsRanking::queryURL(const RankingEngine &engine, const QString &keywords)
{
    return engine.EngineURL + engine.QueryKeyword1 + keywords + engine.QueryKeyword2;
}

void clsRanking::loadSockets(int engines)
{
    CancelProcess();
    for (Platform::HttpClient *client : Http1)
        delete client;
    for (Platform::Timer *timer : TimerNextPage)
        delete timer;
    Http1.assign(1, nullptr);
    TimerNextPage.assign(1, nullptr);
    for (int i = 1; i <= engines; ++i) {
        auto *client = new Platform::HttpClient(this, i);
        auto *timer = new Platform::Timer(this, 100, false);
        connect(client, &Platform::HttpClient::Connected, this, &clsRanking::Http1_Connected);
        connect(client, &Platform::HttpClient::Progress, this, &clsRanking::Http1_Progress);
        connect(client, &Platform::HttpClient::HeaderDone, this, &clsRanking::Http1_HeaderDone);
        connect(client, &Platform::HttpClient::Done, this, &clsRanking::Http1_Done);
        connect(client, &Platform::HttpClient::Error, this, &clsRanking::Http1_Error);
        connect(timer, &Platform::Timer::timeout, this, [this, i] { TimerNextPage_Timer(i); });
        Http1.push_back(client);
        TimerNextPage.push_back(timer);
    }
}

qint16 clsRanking::engineStatus(int index) const
{
    if (index <= 0 || index >= static_cast<int>(m_runs.size()))
        return kRunning;
    return m_runs[std::size_t(index)].status;
}

clsRanking::EngineRun *clsRanking::runOf(int index)
{
    if (!m_running || index <= 0 || index >= static_cast<int>(m_runs.size()))
        return nullptr;
    return &m_runs[std::size_t(index)];
}

void clsRanking::setProgress(int value)
{
    m_progress = value;
    emit progressChanged(m_progress, m_progressMaximum);
}

// Rows beyond the clients loaded take no part: they have nothing to fetch with.
bool clsRanking::resetRun(const RankingInput &input)
{
    const int rows = qMin(static_cast<int>(input.rows.size()), static_cast<int>(Http1.size()) - 1);
    m_input = input;
    m_runs.assign(std::size_t(qMax(rows, 0)) + 1, EngineRun());
    for (int i = 1; i <= rows; ++i) {
        EngineRun &run = m_runs[std::size_t(i)];
        run.engine = input.rows[std::size_t(i - 1)].engine;
        run.ticked = input.rows[std::size_t(i - 1)].ticked;
        for (int column = kPagesColumn; column <= kStatusColumn; ++column)
            emit rowText(i, column, QString());
    }
    m_rankCount = 0;
    m_stopCounts = 0;
    m_pageLimit = pageLimit(input.pagesMode, input.pageLinks);
    m_keywords = queryKeywords(input.keywords);
    m_reportFolder = input.reportFolder;
    if (!QDir().mkpath(m_reportFolder)) {
        showConnectError(u"the report folder could not be made: "_s + m_reportFolder);
        return false;
    }
    return true;
}

void clsRanking::StartSearch(const RankingInput &input)
{
    if (m_running)
        return;
    if (!resetRun(input)) {
        emit idle();
        return;
    }
    m_progressMaximum = 0;
    setProgress(0);
    for (std::size_t i = 1; i < m_runs.size(); ++i)
        m_rankCount += m_runs[i].ticked ? 1 : 0;
    if (m_rankCount == 0) {
        Platform::msgBox(u"There is no engine selected. Please select the engine you want to search and try again."_s,
                         Platform::Information, kTitle);
        emit idle();
        return;
    }
    // The record of the run before describes pages this run is about to replace.
    if (!recordRun(false)) {
        showConnectError(u"the run could not be recorded in "_s + m_reportFolder + QLatin1String(RankingRunRecord::kFileName));
        emit idle();
        return;
    }
    m_progressMaximum = m_rankCount * qMax<int>(m_pageLimit, 1);
    setProgress(0);
    m_running = true;
    for (int i = 1; i < static_cast<int>(m_runs.size()); ++i) {
        if (!m_runs[std::size_t(i)].ticked)
            continue;
        emit rowText(i, kStatusColumn, u"Connecting to server ..."_s);
        request(i, queryURL(m_runs[std::size_t(i)].engine, m_keywords), 1);
    }
}

void clsRanking::showConnectError(const QString &description)
{
    // 75 is the file access error number the log has always carried for a folder not made.
    modDSSock::writeErrorLog(u"RankingConnect_Error: 75 - "_s + description);
    Platform::msgBox(u"RankingConnect_Error: "_s + description, Platform::Exclamation, u"Error"_s);
}

// Asks the engine's client for page `page` at `url`: through the proxy's connection first when
// one is used, else at once.
void clsRanking::request(int index, const QString &url, qint64 page)
{
    EngineRun &run = m_runs[std::size_t(index)];
    Platform::HttpClient &client = *Http1[std::size_t(index)];
    run.pages = page;
    run.replyWritten = false;
    emit rowText(index, kPagesColumn, QString::number(page));
    configure(client);
    client.setUrl(url);
    client.setResponseFile(m_reportFolder + arrivingPageName(run.engine.name, page));
    emit requestStarted(index);
    if (modDSSock::useProxy()) {
        run.awaitingConnect = true;
        client.connectToProxy(modDSSock::getHostName(url));
    } else {
        client.get();
    }
}

void clsRanking::Http1_Connected(int index)
{
    EngineRun *run = runOf(index);
    if (!run || !run->awaitingConnect)
        return;
    run->awaitingConnect = false;
    Http1[std::size_t(index)]->get();
}

void clsRanking::Http1_Progress(int index, qint64 bodyBytes)
{
    if (runOf(index))
        emit rowText(index, kStatusColumn, QString::number(bodyBytes) + u" bytes receiving ..."_s);
}

void clsRanking::Http1_HeaderDone(int index, const QString &statusLine, const QList<QPair<QString, QString>> &headers)
{
    EngineRun *run = runOf(index);
    if (!run)
        return;
    if (statusLine.contains(u"HTTP/"_s, Qt::CaseInsensitive))
        run->httpStatus = HttpReply::statusCode(statusLine).value_or(run->httpStatus);
    run->location.clear();
    for (const auto &[name, value] : headers) {
        if (name.compare(u"Location"_s, Qt::CaseInsensitive) == 0) {
            run->location = value;
            break;
        }
    }
}

void clsRanking::Http1_Done(int index, const QString &body, int resultCode, const QString &resultText)
{
    EngineRun *run = runOf(index);
    if (!run || hasEnded(run->status))
        return;
    emit requestEnded(index);
    run->awaitingConnect = false;
    run->repeatRequest = false;
    const int status = std::exchange(run->httpStatus, 0);
    if (resultCode != Platform::HttpClient::kResultOK) {
        // The client has logged why; "Button" engines end here too.
        failEngine(index, resultText);
        return;
    }
    // Every whole reply, a redirect's too, stands in the arriving page's file.
    run->replyWritten = true;
    const QString current = Http1[std::size_t(index)]->url();
    const QString target = isRedirect(status) ? modDSSock::resolveLocation(current, run->location) : QString();
    if (target.isEmpty() || sameAddress(target, current)) {
        run->redirects = 0;
        if (!keepPage(index))
            return;
        nextPageURL(run->engine, body, run->pages, m_keywords);
    } else if (++run->redirects > frmHTTP::kMaxRedirects) {
        modDSSock::writeErrorLog(u"Ranking_httpError: too many redirects: "_s + current);
        failEngine(index, u"too many redirects"_s);
        return;
    } else {
        // The same page again, from where the engine sent it.
        Http1[std::size_t(index)]->setUrl(target);
        run->repeatRequest = true;
    }
    TimerNextPage[std::size_t(index)]->setEnabled(true);
}

void clsRanking::Http1_Error(int, const QString &text)
{
    modDSSock::writeErrorLog(u"Ranking_httpError: "_s + text);
}

void clsRanking::TimerNextPage_Timer(int index)
{
    TimerNextPage[std::size_t(index)]->setEnabled(false);
    EngineRun *run = runOf(index);
    if (!run || hasEnded(run->status))
        return;
    if (!run->repeatRequest) {
        getNextPage(index);
        return;
    }
    run->repeatRequest = false;
    emit requestStarted(index);
    Http1[std::size_t(index)]->get();
}

void clsRanking::getNextPage(int index)
{
    EngineRun *run = runOf(index);
    if (!run || hasEnded(run->status))
        return;
    if (m_progress + 1 < m_progressMaximum)
        setProgress(m_progress + 1);
    const qint64 next = run->pages + 1;
    if (m_pageLimit >= next && run->status != kNoDocuments && !run->engine.nextPageURL.isEmpty())
        request(index, run->engine.nextPageURL, next);
    else
        completeEngine(index);
}

// The page has arrived whole and takes its place. Once the engine's new first page stands, the
// pages of its earlier runs go, and only then: a run that fails before leaves them whole.
bool clsRanking::keepPage(int index)
{
    EngineRun &run = m_runs[std::size_t(index)];
    const QString page = m_reportFolder + RankingReport::savedPageName(run.engine.name, run.pages);
    // In one step, so that the folder never lacks the page.
    if (!Platform::moveOver(m_reportFolder + arrivingPageName(run.engine.name, run.pages), page)) {
        const QString reason = u"Response file not written: "_s + page;
        modDSSock::writeErrorLog(u"Ranking_httpError: "_s + reason);
        failEngine(index, reason);
        return false;
    }
    run.replyWritten = false;
    run.savedPages = run.pages;
    if (run.pages == 1)
        removeEarlierPages(run.engine);
    return true;
}

// The engine's pages as its earlier runs saved them, under either naming: from page 1 (page 2 of
// this version's names, whose page 1 was just replaced) up to the first one missing. The
// profile's report, which may carry an earlier version's page name, is never one of them.
void clsRanking::removeEarlierPages(const RankingEngine &engine) const
{
    for (qint64 page = 2; QFile::remove(m_reportFolder + RankingReport::savedPageName(engine.name, page)); ++page) {
    }
    const QString report = m_input.profile + u".html"_s;
    for (qint64 page = 1;; ++page) {
        const QString name = RankingReport::legacySavedPageName(engine.name, page);
        if (name.compare(report, Qt::CaseInsensitive) == 0 || !QFile::remove(m_reportFolder + name))
            break;
    }
}

// A reply of the page under way that did not become a page: a redirect's body.
void clsRanking::dropReply(EngineRun &run) const
{
    if (run.replyWritten)
        QFile::remove(m_reportFolder + arrivingPageName(run.engine.name, run.pages));
    run.replyWritten = false;
}

// Writes the engines this run searches and, once it has ended, how each ended with its pages.
bool clsRanking::recordRun(bool ended)
{
    QList<RankingRunRecord::EngineEnd> engines;
    for (std::size_t i = 1; i < m_runs.size(); ++i) {
        const EngineRun &run = m_runs[i];
        if (run.ticked)
            engines.append({run.engine.name, ended ? statusText(run.status) : u"Running"_s, run.savedPages});
    }
    if (RankingRunRecord::write(m_reportFolder, engines))
        return true;
    if (ended) {
        const QString text = u"Ranking_Record_Error: how the search ended could not be recorded in "_s + m_reportFolder
                             + QLatin1String(RankingRunRecord::kFileName);
        modDSSock::writeErrorLog(text);
        Platform::msgBox(text, Platform::Exclamation, kTitle);
    }
    return false;
}

void clsRanking::failEngine(int index, const QString &reason)
{
    EngineRun &run = m_runs[std::size_t(index)];
    dropReply(run);
    run.failure = reason.isEmpty() ? u"no page"_s : reason;
    emit rowText(index, kPagesColumn, QString::number(run.savedPages));
    run.status = kFailed;
    emit rowText(index, kStatusColumn, statusText(run.status));
    countEngine(index);
}

void clsRanking::completeEngine(int index)
{
    EngineRun &run = m_runs[std::size_t(index)];
    run.status = kCompleted;
    emit rowText(index, kStatusColumn, statusText(run.status));
    countEngine(index);
}

void clsRanking::countEngine(int index)
{
    EngineRun &run = m_runs[std::size_t(index)];
    if (run.counted || !run.ticked)
        return;
    run.counted = true;
    if (++m_stopCounts >= m_rankCount && m_running)
        StopProcess();
}

// "Name: reason" of every ticked engine, or nothing when some engine saved a page.
QStringList clsRanking::failureLines() const
{
    QStringList lines;
    for (std::size_t i = 1; i < m_runs.size(); ++i) {
        const EngineRun &run = m_runs[i];
        if (run.ticked && run.savedPages > 0)
            return {};
        if (run.ticked)
            lines.append(run.engine.name + u": "_s + run.failure);
    }
    return lines;
}

// The report is offered only when some engine saved a page; else the box says why none did.
void clsRanking::StopProcess()
{
    m_running = false;
    setProgress(0);
    recordRun(true);
    const QStringList failures = failureLines();
    emit idle();
    emit runEnded(true, failures.isEmpty());
    if (!failures.isEmpty()) {
        Platform::msgBox(u"No engine could be searched, so there is no ranking report to view.\r\n\r\n"_s
                             + failures.join(u"\r\n"_s),
                         Platform::Exclamation, kTitle);
        return;
    }
    if (Platform::msgBox(u"Search Done !\r\n\r\nDo you want to view your ranking report now?"_s,
                         Platform::YesNo | Platform::Information, kTitle)
        == Platform::Yes)
        emit reportRequested();
}

void clsRanking::CancelProcess()
{
    const bool wasRunning = m_running;
    for (int i = 1; i < static_cast<int>(m_runs.size()); ++i) {
        EngineRun &run = m_runs[std::size_t(i)];
        if (run.status == kCompleted || run.status == kFailed)
            continue;
        run.status = kCancelled;
        emit rowText(i, kStatusColumn, statusText(run.status));
        if (run.ticked && !run.counted) {
            run.counted = true;
            ++m_stopCounts;
            emit rowText(i, kPagesColumn, QString::number(run.savedPages));
        }
    }
    for (std::size_t i = 1; i < Http1.size(); ++i) {
        Http1[i]->cancel();
        TimerNextPage[i]->setEnabled(false);
    }
    for (std::size_t i = 1; i < m_runs.size(); ++i)
        dropReply(m_runs[i]);
    // A cancelled run ends without the completion box; the window resets its own fields.
    m_running = false;
    if (wasRunning) {
        recordRun(true);
        emit idle();
        emit runEnded(false, false);
    }
}
