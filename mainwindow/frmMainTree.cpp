// The project tree and the File menu: node clicks, renaming, the pop-up menu, creating a project
// or web site by name and removing a node.
#include "mainwindow/frmMain.h"

#include <algorithm>
#include <stdexcept>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include "core/clsPreference.h"
#include "core/frmPreference.h"
#include "core/modCommon.h"
#include "mainwindow/TreeLabelDelegate.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"
#include "platform/KeyedListView.h"
#include "sitedata/ProjectList.h"
#include "sitedata/clsMain.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kRoot = QStringLiteral("Root");
const QString kWebFile = QStringLiteral("WebFile");

bool isProjectImage(const QString &image)
{
    return image == QLatin1String("ProjectFolder") || image == QLatin1String("ProjectFolderOpen");
}

QString refusedNameMessage()
{
    return QStringLiteral("A WebProject or WebSite file name cannot contain any of the following characters:") + kCrLf
        + kCrLf + QStringLiteral("\\ / : * ? < > |");
}

} // namespace

bool frmMain::hasRefusedNameCharacter(const QString &name)
{
    static const QString refused = QStringLiteral("\\/:*?\"<>|");
    return std::any_of(name.begin(), name.end(), [](QChar c) { return refused.contains(c); });
}

bool frmMain::fileItemEnabledFor(const QString &image, int index)
{
    if (index == 0)
        return true;
    if (isProjectImage(image))
        return index == 1 || index == 3 || index == 6 || index == 10;
    if (image == kWebFile)
        return index == 3 || index == 4 || index == 6 || index == 7 || index == 8 || index == 10;
    return false;
}

bool frmMain::fileItemEnabled(int index) const
{
    const QString image = m_currentNode ? itemImageKey(m_currentNode) : QString();
    if (!SSTab3->isHidden() && (index == 4 || index == 7 || index == 8))
        return false;
    return fileItemEnabledFor(image, index);
}

void frmMain::selectNodeQuietly(QTreeWidgetItem *node)
{
    m_bSelectingNode = true;
    TreeView1->setCurrentItem(node);
    m_bSelectingNode = false;
}

void frmMain::wireTreeEvents()
{
    m_treeDelegate = new TreeLabelDelegate([this] { return TreeView1_BeforeLabelEdit(); },
                                           [this](const QModelIndex &index, const QString &text) {
                                               renameNode(TreeView1->itemFromIndex(index), text);
                                           },
                                           this);
    TreeView1->setItemDelegate(m_treeDelegate);
    // A double click sorts the children; editing starts by a click on the selected node or F2.
    TreeView1->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    TreeView1->setExpandsOnDoubleClick(false);
    TreeView1->setMouseTracking(true);
    TreeView1->installEventFilter(this);
    TreeView1->viewport()->installEventFilter(this);

    // A click on another node (or a move by the keyboard) changes the current item first; the
    // click that follows on the same node must not run the handling twice.
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *node) {
        if (m_bSelectingNode || !node || node == m_currentNode)
            return;
        m_nodeChangedByUser = node;
        TreeView1_NodeClick(node);
    });
    connect(TreeView1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *node) {
        if (node == m_nodeChangedByUser) {
            m_nodeChangedByUser = nullptr;
            return;
        }
        TreeView1_NodeClick(node);
    });
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, [this] { TreeView1_DblClick(); });

    connect(mnuFile, &QMenu::aboutToShow, this, [this] { mnuFile_Click(); });
    for (int i = 0; i < mnuFileItems.size(); ++i)
        connect(mnuFileItems[i], &QAction::triggered, this, [this, i] { mnuFileItems_Click(i); });
    for (int i = 0; i < mnuPopupItems.size(); ++i)
        connect(mnuPopupItems[i], &QAction::triggered, this, [this, i] { mnuPopupItems_Click(i); });
}

bool frmMain::IsNodeExist(const QTreeWidget *TheseNodes, const QString &NodeKey) const
{
    return Platform::findItemByKey(TheseNodes, NodeKey) != nullptr;
}

