// The rank check's report: the saved pages of the profile shown read back and analysed, then the
// HTML report written into the profile's folder, recorded in the profile and opened.
#include "ranking/clsRanking.h"

#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QTreeWidget>

#include "core/clsPreference.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/IniDocument.h"
#include "platform/KeyedListView.h"
#include "platform/Numbers.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "ranking/RankingReport.h"
#include "ranking/frmRanking.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kPositionColumn = 2;
constexpr int kStatusColumn = 3;

QString joinedPositions(const QString &positions, qint32 position)
{
    return positions.isEmpty() ? QString::number(position) : positions + u", "_s + QString::number(position);
}

} // namespace

bool clsRanking::getResults()
{
    const QString folder = m_form.reportFolder();
    if (folder.isEmpty()) {
        Platform::msgBox(QString::fromLatin1(RankingProfiles::kInvalidName), Platform::Critical, u"Web Ranking"_s);
        return false;
    }
    if (!QFileInfo(folder).isDir()) {
        Platform::msgBox(u"Please re-run a new search then generate the ranking report again.\r\n\r\n"
                         u"To view your previous ranking report, please click on the 'Report' tab."_s,
                         Platform::Information, u"Web Ranking"_s);
        return false;
    }
    m_reportFolder = folder;
    const QString site = m_form.cboSiteURL->currentText();
    const bool pagesMode = m_form.pagesMode();
    const QString pageLinks = m_form.txtPageLinks->text();
    const qint16 limit = pageLimit(pagesMode, pageLinks);
    const qint32 linkLimit = pagesMode ? 0 : qMax<qint32>(Platform::lenientToInt16(pageLinks).value_or(0), 0);
    m_form.ProgressBar1->setValue(0);
    m_reportRows.clear();
    for (int i = 1; i <= m_form.engineRowCount(); ++i) {
        QTreeWidgetItem *item = m_form.engineRow(i);
        RankingReport::EngineRow row;
        row.engine = frmRanking::rowEngine(item);
        row.ticked = item->checkState(0) == Qt::Checked;
        item->setText(kPositionColumn, QString());
        qint32 links = 0;
        for (qint64 page = 1; row.ticked && page <= limit; ++page) {
            const std::optional<QString> text =
                Platform::readTextFile(folder + RankingReport::savedPageName(row.engine.name, page));
            if (!text)
                break;
            const PageAnalysis analysis = analysePage(row.engine, *text, site, links, linkLimit);
            for (const RankedAnchor &anchor : analysis.anchors) {
                links = anchor.position;
                if (anchor.matchesSite)
                    item->setText(kPositionColumn, joinedPositions(item->text(kPositionColumn), anchor.position));
            }
            row.savedPages.append(analysis);
            if (m_form.ProgressBar1->value() + 1 < m_form.ProgressBar1->maximum())
                m_form.ProgressBar1->setValue(m_form.ProgressBar1->value() + 1);
            if (analysis.linkLimitReached) {
                if (item->text(kPositionColumn).isEmpty())
                    item->setText(kPositionColumn, u"Not Found"_s);
                item->setText(kStatusColumn, u"Completed"_s);
                break;
            }
        }
        row.pages = item->text(1);
        row.position = item->text(kPositionColumn);
        row.status = item->text(kStatusColumn);
        m_reportRows.push_back(row);
    }
    return true;
}

RankingReport::Input clsRanking::reportInput() const
{
    RankingReport::Input input;
    input.site = m_form.cboSiteURL->currentText();
    input.keywords = m_form.txtKeyword->text();
    input.pageLinks = m_form.txtPageLinks->text();
    input.pagesMode = m_form.pagesMode();
    input.dateText = QLocale::system().toString(QDate::currentDate(), QLocale::LongFormat);
    const clsPreference &settings = myPreference();
    input.credits = {settings.LogoURL(),  settings.LogoPosition(), settings.Company(),
                     settings.SiteURL(),  settings.Email(),        settings.Name()};
    input.rows = m_reportRows;
    return input;
}

void clsRanking::Report()
{
    Platform::setBusyPointer(true);
    const QString profile = m_form.cboProfile->currentText();
    const QString path = m_reportFolder + profile + u".html"_s;
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    std::optional<Platform::IniDocument> profiles = Platform::IniDocument::load(m_form.profilePath());
    QString error;
    if (!RankingReport::writeReport(path, RankingReport::reportText(reportInput()))) {
        error = u"The report file "_s + path + u" could not be written."_s;
    } else if (profiles) {
        profiles->setValue(profile, u"Date"_s, date);
        profiles->setValue(profile, u"ReportFile"_s, path);
        if (!profiles->commit())
            error = RankingProfiles::errorText("", m_form.profilePath());
    } else {
        error = RankingProfiles::errorText("", m_form.profilePath());
    }
    m_form.ProgressBar1->setValue(0);
    Platform::setBusyPointer(false);
    if (!error.isEmpty()) {
        const QString text = u"Module: CreateReport - \r\n"_s + error;
        modDSSock::writeErrorLog(text);
        Platform::msgBox(text, Platform::Critical, u"Web Ranking"_s);
        return;
    }
    if (QTreeWidgetItem *row = m_form.ListView2->rowByKey(profile))
        row->setText(1, date);
    Platform::shellOpen(path);
}
