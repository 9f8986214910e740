// The optimizer and the meta-tag editor when their page fetch fails: one box naming the server and
// what happened, the button and the status as before the fetch, and no report or tags made of
// what arrived.
#include "MetaTagFixture.h"
#include "support/FailingServers.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "pagetools/frmOptimizer.h"

using namespace Qt::StringLiterals;
using TestSupport::FailingServer;

namespace {

class FetchFailures : public MetaTagTest {
protected:
    void SetUp() override
    {
        MetaTagTest::SetUp();
        frmHTTP::setIntervals({10, 300, 600});
    }
    void TearDown() override
    {
        delete frmOptimizer::loadedInstance();
        delete frmHTTP::loadedInstance();
        MetaTagTest::TearDown();
    }
};

} // namespace

TEST_F(FetchFailures, OptimizerRestoresItsButtonAndMakesNoReport)
{
    TestSupport::FailingServers servers;
    frmOptimizer *optimizer = frmOptimizer::instance();
    ASSERT_TRUE(TestSupport::showWindow(optimizer));
    for (const FailingServer &server : servers.all()) {
        SCOPED_TRACE(server.name);
        optimizer->cboSiteURL->setEditText(server.hostPort + u"/shop.htm"_s);
        env.dialogs.answerMessage(Platform::Ok);
        TestSupport::clickOn(optimizer->cmdRenovator);
        TestSupport::expectOneFailureBox(env.dialogs, server, [optimizer] {
            return optimizer->cmdRenovator->text() == u"&Optimizer"_s && optimizer->StatusBar1->panelText(1).isEmpty();
        });
        EXPECT_TRUE(optimizer->cmdRenovator->isEnabled());
    }
    EXPECT_FALSE(QFile::exists(env.programFolder() + u"Optimizer"_s));
    EXPECT_TRUE(env.shellRequests.isEmpty());
}

TEST_F(FetchFailures, MetaTagEditorClearsItsConnectingStatus)
{
    TestSupport::FailingServers servers;
    open();
    for (const FailingServer &server : servers.all()) {
        SCOPED_TRACE(server.name);
        w->cboAddress->setEditText(server.hostPort + u"/x.htm"_s);
        env.dialogs.answerMessage(Platform::Ok);
        QTest::keyClick(w->cboAddress, Qt::Key_Return);
        TestSupport::expectOneFailureBox(env.dialogs, server, [this] { return w->lblStatusBar->text().isEmpty(); });
        EXPECT_TRUE(w->txtTitle->text().isEmpty());
    }
}
