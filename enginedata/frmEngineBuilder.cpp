#include "enginedata/frmEngineBuilder.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/modCommon.h"
#include "enginedata/EngineDefinition.h"
#include "enginedata/FormReader.h"
#include "platform/ColumnFractions.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/ImageList.h"
#include "platform/KeyedListView.h"
#include "platform/Numbers.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/modDataFiles.h"
#include "sitedata/modEngineData.h"
#include "transport/frmHTTP.h"
#include "platform/modDSSockLog.h"

namespace {

QByteArray engineDatabaseBytes()
{
    const QString path = Platform::joinPath(Platform::engineDataFolder(), QLatin1String(CustomEngineStore::kEngineDataFileName));
    return Platform::readBinaryFile(path).value_or(QByteArray());
}

// The merged engines of the loaded engine collection, known from the first look after the
// collection was loaded: it keeps an engine that a later merge dropped until it is loaded again.
struct LoadedMergedNames {
    QSet<QString> names;   // case-folded
    bool known = false;
};

LoadedMergedNames &loadedMergedNames()
{
    static LoadedMergedNames state;
    static const int forgetOnLoad = myEngines().addClearHandler([] { state = LoadedMergedNames(); });
    Q_UNUSED(forgetOnLoad)
    return state;
}

// Adds the captions as items of the menu; "-" is a separator (still an item, so indexes match).
QVector<QAction *> addMenuItems(QMenu *menu, const QStringList &captions)
{
    QVector<QAction *> items;
    for (const QString &caption : captions)
        items.append(caption == QLatin1String("-") ? menu->addSeparator() : menu->addAction(caption));
    return items;
}

QLineEdit *lineEdit(const char *name)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QHBoxLayout *rightAligned(QPushButton *button)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(button);
    return row;
}

} // namespace
QPointer<frmEngineBuilder> frmEngineBuilder::s_instance;

frmEngineBuilder *frmEngineBuilder::instance()
{
    if (!s_instance)
        s_instance = new frmEngineBuilder;
    return s_instance;
}

frmEngineBuilder *frmEngineBuilder::loadedInstance()
{
    return s_instance;
}

