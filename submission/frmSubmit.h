#pragma once
// The submission window: choose web sites, read the summary and estimate, build the URL rows,
// run and stop the submission, watch the connections and open the reports. It stays on top and
// keeps the main window disabled while it is open.
#include <functional>
#include <memory>

#include <QPointer>
#include <QWidget>

#include "submission/clsSubmit.h"

class EngineListView;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class SubmitScheduler;
namespace Platform { class StatusBar; }

class frmSubmit : public QWidget {
    Q_OBJECT
public:
    // The names of the main window's selected engines, in its order.
    using EngineNames = std::function<QStringList()>;

    frmSubmit(std::unique_ptr<clsSubmit> run, QWidget *mainWindow, EngineNames selectedEngines,
              const QString &projectListPath);
    ~frmSubmit() override;

    // Creates the run and shows its window for the main window (deleted on close).
    static frmSubmit *Display(QWidget *mainWindow, EngineNames selectedEngines,
                              clsSubmit::EngineLookup engines, const QString &projectListPath);
    // The same for the main window's selected-engine list, the engine collection and the
    // project list in use.
    static frmSubmit *Display(QWidget *mainWindow, EngineListView *selectedEngines);

    bool getSubmitSummary();
    void getNumOfSelectedSites(QString &sNumOfWebsites, QString &sNumOfURLs) const;
    bool ConfirmSubmit();
    void viewReport();
    // The estimate in minutes as shown ("##,##0").
    static QString estimateText(int urls, int engines, int connections);

    void chkSelectAll_Click();
    void cmdNext_Click();
    void cmdStart_Click();
    void cmdSubmit_Click();
    void cmdRemove_Click();
    void cmdReport_Click() { viewReport(); }
    void cmdCancel_Click(int index);

    clsSubmit *mySubmit() const { return m_run.get(); }
    SubmitScheduler *scheduler() const { return m_scheduler; }

    QTabWidget *SSTab1 = nullptr;
    QTreeWidget *lsvSiteSelection = nullptr;
    QTreeWidget *lsvSiteSubmitting = nullptr;
    QTreeWidget *lsvConnections = nullptr;
    QTreeWidget *lsvReport = nullptr;
    QCheckBox *chkSelectAll = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdStart = nullptr;
    QPushButton *cmdSubmit = nullptr;
    QPushButton *cmdRemove = nullptr;
    QPushButton *cmdReport = nullptr;
    QPushButton *cmdCancel[4] = {};
    QProgressBar *ProgressBar1 = nullptr;
    Platform::StatusBar *StatusBar1 = nullptr;
    QLabel *lblNumOfWebsites = nullptr;
    QLabel *lblNumOfEngines = nullptr;
    QLabel *lblNumOfURLs = nullptr;
    QLabel *lblNumOfConnections = nullptr;
    QLabel *lblEstimatedTime = nullptr;
    QLabel *lblStart = nullptr;
    QLabel *lblSubmit = nullptr;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildWindow();
    QWidget *buildSiteTab();
    QWidget *buildSummaryTab();
    QWidget *buildUrlTab();
    QWidget *buildResultsTab();
    void connectScheduler();
    void lsvSiteSelection_ItemCheck(QTreeWidgetItem *row);
    void setRunControlsEnabled(bool enabled);
    void onRunEnded();
    void Form_Unload();

    std::unique_ptr<clsSubmit> m_run;
    QPointer<QWidget> m_mainWindow;
    EngineNames m_selectedEngines;
    QString m_projectListPath;
    SubmitScheduler *m_scheduler = nullptr;
    int m_intNumOfEngines = 0;
    bool m_checkingFromCode = false;
    bool m_unloaded = false;
};
