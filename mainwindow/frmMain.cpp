#include "mainwindow/frmMain.h"

#include <algorithm>
#include <stdexcept>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSet>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/clsPreference.h"
#include "core/frmSplash.h"
#include "core/modCommon.h"
#include "enginedata/frmEngineBuilder.h"
#include "enginedata/frmUpdateEngines.h"
#include "ftp/frmFTPClient.h"
#include "mainwindow/EnginesPage.h"
#include "pagetools/frmMetaTag.h"
#include "pagetools/frmOptimizer.h"
#include "mainwindow/ProjectPage.h"
#include "mainwindow/ProjectTreePane.h"
#include "mainwindow/ReportsList.h"
#include "mainwindow/SitePages.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/SettingsStore.h"
#include "platform/TextFile.h"
#include "sitedata/EngineCollection.h"
#include "platform/ImageList.h"
#include "sitedata/EngineListView.h"
#include "platform/KeyedListView.h"
#include "sitedata/NameIndex.h"
#include "sitedata/ProjectList.h"
#include "sitedata/clsMain.h"
#include "transport/frmHTTP.h"
#include "platform/modDSSockLog.h"

QPointer<frmMain> frmMain::s_instance;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

void makeFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        throw std::runtime_error("The folder " + path.toStdString() + " could not be created");
}

} // namespace

frmMain *frmMain::instance()
{
    if (!s_instance)
        s_instance = new frmMain;
    return s_instance;
}

frmMain *frmMain::existing()
{
    return s_instance;
}

frmOptimizer *frmMain::optimizerWindow()
{
    frmOptimizer *optimizer = frmOptimizer::instance();
    if (frmMain *main = existing())
        connect(optimizer, &frmOptimizer::clearStatusRequested, main, &frmMain::clearStatusText,
                Qt::UniqueConnection);
    return optimizer;
}

void frmMain::clearStatusText()
{
    StatusBar1->setPanelText(1, QString());
}

frmMain *mainWindow()
{
    return frmMain::existing();
}

frmMain::frmMain()
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(Platform::kApplicationTitle));

    projectTree = new ProjectTreePane;
    projectPage = new ProjectPage;
    sitePages = new SitePages;
    reportsList = sitePages->reports;
    enginesPage = new EnginesPage;

    auto *pages = new QWidget;
    auto *pagesLayout = new QVBoxLayout(pages);
    pagesLayout->setContentsMargins(0, 0, 0, 0);
    pagesLayout->addWidget(projectPage);
    pagesLayout->addWidget(sitePages);
    pagesLayout->addWidget(enginesPage);

    imgSpliter = new QSplitter(Qt::Horizontal, this);
    imgSpliter->setObjectName(QStringLiteral("imgSpliter"));
    imgSpliter->addWidget(projectTree);
    imgSpliter->addWidget(pages);
    imgSpliter->setStretchFactor(1, 1);
    imgSpliter->setSizes({220, 680});
    setCentralWidget(imgSpliter);

    StatusBar1 = new Platform::StatusBar(2, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);

    takeControlsFromPages();
    buildMenus();
    buildToolbar();
    wireEvents();
    resize(900, 640);
}

frmMain::~frmMain()
{
    releaseData();
}

