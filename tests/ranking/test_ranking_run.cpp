// Whole rank check runs, without the window, against a loopback server on 127.0.0.1: the pages
// each engine fetches, redirects, failures, the proxy, cancel and the pages left behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "RankingWindowFixture.h"
#include "platform/modBase64Encode.h"
#include "ranking/RankingRunRecord.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;

namespace {

class RankingRun : public RankingTest::EngineServerFixture {
protected:
    void SetUp() override
    {
        EngineServerFixture::SetUp();
        QObject::connect(&run, &clsRanking::rowText, &run,
                         [this](int row, int column, const QString &text) { cells[{row, column}] = text; });
        QObject::connect(&run, &clsRanking::idle, &run, [this] { ++idles; });
    }
    // The run's input: the engines of the file, the ticked rows (from 1), the site
    // www.shop.example and the keywords "web tools" of the profile "Shop".
    void openShop(const QList<RankingTest::TestEngine> &engines, const QList<int> &ticked, const QByteArray &value = "3",
                  const QByteArray &type = "0")
    {
        writeEngines(engines);
        input = RankingInput();
        for (const RankingEngine &engine : readRankingEngineFile(rankingEngineFilePath()).engines)
            input.rows.push_back({engine, ticked.contains(int(input.rows.size()) + 1)});
        input.keywords = u"web tools"_s;
        input.site = u"www.shop.example"_s;
        input.pagesMode = type == "0";
        input.pageLinks = QString::fromLatin1(value);
        input.profile = u"Shop"_s;
        input.reportFolder = folder();
        run.loadSockets(int(input.rows.size()));
    }
    // Starts the run and waits for its end and its box.
    bool runToEnd(int timeoutMs = 8000)
    {
        env.dialogs.answerMessage(Platform::Ok);
        run.StartSearch(input);
        return Platform::waitUntil([this] { return !run.isRunning(); }, timeoutMs);
    }
    QString cell(int row, int column) const { return cells.value({row, column}); }
    // Requests that reached the server since `from`.
    qsizetype requestsSince(qsizetype from) const { return server.requests().size() - from; }

    clsRanking run;
    RankingInput input;
    QHash<QPair<int, int>, QString> cells;
    int idles = 0;
};

TEST_F(RankingRun, EachEngineFetchesItsPagesUpToTheLimitThenCompletesOnce)
{
    const struct Case {
        const char *linkType;
        int served;
        const char *type;
        const char *value;
        int requests;
    } cases[] = {
        {"Link", 5, "0", "3", 3},     // next links on every page: up to the page limit
        {"Link", 2, "0", "3", 2},     // the second page has no next link
        {"Button", 1, "0", "3", 3},   // built addresses need no link
        {"Link", 20, "1", "15", 2},   // 15 links: two pages
        {"Link", 20, "1", "100", 10},
        {"Link", 20, "1", "5", 5},    // the first digit when it gives more
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.linkType) + " " + c.value);
        pagesServed = c.served;
        openShop({{"Alpha Search", c.linkType}}, {1}, c.value, c.type);
        const qsizetype before = server.requests().size();
        ASSERT_TRUE(runToEnd());
        EXPECT_EQ(requestsSince(before), c.requests);
        EXPECT_EQ(cell(1, 1), QString::number(c.requests));
        EXPECT_EQ(cell(1, 3), u"Completed"_s);
        EXPECT_TRUE(QFileInfo::exists(pageFile(u"Alpha Search"_s, c.requests)));
        EXPECT_FALSE(QFileInfo::exists(pageFile(u"Alpha Search"_s, c.requests + 1)));
        EXPECT_EQ(env.dialogs.prompts(), QStringList{u"Search Done !\r\n\r\nDo you want to view your ranking report now?"_s});
        EXPECT_EQ(idles, 1);
        idles = 0;
        env.dialogs.clearLog();
    }
    const QStringList lines = requestLines();
    EXPECT_TRUE(lines.filter(u"/b?q=web+tools&start=10&num=10 HTTP/1.0"_s).size() == 1) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.filter(u"/b?q=web+tools&start=20&num=10 HTTP/1.0"_s).size() == 1);
}

