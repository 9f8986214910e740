// Reading HTML: the file reader's sections and the extraction of keywords, description, title
// and visible text.
#include "support/TestEnvironment.h"

#include "core/modCommonHtml.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;
using TestSupport::TestEnvironment;
using TestSupport::VelquistTest;

namespace {

struct Retrieved {
    QString keywords = u"K?"_s;
    QString description = u"D?"_s;
    QString title = u"T?"_s;
    QString text;
};

Retrieved retrieve(const QString &html)
{
    Retrieved r;
    modCommon::retrieveMetaTag(html, r.keywords, r.description, r.title, r.text);
    return r;
}

class HtmlFileReader : public VelquistTest {
protected:
    QString page(const QByteArray &bytes)
    {
        const QString path = env.programFolder() + u"page.htm"_s;
        TestEnvironment::writeFile(path, bytes);
        return path;
    }
};

} // namespace

TEST_F(HtmlFileReader, ReturnsWholeFileHeadOrBody)
{
    const QString path = page("<html><HEAD><title>\xc3\xa9</title></HEAD>\r\n<BODY bgcolor=x>Hi</body></html>");
    EXPECT_EQ(modCommon::readHTMLFile(path, 0),
              QString::fromLatin1("<html><HEAD><title>\xc3\xa9</title></HEAD>\r\n<BODY bgcolor=x>Hi</body></html>"));
    EXPECT_EQ(modCommon::readHTMLFile(path, 1), QString::fromLatin1("<HEAD><title>\xc3\xa9</title></HEAD>"));
    EXPECT_EQ(modCommon::readHTMLFile(path, 2), u"<BODY bgcolor=x>Hi</body>"_s);
    EXPECT_EQ(modCommon::readHTMLFile(path, 3), QString());
}

TEST_F(HtmlFileReader, MissingOrMisplacedEndTagGivesEmptyText)
{
    EXPECT_EQ(modCommon::readHTMLFile(page("<head><title>x</title><body>y"), 1), QString());
    EXPECT_EQ(modCommon::readHTMLFile(page("<head><title>x</title><body>y"), 2), QString());
    // An end tag before its start tag does not count.
    EXPECT_EQ(modCommon::readHTMLFile(page("</head>x<head>y</head>"), 1), u"<head>y</head>"_s);
    EXPECT_EQ(modCommon::readHTMLFile(page("</head>x<head>y"), 1), QString());
}

TEST_F(HtmlFileReader, EmptyPathIsSilentAndMissingFileIsReported)
{
    EXPECT_EQ(modCommon::readHTMLFile(QString(), 0), QString());
    EXPECT_TRUE(env.dialogs.shown().isEmpty());

    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_EQ(modCommon::readHTMLFile(env.programFolder() + u"gone.htm"_s, 1), QString());
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.endsWith(
        u"\r\nOpen HTML file error. Please make sure the file is not open by other program and try again."_s));
    EXPECT_EQ(env.dialogs.shown()[0].title, u"Error"_s);
}