void frmMain::takeControlsFromPages()
{
    fraMainLeft = projectTree;
    lblProjectTitle = projectTree->lblProjectTitle;
    TreeView1 = projectTree->TreeView1;
    tvProject = TreeView1;

    SSTab2 = projectPage;
    fraSiteInfo.insert(0, projectPage->fraProjectDescr);
    fraSiteInfo.insert(1, sitePages->fraSiteDetails);
    txtProjectDescr = projectPage->txtProjectDescr;
    lblProject = projectPage->lblProject;
    lblWebProject = projectPage->lblWebProject;
    lblQuickStartTips = projectPage->lblQuickStartTips;

    SitePages *s = sitePages;
    SSTab1 = s;
    txtSiteTitle = s->txtSiteTitle;
    txtSiteKeywords = s->txtSiteKeywords;
    txtSiteDescription = s->txtSiteDescription;
    cboWebType = s->cboWebType;
    cboLanguage = s->cboLanguage;
    cmdGetSiteInfo = s->cmdGetSiteInfo;
    CoolBarSiteURL = s->CoolBarSiteURL;
    ToolbarSiteURL = s->ToolbarSiteURL;
    ToolbarSiteURLButtons = s->ToolbarSiteURLButtons;
    lsvSiteURLs = s->lsvSiteURLs;
    fraSiteURls = s->fraSiteURls;
    txtURLFileLocation = s->txtURLFileLocation;
    cmdFileLocation = s->cmdFileLocation;
    txtURLTitle = s->txtURLTitle;
    txtURLKeyword = s->txtURLKeyword;
    txtURLDescription = s->txtURLDescription;
    lblMetaTag = s->lblMetaTag;
    Label1 = s->Label1;
    fraContactInfo = s->fraContactInfo;
    txtName = s->txtName;
    txtEmail = s->txtEmail;
    txtCompany = s->txtCompany;
    txtAddress = s->txtAddress;
    txtCity = s->txtCity;
    txtState = s->txtState;
    txtPostcode = s->txtPostcode;
    cboCountry = s->cboCountry;
    txtPhone = s->txtPhone;
    txtFax = s->txtFax;
    txtPassword = s->txtPassword;
    tabCategory = s->tabCategory;
    lstMainCategory = s->lstMainCategory;
    lstCategory = s->lstCategory;
    lblCategory = s->lblCategory;
    cboCustomEngines = s->cboCustomEngines;
    txtCustomCategory = s->txtCustomCategory;
    lsvCustomMainCategory = s->lsvCustomMainCategory;
    lsvCustomSubCategory = s->lsvCustomSubCategory;
    lblReadyToSubmit = s->lblReadyToSubmit;
    lsvReports = reportsList->lsvReports;
    cmdViewReport = reportsList->cmdViewReport;

    EnginesPage *e = enginesPage;
    SSTab3 = e;
    lsvEngines = e->lsvEngines;
    lsvSelectedEngines = e->lsvSelectedEngines;
    cmdSelectEngine = e->cmdSelectEngine;
    cmdRemoveEngine = e->cmdRemoveEngine;
    fraEngines = e->fraEngines;
    chkType = e->chkType;
    lstCountry = e->lstCountry;
    txtFindEngines = e->txtFindEngines;
    optAdultSite = e->optAdultSite;
}

namespace {

// Adds the captions as items of the menu; "-" is a separator (still an item, so indexes match).
QVector<QAction *> addMenuItems(QMenu *menu, const QStringList &captions)
{
    QVector<QAction *> items;
    for (const QString &caption : captions) {
        if (caption == QLatin1String("-"))
            items.append(menu->addSeparator());
        else
            items.append(menu->addAction(caption));
    }
    return items;
}

} // namespace

