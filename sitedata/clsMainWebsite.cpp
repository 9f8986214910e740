// The web site file (".vqs") and the plain URL list files. The main window's site-detail controls
// are the only copy of the current site: a save writes them, a load fills them.
#include "sitedata/clsMain.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "core/modCommon.h"
#include "mainwindow/SitePages.h"
#include "mainwindow/frmMain.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/TextFile.h"
#include "platform/KeyedListView.h"
#include "sitedata/SiteFile.h"
#include "sitedata/clsMainText.h"
#include "sitedata/modDataFiles.h"
#include "platform/modDSSockLog.h"

namespace {

// Splits one line of a URL list into its items: an item ends at "," or at the line end, leading
// blanks are skipped and a quoted item (which may hold commas) loses its quotes.
QStringList urlListItems(const QString &line)
{
    QStringList items;
    qsizetype i = 0;
    const qsizetype size = line.size();
    while (i <= size) {
        while (i < size && (line.at(i) == QLatin1Char(' ') || line.at(i) == QLatin1Char('\t')))
            ++i;
        QString item;
        if (i < size && line.at(i) == QLatin1Char('"')) {
            const qsizetype close = line.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? size : close;
            item = line.mid(i + 1, end - i - 1);
            i = end + 1;
            const qsizetype comma = line.indexOf(QLatin1Char(','), i);
            i = comma < 0 ? size + 1 : comma + 1;
        } else {
            const qsizetype comma = line.indexOf(QLatin1Char(','), i);
            const qsizetype end = comma < 0 ? size : comma;
            item = line.mid(i, end - i);
            i = end + 1;
        }
        items.append(item);
    }
    return items;
}

bool isWebAddress(const QString &item)
{
    return item.left(4).compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 && item.contains(QLatin1Char('.'));
}

} // namespace

QString clsMain::getFileNameFromFile(const QString &sFile)
{
    const qsizetype cut = std::max(sFile.lastIndexOf(QLatin1Char('\\')), sFile.lastIndexOf(QLatin1Char('/')));
    return cut < 0 ? sFile : sFile.mid(cut + 1);
}

bool clsMain::addNewItem(QTreeWidget *myListView, const QString &sText)
{
    auto *list = qobject_cast<KeyedListView *>(myListView);
    if (!list)
        return false;
    return list->addRow(sText, {sText}, QStringLiteral("HTMLFile")) != nullptr;
}

SiteFields clsMain::shownSiteFields(const QString &sFileLocation)
{
    frmMain &w = *m_frmMain;
    SiteFields fields;
    fields.title = w.txtSiteTitle->text();
    fields.keyword = removeCrLf(modCommon::multiLineText(w.txtSiteKeywords));
    fields.description = removeCrLf(modCommon::multiLineText(w.txtSiteDescription));
    fields.webType = w.cboWebType->currentText();
    fields.language = w.cboLanguage->currentText();
    getSelectedCategory(fields.mainCategory, fields.category);
    const bool sameSite = QDir::cleanPath(sFileLocation) == QDir::cleanPath(m_sLoadedSiteFile);
    if (sameSite && !m_bCategoryTouched) {
        // The user chose no category: the stored one stays as stored, also one the lists do not
        // show. Only for the file it came from: another site never gets this site's category.
        fields.mainCategory = m_sLoadedMainCategory;
        fields.category = m_sLoadedCategory;
    }
    fields.yourName = w.txtName->text();
    fields.email = w.txtEmail->text();
    fields.company = w.txtCompany->text();
    fields.address = w.txtAddress->text();
    fields.city = w.txtCity->text();
    fields.postcode = w.txtPostcode->text();
    fields.state = w.txtState->text();
    fields.country = w.cboCountry->currentText();
    fields.phone = w.txtPhone->text();
    fields.fax = w.txtFax->text();
    fields.password = w.txtPassword->text();
    return fields;
}

bool clsMain::saveWebsiteFile(const QString &sFileLocation)
{
    if (sFileLocation.isEmpty())
        return true;
    frmMain &w = *m_frmMain;
    Platform::setBusyPointer(true);
    if (!w.cboCustomEngines->currentText().isEmpty())
        saveCustomCategory(w.txtCustomCategory->text());
    std::optional<SiteFile> site = SiteFile::load(sFileLocation);
    if (site) {
        QList<SiteUrl> urls;
        for (QTreeWidgetItem *row : w.lsvSiteURLs->rows())
            urls.append({row->text(0), Platform::itemTag(row)});
        QList<CustomChoice> custom;
        for (int i = 0; i < m_intNumOfCustEngines && i < myCustomEngine.size(); ++i)
            custom.append({myCustomEngine[i].EngineName, myCustomEngine[i].Category, myCustomEngine[i].SpaceID});
        site->writeSite(shownSiteFields(sFileLocation), urls, custom);
    }
    const bool saved = site && site->commit();
    if (!saved)
        modDSSock::writeErrorLog(QStringLiteral("Module: saveWebsiteFile: ") + QStringLiteral("The file ") + sFileLocation
                                 + QStringLiteral(" could not be written.") + QStringLiteral("m_intNumOfCustEngines:")
                                 + QString::number(m_intNumOfCustEngines));
    Platform::setBusyPointer(false);
    return saved;
}

