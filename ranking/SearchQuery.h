#pragma once
// Query addresses of the engines of the ranking engine file: a keyword search, a check of how
// an engine lists a site's host, and a count of the pages linking to it.
#include <QString>

#include "ranking/RankingEngine.h"

namespace SearchQuery {

// The search types in the order the launcher lists them.
enum Type : int { GeneralKeyword = 0, UrlVisibility = 1, LinkPopulation = 2 };

// The text searched for: the search text (without a leading "http://", any case) for a
// keyword search; the engine's URL-visibility prefix (trimmed) or "link:" before the text's
// host for the other two.
QString queryText(int type, const QString &searchText, const QString &urlVisibility);

// EngineURL, QueryKeyword1, the query in form encoding, QueryKeyword2.
QString engineQueryAddress(const RankingEngine &engine, const QString &query);

// Only web addresses go to the browser: the engine file comes from the network.
bool isBrowserAddress(const QString &address);

} // namespace SearchQuery
