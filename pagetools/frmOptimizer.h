#pragma once
// The "Web Site Optimizer" window. One instance, created on first use; the main window opens it and
// hands it nothing.
#include <QDialog>
#include <QPointer>

class frmOptimizer : public QDialog {
    Q_OBJECT
public:
    static frmOptimizer *instance();
    // The window when it is loaded, else null.
    static frmOptimizer *loadedInstance();

private:
    explicit frmOptimizer(QWidget *parent = nullptr);
    static QPointer<frmOptimizer> s_instance;
};
