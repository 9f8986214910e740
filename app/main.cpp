// The velquist program. Options:
//   --install-sample-data   install the bundled sample engine data when the engine data is missing
//   /D                      write debug entries to Error.log
//   /U                      write the failed-engine list as HTML links
#include <QApplication>

#include "core/modStartUp.h"
#include "sitedata/ProjectList.h"
#include "sitedata/clsMain.h"
#include "sitedata/modDataFiles.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velquist"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                           .arg(VELQUIST_VERSION_MAJOR)
                                           .arg(VELQUIST_VERSION_MINOR)
                                           .arg(VELQUIST_VERSION_PATCH));

    if (QApplication::arguments().contains(QStringLiteral("--install-sample-data")))
        modDataFiles::installSampleEngineData();

    if (!modStartUp::Main([] { clsMain::createAndDisplay(); }, ProjectList::siteFiles))
        return 1;
    return QApplication::exec();
}
