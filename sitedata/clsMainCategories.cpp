// The category list ("cat.vqs"), the country list ("country.vqs") and the engine category data
// ("catvqs.dat"), and the category choice of the site-details pages.
#include "sitedata/clsMain.h"

#include <functional>

#include <QComboBox>
#include <QFileInfo>
#include <QListWidget>

#include "core/frmSplash.h"
#include "mainwindow/frmMain.h"
#include "platform/Codec1252.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "sitedata/modDataFiles.h"
#include "platform/modDSSockLog.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Clears a flag when leaving the scope.
struct FlagGuard {
    bool &flag;
    explicit FlagGuard(bool &f) : flag(f) { flag = true; }
    ~FlagGuard() { flag = false; }
};

int firstRowWhere(const QListWidget *list, const std::function<bool(const QString &)> &matches)
{
    for (int i = 0; i < list->count(); ++i) {
        if (matches(list->item(i)->text()))
            return i;
    }
    return -1;
}

QString firstSelectedText(const QListWidget *list)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            return list->item(i)->text();
    }
    return QString();
}

bool hasSelection(const QListWidget *list)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            return true;
    }
    return false;
}

} // namespace

QString clsMain::removeCrLf(const QString &sData)
{
    return Platform::lineBreaksToSpaces(sData);
}

bool clsMain::addCategoryList(const clsCategory &InstCategory)
{
    if (InstCategory.MainCategory.isEmpty())
        return true;
    for (const clsCategory &category : m_categories) {
        if (category.MainCategory.compare(InstCategory.MainCategory, Qt::CaseInsensitive) == 0)
            return false;
    }
    m_categories.append(InstCategory);
    m_frmMain->lstMainCategory->addItem(InstCategory.MainCategory);
    return true;
}

bool clsMain::loadCategory()
{
    const std::optional<QStringList> lines = modDataFiles::readLines(programFile(QStringLiteral("cat.vqs")));
    if (!lines)
        return false;
    FlagGuard guard(m_bSettingCategory);
    m_categories.clear();
    m_frmMain->lstMainCategory->clear();
    m_frmMain->lstCategory->clear();
    const modEngineData::CategoryList list = modEngineData::parseCategoryList(*lines);
    for (const modEngineData::CategoryListEntry &entry : list.categories) {
        const clsCategory category{entry.MainCategory, entry.SubCategories.join(QLatin1Char('|'))};
        if (addCategoryList(category))
            continue;
        // A repeated main category is logged and skipped; the rest of the list still loads.
        QString log = QStringLiteral("------Load Category Fail ------") + kCrLf;
        for (const QString &line : list.linesBeforeFirst)
            log += QStringLiteral("Buffer=") + line + kCrLf;
        log += QStringLiteral("Buffer=") + entry.headerLine;
        modDSSock::writeErrorLog(log);
    }
    if (m_frmMain->lstMainCategory->count() > 0)
        selectMainCategoryRow(0);
    return true;
}

void clsMain::selectMainCategoryRow(int row)
{
    QListWidget *mainList = m_frmMain->lstMainCategory;
    mainList->clearSelection();
    mainList->setCurrentRow(row);
    if (QListWidgetItem *item = mainList->item(row)) {
        item->setSelected(true);
        loadSubCategory(item->text());
    }
}

void clsMain::loadSubCategory(const QString &sMainCategory)
{
    QListWidget *subList = m_frmMain->lstCategory;
    subList->clear();
    const clsCategory *found = nullptr;
    for (const clsCategory &category : m_categories) {
        if (category.MainCategory.compare(sMainCategory, Qt::CaseInsensitive) == 0) {
            found = &category;
            break;
        }
    }
    if (!found) {
        Platform::msgBox(QStringLiteral("Module: loadSubCategory") + kCrLf + QStringLiteral("The category ")
                             + sMainCategory + QStringLiteral(" is not in the category list."),
                         Platform::Information, QStringLiteral("Error"));
        return;
    }
    const QStringList pieces = found->SubCategory.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i + 1 < pieces.size() || !pieces[i].isEmpty())
            subList->addItem(pieces[i]);
    }
}

void clsMain::getSelectedCategory(QString &sMainCat, QString &sSubCat) const
{
    if (hasSelection(m_frmMain->lstMainCategory))
        sMainCat = firstSelectedText(m_frmMain->lstMainCategory);
    if (hasSelection(m_frmMain->lstCategory))
        sSubCat = firstSelectedText(m_frmMain->lstCategory);
}

