#include "enginedata/frmNews.h"

QPointer<frmNews> frmNews::s_instance;

frmNews *frmNews::instance()
{
    if (!s_instance)
        s_instance = new frmNews;
    return s_instance;
}

frmNews *frmNews::loadedInstance()
{
    return s_instance;
}

frmNews::frmNews(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmNews"));
    setWindowTitle(QStringLiteral("News"));
    resize(480, 320);
}
