#include "pagetools/frmDoorway.h"

QPointer<frmDoorway> frmDoorway::s_instance;

frmDoorway *frmDoorway::instance()
{
    if (!s_instance)
        s_instance = new frmDoorway;
    return s_instance;
}

frmDoorway *frmDoorway::loadedInstance()
{
    return s_instance;
}

frmDoorway::frmDoorway(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDoorway"));
    setWindowTitle(QStringLiteral("Doorway Page Generator"));
    resize(480, 320);
}
