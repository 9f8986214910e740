// The rank check: the address of an engine's next result page.
#include "ranking/clsRanking.h"
#include "ranking/RankingSearch.h"

#include <optional>

namespace {

using RankingSearch::startsWith;

const QString kHttp = QStringLiteral("http://");
// How far back from the marker the link's opener may lie.
constexpr qsizetype kMaxLinkLength = 2000;

bool isButtonEngine(const RankingEngine &engine)
{
    return engine.LinkType.compare(QLatin1String("Button"), Qt::CaseInsensitive) == 0;
}

QString builtPageURL(const RankingEngine &engine, qint64 pageNumber, const QString &keywords)
{
    return engine.EngineURL + engine.NextPage1 + keywords + engine.NextPage2
           + QString::number(pageNumber * engine.Start) + engine.NextPage3 + QString::number(engine.PerPage);
}

// The text between the nearest `opener` before the marker and the marker, at most
// kMaxLinkLength characters; the character right before the marker never belongs to the opener.
// Cut at its first ">", then one leading and one trailing double quote removed.
std::optional<QString> linkBeforeMarker(QStringView page, qsizetype marker, QStringView opener)
{
    for (qsizetype length = 1; length <= kMaxLinkLength; ++length) {
        const qsizetype openerAt = marker - length - opener.size();
        if (openerAt < 0)
            break;
        if (!startsWith(page.sliced(openerAt), opener))
            continue;
        QString link = page.sliced(marker - length, length).toString();
        const qsizetype close = link.indexOf(u'>');
        if (close >= 0)
            link.truncate(close);
        if (link.startsWith(u'"'))
            link.remove(0, 1);
        if (link.endsWith(u'"'))
            link.chop(1);
        return link;
    }
    return std::nullopt;
}

// A link not starting with "http://" is joined to the engine's address with exactly one "/".
QString absoluteURL(const QString &engineURL, const QString &link)
{
    if (startsWith(link, kHttp))
        return link;
    return joinedToEngine(engineURL, link);
}

// "http://host:80/x" names the same page as "http://host/x".
QString withoutDefaultPort(QString url)
{
    if (!startsWith(url, kHttp))
        return url;
    qsizetype hostEnd = kHttp.size();
    while (hostEnd < url.size() && !QStringView(u"/?#:").contains(url[hostEnd]))
        ++hostEnd;
    const qsizetype after = hostEnd + 3;
    if (QStringView(url).sliced(hostEnd).startsWith(u":80")
        && (after == url.size() || QStringView(u"/?#").contains(url[after])))
        url.remove(hostEnd, 3);
    return url;
}

QString linkedPageURL(RankingEngine &engine, QStringView page)
{
    qsizetype marker = RankingSearch::find(page, engine.NextPage1);
    if (marker < 0)
        marker = RankingSearch::find(page, engine.NextPage2);
    if (marker < 0)
        marker = RankingSearch::find(page, engine.NextPage3);
    if (engine.NextPage4.isEmpty())
        engine.NextPage4 = QStringLiteral("href=");
    if (marker < 0)
        return QString();
    const std::optional<QString> link = linkBeforeMarker(page, marker, engine.NextPage4);
    if (!link)
        return QString();
    return withoutDefaultPort(absoluteURL(engine.EngineURL, *link));
}

} // namespace

QString clsRanking::nextPageURL(RankingEngine &engine, QStringView pageText, qint64 pageNumber,
                                const QString &keywords)
{
    engine.nextPageURL =
        isButtonEngine(engine) ? builtPageURL(engine, pageNumber, keywords) : linkedPageURL(engine, pageText);
    return engine.nextPageURL;
}
