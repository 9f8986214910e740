// Whole rank check runs of the window against a loopback server on 127.0.0.1: the pages each
// engine fetches, redirects, failures, the proxy, Stop, closing mid-run and the pages left behind.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QPointer>

#include "RankingWindowFixture.h"
#include "core/modCommon.h"
#include "platform/modBase64Encode.h"

using namespace Qt::StringLiterals;

namespace {

class RankingRun : public RankingTest::WindowFixture {
protected:
    void openShop(const QList<RankingTest::TestEngine> &engines, const QList<int> &ticked, const QByteArray &value = "3",
                  const QByteArray &type = "0")
    {
        writeEngines(engines);
        writeProfile(ticked, value, type);
        open();
    }
    // Requests that reached the server since `from`.
    qsizetype requestsSince(qsizetype from) const { return server.requests().size() - from; }
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
        EXPECT_EQ(w->Command1[0]->text(), u"&Start Search"_s);
        EXPECT_TRUE(w->Command1[1]->isEnabled() && w->Command2[0]->isEnabled());
        EXPECT_EQ(env.dialogs.prompts().count(
                      u"Search Completed !\r\n\r\nPlease click the 'Get Report' button to view your Ranking Report."_s),
                  1);
        env.dialogs.clearLog();
        w->close();
        TestSupport::TestEnvironment::dropQueuedCalls();
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
        w->txtKeyword->setText(c.typed);
        env.dialogs.answerMessage(Platform::No);   // the save question
        const qsizetype before = server.requests().size();
        ASSERT_TRUE(runToEnd());
        ASSERT_EQ(requestsSince(before), 1);
        EXPECT_TRUE(requestLines().constLast().endsWith(QLatin1String(c.query))) << requestLines().constLast().toStdString();
    }
}

TEST_F(RankingRun, RedirectsAreFetchedIntoTheSamePageAndASelfRedirectEndsTheEngine)
{
    server.setHandler([this](QTcpSocket *client, const QByteArray &request) {
        const QByteArray path = requestPath(request);
        if (path.startsWith("/alpha-search/1"))
            client->write(TestSupport::LoopbackServer::httpReply(
                302, "moved", "Location: http://" + server.hostPort().toLatin1() + "/alpha-search/moved\r\n"));
        else if (path.startsWith("/beta/1"))
            client->write(TestSupport::LoopbackServer::httpReply(
                302, "", "Location: HTTP://" + server.hostPort().toLatin1() + path + "\r\n"));
        else
            client->write(TestSupport::LoopbackServer::httpReply(200, "<html>moved here</html>"));
        client->disconnectFromHost();
    });
    openShop({{"Alpha Search"}, {"Beta"}}, {1, 2});
    ASSERT_TRUE(runToEnd());
    const QStringList lines = requestLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.filter(u"/alpha-search/moved HTTP/1.0"_s).size(), 1);
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(pageFile(u"Alpha Search"_s, 1)), "<html>moved here</html>");
    EXPECT_EQ(cell(1, 1) + u'|' + cell(2, 1), u"1|1"_s);
    EXPECT_EQ(cell(1, 3) + u'|' + cell(2, 3), u"Completed|Completed"_s);
    EXPECT_EQ(env.dialogs.shown().size(), 1);
}

TEST_F(RankingRun, FailuresEndTheEngineAndAnErrorStatusIsAPage)
{
    myPreference().setTimeOut(1);
    server.setHandler([](QTcpSocket *client, const QByteArray &request) {
        if (requestPath(request).startsWith("/gamma/"))
            return;   // silence until the time-out
        client->write(TestSupport::LoopbackServer::httpReply(404, "<html>not here</html>"));
        client->disconnectFromHost();
    });
    openShop({{"Alpha Search", "Button", "http://127.0.0.1:1"}, {"Beta"}, {"Gamma"}}, {1, 2, 3});
    ASSERT_TRUE(runToEnd(6000));
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(cell(row, 3), u"Completed"_s) << row;
    EXPECT_FALSE(QFileInfo::exists(pageFile(u"Alpha Search"_s, 1)));
    EXPECT_FALSE(QFileInfo::exists(pageFile(u"Gamma"_s, 1)));
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(pageFile(u"Beta"_s, 1)), "<html>not here</html>");
    EXPECT_EQ(server.requests().size(), 2);
}

