#include "ranking/frmKeywordBuilder.h"

QPointer<frmKeywordBuilder> frmKeywordBuilder::s_instance;

frmKeywordBuilder *frmKeywordBuilder::instance()
{
    if (!s_instance)
        s_instance = new frmKeywordBuilder;
    return s_instance;
}

frmKeywordBuilder *frmKeywordBuilder::loadedInstance()
{
    return s_instance;
}

frmKeywordBuilder::frmKeywordBuilder(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmKeywordBuilder"));
    setWindowTitle(QStringLiteral("Keyword Builder"));
    resize(480, 320);
}
