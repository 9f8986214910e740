#pragma once
// The "Keyword Builder" window: asks one engine of the ranking engine file for a phrase, fetches
// the first sites it lists one after another through the shared page fetch and collects their
// meta keywords into a list the user can save. Created afresh on every open and deleted when it
// closes; the main window hands it nothing.
#include <array>

#include <QDialog>
#include <QLatin1StringView>
#include <QPointer>
#include <QStringList>

#include "platform/Timer.h"
#include "ranking/RankingEngine.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
namespace Platform { class StatusBar; }

class frmKeywordBuilder : public QDialog {
    Q_OBJECT
public:
    static frmKeywordBuilder *instance();
    // The window when it is loaded, else null.
    static frmKeywordBuilder *loadedInstance();
    ~frmKeywordBuilder() override;

    // The page fetch's request kind of the pages this window reads. Its receiver asks for no
    // boxes: a failed connection, an error status, a redirect loop or a refused login is told
    // to it quietly, so that every step of a run ends.
    static constexpr QLatin1StringView kRequestKind{"KeywordBuilder"};
    // The pause between one page and the request of the next.
    static constexpr int kSiteIntervalMs = 200;

    // Reads the engine of the ranking engine file's "KeywordBuilder" section.
    void loadEngineData();
    // One fetched page of the run (empty when the fetch gave none): the engine's result page
    // first, then each site's page.
    void ProcessData(const QString &page);
    // "&Get" starts a run, "&Cancel" ends it; "&Close" closes; "&Save" saves the list.
    void Command1_Click(int index);
    void Timer1_Timer();
    void saveKeywords();

    bool running() const { return m_running; }
    const QStringList &siteAddresses() const { return m_sites; }
    const KeywordBuilderEngine &keywordEngine() const { return m_engine; }

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *cboKeywords = nullptr;
    std::array<QPushButton *, 3> Command1{};
    std::array<QRadioButton *, 2> Option1{};
    QPlainTextEdit *txtKeywordList = nullptr;
    Platform::StatusBar *StatusBar1 = nullptr;
    Platform::Timer Timer1;

    // Closing ends a run under way.
    void done(int result) override;

protected:
    // Esc leaves a run alone; an idle window closes on it as a dialog does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    explicit frmKeywordBuilder(QWidget *parent = nullptr);
    void buildControls();
    void startRun();
    void showRunPointer(bool running);
    void setRunKeys(bool running);
    void cancelRun();
    void fetch(const QString &url);
    void fetchFailed();
    void noPage(const QString &reason);
    void endRun();
    QString currentAddress() const;

    KeywordBuilderEngine m_engine;
    QStringList m_sites;         // the site address slots, 1 ... NumOfURLs at 0 ... NumOfURLs - 1
    QStringList m_noPage;        // "address (reason)" of each site that gave no page
    QString m_resultPageFailure; // why the result page did not arrive
    int m_phase = 0;             // 0: the result page is due, 1: a site page
    int m_siteIndex = 0;         // the current site, from 1
    bool m_running = false;
    bool m_awaitingPage = false;
    // Numbers each run so that a callback of a cancelled one does nothing.
    quint64 m_run = 0;
    quint64 m_fetchRun = 0;
    static QPointer<frmKeywordBuilder> s_instance;
};
