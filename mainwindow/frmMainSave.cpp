// Saving the current node: the auto-save that runs on every node click and before most commands,
// Save and Save As, and adding an existing web site file or a web form data file to a project.
#include "mainwindow/frmMain.h"

#include <stdexcept>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"
#include "platform/KeyedListView.h"
#include "sitedata/ProjectList.h"
#include "sitedata/clsMain.h"
#include "platform/modDSSockLog.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

std::runtime_error cannotWrite(const QString &file)
{
    return std::runtime_error("cannot write " + file.toStdString());
}

// Writes one value of the project list; a failure is an error of the calling command.
void writeProjectList(const QString &section, const QString &key, const QString &value)
{
    const QString file = clsMain::projectListPath();
    if (!ProjectList::storeValue(file, section, key, value))
        throw cannotWrite(file);
}

bool endsWithIgnoringCase(const QString &name, const QString &extension)
{
    return name.right(extension.size()).compare(extension, Qt::CaseInsensitive) == 0;
}

// The window is disabled while a file dialog of these commands is open, and enabled again on
// every way out.
class WindowDisabled {
public:
    explicit WindowDisabled(QWidget *window) : m_window(window) { m_window->setEnabled(false); }
    ~WindowDisabled() { m_window->setEnabled(true); }
    WindowDisabled(const WindowDisabled &) = delete;
    WindowDisabled &operator=(const WindowDisabled &) = delete;

private:
    QWidget *m_window;
};

} // namespace

QString frmMain::projectsFolder()
{
    return Platform::joinPath(Platform::programFolder(), QStringLiteral("Projects"));
}

QString frmMain::uniqueSiteFilePath(const QString &siteName) const
{
    // Sites of one name in different projects, removed sites and renamed sites keep their files:
    // a new site never takes a file that exists or that another site points at.
    QStringList taken;
    for (QTreeWidgetItem *node : Platform::allItems(TreeView1)) {
        if (itemImageKey(node) != QLatin1String("WebFile"))
            continue;
        QString entry = Platform::itemTag(node);
        QString path;
        modCommon::splitAtBar(entry, path);
        if (!path.isEmpty())
            taken.append(QDir::cleanPath(path));
    }
    const QString folder = projectsFolder();
    for (int n = 1;; ++n) {
        const QString suffix = n == 1 ? QString() : QStringLiteral(" (") + QString::number(n) + QStringLiteral(")");
        const QString name = siteName + suffix + QStringLiteral(".vqs");
        const QString path = Platform::joinPath(folder, name);
        if (!Platform::fileExists(path) && !taken.contains(QDir::cleanPath(path), Qt::CaseInsensitive))
            return path;
    }
}

void frmMain::autoSave()
{
    if (!m_bAutoSave) {
        m_bAutoSave = true;
        return;
    }
    if (!m_currentNode)
        return;
    if (m_bSkipAutoSaveOnce) {
        m_bSkipAutoSaveOnce = false;
        return;
    }
    QTreeWidgetItem *node = m_currentNode;
    const QString image = itemImageKey(node);
    try {
        if (image == QLatin1String("WebFile")) {
            QString entry = Platform::itemTag(node);
            QString path;
            modCommon::splitAtBar(entry, path);
            if (path.isEmpty()) {
                QDir().mkpath(projectsFolder());
                path = uniqueSiteFilePath(node->text(0));
                writeProjectList(node->parent()->text(0), entry, node->text(0) + QStringLiteral("|") + path);
                Platform::setItemTag(node, entry + QStringLiteral("|") + path);
            }
            if (!m_clsMain->saveWebsiteFile(path))
                throw cannotWrite(path);
        } else if (image == QLatin1String("ProjectFolder") || image == QLatin1String("ProjectFolderOpen")) {
            const QString description = modCommon::multiLineText(txtProjectDescr);
            Platform::setItemTag(node, description);
            writeProjectList(node->text(0), QStringLiteral("Description"), description);
        }
    } catch (const std::exception &error) {
        const QString message = QStringLiteral("autoSave_Error: ") + QString::fromStdString(error.what());
        Platform::msgBox(message, Platform::Critical, QStringLiteral("Save"));
        modDSSock::writeErrorLog(message);
    }
}

