// The engine database: parses "vqzeng5.dat" into myEngines and fills the engine list, the country
// filter, the custom-category engines and the type counts of the main window.
#include "sitedata/clsMain.h"

#include <algorithm>
#include <optional>

#include <QCheckBox>
#include <QFileInfo>
#include <QListWidget>

#include "core/frmSplash.h"
#include "mainwindow/frmMain.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineRecordReader.h"
#include "sitedata/EngineListView.h"
#include "sitedata/modDataFiles.h"
#include "platform/modDSSockLog.h"

using modEngineData::EngineKey;

namespace {

// The reader gives a number only when it fits its field.
template <typename Int>
bool assignNumber(Int &field, std::optional<qint32> number)
{
    if (number)
        field = Int(*number);
    return number.has_value();
}

void reportCorruptedEngineData()
{
    frmSplash::unloadSplash();
    Platform::msgBox(QStringLiteral("Engine data file is corrupted, you need to download the ")
                         + QStringLiteral("engine submission data file from our web site by click on the ")
                         + QStringLiteral("'File/Update Engine Data' menu item from the menu bar and ")
                         + QStringLiteral("following the instruction on the screen."),
                     Platform::Information, QStringLiteral("Load Engines"));
}

} // namespace

void clsMain::addEngineListView(EngineListView *myEngineList, clsEngines &InstEngines)
{
    if (!myEngineList || InstEngines.Name.isEmpty())
        return;
    // Rows gathered during a load go into the engine list together at its end.
    if (m_pendingEngineRows && myEngineList == m_frmMain->lsvEngines)
        m_pendingEngineRows->append(&InstEngines);
    else
        myEngineList->addEngine(InstEngines);
}

bool clsMain::addEngineList(std::unique_ptr<clsEngines> InstEngines)
{
    if (!InstEngines || InstEngines->Name.isEmpty())
        return false;
    InstEngines->Selected = false;
    clsEngines *engine = InstEngines.get();
    const QString name = engine->Name;
    if (!myEngines().add(std::move(InstEngines))) {
        noteInErrorLog(QStringLiteral("Duplicate Engine: ") + name);
        return false;
    }
    addEngineListView(m_frmMain->lsvEngines, *engine);
    return true;
}

void clsMain::addCountryFilterList(const QString &sCountryCode)
{
    m_sCountryCodes += sCountryCode + QStringLiteral(",");
    if (sCountryCode.contains(QLatin1Char(','))) {
        for (const QString &entry : sCountryCode.split(QLatin1Char(',')))
            m_countryCodeEntries.insert(entry);
    } else {
        m_countryCodeEntries.insert(sCountryCode);
    }
    const QString row = countryName(sCountryCode) + QStringLiteral("(") + sCountryCode + QStringLiteral(")");
    if (m_pendingCountryRows)
        m_pendingCountryRows->append(row);
    else
        m_frmMain->lstCountry->addItem(row);
}

// Adds the code to the country filter list unless it is offered already, by a whole-entry test
// ("E" is not offered because "DE," is). An offered code takes the text it was offered with when
// the two are equal, so the engines of one country share it.
void clsMain::offerCountry(QString &code)
{
    if (code.contains(QLatin1Char(','))) {
        // Such a code can only match a run of entries: it is looked for in the text.
        if (!QString(QStringLiteral(",") + m_sCountryCodes)
                 .contains(QStringLiteral(",") + code + QStringLiteral(","), Qt::CaseInsensitive))
            addCountryFilterList(code);
        return;
    }
    const QString *offered = m_countryCodeEntries.find(code);
    if (!offered)
        addCountryFilterList(code);
    else if (*offered == code)
        code = *offered;
}

// The name the "Country Code" section of "country.vqs" gives the code (the empty text when it
// gives none), the section read once per load.
QString clsMain::countryName(const QString &code)
{
    if (!m_countryNames) {
        const QString file = programFile(QStringLiteral("country.vqs"));
        const QString section = QStringLiteral("Country Code");
        m_countryNames.emplace();
        for (const QString &key : Platform::iniKeys(file, section)) {
            if (!m_countryNames->contains({key}))
                m_countryNames->insert({key}, Platform::iniRead(file, section, key).value_or(QString()));
        }
    }
    return m_countryNames->value({code.trimmed()});
}

// What one engine database load keeps beside its record reader: the place of the engine category
// entry found last, and the category data of the modes that name no engine.
class EngineValueCache {
public:
    EngineRecordReader reader{EngineRecordReader::Source::EngineDatabase};
    qsizetype categoryCursor = -1;
    std::optional<QString> freeForAllData;
    std::optional<QString> generalData;
};

