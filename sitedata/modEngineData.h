#pragma once
// Readers of the engine data files: the engine database, the engine category data and the
// category list. They only parse; what an engine means to the main window (lists, counters,
// custom-category engines) is done by their callers. Lines end at CR LF, CR or a lone LF.
#include <functional>

#include <QList>
#include <QString>
#include <QStringList>

namespace modEngineData {

// Keys of the engine database, aliases folded in.
enum class EngineKey {
    Name, Home, AddURL, Country, CountryOnly, Type, Category, Method, Action, Query,
    AdultOnlySites, Adults, Language, MaxTitle, MaxKeywords, MaxDescription, SiteLevel, Ignored
};

// The key named by `key` (ignoring case; taken literally, so blanks make it match nothing).
EngineKey engineKeyOf(const QString &key);

struct EngineLine {
    EngineKey key;
    QString value;   // spaces trimmed at both ends; tabs stay
};

// The key lines of one engine in file order. The first record of a file may have no Name line
// (key lines before the first Name); every other record starts with its Name line.
struct RawEngine {
    QList<EngineLine> lines;
    bool hasName() const { return !lines.isEmpty() && lines.first().key == EngineKey::Name; }
};

struct EngineDatabase {
    QList<RawEngine> engines;
    bool endMarker = false;   // the end marker was met (nothing after it was read)
};

// The main loader stops at "END:Version 6.0"; the builder's reader has no marker.
EngineDatabase parseEngineDatabase(const QStringList &lines, bool stopAtEndMarker = true);

// The same reader fed line by line, handing each finished engine on at once (large databases
// need not be held twice).
class EngineDatabaseParser {
public:
    using EngineHandler = std::function<void(RawEngine &&)>;
    EngineDatabaseParser(bool stopAtEndMarker, EngineHandler onEngine);
    // False once the end marker has been read: the rest of the file is not for this reader.
    bool feed(const QString &line);
    // Hands on the last engine.
    void finish();
    bool endMarker() const { return m_endMarker; }
    // Lines read that are neither blank, a comment nor a known key line.
    qint64 skippedLines() const { return m_skippedLines; }

private:
    bool m_stopAtEndMarker;
    EngineHandler m_onEngine;
    RawEngine m_current;
    bool m_haveCurrent = false;
    bool m_endMarker = false;
    qint64 m_skippedLines = 0;
};

// Spaces (only) removed at both ends.
QString trimSpaces(const QString &text);

struct EngineCategoryEntry {
    QString Name;
    QString CategoryData;   // item lines, each followed by ">"
};

QList<EngineCategoryEntry> parseEngineCategoryData(const QStringList &lines);

// The same reader fed line by line.
class EngineCategoryParser {
public:
    // False once "END" has been read.
    bool feed(const QString &line);
    QList<EngineCategoryEntry> takeEntries();

private:
    void finishEntry();

    QList<EngineCategoryEntry> m_entries;
    bool m_ended = false;
};

struct CategoryListEntry {
    QString MainCategory;     // may be empty ("[]"): the caller drops it
    QStringList SubCategories;
    QString headerLine;       // the bracketed line as read, for the failure log
};

struct CategoryList {
    QList<CategoryListEntry> categories;
    QStringList linesBeforeFirst;   // lines before the first main category (failure log only)
};

CategoryList parseCategoryList(const QStringList &lines);

} // namespace modEngineData
