#pragma once
// The "Web Ranking" window: the search page (profile, site, keywords, pages or links, the engine
// check list, start and stop, the report command) and the report page (profiles with the date of
// their last report). One instance at a time; it is deleted when it closes, so every open loads
// fresh. The run and the report are its clsRanking's; the profile file's routines are
// RankingProfiles'; the window reads its fields, calls them and shows the outcome.
#include <array>
#include <memory>
#include <vector>

#include <QDialog>
#include <QPointer>

#include "ranking/RankingEngine.h"
#include "ranking/RankingProfiles.h"
#include "ranking/clsRanking.h"

class KeyedListView;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace Platform {
class StatusBar;
}

class frmRanking : public QDialog {
    Q_OBJECT
public:
    static frmRanking *instance();
    // The window when it is loaded, else null.
    static frmRanking *loadedInstance();
    ~frmRanking() override;

    // Start-of-run validation with its messages, then the save question.
    bool isValidField();
    // 0 "&Start Search" / "&Stop", 1 "&Get Report".
    void Command1_Click(int index);
    // 0 "&Add", 1 "&Update", 2 "&Remove".
    void Command2_Click(int index);
    void Command3_Click();   // "&View Report"
    void Command4_Click();   // "&Exit"
    void Option1_Click(int index);
    void cboProfile_Click();
    // The run's HTTP clients and timers, one per engine row.
    void loadSockets();

    // The engine record a row carries.
    static RankingEngine rowEngine(const QTreeWidgetItem *row);
    // Row `index` of the engine list, from 1; null outside.
    QTreeWidgetItem *engineRow(int index) const;
    int engineRowCount() const;
    // The fields as a profile stores them.
    RankingProfile fieldsAsProfile() const;
    // The fields as the run and the report take them.
    RankingInput rankingInput() const;
    QString profilePath() const;
    // The report folder of the profile shown: program folder, "Reports/Ranking/", the name, "/";
    // empty when the name may not name a folder (a profile file edited by hand).
    QString reportFolder() const;
    bool pagesMode() const { return m_intSearchType == 0; }
    clsRanking &ranking() { return *myRanking; }
    bool profileChanged() const { return m_bProfileChanged; }

    QTabWidget *SSTab1 = nullptr;
    QComboBox *cboProfile = nullptr;
    QComboBox *cboSiteURL = nullptr;
    QLineEdit *txtKeyword = nullptr;
    std::array<QRadioButton *, 2> Option1{};
    QLineEdit *txtPageLinks = nullptr;
    std::array<QPushButton *, 3> Command2{};
    QTreeWidget *lsvRankingEngines = nullptr;
    std::array<QPushButton *, 2> Command1{};
    QPushButton *Command4 = nullptr;
    KeyedListView *ListView2 = nullptr;
    QPushButton *Command3 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    Platform::StatusBar *StatusBar2 = nullptr;

    // Esc: nothing during a run, else closes the window as "&Exit" does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void done(int result) override;

private:
    explicit frmRanking(QWidget *parent = nullptr);
    void buildSearchPage(QWidget *page);
    void buildReportPage(QWidget *page);
    void loadEngineData();
    void loadProfile();
    void setProfileButtons(bool enabled);
    void setRunInputs(bool enabled);
    // Analyses the saved pages of the input's profile, then writes, records and opens its report.
    void makeReport(const RankingInput &input);
    void connectRun();
    void startRun();
    void stopRun();
    void showIdle();
    // During a run no button is the default, so Enter in a field or on a button stops nothing.
    void setRunKeys(bool running);
    void addProfile();
    void updateProfile();
    void removeProfile();
    // Saves the fields under the name; shows the failure box and gives false when not written.
    bool saveProfile(const QString &name);
    void showProfile(const RankingProfile &profile);
    void stripScheme();
    void shutdown();

    static QPointer<frmRanking> s_instance;
    std::unique_ptr<clsRanking> myRanking;
    int m_intSearchType = 0;
    bool m_bProfileChanged = false;
    bool m_closed = false;
};
