#include "ranking/frmRanking.h"

QPointer<frmRanking> frmRanking::s_instance;

frmRanking *frmRanking::instance()
{
    if (!s_instance)
        s_instance = new frmRanking;
    return s_instance;
}

frmRanking *frmRanking::loadedInstance()
{
    return s_instance;
}

frmRanking::frmRanking(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmRanking"));
    setWindowTitle(QStringLiteral("Web Ranking"));
    resize(480, 320);
}
