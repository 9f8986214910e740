#include "ranking/SearchQuery.h"

#include "transport/modDSSockUrl.h"

namespace SearchQuery {

namespace {

bool startsWithNoCase(const QString &text, QLatin1StringView prefix)
{
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

} // namespace

QString queryText(int type, const QString &searchText, const QString &urlVisibility)
{
    switch (type) {
    case UrlVisibility:
        return urlVisibility.trimmed() + modDSSock::getHostName(searchText);
    case LinkPopulation:
        return QStringLiteral("link:") + modDSSock::getHostName(searchText);
    default:
        return startsWithNoCase(searchText, QLatin1StringView("http://")) ? searchText.mid(7) : searchText;
    }
}

QString engineQueryAddress(const RankingEngine &engine, const QString &query)
{
    return engine.EngineURL + engine.QueryKeyword1 + modDSSock::convertString(query) + engine.QueryKeyword2;
}

bool isBrowserAddress(const QString &address)
{
    return startsWithNoCase(address, QLatin1StringView("http://"))
           || startsWithNoCase(address, QLatin1StringView("https://"));
}

} // namespace SearchQuery
