// The engine database: parses "vqzeng5.dat" into myEngines and fills the engine list, the country
// filter, the custom-category engines and the type counts of the main window.
#include "sitedata/clsMain.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include <QCheckBox>
#include <QFileInfo>
#include <QListWidget>

#include "core/frmSplash.h"
#include "mainwindow/frmMain.h"
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

template <typename Int>
bool assignNumber(Int &field, std::optional<Int> number)
{
    if (number)
        field = *number;
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

namespace {

// The leading number of a value rounded into the field; nothing when it does not fit. Plain digits
// are read as they are; anything else as the lenient number reading says.
template <typename Int>
std::optional<Int> fieldNumber(QByteArrayView value)
{
    if (!value.isEmpty() && value.size() <= 9
        && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        qint64 number = 0;
        for (const char c : value)
            number = number * 10 + (c - '0');
        if (number <= std::numeric_limits<Int>::max())
            return Int(number);
    }
    const QString text = modDataFiles::decoded(value);
    if constexpr (sizeof(Int) == sizeof(qint16))
        return Platform::lenientToInt16(text);
    else
        return Platform::lenientToInt32(text);
}

enum CategoryMode : char { NoData = 'N', FreeForAll = 'F', General = 'G', OwnData = 'Y', Custom = 'C', Unknown = 0 };

// The category mode of a value: its one letter in capitals, else Unknown.
char categoryModeOf(const QString &value)
{
    if (value.size() != 1)
        return Unknown;
    const char16_t letter = value.front().toUpper().unicode();
    return letter == 'N' || letter == 'F' || letter == 'G' || letter == 'Y' || letter == 'C' ? char(letter) : char(Unknown);
}

} // namespace

// The values of one engine database load that many engines share (flags, types, countries,
// methods, query templates, languages): the bytes of a value are decoded once, and every engine
// keeps the same text, together with what the load derived from it.
class EngineValueCache {
public:
    struct Entry {
        QString raw;       // the value as read
        QString text;      // what the engine keeps
        int tag = 0;       // the type counter, or the category mode
        QString data;      // the category data of a mode that names no engine
    };

    // The entry of these bytes under that key, or null.
    const Entry *find(EngineKey key, QByteArrayView bytes) const
    {
        const Table &table = m_tables[size_t(key)];
        if (table.buckets.empty())
            return nullptr;
        const size_t at = slotOf(table, bytes, hashOf(bytes));
        return table.buckets[at].entry < 0 ? nullptr : &table.entries[size_t(table.buckets[at].entry)];
    }

    qsizetype categoryCursor = -1;   // the engine category entry found last

    const Entry &add(EngineKey key, QByteArrayView bytes, Entry entry)
    {
        Table &table = m_tables[size_t(key)];
        if ((table.entries.size() + 1) * 2 > table.buckets.size())
            grow(table);
        const quint32 hash = hashOf(bytes);
        table.buckets[slotOf(table, bytes, hash)] = {hash, qint32(table.entries.size())};
        table.entries.push_back(std::move(entry));
        return table.entries.back();
    }

private:
    struct Slot {
        quint32 hash = 0;
        qint32 entry = -1;
    };
    struct Table {
        std::vector<Slot> buckets;   // a power of two in size, at most half used
        std::vector<Entry> entries;
    };

    static quint32 hashOf(QByteArrayView bytes)
    {
        quint32 hash = 2166136261u;
        for (const char c : bytes)
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        return hash;
    }
    size_t slotOf(const Table &table, QByteArrayView bytes, quint32 hash) const
    {
        const size_t mask = table.buckets.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            const Slot &slot = table.buckets[at];
            if (slot.entry < 0 || (slot.hash == hash && modDataFiles::decodesTo(bytes, table.entries[size_t(slot.entry)].raw)))
                return at;
        }
    }
    static void grow(Table &table)
    {
        std::vector<Slot> buckets(table.buckets.empty() ? 16 : table.buckets.size() * 2);
        const size_t mask = buckets.size() - 1;
        for (const Slot &slot : table.buckets) {
            if (slot.entry < 0)
                continue;
            size_t at = slot.hash & mask;
            while (buckets[at].entry >= 0)
                at = (at + 1) & mask;
            buckets[at] = slot;
        }
        table.buckets = std::move(buckets);
    }

    std::array<Table, size_t(EngineKey::Ignored) + 1> m_tables;
};

