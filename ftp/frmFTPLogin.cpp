#include "ftp/frmFTPLogin.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ftp/frmFTPClient.h"
#include "ftp/modFTP.h"
#include "platform/SettingsStore.h"

using namespace Qt::StringLiterals;

namespace {

const QString kApp = u"Velquist"_s;
const QString kSection = u"FTP"_s;

QLineEdit *storedBox(const QString &key, const QString &defaultValue = QString())
{
    auto *box = new QLineEdit(Platform::getSetting(kApp, kSection, key, defaultValue));
    box->setObjectName(key);
    box->setMinimumWidth(260);
    return box;
}

} // namespace

frmFTPLogin::frmFTPLogin(frmFTPClient *client) : QDialog(client), m_client(client)
{
    setObjectName(u"frmFTPLogin"_s);
    setWindowTitle(u"FTP Site Login"_s);
    txtHostName = storedBox(u"Host"_s, u"ftp.example.com"_s);
    txtUsername = storedBox(u"Username"_s);
    txtPassword = storedBox(u"Password"_s);
    txtPassword->setEchoMode(QLineEdit::Password);
    txtRemotePath = storedBox(u"RemotePath"_s);
    auto *form = new QFormLayout(this);
    form->addRow(u"Host Name:"_s, txtHostName);
    form->addRow(u"User Name:"_s, txtUsername);
    form->addRow(u"Password:"_s, txtPassword);
    form->addRow(u"Remote Path:"_s, txtRemotePath);
    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = buttons->addButton(u"&OK"_s, QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(u"&Cancel"_s, QDialogButtonBox::RejectRole);
    ok->setDefault(true);   // Enter in any box is OK
    connect(ok, &QPushButton::clicked, this, &frmFTPLogin::btnOK_Click);
    connect(cancel, &QPushButton::clicked, this, &frmFTPLogin::btnCancel_Click);
    form->addRow(buttons);
    m_client->m_sLogin = u"Cancel"_s;
}

void frmFTPLogin::btnOK_Click()
{
    Platform::saveSettings(kApp, kSection,
                           {{u"Host"_s, txtHostName->text()},
                            {u"RemotePath"_s, txtRemotePath->text()},
                            {u"Username"_s, txtUsername->text()},
                            {u"Password"_s, txtPassword->text()}});
    m_client->m_sLogin = u"OK"_s;
    m_client->m_sFTPHost = txtHostName->text();
    modFTP::state().remotePath = txtRemotePath->text();
    m_client->m_sFTPUserName = txtUsername->text();
    m_client->m_sFTPPassword = txtPassword->text();
    accept();
}

void frmFTPLogin::btnCancel_Click()
{
    m_client->m_sLogin = u"Cancel"_s;
    reject();
}
