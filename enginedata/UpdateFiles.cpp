#include "enginedata/UpdateFiles.h"

#include <array>

#include <QSet>

#include "platform/Codec1252.h"
#include "platform/IniDocument.h"
#include "platform/Numbers.h"
#include "sitedata/modDataFiles.h"
#include "sitedata/modEngineData.h"

using namespace Qt::StringLiterals;
using modEngineData::EngineKey;

namespace UpdateFiles {

namespace {

// Names are compared ignoring case as the engine collection compares them, a character at a time
// (QChar::toCaseFolded). In the program's code page every character folds to one character of the
// code page or to none: folding the bytes by this table gives equal bytes exactly for names equal
// ignoring case, without decoding them.
const std::array<char, 256> &foldTable()
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> folds{};
        for (int byte = 0; byte < 256; ++byte) {
            const QString character = Platform::fromAnsi(QByteArray(1, char(byte)));
            bool encoded = false;
            const QByteArray fold = Platform::toAnsi(character.toCaseFolded(), &encoded);
            folds[size_t(byte)] = encoded && fold.size() == 1 ? fold[0] : char(byte);
        }
        return folds;
    }();
    return table;
}

// The bytes folded into `into`, which keeps its room for the next ones.
void foldInto(QByteArray &into, QByteArrayView bytes)
{
    const std::array<char, 256> &folds = foldTable();
    into.resize(bytes.size());
    char *out = into.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = folds[size_t(static_cast<unsigned char>(bytes[i]))];
}

QByteArray folded(const QString &text)
{
    QByteArray bytes;
    foldInto(bytes, Platform::toAnsi(text));
    return bytes;
}

// Only the end line, Name lines and number lines ("Max..." and "SiteLevel") can make the engine
// loader stop, hold a name or fail: a look at their first bytes passes over the others.
bool mayMatter(QByteArrayView line)
{
    switch (line.isEmpty() ? 0 : line.front() | 0x20) {
    case 'n': case 's': case 'e': return true;
    case 'm': return line.size() > 1 && (line[1] | 0x20) == 'a';
    default: return false;
    }
}

bool isNumberKey(EngineKey key)
{
    return key == EngineKey::MaxTitle || key == EngineKey::MaxKeywords || key == EngineKey::MaxDescription
           || key == EngineKey::SiteLevel;
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

} // namespace

void Checker::reset()
{
    m_mappedCategories.clear();
    m_file = -1;
}

void Checker::begin(int fileIndex)
{
    m_file = fileIndex;
    m_size = 0;
    m_binary = m_sawText = m_webPage = false;
    m_skipped.clear();
    m_onLine = [this](QByteArrayView bytes) { return line(bytes); };
    m_cutter.emplace(m_onLine, m_skipped);
    m_stopped = m_byteOrderMark = false;
    m_lines = 0;
    m_problem.clear();
    m_ended = m_inEntry = false;
    m_reader.emplace(EngineRecordReader::Source::EngineDatabase);
    m_names = m_topEndLine = 0;
    m_topEntries = m_topEnd = false;
    m_mapped.clear();
    m_lately.fill(QByteArray());
    m_textLines.clear();
}

void Checker::take(QByteArrayView bytes)
{
    m_size += bytes.size();
    m_binary = m_binary || bytes.contains('\0');
    for (qsizetype i = 0; !m_sawText && i < bytes.size(); ++i) {
        const char byte = bytes[i];
        m_sawText = byte != ' ' && byte != '\t' && byte != '\r' && byte != '\n';
        m_webPage = byte == '<';
    }
    m_stopped = m_stopped || !m_cutter->take(bytes);
}

QString Checker::end()
{
    if (!m_stopped)
        m_cutter->finish();
    m_cutter.reset();
    if (m_size == 0)
        return m_file == TopEngines ? QString() : u"it is empty"_s;
    if (m_binary)
        return u"it holds binary data"_s;
    if (m_webPage)
        return u"it is a web page"_s;
    const QString problem = fileProblem();
    if (problem.isEmpty() || !m_byteOrderMark || m_file == TopEngines)
        return problem;
    return problem + u"; it starts with a UTF-8 byte-order mark, which its reader reads as part of line 1"_s;
}

