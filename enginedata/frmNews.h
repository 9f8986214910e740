#pragma once
// The "News" window. One instance, created on first use; the main window opens it and
// hands it nothing.
#include <QDialog>
#include <QPointer>

class frmNews : public QDialog {
    Q_OBJECT
public:
    static frmNews *instance();
    // The window when it is loaded, else null.
    static frmNews *loadedInstance();

private:
    explicit frmNews(QWidget *parent = nullptr);
    static QPointer<frmNews> s_instance;
};