void clsMain::setSelectedCategory(QString sMainCat, const QString &sSubCat)
{
    FlagGuard guard(m_bSettingCategory);
    QListWidget *mainList = m_frmMain->lstMainCategory;
    QListWidget *subList = m_frmMain->lstCategory;
    // Nothing of the previous choice may stay selected.
    mainList->clearSelection();
    subList->clear();
    if (sMainCat.isEmpty()) {
        for (const clsCategory &category : m_categories) {
            if (category.SubCategory.contains(sSubCat, Qt::CaseInsensitive)) {
                sMainCat = category.MainCategory;
                break;
            }
        }
    }
    if (sMainCat.isEmpty())
        sMainCat = QStringLiteral("Business and Finance");
    const int mainRow = firstRowWhere(mainList, [&](const QString &text) {
        return text.compare(sMainCat, Qt::CaseInsensitive) == 0;
    });
    if (mainRow >= 0) {
        selectMainCategoryRow(mainRow);
        const int subRow = firstRowWhere(subList, [&](const QString &text) {
            return text.compare(sSubCat, Qt::CaseInsensitive) == 0;
        });
        if (subRow >= 0)
            subList->item(subRow)->setSelected(true);
        return;
    }
    const int businessRow = firstRowWhere(mainList, [](const QString &text) {
        return text.contains(QLatin1String("Business"), Qt::CaseInsensitive);
    });
    if (businessRow >= 0)
        selectMainCategoryRow(businessRow);
}

void clsMain::noteCategoryTouched()
{
    if (!m_bSettingCategory)
        m_bCategoryTouched = true;
}

bool clsMain::loadCountry()
{
    const std::optional<QStringList> lines = modDataFiles::readLines(programFile(QStringLiteral("country.vqs")));
    if (!lines)
        return false;
    QComboBox *combo = m_frmMain->cboCountry;
    const QString shown = combo->currentText();
    for (const QString &line : *lines) {
        if (line.compare(QLatin1String("[Country Code]"), Qt::CaseInsensitive) == 0)
            break;
        if (line.isEmpty() || line.at(0) == QLatin1Char('#'))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals >= 0)
            combo->addItem(line.left(equals));
    }
    // Filling the list chooses no country.
    combo->setCurrentIndex(-1);
    combo->setCurrentText(shown);
    return true;
}

bool clsMain::loadEngineCategory()
{
    const QString file = engineDataFolder() + QStringLiteral("catvqs.dat");
    modEngineData::EngineCategoryParser parser;
    if (QFileInfo(file).size() <= 0
        || !modDataFiles::forEachByteLine(file, [&parser](QByteArrayView line) { return parser.feed(line); }).readable) {
        frmSplash::unloadSplash();
        Platform::msgBox(QStringLiteral("Category data file is corrupted, you need to download the ")
                             + QStringLiteral("engine submission data file from our web site by click on the ")
                             + QStringLiteral("'File/Update Engine Data' menu item from the menu bar and ")
                             + QStringLiteral("following the instruction on the screen."),
                         Platform::Information, QStringLiteral("Error"));
        return false;
    }
    m_engineCategory = parser.takeEntries();
    m_engineCategory.squeeze();   // held through the engine load, where memory peaks
    m_engineCategoryIndex.clear();
    // A repeated name keeps its first entry.
    m_engineCategoryFirst.assign(size_t(m_engineCategory.size()), false);
    for (qsizetype i = 0; i < m_engineCategory.size(); ++i)
        m_engineCategoryFirst[size_t(i)] = m_engineCategoryIndex.insert(m_engineCategory[i].Name, qint32(i), categoryNameAt());
    return true;
}

// The category data lists its engines in the order of the engine database: the entry after the
// one found last is tried first, and only a name found elsewhere is looked up by its hash.
QString clsMain::engineCategoryDataAfter(const QString &sName, qsizetype &cursor) const
{
    const qsizetype next = cursor + 1;
    if (next < m_engineCategory.size() && m_engineCategoryFirst[size_t(next)]
        && NameIndex::sameName(m_engineCategory[next].Name, sName)) {
        cursor = next;
        return m_engineCategory[next].CategoryData;
    }
    const qint32 entry = m_engineCategoryIndex.find(sName, categoryNameAt());
    if (entry == NameIndex::NotFound)
        return QString();
    cursor = entry;
    return m_engineCategory[entry].CategoryData;
}

QString clsMain::getEngineCategoryData(const QString &sName) const
{
    const qint32 entry = m_engineCategoryIndex.find(sName, categoryNameAt());
    return entry == NameIndex::NotFound ? QString() : m_engineCategory[entry].CategoryData;
}
