#include "core/modStartUp.h"

#include "core/clsPreference.h"
#include "core/frmSplash.h"
#include "core/modCommon.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/StartRecovery.h"
#include "platform/modDSSockLog.h"

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

} // namespace

bool Main(const std::function<void()> &createAndDisplayMain)
{
    QString trace;
    try {
        ProjectListPath = Platform::joinPath(Platform::programFolder(), QStringLiteral("project.vqj"));
        WindowsDir = modCommon::getWindowsDirectory();
        const QStringList unfinished =
            Platform::finishInterruptedWrites({Platform::engineDataFolder(), Platform::programFolder()});
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
