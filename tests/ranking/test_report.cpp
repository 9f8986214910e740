// The ranking report: whole pages against the expected files in data/ (rewrite them with
// VELQUIST_REWRITE_EXPECTED=1 after an intended change, and review the diff), result anchors
// of saved pages as links of our own, the saved page names and the file write.
#include <gtest/gtest.h>

#include "RankingFixture.h"
#include "ranking/RankingProfiles.h"
#include "ranking/RankingReport.h"
#include "ranking/RankingRunRecord.h"
#include "support/ExpectedFile.h"
#include "support/FailingWrites.h"

using namespace Qt::StringLiterals;
using RankingReport::EngineRow;

namespace {

EngineRow row(bool ticked, const QString &name, const QString &engineURL)
{
    EngineRow engineRow;
    engineRow.ticked = ticked;
    engineRow.engine.name = name;
    engineRow.engine.EngineURL = engineURL;
    return engineRow;
}

PageAnalysis page(QList<RankedAnchor> anchors, bool noDocuments = false)
{
    PageAnalysis analysis;
    analysis.anchors = std::move(anchors);
    analysis.noDocuments = noDocuments;
    return analysis;
}

class RankingReportTest : public RankingTest::Fixture {
protected:
    void SetUp() override
    {
        RankingTest::Fixture::SetUp();
        input.site = u"www.shop.example/?a=1&b=2 x"_s;
        input.keywords = u"a<b & \"c\" \u20ac \u03a9"_s;
        input.pageLinks = u"2"_s;
        input.dateText = u"(date created)"_s;
        input.credits = {u"logo.example/my logo.png"_s, 0,       u"Lee & Co <Ltd>"_s,
                         u"HTTPS://me.example/?a=1&b=2"_s, u"me@me.example"_s, u"Ann <Admin>"_s};
        EngineRow alpha = row(true, u"Alpha Search"_s, u"http://user@search.alpha.example:8080/cgi-bin/q?x=1"_s);
        alpha.pages = u"2"_s;
        alpha.position = u"4"_s;
        alpha.status = u"Completed"_s;
        alpha.savedPages = {
            page({{1, u"<a href=\"http://one.example/\">One &amp; only</A>"_s, false},
                  {2, u"<a href=\"http://two.example/\" onclick=\"steal()\">Two <b>bold</b></A>"_s, false}}),
            page({{3, u"<a href=javascript:alert(1)>Three</A>"_s, false},
                  {4, u"<a href=\"http://www.shop.example/\" onmouseover=\"x()\"><script>y()</script>Shop</A>"_s, true}})};
        EngineRow gamma = row(true, u"Gamma & <Co>"_s, u"https://gamma.example/search"_s);
        gamma.pages = u"1"_s;
        gamma.savedPages = {page({}, true)};
        EngineRow delta = row(true, u"Delta"_s, u"javascript:alert(1)"_s);
        delta.pages = u"0"_s;
        input.rows = {alpha, row(false, u"Beta"_s, u"http://beta.example/"_s), gamma, delta};
    }
    QString reportPath() const { return env.programFolder() + u"Shop.html"_s; }
    // The bytes the report file holds after writing the report of `input`.
    QByteArray written()
    {
        EXPECT_TRUE(RankingReport::writeReport(reportPath(), RankingReport::reportText(input)));
        return TestSupport::TestEnvironment::readFile(reportPath());
    }
    static QString expectedPath(const char *name)
    {
        return QStringLiteral(VELQUIST_TEST_DATA_DIR "/") + QString::fromLatin1(name);
    }

