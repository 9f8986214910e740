#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>

#include "SubmitFixture.h"
#include "platform/EventLoop.h"
#include "platform/TextFile.h"
#include "submission/SubmitHttp.h"
#include "submission/SubmitScheduler.h"
#include "support/LoopbackServer.h"
#include "support/RefusedPort.h"
#include "transport/modDSSockSocket.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;

namespace {

// The engine named in a proxy request line: "GET http://<name>.example/...".
QString engineOf(const QByteArray &request)
{
    const qsizetype start = request.indexOf("http://") + 7;
    return QString::fromLatin1(request.mid(start, request.indexOf(".example") - start));
}

// Answers each engine as its name says; every other engine gets a plain 200.
void scriptedReplies(LoopbackServer &server)
{
    server.setHandler([](QTcpSocket *client, const QByteArray &request) {
        const QString engine = engineOf(request);
        if (engine.startsWith(u"silent"_s))
            return;
        QByteArray reply;
        if (engine.startsWith(u"missing"_s))
            reply = LoopbackServer::httpReply(404, "no");
        else if (engine.startsWith(u"broken"_s))
            reply = LoopbackServer::httpReply(503, "down");
        else if (engine.startsWith(u"odd"_s))
            reply = "HTTP/1.0 abc\r\n\r\nx";
        else if (engine.startsWith(u"bare"_s))
            reply = "HTTP/1.0 200 OK\nX: y\n\nbody\n";
        else if (engine.startsWith(u"huge"_s))
            reply = LoopbackServer::httpReply(200, QByteArray(300 * 1024, 'h'));
        else if (engine.startsWith(u"cut"_s))
            reply = "HTTP/1.0 502 Bad\r\nContent-Length: 100\r\n\r\npartial";
        else if (!engine.startsWith(u"empty"_s))
            reply = LoopbackServer::httpReply(200, "thanks\r\n");
        client->write(reply);
        client->disconnectFromHost();
    });
}

class Scheduler : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        settings.TimeOut = 1;
        settings.Connections = 3;
        settings.AccessType = 2;
        settings.Proxy = u"127.0.0.1"_s;
        settings.Port = server.port();
        scriptedReplies(server);
    }
    void addEngines(const QStringList &names, const QString &method = u"GET"_s)
    {
        for (const QString &name : names)
            engines.add(name, u"u=<url>&t=<title>"_s, method, u"http://"_s + name + u".example/add"_s);
        engineNames += names;
    }
    QList<SubmitScheduler::UrlRow> sites(int urls)
    {
        QStringList list;
        for (int n = 1; n <= urls; ++n)
            list << u"http://shop.example/p%1.html"_s.arg(n);
        const QString file = SubmitTest::writeSiteFile(env.programFolder() + u"Shop.vqs"_s,
                                                       "Title=Shop \xe9t\xe9\r\n", list);
        QList<SubmitScheduler::UrlRow> rows;
        for (const QString &url : list)
            rows.append({url, file});
        return rows;
    }
    // Runs to the end; the statuses by engine name of the last URL.
    QMap<QString, int> run(const QList<SubmitScheduler::UrlRow> &urls, int boundMs = 60000)
    {
        QMap<QString, int> statuses;
        clsSubmit submit(settings, engines.lookup());
        submit.setEngineNames(engineNames);
        SubmitScheduler scheduler(submit);
        scheduler.loadSockets(settings.Connections);
        QObject::connect(&scheduler, &SubmitScheduler::requestEnded, &scheduler, [&](int, int k, int status) {
            statuses[submit.engine(k).Name] = status;
            ++ended;
        });
        QObject::connect(&scheduler, &SubmitScheduler::urlReported, &scheduler,
                         [&](int, const QString &path) { reports << path; });
        EXPECT_TRUE(scheduler.StartSubmit(urls));
        EXPECT_TRUE(Platform::waitUntil([&] { return !scheduler.isRunning(); }, boundMs));
        return statuses;
    }

    LoopbackServer server;
    SubmitSettings settings;
    SubmitTest::EngineTable engines;
    QStringList engineNames;
    QStringList reports;
    int ended = 0;
};

} // namespace

