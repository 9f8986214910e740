#include "sitedata/clsMainText.h"

#include <climits>

#include "platform/IniFile.h"

namespace clsMainText {

int leadingDigits(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    qint64 value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(value);
}

int highestNumberedKey(const QString &file, const QString &section, const QString &prefix)
{
    int highest = 0;
    for (const QString &key : Platform::iniKeys(file, section)) {
        if (!key.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        bool ok = false;
        const int n = key.mid(prefix.size()).toInt(&ok);
        if (ok && n > highest)
            highest = n;
    }
    return highest;
}

QList<LineSpan> lineSpans(const QString &text)
{
    QList<LineSpan> spans;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
            ++end;
        qsizetype next = end;
        if (next < size && text.at(next) == QLatin1Char('\r'))
            ++next;
        if (next < size && text.at(next) == QLatin1Char('\n') && (next == end || text.at(end) == QLatin1Char('\r')))
            ++next;
        spans.append({start, end - start, next});
        start = next;
    }
    return spans;
}

bool isSectionHeader(const QString &line)
{
    const QString trimmed = line.trimmed();
    return trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'));
}

} // namespace clsMainText