bool frmMain::addNewNode(const QString &sNewKey, const QString &sName, const QString &sRelative, const QString &sImage,
                         bool nEditLable, const QString &sDescr)
{
    try {
        QTreeWidgetItem *parent = Platform::findItemByKey(TreeView1, sRelative);
        if (!parent)
            throw std::runtime_error("The node " + sRelative.toStdString() + " does not exist.");
        if (IsNodeExist(TreeView1, sNewKey))
            throw std::runtime_error(duplicateKeyError(sNewKey).toStdString());
        auto *node = new QTreeWidgetItem(parent, {sName});
        node->setFlags(node->flags() | Qt::ItemIsEditable);
        Platform::setItemKey(node, sNewKey);
        setItemImageKey(node, sImage);
        Platform::setItemTag(node, sDescr);
        m_currentNode = node;
        parent->setExpanded(true);
        node->setExpanded(true);
        selectNodeQuietly(node);
        if (nEditLable) {
            TreeView1->setFocus();
            TreeView1->editItem(node);
        }
        return true;
    } catch (const std::exception &error) {
        reportAddNodeError(QString::fromStdString(error.what()));
        return false;
    }
}

QString frmMain::duplicateKeyError(const QString &key)
{
    return QStringLiteral("The key ") + key + QStringLiteral(" is not unique.");
}

void frmMain::reportAddNodeError(const QString &error)
{
    Platform::msgBox(QStringLiteral("Module: addNewNode") + kCrLf + QStringLiteral("Error: ") + error,
                     Platform::Information, QStringLiteral("Error"));
}

void frmMain::TreeView1_NodeClick(QTreeWidgetItem *node)
{
    if (!node)
        return;
    autoSave();
    if (m_currentNode && itemImageKey(m_currentNode) == QLatin1String("ProjectFolderOpen"))
        setItemImageKey(m_currentNode, QStringLiteral("ProjectFolder"));
    m_currentNode = node;
    selectNodeQuietly(node);
    lblProjectTitle->setText(node->text(0));
    const QString image = itemImageKey(node);
    int sitePage = 0;
    if (image == QLatin1String("RootProject")) {
        showPageSet(SSTab2);
        lblQuickStartTips->show();
        fraSiteInfo[0]->hide();
        ToolbarMainButtons[1]->setEnabled(false);
        ToolbarMainButtons[2]->setEnabled(false);
    } else if (isProjectImage(image)) {
        setItemImageKey(node, QStringLiteral("ProjectFolderOpen"));
        lblQuickStartTips->hide();
        fraSiteInfo[0]->show();
        showPageSet(SSTab2);
        ToolbarMainButtons[1]->setEnabled(true);
        ToolbarMainButtons[2]->setEnabled(true);
        fraSiteInfo[0]->setTitle(node->text(0));
        modCommon::setMultiLineText(txtProjectDescr, Platform::itemTag(node));
    } else if (image == kWebFile) {
        sitePage = 1;
        showPageSet(SSTab1);
        fraSiteInfo[1]->setTitle(node->text(0));
        lsvSiteURLs->setHeaderCaption(0, QStringLiteral("Site URLs for: ") + node->text(0));
        ToolbarMainButtons[1]->setEnabled(true);
        ToolbarMainButtons[2]->setEnabled(true);
        QString entry = Platform::itemTag(node);
        modCommon::splitAtBar(entry, m_sSiteFile);
        if (!m_sSiteFile.isEmpty() && Platform::fileExists(m_sSiteFile)) {
            m_clsMain->loadWebsiteFile(m_sSiteFile);
        } else if (m_sNewSiteMarker != QLatin1String("NewWeb")) {
            clearWebsiteFields();
        } else if (myPreference().DontClearFields() == 0) {
            clearWebsiteFields();
        }
        // The copy of the details kept for a new site is for that site's own click only.
        m_sNewSiteMarker.clear();
    }
    if (sitePage != m_intSitePage) {
        m_intSitePage = sitePage;
        resizeTabControl();
    }
    m_sTextBeforeEdit = node->text(0);
}

bool frmMain::TreeView1_BeforeLabelEdit()
{
    if (!m_currentNode || Platform::itemKey(m_currentNode).compare(kRoot, Qt::CaseInsensitive) == 0) {
        QApplication::beep();
        return false;
    }
    return true;
}

void frmMain::restartLabelEdit(QTreeWidgetItem *node, const QString &typed)
{
    m_treeDelegate->offerTextOnce(typed);
    TreeView1->setFocus();
    QTimer::singleShot(0, this, [this, node] {
        if (Platform::allItems(TreeView1).contains(node))
            TreeView1->editItem(node);
    });
}

bool frmMain::TreeView1_AfterLabelEdit(const QString &NewString)
{
    return renameNode(m_currentNode, NewString);
}

