#include "pagetools/frmMetaTag.h"

QPointer<frmMetaTag> frmMetaTag::s_instance;

frmMetaTag *frmMetaTag::instance()
{
    if (!s_instance)
        s_instance = new frmMetaTag;
    return s_instance;
}

frmMetaTag *frmMetaTag::loadedInstance()
{
    return s_instance;
}

frmMetaTag::frmMetaTag(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMetaTag"));
    setWindowTitle(QStringLiteral("Meta Tag Generator"));
    resize(480, 320);
}