void clsMain::showSiteFields(const SiteFields &fields)
{
    frmMain &w = *m_frmMain;
    w.txtSiteTitle->setText(fields.title);
    modCommon::setMultiLineText(w.txtSiteKeywords, fields.keyword);
    modCommon::setMultiLineText(w.txtSiteDescription, fields.description);
    w.cboWebType->setCurrentText(fields.webType);
    w.cboLanguage->setCurrentText(fields.language);
    w.txtName->setText(fields.yourName);
    w.txtEmail->setText(fields.email);
    w.txtCompany->setText(fields.company);
    w.txtAddress->setText(fields.address);
    w.txtCity->setText(fields.city);
    w.txtPostcode->setText(fields.postcode);
    w.txtState->setText(fields.state);
    w.cboCountry->setCurrentText(fields.country);
    w.txtPhone->setText(fields.phone);
    w.txtFax->setText(fields.fax);
    w.txtPassword->setText(fields.password);
}

void clsMain::showSiteLists(const SiteFile &site)
{
    frmMain &w = *m_frmMain;
    // Rows are built apart and added at once: the list is laid out once, not once per row.
    const QList<SiteUrl> urls = site.urls();
    QList<QTreeWidgetItem *> urlRows;
    urlRows.reserve(urls.size());
    for (const SiteUrl &url : urls) {
        QTreeWidgetItem *row = newKeyedRow(url.url, {url.url}, QStringLiteral("HTMLFile"));
        Platform::setItemTag(row, url.localFile);
        urlRows.append(row);
    }
    w.lsvSiteURLs->clear();
    w.lsvSiteURLs->addTopLevelItems(urlRows);

    QList<QTreeWidgetItem *> reportRows;
    for (const SiteReport &report : site.reports()) {
        auto *row = new QTreeWidgetItem({report.url, report.date});
        setItemImageKey(row, QStringLiteral("HTMLFile"));
        Platform::setItemTag(row, report.file);
        reportRows.append(row);
    }
    w.lsvReports->clear();
    w.lsvReports->addTopLevelItems(reportRows);
}

bool clsMain::loadWebsiteFile(const QString &sFileName)
{
    frmMain &w = *m_frmMain;
    const std::optional<SiteFile> site = Platform::fileExists(sFileName) ? SiteFile::load(sFileName) : std::nullopt;
    if (!site) {
        // Nothing of the previous site may be saved over this file by a later auto-save.
        w.m_bSkipAutoSaveOnce = true;
        Platform::msgBox(QStringLiteral("Module: loadWebsiteFile") + QStringLiteral("\r\n") + QStringLiteral("The file ")
                             + sFileName + QStringLiteral(" could not be read."),
                         Platform::Information, QStringLiteral("Error"));
        return false;
    }
    const SiteFields fields = site->fields();
    showSiteFields(fields);
    showSiteLists(*site);

    setSelectedCategory(fields.mainCategory, fields.category);
    m_sLoadedSiteFile = sFileName;
    m_sLoadedMainCategory = fields.mainCategory;
    m_sLoadedCategory = fields.category;
    m_bCategoryTouched = false;

    clearCustomEngineChoices();
    for (int i = 0; i < m_intNumOfCustEngines && i < myCustomEngine.size(); ++i)
        myCustomEngine[i].Category = site->customCategory(myCustomEngine[i].EngineName);
    w.cboCustomEngines->setCurrentIndex(-1);
    w.txtCustomCategory->clear();
    w.lsvCustomMainCategory->clear();
    w.lsvCustomSubCategory->clear();

    w.sitePages->clearURLDetails();
    return true;
}

void clsMain::loadURLFromFile(const QString &sFileName)
{
    if (!Platform::fileExists(sFileName)) {
        Platform::msgBox(QStringLiteral("Invalid file name or path, please try again"), Platform::Information,
                         QStringLiteral("Load URL List"));
        return;
    }
    const std::optional<QStringList> lines = modDataFiles::readLines(sFileName);
    if (!lines) {
        Platform::msgBox(QStringLiteral("loadURLList_Error: The file ") + sFileName + QStringLiteral(" could not be read."),
                         Platform::Critical, QStringLiteral("Load URL List"));
        return;
    }
    for (const QString &line : *lines) {
        for (const QString &item : urlListItems(line)) {
            if (isWebAddress(item))
                addNewItem(m_frmMain->lsvSiteURLs, item);
        }
    }
}

bool clsMain::saveURLToFile(const QString &sFileName)
{
    QString text;
    for (QTreeWidgetItem *row : m_frmMain->lsvSiteURLs->rows()) {
        const QString url = row->text(0);
        // A comma would split the URL when the list is read back.
        text += url.contains(QLatin1Char(',')) ? QStringLiteral("\"") + url + QStringLiteral("\"") : url;
        text += QStringLiteral("\r\n");
    }
    if (sFileName.isEmpty() || !Platform::writeTextFileAtomically(sFileName, text)) {
        Platform::msgBox(QStringLiteral("Invalid file name or path, please try again"), Platform::Information,
                         QStringLiteral("Save URL List"));
        return false;
    }
    return true;
}
