// The keyword builder's runs against a scripted engine and sites on 127.0.0.1: links, keyword
// blocks, sites that give no page, cancel, the engine checks and the saved list.
#include "RankingFixture.h"

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "platform/TextFile.h"
#include "ranking/KeywordBuilderText.h"
#include "ranking/frmKeywordBuilder.h"
#include "support/FailingWrites.h"
#include "support/LoopbackServer.h"
#include "support/RefusedPort.h"
#include "support/UserInput.h"
#include "transport/frmHTTP.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextDocument>

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;

namespace {

constexpr int kRunMs = 15000;

class KeywordBuilder : public RankingTest::Fixture {
protected:
    void SetUp() override
    {
        RankingTest::Fixture::SetUp();
        myPreference().setTimeOut(1);
        frmHTTP::setIntervals({10, 300});
        host = server.hostPort();
        server.setHandler([this](QTcpSocket *client, const QByteArray &request) { answer(client, request); });
    }
    void TearDown() override
    {
        delete frmKeywordBuilder::loadedInstance();
        Platform::setBusyPointer(false);
    }

    // The result page lists `anchors` between its start and end markers.
    void writeEngine(int numOfURLs, const QString &engineURL = QString())
    {
        const QString base = engineURL.isNull() ? u"http://"_s + host + u'/' : engineURL;
        env.writeFile(rankingEngineFilePath(),
                      (u"[Engines]\r\nNumOfEngines=1\r\n1=Loop\r\n[Loop]\r\nEngineKey=engine-own\r\nEngineURL="_s + base
                       + u"\r\nQueryKeyword1=search?q=\r\nQueryKeyword2=&n=10\r\nResultStartString=<ol>\r\n"
                         u"ResultEndString=</ol>\r\nNoFoundString=nothing found\r\nHREF_KEYWORD1=<a href=\r\n"
                         u"[KeywordBuilder]\r\nEngine=Loop\r\nNumOfURLs="_s
                       + QString::number(numOfURLs) + u"\r\n"_s)
                          .toUtf8());
    }
    void answer(QTcpSocket *client, const QByteArray &request)
    {
        const QByteArray path = request.split(' ').value(1);
        if (path.startsWith("/search?"))
            client->write(LoopbackServer::httpReply(200, "<a href=http://" + host.toLatin1() + "/before>b</a><ol>"
                                                             + anchors + "</ol><a href=http://x/after>a</a>"));
        else if (path == "/s1")
            client->write(LoopbackServer::httpReply(
                200, "<html><head><meta name=\"keywords\" content=\" seo , web,, promotion \"></head></html>"));
        else if (path == "/s3")
            client->write(LoopbackServer::httpReply(200, "<meta name=keywords content=\"a,b\">"));
        else if (path == "/long")
            client->write(LoopbackServer::httpReply(200, "<meta name=keywords content=\"" + QByteArray(2 << 20, 'w') + "\">"));
        else if (path == "/s404")
            client->write(LoopbackServer::httpReply(404, "gone"));
        else if (path == "/loop")
            client->write(LoopbackServer::httpReply(302, "", "Location: /loop\r\n"));
        else if (path == "/login")
            client->write(LoopbackServer::httpReply(401, ""));
        else if (path == "/silent")
            return;
        else
            client->write(LoopbackServer::httpReply(200, "<html>no keywords</html>"));
        client->disconnectFromHost();
    }
    QString site(const QString &path) const { return u"http://"_s + host + path; }
    QString closedSite() const { return u"http://127.0.0.1:"_s + QString::number(m_refused.port()) + u"/x"_s; }

    // The shown window, as the user meets it.
    frmKeywordBuilder *open()
    {
        w = frmKeywordBuilder::instance();
        EXPECT_TRUE(TestSupport::showWindow(w));
        return w;
    }
    // Starts a run for `keywords` and waits for its end, answering "Done !".
    void run(const QString &keywords = u"gift ideas"_s)
    {
        env.dialogs.answerMessage(Platform::Ok);
        w->cboKeywords->setEditText(keywords);
        TestSupport::clickOn(w->Command1[0]);
        ASSERT_TRUE(Platform::waitUntil([this] { return !w->running(); }, kRunMs));
    }
    QStringList requestedPaths() const
    {
        QStringList paths;
        for (const QByteArray &request : server.requests())
            paths.append(QString::fromLatin1(request.split(' ').value(1)));
        return paths;
    }
    QString box() const { return modCommon::multiLineText(w->txtKeywordList); }
    QString status() const { return w->StatusBar1->panelText(1); }
    static void settle(int ms) { Platform::waitUntil([] { return false; }, ms); }

