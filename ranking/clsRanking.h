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
#include <QStringView>

#include "ranking/RankingEngine.h"

class frmRanking;
namespace RankingReport {
struct EngineRow;
struct Input;
}

// One result anchor that took a position.
struct RankedAnchor {
    qint32 position = 0;    // counted over all pages of the engine, from 1
    QString anchor;         // the anchor text up to and including its "</A>"
    bool matchesSite = false;
};

// What one result page gave.
struct PageAnalysis {
    bool noDocuments = false;        // the page holds the engine's NoFoundString
    QList<RankedAnchor> anchors;     // counted anchors, in page order
    bool linkLimitReached = false;   // links mode counted its last link on this page
};

// The run and the report work on the window that owns this object: the engine rows (each
// carrying its engine record), the fields, the HTTP clients and the timers.
class clsRanking : public QObject {
    Q_OBJECT
public:
    explicit clsRanking(frmRanking &form);
    ~clsRanking() override;

    // --- Rank check run -------------------------------------------------------------------------
    // Engine status of a run.
    enum Status { kRunning = 0, kCancelled = 1, kCompleted = 2, kNoDocuments = 3 };

    // Result pages to fetch: in pages mode the number typed; in links mode the larger of the
    // number's first digit and one page per ten links. 0 for text that is no number.
    static qint16 pageLimit(bool pagesMode, const QString &pageLinks);
    // The keywords as a query carries them: line breaks as blanks, then form-encoded.
    static QString queryKeywords(const QString &typed);
    // EngineURL, QueryKeyword1, the query keywords and QueryKeyword2, joined.
    static QString queryURL(const RankingEngine &engine, const QString &keywords);
    // Deletes every saved page "<page name><n>.html" of the engines in the folder.
    static void deleteSavedPages(const QString &folder, const std::vector<RankingEngine> &engines);

    // Requests page 1 of every ticked engine; the window has validated its fields.
    void StartSearch();
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

    // --- Report ---------------------------------------------------------------------------------
    // Reads back the saved pages of every ticked engine of the profile shown and fills the
    // Position and Status columns; false (after its box) when the profile has no report folder.
    bool getResults();
    // Writes the report of the last getResults, records it in the profile and opens it.
    void Report();

signals:
    // Traces of the run for measurements: a request of the engine handed to its client, its
    // done event, the run's end.
    void requestStarted(int index);
    void requestEnded(int index);
    void runEnded();

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
    // the walk ends at the anchor that brings the count to the limit.
    static PageAnalysis analysePage(const RankingEngine &engine, QStringView page,
                                    const QString &siteURL, qint32 linksBefore, qint32 linkLimit);

private:
    // What the run knows of one engine row, from 1.
    struct EngineRun {
        RankingEngine engine;     // the row's record, its next page address included
        qint64 pages = 0;         // result pages requested
        qint16 status = kRunning;
        bool ticked = false;
        bool counted = false;     // counted as completed or cancelled
        bool awaitingConnect = false;   // the proxy connection is opening for a request
        int httpStatus = 0;
        QString location;
        bool repeatRequest = false;     // the timer repeats the request for a redirect
    };

    void resetRun();
    void request(int index, const QString &url, qint64 page);
    void completeEngine(int index);
    void countEngine(int index);
    void StopProcess();
    void setColumn(int index, int column, const QString &text);
    void setButtonsIdle();
    EngineRun *runOf(int index);
    RankingReport::Input reportInput() const;

    frmRanking &m_form;
    std::vector<EngineRun> m_runs;    // indexed from 1
    bool m_running = false;
    int m_rankCount = 0;
    int m_stopCounts = 0;
    qint16 m_pageLimit = 0;
    QString m_keywords;
    QString m_reportFolder;
    std::vector<RankingReport::EngineRow> m_reportRows;
};
