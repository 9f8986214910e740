// The optimizer window: local files and fetched pages from servers on 127.0.0.1, the messages of
// its checks, a report that cannot be written, Cancel in the connect wait and in the reply, a
// refused connection and the address history.
#include "CappedBoxes.h"
#include "support/LoopbackServer.h"
#include "support/RefusedPort.h"
#include "support/StalledListener.h"
#include "support/TestEnvironment.h"
#include "support/UserInput.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "pagetools/frmOptimizer.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "support/FailingWrites.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;
using TestSupport::TestEnvironment;

namespace {

constexpr int kWaitMs = 8000;
const QByteArray kPage = "<html><head><title>Boots</title><meta name=\"keywords\" content=\"boots,shoes\">"
                         "</head><body>boots and shoes</body></html>";

class OptimizerWindow : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        myPreference().setTimeOut(2);
        myPreference().setAccessType(0);
        frmHTTP::setIntervals({10, 300, 600});
        window = frmOptimizer::instance();
        EXPECT_TRUE(TestSupport::showWindow(window));
    }
    void TearDown() override
    {
        delete frmOptimizer::loadedInstance();
        delete frmHTTP::loadedInstance();
        Platform::setBusyPointer(false);
        TestEnvironment::dropQueuedCalls();
    }
    void run(const QString &address)
    {
        window->cboSiteURL->setEditText(address);
        TestSupport::clickOn(window->cmdRenovator);
    }
    QString caption() const { return window->cmdRenovator->text(); }
    QString status() const { return window->StatusBar1->panelText(1); }
    QString optimizerFolder() const { return env.programFolder() + u"Optimizer/"_s; }
    QString history(int key) const
    {
        return modCommon::readINIValue(modCommon::historyFile(), u"Optimizer"_s, QString::number(key));
    }

    QPointer<frmOptimizer> window;
};

} // namespace

TEST_F(OptimizerWindow, LocalPageIsReportedAndOpened)
{
    const QString file = env.programFolder() + u"my site/index.htm"_s;
    TestEnvironment::writeFile(file, kPage);
    run(file);
    const QString report = optimizerFolder() + u"index.htm.html"_s;
    EXPECT_EQ(env.shellRequests, QStringList({u"open:"_s + report}));
    EXPECT_TRUE(TestEnvironment::readFile(report).contains(QByteArray("Website: <a href=" + file.toUtf8().replace(" ", "%20"))));
    EXPECT_EQ(window->StatusBar1->panelText(1), u"Done"_s);
    EXPECT_EQ(caption(), u"&Optimizer"_s);
    EXPECT_TRUE(window->cmdRenovator->isEnabled());
    EXPECT_FALSE(Platform::isBusyPointer());
    EXPECT_EQ(window->cboSiteURL->count(), 0);   // local paths are not remembered
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
    // No box of this window is capped (the page tools' capped boxes all go through CappedBoxes).
    EXPECT_TRUE(CappedBoxes::cappedBoxesOf(window).isEmpty());
}

TEST_F(OptimizerWindow, ChecksBeforeAReport)
{
    TestEnvironment::writeFile(env.programFolder() + u"empty.htm"_s, QByteArray());
    TestEnvironment::writeFile(env.programFolder() + u"huge.htm"_s, QByteArray(frmHTTP::kMaxPageChars + 1, 'x'));
    const QString noDocument = u"No document found from HTML file, please check your HTML file and try again."_s;
    const struct { QString address; QStringList prompts; } cases[] = {
        {QString(), {u"Please enter your web site URL or a valid local HTML file you want to process and try again."_s}},
        {env.programFolder() + u"missing.htm"_s,
         {u"Invalid path or file name for your local HTML file, please open a valid HTML file and try again."_s}},
        {env.programFolder() + u"empty.htm"_s, {noDocument}},
        {env.programFolder() + u"huge.htm"_s,
         {u"getFileData_Error: The file is larger than 8388608 bytes: "_s + env.programFolder() + u"huge.htm"_s,
          noDocument}},
    };
    for (const auto &c : cases) {
        env.dialogs.clearLog();
        for (qsizetype i = 0; i < c.prompts.size(); ++i)
            env.dialogs.answerMessage(Platform::Ok);
        window->cboSiteURL->setEditText(c.address);
        // Enter in the address box runs as the button does.
        QTest::keyClick(window->cboSiteURL, Qt::Key_Return);
        EXPECT_EQ(env.dialogs.prompts(), c.prompts) << c.address.toStdString();
    }
    EXPECT_TRUE(env.shellRequests.isEmpty());
    EXPECT_FALSE(QFile::exists(optimizerFolder()));
    EXPECT_EQ(caption(), u"&Optimizer"_s);
}

TEST_F(OptimizerWindow, AReportThatCannotBeWrittenIsReportedAndNotOpened)
{
    const QString file = env.programFolder() + u"index.htm"_s;
    TestEnvironment::writeFile(file, kPage);
    const struct { bool folderIsAFile; QString reason; } cases[] = {
        {false, u"The report could not be written: "_s + optimizerFolder() + u"index.htm.html"_s},
        {true, u"The folder could not be created: "_s + env.programFolder() + u"Optimizer"_s},
    };
    for (const auto &c : cases) {
        env.dialogs.clearLog();
        TestSupport::FailingWrites failing;
        if (c.folderIsAFile) {
            QDir(optimizerFolder()).removeRecursively();
            QFile(env.programFolder() + u"Optimizer"_s).open(QIODevice::WriteOnly);
        }
        env.dialogs.answerMessage(Platform::Ok);
        run(file);
        ASSERT_EQ(env.dialogs.shown().size(), 1);
        EXPECT_EQ(env.dialogs.shown()[0].prompt, u"Module: Optimizer\r\n"_s + c.reason);
        EXPECT_EQ(env.dialogs.shown()[0].title, u"Optimizer Error"_s);
        EXPECT_TRUE(env.shellRequests.isEmpty());
        EXPECT_EQ(caption(), u"&Optimizer"_s);
        EXPECT_FALSE(Platform::isBusyPointer());
        EXPECT_NE(window->StatusBar1->panelText(1), u"Done"_s);
    }
}

