// The ranking report: head, facts, summary, per-engine details and the user's credits.
#include "ranking/RankingReport.h"

#include <QStringBuilder>
#include <QUrl>

#include "core/modHtmlText.h"
#include "platform/Codec1252.h"
#include "platform/TextFile.h"

using namespace Qt::StringLiterals;
using modHtmlText::escaped;
using modHtmlText::siteWithoutScheme;
using modHtmlText::unquotedAttribute;

namespace RankingReport {

namespace {

const QString kCrLf = u"\r\n"_s;
const QString kFactStart = u"<td width= 40%><b><font face=arial size=2>"_s;
const QString kFactValue = u"</font></b></td><td><font face=arial size=2>"_s;

QString factRow(const char *colour, const QString &label, const QString &value, const char *rowEnd = "</tr>")
{
    return u"<tr bgcolor="_s % QLatin1String(colour) % u'>' % kFactStart % label % kFactValue % value
           % u"</font></td>"_s % QLatin1String(rowEnd) % kCrLf;
}

// The address without a leading "scheme://", as a link after our own "http://" needs it.
QString withoutAnyScheme(const QString &address)
{
    const qsizetype end = address.indexOf(u"://"_s);
    if (end <= 0)
        return address;
    for (QChar ch : QStringView(address).first(end)) {
        if (!ch.isLetterOrNumber() && ch != u'+' && ch != u'-' && ch != u'.')
            return address;
    }
    return address.mid(end + 3);
}

bool isWebAddress(const QString &address)
{
    return address.startsWith(u"http://"_s, Qt::CaseInsensitive)
           || address.startsWith(u"https://"_s, Qt::CaseInsensitive);
}

// The engine's home: scheme and host of its EngineURL; empty unless that is a web address.
QString engineHome(const RankingEngine &engine)
{
    const QUrl url(engine.EngineURL.trimmed());
    if (!isWebAddress(engine.EngineURL.trimmed()) || url.host().isEmpty())
        return QString();
    return url.adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment)
               .toString(QUrl::FullyEncoded)
           % u'/';
}

// The references a page writes for its own special characters, read back before we escape.
QString decodedReferences(QString text)
{
    return text.replace(u"&lt;"_s, u"<"_s, Qt::CaseInsensitive)
        .replace(u"&gt;"_s, u">"_s, Qt::CaseInsensitive)
        .replace(u"&quot;"_s, u"\""_s, Qt::CaseInsensitive)
        .replace(u"&#39;"_s, u"'"_s)
        .replace(u"&amp;"_s, u"&"_s, Qt::CaseInsensitive);
}

// The value of the tag's "href" attribute, quoted or not; empty when it has none.
QString hrefOf(QStringView tag)
{
    for (qsizetype at = tag.indexOf(u"href="_s, 0, Qt::CaseInsensitive); at >= 0;
         at = tag.indexOf(u"href="_s, at + 1, Qt::CaseInsensitive)) {
        if (at > 0 && !tag.at(at - 1).isSpace())
            continue;
        QStringView value = tag.sliced(at + 5);
        if (!value.isEmpty() && (value.front() == u'"' || value.front() == u'\'')) {
            const qsizetype close = value.indexOf(value.front(), 1);
            return value.sliced(1, (close < 0 ? value.size() : close) - 1).toString();
        }
        qsizetype end = 0;
        while (end < value.size() && !value.at(end).isSpace())
            ++end;
        return value.first(end).toString();
    }
    return QString();
}

QString withoutTags(QStringView html)
{
    QString text;
    for (qsizetype at = 0; at < html.size();) {
        const qsizetype open = html.indexOf(u'<', at);
        text += html.sliced(at, (open < 0 ? html.size() : open) - at);
        if (open < 0)
            break;
        const qsizetype close = html.indexOf(u'>', open);
        at = close < 0 ? html.size() : close + 1;
    }
    return text;
}

// A result anchor of a saved page as a link of our own: its web address and its plain text.
QString ownLink(const QString &anchor)
{
    const qsizetype tagEnd = anchor.indexOf(u'>');
    const QStringView tag = QStringView(anchor).first(tagEnd < 0 ? anchor.size() : tagEnd);
    QStringView inner = tagEnd < 0 ? QStringView() : QStringView(anchor).sliced(tagEnd + 1);
    if (inner.endsWith(u"</a>"_s, Qt::CaseInsensitive))
        inner.chop(4);
    const QString address = decodedReferences(hrefOf(tag).trimmed());
    QString text = decodedReferences(withoutTags(inner)).simplified();
    if (!isWebAddress(address))
        return escaped(text);
    if (text.isEmpty())
        text = address;
    return u"<a href=\""_s % escaped(address) % u"\">"_s % escaped(text) % u"</a>"_s;
}

QString details(const EngineRow &row)
{
    QString items;
    qint64 page = 0;
    for (const PageAnalysis &analysis : row.savedPages) {
        const QString number = QString::number(++page);
        const QString pageLink = QString::fromLatin1(QUrl::toPercentEncoding(pageName(row, page)));
        items += u"<br><b>Page "_s % number % u": </b><a href="_s % pageLink
                 % u">View full search results for this page</a><br><br>"_s;
        if (analysis.noDocuments)
            items += u"<li>No documents match the query !</blink><br>"_s;
        for (const RankedAnchor &anchor : analysis.anchors) {
            if (anchor.matchesSite)
                items += u"<b>Page: "_s % number % u" Position: "_s % QString::number(anchor.position)
                         % u"</b><br><li><font color=#FF0000> -> </font><b>"_s % ownLink(anchor.anchor)
                         % u"</b><br>"_s % kCrLf;
            else
                items += u"<li>"_s % ownLink(anchor.anchor) % u"<br>"_s % kCrLf;
        }
        if (analysis.counted > analysis.anchors.size())
            items += u"<li>("_s % QString::number(analysis.counted - analysis.anchors.size())
                     % u" more results of this page are not listed)<br>"_s % kCrLf;
    }
    return items;
}

QString logoImage(const Credits &credits)
{
    return u"<img src=http://"_s % unquotedAttribute(credits.LogoURL) % u"><br>"_s;
}

QString head(const Input &input)
{
    const QString title = u"Web Ranking Report"_s;
    QString text = u"<html><title>"_s % title % u" for "_s % escaped(input.site) % u"</title>"_s % kCrLf
                   % u"<body bgcolor = #FFFFFF>"_s % kCrLf % u"<table width=580 border=0><tr><td>"_s % kCrLf;
    if (!input.credits.LogoURL.isEmpty() && input.credits.LogoPosition == 0)
        text += u"<br>"_s % logoImage(input.credits);
    return text % u"<table border=0 width=100%><tr bgcolor=#000000><td><font face=arial color=#FFFFFF><b>"_s % title
           % u"</b></font></td></tr></table>"_s % kCrLf % u"<br>"_s % kCrLf;
}

QString facts(const Input &input)
{
    const QString site = escaped(input.site);
    QString text = u"<table border =0 width = 100% cellspacing=1 cellpadding=1>"_s % kCrLf
                   % factRow("#CCD8EA", u"Date Created: "_s, escaped(input.dateText))
                   % factRow("#E8E8E8", u"Rank URL:"_s,
                             u"<a href=http://"_s % unquotedAttribute(withoutAnyScheme(input.site)) % u'>' % site
                                 % u"</a>"_s)
                   % factRow("#CCD8EA", u"Search Keywords:"_s, escaped(input.keywords))
                   % factRow("#E8E8E8",
                             input.pagesMode ? u"Number of pages to be searched:"_s
                                             : u"Number of links to be searched:"_s,
                             escaped(input.pageLinks));
    const Credits &credits = input.credits;
    if (!credits.Company.isEmpty()) {
        const QString company = escaped(credits.Company);
        text += factRow("#CCD8EA", u"Provided By:"_s,
                        credits.SiteURL.isEmpty()
                            ? company
                            : u"<a href=http://"_s % unquotedAttribute(siteWithoutScheme(credits.SiteURL)) % u'>'
                                  % company % u"</a>"_s,
                        "<tr>");
    }
    return text % u"</table><br>"_s % kCrLf;
}

QString positionCell(const EngineRow &row)
{
    if (!row.measured)
        return QString();
    return row.position.isEmpty() ? u"Not Found"_s : escaped(row.position);
}

QString summary(const Input &input)
{
    QString text = u"<center><b><font color=#0060C0 face=arial size=2>Ranking Summary</font></b></center><br>"_s
                   u"<table  border =0 width = 100% cellspacing=1 cellpadding=1>"_s % kCrLf
                   % u"<tr bgcolor=#0080C0 align = center>"_s % kCrLf % kCrLf
                   % u"<th  width= 25%><font face=arial size=2 color=#FFFFFF>Engine</font></th>"_s % kCrLf
                   % u"<th><font face=arial size=2 color=#FFFFFF>Pages</font></th>"_s % kCrLf
                   % u"<th><font face=arial size=2 color=#FFFFFF>Position</font></th>"_s % kCrLf
                   % u"<th><font face=arial size=2 color=#FFFFFF>Status</font></th></tr>"_s % kCrLf;
    bool firstColour = false;
    for (const EngineRow &row : input.rows) {
        firstColour = !firstColour;
        if (!row.ticked)
            continue;
        const QString colour = firstColour ? u"#E8E8E8"_s : u"#CCD8EA"_s;
        const QString name = escaped(row.engine.name);
        const QString home = engineHome(row.engine);
        const QString engineCell = home.isEmpty() ? name : u"<a href=\""_s % escaped(home) % u"\">"_s % name % u"</a>"_s;
        text += u"<tr bgcolor="_s % colour % u'>' % kCrLf
                % u"<td width= 25%><font face=arial size=2>"_s % engineCell % u"</font></td>"_s % kCrLf
                % u"<td><font face=arial size=2>"_s % escaped(row.pages) % u" - <a href=\"#"_s % name
                % u"\">Details</a></font></td>"_s % kCrLf
                % u"<td><font face=arial size=2>"_s
                % positionCell(row) % u"</font></td>"_s % kCrLf
                % u"<td width= 20%><font face=arial size=2>"_s % escaped(row.status) % u"<font color="_s % colour
                % u">.</font></font></td>"_s % kCrLf % u"</tr>"_s;
    }
    return text % u"</table><br>"_s % kCrLf;
}

QString engineDetails(const Input &input)
{
    QString text = u"<center><font color = #c12457 face=arial size=2><b>Ranking Details</b></font></center><br>"_s
                   % kCrLf % u"<table  border =0 width = 100% cellspacing=0 cellpadding=0>"_s;
    for (const EngineRow &row : input.rows) {
        if (!row.ticked)
            continue;
        const QString name = escaped(row.engine.name);
        const QString items = details(row);
        text += u"<tr bgcolor=#c12457>"_s % kCrLf % u"<td><b><font color=#FFFFFF  face=arial size=2><a name=\""_s
                % name % u"\">"_s % name % u"</a></font></b></td></tr>"_s % kCrLf
                % u"<tr><td><font face=arial size=2>"_s
                % (items.isEmpty() ? u"<ul>(Please select this engine and try again)</ul><br>"_s
                                   : u"<ol>"_s % items % u"</ol><br>"_s)
                % kCrLf % u"</font></td></tr>"_s;
    }
    return text % u"</table><br><hr size=1>"_s % kCrLf;
}

QString footer(const Credits &credits)
{
    QString text;
    if (!credits.LogoURL.isEmpty() && credits.LogoPosition != 0)
        text += logoImage(credits);
    const QString site = siteWithoutScheme(credits.SiteURL);
    const QString siteLink = unquotedAttribute(site);
    return text % u"<font face=arial size =1>This report is generated by : <a href=http://"_s % siteLink % u'>'
           % escaped(credits.Company) % u"</a>"_s % kCrLf % u"<br>"_s % kCrLf % u"Email: <a href=mailto:"_s
           % unquotedAttribute(credits.Email) % u'>' % escaped(credits.Name) % u"</a> "_s % kCrLf
           % u"Web: <a href=http://"_s % siteLink % u'>' % escaped(site) % u"</a>"_s % kCrLf % u"</font>"_s % kCrLf
           % u"</td></tr></table></body></html>"_s;
}

} // namespace

