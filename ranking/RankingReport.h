#pragma once
// The HTML ranking report of one profile: built as one text from plain inputs, then written
// whole. Text from the settings, the profile and the engine file is escaped; of a saved result
// page only each result anchor's address (http or https) and its text without tags reach the
// report, written as a link of our own, so nothing of a page from the network runs in it.
#include <vector>

#include <QList>
#include <QString>

#include "ranking/RankingEngine.h"
#include "ranking/clsRanking.h"

namespace RankingReport {

// The user's credits from the settings.
struct Credits {
    QString LogoURL;        // image address without its "http://"; empty for no logo
    int LogoPosition = 0;   // 0 above the title bar, any other value above the credits
    QString Company;
    QString SiteURL;        // with or without "http://" or "https://"
    QString Email;
    QString Name;
};

// One row of the engine list, first to last; only ticked rows are printed, but every row
// switches the summary's row colour.
struct EngineRow {
    bool ticked = false;
    RankingEngine engine;            // its name and EngineURL
    QString pages;                   // the saved pages read
    QString position;                // the positions naming the site; empty prints "Not Found"
    QString status;                  // how the engine's last run ended, as the list shows it
    QList<PageAnalysis> savedPages;  // the saved pages read, from page 1 on, with the anchors kept
    // false: no page read tells where the site stands (not searched, or failed before finding
    // it), so the Position cell stays empty instead of "Not Found"
    bool measured = true;
    bool earlierPageNames = false;   // the pages carry the names of legacySavedPageName
};

struct Input {
    QString site;            // the site ranked, as typed
    QString keywords;
    QString pageLinks;       // the number of pages or links searched
    bool pagesMode = true;
    QString dateText;        // the day the report is made, as it should read
    Credits credits;
    std::vector<EngineRow> rows;
};

// The name a saved result page has in the profile's folder: the engine name with "/", "\\", "[",
// "]", "%" and control characters as "%XX", then "[", the page number and "].html". No profile
// name holds "[", so no report ("<profile>.html") takes a page's name, and the first "[" ends
// the engine name, so no two engines share one.
QString savedPageName(const QString &engineName, qint64 page);
// What every saved page name of the engine starts with, up to and including its "[".
QString savedPagePrefix(const QString &engineName);
// The name earlier versions gave a saved page: the engine name in lower case with "/", "\\" and
// control characters as "_", then the page number and ".html". Read in folders of those versions.
QString legacySavedPageName(const QString &engineName, qint64 page);
// The saved page's name under either naming.
QString pageName(const EngineRow &row, qint64 page);

// The whole report page.
QString reportText(const Input &input);

// Replaces the report file with the text and a final line end; false (old file kept) on failure.
bool writeReport(const QString &path, const QString &text);

} // namespace RankingReport