bool frmMain::saveWebSite(const QString &sWebFileName, const QString &sFileLocation)
{
    Q_UNUSED(sWebFileName);   // the entry number is always taken from the current node's tag
    QTreeWidgetItem *node = m_currentNode;
    if (!node || itemImageKey(node) != QLatin1String("WebFile"))
        return false;
    WindowDisabled disabled(this);
    try {
        QString file = sFileLocation;
        if (file.isEmpty()) {
            QDir().mkpath(projectsFolder());
            // The dialog proposes the site's own file name in the projects folder.
            QString currentPath;
            QString entryNumber = Platform::itemTag(node);
            modCommon::splitAtBar(entryNumber, currentPath);
            int filterIndex = 1;
            file = modCommon::showFileDialog(
                true, QStringLiteral("Tarnell Website File(*.vqs)|*.vqs|Text File(*.txt)|*.txt|All Files(*.*)|*.*|"),
                projectsFolder() + QStringLiteral("/") + QFileInfo(currentPath).fileName(), filterIndex);
            if (file.isEmpty())
                return false;
            if (filterIndex == 1 && !endsWithIgnoringCase(file, QStringLiteral(".vqs")))
                file += QStringLiteral(".vqs");
            else if (filterIndex == 2 && !endsWithIgnoringCase(file, QStringLiteral(".txt")))
                file += QStringLiteral(".txt");
            if (file.contains(QLatin1Char('|'))) {
                // The project list separates name and path by "|".
                Platform::msgBox(QStringLiteral("The file name cannot contain '|'."), Platform::Information,
                                 QStringLiteral("Save Web Site"));
                return false;
            }
            if (Platform::fileExists(file)
                && Platform::msgBox(QStringLiteral("The file ") + file + QStringLiteral(" already exists.") + kCrLf
                                        + QStringLiteral("Do you want to replace it?"),
                                    Platform::YesNo | Platform::Information, QStringLiteral("Save Web Site"))
                    == Platform::No)
                return false;
            writeProjectList(node->parent()->text(0), entryNumber, node->text(0) + QStringLiteral("|") + file);
            Platform::setItemTag(node, entryNumber + QStringLiteral("|") + file);
        }
        if (!file.isEmpty() && !m_clsMain->saveWebsiteFile(file))
            throw cannotWrite(file);
        return true;
    } catch (const std::exception &error) {
        const QString text = QString::fromStdString(error.what());
        Platform::msgBox(QStringLiteral("saveWebSite_Error: ") + text, Platform::Critical, QStringLiteral("Error"));
        modDSSock::writeErrorLog(QStringLiteral("saveWebSite_Error: ") + text + kCrLf + QStringLiteral("Log: 0"));
        return false;
    }
}

void frmMain::addWebSite(const QString &sType)
{
    QTreeWidgetItem *current = m_currentNode;
    // On the root a site would land under no project.
    if (!current || !current->parent())
        return;
    const bool import = sType == QLatin1String("ImportWebForm");
    WindowDisabled disabled(this);
    try {
        const QString folder = Platform::joinPath(Platform::programFolder(),
                                                  import ? QStringLiteral("WebFormData") : QStringLiteral("Projects"));
        QDir().mkpath(folder);
        int filterIndex = 1;
        const QString file = Platform::fileDialog(
            false,
            import ? QStringLiteral("Text Files(*.txt)|*.txt|Data Files(*.dat)|*.dat|All Files(*.*)|*.*")
                   : QStringLiteral("Tarnell Website Files (*.vqs)|*.vqs|Text Files(*.txt)|*.txt|All Files(*.*)|*.*"),
            folder + QStringLiteral("/"), filterIndex);
        if (file.isEmpty())
            return;
        const QString siteName = clsMain::getFileNameFromFile(file);
        if (siteName.contains(QLatin1Char('|'))) {
            Platform::msgBox(QStringLiteral("The file name cannot contain '|'."), Platform::Information,
                             QStringLiteral("Add Web Site"));
            return;
        }
        QTreeWidgetItem *project = itemImageKey(current).contains(QLatin1String("Project")) ? current : current->parent();
        const QString key = Platform::itemKey(project) + QStringLiteral("\\") + siteName;
        if (IsNodeExist(TreeView1, key)) {
            Platform::msgBox(QStringLiteral("The file you try to add already exists, please choose a different file."),
                             Platform::Information, QStringLiteral("Add Web Site"));
            return;
        }
        if (!addNewNode(key, siteName, Platform::itemKey(project), QStringLiteral("WebFile"), false, QString()))
            return;
        m_sTextBeforeEdit = siteName;
        // An imported data file stays as the user wrote it: the site gets a web site file of its own.
        QString siteFile = file;
        if (import) {
            QDir().mkpath(projectsFolder());
            siteFile = uniqueSiteFilePath(siteName);
        }
        QString entry;
        if (!m_clsMain->addNewProject(project->text(0), siteName, entry, siteFile)) {
            forgetNewNode(current);
            return;
        }
        Platform::setItemTag(m_currentNode, entry + QStringLiteral("|") + siteFile);
        if (import) {
            // The import fills only the fields it names: the rest must not come from the site shown before.
            if (myPreference().DontClearFields() == 0)
                clearWebsiteFields();
            m_clsMain->getWebFormData(file);
            if (!m_clsMain->saveWebsiteFile(siteFile))
                throw cannotWrite(siteFile);
        } else {
            m_clsMain->loadWebsiteFile(file);
        }
        ToolbarMainButtons[2]->setEnabled(true);
        showPageSet(SSTab1);
    } catch (const std::exception &error) {
        Platform::msgBox(QStringLiteral("addWebSite_Error: ") + QString::fromStdString(error.what()), Platform::Critical,
                         QStringLiteral("Error"));
    }
}
