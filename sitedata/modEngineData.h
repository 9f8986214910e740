#pragma once
// Readers of the engine data files: the engine database, the engine category data and the
// category list. They only parse; what an engine means to the main window (lists, counters,
// custom-category engines) is done by their callers. Lines end at CR LF, CR or a lone LF.
#include <functional>

#include <QByteArray>
#include <QByteArrayView>
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

// A line of the engine database read as bytes, by the rules of EngineDatabaseParser::feed: blank
// (empty or a comment), the end marker, a key line with its value (spaces trimmed), or another
// line (no "=", or a key not known).
struct EngineByteLine {
    enum Kind { Blank, EndMarker, KeyLine, Other };
    Kind kind = Other;
    EngineKey key = EngineKey::Ignored;
    QByteArrayView value;
};
EngineByteLine readEngineLine(QByteArrayView line);

// Spaces (only) removed at both ends.
QString trimSpaces(const QString &text);

struct EngineCategoryEntry {
    QString Name;
    QString CategoryData;   // item lines, each followed by ">"
};

QList<EngineCategoryEntry> parseEngineCategoryData(const QStringList &lines);

// A line of the engine category data read as bytes, by the rules of EngineCategoryParser::feed:
// skipped (blank after trimming spaces, a comment, a "[" line without "]"), the end line "END",
// the start of an entry with its name, or an item line of the entry above it.
struct CategoryByteLine {
    enum Kind { Skipped, End, EntryStart, Item };
    Kind kind = Skipped;
    QByteArrayView entryName;
};
CategoryByteLine readCategoryLine(QByteArrayView line);

// The same reader fed line by line.
class EngineCategoryParser {
public:
    // False once "END" has been read.
    bool feed(const QString &line);
    // The same for a line of bytes, decoded as the data is kept.
    bool feed(QByteArrayView line);
    QList<EngineCategoryEntry> takeEntries();

private:
    void finishEntry();

    QList<EngineCategoryEntry> m_entries;
    QByteArray m_pendingData;   // the last entry's item lines read as bytes, not yet decoded
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

// Where a line equal to `line` (ASCII letters ignoring case) starts in the bytes, looking at the
// lines that start at or after `from` (itself a line start), with the readers' line ends (CR LF,
// CR or LF). -1 when there is none. Writers that put text at a marker use it, so a marker counts
// only where a reader would see it.
qsizetype findWholeLine(QByteArrayView bytes, QByteArrayView line, qsizetype from = 0);

// Whether the line that starts at `start` is `line` (ASCII letters ignoring case).
bool isWholeLineAt(QByteArrayView bytes, qsizetype start, QByteArrayView line);

// The start of the line after the one that starts at `lineStart` (the size at the end).
qsizetype nextLineStart(QByteArrayView bytes, qsizetype lineStart);

} // namespace modEngineData
