#pragma once
// How often each keyword of a page's keywords tag occurs in the page's text, for all keywords in
// one pass over the text, so that a long keyword list on a large page takes no longer than the
// text does.
#include <QList>
#include <QString>
#include <QStringList>

namespace KeywordCounts {

// For each keyword, in order, its non-overlapping occurrences in `text` found from left to right,
// ASCII letters compared ignoring case; 0 for an empty keyword.
QList<int> countAll(const QString &text, const QStringList &keywords);

} // namespace KeywordCounts