frmEngineBuilder::frmEngineBuilder(QWidget *parent)
    : QDialog(parent), m_store(Platform::engineDataFolder())
{
    setObjectName(QStringLiteral("frmEngineBuilder"));
    setWindowTitle(QString(kTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto *layout = new QVBoxLayout(this);
    buildMenusAndToolbar(layout);
    auto *splitter = new QSplitter;
    auto *left = new QWidget;
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    lblEngines = new QLabel(QStringLiteral("Engines: 0"));
    lblEngines->setObjectName(QStringLiteral("lblEngines"));
    lstEngines = new QListWidget;
    lstEngines->setObjectName(QStringLiteral("lstEngines"));
    leftLayout->addWidget(lblEngines);
    leftLayout->addWidget(lstEngines);
    SSTab1 = new QTabWidget;
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->addTab(buildSourceTab(), QStringLiteral("Engine Source"));
    SSTab1->addTab(buildFieldsTab(), QStringLiteral("Data Fields"));
    SSTab1->addTab(buildCategoryTab(), QStringLiteral("Category"));
    SSTab1->addTab(buildSettingsTab(), QStringLiteral("Settings"));
    splitter->addWidget(left);
    splitter->addWidget(SSTab1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 640});
    layout->addWidget(splitter, 1);
    StatusBar1 = new Platform::StatusBar(1);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    layout->addWidget(StatusBar1);
    resize(860, 600);
    // Enter belongs to the box it is typed in (Enter in the value box updates the row): a default
    // button would also run, and "Get Fields >>" would throw the rows away.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);

    wireEvents();
    frmHTTP::PageReceiver receiver;
    receiver.pageArrived = [this](const QString &page, int) {
        if (!m_closed)
            getDataFromHTML(page);
    };
    // The fetch has shown its box, naming the server and what went wrong.
    receiver.connectFailed = [this] {
        Platform::setBusyPointer(false);
        StatusBar1->setPanelText(1, QString());
    };
    frmHTTP::setReceiver(kRequestKind, this, receiver);
    Form_Load();
}

void frmEngineBuilder::buildMenusAndToolbar(QVBoxLayout *layout)
{
    auto *menuBar = new QMenuBar;
    QMenu *file = menuBar->addMenu(QStringLiteral("&File"));
    mnuFileItems = addMenuItems(file, {QStringLiteral("&New"), QStringLiteral("-"), QStringLiteral("&Save"),
                                       QStringLiteral("&Delete"), QStringLiteral("-"),
                                       QStringLiteral("&Merge Engine Data"), QStringLiteral("&Export Engine List"),
                                       QStringLiteral("-"), QStringLiteral("&Exit")});
    QMenu *help = menuBar->addMenu(QStringLiteral("Help"));
    mnuHelpItems = addMenuItems(help, {QStringLiteral("&Contents")});
    layout->setMenuBar(menuBar);

    Toolbar1 = new QToolBar;
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const struct { const char *key, *tip, *image; } buttons[] = {
        {"New", "Create a New Engine", "Clear"}, {nullptr, nullptr, nullptr},
        {"Save", "Save Engine Data", "Save"}, {"Delete", "Delete Selected Engine", "Delete"},
        {nullptr, nullptr, nullptr}, {"Merge", "Merge Engine Data", "Merge"}, {nullptr, nullptr, nullptr},
        {"Exit", "Exit Engine Builder", "Exit"},
    };
    for (const auto &button : buttons) {
        if (!button.key) {
            Toolbar1->addSeparator();
            continue;
        }
        QAction *action = Toolbar1->addAction(ImageList::icon(QLatin1String(button.image)), QLatin1String(button.key));
        action->setData(QLatin1String(button.key));
        action->setToolTip(QLatin1String(button.tip));
        Toolbar1Buttons.append(action);
    }
    layout->addWidget(Toolbar1);
}

QWidget *frmEngineBuilder::buildSourceTab()
{
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    txtEngineName = lineEdit("txtEngineName");
    txtEngineURL = lineEdit("txtEngineURL");
    txtSubmitURL = lineEdit("txtSubmitURL");
    cmdGetSource = new QPushButton(QStringLiteral(">>"));
    cmdGetSource->setObjectName(QStringLiteral("cmdGetSource"));
    cmdGetSource->setToolTip(QStringLiteral("Get source from submit page"));
    auto *submitRow = new QHBoxLayout;
    submitRow->addWidget(txtSubmitURL, 1);
    submitRow->addWidget(cmdGetSource);
    form->addRow(QStringLiteral("Engine Name:"), txtEngineName);
    form->addRow(QStringLiteral("Home URL:"), txtEngineURL);
    form->addRow(QStringLiteral("Submit URL:"), submitRow);
    txtSource = new QPlainTextEdit;
    txtSource->setObjectName(QStringLiteral("txtSource"));
    txtSource->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtSource->setTabChangesFocus(true);
    txtSource->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    form->addRow(txtSource);
    cmdGetFields = new QPushButton(QStringLiteral("Get Fields >>"));
    cmdGetFields->setObjectName(QStringLiteral("cmdGetFields"));
    form->addRow(rightAligned(cmdGetFields));
    return page;
}

QWidget *frmEngineBuilder::buildFieldsTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *form = new QFormLayout;
    cboMethod = new QComboBox;
    cboMethod->setObjectName(QStringLiteral("cboMethod"));
    cboMethod->setEditable(true);
    txtAction = lineEdit("txtAction");
    cboCategory = new QComboBox;
    cboCategory->setObjectName(QStringLiteral("cboCategory"));
    form->addRow(QStringLiteral("Method:"), cboMethod);
    form->addRow(QStringLiteral("Action:"), txtAction);
    form->addRow(QStringLiteral("Request Category:"), cboCategory);
    layout->addLayout(form);
    lsvDataFields = new KeyedListView;
    lsvDataFields->setObjectName(QStringLiteral("lsvDataFields"));
    lsvDataFields->setHeaderLabels({QStringLiteral("Field Name"), QStringLiteral("Variable/Value")});
    layout->addWidget(lsvDataFields, 1);
    auto *edit = new QGroupBox(QStringLiteral("Edit"));
    auto *editForm = new QFormLayout(edit);
    txtFieldName = lineEdit("txtFieldName");
    txtValue = lineEdit("txtValue");
    editForm->addRow(QStringLiteral("Field Name:"), txtFieldName);
    editForm->addRow(QStringLiteral("Value:"), txtValue);
    QHBoxLayout *buttons = nullptr;
    for (const char *caption : {"&Update", "&Delete"}) {
        auto *button = new QPushButton(QLatin1String(caption));
        button->setObjectName(QStringLiteral("cmdUpdate%1").arg(cmdUpdate.size()));
        cmdUpdate.append(button);
        if (buttons)
            buttons->addWidget(button);
        else
            buttons = rightAligned(button);
    }
    editForm->addRow(buttons);
    layout->addWidget(edit);
    return page;
}

