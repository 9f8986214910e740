// The project list: one INI section per project with its description, the highest entry number
// used ("Last") and the numbered site entries "name|path".
#include "sitedata/clsMain.h"

#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/TextFile.h"
#include "sitedata/ProjectList.h"

namespace {

QString writeFailedText(const QString &file)
{
    return QStringLiteral("The project list ") + file + QStringLiteral(" could not be written.");
}

QString readFailedText(const QString &file)
{
    return QStringLiteral("The project list ") + file + QStringLiteral(" could not be read.");
}

void reportError(const QString &prefix, const QString &text)
{
    Platform::msgBox(prefix + text, Platform::Information, QStringLiteral("Error"));
}

// The list as it is on disk, for a change that needs it to be there.
std::optional<ProjectList> existingList(const QString &file)
{
    return Platform::fileExists(file) ? ProjectList::load(file) : std::nullopt;
}

} // namespace

bool clsMain::addNewProject(const QString &sProjectName, const QString &sWebName, QString &sNewWebIndex,
                            const QString &sFileLocation)
{
    const QString file = projectListPath();
    std::optional<ProjectList> list = ProjectList::load(file);
    bool ok = list.has_value();
    if (ok && sWebName.isEmpty()) {
        ok = list->addProject(sProjectName);
    } else if (ok) {
        sNewWebIndex = list->addSite(sProjectName, sWebName, sFileLocation);
        ok = !sNewWebIndex.isEmpty();
    }
    ok = ok && list->commit();
    if (!ok)
        reportError(QStringLiteral("addNewProject_Error:"), writeFailedText(file));
    return ok;
}

bool clsMain::editProject(const QString &sOldName, const QString &sNewName)
{
    Platform::setBusyPointer(true);
    const QString file = projectListPath();
    std::optional<ProjectList> list = existingList(file);
    if (list)
        list->renameProject(sOldName, sNewName);
    const bool ok = list && list->commit();
    Platform::setBusyPointer(false);
    if (!ok)
        reportError(QStringLiteral("editProjectFile_Error: "), list ? writeFailedText(file) : readFailedText(file));
    return ok;
}

bool clsMain::removeProject(const QString &sName)
{
    const QString file = projectListPath();
    std::optional<ProjectList> list = existingList(file);
    if (!list) {
        reportError(QStringLiteral("removeProject_Error: "), readFailedText(file));
        return false;
    }
    if (!list->removeProject(sName))
        return true;
    if (!list->commit()) {
        reportError(QStringLiteral("removeProject_Error: "), writeFailedText(file));
        return false;
    }
    return true;
}
