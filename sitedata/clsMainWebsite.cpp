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
#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "platform/KeyedListView.h"
#include "sitedata/clsMainText.h"
#include "sitedata/modDataFiles.h"
#include "transport/modDSSockLog.h"

namespace {

const QString kSiteInfo = QStringLiteral("Web Site Info");
const QString kURL = QStringLiteral("URL");
const QString kReport = QStringLiteral("Report");
const QString kCustom = QStringLiteral("CustomEngineCategory");

// Reads values of one file.
struct SiteFileReader {
    QString file;
    QString operator()(const QString &section, const QString &key) const
    {
        return modCommon::readINIValue(file, section, key);
    }
};

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

bool clsMain::SaveURL(const QString &sWebLocation)
{
    KeyedListView *urls = m_frmMain->lsvSiteURLs;
    const QList<QTreeWidgetItem *> rows = urls->rows();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString n = QString::number(i + 1);
        if (!Platform::iniWrite(sWebLocation, kURL, QStringLiteral("URL") + n, rows[i]->text(0))
            || !Platform::iniWrite(sWebLocation, kURL, QStringLiteral("LocalFile") + n, Platform::itemTag(rows[i])))
            return false;
    }
    return Platform::iniWrite(sWebLocation, kSiteInfo, QStringLiteral("LastURL"), QString::number(rows.size()));
}

bool clsMain::saveWebsiteFile(const QString &sFileLocation)
{
    if (sFileLocation.isEmpty())
        return true;
    frmMain &w = *m_frmMain;
    Platform::setBusyPointer(true);
    int customIndex = 0;
    auto failed = [&]() {
        modDSSock::writeErrorLog(QStringLiteral("Module: saveWebsiteFile: ") + QStringLiteral("The file ") + sFileLocation
                                 + QStringLiteral(" could not be written.") + QStringLiteral("m_intNumOfCustEngines:")
                                 + QString::number(m_intNumOfCustEngines) + QStringLiteral("i: ")
                                 + QString::number(customIndex));
        Platform::setBusyPointer(false);
        return false;
    };
    auto info = [&](const QString &key, const QString &value) {
        return Platform::iniWrite(sFileLocation, kSiteInfo, key, value);
    };

    if (!info(QStringLiteral("Version"), QStringLiteral("6.0")))
        return failed();
    if (!w.cboCustomEngines->currentText().isEmpty())
        saveCustomCategory(w.txtCustomCategory->text());
    if (!info(QStringLiteral("Title"), w.txtSiteTitle->text())
        || !info(QStringLiteral("Keyword"), removeCrLf(modCommon::multiLineText(w.txtSiteKeywords)))
        || !info(QStringLiteral("Description"), removeCrLf(modCommon::multiLineText(w.txtSiteDescription)))
        || !info(QStringLiteral("WebType"), w.cboWebType->currentText())
        || !info(QStringLiteral("Language"), w.cboLanguage->currentText()) || !SaveURL(sFileLocation))
        return failed();

    QString mainCategory;
    QString subCategory;
    getSelectedCategory(mainCategory, subCategory);
    const bool sameSite = QDir::cleanPath(sFileLocation) == QDir::cleanPath(m_sLoadedSiteFile);
    if (sameSite && !m_bLoadedCategoryShown && !m_bCategoryTouched) {
        // The stored category is not in the lists and the user chose none: keep it as stored.
        // Only for the file it came from: another site never gets this site's category.
        mainCategory = m_sLoadedMainCategory;
        subCategory = m_sLoadedCategory;
    }
    if (!info(QStringLiteral("MainCategory"), mainCategory) || !info(QStringLiteral("Category"), subCategory)
        || !info(QStringLiteral("YourName"), w.txtName->text()) || !info(QStringLiteral("Email"), w.txtEmail->text())
        || !info(QStringLiteral("Company"), w.txtCompany->text()) || !info(QStringLiteral("Address"), w.txtAddress->text())
        || !info(QStringLiteral("City"), w.txtCity->text()) || !info(QStringLiteral("postcode"), w.txtPostcode->text())
        || !info(QStringLiteral("State"), w.txtState->text()) || !info(QStringLiteral("Country"), w.cboCountry->currentText())
        || !info(QStringLiteral("Phone"), w.txtPhone->text()) || !info(QStringLiteral("Fax"), w.txtFax->text())
        || !info(QStringLiteral("Password"), w.txtPassword->text()))
        return failed();

    for (customIndex = 0; customIndex < m_intNumOfCustEngines && customIndex < myCustomEngine.size(); ++customIndex) {
        const CustomEngineEntry &entry = myCustomEngine[customIndex];
        if (!entry.Category.isEmpty() && !Platform::iniWrite(sFileLocation, kCustom, entry.EngineName, entry.Category))
            return failed();
        if (!entry.SpaceID.isEmpty()
            && !Platform::iniWrite(sFileLocation, kCustom, entry.EngineName + QStringLiteral("SpaceID"), entry.SpaceID))
            return failed();
    }
    Platform::setBusyPointer(false);
    return true;
}

