#include "submission/clsSubmit.h"

#include <QProgressBar>
#include <QTreeWidget>

#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/Numbers.h"
#include "platform/TextFile.h"
#include "sitedata/ProjectList.h"
#include "sitedata/SiteFile.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;

namespace {

// The URLs of a site as the main window lists them, through the one reader of site files.
QList<SiteUrl> siteUrls(const QString &siteFile)
{
    const std::optional<SiteFile> file = SiteFile::load(siteFile);
    return file ? file->urls() : QList<SiteUrl>();
}

void logDuplicateKey(const QString &key)
{
    modDSSock::writeErrorLog(u"addNewItem_Error: Key is not unique in collection: "_s + key);
}

} // namespace

clsSubmit::clsSubmit(const SubmitSettings &settings, EngineLookup engines)
    : m_settings(settings), m_engines(std::move(engines))
{
}

bool clsSubmit::addNewItem(QTreeWidget *list, const QString &sText, const QString &sFileLocation,
                           const QString &sSubItem1, const QString &sSubItem2,
                           const QString &sImageIcon, const QString &key)
{
    const QString itemKey = key.isEmpty() ? sText : key;
    if (Platform::findItemByKey(list, itemKey)) {
        logDuplicateKey(itemKey);
        return false;
    }
    list->addTopLevelItem(newRow(sText, sFileLocation, sSubItem1, sSubItem2, sImageIcon, itemKey));
    return true;
}

QTreeWidgetItem *clsSubmit::newRow(const QString &sText, const QString &sFileLocation, const QString &sSubItem1,
                                   const QString &sSubItem2, const QString &sImageIcon, const QString &key)
{
    auto *item = new QTreeWidgetItem(QStringList{sText});
    Platform::setItemKey(item, key);
    if (!sImageIcon.isEmpty())
        item->setData(0, Qt::UserRole + 3, sImageIcon);
    if (!sFileLocation.isEmpty())
        Platform::setItemTag(item, sFileLocation);
    if (!sSubItem1.isEmpty())
        item->setText(1, sSubItem1);
    if (!sSubItem2.isEmpty()) {
        item->setText(2, sSubItem2);
        item->setCheckState(0, Platform::leadingNumber(sSubItem2) > 0 ? Qt::Checked : Qt::Unchecked);
    }
    return item;
}

void clsSubmit::loadProject(const QString &projectListPath, QTreeWidget *siteList)
{
    const std::optional<ProjectList> list =
        Platform::fileExists(projectListPath) ? ProjectList::load(projectListPath) : std::nullopt;
    if (!list) {
        Platform::msgBox(u"loadProject_Error: "_s + u"File not found: "_s + projectListPath,
                         Platform::Information, u"Erro"_s);
        return;
    }
    for (const Project &project : list->projects()) {
        for (const ProjectSite &site : project.sites) {
            // Keyed by the site file, so same-named sites of two projects are both listed; the
            // count is that of the URLs Start will build rows for.
            const QString count = QString::number(siteUrls(site.file).size());
            addNewItem(siteList, site.name, site.file, project.name, count, QString(), site.file);
        }
    }
}

void clsSubmit::createSubmissionData(QTreeWidget *siteList, QTreeWidget *urlList,
                                     const QStringList &selectedEngines, QProgressBar *progress)
{
    int progressCount = 0;
    const auto advance = [&] {
        ++progressCount;
        if (progress && progress->maximum() >= progressCount)
            progress->setValue(progressCount);
    };
    urlList->clear();
    // Keys are checked against a set and the rows go into the list at once: linear in the URLs.
    Platform::NodeKeySet keys;
    QList<QTreeWidgetItem *> rows;
    for (int r = 0; r < siteList->topLevelItemCount(); ++r) {
        const QTreeWidgetItem *siteRow = siteList->topLevelItem(r);
        if (siteRow->checkState(0) != Qt::Checked)
            continue;
        const QString siteFile = Platform::itemTag(siteRow);
        for (const SiteUrl &url : siteUrls(siteFile)) {
            if (!keys.insert(url.url)) {
                logDuplicateKey(url.url);
                continue;
            }
            rows.append(newRow(url.url, siteFile, siteRow->text(0), QString(), QString(), url.url));
            advance();
        }
    }
    urlList->addTopLevelItems(rows);
    setEngineNames(selectedEngines);
    for (int k = 0; k < selectedEngines.size(); ++k)
        advance();
}

void clsSubmit::setEngineNames(const QStringList &names)
{
    m_engineArray.assign(std::size_t(names.size()), EngineEntry{});
    for (qsizetype k = 0; k < names.size(); ++k)
        m_engineArray[std::size_t(k)].Name = names.at(k);
}
