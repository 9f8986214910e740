#pragma once
// The engine data update window: shown modally, it starts and cancels an update run
// (clsUpdateEngines) and shows what the run reports. It reports a finished or failed update
// through engineDataStored; the window that opened it decides what to reload.
#include <QDialog>
#include <QPointer>

#include "enginedata/clsUpdateEngines.h"

class QLabel;
class QProgressBar;
class QPushButton;

class frmUpdateEngines : public QDialog {
    Q_OBJECT
public:
    // The one update window, created on first use; closing it releases it.
    static frmUpdateEngines *instance();
    ~frmUpdateEngines() override;

    // 1 Start, 0 Close or Cancel.
    void Command1_Click(int Index);
    const clsUpdateEngines &run() const { return m_run; }

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Image1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *cmdStart = nullptr;   // Command1 index 1
    QPushButton *cmdClose = nullptr;   // Command1 index 0

signals:
    // True once every file of the update is stored, false when an update fails.
    void engineDataStored(bool stored);

protected:
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit frmUpdateEngines(QWidget *parent = nullptr);
    static QPointer<frmUpdateEngines> s_instance;

    void buildControls();
    void start();
    void closeWindow();
    void showStep(clsUpdateEngines::Step step);
    void runEnded(clsUpdateEngines::Outcome outcome, const QString &reason);
    void updateComplete();
    void setErrorMsg(const QString &reason);
    void showCancelled();
    void setRunning(bool running);
    void setLinkLook(bool hover);

    clsUpdateEngines m_run;
};