TEST_F(OptimizerWindow, FetchedPageIsReportedAndItsAddressRemembered)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, kPage));
    const QString address = server.hostPort() + u"/shop/list.htm"_s;
    run(address);
    EXPECT_EQ(caption(), u"&Cancel"_s);
    EXPECT_EQ(window->StatusBar1->panelText(1), u"Connecting to : "_s + address + u" ...."_s);
    EXPECT_EQ(window->cboSiteURL->itemText(0), address);
    ASSERT_TRUE(Platform::waitUntil([this] { return !env.shellRequests.isEmpty(); }, kWaitMs));
    const QString report = optimizerFolder() + server.hostPort() + u"_shop_list.htm.html"_s;
    EXPECT_EQ(env.shellRequests, QStringList({u"open:"_s + report}));
    EXPECT_TRUE(TestEnvironment::readFile(report).contains("&lt;TITLE&gt;</font><font FACE=Arial SIZE=2 COLOR=#0000ff>Boots"));
    EXPECT_EQ(caption(), u"&Optimizer"_s);
    EXPECT_TRUE(window->cmdRenovator->isEnabled());
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(OptimizerWindow, CancelInTheConnectWaitAndInTheReplyMakesNoReport)
{
    TestSupport::StalledListener stalled;
    ASSERT_TRUE(stalled.full());
    myPreference().setTimeOut(20);
    QTimer::singleShot(100, window, [this] { TestSupport::clickOn(window->cmdRenovator); });
    const qint64 start = Platform::tickCount();
    run(u"127.0.0.1:"_s + QString::number(stalled.port()) + u"/"_s);
    EXPECT_LT(Platform::tickCount() - start, 5000);
    EXPECT_EQ(caption(), u"&Optimizer"_s);
    EXPECT_EQ(status(), QString());

    LoopbackServer silent;
    silent.neverAnswer();
    run(silent.hostPort() + u"/"_s);
    ASSERT_TRUE(silent.waitForRequests(1, kWaitMs));
    // Over the button the hourglass gives way to the arrow, so that the user can cancel.
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window->cmdRenovator, &move);
    EXPECT_FALSE(Platform::isBusyPointer());
    EXPECT_TRUE(status().startsWith(u"Connecting to : "_s));
    TestSupport::clickOn(window->cmdRenovator);
    EXPECT_EQ(caption(), u"&Optimizer"_s);
    EXPECT_EQ(status(), QString());
    QTest::qWait(900);
    EXPECT_TRUE(env.shellRequests.isEmpty());
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(OptimizerWindow, RefusedConnectionRestoresTheButton)
{
    TestSupport::RefusedPort refused;
    env.dialogs.answerMessage(Platform::Ok);
    run(refused.hostPort() + u"/"_s);
    EXPECT_TRUE(env.dialogs.prompts().value(0).startsWith(u"HTTPConnect_Error: "_s));
    EXPECT_EQ(caption(), u"&Optimizer"_s);
    EXPECT_EQ(status(), QString());
    EXPECT_EQ(frmOptimizer::loadedInstance(), window.data());
}

// An error status is the fetch's to report; the button waits for a click, which finds no fetch.
TEST_F(OptimizerWindow, ErrorStatusRestoresTheButton)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(404, "gone"));
    env.dialogs.answerMessage(Platform::Ok);
    run(server.hostPort() + u"/"_s);
    ASSERT_TRUE(Platform::waitUntil([this] { return !env.dialogs.shown().isEmpty(); }, kWaitMs));
    EXPECT_EQ(env.dialogs.prompts(), QStringList({u"URL not found.\r\n"_s + server.hostPort() + u'/'}));
    EXPECT_EQ(caption(), u"&Optimizer"_s);
    EXPECT_EQ(status(), QString());
    EXPECT_TRUE(env.shellRequests.isEmpty());
}

// Closed by the user, or released with deleteLater as the main window's close does: the history
// is stored either way, and the next open loads it afresh.
TEST_F(OptimizerWindow, HistoryIsSavedWhenTheWindowGoes)
{
    for (const bool closedByUser : {true, false}) {
        const QString address = closedByUser ? u"www.one.example"_s : u"www.two.example"_s;
        frmOptimizer *open = frmOptimizer::instance();
        modCommon::addHistory(open->cboSiteURL, address);
        if (closedByUser) {
            open->close();
            EXPECT_EQ(frmOptimizer::loadedInstance(), nullptr);
        } else {
            open->deleteLater();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(history(1), address);
    }
    EXPECT_EQ(history(2), u"www.one.example"_s);
    EXPECT_EQ(frmOptimizer::instance()->cboSiteURL->count(), 2);
    EXPECT_TRUE(frmOptimizer::instance()->cboSiteURL->currentText().isEmpty());
}