    RankingReport::Input input;
};

// Escaped text everywhere, a top logo, an https site, links, colours over all list rows, the
// "Not Found" and "Please select" cells, and a character without a Windows-1252 byte.
TEST_F(RankingReportTest, WholePageWithLogoOnTop)
{
    EXPECT_TRUE(TestSupport::matchesExpectedFile(written(), expectedPath("report_logo_top.html")));
}

TEST_F(RankingReportTest, WholePageWithLogoAtTheBottomAndNoCompany)
{
    input.credits.LogoPosition = 1;
    input.credits.Company.clear();
    input.credits.SiteURL = u"http://me.example"_s;
    input.pagesMode = false;
    input.pageLinks = u"30"_s;
    input.site = u"HTTPS://www.shop.example"_s;
    input.rows.resize(1);
    EXPECT_TRUE(TestSupport::matchesExpectedFile(written(), expectedPath("report_logo_bottom.html")));
}

TEST_F(RankingReportTest, CompanyWithoutSiteIsNotLinkedAndNoLogoShowsNoImage)
{
    input.credits.SiteURL.clear();
    input.credits.LogoURL.clear();
    const QString text = RankingReport::reportText(input);
    EXPECT_TRUE(text.contains(u"Provided By:</font></b></td><td><font face=arial size=2>Lee &amp; Co &lt;Ltd&gt;</font></td><tr>"_s));
    EXPECT_FALSE(text.contains(u"<img"_s));
}

TEST_F(RankingReportTest, NothingOfASavedPageButAddressAndTextReachesTheReport)
{
    const QString text = RankingReport::reportText(input);
    for (const QString &unsafe : {u"onclick"_s, u"onmouseover"_s, u"<script"_s, u"javascript:"_s, u"<b>bold"_s})
        EXPECT_FALSE(text.contains(unsafe, Qt::CaseInsensitive)) << unsafe.toStdString();
}

TEST_F(RankingReportTest, ResultAnchorsBecomeLinksOfOurOwn)
{
    const struct {
        QString anchor;
        QString link;
    } cases[] = {
        {u"<a href=\"http://x.example/p?a=1&amp;b=2\" onclick=\"steal()\">Best <b>shoes</b> &amp; more</A>"_s,
         u"<a href=\"http://x.example/p?a=1&amp;b=2\">Best shoes &amp; more</a>"_s},
        {u"<a href=\"javascript:alert(1)\">Click &lt;me&gt;</A>"_s, u"Click &lt;me&gt;"_s},
        {u"<a href=\"ftp://files.example/\">Files</A>"_s, u"Files"_s},
        {u"<a data-href=\"http://bad.example/\" HREF='HTTPS://good.example/'>G</a>"_s,
         u"<a href=\"HTTPS://good.example/\">G</a>"_s},
        {u"<a href=http://img.example/x><img src=x onerror=alert(1)></A>"_s,
         u"<a href=\"http://img.example/x\">http://img.example/x</a>"_s},
        {u"<a href=http://q.example/\"onmouseover=alert(1)>Q\r\n  R</A>"_s,
         u"<a href=\"http://q.example/&quot;onmouseover=alert(1)\">Q R</a>"_s},
        {u"<a href=\"http://cut.example/"_s, u"<a href=\"http://cut.example/\">http://cut.example/</a>"_s},
    };
    for (const auto &c : cases) {
        EngineRow engine = row(true, u"E"_s, u"http://e.example/"_s);
        engine.savedPages = {page({{1, c.anchor, false}})};
        input.rows = {engine};
        EXPECT_TRUE(RankingReport::reportText(input).contains(u"<br><br><li>"_s + c.link + u"<br>\r\n</ol>"_s))
            << c.anchor.toStdString();
    }
}

// A page name is no profile's report name ("<profile>.html") and no other engine's page name.
TEST_F(RankingReportTest, SavedPageNames)
{
    const struct {
        QString engine;
        qint64 page;
        QString name;
    } cases[] = {
        {u"Alpha Search"_s, 1, u"Alpha Search[1].html"_s},
        {u"Web"_s, 11, u"Web[11].html"_s},
        {u"Web1"_s, 1, u"Web1[1].html"_s},
        {u"A/B\\C\tD\u007f[x]%"_s, 12, u"A%2FB%5CC%09D%7F%5Bx%5D%25[12].html"_s},
        {u".."_s, 2, u"..[2].html"_s},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(RankingReport::savedPageName(c.engine, c.page), c.name);
        EXPECT_FALSE(RankingProfiles::validName(c.name.chopped(5))) << c.name.toStdString();
    }
}

TEST_F(RankingReportTest, FailedWriteKeepsTheOldReport)
{
    const QByteArray before = written();
    input.keywords = u"other"_s;
    TestSupport::FailingWrites failing;
    EXPECT_FALSE(RankingReport::writeReport(reportPath(), RankingReport::reportText(input)));
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(reportPath()), before);
}

// The run record reads back what it wrote; a record the program did not finish, or one edited
// by hand, reads as engines cancelled with no page, never as pages of a run that did not save them.
TEST_F(RankingReportTest, TheRunRecordReadsBackAndBrokenRecordsReadSafely)
{
    const QString folder = env.programFolder();
    EXPECT_FALSE(RankingRunRecord::read(folder));
    const QList<RankingRunRecord::EngineEnd> ends = {
        {u"Alpha Search"_s, u"Completed"_s, 3}, {u"Beta = B"_s, u"Failed"_s, 1}, {u"Gamma"_s, u"Cancelled"_s, 0}};
    ASSERT_TRUE(RankingRunRecord::write(folder, ends));
    const std::optional<QList<RankingRunRecord::EngineEnd>> read = RankingRunRecord::read(folder);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 3);
    for (qsizetype i = 0; i < 3; ++i)
        EXPECT_TRUE((*read)[i].name == ends[i].name && (*read)[i].status == ends[i].status && (*read)[i].pages == ends[i].pages);
    EXPECT_EQ(RankingRunRecord::find(*read, u"beta = b"_s), &(*read)[1]);
    EXPECT_FALSE(RankingRunRecord::find(*read, u"Delta"_s));

    const struct {
        QByteArray text;
        QString statuses;   // "name:status:pages" of each engine read
    } cases[] = {
        {"[Run]\r\nEngines=1\r\n[Engine1]\r\nName=A\r\nStatus=Running\r\nPages=4\r\n", u"A:Cancelled:0"_s},
        {"[Run]\r\nEngines=3\r\n[Engine1]\r\nName=A\r\nStatus=Completed\r\nPages=-2\r\n", u"A:Completed:0"_s},
        {"[Run]\r\nEngines=x\r\n[Engine1]\r\nName=A\r\n", QString()},
        {"", QString()},
        {QByteArray("\0\xff[Run\r\n", 8), QString()},
    };
    for (const auto &c : cases) {
        TestSupport::TestEnvironment::writeFile(folder + QLatin1String(RankingRunRecord::kFileName), c.text);
        QStringList statuses;
        for (const RankingRunRecord::EngineEnd &end : RankingRunRecord::read(folder).value_or(QList<RankingRunRecord::EngineEnd>()))
            statuses.append(end.name + u':' + end.status + u':' + QString::number(end.pages));
        EXPECT_EQ(statuses.join(u' '), c.statuses) << c.text.toStdString();
    }
}

} // namespace
