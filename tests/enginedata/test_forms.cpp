// Submission form extraction: the skeleton and the fields of real-world shaped pages against
// expected files, attribute values, placeholders and the query value encoding.
#include <gtest/gtest.h>

#include <QDir>

#include "support/ExpectedFile.h"
#include "support/TestEnvironment.h"

#include "enginedata/FormReader.h"
#include "platform/Codec1252.h"

using namespace Qt::StringLiterals;
using TestSupport::TestEnvironment;
using TestSupport::matchesExpectedFile;

namespace {

const QString kForms = QStringLiteral(VELQUIST_TEST_DATA_DIR "/forms/");

// Method, action, the rows and any error as lines, for the expected files.
QByteArray fieldsText(const FormReader::FormFields &found)
{
    QString text = u"method="_s + found.method + u"\r\naction="_s + found.action + u"\r\n"_s;
    for (const FormReader::FieldRow &row : found.rows)
        text += row.name + u" -> "_s + row.value + u"\r\n"_s;
    if (!found.error.isEmpty())
        text += u"error="_s + found.error + u"\r\n"_s;
    return Platform::toAnsi(text);
}

} // namespace

TEST(Forms, PagesGiveTheirExpectedSkeletonsAndRows)
{
    const QStringList pages = QDir(kForms).entryList({u"*.html"_s}, QDir::Files, QDir::Name);
    ASSERT_GE(pages.size(), 7);
    for (const QString &page : pages) {
        const QString base = kForms + page.chopped(5);
        const QString text = Platform::fromAnsi(TestEnvironment::readFile(kForms + page));
        const QString skeleton = FormReader::skeleton(text);
        EXPECT_TRUE(matchesExpectedFile(Platform::toAnsi(skeleton), base + u".skeleton"_s));
        EXPECT_TRUE(matchesExpectedFile(fieldsText(FormReader::fields(skeleton)), base + u".rows"_s));
    }
}

TEST(Forms, ElementsComeOneOfEachKindPerPass)
{
    const QString skeleton = FormReader::skeleton(
        u"<form action=x><input name=I1><input name=I2><input name=I3><textarea name=T1></textarea>"
        "<select name=S1></select></form>"_s);
    EXPECT_EQ(skeleton, u"<form action=x>\r\n<input name=I1>\r\n<textarea name=T1></textarea>\r\n<select name=S1></select>\r\n"
                        "<input name=I2>\r\n<input name=I3>\r\n=============================\r\n"_s);
}

TEST(Forms, AttributeValues)
{
    const struct { const char *tag, *attribute, *value; } cases[] = {
        {"input type=\"submit\" value=\"Add URL\">", "value", "Add URL"},
        {"input name=q type=text>", "name", "q"},
        {"input name=x>", "name", "x"},
        {"input NAME = 'a b' >", "name", "a b"},
        {"input username=u name=n>", "name", "n"},
        {"input value=\"x name=y\" name=real>", "name", "real"},
        {"input value=\"unclosed name=y>", "name", ""},
        {"input type=text>", "name", ""},
        {"input name=>", "name", ""},
        {"name=first", "name", "first"},
        {"form method=Post action=/cgi-bin/add>", "ACTION", "/cgi-bin/add"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FormReader::getFieldValue(QLatin1String(c.tag), QLatin1String(c.attribute)), QLatin1String(c.value))
            << c.tag;
    }
}

TEST(Forms, PlaceholdersAreForWholeNamesInAnyCase)
{
    const struct { const char *name, *placeholder; } cases[] = {
        {"EMAIL", "<EMAIL>"}, {"contact email", "<EMAIL>"}, {"e-mail", ""}, {"address", "<address>"},
        {"Zip", "<POSTCODE>"}, {"descr", "<DESCRIPTION>"}, {"suburb", "<CITY>"}, {"titles", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormReader::placeholderFor(QLatin1String(c.name)), QLatin1String(c.placeholder)) << c.name;
}

TEST(Forms, QueryValuesAreEncodedOnceAndDecodeBack)
{
    const struct { const char *plain, *stored; } cases[] = {
        {"a/b", "a%2Fb"}, {"Add URL", "Add+URL"}, {"50%", "50%25"}, {"a+b", "a%2Bb"},
        {"two\r\nlines", "two%0D%0Alines"}, {"me@x.example", "me@x.example"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FormReader::encodeQueryValue(QLatin1String(c.plain)), QLatin1String(c.stored)) << c.plain;
        EXPECT_EQ(FormReader::decodeQueryValue(QLatin1String(c.stored)), QLatin1String(c.plain)) << c.stored;
    }
    EXPECT_EQ(FormReader::decodeQueryValue(u"%4"_s), u"%4"_s);
    EXPECT_EQ(FormReader::decodeQueryValue(u"%e9t%E9"_s), u"\u00e9t\u00e9"_s);
    EXPECT_TRUE(FormReader::isPlaceholder(u"<URL>"_s));
    EXPECT_FALSE(FormReader::isPlaceholder(u"<URL"_s));
}

TEST(Forms, ATagThatNeverClosesStopsTheScanAndKeepsTheRowsSoFar)
{
    const FormReader::FormFields found =
        FormReader::fields(u"<form method=post action=http://x.example/><input name=url><input name=next"_s);
    EXPECT_EQ(found.method, u"POST"_s);
    ASSERT_EQ(found.rows.size(), 1);
    EXPECT_EQ(found.rows[0].value, u"<URL>"_s);
    EXPECT_FALSE(found.error.isEmpty());
    EXPECT_FALSE(FormReader::fields(u"no form here <input name=a>"_s).formFound);
}

TEST(Forms, TheSkeletonStaysWithinASmallMultipleOfThePage)
{
    const QString manyForms = u"<form "_s.repeated(3000);
    const struct { QString page; QString firstTag; } cases[] = {
        {manyForms + u">"_s, QString()},   // one ">" far behind every form
        {u"<form action=a <form action=b>"_s, QLatin1String(FormReader::kSeparator) + u"\r\n<form action=b>"_s},
        {manyForms + u"<input name=a>"_s.repeated(2000), QString()},
    };
    for (const auto &c : cases) {
        const QString skeleton = FormReader::skeleton(c.page);
        EXPECT_LE(skeleton.size(), 8 * c.page.size() + 64) << c.page.size();
        EXPECT_TRUE(skeleton.startsWith(c.firstTag));
    }
}