TEST_F(RankingRun, KeywordsGoOutFormEncodedOnOneRequestLine)
{
    const struct {
        QString typed;
        const char *query;
    } cases[] = {{u"R&D \"web tools\""_s, "q=R%26D+%22web+tools%22 HTTP/1.0"}, {u"a\nb"_s, "q=a+b HTTP/1.0"}};
    openShop({{"Alpha Search"}}, {1}, "1");
    for (const auto &c : cases) {
        input.keywords = c.typed;
        const qsizetype before = server.requests().size();
        ASSERT_TRUE(runToEnd());
        ASSERT_EQ(requestsSince(before), 1);
        EXPECT_TRUE(requestLines().constLast().endsWith(QLatin1String(c.query))) << requestLines().constLast().toStdString();
    }
}

// Alpha moves to an absolute address, Beta to itself, Gamma to a relative one, Echo to a path
// that differs only in letter case; Delta bounces between two addresses until the redirect limit
// ends it as a failed request, with no page saved.
TEST_F(RankingRun, RedirectsAreFollowedIntoTheSamePageUpToTheLimit)
{
    server.setHandler([this](QTcpSocket *client, const QByteArray &request) {
        const QByteArray path = requestPath(request);
        const auto redirect = [client](const QByteArray &location) {
            client->write(TestSupport::LoopbackServer::httpReply(302, "moved", "Location: " + location + "\r\n"));
        };
        if (path.startsWith("/alpha-search/1"))
            redirect("http://" + server.hostPort().toLatin1() + "/alpha-search/moved");
        else if (path.startsWith("/beta/1"))
            redirect("HTTP://" + server.hostPort().toLatin1() + path);
        else if (path.startsWith("/gamma/1"))
            redirect("moved?from=1");
        else if (path.startsWith("/delta/1"))
            redirect("/delta/b");
        else if (path.startsWith("/delta/b"))
            redirect("/delta/1?q=web+tools");
        else if (path.startsWith("/echo/1"))
            redirect("/Echo/1?q=web+tools");
        else
            client->write(TestSupport::LoopbackServer::httpReply(200, "<html>moved here</html>"));
        client->disconnectFromHost();
    });
    openShop({{"Alpha Search"}, {"Beta"}, {"Gamma"}, {"Delta"}, {"Echo"}}, {1, 2, 3, 4, 5});
    ASSERT_TRUE(runToEnd(6000));
    const QStringList lines = requestLines();
    EXPECT_EQ(lines.filter(u"GET /Echo/1?q=web+tools HTTP/1.0"_s).size(), 1);
    EXPECT_EQ(lines.filter(u"/alpha-search/moved HTTP/1.0"_s).size(), 1);
    EXPECT_EQ(lines.filter(u"GET /gamma/moved?from=1 HTTP/1.0"_s).size(), 1);
    EXPECT_EQ(lines.filter(u"GET /delta/"_s).size(), 1 + frmHTTP::kMaxRedirects);
    EXPECT_EQ(lines.size(), 2 + 1 + 2 + 1 + frmHTTP::kMaxRedirects + 2);
    for (const char *engine : {"Alpha Search", "Gamma", "Echo"})
        EXPECT_EQ(TestSupport::TestEnvironment::readFile(pageFile(QString::fromLatin1(engine), 1)), "<html>moved here</html>");
    EXPECT_FALSE(QFileInfo::exists(pageFile(u"Delta"_s, 1)));   // a redirect body is no result page
    EXPECT_EQ(cell(1, 1) + cell(2, 1) + cell(3, 1) + cell(4, 1) + cell(5, 1), u"11101"_s);
    EXPECT_EQ(cell(1, 3) + u'|' + cell(2, 3) + u'|' + cell(3, 3) + u'|' + cell(4, 3) + u'|' + cell(5, 3),
              u"Completed|Completed|Completed|Failed|Completed"_s);
    EXPECT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(TestSupport::TestEnvironment::readFile(env.programFolder() + u"Error.log"_s).contains("too many redirects"));
}