    LoopbackServer server;
    QString host;
    QByteArray anchors;
    frmKeywordBuilder *w = nullptr;
    TestSupport::RefusedPort m_refused;
};

} // namespace

TEST_F(KeywordBuilder, RunCollectsKeywordsAndNamesEverySiteThatGaveNoPage)
{
    writeEngine(8);
    const QByteArray h = host.toLatin1();
    anchors = "<a href=http://" + h + "/s1>One</a>"
              "<a href=\"http://" + h + "/s2\" class=x>Two</a>"
              "<a href=http://" + h + "/engine-own/x>own</a>"
              "<a href=http://" + h + "/more>this site only</a>"
              "<a href='/s404'>relative</a>"
              "<a href=http://" + h + "/loop>L</a>"
              "<a href=http://" + h + "/login>In</a>"
              "<a href=" + closedSite().toLatin1() + ">C</a>"
              "<a href=http://" + h + "/silent>S</a>";
    open();
    run();
    EXPECT_EQ(w->siteAddresses(),
              QStringList({site(u"/s1"_s), site(u"/s2"_s), site(u"/s404"_s), site(u"/loop"_s), site(u"/login"_s),
                           closedSite(), site(u"/silent"_s), QString()}));
    EXPECT_EQ(box(), u"\r\nseo\r\nweb\r\npromotion\r\n"_s);
    EXPECT_EQ(status(), u"Done: 5 of 7 sites gave no page: "_s + site(u"/s404"_s) + u" (404), "_s + site(u"/loop"_s)
                            + u" (too many redirects), "_s + site(u"/login"_s) + u" (login refused), "_s + closedSite()
                            + u" (no connection), "_s + site(u"/silent"_s) + u" (no connection)"_s);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown()[0].prompt, u"Done !"_s);
    EXPECT_EQ(env.dialogs.shown()[0].title, u"Keyword Builder"_s);
    EXPECT_EQ(w->Command1[0]->text(), u"&Get"_s);
    EXPECT_FALSE(Platform::isBusyPointer());
    const QStringList paths = requestedPaths();
    EXPECT_EQ(paths.first(), u"/search?q=gift+ideas&n=10"_s);
    EXPECT_EQ(paths.count(u"/loop"_s), 1 + frmHTTP::kMaxRedirects);
    EXPECT_EQ(paths.size(), 6 + 1 + frmHTTP::kMaxRedirects);
}

// A site whose keywords are one word of 2 MB adds the bound's share, wrapped anywhere, so the
// list is laid out at once; the next site's keywords follow it.
TEST_F(KeywordBuilder, OneLongKeywordIsBoundedAndWrappedAnywhere)
{
    writeEngine(2);
    const QByteArray h = host.toLatin1();
    anchors = "<a href=http://" + h + "/long>Long</a><a href=http://" + h + "/s1>One</a>";
    open();
    run();
    EXPECT_EQ(box(), u"\r\n"_s + QString(KeywordBuilderText::kMaxSiteKeywordChars, u'w') + u"\r\nseo\r\nweb\r\npromotion"_s);
    EXPECT_EQ(w->txtKeywordList->wordWrapMode(), QTextOption::WrapAnywhere);
    EXPECT_EQ(status(), u"Done"_s);
}

TEST_F(KeywordBuilder, CommaOptionAndFewerLinksThanSlots)
{
    writeEngine(5);
    const QByteArray h = host.toLatin1();
    anchors = "<a href=http://" + h + "/s1>1</a><a href=http://" + h + "/s3>3</a><a href=http://" + h + "/s2>2</a>";
    open();
    qsizetype added = 0;
    QObject::connect(w->txtKeywordList->document(), &QTextDocument::contentsChange, w,
                     [&added](int, int, int chars) { added += chars; });
    TestSupport::clickOn(w->Option1[1]);
    run(u"line\r\nbreak"_s);
    EXPECT_EQ(box(), u"\r\nseo,web,promotion\r\na,b\r\n"_s);
    // Each site's keywords are appended: the list is never set, and laid out, again whole (the
    // one character more is the empty list's line, cleared at the start).
    EXPECT_EQ(added, w->txtKeywordList->toPlainText().size() + 1);
    EXPECT_EQ(status(), u"Done"_s);
    EXPECT_EQ(requestedPaths(), QStringList({u"/search?q=line+break&n=10"_s, u"/s1"_s, u"/s3"_s, u"/s2"_s}));
    EXPECT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(w->cboKeywords->itemText(0), u"line\r\nbreak"_s);
}

