// "Get Site Details" when the fetch fails or the server asks for the stored login: one box (or the
// question), the status cleared, the site's boxes left as they were.
#include "support/FailingServers.h"
#include "support/LoopbackServer.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "core/clsPreference.h"
#include "mainwindow/SitePages.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "sitedata/MainObjectFixture.h"
#include "support/UserInput.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;

namespace {

constexpr int kWaitMs = 8000;

class SiteDetailsFailures : public MainObjectTest {
protected:
    void SetUp() override
    {
        MainObjectTest::SetUp();
        myPreference().setTimeOut(2);
        frmHTTP::setIntervals({10, 300, 600});
        ASSERT_TRUE(showSitePages());
        w->txtSiteTitle->setText(u"Old title"_s);
    }
    void TearDown() override
    {
        delete frmHTTP::loadedInstance();
        Platform::setBusyPointer(false);
        MainObjectTest::TearDown();
    }
    // Types the address into the input box of "Get Site Details" and waits for the fetch to end.
    void getSiteDetails(const QString &address, int answer)
    {
        env.dialogs.clearLog();
        env.dialogs.answerInput(address);
        env.dialogs.answerMessage(answer);
        TestSupport::clickOnPage(w->SSTab1, w->cmdGetSiteInfo);
        ASSERT_TRUE(Platform::waitUntil([this] { return env.dialogs.shown().size() == 2 && panel().isEmpty(); }, kWaitMs));
        Platform::waitUntil([] { return false; }, 100);
        EXPECT_EQ(env.dialogs.shown().size(), 2);
        EXPECT_FALSE(Platform::isBusyPointer());
        EXPECT_EQ(w->txtSiteTitle->text(), u"Old title"_s);
    }
    QString panel() const { return w->StatusBar1->panelText(1); }
    QString box() const { return env.dialogs.shown().value(1).prompt; }
};

} // namespace

TEST_F(SiteDetailsFailures, FailedFetchShowsOneBoxAndClearsTheStatus)
{
    TestSupport::FailingServers servers;
    for (const TestSupport::FailingServer &server : servers.all()) {
        SCOPED_TRACE(server.name);
        getSiteDetails(server.hostPort + u"/home.htm"_s, Platform::Ok);
        EXPECT_TRUE(box().contains(server.told)) << box().toStdString();
    }
}

TEST_F(SiteDetailsFailures, LoginIsSentOnlyAfterTheUserAllowsTheServer)
{
    LoopbackServer server;
    server.setHandler([](QTcpSocket *client, const QByteArray &request) {
        client->write(request.contains("Authorization: Basic dTpwdw==")
                          ? LoopbackServer::httpReply(200, "<title>Members</title>")
                          : LoopbackServer::httpReply(401, ""));
        client->disconnectFromHost();
    });
    myPreference().setHTTPUserName(u"u"_s);
    myPreference().setHTTPLogin(u"dTpwdw=="_s);
    getSiteDetails(server.hostPort() + u"/home.htm"_s, Platform::No);
    EXPECT_EQ(box(), server.hostPort() + u" asks for a login.\r\n\r\nSend the stored login of user \"u\" to "_s
                         + server.hostPort() + u'?');
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_FALSE(server.requests()[0].contains("Authorization"));

    env.dialogs.clearLog();
    env.dialogs.answerInput(server.hostPort() + u"/home.htm"_s);
    env.dialogs.answerMessage(Platform::Yes);
    TestSupport::clickOnPage(w->SSTab1, w->cmdGetSiteInfo);
    ASSERT_TRUE(Platform::waitUntil([this] { return w->txtSiteTitle->text() == u"Members"_s; }, kWaitMs));
    ASSERT_EQ(server.requests().size(), 3);
    EXPECT_TRUE(server.requests()[2].contains("\r\nAuthorization: Basic dTpwdw==\r\n"));
    EXPECT_EQ(panel(), QString());
}