void frmMain::buildMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileItems = addMenuItems(mnuFile, {
        QStringLiteral("New &Project"), QStringLiteral("&Remove Project"), QStringLiteral("-"),
        QStringLiteral("&New Website"), QStringLiteral("&Delete Website"), QStringLiteral("-"),
        QStringLiteral("Add &Website"), QStringLiteral("&Save Website"), QStringLiteral("Save Website &As ..."),
        QStringLiteral("-"), QStringLiteral("&Import"), QStringLiteral("-"),
        QStringLiteral("&Update Engine Data"), QStringLiteral("&Configuration"), QStringLiteral("-"),
        QStringLiteral("&Exit")});
    mnuImport = new QMenu(QStringLiteral("&Import"), this);
    mnuImport->setObjectName(QStringLiteral("mnuImport"));
    mnuImportItems = addMenuItems(mnuImport, {QStringLiteral("Previous &Session File"), QStringLiteral("-"),
                                              QStringLiteral("&Web Form Data")});
    mnuFileItems[10]->setMenu(mnuImport);

    mnuEngines = menuBar()->addMenu(QStringLiteral("&Engines"));
    mnuEngines->setObjectName(QStringLiteral("mnuEngines"));
    mnuEngineItems = addMenuItems(mnuEngines, {
        QStringLiteral("&Save Selected Engines"), QStringLiteral("&Load Engines From File"), QStringLiteral("-"),
        QStringLiteral("&Top Engines"), QStringLiteral("&Customised Engines"), QStringLiteral("-"),
        QStringLiteral("Load Previous &Failed Engines"), QStringLiteral("-"), QStringLiteral("&Export Engine List")});

    mnuTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    mnuTools->setObjectName(QStringLiteral("mnuTools"));
    mnuToolsItems = addMenuItems(mnuTools, {
        QStringLiteral("&Meta Tag Generator"), QStringLiteral("&Web Site Optimizer"), QStringLiteral("Web &Ranking"),
        QStringLiteral("Web &Search"), QStringLiteral("-"), QStringLiteral("&Doorway Page Generator"),
        QStringLiteral("&Keyword Builder"), QStringLiteral("&FTP Upload"), QStringLiteral("-"),
        QStringLiteral("&Engine Builder")});

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpItems = addMenuItems(mnuHelp, {
        QStringLiteral("&Contents"), QStringLiteral("-"), QStringLiteral("Tarnell Software on the &Web ..."),
        QStringLiteral("Software &Updates"), QStringLiteral("&Support"), QStringLiteral("-"),
        QStringLiteral("&About Velquist ...")});

    mnuPopup = new QMenu(this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuPopupItems = addMenuItems(mnuPopup, {
        QStringLiteral("New Project"), QStringLiteral("&Delete Project"), QStringLiteral("-"),
        QStringLiteral("New &Website"), QStringLiteral("Delete Website"), QStringLiteral("-"),
        QStringLiteral("&Add Website"), QStringLiteral("&Save Website"), QStringLiteral("S&ave Website As ..."),
        QStringLiteral("-"), QStringLiteral("&Rename")});
}

void frmMain::buildToolbar()
{
    ToolbarMain = addToolBar(QStringLiteral("Main"));
    ToolbarMain->setObjectName(QStringLiteral("ToolbarMain"));
    ToolbarMain->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const struct { const char *caption, *key, *tip, *image; } buttons[] = {
        {"Project", "NewProject", "Add a new project folder to the Project list", "NewProject"},
        {"Website", "NewWeb", "Add a new Web Site to the project", "NewWeb"},
        {"Save", "Save", "Save web project or web site details", "Save"},
        {"Engines", "Engines", "Select Engines for submitting", "Engine"},
        {"Submit", "Submit", "Submit your web site", "Submit"},
        {"Meta Tag", "MetaTag", "Meta Tag Generator - edit or create Meta Tags for your web page", "GetMetaTag"},
        {"Optimizer", "Optimizer", "Optimizer - Improve your web site", "Optimizer"},
        {"Ranking", "Ranking", "Web Ranking - Check your web site position", "Ranking"},
        {"Search", "Search", "Web Search - check website URL visibility and Link population", "WebSearch"},
        {"News", "News", "Get news update from Velquist home", "Channel"},
    };
    for (const auto &button : buttons) {
        QAction *action = ToolbarMain->addAction(QString::fromLatin1(button.caption));
        action->setObjectName(QString::fromLatin1(button.key));
        action->setData(QString::fromLatin1(button.key));
        action->setToolTip(QString::fromLatin1(button.tip));
        action->setIcon(ImageList::icon(QString::fromLatin1(button.image)));
        ToolbarMainButtons.append(action);
    }
    // The optimizer's tip names the tool as the menu does.
    ToolbarMainButtons[6]->setToolTip(QStringLiteral("Web Site Optimizer - Improve your web site"));
}

QAction *frmMain::toolbarButton(const QString &key) const
{
    for (QAction *action : ToolbarMainButtons) {
        if (action->data().toString().compare(key, Qt::CaseInsensitive) == 0)
            return action;
    }
    return nullptr;
}

void frmMain::wireEvents()
{
    connect(lstMainCategory, &QListWidget::itemClicked, this, [this] { lstMainCategory_Click(); });
    connect(lstMainCategory, &QListWidget::currentRowChanged, this, [this] { lstMainCategory_Click(); });
    connect(lstMainCategory, &QListWidget::itemSelectionChanged, this, [this] {
        if (m_clsMain)
            m_clsMain->noteCategoryTouched();
    });
    connect(lstCategory, &QListWidget::itemSelectionChanged, this, [this] {
        if (m_clsMain)
            m_clsMain->noteCategoryTouched();
    });
    wireTreeEvents();
    wireEnginesPage();
    wireCommands();
}

