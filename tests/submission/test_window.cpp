#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QStyle>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <QtTest/QTest>

#include "SubmitFixture.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/TextFile.h"
#include "submission/SubmitScheduler.h"
#include "submission/frmSubmit.h"
#include "support/LoopbackServer.h"
#include "support/UserInput.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;

namespace {

class SubmitWindow : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        const QString folder = env.programFolder();
        SubmitTest::writeSiteFile(folder + u"a/Shop.vqs"_s, "Title=Shop\r\n",
                                  {u"http://shop.example/"_s, QString(), u"http://shop.example/b.html"_s});
        SubmitTest::writeSiteFile(folder + u"b/Shop.vqs"_s, "Title=Other shop\r\n", {u"http://shop.example/"_s});
        TestSupport::TestEnvironment::writeFile(folder + u"b/Empty.vqs"_s, "[Web Site Info]\r\nLastURL=0\r\n");
        TestSupport::TestEnvironment::writeFile(folder + u"b/Odd.vqs"_s,
                                                "[Web Site Info]\r\nLastURL=1abc\r\n[URL]\r\nURL1=http://odd.example/\r\n");
        projectList = folder + u"project.vqj"_s;
        const QByteArray a = (folder + u"a/"_s).toUtf8();
        const QByteArray b = (folder + u"b/"_s).toUtf8();
        TestSupport::TestEnvironment::writeFile(projectList,
            "[Alpha]\r\nLast=2\r\n1=Shop|" + a + "Shop.vqs\r\n2=|" + a + "Nameless.vqs\r\n"
            "[\r\n]\r\n"
            "[Beta]\r\nDescription=\r\nLast=3\r\n1=Shop|" + b + "Shop.vqs\r\n2=Empty|" + b + "Empty.vqs\r\n"
            "3=Odd|" + b + "Odd.vqs\r\n");
        settings.TimeOut = 1;
        settings.AccessType = 2;
        settings.Proxy = u"127.0.0.1"_s;
        settings.Port = server.port();
        server.replyWith(LoopbackServer::httpReply(200, "ok\r\n"));
    }
    frmSubmit *open()
    {
        auto run = std::make_unique<clsSubmit>(settings, engines.lookup());
        window = new frmSubmit(std::move(run), &mainWindow, [this] { return selected; }, projectList);
        EXPECT_TRUE(TestSupport::showWindow(window));
        return window;
    }
    void click(QWidget *control) { TestSupport::clickOnPage(window->SSTab1, control); }
    // A click on the row's tick box at the row's left edge.
    void tick(QTreeWidgetItem *row)
    {
        QTreeWidget *list = window->lsvSiteSelection;
        const QPoint at = TestSupport::rowPoint(list, row);
        const int boxMiddle = list->style()->pixelMetric(QStyle::PM_IndicatorWidth) / 2 + 4;
        TestSupport::clickAt(list->viewport(), QPoint(list->visualItemRect(row).left() + boxMiddle, at.y()));
    }
    void addEngines(int count)
    {
        for (int n = 1; n <= count; ++n) {
            const QString name = u"e%1"_s.arg(n);
            engines.add(name, u"u=<url>"_s, u"GET"_s, u"http://"_s + name + u".example/add"_s);
            selected << name;
        }
    }
    QTreeWidgetItem *site(const QString &project, const QString &name)
    {
        for (int r = 0; r < window->lsvSiteSelection->topLevelItemCount(); ++r) {
            QTreeWidgetItem *row = window->lsvSiteSelection->topLevelItem(r);
            if (row->text(0) == name && row->text(1) == project)
                return row;
        }
        return nullptr;
    }
    // Only that site ticked, then Next and Start: the URL tab with its rows.
    void startWith(const QString &project, const QString &name)
    {
        click(window->chkSelectAll);
        click(window->chkSelectAll);
        tick(site(project, name));
        click(window->cmdNext);
        click(window->cmdStart);
    }
    QStringList results() const
    {
        QStringList texts;
        for (int r = 0; r < window->lsvReport->topLevelItemCount(); ++r)
            texts << window->lsvReport->topLevelItem(r)->text(2);
        return texts;
    }
    QString reportOfRow(int r) const
    {
        return Platform::readTextFile(Platform::itemTag(window->lsvReport->topLevelItem(r))).value_or(QString());
    }
    // The engine's row in the report page with its status.
    static QString reportRow(int n, const QString &engine, const QString &status)
    {
        return u"%1. %2</font></td><td><font face=arial size=2>%3</font>"_s.arg(n).arg(engine, status);
    }
    void TearDown() override { delete window; }

    LoopbackServer server;
    QWidget mainWindow;
    SubmitSettings settings;
    SubmitTest::EngineTable engines;
    QStringList selected;
    QString projectList;
    QPointer<frmSubmit> window;
};

} // namespace

