// The rules that move engines between the engine list and the selected-engine list, keeping each
// engine's Selected field in step with the selected list.
#include "sitedata/clsMain.h"

#include "mainwindow/frmMain.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"

namespace {

// The hourglass while an operation runs, the default pointer after it on every path.
struct BusyPointer {
    BusyPointer() { Platform::setBusyPointer(true); }
    ~BusyPointer() { Platform::setBusyPointer(false); }
};

} // namespace

EngineListView *clsMain::engineList() const
{
    return m_frmMain->lsvEngines;
}

EngineListView *clsMain::selectedList() const
{
    return m_frmMain->lsvSelectedEngines;
}

void clsMain::updateSelectedHeader()
{
    selectedList()->setHeaderCaption(
        0, QStringLiteral("Selected Engines (") + QString::number(selectedList()->count()) + QStringLiteral(")"));
}

void clsMain::selectEngine(clsEngines &engine)
{
    engine.Selected = true;
    addEngineListView(selectedList(), engine);
}

void clsMain::selectEngines(const QList<clsEngines *> &engines)
{
    QList<clsEngines *> fresh;
    for (clsEngines *engine : engines) {
        if (!engine->Selected) {
            engine->Selected = true;
            fresh.append(engine);
        }
    }
    selectedList()->addEngines(fresh);
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
    const auto matches = [&sEngType](const clsEngines &engine) {
        return engine.EngineType.compare(sEngType, Qt::CaseInsensitive) == 0
            || engine.EngineType.contains(QLatin1String("HOT"), Qt::CaseInsensitive);
    };
    if (isChecked) {
        QList<clsEngines *> picked;
        for (clsEngines &engine : myEngines()) {
            if (matches(engine))
                picked.append(&engine);
        }
        selectEngines(picked);
    } else {
        for (clsEngines &engine : myEngines()) {
            if (matches(engine))
                engine.Selected = false;
        }
        selectedList()->removeEngines(matches);
    }
    updateSelectedHeader();
}

void clsMain::EngineSelectByCountry(const QString &, const QString &sCountry, bool)
{
    BusyPointer busy;
    Platform::RedrawSuspender suspend(selectedList());
    const QString code = countryCodeOfFilterRow(sCountry);
    const bool all = code.compare(QLatin1String("ALL"), Qt::CaseInsensitive) == 0;
    QList<clsEngines *> picked;
    for (clsEngines &engine : myEngines()) {
        if (all || engine.Country.compare(code, Qt::CaseInsensitive) == 0)
            picked.append(&engine);
    }
    selectEngines(picked);
    updateSelectedHeader();
}

void clsMain::unselectAll()
{
    for (clsEngines *engine : selectedList()->engines())
        engine->Selected = false;
    selectedList()->clear();
}

void clsMain::EngineSelection(const QString &sSelection)
{
    BusyPointer busy;
    {
        Platform::RedrawSuspender suspend(selectedList());
        unselectAll();
    }
    Platform::doEvents();
    Platform::RedrawSuspender suspend(selectedList());
    const QString rule = sSelection.toLower();
    QList<clsEngines *> picked;
    for (clsEngines &engine : myEngines()) {
        bool matches = false;
        if (rule == QLatin1String("majorsite"))
            matches = engine.SiteLevel == 1;
        else if (rule == QLatin1String("customengine"))
            matches = engine.Category.compare(QLatin1String("C"), Qt::CaseInsensitive) == 0;
        else if (rule == QLatin1String("adultonlysite"))
            matches = engine.AdultOnlySites.compare(QLatin1String("Y"), Qt::CaseInsensitive) == 0;
        if (matches)
            picked.append(&engine);
    }
    selectEngines(picked);
    updateSelectedHeader();
}

void clsMain::EngineSelectNoAdultSites()
{
    BusyPointer busy;
    Platform::RedrawSuspender suspend(selectedList());
    const QList<clsEngines *> removed = selectedList()->removeEngines([](const clsEngines &engine) {
        return engine.Adults.startsWith(QLatin1Char('N'), Qt::CaseInsensitive)
            || engine.AdultOnlySites.startsWith(QLatin1Char('Y'), Qt::CaseInsensitive);
    });
    for (clsEngines *engine : removed)
        engine->Selected = false;
    updateSelectedHeader();
}

void clsMain::EngineSelect(int Index)
{
    BusyPointer busy;
    Platform::RedrawSuspender suspend(selectedList());
    selectEngines(Index == 1 ? engineList()->engines() : engineList()->highlightedEngines());
    updateSelectedHeader();
}

void clsMain::EngineRemove(int Index)
{
    BusyPointer busy;
    Platform::RedrawSuspender suspend(selectedList());
    if (Index == 1) {
        unselectAll();
    } else {
        for (clsEngines *engine : selectedList()->removeHighlighted())
            engine->Selected = false;
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
    EngineListView *list = engineList();
    for (const clsEngines *engine : list->engines()) {
        if (!engine->Name.contains(sKeyword, Qt::CaseInsensitive))
            continue;
        const QString name = engine->Name;
        list->showOnly(name);
        EngineSingleSelect(name);
        return;
    }
    Platform::msgBox(QStringLiteral("No matches found."), Platform::Information, QStringLiteral("Find Engine"));
}
