// The main toolbar, the Tools, Help and Import menus, the adult-site options, the tab clicks and
// the reports list.
#include "mainwindow/frmMain.h"

#include <stdexcept>

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>

#include "core/clsPreference.h"
#include "core/frmAbout.h"
#include "core/modCommon.h"
#include "enginedata/frmEngineBuilder.h"
#include "enginedata/frmNews.h"
#include "ftp/frmFTPClient.h"
#include "pagetools/frmDoorway.h"
#include "pagetools/frmMetaTag.h"
#include "pagetools/frmOptimizer.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "ranking/frmKeywordBuilder.h"
#include "ranking/frmRanking.h"
#include "ranking/frmSearch.h"
#include "sitedata/EngineListView.h"
#include "platform/KeyedListView.h"
#include "sitedata/ProjectList.h"
#include "sitedata/clsMain.h"
#include "submission/frmSubmit.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool sameKey(const QString &a, const char *b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

// A vendor link may be stored without its scheme.
QString linkAddress(const QString &link)
{
    return link.contains(QLatin1String("://")) ? link : QStringLiteral("http://") + link;
}

} // namespace

void frmMain::wireCommands()
{
    for (QAction *button : ToolbarMainButtons) {
        connect(button, &QAction::triggered, this,
                [this, button] { ToolbarMain_ButtonClick(button->data().toString()); });
    }
    for (int i = 0; i < mnuToolsItems.size(); ++i)
        connect(mnuToolsItems[i], &QAction::triggered, this, [this, i] { mnuToolsItems_Click(i); });
    for (int i = 0; i < mnuHelpItems.size(); ++i)
        connect(mnuHelpItems[i], &QAction::triggered, this, [this, i] { mnuHelpItems_Click(i); });
    for (int i = 0; i < mnuImportItems.size(); ++i)
        connect(mnuImportItems[i], &QAction::triggered, this, [this, i] { mnuImportItems_Click(i); });
    // Opening the Import sub-menu is the File menu's item 10: it saves the current node.
    connect(mnuImport, &QMenu::aboutToShow, this, [this] { mnuFileItems_Click(10); });
    connect(SSTab1, &QTabWidget::currentChanged, this, [this] { resizeTabControl(); });
    connect(tabCategory, &QTabWidget::currentChanged, this, [this] { resizeCustomTabControl(); });

    // A tree view's header takes no clicks unless asked to.
    lsvReports->header()->setSectionsClickable(true);
    connect(lsvReports->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { lsvReports_ColumnClick(column); });
    connect(lsvReports, &QTreeWidget::itemDoubleClicked, this, [this] { cmdViewReport_Click(); });
    connect(cmdViewReport, &QPushButton::clicked, this, [this] { cmdViewReport_Click(); });
}

void frmMain::showEnginesPage()
{
    autoSave();
    if (!SSTab3->isHidden())
        return;
    SSTab1->hide();
    SSTab2->hide();
    SSTab3->show();
    resizeTabControl();
    ToolbarMainButtons[2]->setEnabled(false);
}

void frmMain::ToolbarMain_ButtonClick(const QString &key)
{
    try {
        if (sameKey(key, "NewProject")) {
            mnuFileItems_Click(0);
        } else if (sameKey(key, "NewWeb")) {
            mnuFileItems_Click(3);
        } else if (sameKey(key, "Save")) {
            if (m_currentNode && itemImageKey(m_currentNode).contains(QLatin1String("ProjectFolder"))) {
                const QString description = modCommon::multiLineText(txtProjectDescr);
                Platform::setItemTag(m_currentNode, description);
                if (!ProjectList::storeValue(clsMain::projectListPath(), m_currentNode->text(0),
                                             QStringLiteral("Description"), description))
                    throw std::runtime_error("cannot write " + clsMain::projectListPath().toStdString());
            } else {
                mnuFileItems_Click(7);
            }
        } else if (sameKey(key, "Engines")) {
            showEnginesPage();
        } else if (sameKey(key, "Submit")) {
            autoSave();
            if (lsvSelectedEngines->count() > 0) {
                Platform::setBusyPointer(true);
                frmSubmit::Display(this, lsvSelectedEngines);
            } else {
                Platform::msgBox(QStringLiteral("There is no engine selected.") + kCrLf + kCrLf
                                     + QStringLiteral("Please select the engines before start submitting."),
                                 Platform::Information, QStringLiteral("Submit"));
                showEnginesPage();
            }
        } else if (sameKey(key, "MetaTag")) {
            mnuToolsItems_Click(0);
        } else if (sameKey(key, "Optimizer")) {
            mnuToolsItems_Click(1);
        } else if (sameKey(key, "Ranking")) {
            mnuToolsItems_Click(2);
        } else if (sameKey(key, "Search")) {
            mnuToolsItems_Click(3);
        } else if (sameKey(key, "News")) {
            frmNews::instance()->exec();
        }
    } catch (const std::exception &error) {
        Platform::msgBox(QStringLiteral("Module: NewProject") + kCrLf + QStringLiteral("Error: ")
                             + QString::fromStdString(error.what()),
                         Platform::Critical, QStringLiteral("Error"));
    }
}

