#pragma once
// The text steps of the keyword builder: the site addresses of an engine's result page and the
// keywords of a site's page. Searches match letter case exactly, except the no-results marker;
// an empty marker of the engine file is never found.
#include <QString>
#include <QStringList>
#include <QStringView>

#include "ranking/RankingEngine.h"

namespace KeywordBuilderText {

// The site address one result anchor links to. An anchor holding "http://" gives the address
// from there; any other the target after its "href=" (one leading quote dropped), joined to
// `engineURL` with one "/". The address ends at the first blank, quote, "<" or ">".
QString GetURLName(QStringView anchor, const QString &engineURL);

// The addresses of the first `NumOfURLs` result anchors of the page, in page order, leaving out
// the engine's own links; none when the page holds the engine's no-results text.
QStringList getURL(const KeywordBuilderEngine &builder, QStringView page);

// What one site can add to the list at most, in characters.
inline constexpr qsizetype kMaxSiteKeywordChars = 32 * 1024;

// The page's meta keywords, each trimmed, empty ones dropped, one per line (CR LF) or joined
// by ","; at most kMaxSiteKeywordChars of them, cut after the last whole keyword that fits (a
// single longer keyword is cut at the bound).
QString getKeywords(const QString &page, bool onePerLine);

// Why the page fetch gave no page, from the status it ended with.
QString noPageReason(int statusCode);

} // namespace KeywordBuilderText