void frmMain::create(clsMain *main)
{
    m_clsMain.reset(main);
}

QString frmMain::controlTag(const QWidget *control)
{
    return control ? control->property("Tag").toString() : QString();
}

void frmMain::setControlTag(QWidget *control, const QString &tag)
{
    if (control)
        control->setProperty("Tag", tag);
}

QString frmMain::missingEngineDataUpdateText()
{
    return QStringLiteral("Engine Data file was not found or missing. If this is the first time you run the program, ")
        + QStringLiteral("you need to download the engine data file from our web site before you can use it. ")
        + kCrLf + kCrLf
        + QStringLiteral("Please ensure you are connected to the Internet and then press the 'Start' button. ")
        + QStringLiteral("This will take a few minutes depending on Internet connection.");
}

QString frmMain::missingEngineDataText()
{
    return QStringLiteral("Engine Data file was not found or missing. If this is the first time you run the program, ")
        + QStringLiteral("you need to download the engine data file from our web server ")
        + QStringLiteral("to make Velquist works correctly. ") + kCrLf + kCrLf
        + QStringLiteral("Please click on the 'File/Update Engine Data' ")
        + QStringLiteral("menu item from the menu bar and following the instruction on the screen. ")
        + QStringLiteral("Please re-start the program after you updated the engine data file.");
}

bool frmMain::Form_Load()
{
    QString step;
    try {
        modCommon::centerForm(this);
        setWindowTitle(QString::fromLatin1(Platform::kApplicationTitle));
        lblQuickStartTips->setText(modCommon::crLfToLf(ProjectPage::quickStartText()));
        createProgramFolders(step);
        step = QStringLiteral("setting ...");
        applySettingStep();
        step = QStringLiteral("load country file");
        if (!m_clsMain->loadCountry()) {
            frmSplash::unloadSplash();
            Platform::setBusyPointer(false);
            Platform::msgBox(QStringLiteral("The country file is missing ! You need to re-install the full "
                                            "installation program and try again."),
                             Platform::Critical, QStringLiteral("Load Country File"));
        }
        step = QStringLiteral("load category file");
        if (!m_clsMain->loadCategory()) {
            frmSplash::unloadSplash();
            Platform::setBusyPointer(false);
            Platform::msgBox(QStringLiteral("The category file is missing ! You need to re-install the full "
                                            "installation program and try again."),
                             Platform::Critical, QStringLiteral("Load Category File"));
        }
        step = QStringLiteral("check engine data file");
        checkEngineData();
        step = QStringLiteral("load engine data file");
        loadEngineData();
        step = QStringLiteral("load default project");
        if (Platform::fileExists(clsMain::projectListPath()))
            loadProject();
        step = QStringLiteral("set first select item");
        selectFirstNode();
    } catch (const std::exception &error) {
        const QString message = QStringLiteral("Formload_Error: ") + QString::fromStdString(error.what()) + kCrLf + step;
        frmSplash::unloadSplash();
        Platform::msgBox(message, Platform::Critical, QStringLiteral("Error"));
        modDSSock::writeErrorLog(message);
        myEngines().clear();
        // The process ends as soon as the event loop runs.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(1); });
        return false;
    }
    show();
    return true;
}

void frmMain::createProgramFolders(QString &step)
{
    const QString program = Platform::programFolder();
    const struct { const char *label; const char *folder; } folders[] = {
        {"create report folder", "Reports"},
        {"create report folder1", "Reports/Submition"},
        {"create report folder1", "Reports/Ranking"},
        {"create project folder", "Projects"},
        {"create engines folder", "Engines"},
    };
    for (const auto &folder : folders) {
        step = QString::fromLatin1(folder.label);
        makeFolder(Platform::joinPath(program, QString::fromLatin1(folder.folder)));
    }
}

