#pragma once
// The workspace window: the project tree on the left, and on the right one of three page sets
// (project page, site pages, engines page). Its controls are public members named as the rest of
// the program addresses them; the data work is done by its clsMain.
#include <memory>

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QVector>

class clsMain;
class EnginesPage;
class frmOptimizer;
class KeyedListView;
class EngineListView;
class ProjectPage;
class ProjectTreePane;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class ReportsList;
class TreeLabelDelegate;
class SitePages;
namespace Platform { class StatusBar; }

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // The one main window, created on first use.
    static frmMain *instance();
    // The main window when it exists, else null.
    static frmMain *existing();
    // The optimizer window, created on first use, its status request wired to this window's
    // status bar when the main window exists.
    static frmOptimizer *optimizerWindow();
    ~frmMain() override;

    // Takes the window's data object (the window owns it from now on).
    void create(clsMain *main);
    clsMain *mainObject() const { return m_clsMain.get(); }

    // The load handler: folders, lists, countries, categories, engine data, the project tree.
    // False when a step failed (reported; the process is told to end).
    bool Form_Load();
    // The close question; true when the window may close.
    bool Form_QueryUnload();

    void loadProject();

    // --- Project tree and File menu ---------------------------------------------------------
    bool IsNodeExist(const QTreeWidget *TheseNodes, const QString &NodeKey) const;
    // Adds a child of the node keyed `sRelative` and makes it the current node.
    bool addNewNode(const QString &sNewKey, const QString &sName, const QString &sRelative, const QString &sImage,
                    bool nEditLable, const QString &sDescr);
    // "NewProject" or "NewWeb": asks for a name, adds the node and its project list entry.
    void NewProjectAndWeb(const QString &sType);
    void removeSelectedNode();
    // The user's click on a node (or a move to it by the keyboard). Selecting a node from the
    // program does not run it.
    void TreeView1_NodeClick(QTreeWidgetItem *node);
    // False cancels the edit (the root cannot be renamed).
    bool TreeView1_BeforeLabelEdit();
    // Renames the current node; false when the text was refused (the node keeps its old name).
    bool TreeView1_AfterLabelEdit(const QString &NewString);
    void TreeView1_KeyDown(int KeyCode);
    void TreeView1_MouseDown(Qt::MouseButton Button);
    void TreeView1_DblClick();
    void mnuFile_Click();
    void mnuFileItems_Click(int Index);
    void mnuPopupItems_Click(int Index);
    // Applies the enabling table of the current node to the pop-up items.
    void applyPopupEnabling();
    // Whether File item `index` is offered for a node showing `image` (engines page aside).
    static bool fileItemEnabledFor(const QString &image, int index);
    bool fileItemEnabled(int index) const;
    static bool hasRefusedNameCharacter(const QString &name);

    // --- Saving ------------------------------------------------------------------------------
    void autoSave();
    bool saveWebSite(const QString &sWebFileName, const QString &sFileLocation);
    // "ImportWebForm" imports web form data; anything else adds an existing web site file.
    void addWebSite(const QString &sType = QString());
    // The folder of web site files created by name.
    static QString projectsFolder();
    // "<name>.vqs" in that folder, or "<name> (n).vqs" when that file or another site has it.
    QString uniqueSiteFilePath(const QString &siteName) const;

    // --- Site details ------------------------------------------------------------------------
    void clearWebsiteFields();
    bool isValidFields();

    // --- Engines page and Engines menu ---------------------------------------------------------
    void chkType_Click(int Index);
    void cmdSelectEngine_Click(int Index);
    void cmdRemoveEngine_Click(int Index);
    void lsvEngines_DblClick();
    void lsvEngines_KeyDown(int KeyCode);
    void lsvSelectedEngines_KeyDown(int KeyCode);
    void txtFindEngines_KeyDown(int KeyCode);
    void lstCountry_Click();
    void mnuEngines_Click();
    void mnuEngineItems_Click(int Index);
    QString getEngineType() const;

    // --- Toolbar, menus, reports -----------------------------------------------------------------
    void ToolbarMain_ButtonClick(const QString &key);
    void mnuToolsItems_Click(int Index);
    void mnuHelpItems_Click(int Index);
    void mnuImportItems_Click(int Index);
    void optAdultSite_Click(int Index);
    void lsvReports_ColumnClick(int column);
    void cmdViewReport_Click();

    void lstMainCategory_Click();
    void RefreshEngineData();
    void resizeControl();
    void resizeTabControl();
    void resizeCustomTabControl();

    // The texts the load handler shows when engine data is missing.
    static QString missingEngineDataUpdateText();
    static QString missingEngineDataText();

    // Toolbar button by key (ignoring case), or null.
    QAction *toolbarButton(const QString &key) const;

    // A control's free text tag (the list views keep theirs in their rows).
    static QString controlTag(const QWidget *control);
    static void setControlTag(QWidget *control, const QString &tag);

    int m_intRefreshEngineData = 0;
    QTreeWidgetItem *m_currentNode = nullptr;
    QTreeWidgetItem *m_rootNode = nullptr;
    bool m_bTypeClick = false;
    bool m_bAutoSave = false;
    bool m_bDragging = false;
    bool m_bSkipAutoSaveOnce = false;
    QString m_sSiteFile;
    QString m_sTextBeforeEdit;
    QString m_sNewSiteMarker;   // "NewWeb" from a new site by name until the next site click
    int m_intSitePage = 0;      // 1 while the site pages show
    Qt::SortOrder m_reportsOrder = Qt::AscendingOrder;

    // Page classes.
    ProjectTreePane *projectTree = nullptr;
    ProjectPage *projectPage = nullptr;
    SitePages *sitePages = nullptr;
    ReportsList *reportsList = nullptr;
    EnginesPage *enginesPage = nullptr;

    // Window frame.
    QToolBar *ToolbarMain = nullptr;
    QVector<QAction *> ToolbarMainButtons;   // button 1 is item 0
    Platform::StatusBar *StatusBar1 = nullptr;
    QSplitter *imgSpliter = nullptr;
    QWidget *fraMainLeft = nullptr;
    QLabel *lblProjectTitle = nullptr;
    QTreeWidget *TreeView1 = nullptr;
    QTreeWidget *tvProject = nullptr;   // the same tree

    // Menus (separators are items too, so indexes match the menu positions).
    QMenu *mnuFile = nullptr;
    QVector<QAction *> mnuFileItems;
    QMenu *mnuImport = nullptr;
    QVector<QAction *> mnuImportItems;
    QMenu *mnuEngines = nullptr;
    QVector<QAction *> mnuEngineItems;
    QMenu *mnuTools = nullptr;
    QVector<QAction *> mnuToolsItems;
    QMenu *mnuHelp = nullptr;
    QVector<QAction *> mnuHelpItems;
    QMenu *mnuPopup = nullptr;
    QVector<QAction *> mnuPopupItems;

    // Project page.
    QTabWidget *SSTab2 = nullptr;
    QMap<int, QGroupBox *> fraSiteInfo;   // 0 project description frame, 1 site details frame
    QPlainTextEdit *txtProjectDescr = nullptr;
    QLabel *lblProject = nullptr;
    QLabel *lblWebProject = nullptr;
    QLabel *lblQuickStartTips = nullptr;

    // Site pages.
    QTabWidget *SSTab1 = nullptr;
    QLineEdit *txtSiteTitle = nullptr;
    QPlainTextEdit *txtSiteKeywords = nullptr;
    QPlainTextEdit *txtSiteDescription = nullptr;
    QComboBox *cboWebType = nullptr;
    QComboBox *cboLanguage = nullptr;
    QPushButton *cmdGetSiteInfo = nullptr;
    QWidget *CoolBarSiteURL = nullptr;
    QToolBar *ToolbarSiteURL = nullptr;
    QVector<QAction *> ToolbarSiteURLButtons;
    KeyedListView *lsvSiteURLs = nullptr;
    QGroupBox *fraSiteURls = nullptr;
    QLineEdit *txtURLFileLocation = nullptr;
    QPushButton *cmdFileLocation = nullptr;
    QLineEdit *txtURLTitle = nullptr;
    QPlainTextEdit *txtURLKeyword = nullptr;
    QPlainTextEdit *txtURLDescription = nullptr;
    QLabel *lblMetaTag = nullptr;
    QMap<int, QLabel *> Label1;
    QGroupBox *fraContactInfo = nullptr;
    QLineEdit *txtName = nullptr;
    QLineEdit *txtEmail = nullptr;
    QLineEdit *txtCompany = nullptr;
    QLineEdit *txtAddress = nullptr;
    QLineEdit *txtCity = nullptr;
    QLineEdit *txtState = nullptr;
    QLineEdit *txtPostcode = nullptr;
    QComboBox *cboCountry = nullptr;
    QLineEdit *txtPhone = nullptr;
    QLineEdit *txtFax = nullptr;
    QLineEdit *txtPassword = nullptr;
    QTabWidget *tabCategory = nullptr;
    QListWidget *lstMainCategory = nullptr;
    QListWidget *lstCategory = nullptr;
    QMap<int, QLabel *> lblCategory;
    QComboBox *cboCustomEngines = nullptr;
    QLineEdit *txtCustomCategory = nullptr;
    KeyedListView *lsvCustomMainCategory = nullptr;
    KeyedListView *lsvCustomSubCategory = nullptr;
    QLabel *lblReadyToSubmit = nullptr;
    KeyedListView *lsvReports = nullptr;
    QPushButton *cmdViewReport = nullptr;

    // Engines page.
    QTabWidget *SSTab3 = nullptr;
    EngineListView *lsvEngines = nullptr;
    EngineListView *lsvSelectedEngines = nullptr;
    QVector<QPushButton *> cmdSelectEngine;
    QVector<QPushButton *> cmdRemoveEngine;
    QVector<QGroupBox *> fraEngines;
    QVector<QCheckBox *> chkType;
    QListWidget *lstCountry = nullptr;
    QLineEdit *txtFindEngines = nullptr;
    QVector<QRadioButton *> optAdultSite;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    frmMain();
    // The failure box of adding a tree node, and its text for a key already taken.
    static void reportAddNodeError(const QString &error);
    static QString duplicateKeyError(const QString &key);
    void buildMenus();
    void buildToolbar();
    void takeControlsFromPages();
    void wireEvents();
    void createProgramFolders(QString &step);
    void applySettingStep();
    void setUpListColumns();
    void clearStatusText();
    void checkEngineData();
    // Shows the update window modally; m_intRefreshEngineData then tells whether it stored the data.
    void execUpdateEngines();
    void loadEngineData();
    void selectFirstNode();
    void showPageSet(QTabWidget *pageSet);
    void releaseData();
    void wireTreeEvents();
    void wireEnginesPage();
    void wireCommands();
    void selectNodeQuietly(QTreeWidgetItem *node);
    void restartLabelEdit(QTreeWidgetItem *node, const QString &typed);
    bool renameNode(QTreeWidgetItem *node, const QString &NewString);
    void rekeyNode(QTreeWidgetItem *node, const QString &newKey);
    void sortChildrenIgnoringCase(QTreeWidgetItem *node);
    QString askNewName(const QString &sType);
    bool isAcceptableNewName(const QString &name);
    void forgetNewNode(QTreeWidgetItem *previous);
    void setAllTypeBoxes(bool checked);
    void saveSelectedEngineList(const QString &folder, const QString &filter);
    void showEnginesPage();

    TreeLabelDelegate *m_treeDelegate = nullptr;
    bool m_bSelectingNode = false;
    QTreeWidgetItem *m_nodeChangedByUser = nullptr;

    std::unique_ptr<clsMain> m_clsMain;
    static QPointer<frmMain> s_instance;
};

// The main window, or null when it does not exist.
frmMain *mainWindow();
