// The engines page (type, country and option filters, the two engine lists and their buttons)
// and the Engines menu.
#include "mainwindow/frmMain.h"

#include <stdexcept>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "core/modCommon.h"
#include "mainwindow/EnginesPage.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "platform/KeyedListView.h"
#include "sitedata/clsMain.h"
#include "platform/modDSSockLog.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool endsWithIgnoringCase(const QString &name, const QString &extension)
{
    return name.right(extension.size()).compare(extension, Qt::CaseInsensitive) == 0;
}

} // namespace

void frmMain::wireEnginesPage()
{
    for (int i = 0; i < chkType.size(); ++i)
        connect(chkType[i], &QCheckBox::clicked, this, [this, i] { chkType_Click(i); });
    for (int i = 0; i < cmdSelectEngine.size(); ++i)
        connect(cmdSelectEngine[i], &QPushButton::clicked, this, [this, i] { cmdSelectEngine_Click(i); });
    for (int i = 0; i < cmdRemoveEngine.size(); ++i)
        connect(cmdRemoveEngine[i], &QPushButton::clicked, this, [this, i] { cmdRemoveEngine_Click(i); });
    Platform::sortOnHeaderClick(lsvEngines);
    Platform::sortOnHeaderClick(lsvSelectedEngines);
    connect(lsvEngines, &QAbstractItemView::doubleClicked, this, [this] { lsvEngines_DblClick(); });
    connect(lstCountry, &QListWidget::itemClicked, this, [this] { lstCountry_Click(); });
    connect(txtFindEngines, &QLineEdit::returnPressed, this, [this] { txtFindEngines_KeyDown(13); });
    for (int i = 0; i < optAdultSite.size(); ++i) {
        // Only an option that becomes set runs its rule.
        connect(optAdultSite[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optAdultSite_Click(i);
        });
    }
    lsvEngines->installEventFilter(this);
    lsvSelectedEngines->installEventFilter(this);
    lsvEngines->viewport()->setMouseTracking(true);
    lsvEngines->viewport()->installEventFilter(this);
    for (QCheckBox *box : chkType) {
        box->setMouseTracking(true);
        box->installEventFilter(this);
    }

    connect(mnuEngines, &QMenu::aboutToShow, this, [this] { mnuEngines_Click(); });
    for (int i = 0; i < mnuEngineItems.size(); ++i)
        connect(mnuEngineItems[i], &QAction::triggered, this, [this, i] { mnuEngineItems_Click(i); });
}

void frmMain::chkType_Click(int Index)
{
    if (m_bTypeClick)
        m_clsMain->EngineSelectByType(EnginesPage::typeCodes().at(Index), chkType[Index]->isChecked());
}

void frmMain::setAllTypeBoxes(bool checked)
{
    // The boxes only show the outcome: the type rule must not run again for each of them.
    m_bTypeClick = false;
    for (QCheckBox *box : chkType)
        box->setChecked(checked);
    m_bTypeClick = true;
}

void frmMain::cmdSelectEngine_Click(int Index)
{
    m_clsMain->EngineSelect(Index);
    if (Index == 1)
        setAllTypeBoxes(true);
}

void frmMain::cmdRemoveEngine_Click(int Index)
{
    m_clsMain->EngineRemove(Index);
    if (Index == 1)
        setAllTypeBoxes(false);
}

void frmMain::lsvEngines_DblClick()
{
    const QString name = lsvEngines->currentName();
    if (!name.isEmpty())
        m_clsMain->EngineSingleSelect(name);
}

void frmMain::lsvEngines_KeyDown(int KeyCode)
{
    Platform::setBusyPointer(true);
    try {
        if (KeyCode == 46) {
            // The engine's Selected stays as it is: it still has its row in the selected list.
            lsvEngines->removeHighlighted();
        }
        lsvEngines->setHeaderCaption(
            0, QStringLiteral("Engines (") + QString::number(lsvEngines->count()) + QStringLiteral(")"));
    } catch (const std::exception &error) {
        modDSSock::writeErrorLog(QStringLiteral("lsvEngines_KeyDown_Error: ") + QString::fromStdString(error.what()));
    }
    Platform::setBusyPointer(false);
}

void frmMain::lsvSelectedEngines_KeyDown(int KeyCode)
{
    if (KeyCode == 46)
        cmdRemoveEngine_Click(0);
}

