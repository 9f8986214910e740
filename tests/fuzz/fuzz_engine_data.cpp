// The engine data readers must take any bytes a downloaded file holds: the line reader gives the
// same lines from a file as from its whole text, each parser keeps its own rules on every input,
// and the main window's engine load (engine category data first, then the engine database) ends
// with its lists and engine collection in step, whatever it reports.
//
// The input is the engine database up to its first NUL byte and the engine category data after it.
#include <cstdlib>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include "mainwindow/frmMain.h"
#include "platform/Codec1252.h"
#include "platform/Dialogs.h"
#include "platform/TextFile.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "platform/KeyedListView.h"
#include "sitedata/clsMain.h"
#include "sitedata/modEngineData.h"

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

struct Harness {
    QTemporaryDir root;
    QString program;
    QString engineData;
    clsMain *main = nullptr;
};

Harness &harness()
{
    static Harness h;
    return h;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    check(file.write(bytes) == bytes.size());
}

void checkLineReader(const QByteArray &bytes)
{
    const QString path = harness().root.path() + QStringLiteral("/lines.dat");
    writeFile(path, bytes);
    QStringList lines;
    check(Platform::forEachLine(path, [&lines](const QString &line) {
        lines.append(line);
        return true;
    }).readable);
    check(lines == Platform::splitLines(Platform::fromAnsi(bytes)));
}

bool hasOuterSpace(const QString &value)
{
    return !value.isEmpty() && (value.front() == QLatin1Char(' ') || value.back() == QLatin1Char(' '));
}

void checkEngineDatabase(const QStringList &lines, bool stopAtEndMarker)
{
    const modEngineData::EngineDatabase database = modEngineData::parseEngineDatabase(lines, stopAtEndMarker);
    check(stopAtEndMarker || !database.endMarker);
    for (qsizetype i = 0; i < database.engines.size(); ++i) {
        const modEngineData::RawEngine &engine = database.engines[i];
        check(!engine.lines.isEmpty());
        // Only the first record may lack its Name line; a Name line always starts a record.
        check(i == 0 || engine.hasName());
        for (qsizetype k = 0; k < engine.lines.size(); ++k) {
            check(engine.lines[k].key != modEngineData::EngineKey::Ignored);
            check(k == 0 || engine.lines[k].key != modEngineData::EngineKey::Name);
            check(!hasOuterSpace(engine.lines[k].value));
        }
    }
}

void checkEngineCategoryData(const QStringList &lines)
{
    for (const modEngineData::EngineCategoryEntry &entry : modEngineData::parseEngineCategoryData(lines)) {
        check(!entry.Name.contains(QLatin1Char(']')));
        check(entry.CategoryData.isEmpty() || entry.CategoryData.endsWith(QLatin1Char('>')));
    }
}

void checkCategoryList(const QStringList &lines)
{
    const modEngineData::CategoryList list = modEngineData::parseCategoryList(lines);
    for (const modEngineData::CategoryListEntry &category : list.categories) {
        check(category.headerLine == QLatin1Char('[') + category.MainCategory + QLatin1Char(']'));
        for (const QString &sub : category.SubCategories)
            check(!sub.isEmpty() && sub.front() != QLatin1Char('#'));
    }
}

void checkEngineLoad(const QByteArray &engines, const QByteArray &categories)
{
    Harness &h = harness();
    writeFile(h.engineData + QStringLiteral("vqzeng5.dat"), engines);
    writeFile(h.engineData + QStringLiteral("catvqs.dat"), categories);
    frmMain &window = *h.main->mainWindow();
    // Country rows are kept across loads; start each input without them.
    h.main->m_sCountryCodes.clear();
    h.main->m_countryCodeEntries.clear();
    window.lstCountry->clear();

    if (h.main->loadEngineCategory())
        h.main->loadEngines();
    // Every engine taken has its one row in the engine list, and nothing is selected after a load.
    check(window.lsvEngines->count() == myEngines().count());
    check(window.lsvSelectedEngines->count() == 0);
    for (const clsEngines &engine : myEngines()) {
        check(!engine.Name.isEmpty() && !engine.Selected);
        check(window.lsvEngines->contains(engine.Name));
        check(engine.AdultOnlySites.size() <= 1 && engine.Adults.size() <= 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: the main window lives for the whole run, and the process ends in exit().
    new QApplication(*argc, *argv);
    Harness &h = harness();
    check(h.root.isValid());
    h.program = h.root.path() + QStringLiteral("/program/");
    h.engineData = h.program + QStringLiteral("system/");
    QDir().mkpath(h.engineData);
    QDir().mkpath(h.root.path() + QStringLiteral("/config"));
    qputenv("VELQUIST_HOME", h.program.toUtf8());
    qputenv("VELQUIST_WINDIR", h.engineData.toUtf8());
    qputenv("VELQUIST_CONFIG", (h.root.path() + QStringLiteral("/config/")).toUtf8());
    // The load logs every odd line; millions of inputs must not fill the disk.
    QFile::link(QStringLiteral("/dev/null"), h.program + QStringLiteral("Error.log"));
    // A failed load reports in a message box: answer it at once.
    Platform::setDialogHook([](const Platform::DialogRequest &) { return std::optional<Platform::DialogAnswer>(); });
    h.main = new clsMain;   // owned by its window, which lives for the whole run
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkLineReader(bytes);
    const QStringList lines = Platform::splitLines(Platform::fromAnsi(bytes));
    checkEngineDatabase(lines, true);
    checkEngineDatabase(lines, false);
    checkEngineCategoryData(lines);
    checkCategoryList(lines);

    const qsizetype split = bytes.indexOf('\0');
    checkEngineLoad(split < 0 ? bytes : bytes.left(split), split < 0 ? QByteArray() : bytes.mid(split + 1));
    return 0;
}
