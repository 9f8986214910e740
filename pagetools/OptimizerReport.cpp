#include "pagetools/OptimizerReport.h"

#include <QStringList>

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "core/modCommonHtml.h"
#include "core/modHtmlText.h"
#include "pagetools/KeywordCounts.h"
#include "pagetools/PageAddress.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "transport/modDSSockUrl.h"

using namespace Qt::StringLiterals;
using modHtmlText::escaped;
using modHtmlText::unquotedAttribute;

namespace OptimizerReport {

namespace {

const QString kCrLf = u"\r\n"_s;
const QString kFallbackName = u"opimtizer.html"_s;
constexpr qsizetype kContentsChars = 200;

const QString kTableStart = u"<table border=0 width=600 bgcolor=#C0C0C0 cellspacing=1>"_s;
const QString kTableEnd = u"</font></td></tr></table>"_s + u"<p>&nbsp;</p>"_s;
const QString kBlack = u"<font FACE=Arial SIZE=2 COLOR=#000000>"_s;
const QString kBlue = u"<font FACE=Arial SIZE=2 COLOR=#0000ff>"_s;
const QString kRed = u"<font FACE=Arial SIZE=2 COLOR=#ff0000>"_s;
const QString kHeadAdvice = u"<font COLOR=#0000ff>&lt;HEAD&gt;</font>...<font COLOR=#0000ff>&lt;/HEAD&gt;</font>"_s;

QString heading(const QString &text)
{
    return kBlack % u"<b>"_s % text % u"</b></font>"_s;
}

QString section(const QString &head, const QString &tagRow, const QString &advice)
{
    return kTableStart % u"<tr><td>"_s % head % kCrLf % u"</td></tr><tr bgcolor=#FFFFFF><td>"_s % kCrLf
           % tagRow % kCrLf % kBlack % advice % u"</font>"_s % kCrLf % kTableEnd;
}

QString metaTagRow(const QString &name, const QString &content)
{
    return kRed % u"&lt;META NAME=&quot;</font>"_s % kBlue % name % u"</font>"_s % kRed % u"&quot;"_s
           % u" CONTENT=&quot;</font>"_s % kBlue % escaped(content) % u"</font>"_s % kRed
           % u"&quot;&gt;</font><br><br>"_s;
}

QString keywordsAdvice(const QString &keywords)
{
    const QString n = QString::number(keywords.size());
    QString advice;
    if (keywords.isEmpty())
        advice = u"No <META> keywords tag was found in the "_s % kHeadAdvice % u" portion. "_s
                 % u"Please make sure to add one before submitting your web site. "_s
                 % u"This meta tag will be used by search engine how to index your web site."_s;
    else if (keywords.size() < 350)
        advice = u"The keywords are "_s % n % u" characters long, which is fine. "_s
                 % u"However, they are less than 35% of the permitted length of 1000 characters. "_s
                 % u"Consider adding more keywords to this tag to make the most out of it."_s;
    else if (keywords.size() <= 1000)
        advice = u"The keywords are "_s % n % u" characters long, which is fine."_s;
    else
        advice = u"The keywords are "_s % n % u" characters long, which is more than "_s
                 % u"the permitted length. They should be no longer than 1000 characters. Otherwise, "_s
                 % u"search engines will simply use the words in the first 1000 characters."_s;
    if (!keywords.contains(u','))
        advice += u" Note that the keywords should be separated with commas rather than spaces."_s;
    return advice;
}

QString descriptionAdvice(const QString &description)
{
    const QString n = QString::number(description.size());
    if (description.isEmpty())
        return u"No <META> description tag was found in the  "_s % kHeadAdvice % u"> portion. "_s
               % u"Please make sure to add one before submitting your web site. "_s
               % u"This meta tag will be used by search engine to index your web site."_s;
    if (description.size() <= 200)
        return u"The description tag is "_s % n % u" characters long, which is fine. "_s
               % u"Make sure it is attractive, and well describes your web site's purpose."_s;
    return u"The description is "_s % n % u" characters long, which is more than "_s
           % u"the permitted length. It should be no longer than 200 characters. Otherwise, "_s
           % u"search engines will use the first 200 characters in your description."_s;
}

QString titleAdvice(const QString &title)
{
    const QString n = QString::number(title.size());
    QString advice;
    if (title.isEmpty())
        advice = u"No title tag was found in the  "_s % kHeadAdvice % u" portion. "_s
                 % u"This meta tag will be used to display your web site title "_s
                 % u"by search engine when index your web site. "_s
                 % u"Do not submit your site before it has a title. "_s;
    else if (title.size() <= 300)
        advice = u"The title tag is "_s % n % u" characters long, which is fine. "_s
                 % u"For best results, make sure it is descriptive, attractive, and well describes your web site's purpose."_s;
    else
        advice = u"The title is "_s % n % u" characters long, which is more than "_s
                 % u"the permitted length. It should be no longer than 200 characters. Otherwise, "_s
                 % u"search engines will use first 200 characters in your description."_s;
    if (title.startsWith(u' ') || title.startsWith(u'\r'))
        advice += u" Note that the title should not start or end with a space or carriage return."_s;
    return advice;
}

QString contentsSection(const QString &text)
{
    const QString contents = Platform::trimBlanks(modCommon::replaceCrLf(text)).left(kContentsChars);
    return kTableStart % u"<tr><td>"_s % kBlack % u"<b>Web Site Contents</b>(first 200 characters)</font>"_s
           % kCrLf % u"</td></tr><tr bgcolor=#FFFFFF><td>"_s % kCrLf % kBlue % escaped(contents)
           % u"</font>"_s % u"<br><br>"_s % kCrLf % kBlack
           % u"Some search engines use the text near the top of a Web page to index your web site, "_s
           % u"so make sure you place the most important stuff at the top. Search engines "_s
           % u"that do not support <font COLOR=#ff0000>&lt;META&gt;</font> tags will use the first 200 (or 250) characters for the "_s
           % u"site's description, so the first paragraph should describe/sell your service."_s
           % u"</font>"_s % kCrLf % kTableEnd;
}

QString mark(int matches)
{
    if (matches < 3)
        return u"<font FACE=Arial SIZE=4 COLOR=#FF0000><b>-</b></font>"_s;
    if (matches <= 8)
        return u"<font FACE=Arial SIZE=2 COLOR=#0000FF><b>OK</b></font>"_s;
    return u"<font FACE=Arial SIZE=3 COLOR=#000000><b>+</b></font>"_s;
}

QString keywordSection(const QString &keywords, const QString &text)
{
    QString rows;
    if (!keywords.isEmpty()) {
        const QStringList list = keywords.split(u',');
        const QList<int> counts = KeywordCounts::countAll(text, list);
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QString &keyword = list[i];
            if (keyword.isEmpty())
                continue;
            const int matches = counts[i];
            rows += u"<tr bgcolor=#FFFFFF>"_s % u"<td>"_s % kBlack % escaped(keyword) % u"</font></td>"_s
                    % u"<td align=center>"_s % kBlack % QString::number(matches) % u"</font></td>"_s
                    % u"<td align=center>"_s % mark(matches) % u"</td></tr>"_s % kCrLf;
        }
    }
    return kTableStart % u"<tr><td colspan = 3>"_s % heading(u"Keyword Utilization on your web page"_s) % kCrLf
           % u"</td></tr>"_s % kCrLf
           % u"<tr align=center bgcolor=#FFFFFF><td width=360><b>Keyword</b></td><td width=120><b>Matches</b></td><td width=120><b>Results</b></td></tr>"_s
           % kCrLf % rows % kCrLf % u"<tr bgcolor=#FFFFFF><td colspan = 3>"_s % kBlack
           % u"<b>Results:</b><br>"_s % kCrLf
           % u"<font FACE=Arial SIZE=2 COLOR=#0000FF><b>OK</b></font>: Effective keyword usage in HTML body. <br>"_s % kCrLf
           % u"<font FACE=Arial SIZE=4 COLOR=#FF0000><b> - </b></font>: Not enough keyword matches, may result in lower Search Engine ranking. Please add more keywords to your page.<br>"_s
           % kCrLf
           % u"<font FACE=Arial SIZE=3 COLOR=#000000><b> + </b></font>: Too many keyword matches, may be considered SPAM and dropped from the Search Engines. Please don't repeat the same keyword more than 10 times.<br>"_s
           % kCrLf % u"</font></td></tr>"_s % kCrLf % u"</table>"_s % u"<p>&nbsp;</p>"_s;
}

QString logo(const Credits &credits)
{
    return u"<br><img src=http://"_s % unquotedAttribute(credits.logoURL) % u"><br>"_s;
}

QString tipsAndFooter(const Credits &credits)
{
    const QString site = modHtmlText::siteWithoutScheme(credits.siteURL);
    QString text = kCrLf % u"<b><font color=#FF0000>Need More Tips</font></b><br>"_s % kCrLf
                   % u"Please check our web site at: "_s % kCrLf % u"<a href="_s % unquotedAttribute(credits.tipsURL)
                   % u">"_s % escaped(credits.tipsURL) % u"</a> "_s
                   % u"for more information on how to improve your web ranking.<br><br>"_s % u"<hr size=1>"_s % kCrLf;
    if (!credits.logoURL.isEmpty() && credits.logoPosition != 0)
        text += logo(credits);
    text += u"<font face=arial size =1>This report is generated by : <a href=http://"_s % unquotedAttribute(site)
            % u">"_s % escaped(credits.company) % u"</a>"_s % kCrLf % u"<br>"_s % kCrLf
            % u"Email: <a href=mailto:"_s % unquotedAttribute(credits.email) % u">"_s % escaped(credits.name)
            % u"</a> "_s % kCrLf % u"Web: <a href=http://"_s % unquotedAttribute(site) % u">"_s % escaped(site)
            % u"</a>"_s % kCrLf % u"</font></td></tr></table>"_s % kCrLf % u"</body></html>"_s;
    return text;
}

// The part after the last separator.
QString fileNamePart(const QString &path)
{
    const qsizetype cut = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

} // namespace

Credits Credits::fromPreference()
{
    const clsPreference &preference = myPreference();
    return {preference.LogoURL(), preference.LogoPosition(), preference.Company(), preference.Email(),
            preference.SiteURL(),  preference.Name(),         preference.TipsURL()};
}

QString displayAddress(const QString &address)
{
    if (PageAddress::isLocalPath(address) || address.startsWith(u"http"_s, Qt::CaseInsensitive))
        return address;
    return u"http://"_s + address;
}

int countMatches(const QString &text, const QString &keyword)
{
    return KeywordCounts::countAll(text, {keyword}).first();
}

QString reportText(const QString &shownAddress, const QString &page, const Credits &credits)
{
    QString keywords, description, title, text;
    modCommon::retrieveMetaTag(page, keywords, description, title, text);

    QString report = u"<html><head>"_s % kCrLf % u"<title>"_s % escaped(shownAddress) % u"</title>"_s % kCrLf
                     % u"</head>"_s % kCrLf % u"<body>"_s % kCrLf % u"<table border=0 width= 600>"_s % kCrLf
                     % u"<tr><td>"_s;
    if (!credits.logoURL.isEmpty() && credits.logoPosition == 0)
        report += logo(credits);
    report += u"<table border=0 width=100%><tr bgcolor=#000000><td><font face=arial color=#FFFFFF><b>Web Site Optimizer Report</b></font></td></tr></table>"_s
              % kCrLf % u"<p><strong><font face=Arial>Website: <a href="_s % unquotedAttribute(shownAddress) % u">"_s
              % escaped(shownAddress) % u"</a></font></strong></p>"_s % kCrLf % kBlack;
    report += section(heading(u"Meta Tag Keywords"_s), metaTagRow(u"Keywords"_s, keywords), keywordsAdvice(keywords));
    report += section(heading(u"Meta Tag Description"_s), metaTagRow(u"Description"_s, description),
                      descriptionAdvice(description));
    report += section(heading(u"Choose the Right Title"_s),
                      kRed % u"&lt;TITLE&gt;</font>"_s % kBlue % escaped(title) % u"</font>"_s % kRed
                          % u"&lt;/TITLE&gt;</font><br><br>"_s,
                      titleAdvice(title));
    report += contentsSection(text);
    report += keywordSection(keywords, text);
    report += tipsAndFooter(credits);
    return report;
}

QString reportFileName(const QString &shownAddress)
{
    QString name;
    if (PageAddress::isLocalPath(shownAddress))
        name = fileNamePart(shownAddress) + u".html"_s;
    else
        name = modDSSock::getHostName(shownAddress) + u"_"_s
               + modDSSock::getURLPath(shownAddress).replace(u'/', u'_') + u".html"_s;
    if (!Platform::fitsFileName(name))
        return kFallbackName;
    return name;
}

} // namespace OptimizerReport
