// The optimizer report text: whole reports against the expected files in data/optimizer/
// (rewrite them with VELQUIST_REWRITE_EXPECTED=1 after an intended change and review the diff),
// the advice at each length threshold, the keyword marks, the notes, escaping and file names.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "pagetools/KeywordCounts.h"
#include "pagetools/OptimizerReport.h"
#include "platform/Codec1252.h"
#include "support/ExpectedFile.h"

using namespace Qt::StringLiterals;
using OptimizerReport::Credits;

namespace {

QString page(const QString &title, const QString &keywords, const QString &description, const QString &body)
{
    return u"<html><head><title>"_s + title + u"</title>\r\n<meta name=\"keywords\" content=\""_s + keywords
           + u"\">\r\n<meta name=\"description\" content=\""_s + description + u"\">\r\n</head><body>"_s + body
           + u"</body></html>"_s;
}

Credits credits(int logoPosition, const QString &logo = u"www.example.com/logo one.gif"_s)
{
    return {logo, logoPosition, u"Lee & Co"_s, u"lee@example.com"_s, u"https://www.example.com/"_s, u"Lee <Ann>"_s,
            u"http://127.0.0.1:9/tips.htm"_s};
}

QString report(const QString &html, const Credits &settings = credits(0))
{
    return OptimizerReport::reportText(u"http://www.example.com/"_s, html, settings);
}

QString expectedPath(const char *name)
{
    return QStringLiteral(VELQUIST_TEST_DATA_DIR "/optimizer/") + QString::fromLatin1(name);
}

} // namespace

// Rows with a leading blank and an empty element, marks at 2, 3, 8 and 9 matches, "SEO" found as
// "seo", a title that starts with a blank, a non-1252 character; logo on top, then at the bottom.
TEST(OptimizerReportText, WholeReportsAgainstExpectedFiles)
{
    const QString body = u"seo seo web design web design web design tools tools tools tools tools tools tools "
                         "tools plus plus plus plus plus plus plus plus plus \u03a9 and \u00e9 text"_s;
    const QString html = page(u" Widgets & more"_s, u"SEO, web design,,tools,plus,aa"_s, u"Blue widgets."_s,
                              body + u" aaaa"_s);
    const struct { const char *file; QString address; Credits settings; } cases[] = {
        {"report_local_logo_top.html", u"/home/u/site/index.htm"_s, credits(0)},
        {"report_web_logo_bottom.html", u"http://127.0.0.1:8080/shop/list.htm"_s, credits(1)},
    };
    for (const auto &c : cases) {
        const QString text = OptimizerReport::reportText(c.address, html, c.settings);
        EXPECT_TRUE(TestSupport::matchesExpectedFile(Platform::toAnsiHtml(text + u"\r\n"_s), expectedPath(c.file)))
            << c.file;
    }
    EXPECT_FALSE(report(html, credits(0, QString())).contains(u"<img"_s));
    EXPECT_FALSE(report(html, credits(1, QString())).contains(u"<img"_s));
}

TEST(OptimizerReportText, AdviceFollowsTheLengthThresholds)
{
    const struct { int keywords, description, title; const char *advice; bool present; } cases[] = {
        {349, 10, 10, "However, they are less than 35% of the permitted length", true},
        {350, 10, 10, "However, they are less than 35%", false},
        {350, 10, 10, "The keywords are 350 characters long, which is fine.", true},
        {1000, 10, 10, "The keywords are 1000 characters long, which is fine.", true},
        {1001, 10, 10, "The keywords are 1001 characters long, which is more than the permitted length.", true},
        {10, 200, 10, "The description tag is 200 characters long, which is fine.", true},
        {10, 201, 10, "The description is 201 characters long, which is more than the permitted length.", true},
        {10, 10, 300, "The title tag is 300 characters long, which is fine.", true},
        {10, 10, 301, "The title is 301 characters long, which is more than the permitted length. It should be no "
                      "longer than 200 characters.", true},
        {0, 0, 0, "No <META> keywords tag was found", true},
        {0, 0, 0, "No <META> description tag was found in the  <font", true},
        {0, 0, 0, "Do not submit your site before it has a title. ", true},
    };
    for (const auto &c : cases) {
        const QString html = page(QString(c.title, u't'), QString(c.keywords, u'k'), QString(c.description, u'd'),
                                  u"text"_s);
        EXPECT_EQ(report(html).contains(QString::fromLatin1(c.advice)), c.present)
            << c.keywords << " " << c.description << " " << c.title << " " << c.advice;
    }
}