void frmMain::mnuToolsItems_Click(int Index)
{
    try {
        switch (Index) {
        case 0:
            frmMetaTag::instance()->show();
            break;
        case 1:
            optimizerWindow()->exec();
            break;
        case 2:
            frmRanking::instance()->exec();
            break;
        case 3:
            frmSearch::instance()->exec();
            break;
        case 5:
            frmDoorway::instance()->exec();
            break;
        case 6:
            frmKeywordBuilder::instance()->exec();
            break;
        case 7:
            frmFTPClient::instance()->show();
            break;
        case 9:
            frmEngineBuilder::instance()->show();
            break;
        default:
            break;
        }
    } catch (const std::exception &error) {
        Platform::msgBox(QString::fromStdString(error.what()), Platform::Critical, QStringLiteral("Tools"));
    }
}

void frmMain::mnuHelpItems_Click(int Index)
{
    try {
        clsPreference &pref = myPreference();
        switch (Index) {
        case 0: {
            const QString helpFile = Platform::joinPath(Platform::programFolder(), QStringLiteral("velquist.hlp"));
            if (Platform::fileExists(helpFile))
                Platform::shellOpen(helpFile);
            else
                Platform::msgBox(QStringLiteral("Help file is missing or could not be found."), Platform::Information,
                                 QStringLiteral("Help File"));
            break;
        }
        case 2:
            if (pref.HomePageURL().isEmpty())
                pref.setHomePageURL(QStringLiteral("http://") + Platform::vendorHost() + QStringLiteral("/"));
            Platform::shellOpen(linkAddress(pref.HomePageURL()));
            break;
        case 3:
            Platform::shellOpen(linkAddress(pref.UpdateURL()));
            break;
        case 4:
            Platform::shellOpen(linkAddress(pref.SupportURL()));
            break;
        case 6: {
            frmAbout about(this);
            about.exec();
            break;
        }
        default:
            break;
        }
    } catch (const std::exception &error) {
        Platform::msgBox(QStringLiteral("Module: Help") + kCrLf + QString::fromStdString(error.what()),
                         Platform::Critical, QStringLiteral("Error"));
    }
}

void frmMain::mnuImportItems_Click(int Index)
{
    if (Index == 0)
        addWebSite(QString());
    else if (Index == 2)
        addWebSite(QStringLiteral("ImportWebForm"));
}

void frmMain::optAdultSite_Click(int Index)
{
    if (Index == 0)
        m_clsMain->EngineSelection(QStringLiteral("AdultOnlySite"));
    else if (Index == 1)
        m_clsMain->EngineSelectNoAdultSites();
}

void frmMain::lsvReports_ColumnClick(int column)
{
    // One order for the whole list: every click flips it, whichever column was clicked.
    m_reportsOrder = m_reportsOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    lsvReports->sortItems(column, m_reportsOrder);
}

void frmMain::cmdViewReport_Click()
{
    QList<QTreeWidgetItem *> selected = lsvReports->selectedItems();
    if (selected.isEmpty())
        return;
    const QString report = Platform::itemTag(selected.first());
    if (Platform::fileExists(report) && report.contains(QLatin1String(".htm"), Qt::CaseInsensitive))
        Platform::shellOpen(report);
    else
        Platform::msgBox(QStringLiteral("Report file is missing and corrupt. Please re-submit and try again."),
                         Platform::Critical, QStringLiteral("View Report"));
}
