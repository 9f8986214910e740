#pragma once
// The engine data update window: shown modally, it carries a message label and can be closed.
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

private:
    explicit frmUpdateEngines(QWidget *parent = nullptr);
    static QPointer<frmUpdateEngines> s_instance;
};
