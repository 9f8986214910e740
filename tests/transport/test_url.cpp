#include "transport/modDSSockUrl.h"

#include <gtest/gtest.h>

using namespace modDSSock;
using namespace Qt::StringLiterals;

TEST(UrlHelpers, HostNameKeepsPortAndStopsAtFirstSlash)
{
    EXPECT_EQ(getHostName(u"http://www.example.org/dir/page.htm"_s), u"www.example.org"_s);
    EXPECT_EQ(getHostName(u"http://a.example:8080/add"_s), u"a.example:8080"_s);
    EXPECT_EQ(getHostName(u"a.example"_s), u"a.example"_s);
    EXPECT_EQ(getHostName(u"http://"_s), QString());
    EXPECT_EQ(getHostName(u"h.example?q=a/b"_s), u"h.example?q=a"_s);
}

TEST(UrlHelpers, PathDropsLeadingSlashAndKeepsQuery)
{
    EXPECT_EQ(getURLPath(u"http://h.example/p?x=1"_s), u"p?x=1"_s);
    EXPECT_EQ(getURLPath(u"http://h.example"_s), QString());
    EXPECT_EQ(getURLPath(u"http://h.example/"_s), QString());
    EXPECT_EQ(getURLPath(u"h.example/a/b.cgi"_s), u"a/b.cgi"_s);
}

TEST(UrlHelpers, DirectoryLeavesOutFileNamesAndQueries)
{
    EXPECT_EQ(getURLDirectory(u"http://h.example/dir/page.htm"_s), u"h.example/dir"_s);
    EXPECT_EQ(getURLDirectory(u"http://h.example/dir/sub"_s), u"h.example/dir/sub"_s);
    EXPECT_EQ(getURLDirectory(u"h.example/"_s), u"h.example"_s);
    EXPECT_EQ(getURLDirectory(u"h.example"_s), u"h.example"_s);
    EXPECT_EQ(getURLDirectory(u"h.example/dir?x=a/b"_s), u"h.example/dir"_s);
    EXPECT_EQ(getURLDirectory(u"h.example/v1.2/x"_s), u"h.example/v1.2/x"_s);
    EXPECT_EQ(getURLDirectory(u"h.example/a/v1.2"_s), u"h.example/a"_s);
}

TEST(UrlHelpers, FormEncodingOfEveryReservedCharacter)
{
    EXPECT_EQ(convertString(u"a b&c"_s), u"a+b%26c"_s);
    EXPECT_EQ(convertString(u"~!#$%^&()+`={}|[]\\:'\";<>?,/"_s),
              u"%7E%21%23%24%25%5E%26%28%29%2B%60%3D%7B%7D%7C%5B%5D%5C%3A%27%22%3B%3C%3E%3F%2C%2F"_s);
    EXPECT_EQ(convertString(u"A-z_0.9@*"_s), u"A-z_0.9@*"_s);
    // Every control character is encoded; characters above 127 pass unchanged.
    EXPECT_EQ(convertString(u"\r\n\t\u00e9"_s), u"%0D%0A%09\u00e9"_s);
    EXPECT_EQ(convertString(QString(QChar(0)) + u"\x1f\x7f\x80"_s), u"%00%1F%7F\x80"_s);
    EXPECT_EQ(convertString(QString()), QString());
}

TEST(UrlHelpers, HtmlToTextBreaksLinesAtBlockTags)
{
    const QString text = htmlToText(u"a<P>b<br>c<HR>d</b>"_s);
    EXPECT_EQ(text, u"a\r\n\r\nb\r\nc\r\n"_s + QString(50, u'-') + u"\r\nd"_s);
    // The text after the last tag is kept; a tag without its end is lost.
    EXPECT_EQ(htmlToText(u"x<B>y"_s), u"xy"_s);
    EXPECT_EQ(htmlToText(u"<img src=\"f.gif\">Music"_s), u"Music"_s);
    EXPECT_EQ(htmlToText(u"<b>TV</b> (12)"_s), u"TV (12)"_s);
    EXPECT_EQ(htmlToText(u"x<p>y<b"_s), u"x\r\n\r\ny"_s);
    EXPECT_EQ(htmlToText(u"no tags"_s), u"no tags"_s);
}

TEST(UrlHelpers, HtmlToTextTrimsLineStartsAndDropsSourceLineBreaks)
{
    EXPECT_EQ(htmlToText(u"a \r\n  b<br>  c  <i>"_s), u"a \r\nb\r\nc"_s);
    EXPECT_EQ(htmlToText(u"<h1>T</H1 class=x>r<dl>"_s), u"T\r\n\r\nr\r\n\r\n"_s);
    // Entities are left alone.
    EXPECT_EQ(htmlToText(u"&amp;<b>"_s), u"&amp;"_s);
}

TEST(UrlHelpers, FieldAndLineEnd)
{
    EXPECT_EQ(getField(u"a b c"_s, u" "_s, 2), u"b"_s);
    EXPECT_EQ(getField(u"a b c"_s, u" "_s, 3), u"c"_s);
    EXPECT_EQ(getField(u"a b c"_s, u" "_s, 4), QString());
    EXPECT_EQ(getField(u"a b"_s, u" "_s, 0), u"a"_s);
    EXPECT_EQ(getField(u"abc"_s, u" "_s, 1), u"abc"_s);

    EXPECT_EQ(trimLineEnd(u"x\r\n"_s), u"x"_s);
    EXPECT_EQ(trimLineEnd(u"x\n\r"_s), u"x\n"_s);
    EXPECT_EQ(trimLineEnd(u"x\n\n"_s), u"x\n"_s);
    EXPECT_EQ(trimLineEnd(u"x"_s), u"x"_s);
    EXPECT_EQ(trimLineEnd(QString()), QString());
}

TEST(UrlHelpers, RedirectLocationResolvesAgainstThePage)
{
    const struct {
        const char16_t *page, *location, *expected;
    } cases[] = {
        {u"http://h.example:8080/a/b.htm", u"/results?q=1", u"http://h.example:8080/results?q=1"},
        {u"http://h.example/a/b.htm", u"c.htm", u"http://h.example/a/c.htm"},
        {u"h.example/a/", u"../x", u"http://h.example/x"},
        {u"http://h.example/", u"HTTP://other.example/p", u"HTTP://other.example/p"},
        {u"http://h.example/", u"", u""},
        // What real servers write: a fragment, a blank, raw UTF-8 bytes (read one character each),
        // a control character, a name that merely starts with "http".
        {u"http://h.example/t3", u"/t4#frag", u"http://h.example/t4"},
        {u"http://h.example/t3", u"#frag", u"http://h.example/t3"},
        {u"http://h.example/", u"http://h.example/u 0#x", u"http://h.example/u%200"},
        {u"http://h.example/a/", u"v0\u00C3\u00A9?q=\u00C3\u00A9", u"http://h.example/a/v0%C3%A9?q=%C3%A9"},
        {u"http://h.example/a/", u"https://h.example/v0\u00C3\u00A9", u"https://h.example/v0%C3%A9"},
        {u"http://h.example/a/", u"/b\tc%20d", u"http://h.example/b%09c%20d"},
        {u"http://h.example/a/", u"http-status.htm", u"http://h.example/a/http-status.htm"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(resolveLocation(QString::fromUtf16(c.page), QString::fromUtf16(c.location)),
                  QString::fromUtf16(c.expected))
            << QString::fromUtf16(c.location).toStdString();
}
