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

const QString kTitle = QStringLiteral("Engine Builder");

struct EngineType {
    const char *text;
    const char *code;
    const char *siteLevel;   // preset when the type is picked
};

constexpr EngineType kEngineTypes[] = {
    {"General Engine", "ENG", "1"}, {"Directory", "DIR", "1"}, {"FFA Links", "FFA", "5"},
    {"News/Classified", "NEWS", "3"}, {"Online Mall", "MALL", "3"}, {"Hot Sites", "HOT", "3"},
    {"Miscellaneous", "MIS", "3"},
};
constexpr int kFfaLinks = 2;

int message(const QString &text, const QString &title = kTitle, int style = Platform::Information)
{
    return Platform::msgBox(text, style, title);
}

QString yesNo(bool ticked)
{
    return ticked ? QStringLiteral("Yes") : QStringLiteral("No");
}

bool beginsWithY(const QString &text)
{
    return text.startsWith(QLatin1Char('Y'), Qt::CaseInsensitive);
}

QString withScheme(const QString &url)
{
    return url.contains(QLatin1String("://")) ? url : QStringLiteral("http://") + url;
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

void setMapping(QTreeWidgetItem *row, const QString &engineCategory)
{
    row->setText(1, engineCategory);
    setItemImageKey(row, engineCategory.isEmpty() ? QStringLiteral("TickOff") : QStringLiteral("Tick"));
}

// The row the list shows as selected, or null.
QTreeWidgetItem *selectedRow(const KeyedListView *list)
{
    QTreeWidgetItem *row = list->currentItem();
    return row && row->isSelected() ? row : nullptr;
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
    setWindowTitle(kTitle);
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
    // The fetch has told the user; the status text stays as a trace of what was tried.
    receiver.connectFailed = [] { Platform::setBusyPointer(false); };
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
    for (KeyedListView *list : {lsvDataFields, lsvCategory}) {
        list->header()->setSectionsClickable(true);
        connect(list->header(), &QHeaderView::sectionClicked, this, [this, list](int column) { lsvColumnClick(list, column); });
    }
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
    for (const EngineType &type : kEngineTypes)
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

void frmEngineBuilder::loadEngines()
{
    m_store.load();
    const QSignalBlocker blocker(lstEngines);
    for (qsizetype i = 0; i < m_store.records().size(); ++i) {
        auto *entry = new QListWidgetItem(m_store.records().at(i).Name, lstEngines);
        entry->setData(Qt::UserRole, qlonglong(i));
    }
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

void frmEngineBuilder::Toolbar1_ButtonClick(const QString &key)
{
    auto is = [&key](const char *name) { return key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("New")) {
        newEngine();
    } else if (is("Save")) {
        saveEngineData();
    } else if (is("Delete")) {
        deleteEngine();
    } else if (is("Merge")) {
        const QString question = QStringLiteral("This will merge your own customized engine data file with the default "
                                                "engine data file.\r\n\r\nDo you want to continue?");
        if (message(question, kTitle, Platform::YesNo | Platform::Information) == Platform::Yes)
            mergeEngineFile();
    } else if (is("Exit")) {
        close();
    }
}

void frmEngineBuilder::mnuFileItems_Click(int index)
{
    static const char *const keys[] = {"New", nullptr, "Save", "Delete", nullptr, "Merge", nullptr, nullptr, "Exit"};
    if (index == 6)
        exportEngineList();
    else if (index >= 0 && index < int(std::size(keys)) && keys[index])
        Toolbar1_ButtonClick(QLatin1String(keys[index]));
}

void frmEngineBuilder::mnuHelpItems_Click(int index)
{
    if (index == 0)
        showHelp();
}

void frmEngineBuilder::showHelp()
{
    const QString helpFile = Platform::joinPath(Platform::programFolder(), QStringLiteral("vqzengb.hlp"));
    if (Platform::fileExists(helpFile))
        Platform::shellOpen(helpFile);
    else
        message(QStringLiteral("Help file is missing or could not be found."));
}

bool frmEngineBuilder::refuseBracketName(const QString &name)
{
    if (!name.contains(QLatin1Char(']')))
        return false;
    message(QStringLiteral("An engine name cannot contain ']'."));
    return true;
}

void frmEngineBuilder::newEngine()
{
    const QString name = Platform::inputBox(QStringLiteral("Please enter the name of the new engine you want to create: "),
                                            QStringLiteral("Create a new engine"))
                             .trimmed();
    if (name.isEmpty() || refuseBracketName(name))
        return;
    if (isEngineExist(name)) {
        message(QStringLiteral("This engine name is already exsit in the engine database. Please choose a different name."),
                QStringLiteral("New Engine"));
        return;
    }
    txtEngineName->setText(name);
    txtEngineURL->clear();
    txtSubmitURL->clear();
    txtSource->clear();
    ClearFields();
    SSTab1->setCurrentIndex(SourceTab);
}

void frmEngineBuilder::deleteEngine()
{
    if (lstEngines->count() == 0)
        return;
    QListWidgetItem *entry = lstEngines->currentItem();
    if (entry && !entry->isSelected())
        entry = nullptr;
    const QString question = QStringLiteral("You can not re-store the engine data once the engine has been deleted.\r\n\r\n"
                                            "Are you sure you want delete this engine : ")
                             + (entry ? entry->text() : QString()) + QStringLiteral(" ?");
    if (message(question, kTitle, Platform::YesNo | Platform::Information) != Platform::Yes || !entry)
        return;
    {
        const QSignalBlocker blocker(lstEngines);
        const qsizetype index = qsizetype(entry->data(Qt::UserRole).toLongLong());
        m_store.records().removeAt(index);
        delete entry;
        for (int i = 0; i < lstEngines->count(); ++i) {
            QListWidgetItem *other = lstEngines->item(i);
            const qlonglong at = other->data(Qt::UserRole).toLongLong();
            if (at > index)
                other->setData(Qt::UserRole, at - 1);
        }
        lstEngines->setCurrentRow(lstEngines->count() > 0 ? 0 : -1);
    }
    txtEngineName->clear();
    txtEngineURL->clear();
    txtSubmitURL->clear();
    ClearFields();
    if (lstEngines->count() > 0)
        lstEngines_Click();
    updateEngineCount();
}

void frmEngineBuilder::mergeEngineFile()
{
    Platform::setBusyPointer(true);
    StatusBar1->setPanelText(1, QStringLiteral("Merging engine data file ..."));
    const bool merged = m_store.merge(listOrder());
    StatusBar1->setPanelText(1, QString());
    Platform::setBusyPointer(false);
    if (merged)
        message(QStringLiteral("Merge engine data is completed. You need to close the program and re-open again to load "
                               "the new engine data."));
    else
        message(QStringLiteral("mergeEngineFile_Error: ") + m_store.lastError(), kTitle, Platform::Critical);
}

void frmEngineBuilder::exportEngineList()
{
    QStringList names;
    for (int i = 0; i < lstEngines->count(); ++i)
        names.append(lstEngines->item(i)->text());
    const QString path = Platform::joinPath(Platform::programFolder(), QStringLiteral("nenglist.txt"));
    if (m_store.exportList(path, names))
        Platform::shellOpen(path);
    else
        message(QStringLiteral("exportEngineList_Error: ") + m_store.lastError(), QStringLiteral("Engine List"), Platform::Critical);
}

void frmEngineBuilder::saveEngineFile()
{
    Platform::setBusyPointer(true);
    StatusBar1->setPanelText(1, QStringLiteral("Please wait while update custom engine data ..."));
    const bool saved = m_store.save(listOrder());
    Platform::setBusyPointer(false);
    if (!saved)
        message(QStringLiteral("saveEngineFile_Error: ") + m_store.lastError());
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

void frmEngineBuilder::addItem(const QString &fieldName, const QString &value)
{
    lsvDataFields->addRow(fieldName, {fieldName, value}, QString());
}

// ---- Editing

bool frmEngineBuilder::isEngineExist(const QString &name) const
{
    return myEngines().contains(name);
}

bool frmEngineBuilder::isEngineInList(const QString &name) const
{
    for (int i = 0; i < lstEngines->count(); ++i) {
        if (lstEngines->item(i)->text().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool frmEngineBuilder::saveEngineData()
{
    const QString name = txtEngineName->text().trimmed();
    if (name.isEmpty()) {
        message(QStringLiteral("Please enter engine name."));
        SSTab1->setCurrentIndex(SourceTab);
        txtEngineName->setFocus();
        return false;
    }
    if (refuseBracketName(name))
        return false;
    if (!txtAction->text().contains(QLatin1String("://"))) {
        message(QStringLiteral("Invalid Action Field ! Please make sure to use FULL URL path."));
        SSTab1->setCurrentIndex(FieldsTab);
        txtAction->setFocus();
        return false;
    }
    // Every conversion comes before any change, so a refused field leaves no half-made engine.
    const auto siteLevel = Platform::strictToInt16(cboSiteLevel->currentText());
    const auto maxTitle = Platform::lenientToInt32(txtMaxTitle->text());
    const auto maxKeywords = Platform::lenientToInt32(txtMaxKeywords->text());
    const auto maxDescription = Platform::lenientToInt32(txtMaxDescription->text());
    QString error;
    if (!siteLevel)
        error = QStringLiteral("The site level \"%1\" is not a whole number from -32768 to 32767.").arg(cboSiteLevel->currentText());
    else if (!maxTitle || !maxKeywords || !maxDescription)
        error = QStringLiteral("A maximum length is too large.");
    if (!error.isEmpty()) {
        message(QStringLiteral("saveEngineData_Error:") + error);
        return false;
    }

    QString mode = cboCategory->currentIndex() == 0 ? QStringLiteral("N")
                   : cboEngineType->currentIndex() == kFfaLinks ? QStringLiteral("F") : QStringLiteral("Y");
    QStringList query;
    for (QTreeWidgetItem *row : lsvDataFields->rows())
        query.append(row->text(0) + QLatin1Char('=') + row->text(1));
    QStringList categories;
    for (QTreeWidgetItem *row : lsvCategory->rows()) {
        if (!row->text(1).isEmpty())
            categories.append(Platform::itemKey(row) + QLatin1Char('=') + row->text(1));
    }
    if (!categories.isEmpty())
        mode = QStringLiteral("Y");

    qsizetype index = m_store.records().size();
    for (int i = 0; i < lstEngines->count(); ++i) {
        if (lstEngines->item(i)->text().compare(name, Qt::CaseInsensitive) == 0) {
            index = qsizetype(lstEngines->item(i)->data(Qt::UserRole).toLongLong());
            break;
        }
    }
    const bool isNew = index >= m_store.records().size();
    txtEngineURL->setText(withScheme(txtEngineURL->text()));
    txtSubmitURL->setText(withScheme(txtSubmitURL->text()));

    CustomEngineRecord record = isNew ? CustomEngineRecord() : m_store.records().at(index);
    record.Name = name;
    record.Home = txtEngineURL->text();
    record.AddURL = txtSubmitURL->text();
    record.Country = txtCountry->text();
    record.CountryOnly = yesNo(chkCountry->isChecked());
    const int type = cboEngineType->currentIndex();
    record.Type = type < 0 ? QString() : QLatin1String(kEngineTypes[type].code);
    record.Category = mode;
    record.CategoryData = categories.join(QLatin1Char('>'));
    record.Method = cboMethod->currentText();
    record.Action = txtAction->text();
    record.Query = query.join(QLatin1Char('&'));
    record.Adults = yesNo(chkAllowAdultSite->isChecked());
    record.AdultOnlySites = yesNo(chkAdultOnlySite->isChecked());
    record.Language = txtLanguage->text();
    record.MaxTitle = *maxTitle;
    record.MaxKeywords = *maxKeywords;
    record.MaxDescription = *maxDescription;
    record.SiteLevel = *siteLevel;
    if (isNew) {
        m_store.records().append(record);
        auto *entry = new QListWidgetItem(name);
        entry->setData(Qt::UserRole, qlonglong(index));
        lstEngines->addItem(entry);
        lstEngines->setCurrentItem(entry);
    } else {
        m_store.records()[index] = record;
    }
    updateEngineCount();
    return true;
}

void frmEngineBuilder::getEngineData(qsizetype index)
{
    if (index < 0 || index >= m_store.records().size())
        return;
    const CustomEngineRecord &r = m_store.records().at(index);
    txtFieldName->clear();
    txtValue->clear();
    txtSource->clear();
    txtEngineName->setText(r.Name);
    txtEngineURL->setText(r.Home);
    txtSubmitURL->setText(r.AddURL);
    setQueryData(r.Query);
    setCategoryData(r.CategoryData);
    txtCountry->setText(r.Country);
    for (int i = 0; i < int(std::size(kEngineTypes)); ++i) {
        if (r.Type.compare(QLatin1String(kEngineTypes[i].code), Qt::CaseInsensitive) == 0)
            cboEngineType->setCurrentIndex(i);
    }
    const bool asksCategory = beginsWithY(r.Category) || r.Category.startsWith(QLatin1Char('F'), Qt::CaseInsensitive);
    cboCategory->setCurrentIndex(asksCategory ? 1 : 0);
    cboMethod->setEditText(r.Method);
    txtAction->setText(r.Action);
    chkAllowAdultSite->setChecked(beginsWithY(r.Adults));
    chkAdultOnlySite->setChecked(beginsWithY(r.AdultOnlySites));
    txtLanguage->setText(r.Language);
    chkCountry->setChecked(beginsWithY(r.CountryOnly));
    txtMaxTitle->setText(QString::number(r.MaxTitle));
    txtMaxKeywords->setText(QString::number(r.MaxKeywords));
    txtMaxDescription->setText(QString::number(r.MaxDescription));
    cboSiteLevel->setEditText(QString::number(r.SiteLevel));
}

void frmEngineBuilder::ClearFields()
{
    lsvDataFields->clear();
    m_selectedFieldKey.clear();
    for (QTreeWidgetItem *row : lsvCategory->rows())
        setMapping(row, QString());
    txtCountry->clear();
    cboEngineType->setCurrentIndex(0);
    cboEngineType_Click();
    cboCategory->setCurrentIndex(1);
    cboMethod->setCurrentIndex(0);
    txtAction->clear();
    for (QCheckBox *box : {chkCountry, chkAllowAdultSite, chkAdultOnlySite})
        box->setChecked(false);
    for (QLineEdit *edit : {txtLanguage, txtMaxTitle, txtMaxKeywords, txtMaxDescription, txtFieldName, txtValue})
        edit->clear();
    cboSiteLevel->setCurrentIndex(2);
}

void frmEngineBuilder::setQueryData(const QString &query)
{
    lsvDataFields->clear();
    for (const QString &piece : query.split(QLatin1Char('&'))) {
        const qsizetype equals = piece.indexOf(QLatin1Char('='));
        if (equals >= 0)
            addItem(piece.left(equals), piece.mid(equals + 1));
    }
}

void frmEngineBuilder::setCategoryData(const QString &categoryData)
{
    for (QTreeWidgetItem *row : lsvCategory->rows())
        setMapping(row, QString());
    for (const QString &item : categoryData.split(QLatin1Char('>'))) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = item.left(equals);
        if (QTreeWidgetItem *row = lsvCategory->rowByKey(key))
            setMapping(row, item.mid(equals + 1));
        else
            modDSSock::writeErrorLog(QStringLiteral("setCategoryData: no category \"") + key + QStringLiteral("\" for ")
                                     + txtEngineName->text());
    }
}

void frmEngineBuilder::cboEngineType_Click()
{
    const int type = cboEngineType->currentIndex();
    if (type >= 0)
        cboSiteLevel->setEditText(QLatin1String(kEngineTypes[type].siteLevel));
}

// A stored value is shown as the text it stands for; a placeholder as it is.
QString frmEngineBuilder::storedFieldValue(QTreeWidgetItem *row) const
{
    const QString stored = row->text(1);
    return FormReader::isPlaceholder(stored) ? stored : FormReader::decodeQueryValue(stored);
}

void frmEngineBuilder::lsvDataFields_ItemClick(const QString &key)
{
    QTreeWidgetItem *row = lsvDataFields->rowByKey(key);
    if (!row)
        return;
    m_selectedFieldKey = key;
    txtFieldName->setText(row->text(0));
    txtValue->setText(storedFieldValue(row));
}

void frmEngineBuilder::cmdUpdate_Click(int index)
{
    if (index == 0) {
        if (txtFieldName->text().isEmpty()) {
            message(QStringLiteral("Please select a item fro update."), QStringLiteral("Update"));
            return;
        }
        QTreeWidgetItem *row = m_selectedFieldKey.isEmpty() ? nullptr : lsvDataFields->rowByKey(m_selectedFieldKey);
        if (!row)
            return;
        // An unchanged value keeps its stored form, so it is never encoded twice.
        const QString typed = txtValue->text();
        if (typed != storedFieldValue(row))
            row->setText(1, FormReader::isPlaceholder(typed) ? typed : FormReader::encodeQueryValue(typed));
        row->setText(0, txtFieldName->text());
        return;
    }
    QTreeWidgetItem *row = selectedRow(lsvDataFields);
    if (!row)
        return;
    if (Platform::itemKey(row).compare(m_selectedFieldKey, Qt::CaseInsensitive) == 0)
        m_selectedFieldKey.clear();
    delete row;
    txtFieldName->clear();
    txtValue->clear();
}

void frmEngineBuilder::lsvCategory_ItemClick(const QString &key)
{
    QTreeWidgetItem *row = lsvCategory->rowByKey(key);
    if (!row)
        return;
    const QString text = row->text(0);
    txtDefaultCategory->setText(text);
    const qsizetype arrows = text.indexOf(QLatin1String(">>"));
    if (!row->text(1).isEmpty())
        txtEngineCategory->setText(row->text(1));
    else
        txtEngineCategory->setText(arrows >= 0 ? text.mid(arrows + 2).trimmed() : text);
}

void frmEngineBuilder::cmdUpdateCategory_Click()
{
    QTreeWidgetItem *row = selectedRow(lsvCategory);
    if (!row)
        return;
    row->setText(0, txtDefaultCategory->text());
    setMapping(row, txtEngineCategory->text());
}

void frmEngineBuilder::lsvCategory_KeyDown(int keyCode)
{
    if (keyCode != 46)
        return;
    for (QTreeWidgetItem *row : lsvCategory->selectedItems())
        setMapping(row, QString());
}

void frmEngineBuilder::lsvColumnClick(KeyedListView *list, int column)
{
    QHeaderView *header = list->header();
    const bool ascending = header->sortIndicatorSection() == column && header->sortIndicatorOrder() == Qt::AscendingOrder;
    const Qt::SortOrder order = ascending ? Qt::DescendingOrder : Qt::AscendingOrder;
    header->setSortIndicatorShown(true);
    list->sortItems(column, order);
}

bool frmEngineBuilder::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lsvCategory && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete)
        lsvCategory_KeyDown(46);
    return QDialog::eventFilter(watched, event);
}

// ---- Closing

void frmEngineBuilder::reject()
{
    close();
}

void frmEngineBuilder::closeEvent(QCloseEvent *event)
{
    if (!m_closed) {
        m_closed = true;
        saveEngineFile();
    }
    // The window goes once the event is done (it is deleted on close); the next instance() is new.
    if (s_instance == this)
        s_instance = nullptr;
    event->accept();
}
