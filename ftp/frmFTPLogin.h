#pragma once
// "FTP Site Login": host, user, password and remote folder, kept in the settings store. OK hands
// them to the FTP window and answers "OK"; any other way out leaves its answer at "Cancel".
#include <QDialog>

class QLineEdit;
class frmFTPClient;

class frmFTPLogin : public QDialog {
    Q_OBJECT
public:
    explicit frmFTPLogin(frmFTPClient *client);

    void btnOK_Click();
    void btnCancel_Click();

    QLineEdit *txtHostName = nullptr;
    QLineEdit *txtUsername = nullptr;
    QLineEdit *txtPassword = nullptr;
    QLineEdit *txtRemotePath = nullptr;

private:
    frmFTPClient *m_client;
};
