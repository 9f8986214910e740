// A whole run: 3 URLs of one web site to 40 engines on 9 connections against servers on
// 127.0.0.1, direct and through a proxy.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QStringList>

#include "SubmitFixture.h"
#include "core/modCommon.h"
#include "platform/EventLoop.h"
#include "platform/TextFile.h"
#include "submission/SubmitHttp.h"
#include "submission/SubmitScheduler.h"
#include "support/ExpectedFile.h"
#include "support/LoopbackServer.h"
#include "support/RefusedPort.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;

namespace {

// Engine n behaves by n % 8; every behaviour is in each round of nine.
enum Behaviour { Fine, Missing, Broken, Refused, Silent, Cut, Huge, FinePost };

Behaviour behaviourOf(int n)
{
    return Behaviour(n % 8);
}

int expectedStatus(Behaviour behaviour)
{
    switch (behaviour) {
    case Fine: case FinePost: case Huge: return SubmitHttp::kSuccess;
    case Missing: return SubmitHttp::kFailed;
    case Broken: return SubmitHttp::kServerFailure;
    case Refused: return SubmitHttp::kServerError;
    case Silent: return SubmitHttp::kSubmissionTimeout;
    case Cut: return SubmitHttp::kFailed;   // closed before its Content-Length: no whole reply
    }
    return -1;
}

void answer(QTcpSocket *client, const QByteArray &request)
{
    const qsizetype at = request.indexOf("/b") + 2;
    const Behaviour behaviour = Behaviour(request.mid(at, 1).toInt());
    switch (behaviour) {
    case Silent:
        return;
    case Missing: client->write(LoopbackServer::httpReply(404, "no\r\n")); break;
    case Broken: client->write(LoopbackServer::httpReply(500, "down\r\n")); break;
    case Cut: client->write("HTTP/1.0 200 OK\r\nContent-Length: 500\r\n\r\nonly a part\r\n"); break;
    case Huge: client->write(LoopbackServer::httpReply(200, QByteArray(5 * 1024 * 1024, 'z'))); break;
    default: client->write(LoopbackServer::httpReply(200, "thanks\r\n")); break;
    }
    client->disconnectFromHost();
}

// The report pages and failed-engine list of a run are also kept whole in data/expected.
QString expectedPath(bool direct, const QString &name)
{
    return QStringLiteral(VELQUIST_TEST_DATA_DIR "/expected/end_to_end_") + (direct ? u"direct_"_s : u"proxy_"_s) + name;
}

class EndToEnd : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        server.setHandler(answer);
        settings.Connections = 9;
        // Roomy enough that a loaded machine (sanitizers, parallel tests) still answers in time;
        // only the silent engines wait it out.
        settings.TimeOut = 3;
        const QStringList urls = {u"http://shop.example/"_s, u"http://shop.example/a.html"_s,
                                  u"http://shop.example/b.htm?x=1"_s};
        siteFile = SubmitTest::writeSiteFile(env.programFolder() + u"Shop.vqs"_s,
                                             "Title=Shoe Shop\r\nKeyword=shoes\r\nCompany=Lee & Co\r\n", urls);
        for (const QString &url : urls)
            rows.append({url, siteFile});
    }
    // Engine n's action: direct ones name the server's port, proxied ones a host of their own.
    void addEngines(bool direct)
    {
        for (int n = 1; n <= 40; ++n) {
            const Behaviour behaviour = behaviourOf(n);
            const QString name = u"Engine%1"_s.arg(n, 2, 10, QChar(u'0'));
            const int port = behaviour == Refused ? refused.port() : server.port();
            const QString host = direct ? u"127.0.0.1:%1"_s.arg(port) : u"e%1.example"_s.arg(n);
            const QString method = (behaviour == FinePost || n % 2 == 0) ? u"POST"_s : u"GET"_s;
            engines.add(name, u"t=<title>&k=<keyword>&u=<url>&n="_s + name, method,
                        u"http://"_s + host + u"/b%1/add"_s.arg(int(behaviour)));
            names << name;
        }
    }
    void runAll()
    {
        clsSubmit submit(settings, engines.lookup());
        submit.setEngineNames(names);
        SubmitScheduler scheduler(submit);
        scheduler.loadSockets(settings.Connections);
        int urlOfRequest = 0;
        QObject::connect(&scheduler, &SubmitScheduler::urlReported, &scheduler,
                         [&](int, const QString &path) { reports << path; ++urlOfRequest; });
        QObject::connect(&scheduler, &SubmitScheduler::requestEnded, &scheduler, [&](int, int k, int status) {
            statuses[urlOfRequest][submit.engine(k).Name] = status;
        });
        ASSERT_TRUE(scheduler.StartSubmit(rows));
        ASSERT_TRUE(Platform::waitUntil([&] { return !scheduler.isRunning(); }, 90000));
    }
    QByteArray expectedRequest(int n, int url) const
    {
        const clsEngines &engine = engines.byName.at(u"engine%1"_s.arg(n, 2, 10, QChar(u'0')));
        const QStringList encodedUrls = {u"http%3A%2F%2Fshop.example%2F"_s, u"http%3A%2F%2Fshop.example%2Fa.html"_s,
                                         u"http%3A%2F%2Fshop.example%2Fb.htm%3Fx%3D1"_s};
        const QString data = u"t=Shoe+Shop&k=shoes&u="_s + encodedUrls.at(url) + u"&n="_s + engine.Name;
        return SubmitHttp::buildRequest(engine.Method, engine.Action, data, settings).text.toLatin1();
    }
    void checkRun(const QList<QByteArray> &seen, bool direct)
    {
        // Every request but the refused ones reached the server once, byte for byte.
        QMultiMap<QByteArray, int> received;
        for (const QByteArray &request : seen)
            received.insert(request, 1);
        int expectedCount = 0;
        for (int url = 0; url < 3; ++url) {
            for (int n = 1; n <= 40; ++n) {
                if (direct && behaviourOf(n) == Refused)
                    continue;
                QByteArray request = expectedRequest(n, url);
                if (request.startsWith("POST"))
                    request.chop(2);   // the server keeps Content-Length bytes of the body
                EXPECT_EQ(received.count(request), 1) << request.constData();
                ++expectedCount;
            }
        }
        EXPECT_EQ(seen.size(), expectedCount);

        ASSERT_EQ(reports.size(), 3);
        for (int url = 0; url < 3; ++url) {
            const QString page = Platform::readTextFile(reports.at(url)).value_or(QString());
            int failures = 0;
            for (int n = 1; n <= 40; ++n) {
                const QString name = u"Engine%1"_s.arg(n, 2, 10, QChar(u'0'));
                int status = expectedStatus(behaviourOf(n));
                if (!direct && behaviourOf(n) == Refused)
                    status = SubmitHttp::kSuccess;   // through the proxy it is an ordinary engine
                EXPECT_EQ(statuses[url].value(name), status) << name.toStdString();
                if (status != SubmitHttp::kSuccess) {
                    ++failures;
                    EXPECT_TRUE(page.contains(u". "_s + name + u"</font></td><td><font face=arial size=2>"_s
                                              + SubmitHttp::statusText(status) + u"</font></td></tr>"_s));
                }
            }
            EXPECT_TRUE(page.contains(u"<td  width= 420><font face=arial size=2>Lee &amp; Co</font>"_s));
            EXPECT_EQ(page.count(u"<tr tr bgcolor"_s), 40);
            EXPECT_TRUE(page.contains(u"%1. "_s.arg(failures)));
            EXPECT_EQ(modCommon::readINIValue(siteFile, u"Report"_s, u"ReportFile%1"_s.arg(url + 1)), reports.at(url));
            EXPECT_TRUE(TestSupport::matchesExpectedFile(
                SubmitTest::withFixedDate(TestSupport::TestEnvironment::readFile(reports.at(url))),
                expectedPath(direct, u"report%1.html"_s.arg(url + 1))));
        }
        EXPECT_TRUE(TestSupport::matchesExpectedFile(TestSupport::TestEnvironment::readFile(clsSubmit::failFile()),
                                                     expectedPath(direct, u"fail.eng"_s)));
        const QStringList failed = Platform::splitLines(Platform::readTextFile(clsSubmit::failFile()).value_or(QString()));
        QStringList expectedFailed;
        for (int n = 1; n <= 40; ++n) {
            const Behaviour behaviour = behaviourOf(n);
            if (expectedStatus(behaviour) != SubmitHttp::kSuccess && (direct || behaviour != Refused))
                expectedFailed << u"Engine%1"_s.arg(n, 2, 10, QChar(u'0'));
        }
        EXPECT_EQ(failed, expectedFailed);
    }

    LoopbackServer server;
    TestSupport::RefusedPort refused;
    SubmitSettings settings;
    SubmitTest::EngineTable engines;
    QStringList names;
    QString siteFile;
    QList<SubmitScheduler::UrlRow> rows;
    QStringList reports;
    QMap<int, QMap<QString, int>> statuses;
};

} // namespace

TEST_F(EndToEnd, DirectRunOfThreeUrlsToFortyEngines)
{
    addEngines(true);
    runAll();
    checkRun(server.requests(), true);
    EXPECT_EQ(server.connectionCount(), server.requests().size());
}

TEST_F(EndToEnd, ProxyRunCarriesTheLoginOnlyToTheProxy)
{
    settings.AccessType = 2;
    settings.Proxy = u"127.0.0.1"_s;
    settings.Port = server.port();
    settings.Authentication = 407;
    settings.HTTPLogin = u"dXNlcjpwdw=="_s;
    addEngines(false);
    runAll();
    checkRun(server.requests(), false);
    for (const QByteArray &request : server.requests())
        EXPECT_TRUE(request.contains("\r\nProxy-Authorization: Basic dXNlcjpwdw==\r\n"));
}
