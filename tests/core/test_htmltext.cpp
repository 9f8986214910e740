// What generated pages put into their HTML: the one escaping rule of the reports and exports.
#include "core/modHtmlText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace modHtmlText;

TEST(HtmlText, EscapingKeepsApostrophesAndAttributesKeepNoBlank)
{
    EXPECT_EQ(escaped(u"Lee & Co <b>\"x\" it's"_s), u"Lee &amp; Co &lt;b&gt;&quot;x&quot; it's"_s);
    EXPECT_EQ(unquotedAttribute(u"logo dir/a\tb.gif?x=\"1\""_s), u"logo%20dir/a%20b.gif?x=&quot;1&quot;"_s);
    EXPECT_EQ(siteWithoutScheme(u"HTTPS://shop.example/"_s), u"shop.example/"_s);
    EXPECT_EQ(siteWithoutScheme(u"http://shop.example"_s), u"shop.example"_s);
    EXPECT_EQ(siteWithoutScheme(u"ftp://shop.example"_s), u"ftp://shop.example"_s);
}
