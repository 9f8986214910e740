// The keyword builder's own site visits and the stored server login: a site that asks for it
// gets nothing and no question comes; a server the user allowed earlier gets it at once.
#include "RankingFixture.h"

#include "core/clsPreference.h"
#include "platform/EventLoop.h"
#include "ranking/frmKeywordBuilder.h"
#include "support/LoopbackServer.h"
#include "support/UserInput.h"
#include "transport/frmHTTP.h"

#include <QComboBox>
#include <QPushButton>

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;

using KeywordBuilderLogin = RankingTest::Fixture;

TEST_F(KeywordBuilderLogin, RunNeverSendsTheLoginToAServerNotAllowed)
{
    myPreference().setTimeOut(1);
    frmHTTP::setIntervals({10, 300});
    myPreference().setHTTPUserName(u"u"_s);
    myPreference().setHTTPLogin(u"dTpwdw=="_s);
    // Both sites ask for the login; only the allowed one is let in.
    LoopbackServer asking, allowed, engine;
    for (LoopbackServer *site : {&asking, &allowed})
        site->setHandler([](QTcpSocket *client, const QByteArray &request) {
            client->write(request.contains("Authorization: Basic dTpwdw==")
                              ? LoopbackServer::httpReply(200, "<meta name=keywords content=\"members\">")
                              : LoopbackServer::httpReply(401, ""));
            client->disconnectFromHost();
        });
    myPreference().setAuthenticationHosts({allowed.hostPort()});
    engine.replyWith(LoopbackServer::httpReply(200, "<ol><a href=http://" + asking.hostPort().toLatin1()
                                                        + "/in>a</a><a href=http://" + allowed.hostPort().toLatin1()
                                                        + "/in>b</a></ol>"));
    env.writeFile(rankingEngineFilePath(),
                  (u"[Engines]\r\nNumOfEngines=1\r\n1=Loop\r\n[Loop]\r\nEngineKey=engine-own\r\nEngineURL=http://"_s
                   + engine.hostPort() + u"/\r\nQueryKeyword1=search?q=\r\nResultStartString=<ol>\r\nResultEndString=</ol>\r\n"
                                         u"HREF_KEYWORD1=<a href=\r\n[KeywordBuilder]\r\nEngine=Loop\r\nNumOfURLs=2\r\n"_s)
                      .toUtf8());
    frmKeywordBuilder *w = frmKeywordBuilder::instance();
    ASSERT_TRUE(TestSupport::showWindow(w));
    env.dialogs.answerMessage(Platform::Ok);
    w->cboKeywords->setEditText(u"shoes"_s);
    TestSupport::clickOn(w->Command1[0]);
    ASSERT_TRUE(Platform::waitUntil([w] { return !w->running(); }, 15000));
    EXPECT_EQ(env.dialogs.prompts(), QStringList({u"Done !"_s}));
    ASSERT_EQ(asking.requests().size(), 1);
    EXPECT_FALSE(asking.requests()[0].contains("Authorization"));
    ASSERT_EQ(allowed.requests().size(), 1);
    EXPECT_TRUE(allowed.requests()[0].contains("\r\nAuthorization: Basic dTpwdw==\r\n"));
    EXPECT_EQ(myPreference().AuthenticationHosts(), QStringList({allowed.hostPort()}));
    delete w;
    Platform::setBusyPointer(false);
}
