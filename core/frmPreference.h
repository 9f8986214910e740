#pragma once
// The preferences dialog ("Preferences"): the only editor of the user's settings. It shows the
// settings object's values, checks time-out, connections, proxy and port on OK, then writes the
// values back and stores them. Cancel leaves the settings object exactly as the dialog found it.
// Beside the login it lists the servers the user allowed it to go to, each of which Remove takes
// back.
#include <QDialog>
#include <QMap>
#include <QVector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;

class frmPreference : public QDialog {
    Q_OBJECT
public:
    explicit frmPreference(QWidget *parent = nullptr);

    void Form_Load();
    void optProxy_Click(int index);
    void txtConnections_KeyPress();
    void cmdRemoveHost_Click();
    // 0 OK, 1 Cancel.
    void Command1_Click(int index);

    QTabWidget *SSTab1 = nullptr;
    QMap<int, QRadioButton *> optProxy;          // 1 direct, 2 proxy
    QLineEdit *txtProxy = nullptr;
    QLineEdit *txtPort = nullptr;
    QLineEdit *txtSMTPServer = nullptr;
    QLineEdit *txtTimeOut = nullptr;
    QLineEdit *txtUsername = nullptr;
    QLineEdit *txtPassword = nullptr;
    // The servers the stored login may go to; Remove takes the selected one out (kept on OK).
    QListWidget *lstAuthenticationHosts = nullptr;
    QPushButton *cmdRemoveHost = nullptr;
    QLineEdit *txtConnections = nullptr;
    QLineEdit *txtYourName = nullptr;
    QLineEdit *txtEmail = nullptr;
    QLineEdit *txtCompany = nullptr;
    QLineEdit *txtSiteUrl = nullptr;
    QLineEdit *txtLogoURL = nullptr;
    QMap<int, QRadioButton *> optLogoPosition;   // 0 top, 1 bottom
    QCheckBox *chkBlockConfirmEmail = nullptr;
    QCheckBox *chkDontClearFields = nullptr;
    QCheckBox *chkPromptConnection = nullptr;
    QVector<QPushButton *> Command1;             // 0 OK, 1 Cancel

    bool m_intConnectionsEdited = false;

    // The access type the option buttons show; reaches the settings object only on OK.
    int chosenAccessType() const { return m_nAccessType; }

private:
    QWidget *buildServerTab();
    QWidget *buildConnectionsTab();
    QWidget *buildProfileTab();
    QWidget *buildOptionsTab();
    void refuse(const QString &message, int icon, int tab, QWidget *focus);
    bool acceptValues();

    int m_nAccessType = 1;
};