QWidget *frmEngineBuilder::buildCategoryTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    lsvCategory = new KeyedListView;
    lsvCategory->setObjectName(QStringLiteral("lsvCategory"));
    lsvCategory->setHeaderLabels({QStringLiteral("Default Category"), QStringLiteral("Engine Category")});
    lsvCategory->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(lsvCategory, 1);
    auto *form = new QFormLayout;
    txtDefaultCategory = lineEdit("txtDefaultCategory");
    txtEngineCategory = lineEdit("txtEngineCategory");
    form->addRow(QStringLiteral("Default Category:"), txtDefaultCategory);
    form->addRow(QStringLiteral("Engine Category:"), txtEngineCategory);
    cmdUpdateCategory = new QPushButton(QStringLiteral("&Update"));
    cmdUpdateCategory->setObjectName(QStringLiteral("cmdUpdateCategory"));
    form->addRow(rightAligned(cmdUpdateCategory));
    layout->addLayout(form);
    return page;
}

QWidget *frmEngineBuilder::buildSettingsTab()
{
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    txtCountry = lineEdit("txtCountry");
    txtCountry->setMaximumWidth(60);
    auto *countryRow = new QHBoxLayout;
    countryRow->addWidget(txtCountry);
    countryRow->addWidget(new QLabel(QStringLiteral("(Use two character country code such as : au, uk, de. Or leave blank if \"us\")")), 1);
    form->addRow(QStringLiteral("Engine Home Country:"), countryRow);
    chkCountry = new QCheckBox(QStringLiteral("Specified country only"));
    form->addRow(QString(), chkCountry);
    cboEngineType = new QComboBox;
    cboEngineType->setObjectName(QStringLiteral("cboEngineType"));
    form->addRow(QStringLiteral("Engine Type:"), cboEngineType);
    txtLanguage = lineEdit("txtLanguage");
    txtLanguage->setMaximumWidth(200);
    form->addRow(QStringLiteral("Language:"), txtLanguage);
    cboSiteLevel = new QComboBox;
    cboSiteLevel->setObjectName(QStringLiteral("cboSiteLevel"));
    cboSiteLevel->setEditable(true);
    auto *levelRow = new QHBoxLayout;
    levelRow->addWidget(cboSiteLevel);
    levelRow->addWidget(new QLabel(QStringLiteral("(1 is the most important one)")), 1);
    form->addRow(QStringLiteral("Site Level:"), levelRow);
    for (auto [edit, name, caption] : {std::tuple{&txtMaxTitle, "txtMaxTitle", "Max Title:"},
                                       std::tuple{&txtMaxKeywords, "txtMaxKeywords", "Max Keywords:"},
                                       std::tuple{&txtMaxDescription, "txtMaxDescription", "Max Description:"}}) {
        *edit = lineEdit(name);
        (*edit)->setMaximumWidth(80);
        auto *row = new QHBoxLayout;
        row->addWidget(*edit);
        row->addWidget(new QLabel(QStringLiteral("characters")), 1);
        form->addRow(QLatin1String(caption), row);
    }
    auto *adult = new QGroupBox(QStringLiteral("Adult Site"));
    auto *adultLayout = new QVBoxLayout(adult);
    chkAllowAdultSite = new QCheckBox(QStringLiteral("Allow adult sites"));
    chkAdultOnlySite = new QCheckBox(QStringLiteral("Adult Only Site"));
    adultLayout->addWidget(chkAllowAdultSite);
    adultLayout->addWidget(chkAdultOnlySite);
    form->addRow(adult);
    return page;
}

