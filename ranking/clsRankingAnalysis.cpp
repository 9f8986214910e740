// The rank check: the positions of a site on one saved result page.
#include "ranking/clsRanking.h"
#include "ranking/RankingSearch.h"

namespace {

using RankingSearch::contains;
using RankingSearch::find;

const QString kAnchorEnd = QStringLiteral("</A>");

} // namespace

QString clsRanking::getEncoding(const QString &url)
{
    QString encoded = url;
    return encoded.replace(u'.', QStringLiteral("%2E"));
}

PageAnalysis clsRanking::analysePage(const RankingEngine &engine, QStringView page, const QString &siteURL,
                                     qint32 linksBefore, qint32 linkLimit)
{
    PageAnalysis result;
    if (contains(page, engine.NoFoundString)) {
        result.noDocuments = true;
        return result;
    }
    const QStringView block = resultBlock(engine, page, Qt::CaseInsensitive);
    const QString opener = anchorOpener(engine, block, Qt::CaseInsensitive);
    const QString encodedSite = getEncoding(siteURL);
    qint32 links = linksBefore;
    for (qsizetype at = find(block, opener); at >= 0;) {
        const qsizetype end = find(block, kAnchorEnd, at);
        if (end < 0)
            break;
        QString anchor = block.sliced(at, end + kAnchorEnd.size() - at).toString();
        if (!isEngineLink(engine, anchor, Qt::CaseInsensitive)) {
            if (!contains(anchor, u"http://"))
                anchor = QStringLiteral("<a href=") + engine.EngineURL + anchor.mid(1);
            ++links;
            const bool matches = contains(anchor, encodedSite) || contains(anchor, siteURL);
            result.anchors.append({links, anchor, matches});
            if (linkLimit > 0 && links >= linkLimit) {
                result.linkLimitReached = true;
                break;
            }
        }
        // The walk goes on after the "<" of that "</A>".
        at = find(block, opener, end + 1);
    }
    return result;
}
