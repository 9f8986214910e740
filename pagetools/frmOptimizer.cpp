#include "pagetools/frmOptimizer.h"

QPointer<frmOptimizer> frmOptimizer::s_instance;

frmOptimizer *frmOptimizer::instance()
{
    if (!s_instance)
        s_instance = new frmOptimizer;
    return s_instance;
}

frmOptimizer *frmOptimizer::loadedInstance()
{
    return s_instance;
}

frmOptimizer::frmOptimizer(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptimizer"));
    setWindowTitle(QStringLiteral("Web Site Optimizer"));
    resize(480, 320);
}