TEST(OptimizerReportText, NotesMarksAndCounts)
{
    const QString commaNote = u"separated with commas rather than spaces."_s;
    const QString titleNote = u"should not start or end with a space or carriage return."_s;
    const struct { QString title, keywords; bool commaNoteShown, titleNoteShown; } notes[] = {
        {u"Widgets"_s, u"seo, web design,,tools"_s, false, false},
        {u"Widgets"_s, u"seo web design"_s, true, false},
        {u" Widgets"_s, u"a,b"_s, false, true},
        {u"\r\nWidgets"_s, u"a,b"_s, false, true},
        {u"\nWidgets"_s, u"a,b"_s, false, false},
    };
    for (const auto &c : notes) {
        const QString text = report(page(c.title, c.keywords, u"d"_s, u"x"_s));
        EXPECT_EQ(text.contains(commaNote), c.commaNoteShown) << c.keywords.toStdString();
        EXPECT_EQ(text.contains(titleNote), c.titleNoteShown) << c.title.toStdString();
    }
    const QString rows = report(page(u"t"_s, u"seo, web design,,tools"_s, u"d"_s, u"x"_s));
    EXPECT_EQ(rows.count(u"<tr bgcolor=#FFFFFF><td><font"_s), 3);
    EXPECT_TRUE(rows.contains(u"COLOR=#000000> web design</font>"_s));

    const struct { QString text, keyword; int matches; } counts[] = {
        {u"aaaa"_s, u"aa"_s, 2}, {u"SEO seo SeO"_s, u"seo"_s, 3}, {u"x"_s, u"y"_s, 0}, {QString(), u"y"_s, 0},
        {u"web design, webdesign"_s, u" design"_s, 1}, {u"\u00c9 \u00e9"_s, u"\u00e9"_s, 1},
    };
    for (const auto &c : counts)
        EXPECT_EQ(OptimizerReport::countMatches(c.text, c.keyword), c.matches) << c.text.toStdString();
}

// All keywords in one pass count as each alone would: keywords inside, around and overlapping
// one another, repeats, case variants and empty ones.
TEST(OptimizerReportText, KeywordsCountedTogetherAsEachAlone)
{
    const QStringList keywords = {u"he"_s, u"she"_s, u"his"_s, u"hers"_s, u"HE"_s, QString(), u"aa"_s,
                                  u"a"_s, u"aaa"_s, u"e h"_s, u"she"_s, u"x"_s, u"ushers she hishe aaaaa"_s};
    const QList<int> expected = {3, 3, 1, 1, 3, 0, 2, 4, 1, 1, 3, 0, 0};
    EXPECT_EQ(KeywordCounts::countAll(u"uSHers she hishe aaaa"_s, keywords), expected);
    EXPECT_EQ(KeywordCounts::countAll(QString(), keywords), QList<int>(keywords.size(), 0));
}

