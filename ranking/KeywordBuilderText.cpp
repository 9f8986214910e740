#include "ranking/KeywordBuilderText.h"

#include "core/modCommonHtml.h"
#include "ranking/RankingSearch.h"

namespace KeywordBuilderText {

namespace {

const QString kHttp = QStringLiteral("http://");
const QString kAnchorEnd = QStringLiteral("</a>");

// The text up to its first blank, quote, "<" or ">".
QStringView addressPart(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isSpace() || QStringView(u"\"'<>").contains(text[i]))
            return text.first(i);
    }
    return text;
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
    const QStringView block = resultBlock(engine, page, Qt::CaseSensitive);
    const QString opener = anchorOpener(engine, block, Qt::CaseSensitive);
    for (qsizetype at = RankingSearch::find(block, opener, Qt::CaseSensitive); at >= 0 && addresses.size() < builder.NumOfURLs;) {
        const qsizetype end = block.indexOf(kAnchorEnd, at);
        if (end < 0)
            break;
        const QStringView anchor = block.sliced(at, end + kAnchorEnd.size() - at);
        if (!isEngineLink(engine, anchor, Qt::CaseSensitive))
            addresses.append(GetURLName(anchor, engine.EngineURL));
        // The next anchor may start inside this one's "</a>" only after its "<".
        at = RankingSearch::find(block, opener, Qt::CaseSensitive, end + 1);
    }
    return addresses;
}

QString getKeywords(const QString &page, bool onePerLine)
{
    QString keywords, description, title, text;
    modCommon::retrieveMetaTag(page, keywords, description, title, text);
    const QString separator = onePerLine ? QStringLiteral("\r\n") : QStringLiteral(",");
    QString kept;
    for (const QString &element : keywords.split(u',')) {
        const QString keyword = element.trimmed();
        if (keyword.isEmpty())
            continue;
        const qsizetype added = (kept.isEmpty() ? 0 : separator.size()) + keyword.size();
        if (kept.size() + added > kMaxSiteKeywordChars) {
            if (kept.isEmpty())
                kept = keyword.left(kMaxSiteKeywordChars);
            break;
        }
        if (!kept.isEmpty())
            kept += separator;
        kept += keyword;
    }
    return kept;
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
