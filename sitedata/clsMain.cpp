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
    return modDataFiles::engineDataFolder();
}

QString clsMain::programFile(const QString &name)
{
    return modDataFiles::programFile(name);
}

clsMain *theMain()
{
    frmMain *window = frmMain::existing();
    return window ? window->mainObject() : nullptr;
}
