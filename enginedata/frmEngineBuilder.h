#pragma once
// The "Engine Builder" window, modeless: the user's own engines on the left, the engine being
// edited in four tabs. It fetches an engine's submission page, reduces it to its forms, reads the
// fields into a definition and keeps the definitions in its custom engine store, whose files it
// writes when it closes if they changed. One instance, created on first use and deleted when it
// closes, so a page that arrives later finds no receiver.
#include <QDialog>
#include <QLatin1StringView>
#include <QPointer>
#include <QSet>
#include <QVector>

#include "enginedata/CustomEngineStore.h"
#include "enginedata/EngineDefinition.h"
#include "platform/Dialogs.h"

class KeyedListView;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolBar;
class QTreeWidgetItem;
class QVBoxLayout;
namespace Platform { class StatusBar; }

class frmEngineBuilder : public QDialog {
    Q_OBJECT
public:
    static frmEngineBuilder *instance();
    // The window when it is loaded, else null.
    static frmEngineBuilder *loadedInstance();

    // The page fetch's request kind of the pages this window reads engines from.
    static constexpr QLatin1StringView kRequestKind{"EngineBuilder"};
    static constexpr QLatin1StringView kTitle{"Engine Builder"};

    enum Tab { SourceTab = 0, FieldsTab = 1, CategoryTab = 2, SettingsTab = 3 };

    // Commands, as the toolbar, the menus and the buttons run them.
    void Toolbar1_ButtonClick(const QString &key);
    void mnuFileItems_Click(int index);
    void mnuHelpItems_Click(int index);
    void cmdGetSource_Click();
    void cmdGetFields_Click();
    void cmdUpdate_Click(int index);
    void cmdUpdateCategory_Click();
    void lstEngines_Click();
    void lsvDataFields_ItemClick(const QString &key);
    void lsvCategory_ItemClick(const QString &key);
    void lsvCategory_KeyDown(int keyCode);
    void lsvCategory_ColumnClick(int column);
    void cboEngineType_Click();

    // The fetched page's skeleton into the source box.
    void getDataFromHTML(const QString &page);
    // The source box's fields into the data-field rows, method and action.
    void getFields();
    // Controls into a record; false (nothing changed) when a field is refused.
    bool saveEngineData();
    void getEngineData(qsizetype index);
    void ClearFields();
    void setQueryData(const QString &query);
    void setCategoryData(const QString &categoryData);
    // Whether the main engine database holds the name for an engine other than one a merge put
    // there: those came from the custom engine file and stay the user's to edit.
    bool isEngineExist(const QString &name) const;
    bool isEngineInList(const QString &name) const;
    void mergeEngineFile();
    void exportEngineList();

    CustomEngineStore &store() { return m_store; }
    // Record indexes in list order.
    QList<qsizetype> listOrder() const;

    QListWidget *lstEngines = nullptr;
    QLabel *lblEngines = nullptr;
    QTabWidget *SSTab1 = nullptr;
    QLineEdit *txtEngineName = nullptr;
    QLineEdit *txtEngineURL = nullptr;
    QLineEdit *txtSubmitURL = nullptr;
    QPushButton *cmdGetSource = nullptr;
    QPlainTextEdit *txtSource = nullptr;
    QPushButton *cmdGetFields = nullptr;
    QComboBox *cboMethod = nullptr;
    QLineEdit *txtAction = nullptr;
    QComboBox *cboCategory = nullptr;
    KeyedListView *lsvDataFields = nullptr;
    QLineEdit *txtFieldName = nullptr;
    QLineEdit *txtValue = nullptr;
    QVector<QPushButton *> cmdUpdate;
    KeyedListView *lsvCategory = nullptr;
    QLineEdit *txtDefaultCategory = nullptr;
    QLineEdit *txtEngineCategory = nullptr;
    QPushButton *cmdUpdateCategory = nullptr;
    QLineEdit *txtCountry = nullptr;
    QCheckBox *chkCountry = nullptr;
    QComboBox *cboEngineType = nullptr;
    QLineEdit *txtLanguage = nullptr;
    QComboBox *cboSiteLevel = nullptr;
    QLineEdit *txtMaxTitle = nullptr;
    QLineEdit *txtMaxKeywords = nullptr;
    QLineEdit *txtMaxDescription = nullptr;
    QCheckBox *chkAllowAdultSite = nullptr;
    QCheckBox *chkAdultOnlySite = nullptr;
    QToolBar *Toolbar1 = nullptr;
    QVector<QAction *> Toolbar1Buttons;
    QVector<QAction *> mnuFileItems;
    QVector<QAction *> mnuHelpItems;
    Platform::StatusBar *StatusBar1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit frmEngineBuilder(QWidget *parent = nullptr);
    void buildMenusAndToolbar(QVBoxLayout *layout);
    QWidget *buildSourceTab();
    QWidget *buildFieldsTab();
    QWidget *buildCategoryTab();
    QWidget *buildSettingsTab();
    void wireEvents();
    void Form_Load();
    void loadCategory();
    void loadEngines();
    void readEngineDatabase();
    // The case-folded names of the merged engines in the loaded engine collection: those of the
    // engine database when first asked after the collection was loaded, joined by every merge since.
    static const QSet<QString> &mergedNamesOfLoadedEngines();
    // The names of the user's own engines that the engine database also holds outside its merge
    // block: the program loads the database's engine of that name, never the user's.
    QStringList ownNamesTheDatabaseHolds(const QStringList &names) const;
    void newEngine();
    void deleteEngine();
    void showHelp();
    void saveEngineFile();
    void updateEngineCount();
    EngineDefinition::Controls controls() const;
    // A message box with the information icon and, unless given, the window's title.
    static int message(const QString &text, const QString &title = QString(), int style = Platform::Information);
    void addItem(const QString &fieldName, const QString &value);
    QString storedFieldValue(QTreeWidgetItem *row) const;

    static QPointer<frmEngineBuilder> s_instance;
    CustomEngineStore m_store;
    QSet<QString> m_vendorNames;   // case-folded: own engines' names the engine database holds before its merge block
    QString m_selectedFieldKey;   // the data-field row last clicked, by key
    bool m_closed = false;
};
