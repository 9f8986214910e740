#include "ranking/frmSearch.h"

QPointer<frmSearch> frmSearch::s_instance;

frmSearch *frmSearch::instance()
{
    if (!s_instance)
        s_instance = new frmSearch;
    return s_instance;
}

frmSearch *frmSearch::loadedInstance()
{
    return s_instance;
}

frmSearch::frmSearch(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Web Search"));
    resize(480, 320);
}
