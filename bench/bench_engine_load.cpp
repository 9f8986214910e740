// Loads generated engine databases into the offscreen main window the way the window's load
// handler does (engine category data, then the engine database: parse, engine collection, list
// rows, type counts, country filter rows) and times the selection rules over the loaded engines.
// Each size runs in a child process of its own, so its peak memory is its own.
//
// Figures a run must meet: the whole load of 10,000 and of 100,000 engines (category data, engine
// database, list rows) within 1.5 times its floor, a plain loop measured in the same run that
// reads the same database file and splits each line at its first "=" into two byte strings; peak
// memory within 142 MB; a selection rule over up to 10,000 engines under 50 ms. The load and the
// floor each count their best of several runs, taken in turns after an untimed run of each, so
// a burst of other work on the machine slows both alike; the peak is that of the first load.
//
// Usage: bench_engine_load [engines]...   (default: 10000 100000)
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>

#include "bench/BenchSupport.h"
#include "BenchMemory.h"
#include "mainwindow/frmMain.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "sitedata/clsMain.h"

using namespace Qt::StringLiterals;

namespace {

constexpr double kLoadTargetRatio = 1.5;
constexpr double kPeakTargetMb = 142.0;
constexpr double kSelectionTargetMs = 50.0;
constexpr int kRuns = 5;

double peakMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

using BenchSupport::timedMs;
using BenchSupport::verdict;

// The program and engine data folders of one run, with the installed country and category lists
// and a generated engine database.
bool prepareFolders(const QString &root, int engines)
{
    const QString program = root + u"/program/"_s;
    const QString engineData = program + u"system/"_s;
    QDir().mkpath(engineData);
    QDir().mkpath(root + u"/config"_s);
    qputenv("VELQUIST_HOME", program.toUtf8());
    qputenv("VELQUIST_WINDIR", engineData.toUtf8());
    qputenv("VELQUIST_CONFIG", (root + u"/config/"_s).toUtf8());
    for (const QString &name : {u"country.vqs"_s, u"cat.vqs"_s}) {
        if (!QFile::copy(QStringLiteral(VELQUIST_SOURCE_DIR "/data/") + name, program + name))
            return false;
    }
    return QProcess::execute(QStringLiteral(VELQUIST_GEN_ENGINES), {QString::number(engines), engineData}) == 0;
}

// The floor of the load: the plain loop over the database, each line read and split at its first
// "=" into two byte strings.
double floorMs(const QString &database)
{
    QFile file(database);
    if (!file.open(QIODevice::ReadOnly))
        return 0.0;
    qint64 bytes = 0;
    const double ms = timedMs([&] {
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            const qsizetype equals = line.indexOf('=');
            const QByteArray key = equals < 0 ? line : line.first(equals);
            const QByteArray value = equals < 0 ? QByteArray() : line.sliced(equals + 1);
            bytes += key.size() + value.size();
        }
    });
    return bytes > 0 ? ms : 0.0;
}

bool timeSelectionRules(clsMain &main, frmMain &window, bool checkTarget)
{
    const QString countryRow = window.lstCountry->count() > 0 ? window.lstCountry->item(0)->text() : QString();
    struct Rule {
        const char *label;
        std::function<void()> apply;
    };
    const std::vector<Rule> rules = {
        {"by type ENG, checked", [&] { main.EngineSelectByType(u"ENG"_s, true); }},
        {"by type ENG, unchecked", [&] { main.EngineSelectByType(u"ENG"_s, false); }},
        {"by country", [&] { main.EngineSelectByCountry(QString(), countryRow, true); }},
        {"remove all", [&] { main.EngineRemove(1); }},
        {"major engines", [&] { main.EngineSelection(u"MajorSite"_s); }},
        {"select all", [&] { main.EngineSelect(1); }},
        {"remove all (full list)", [&] { main.EngineRemove(1); }},
    };
    bool allOk = true;
    for (const Rule &rule : rules) {
        const double ms = timedMs(rule.apply);
        const bool ok = !checkTarget || ms < kSelectionTargetMs;
        allOk = allOk && ok;
        std::printf("  selection %-24s %7.1f ms, %d selected%s%s\n", rule.label, ms,
                    window.lsvSelectedEngines->count(), checkTarget ? ", " : "",
                    checkTarget ? verdict(ok) : "");
    }
    return allOk;
}

