#pragma once
// Text searches of the rank check: ASCII letters ignore case, and an empty needle is never found
// (an empty marker of the engine file marks nothing).
#include <QStringView>

#include "core/modCommonHtml.h"

namespace RankingSearch {

inline qsizetype find(QStringView text, QStringView needle, qsizetype from = 0)
{
    return needle.isEmpty() ? -1 : modCommon::indexOfNoCase(text, needle, from);
}

inline bool contains(QStringView text, QStringView needle)
{
    return find(text, needle) >= 0;
}

inline bool startsWith(QStringView text, QStringView prefix)
{
    return text.size() >= prefix.size() && find(text.first(prefix.size()), prefix) == 0;
}

} // namespace RankingSearch