namespace {

enum CategoryMode : char { NoData = 'N', FreeForAll = 'F', General = 'G', OwnData = 'Y', Custom = 'C', Unknown = 0 };

} // namespace

bool clsMain::applyEngineValue(clsEngines &engine, EngineKey key, QByteArrayView bytes, EngineValueCache &cache,
                               char &categoryMode)
{
    const EngineRecordReader::Value &value = cache.reader.read(key, bytes);
    const auto modeData = [this](std::optional<QString> &data, const char *entry) -> const QString & {
        if (!data)
            data = getEngineCategoryData(QLatin1String(entry));
        return *data;
    };
    switch (key) {
    case EngineKey::Name: engine.Name = value.text; break;
    case EngineKey::Home: engine.Home = value.text; break;
    case EngineKey::AddURL: engine.AddURL = value.text; break;
    case EngineKey::Country:
        if (value.firstSight && !value.text.isEmpty()) {
            QString code = value.text;
            offerCountry(code);
        }
        engine.Country = value.text;
        break;
    case EngineKey::CountryOnly: engine.CountryOnly = value.text; break;
    case EngineKey::Type:
        engine.EngineType = value.text;
        ++m_typeCounts[value.typeCounter];
        break;
    case EngineKey::Category:
        engine.Category = value.text;
        categoryMode = value.categoryMode;
        if (categoryMode == FreeForAll)
            engine.CategoryData = modeData(cache.freeForAllData, "Free For All Links");
        else if (categoryMode == General)
            engine.CategoryData = modeData(cache.generalData, "General For All Links");
        else if (categoryMode == OwnData || categoryMode == Custom)
            engine.CategoryData = engineCategoryDataAfter(engine.Name, cache.categoryCursor);
        if (categoryMode != NoData && engine.CategoryData.isEmpty())
            noteInErrorLog(QStringLiteral("CategoryData missing. Engine: ") + engine.Name);
        break;
    case EngineKey::Method: engine.Method = value.text; break;
    case EngineKey::Action:
        engine.Action = value.text;
        if (!engine.Action.contains(QLatin1String("http://"), Qt::CaseInsensitive))
            noteInErrorLog(QStringLiteral("Error_Engine_URL:") + engine.Name + QStringLiteral(" - ") + engine.Action);
        break;
    case EngineKey::Query: engine.Query = value.text; break;
    case EngineKey::AdultOnlySites: engine.AdultOnlySites = value.text; break;
    case EngineKey::Adults: engine.Adults = value.text; break;
    case EngineKey::Language: engine.Language = value.text; break;
    case EngineKey::MaxTitle: return assignNumber(engine.MaxTitle, value.number);
    case EngineKey::MaxKeywords: return assignNumber(engine.MaxKeywords, value.number);
    case EngineKey::MaxDescription: return assignNumber(engine.MaxDescriptions, value.number);
    case EngineKey::SiteLevel: return assignNumber(engine.SiteLevel, value.number);
    case EngineKey::Ignored: break;
    }
    return true;
}

// While the database is read its notes gather and go to the log in a few writes: a database can
// hold tens of thousands of engines worth a note.
void clsMain::noteInErrorLog(const QString &text)
{
    constexpr qsizetype kBatchChars = 64 * 1024;
    if (!m_pendingLog) {
        modDSSock::writeErrorLog(text);
        return;
    }
    if (!m_pendingLog->isEmpty())
        *m_pendingLog += QStringLiteral("\r\n");
    *m_pendingLog += text;
    if (m_pendingLog->size() >= kBatchChars)
        flushErrorLogNotes();
}

void clsMain::flushErrorLogNotes()
{
    if (m_pendingLog && !m_pendingLog->isEmpty()) {
        modDSSock::writeErrorLog(*m_pendingLog);
        m_pendingLog->clear();
    }
}

void clsMain::releaseEngineCategoryData()
{
    m_engineCategory = {};
    m_engineCategoryIndex.clear();
    m_engineCategoryFirst = {};
}

// What a read of the engine database met, for the captions and the error log.
struct EngineDatabaseTally {
    QStringList customEngines;   // engines of category mode "C", in file order
    int engineCount = 0;         // Name lines, duplicates included
    qint64 skippedLines = 0;     // lines that gave no engine anything (blank lines and comments aside)
    bool endMarker = false;
    bool failed = false;         // a number out of its field's range stopped the read
    bool readable = true;
};

namespace {

// A database that ends before its end marker, or gives no engine, is named in the error log.
void logIncompleteDatabase(const QString &file, const EngineDatabaseTally &tally)
{
    const QString skipped = QString::number(tally.skippedLines) + QStringLiteral(" lines skipped");
    if (!tally.endMarker)
        modDSSock::writeErrorLog(QStringLiteral("Engine data ends before its end marker: ") + file + QStringLiteral(", ")
                                 + skipped);
    if (myEngines().count() == 0)
        modDSSock::writeErrorLog(QStringLiteral("No engine in the engine data: ") + file + QStringLiteral(", ") + skipped);
}

} // namespace

