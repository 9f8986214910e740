#include <QApplication>

#include "core/modStartUp.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velquist"));
    if (!modStartUp::Main())
        return 1;
    return QApplication::exec();
}