TEST_F(KeywordBuilder, ResultPageThatGivesNothingEndsTheRunWithItsReason)
{
    const struct {
        QString engineURL;
        QByteArray anchors;
        QString status;
    } cases[] = {
        {u"http://127.0.0.1:"_s + QString::number(m_refused.port()) + u'/', "", u"Done: no result page (no connection)"_s},
        {QString(), "Nothing Found<a href=http://x/>x</a>", u"Done: the result page listed no sites"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status.toStdString());
        writeEngine(3, c.engineURL);
        anchors = c.anchors;
        env.dialogs.clearLog();
        open();
        run();
        EXPECT_EQ(status(), c.status);
        EXPECT_EQ(box(), QString());
        EXPECT_EQ(env.dialogs.prompts(), QStringList({u"Done !"_s}));
        delete w;
    }
    EXPECT_EQ(requestedPaths().filter(u"/search"_s).size(), 1);
    EXPECT_EQ(requestedPaths().size(), 1);
}

TEST_F(KeywordBuilder, CancelStopsTheRunWhetherAFetchOrTheTimerIsPending)
{
    writeEngine(3);
    anchors = "<a href=http://" + host.toLatin1() + "/silent>S</a><a href=http://" + host.toLatin1() + "/s1>1</a>";
    open();
    for (const bool duringFetch : {true, false}) {
        SCOPED_TRACE(duringFetch ? "during a fetch" : "while the timer is pending");
        const qsizetype before = server.requests().size();
        w->cboKeywords->setEditText(u"x"_s);
        TestSupport::clickOn(w->Command1[0]);
        EXPECT_EQ(w->Command1[0]->text(), u"&Cancel"_s);
        EXPECT_EQ(w->txtKeywordList->viewport()->cursor().shape(), Qt::WaitCursor);
        EXPECT_EQ(w->Command1[0]->cursor().shape(), Qt::ArrowCursor);
        if (duringFetch)
            ASSERT_TRUE(server.waitForRequests(static_cast<int>(before) + 2, kRunMs));
        else
            ASSERT_TRUE(Platform::waitUntil([this] { return w->Timer1.enabled(); }, kRunMs));
        TestSupport::clickOn(w->Command1[0]);
        EXPECT_EQ(w->Command1[0]->text(), u"&Get"_s);
        EXPECT_FALSE(w->Timer1.enabled());
        const qsizetype asked = server.requests().size();
        settle(duringFetch ? 2500 : 500);
        EXPECT_EQ(server.requests().size(), asked);
        EXPECT_TRUE(env.dialogs.shown().isEmpty());
        EXPECT_EQ(box(), QString());
        EXPECT_EQ(status(), u"Cancelled"_s);
        EXPECT_NE(w->cursor().shape(), Qt::WaitCursor);
    }
}

TEST_F(KeywordBuilder, EnterInTheKeywordBoxStartsOneRun)
{
    writeEngine(1);
    anchors = "<a href=http://" + host.toLatin1() + "/s1>1</a>";
    open();
    env.dialogs.answerMessage(Platform::Ok);
    w->cboKeywords->setEditText(u"seo"_s);
    QTest::keyClick(w->cboKeywords, Qt::Key_Return);
    EXPECT_TRUE(w->running());
    ASSERT_TRUE(Platform::waitUntil([this] { return !w->running(); }, kRunMs));
    EXPECT_EQ(requestedPaths(), QStringList({u"/search?q=seo&n=10"_s, u"/s1"_s}));
    EXPECT_EQ(w->cboKeywords->count(), 1);
}

// During a run Enter and Esc leave it alone; an idle window closes on Esc.
TEST_F(KeywordBuilder, EnterAndEscNeverStopARun)
{
    writeEngine(1);
    anchors = "<a href=http://" + host.toLatin1() + "/silent>S</a>";
    open();
    w->cboKeywords->setEditText(u"x"_s);
    TestSupport::clickOn(w->Command1[0]);
    ASSERT_TRUE(w->running());
    for (QWidget *target : {static_cast<QWidget *>(w->cboKeywords), static_cast<QWidget *>(w->Command1[0])})
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape})
            QTest::keyClick(target, key);
    EXPECT_TRUE(w->running());
    EXPECT_TRUE(w->isVisible());
    TestSupport::clickOn(w->Command1[0]);
    EXPECT_FALSE(w->running());
    QTest::keyClick(w->cboKeywords, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
}