void frmMain::applySettingStep()
{
    m_bTypeClick = true;
    m_bAutoSave = true;
    TreeView1->clear();
    m_rootNode = new QTreeWidgetItem(TreeView1, {QStringLiteral("Web Project")});
    // Editable so that an edit of the root reaches the check that refuses it.
    m_rootNode->setFlags(m_rootNode->flags() | Qt::ItemIsEditable);
    Platform::setItemKey(m_rootNode, QStringLiteral("Root"));
    setItemImageKey(m_rootNode, QStringLiteral("RootProject"));
    TreeView1->scrollToItem(m_rootNode);
    m_currentNode = m_rootNode;
    ToolbarMainButtons[1]->setEnabled(false);
    SSTab1->setCurrentIndex(0);
    tabCategory->setCurrentIndex(0);
    showPageSet(SSTab2);
    setUpListColumns();
    cboWebType->clear();
    cboWebType->addItems({QStringLiteral("Commercial Site"), QStringLiteral("Personal Site"),
                          QStringLiteral("Adult Only Site"), QStringLiteral("General")});
    cboLanguage->clear();
    cboLanguage->addItems({QStringLiteral("English"), QStringLiteral("German"), QStringLiteral("Franch"),
                           QStringLiteral("Italian"), QStringLiteral("Spanish"), QStringLiteral("Japanese"),
                           QStringLiteral("Chinese"), QStringLiteral("Others")});
    // Filling the lists chooses nothing.
    cboWebType->setCurrentIndex(-1);
    cboLanguage->setCurrentIndex(-1);
}

void frmMain::setUpListColumns()
{
    lsvSiteURLs->setHeaderLabels({QStringLiteral("Site URLs")});
    lsvEngines->setHeaderLabels({QStringLiteral("All Engines"), QStringLiteral("Type"), QStringLiteral("Country")});
    lsvSelectedEngines->setHeaderLabels(
        {QStringLiteral("Selected Engines"), QStringLiteral("Type"), QStringLiteral("Country")});
    lsvReports->setHeaderLabels({QStringLiteral("URLs"), QStringLiteral("Date Submitted")});
    lsvCustomMainCategory->setHeaderLabels({QStringLiteral("Main Category")});
    lsvCustomSubCategory->setHeaderLabels({QStringLiteral("Sub-Category")});
    resizeTabControl();
}

void frmMain::checkEngineData()
{
    const QString folder = clsMain::engineDataFolder();
    const bool bothThere = Platform::fileExists(folder + QStringLiteral("vqzeng5.dat"))
        && Platform::fileExists(folder + QStringLiteral("catvqs.dat"));
    if (bothThere) {
        if (myPreference().DownEngineData() == 1 && myPreference().Version() != QLatin1String("6.0")) {
            Platform::saveSetting(QStringLiteral("Velquist"), QStringLiteral("Setting"), QStringLiteral("Download"),
                                  QStringLiteral("0"));
            Platform::msgBox(QStringLiteral("If this is the first time you upgrade from version 5.0 or older to version 6.0, ")
                                 + QStringLiteral("please make sure to update the new engine data file from our web site ")
                                 + QStringLiteral("by clicking the 'File/Update Engine Data File' menu item from the menu bar."),
                             Platform::Information, QString::fromLatin1(Platform::kApplicationTitle));
        }
        return;
    }
    frmSplash::unloadSplash();
    Platform::setBusyPointer(false);
    frmUpdateEngines::instance()->Label1->setText(missingEngineDataUpdateText());
    execUpdateEngines();
}

void frmMain::execUpdateEngines()
{
    // Only an update made in this showing counts.
    m_intRefreshEngineData = 0;
    frmUpdateEngines *update = frmUpdateEngines::instance();
    const auto link = connect(update, &frmUpdateEngines::engineDataStored, this,
                              [this](bool stored) { m_intRefreshEngineData = stored ? 1 : 0; });
    update->exec();
    disconnect(link);
}

