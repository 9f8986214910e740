// Whole report pages and failed-engine lists against the expected files in data/expected.
// Rewrite them with VELQUIST_REWRITE_EXPECTED=1 after an intended change, and review the diff.
#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>
#include <QStringList>

#include "SubmitFixture.h"
#include "platform/Codec1252.h"
#include "platform/CommandLine.h"
#include "submission/SubmitHttp.h"
#include "support/ExpectedFile.h"

using namespace Qt::StringLiterals;

namespace {

QString expectedPath(const char *name)
{
    return QStringLiteral(VELQUIST_TEST_DATA_DIR "/expected/") + QString::fromLatin1(name);
}

class ReportPages : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        siteFile = SubmitTest::writeSiteFile(env.programFolder() + u"Shop.vqs"_s,
                                             "Title=Shoes & Boots <for \"all\"> \x80 sale\r\n"
                                             "Keyword=shoes, boots & more\r\n"
                                             "Description=Walk <b>far</b> in comfort\r\n"
                                             "MainCategory=Shopping & Retail\r\nCategory=<Footwear>\r\n"
                                             "YourName=Ann O'Neil\r\nEmail=ann@shop.example\r\n"
                                             "Company=Lee & Co <Ltd>\r\n",
                                             {kUrl});
        settings.Name = u"Velq Team"_s;
        settings.Email = u"team@velq.example"_s;
        settings.Company = u"Velq & Partners"_s;
        settings.SiteURL = u"http://velq.example/?from=report&x=1"_s;
    }
    // Writes the report of the URL for engines with the given statuses; the page's bytes.
    QByteArray reportOf(const QList<std::pair<QString, int>> &results, const QString &url = kUrl)
    {
        clsSubmit run(settings, engines.lookup());
        return reportOf(run, results, url);
    }
    QByteArray reportOf(clsSubmit &run, const QList<std::pair<QString, int>> &results, const QString &url = kUrl)
    {
        QStringList names;
        for (const auto &result : results)
            names << result.first;
        run.setEngineNames(names);
        run.setWebDetails(url, siteFile);
        for (int k = 1; k <= run.NumOfEngines(); ++k) {
            run.engine(k).Status = results.at(k - 1).second;
            run.engine(k).Home = run.engine(k).Name.toLower().remove(u' ') + u".example/add?x=1&y=2"_s;
        }
        const QString path = run.CreateReport(url, siteFile);
        EXPECT_FALSE(path.isEmpty());
        return TestSupport::TestEnvironment::readFile(path);
    }
    static QByteArray failFileBytes() { return TestSupport::TestEnvironment::readFile(clsSubmit::failFile()); }

    // Every status code of a request, and codes no request gives, with names that need escaping.
    static QList<std::pair<QString, int>> everyStatus()
    {
        QList<std::pair<QString, int>> results;
        for (int status = -1; status <= 15; ++status)
            results.append({u"Engine %1"_s.arg(status), status});
        results.append({u"A&B <Search>"_s, SubmitHttp::kSuccess});
        results.append({u"\"Quoted\" Finder"_s, SubmitHttp::kServerError});
        results.append({u"Caf\u00e9 Links"_s, SubmitHttp::kFailed});
        results.append({u"Huge Code"_s, 1000});
        return results;
    }
    static QList<std::pair<QString, int>> twoEngines()
    {
        return {{u"Alpha"_s, SubmitHttp::kSuccess}, {u"Beta"_s, SubmitHttp::kSubmissionTimeout}};
    }

    static inline const QString kUrl = u"http://shop.example/boots.html?size=9&colour=\"red\"<b>"_s;
    SubmitSettings settings;
    SubmitTest::EngineTable engines;
    QString siteFile;
};

} // namespace

TEST_F(ReportPages, EveryStatusTextWithEscapedNamesAndSiteDetails)
{
    const QByteArray page = reportOf(everyStatus());
    EXPECT_TRUE(TestSupport::matchesExpectedFile(SubmitTest::withFixedDate(page), expectedPath("report_every_status.html")));
    EXPECT_TRUE(TestSupport::matchesExpectedFile(failFileBytes(), expectedPath("fail_every_status.eng")));
}

TEST_F(ReportPages, LinkSwitchChangesOnlyTheFailList)
{
    Platform::setCommandLineArguments({u"/U"_s});
    const QByteArray page = reportOf(everyStatus());
    EXPECT_TRUE(TestSupport::matchesExpectedFile(SubmitTest::withFixedDate(page), expectedPath("report_every_status.html")));
    EXPECT_TRUE(TestSupport::matchesExpectedFile(failFileBytes(), expectedPath("fail_every_status_links.eng")));
}