TEST_F(Scheduler, EveryReplyGetsItsStatus)
{
    addEngines({u"fine"_s, u"missing"_s, u"broken"_s, u"odd"_s, u"bare"_s, u"empty"_s, u"huge"_s, u"cut"_s, u"silent"_s});
    settings.Connections = 9;
    const qint64 start = Platform::tickCount();
    const QMap<QString, int> statuses = run(sites(1));
    const qint64 took = Platform::tickCount() - start;
    EXPECT_EQ(statuses.value(u"fine"_s), SubmitHttp::kSuccess);
    EXPECT_EQ(statuses.value(u"missing"_s), SubmitHttp::kFailed);
    EXPECT_EQ(statuses.value(u"broken"_s), SubmitHttp::kServerFailure);
    EXPECT_EQ(statuses.value(u"odd"_s), SubmitHttp::kUnreadableStatus);
    EXPECT_EQ(statuses.value(u"bare"_s), SubmitHttp::kSuccess);
    EXPECT_EQ(statuses.value(u"empty"_s), SubmitHttp::kFailed);
    EXPECT_EQ(statuses.value(u"huge"_s), SubmitHttp::kSuccess);
    EXPECT_EQ(statuses.value(u"cut"_s), SubmitHttp::kFailed);   // closed before its length: not whole
    EXPECT_EQ(statuses.value(u"silent"_s), SubmitHttp::kSubmissionTimeout);
    EXPECT_EQ(ended, 9);
    EXPECT_EQ(server.requests().size(), 9);
    // 1 s before the dispatch, the silent one's 2 s deadline plus at most one 1 s period; the
    // bound above leaves room for a busy machine yet stays below the 10 s of the whole reply.
    EXPECT_GE(took, 3000);
    EXPECT_LT(took, 9000);
    ASSERT_EQ(reports.size(), 1);
    const QString failList = Platform::readTextFile(clsSubmit::failFile()).value_or(QString());
    EXPECT_EQ(Platform::splitLines(failList).size(), 6);
    EXPECT_FALSE(failList.contains(u"fine"_s));
}

