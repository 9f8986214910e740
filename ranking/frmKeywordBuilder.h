#pragma once
// The "Keyword Builder" window. One instance, created on first use; the main window opens it and
// hands it nothing.
#include <QDialog>
#include <QPointer>

class frmKeywordBuilder : public QDialog {
    Q_OBJECT
public:
    static frmKeywordBuilder *instance();
    // The window when it is loaded, else null.
    static frmKeywordBuilder *loadedInstance();

private:
    explicit frmKeywordBuilder(QWidget *parent = nullptr);
    static QPointer<frmKeywordBuilder> s_instance;
};
