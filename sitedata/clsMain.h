#pragma once
// The data object of the main window: the project list, the web site files and URL lists, the
// category, country and engine data, the engine lists and every rule for selecting engines. It
// works directly on the main window's controls. One instance per process (theMain()), owned by
// the main window.
#include <memory>
#include <optional>
#include <vector>

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include "platform/CaseInsensitiveKey.h"
#include "sitedata/NameIndex.h"
#include "sitedata/clsCategory.h"
#include "sitedata/clsEngines.h"
#include "sitedata/modEngineData.h"

class frmMain;
class QTreeWidget;
class QTreeWidgetItem;
class KeyedListView;
class EngineListView;
class SiteFile;
struct SiteFields;
struct EngineDatabaseTally;
class EngineValueCache;

// One custom-category engine with the category path and space id chosen for the current site.
struct CustomEngineEntry {
    QString EngineName;
    QString Category;
    QString SpaceID;
};

class clsMain {
public:
    // Creates the main window (when it does not exist yet) and hands this object to it.
    clsMain();
    ~clsMain();
    clsMain(const clsMain &) = delete;
    clsMain &operator=(const clsMain &) = delete;

    // Loads the main window (its load handler runs) and shows it. False when the load failed.
    bool Display();
    frmMain *mainWindow() const { return m_frmMain; }

    // Creates the one clsMain and shows the main window (the start-up's last step).
    static void createAndDisplay();

    // The data files' places.
    static QString projectListPath();
    static QString engineDataFolder();   // ends in "/"
    static QString programFile(const QString &name);

    // --- Project list ---------------------------------------------------------------------------
    // True when every write went through; a failure has been reported to the user.
    bool addNewProject(const QString &sProjectName, const QString &sWebName, QString &sNewWebIndex,
                       const QString &sFileLocation);
    bool editProject(const QString &sOldName, const QString &sNewName);
    bool removeProject(const QString &sName);

    // --- Web site file and URL lists ------------------------------------------------------------
    // False when the file could not be written (logged; the caller tells the user).
    bool saveWebsiteFile(const QString &sFileLocation);
    // False when the file could not be read into the controls (the user has been told).
    bool loadWebsiteFile(const QString &sFileName);
    bool addNewItem(QTreeWidget *myListView, const QString &sText);
    void loadURLFromFile(const QString &sFileName);
    bool saveURLToFile(const QString &sFileName);
    static QString getFileNameFromFile(const QString &sFile);

    // --- Web form data import ---------------------------------------------------------------------
    // Fills the site-detail controls from a file of "Label: value" lines. False after a failure,
    // which has been shown; the values applied before it stay.
    bool getWebFormData(const QString &sFileName);
    // Splits a line at its first ":" or "=" (whichever comes first) into the trimmed label and
    // value. False when the line holds neither.
    static bool splitWebFormLine(const QString &line, QString &label, QString &value);

    // --- Engine database ------------------------------------------------------------------------
    bool loadEngines();
    // Takes one finished engine; false when it was dropped (no name or a duplicate).
    bool addEngineList(std::unique_ptr<clsEngines> InstEngines);
    void addEngineListView(EngineListView *myEngineList, clsEngines &InstEngines);
    void addCountryFilterList(const QString &sCountryCode);
    QString m_sCountryCodes;
    NameSet m_countryCodeEntries;   // the entries of m_sCountryCodes

    // --- Categories, countries, engine category data -------------------------------------------
    bool loadCategory();
    bool addCategoryList(const clsCategory &InstCategory);
    void loadSubCategory(const QString &sMainCategory);
    void getSelectedCategory(QString &sMainCat, QString &sSubCat) const;
    void setSelectedCategory(QString sMainCat, const QString &sSubCat);
    bool loadCountry();
    bool loadEngineCategory();
    QString getEngineCategoryData(const QString &sName) const;
    static QString removeCrLf(const QString &sData);
    const QList<clsCategory> &myCategories() const { return m_categories; }
    const QList<modEngineData::EngineCategoryEntry> &myEngineCategory() const { return m_engineCategory; }

    // --- Engine selection -----------------------------------------------------------------------
    void EngineSelectByType(const QString &sEngType, bool isChecked);
    void EngineSelectByCountry(const QString &sFilter, const QString &sCountry, bool isSelected);
    void EngineSelection(const QString &sSelection);
    void EngineSelectNoAdultSites();
    void EngineSelect(int Index);
    void EngineRemove(int Index);
    void EngineSingleSelect(const QString &sEngineName);
    void findEnginesByKeyword(const QString &sKeyword);
    static QString countryCodeOfFilterRow(const QString &sCountry);