TEST_F(SubmitWindow, LoadListsEverySiteKeyedByFileAndDisablesTheMainWindow)
{
    open();
    EXPECT_FALSE(mainWindow.isEnabled());
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_EQ(window->lsvSiteSelection->topLevelItemCount(), 4);
    ASSERT_TRUE(site(u"Alpha"_s, u"Shop"_s));
    ASSERT_TRUE(site(u"Beta"_s, u"Shop"_s));
    EXPECT_EQ(site(u"Alpha"_s, u"Shop"_s)->checkState(0), Qt::Checked);
    // The count is that of the URLs the site file lists: Alpha's gap is no URL.
    EXPECT_EQ(site(u"Alpha"_s, u"Shop"_s)->text(2), u"2"_s);
    EXPECT_EQ(site(u"Beta"_s, u"Empty"_s)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(site(u"Beta"_s, u"Odd"_s)->checkState(0), Qt::Checked);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
    window->close();
    EXPECT_TRUE(mainWindow.isEnabled());
}

TEST_F(SubmitWindow, MissingProjectListIsReported)
{
    projectList = env.programFolder() + u"none.vqj"_s;
    env.dialogs.answerMessage(Platform::Ok);
    open();
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(env.dialogs.shown().first().prompt.startsWith(u"loadProject_Error: "_s));
    EXPECT_EQ(env.dialogs.shown().first().title, u"Erro"_s);
    EXPECT_EQ(window->lsvSiteSelection->topLevelItemCount(), 0);
}

TEST_F(SubmitWindow, TicksAreCheckedAndSelectAllTicksOnlyUsableSites)
{
    open();
    env.dialogs.answerMessage(Platform::Ok);
    tick(site(u"Beta"_s, u"Empty"_s));
    EXPECT_TRUE(env.dialogs.wasShown(u"There is not URL in current selected web site"_s));
    EXPECT_EQ(site(u"Beta"_s, u"Empty"_s)->checkState(0), Qt::Unchecked);

    env.dialogs.clearLog();
    click(window->chkSelectAll);
    ASSERT_TRUE(window->chkSelectAll->isChecked());
    EXPECT_EQ(site(u"Beta"_s, u"Empty"_s)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(site(u"Beta"_s, u"Shop"_s)->checkState(0), Qt::Checked);
    click(window->chkSelectAll);
    ASSERT_FALSE(window->chkSelectAll->isChecked());
    for (int r = 0; r < window->lsvSiteSelection->topLevelItemCount(); ++r)
        EXPECT_EQ(window->lsvSiteSelection->topLevelItem(r)->checkState(0), Qt::Unchecked);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(SubmitWindow, NextRefusesWithoutEnginesOrSitesAndShowsTheSummary)
{
    open();
    env.dialogs.answerMessage(Platform::Ok);
    click(window->cmdNext);
    EXPECT_TRUE(env.dialogs.wasShown(u"There is no engine selected"_s));
    EXPECT_EQ(window->SSTab1->currentIndex(), 0);

    addEngines(300);
    // Ticking and unticking the box unticks every site.
    click(window->chkSelectAll);
    click(window->chkSelectAll);
    ASSERT_FALSE(window->chkSelectAll->isChecked());
    env.dialogs.answerMessage(Platform::Ok);
    click(window->cmdNext);
    EXPECT_TRUE(env.dialogs.wasShown(u"There is no web site selected"_s));

    tick(site(u"Alpha"_s, u"Shop"_s));
    click(window->cmdNext);
    EXPECT_EQ(window->SSTab1->currentIndex(), 1);
    EXPECT_EQ(window->lblNumOfWebsites->text(), u"1"_s);
    EXPECT_EQ(window->lblNumOfURLs->text(), u"2"_s);
    EXPECT_EQ(window->lblNumOfEngines->text(), u"300"_s);
    EXPECT_EQ(window->lblNumOfConnections->text(), u"9"_s);
    EXPECT_EQ(window->lblEstimatedTime->text(), u"30"_s);
}

TEST(SubmitEstimate, RoundsAndGroupsThousands)
{
    EXPECT_EQ(frmSubmit::estimateText(2, 300, 9), u"30"_s);
    EXPECT_EQ(frmSubmit::estimateText(1, 1, 9), u"0"_s);
    EXPECT_EQ(frmSubmit::estimateText(100, 300, 9), u"1,481"_s);
    EXPECT_EQ(frmSubmit::estimateText(1, 9, 0), u"4"_s);
}

TEST_F(SubmitWindow, StartBuildsUrlRowsOnceEachAndRemoveDeletesSelectedRows)
{
    addEngines(2);
    open();
    click(window->cmdNext);
    click(window->cmdStart);
    EXPECT_EQ(window->SSTab1->currentIndex(), 2);
    // Alpha's gap is skipped, Beta's repeat of the same URL is kept once, Odd adds one.
    QStringList urls;
    for (int r = 0; r < window->lsvSiteSubmitting->topLevelItemCount(); ++r)
        urls << window->lsvSiteSubmitting->topLevelItem(r)->text(0);
    EXPECT_EQ(urls, (QStringList{u"http://shop.example/"_s, u"http://shop.example/b.html"_s, u"http://odd.example/"_s}));
    EXPECT_EQ(window->mySubmit()->NumOfEngines(), 2);

    TestSupport::clickRow(window->lsvSiteSubmitting, window->lsvSiteSubmitting->topLevelItem(0));
    QTreeWidgetItem *second = window->lsvSiteSubmitting->topLevelItem(1);
    QTest::mouseClick(window->lsvSiteSubmitting->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      TestSupport::rowPoint(window->lsvSiteSubmitting, second));
    click(window->cmdRemove);
    ASSERT_EQ(window->lsvSiteSubmitting->topLevelItemCount(), 1);
    EXPECT_EQ(window->lsvSiteSubmitting->topLevelItem(0)->text(0), u"http://odd.example/"_s);

    // A second Start rebuilds the rows and the engine array.
    selected.removeLast();
    click(window->cmdStart);
    EXPECT_EQ(window->lsvSiteSubmitting->topLevelItemCount(), 3);
    EXPECT_EQ(window->mySubmit()->NumOfEngines(), 1);
}

TEST_F(SubmitWindow, SubmitRunsToTheEndAndReportsCanBeOpened)
{
    addEngines(3);
    open();
    // Ticking and unticking the box unticks every site.
    click(window->chkSelectAll);
    click(window->chkSelectAll);
    ASSERT_FALSE(window->chkSelectAll->isChecked());
    tick(site(u"Beta"_s, u"Odd"_s));
    click(window->cmdNext);
    click(window->cmdStart);
    env.dialogs.answerMessage(Platform::Ok);
    click(window->cmdSubmit);
    EXPECT_EQ(window->cmdSubmit->text(), u"&Stop"_s);
    EXPECT_FALSE(window->cmdRemove->isEnabled());
    EXPECT_FALSE(window->cmdStart->isEnabled());
    EXPECT_FALSE(window->cmdNext->isEnabled());
    EXPECT_FALSE(window->cmdCancel[2]->isEnabled());
    ASSERT_TRUE(Platform::waitUntil([&] { return env.dialogs.wasShown(u"Submission done !"_s); }, 20000));
    EXPECT_EQ(server.requests().size(), 3);
    EXPECT_EQ(window->cmdSubmit->text(), u"&Submit"_s);
    EXPECT_TRUE(window->cmdRemove->isEnabled());
    EXPECT_EQ(window->SSTab1->currentIndex(), 3);
    ASSERT_EQ(window->lsvReport->topLevelItemCount(), 1);
    QTreeWidgetItem *result = window->lsvReport->topLevelItem(0);
    EXPECT_EQ(result->text(0), u"http://odd.example/"_s);
    EXPECT_EQ(result->text(2), u"Finish: 3 succeeded, 0 failed"_s);

    TestSupport::clickRow(window->lsvReport, result);
    click(window->cmdReport);
    ASSERT_EQ(env.shellRequests.size(), 1);
    EXPECT_EQ(env.shellRequests.first(), u"open:"_s + Platform::itemTag(result));

    // Submit again with no URL row left is refused.
    env.dialogs.answerMessage(Platform::Ok);
    click(window->cmdSubmit);
    EXPECT_TRUE(env.dialogs.wasShown(u"There is no web site to be submitted."_s));
    EXPECT_FALSE(window->scheduler()->isRunning());
}

TEST_F(SubmitWindow, FailedEnginesShowAWarningAndTheResultCountsThem)
{
    // Through the proxy every engine reaches the server; each answers in its own way.
    const QMap<QByteArray, QByteArray> replies = {
        {"e1", LoopbackServer::httpReply(200, "ok\r\n")}, {"e2", LoopbackServer::httpReply(404, "no\r\n")},
        {"e3", LoopbackServer::httpReply(500, "down\r\n")}, {"e4", QByteArray()},
        {"e5", "HTTP/1.0 abc\r\n\r\nodd\r\n"}, {"e6", LoopbackServer::httpReply(302, QByteArray())},
    };
    server.setHandler([&replies](QTcpSocket *client, const QByteArray &request) {
        const QByteArray engine = request.mid(request.indexOf("://") + 3, 2);
        if (replies.value(engine).isEmpty())
            return;   // silent until the time-out
        client->write(replies.value(engine));
        client->disconnectFromHost();
    });
    addEngines(6);
    open();
    click(window->chkSelectAll);
    click(window->chkSelectAll);
    tick(site(u"Alpha"_s, u"Shop"_s));   // two URLs: each result counts its own URL
    click(window->cmdNext);
    click(window->cmdStart);
    env.dialogs.answerMessage(Platform::Ok);
    click(window->cmdSubmit);
    ASSERT_TRUE(Platform::waitUntil([&] { return env.dialogs.wasShown(u"Submission done !"_s); }, 20000));

    const auto looksLike = [](const QIcon &icon, QStyle::StandardPixmap standard) {
        const QIcon expected = QApplication::style()->standardIcon(standard);
        return icon.pixmap(16).toImage() == expected.pixmap(16).toImage();
    };
    QStringList served;
    for (int r = 0; r < window->lsvConnections->topLevelItemCount(); ++r) {
        const QTreeWidgetItem *row = window->lsvConnections->topLevelItem(r);
        if (row->text(1).isEmpty())
            continue;   // a connection the run did not need
        served << row->text(1);
        const bool success = row->text(1) == u"e1"_s || row->text(1) == u"e6"_s;
        EXPECT_EQ(row->text(2), u"Completed"_s);
        EXPECT_EQ(row->data(0, Qt::UserRole + 3).toString(), u"Completed"_s);
        EXPECT_NE(looksLike(row->icon(0), QStyle::SP_MessageBoxWarning), success) << row->text(1).toStdString();
    }
    EXPECT_EQ(served.size(), 6);
    ASSERT_EQ(window->lsvReport->topLevelItemCount(), 2);
    for (int r = 0; r < 2; ++r)
        EXPECT_EQ(window->lsvReport->topLevelItem(r)->text(2), u"Finish: 2 succeeded, 4 failed"_s);
    const QString longest = u"Canceled: 10 succeeded, 20 failed, 300 not sent"_s;
    EXPECT_GE(window->lsvReport->columnWidth(2), window->lsvReport->fontMetrics().horizontalAdvance(longest));
}

TEST_F(SubmitWindow, MissingReportFileIsReported)
{
    open();
    auto *row = new QTreeWidgetItem(window->lsvReport, {u"http://x.example/"_s});
    row->setCheckState(0, Qt::Checked);
    Platform::setItemTag(row, env.programFolder() + u"gone.html"_s);
    env.dialogs.answerMessage(Platform::Ok);
    TestSupport::showPageOf(window->SSTab1, window->lsvReport);
    TestSupport::clickRow(window->lsvReport, row);
    click(window->cmdReport);
    EXPECT_TRUE(env.dialogs.wasShown(u"Report file is corrupted or missing"_s));
    EXPECT_TRUE(env.shellRequests.isEmpty());
}

// Stop before the first request, while the first two wait for their answers, and once every
// engine was sent: engines never sent count neither as succeeded nor as failed, the report lists
// them apart, and they stay out of the failed-engine list. With many URLs the finished ones keep
// their results and the stopped one counts its own.
TEST_F(SubmitWindow, StopCountsOnlyTheEnginesThatWereSent)
{
    const QString oldList = u"Old One\r\nOld Two\r\n"_s;
    const struct {
        const char *name;
        QString project, site;
        int engines;
        int answered;             // the first requests get a reply; the others wait for the Stop
        int requestsBeforeStop;   // 0: Stop before the first dispatch
        QStringList results;
        QStringList reportRows;   // of the stopped URL's report
        QString failList;
    } cases[] = {
        {"before the sends", u"Beta"_s, u"Odd"_s, 4, 0, 0, {u"Canceled: 0 succeeded, 0 failed, 4 not sent"_s},
         {reportRow(1, u"e1"_s, u"Not Sent"_s), reportRow(4, u"e4"_s, u"Not Sent"_s)}, oldList},
        {"during the sends", u"Beta"_s, u"Odd"_s, 4, 0, 2, {u"Canceled: 0 succeeded, 2 failed, 2 not sent"_s},
         {reportRow(1, u"e1"_s, u"Cancelled"_s), reportRow(2, u"e2"_s, u"Cancelled"_s),
          reportRow(1, u"e3"_s, u"Not Sent"_s), reportRow(2, u"e4"_s, u"Not Sent"_s)},
         u"e1\r\ne2\r\n"_s},
        {"after the sends", u"Beta"_s, u"Odd"_s, 4, 2, 4, {u"Canceled: 2 succeeded, 2 failed"_s},
         {reportRow(1, u"e1"_s, u"Success"_s), reportRow(1, u"e3"_s, u"Cancelled"_s)}, u"e3\r\ne4\r\n"_s},
        {"in the second of two URLs", u"Alpha"_s, u"Shop"_s, 3, 3, 5,
         {u"Finish: 3 succeeded, 0 failed"_s, u"Canceled: 0 succeeded, 2 failed, 1 not sent"_s},
         {reportRow(1, u"e1"_s, u"Cancelled"_s), reportRow(1, u"e3"_s, u"Not Sent"_s)}, u"e1\r\ne2\r\n"_s},
    };
    settings.Connections = 2;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TestSupport::TestEnvironment::writeFile(clsSubmit::failFile(), oldList.toLatin1());
        int answered = 0;
        server.setHandler([&answered, &c](QTcpSocket *client, const QByteArray &) {
            if (answered++ < c.answered) {
                client->write(LoopbackServer::httpReply(200, "ok\r\n"));
                client->disconnectFromHost();
            }
        });
        const qsizetype sentBefore = server.requests().size();
        selected.clear();
        addEngines(c.engines);
        open();
        startWith(c.project, c.site);
        click(window->cmdSubmit);
        if (c.requestsBeforeStop > 0) {
            ASSERT_TRUE(server.waitForRequests(int(sentBefore) + c.requestsBeforeStop, 8000));
        }
        click(window->cmdSubmit);
        EXPECT_EQ(window->cmdSubmit->text(), u"&Submit"_s);
        EXPECT_FALSE(window->scheduler()->isRunning());
        EXPECT_EQ(results(), c.results);
        const QString page = reportOfRow(window->lsvReport->topLevelItemCount() - 1);
        for (const QString &row : c.reportRows)
            EXPECT_TRUE(page.contains(row)) << row.toStdString();
        EXPECT_EQ(page.contains(u"Engines not submitted"_s), c.results.last().contains(u"not sent"_s));
        EXPECT_EQ(Platform::readTextFile(clsSubmit::failFile()).value_or(QString()), c.failList);
        // Nothing more goes out after the Stop.
        Platform::waitUntil([] { return false; }, 1300);
        EXPECT_EQ(server.requests().size(), sentBefore + c.requestsBeforeStop);
        delete window;
    }
}

// A close mid-run stops the run and writes nothing: no report, no report entry, and the failed-
// engine list of the last run stays as it was, through the run and after it. The next start
// replaces that list with its own.
TEST_F(SubmitWindow, ClosingMidRunStopsItWritesNothingAndKeepsTheLastFailList)
{
    const QByteArray oldList = "Old One\r\nOld Two\r\nOld Three\r\nOld Four\r\nOld Five\r\n";
    TestSupport::TestEnvironment::writeFile(clsSubmit::failFile(), oldList);
    server.neverAnswer();
    addEngines(3);
    open()->show();
    QTest::mouseClick(window->cmdNext, Qt::LeftButton);
    QTest::mouseClick(window->cmdStart, Qt::LeftButton);
    QTest::mouseClick(window->cmdSubmit, Qt::LeftButton);
    ASSERT_TRUE(server.waitForRequests(3, 5000));
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(clsSubmit::failFile()), oldList);
    const QString siteFile = env.programFolder() + u"a/Shop.vqs"_s;
    const QByteArray siteBytes = TestSupport::TestEnvironment::readFile(siteFile);
    window->windowHandle()->close();
    EXPECT_EQ(window->scheduler(), nullptr);
    EXPECT_TRUE(mainWindow.isEnabled());
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(siteFile), siteBytes);
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(clsSubmit::failFile()), oldList);
    EXPECT_TRUE(QDir(env.programFolder() + u"Reports/Submition"_s).isEmpty());
    Platform::waitUntil([] { return false; }, 1300);
    EXPECT_EQ(server.requests().size(), 3);

    // The next start runs to its end and has a list of its own.
    server.setHandler([](QTcpSocket *client, const QByteArray &request) {
        client->write(LoopbackServer::httpReply(request.contains("e2.example") ? 404 : 200, "ok\r\n"));
        client->disconnectFromHost();
    });
    delete window;
    open();
    startWith(u"Beta"_s, u"Odd"_s);
    env.dialogs.answerMessage(Platform::Ok);
    click(window->cmdSubmit);
    ASSERT_TRUE(Platform::waitUntil([&] { return env.dialogs.wasShown(u"Submission done !"_s); }, 8000));
    EXPECT_EQ(results(), QStringList{u"Finish: 2 succeeded, 1 failed"_s});
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(clsSubmit::failFile()), QByteArray("e2\r\n"));
}

