#pragma once
// The optimizer report on one page: its title, keywords and description with advice, the start
// of its text and how often each keyword occurs in it, as an HTML page. Plain functions over text,
// so that tests and the fuzz target build reports without the window.
#include <QString>

namespace OptimizerReport {

// The user's settings the report shows.
struct Credits {
    QString logoURL;        // without scheme; empty = no logo
    int logoPosition = 0;   // 0 = above the title bar, else above the footer
    QString company;
    QString email;
    QString siteURL;
    QString name;
    QString tipsURL;
    // The settings of myPreference().
    static Credits fromPreference();
};

// The address as the report shows it: a web address without "http" in front gets "http://".
QString displayAddress(const QString &address);

// The report text (CR LF breaks, without the final CR LF the file gets) on `page` for the
// address as displayAddress gives it.
QString reportText(const QString &shownAddress, const QString &page, const Credits &credits);

// The report's file name in the "Optimizer" folder: "<host>_<path with "/" as "_">.html" for a
// web address, "<file name>.html" for a local file, "opimtizer.html" when the name could not leave
// its folder or is too long for one.
QString reportFileName(const QString &shownAddress);

// Non-overlapping occurrences of `keyword` in `text`, ASCII letters compared ignoring case.
int countMatches(const QString &text, const QString &keyword);

} // namespace OptimizerReport
