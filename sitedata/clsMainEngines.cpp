// The engine database: parses "vqzeng5.dat" into myEngines and fills the engine list, the country
// filter, the custom-category engines and the type counts of the main window.
#include "sitedata/clsMain.h"

#include <stdexcept>

#include <QCheckBox>
#include <QFileInfo>
#include <QListWidget>

#include "core/frmSplash.h"
#include "core/modCommon.h"
#include "mainwindow/frmMain.h"
#include "platform/Codec1252.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/Numbers.h"
#include "platform/TextFile.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "transport/modDSSockLog.h"

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
    const QString name = modCommon::readINIValue(programFile(QStringLiteral("country.vqs")), QStringLiteral("Country Code"),
                                                 sCountryCode);
    m_frmMain->lstCountry->addItem(name + QStringLiteral("(") + sCountryCode + QStringLiteral(")"));
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
        engine.Country = code;
        // A whole-entry test: "E" must not count as offered because "DE," is.
        const QString offered = QStringLiteral(",") + m_sCountryCodes;
        if (!code.isEmpty() && !offered.contains(QStringLiteral(",") + code + QStringLiteral(","), Qt::CaseInsensitive))
            addCountryFilterList(code);
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
    for (QString *value : {&engine.Country, &engine.CountryOnly, &engine.EngineType, &engine.Category, &engine.Method,
                           &engine.Query, &engine.AdultOnlySites, &engine.Adults, &engine.Language})
        pool.intern(*value);
}

} // namespace

bool clsMain::loadEngines()
{
    frmMain &w = *m_frmMain;
    w.lsvEngines->clear();
    w.lsvSelectedEngines->clear();
    w.lsvSelectedEngines->setHeaderCaption(0, QStringLiteral("Selected Engines"));

    const QString file = engineDataFolder() + QStringLiteral("vqzeng5.dat");
    if (QFileInfo(file).size() <= 0) {
        reportCorruptedEngineData();
        return false;
    }

    QList<clsEngines *> rows;
    QStringList customEngines;
    int engineCount = 0;
    bool failed = false;
    bool readable = true;
    {
        Platform::RedrawSuspender suspend(w.lsvEngines);
        myEngines().clear();
        std::fill(std::begin(m_typeCounts), std::end(m_typeCounts), 0);
        m_pendingEngineRows = &rows;
        ValuePool pool;
        modEngineData::EngineDatabaseParser parser(true, [&](modEngineData::RawEngine &&raw) {
            if (failed)
                return;
            auto engine = std::make_unique<clsEngines>();
            QString categoryMode;
            try {
                for (const modEngineData::EngineLine &line : raw.lines) {
                    if (line.key == EngineKey::Name)
                        ++engineCount;
                    applyEngineLine(*engine, line, categoryMode);
                }
            } catch (const EngineDataError &) {
                failed = true;
                return;
            }
            shareCommonValues(pool, *engine);
            const QString name = engine->Name;
            if (addEngineList(std::move(engine)) && categoryMode == QLatin1String("C"))
                customEngines.append(name);
        });
        readable = modEngineData::readFileLines(file, [&](const QString &line) { return !failed && parser.feed(line); });
        parser.finish();
        m_pendingEngineRows = nullptr;
        w.lsvEngines->addEngines(rows);
    }
    m_engineCategory.clear();
    m_engineCategoryIndex.clear();
    rebuildCustomEngines(customEngines);
    if (failed || !readable) {
        reportCorruptedEngineData();
        return false;
    }

    w.lsvEngines->setHeaderCaption(0, QStringLiteral("Engines(") + QString::number(engineCount) + QStringLiteral(")"));
    static const char *const captions[] = {"&General Engines(", "&Directories(", "&FFA Links(", "&News/Classifieds(",
                                           "&Online Mall(", "&Hot Sites(", "&Miscellaneous("};
    for (int i = 0; i < 7 && i < w.chkType.size(); ++i)
        w.chkType[i]->setText(QString::fromLatin1(captions[i]) + QString::number(m_typeCounts[i]) + QStringLiteral(")"));
    return true;
}