// Refused, silent and non-web engines end as failed; an error status is a page like any other.
TEST_F(RankingRun, FailedRequestsShowFailedAndAnErrorStatusIsAPage)
{
    myPreference().setTimeOut(1);
    server.setHandler([](QTcpSocket *client, const QByteArray &request) {
        if (requestPath(request).startsWith("/gamma/"))
            return;   // silence until the time-out
        if (requestPath(request).startsWith("/epsilon/")) {
            client->disconnectFromHost();   // closed without a reply
            return;
        }
        client->write(TestSupport::LoopbackServer::httpReply(404, "<html>not here</html>"));
        client->disconnectFromHost();
    });
    openShop({{"Alpha Search", "Button", "http://127.0.0.1:1"}, {"Beta"}, {"Gamma"}, {"Delta", "Link", "https://127.0.0.1:1"},
              {"Epsilon"}},
             {1, 2, 3, 4, 5});
    ASSERT_TRUE(runToEnd(6000));
    EXPECT_EQ(cell(1, 3) + u'|' + cell(2, 3) + u'|' + cell(3, 3) + u'|' + cell(4, 3) + u'|' + cell(5, 3),
              u"Failed|Completed|Failed|Failed|Failed"_s);
    EXPECT_EQ(cell(1, 1) + cell(2, 1) + cell(3, 1) + cell(4, 1) + cell(5, 1), u"01000"_s);
    for (const QString &failed : {u"Alpha Search"_s, u"Gamma"_s, u"Epsilon"_s})
        EXPECT_FALSE(QFileInfo::exists(pageFile(failed, 1))) << failed.toStdString();
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(pageFile(u"Beta"_s, 1)), "<html>not here</html>");
    EXPECT_EQ(server.requests().size(), 3);
    EXPECT_EQ(env.dialogs.prompts().size(), 1);   // the completion box only
}

// The report folder cannot be made where a file stands, or the run cannot be recorded in it:
// nothing is requested.
TEST_F(RankingRun, AFolderOrRecordThatCannotBeWrittenEndsTheStartWithItsBox)
{
    openShop({{"Alpha Search"}}, {1});
    TestSupport::TestEnvironment::writeFile(env.programFolder() + u"blocker"_s, "a file");
    ASSERT_TRUE(QDir().mkpath(folder() + QLatin1String(RankingRunRecord::kFileName)));
    for (const QString &reportFolder : QStringList{env.programFolder() + u"blocker/Shop/"_s, folder()}) {
        SCOPED_TRACE(reportFolder.toStdString());
        input.reportFolder = reportFolder;
        env.dialogs.clearLog();
        env.dialogs.answerMessage(Platform::Ok);
        run.StartSearch(input);
        EXPECT_FALSE(run.isRunning());
        ASSERT_EQ(env.dialogs.shown().size(), 1);
        EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(u"RankingConnect_Error: "_s));
        EXPECT_EQ(env.dialogs.shown()[0].title, u"Error"_s);
        EXPECT_EQ(env.dialogs.shown()[0].style, int(Platform::Exclamation));
    }
    EXPECT_EQ(idles, 2);
    EXPECT_TRUE(TestSupport::TestEnvironment::readFile(env.programFolder() + u"Error.log"_s).contains("RankingConnect_Error: "));
    Platform::waitUntil([] { return false; }, 200);
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(RankingRun, ThroughTheProxyWithItsLoginOnlyWhenAProxyIsNamed)
{
    myPreference().setAccessType(2);
    myPreference().setHTTPUserName(u"ann"_s);
    myPreference().setHTTPPassword(u"p:w"_s);
    pagesServed = 2;
    openShop({{"Alpha Search", "Link", "http://alpha.example:8080"}, {"Beta"}}, {2});
    myPreference().setProxy(QString());   // access type 2 without a proxy: direct
    ASSERT_TRUE(runToEnd());
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_FALSE(server.requests()[0].contains("Proxy-Authorization"));

    myPreference().setProxy(u"127.0.0.1"_s);
    myPreference().setPort(server.port());
    input.rows[0].ticked = true;
    input.rows[1].ticked = false;
    ASSERT_TRUE(runToEnd());
    const QList<QByteArray> requests = server.requests().mid(2);
    ASSERT_EQ(requests.size(), 2);
    EXPECT_TRUE(requests[0].startsWith("GET http://alpha.example:8080/alpha-search/1?q=web+tools HTTP/1.0\r\n"));
    EXPECT_TRUE(requests[1].startsWith("GET http://alpha.example:8080/alpha-search/2 HTTP/1.0\r\n"));
    const QByteArray login =
        QByteArray("\r\nProxy-Authorization: Basic ") + modBase64Encode::base64Encode(u"ann:p:w"_s).toLatin1() + "\r\n";
    for (const QByteArray &request : requests)
        EXPECT_TRUE(request.contains(login));
}

