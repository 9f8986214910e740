#pragma once
// The "Web Search" window: opens a keyword search, a URL-visibility check or a link count of
// one engine of the ranking engine file in the browser. Created afresh on every open and
// deleted when it closes; the main window hands it nothing.
#include <vector>

#include <QDialog>
#include <QPointer>
#include <QStringList>

#include "ranking/RankingEngine.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

class frmSearch : public QDialog {
    Q_OBJECT
public:
    static frmSearch *instance();
    // The window when it is loaded, else null.
    static frmSearch *loadedInstance();
    ~frmSearch() override;

    // Fills the engine list from the ranking engine file.
    void loadEngineData();
    // Fills the site list from the project list.
    void loadWebProfile();
    // Fills the URL list from one site file.
    void loadURLs(const QString &siteFile);

    void cboSearchType_Click();
    void cboWebProfile_Click();
    void lstURL_Click();
    void cmdSearch_Click();

    QLabel *Label3 = nullptr;
    QComboBox *cboSearchType = nullptr;
    QComboBox *cboKeywords = nullptr;
    QComboBox *cboEngine = nullptr;
    QComboBox *cboWebProfile = nullptr;
    QListWidget *lstURL = nullptr;
    QPushButton *cmdSearch = nullptr;
    QPushButton *cmdClose = nullptr;

    const std::vector<RankingEngine> &engines() const { return m_engines; }
    const QStringList &siteFiles() const { return m_siteFiles; }

private:
    explicit frmSearch(QWidget *parent = nullptr);
    void buildControls();

    std::vector<RankingEngine> m_engines;   // by the position in cboEngine
    QStringList m_siteFiles;                // by the position in cboWebProfile
    static QPointer<frmSearch> s_instance;
};
