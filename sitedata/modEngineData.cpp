#include "sitedata/modEngineData.h"

#include <array>
#include <cstring>
#include <vector>

#include <QHash>

#include "sitedata/modDataFiles.h"

namespace modEngineData {

namespace {

const QString &endMarkerText()
{
    static const QString marker = QStringLiteral("END:Version 6.0");
    return marker;
}

struct KeyName {
    QLatin1StringView name;
    EngineKey key;
};

// Every key and alias; a line's key is matched against these ignoring case.
constexpr KeyName kKeyNames[] = {
    {QLatin1StringView("Name"), EngineKey::Name},
    {QLatin1StringView("Home"), EngineKey::Home},
    {QLatin1StringView("AddURL"), EngineKey::AddURL},
    {QLatin1StringView("Country"), EngineKey::Country},
    {QLatin1StringView("CountryOnly"), EngineKey::CountryOnly},
    {QLatin1StringView("Type"), EngineKey::Type},
    {QLatin1StringView("EngineType"), EngineKey::Type},
    {QLatin1StringView("Category"), EngineKey::Category},
    {QLatin1StringView("CategoryType"), EngineKey::Category},
    {QLatin1StringView("Method"), EngineKey::Method},
    {QLatin1StringView("Action"), EngineKey::Action},
    {QLatin1StringView("Query"), EngineKey::Query},
    {QLatin1StringView("AdultOnlySites"), EngineKey::AdultOnlySites},
    {QLatin1StringView("AdultOnlySite"), EngineKey::AdultOnlySites},
    {QLatin1StringView("Adults"), EngineKey::Adults},
    {QLatin1StringView("Adult"), EngineKey::Adults},
    {QLatin1StringView("AdultSite"), EngineKey::Adults},
    {QLatin1StringView("AdultSites"), EngineKey::Adults},
    {QLatin1StringView("Language"), EngineKey::Language},
    {QLatin1StringView("MaxTitle"), EngineKey::MaxTitle},
    {QLatin1StringView("MaxKeywords"), EngineKey::MaxKeywords},
    {QLatin1StringView("MaxKeyword"), EngineKey::MaxKeywords},
    {QLatin1StringView("MaxDescription"), EngineKey::MaxDescription},
    {QLatin1StringView("MaxDescr"), EngineKey::MaxDescription},
    {QLatin1StringView("SiteLevel"), EngineKey::SiteLevel},
};

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c | 0x20) : c;
}

// In the program's code page no character but an ASCII letter matches an ASCII letter ignoring
// case, so comparing bytes this way is the text comparison ignoring case.
bool sameIgnoringAsciiCase(QByteArrayView bytes, QLatin1StringView ascii)
{
    if (bytes.size() != ascii.size())
        return false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (asciiLower(bytes[i]) != asciiLower(ascii[i].toLatin1()))
            return false;
    }
    return true;
}

constexpr qsizetype kLongestKey = 14;

// Every key line is looked up here: the key in small letters against the names of its length.
EngineKey keyOf(QByteArrayView key)
{
    struct LowerName {
        std::array<char, kLongestKey> text;
        EngineKey key;
    };
    static const auto byLength = [] {
        std::array<std::vector<LowerName>, kLongestKey + 1> names;
        for (const KeyName &known : kKeyNames) {
            LowerName lower{{}, known.key};
            for (qsizetype i = 0; i < known.name.size(); ++i)
                lower.text[size_t(i)] = asciiLower(known.name[i].toLatin1());
            names[size_t(known.name.size())].push_back(lower);
        }
        return names;
    }();
    if (key.size() > kLongestKey)
        return EngineKey::Ignored;
    char lower[kLongestKey];
    for (qsizetype i = 0; i < key.size(); ++i)
        lower[i] = asciiLower(key[i]);
    for (const LowerName &known : byLength[size_t(key.size())]) {
        if (std::memcmp(lower, known.text.data(), size_t(key.size())) == 0)
            return known.key;
    }
    return EngineKey::Ignored;
}

QByteArrayView trimmedSpaces(QByteArrayView bytes)
{
    while (!bytes.isEmpty() && bytes.front() == ' ')
        bytes = bytes.sliced(1);
    while (!bytes.isEmpty() && bytes.back() == ' ')
        bytes.chop(1);
    return bytes;
}

EngineKey keyOf(QStringView key)
{
    for (const KeyName &known : kKeyNames) {
        if (known.name.size() == key.size() && key.compare(known.name, Qt::CaseInsensitive) == 0)
            return known.key;
    }
    return EngineKey::Ignored;
}

QStringView trimmedSpaces(QStringView text)
{
    while (!text.isEmpty() && text.front() == QLatin1Char(' '))
        text = text.mid(1);
    while (!text.isEmpty() && text.back() == QLatin1Char(' '))
        text.chop(1);
    return text;
}

} // namespace

