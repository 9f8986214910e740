#include "ftp/frmFTPClient.h"

QPointer<frmFTPClient> frmFTPClient::s_instance;

frmFTPClient *frmFTPClient::instance()
{
    if (!s_instance)
        s_instance = new frmFTPClient;
    return s_instance;
}

frmFTPClient *frmFTPClient::loadedInstance()
{
    return s_instance;
}

frmFTPClient::frmFTPClient(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFTPClient"));
    setWindowTitle(QStringLiteral("FTP Upload"));
    resize(480, 320);
}
