#include "sitedata/modEngineData.h"

#include <QHash>

namespace modEngineData {

namespace {

const QString &endMarkerText()
{
    static const QString marker = QStringLiteral("END:Version 6.0");
    return marker;
}

QHash<QString, EngineKey> buildKeyTable()
{
    return {
        {QStringLiteral("name"), EngineKey::Name},
        {QStringLiteral("home"), EngineKey::Home},
        {QStringLiteral("addurl"), EngineKey::AddURL},
        {QStringLiteral("country"), EngineKey::Country},
        {QStringLiteral("countryonly"), EngineKey::CountryOnly},
        {QStringLiteral("type"), EngineKey::Type},
        {QStringLiteral("enginetype"), EngineKey::Type},
        {QStringLiteral("category"), EngineKey::Category},
        {QStringLiteral("categorytype"), EngineKey::Category},
        {QStringLiteral("method"), EngineKey::Method},
        {QStringLiteral("action"), EngineKey::Action},
        {QStringLiteral("query"), EngineKey::Query},
        {QStringLiteral("adultonlysites"), EngineKey::AdultOnlySites},
        {QStringLiteral("adultonlysite"), EngineKey::AdultOnlySites},
        {QStringLiteral("adults"), EngineKey::Adults},
        {QStringLiteral("adult"), EngineKey::Adults},
        {QStringLiteral("adultsite"), EngineKey::Adults},
        {QStringLiteral("adultsites"), EngineKey::Adults},
        {QStringLiteral("language"), EngineKey::Language},
        {QStringLiteral("maxtitle"), EngineKey::MaxTitle},
        {QStringLiteral("maxkeywords"), EngineKey::MaxKeywords},
        {QStringLiteral("maxkeyword"), EngineKey::MaxKeywords},
        {QStringLiteral("maxdescription"), EngineKey::MaxDescription},
        {QStringLiteral("maxdescr"), EngineKey::MaxDescription},
        {QStringLiteral("sitelevel"), EngineKey::SiteLevel},
    };
}

} // namespace

EngineKey engineKeyOf(const QString &key)
{
    static const QHash<QString, EngineKey> table = buildKeyTable();
    // Only ASCII letters make a known key, so a plain lower-casing is enough.
    return table.value(key.toLower(), EngineKey::Ignored);
}

QString trimSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    if (first == 0 && last == text.size())
        return text;
    return text.mid(first, last - first);
}

EngineDatabase parseEngineDatabase(const QStringList &lines, bool stopAtEndMarker)
{
    EngineDatabase result;
    RawEngine current;
    bool haveCurrent = false;
    for (const QString &line : lines) {
        if (line.isEmpty() || line.at(0) == QLatin1Char('#'))
            continue;
        if (stopAtEndMarker && line.compare(endMarkerText(), Qt::CaseInsensitive) == 0) {
            result.endMarker = true;
            break;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const EngineKey key = engineKeyOf(line.left(equals));
        if (key == EngineKey::Ignored)
            continue;
        if (key == EngineKey::Name && haveCurrent) {
            result.engines.append(std::move(current));
            current = RawEngine();
        }
        haveCurrent = true;
        current.lines.append({key, trimSpaces(line.mid(equals + 1))});
    }
    if (haveCurrent)
        result.engines.append(std::move(current));
    return result;
}

QList<EngineCategoryEntry> parseEngineCategoryData(const QStringList &lines)
{
    QList<EngineCategoryEntry> entries;
    for (const QString &line : lines) {
        if (trimSpaces(line).isEmpty() || line.at(0) == QLatin1Char('#'))
            continue;
        if (line.compare(QLatin1String("END"), Qt::CaseInsensitive) == 0)
            break;
        if (line.at(0) == QLatin1Char('[')) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            if (close >= 0)
                entries.append({line.mid(1, close - 1), QString()});
            continue;
        }
        if (entries.isEmpty())
            continue;
        QString &data = entries.last().CategoryData;
        data += line;
        data += QLatin1Char('>');
    }
    return entries;
}

CategoryList parseCategoryList(const QStringList &lines)
{
    CategoryList result;
    for (const QString &line : lines) {
        if (line.isEmpty() || line.at(0) == QLatin1Char('#'))
            continue;
        if (line.size() >= 2 && line.at(0) == QLatin1Char('[') && line.back() == QLatin1Char(']')) {
            result.categories.append({line.mid(1, line.size() - 2), QStringList(), line});
            continue;
        }
        if (result.categories.isEmpty())
            result.linesBeforeFirst.append(line);
        else
            result.categories.last().SubCategories.append(line);
    }
    return result;
}

} // namespace modEngineData