QString Checker::problem(int fileIndex, QByteArrayView body)
{
    begin(fileIndex);
    take(body);
    return end();
}

// False once the file's reader reads no further.
bool Checker::line(QByteArrayView bytes)
{
    ++m_lines;
    if (m_lines == 1 && bytes.startsWith(kByteOrderMark)) {
        m_byteOrderMark = true;
        if (hiddenByMark(bytes.sliced(kByteOrderMark.size()))) {
            m_problem = u"its reader would not find line 1 ("_s
                        + quoted(modDataFiles::decoded(bytes.sliced(kByteOrderMark.size()))) + u')';
            return false;
        }
    }
    switch (m_file) {
    case EngineDatabase: return databaseLine(bytes);
    case EngineCategoryData: return categoryDataLine(bytes);
    case TopEngines:
        topEnginesLine(m_lines == 1 && m_byteOrderMark ? bytes.sliced(kByteOrderMark.size()) : bytes);
        return true;
    default: m_textLines.append(modDataFiles::decoded(bytes)); return true;
    }
}

// Whether line 1, read without the byte-order mark before it, is a line its reader would have
// kept and now loses: the first engine's Name line, the first engine category entry, the first
// main category. (The ranking engine file is read whole by fileProblem(), mark included.)
bool Checker::hiddenByMark(QByteArrayView rest) const
{
    switch (m_file) {
    case EngineDatabase: {
        const modEngineData::EngineByteLine line = modEngineData::readEngineLine(rest);
        return line.kind == modEngineData::EngineByteLine::KeyLine && line.key == EngineKey::Name && !line.value.isEmpty();
    }
    case EngineCategoryData:
        return modEngineData::readCategoryLine(rest).kind == modEngineData::CategoryByteLine::EntryStart;
    case CategoryList:
        return !modEngineData::parseCategoryList({modDataFiles::decoded(rest)}).categories.isEmpty();
    default: return false;
    }
}

// The engine loader reads to the end line, and a number it cannot hold stops it with its
// "corrupted" box.
bool Checker::databaseLine(QByteArrayView bytes)
{
    if (!mayMatter(bytes))
        return true;
    const modEngineData::EngineByteLine line = modEngineData::readEngineLine(bytes);
    m_ended = line.kind == modEngineData::EngineByteLine::EndMarker;
    if (line.kind != modEngineData::EngineByteLine::KeyLine)
        return !m_ended;
    if (line.key == EngineKey::Name && !line.value.isEmpty())
        ++m_names;
    else if (isNumberKey(line.key) && !m_reader->read(line.key, line.value).number)
        m_problem = u"line "_s + QString::number(lineNumber()) + u" ("_s + quoted(modDataFiles::decoded(bytes))
                    + u") holds a number out of its range"_s;
    return m_problem.isEmpty();
}

bool Checker::categoryDataLine(QByteArrayView bytes)
{
    const modEngineData::CategoryByteLine line = modEngineData::readCategoryLine(bytes);
    m_ended = line.kind == modEngineData::CategoryByteLine::End;
    m_inEntry = m_inEntry || line.kind == modEngineData::CategoryByteLine::EntryStart;
    const qsizetype equals = line.kind == modEngineData::CategoryByteLine::Item ? bytes.indexOf('=') : -1;
    if (m_inEntry && equals > 0 && !seenLately(bytes.first(equals))) {
        foldInto(m_buffer, bytes.first(equals));
        if (!m_mapped.contains(m_buffer))
            m_mapped.insert(m_buffer, modDataFiles::decoded(bytes.first(equals)));
    }
    return !m_ended;
}