void frmMain::loadEngineData()
{
    const QString folder = clsMain::engineDataFolder();
    const bool bothThere = Platform::fileExists(folder + QStringLiteral("vqzeng5.dat"))
        && Platform::fileExists(folder + QStringLiteral("catvqs.dat"));
    if (bothThere) {
        if (m_clsMain->loadEngineCategory())
            m_clsMain->loadEngines();
        frmSplash::unloadSplash();
        Platform::setBusyPointer(false);
        return;
    }
    frmSplash::unloadSplash();
    Platform::setBusyPointer(false);
    Platform::msgBox(missingEngineDataText(), Platform::Information, QString::fromLatin1(Platform::kApplicationTitle));
}

void frmMain::selectFirstNode()
{
    const QList<QTreeWidgetItem *> nodes = Platform::allItems(TreeView1);
    if (nodes.isEmpty())
        return;
    QTreeWidgetItem *node = nodes.size() == 1 ? nodes[0] : nodes[1];
    selectNodeQuietly(node);
    TreeView1_NodeClick(node);
}

void frmMain::showPageSet(QTabWidget *pageSet)
{
    for (QTabWidget *set : {SSTab1, SSTab2, SSTab3})
        set->setVisible(set == pageSet);
}

namespace {

// The keys of the tree's nodes, compared ignoring case; a key beyond ASCII is folded whole first,
// so letters written as surrogate pairs fold too. Filed by their hashes: a project list of
// thousands of projects is checked without going back to each key's text.
class NodeKeys {
public:
    void reserve(qsizetype size) { m_keys.reserve(size); }
    bool insert(const QString &key)
    {
        const bool ascii = std::all_of(key.begin(), key.end(), [](QChar c) { return c.unicode() < 0x80; });
        return m_keys.insert(ascii ? key : key.toCaseFolded());
    }

private:
    NameSet m_keys;
};

QTreeWidgetItem *newTreeNode(const QString &text, const QString &key, const QString &imageKey, const QString &tag)
{
    // A lean node: the key and image key live in members, the icon is drawn from the image key.
    QTreeWidgetItem *node = newKeyedRow(key, {text}, imageKey);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    Platform::setItemTag(node, tag);
    return node;
}

} // namespace

void frmMain::loadProject()
{
    m_bSkipAutoSaveOnce = true;
    const std::optional<ProjectList> list = ProjectList::load(clsMain::projectListPath());
    if (!list)
        return;
    const QList<Project> projects = list->projects(true);
    // One pass: nodes are built apart and added at once, keys checked against a set, and the
    // tree not redrawn meanwhile.
    const QList<QTreeWidgetItem *> existing = Platform::allItems(TreeView1);
    qsizetype nodeCount = existing.size() + projects.size();
    for (const Project &project : projects)
        nodeCount += project.sites.size();
    NodeKeys keys;
    keys.reserve(nodeCount);
    for (QTreeWidgetItem *node : existing)
        keys.insert(Platform::itemKey(node));
    TreeView1->setUpdatesEnabled(false);
    QList<QTreeWidgetItem *> projectNodes;
    projectNodes.reserve(projects.size());
    const QString projectImage = QStringLiteral("ProjectFolder");
    const QString siteImage = QStringLiteral("WebFile");
    QStringList repeatedKeys;   // nodes whose key is taken, reported once the tree stands
    for (const Project &project : projects) {
        const QString projectKey = QStringLiteral("Root\\") + project.name;
        if (!keys.insert(projectKey)) {
            repeatedKeys.append(projectKey);
            continue;
        }
        QTreeWidgetItem *projectNode = newTreeNode(project.name, projectKey, projectImage, project.description);
        QList<QTreeWidgetItem *> siteNodes;
        siteNodes.reserve(project.sites.size());
        for (const ProjectSite &site : project.sites) {
            const QString siteKey = projectKey + u'\\' + site.name;
            if (keys.insert(siteKey))
                siteNodes.append(newTreeNode(site.name, siteKey, siteImage, QString::number(site.number) + u'|' + site.file));
            else
                repeatedKeys.append(siteKey);
        }
        projectNode->addChildren(siteNodes);
        projectNodes.append(projectNode);
    }
    const int firstNew = m_rootNode->childCount();
    m_rootNode->addChildren(projectNodes);
    Platform::expandChildren(TreeView1, m_rootNode, firstNew, m_rootNode->childCount() - 1);
    m_rootNode->setExpanded(true);
    TreeView1->setUpdatesEnabled(true);
    for (const QString &key : std::as_const(repeatedKeys))
        reportAddNodeError(duplicateKeyError(key));
}