bool clsMain::applyEngineValue(clsEngines &engine, EngineKey key, QByteArrayView value, EngineValueCache &cache,
                               char &categoryMode)
{
    // A shared value: decoded and derived at its first sight in this load.
    const auto shared = [&](const auto &derive) -> const EngineValueCache::Entry & {
        if (const EngineValueCache::Entry *known = cache.find(key, value))
            return *known;
        EngineValueCache::Entry entry{modDataFiles::decoded(value), QString(), 0, QString()};
        derive(entry);
        return cache.add(key, value, std::move(entry));
    };
    const auto asRead = [](EngineValueCache::Entry &entry) { entry.text = entry.raw; };
    const auto firstCharacterUpper = [](EngineValueCache::Entry &entry) {
        // The flag is one character: "ß" has no one-character capital and stays as it is.
        entry.text = entry.raw.isEmpty() ? QString() : QString(entry.raw.front().toUpper());
    };
    switch (key) {
    case EngineKey::Name: engine.Name = modDataFiles::decoded(value); break;
    case EngineKey::Home: engine.Home = modDataFiles::decoded(value); break;
    case EngineKey::AddURL: engine.AddURL = modDataFiles::decoded(value); break;
    case EngineKey::Country:
        engine.Country = shared([this](EngineValueCache::Entry &entry) {
            QString code = entry.raw.trimmed().toUpper();
            if (code == QLatin1String("NN"))
                code = QStringLiteral("US");
            if (!code.isEmpty())
                offerCountry(code);
            entry.text = code;
        }).text;
        break;
    case EngineKey::CountryOnly: engine.CountryOnly = shared(asRead).text; break;
    case EngineKey::Type: {
        const EngineValueCache::Entry &type = shared([](EngineValueCache::Entry &entry) {
            entry.text = entry.raw.trimmed().toUpper();
            entry.tag = typeCounterOf(entry.text);
        });
        engine.EngineType = type.text;
        ++m_typeCounts[type.tag];
        break;
    }
    case EngineKey::Category: {
        const EngineValueCache::Entry &category = shared([this](EngineValueCache::Entry &entry) {
            entry.text = entry.raw;
            entry.tag = categoryModeOf(entry.raw);
            if (entry.tag == FreeForAll)
                entry.data = getEngineCategoryData(QStringLiteral("Free For All Links"));
            else if (entry.tag == General)
                entry.data = getEngineCategoryData(QStringLiteral("General For All Links"));
        });
        engine.Category = category.text;
        categoryMode = char(category.tag);
        if (categoryMode == FreeForAll || categoryMode == General)
            engine.CategoryData = category.data;
        else if (categoryMode == OwnData || categoryMode == Custom)
            engine.CategoryData = engineCategoryDataAfter(engine.Name, cache.categoryCursor);
        if (categoryMode != NoData && engine.CategoryData.isEmpty())
            noteInErrorLog(QStringLiteral("CategoryData missing. Engine: ") + engine.Name);
        break;
    }
    case EngineKey::Method: engine.Method = shared(asRead).text; break;
    case EngineKey::Action:
        engine.Action = modDataFiles::decoded(value);
        if (!engine.Action.contains(QLatin1String("http://"), Qt::CaseInsensitive))
            noteInErrorLog(QStringLiteral("Error_Engine_URL:") + engine.Name + QStringLiteral(" - ") + engine.Action);
        break;
    case EngineKey::Query: engine.Query = shared(asRead).text; break;
    case EngineKey::AdultOnlySites: engine.AdultOnlySites = shared(firstCharacterUpper).text; break;
    case EngineKey::Adults: engine.Adults = shared(firstCharacterUpper).text; break;
    case EngineKey::Language: engine.Language = shared(asRead).text; break;
    case EngineKey::MaxTitle: return assignNumber(engine.MaxTitle, fieldNumber<qint32>(value));
    case EngineKey::MaxKeywords: return assignNumber(engine.MaxKeywords, fieldNumber<qint32>(value));
    case EngineKey::MaxDescription: return assignNumber(engine.MaxDescriptions, fieldNumber<qint32>(value));
    case EngineKey::SiteLevel: return assignNumber(engine.SiteLevel, fieldNumber<qint16>(value));
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
    EngineValueCache cache;
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
        tally.failed = !applyEngineValue(*engine, line.key, line.value, cache, categoryMode);
        if (line.key == EngineKey::Name) {
            ++tally.engineCount;
            myEngines().prefetch(engine->Name);
        }
        return !tally.failed;
    });
    if (tally.failed)
        engine.reset();
    finishEngine();
    // The engines hold the category data they need: the rest goes before the list rows come.
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
