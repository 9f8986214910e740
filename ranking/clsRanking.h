#pragma once
// The rank check: finds where a web site stands in the result pages of the engines of the
// ranking engine file. The steps over page text are plain functions, so they run without the
// window. All searches and comparisons ignore letter case (ASCII letters); an empty marker of
// the engine file and an empty site address are never found.
#include <QList>
#include <QString>
#include <QStringView>

#include "ranking/RankingEngine.h"

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

class clsRanking {
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
};
