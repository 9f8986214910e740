#pragma once
// The "Web Ranking" window. One instance, created on first use; the main window opens it and
// hands it nothing.
#include <QDialog>
#include <QPointer>

class frmRanking : public QDialog {
    Q_OBJECT
public:
    static frmRanking *instance();
    // The window when it is loaded, else null.
    static frmRanking *loadedInstance();

private:
    explicit frmRanking(QWidget *parent = nullptr);
    static QPointer<frmRanking> s_instance;
};
