// The engine builder's commands: the toolbar and the menus, new, delete, save, merge, export
// and help.
#include "enginedata/frmEngineBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabWidget>

#include "enginedata/EngineDefinition.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/KeyedListView.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "sitedata/EngineCollection.h"

namespace {

// Where the user saves or merges engines that the main loader will not take.
QString heldNamesText(const QStringList &names)
{
    return (names.size() == 1 ? QStringLiteral("The engine database already holds an engine named \"%1\": ")
                              : QStringLiteral("The engine database already holds engines named \"%1\": "))
               .arg(names.join(QStringLiteral("\", \"")))
           + QStringLiteral("the program loads those of the engine database, not yours, also after a merge. "
                            "Give yours another name to use it.");
}

} // namespace

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
        if (message(question, QString(), Platform::YesNo | Platform::Information) == Platform::Yes)
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

void frmEngineBuilder::newEngine()
{
    const QString name = Platform::inputBox(QStringLiteral("Please enter the name of the new engine you want to create: "),
                                            QStringLiteral("Create a new engine"))
                             .trimmed();
    if (name.isEmpty())
        return;
    if (const QString refused = EngineDefinition::bracketNameRefusal(name); !refused.isEmpty()) {
        message(refused);
        return;
    }
    if (isEngineExist(name)) {
        message(EngineDefinition::nameInDatabaseMessage(), QStringLiteral("New Engine"));
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
    if (message(question, QString(), Platform::YesNo | Platform::Information) != Platform::Yes || !entry)
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
    if (merged)
        readEngineDatabase();
    StatusBar1->setPanelText(1, QString());
    Platform::setBusyPointer(false);
    if (!merged) {
        message(QStringLiteral("mergeEngineFile_Error: ") + m_store.lastError(), QString(), Platform::Critical);
        return;
    }
    QStringList names;
    for (int i = 0; i < lstEngines->count(); ++i)
        names.append(lstEngines->item(i)->text());
    const QStringList held = ownNamesTheDatabaseHolds(names);
    message(QStringLiteral("Merge engine data is completed. You need to close the program and re-open again to load "
                           "the new engine data.")
            + (held.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + heldNamesText(held)));
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

bool frmEngineBuilder::isEngineExist(const QString &name) const
{
    return myEngines().contains(name) && !mergedNamesOfLoadedEngines().contains(name.toCaseFolded());
}

bool frmEngineBuilder::isEngineInList(const QString &name) const
{
    for (int i = 0; i < lstEngines->count(); ++i) {
        if (lstEngines->item(i)->text().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The controls as the save reads them.
EngineDefinition::Controls frmEngineBuilder::controls() const
{
    EngineDefinition::Controls c;
    c.name = txtEngineName->text().trimmed();
    c.home = txtEngineURL->text();
    c.addUrl = txtSubmitURL->text();
    c.country = txtCountry->text();
    c.countryOnly = chkCountry->isChecked();
    c.engineType = cboEngineType->currentIndex();
    c.requestCategory = cboCategory->currentIndex() != 0;
    c.method = cboMethod->currentText();
    c.action = txtAction->text();
    c.language = txtLanguage->text();
    c.siteLevel = cboSiteLevel->currentText();
    c.maxTitle = txtMaxTitle->text();
    c.maxKeywords = txtMaxKeywords->text();
    c.maxDescription = txtMaxDescription->text();
    c.allowAdultSites = chkAllowAdultSite->isChecked();
    c.adultOnlySite = chkAdultOnlySite->isChecked();
    for (QTreeWidgetItem *row : lsvDataFields->rows())
        c.fields.append({row->text(0), row->text(1)});
    for (QTreeWidgetItem *row : lsvCategory->rows())
        c.mappings.append({Platform::itemKey(row), row->text(1)});
    return c;
}

bool frmEngineBuilder::saveEngineData()
{
    EngineDefinition::Controls c = controls();
    // An entry of the list is the user's own: saving under its name replaces its record.
    const auto taken = [this](const QString &name) { return isEngineExist(name) && !isEngineInList(name); };
    if (const auto refused = EngineDefinition::refusal(c, taken)) {
        message(refused->message, refused->title);
        if (refused->tab >= 0)
            SSTab1->setCurrentIndex(refused->tab);
        if (refused->box == EngineDefinition::Refusal::Box::Name)
            txtEngineName->setFocus();
        else if (refused->box == EngineDefinition::Refusal::Box::Action)
            txtAction->setFocus();
        return false;
    }
    qsizetype index = m_store.records().size();
    for (int i = 0; i < lstEngines->count(); ++i) {
        if (lstEngines->item(i)->text().compare(c.name, Qt::CaseInsensitive) == 0) {
            index = qsizetype(lstEngines->item(i)->data(Qt::UserRole).toLongLong());
            break;
        }
    }
    const bool isNew = index >= m_store.records().size();
    const CustomEngineRecord base = isNew ? CustomEngineRecord() : m_store.records().at(index);
    c.categoryItems = m_store.categoryItems(base.Name, base.CategoryData);
    const CustomEngineRecord record = EngineDefinition::toRecord(c, base);
    txtEngineURL->setText(record.Home);
    txtSubmitURL->setText(record.AddURL);
    if (isNew) {
        m_store.records().append(record);
        auto *entry = new QListWidgetItem(c.name);
        entry->setData(Qt::UserRole, qlonglong(index));
        lstEngines->addItem(entry);
        lstEngines->setCurrentItem(entry);
    } else {
        m_store.records()[index] = record;
    }
    updateEngineCount();
    if (const QStringList held = ownNamesTheDatabaseHolds({c.name}); !held.isEmpty())
        message(heldNamesText(held), QStringLiteral("Save Engine"));
    return true;
}
