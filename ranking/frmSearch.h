#pragma once
// The "Web Search" window. One instance, created on first use; the main window opens it and
// hands it nothing.
#include <QDialog>
#include <QPointer>

class frmSearch : public QDialog {
    Q_OBJECT
public:
    static frmSearch *instance();
    // The window when it is loaded, else null.
    static frmSearch *loadedInstance();

private:
    explicit frmSearch(QWidget *parent = nullptr);
    static QPointer<frmSearch> s_instance;
};