// The same on texts of few letters, where keywords nest, repeat with short periods and overlap
// themselves and one another: each keyword's count is the left-to-right count of it alone.
TEST(OptimizerReportText, KeywordsCountedTogetherAsEachAloneOnRepetitiveTexts)
{
    const auto alone = [](const QString &text, const QString &keyword) {
        int count = 0;
        for (qsizetype at = text.indexOf(keyword, 0, Qt::CaseInsensitive); at >= 0;
             at = text.indexOf(keyword, at + keyword.size(), Qt::CaseInsensitive))
            ++count;
        return count;
    };
    std::mt19937 random(20261209);
    const auto word = [&random](const char *letters, int length) {
        QString text;
        for (int i = 0; i < length; ++i)
            text += QLatin1Char(letters[random() % std::strlen(letters)]);
        return text;
    };
    QStringList nested;
    for (int k = 1; k <= 12; ++k)
        nested.append(QString(k, u'a'));
    for (int round = 0; round < 400; ++round) {
        // A keyword of period 3 whose next occurrence overlaps the last one of a stretch by one letter.
        const QString text = round == 0 ? u"aabaabaaabaabaabaaxaabaabaabaa"_s
                           : round % 4 == 0 ? word("aaab", int(random() % 80)) : word(round % 2 ? "ab" : "abcAB", int(random() % 80));
        QStringList keywords = nested;
        for (int k = 0; k < 12; ++k) {
            const int from = text.isEmpty() ? 0 : int(random() % text.size());
            keywords.append(k % 2 ? word("ab", 1 + int(random() % 7)) : text.mid(from, 1 + int(random() % 9)));
        }
        keywords.append({u"abab"_s, u"ababab"_s, u"aba"_s, u"abaab"_s, u"baabaab"_s, u"AAB"_s, u"aabaabaa"_s});
        const QList<int> counts = KeywordCounts::countAll(text, keywords);
        for (qsizetype k = 0; k < keywords.size(); ++k) {
            if (keywords[k].isEmpty())
                continue;
            ASSERT_EQ(counts[k], alone(text, keywords[k])) << text.toStdString() << " / " << keywords[k].toStdString();
        }
    }
}

// Page content is text in the report: no markup of the page reaches it.
TEST(OptimizerReportText, PageValuesAreEscaped)
{
    const QString text = report(page(u"<script>alert(1)</script>"_s, u"x<script"_s,
                                     u"<b onclick=y>"_s, u"<p>&lt;script&gt;</p>"_s));
    EXPECT_FALSE(text.contains(u"<script"_s, Qt::CaseInsensitive));
    EXPECT_TRUE(text.contains(u"&lt;script&gt;alert(1)&lt;/script&gt;"_s));
    EXPECT_TRUE(text.contains(u"COLOR=#0000ff>x&lt;script</font>"_s));
    EXPECT_TRUE(text.contains(u"&amp;lt;script&amp;gt;"_s));
}

TEST(OptimizerReportText, AddressesAndFileNames)
{
    const struct { QString typed, shown, file; } cases[] = {
        {u"example.com/x"_s, u"http://example.com/x"_s, u"example.com_x.html"_s},
        {u"HTTP://x.example"_s, u"HTTP://x.example"_s, u"x.example_.html"_s},
        {u"www.example.com"_s, u"http://www.example.com"_s, u"www.example.com_.html"_s},
        {u"www.example.com/shop/list.htm"_s, u"http://www.example.com/shop/list.htm"_s,
         u"www.example.com_shop_list.htm.html"_s},
        {u"127.0.0.1:8080/a?b=1"_s, u"http://127.0.0.1:8080/a?b=1"_s, u"127.0.0.1:8080_a?b=1.html"_s},
        {u"/site/index.htm"_s, u"/site/index.htm"_s, u"index.htm.html"_s},
        {u"C:\\site\\index.htm"_s, u"C:\\site\\index.htm"_s, u"index.htm.html"_s},
        {u"http://a\\b/c"_s, u"http://a\\b/c"_s, u"opimtizer.html"_s},
        {u"x.example/"_s + QString(300, u'p'), u"http://x.example/"_s + QString(300, u'p'), u"opimtizer.html"_s},
    };
    for (const auto &c : cases) {
        const QString shown = OptimizerReport::displayAddress(c.typed);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(OptimizerReport::reportFileName(shown), c.file) << c.typed.toStdString();
    }
}
