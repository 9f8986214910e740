// The rules that move engines between the engine list and the selected-engine list, keeping each
// engine's Selected field in step with the selected list.
#include "sitedata/clsMain.h"

#include "mainwindow/frmMain.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/KeyedListView.h"

namespace {

// The hourglass while an operation runs, the default pointer after it on every path.
struct BusyPointer {
    BusyPointer() { Platform::setBusyPointer(true); }
    ~BusyPointer() { Platform::setBusyPointer(false); }
};

} // namespace

KeyedListView *clsMain::engineList() const
{
    return m_frmMain->lsvEngines;
}

KeyedListView *clsMain::selectedList() const
{
    return m_frmMain->lsvSelectedEngines;
}

void clsMain::updateSelectedHeader()
{
    selectedList()->setHeaderCaption(
        0, QStringLiteral("Selected Engines (") + QString::number(selectedList()->topLevelItemCount()) + QStringLiteral(")"));
}

void clsMain::selectEngine(clsEngines &engine)
{
    engine.Selected = true;
    addEngineListView(selectedList(), engine);
}

void clsMain::unselectEngine(clsEngines &engine)
{
    engine.Selected = false;
    selectedList()->removeByKey(engine.Name);
}

QString clsMain::countryCodeOfFilterRow(const QString &sCountry)
{
    const qsizetype open = sCountry.lastIndexOf(QLatin1Char('('));
    if (open < 0)
        return sCountry;
    const qsizetype close = sCountry.indexOf(QLatin1Char(')'), open + 1);
    return close < 0 ? sCountry.mid(open + 1) : sCountry.mid(open + 1, close - open - 1);
}

void clsMain::EngineSelectByType(const QString &sEngType, bool isChecked)
{
    BusyPointer busy;
    Platform::RedrawSuspender suspend(selectedList());
    for (clsEngines &engine : myEngines()) {
        const bool matches = engine.EngineType.compare(sEngType, Qt::CaseInsensitive) == 0
            || engine.EngineType.contains(QLatin1String("HOT"), Qt::CaseInsensitive);
        if (!matches)
            continue;
        if (isChecked && !engine.Selected)
            selectEngine(engine);
        else if (!isChecked && engine.Selected)
            unselectEngine(engine);
    }
    updateSelectedHeader();
}

void clsMain::EngineSelectByCountry(const QString &, const QString &sCountry, bool)
{
    BusyPointer busy;
    Platform::RedrawSuspender suspend(selectedList());
    const QString code = countryCodeOfFilterRow(sCountry);
    const bool all = code.compare(QLatin1String("ALL"), Qt::CaseInsensitive) == 0;
    for (clsEngines &engine : myEngines()) {
        if ((all || engine.Country.compare(code, Qt::CaseInsensitive) == 0) && !engine.Selected)
            selectEngine(engine);
    }
    updateSelectedHeader();
}

void clsMain::EngineSelection(const QString &sSelection)
{
    BusyPointer busy;
    {
        Platform::RedrawSuspender suspend(selectedList());
        for (QTreeWidgetItem *row : selectedList()->rows()) {
            if (clsEngines *engine = myEngines().find(row->text(0)))
                engine->Selected = false;
        }
        selectedList()->clear();
    }
    Platform::doEvents();
    Platform::RedrawSuspender suspend(selectedList());
    const QString rule = sSelection.toLower();
    for (clsEngines &engine : myEngines()) {
        bool matches = false;
        if (rule == QLatin1String("majorsite"))
            matches = engine.SiteLevel == 1;
        else if (rule == QLatin1String("customengine"))
            matches = engine.Category.compare(QLatin1String("C"), Qt::CaseInsensitive) == 0;
        else if (rule == QLatin1String("adultonlysite"))
            matches = engine.AdultOnlySites.compare(QLatin1String("Y"), Qt::CaseInsensitive) == 0;
        if (matches && !engine.Selected)
            selectEngine(engine);
    }
    updateSelectedHeader();
}

void clsMain::EngineSelectNoAdultSites()
{
    BusyPointer busy;
    Platform::RedrawSuspender suspend(selectedList());
    KeyedListView *list = selectedList();
    int i = 0;
    while (i < list->topLevelItemCount()) {
        QTreeWidgetItem *row = list->topLevelItem(i);
        clsEngines *engine = myEngines().find(row->text(0));
        const bool adult = engine
            && (engine->Adults.startsWith(QLatin1Char('N'), Qt::CaseInsensitive)
                || engine->AdultOnlySites.startsWith(QLatin1Char('Y'), Qt::CaseInsensitive));
        if (!adult) {
            ++i;
            continue;
        }
        engine->Selected = false;
        delete list->takeTopLevelItem(i);
    }
    updateSelectedHeader();
}

void clsMain::EngineSelect(int Index)
{
    BusyPointer busy;
    Platform::RedrawSuspender suspend(selectedList());
    const QList<QTreeWidgetItem *> rows = Index == 1 ? engineList()->rows() : engineList()->highlightedRows();
    QList<QTreeWidgetItem *> added;
    for (QTreeWidgetItem *row : rows) {
        clsEngines *engine = myEngines().find(row->text(0));
        if (!engine || engine->Selected)
            continue;
        engine->Selected = true;
        added.append(newSharedTextRow(engine->Name, {engine->Name, engine->EngineType, engine->Country},
                                      engineImageKey(engine->EngineType)));
    }
    selectedList()->addRows(added);
    updateSelectedHeader();
}

void clsMain::EngineRemove(int Index)
{
    BusyPointer busy;
    Platform::RedrawSuspender suspend(selectedList());
    KeyedListView *list = selectedList();
    if (Index == 1) {
        for (QTreeWidgetItem *row : list->rows()) {
            if (clsEngines *engine = myEngines().find(row->text(0)))
                engine->Selected = false;
        }
        list->clear();
        updateSelectedHeader();
        return;
    }
    int i = 0;
    while (i < list->topLevelItemCount()) {
        QTreeWidgetItem *row = list->topLevelItem(i);
        if (!row->isSelected()) {
            ++i;
            continue;
        }
        if (clsEngines *engine = myEngines().find(row->text(0)))
            engine->Selected = false;
        delete list->takeTopLevelItem(i);
    }
    updateSelectedHeader();
}

void clsMain::EngineSingleSelect(const QString &sEngineName)
{
    clsEngines *engine = myEngines().find(sEngineName);
    if (!engine)
        return;
    selectEngine(*engine);
    updateSelectedHeader();
}

void clsMain::findEnginesByKeyword(const QString &sKeyword)
{
    BusyPointer busy;
    KeyedListView *list = engineList();
    for (QTreeWidgetItem *row : list->rows()) {
        if (!row->text(0).contains(sKeyword, Qt::CaseInsensitive))
            continue;
        list->clearSelection();
        row->setSelected(true);
        list->setCurrentItem(row);
        list->scrollToItem(row);
        EngineSingleSelect(row->text(0));
        return;
    }
    Platform::msgBox(QStringLiteral("No matches found."), Platform::Information, QStringLiteral("Find Engine"));
}
