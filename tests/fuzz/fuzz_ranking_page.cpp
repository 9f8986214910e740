// Any result page and any engine markers: next-page discovery and page analysis never crash,
// positions run on from the count before the page, no more anchors are counted than openers
// stand on the page, those kept are bounded, the link limit holds, and a next address is empty
// or absolute.
#include "core/modCommonHtml.h"
#include "platform/Codec1252.h"
#include "ranking/clsRanking.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Overlapping occurrences, ignoring case; none for an empty needle.
qsizetype occurrences(QStringView text, QStringView needle)
{
    qsizetype count = 0;
    for (qsizetype at = needle.isEmpty() ? -1 : modCommon::indexOfNoCase(text, needle); at >= 0;
         at = modCommon::indexOfNoCase(text, needle, at + 1))
        ++count;
    return count;
}

// The input is fields separated by byte 0xFF: the engine's markers, then the page.
RankingEngine engineFrom(QList<QByteArray> &fields)
{
    const auto take = [&fields] { return fields.size() > 1 ? Platform::fromAnsi(fields.takeFirst()) : QString(); };
    RankingEngine engine;
    engine.name = QStringLiteral("Fuzz");
    engine.EngineURL = QStringLiteral("http://h.example");
    engine.LinkType = take();
    engine.NextPage1 = take();
    engine.NextPage2 = take();
    engine.NextPage4 = take();
    engine.HREF_KEYWORD1 = take();
    engine.HREF_KEYWORD2 = take();
    engine.EngineKey = take();
    engine.ResultStartString = take();
    engine.ResultEndString = take();
    engine.NoFoundString = take();
    engine.Start = 10;
    engine.PerPage = 10;
    return engine;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<QByteArray> fields =
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)).split('\xff');
    RankingEngine engine = engineFrom(fields);
    const QString page = Platform::fromAnsi(fields.join('\xff'));

    const QString next = clsRanking::nextPageURL(engine, page, 3, QStringLiteral("web+tools"));
    if (!next.isEmpty() && !next.startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
        std::abort();

    const qsizetype openers = std::max({occurrences(page, engine.HREF_KEYWORD1), occurrences(page, engine.HREF_KEYWORD2),
                                        occurrences(page, u"<a href=http://"), occurrences(page, u"<a href=\"http://")});
    const qint32 linksBefore = static_cast<qint32>(size % 50);
    const qint32 linkLimit = static_cast<qint32>(size % 7) * 10;
    const PageAnalysis analysis = clsRanking::analysePage(engine, page, QStringLiteral("www.site.example"),
                                                          linksBefore, linkLimit);
    if (analysis.counted > openers || analysis.anchors.size() > analysis.counted || analysis.matched > analysis.counted
        || (analysis.noDocuments && analysis.counted > 0))
        std::abort();
    // The anchors kept are the first ones counted, then some naming the site: positions rise.
    qint32 last = linksBefore;
    for (qsizetype i = 0; i < analysis.anchors.size(); ++i) {
        const RankedAnchor &anchor = analysis.anchors[i];
        if ((i < AnchorBudget::kAnchors ? anchor.position != last + 1 : anchor.position <= last)
            || anchor.position > linksBefore + analysis.counted
            || (linkLimit > 0 && anchor.position > std::max(linkLimit, linksBefore + 1))
            || anchor.anchor.size() > AnchorBudget::kMaxAnchorChars)
            std::abort();
        last = anchor.position;
    }
    return 0;
}