void frmEngineBuilder::wireEvents()
{
    for (QAction *action : Toolbar1Buttons)
        connect(action, &QAction::triggered, this, [this, action] { Toolbar1_ButtonClick(action->data().toString()); });
    for (int i = 0; i < mnuFileItems.size(); ++i)
        connect(mnuFileItems[i], &QAction::triggered, this, [this, i] { mnuFileItems_Click(i); });
    connect(mnuHelpItems[0], &QAction::triggered, this, [this] { mnuHelpItems_Click(0); });
    connect(cmdGetSource, &QPushButton::clicked, this, [this] { cmdGetSource_Click(); });
    connect(cmdGetFields, &QPushButton::clicked, this, [this] { cmdGetFields_Click(); });
    connect(txtSource, &QPlainTextEdit::textChanged, this, [this] { cmdGetFields->setEnabled(true); });
    for (int i = 0; i < cmdUpdate.size(); ++i)
        connect(cmdUpdate[i], &QPushButton::clicked, this, [this, i] { cmdUpdate_Click(i); });
    connect(txtValue, &QLineEdit::returnPressed, this, [this] { cmdUpdate_Click(0); });
    connect(cmdUpdateCategory, &QPushButton::clicked, this, [this] { cmdUpdateCategory_Click(); });
    connect(lstEngines, &QListWidget::currentRowChanged, this, [this] { lstEngines_Click(); });
    connect(lsvDataFields, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *row) { lsvDataFields_ItemClick(Platform::itemKey(row)); });
    connect(lsvCategory, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *row) { lsvCategory_ItemClick(Platform::itemKey(row)); });
    // The data-field rows are the stored query in its order: their header sorts nothing.
    lsvDataFields->header()->setSectionsClickable(false);
    lsvCategory->header()->setSectionsClickable(true);
    connect(lsvCategory->header(), &QHeaderView::sectionClicked, this, [this](int column) { lsvCategory_ColumnClick(column); });
    connect(cboEngineType, &QComboBox::activated, this, [this] { cboEngineType_Click(); });
    lsvCategory->installEventFilter(this);
}

void frmEngineBuilder::Form_Load()
{
    modCommon::centerForm(this);
    Platform::keepColumnFractions(lsvDataFields, {0.5, 0.5});
    Platform::keepColumnFractions(lsvCategory, {2.0 / 3.0, 1.0 / 3.0});
    loadCategory();
    cboMethod->addItems({QStringLiteral("Get"), QStringLiteral("Post")});
    for (const EngineDefinition::EngineType &type : EngineDefinition::kEngineTypes)
        cboEngineType->addItem(QLatin1String(type.text));
    cboCategory->addItems({QStringLiteral("No"), QStringLiteral("Yes")});
    cboCategory->setCurrentIndex(1);
    cboSiteLevel->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")});
    cboSiteLevel->setCurrentIndex(-1);
    cboEngineType->setCurrentIndex(0);
    cboEngineType_Click();
    loadEngines();
}

void frmEngineBuilder::loadCategory()
{
    const QString path = Platform::joinPath(Platform::programFolder(), QStringLiteral("cat.vqs"));
    if (!Platform::fileExists(path))
        return;
    const auto lines = modDataFiles::readLines(path);
    if (!lines) {
        modDSSock::writeErrorLog(QStringLiteral("------Load Category Fail ------\r\nBuffer=\r\n"));
        message(QStringLiteral("Module: loadCategory()\r\ncannot read ") + path, QStringLiteral("Load Category"));
        return;
    }
    // A key already there (a repeated sub-category, one named like a main category) is refused.
    for (const auto &category : modEngineData::parseCategoryList(*lines).categories) {
        const QString &main = category.MainCategory;
        lsvCategory->addRow(main, {main, QString()}, QStringLiteral("TickOff"));
        for (const QString &sub : category.SubCategories)
            lsvCategory->addRow(sub, {main + QStringLiteral(" >> ") + sub, QString()}, QStringLiteral("TickOff"));
    }
}

const QSet<QString> &frmEngineBuilder::mergedNamesOfLoadedEngines()
{
    LoadedMergedNames &loaded = loadedMergedNames();
    if (!loaded.known)
        loaded.names = CustomEngineMerge::mergedEngineNames(engineDatabaseBytes());
    loaded.known = true;
    return loaded.names;
}

// Reads the engine database's merged engines (joined to those of the loaded engines) and which
// of the user's engines it also holds outside its merge block.
void frmEngineBuilder::readEngineDatabase()
{
    const QByteArray database = engineDatabaseBytes();
    const QSet<QString> merged = CustomEngineMerge::mergedEngineNames(database);
    LoadedMergedNames &loaded = loadedMergedNames();
    loaded.names.unite(merged);
    loaded.known = true;
    QSet<QString> own = merged;
    for (const CustomEngineRecord &record : m_store.records())
        own.insert(record.Name.toCaseFolded());
    m_vendorNames = CustomEngineMerge::vendorEngineNames(database, own);
}