// The status bar follows the run: the engines not answered yet, and a clock that ticks every
// second from Submit to the end, also while every connection waits for its answer.
TEST_F(SubmitWindow, RemainingEnginesAndTheClockFollowTheRun)
{
    settings.TimeOut = 30;   // no deadline comes near: the waits below are the test's own
    settings.Connections = 2;
    QList<QPointer<QTcpSocket>> held;
    server.setHandler([&held](QTcpSocket *client, const QByteArray &) { held << client; });
    const auto answer = [&held] {
        QTcpSocket *client = held.takeFirst();
        client->write(LoopbackServer::httpReply(200, "ok\r\n"));
        client->disconnectFromHost();
    };
    addEngines(3);
    open();
    startWith(u"Beta"_s, u"Odd"_s);
    QStringList clock;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
        const QString shown = window->StatusBar1->panelText(3);
        if (clock.isEmpty() || clock.last() != shown)
            clock << shown;
    });
    const qint64 start = Platform::tickCount();
    click(window->cmdSubmit);
    watch.start(20);
    const auto remaining = [this] { return window->StatusBar1->panelText(1); };
    EXPECT_EQ(remaining(), u"3 engines remaining ..."_s);
    ASSERT_TRUE(server.waitForRequests(2, 5000));
    EXPECT_EQ(remaining(), u"3 engines remaining ..."_s);
    // Both connections wait for their answers while the clock goes on.
    ASSERT_TRUE(Platform::waitUntil([&] { return clock.contains(u"0 :0 :4"_s); }, 4500));
    EXPECT_EQ(clock.mid(0, 5), (QStringList{u"0 :0 :0"_s, u"0 :0 :1"_s, u"0 :0 :2"_s, u"0 :0 :3"_s, u"0 :0 :4"_s}));
    answer();
    ASSERT_TRUE(Platform::waitUntil([&] { return remaining() == u"2 engines remaining ..."_s; }, 2000));
    answer();
    ASSERT_TRUE(Platform::waitUntil([&] { return remaining() == u"1 engines remaining ..."_s; }, 2000));
    ASSERT_TRUE(Platform::waitUntil([&] { return !held.isEmpty(); }, 3000));
    env.dialogs.answerMessage(Platform::Ok);
    answer();
    ASSERT_TRUE(Platform::waitUntil([&] { return env.dialogs.wasShown(u"Submission done !"_s); }, 4000));
    const qint64 took = Platform::tickCount() - start;
    EXPECT_EQ(remaining(), QString());
    // The last time shown is the run's whole time, to the second.
    const QStringList parts = window->StatusBar1->panelText(3).split(u" :"_s);
    ASSERT_EQ(parts.size(), 3);
    const int seconds = parts.at(0).toInt() * 3600 + parts.at(1).toInt() * 60 + parts.at(2).toInt();
    EXPECT_GE(seconds, took / 1000 - 1);
    EXPECT_LE(seconds, took / 1000);
    for (qsizetype n = 1; n < clock.size(); ++n)
        EXPECT_NE(clock.at(n), u"0 :0 :0"_s) << "the clock never goes back";
}

