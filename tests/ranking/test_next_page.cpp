#include "RankingFixture.h"

#include "ranking/clsRanking.h"

#include <functional>

namespace {

class NextPageTest : public RankingTest::Fixture {
protected:
    static RankingEngine linkEngine()
    {
        RankingEngine engine;
        engine.name = QStringLiteral("Alpha");
        engine.EngineURL = QStringLiteral("http://h");
        engine.NextPage1 = QStringLiteral("Next");
        engine.LinkType = QStringLiteral("Link");
        return engine;
    }
};

TEST_F(NextPageTest, LinkEnginesFindTheLinkBeforeTheMarker)
{
    const QString far2000 = QStringLiteral("href=/") + QString(1997, u'x') + QStringLiteral("\">Next");
    const struct {
        const char *name;
        std::function<void(RankingEngine &)> change;
        QString page;
        QString expected;
    } cases[] = {
        {"path with a slash", nullptr, QStringLiteral("<a href=\"/p2\">Next</a>"), QStringLiteral("http://h/p2")},
        {"base with a slash", [](RankingEngine &e) { e.EngineURL = QStringLiteral("http://h/"); },
         QStringLiteral("<a href=\"/p2\">Next</a>"), QStringLiteral("http://h/p2")},
        {"neither has a slash", nullptr, QStringLiteral("<a href=p2>Next</a>"), QStringLiteral("http://h/p2")},
        {"only the base has one", [](RankingEngine &e) { e.EngineURL = QStringLiteral("http://h/"); },
         QStringLiteral("<a href=p2>Next</a>"), QStringLiteral("http://h/p2")},
        {"absolute in capitals", nullptr, QStringLiteral("<A HREF=\"HTTP://x.example/n?s=10\">NEXT</A>"),
         QStringLiteral("HTTP://x.example/n?s=10")},
        {"the heuristic keeps other attributes", nullptr, QStringLiteral("<a href='/p2' class=x>Next"),
         QStringLiteral("http://h/'/p2' class=x")},
        {"the nearest opener wins", nullptr, QStringLiteral("<a href=/p1>1</a> <a href=/p3>Next"),
         QStringLiteral("http://h/p3")},
        {"an address inside a relative link", nullptr, QStringLiteral("<a href=/r?u=http://x/>Next"),
         QStringLiteral("http://h/r?u=http://x/")},
        {"the link ends 2000 before the marker", nullptr, far2000,
         QStringLiteral("http://h/") + QString(1997, u'x')},
        {"2001 is too far", nullptr, QStringLiteral("href=/") + QString(1998, u'x') + QStringLiteral("\">Next"),
         QString()},
        {"a marker at the start has nothing before it", nullptr, QStringLiteral("Next href=/p2"), QString()},
        {"no opener", nullptr, QStringLiteral("<b>/p2</b> Next"), QString()},
        {"no marker", nullptr, QStringLiteral("<a href=/p2>More</a>"), QString()},
        {"the first marker wins over an earlier second",
         [](RankingEngine &e) { e.NextPage2 = QStringLiteral("More"); },
         QStringLiteral("<a href=/m>More</a> <a href=/n>Next</a>"), QStringLiteral("http://h/n")},
        {"the third marker when the others are absent",
         [](RankingEngine &e) { e.NextPage2 = QStringLiteral("More"); e.NextPage3 = QStringLiteral("On"); },
         QStringLiteral("<a href=/o>On</a>"), QStringLiteral("http://h/o")},
        {"an empty first marker is never found",
         [](RankingEngine &e) { e.NextPage1.clear(); e.NextPage2 = QStringLiteral("More"); },
         QStringLiteral("<a href=/m>More</a>"), QStringLiteral("http://h/m")},
        {"no markers at all", [](RankingEngine &e) { e.NextPage1.clear(); },
         QStringLiteral("<a href=/m>More</a>"), QString()},
        {"an opener of the engine's own", [](RankingEngine &e) { e.NextPage4 = QStringLiteral("DATA-URL="); },
         QStringLiteral("<a href=/a data-url=/b>Next"), QStringLiteral("http://h/b")},
        {"the default port goes", nullptr, QStringLiteral("<a href=http://h:80/x>Next"), QStringLiteral("http://h/x")},
        {"also from the base", [](RankingEngine &e) { e.EngineURL = QStringLiteral("http://h:80"); },
         QStringLiteral("<a href=/x?p=:80>Next"), QStringLiteral("http://h/x?p=:80")},
        {"another port stays", nullptr, QStringLiteral("<a href=http://h:8080/x>Next"),
         QStringLiteral("http://h:8080/x")},
    };
    for (const auto &c : cases) {
        RankingEngine engine = linkEngine();
        if (c.change)
            c.change(engine);
        EXPECT_EQ(clsRanking::nextPageURL(engine, c.page, 1, QStringLiteral("kw")), c.expected) << c.name;
        EXPECT_EQ(engine.nextPageURL, c.expected) << c.name;
    }
}

TEST_F(NextPageTest, AnEmptyOpenerBecomesHrefInTheRecord)
{
    RankingEngine engine = linkEngine();
    clsRanking::nextPageURL(engine, QStringLiteral("no marker"), 1, QString());
    EXPECT_EQ(engine.NextPage4, QStringLiteral("href="));
    engine.NextPage4 = QStringLiteral("src=");
    clsRanking::nextPageURL(engine, QStringLiteral("<a href=/x>Next"), 1, QString());
    EXPECT_EQ(engine.NextPage4, QStringLiteral("src="));
    EXPECT_EQ(engine.nextPageURL, QString());
}

TEST_F(NextPageTest, ButtonEnginesBuildTheAddress)
{
    RankingEngine engine;
    engine.EngineURL = QStringLiteral("http://b.example/");
    engine.NextPage1 = QStringLiteral("search?q=");
    engine.NextPage2 = QStringLiteral("&start=");
    engine.NextPage3 = QStringLiteral("&num=");
    engine.LinkType = QStringLiteral("bUTTON");
    engine.Start = 10;
    engine.PerPage = 10;
    EXPECT_EQ(clsRanking::nextPageURL(engine, QStringLiteral("<a href=/x>Next"), 2, QStringLiteral("web+tools")),
              QStringLiteral("http://b.example/search?q=web+tools&start=20&num=10"));
    EXPECT_TRUE(engine.NextPage4.isEmpty());
    engine.Start = 32767;
    EXPECT_EQ(clsRanking::nextPageURL(engine, QString(), 100000, QString()),
              QStringLiteral("http://b.example/search?q=&start=3276700000&num=10"));
}

} // namespace