// A file over the page cap is refused before any of it is held: sparse files, so that the 3 GiB
// one takes no disk and would take its size in memory if it were read.
TEST_F(HtmlFileReader, FileOverThePageCapIsRefusedWithTheBoxAndLeftAsItWas)
{
    const QString path = env.programFolder() + u"big.htm"_s;
    const QString tooLarge = u"The file is larger than 8388608 bytes.\r\n"_s;
    for (const qint64 size : {modCommon::kMaxHtmlFileBytes + 1, qint64(3) << 30}) {
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
        }
        env.dialogs.clearLog();
        for (int i = 0; i < 3; ++i)
            env.dialogs.answerMessage(Platform::Ok);
        EXPECT_EQ(modCommon::readHTMLFile(path, modCommon::HeadPart), QString());
        EXPECT_FALSE(modCommon::insertedMetaTags(path, u"t"_s, u"k"_s, u"d"_s));
        EXPECT_FALSE(modCommon::replacedMetaTags(path, u"t"_s, u"k"_s, u"d"_s));
        const QStringList prompts = env.dialogs.prompts();
        ASSERT_EQ(prompts.size(), 3) << size;
        EXPECT_TRUE(prompts[0].startsWith(tooLarge + u"Open HTML file error."_s)) << prompts[0].toStdString();
        EXPECT_EQ(prompts[1], u"Module: insertMetaTag\r\n"_s + tooLarge.chopped(2));
        EXPECT_EQ(prompts[2], u"Module: replaceMetaTag\r\n"_s + tooLarge.chopped(2));
        EXPECT_EQ(QFileInfo(path).size(), size);
    }
    // At the cap the file is read.
    TestEnvironment::writeFile(path, "<head>" + QByteArray(modCommon::kMaxHtmlFileBytes - 13, 'x') + "</head>");
    EXPECT_EQ(modCommon::readHTMLFile(path, modCommon::HeadPart).size(), modCommon::kMaxHtmlFileBytes);
}

TEST(RetrieveMetaTag, VisibleTextBetweenTagsOnly)
{
    EXPECT_EQ(retrieve(u"<p>Hi</p>"_s).text, u"Hi"_s);
    EXPECT_EQ(retrieve(u"before<p>inside</p>after"_s).text, u"inside"_s);
    EXPECT_EQ(retrieve(u"<p> a\r\nb </p><br>  <p>c</p>"_s).text, u"a b   c"_s);
}

TEST(RetrieveMetaTag, ScriptBlocksAndTitleTextAreNotCollected)
{
    const Retrieved r = retrieve(u"<p>x<script type=a>var s='<b>y</b>';</SCRIPT>skipped<p>z</p>"
                                 "<title>T</title>w<i>"_s);
    EXPECT_EQ(r.text, u"xz"_s);
    // A script without its end tag hides the rest of the page.
    EXPECT_EQ(retrieve(u"<p>a</p>b<script>c<p>d</p>"_s).text, u"ab"_s);
}

TEST(RetrieveMetaTag, MetaContentsInEveryQuotingStyle)
{
    Retrieved r = retrieve(u"<meta name=\"description\" content=\"d\" ><META NAME=KEYWORDS CONTENT=a,b>"_s);
    EXPECT_EQ(r.description, u"d"_s);
    EXPECT_EQ(r.keywords, u"a,b"_s);

    r = retrieve(u"<meta name='keywords' content='a b'><meta name=description content=\" d \" />"_s);
    EXPECT_EQ(r.keywords, u"a b"_s);
    EXPECT_EQ(r.description, u" d "_s);
}

TEST(RetrieveMetaTag, OutArgumentsKeptWhenNothingIsFound)
{
    const Retrieved r = retrieve(u"<html><meta name=keywords><meta name=description content></html>"_s);
    EXPECT_EQ(r.keywords, u"K?"_s);
    EXPECT_EQ(r.description, u"D?"_s);
    EXPECT_EQ(r.title, u"T?"_s);
}

TEST(RetrieveMetaTag, TitleIsTakenAsIs)
{
    EXPECT_EQ(retrieve(u"<TITLE> T\r\nU </title>"_s).title, u" T\r\nU "_s);
    EXPECT_EQ(retrieve(u"</title>x<title>Y</title>"_s).title, u"Y"_s);
    EXPECT_EQ(retrieve(u"<title>no end"_s).title, u"T?"_s);
}

TEST(RetrieveMetaTag, LargePageIsReadInOnePass)
{
    QString html;
    for (int i = 0; i < 200000; ++i)
        html += u"<b>w</b>"_s;
    const Retrieved r = retrieve(html + u"<meta name=keywords content=k>"_s);
    EXPECT_EQ(r.text.size(), 200000);
    EXPECT_EQ(r.keywords, u"k"_s);
}