// A whole reply on a connection the server keeps open is judged as soon as it is whole, under a
// short time-out as under a long one; our side closes the connection.
TEST_F(SubmitWindow, AWholeReplyOnAConnectionKeptOpenIsJudgedAtOnce)
{
    for (const int timeOut : {1, 4, 30}) {
        SCOPED_TRACE(timeOut);
        QList<QPointer<QTcpSocket>> held;
        server.setHandler([&held](QTcpSocket *client, const QByteArray &request) {
            held << client;
            client->write(LoopbackServer::httpReply(request.contains("e2.example") ? 404 : 200, "thanks\r\n"));
        });
        settings.TimeOut = timeOut;
        selected.clear();
        addEngines(2);
        open();
        startWith(u"Beta"_s, u"Odd"_s);
        env.dialogs.answerMessage(Platform::Ok);
        const qint64 start = Platform::tickCount();
        click(window->cmdSubmit);
        // 1 s before the dispatch and 1 s more before the URL finishes; the shortest idle
        // deadline (2 s after the last line) would come later.
        ASSERT_TRUE(Platform::waitUntil([&] { return env.dialogs.wasShown(u"Submission done !"_s); }, 2900));
        EXPECT_LT(Platform::tickCount() - start, 2900);
        EXPECT_EQ(results(), QStringList{u"Finish: 1 succeeded, 1 failed"_s});
        ASSERT_EQ(held.size(), 2);
        EXPECT_TRUE(Platform::waitUntil([&] {
            return std::all_of(held.begin(), held.end(), [](const QPointer<QTcpSocket> &client) {
                return !client || client->state() != QAbstractSocket::ConnectedState;
            });
        }, 2000));
        const QString page = reportOfRow(0);
        EXPECT_TRUE(page.contains(reportRow(1, u"e1"_s, u"Success"_s)));
        EXPECT_TRUE(page.contains(reportRow(1, u"e2"_s, u"Failed"_s)));
        env.dialogs.clearLog();
        delete window;
    }
}

