// The optimizer and the meta-tag editor when their page fetch fails: one box naming the server and
// what happened, the button and the status as before the fetch, and no report or tags made of
// what arrived; and when the window is closed while its page loads: nothing at all.
#include "MetaTagFixture.h"

#include <functional>

#include "support/FailingServers.h"
#include "support/StalledListener.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "pagetools/frmOptimizer.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;
using TestSupport::FailingServer;
using TestSupport::LoopbackServer;

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

// Closing the window that owns a fetch ends the fetch as the optimizer's Cancel does: no box and
// nothing in the error log afterwards, past every deadline the fetch had, whether the server
// never takes the connection, takes it and never answers, answers too slowly ever to finish, or
// refuses the request once the window is gone.
TEST_F(FetchFailures, ClosingTheWindowEndsItsFetch)
{
    myPreference().setTimeOut(1);
    frmHTTP::setIntervals({10, 300, 300, 500});
    TestSupport::StalledListener stalled;
    ASSERT_TRUE(stalled.full());
    LoopbackServer silent;
    silent.neverAnswer();
    LoopbackServer slow;
    slow.setHandler([](QTcpSocket *client, const QByteArray &) {
        client->write("HTTP/1.0 200 OK\r\n");
        LoopbackServer::trickle(client, "X-Wait: 1\r\n", 50, 100);
    });
    LoopbackServer refusing;
    refusing.setHandler([](QTcpSocket *client, const QByteArray &) {
        QTimer::singleShot(100, client, [client] {
            client->write(LoopbackServer::httpReply(503, "busy"));
            client->disconnectFromHost();
        });
    });
    const struct { const char *name; QString hostPort; LoopbackServer *server; int deadlineMs; } servers[] = {
        {"stalled", u"127.0.0.1:"_s + QString::number(stalled.port()), nullptr, 1000},
        {"silent", silent.hostPort(), &silent, 300},
        {"slow", slow.hostPort(), &slow, 500},
        {"refusing", refusing.hostPort(), &refusing, 100},
    };
    for (const bool optimizer : {true, false}) {
        for (const auto &server : servers) {
            SCOPED_TRACE(std::string(server.name) + (optimizer ? " / optimizer" : " / meta-tag editor"));
            QPointer<QWidget> window;
            std::function<void()> closeWindow;
            if (optimizer) {
                frmOptimizer *o = frmOptimizer::instance();
                window = o;
                ASSERT_TRUE(TestSupport::showWindow(o));
                o->cboSiteURL->setEditText(server.hostPort + u"/p.htm"_s);
                closeWindow = [o] { o->close(); };
            } else {
                window = open();
                w->cboAddress->setEditText(server.hostPort + u"/p.htm"_s);
                closeWindow = [this] { TestSupport::clickOn(w->Command1[1]); };
            }
            if (!server.server)
                QTimer::singleShot(100, window, closeWindow);   // during the wait for the connection
            if (optimizer)
                TestSupport::clickOn(frmOptimizer::loadedInstance()->cmdRenovator);
            else
                QTest::keyClick(w->cboAddress, Qt::Key_Return);
            if (server.server) {
                ASSERT_TRUE(server.server->waitForRequests(server.server->requests().size() + 1, 2000));
                closeWindow();
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(window.isNull());
            EXPECT_FALSE(Platform::isBusyPointer());
            QTest::qWait(server.deadlineMs + 200);
            EXPECT_TRUE(env.dialogs.shown().isEmpty()) << env.dialogs.prompts().join(u'|').toStdString();
            EXPECT_EQ(env.readFile(modDSSock::errorLogFile()), QByteArray());
            env.dialogs.clearLog();
        }
    }
    EXPECT_FALSE(QFile::exists(env.programFolder() + u"Optimizer"_s));
}

// One fetch at a time: the window whose fetch another window's ends gets its status and buttons
// back at once, after a box saying its fetch was stopped for the other's, in either order and also
// while its own fetch waits for its connection; the other fetch goes on. A window's second fetch
// of its own replaces its first without a word. The servers stay silent for far longer than every
// wait of the test, and no fetch times out.
TEST_F(FetchFailures, AnotherWindowsFetchStopsThisOneAndGivesItsButtonsBack)
{
    frmHTTP::setIntervals({10, 300, 20000, 40000});
    myPreference().setTimeOut(5);
    TestSupport::StalledListener stalled;
    LoopbackServer silent;
    silent.neverAnswer();
    LoopbackServer pages;
    pages.replyWith(LoopbackServer::httpReply(200, "<html><head><title>Second</title></head></html>"));
    const QString slow = silent.hostPort() + u"/slow.htm"_s;
    const QString unreachable = u"127.0.0.1:"_s + QString::number(stalled.port()) + u"/stalled.htm"_s;
    open();
    frmOptimizer *optimizer = frmOptimizer::instance();
    ASSERT_TRUE(TestSupport::showWindow(optimizer));
    const auto enterInEditor = [this](const QString &address) {
        w->cboAddress->setEditText(address);
        QTest::keyClick(w->cboAddress, Qt::Key_Return);
    };
    const auto runOptimizer = [optimizer](const QString &address) {
        optimizer->cboSiteURL->setEditText(address);
        QTest::keyClick(optimizer->cboSiteURL, Qt::Key_Return);
    };
    const auto stopped = [](const QString &first, const QString &second) -> QString {
        return u"The page fetch of "_s + first + u" was stopped for another window's fetch of "_s + second + u'.';
    };
    const auto editorConnecting = [this] { return w->lblStatusBar->text().startsWith(u"Connecting to "_s); };
    const auto optimizerConnecting = [optimizer] {
        return optimizer->cmdRenovator->text() == u"&Cancel"_s
               && optimizer->StatusBar1->panelText(1).startsWith(u"Connecting to : "_s);
    };
    const auto optimizerIdle = [optimizer] {
        return optimizer->cmdRenovator->text() == u"&Optimizer"_s && optimizer->StatusBar1->panelText(1).isEmpty();
    };

    // The editor first, then the optimizer.
    enterInEditor(slow);
    ASSERT_TRUE(silent.waitForRequests(1, 5000));
    EXPECT_TRUE(editorConnecting());
    env.dialogs.answerMessage(Platform::Ok);
    runOptimizer(silent.hostPort() + u"/other.htm"_s);
    EXPECT_EQ(env.dialogs.prompts(), QStringList{stopped(slow, silent.hostPort() + u"/other.htm"_s)});
    EXPECT_TRUE(w->lblStatusBar->text().isEmpty());
    EXPECT_TRUE(optimizerConnecting());
    EXPECT_TRUE(silent.waitForRequests(2, 5000));

    // The optimizer first, then the editor.
    env.dialogs.clearLog();
    env.dialogs.answerMessage(Platform::Ok);
    enterInEditor(slow);
    EXPECT_EQ(env.dialogs.prompts(), QStringList{stopped(silent.hostPort() + u"/other.htm"_s, slow)});
    EXPECT_TRUE(optimizerIdle());
    EXPECT_TRUE(optimizer->cmdRenovator->isEnabled());
    EXPECT_TRUE(editorConnecting());

    // The optimizer while the editor still waits for its connection.
    if (stalled.full()) {
        env.dialogs.clearLog();
        env.dialogs.answerMessage(Platform::Ok);
        QTimer::singleShot(50, optimizer, [&] { runOptimizer(slow); });
        enterInEditor(unreachable);
        EXPECT_EQ(env.dialogs.prompts(), QStringList{stopped(unreachable, slow)});
        EXPECT_TRUE(w->lblStatusBar->text().isEmpty());
        EXPECT_TRUE(optimizerConnecting());
        env.dialogs.answerMessage(Platform::Ok);
        enterInEditor(slow);
        EXPECT_TRUE(optimizerIdle());
    }

    // The editor's own second fetch replaces its first without a word.
    env.dialogs.clearLog();
    EXPECT_TRUE(editorConnecting());
    enterInEditor(pages.hostPort() + u"/second.htm"_s);
    ASSERT_TRUE(Platform::waitUntil([this] { return w->txtTitle->text() == u"Second"_s; }, 5000));
    EXPECT_TRUE(env.dialogs.shown().isEmpty()) << env.dialogs.prompts().join(u'|').toStdString();
    const QString log = QString::fromLatin1(env.readFile(modDSSock::errorLogFile()));
    EXPECT_FALSE(log.contains(u"did not answer"_s) || log.contains(u"HTTPConnect_Error"_s)) << log.toStdString();
}