void frmMain::txtFindEngines_KeyDown(int KeyCode)
{
    if (KeyCode == 13)
        m_clsMain->findEnginesByKeyword(txtFindEngines->text());
}

void frmMain::lstCountry_Click()
{
    QListWidgetItem *row = lstCountry->currentItem();
    if (row)
        m_clsMain->EngineSelectByCountry(row->text(), row->text(), row->isSelected());
}

QString frmMain::getEngineType() const
{
    QString types;
    for (int i = 0; i < chkType.size(); ++i) {
        if (!chkType[i]->isChecked())
            continue;
        if (i > 0)
            types += QLatin1Char(',');
        types += EnginesPage::typeCodes().at(i);
    }
    return types;
}

void frmMain::mnuEngines_Click()
{
    const bool onRoot = m_currentNode && itemImageKey(m_currentNode) == QLatin1String("RootProject");
    for (int index : {0, 1, 3, 4, 6, 8})
        mnuEngineItems[index]->setEnabled(!onRoot);
}

void frmMain::mnuEngineItems_Click(int Index)
{
    if (m_currentNode && itemImageKey(m_currentNode) == QLatin1String("RootProject"))
        return;
    setEnabled(false);
    try {
        const QString folder = Platform::joinPath(Platform::programFolder(), QStringLiteral("Engines"));
        QDir().mkpath(folder);
        const QString filter = QStringLiteral("Tarnell Engine Files (*.eng)|*.eng|Text Files(*.txt)|*.txt|All Files(*.*)|*.*");
        bool showPage = false;
        switch (Index) {
        case 0:
            saveSelectedEngineList(folder, filter);
            break;
        case 1: {
            int filterIndex = 1;
            const QString file = Platform::fileDialog(false, filter, folder + QStringLiteral("/"), filterIndex);
            if (!file.isEmpty() && Platform::fileExists(file)) {
                m_clsMain->loadSelectedEngine(file);
                showPage = true;
            }
            break;
        }
        case 3:
        case 4:
            m_clsMain->EngineSelection(Index == 3 ? QStringLiteral("MajorSite") : QStringLiteral("CustomEngine"));
            showPage = true;
            break;
        case 6: {
            const QString failFile = Platform::joinPath(Platform::programFolder(), QStringLiteral("fail.eng"));
            if (!Platform::fileExists(failFile)) {
                Platform::msgBox(QStringLiteral("Failed engine list is empty."), Platform::Information,
                                 QStringLiteral("Load Engines"));
                break;
            }
            m_clsMain->loadSelectedEngine(failFile);
            showPage = true;
            break;
        }
        case 8:
            if (Platform::msgBox(QStringLiteral("Create a list of all the search engines. Do you want to continue?"),
                                 Platform::YesNo | Platform::Information, QStringLiteral("Export Engine List"))
                == Platform::Yes)
                m_clsMain->exportEngineList();
            break;
        default:
            break;
        }
        setEnabled(true);
        if (showPage && SSTab3->isHidden())
            ToolbarMain_ButtonClick(QStringLiteral("Engines"));
    } catch (const std::exception &error) {
        setEnabled(true);
        Platform::msgBox(QStringLiteral("EngineItems_Error: ") + QString::fromStdString(error.what()), Platform::Critical,
                         QStringLiteral("Error"));
    }
}

void frmMain::saveSelectedEngineList(const QString &folder, const QString &filter)
{
    if (lsvSelectedEngines->count() == 0) {
        Platform::msgBox(QStringLiteral("No engines have been selected. Please select the engines you would like to save."),
                         Platform::Information, QStringLiteral("Save Selected Engines"));
        return;
    }
    int filterIndex = 1;
    QString file = modCommon::showFileDialog(true, filter, folder + QStringLiteral("/"), filterIndex);
    if (file.isEmpty())
        return;
    if (filterIndex == 1 && !endsWithIgnoringCase(file, QStringLiteral(".eng")))
        file += QStringLiteral(".eng");
    else if (filterIndex == 2 && !endsWithIgnoringCase(file, QStringLiteral(".txt")))
        file += QStringLiteral(".txt");
    if (Platform::fileExists(file)
        && Platform::msgBox(QStringLiteral("The file '") + file + QStringLiteral("' already exists.") + kCrLf + kCrLf
                                + QStringLiteral("Do you want to replace it?"),
                            Platform::YesNo | Platform::Question, QStringLiteral("Save Selected Engines"))
            == Platform::No)
        return;
    m_clsMain->saveSelectedEngine(file);
}