QStringList frmEngineBuilder::ownNamesTheDatabaseHolds(const QStringList &names) const
{
    QStringList held;
    for (const QString &name : names) {
        if (m_vendorNames.contains(name.toCaseFolded()))
            held.append(name);
    }
    return held;
}

void frmEngineBuilder::loadEngines()
{
    m_store.load();
    readEngineDatabase();
    const QSignalBlocker blocker(lstEngines);
    // All names in one insertion: one at a time costs the view a round of work per entry.
    QStringList names;
    names.reserve(m_store.records().size());
    for (const CustomEngineRecord &record : m_store.records())
        names.append(record.Name);
    lstEngines->addItems(names);
    for (int i = 0; i < lstEngines->count(); ++i)
        lstEngines->item(i)->setData(Qt::UserRole, qlonglong(i));
    updateEngineCount();
    if (!m_store.errors().isEmpty())
        message(m_store.errors().first());
}

QList<qsizetype> frmEngineBuilder::listOrder() const
{
    QList<qsizetype> order;
    for (int i = 0; i < lstEngines->count(); ++i)
        order.append(qsizetype(lstEngines->item(i)->data(Qt::UserRole).toLongLong()));
    return order;
}

void frmEngineBuilder::updateEngineCount()
{
    lblEngines->setText(QStringLiteral("Engines: ") + QString::number(lstEngines->count()));
}

void frmEngineBuilder::lstEngines_Click()
{
    QListWidgetItem *entry = lstEngines->currentItem();
    if (!entry)
        return;
    m_selectedFieldKey.clear();
    getEngineData(qsizetype(entry->data(Qt::UserRole).toLongLong()));
}
// ---- Page fetch and forms


void frmEngineBuilder::cmdGetSource_Click()
{
    const QString url = txtSubmitURL->text();
    if (url.isEmpty()) {
        message(QStringLiteral("Please enter engine submit URL."));
        txtSubmitURL->setFocus();
        return;
    }
    StatusBar1->setPanelText(1, QStringLiteral("Retrieving data from ") + url + QStringLiteral(" ...."));
    Platform::setBusyPointer(true);
    txtSource->clear();
    frmHTTP *fetch = frmHTTP::instance();
    fetch->Tag = kRequestKind;
    fetch->Connect(url);
}

void frmEngineBuilder::cmdGetFields_Click()
{
    getFields();
}

void frmEngineBuilder::getDataFromHTML(const QString &page)
{
    Platform::setBusyPointer(true);
    StatusBar1->setPanelText(1, QStringLiteral("Parse data ...."));
    modCommon::setMultiLineText(txtSource, FormReader::skeleton(page));
    Platform::setBusyPointer(false);
    cmdGetFields->setEnabled(true);
    StatusBar1->setPanelText(1, QString());
}

void frmEngineBuilder::getFields()
{
    Platform::setBusyPointer(true);
    ClearFields();
    const FormReader::FormFields found = FormReader::fields(modCommon::multiLineText(txtSource));
    cboMethod->setEditText(found.method);
    txtAction->setText(found.action);
    for (const FormReader::FieldRow &row : found.rows)
        addItem(row.name, row.value);
    Platform::setBusyPointer(false);
    if (!found.error.isEmpty()) {
        message(found.error, QLatin1String(Platform::kApplicationTitle));
        return;
    }
    cboCategory->setCurrentIndex(0);
    cmdGetFields->setEnabled(false);
    SSTab1->setCurrentIndex(FieldsTab);
}

// ---- Editing
bool frmEngineBuilder::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lsvCategory && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete)
        lsvCategory_KeyDown(46);
    return QDialog::eventFilter(watched, event);
}

int frmEngineBuilder::message(const QString &text, const QString &title, int style)
{
    return Platform::msgBox(text, style, title.isEmpty() ? QString(kTitle) : title);
}

// ---- Closing

// Esc would throw away the engine being edited: only Exit and the title bar close the window.
void frmEngineBuilder::reject()
{
}

void frmEngineBuilder::closeEvent(QCloseEvent *event)
{
    if (!m_closed) {
        m_closed = true;
        // Unchanged files stay as they are, also those the load could not read.
        if (m_store.changed(listOrder()))
            saveEngineFile();
    }
    // The window goes once the event is done (it is deleted on close); the next instance() is new.
    if (s_instance == this)
        s_instance = nullptr;
    event->accept();
}
