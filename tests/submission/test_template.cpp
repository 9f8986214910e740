#include <gtest/gtest.h>

#include "SubmitFixture.h"
#include "submission/clsSubmit.h"

using namespace Qt::StringLiterals;
using SubmitTest::EngineTable;

namespace {

class TemplateFilling : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        siteFile = SubmitTest::writeSiteFile(env.programFolder() + u"Shop.vqs"_s,
                                             "Title=Best & Cheap Shop\r\n"
                                             "Keyword=red shoes\r\n"
                                             "Description=Fine shoes\r\n"
                                             "YourName=Ann Lee Smith\r\n"
                                             "Email=ann@shop.example\r\n"
                                             "Company=Lee+Co\r\n"
                                             "Country=Germany\r\n"
                                             "MainCategory=Arts Music\r\n"
                                             "Category=Business\r\n"
                                             "WebType=Personal\r\n"
                                             "[CustomEngineCategory]\r\n"
                                             "KestrelSpaceID=<spaceid>x\r\n"
                                             "Kestrel=Top > Sub\r\n",
                                             {u"http://shop.example/"_s});
    }
    QString fill(const QString &query, const std::function<void(clsEngines &)> &adjust = {})
    {
        clsEngines &engine = engines.add(u"Kestrel"_s, query);
        if (adjust)
            adjust(engine);
        clsSubmit run(settings, engines.lookup());
        run.setWebDetails(u"http://shop.example/a b"_s, siteFile);
        return run.getSubmitData(u"kestrel"_s);
    }

    EngineTable engines;
    SubmitSettings settings;
    QString siteFile;
};

} // namespace

TEST_F(TemplateFilling, TagsAreFilledEncodedAndUnknownTagsBecomeTheirNames)
{
    EXPECT_EQ(fill(u"a=<url>&b=<TITLE>&c=<foo>"_s),
              u"a=http%3A%2F%2Fshop.example%2Fa+b&b=Best+%26+Cheap+Shop&c=foo"_s);
    EXPECT_EQ(fill(u"k=<keywords>&k2=<Keyword>&d=<description>&e=<entryby><entryurl>"_s),
              u"k=red+shoes&k2=red+shoes&d=Fine+shoes&e="_s);
    EXPECT_EQ(fill(u"fixed=1"_s), QString());
}

TEST_F(TemplateFilling, ScanStopsAtEmptyBracketsOrAnOpenBracket)
{
    EXPECT_EQ(fill(u"a=<url>&b=<>&c=<title>"_s), u"a=http%3A%2F%2Fshop.example%2Fa+b&b=<>&c=<title>"_s);
    EXPECT_EQ(fill(u"a=<company>&b=<title"_s), u"a=Lee%2BCo&b=<title"_s);
}

TEST_F(TemplateFilling, InsertedValuesAreNeverReadAsTemplate)
{
    // The space id holds its own tag: the filling must end.
    EXPECT_EQ(fill(u"s=<spaceid>&t=<city>"_s), u"s=<spaceid>x&t="_s);
    EXPECT_EQ(fill(u"x=<a<b>&u=<url>"_s), u"x=a<b&u=http%3A%2F%2Fshop.example%2Fa+b"_s);
}

TEST_F(TemplateFilling, TitleLimitsAndCompanyInPlaceOfTitle)
{
    const auto ffa = [](int maxTitle) {
        return [maxTitle](clsEngines &e) { e.EngineType = u"ffa"_s; e.MaxTitle = maxTitle; };
    };
    EXPECT_EQ(fill(u"<title>"_s, ffa(0)), u"Best+%26+Cheap+Shop"_s);   // under 60
    EXPECT_EQ(fill(u"<title>"_s, ffa(4)), u"Best"_s);
    // A cut inside "%26" goes back before the "%".
    EXPECT_EQ(fill(u"<title>"_s, ffa(6)), u"Best+"_s);
    EXPECT_EQ(fill(u"<title>"_s, ffa(7)), u"Best+"_s);
    EXPECT_EQ(fill(u"<title>"_s, ffa(8)), u"Best+%26"_s);
    EXPECT_EQ(fill(u"<title>"_s, [](clsEngines &e) { e.Category = u"c"_s; }), u"Lee%2BCo"_s);
    EXPECT_EQ(fill(u"<keyword>|<description>"_s,
                   [](clsEngines &e) { e.MaxKeywords = 3; e.MaxDescriptions = 5; }),
              u"red|Fine+"_s);
}

TEST_F(TemplateFilling, FfaTitleIsCutAtSixtyUnlessTheEngineSaysMore)
{
    SubmitTest::writeSiteFile(siteFile, "Title=" + QByteArray(100, 't') + "\r\n", {u"http://x.example/"_s});
    EXPECT_EQ(fill(u"<title>"_s, [](clsEngines &e) { e.EngineType = u"FFA"_s; }).size(), 60);
    EXPECT_EQ(fill(u"<title>"_s, [](clsEngines &e) { e.EngineType = u"FFA"_s; e.MaxTitle = 100; }).size(), 100);
    EXPECT_EQ(fill(u"<title>"_s).size(), 100);
}