// Entries map the same few categories over and over: a category met lately is known already.
bool Checker::seenLately(QByteArrayView category)
{
    QByteArray &slot = m_lately[(static_cast<unsigned char>(category.front()) * 31 + size_t(category.size())) % m_lately.size()];
    if (slot == category)
        return true;
    slot = category.toByteArray();
    return false;
}

// No part of the program reads the top-engine list, so a vendor's list a little out of step with
// its database (an engine it lacks) does no harm. It is refused only when it is plainly another of
// the five files: it holds the engine database's end line, or engine category entries followed by
// the category data's end line "END", or the ranking engine file's [Engines] section (fileProblem()).
// A category list has no marker of its own that a list of names could not hold: it passes.
void Checker::topEnginesLine(QByteArrayView bytes)
{
    if (m_topEndLine == 0 && modEngineData::readEngineLine(bytes).kind == modEngineData::EngineByteLine::EndMarker)
        m_topEndLine = m_lines;
    const modEngineData::CategoryByteLine::Kind kind = modEngineData::readCategoryLine(bytes).kind;
    m_topEnd = m_topEnd || (m_topEntries && kind == modEngineData::CategoryByteLine::End);
    m_topEntries = m_topEntries || kind == modEngineData::CategoryByteLine::EntryStart;
    m_textLines.append(modDataFiles::decoded(bytes));
}

QString Checker::fileProblem()
{
    if (!m_problem.isEmpty())
        return m_problem;
    switch (m_file) {
    case EngineDatabase:
        if (!m_ended)
            return u"it ends before its end line \"END:Version 6.0\""_s;
        if (m_names == 0)
            return u"it holds no engine"_s;
        return QString();
    case EngineCategoryData:
        if (!m_inEntry)
            return u"it holds no engine category entry"_s;
        if (!m_ended)
            return u"it ends before its end line \"END\""_s;
        // "URL" gives a custom-category engine's directory address, no category.
        m_mapped.remove("url");
        m_mappedCategories = std::move(m_mapped);
        return QString();
    case TopEngines: return topEnginesProblem();
    case CategoryList: return categoryListProblem();
    case RankingEngines: return rankingEnginesProblem();
    default: return u"it is no engine data file"_s;
    }
}

QString Checker::topEnginesProblem() const
{
    if (m_topEndLine > 0)
        return u"it is an engine database: line "_s + QString::number(m_topEndLine) + u" is its end line \"END:Version 6.0\""_s;
    if (m_topEntries && m_topEnd)
        return u"it is engine category data: it holds category entries and their end line \"END\""_s;
    if (Platform::IniDocument::fromText(QString(), m_textLines.join(u"\r\n"_s)).hasSection(u"Engines"_s))
        return u"it is a ranking engine file: it holds an [Engines] section"_s;
    return QString();
}

QString Checker::categoryListProblem() const
{
    const modEngineData::CategoryList list = modEngineData::parseCategoryList(m_textLines);
    QSet<QByteArray> categories;
    for (const modEngineData::CategoryListEntry &entry : list.categories) {
        if (entry.MainCategory.isEmpty())
            continue;
        categories.insert(folded(entry.MainCategory));
        for (const QString &sub : entry.SubCategories)
            categories.insert(folded(sub));
    }
    if (categories.isEmpty())
        return u"it holds no main category"_s;
    for (auto mapped = m_mappedCategories.cbegin(); mapped != m_mappedCategories.cend(); ++mapped) {
        if (!categories.contains(mapped.key()))
            return u"it lacks the category "_s + quoted(mapped.value()) + u" that the engine category data maps"_s;
    }
    return QString();
}

// As the ranking readers read it (their reader lives with the rank check, which this library
// does not link; the INI rules and numbers are the platform's): "Engines" lists the engines and
// every one listed has its section; the keyword builder needs "NumOfURLs" of at least 1.
QString Checker::rankingEnginesProblem() const
{
    const Platform::IniDocument file = Platform::IniDocument::fromText(QString(), m_textLines.join(u"\r\n"_s));
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