TEST_F(SubmitWindow, SiteOfFortyThousandUrlsGetsARowForEveryUrl)
{
    QStringList urls;
    for (int n = 1; n <= 40000; ++n)
        urls << u"http://big.example/p%1.html"_s.arg(n);
    const QString big = SubmitTest::writeSiteFile(env.programFolder() + u"Big.vqs"_s, QByteArray(), urls);
    TestSupport::TestEnvironment::writeFile(projectList, "[Big]\r\nLast=1\r\n1=Big|" + big.toUtf8() + "\r\n");
    addEngines(1);
    open()->show();
    EXPECT_EQ(window->lsvSiteSelection->topLevelItem(0)->text(2), u"40000"_s);
    QTest::mouseClick(window->cmdNext, Qt::LeftButton);
    EXPECT_EQ(window->lblNumOfURLs->text(), u"40000"_s);
    QTest::mouseClick(window->cmdStart, Qt::LeftButton);
    ASSERT_EQ(window->lsvSiteSubmitting->topLevelItemCount(), 40000);
    EXPECT_EQ(window->lsvSiteSubmitting->topLevelItem(39999)->text(0), urls.last());
    EXPECT_EQ(window->ProgressBar1->value(), 40001);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(SubmitWindow, HeaderClicksSortAscendingFirstThenFlipOnEveryClick)
{
    open()->show();
    QHeaderView *header = window->lsvSiteSelection->header();
    const auto clickColumn = [header](int column) {
        const QPoint at(header->sectionViewportPosition(column) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    const auto names = [this] {
        QStringList texts;
        for (int r = 0; r < window->lsvSiteSelection->topLevelItemCount(); ++r)
            texts << window->lsvSiteSelection->topLevelItem(r)->text(0);
        return texts;
    };
    const QStringList ascending = {u"Empty"_s, u"Odd"_s, u"Shop"_s, u"Shop"_s};
    const QStringList descending = {u"Shop"_s, u"Shop"_s, u"Odd"_s, u"Empty"_s};
    const struct { int column; QStringList order; } clicks[] = {{0, ascending}, {0, descending}, {0, ascending}};
    for (const auto &click : clicks) {
        clickColumn(click.column);
        EXPECT_EQ(names(), click.order);
    }
    // Another column sorts ascending.
    clickColumn(1);
    EXPECT_EQ(window->lsvSiteSelection->sortColumn(), 1);
    EXPECT_EQ(window->lsvSiteSelection->topLevelItem(0)->text(1), u"Alpha"_s);
}

TEST_F(SubmitWindow, MinimisingMinimisesTheMainWindow)
{
    open();
    window->show();
    mainWindow.show();
    window->setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(Platform::waitUntil([&] { return mainWindow.isMinimized(); }, 2000));
}

TEST_F(SubmitWindow, ListColumnsTakeTheirShareOfTheWidthOnShowAndOnResize)
{
    open();
    window->show();
    // Each list's leading columns as shares of its width; the last column fills the rest.
    const struct { QTreeWidget *list; int tab; QList<double> shares; } lists[] = {
        {window->lsvSiteSelection, 0, {0.5, 0.25}},
        {window->lsvSiteSubmitting, 2, {0.5, 0.25}},
        {window->lsvConnections, 2, {0.3 / 5.5, 3.8 / 5.5}},
        {window->lsvReport, 3, {0.3, 0.16}},
    };
    for (const QSize size : {QSize(640, 480), QSize(1000, 700)}) {
        window->resize(size);
        for (const auto &c : lists) {
            window->SSTab1->setCurrentIndex(c.tab);
            QApplication::processEvents();
            const int width = c.list->viewport()->width();
            int sum = 0;
            for (int column = 0; column < 3; ++column)
                sum += c.list->columnWidth(column);
            for (int column = 0; column < c.shares.size(); ++column)
                EXPECT_NEAR(c.list->columnWidth(column), width * c.shares[column], 1.0)
                    << c.list->headerItem()->text(column).toStdString() << " at " << size.width();
            EXPECT_EQ(sum, width) << c.list->headerItem()->text(0).toStdString() << " at " << size.width();
        }
    }
}
