#pragma once
// Text searches of the rank check: ASCII letters ignore case, and an empty needle is never found
// (an empty marker of the engine file marks nothing).
#include <QStringView>

#include "core/modCommonHtml.h"

namespace RankingSearch {

inline bool isAsciiLetter(QChar ch)
{
    return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z');
}

// Result pages are long and markers mostly hold a character that is no letter ("<", " ", "."):
// the candidates are the places of that character, found by the fast exact search.
inline qsizetype find(QStringView text, QStringView needle, qsizetype from = 0)
{
    if (needle.isEmpty())
        return -1;
    from = qMax<qsizetype>(from, 0);
    qsizetype key = 0;
    while (key < needle.size() && isAsciiLetter(needle[key]))
        ++key;
    if (key == needle.size())
        return modCommon::indexOfNoCase(text, needle, from);
    for (qsizetype at = text.indexOf(needle[key], from + key); at >= 0; at = text.indexOf(needle[key], at + 1)) {
        const qsizetype start = at - key;
        if (start + needle.size() > text.size())
            return -1;
        if (modCommon::indexOfNoCase(text.sliced(start, needle.size()), needle) == 0)
            return start;
    }
    return -1;
}

inline bool contains(QStringView text, QStringView needle)
{
    return find(text, needle) >= 0;
}

// Exact when asked; the keyword builder matches result pages as they are written.
inline qsizetype find(QStringView text, QStringView needle, Qt::CaseSensitivity cs, qsizetype from = 0)
{
    if (cs == Qt::CaseInsensitive)
        return find(text, needle, from);
    return needle.isEmpty() ? -1 : text.indexOf(needle, from);
}

inline bool contains(QStringView text, QStringView needle, Qt::CaseSensitivity cs)
{
    return find(text, needle, cs) >= 0;
}

inline bool startsWith(QStringView text, QStringView prefix)
{
    return text.size() >= prefix.size() && find(text.first(prefix.size()), prefix) == 0;
}

} // namespace RankingSearch