// Tab follows the layout and leaves the keyword list instead of typing into it.
TEST_F(KeywordBuilder, TabMovesThroughTheWindowInLayoutOrder)
{
    writeEngine(1);
    open();
    QApplication::setActiveWindow(w);
    w->cboKeywords->setFocus();
    const QList<QWidget *> expected = {w->Command1[0], w->Option1[0], w->txtKeywordList, w->Command1[2],
                                       w->Command1[1], w->cboKeywords};
    QList<QWidget *> visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        visited.append(focus == w->cboKeywords->lineEdit() ? w->cboKeywords : focus);
    }
    EXPECT_EQ(visited, expected);
    EXPECT_TRUE(w->txtKeywordList->toPlainText().isEmpty());
}

TEST_F(KeywordBuilder, NoEngineOrADeclinedPromptFetchesNothing)
{
    env.dialogs.answerMessage(Platform::Ok);
    open();   // no engine file at all
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(u"Engine data file is corrupted"_s));
    env.dialogs.answerMessage(Platform::Ok);
    TestSupport::clickOn(w->Command1[0]);
    EXPECT_EQ(env.dialogs.shown().size(), 2);
    delete w;

    // "Engine" names a section the file lacks: nothing to query.
    env.writeFile(rankingEngineFilePath(), "[KeywordBuilder]\r\nEngine=Absent\r\nNumOfURLs=3\r\n");
    open();
    env.dialogs.answerMessage(Platform::Ok);
    TestSupport::clickOn(w->Command1[0]);
    EXPECT_EQ(env.dialogs.shown().size(), 3);
    delete w;

    writeEngine(3);
    myPreference().setPromptConnection(1);
    open();
    env.dialogs.answerMessage(Platform::No);
    w->cboKeywords->setEditText(u"kept"_s);
    TestSupport::clickOn(w->Command1[0]);
    EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(u"Please make sure you are connected"_s));
    EXPECT_FALSE(w->running());
    settle(100);
    EXPECT_EQ(server.requests().size(), 0);
    delete w;
    EXPECT_EQ(modCommon::readINIValue(modCommon::historyFile(), u"KeywordBuilder"_s, u"1"_s), u"kept"_s);
}

TEST_F(KeywordBuilder, SavedListGetsItsNameAndAsksBeforeReplacing)
{
    writeEngine(3);
    open();
    modCommon::setMultiLineText(w->txtKeywordList, u"\r\nseo\r\nweb"_s);
    const QString folder = env.root() + u"/out/"_s;
    QDir().mkpath(folder);
    const struct {
        QString chosen;
        int filter;
        QString stored;
    } cases[] = {
        {u"list"_s, 1, u"list.txt"_s}, {u"other.TXT"_s, 1, u"other.TXT"_s}, {u"plain"_s, 2, u"plain"_s}};
    for (const auto &c : cases) {
        env.dialogs.answerFile(folder + c.chosen, c.filter);
        TestSupport::clickOn(w->Command1[2]);
        EXPECT_EQ(Platform::readTextFile(folder + c.stored), u"\r\nseo\r\nweb\r\n"_s) << c.stored.toStdString();
    }
    EXPECT_EQ(env.dialogs.shown()[0].defaultText, env.programFolder() + u"Keywords/"_s);
    EXPECT_TRUE(QFileInfo(env.programFolder() + u"Keywords"_s).isDir());
    EXPECT_EQ(status(), u"Save"_s);

    modCommon::setMultiLineText(w->txtKeywordList, u"new"_s);
    for (const int button : {int(Platform::No), int(Platform::Yes)}) {
        env.dialogs.answerFile(folder + u"list"_s, 1);
        env.dialogs.answerMessage(button);
        TestSupport::clickOn(w->Command1[2]);
        EXPECT_EQ(env.dialogs.shown().last().prompt,
                  u"The file "_s + folder + u"list.txt already exists, do you want to replace it?"_s);
        EXPECT_EQ(env.dialogs.shown().last().title, u"Save URL"_s);
    }
    EXPECT_EQ(Platform::readTextFile(folder + u"list.txt"_s), u"new\r\n"_s);

    w->StatusBar1->setPanelText(1, QString());
    TestSupport::FailingWrites failing;
    env.dialogs.answerFile(folder + u"failed"_s, 1);
    env.dialogs.answerMessage(Platform::Ok);
    TestSupport::clickOn(w->Command1[2]);
    EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(u"saveKeywords_Error: "_s));
    EXPECT_EQ(env.dialogs.shown().last().title, u"Save Keywords"_s);
    EXPECT_EQ(status(), QString());
    EXPECT_FALSE(QFile::exists(folder + u"failed.txt"_s));
}
