#include "enginedata/UpdateFiles.h"

#include <functional>

#include "platform/IniDocument.h"
#include "platform/Numbers.h"
#include "platform/TextFile.h"
#include "sitedata/EngineRecordReader.h"
#include "sitedata/modDataFiles.h"
#include "sitedata/modEngineData.h"

using namespace Qt::StringLiterals;
using modEngineData::EngineKey;

namespace UpdateFiles {

namespace {

// Calls `onLine` with each line (line end cut off) and its number from 1 until it returns false.
// Lines past the data files' line cap are left out, as the readers leave them out.
void forEachLine(QByteArrayView bytes, const std::function<bool(QByteArrayView, qint64)> &onLine)
{
    qint64 number = 0;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype next = modEngineData::nextLineStart(bytes, at);
        QByteArrayView line = bytes.sliced(at, next - at);
        while (!line.isEmpty() && (line.back() == '\r' || line.back() == '\n'))
            line.chop(1);
        at = next;
        ++number;
        if (line.size() <= Platform::kMaxLineBytes && !onLine(line, number))
            return;
    }
}

// The body's text as the readers of small files see it: its lines, long ones left out.
QString smallFileText(QByteArrayView body)
{
    QStringList lines;
    forEachLine(body, [&lines](QByteArrayView line, qint64) {
        lines.append(modDataFiles::decoded(line));
        return true;
    });
    return lines.join(u"\r\n"_s);
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

QString startProblem(QByteArrayView body)
{
    if (body.contains('\0'))
        return u"it holds binary data"_s;
    qsizetype first = 0;
    while (first < body.size() && (body[first] == ' ' || body[first] == '\t' || body[first] == '\r' || body[first] == '\n'))
        ++first;
    if (first < body.size() && body[first] == '<')
        return u"it is a web page"_s;
    return QString();
}

bool isNumberKey(EngineKey key)
{
    return key == EngineKey::MaxTitle || key == EngineKey::MaxKeywords || key == EngineKey::MaxDescription
           || key == EngineKey::SiteLevel;
}

} // namespace

QString Checker::problem(int fileIndex, QByteArrayView body)
{
    if (body.isEmpty())
        return fileIndex == TopEngines ? QString() : u"it is empty"_s;
    if (const QString start = startProblem(body); !start.isEmpty())
        return start;
    switch (fileIndex) {
    case EngineDatabase: return databaseProblem(body);
    case EngineCategoryData: return categoryDataProblem(body);
    case TopEngines: return topEnginesProblem(body);
    case CategoryList: return categoryListProblem(body);
    case RankingEngines: return rankingEnginesProblem(body);
    default: return u"it is no engine data file"_s;
    }
}

// The engine loader reads to the end line, and a number it cannot hold stops it with its
// "corrupted" box.
QString Checker::databaseProblem(QByteArrayView body)
{
    EngineRecordReader reader(EngineRecordReader::Source::EngineDatabase);
    QSet<CaseInsensitiveKey> names;
    bool ended = false;
    QString problem;
    forEachLine(body, [&](QByteArrayView bytes, qint64 number) {
        const modEngineData::EngineByteLine line = modEngineData::readEngineLine(bytes);
        ended = line.kind == modEngineData::EngineByteLine::EndMarker;
        if (line.kind != modEngineData::EngineByteLine::KeyLine)
            return !ended;
        if (line.key == EngineKey::Name && !line.value.isEmpty())
            names.insert({reader.read(line.key, line.value).text});
        else if (isNumberKey(line.key) && !reader.read(line.key, line.value).number)
            problem = u"line "_s + QString::number(number) + u" ("_s + quoted(modDataFiles::decoded(bytes))
                      + u") holds a number out of its range"_s;
        return problem.isEmpty();
    });
    if (!problem.isEmpty())
        return problem;
    if (!ended)
        return u"it ends before its end line \"END:Version 6.0\""_s;
    if (names.isEmpty())
        return u"it holds no engine"_s;
    m_engineNames = std::move(names);
    return QString();
}

QString Checker::categoryDataProblem(QByteArrayView body)
{
    QSet<CaseInsensitiveKey> mapped;
    bool inEntry = false;
    bool ended = false;
    forEachLine(body, [&](QByteArrayView bytes, qint64) {
        const modEngineData::CategoryByteLine line = modEngineData::readCategoryLine(bytes);
        ended = line.kind == modEngineData::CategoryByteLine::End;
        inEntry = inEntry || line.kind == modEngineData::CategoryByteLine::EntryStart;
        const qsizetype equals = bytes.indexOf('=');
        if (inEntry && line.kind == modEngineData::CategoryByteLine::Item && equals > 0)
            mapped.insert({modDataFiles::decoded(bytes.first(equals))});
        return !ended;
    });
    if (!inEntry)
        return u"it holds no engine category entry"_s;
    if (!ended)
        return u"it ends before its end line \"END\""_s;
    // "URL" gives a custom-category engine's directory address, no category.
    mapped.remove({u"URL"_s});
    m_mappedCategories = std::move(mapped);
    return QString();
}

QString Checker::topEnginesProblem(QByteArrayView body) const
{
    QString problem;
    forEachLine(body, [&](QByteArrayView bytes, qint64 number) {
        if (bytes.isEmpty() || bytes.front() == '#')
            return true;
        const QString name = modEngineData::trimSpaces(modDataFiles::decoded(bytes));
        if (!name.isEmpty() && !m_engineNames.contains({name}))
            problem = u"line "_s + QString::number(number) + u" ("_s + quoted(name)
                      + u") names no engine of the new engine database"_s;
        return problem.isEmpty();
    });
    return problem;
}

QString Checker::categoryListProblem(QByteArrayView body) const
{
    const modEngineData::CategoryList list = modEngineData::parseCategoryList(Platform::splitLines(smallFileText(body)));
    QSet<CaseInsensitiveKey> categories;
    for (const modEngineData::CategoryListEntry &entry : list.categories) {
        if (entry.MainCategory.isEmpty())
            continue;
        categories.insert({entry.MainCategory});
        for (const QString &sub : entry.SubCategories)
            categories.insert({sub});
    }
    if (categories.isEmpty())
        return u"it holds no main category"_s;
    for (const CaseInsensitiveKey &category : m_mappedCategories) {
        if (!categories.contains(category))
            return u"it lacks the category "_s + quoted(category.text) + u" that the engine category data maps"_s;
    }
    return QString();
}

// As the ranking readers read it (their reader lives with the rank check, which this library
// does not link; the INI rules and numbers are the platform's): "Engines" lists the engines and
// every one listed has its section; the keyword builder needs "NumOfURLs" of at least 1.
QString Checker::rankingEnginesProblem(QByteArrayView body)
{
    const Platform::IniDocument file = Platform::IniDocument::fromText(QString(), smallFileText(body));
    const QString engines = u"Engines"_s;
    const std::optional<qint16> count = Platform::strictToInt16(file.valueOr(engines, u"NumOfEngines"_s));
    if (!count || *count < 1)
        return u"it has no [Engines] section with a NumOfEngines from 1 to 32767"_s;
    int listed = 0;
    for (int i = 1; i <= *count; ++i) {
        const QString name = file.valueOr(engines, QString::number(i));
        if (name.isEmpty())
            continue;
        ++listed;
        if (!file.hasSection(name))
            return u"it has no section for engine "_s + QString::number(i) + u" ("_s + quoted(name) + u')';
        for (const QString &key : {u"Start"_s, u"PerPage"_s}) {
            if (!Platform::lenientToInt16(file.valueOr(name, key)))
                return u"the "_s + key + u" of engine "_s + quoted(name) + u" is out of its range"_s;
        }
    }
    if (listed == 0)
        return u"its [Engines] section names no engine"_s;
    const std::optional<qint16> urls = Platform::lenientToInt16(file.valueOr(u"KeywordBuilder"_s, u"NumOfURLs"_s));
    if (!urls || *urls < 1)
        return u"it has no [KeywordBuilder] section with a NumOfURLs of at least 1"_s;
    return QString();
}

} // namespace UpdateFiles