void frmMain::lstMainCategory_Click()
{
    QListWidgetItem *item = lstMainCategory->currentItem();
    if (item && !item->text().isEmpty() && m_clsMain)
        m_clsMain->loadSubCategory(item->text());
}

void frmMain::RefreshEngineData()
{
    const QString folder = clsMain::engineDataFolder();
    if (!Platform::fileExists(folder + QStringLiteral("vqzeng5.dat"))
        || !Platform::fileExists(folder + QStringLiteral("catvqs.dat")))
        return;
    StatusBar1->setPanelText(1, QStringLiteral("Re-freshing engine data files ...."));
    Platform::setBusyPointer(true);
    if (m_clsMain->loadEngineCategory())
        m_clsMain->loadEngines();
    StatusBar1->setPanelText(1, QString());
    Platform::setBusyPointer(false);
}

void frmMain::resizeControl()
{
    m_bDragging = false;
    resizeTabControl();
}

void frmMain::resizeTabControl()
{
    // The layouts size the controls and the engine lists keep their own columns; only the report
    // list's first column follows its width here.
    Platform::RedrawSuspender suspend(TreeView1);
    const int reportsWidth = lsvReports->viewport()->width();
    if (reportsWidth > 0)
        lsvReports->setColumnWidth(0, reportsWidth * 3 / 4);
    resizeCustomTabControl();
}

void frmMain::resizeCustomTabControl()
{
    for (KeyedListView *list : {lsvCustomMainCategory, lsvCustomSubCategory}) {
        const int width = list->viewport()->width();
        if (width > 0)
            list->setColumnWidth(0, width);
    }
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    resizeControl();
}

bool frmMain::Form_QueryUnload()
{
    return Platform::msgBox(QStringLiteral("Are you sure you want to exit?"),
                            Platform::YesNo | Platform::Information, QStringLiteral("Exit")) == Platform::Yes;
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // While a submission window (or a command's dialog) keeps this window disabled, its close box
    // does nothing: closing would release the engines the running submission still reads.
    if (!isEnabled() || !Form_QueryUnload()) {
        event->ignore();
        return;
    }
    // The controls are the only copy of the current site: the frame's close saves them as Exit does.
    autoSave();
    if (frmOptimizer *optimizer = frmOptimizer::loadedInstance())
        optimizer->deleteLater();
    if (frmEngineBuilder *builder = frmEngineBuilder::loadedInstance())
        builder->close();   // its close writes the custom engine files
    // The modeless tools are windows of their own: left open they would keep the program running.
    if (frmMetaTag *editor = frmMetaTag::loadedInstance())
        editor->close();
    if (frmFTPClient *ftp = frmFTPClient::loadedInstance())
        ftp->close();
    if (frmHTTP *fetch = frmHTTP::loadedInstance())
        fetch->deleteLater();
    releaseData();
    event->accept();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress) {
        const bool deleteKey = static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete;
        if (watched == TreeView1 && deleteKey)
            TreeView1_KeyDown(46);
        else if (watched == lsvEngines)
            lsvEngines_KeyDown(deleteKey ? 46 : 0);
        else if (watched == lsvSelectedEngines && deleteKey)
            lsvSelectedEngines_KeyDown(46);
    } else if (watched == TreeView1->viewport()) {
        if (type == QEvent::MouseButtonPress) {
            if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
                // The pop-up acts on the current node: a right click does not choose another one.
                TreeView1_MouseDown(Qt::RightButton);
                return true;
            }
            // A move made earlier by the keyboard must not swallow this click.
            m_nodeChangedByUser = nullptr;
        }
        if (type == QEvent::MouseMove)
            Platform::setBusyPointer(false);
    } else if (type == QEvent::MouseMove) {
        // Over the type boxes and the engine list the pointer is the normal one.
        Platform::setBusyPointer(false);
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::releaseData()
{
    myEngines().clear();
    m_clsMain.reset();
}
