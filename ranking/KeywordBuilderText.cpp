#include "ranking/KeywordBuilderText.h"

#include "core/modCommonHtml.h"
#include "ranking/RankingSearch.h"

namespace KeywordBuilderText {

namespace {

const QString kHttp = QStringLiteral("http://");
const QString kAnchorEnd = QStringLiteral("</a>");

// Exact search from `from`; an empty needle is never found.
qsizetype find(QStringView text, QStringView needle, qsizetype from = 0)
{
    return needle.isEmpty() ? -1 : text.indexOf(needle, from);
}

// The text up to its first blank, quote, "<" or ">".
QStringView addressPart(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isSpace() || QStringView(u"\"'<>").contains(text[i]))
            return text.first(i);
    }
    return text;
}

QString joinedToEngine(const QString &engineURL, QStringView link)
{
    const bool baseSlash = engineURL.endsWith(u'/');
    const bool linkSlash = link.startsWith(u'/');
    if (baseSlash && linkSlash)
        return engineURL + link.sliced(1);
    if (baseSlash || linkSlash)
        return engineURL + link;
    return engineURL + u'/' + link;
}

// After ResultStartString up to ResultEndString; the whole page without the start text.
QStringView resultBlock(const RankingEngine &engine, QStringView page)
{
    const qsizetype start = find(page, engine.ResultStartString);
    if (start < 0)
        return page;
    const QStringView block = page.sliced(start + engine.ResultStartString.size());
    const qsizetype end = find(block, engine.ResultEndString);
    return end < 0 ? block : block.first(end);
}

} // namespace

QString GetURLName(QStringView anchor, const QString &engineURL)
{
    if (const qsizetype http = anchor.indexOf(kHttp); http >= 0)
        return addressPart(anchor.sliced(http)).toString();
    const qsizetype href = anchor.indexOf(u"href=");
    if (href < 0)
        return QString();
    QStringView target = anchor.sliced(href + 5);
    if (target.startsWith(u'"') || target.startsWith(u'\''))
        target = target.sliced(1);
    return joinedToEngine(engineURL, addressPart(target));
}

QStringList getURL(const KeywordBuilderEngine &builder, QStringView page)
{
    const RankingEngine &engine = builder.engine;
    QStringList addresses;
    if (RankingSearch::contains(page, engine.NoFoundString))
        return addresses;
    const QStringView block = resultBlock(engine, page);
    const QString opener = anchorOpener(engine, block, Qt::CaseSensitive);
    for (qsizetype at = find(block, opener); at >= 0 && addresses.size() < builder.NumOfURLs;) {
        const qsizetype end = block.indexOf(kAnchorEnd, at);
        if (end < 0)
            break;
        const QStringView anchor = block.sliced(at, end + kAnchorEnd.size() - at);
        if (!isEngineLink(engine, anchor, Qt::CaseSensitive))
            addresses.append(GetURLName(anchor, engine.EngineURL));
        // The next anchor may start inside this one's "</a>" only after its "<".
        at = find(block, opener, end + 1);
    }
    return addresses;
}

QString getKeywords(const QString &page, bool onePerLine)
{
    QString keywords, description, title, text;
    modCommon::retrieveMetaTag(page, keywords, description, title, text);
    QStringList kept;
    for (const QString &element : keywords.split(u',')) {
        const QString keyword = element.trimmed();
        if (!keyword.isEmpty())
            kept.append(keyword);
    }
    return kept.join(onePerLine ? QStringLiteral("\r\n") : QStringLiteral(","));
}

QString noPageReason(int statusCode)
{
    switch (statusCode) {
    case 0:
        return QStringLiteral("no connection");
    case 301:
    case 302:
        return QStringLiteral("too many redirects");
    case 401:
    case 407:
        return QStringLiteral("login refused");
    default:
        return QString::number(statusCode);
    }
}

} // namespace KeywordBuilderText