// One size, in this process: the figures are printed, the result says whether they were met.
bool runCase(int engines)
{
    QTemporaryDir root;
    if (!root.isValid() || !prepareFolders(root.path(), engines)) {
        std::printf("engines %d: cannot prepare the data folders\n", engines);
        return false;
    }
    auto *main = new clsMain;   // owned by its window
    frmMain *window = main->mainWindow();
    window->show();
    Platform::doEvents();
    const double before = BenchMemory::residentMb();

    const QString database = qEnvironmentVariable("VELQUIST_WINDIR") + u"vqzeng5.dat"_s;
    bool loaded = false;
    double categoryMs = 0.0;
    double databaseMs = 0.0;
    const auto load = [&] {
        const double category = timedMs([&] { loaded = main->loadEngineCategory(); });
        const double engines = timedMs([&] { loaded = loaded && main->loadEngines(); });
        return std::pair{category, engines};
    };
    // The untimed runs: the first load gives the peak and the first paint.
    load();
    const double paintMs = timedMs([] { Platform::doEvents(); });
    const double peak = peakMb();
    const double after = BenchMemory::residentMb();
    floorMs(database);
    double floor = -1.0;
    double loadMs = -1.0;
    double timed = 0.0;
    int runs = 0;
    for (int i = 0; BenchSupport::moreRuns(i, timed, runs, kRuns); ++i) {
        const double floorRun = floorMs(database);
        const auto [category, engines] = load();
        if (floor < 0.0 || floorRun < floor)
            floor = floorRun;
        if (loadMs < 0.0 || category + engines < loadMs) {
            loadMs = category + engines;
            categoryMs = category;
            databaseMs = engines;
        }
        timed += category + engines;
    }

    const double ratio = floor > 0.0 ? loadMs / floor : 0.0;
    const bool checkLoad = engines == 10000 || engines == 100000;
    const bool loadOk = loaded && myEngines().count() == engines && floor > 0.0
                        && (!checkLoad || ratio <= kLoadTargetRatio);
    const bool peakOk = peak <= kPeakTargetMb;
    std::printf("engines %d\n", engines);
    std::printf("  load %.1f ms (category data %.1f ms, engine database %.1f ms), %lld engines, best of %d\n", loadMs,
                categoryMs, databaseMs, static_cast<long long>(myEngines().count()), runs);
    std::printf("  floor %.1f ms (read and split at \"=\"), ratio %.2f, target %.1f, %s\n", floor, ratio,
                kLoadTargetRatio, verdict(loadOk));
    std::printf("  first paint after the load %.1f ms\n", paintMs);
    std::printf("  peak memory %.1f MB (resident %.1f MB before the load, %.1f MB after it), target %.0f MB, %s\n",
                peak, before, after, kPeakTargetMb, verdict(peakOk));

    const bool selectionOk = timeSelectionRules(*main, *window, engines <= 10000);
    std::fflush(stdout);
    delete window;
    return loadOk && peakOk && selectionOk;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArray(argv[1]) == "--child") {
        QApplication app(argc, argv);
        // A message box would wait for a click: print it and go on.
        Platform::setDialogHook([](const Platform::DialogRequest &request) -> std::optional<Platform::DialogAnswer> {
            std::printf("  message \"%s\": %s\n", qPrintable(request.title), qPrintable(request.prompt));
            return Platform::DialogAnswer{};
        });
        return runCase(std::atoi(argv[2])) ? 0 : 1;
    }
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(std::atoi(argv[i]));
    if (sizes.isEmpty())
        sizes = {10000, 100000};
    bool allOk = true;
    for (int engines : sizes) {
        // The child's output goes straight to ours.
        const int exitCode = QProcess::execute(QString::fromLocal8Bit(argv[0]), {u"--child"_s, QString::number(engines)});
        allOk = allOk && exitCode == 0;
    }
    return allOk ? 0 : 1;
}
