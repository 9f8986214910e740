#include "RankingFixture.h"

#include "ranking/RankingSearch.h"
#include "ranking/clsRanking.h"

#include <functional>

namespace {

const QString kSite = QStringLiteral("www.shop.example");

// `count` result anchors "R1" ... inside the result block; those at `siteAt` (1-based) name the site.
QString resultPage(int count, QList<int> siteAt = {})
{
    QString page = QStringLiteral("<a href=http://top.example/>Top</a><ol>");
    for (int i = 1; i <= count; ++i) {
        const QString host = siteAt.contains(i) ? kSite : QStringLiteral("r%1.example").arg(i);
        page += QStringLiteral("<li><a href=http://%1/>R%2</a>\r\n").arg(host).arg(i);
    }
    return page + QStringLiteral("</ol><a href=http://after.example/>After</a>");
}

class PageAnalysisTest : public RankingTest::Fixture {
protected:
    static RankingEngine engine()
    {
        RankingEngine e;
        e.name = QStringLiteral("Alpha");
        e.EngineKey = QStringLiteral("alpha.example");
        e.EngineURL = QStringLiteral("http://alpha.example/");
        e.ResultStartString = QStringLiteral("<ol>");
        e.ResultEndString = QStringLiteral("</ol>");
        e.NoFoundString = QStringLiteral("No documents match");
        return e;
    }
    static QList<qint32> positions(const PageAnalysis &page, bool matchingOnly)
    {
        QList<qint32> list;
        for (const RankedAnchor &a : page.anchors)
            if (a.matchesSite || !matchingOnly)
                list.append(a.position);
        return list;
    }
};

TEST_F(PageAnalysisTest, PositionsOnOnePage)
{
    const auto all = [](int n) {
        QList<qint32> list;
        for (int i = 1; i <= n; ++i)
            list.append(i);
        return list;
    };
    const struct {
        const char *name;
        std::function<void(RankingEngine &)> change;
        QString page;
        QString site;
        QList<qint32> counted;
        QList<qint32> matching;
    } cases[] = {
        {"two matches", nullptr, resultPage(20, {4, 17}), kSite, all(20), {4, 17}},
        {"the encoded site matches", nullptr,
         QStringLiteral("<ol><a href=http://x/?u=www%2Eshop%2Eexample>A</a><a href=http://y/>B</a>"), kSite,
         {1, 2}, {1}},
        {"letter case is ignored", nullptr,
         QStringLiteral("<OL><A HREF=http://WWW.SHOP.EXAMPLE/>A</a></OL>"), kSite, {1}, {1}},
        {"own links take no position", nullptr,
         QStringLiteral("<ol><a href=http://alpha.example/x>A</a><a href=http://a/>This Site Only</a>"
                        "<a href=http://b/>text-only VERSION</a><a href=http://c/>More this site</a>"
                        "<a href=http://d/>D</a></ol>"),
         kSite, {1}, {}},
        {"an empty engine key skips nothing", [](RankingEngine &e) { e.EngineKey.clear(); },
         QStringLiteral("<ol><a href=http://alpha.example/x>A</a></ol>"), kSite, {1}, {}},
        {"an empty site matches nothing", nullptr, resultPage(3), QString(), all(3), {}},
        {"no result start: the whole page", [](RankingEngine &e) { e.ResultStartString = QStringLiteral("<ul>"); },
         resultPage(2), kSite, all(4), {}},
        {"an empty result start: the whole page", [](RankingEngine &e) { e.ResultStartString.clear(); },
         resultPage(2), kSite, all(4), {}},
        {"a start without an end runs to the page end",
         [](RankingEngine &e) { e.ResultEndString = QStringLiteral("<hr>"); }, resultPage(2), kSite, all(3), {}},
        {"an anchor without its end", nullptr,
         QStringLiteral("<ol><a href=http://a/>A</a><a href=http://www.shop.example/>B</ol>"), kSite, {1}, {}},
        {"the quoted opener when the block lacks the plain one", nullptr,
         QStringLiteral("<ol><a href=\"http://a/\">A</a><a href=\"http://www.shop.example/\">B</a></ol>"), kSite,
         {1, 2}, {2}},
        {"the second opener when the first is absent",
         [](RankingEngine &e) { e.HREF_KEYWORD1 = QStringLiteral("<a class=r "); e.HREF_KEYWORD2 = QStringLiteral("<a id=r "); },
         QStringLiteral("<ol><a href=http://a/>A</a><a id=r href=http://b/>B</a></ol>"), kSite, {1}, {}},
        {"the quoted fallback when the openers are absent",
         [](RankingEngine &e) { e.HREF_KEYWORD1 = QStringLiteral("<a class=r "); },
         QStringLiteral("<ol><a href=http://a/>A</a><a href=\"http://b/\">B</a></ol>"), kSite, {1}, {}},
        {"a relative anchor gets the engine's address",
         [](RankingEngine &e) { e.HREF_KEYWORD1 = QStringLiteral("<a href=/"); },
         QStringLiteral("<ol><a href=/www.shop.example>A</a></ol>"), kSite, {1}, {1}},
        {"an empty no-results text is never found", [](RankingEngine &e) { e.NoFoundString.clear(); },
         resultPage(1), kSite, all(1), {}},
    };
    for (const auto &c : cases) {
        RankingEngine e = engine();
        if (c.change)
            c.change(e);
        const PageAnalysis page = clsRanking::analysePage(e, c.page, c.site, 0, 0);
        EXPECT_FALSE(page.noDocuments) << c.name;
        EXPECT_FALSE(page.linkLimitReached) << c.name;
        EXPECT_EQ(positions(page, false), c.counted) << c.name;
        EXPECT_EQ(positions(page, true), c.matching) << c.name;
    }
}

TEST_F(PageAnalysisTest, AnchorsAreReportedWhole)
{
    RankingEngine e = engine();
    e.HREF_KEYWORD1 = QStringLiteral("<a href=/");
    const PageAnalysis page = clsRanking::analysePage(
        e, QStringLiteral("<ol><a href=/p>P</A><a href=http://q/>Q</a></ol>"), kSite, 0, 0);
    ASSERT_EQ(page.anchors.size(), 1);
    EXPECT_EQ(page.anchors[0].anchor, QStringLiteral("<a href=http://alpha.example/a href=/p>P</A>"));
}

TEST_F(PageAnalysisTest, ANoResultsPageCountsNothing)
{
    const PageAnalysis page =
        clsRanking::analysePage(engine(), QString(resultPage(3) + QStringLiteral("no DOCUMENTS match")), kSite, 5, 0);
    EXPECT_TRUE(page.noDocuments);
    EXPECT_TRUE(page.anchors.isEmpty());
}

TEST_F(PageAnalysisTest, PositionsGoOnOverPagesUpToTheLinkLimit)
{
    // Pages mode: three pages of ten, the site 4th on page 2.
    qint32 links = 0;
    QList<qint32> found;
    for (int n = 1; n <= 3; ++n) {
        const PageAnalysis page =
            clsRanking::analysePage(engine(), resultPage(10, n == 2 ? QList<int>{4} : QList<int>{}), kSite, links, 0);
        links += page.anchors.size();
        found += positions(page, true);
    }
    EXPECT_EQ(links, 30);
    EXPECT_EQ(found, QList<qint32>({14}));

    // Links mode: 30 links at 15 a page end on page 2; 20 end at the 5th anchor of page 2.
    for (const auto &[limit, lastCounted] : {std::pair{30, 15}, std::pair{20, 5}}) {
        const PageAnalysis first = clsRanking::analysePage(engine(), resultPage(15), kSite, 0, limit);
        EXPECT_FALSE(first.linkLimitReached);
        const PageAnalysis second = clsRanking::analysePage(engine(), resultPage(15), kSite, 15, limit);
        EXPECT_TRUE(second.linkLimitReached) << limit;
        ASSERT_EQ(second.anchors.size(), lastCounted) << limit;
        EXPECT_EQ(second.anchors.back().position, limit);
    }
}

// However many anchors a page holds and however long one is, the analysis keeps the first ones
// counted and the first ones naming the site, each cut to its bound, and counts all of them.
TEST_F(PageAnalysisTest, OnlyABoundedShareOfTheAnchorsIsKept)
{
    AnchorBudget budget;
    const PageAnalysis first = clsRanking::analysePage(engine(), resultPage(1200, {1100, 1101}), kSite, 0, 0, budget);
    EXPECT_EQ(first.counted, 1200);
    EXPECT_EQ(first.matched, 2);
    EXPECT_EQ(first.anchors.size(), AnchorBudget::kAnchors + 2);
    EXPECT_EQ(positions(first, true), QList<qint32>({1100, 1101}));

    const QString longAnchor = QStringLiteral("<ol><a href=http://x/>") + QString(10000, u'x')
                               + QStringLiteral("www.shop.example</a><a href=http://y/>y</a></ol>");
    const PageAnalysis second = clsRanking::analysePage(engine(), longAnchor, kSite, first.counted, 0, budget);
    EXPECT_EQ(second.counted, 2);
    ASSERT_EQ(second.anchors.size(), 1);   // the match; the budget of first anchors is spent
    EXPECT_EQ(second.anchors[0].position, 1201);
    EXPECT_EQ(second.anchors[0].anchor.size(), AnchorBudget::kMaxAnchorChars);
    EXPECT_EQ(budget.matches, AnchorBudget::kMatches - 3);
}

// The search jumps between the places of a needle's first character that is no letter; it must
// find what the plain scan finds.
TEST(RankingSearchTest, FindsWhatThePlainScanFinds)
{
    const struct { const char *text, *needle; qsizetype from, at; } cases[] = {
        {"xx</a>", "</A>", 0, 2},        {"ab<b</A>", "</a>", 0, 4},    {"No Results here", "no results", 0, 0},
        {"a no  results", "NO RESULTS", 0, -1}, {"<A href=<a HREF=", "<a href=", 1, 8}, {"w.x.example", "x.EXAMPLE", 0, 2},
        {"abc", "abcd", 0, -1},          {"abc.", "c.", 3, -1},          {"zzz", "ZZ", 1, 1},
        {"only letters", "LETTERS", 0, 5}, {"x", "", 0, -1},             {"..", ".", -5, 0},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromLatin1(c.text);
        const QString needle = QString::fromLatin1(c.needle);
        EXPECT_EQ(RankingSearch::find(text, needle, c.from), c.at) << c.text << " / " << c.needle;
    }
}

} // namespace