bool frmMain::renameNode(QTreeWidgetItem *node, const QString &NewString)
{
    if (!node)
        return false;
    // An editor left open on a node the user has moved away from still commits to that node,
    // whose text is then still its old one.
    const bool current = node == m_currentNode;
    const QString before = current ? m_sTextBeforeEdit : node->text(0);
    try {
        if (NewString.trimmed().isEmpty() || hasRefusedNameCharacter(NewString)) {
            Platform::msgBox(refusedNameMessage(), Platform::Critical, QStringLiteral("New WebProject and WebSite"));
            node->setText(0, before);
            if (current)
                restartLabelEdit(node, NewString);
            return false;
        }
        const QString oldKey = Platform::itemKey(node);
        const QString newKey = oldKey.contains(QLatin1Char('\\')) && node->parent()
            ? Platform::itemKey(node->parent()) + QStringLiteral("\\") + NewString
            : NewString;
        if (NewString.compare(before, Qt::CaseInsensitive) == 0) {
            // A change of letter case only: shown, nothing stored.
            node->setText(0, NewString);
            return true;
        }
        if (IsNodeExist(TreeView1, newKey)) {
            Platform::msgBox(QStringLiteral("Cannot rename '") + before
                                 + QStringLiteral("'. A file with the name you specified already exists, please "
                                                  "specify a different name."),
                             Platform::Information, QStringLiteral("Change Project Name"));
            // The node keeps showing its stored name, so later commands act on the right entry.
            node->setText(0, before);
            if (current)
                restartLabelEdit(node, NewString);
            return false;
        }
        if (isProjectImage(itemImageKey(node))) {
            if (!m_clsMain->editProject(before, NewString)) {
                node->setText(0, before);
                return false;
            }
            rekeyNode(node, newKey);
            fraSiteInfo[0]->setTitle(NewString);
        } else {
            QString entry = Platform::itemTag(node);
            QString path;
            modCommon::splitAtBar(entry, path);
            const QString project = node->parent() ? node->parent()->text(0) : QString();
            if (!ProjectList::storeValue(clsMain::projectListPath(), project, entry, NewString + QStringLiteral("|") + path))
                throw std::runtime_error("The project list " + clsMain::projectListPath().toStdString()
                                         + " cannot be written.");
            rekeyNode(node, newKey);
            fraSiteInfo[1]->setTitle(NewString);
        }
        node->setText(0, NewString);
        sortChildrenIgnoringCase(node);
        if (current) {
            m_sTextBeforeEdit = NewString;
            lblProjectTitle->setText(NewString);
        }
        return true;
    } catch (const std::exception &error) {
        node->setText(0, before);
        Platform::msgBox(QStringLiteral("LableEdit_Error: ") + QString::fromStdString(error.what()), Platform::Critical,
                         QStringLiteral("Error"));
        return false;
    }
}

void frmMain::rekeyNode(QTreeWidgetItem *node, const QString &newKey)
{
    // The children's keys follow, so a later duplicate test finds them under the new name.
    Platform::setItemKey(node, newKey);
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem *child = node->child(i);
        rekeyNode(child, newKey + QStringLiteral("\\") + child->text(0));
    }
}

void frmMain::sortChildrenIgnoringCase(QTreeWidgetItem *node)
{
    if (!node || node->childCount() < 2)
        return;
    QList<QTreeWidgetItem *> children = node->takeChildren();
    std::stable_sort(children.begin(), children.end(), [](const QTreeWidgetItem *a, const QTreeWidgetItem *b) {
        return a->text(0).compare(b->text(0), Qt::CaseInsensitive) < 0;
    });
    node->addChildren(children);
    for (QTreeWidgetItem *child : children)
        child->setExpanded(true);
    if (m_currentNode)
        selectNodeQuietly(m_currentNode);
}

void frmMain::TreeView1_KeyDown(int KeyCode)
{
    if (KeyCode != 46 || !m_currentNode)
        return;
    if (itemImageKey(m_currentNode) == QLatin1String("RootProject"))
        QApplication::beep();
    else
        removeSelectedNode();
}

void frmMain::applyPopupEnabling()
{
    const QString image = m_currentNode ? itemImageKey(m_currentNode) : QString();
    for (int i = 0; i < mnuPopupItems.size(); ++i) {
        if (!mnuPopupItems[i]->isSeparator())
            mnuPopupItems[i]->setEnabled(fileItemEnabledFor(image, i));
    }
}

