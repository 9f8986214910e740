#include "sitedata/clsMain.h"

#include "core/modStartUp.h"
#include "mainwindow/frmMain.h"
#include "platform/Folders.h"
#include "sitedata/modDataFiles.h"

clsMain::clsMain()
{
    m_frmMain = frmMain::instance();
    m_frmMain->create(this);
}

clsMain::~clsMain() = default;

bool clsMain::Display()
{
    return m_frmMain && m_frmMain->Form_Load();
}

void clsMain::createAndDisplay()
{
    modDataFiles::installProgramData();
    // The window owns its data object from here on.
    auto *main = new clsMain;
    main->Display();
}

QString clsMain::projectListPath()
{
    if (!ProjectListPath.isEmpty())
        return ProjectListPath;
    return Platform::joinPath(Platform::programFolder(), QStringLiteral("project.vqj"));
}

QString clsMain::engineDataFolder()
{
    QString folder = WindowsDir.isEmpty() ? Platform::engineDataFolder() : WindowsDir;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    return folder;
}

QString clsMain::programFile(const QString &name)
{
    return Platform::joinPath(Platform::programFolder(), name);
}

clsMain *theMain()
{
    frmMain *window = frmMain::existing();
    return window ? window->mainObject() : nullptr;
}
