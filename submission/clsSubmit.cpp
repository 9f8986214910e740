#include "submission/clsSubmit.h"

#include <QProgressBar>
#include <QTreeWidget>

#include "core/modCommon.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/IniDocument.h"
#include "platform/Numbers.h"
#include "platform/TextFile.h"
#include "sitedata/ProjectList.h"
#include "sitedata/SiteFile.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;

namespace {

int storedCount(const QString &text)
{
    return Platform::lenientToInt16(text).value_or(0);
}

int urlCount(const QString &siteFile)
{
    const std::optional<SiteFile> file = SiteFile::load(siteFile);
    return file ? storedCount(file->value(SiteKeys::LastURL)) : 0;
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
        modDSSock::writeErrorLog(u"addNewItem_Error: Key is not unique in collection: "_s + itemKey);
        return false;
    }
    auto *item = new QTreeWidgetItem(list, QStringList{sText});
    Platform::setItemKey(item, itemKey);
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
    return true;
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
            const QString lastUrl = modCommon::readINIValue(site.file, SiteKeys::SiteInfo, SiteKeys::LastURL);
            // Keyed by the site file, so same-named sites of two projects are both listed.
            if (!addNewItem(siteList, site.name, site.file, project.name, lastUrl, QString(), site.file))
                continue;
            QTreeWidgetItem *row = siteList->topLevelItem(siteList->topLevelItemCount() - 1);
            if (lastUrl.isEmpty())
                row->setCheckState(0, Qt::Unchecked);
            else
                row->setCheckState(0, storedCount(lastUrl) > 0 ? Qt::Checked : Qt::Unchecked);
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
    for (int r = 0; r < siteList->topLevelItemCount(); ++r) {
        const QTreeWidgetItem *siteRow = siteList->topLevelItem(r);
        if (siteRow->checkState(0) != Qt::Checked)
            continue;
        const QString siteFile = Platform::itemTag(siteRow);
        const int count = urlCount(siteFile);
        // One read of the file; the URL keys present up to LastURL, in number order.
        const std::optional<Platform::IniDocument> file = Platform::IniDocument::load(siteFile);
        const QMap<int, QString> urls =
            file ? file->numberedValues(SiteKeys::Urls, SiteKeys::UrlPrefix) : QMap<int, QString>();
        for (auto it = urls.cbegin(); it != urls.cend() && it.key() <= count; ++it) {
            if (it.key() < 1 || it.value().isEmpty())
                continue;   // a gap in the URL keys is not a URL
            addNewItem(urlList, it.value(), siteFile, siteRow->text(0), QString(), QString());
            advance();
        }
    }
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
