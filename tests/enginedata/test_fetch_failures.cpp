// A fetch that fails in the news window and the engine builder's form fetch: one box naming the
// server and what happened, the window usable again, and no page made of what arrived.
#include "support/FailingServers.h"
#include "support/UserInput.h"
#include "sitedata/MainObjectFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "enginedata/frmEngineBuilder.h"
#include "enginedata/frmNews.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "platform/SettingsStore.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;
using TestSupport::FailingServers;

namespace {

class FetchFailures : public MainObjectTest {
protected:
    void SetUp() override
    {
        MainObjectTest::SetUp();
        myPreference().setTimeOut(2);
        frmHTTP::setIntervals({10, 300, 600});
    }
    void TearDown() override
    {
        env.dialogs.acceptAllMessages();
        delete frmNews::loadedInstance();
        if (frmEngineBuilder *open = frmEngineBuilder::loadedInstance())
            open->close();
        delete frmHTTP::loadedInstance();
        TestSupport::TestEnvironment::dropQueuedCalls();
        Platform::setBusyPointer(false);
        MainObjectTest::TearDown();
    }
};

} // namespace

TEST_F(FetchFailures, NewsCheckShowsTheStoredMessageAgain)
{
    Platform::saveSetting(u"Velquist"_s, u"News"_s, u"CheckNewMsgAtOpen"_s, u"0"_s);
    env.writeFile(frmNews::newsFile(), "[News]\r\nTitle=Older news\r\nDate=2026-11-01\r\nMessage=Old message\r\n");
    FailingServers servers;
    frmNews *news = frmNews::instance();
    ASSERT_TRUE(TestSupport::showWindow(news));
    for (const TestSupport::FailingServer &server : servers.all()) {
        SCOPED_TRACE(server.name);
        qputenv("VELQUIST_VENDOR_HOST", server.hostPort.toUtf8());
        env.dialogs.answerMessage(Platform::Ok);
        TestSupport::clickOn(news->cmdNewMessage);
        TestSupport::expectOneFailureBox(env.dialogs, server, [news] { return news->cmdNewMessage->isEnabled(); });
        EXPECT_EQ(news->lblTitle->text(), u"Older news"_s);
        EXPECT_EQ(modCommon::multiLineText(news->txtMessage), u"Old message\r\n"_s);
    }
}

TEST_F(FetchFailures, EngineBuilderFormFetchClearsItsStatus)
{
    FailingServers servers;
    frmEngineBuilder *builder = frmEngineBuilder::instance();
    ASSERT_TRUE(TestSupport::showWindow(builder));
    env.dialogs.clearLog();
    for (const TestSupport::FailingServer &server : servers.all()) {
        SCOPED_TRACE(server.name);
        builder->txtSubmitURL->setText(server.hostPort + u"/add.html"_s);
        env.dialogs.answerMessage(Platform::Ok);
        TestSupport::clickOn(builder->cmdGetSource);
        TestSupport::expectOneFailureBox(env.dialogs, server, [builder] { return builder->StatusBar1->panelText(1).isEmpty(); });
        EXPECT_TRUE(builder->txtSource->toPlainText().isEmpty());
    }
}
