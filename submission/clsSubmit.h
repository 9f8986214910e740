#pragma once
// One submission run: the web sites and URLs chosen, the run's engines with their result status,
// the filling of each engine's request template from the current URL's site details, and the
// report written per URL with the failed-engine list.
#include <functional>
#include <vector>

#include <QString>
#include <QStringList>

#include "sitedata/clsEngines.h"
#include "submission/SubmitSettings.h"

class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;

struct EngineEntry {
    QString Name;
    QString Home;     // empty until served for the current URL
    int Status = 0;   // 0 until served for the current URL
};

// Site details of the current URL; all but WebType, MainCategory, Category, CountryName and
// SiteFile are form-encoded.
struct SiteDetails {
    QString Title, URL, Keyword, Description, WebType, Language, MainCategory, Category;
    QString YourName, Email, Company, Address, City, postcode, State, Country, CountryName;
    QString Phone, Fax, Password, EntryBy, EntryURL;
    QString SiteFile;
};

class clsSubmit {
public:
    // Finds an engine of the database by name (null when unknown).
    using EngineLookup = std::function<const clsEngines *(const QString &name)>;

    clsSubmit(const SubmitSettings &settings, EngineLookup engines);

    const SubmitSettings &settings() const { return m_settings; }
    const clsEngines *findEngine(const QString &name) const { return m_engines ? m_engines(name) : nullptr; }

    // Site list: one row per site of the project list (key site file, text site name, column 1
    // project, column 2 the number of URLs the site file lists; ticked when it has URLs).
    void loadProject(const QString &projectListPath, QTreeWidget *siteList);
    // One row keyed `sText`; false when the key is taken (logged).
    bool addNewItem(QTreeWidget *list, const QString &sText, const QString &sFileLocation,
                    const QString &sSubItem1, const QString &sSubItem2, const QString &sImageIcon,
                    const QString &key = QString());
    // URL rows of the ticked sites and the engine array from the selected engines' names.
    void createSubmissionData(QTreeWidget *siteList, QTreeWidget *urlList,
                              const QStringList &selectedEngines, QProgressBar *progress = nullptr);

    int NumOfEngines() const { return int(m_engineArray.size()); }
    // Engine entry k, 1-based.
    EngineEntry &engine(int k) { return m_engineArray.at(std::size_t(k - 1)); }
    const EngineEntry &engine(int k) const { return m_engineArray.at(std::size_t(k - 1)); }
    void setEngineNames(const QStringList &names);

    // Template filling.
    void setWebDetails(const QString &sURL, const QString &sFileName);
    const SiteDetails &site() const { return m_site; }
    QString getSubmitData(const QString &sEngineName);
    static QString getSearchString(const QString &sStringData, const QString &sKeyword,
                                   const QString &sSeperater, const QString &sMainCategory);
    static QString getCountryCode(const QString &sCountry);
    static QString getCountryName(const QString &sCountryCode);

    // Report and failed-engine list.
    void setFailEngine();
    QStringList failList() const { return m_failList; }
    void getSubmitResults();
    QString CreateReport(const QString &sURLName, const QString &sWebFileLocation);
    // The engines of the last report that took the URL, those that did not, and those a stopped
    // run never sent.
    int successCount() const { return m_successCount; }
    int failureCount() const { return m_failureCount; }
    int notSentCount() const { return m_notSentCount; }
    static QString convertURLtoLocalFile(const QString &sURL);
    static QString failFile();

private:
    // A row not yet in any list.
    static QTreeWidgetItem *newRow(const QString &sText, const QString &sFileLocation, const QString &sSubItem1,
                                   const QString &sSubItem2, const QString &sImageIcon, const QString &key);
    QString tagValue(const QString &tag, const clsEngines &engine) const;
    QString reportPage(const QString &url, const QString &siteFile);
    QString uniqueReportPath(const QString &url) const;
    void recordReport(const QString &siteFile, const QString &url, const QString &path);
    void writeFailList() const;

    SubmitSettings m_settings;
    EngineLookup m_engines;
    std::vector<EngineEntry> m_engineArray;
    SiteDetails m_site;
    bool m_busy = false;
    QString m_successRows;
    QString m_failureRows;
    QString m_notSentRows;
    int m_successCount = 0;
    int m_failureCount = 0;
    int m_notSentCount = 0;
    QStringList m_failList;
    bool m_sentAny = false;   // an engine of this run was sent: the run has a fail list of its own
};
