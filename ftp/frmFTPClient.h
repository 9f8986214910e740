#pragma once
// The "FTP Upload" window. One instance, created on first use; the main window opens it and
// hands it nothing.
#include <QDialog>
#include <QPointer>

class frmFTPClient : public QDialog {
    Q_OBJECT
public:
    static frmFTPClient *instance();
    // The window when it is loaded, else null.
    static frmFTPClient *loadedInstance();

private:
    explicit frmFTPClient(QWidget *parent = nullptr);
    static QPointer<frmFTPClient> s_instance;
};
