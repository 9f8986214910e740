#pragma once
// The rank check: finds where a web site stands in the result pages of the engines of the
// ranking engine file. The steps over page text are plain functions, so they run without the
// window. All searches and comparisons ignore letter case (ASCII letters); an empty marker of
// the engine file and an empty site address are never found.
#include <vector>

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "ranking/RankingEngine.h"

namespace Platform {
class HttpClient;
class Timer;
}
namespace RankingReport {
struct EngineRow;
struct Input;
}

// One result anchor that took a position.
struct RankedAnchor {
    qint32 position = 0;    // counted over all pages of the engine, from 1
    QString anchor;         // the anchor text up to and including its "</A>", cut at kMaxAnchorChars
    bool matchesSite = false;
};

// What one result page gave. Every anchor is counted, but only those the budget keeps carry
// their text, so a hostile page of a million anchors costs the report no more than a real one.
struct PageAnalysis {
    bool noDocuments = false;        // the page holds the engine's NoFoundString
    QList<RankedAnchor> anchors;     // the counted anchors kept, in page order
    qint32 counted = 0;              // anchors counted on the page, kept or not
    qint32 matched = 0;              // of those, the anchors naming the site
    bool linkLimitReached = false;   // links mode counted its last link on this page
};

// How many more anchors the analysis of one engine keeps with their text: the first ones counted,
// and the first ones naming the site wherever they stand. Real result pages list 10 to 100.
struct AnchorBudget {
    static constexpr qint32 kAnchors = 1000;
    static constexpr qint32 kMatches = 10;     // as many as a row's Position lists
    static constexpr qsizetype kMaxAnchorChars = 2000;
    qint32 anchors = kAnchors;
    qint32 matches = kMatches;
};

// What a rank check or a report works from: the ranking window's fields, read once.
struct RankingInput {
    struct Row {
        RankingEngine engine;
        bool ticked = false;
    };
    std::vector<Row> rows;   // the engine list, first to last (row n is engine n)
    QString keywords;        // as typed
    QString site;            // the site ranked, as typed
    bool pagesMode = true;
    QString pageLinks;       // the number of pages or links, as typed
    QString profile;         // the profile shown
    QString reportFolder;    // the profile's folder, ending in "/"
};

// The rank check and its report, apart from any window: they take their input as a value and
// report what a window shows through signals. Each engine row has its HTTP client and its timer.
class clsRanking : public QObject {
    Q_OBJECT
public:
    explicit clsRanking(QObject *parent = nullptr);
    ~clsRanking() override;

    // --- Rank check run -------------------------------------------------------------------------
    // Engine status of a run.
    enum Status { kRunning = 0, kCancelled = 1, kCompleted = 2, kNoDocuments = 3, kFailed = 4 };
    // List columns a run and a report write.
    enum Column { kPagesColumn = 1, kPositionColumn = 2, kStatusColumn = 3 };

    // Result pages to fetch: in pages mode the number typed; in links mode the larger of the
    // number's first digit and one page per ten links. 0 for text that is no number.
    static qint16 pageLimit(bool pagesMode, const QString &pageLinks);
    // The keywords as a query carries them: line breaks as blanks, then form-encoded.
    static QString queryKeywords(const QString &typed);
    // EngineURL, QueryKeyword1, the query keywords and QueryKeyword2, joined.
    static QString queryURL(const RankingEngine &engine, const QString &keywords);
    // One HTTP client and one paused 100 ms timer per engine row, from 1.
    void loadSockets(int engines);
    // Requests page 1 of every ticked engine; the window has validated its fields. The run keeps
    // its input: the report offered at its end is of the run's own profile.
    void StartSearch(const RankingInput &input);
    const RankingInput &runInput() const { return m_input; }
    // Cancels every engine not completed, ticked or not; nothing of the run comes after it.
    void CancelProcess();
    bool isRunning() const { return m_running; }
    qint16 engineStatus(int index) const;

    void Http1_Connected(int index);
    void Http1_Progress(int index, qint64 bodyBytes);
    void Http1_HeaderDone(int index, const QString &statusLine, const QList<QPair<QString, QString>> &headers);
    void Http1_Done(int index, const QString &body, int resultCode, const QString &resultText);
    void Http1_Error(int index, const QString &text);
    // The engine's timer: the next page, the end of the engine, or the redirect's request.
    void TimerNextPage_Timer(int index);
    void getNextPage(int index);

    // Indexed from 1, as the engine rows; member 0 serves none.
    std::vector<Platform::HttpClient *> Http1;
    std::vector<Platform::Timer *> TimerNextPage;