QString savedPageName(const QString &engineName, qint64 page)
{
    return savedPagePrefix(engineName) % QString::number(page) % u"].html"_s;
}

QString savedPagePrefix(const QString &engineName)
{
    QString name;
    for (QChar ch : engineName) {
        if (ch == u'/' || ch == u'\\' || ch == u'[' || ch == u']' || ch == u'%' || ch.unicode() < 0x20
            || ch.unicode() == 0x7F)
            name += u'%' % QString::number(ch.unicode(), 16).toUpper().rightJustified(2, u'0');
        else
            name += ch;
    }
    return name % u'[';
}

QString legacySavedPageName(const QString &engineName, qint64 page)
{
    QString name = engineName.toLower();
    for (QChar &ch : name) {
        if (ch == u'/' || ch == u'\\' || ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            ch = u'_';
    }
    return name % QString::number(page) % u".html"_s;
}

QString pageName(const EngineRow &row, qint64 page)
{
    return row.earlierPageNames ? legacySavedPageName(row.engine.name, page) : savedPageName(row.engine.name, page);
}

QString reportText(const Input &input)
{
    return head(input) % facts(input) % summary(input) % engineDetails(input) % footer(input.credits);
}

bool writeReport(const QString &path, const QString &text)
{
    return Platform::writeBinaryFileAtomically(path, Platform::toAnsiHtml(text % kCrLf));
}

} // namespace RankingReport
