// The keyword builder's text steps: its engine from the ranking engine file, the site addresses
// of a result page and the keywords of a site page.
#include "RankingFixture.h"

#include "ranking/KeywordBuilderText.h"

using namespace Qt::StringLiterals;
using namespace KeywordBuilderText;

namespace {

KeywordBuilderEngine builder(qint16 numOfURLs = 10)
{
    KeywordBuilderEngine b;
    b.NumOfURLs = numOfURLs;
    b.engine.EngineURL = u"http://engine.example/"_s;
    b.engine.EngineKey = u"engine.example"_s;
    return b;
}

using KeywordEngineFile = RankingTest::Fixture;

} // namespace

TEST_F(KeywordEngineFile, ReadsTheNamedEngineAndRefusesAMissingCount)
{
    const struct {
        QByteArray text;
        bool corrupted;
        qint16 numOfURLs;
        QString engineURL;
    } cases[] = {
        {"[keywordbuilder]\r\nENGINE=Two\r\nNumOfURLs=7x\r\n[Two]\r\nEngineURL=http://two.example/\r\n"
         "ResultEndString=</ol>\r\nHREF_KEYWORD2=<A href=\r\n",
         false, 7, u"http://two.example/"_s},
        {"[KeywordBuilder]\r\nEngine=Absent\r\nNumOfURLs=3\r\n", false, 3, QString()},
        {"[KeywordBuilder]\r\nEngine=Two\r\nNumOfURLs=0\r\n[Two]\r\nEngineURL=http://two.example/\r\n", true, 0, QString()},
        {"[KeywordBuilder]\r\nEngine=Two\r\n", true, 0, QString()},
        {"[KeywordBuilder]\r\nNumOfURLs=99999\r\n", true, 0, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        env.writeFile(rankingEngineFilePath(), c.text);
        const KeywordBuilderEngine read = readKeywordBuilderEngine(rankingEngineFilePath());
        EXPECT_EQ(read.corrupted, c.corrupted);
        EXPECT_EQ(read.NumOfURLs, c.numOfURLs);
        EXPECT_EQ(read.engine.EngineURL, c.engineURL);
    }
    env.writeFile(rankingEngineFilePath(), cases[0].text);
    const KeywordBuilderEngine first = readKeywordBuilderEngine(rankingEngineFilePath());
    EXPECT_EQ(first.engine.ResultEndString, u"</ol>"_s);
    EXPECT_EQ(first.engine.HREF_KEYWORD2, u"<A href="_s);
    EXPECT_TRUE(readKeywordBuilderEngine(env.root() + u"/missing.dat"_s).corrupted);
}

TEST(KeywordBuilderText, AnchorsGiveCleanAddresses)
{
    const struct {
        QString anchor;
        QString address;
    } cases[] = {
        {u"<a href=http://s.example/>S</a>"_s, u"http://s.example/"_s},
        {u"<a href=\"http://s.example/p?q=1\" class=x>S</a>"_s, u"http://s.example/p?q=1"_s},
        {u"<a href='http://s.example/a'>S</a>"_s, u"http://s.example/a"_s},
        {u"<a href=http://s.example/a\r\n>S</a>"_s, u"http://s.example/a"_s},
        {u"<a href=/go?u=1>http://shown.example/</a>"_s, u"http://shown.example/"_s},
        {u"<a href=\"/local/page\">L</a>"_s, u"http://engine.example/local/page"_s},
        {u"<a href='rel'>L</a>"_s, u"http://engine.example/rel"_s},
        {u"<a name=x>no link</a>"_s, QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetURLName(c.anchor, u"http://engine.example/"_s), c.address) << c.anchor.toStdString();
    EXPECT_EQ(GetURLName(u"<a href=rel>"_s, u"http://engine.example"_s), u"http://engine.example/rel"_s);
}

TEST(KeywordBuilderText, ResultPagesGiveTheFirstKeptLinks)
{
    const QString block = u"<a href=http://one.example/>1</a><a href=http://engine.example/x>own</a>"
                          u"<a href=http://more.example/>more this site</a><a href=http://two.example/>2</a>"
                          u"<A HREF=http://upper.example/>U</A><a href=http://three.example/>3</a>"_s;
    const struct {
        const char *name;
        QString page;
        KeywordBuilderEngine engine;
        QStringList addresses;
    } cases[] = {
        {"default opener, skipped and upper-case anchors", block, builder(),
         {u"http://one.example/"_s, u"http://two.example/"_s, u"http://three.example/"_s}},
        {"at most NumOfURLs", block, builder(2), {u"http://one.example/"_s, u"http://two.example/"_s}},
        {"quoted opener when the page has no unquoted one",
         u"<a href=\"http://q.example/\">Q</a><a href=\"http://r.example\">R</a>"_s, builder(),
         {u"http://q.example/"_s, u"http://r.example"_s}},
        {"no anchor end", u"<a href=http://one.example/>1"_s, builder(), {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(getURL(c.engine, c.page), c.addresses) << c.name;

    KeywordBuilderEngine marked = builder();
    marked.engine.ResultStartString = u"<ol>"_s;
    marked.engine.ResultEndString = u"</ol>"_s;
    marked.engine.NoFoundString = u"No Results"_s;
    const QString page = u"<a href=http://before.example/>b</a><ol><a href=http://in.example/>i</a></ol>"
                         u"<a href=http://after.example/>a</a>"_s;
    EXPECT_EQ(getURL(marked, page), QStringList({u"http://in.example/"_s}));
    EXPECT_EQ(getURL(marked, QString(page + u"no results"_s)), QStringList());
    // Empty markers are never found: no end, no no-results text, no engine key.
    KeywordBuilderEngine unmarked = builder();
    unmarked.engine.EngineKey.clear();
    unmarked.engine.ResultStartString = u"<ol>"_s;
    EXPECT_EQ(getURL(unmarked, page),
              QStringList({u"http://in.example/"_s, u"http://after.example/"_s}));

    KeywordBuilderEngine second = builder();
    second.engine.HREF_KEYWORD1 = u"<li><a href="_s;
    second.engine.HREF_KEYWORD2 = u"<A HREF="_s;
    EXPECT_EQ(getURL(second, block), QStringList({u"http://upper.example/"_s}));
}

TEST(KeywordBuilderText, KeywordsAreTrimmedAndJoined)
{
    const QString page = u"<head><META NAME=\"Keywords\" CONTENT=\" seo , web,, promotion ,\r\n\">"_s;
    EXPECT_EQ(getKeywords(page, false), u"seo,web,promotion"_s);
    EXPECT_EQ(getKeywords(page, true), u"seo\r\nweb\r\npromotion"_s);
    EXPECT_EQ(getKeywords(u"<html>none</html>"_s, true), QString());
    EXPECT_EQ(getKeywords(u"<meta name=keywords content=\" , \">"_s, false), QString());
}

// What one site adds is bounded: whole keywords up to the bound, one longer keyword cut at it.
TEST(KeywordBuilderText, OneSiteAddsAtMostTheBound)
{
    const qsizetype bound = KeywordBuilderText::kMaxSiteKeywordChars;
    const QString word(bound / 4 - 1, u'k');   // four with their separators fill the bound exactly
    const auto page = [](const QString &content) -> QString { return u"<meta name=keywords content=\""_s + content + u"\">"_s; };
    const struct {
        QString content;
        bool onePerLine;
        QString kept;
    } cases[] = {
        {QString(bound, u'w'), false, QString(bound, u'w')},
        {QString(bound + 1, u'w') + u",next"_s, false, QString(bound, u'w')},
        {QStringList(4, word).join(u','), false, QStringList(4, word).join(u',')},
        {QStringList(5, word).join(u','), false, QStringList(4, word).join(u',')},
        {QStringList(5, word).join(u','), true, QStringList(3, word).join(u"\r\n"_s)},   // CR LF is two
        {u"a, "_s + QString(bound, u'w'), true, u"a"_s},
    };
    for (const auto &c : cases) {
        const QString kept = getKeywords(page(c.content), c.onePerLine);
        EXPECT_LE(kept.size(), bound);
        EXPECT_EQ(kept.size(), c.kept.size());
        EXPECT_TRUE(kept == c.kept);
    }
}