EngineKey engineKeyOf(const QString &key)
{
    return keyOf(key);
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

EngineByteLine readEngineLine(QByteArrayView line)
{
    if (line.isEmpty() || line.front() == '#')
        return {EngineByteLine::Blank, EngineKey::Ignored, {}};
    if (sameIgnoringAsciiCase(line, QLatin1StringView("END:Version 6.0")))
        return {EngineByteLine::EndMarker, EngineKey::Ignored, {}};
    // Keys are short: a plain walk finds the "=" sooner than a search call.
    qsizetype equals = 0;
    while (equals < line.size() && line[equals] != '=')
        ++equals;
    const EngineKey key = equals == line.size() ? EngineKey::Ignored : keyOf(line.first(equals));
    if (key == EngineKey::Ignored)
        return {EngineByteLine::Other, key, {}};
    return {EngineByteLine::KeyLine, key, trimmedSpaces(line.sliced(equals + 1))};
}

EngineDatabaseParser::EngineDatabaseParser(bool stopAtEndMarker, EngineHandler onEngine)
    : m_stopAtEndMarker(stopAtEndMarker), m_onEngine(std::move(onEngine))
{
}

bool EngineDatabaseParser::feed(const QString &line)
{
    if (m_endMarker)
        return false;
    if (line.isEmpty() || line.at(0) == QLatin1Char('#'))
        return true;
    if (m_stopAtEndMarker && line.size() == endMarkerText().size()
        && line.compare(endMarkerText(), Qt::CaseInsensitive) == 0) {
        m_endMarker = true;
        return false;
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    const EngineKey key = equals < 0 ? EngineKey::Ignored : keyOf(QStringView(line).left(equals));
    if (key == EngineKey::Ignored) {
        ++m_skippedLines;
        return true;
    }
    if (key == EngineKey::Name && m_haveCurrent) {
        m_onEngine(std::move(m_current));
        m_current = RawEngine();
    }
    m_haveCurrent = true;
    m_current.lines.append({key, trimmedSpaces(QStringView(line).mid(equals + 1)).toString()});
    return true;
}

void EngineDatabaseParser::finish()
{
    if (m_haveCurrent)
        m_onEngine(std::move(m_current));
    m_current = RawEngine();
    m_haveCurrent = false;
}

EngineDatabase parseEngineDatabase(const QStringList &lines, bool stopAtEndMarker)
{
    EngineDatabase result;
    EngineDatabaseParser parser(stopAtEndMarker, [&result](RawEngine &&engine) { result.engines.append(std::move(engine)); });
    for (const QString &line : lines) {
        if (!parser.feed(line))
            break;
    }
    parser.finish();
    result.endMarker = parser.endMarker();
    return result;
}

bool EngineCategoryParser::feed(const QString &line)
{
    if (m_ended)
        return false;
    if (trimmedSpaces(line).isEmpty() || line.at(0) == QLatin1Char('#'))
        return true;
    if (line.compare(QLatin1String("END"), Qt::CaseInsensitive) == 0) {
        m_ended = true;
        return false;
    }
    if (line.at(0) == QLatin1Char('[')) {
        const qsizetype close = line.indexOf(QLatin1Char(']'));
        if (close >= 0) {
            finishEntry();
            m_entries.append({line.mid(1, close - 1), QString()});
        }
        return true;
    }
    if (m_entries.isEmpty())
        return true;
    QString &data = m_entries.last().CategoryData;
    data += line;
    data += QLatin1Char('>');
    return true;
}

CategoryByteLine readCategoryLine(QByteArrayView line)
{
    if (trimmedSpaces(line).isEmpty() || line.front() == '#')
        return {};
    if (sameIgnoringAsciiCase(line, QLatin1StringView("END")))
        return {CategoryByteLine::End, {}};
    if (line.front() == '[') {
        const qsizetype close = line.indexOf(']');
        return close < 0 ? CategoryByteLine() : CategoryByteLine{CategoryByteLine::EntryStart, line.sliced(1, close - 1)};
    }
    return {CategoryByteLine::Item, {}};
}

bool EngineCategoryParser::feed(QByteArrayView line)
{
    if (m_ended)
        return false;
    const CategoryByteLine read = readCategoryLine(line);
    if (read.kind == CategoryByteLine::Skipped)
        return true;
    if (read.kind == CategoryByteLine::End) {
        m_ended = true;
        return false;
    }
    if (read.kind == CategoryByteLine::EntryStart) {
        finishEntry();
        m_entries.append({modDataFiles::decoded(read.entryName), QString()});
        return true;
    }
    if (m_entries.isEmpty())
        return true;
    // Gathered as bytes and decoded once the entry is whole, into text of its final size.
    m_pendingData.append(line);
    m_pendingData.append('>');
    return true;
}

// The engines keep an entry's data for as long as they are loaded: drop the room it grew into.
void EngineCategoryParser::finishEntry()
{
    if (m_entries.isEmpty())
        return;
    QString &data = m_entries.last().CategoryData;
    if (data.isEmpty())
        data = modDataFiles::decoded(m_pendingData);
    else
        modDataFiles::appendDecoded(data, m_pendingData);
    m_pendingData.resize(0);
    data.squeeze();
}

QList<EngineCategoryEntry> EngineCategoryParser::takeEntries()
{
    finishEntry();
    return std::move(m_entries);
}

QList<EngineCategoryEntry> parseEngineCategoryData(const QStringList &lines)
{
    EngineCategoryParser parser;
    for (const QString &line : lines) {
        if (!parser.feed(line))
            break;
    }
    return parser.takeEntries();
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

qsizetype nextLineStart(QByteArrayView bytes, qsizetype lineStart)
{
    for (qsizetype i = lineStart; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            return i + 1;
        if (bytes[i] == '\r')
            return i + 1 < bytes.size() && bytes[i + 1] == '\n' ? i + 2 : i + 1;
    }
    return bytes.size();
}

bool isWholeLineAt(QByteArrayView bytes, qsizetype start, QByteArrayView line)
{
    const qsizetype end = start + line.size();
    if (start < 0 || end > bytes.size())
        return false;
    const bool lineEndsThere = end == bytes.size() || bytes[end] == '\r' || bytes[end] == '\n';
    return lineEndsThere && bytes.sliced(start, line.size()).compare(line, Qt::CaseInsensitive) == 0;
}

qsizetype findWholeLine(QByteArrayView bytes, QByteArrayView line, qsizetype from)
{
    for (qsizetype start = from; start + line.size() <= bytes.size(); start = nextLineStart(bytes, start)) {
        if (isWholeLineAt(bytes, start, line))
            return start;
    }
    return -1;
}

} // namespace modEngineData
