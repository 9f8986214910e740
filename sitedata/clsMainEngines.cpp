// The engine database: parses "vqzeng5.dat" into myEngines and fills the engine list, the country
// filter, the custom-category engines and the type counts of the main window.
#include "sitedata/clsMain.h"

#include <stdexcept>

#include <QCheckBox>
#include <QFileInfo>
#include <QListWidget>

#include "core/frmSplash.h"
#include "mainwindow/frmMain.h"
#include "platform/Codec1252.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/TextFile.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "sitedata/modDataFiles.h"
#include "platform/modDSSockLog.h"

using modEngineData::EngineKey;

namespace {

enum TypeCounter { TypeENG, TypeDIR, TypeFFA, TypeNEWS, TypeMALL, TypeHOT, TypeMIS };

TypeCounter typeCounterOf(const QString &type)
{
    static const QStringList known = {QStringLiteral("ENG"), QStringLiteral("DIR"), QStringLiteral("FFA"),
                                      QStringLiteral("NEWS"), QStringLiteral("MALL"), QStringLiteral("HOT")};
    const qsizetype index = known.indexOf(type);
    return index < 0 ? TypeMIS : static_cast<TypeCounter>(index);
}

// The flag is one character: "ß" has no one-character capital and stays as it is.
QString firstCharacterUpper(const QString &value)
{
    return value.isEmpty() ? QString() : QString(value.front().toUpper());
}

// A number of the engine database that does not fit its field fails the load.
struct EngineDataError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

qint32 int32Value(const QString &value)
{
    const std::optional<qint32> number = Platform::lenientToInt32(value);
    if (!number)
        throw EngineDataError("number out of range");
    return *number;
}

qint16 int16Value(const QString &value)
{
    const std::optional<qint16> number = Platform::lenientToInt16(value);
    if (!number)
        throw EngineDataError("number out of range");
    return *number;
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
        modDSSock::writeErrorLog(QStringLiteral("Duplicate Engine: ") + name);
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
            m_countryCodeEntries.insert({entry});
    } else {
        m_countryCodeEntries.insert({sCountryCode});
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
    const auto offered = m_countryCodeEntries.constFind({code});
    if (offered == m_countryCodeEntries.constEnd())
        addCountryFilterList(code);
    else if (offered->text == code)
        code = offered->text;
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

bool clsMain::applyEngineLine(clsEngines &engine, const modEngineData::EngineLine &line, QString &pendingCategoryMode)
{
    const QString &value = line.value;
    switch (line.key) {
    case EngineKey::Name: engine.Name = value; break;
    case EngineKey::Home: engine.Home = value; break;
    case EngineKey::AddURL: engine.AddURL = value; break;
    case EngineKey::Country: {
        QString code = value.trimmed().toUpper();
        if (code == QLatin1String("NN"))
            code = QStringLiteral("US");
        if (!code.isEmpty())
            offerCountry(code);
        engine.Country = code;
        break;
    }
    case EngineKey::CountryOnly: engine.CountryOnly = value; break;
    case EngineKey::Type:
        engine.EngineType = value.trimmed().toUpper();
        ++m_typeCounts[typeCounterOf(engine.EngineType)];
        break;
    case EngineKey::Category: {
        engine.Category = value;
        const QString mode = value.toUpper();
        if (mode == QLatin1String("F"))
            engine.CategoryData = getEngineCategoryData(QStringLiteral("Free For All Links"));
        else if (mode == QLatin1String("G"))
            engine.CategoryData = getEngineCategoryData(QStringLiteral("General For All Links"));
        else if (mode == QLatin1String("Y") || mode == QLatin1String("C"))
            engine.CategoryData = getEngineCategoryData(engine.Name);
        pendingCategoryMode = mode;
        if (mode != QLatin1String("N") && engine.CategoryData.isEmpty())
            modDSSock::writeErrorLog(QStringLiteral("CategoryData missing. Engine: ") + engine.Name);
        break;
    }
    case EngineKey::Method: engine.Method = value; break;
    case EngineKey::Action:
        engine.Action = value;
        if (!value.contains(QLatin1String("http://"), Qt::CaseInsensitive))
            modDSSock::writeErrorLog(QStringLiteral("Error_Engine_URL:") + engine.Name + QStringLiteral(" - ") + value);
        break;
    case EngineKey::Query: engine.Query = value; break;
    case EngineKey::AdultOnlySites: engine.AdultOnlySites = firstCharacterUpper(value); break;
    case EngineKey::Adults: engine.Adults = firstCharacterUpper(value); break;
    case EngineKey::Language: engine.Language = value; break;
    case EngineKey::MaxTitle: engine.MaxTitle = int32Value(value); break;
    case EngineKey::MaxKeywords: engine.MaxKeywords = int32Value(value); break;
    case EngineKey::MaxDescription: engine.MaxDescriptions = int32Value(value); break;
    case EngineKey::SiteLevel: engine.SiteLevel = int16Value(value); break;
    case EngineKey::Ignored: break;
    }
    return true;
}

namespace {

// Values that many engines share (query templates, methods, languages, flags) are kept once.
class ValuePool {
public:
    void intern(QString &value)
    {
        if (value.isEmpty())
            return;
        auto it = m_values.constFind(value);
        if (it == m_values.constEnd())
            m_values.insert(value, value);
        else
            value = it.value();
    }

private:
    QHash<QString, QString> m_values;
};

void shareCommonValues(ValuePool &pool, clsEngines &engine)
{
    for (QString *value : {&engine.CountryOnly, &engine.EngineType, &engine.Category, &engine.Method,
                           &engine.Query, &engine.AdultOnlySites, &engine.Adults, &engine.Language})
        pool.intern(*value);
}

} // namespace

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
    m_engineCategory.clear();
    m_engineCategoryIndex.clear();
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

// Parses the database into myEngines; the engine list and the country filter get their rows
// in one insertion each at the end, with their redrawing off.
void clsMain::readEngineDatabase(const QString &file, EngineDatabaseTally &tally)
{
    frmMain &w = *m_frmMain;
    QList<clsEngines *> rows;
    QStringList countryRows;
    Platform::RedrawSuspender suspendEngines(w.lsvEngines);
    Platform::RedrawSuspender suspendCountries(w.lstCountry);
    m_pendingEngineRows = &rows;
    m_pendingCountryRows = &countryRows;
    m_countryNames.reset();
    ValuePool pool;
    modEngineData::EngineDatabaseParser parser(true, [&](modEngineData::RawEngine &&raw) {
        if (tally.failed)
            return;
        auto engine = std::make_unique<clsEngines>();
        QString categoryMode;
        try {
            for (const modEngineData::EngineLine &line : raw.lines) {
                if (line.key == EngineKey::Name)
                    ++tally.engineCount;
                applyEngineLine(*engine, line, categoryMode);
            }
        } catch (const EngineDataError &) {
            tally.failed = true;
            return;
        }
        if (engine->Name.isEmpty())
            tally.skippedLines += raw.lines.size();
        shareCommonValues(pool, *engine);
        const QString name = engine->Name;
        if (addEngineList(std::move(engine)) && categoryMode == QLatin1String("C"))
            tally.customEngines.append(name);
    });
    const Platform::LineReading reading = modDataFiles::forEachLine(
        file, [&](const QString &line) { return !tally.failed && parser.feed(line); });
    parser.finish();
    tally.readable = reading.readable;
    tally.endMarker = parser.endMarker();
    tally.skippedLines += parser.skippedLines() + reading.skippedLines.size();
    m_pendingEngineRows = nullptr;
    m_pendingCountryRows = nullptr;
    m_countryNames.reset();
    w.lsvEngines->addEngines(rows);
    w.lstCountry->addItems(countryRows);
}