TEST_F(RankingRun, CancelMarksEveryRowNotCompletedAndANewStartRunsUndisturbed)
{
    server.neverAnswer();
    openShop({{"Alpha Search"}, {"Beta"}}, {1});
    run.StartSearch(input);
    ASSERT_TRUE(server.waitForRequests(1, 3000));
    EXPECT_TRUE(run.isRunning());
    run.CancelProcess();
    EXPECT_FALSE(run.isRunning());
    EXPECT_EQ(cell(1, 3) + u'|' + cell(2, 3), u"Cancelled|Cancelled"_s);
    EXPECT_EQ(idles, 1);
    Platform::waitUntil([] { return false; }, 300);
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());

    server.setHandler([this](QTcpSocket *client, const QByteArray &request) { answer(client, request); });
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(cell(1, 3) + u'|' + cell(1, 1), u"Completed|3"_s);
    EXPECT_EQ(server.requests().size(), 4);
}

// The profile "alpha1" names its report as engine "Alpha" once named its first page; "Web" page
// 11 and "Web1" page 1 once shared a name.
TEST_F(RankingRun, TheReportAndEveryEnginesPagesKeepFilesOfTheirOwn)
{
    pagesServed = 12;
    openShop({{"Alpha"}, {"Web"}, {"Web1"}}, {1, 2, 3}, "11");
    input.profile = u"alpha1"_s;
    input.reportFolder = folder(u"alpha1"_s);
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(TestSupport::TestEnvironment::readFile(pageFile(u"Web"_s, 11, u"alpha1"_s)).contains("/web/12"));
    EXPECT_TRUE(TestSupport::TestEnvironment::readFile(pageFile(u"Web1"_s, 1, u"alpha1"_s)).contains("/web1/2"));
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_TRUE(run.getResults(input));
        run.Report(input, profileFile());
        EXPECT_EQ(cell(1, 2) + u'|' + cell(2, 2) + u'|' + cell(3, 2), u"14|14|14"_s) << pass;
    }
    input.pageLinks = u"1"_s;
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(QFileInfo::exists(folder(u"alpha1"_s) + u"alpha1.html"_s));
}

// Each engine's Position is set once, however many anchors match: a row laid out per match
// made a page of thousands of matches take minutes.
TEST_F(RankingRun, GetReportSetsEachPositionOnce)
{
    openShop({{"Alpha Search"}, {"Beta"}}, {1, 2}, "2");
    QByteArray matches = "<!--results-->";
    for (int i = 0; i < 3; ++i)
        matches += "<a href=\"http://www.shop.example/\">Shop</A>";
    for (int page = 1; page <= 2; ++page)
        TestSupport::TestEnvironment::writeFile(pageFile(u"Alpha Search"_s, page), matches);
    QStringList positions;
    QObject::connect(&run, &clsRanking::rowText, &run, [&positions](int row, int column, const QString &text) {
        if (row == 1 && column == clsRanking::kPositionColumn)
            positions.append(text);
    });
    ASSERT_TRUE(run.getResults(input));
    EXPECT_EQ(positions, QStringList{u"1, 2, 3, 4, 5, 6"_s});
    EXPECT_EQ(cell(2, 2), QString());
}

} // namespace
