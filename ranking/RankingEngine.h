#pragma once
// One engine of the ranking engine file "vqreng.dat" and the one reader of that file, shared by
// the rank check, the engine search launcher and the keyword builder.
//
// The file is an INI file in the engine data folder: section "Engines" holds "NumOfEngines" and
// the keys "1" ... "NumOfEngines", whose values name one section per engine. Names match
// ignoring case; values are read whole with blanks trimmed.
#include <vector>

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QStringView>

struct RankingEngine {
    QString name;               // the engine's section name, also its list text
    QString EngineKey;          // marks the engine's own links, which take no position
    QString EngineURL;          // base of query addresses and of relative links
    QString QueryKeyword1;      // between EngineURL and the keywords
    QString QueryKeyword2;      // after the keywords
    QString NextPage1;          // next-page markers; for "Button" engines the address pieces
    QString NextPage2;
    QString NextPage3;
    QString NextPage4;          // what opens the next-page link; empty stands for "href="
    QString ResultStartString;  // the result block of a page starts after this text
    QString ResultEndString;    // ... and ends at this one
    QString NoFoundString;      // a page holding it has no results
    QString FilterKeyword1;     // carried, no rule uses them
    QString FilterKeyword2;
    QString HREF_KEYWORD1;      // opener of a result anchor
    QString HREF_KEYWORD2;      // opener tried when the first is absent
    QString LinkType;           // "Button": next pages are built, not found on the page
    QString nextPageURL;        // not in the file: the next result page during a rank check
    qint16 Start = 0;           // result offset step per page of a "Button" engine
    qint16 PerPage = 0;         // results per page of a "Button" engine
    QString URLVisibility;      // query prefix of the engine search launcher
};
// Rows of engine lists carry their record.
Q_DECLARE_METATYPE(RankingEngine)

// What a read of the engine file gave.
struct RankingEngineFile {
    std::vector<RankingEngine> engines;   // in key order, empty keys skipped
    QStringList logLines;                 // one per engine past the limit, for the error log
    bool corrupted = false;               // the corrupted-file box is due; engines before it stay
};

// The rank check has eight slots per engine table.
inline constexpr qsizetype kRankCheckEngines = 8;

// The keys a reader takes from each engine section: all of them (the rank check), or only the
// text keys (the engine search launcher, the keyword builder): "Start" and "PerPage" stay 0 and
// cannot fail the read.
enum class EngineKeys { All, Query };

// "vqreng.dat" in the engine data folder.
QString rankingEngineFilePath();

// Reads the file once. Engines past `maxEngines` are not read; each gives a log line. A missing
// or unreadable file and a "NumOfEngines" that is not a whole number from 0 to 32767 are
// corrupted and give no engines; a "Start" or "PerPage" read outside the 16-bit range is
// corrupted and ends the read before that engine. Lines longer than the data files' line cap
// (Platform::kMaxLineBytes) are left out and named in the error log.
RankingEngineFile readRankingEngineFile(const QString &path, qsizetype maxEngines = kRankCheckEngines,
                                        EngineKeys keys = EngineKeys::All);

// The keyword builder's engine: section "KeywordBuilder" names it ("Engine") and says how many
// result links to follow ("NumOfURLs").
struct KeywordBuilderEngine {
    RankingEngine engine;     // all fields empty when "Engine" names no section
    qint16 NumOfURLs = 0;
    bool corrupted = false;   // missing or unreadable file, or "NumOfURLs" not at least 1
};
KeywordBuilderEngine readKeywordBuilderEngine(const QString &path);

// The box every reader of the file shows when it is missing or corrupted.
void showCorruptedEngineFile();

// The text that opens a result link in a result block: HREF_KEYWORD1, else HREF_KEYWORD2 when
// the block lacks the first; the unquoted built-in opener when the engine names none; the quoted
// one when the block lacks the choice.
QString anchorOpener(const RankingEngine &engine, QStringView block, Qt::CaseSensitivity cs);

// The page from right after ResultStartString to ResultEndString (or the page's end); the
// whole page without a start.
QStringView resultBlock(const RankingEngine &engine, QStringView page, Qt::CaseSensitivity cs);

// A relative link joined to the engine's address with exactly one "/" between them.
QString joinedToEngine(const QString &engineURL, QStringView link);

// The engine's own links and its navigation, which are no results.
bool isEngineLink(const RankingEngine &engine, QStringView anchor, Qt::CaseSensitivity cs);
