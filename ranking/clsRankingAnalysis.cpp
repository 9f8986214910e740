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
    AnchorBudget budget;
    return analysePage(engine, page, siteURL, linksBefore, linkLimit, budget);
}

PageAnalysis clsRanking::analysePage(const RankingEngine &engine, QStringView page, const QString &siteURL,
                                     qint32 linksBefore, qint32 linkLimit, AnchorBudget &budget)
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
        const QStringView found = block.sliced(at, end + kAnchorEnd.size() - at);
        if (!isEngineLink(engine, found, Qt::CaseInsensitive)) {
            // A relative anchor is read as its address joined to the engine's.
            const QString joined =
                contains(found, u"http://") ? QString() : QStringLiteral("<a href=") + engine.EngineURL + found.sliced(1);
            const QStringView anchor = joined.isNull() ? found : QStringView(joined);
            ++links;
            ++result.counted;
            const bool matches = contains(anchor, encodedSite) || contains(anchor, siteURL);
            result.matched += matches ? 1 : 0;
            const bool keptAsMatch = matches && budget.matches > 0;
            budget.matches -= keptAsMatch ? 1 : 0;
            if (budget.anchors > 0 || keptAsMatch) {
                budget.anchors = qMax(budget.anchors - 1, 0);
                result.anchors.append({links, anchor.first(qMin(anchor.size(), AnchorBudget::kMaxAnchorChars)).toString(),
                                       matches});
            }
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

QString clsRanking::positionsText(const QList<qint32> &listed, qint64 matched)
{
    QStringList positions;
    for (qint32 position : listed)
        positions.append(QString::number(position));
    QString text = positions.join(u", ");
    if (matched > listed.size())
        text += QStringLiteral(" and ") + QString::number(matched - listed.size()) + QStringLiteral(" more");
    return text;
}
