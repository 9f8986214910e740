// Meta-tag editing of local HTML files: exact results on a folder of sample pages, bytes outside
// the edited spots kept, and the failure cases.
#include "support/TestEnvironment.h"

#include "core/modCommonHtml.h"
#include "platform/Codec1252.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;
using TestSupport::TestEnvironment;
using TestSupport::VelquistTest;

namespace {

const QByteArray kKeywordsTag = "<meta name=\"keywords\" content=\"x\">";
const QByteArray kDescriptionTag = "<meta name=\"description\" content=\"d\">";

class MetaTagFiles : public VelquistTest {
protected:
    // A copy of the sample page in the test's own folder.
    QString sample(const QString &name)
    {
        const QString target = env.programFolder() + name;
        QFile::remove(target);
        EXPECT_TRUE(QFile::copy(QStringLiteral(VELQUIST_TEST_DATA_DIR "/metatag/") + name, target));
        QFile(target).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return target;
    }
    QString page(const QByteArray &bytes, const QString &name = QStringLiteral("page.htm"))
    {
        const QString target = env.programFolder() + name;
        TestEnvironment::writeFile(target, bytes);
        return target;
    }
    static QByteArray bytesOf(const QString &path) { return TestEnvironment::readFile(path); }
    static QByteArray originalOf(const QString &name)
    {
        return TestEnvironment::readFile(QStringLiteral(VELQUIST_TEST_DATA_DIR "/metatag/") + name);
    }
    void insert(const QString &path) { modCommon::insertMetaTag(path, u"New"_s, u"x"_s, u"d"_s); }
    void replace(const QString &path) { modCommon::replaceMetaTag(path, u"New"_s, u"x"_s, u"d"_s); }
};

// Whether `small` can be read out of `big` in order by leaving characters out.
bool isSubsequence(const QByteArray &small, const QByteArray &big)
{
    qsizetype at = 0;
    for (char c : small) {
        at = big.indexOf(c, at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

} // namespace

TEST_F(MetaTagFiles, InsertIntoLowerCasePageAddsMissingDescriptionAndPrefixesTheRest)
{
    const QString file = sample(u"lower.htm"_s);
    insert(file);
    EXPECT_EQ(bytesOf(file),
              "<html>\r\n<head>" + kDescriptionTag + "\r\n\r\n<title>NewShop</title>\r\n"
              "<meta name=\"keywords\" content=\"xa,b\">\r\n</head>\r\n<body>Hi</body>\r\n</html>\r\n\r\n");
}

TEST_F(MetaTagFiles, ReplaceOnLowerCasePageSwapsTagsAndTitle)
{
    const QString file = sample(u"lower.htm"_s);
    replace(file);
    EXPECT_EQ(bytesOf(file), "<html>\r\n<head>\r\n" + kKeywordsTag + "\r\n" + kDescriptionTag
                                 + "\r\n<title>New</title>\r\n\r\n</head>\r\n<body>Hi</body>\r\n</html>\r\n\r\n");
}

TEST_F(MetaTagFiles, InsertTwiceStacksTheNewTextInFront)
{
    const QString file = sample(u"lower.htm"_s);
    insert(file);
    insert(file);
    const QByteArray result = bytesOf(file);
    EXPECT_TRUE(result.contains("<title>NewNewShop</title>"));
    EXPECT_TRUE(result.contains("content=\"xxa,b\""));
    EXPECT_TRUE(result.contains("content=\"dd\""));
    EXPECT_EQ(result.count("<meta name=\"description\""), 1);
    EXPECT_TRUE(result.endsWith("</html>\r\n\r\n\r\n"));
}

TEST_F(MetaTagFiles, UpperCaseUnquotedAndSingleQuotedTagsKeepEveryOtherByte)
{
    const QString file = sample(u"upper.htm"_s);
    insert(file);
    EXPECT_EQ(bytesOf(file),
              "<HTML>\r\n<HEAD>\r\n<TITLE>NewCaf\xc3\xa9</TITLE>\r\n<META NAME=KEYWORDS CONTENT=x,a,b>\r\n"
              "<META NAME='description' CONTENT='dold text'>\r\n</HEAD>\r\n<BODY BGCOLOR=white>\r\n"
              "\xe2\x82\xac \xff\x80\x81\r\n</BODY>\r\n</HTML>\r\n");

    const QString again = sample(u"upper.htm"_s);
    replace(again);
    EXPECT_EQ(bytesOf(again),
              "<HTML>\r\n<HEAD>\r\n" + kKeywordsTag + "\r\n" + kDescriptionTag
                  + "\r\n<TITLE>New</TITLE>\r\n\r\n\r\n</HEAD>\r\n<BODY BGCOLOR=white>\r\n"
                    "\xe2\x82\xac \xff\x80\x81\r\n</BODY>\r\n</HTML>\r\n");
}

TEST_F(MetaTagFiles, PageWithoutHeadGetsAHeadBlockAfterHtml)
{
    const QString file = sample(u"nohead.htm"_s);
    insert(file);
    EXPECT_EQ(bytesOf(file), "<html><head><title>New</title>\r\n" + kKeywordsTag + "\r\n" + kDescriptionTag
                                 + "\r\n</head>\n<body>\xc3\xa4\xc3\xb6 \xf0\x9f\x98\x80</body>\n</html>\n\r\n");

    const QString again = sample(u"nohead.htm"_s);
    replace(again);
    EXPECT_EQ(bytesOf(again), "<html><head>\r\n" + kKeywordsTag + "\r\n" + kDescriptionTag
                                  + "\r\n</head>\n<body>\xc3\xa4\xc3\xb6 \xf0\x9f\x98\x80</body>\n</html>\n\r\n");
}

TEST_F(MetaTagFiles, PageWithNeitherHeadNorHtml)
{
    const QString file = sample(u"plain.htm"_s);
    insert(file);
    EXPECT_EQ(bytesOf(file), originalOf(u"plain.htm"_s) + "\r\n");

    const QString again = sample(u"plain.htm"_s);
    replace(again);
    EXPECT_EQ(bytesOf(again), "<head>\r\n" + kKeywordsTag + "\r\n" + kDescriptionTag + "\r\n</head>"
                                  + originalOf(u"plain.htm"_s) + "\r\n");
}

TEST_F(MetaTagFiles, HeadAndHtmlWithAttributesCountAsMissing)
{
    const QString file = sample(u"headattr.htm"_s);
    insert(file);
    EXPECT_EQ(bytesOf(file), originalOf(u"headattr.htm"_s) + "\r\n");

    const QString again = sample(u"headattr.htm"_s);
    replace(again);
    QByteArray expected = originalOf(u"headattr.htm"_s);
    expected.replace("<title>T</title>", "<title>New</title>");
    EXPECT_EQ(bytesOf(again),
              "<head>\r\n" + kKeywordsTag + "\r\n" + kDescriptionTag + "\r\n</head>" + expected + "\r\n");
}

TEST_F(MetaTagFiles, InsertEditsOnlyTheContentOfItsOwnTag)
{
    const QString file = sample(u"mixed.htm"_s);
    insert(file);
    EXPECT_EQ(bytesOf(file), "<head><title>New</title><meta name=keywords content=x,a,b>"
                             "<meta name=\"description\" content=\"dold\"></head><body>x</body>\r\n");

    const QString again = sample(u"mixed.htm"_s);
    replace(again);
    EXPECT_EQ(bytesOf(again), "<head>\r\n" + kKeywordsTag + "\r\n" + kDescriptionTag + "</head><body>x</body>\r\n");
}

TEST_F(MetaTagFiles, EverySampleKeepsItsBytesThroughInsertAndItsBodyThroughReplace)
{
    const QStringList names = QDir(QStringLiteral(VELQUIST_TEST_DATA_DIR "/metatag")).entryList(QDir::Files);
    ASSERT_GE(names.size(), 6);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray original = originalOf(name);
        const QString file = sample(name);
        insert(file);
        EXPECT_TRUE(isSubsequence(original, bytesOf(file)));

        const QString again = sample(name);
        replace(again);
        const qsizetype body = modCommon::indexOfNoCase(Platform::fromAnsi(original), u"<body");
        if (body >= 0) {
            const QByteArray tail = original.mid(body) + QByteArray("\r\n");
            EXPECT_TRUE(bytesOf(again).endsWith(tail));
        }
    }
}

TEST_F(MetaTagFiles, KeywordsTagWithoutContentIsMarkedButNotEdited)
{
    const QString file = page("<head><meta name=keywords><meta name=description content=\"old\"></head>");
    insert(file);
    EXPECT_EQ(bytesOf(file), "<head><title>New</title><meta name=keywords>"
                             "<meta name=description content=\"dold\"></head>\r\n");
}

TEST_F(MetaTagFiles, EmptyDescriptionStillAddsCommaToUnquotedContent)
{
    const QString file = page("<head><title></title><meta name=description content=old></head>");
    modCommon::insertMetaTag(file, u"T"_s, u"k"_s, QString());
    EXPECT_TRUE(bytesOf(file).contains("<meta name=description content=,old>"));
}

TEST_F(MetaTagFiles, InsertedTextThatLooksLikeATagIsNotEditedAgain)
{
    const QString file = page("<head><b><meta name=\"keywords\" content=\"a\"></head>");
    modCommon::insertMetaTag(file, u"T"_s, u"<meta name=keywords content=\""_s, u"d"_s);
    const QByteArray result = bytesOf(file);
    EXPECT_EQ(result.count("<meta name=keywords content=\""), 1);
    EXPECT_TRUE(result.contains("content=\"<meta name=keywords content=\"a\">"));
}

TEST_F(MetaTagFiles, ReplaceRemovesEveryKeywordsTagInAnyCase)
{
    const QString file = page("<html><head><META NAME=KEYWORDS CONTENT=one><meta name=\"keywords\" content=\"two\">"
                              "<Meta Name=Description Content=three></head><body></body></html>");
    replace(file);
    const QByteArray result = bytesOf(file);
    EXPECT_EQ(result, "<html><head>\r\n" + kKeywordsTag + "\r\n" + kDescriptionTag + "</head><body></body></html>\r\n");
}

TEST_F(MetaTagFiles, ReplaceScanEndsAfterATagMentioningBody)
{
    const QString file = page("<head><meta name=description content=\"somebody\"><meta name=keywords content=k></head>");
    replace(file);
    EXPECT_EQ(bytesOf(file), "<head>\r\n" + kKeywordsTag + "\r\n" + kDescriptionTag
                                 + "<meta name=keywords content=k></head>\r\n");
}

TEST_F(MetaTagFiles, TitleEndTagBeforeItsStartDoesNotDuplicateText)
{
    const QString file = page("<head></title>junk<title>Old</title></head>");
    replace(file);
    EXPECT_EQ(bytesOf(file), "<head>\r\n" + kKeywordsTag + "\r\n" + kDescriptionTag
                                 + "</title>junk<title>New</title></head>\r\n");
}

TEST_F(MetaTagFiles, CharactersWithoutAByteAreWrittenAsReferences)
{
    const QString file = page("<html><head><title>Old</title></head></html>");
    modCommon::replaceMetaTag(file, QString::fromUtf8("\u4e2d caf\u00e9"), u"x"_s, u"d"_s);
    EXPECT_TRUE(bytesOf(file).contains("<title>&#20013; caf\xe9</title>"));
}

TEST_F(MetaTagFiles, TagsBeyondTheOld16BitLimitAreEdited)
{
    const QByteArray filler(40000, 'a');
    const QString file = page("<html><!--" + filler + "--><head><title>Old</title></head></html>");
    replace(file);
    const QByteArray result = bytesOf(file);
    EXPECT_TRUE(result.contains("<title>New</title>"));
    EXPECT_TRUE(result.contains(filler));
}

TEST_F(MetaTagFiles, MissingFileOrEmptyPathChangesNothingAndShowsNothing)
{
    insert(QString());
    replace(QString());
    insert(env.programFolder() + u"missing.htm"_s);
    replace(env.programFolder() + u"missing.htm"_s);
    EXPECT_FALSE(QFile::exists(env.programFolder() + u"missing.htm"_s));
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(MetaTagFiles, FailedWriteShowsTheRoutineAndKeepsTheFile)
{
    // The replacement file beside a name of the longest allowed length cannot be made.
    const QString file = page("<html><head><title>Old</title></head></html>", QString(250, u'n') + u".htm"_s);
    const QByteArray before = bytesOf(file);
    env.dialogs.answerMessage(Platform::Ok);
    env.dialogs.answerMessage(Platform::Ok);
    insert(file);
    replace(file);
    EXPECT_EQ(bytesOf(file), before);
    ASSERT_EQ(env.dialogs.shown().size(), 2);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(u"Module: insertMetaTag\r\n"_s));
    EXPECT_TRUE(env.dialogs.shown()[1].prompt.startsWith(u"Module: replaceMetaTag\r\n"_s));
    EXPECT_EQ(env.dialogs.shown()[0].title, u"Error"_s);
    EXPECT_EQ(env.dialogs.shown()[0].style, int(Platform::Information));
}
