#pragma once
// The "Web Site Optimizer" window: reports on one page, fetched from the web or read from a local
// file, and opens the report. One instance, created on first use and released when it closes; the
// main window opens it modally or loads it hidden for a run of its own, and listens for
// clearStatusRequested.
#include <QDialog>
#include <QLatin1StringView>
#include <QPointer>
#include <QString>

class QAction;
class QComboBox;
class QLabel;
class QPushButton;
namespace Platform { class StatusBar; }

class frmOptimizer : public QDialog {
    Q_OBJECT
public:
    static frmOptimizer *instance();
    // The window when it is loaded, else null.
    static frmOptimizer *loadedInstance();
    ~frmOptimizer() override;

    // The page fetch's request kind of the page this window reports on.
    static constexpr QLatin1StringView kRequestKind{"Optimizer"};

    // Runs the report on the address (idle) or cancels the fetch under way.
    void cmdRenovator_Click();
    void cmdFileLocation_Click();
    // 0 "&Open HTML File", 2 "&Close".
    void mnuFileItems_Click(int index);
    // Builds, writes and opens the report on the page named by cboSiteURL.
    void Renovator(const QString &sData);
    // The whole file as text; empty, after a box, when it cannot be read or is larger than a
    // fetched page may be.
    static QString getFileData(const QString &path);
    // The report file of the address as it stands in cboSiteURL.
    QString reportPath() const;

    QComboBox *cboSiteURL = nullptr;
    QPushButton *cmdRenovator = nullptr;
    QPushButton *cmdFileLocation = nullptr;
    QAction *mnuOptimizer = nullptr;
    Platform::StatusBar *StatusBar1 = nullptr;

signals:
    // A run started from the main window has ended: its status text goes.
    void clearStatusRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit frmOptimizer(QWidget *parent = nullptr);
    void buildWindow();
    void registerReceiver();
    void Form_Load();
    void Form_Unload();
    void startFetch(const QString &address);
    void runLocalFile(const QString &path);
    bool writeReport(const QString &report);
    void endRun();
    void releaseHidden();

    static QPointer<frmOptimizer> s_instance;
    bool m_unloaded = false;
};