TEST_F(RankingRun, ThroughTheProxyWithItsLoginOnlyWhenAProxyIsNamed)
{
    myPreference().setAccessType(2);
    myPreference().setHTTPUserName(u"ann"_s);
    myPreference().setHTTPPassword(u"p:w"_s);
    pagesServed = 2;
    openShop({{"Alpha Search", "Link", "http://alpha.example:8080"}, {"Beta"}}, {1, 2});
    w->engineRow(1)->setCheckState(0, Qt::Unchecked);
    myPreference().setProxy(QString());   // access type 2 without a proxy: direct
    ASSERT_TRUE(runToEnd());
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_FALSE(server.requests()[0].contains("Proxy-Authorization"));

    myPreference().setProxy(u"127.0.0.1"_s);
    myPreference().setPort(server.port());
    w->engineRow(1)->setCheckState(0, Qt::Checked);
    w->engineRow(2)->setCheckState(0, Qt::Unchecked);
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

TEST_F(RankingRun, StopCancelsEveryRowAndANewStartRunsUndisturbed)
{
    server.neverAnswer();
    openShop({{"Alpha Search"}, {"Beta"}}, {1});
    myPreference().setPromptConnection(0);
    w->Command1_Click(0);
    ASSERT_TRUE(server.waitForRequests(1, 3000));
    EXPECT_EQ(w->Command1[0]->text(), u"&Stop"_s);
    EXPECT_FALSE(w->Command2[0]->isEnabled() || w->Command1[1]->isEnabled());
    w->Command1_Click(0);
    EXPECT_EQ(cell(1, 3) + u'|' + cell(2, 3), u"Cancelled|Cancelled"_s);
    EXPECT_EQ(w->StatusBar2->panelText(1), u"Done"_s);
    EXPECT_EQ(w->ProgressBar1->value(), 0);
    EXPECT_TRUE(w->Command2[2]->isEnabled() && w->Command1[1]->isEnabled());
    Platform::waitUntil([] { return false; }, 300);
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());

    server.setHandler([this](QTcpSocket *client, const QByteArray &request) { answer(client, request); });
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(cell(1, 3) + u'|' + cell(1, 1), u"Completed|3"_s);
    EXPECT_EQ(server.requests().size(), 4);
}

TEST_F(RankingRun, ClosingMidRunDropsTheConnectionsAndKeepsTheHistory)
{
    QPointer<QTcpSocket> peer;
    server.setHandler([&peer](QTcpSocket *client, const QByteArray &) { peer = client; });
    openShop({{"Alpha Search"}}, {1});
    w->Command2_Click(1);   // Update puts the site into the history
    myPreference().setPromptConnection(0);
    w->Command1_Click(0);
    ASSERT_TRUE(server.waitForRequests(1, 3000));
    w->close();
    TestSupport::TestEnvironment::dropQueuedCalls();
    EXPECT_FALSE(frmRanking::loadedInstance());
    EXPECT_TRUE(Platform::waitUntil([&peer] { return !peer || peer->state() != QAbstractSocket::ConnectedState; }, 3000));
    Platform::waitUntil([] { return false; }, 200);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
    EXPECT_EQ(modCommon::readINIValue(modCommon::historyFile(), u"WebRanking"_s, u"1"_s), u"www.shop.example"_s);
}

TEST_F(RankingRun, ASecondShorterRunLeavesNoPageOfTheFirst)
{
    openShop({{"Alpha Search"}, {"Beta"}}, {1});
    ASSERT_TRUE(runToEnd());
    ASSERT_TRUE(QFileInfo::exists(pageFile(u"Alpha Search"_s, 3)));
    for (const QString &name : {u"alpha search12.html"_s, u"beta4.html"_s, u"alpha search.html"_s, u"notes.html"_s})
        TestSupport::TestEnvironment::writeFile(folder() + name, "old");
    w->txtPageLinks->setText(u"1"_s);
    env.dialogs.answerMessage(Platform::No);
    ASSERT_TRUE(runToEnd());
    QStringList left = QDir(folder()).entryList(QDir::Files);
    left.sort();
    EXPECT_EQ(left, (QStringList{u"alpha search.html"_s, u"alpha search1.html"_s, u"notes.html"_s}));
}

} // namespace