bool clsMain::loadWebsiteFile(const QString &sFileName)
{
    frmMain &w = *m_frmMain;
    if (!Platform::readBinaryFile(sFileName)) {
        // Nothing of the previous site may be saved over this file by a later auto-save.
        w.m_bSkipAutoSaveOnce = true;
        Platform::msgBox(QStringLiteral("Module: loadWebsiteFile") + QStringLiteral("\r\n") + QStringLiteral("The file ")
                             + sFileName + QStringLiteral(" could not be read."),
                         Platform::Information, QStringLiteral("Error"));
        return false;
    }
    const SiteFileReader read{sFileName};

    w.txtSiteTitle->setText(read(kSiteInfo, QStringLiteral("Title")));
    modCommon::setMultiLineText(w.txtSiteKeywords, read(kSiteInfo, QStringLiteral("Keyword")));
    modCommon::setMultiLineText(w.txtSiteDescription, read(kSiteInfo, QStringLiteral("Description")));
    w.cboWebType->setCurrentText(read(kSiteInfo, QStringLiteral("WebType")));
    w.cboLanguage->setCurrentText(read(kSiteInfo, QStringLiteral("Language")));

    KeyedListView *urls = w.lsvSiteURLs;
    urls->clear();
    if (read(kSiteInfo, QStringLiteral("Version")).isEmpty()) {
        const QString oldURL = read(kSiteInfo, QStringLiteral("URL"));
        if (!oldURL.isEmpty()) {
            if (QTreeWidgetItem *row = urls->addRow(oldURL, {oldURL}, QStringLiteral("HTMLFile")))
                Platform::setItemTag(row, read(kSiteInfo, QStringLiteral("FileLocation0")));
        }
    }
    const int lastURL = std::min(clsMainText::leadingDigits(read(kSiteInfo, QStringLiteral("LastURL"))),
                                 clsMainText::highestNumberedKey(sFileName, kURL, QStringLiteral("URL")));
    for (int i = 1; i <= lastURL; ++i) {
        const QString url = read(kURL, QStringLiteral("URL") + QString::number(i));
        if (url.isEmpty())
            continue;
        if (QTreeWidgetItem *row = urls->addRow(url, {url}, QStringLiteral("HTMLFile")))
            Platform::setItemTag(row, read(kURL, QStringLiteral("LocalFile") + QString::number(i)));
    }

    KeyedListView *reports = w.lsvReports;
    reports->clear();
    const int lastReport = std::min(clsMainText::leadingDigits(read(kSiteInfo, QStringLiteral("LastReport"))),
                                    clsMainText::highestNumberedKey(sFileName, kReport, QStringLiteral("URL")));
    for (int i = 1; i <= lastReport; ++i) {
        const QString n = QString::number(i);
        const QString url = read(kReport, QStringLiteral("URL") + n);
        const QString reportFile = read(kReport, QStringLiteral("ReportFile") + n);
        if (url.isEmpty() || reportFile.isEmpty())
            continue;
        auto *row = new QTreeWidgetItem({url, read(kReport, QStringLiteral("Date") + n)});
        setItemImageKey(row, QStringLiteral("HTMLFile"));
        Platform::setItemTag(row, reportFile);
        reports->addTopLevelItem(row);
    }

    const QString mainCategory = read(kSiteInfo, QStringLiteral("MainCategory"));
    const QString subCategory = read(kSiteInfo, QStringLiteral("Category"));
    setSelectedCategory(mainCategory, subCategory);
    QString shownMain;
    QString shownSub;
    getSelectedCategory(shownMain, shownSub);
    m_sLoadedSiteFile = sFileName;
    m_sLoadedMainCategory = mainCategory;
    m_sLoadedCategory = subCategory;
    m_bLoadedCategoryShown = mainCategory.isEmpty()
        || (shownMain.compare(mainCategory, Qt::CaseInsensitive) == 0
            && (subCategory.isEmpty() || shownSub.compare(subCategory, Qt::CaseInsensitive) == 0));
    m_bCategoryTouched = false;

    clearCustomEngineChoices();
    for (int i = 0; i < m_intNumOfCustEngines && i < myCustomEngine.size(); ++i)
        myCustomEngine[i].Category = read(kCustom, myCustomEngine[i].EngineName);
    w.cboCustomEngines->setCurrentIndex(-1);
    w.txtCustomCategory->clear();
    w.lsvCustomMainCategory->clear();
    w.lsvCustomSubCategory->clear();

    w.txtName->setText(read(kSiteInfo, QStringLiteral("YourName")));
    w.txtEmail->setText(read(kSiteInfo, QStringLiteral("Email")));
    w.txtCompany->setText(read(kSiteInfo, QStringLiteral("Company")));
    w.txtAddress->setText(read(kSiteInfo, QStringLiteral("Address")));
    w.txtCity->setText(read(kSiteInfo, QStringLiteral("City")));
    w.txtPostcode->setText(read(kSiteInfo, QStringLiteral("postcode")));
    w.txtState->setText(read(kSiteInfo, QStringLiteral("State")));
    w.cboCountry->setCurrentText(read(kSiteInfo, QStringLiteral("Country")));
    w.txtPhone->setText(read(kSiteInfo, QStringLiteral("Phone")));
    w.txtFax->setText(read(kSiteInfo, QStringLiteral("Fax")));
    w.txtPassword->setText(read(kSiteInfo, QStringLiteral("Password")));

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