bool clsMain::loadEngines()
{
    frmMain &w = *m_frmMain;
    // The lists and the engine collection are emptied together, so they agree whatever follows.
    w.lsvEngines->clear();
    w.lsvSelectedEngines->clear();
    w.lsvSelectedEngines->setHeaderCaption(0, QStringLiteral("Selected Engines"));
    myEngines().clear();
    std::fill(std::begin(m_typeCounts), std::end(m_typeCounts), 0);

    const QString file = engineDataFolder() + QStringLiteral("vqzeng5.dat");
    EngineDatabaseTally tally;
    const bool present = QFileInfo(file).size() > 0;
    if (present)
        readEngineDatabase(file, tally);
    releaseEngineCategoryData();
    rebuildCustomEngines(tally.customEngines);
    if (!present || tally.failed || !tally.readable) {
        reportCorruptedEngineData();
        return false;
    }
    logIncompleteDatabase(file, tally);

    w.lsvEngines->setHeaderCaption(0, QStringLiteral("Engines(") + QString::number(tally.engineCount) + QStringLiteral(")"));
    static const char *const captions[] = {"&General Engines(", "&Directories(", "&FFA Links(", "&News/Classifieds(",
                                           "&Online Mall(", "&Hot Sites(", "&Miscellaneous("};
    for (int i = 0; i < 7 && i < w.chkType.size(); ++i)
        w.chkType[i]->setText(QString::fromLatin1(captions[i]) + QString::number(m_typeCounts[i]) + QStringLiteral(")"));
    return true;
}

// Reads the database into myEngines straight from its bytes, one line at a time; the engine list
// and the country filter get their rows in one insertion each at the end, with their redrawing off.
void clsMain::readEngineDatabase(const QString &file, EngineDatabaseTally &tally)
{
    frmMain &w = *m_frmMain;
    QList<clsEngines *> rows;
    QStringList countryRows;
    Platform::RedrawSuspender suspendEngines(w.lsvEngines);
    Platform::RedrawSuspender suspendCountries(w.lstCountry);
    QString notes;
    m_pendingEngineRows = &rows;
    m_pendingCountryRows = &countryRows;
    m_pendingLog = &notes;
    m_countryNames.reset();
    auto cache = std::make_unique<EngineValueCache>();
    std::unique_ptr<clsEngines> engine;   // the engine being read
    qint64 engineLines = 0;               // its key lines
    char categoryMode = Unknown;
    const auto finishEngine = [&] {
        if (!engine)
            return;
        if (engine->Name.isEmpty())
            tally.skippedLines += engineLines;
        const QString name = engine->Name;
        if (addEngineList(std::move(engine)) && categoryMode == Custom)
            tally.customEngines.append(name);
        engine.reset();
    };
    const Platform::LineReading reading = modDataFiles::forEachByteLine(file, [&](QByteArrayView bytes) {
        const modEngineData::EngineByteLine line = modEngineData::readEngineLine(bytes);
        if (line.kind == modEngineData::EngineByteLine::EndMarker) {
            tally.endMarker = true;
            return false;
        }
        if (line.kind != modEngineData::EngineByteLine::KeyLine) {
            tally.skippedLines += line.kind == modEngineData::EngineByteLine::Other ? 1 : 0;
            return true;
        }
        // Every engine starts at its Name line; key lines before the first one form a nameless engine.
        if (line.key == EngineKey::Name || !engine) {
            finishEngine();
            engine = std::make_unique<clsEngines>();
            engineLines = 0;
            categoryMode = Unknown;
        }
        ++engineLines;
        tally.failed = !applyEngineValue(*engine, line.key, line.value, *cache, categoryMode);
        if (line.key == EngineKey::Name) {
            ++tally.engineCount;
            myEngines().prefetch(engine->Name);
        }
        return !tally.failed;
    });
    if (tally.failed)
        engine.reset();
    finishEngine();
    // The engines hold the values and the category data they need: the rest goes before the list
    // rows come.
    cache.reset();
    releaseEngineCategoryData();
    tally.readable = reading.readable;
    tally.skippedLines += reading.skippedLines.size();
    flushErrorLogNotes();
    m_pendingLog = nullptr;
    m_pendingEngineRows = nullptr;
    m_pendingCountryRows = nullptr;
    m_countryNames.reset();
    w.lsvEngines->addEngines(rows);
    w.lstCountry->addItems(countryRows);
}
