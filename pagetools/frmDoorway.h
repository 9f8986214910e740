#pragma once
// The "Doorway Page Generator" window. One instance, created on first use; the main window opens it and
// hands it nothing.
#include <QDialog>
#include <QPointer>

class frmDoorway : public QDialog {
    Q_OBJECT
public:
    static frmDoorway *instance();
    // The window when it is loaded, else null.
    static frmDoorway *loadedInstance();

private:
    explicit frmDoorway(QWidget *parent = nullptr);
    static QPointer<frmDoorway> s_instance;
};
