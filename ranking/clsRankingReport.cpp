// The rank check's report: the saved pages of the profile shown read back and analysed, then the
// HTML report written into the profile's folder, recorded in the profile and opened.
#include "ranking/clsRanking.h"

#include <QDate>
#include <QFileInfo>
#include <QLocale>

#include "core/clsPreference.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/IniDocument.h"
#include "platform/Numbers.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "ranking/RankingReport.h"
#include "ranking/RankingProfiles.h"
#include "ranking/RankingRunRecord.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;

bool clsRanking::getResults(const RankingInput &input)
{
    const QString &folder = input.reportFolder;
    if (folder.isEmpty()) {
        Platform::msgBox(RankingProfiles::nameProblem(input.profile).value_or(QString()), Platform::Critical,
                         u"Web Ranking"_s);
        return false;
    }
    if (!QFileInfo(folder).isDir()) {
        Platform::msgBox(u"Please re-run a new search then generate the ranking report again.\r\n\r\n"
                         u"To view your previous ranking report, please click on the 'Report' tab."_s,
                         Platform::Information, u"Web Ranking"_s);
        return false;
    }
    m_reportFolder = folder;
    const qint16 limit = pageLimit(input.pagesMode, input.pageLinks);
    const qint32 linkLimit =
        input.pagesMode ? 0 : qMax<qint32>(Platform::lenientToInt16(input.pageLinks).value_or(0), 0);
    const std::optional<QList<RankingRunRecord::EngineEnd>> record = RankingRunRecord::read(folder);
    setProgress(0);
    m_reportRows.clear();
    bool anyPage = false;
    for (int i = 1; i <= static_cast<int>(input.rows.size()); ++i) {
        const RankingInput::Row &listed = input.rows[std::size_t(i - 1)];
        RankingReport::EngineRow row;
        row.engine = listed.engine;
        row.ticked = listed.ticked;
        if (row.ticked) {
            // Without a record every page the folder holds is read, as earlier versions did.
            qint64 pages = limit;
            if (record) {
                const RankingRunRecord::EngineEnd *end = RankingRunRecord::find(*record, row.engine.name);
                row.status = end ? end->status : QString();
                pages = end ? qMin<qint64>(end->pages, limit) : 0;
            }
            row.position = readSavedPages(row, input, pages, linkLimit);
        }
        // Set once: a row laid out again for every match grows with the square of the matches.
        emit rowText(i, kPositionColumn, row.position);
        if (row.ticked) {
            emit rowText(i, kPagesColumn, row.pages);
            emit rowText(i, kStatusColumn, row.status);
        }
        anyPage = anyPage || (row.ticked && row.pages != u"0"_s);
        m_reportRows.push_back(std::move(row));
    }
    if (!anyPage) {
        Platform::msgBox(u"No result page of the last search was found for the selected engines, so no new ranking "
                         u"report was made.\r\n\r\nPlease re-run a new search then generate the ranking report again."_s,
                         Platform::Information, u"Web Ranking"_s);
        return false;
    }
    return true;
}

// Reads up to `pages` saved pages of a ticked row into it; gives its Position column. Pages
// counts the pages saved, also those past the page that reached the link limit.
QString clsRanking::readSavedPages(RankingReport::EngineRow &row, const RankingInput &input, qint64 pages,
                                   qint32 linkLimit)
{
    const QString &folder = m_reportFolder;
    const QString reportFile = input.profile + u".html"_s;
    row.earlierPageNames = !QFileInfo::exists(folder + RankingReport::savedPageName(row.engine.name, 1))
                           && QFileInfo::exists(folder + RankingReport::legacySavedPageName(row.engine.name, 1));
    // The report is never a page, though an earlier version's page name may be its name.
    qint64 saved = 0;
    for (; saved < pages; ++saved) {
        const QString name = RankingReport::pageName(row, saved + 1);
        if (name.compare(reportFile, Qt::CaseInsensitive) == 0 || !QFileInfo::exists(folder + name))
            break;
    }
    QList<qint32> positions;
    qint64 matched = 0;
    qint32 links = 0;
    bool linkLimitReached = false;
    AnchorBudget budget;
    for (qint64 page = 1; page <= saved && !linkLimitReached; ++page) {
        const std::optional<QString> text = Platform::readTextFile(folder + RankingReport::pageName(row, page));
        if (!text) {
            saved = page - 1;
            break;
        }
        PageAnalysis analysis = analysePage(row.engine, *text, input.site, links, linkLimit, budget);
        links += analysis.counted;
        matched += analysis.matched;
        for (const RankedAnchor &anchor : analysis.anchors) {
            if (anchor.matchesSite && positions.size() < AnchorBudget::kMatches)
                positions.append(anchor.position);
        }
        linkLimitReached = analysis.linkLimitReached;
        row.savedPages.append(std::move(analysis));
        if (m_progress + 1 < m_progressMaximum)
            setProgress(m_progress + 1);
    }
    if (linkLimitReached)
        row.status = u"Completed"_s;
    // An engine that failed or was cancelled did not read all its pages: that it found nothing
    // on those it read is no "Not Found".
    const bool cut = row.status == u"Failed"_s || row.status == u"Cancelled"_s;
    row.pages = QString::number(saved);
    row.measured = saved > 0 && !(cut && matched == 0);
    if (saved == 0 && !cut)
        row.status = u"Not searched"_s;
    if (matched == 0)
        return linkLimitReached ? u"Not Found"_s : QString();
    return positionsText(positions, matched);
}

RankingReport::Input clsRanking::reportInput(const RankingInput &fields) const
{
    RankingReport::Input input;
    input.site = fields.site;
    input.keywords = fields.keywords;
    input.pageLinks = fields.pageLinks;
    input.pagesMode = fields.pagesMode;
    input.dateText = QLocale::system().toString(QDate::currentDate(), QLocale::LongFormat);
    const clsPreference &settings = myPreference();
    input.credits = {settings.LogoURL(),  settings.LogoPosition(), settings.Company(),
                     settings.SiteURL(),  settings.Email(),        settings.Name()};
    input.rows = m_reportRows;
    return input;
}

bool clsRanking::Report(const RankingInput &fields, const QString &profilePath)
{
    Platform::setBusyPointer(true);
    const QString &profile = fields.profile;
    const QString path = m_reportFolder + profile + u".html"_s;
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    std::optional<Platform::IniDocument> profiles = Platform::IniDocument::load(profilePath);
    QString error;
    if (!RankingReport::writeReport(path, RankingReport::reportText(reportInput(fields)))) {
        error = u"The report file "_s + path + u" could not be written."_s;
    } else if (profiles) {
        profiles->setValue(profile, u"Date"_s, date);
        profiles->setValue(profile, u"ReportFile"_s, path);
        if (!profiles->commit())
            error = RankingProfiles::errorText("", profilePath);
    } else {
        error = RankingProfiles::errorText("", profilePath);
    }
    setProgress(0);
    Platform::setBusyPointer(false);
    if (!error.isEmpty()) {
        const QString text = u"Module: CreateReport - \r\n"_s + error;
        modDSSock::writeErrorLog(text);
        Platform::msgBox(text, Platform::Critical, u"Web Ranking"_s);
        return false;
    }
    emit reportWritten(profile, date);
    Platform::shellOpen(path);
    return true;
}
