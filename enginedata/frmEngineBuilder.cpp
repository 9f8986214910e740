#include "enginedata/frmEngineBuilder.h"

QPointer<frmEngineBuilder> frmEngineBuilder::s_instance;

frmEngineBuilder *frmEngineBuilder::instance()
{
    if (!s_instance)
        s_instance = new frmEngineBuilder;
    return s_instance;
}

frmEngineBuilder *frmEngineBuilder::loadedInstance()
{
    return s_instance;
}

frmEngineBuilder::frmEngineBuilder(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEngineBuilder"));
    setWindowTitle(QStringLiteral("Engine Builder"));
    resize(480, 320);
}