TEST_F(TemplateFilling, FirstAndLastNameSplitAtTheFirstEncodedSpace)
{
    EXPECT_EQ(fill(u"<firstname>/<lastname>/<fullname>"_s), u"Ann/Lee+Smith/Ann+Lee+Smith"_s);
    SubmitTest::writeSiteFile(siteFile, "YourName=Ann\r\n", {});
    EXPECT_EQ(fill(u"<firstname>/<lastname>"_s), u"Ann/Ann"_s);
    SubmitTest::writeSiteFile(siteFile, "YourName=A+B\r\n", {});
    EXPECT_EQ(fill(u"<firstname>/<lastname>"_s), u"A%2BB/A%2BB"_s);
}

TEST_F(TemplateFilling, BlockSpamPrefixesTheAddressOnlyForFfaEngines)
{
    settings.BlockSpam = true;
    EXPECT_EQ(fill(u"<email>"_s, [](clsEngines &e) { e.EngineType = u"FFA"_s; }), u"nospam_ann@shop.example"_s);
    EXPECT_EQ(fill(u"<email>"_s, [](clsEngines &e) { e.EngineType = u"Directory"_s; }), u"ann@shop.example"_s);
    settings.BlockSpam = false;
    EXPECT_EQ(fill(u"<email>"_s, [](clsEngines &e) { e.EngineType = u"FFA"_s; }), u"ann@shop.example"_s);
}

TEST_F(TemplateFilling, CategoriesCustomCategoryAndCountryCode)
{
    TestSupport::TestEnvironment::writeFile(env.programFolder() + u"country.vqs"_s,
                                            "[Country Name]\r\nGermany=DE\r\n[Country Code]\r\nDE=Germany\r\n");
    EXPECT_EQ(fill(u"c=<category>&s=<subcategory>"_s,
                   [](clsEngines &e) { e.CategoryData = u"Arts=1>Business=2 b>"_s; }),
              u"c=2+b&s=2+b"_s);
    EXPECT_EQ(fill(u"<customcategory>|<countrycode>|<country>|<webtype>"_s), u"Top+%3E+Sub|DE|Germany|Personal"_s);
    EXPECT_EQ(clsSubmit::getCountryName(u"DE"_s), u"Germany"_s);
    EXPECT_EQ(clsSubmit::getCountryCode(u"Atlantis"_s), QString());
}

TEST_F(TemplateFilling, MissingCountryFileGivesAnEmptyCodeWithoutMessage)
{
    EXPECT_EQ(fill(u"<countrycode>"_s), QString());
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST(SearchString, LooksValuesUpByLabelWithFallbacks)
{
    const QString list = u"Arts=1>Business=2>Martial Arts=3>"_s;
    EXPECT_EQ(clsSubmit::getSearchString(list, u"business"_s, u">"_s, QString()), u"2"_s);
    EXPECT_EQ(clsSubmit::getSearchString(list, u"Missing"_s, u">"_s, u"Arts Music"_s), u"1"_s);
    EXPECT_EQ(clsSubmit::getSearchString(list, u" Missing "_s, u">"_s, QString()), u"Missing"_s);
    EXPECT_EQ(clsSubmit::getSearchString(list, QString(), u">"_s, QString()), u"1"_s);
    // A key found only inside a value gives the key itself.
    EXPECT_EQ(clsSubmit::getSearchString(list, u"3"_s, u">"_s, QString()), u"3"_s);
    // " Arts" gives the empty probe, which matches at the start.
    EXPECT_EQ(clsSubmit::getSearchString(u"X=9>Y=8>"_s, u"none"_s, u">"_s, u" Arts"_s), u"9"_s);
    EXPECT_EQ(clsSubmit::getSearchString(u"X=9>Other=7>"_s, u"none"_s, u">"_s, QString()), u"7"_s);
    EXPECT_EQ(clsSubmit::getSearchString(QString(), u" key "_s, u">"_s, QString()), u" key "_s);
    EXPECT_EQ(clsSubmit::getSearchString(u"Art=  5  >"_s, u"Art"_s, u">"_s, QString()), u"5"_s);
}

TEST_F(TemplateFilling, EachUrlStartsWithEveryEngineUnserved)
{
    clsSubmit run(settings, engines.lookup());
    run.setEngineNames({u"A"_s, u"B"_s});
    run.engine(1).Status = 2;
    run.engine(1).Home = u"a.example"_s;
    run.setWebDetails(u"http://shop.example/"_s, siteFile);
    EXPECT_EQ(run.engine(1).Status, 0);
    EXPECT_TRUE(run.engine(1).Home.isEmpty());
    EXPECT_EQ(run.engine(2).Name, u"B"_s);
}

TEST_F(TemplateFilling, UnknownEngineGivesNoData)
{
    clsSubmit run(settings, engines.lookup());
    run.setWebDetails(u"http://shop.example/"_s, siteFile);
    EXPECT_EQ(run.getSubmitData(u"Nobody"_s), QString());
}
