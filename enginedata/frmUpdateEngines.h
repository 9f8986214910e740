#pragma once
// The engine data update window: shown modally, it carries a message label and can be closed.
// It reports a finished or failed update through engineDataStored; the window that opened it
// decides what to reload.
#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;

class frmUpdateEngines : public QDialog {
    Q_OBJECT
public:
    // The one update window, created on first use.
    static frmUpdateEngines *instance();

    QLabel *Label1 = nullptr;
    QPushButton *cmdStart = nullptr;
    QPushButton *cmdClose = nullptr;

signals:
    // True once every file of the update is stored, false when an update fails.
    void engineDataStored(bool stored);

private:
    explicit frmUpdateEngines(QWidget *parent = nullptr);
    static QPointer<frmUpdateEngines> s_instance;
};
