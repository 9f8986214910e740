// The engine search launcher: query addresses handed to the shell, its refusals and loaders.
#include "RankingFixture.h"

#include "core/modCommon.h"
#include "ranking/SearchQuery.h"
#include "ranking/frmSearch.h"
#include "support/UserInput.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

const QString kCorrupted = u"Engine data file is corrupted"_s;

// Engines "One" and "Three"; key 2 is empty.
const QByteArray kEngines =
    "[Engines]\r\nNumOfEngines=3\r\n1=One\r\n2=\r\n3=Three\r\n"
    "[One]\r\nEngineURL=http://one.example/\r\nQueryKeyword1=s?q=\r\nQueryKeyword2=&n=10\r\nURLVisibility=url:\r\n"
    "[Three]\r\nEngineURL=https://three.example/find\r\nQueryKeyword1=?k=\r\nURLVisibility=site:\r\n";

class SearchWindow : public RankingTest::Fixture {
protected:
    void TearDown() override { delete frmSearch::loadedInstance(); }
    frmSearch *open(const QByteArray &engines = kEngines)
    {
        if (!engines.isNull())
            env.writeFile(rankingEngineFilePath(), engines);
        frmSearch *w = frmSearch::instance();
        EXPECT_TRUE(TestSupport::showWindow(w));
        return w;
    }
    // Searches and gives what went to the shell ("" when nothing did).
    QString search(frmSearch *w, int type, const QString &text, int engine = 0)
    {
        env.shellRequests.clear();
        TestSupport::chooseItem(w->cboSearchType, type);
        if (w->cboEngine->count() > 0)
            TestSupport::chooseItem(w->cboEngine, engine);
        w->cboKeywords->setEditText(text);
        TestSupport::clickOn(w->cmdSearch);
        return env.shellRequests.value(0);
    }
};

} // namespace

TEST_F(SearchWindow, EachSearchTypeOpensItsQueryAddress)
{
    frmSearch *w = open();
    ASSERT_EQ(w->cboEngine->count(), 2);
    EXPECT_EQ(w->cboEngine->itemText(1), u"Three"_s);
    const struct {
        int type;
        QString text;
        int engine;
        QString opened;
    } cases[] = {
        {0, u"HTTP://www.x.example/a b"_s, 0, u"open:http://one.example/s?q=www.x.example%2Fa+b&n=10"_s},
        {0, u"site http://x.example"_s, 0, u"open:http://one.example/s?q=site+http%3A%2F%2Fx.example&n=10"_s},
        {1, u"http://www.x.example/p"_s, 0, u"open:http://one.example/s?q=url%3Awww.x.example&n=10"_s},
        {2, u"http://www.x.example:8080/p?q"_s, 0, u"open:http://one.example/s?q=link%3Awww.x.example%3A8080&n=10"_s},
        {1, u"www.y.example"_s, 1, u"open:https://three.example/find?k=site%3Awww.y.example"_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(search(w, c.type, c.text, c.engine), c.opened) << c.text.toStdString();
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
    // The history holds each text once, the latest on top.
    EXPECT_EQ(w->cboKeywords->count(), 5);
    EXPECT_EQ(w->cboKeywords->itemText(0), u"www.y.example"_s);
}

TEST_F(SearchWindow, QueryTextTrimsTheVisibilityPrefix)
{
    EXPECT_EQ(SearchQuery::queryText(SearchQuery::UrlVisibility, u"http://www.x.example/p"_s, u"  url: "_s),
              u"url:www.x.example"_s);
}

TEST_F(SearchWindow, RefusesAnEmptyTextAMissingEngineAndANonWebAddress)
{
    frmSearch *w = open();
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_EQ(search(w, 0, QString()), QString());
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown()[0].prompt, u"Please enter the keywords you would like to search for."_s);
    EXPECT_EQ(env.dialogs.shown()[0].title, u"Search"_s);
    EXPECT_EQ(w->cboKeywords->count(), 0);
    delete w;

    // The engine file hands the shell anything it likes: only web addresses go.
    w = open("[Engines]\r\nNumOfEngines=1\r\n1=Bad\r\n[Bad]\r\nEngineURL=file:///etc/\r\n");
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_EQ(search(w, 0, u"x"_s), QString());
    EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(kCorrupted));
    delete w;

    env.dialogs.clearLog();
    QFile::remove(rankingEngineFilePath());
    env.dialogs.answerMessage(Platform::Ok);
    w = open(QByteArray());
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(kCorrupted));
    EXPECT_EQ(env.dialogs.shown()[0].title, u"Error"_s);
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_EQ(search(w, 0, u"x"_s), QString());
    EXPECT_EQ(env.dialogs.shown().size(), 2);
}