    // --- Report ---------------------------------------------------------------------------------
    // Reads back the saved pages of every ticked engine (under their earlier names in a folder
    // of an earlier version) and sets each row's Pages, Position and Status once. How each engine
    // ended comes from the folder's run record, never from the list; a folder of an earlier version,
    // which has none, reads every page it holds. False (after its box) when the profile has no
    // report folder or no ticked engine has a saved page, so a recorded report is never replaced
    // by an empty one.
    bool getResults(const RankingInput &input);
    // Writes the report of the last getResults, records it in the profile file and opens it;
    // false (after its box) when it could not be written or recorded.
    bool Report(const RankingInput &input, const QString &profilePath);

signals:
    // A cell of engine row `index` (from 1) gets its text.
    void rowText(int index, int column, const QString &text);
    void progressChanged(int value, int maximum);
    // The run is idle again: it ended, was cancelled or did not start.
    void idle();
    // A started run ended: every engine completed or failed (true) or it was cancelled (false).
    // `pagesSaved`: some engine saved a result page.
    void runEnded(bool completed, bool pagesSaved);
    // The user asked, at the end of the run, to see the report now.
    void reportRequested();
    // The report was written and recorded under the profile with this date.
    void reportWritten(const QString &profile, const QString &date);
    // Traces of the run for measurements: a request of the engine handed to its client, its
    // done event.
    void requestStarted(int index);
    void requestEnded(int index);

public:
    // --- Next-page discovery --------------------------------------------------------------------
    // Works out the address of the page after page `pageNumber` of the engine and stores it in
    // `engine.nextPageURL`; empty when there is none, which ends the engine. A link engine finds
    // the first marker present (NextPage1, else NextPage2, else NextPage3), then scans back from
    // it at most 2000 characters for the opener NextPage4 (set to "href=" when empty) and takes
    // the text between them. An address not starting with "http://" is joined to EngineURL; a
    // ":80" right after the host is dropped. A "Button" engine's address is built from its
    // template with `keywords` and `pageNumber` × Start.
    static QString nextPageURL(RankingEngine &engine, QStringView pageText, qint64 pageNumber,
                               const QString &keywords);

    // --- Result page analysis -------------------------------------------------------------------
    // The address with every "." written "%2E", as engines quote a site in their links.
    static QString getEncoding(const QString &url);

    // Counts the result anchors of one saved page: the block between ResultStartString and
    // ResultEndString (the whole page without a start), the anchors from the opener up to
    // "</A>", leaving out the engine's own links. Positions continue from `linksBefore`. An
    // anchor naming `siteURL`, plain or encoded, matches. In links mode (`linkLimit` above 0)
    // the walk ends at the anchor that brings the count to the limit. The anchors kept with
    // their text are taken from `budget`, which goes on over the engine's pages.
    static PageAnalysis analysePage(const RankingEngine &engine, QStringView page, const QString &siteURL,
                                    qint32 linksBefore, qint32 linkLimit, AnchorBudget &budget);
    // The same with a budget of its own.
    static PageAnalysis analysePage(const RankingEngine &engine, QStringView page, const QString &siteURL,
                                    qint32 linksBefore, qint32 linkLimit);
    // A row's Position: the first positions naming the site, and how many more there are.
    static QString positionsText(const QList<qint32> &listed, qint64 matched);

private:
    // What the run knows of one engine row, from 1.
    struct EngineRun {
        RankingEngine engine;     // the row's record, its next page address included
        qint64 pages = 0;         // result pages requested
        qint16 status = kRunning;
        bool ticked = false;
        bool counted = false;     // counted as completed, failed or cancelled
        bool awaitingConnect = false;   // the proxy connection is opening for a request
        int httpStatus = 0;
        QString location;
        int redirects = 0;              // redirects in a row for the page under way
        bool repeatRequest = false;     // the timer repeats the request for a redirect
        bool replyWritten = false;      // the page under way's file holds a reply of this run
        qint64 savedPages = 0;          // result pages put in place
        QString failure;                // why the engine failed
    };

    bool resetRun(const RankingInput &input);
    void request(int index, const QString &url, qint64 page);
    bool keepPage(int index);
    void removeEarlierPages(const RankingEngine &engine) const;
    void dropReply(EngineRun &run) const;
    bool recordRun(bool ended);
    void completeEngine(int index);
    void failEngine(int index, const QString &reason);
    QStringList failureLines() const;
    void countEngine(int index);
    void StopProcess();
    void setProgress(int value);
    void showConnectError(const QString &description);
    EngineRun *runOf(int index);
    RankingReport::Input reportInput(const RankingInput &input) const;
    QString readSavedPages(RankingReport::EngineRow &row, const RankingInput &input, qint64 pages, qint32 linkLimit);

    std::vector<EngineRun> m_runs;    // indexed from 1
    RankingInput m_input;             // of the last run started
    bool m_running = false;
    int m_rankCount = 0;
    int m_stopCounts = 0;
    qint16 m_pageLimit = 0;
    int m_progress = 0;
    int m_progressMaximum = 0;
    QString m_keywords;
    QString m_reportFolder;
    std::vector<RankingReport::EngineRow> m_reportRows;
};
