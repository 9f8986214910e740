#include "core/modStartUp.h"

#include "core/clsPreference.h"
#include "core/frmSplash.h"
#include "core/modCommon.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/StartRecovery.h"
#include "platform/modDSSockLog.h"

#include <QDir>
#include <QFileInfo>

#include <exception>

QString ProjectListPath;
QString WindowsDir;

namespace modStartUp {
namespace {

const QString crlf = QStringLiteral("\r\n");

bool failStart(const QString &trace, const QString &errorText)
{
    frmSplash::unloadSplash();
    Platform::setBusyPointer(false);
    modDSSock::writeErrorLog(trace + crlf + QStringLiteral("Error: ") + errorText);
    Platform::msgBox(QStringLiteral("Main: ") + errorText, Platform::Critical);
    return false;
}

// The folders the program's saves write into; a kill during a save leaves its copy there.
QStringList foldersSavesWriteTo(const SiteFiles &siteFiles)
{
    QStringList folders{Platform::engineDataFolder(), Platform::programFolder(), Platform::settingsFolder()};
    for (const QString &file : siteFiles ? siteFiles(ProjectListPath) : QStringList()) {
        const QString path = Platform::nativeSeparators(file);
        if (QDir::isAbsolutePath(path))
            folders.append(QFileInfo(path).absolutePath());
    }
    return folders;
}

} // namespace

bool Main(const std::function<void()> &createAndDisplayMain, const SiteFiles &siteFiles)
{
    QString trace;
    try {
        ProjectListPath = Platform::joinPath(Platform::programFolder(), QStringLiteral("project.vqj"));
        WindowsDir = modCommon::getWindowsDirectory();
        const QStringList unfinished = Platform::finishInterruptedWrites(foldersSavesWriteTo(siteFiles));
        for (const QString &report : unfinished)
            modDSSock::writeErrorLog(report);

        frmSplash::loadAndShow();   // on the screen and drawn before the load goes on
        trace = QStringLiteral("Debug breakpoint #1") + crlf;

        Platform::setBusyPointer(true);
        // The settings show their own box first; the start's box names the unusable value too.
        if (!myPreference().GetSettings())
            return failStart(trace, myPreference().settingsError());
        trace += QStringLiteral("Debug breakpoint #3") + crlf;

        if (createAndDisplayMain)
            createAndDisplayMain();
        return true;
    } catch (const std::exception &error) {
        return failStart(trace, QString::fromUtf8(error.what()));
    } catch (...) {
        return failStart(trace, QStringLiteral("Unknown error"));
    }
}

} // namespace modStartUp