TEST_F(ReportPages, FailListOfARunHoldsEachEngineOnceAcrossUrls)
{
    clsSubmit run(settings, engines.lookup());
    run.setFailEngine();
    reportOf(run, {{u"Alpha"_s, SubmitHttp::kFailed}, {u"Beta"_s, SubmitHttp::kSuccess}, {u"alpha"_s, 4}});
    reportOf(run, {{u"Alpha"_s, SubmitHttp::kSuccess}, {u"Beta"_s, SubmitHttp::kServerFailure},
                   {u"Gamma"_s, SubmitHttp::kFailed}},
             u"http://shop.example/second.html"_s);
    EXPECT_TRUE(TestSupport::matchesExpectedFile(failFileBytes(), expectedPath("fail_two_urls.eng")));
}

// Engines a stopped run never sent stand in a table of their own, out of the failed-engine list;
// a run that sent nothing at all leaves the last run's list as it was.
TEST_F(ReportPages, AStoppedRunListsTheEnginesItNeverSentApart)
{
    const QByteArray oldList = "Old Engine\r\n";
    TestSupport::TestEnvironment::writeFile(clsSubmit::failFile(), oldList);
    clsSubmit stopped(settings, engines.lookup());
    stopped.setFailEngine();
    const QByteArray page = reportOf(stopped, {{u"Alpha"_s, SubmitHttp::kSuccess}, {u"Beta <b>"_s, SubmitHttp::kCancelled},
                                               {u"Gamma & Co"_s, SubmitHttp::kNotSent}, {u"Delta"_s, SubmitHttp::kNotSent}});
    EXPECT_TRUE(TestSupport::matchesExpectedFile(SubmitTest::withFixedDate(page), expectedPath("report_stopped.html")));
    EXPECT_EQ(failFileBytes(), QByteArray("Beta <b>\r\n"));
    EXPECT_EQ(stopped.notSentCount(), 2);

    TestSupport::TestEnvironment::writeFile(clsSubmit::failFile(), oldList);
    clsSubmit nothingSent(settings, engines.lookup());
    nothingSent.setFailEngine();
    EXPECT_TRUE(reportOf(nothingSent, {{u"Alpha"_s, SubmitHttp::kNotSent}}).contains("1. Alpha</font></td><td><font face=arial size=2>Not Sent"));
    EXPECT_EQ(failFileBytes(), oldList);
}

TEST_F(ReportPages, LogoAtTheTop)
{
    settings.LogoURL = u"logo.example/brand.gif?v=1&w=2"_s;
    settings.LogoPosition = 0;
    EXPECT_TRUE(TestSupport::matchesExpectedFile(SubmitTest::withFixedDate(reportOf(twoEngines())),
                                                 expectedPath("report_logo_top.html")));
}

TEST_F(ReportPages, LogoAboveTheFooter)
{
    settings.LogoURL = u"logo.example/brand.gif?v=1&w=2"_s;
    settings.LogoPosition = 1;
    EXPECT_TRUE(TestSupport::matchesExpectedFile(SubmitTest::withFixedDate(reportOf(twoEngines())),
                                                 expectedPath("report_logo_bottom.html")));
}

TEST_F(ReportPages, NoLogoNoUserDetailsAndAnEmptySiteFile)
{
    settings = SubmitSettings();
    TestSupport::TestEnvironment::writeFile(siteFile, "[Web Site Info]\r\n");
    EXPECT_TRUE(TestSupport::matchesExpectedFile(SubmitTest::withFixedDate(reportOf(twoEngines(), u"http://bare.example/"_s)),
                                                 expectedPath("report_bare.html")));
}

TEST_F(ReportPages, NoEnginesGivesEmptyTablesAndAnEmptyFailList)
{
    EXPECT_TRUE(TestSupport::matchesExpectedFile(SubmitTest::withFixedDate(reportOf({})), expectedPath("report_no_engines.html")));
    EXPECT_EQ(failFileBytes(), QByteArray());
}

TEST_F(ReportPages, UserDetailsWithSecureSiteAndSpacesInLinks)
{
    settings.Name = u"Zo\u00eb <Admin>"_s;
    settings.Email = u"zoe@velq.example"_s;
    settings.Company = u"Velq \"Ltd\""_s;
    settings.SiteURL = u"HTTPS://velq.example/our site"_s;
    settings.LogoURL = u"logo.example/my logo.gif"_s;
    settings.LogoPosition = 1;
    EXPECT_TRUE(TestSupport::matchesExpectedFile(SubmitTest::withFixedDate(reportOf(twoEngines())),
                                                 expectedPath("report_user_details.html")));
}

TEST_F(ReportPages, DateIsTodayInTheLongFormat)
{
    const QDate before = QDate::currentDate();
    const QByteArray date = SubmitTest::dateCell(reportOf(twoEngines()));
    const QDate after = QDate::currentDate();
    const auto longDate = [](QDate day) {
        return Platform::toAnsiHtml(QLocale::system().toString(day, QLocale::LongFormat).toHtmlEscaped());
    };
    EXPECT_FALSE(date.isEmpty());
    EXPECT_TRUE(date == longDate(before) || date == longDate(after)) << date.constData();
}