void frmMain::TreeView1_MouseDown(Qt::MouseButton Button)
{
    if (Button != Qt::RightButton)
        return;
    try {
        applyPopupEnabling();
        mnuPopup->popup(QCursor::pos());
    } catch (const std::exception &error) {
        Platform::msgBox(QStringLiteral("Menupopup_Error: ") + QString::fromStdString(error.what()), Platform::Critical,
                         QStringLiteral("Menu Popup"));
    }
}

void frmMain::TreeView1_DblClick()
{
    sortChildrenIgnoringCase(m_currentNode);
}

void frmMain::mnuFile_Click()
{
    for (int i = 0; i < mnuFileItems.size(); ++i) {
        if (!mnuFileItems[i]->isSeparator() && i <= 10)
            mnuFileItems[i]->setEnabled(fileItemEnabled(i));
    }
}

void frmMain::mnuPopupItems_Click(int Index)
{
    if (Index != 10) {
        mnuFileItems_Click(Index);
        return;
    }
    if (!m_currentNode || itemImageKey(m_currentNode) == QLatin1String("RootProject"))
        return;
    selectNodeQuietly(m_currentNode);
    TreeView1->setFocus();
    TreeView1->editItem(m_currentNode);
}

void frmMain::mnuFileItems_Click(int Index)
{
    if (Index != 7 && Index != 8)
        autoSave();
    // The handlers re-check the kind of node only: the pop-up offers Delete and Save of a site
    // while the engines page is showing, and they must then do what they say.
    const bool fitsNode = fileItemEnabledFor(m_currentNode ? itemImageKey(m_currentNode) : QString(), Index);
    switch (Index) {
    case 0:
        lblQuickStartTips->hide();
        fraSiteInfo[0]->show();
        NewProjectAndWeb(QStringLiteral("NewProject"));
        break;
    case 1:
    case 4:
        if (fitsNode)
            removeSelectedNode();
        break;
    case 3:
        if (!m_currentNode || Platform::itemKey(m_currentNode).compare(kRoot, Qt::CaseInsensitive) == 0)
            Platform::msgBox(QStringLiteral("You cannot add website to the Root item. Please select a web project and "
                                            "try again."),
                             Platform::Information, QStringLiteral("New Website"));
        else
            NewProjectAndWeb(QStringLiteral("NewWeb"));
        break;
    case 6:
        if (fitsNode)
            addWebSite();
        break;
    case 7:
        if (fitsNode && isValidFields()) {
            QString entry = Platform::itemTag(m_currentNode);
            QString path;
            modCommon::splitAtBar(entry, path);
            saveWebSite(entry, path);
        }
        break;
    case 8:
        if (fitsNode && isValidFields())
            saveWebSite(Platform::itemTag(m_currentNode), QString());
        break;
    case 12:
        execUpdateEngines();
        if (m_intRefreshEngineData != 0)
            RefreshEngineData();
        break;
    case 13: {
        frmPreference preferences(this);
        preferences.exec();
        break;
    }
    case 15:
        close();
        break;
    default:
        break;
    }
}

QString frmMain::askNewName(const QString &sType)
{
    const bool project = sType == QLatin1String("NewProject");
    const QString answer = Platform::inputBox(project ? QStringLiteral("Please specify a name for your new project:")
                                                      : QStringLiteral("Please specify a name for your new web site:"),
                                              project ? QStringLiteral("New Project") : QStringLiteral("New Web Site"));
    return answer.trimmed();
}

bool frmMain::isAcceptableNewName(const QString &name)
{
    if (name.isEmpty())
        return false;
    if (hasRefusedNameCharacter(name)) {
        Platform::msgBox(refusedNameMessage(), Platform::Critical, QStringLiteral("New WebProject and WebSite"));
        return false;
    }
    return true;
}

