#include "enginedata/EngineDefinition.h"

#include <algorithm>

#include <QHash>
#include <QSet>
#include <QStringList>

#include "platform/Numbers.h"

namespace EngineDefinition {

namespace {

// The builder's tabs the user is sent to (frmEngineBuilder::Tab).
constexpr int kSourceTab = 0;
constexpr int kFieldsTab = 1;

const QString kTitle = QStringLiteral("Engine Builder");

QString yesNo(bool ticked)
{
    return ticked ? QStringLiteral("Yes") : QStringLiteral("No");
}

QString itemKey(const QString &item)
{
    return item.left(item.indexOf(QLatin1Char('=')));
}

// The mapping row of the category (ignoring case), or null.
const QString *mappedValue(const Rows &mappings, const QString &key)
{
    for (const auto &[category, engineCategory] : mappings) {
        if (category.compare(key, Qt::CaseInsensitive) == 0)
            return &engineCategory;
    }
    return nullptr;
}

// The category string, items joined by ">": the stored items first, in their order, as they were
// where the row still shows the value the last of them gave it (or where no row shows them); a
// changed row's value in the place of its first item; then the rows mapped anew, in list order.
QString categoryData(const Rows &mappings, const QStringList &stored)
{
    QHash<QString, QString> shown;   // case-folded key: the value the row was given
    for (const QString &item : stored) {
        if (item.contains(QLatin1Char('=')))
            shown.insert(itemKey(item).toCaseFolded(), item.mid(item.indexOf(QLatin1Char('=')) + 1));
    }
    QStringList items;
    QSet<QString> placed;
    for (const QString &item : stored) {
        const QString folded = itemKey(item).toCaseFolded();
        const QString *row = item.contains(QLatin1Char('=')) ? mappedValue(mappings, itemKey(item)) : nullptr;
        if (!row || *row == shown.value(folded))
            items.append(item);
        else if (!placed.contains(folded) && !row->isEmpty())
            items.append(itemKey(item) + QLatin1Char('=') + *row);
        placed.insert(folded);
    }
    for (const auto &[key, engineCategory] : mappings) {
        if (!engineCategory.isEmpty() && !shown.contains(key.toCaseFolded()))
            items.append(key + QLatin1Char('=') + engineCategory);
    }
    return items.join(QLatin1Char('>'));
}

bool anyRowMapped(const Rows &mappings)
{
    return std::any_of(mappings.begin(), mappings.end(), [](const auto &row) { return !row.second.isEmpty(); });
}

QString categoryMode(const Controls &c)
{
    // A mapped row means the engine asks for a category, whatever the request box says.
    if (anyRowMapped(c.mappings))
        return QStringLiteral("Y");
    if (!c.requestCategory)
        return QStringLiteral("N");
    return c.engineType == kFfaLinks ? QStringLiteral("F") : QStringLiteral("Y");
}

QString numbersError(const Controls &c)
{
    if (!Platform::strictToInt16(c.siteLevel))
        return QStringLiteral("The site level \"%1\" is not a whole number from -32768 to 32767.").arg(c.siteLevel);
    for (const QString &text : {c.maxTitle, c.maxKeywords, c.maxDescription}) {
        if (!Platform::lenientToInt32(text))
            return QStringLiteral("A maximum length is too large.");
    }
    return QString();
}

} // namespace

QString bracketNameRefusal(const QString &name)
{
    return name.contains(QLatin1Char(']')) ? QStringLiteral("An engine name cannot contain ']'.") : QString();
}

QString nameInDatabaseMessage()
{
    return QStringLiteral("This engine name is already exsit in the engine database. Please choose a different name.");
}

int engineTypeIndex(const QString &code)
{
    for (int i = 0; i < kEngineTypeCount; ++i) {
        if (code.compare(QLatin1String(kEngineTypes[i].code), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::optional<Refusal> refusal(const Controls &c, const std::function<bool(const QString &)> &inEngineDatabase)
{
    using Box = Refusal::Box;
    if (c.name.isEmpty())
        return Refusal{QStringLiteral("Please enter engine name."), kTitle, kSourceTab, Box::Name};
    if (const QString refused = bracketNameRefusal(c.name); !refused.isEmpty())
        return Refusal{refused, kTitle, -1, Box::None};
    // The main loader keeps the first of two engines of one name: a merged one would be dropped.
    if (inEngineDatabase && inEngineDatabase(c.name))
        return Refusal{nameInDatabaseMessage(), QStringLiteral("Save Engine"), kSourceTab, Box::Name};
    if (!c.action.contains(QLatin1String("://")))
        return Refusal{QStringLiteral("Invalid Action Field ! Please make sure to use FULL URL path."), kTitle,
                       kFieldsTab, Box::Action};
    if (const QString error = numbersError(c); !error.isEmpty())
        return Refusal{QStringLiteral("saveEngineData_Error:") + error, kTitle, -1, Box::None};
    return std::nullopt;
}

QString withScheme(const QString &url)
{
    return url.contains(QLatin1String("://")) ? url : QStringLiteral("http://") + url;
}

CustomEngineRecord toRecord(const Controls &c, CustomEngineRecord record)
{
    QStringList query;
    for (const auto &[name, value] : c.fields)
        query.append(name + QLatin1Char('=') + value);
    record.Name = c.name;
    record.Home = withScheme(c.home);
    record.AddURL = withScheme(c.addUrl);
    record.Country = c.country;
    record.CountryOnly = yesNo(c.countryOnly);
    record.Type = c.engineType >= 0 && c.engineType < kEngineTypeCount ? QLatin1String(kEngineTypes[c.engineType].code)
                                                                       : QString();
    record.Category = categoryMode(c);
    record.CategoryData = categoryData(c.mappings, c.categoryItems);
    record.Method = c.method;
    record.Action = c.action;
    record.Query = query.join(QLatin1Char('&'));
    record.Adults = yesNo(c.allowAdultSites);
    record.AdultOnlySites = yesNo(c.adultOnlySite);
    record.Language = c.language;
    record.MaxTitle = Platform::lenientToInt32(c.maxTitle).value_or(0);
    record.MaxKeywords = Platform::lenientToInt32(c.maxKeywords).value_or(0);
    record.MaxDescription = Platform::lenientToInt32(c.maxDescription).value_or(0);
    record.SiteLevel = Platform::strictToInt16(c.siteLevel).value_or(0);
    return record;
}

QString mappingRefusal(const QString &key, const QString &engineCategory)
{
    if (engineCategory.contains(QLatin1Char('>')))
        return QStringLiteral("An engine category cannot contain \">\": \"%1\".").arg(engineCategory);
    if (!engineCategory.isEmpty() && (key.contains(QLatin1Char('=')) || key.contains(QLatin1Char('>'))))
        return QStringLiteral("The category \"%1\" cannot be mapped: its name contains \"=\" or \">\".").arg(key);
    return QString();
}

} // namespace EngineDefinition