TEST_F(Scheduler, RequestsGoThroughTheProxyByteForByte)
{
    addEngines({u"getter"_s});
    addEngines({u"poster"_s}, u"POST"_s);
    run(sites(1));
    ASSERT_EQ(server.requests().size(), 2);
    QStringList requests;
    for (const QByteArray &request : server.requests())
        requests << QString::fromLatin1(request);
    requests.sort();
    const QString host = u"Host: 127.0.0.1:%1\r\n"_s.arg(server.port());
    EXPECT_EQ(requests.at(0), u"GET http://getter.example/add?u=http%3A%2F%2Fshop.example%2Fp1.html&t=Shop+\u00e9t\u00e9 HTTP/1.0\r\n"_s
                                  + host + u"Accept: */*\r\n\r\n"_s);
    EXPECT_EQ(requests.at(1), u"POST http://poster.example/add HTTP/1.0\r\n"_s + host
                                  + u"Accept: */*\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                                    "Content-Length: 48\r\n\r\nu=http%3A%2F%2Fshop.example%2Fp1.html&t=Shop+\u00e9t\u00e9"_s);
}

TEST_F(Scheduler, DirectRequestsUseTheActionsHostAndPort)
{
    settings.AccessType = 0;
    settings.TimeOut = 3;   // no time-out is under test here; a loaded machine must not hit one
    engines.add(u"direct"_s, u"q=<title>"_s, u"GET"_s, u"http://127.0.0.1:%1/add"_s.arg(server.port()));
    engineNames << u"direct"_s;
    const QMap<QString, int> statuses = run(sites(1));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(QString::fromLatin1(server.requests().first()),
              u"GET /add?q=Shop+\u00e9t\u00e9 HTTP/1.0\r\nHost: 127.0.0.1:%1\r\nAccept: */*\r\n\r\n"_s.arg(server.port()));
    EXPECT_EQ(statuses.value(u"direct"_s), SubmitHttp::kSuccess);
}

TEST_F(Scheduler, RefusedConnectionsAndBadEnginesFailFast)
{
    const TestSupport::RefusedPort refused;
    settings.Port = refused.port();
    addEngines({u"refused"_s});
    engines.add(u"noquery"_s, u"fixed=1"_s);
    engines.add(u"nohost"_s, u"q=<url>"_s, u"GET"_s, u"http://intranet/add"_s);
    engineNames << u"noquery"_s << u"nohost"_s << u"unknown"_s;
    const qint64 start = Platform::tickCount();
    const QMap<QString, int> statuses = run(sites(1));
    EXPECT_EQ(statuses.value(u"refused"_s), SubmitHttp::kServerError);
    EXPECT_EQ(statuses.value(u"noquery"_s), SubmitHttp::kFailed);
    EXPECT_EQ(statuses.value(u"unknown"_s), SubmitHttp::kFailed);
    // The proxy host has a dot, so only the proxy is asked; no engine is refused for its host.
    EXPECT_EQ(statuses.value(u"nohost"_s), SubmitHttp::kServerError);
    EXPECT_LT(Platform::tickCount() - start, 5000);
}

TEST_F(Scheduler, ProxyWithoutADotGivesInvalidHostWithoutConnecting)
{
    settings.Proxy = u"gateway"_s;
    addEngines({u"a"_s, u"b"_s});
    const QMap<QString, int> statuses = run(sites(1));
    EXPECT_EQ(statuses.value(u"a"_s), SubmitHttp::kInvalidHost);
    EXPECT_EQ(statuses.value(u"b"_s), SubmitHttp::kInvalidHost);
    EXPECT_EQ(server.connectionCount(), 0);
}

TEST_F(Scheduler, OneSocketPacesItsRequestsOneSecondApart)
{
    settings.Connections = 1;
    addEngines({u"a"_s, u"b"_s, u"c"_s});
    QList<qint64> arrivals;
    server.setHandler([&](QTcpSocket *client, const QByteArray &) {
        arrivals << Platform::tickCount();
        client->write(LoopbackServer::httpReply(200, "ok"));
        client->disconnectFromHost();
    });
    run(sites(1));
    ASSERT_EQ(arrivals.size(), 3);
    for (int i = 1; i < 3; ++i) {
        EXPECT_GE(arrivals[i] - arrivals[i - 1], 990);
        EXPECT_LT(arrivals[i] - arrivals[i - 1], 1400);
    }
}

TEST_F(Scheduler, EveryUrlGoesToEveryEngineOnceWithAReportEach)
{
    QStringList names;
    for (int n = 1; n <= 7; ++n)
        names << u"e%1"_s.arg(n);
    addEngines(names);
    run(sites(2));
    EXPECT_EQ(server.requests().size(), 14);
    QMap<QString, int> seen;
    for (const QByteArray &request : server.requests())
        ++seen[QString::fromLatin1(request.left(request.indexOf(" HTTP/")))];
    EXPECT_EQ(seen.size(), 14);
    ASSERT_EQ(reports.size(), 2);
    EXPECT_NE(reports.at(0), reports.at(1));
    EXPECT_TRUE(QFileInfo::exists(reports.at(1)));
}

// A whole reply is judged when it is whole, whatever the time-out, and our side closes the
// connection the server keeps open; a reply announced longer than it is waits for the rest.
TEST_F(Scheduler, AWholeReplyOnAnOpenConnectionIsJudgedAtOnce)
{
    addEngines({u"open"_s, u"missing"_s, u"short"_s});
    QList<QPointer<QTcpSocket>> whole;
    server.setHandler([&](QTcpSocket *client, const QByteArray &request) {
        const QString engine = engineOf(request);
        if (engine == u"short"_s) {
            client->write("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nten bytes\r\n");
            return;
        }
        whole << client;
        client->write(LoopbackServer::httpReply(engine == u"open"_s ? 200 : 404, "done\r\n"));
    });
    for (const int timeOut : {1, 2, 4, 30}) {
        SCOPED_TRACE(timeOut);
        settings.TimeOut = timeOut;
        QMap<QString, qint64> ends;
        clsSubmit submit(settings, engines.lookup());
        submit.setEngineNames(engineNames);
        SubmitScheduler scheduler(submit);
        scheduler.loadSockets(settings.Connections);
        const qint64 start = Platform::tickCount();
        QObject::connect(&scheduler, &SubmitScheduler::requestEnded, &scheduler,
                         [&](int, int k, int) { ends[submit.engine(k).Name] = Platform::tickCount() - start; });
        ASSERT_TRUE(scheduler.StartSubmit(sites(1)));
        ASSERT_TRUE(Platform::waitUntil([&] { return ends.size() >= 2; }, 1900));
        EXPECT_EQ(submit.engine(1).Status, SubmitHttp::kSuccess);
        EXPECT_EQ(submit.engine(2).Status, SubmitHttp::kFailed);
        EXPECT_LT(ends.value(u"open"_s), 1500);
        EXPECT_TRUE(Platform::waitUntil([&] {
            return std::all_of(whole.begin(), whole.end(), [](const QPointer<QTcpSocket> &client) {
                return !client || client->state() != QAbstractSocket::ConnectedState;
            });
        }, 1000));
        EXPECT_FALSE(ends.contains(u"short"_s));
        scheduler.stopSubmission();
        EXPECT_EQ(submit.engine(3).Status, SubmitHttp::kCancelled);
        whole.clear();
    }
}

TEST_F(Scheduler, StopSendsNothingMoreAndReportsTheCurrentUrl)
{
    settings.Connections = 2;
    addEngines({u"silent1"_s, u"silent2"_s, u"later1"_s, u"later2"_s});
    clsSubmit submit(settings, engines.lookup());
    submit.setEngineNames(engineNames);
    SubmitScheduler scheduler(submit);
    scheduler.loadSockets(settings.Connections);
    QStringList reported;
    QObject::connect(&scheduler, &SubmitScheduler::urlReported, &scheduler,
                     [&](int, const QString &path) { reported << path; });
    ASSERT_TRUE(scheduler.StartSubmit(sites(2)));
    ASSERT_TRUE(server.waitForRequests(2, 5000));
    scheduler.stopSubmission();
    EXPECT_FALSE(scheduler.isRunning());
    EXPECT_EQ(submit.engine(1).Status, SubmitHttp::kCancelled);
    EXPECT_EQ(submit.engine(2).Status, SubmitHttp::kCancelled);
    EXPECT_EQ(submit.engine(3).Status, SubmitHttp::kNotSent);
    ASSERT_EQ(reported.size(), 1);
    const QString page = Platform::readTextFile(reported.first()).value_or(QString());
    EXPECT_TRUE(page.contains(u"silent1</font></td><td><font face=arial size=2>Cancelled"_s));
    EXPECT_TRUE(page.contains(u"later1</font></td><td><font face=arial size=2>Not Sent"_s));
    Platform::waitUntil([] { return false; }, 2500);
    EXPECT_EQ(server.connectionCount(), 2);
    EXPECT_EQ(server.requests().size(), 2);
}

TEST_F(Scheduler, StopBeforeTheFirstDispatchAndEmptyRuns)
{
    addEngines({u"a"_s});
    clsSubmit submit(settings, engines.lookup());
    submit.setEngineNames(engineNames);
    SubmitScheduler scheduler(submit);
    scheduler.loadSockets(0);
    EXPECT_EQ(scheduler.socketCount(), 1);
    EXPECT_FALSE(scheduler.StartSubmit({}));
    ASSERT_TRUE(scheduler.StartSubmit(sites(1)));
    scheduler.stopSubmission();
    Platform::waitUntil([] { return false; }, 1300);
    EXPECT_EQ(server.connectionCount(), 0);
    EXPECT_EQ(submit.engine(1).Status, SubmitHttp::kNotSent);
}

TEST_F(Scheduler, SocketTableIsSizedAndIntervalsFollowTheTimeOut)
{
    settings.TimeOut = 30;
    clsSubmit submit(settings, engines.lookup());
    submit.setEngineNames({u"a"_s});
    SubmitScheduler scheduler(submit);
    scheduler.loadSockets(9);
    EXPECT_EQ(modDSSock::socketTable.size(), 10u);
    engines.add(u"a"_s, u"q=<url>"_s);
    ASSERT_TRUE(scheduler.StartSubmit(sites(1)));
    EXPECT_EQ(scheduler.numOfSockets(), 1);
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(scheduler.timeOutInterval(i), 30003);
    scheduler.stopSubmission();
}

TEST_F(Scheduler, ConnectThatNeverStandsTimesOutThenTheSocketPausesOneSecond)
{
    // A listener that accepts nothing and whose one queue slot is taken: further connects hang.
    QTcpServer stuck;
    stuck.setListenBacklogSize(0);
    ASSERT_TRUE(stuck.listen(QHostAddress::LocalHost, 0));
    stuck.pauseAccepting();
    QList<QTcpSocket *> fillers;
    for (int n = 0; n < 3; ++n) {
        fillers << new QTcpSocket(&stuck);
        fillers.last()->connectToHost(QHostAddress::LocalHost, stuck.serverPort());
    }
    Platform::waitUntil([] { return false; }, 200);
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, stuck.serverPort());
    if (probe.waitForConnected(300))
        GTEST_SKIP() << "this kernel still completes connects to a full listen queue";
    probe.abort();

    settings.Connections = 1;
    settings.Port = stuck.serverPort();
    addEngines({u"a"_s, u"b"_s});
    QList<qint64> dispatches;
    QList<qint64> ends;
    clsSubmit submit(settings, engines.lookup());
    submit.setEngineNames(engineNames);
    SubmitScheduler scheduler(submit);
    scheduler.loadSockets(settings.Connections);
    QObject::connect(&scheduler, &SubmitScheduler::dispatched, &scheduler,
                     [&](int, int) { dispatches << Platform::tickCount(); });
    QObject::connect(&scheduler, &SubmitScheduler::requestEnded, &scheduler,
                     [&](int, int, int) { ends << Platform::tickCount(); });
    ASSERT_TRUE(scheduler.StartSubmit(sites(1)));
    ASSERT_TRUE(Platform::waitUntil([&] { return !scheduler.isRunning(); }, 15000));
    EXPECT_EQ(submit.engine(1).Status, SubmitHttp::kSubmissionTimeout);
    EXPECT_EQ(submit.engine(2).Status, SubmitHttp::kSubmissionTimeout);
    ASSERT_EQ(dispatches.size(), 2);
    ASSERT_EQ(ends.size(), 2);
    // The connect deadline is the time-out itself (1 s), not the 2 s of a standing connection.
    for (int n = 0; n < 2; ++n) {
        EXPECT_GE(ends[n] - dispatches[n], 950) << n;
        EXPECT_LT(ends[n] - dispatches[n], 1800) << n;
    }
    EXPECT_GE(dispatches[1] - ends[0], 950);
    EXPECT_LT(dispatches[1] - ends[0], 1500);
}

TEST_F(Scheduler, SteadyTrickleEndsAtTenTimesTheTimeOut)
{
    addEngines({u"trickle"_s});
    // One body line every 0.5 s for 30 s: the 2 s since the last line never pass.
    server.setHandler([](QTcpSocket *client, const QByteArray &) {
        client->write("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n");
        LoopbackServer::trickle(client, "still here\r\n", 500, 60);
    });
    const qint64 start = Platform::tickCount();
    const QMap<QString, int> statuses = run(sites(1), 16000);
    const qint64 took = Platform::tickCount() - start;
    EXPECT_EQ(statuses.value(u"trickle"_s), SubmitHttp::kSubmissionTimeout);
    // 1 s before the dispatch, the 10 s of the whole reply, at most one 1 s check period.
    EXPECT_GE(took, 1000 + 10000 - 100);
    EXPECT_LT(took, 1000 + 10000 + 2500);
}