void frmMain::NewProjectAndWeb(const QString &sType)
{
    try {
        const bool project = sType == QLatin1String("NewProject");
        QTreeWidgetItem *parent = m_rootNode;
        if (!project) {
            parent = m_currentNode && itemImageKey(m_currentNode) == kWebFile ? m_currentNode->parent() : m_currentNode;
            if (!parent || !isProjectImage(itemImageKey(parent)))
                return;
        }
        // The name and its uniqueness are settled before anything on show changes, so giving up
        // leaves the current node's data as it is.
        QString name = askNewName(sType);
        if (!isAcceptableNewName(name))
            return;
        const QString parentKey = Platform::itemKey(parent);
        while (IsNodeExist(TreeView1, parentKey + QStringLiteral("\\") + name)) {
            QApplication::beep();
            name = Platform::inputBox(QStringLiteral("The name '") + name
                                          + QStringLiteral("' is already exist, please choose a different name:"),
                                      sType, name)
                       .trimmed();
            if (!isAcceptableNewName(name))
                return;
        }

        showPageSet(project ? SSTab2 : SSTab1);
        ToolbarMainButtons[2]->setEnabled(true);
        txtProjectDescr->clear();
        if (project) {
            m_sNewSiteMarker.clear();
            if (m_currentNode && itemImageKey(m_currentNode) == QLatin1String("ProjectFolderOpen"))
                setItemImageKey(m_currentNode, QStringLiteral("ProjectFolder"));
            ToolbarMainButtons[1]->setEnabled(true);
        } else {
            m_sNewSiteMarker = QStringLiteral("NewWeb");
            if (myPreference().DontClearFields() == 0)
                clearWebsiteFields();
        }

        QTreeWidgetItem *previous = m_currentNode;
        const QString key = parentKey + QStringLiteral("\\") + name;
        if (!addNewNode(key, name, parentKey, project ? QStringLiteral("ProjectFolder") : kWebFile, true, QString()))
            return;
        m_sTextBeforeEdit = name;
        QString path;
        if (!project) {
            QDir().mkpath(projectsFolder());
            path = uniqueSiteFilePath(name);
        }
        QString entry;
        if (!m_clsMain->addNewProject(project ? name : parent->text(0), project ? QString() : name, entry, path)) {
            // Nothing was stored: the tree must not show what the project list does not hold.
            forgetNewNode(previous);
            // The controls were emptied for the new node: the previous node's own data is shown
            // again before an auto-save could take the empty controls for it.
            if (previous) {
                m_bAutoSave = false;
                TreeView1_NodeClick(previous);
            }
            return;
        }
        if (!project)
            Platform::setItemTag(m_currentNode, entry + QStringLiteral("|") + path);
        TreeView1_NodeClick(m_currentNode);
    } catch (const std::exception &error) {
        Platform::msgBox(QStringLiteral("NewProjectAndWeb_Error: ") + QString::fromStdString(error.what()),
                         Platform::Information, QStringLiteral("Error"));
    }
}

void frmMain::forgetNewNode(QTreeWidgetItem *previous)
{
    QTreeWidgetItem *node = m_currentNode;
    m_currentNode = previous;
    m_sNewSiteMarker.clear();
    if (m_nodeChangedByUser == node)
        m_nodeChangedByUser = nullptr;
    if (previous)
        selectNodeQuietly(previous);
    delete node;
}

void frmMain::removeSelectedNode()
{
    QTreeWidgetItem *node = m_currentNode;
    if (!node || !node->parent())
        return;
    try {
        const QString name = node->text(0);
        const bool project = isProjectImage(itemImageKey(node));
        QString question = QStringLiteral("Are you sure you want to remove this web site : ") + name + QStringLiteral(" ?");
        if (project)
            question = QStringLiteral("If you remove this project: ") + name
                + QStringLiteral(", all web sites under this project will also be removed.") + kCrLf + kCrLf
                + QStringLiteral("Are you sure you want to remove: ") + name + QStringLiteral(" ?");
        if (Platform::msgBox(question, Platform::YesNo | Platform::Information, QStringLiteral("Confirm Web File Delete"))
            != Platform::Yes)
            return;
        if (project) {
            if (!m_clsMain->removeProject(name))
                return;
        } else {
            QString entry = Platform::itemTag(node);
            QString path;
            modCommon::splitAtBar(entry, path);
            if (!ProjectList::storeValue(clsMain::projectListPath(), node->parent()->text(0), entry, QString()))
                throw std::runtime_error("The project list " + clsMain::projectListPath().toStdString()
                                         + " cannot be written.");
        }
        QTreeWidgetItem *parent = node->parent();
        const int at = parent->indexOfChild(node);
        QTreeWidgetItem *next = at + 1 < parent->childCount() ? parent->child(at + 1)
            : at > 0                                          ? parent->child(at - 1)
                                                              : parent;
        m_currentNode = next;
        if (m_nodeChangedByUser == node)
            m_nodeChangedByUser = nullptr;
        selectNodeQuietly(next);
        delete node;
        // The click that follows must not write the removed site's details into the next node.
        m_bAutoSave = false;
        TreeView1_NodeClick(next);
    } catch (const std::exception &error) {
        Platform::msgBox(QStringLiteral("removeSelectedNode_Error: ") + QString::fromStdString(error.what()),
                         Platform::Critical, QStringLiteral("Error"));
    }
}