    // --- Selected-engine lists and export -------------------------------------------------------
    bool saveSelectedEngine(const QString &sFileName);
    void loadSelectedEngine(const QString &sFileName);
    bool exportEngineList();
    static QString engineListPage();   // the export page's text from myEngines

    // --- Custom-category engines ------------------------------------------------------------------
    QVector<CustomEngineEntry> myCustomEngine;   // entries 0..count-1 used, one empty at the end
    int m_intNumOfCustEngines = 0;
    int CustomEngineIndex() const { return m_intCustomEngineIndex; }
    void setCustomEngineIndex(int index) { m_intCustomEngineIndex = index; }
    void saveCustomCategory(const QString &sCategory);
    // Rebuilds the custom-category engine list from the loaded engines, keeping each engine's
    // chosen category and space id.
    void rebuildCustomEngines(const QStringList &engineNames);
    // Fills the top-category list of the engine and sets the combo's tag to the base address.
    void setCustomEngCategory(const QString &sEngineName);
    // Appends the sub-category rows of a fetched directory page; takes its space id for the
    // engine being edited and gives the open directory's add-URL address in `sAddURL`.
    void setCustomEngineSubCategory(const QString &sFileData, const QString &sCategoryKey, QString &sAddURL);
    static QString getSpaceID(const QString &sURL);
    // Reads the category id from the open directory's add-URL form and shows whether the choice
    // is ready.
    void getDmozID(const QString &sData);
    bool isUsedCustomEngineIndex(int index) const;

    // Whether the user changed the category lists since the last site load.
    void noteCategoryTouched();

private:
    EngineListView *engineList() const;
    EngineListView *selectedList() const;
    void updateSelectedHeader();
    void selectEngine(clsEngines &engine);
    // Gives each engine not yet selected a row in the selected list, in one insertion.
    void selectEngines(const QList<clsEngines *> &engines);
    // Empties the selected list, clearing the Selected flag of each engine it held.
    void unselectAll();
    void selectMainCategoryRow(int row);
    // Applies one key line of the engine database; false when its number does not fit the field.
    bool applyEngineValue(clsEngines &engine, modEngineData::EngineKey key, QByteArrayView value,
                          EngineValueCache &cache, char &categoryMode);
    void readEngineDatabase(const QString &file, EngineDatabaseTally &tally);
    // getEngineCategoryData for engines met in the order of the category data; `cursor` is the
    // entry found last.
    QString engineCategoryDataAfter(const QString &sName, qsizetype &cursor) const;
    void releaseEngineCategoryData();
    // An entry of the error log; batched while the engine database is read.
    void noteInErrorLog(const QString &text);
    void flushErrorLogNotes();
    void offerCountry(QString &code);
    QString countryName(const QString &code);
    void clearCustomEngineChoices();
    // The site pages' fields as they are to be saved into the file.
    SiteFields shownSiteFields(const QString &sFileLocation);
    void showSiteFields(const SiteFields &fields);
    void showSiteLists(const SiteFile &site);
    auto categoryNameAt() const
    {
        return [this](qint32 entry) -> const QString & { return m_engineCategory[entry].Name; };
    }

    frmMain *m_frmMain = nullptr;
    QList<clsCategory> m_categories;
    QList<modEngineData::EngineCategoryEntry> m_engineCategory;
    NameIndex m_engineCategoryIndex;   // name -> first entry of m_engineCategory
    std::vector<bool> m_engineCategoryFirst;   // whether each entry is the first of its name
    QList<clsEngines *> *m_pendingEngineRows = nullptr;   // rows gathered during a load
    QStringList *m_pendingCountryRows = nullptr;          // country filter rows gathered during a load
    QString *m_pendingLog = nullptr;                      // error log entries gathered during a load
    // The country names of "country.vqs" by code, read at a load's first new country.
    std::optional<QHash<CaseInsensitiveKey, QString>> m_countryNames;
    int m_intCustomEngineIndex = 0;
    int m_typeCounts[7] = {0, 0, 0, 0, 0, 0, 0};

    // The category stored in the site file last loaded: kept until the user chooses another.
    QString m_sLoadedSiteFile;
    QString m_sLoadedMainCategory;
    QString m_sLoadedCategory;
    bool m_bCategoryTouched = false;
    bool m_bSettingCategory = false;
};

// The one clsMain, or null before start-up created it.
clsMain *theMain();