TEST_F(SearchWindow, SitesAndTheirUrlsComeFromTheProjectList)
{
    const QString shop = env.programFolder() + u"Shop.vqs"_s;
    env.writeFile(shop, "[Web Site Info]\r\nLastURL=3\r\n[URL]\r\nURL1=http://shop.example/\r\nURL2=\r\n"
                        "URL3=http://shop.example/b\r\n");
    const QString odd = env.programFolder() + u"Odd.vqs"_s;
    env.writeFile(odd, "[Web Site Info]\r\nLastURL=many\r\n[URL]\r\nURL1=http://odd.example/\r\n");
    env.writeFile(ProjectListPath, (u"[Shops]\r\nLast=4\r\n1=Shop|"_s + shop + u"\r\n2=|"_s + shop
                                    + u"\r\n3=Gone|/nowhere/Gone.vqs\r\n4=Odd|"_s + odd + u"\r\n5=Past Last|"_s
                                    + shop + u"\r\n[Huge]\r\nLast=2147483647\r\n"_s)
                                       .toUtf8());
    frmSearch *w = open();
    ASSERT_EQ(w->cboWebProfile->count(), 3);
    EXPECT_EQ(w->siteFiles(), QStringList({shop, u"/nowhere/Gone.vqs"_s, odd}));
    EXPECT_FALSE(w->cboWebProfile->isEnabled());
    EXPECT_FALSE(w->lstURL->isEnabled());

    TestSupport::chooseItem(w->cboSearchType, SearchQuery::UrlVisibility);
    const struct {
        int site;
        int count;
    } sites[] = {{0, 2}, {1, 0}, {2, 0}, {0, 2}};
    for (const auto &s : sites) {
        TestSupport::chooseItem(w->cboWebProfile, s.site);
        EXPECT_EQ(w->lstURL->count(), s.count) << s.site;
    }
    TestSupport::clickRow(w->lstURL, w->lstURL->item(1));
    EXPECT_EQ(w->cboKeywords->currentText(), u"http://shop.example/b"_s);
    EXPECT_EQ(search(w, 2, w->cboKeywords->currentText()), u"open:http://one.example/s?q=link%3Ashop.example&n=10"_s);
    EXPECT_TRUE(w->cboWebProfile->isEnabled());
}

TEST_F(SearchWindow, HistoryIsLoadedOnOpenAndSavedOnClose)
{
    frmSearch *w = open();
    search(w, 0, u"first"_s);
    search(w, 0, u"second"_s);
    delete w;
    EXPECT_EQ(modCommon::readINIValue(modCommon::historyFile(), u"Search"_s, u"1"_s), u"second"_s);
    w = open();
    EXPECT_EQ(w->cboKeywords->count(), 2);
    EXPECT_EQ(w->cboKeywords->currentText(), QString());
    EXPECT_TRUE(w->testAttribute(Qt::WA_DeleteOnClose));
}

TEST_F(SearchWindow, AnEngineNumberTheLauncherDoesNotUseDropsNoEngine)
{
    QByteArray engines = kEngines;
    frmSearch *w = open(engines.replace("[One]\r\n", "[One]\r\nStart=99999\r\nPerPage=x\r\n"));
    EXPECT_EQ(w->cboEngine->count(), 2);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}
